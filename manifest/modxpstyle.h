// modxpstyle: gives a program the themed look of the common controls
// (version 6) by writing a side-by-side manifest next to its executable, and
// restarts the program so that the manifest takes effect.
#pragma once

#include "manifest/manifest_text.h"
#include "platform/platform.h"

#include <string>

namespace tarrow::modxpstyle {

// "<folder>\<name>.exe.manifest" for the running executable.
std::string ManifestPath(platform::Platform& platform);

// Initialises the common controls, then writes the manifest when none lies
// beside the program or `overwrite` is true. With `restart` (which makes
// `overwrite` count as false) a newly written manifest is followed by running the
// program again with the same arguments, waiting for it, and ending this
// process with the new instance's exit code; that
// happens only when the manifest is really there afterwards and the new
// instance started, so a folder without write access cannot make the program
// start itself over and over. True when a manifest existed before the call.
bool WriteStyleManifest(platform::Platform& platform, const ProgramIdentity& identity, bool restart,
                        bool overwrite);

// The arguments part of a command line: what follows the program's name
// (quoted or not) and the blanks after it.
std::string ArgumentsOf(const std::string& commandLine);

} // namespace tarrow::modxpstyle

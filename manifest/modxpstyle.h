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

// How the running instance ends once it has started its new one.
enum class AfterRestart {
    // It ends at once with code 0: the new instance is the program now.
    EndAtOnce,
    // It waits for the new instance and ends with its exit code, for a
    // program that someone waits on (an uninstall waits on rollback.exe).
    EndWithTheNewInstance,
};

// Initialises the common controls, then writes the manifest when none lies
// beside the program or `overwrite` is true. With `restart` (which makes
// `overwrite` count as false) a newly written manifest is followed by running
// the program again with the same arguments and ending this process as
// `after` says; that happens only when the manifest is really there
// afterwards and the new instance started, so a folder without write access
// cannot make the program start itself over and over. True when a manifest
// existed before the call.
bool WriteStyleManifest(platform::Platform& platform, const ProgramIdentity& identity, bool restart,
                        bool overwrite, AfterRestart after);

// The arguments part of a command line: what follows the program's name
// (quoted or not) and the blanks after it.
std::string ArgumentsOf(const std::string& commandLine);

} // namespace tarrow::modxpstyle

// The text of the side-by-side manifest that asks Windows for version 6 of
// the common controls. Written beside each program when it first starts,
// and shipped beside the uninstaller by the setup program: both come from
// this one template. Plain text, no platform.
#pragma once

#include <string>

namespace tarrow::modxpstyle {

// What the manifest says about the program; the same values feed the
// executable's version resource.
struct ProgramIdentity {
    int major = 0;
    int minor = 0;
    int revision = 0;
    std::string fileDescription;
};

// The manifest text with its placeholders filled in: `exeName` is the
// executable's name without extension. Every line ends in CR LF.
std::string ManifestText(const std::string& exeName, const ProgramIdentity& identity);

} // namespace tarrow::modxpstyle

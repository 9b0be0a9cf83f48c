#include "manifest/manifest_text.h"

#include <array>
#include <string_view>

namespace tarrow::modxpstyle {

namespace {

// The manifest, line by line; each line ends in CR LF when written.
constexpr std::array<std::string_view, 22> kTemplate{
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?> ",
    "<assembly ",
    "   xmlns=\"urn:schemas-microsoft-com:asm.v1\" ",
    "   manifestVersion=\"1.0\">",
    "<assemblyIdentity ",
    "    processorArchitecture=\"x86\" ",
    "    version=\"EXEVERSION\"",
    "    type=\"win32\"",
    "    name=\"EXENAME\"/>",
    "    <description>EXEDESCRIBTION</description>",
    "    <dependency>",
    "    <dependentAssembly>",
    "    <assemblyIdentity",
    "         type=\"win32\"",
    "         name=\"Microsoft.Windows.Common-Controls\"",
    "         version=\"6.0.0.0\"",
    "         publicKeyToken=\"6595b64144ccf1df\"",
    "         language=\"*\"",
    "         processorArchitecture=\"x86\"/>",
    "    </dependentAssembly>",
    "    </dependency>",
    "</assembly>",
};

void ReplaceAll(std::string& text, std::string_view placeholder, const std::string& value) {
    for (std::size_t at = text.find(placeholder); at != std::string::npos;
         at = text.find(placeholder, at + value.size())) {
        text.replace(at, placeholder.size(), value);
    }
}

} // namespace

std::string ManifestText(const std::string& exeName, const ProgramIdentity& identity) {
    std::string text;
    for (std::string_view line : kTemplate) {
        text += line;
        text += "\r\n";
    }
    ReplaceAll(text, "EXENAME", exeName + ".exe");
    ReplaceAll(text, "EXEVERSION",
               std::to_string(identity.major) + "." + std::to_string(identity.minor) + "." +
                   std::to_string(identity.revision) + ".0");
    ReplaceAll(text, "EXEDESCRIBTION", identity.fileDescription);
    return text;
}

} // namespace tarrow::modxpstyle

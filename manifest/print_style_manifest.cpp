// Prints a program's manifest text, exactly as the program itself writes it
// beside its executable, so that a setup program can ship it ready-made.
//
//   print_style_manifest EXENAME MAJOR MINOR REVISION DESCRIPTION OUTPUT
#include "manifest/manifest_text.h"

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    if (argc != 7) {
        std::fprintf(
            stderr,
            "usage: print_style_manifest EXENAME MAJOR MINOR REVISION DESCRIPTION OUTPUT\n");
        return 2;
    }
    const tarrow::modxpstyle::ProgramIdentity identity{std::atoi(argv[2]), std::atoi(argv[3]),
                                                       std::atoi(argv[4]), argv[5]};
    const std::string text = tarrow::modxpstyle::ManifestText(argv[1], identity);
    std::FILE* output = std::fopen(argv[6], "wb");
    if (output == nullptr) {
        std::perror(argv[6]);
        return 1;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), output) == text.size();
    return std::fclose(output) == 0 && written ? 0 : 1;
}

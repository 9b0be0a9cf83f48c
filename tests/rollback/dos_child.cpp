// A small console program that DOSOutputs runs under Wine, so that its
// tests meet real Windows processes and pipes:
//
//   dos_child silent         prints nothing
//   dos_child print N        prints N letters to standard output
//   dos_child interleave     alternates lines on standard output and error
//   dos_child linger         prints a line, then starts "dos_child late",
//                            which inherits its output, and ends at once
//   dos_child late           waits a second, then prints a line
#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

void Write(DWORD which, const std::string& text) {
    DWORD written = 0;
    WriteFile(GetStdHandle(which), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

bool StartLate() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string commandLine = "\"" + std::string(path) + "\" late";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION started{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &started)) {
        return false;
    }
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "print" && argc > 2) {
        const int count = std::atoi(argv[2]);
        std::string letters;
        for (int i = 0; i < count; ++i) {
            letters += static_cast<char>('a' + i % 26);
        }
        Write(STD_OUTPUT_HANDLE, letters);
    } else if (mode == "interleave") {
        Write(STD_OUTPUT_HANDLE, "out 1\r\n");
        Write(STD_ERROR_HANDLE, "err 1\r\n");
        Write(STD_OUTPUT_HANDLE, "out 2\r\n");
        Write(STD_ERROR_HANDLE, "err 2\r\n");
    } else if (mode == "linger") {
        Write(STD_OUTPUT_HANDLE, "child\r\n");
        return StartLate() ? 0 : 1;
    } else if (mode == "late") {
        Sleep(1000);
        Write(STD_OUTPUT_HANDLE, "late\r\n");
    }
    return 0;
}

// Times a program's first window from inside Windows (or Wine), where a
// look at the window costs a millisecond and not the start of a program:
//
//   first_window PICTURE X Y COMMAND...
//       starts the command line, waits for the program's first visible
//       top-level window, then for the pixel at client point X,Y to show
//       PICTURE (a JPEG drawn over the whole client area; "-" when the window
//       shows no picture), and prints "VISIBLE PAINTED PEAK": the
//       milliseconds from the start to each, and the program's peak working
//       set in KB at that moment. Then it ends the program.
//   first_window peak NAME
//       prints the peak working set in KB of the running program NAME.
//
// Exits 0 when it measured, 1 when the program did not show (within 20 s).
#include "bench/jpeg_picture.h"

#include <ole2.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<WindowSearch*>(data);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == search.processId && IsWindowVisible(window)) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

HWND VisibleWindowOf(DWORD processId) {
    WindowSearch search{processId, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The colour the picture has at client point `at` when drawn over `size`.
COLORREF PictureColour(const std::string& path, SIZE size, POINT at) {
    bench::JpegPicture picture(path);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, size.cx, size.cy);
    HGDIOBJ old = SelectObject(memory, bitmap);
    picture.render(memory, size.cx, size.cy);
    const COLORREF colour = GetPixel(memory, at.x, at.y);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return colour;
}

bool Near(COLORREF a, COLORREF b) {
    constexpr int kTolerance = 12;
    return a != CLR_INVALID && std::abs(GetRValue(a) - GetRValue(b)) <= kTolerance &&
           std::abs(GetGValue(a) - GetGValue(b)) <= kTolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= kTolerance;
}

SIZE_T PeakKb(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, &counters, sizeof counters)) {
        return 0;
    }
    return counters.PeakWorkingSetSize / 1024;
}

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

int FirstWindow(const std::string& picturePath, POINT at, std::string commandLine) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    const auto start = Clock::now();
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
        std::fprintf(stderr, "first_window: cannot start %s\n", commandLine.c_str());
        return 1;
    }
    long long visible = -1;
    long long painted = -1;
    COLORREF expected = CLR_INVALID;
    while (MillisecondsSince(start) < 20000 && painted < 0) {
        HWND window = VisibleWindowOf(started.dwProcessId);
        if (window != nullptr) {
            if (visible < 0) {
                visible = MillisecondsSince(start);
                RECT client{};
                GetClientRect(window, &client);
                if (picturePath != "-") {
                    expected = PictureColour(picturePath, {client.right, client.bottom}, at);
                }
            }
            if (picturePath == "-") {
                painted = visible;
                break;
            }
            HDC dc = GetDC(window);
            const COLORREF shown = GetPixel(dc, at.x, at.y);
            ReleaseDC(window, dc);
            if (Near(shown, expected)) {
                painted = MillisecondsSince(start);
                break;
            }
        }
        Sleep(1);
    }
    const SIZE_T peak = PeakKb(started.hProcess);
    TerminateProcess(started.hProcess, 0);
    WaitForSingleObject(started.hProcess, 5000);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);
    if (painted < 0) {
        std::fprintf(stderr, "first_window: %s\n",
                     visible < 0 ? "no window showed" : "its picture never showed");
        return 1;
    }
    std::printf("%lld %lld %lu\n", visible, painted, static_cast<unsigned long>(peak));
    return 0;
}

int Peak(const std::string& name) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int result = 1;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (_stricmp(entry.szExeFile, name.c_str()) != 0) {
            continue;
        }
        HANDLE process =
            OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID);
        if (process != nullptr) {
            std::printf("%lu\n", static_cast<unsigned long>(PeakKb(process)));
            CloseHandle(process);
            result = 0;
            break;
        }
    }
    CloseHandle(snapshot);
    return result;
}

} // namespace

int main(int argc, char** argv) {
    OleInitialize(nullptr);
    if (argc == 3 && std::strcmp(argv[1], "peak") == 0) {
        return Peak(argv[2]);
    }
    if (argc >= 5) {
        std::string commandLine;
        for (int i = 4; i < argc; ++i) {
            const std::string argument = argv[i];
            commandLine +=
                (i > 4 ? " " : "") +
                (argument.find(' ') != std::string::npos ? "\"" + argument + "\"" : argument);
        }
        return FirstWindow(argv[1], {std::atoi(argv[2]), std::atoi(argv[3])}, commandLine);
    }
    std::fprintf(stderr, "usage: first_window PICTURE X Y COMMAND... | first_window peak NAME\n");
    return 2;
}

// A small Windows program that the end-to-end tests run in the same Wine
// prefix as Tarrow, to see and press what X cannot tell apart:
//
//   win_probe list                  every visible top-level window, one a line:
//                                   handle|class|caption|left|top|width|height
//                                   (the client area, in screen pixels)
//   win_probe press TITLE BUTTON    presses the button captioned BUTTON (the
//                                   accelerator's & ignored) in the dialog
//                                   captioned TITLE, waiting up to 10 s for it
//   win_probe values KEY            every value of the registry key (HKCU\...,
//                                   HKLM\..., HKU\...), one a line:
//                                   name|kind|data as hex digits; exits 1 when
//                                   the key cannot be opened. Wine's reg prints
//                                   stray bytes for a string of zero bytes.
//   win_probe time-bar click X Y    clicks the screen point, or presses a
//   win_probe time-bar press TITLE BUTTON   dialog's button, then waits for
//                                   Tarrow's progress bar to show and hide
//                                   again; prints the milliseconds from the
//                                   click to the bar hidden
//   win_probe watch CAPTION SECONDS prints "watching", then looks every few
//                                   milliseconds for a visible top-level
//                                   window captioned CAPTION; exits 0 once it
//                                   has shown, 1 when SECONDS pass without it
//   win_probe wait PROGRAM ARGS...  runs the program with those arguments
//                                   (each quoted when it holds a space), waits
//                                   for its end and prints its exit code,
//                                   all 32 bits of it (Wine's loader hands
//                                   Linux only the low 8: 1603 would read 67)
//   win_probe press-all TITLE BUTTON   presses the button captioned BUTTON in
//                                   every visible top-level window captioned
//                                   TITLE; prints how many it pressed
//   win_probe hold FILE SECONDS     opens FILE (made when missing, deleted when
//                                   closed) sharing it with nobody, prints
//                                   "holding", and keeps it open SECONDS, as
//                                   another Tarrow operation holds its lock
//
// Exits 0 when it did what was asked, 1 when what it looked for is not there,
// and prints "end" as its last line either way.
#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string ClassOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string WithoutAmpersands(std::string text) {
    std::string plain;
    for (char c : text) {
        if (c != '&') {
            plain += c;
        }
    }
    return plain;
}

// Window enumeration callbacks must be CALLBACK (stdcall) functions, which a
// lambda does not convert to on 32-bit Windows.
BOOL CALLBACK CollectVisible(HWND window, LPARAM found) {
    if (IsWindowVisible(window)) {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    }
    return TRUE;
}

std::vector<HWND> VisibleTopLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

struct ChildSearch {
    std::string className, text;
    HWND found = nullptr;
};

BOOL CALLBACK MatchChild(HWND child, LPARAM data) {
    auto& search = *reinterpret_cast<ChildSearch*>(data);
    if (ClassOf(child) == search.className &&
        (search.text.empty() || WithoutAmpersands(TextOf(child)) == search.text)) {
        search.found = child;
        return FALSE;
    }
    return TRUE;
}

HWND FindChild(HWND parent, const std::string& className, const std::string& text) {
    ChildSearch search{className, text};
    EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForDialog(const std::string& title) {
    const auto until = Clock::now() + std::chrono::seconds(10);
    while (Clock::now() < until) {
        for (HWND window : VisibleTopLevelWindows()) {
            if (ClassOf(window) == "#32770" && TextOf(window) == title) {
                return window;
            }
        }
        Sleep(20);
    }
    return nullptr;
}

bool Press(const std::string& title, const std::string& button) {
    HWND dialog = WaitForDialog(title);
    HWND target = dialog != nullptr ? FindChild(dialog, "Button", button) : nullptr;
    if (target == nullptr) {
        std::fprintf(stderr, "win_probe: no button \"%s\" in a dialog \"%s\"\n", button.c_str(),
                     title.c_str());
        return false;
    }
    PostMessageA(target, BM_CLICK, 0, 0);
    return true;
}

// Presses the button in every visible top-level window captioned TITLE, of
// any class, at once: two programs' windows that lie over each other.
int PressAll(const std::string& title, const std::string& button) {
    int pressed = 0;
    for (HWND window : VisibleTopLevelWindows()) {
        if (TextOf(window) == title) {
            if (HWND target = FindChild(window, "Button", button); target != nullptr) {
                PostMessageA(target, BM_CLICK, 0, 0);
                ++pressed;
            }
        }
    }
    std::printf("%d\n", pressed);
    return pressed > 0 ? 0 : 1;
}

void Click(int x, int y) {
    SetCursorPos(x, y);
    INPUT inputs[2] = {};
    inputs[0].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].type = INPUT_MOUSE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
}

// The progress bar of Tarrow's main window: the one window of Tarrow's
// class captioned "Tarrow" that holds a progress bar.
HWND TarrowBar() {
    for (HWND window : VisibleTopLevelWindows()) {
        if (ClassOf(window) == "TarrowForm" && TextOf(window) == "Tarrow") {
            if (HWND bar = FindChild(window, PROGRESS_CLASSA, ""); bar != nullptr) {
                return bar;
            }
        }
    }
    return nullptr;
}

int TimeBar(int argc, char** argv) {
    HWND bar = TarrowBar();
    if (bar == nullptr) {
        std::fprintf(stderr, "win_probe: Tarrow's main window is not showing\n");
        return 1;
    }
    const std::string how = argv[2];
    const auto start = Clock::now();
    if (how == "click" && argc == 5) {
        Click(std::atoi(argv[3]), std::atoi(argv[4]));
    } else if (how == "press" && argc == 5) {
        if (!Press(argv[3], argv[4])) {
            return 1;
        }
    } else {
        return 2;
    }
    const auto until = start + std::chrono::seconds(20);
    bool seen = false;
    while (Clock::now() < until) {
        const bool visible = IsWindowVisible(bar) != FALSE;
        if (visible) {
            seen = true;
        } else if (seen) {
            const auto took =
                std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
            std::printf("%lld\n", static_cast<long long>(took.count()));
            return 0;
        }
        Sleep(1);
    }
    std::fprintf(stderr, "win_probe: the bar %s\n", seen ? "did not hide again" : "never showed");
    return 1;
}

// Started before the program that shows the window, so that a window which
// shows for only a moment is still seen: one look from outside takes longer
// than Wine needs to start a program.
int Watch(const std::string& caption, int seconds) {
    std::printf("watching\n");
    std::fflush(stdout);
    const auto until = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < until) {
        for (HWND window : VisibleTopLevelWindows()) {
            if (TextOf(window) == caption) {
                std::printf("seen\n");
                return 0;
            }
        }
        Sleep(5);
    }
    return 1;
}

int Values(const std::string& path) {
    const struct {
        const char* prefix;
        HKEY root;
    } roots[] = {
        {"HKCU\\", HKEY_CURRENT_USER}, {"HKLM\\", HKEY_LOCAL_MACHINE}, {"HKU\\", HKEY_USERS}};
    HKEY key = nullptr;
    for (const auto& root : roots) {
        const std::string prefix = root.prefix;
        if (path.compare(0, prefix.size(), prefix) == 0 &&
            RegOpenKeyExA(root.root, path.substr(prefix.size()).c_str(), 0, KEY_READ, &key) ==
                ERROR_SUCCESS) {
            break;
        }
    }
    if (key == nullptr) {
        return 1;
    }
    for (DWORD index = 0;; ++index) {
        char name[512] = {};
        DWORD nameLength = sizeof name;
        BYTE data[4096] = {};
        DWORD dataLength = sizeof data;
        DWORD kind = 0;
        if (RegEnumValueA(key, index, name, &nameLength, nullptr, &kind, data, &dataLength) !=
            ERROR_SUCCESS) {
            break;
        }
        std::string hex;
        for (DWORD i = 0; i < dataLength; ++i) {
            char digits[3];
            std::snprintf(digits, sizeof digits, "%02x", data[i]);
            hex += digits;
        }
        std::printf("%s|%lu|%s\n", name, static_cast<unsigned long>(kind), hex.c_str());
    }
    RegCloseKey(key);
    return 0;
}

int List() {
    for (HWND window : VisibleTopLevelWindows()) {
        RECT client{};
        GetClientRect(window, &client);
        POINT origin{0, 0};
        ClientToScreen(window, &origin);
        std::printf("%llu|%s|%s|%ld|%ld|%ld|%ld\n",
                    static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(window)),
                    ClassOf(window).c_str(), TextOf(window).c_str(), origin.x, origin.y,
                    client.right, client.bottom);
    }
    return 0;
}

int WaitFor(int argc, char** argv) {
    std::string commandLine;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!commandLine.empty()) {
            commandLine += ' ';
        }
        commandLine += arg.find(' ') == std::string::npos ? arg : '"' + arg + '"';
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        std::printf("could not start: error %lu\n", GetLastError());
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("%lu\n", code);
    return 0;
}

int Hold(const char* path, int seconds) {
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("not held: %lu\n", GetLastError());
        return 1;
    }
    std::printf("holding\n");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(seconds) * 1000);
    CloseHandle(file);
    return 0;
}

int Run(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "list") {
        return List();
    }
    if (command == "values" && argc == 3) {
        return Values(argv[2]);
    }
    if (command == "press" && argc == 4) {
        return Press(argv[2], argv[3]) ? 0 : 1;
    }
    if (command == "time-bar" && argc >= 3) {
        return TimeBar(argc, argv);
    }
    if (command == "watch" && argc == 4) {
        return Watch(argv[2], std::atoi(argv[3]));
    }
    if (command == "wait" && argc >= 3) {
        return WaitFor(argc, argv);
    }
    if (command == "press-all" && argc == 4) {
        return PressAll(argv[2], argv[3]);
    }
    if (command == "hold" && argc == 4) {
        return Hold(argv[2], std::atoi(argv[3]));
    }
    std::fprintf(stderr, "usage: win_probe list | values KEY | press TITLE BUTTON | "
                         "time-bar click X Y | time-bar press TITLE BUTTON | "
                         "watch CAPTION SECONDS | wait PROGRAM ARGS... | press-all TITLE BUTTON | "
                         "hold FILE SECONDS\n");
    return 2;
}

} // namespace

// The last line, "end", tells the caller that the probe ran to its end: a
// run that Wine failed to start, or that died, has none.
int main(int argc, char** argv) {
    const int result = Run(argc, argv);
    std::printf("end\n");
    return result;
}

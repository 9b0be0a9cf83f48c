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
//   win_probe time-bar click X Y    clicks the screen point, presses a
//   win_probe time-bar press TITLE BUTTON   dialog's button, or presses the
//   win_probe time-bar keys KEY...  keys as `keys` does, then waits for
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
//   win_probe keys KEY...           types the keys into the foreground window
//                                   through SendInput, each pressed and let go
//                                   150 ms later, 150 ms after the one before:
//                                   tab, shift+tab, enter, space, esc, up,
//                                   down, left, right
//   win_probe focus                 the window that has the keyboard focus in
//                                   the foreground window's thread:
//                                   class<TAB>text
//   win_probe tab-to TEXT [MOST]    presses Tab, at most MOST times (12), until
//                                   the focused window's text (the accelerator's
//                                   & ignored) is TEXT; prints, as `focus` does,
//                                   each window the focus was on, the last the
//                                   one it reached
//   win_probe accessible CAPTION    for each child window of the visible
//                                   top-level window captioned CAPTION (the
//                                   foreground one, else the topmost), one a
//                                   line: its text, then what Active
//                                   Accessibility answers for its client
//                                   object: name=, role=, state=, action=
//                                   (the default action), tab-separated; a
//                                   call that fails gives its HRESULT
//
// Exits 0 when it did what was asked, 1 when what it looked for is not there,
// and prints "end" as its last line either way.
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>

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

// --- the keyboard, as a person types

struct NamedKey {
    const char* name;
    WORD key;
    bool shifted;
    bool extended; // the arrow keys sit outside the main block
};

constexpr NamedKey kKeys[] = {
    {"tab", VK_TAB, false, false},      {"shift+tab", VK_TAB, true, false},
    {"enter", VK_RETURN, false, false}, {"space", VK_SPACE, false, false},
    {"esc", VK_ESCAPE, false, false},   {"up", VK_UP, false, true},
    {"down", VK_DOWN, false, true},     {"left", VK_LEFT, false, true},
    {"right", VK_RIGHT, false, true},
};

// Between a key's press and its release, and between two keys: long enough
// for a program to tell the press from the release, far too short for the
// system's key repeat.
constexpr DWORD kKeyPauseMs = 150;

const NamedKey* FindKey(const std::string& name) {
    for (const NamedKey& key : kKeys) {
        if (name == key.name) {
            return &key;
        }
    }
    return nullptr;
}

INPUT KeyInput(WORD key, bool extended, bool release) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(key, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (extended ? KEYEVENTF_EXTENDEDKEY : 0u) | (release ? KEYEVENTF_KEYUP : 0u);
    return input;
}

bool SendInputs(std::vector<INPUT>& inputs) {
    const UINT count = static_cast<UINT>(inputs.size());
    return SendInput(count, inputs.data(), sizeof(INPUT)) == count;
}

// A press, the pause, and the release (Shift held around a shifted key).
bool Type(const NamedKey& key) {
    std::vector<INPUT> press, release;
    if (key.shifted) {
        press.push_back(KeyInput(VK_SHIFT, false, false));
    }
    press.push_back(KeyInput(key.key, key.extended, false));
    release.push_back(KeyInput(key.key, key.extended, true));
    if (key.shifted) {
        release.push_back(KeyInput(VK_SHIFT, false, true));
    }
    if (!SendInputs(press)) {
        return false;
    }
    Sleep(kKeyPauseMs);
    return SendInputs(release);
}

// Every name is checked before the first key goes: a misspelt one types
// nothing.
int TypeKeys(int first, int argc, char** argv) {
    std::vector<const NamedKey*> keys;
    for (int i = first; i < argc; ++i) {
        const NamedKey* key = FindKey(argv[i]);
        if (key == nullptr) {
            std::fprintf(stderr, "win_probe: no key \"%s\"\n", argv[i]);
            return 2;
        }
        keys.push_back(key);
    }
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (i > 0) {
            Sleep(kKeyPauseMs);
        }
        if (!Type(*keys[i])) {
            std::fprintf(stderr, "win_probe: SendInput refused \"%s\": error %lu\n", keys[i]->name,
                         GetLastError());
            return 1;
        }
    }
    return 0;
}

// The window with the keyboard focus in the foreground window's thread.
HWND FocusedWindow() {
    HWND foreground = GetForegroundWindow();
    if (foreground == nullptr) {
        return nullptr;
    }
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(foreground, nullptr), &info)) {
        return nullptr;
    }
    return info.hwndFocus;
}

std::string Described(HWND window) {
    return ClassOf(window) + "\t" + TextOf(window);
}

int Focus() {
    HWND focused = FocusedWindow();
    if (focused == nullptr) {
        std::fprintf(stderr, "win_probe: no window has the keyboard focus\n");
        return 1;
    }
    std::printf("%s\n", Described(focused).c_str());
    return 0;
}

// The focused window once it is another than `before`, or `before` when the
// focus stays for a second (a window with one tab stop keeps it).
HWND FocusAfter(HWND before) {
    const auto until = Clock::now() + std::chrono::seconds(1);
    HWND focused = FocusedWindow();
    while (focused == before && Clock::now() < until) {
        Sleep(10);
        focused = FocusedWindow();
    }
    return focused;
}

// Prints each window the focus was on, the first before any Tab: the last
// line is the one it reached, or where it was when the Tabs ran out.
int TabTo(const std::string& text, int most) {
    const NamedKey& tab = *FindKey("tab");
    HWND focused = FocusedWindow();
    for (int presses = 0;; ++presses) {
        std::printf("%s\n", focused != nullptr ? Described(focused).c_str() : "(none)");
        if (focused != nullptr && WithoutAmpersands(TextOf(focused)) == text) {
            return 0;
        }
        if (presses == most) {
            std::fprintf(stderr, "win_probe: \"%s\" not focused after %d Tabs\n", text.c_str(),
                         most);
            return 1;
        }
        if (presses > 0) {
            Sleep(kKeyPauseMs);
        }
        if (!Type(tab)) {
            std::fprintf(stderr, "win_probe: SendInput refused Tab: error %lu\n", GetLastError());
            return 1;
        }
        focused = FocusAfter(focused);
    }
}

// --- what a screen reader hears, through Active Accessibility

// The interface's identifier, spelt out here: MinGW's import library gives
// IID_IAccessible as an import thunk, which the proxy does not recognise.
constexpr IID kAccessibleInterface{
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

class ComApartment {
public:
    ComApartment() : started_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComApartment() {
        if (started_) {
            CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool started_;
};

class Accessible {
public:
    Accessible() = default;
    ~Accessible() {
        if (object_ != nullptr) {
            object_->Release();
        }
    }
    Accessible(const Accessible&) = delete;
    Accessible& operator=(const Accessible&) = delete;
    void** out() { return reinterpret_cast<void**>(&object_); }
    IAccessible* operator->() const { return object_; }

private:
    IAccessible* object_ = nullptr;
};

class OwnedString {
public:
    OwnedString() = default;
    ~OwnedString() { SysFreeString(text_); }
    OwnedString(const OwnedString&) = delete;
    OwnedString& operator=(const OwnedString&) = delete;
    BSTR* out() { return &text_; }
    BSTR get() const { return text_; }

private:
    BSTR text_ = nullptr;
};

class OwnedVariant {
public:
    OwnedVariant() { VariantInit(&value_); }
    ~OwnedVariant() { VariantClear(&value_); }
    OwnedVariant(const OwnedVariant&) = delete;
    OwnedVariant& operator=(const OwnedVariant&) = delete;
    VARIANT* out() { return &value_; }
    const VARIANT& get() const { return value_; }

private:
    VARIANT value_;
};

std::string HresultText(HRESULT result) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(result));
    return text;
}

std::string Narrow(BSTR text) {
    if (text == nullptr) {
        return "";
    }
    const int length = static_cast<int>(SysStringLen(text));
    const int size = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, narrow.data(), size, nullptr, nullptr);
    return narrow;
}

// A text property: the text, "(none)" when the object has none (S_FALSE or
// no string), or the call's failure.
std::string TextAnswer(HRESULT result, const OwnedString& text) {
    if (FAILED(result)) {
        return "(failed " + HresultText(result) + ")";
    }
    if (result == S_FALSE || text.get() == nullptr) {
        return "(none " + HresultText(result) + ")";
    }
    return Narrow(text.get());
}

std::string RoleAnswer(HRESULT result, const VARIANT& role) {
    if (FAILED(result)) {
        return "(failed " + HresultText(result) + ")";
    }
    if (role.vt == VT_BSTR) {
        return Narrow(role.bstrVal);
    }
    if (role.vt != VT_I4) {
        return "(variant of type " + std::to_string(role.vt) + ")";
    }
    char words[128] = {};
    GetRoleTextA(static_cast<DWORD>(role.lVal), words, sizeof words);
    return std::to_string(role.lVal) + " " + words;
}

std::string StateAnswer(HRESULT result, const VARIANT& state) {
    if (FAILED(result)) {
        return "(failed " + HresultText(result) + ")";
    }
    if (state.vt != VT_I4) {
        return "(variant of type " + std::to_string(state.vt) + ")";
    }
    const struct {
        LONG bit;
        const char* word;
    } kWords[] = {{STATE_SYSTEM_FOCUSABLE, "focusable"},
                  {STATE_SYSTEM_FOCUSED, "focused"},
                  {STATE_SYSTEM_INVISIBLE, "invisible"},
                  {STATE_SYSTEM_UNAVAILABLE, "unavailable"}};
    std::string answer = HresultText(state.lVal);
    for (const auto& word : kWords) {
        if ((state.lVal & word.bit) != 0) {
            answer += std::string(" ") + word.word;
        }
    }
    return answer;
}

std::string AccessibleLine(HWND child) {
    std::string line = TextOf(child);
    Accessible object;
    const HRESULT made = AccessibleObjectFromWindow(child, static_cast<DWORD>(OBJID_CLIENT),
                                                    kAccessibleInterface, object.out());
    if (FAILED(made)) {
        return line + "\t(no object: " + HresultText(made) + ")";
    }
    VARIANT self{};
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    OwnedString name, action;
    OwnedVariant role, state;
    line += "\tname=" + TextAnswer(object->get_accName(self, name.out()), name);
    line += "\trole=" + RoleAnswer(object->get_accRole(self, role.out()), role.get());
    line += "\tstate=" + StateAnswer(object->get_accState(self, state.out()), state.get());
    line += "\taction=" + TextAnswer(object->get_accDefaultAction(self, action.out()), action);
    return line;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM found) {
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
    return TRUE;
}

// The visible top-level window captioned CAPTION: the foreground one when it
// is one of them, else the topmost (windows are listed from the top down).
HWND CaptionedWindow(const std::string& caption) {
    HWND foreground = GetForegroundWindow();
    HWND topmost = nullptr;
    for (HWND window : VisibleTopLevelWindows()) {
        if (TextOf(window) == caption) {
            if (window == foreground) {
                return window;
            }
            if (topmost == nullptr) {
                topmost = window;
            }
        }
    }
    return topmost;
}

int AccessibleChildren(const std::string& caption) {
    HWND window = CaptionedWindow(caption);
    if (window == nullptr) {
        std::fprintf(stderr, "win_probe: no visible window captioned \"%s\"\n", caption.c_str());
        return 1;
    }
    const ComApartment apartment;
    std::vector<HWND> children;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        std::printf("%s\n", AccessibleLine(child).c_str());
    }
    return 0;
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
    } else if (how == "keys" && argc >= 4) {
        if (const int typed = TypeKeys(3, argc, argv); typed != 0) {
            return typed;
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
    if (command == "keys" && argc >= 3) {
        return TypeKeys(2, argc, argv);
    }
    if (command == "focus" && argc == 2) {
        return Focus();
    }
    if (command == "tab-to" && (argc == 3 || argc == 4)) {
        return TabTo(argv[2], argc == 4 ? std::atoi(argv[3]) : 12);
    }
    if (command == "accessible" && argc == 3) {
        return AccessibleChildren(argv[2]);
    }
    std::fprintf(stderr, "usage: win_probe list | values KEY | press TITLE BUTTON | "
                         "time-bar click X Y | time-bar press TITLE BUTTON | "
                         "time-bar keys KEY... | watch CAPTION SECONDS | wait PROGRAM ARGS... | "
                         "press-all TITLE BUTTON | hold FILE SECONDS | keys KEY... | focus | "
                         "tab-to TEXT [MOST] | accessible CAPTION\n");
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

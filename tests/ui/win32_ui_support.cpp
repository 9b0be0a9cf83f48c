#include "tests/ui/win32_ui_support.h"

#include "platform/win32/win32_platform.h"
#include "ui/win32/win32_window.h"

#include <atomic>
#include <cstdlib>
#include <functional>
#include <thread>

namespace tarrow::testing {

platform::Platform& RealWindows() {
    static platform::Win32Platform windows;
    return windows;
}

ui::FormDesign Design(std::string name, int widthPx, int heightPx, ui::BorderStyle border) {
    ui::FormDesign design;
    design.caption = name;
    design.name = std::move(name);
    design.border = border;
    design.clientSize = {widthPx * 15, heightPx * 15};
    return design;
}

ui::TwipRect TwipsOf(int left, int top, int width, int height) {
    return {left * 15, top * 15, width * 15, height * 15};
}

HWND WindowOf(const ui::Form& form) {
    const auto* window = dynamic_cast<const ui::win32::Win32Window*>(form.native());
    return window != nullptr ? window->hwnd() : nullptr;
}

DWORD StyleOf(HWND window) {
    return static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
}
DWORD ExStyleOf(HWND window) {
    return static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
}

HWND ChildOf(const ui::Form& form, const ui::Control& control) {
    const auto* window = dynamic_cast<const ui::win32::Win32Window*>(form.native());
    return window != nullptr ? window->childOf(control) : nullptr;
}

namespace {
int ScreenCaps(int index) {
    HDC screen = GetDC(nullptr);
    const int value = GetDeviceCaps(screen, index);
    ReleaseDC(nullptr, screen);
    return value;
}
} // namespace

int ScreenDpiX() {
    return ScreenCaps(LOGPIXELSX);
}
int ScreenDpiY() {
    return ScreenCaps(LOGPIXELSY);
}

POINT ClientPixel(ui::TwipPoint point) {
    return {ui::TwipsToPixels(point.x, ScreenDpiX()), ui::TwipsToPixels(point.y, ScreenDpiY())};
}

POINT ScreenPixel(const ui::Form& form, ui::TwipPoint point) {
    POINT pixel = ClientPixel(point);
    ClientToScreen(WindowOf(form), &pixel);
    return pixel;
}

SIZE ClientSize(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return {client.right - client.left, client.bottom - client.top};
}

void Pump(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (done()) {
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
}

std::string ImagePath(const std::string& name) {
    const char* folder = std::getenv("TARROW_TEST_IMAGES");
    return std::string(folder != nullptr ? folder : "images") + "\\" + name;
}

COLORREF PixelAt(HWND window, POINT client) {
    HDC dc = GetDC(window);
    const COLORREF colour = GetPixel(dc, client.x, client.y);
    ReleaseDC(window, dc);
    return colour;
}

bool Near(COLORREF colour, COLORREF expected, int tolerance) {
    return colour != CLR_INVALID &&
           std::abs(GetRValue(colour) - GetRValue(expected)) <= tolerance &&
           std::abs(GetGValue(colour) - GetGValue(expected)) <= tolerance &&
           std::abs(GetBValue(colour) - GetBValue(expected)) <= tolerance;
}

int DarkPixels(HWND window, const RECT& rect) {
    HDC dc = GetDC(window);
    int dark = 0;
    for (int y = rect.top; y < rect.bottom; ++y) {
        for (int x = rect.left; x < rect.right; ++x) {
            const COLORREF colour = GetPixel(dc, x, y);
            if (colour != CLR_INVALID &&
                GetRValue(colour) + GetGValue(colour) + GetBValue(colour) < 3 * 128) {
                ++dark;
            }
        }
    }
    ReleaseDC(window, dc);
    return dark;
}

namespace {

void SendMouse(DWORD flags, POINT screen = {}) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    if ((flags & MOUSEEVENTF_ABSOLUTE) != 0) {
        const int width = GetSystemMetrics(SM_CXSCREEN);
        const int height = GetSystemMetrics(SM_CYSCREEN);
        input.mi.dx = MulDiv(screen.x, 65535, width - 1);
        input.mi.dy = MulDiv(screen.y, 65535, height - 1);
    }
    SendInput(1, &input, sizeof(input));
}

// Waits, up to two seconds, until `reached` holds.
void AwaitState(const std::function<bool()>& reached) {
    const DWORD start = GetTickCount();
    while (!reached() && GetTickCount() - start < 2000) {
        Sleep(1);
    }
}

// Moves the mouse there and waits until the system has it there.
void MoveTo(POINT screen) {
    SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, screen);
    AwaitState([screen] {
        POINT at{};
        return GetCursorPos(&at) && at.x == screen.x && at.y == screen.y;
    });
}

// Presses or lets go of the left button and waits until the system has it
// so.
void LeftButton(bool down) {
    SendMouse(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP);
    AwaitState([down] { return ((GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0) == down; });
}

// Whether the thread is in the system's loop that moves or sizes a window.
bool SystemMoveLoopRuns(DWORD thread) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(thread, &info) && (info.flags & GUI_INMOVESIZE) != 0;
}

// Runs `act` on another thread and handles this thread's messages until it
// is done and a little after.
void WhilePumping(const std::function<void()>& act) {
    std::atomic<bool> done{false};
    std::thread user([&] {
        act();
        done = true;
    });
    PumpUntil([&] { return done.load(); }, 10000);
    user.join();
    Pump(150);
}

} // namespace

void RealClick(POINT screen) {
    // A second click on the same spot within the double-click time would be
    // the second half of a double click.
    static POINT lastSpot{-1, -1};
    static DWORD lastTime = 0;
    if (screen.x == lastSpot.x && screen.y == lastSpot.y) {
        const DWORD since = GetTickCount() - lastTime;
        if (since <= GetDoubleClickTime()) {
            Sleep(GetDoubleClickTime() - since + 1);
        }
    }
    WhilePumping([screen] {
        MoveTo(screen);
        LeftButton(true);
        LeftButton(false);
    });
    lastSpot = screen;
    lastTime = GetTickCount();
}

void RealDrag(POINT from, POINT to, const std::function<bool(POINT)>& followed) {
    const DWORD pumping = GetCurrentThreadId();
    WhilePumping([from, to, &followed, pumping] {
        const auto moveTo = [&followed](POINT screen) {
            MoveTo(screen);
            if (followed) {
                AwaitState([&] { return followed(screen); });
            }
        };
        MoveTo(from);
        LeftButton(true);
        // A nudge of one pixel starts the drag. Where one should start, wait
        // for the system's move loop: a move sent before the window has
        // taken the nudge merges with it, and the loop would then measure
        // from the later point.
        MoveTo({from.x + 1, from.y + 1});
        if (followed) {
            AwaitState([pumping] { return SystemMoveLoopRuns(pumping); });
        }
        constexpr int kSteps = 8;
        for (int step = 1; step <= kSteps; ++step) {
            moveTo({from.x + (to.x - from.x) * step / kSteps,
                    from.y + (to.y - from.y) * step / kSteps});
        }
        LeftButton(false);
    });
}

} // namespace tarrow::testing

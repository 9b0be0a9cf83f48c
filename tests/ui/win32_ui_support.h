// Helpers for the tests of the Win32 driver: a form the tests fill from
// outside, pixel positions for the screen's DPI, a message pump with a time
// limit, the pixels of a window, and a mouse driven through SendInput.
#pragma once

#include "platform/platform.h"
#include "ui/form.h"

#include <windows.h>

#include <functional>
#include <string>
#include <utility>

namespace tarrow::testing {

// A form whose controls and timers the test adds; it counts the clicks on
// its surface outside the controls.
class TestForm : public ui::Form {
public:
    TestForm(ui::Driver& driver, ui::FormDesign design) : Form(driver, std::move(design)) {}

    template <typename T, typename... Args> T& place(Args&&... args) {
        return add<T>(std::forward<Args>(args)...);
    }
    ui::Timer& timer(std::string name, std::uint32_t intervalMs, bool enabled) {
        return addTimer(std::move(name), intervalMs, enabled);
    }
    int surfaceClicks = 0;
    // Runs as the form's load handler.
    std::function<void()> whileLoading;

protected:
    void onClick() override { ++surfaceClicks; }
    void onLoad() override {
        if (whileLoading) {
            whileLoading();
        }
    }
};

// The real Windows under the drivers of the tests.
platform::Platform& RealWindows();

// A design in pixels of the usual 96 DPI (15 twips each).
ui::FormDesign Design(std::string name, int widthPx, int heightPx,
                      ui::BorderStyle border = ui::BorderStyle::None);
ui::TwipRect TwipsOf(int left, int top, int width, int height);

HWND WindowOf(const ui::Form& form);
DWORD StyleOf(HWND window);
DWORD ExStyleOf(HWND window);
HWND ChildOf(const ui::Form& form, const ui::Control& control);

// The screen's DPI, read by the test itself.
int ScreenDpiX();
int ScreenDpiY();
// A point in twips as a pixel of the client area, and of the screen.
POINT ClientPixel(ui::TwipPoint point);
POINT ScreenPixel(const ui::Form& form, ui::TwipPoint point);
SIZE ClientSize(HWND window);

// Handles the thread's messages for `ms` milliseconds.
void Pump(DWORD ms);
// Handles messages until `done` holds or `timeoutMs` passed; whether it held.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// The repository's picture `name`, as a Windows path.
std::string ImagePath(const std::string& name);

// The colour on screen at a client pixel of `window`.
COLORREF PixelAt(HWND window, POINT client);
bool Near(COLORREF colour, COLORREF expected, int tolerance = 24);
// How many pixels of `rect` (client pixels) are darker than mid-grey.
int DarkPixels(HWND window, const RECT& rect);

// Presses and releases the left button at a screen point, or presses it at
// `from`, moves one pixel, then on to `to` in steps and releases it there. The input comes from
// another thread while this one handles messages, as a user's would. A drag
// that should move a window says how to tell that the window has followed
// the pointer to a point, and each step waits for that, as a hand would.
void RealClick(POINT screen);
void RealDrag(POINT from, POINT to, const std::function<bool(POINT)>& followed = {});

} // namespace tarrow::testing

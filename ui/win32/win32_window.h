// The top-level window of one form: its window class and procedure, its
// style and placement, painting of the picture and the text labels, mouse
// input for the hot areas, the clicks of its child controls, and its timers.
#pragma once

#include "ui/driver.h"
#include "ui/win32/child_controls.h"
#include "ui/win32/gdi_handles.h"
#include "ui/win32/hot_area_tips.h"
#include "ui/win32/picture_surface.h"

#include <windows.h>

#include <optional>

namespace ui {
class Form;
class Win32Driver;
} // namespace ui

namespace ui::win32 {

class Win32Window final : public NativeWindow {
public:
    // Makes the form's window, hidden, with its child controls, and starts
    // its enabled timers. created() tells whether that worked.
    Win32Window(Win32Driver& driver, Form& form);
    ~Win32Window() override;
    Win32Window(const Win32Window&) = delete;
    Win32Window& operator=(const Win32Window&) = delete;

    bool created() const { return static_cast<bool>(window_); }
    HWND hwnd() const { return window_.get(); }
    // The child window of a control, or nullptr for the windowless ones.
    HWND childOf(const Control& control) const;

    void formChanged(FormChange what) override;
    void controlChanged(Control& control) override;
    void timerChanged(Timer& timer) override;
    void beginDrag() override;

    // Whether `window` is the window of a form (of any driver).
    static bool IsFormWindow(HWND window);
    // Hands a key message for a form window or one of its children to its
    // form: true when the form took it (Tab, Enter, Space, Esc, the
    // arrows), which then goes no further; the dialog manager is not used.
    static bool HandleKey(const MSG& message);
    // A hidden top-level window of the form class that does nothing; forms
    // it owns stay out of the taskbar.
    static WindowHandle CreateHiddenOwner();

private:
    static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    void show();
    void rebuildSurface();
    void paint();
    void drawTextLabels(HDC dc, const RECT& area);
    void drawFocus(HDC dc, const RECT& area);
    // Shows the form's focus: the system's focus on the focused control's
    // window (or the form's own), the frame drawn where it was and is.
    void showFocus();
    void redrawHotArea(const Control* control);
    void key(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT controlBackground(HDC dc, HWND child, UINT message, WPARAM wParam, LPARAM lParam);
    void mouseButton(UINT message, LPARAM lParam);
    void mouseMove(WPARAM wParam, LPARAM lParam);
    void command(WPARAM wParam, LPARAM lParam);
    void startTimer(const Timer& timer, UINT_PTR id);

    Win32Driver& driver_;
    Form& form_;
    HWND hwnd_ = nullptr; // known from WM_NCCREATE on, before window_ owns it
    WindowHandle window_;
    ChildControls children_;
    HotAreaTips tips_;
    PictureSurface surface_;
    UINT_PTR lastTimerId_ = 0; // timer ids are the timer's index + 1
    bool placed_ = false;
    // Where the last button went down, in client pixels: the system reports
    // a move there after a click, which must not count as a drag.
    std::optional<POINT> lastPress_;
    // The control whose focus frame is drawn, if any.
    const Control* framed_ = nullptr;
    bool settingFocus_ = false;
};

} // namespace ui::win32

// The real child windows of a form: command buttons, check boxes, frames,
// option buttons, progress bars, and a transparent button for each hot area
// that takes the focus. They are made in tab order and follow their
// controls' state; the controls themselves keep that state and change it on
// a click. The form decides where the focus goes; a child the system gives
// the focus to says so through onFocus.
#pragma once

#include "ui/controls.h"
#include "ui/win32/dpi.h"
#include "ui/win32/font_cache.h"
#include "ui/win32/gdi_handles.h"

#include <windows.h>

#include <functional>
#include <vector>

namespace ui {
class Form;
}

namespace ui::win32 {

class PictureSurface;

class ChildControls {
public:
    ChildControls() = default;
    ChildControls(const ChildControls&) = delete;
    ChildControls& operator=(const ChildControls&) = delete;

    // Makes the windows for the windowed controls of `form` inside `parent`.
    void create(HWND parent, const Form& form, const Dpi& dpi, FontCache& fonts);
    // Destroys the windows; done before the form window goes.
    void destroy();
    std::function<void(Control&)> onFocus;

    // The control that owns `window`, or nullptr.
    Control* controlOf(HWND window) const;
    // Whether `control` has a window of its own (hot areas and text labels
    // have none).
    bool has(const Control& control) const { return find(control) != nullptr; }
    HWND windowOf(const Control& control) const;
    // Shows the control's current state on its window.
    void update(const Control& control);

    // The brush that paints the background of `window` where it lies on the
    // picture: the picture's colour at the window's top-left corner. Null
    // when the surface is empty.
    HBRUSH background(HWND window, const PictureSurface& surface);
    // Forgets the brushes, after the picture changed.
    void clearBackgrounds();

private:
    struct Child {
        Control* control;
        WindowHandle window;
        POINT origin; // top-left corner in the form's client area
        BrushHandle background;
        WNDPROC original; // the window class's own procedure
    };
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    const Child* find(const Control& control) const;
    const Child* find(HWND window) const;

    std::vector<Child> children_; // in tab order
};

} // namespace ui::win32

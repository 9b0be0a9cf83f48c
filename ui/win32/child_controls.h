// The real child windows of a form: command buttons, check boxes, frames,
// option buttons and progress bars. They are made in tab order, so Tab walks
// through them, and follow their controls' state; the controls themselves
// keep that state and change it on a click.
#pragma once

#include "ui/controls.h"
#include "ui/win32/dpi.h"
#include "ui/win32/font_cache.h"
#include "ui/win32/gdi_handles.h"

#include <windows.h>

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
    void destroy() { children_.clear(); }

    // The control that owns `window`, or nullptr.
    Control* controlOf(HWND window) const;
    // Whether `control` has a window of its own (hot areas and text labels
    // have none).
    bool has(const Control& control) const { return find(control) != nullptr; }
    HWND windowOf(const Control& control) const;
    // Shows the control's current state on its window.
    void update(const Control& control);
    // The visible, enabled tab stop with the lowest tab index, or nullptr.
    HWND firstTabStop() const;

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
    };
    const Child* find(const Control& control) const;
    Child* find(HWND window);

    std::vector<Child> children_; // in tab order
};

} // namespace ui::win32

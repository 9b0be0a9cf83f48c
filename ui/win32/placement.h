// Where a form's window goes when it is first shown.
#pragma once

#include "ui/form.h"

#include <windows.h>

namespace ui::win32 {

// The screen's work area: the screen without the taskbar.
RECT WorkArea();

// The top-left corner that centres a window of `size` on `target`.
POINT CentredOn(SIZE size, const RECT& target);

// Moves `window` as `placement` asks: centred on `owner` (when it is given
// and visible) or else on the work area, centred on the work area, or left
// where it was made.
void PlaceWindow(HWND window, Placement placement, HWND owner);

} // namespace ui::win32

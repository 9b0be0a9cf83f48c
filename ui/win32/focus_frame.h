// The frame that shows which hot area has the keyboard focus, drawn over
// the picture: a dotted frame of black and white squares, so that it shows
// on the dark parts of a picture as on the light ones. Its squares are one
// pixel at 96 dots per inch and grow with the screen's DPI.
#pragma once

#include "ui/win32/dpi.h"

#include <windows.h>

namespace ui::win32 {

// Draws the frame just inside `rect` of `dc`.
void DrawFocusFrame(HDC dc, const RECT& rect, const Dpi& dpi);

} // namespace ui::win32

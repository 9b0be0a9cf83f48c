// GDI fonts for the controls' fonts at the screen's DPI, made once per face
// and size and kept until the driver goes.
#pragma once

#include "ui/controls.h"
#include "ui/win32/dpi.h"
#include "ui/win32/gdi_handles.h"

#include <string>
#include <vector>

namespace ui::win32 {

class FontCache {
public:
    explicit FontCache(Dpi dpi) : dpi_(dpi) {}
    // The font, or nullptr when GDI cannot make it (the control then keeps
    // the system font).
    HFONT get(const Font& font);

private:
    struct Entry {
        std::string name;
        double points;
        FontHandle handle;
    };
    Dpi dpi_;
    std::vector<Entry> entries_;
};

} // namespace ui::win32

// The tooltips of a form's hot areas: one tooltip control per form, with one
// rectangle tool for each visible hot area that has a tooltip text.
#pragma once

#include "ui/win32/dpi.h"
#include "ui/win32/gdi_handles.h"

#include <windows.h>

#include <vector>

namespace ui {
class Form;
class HotArea;
} // namespace ui

namespace ui::win32 {

class HotAreaTips {
public:
    HotAreaTips() = default;
    HotAreaTips(const HotAreaTips&) = delete;
    HotAreaTips& operator=(const HotAreaTips&) = delete;

    // Makes the tooltip control for the form window `owner`, if any hot area
    // of `form` has a tooltip, and adds the tools of the visible ones.
    void create(HWND owner, const Form& form, const Dpi& dpi);
    void destroy();
    // Adds or removes the tool of `area` to match its visibility.
    void update(const HotArea& area);
    // The tooltip control, or nullptr when the form has no tooltips.
    HWND window() const { return tips_.get(); }

private:
    struct Tool {
        const HotArea* area;
        RECT rect;
        bool added;
    };
    void add(Tool& tool, UINT_PTR id);
    void remove(Tool& tool, UINT_PTR id);

    HWND owner_ = nullptr;
    WindowHandle tips_;
    std::vector<Tool> tools_; // tool id = index + 1
};

} // namespace ui::win32

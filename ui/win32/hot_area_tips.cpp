#include "ui/win32/hot_area_tips.h"

#include "ui/form.h"

#include <commctrl.h>

#include <cstddef>

namespace ui::win32 {

namespace {

// The structure up to lParam (TTTOOLINFOA_V2_SIZE), which version 5 of the
// common controls accepts as well as version 6; version 5 refuses the full
// structure of newer headers.
const UINT kToolInfoSize = offsetof(TOOLINFOA, lParam) + sizeof(LPARAM);

TOOLINFOA ToolInfo(HWND owner, UINT_PTR id) {
    TOOLINFOA info{};
    info.cbSize = kToolInfoSize;
    info.hwnd = owner;
    info.uId = id;
    return info;
}

} // namespace

void HotAreaTips::create(HWND owner, const Form& form, const Dpi& dpi) {
    owner_ = owner;
    for (const auto& control : form.controls()) {
        if (control->kind() != ControlKind::HotArea) {
            continue;
        }
        const auto& area = static_cast<const HotArea&>(*control);
        if (!area.tooltip().empty()) {
            tools_.push_back({&area, dpi.toPixels(area.rect()), false});
        }
    }
    if (tools_.empty()) {
        return;
    }
    // Always shown, also while the form is not the active window.
    tips_.reset(CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr,
                                WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                GetModuleHandleA(nullptr), nullptr));
    if (!tips_) {
        tools_.clear();
        return;
    }
    for (std::size_t i = 0; i < tools_.size(); ++i) {
        if (tools_[i].area->visible()) {
            add(tools_[i], i + 1);
        }
    }
}

void HotAreaTips::destroy() {
    tips_.reset();
    tools_.clear();
}

void HotAreaTips::update(const HotArea& area) {
    for (std::size_t i = 0; i < tools_.size(); ++i) {
        Tool& tool = tools_[i];
        if (tool.area != &area) {
            continue;
        }
        if (area.visible() && !tool.added) {
            add(tool, i + 1);
        } else if (!area.visible() && tool.added) {
            remove(tool, i + 1);
        }
    }
}

void HotAreaTips::add(Tool& tool, UINT_PTR id) {
    TOOLINFOA info = ToolInfo(owner_, id);
    // The tooltip watches the form's mouse messages itself.
    info.uFlags = TTF_SUBCLASS;
    info.rect = tool.rect;
    // The tooltip copies the text.
    info.lpszText = const_cast<char*>(tool.area->tooltip().c_str());
    tool.added = SendMessageA(tips_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&info)) != 0;
}

void HotAreaTips::remove(Tool& tool, UINT_PTR id) {
    TOOLINFOA info = ToolInfo(owner_, id);
    SendMessageA(tips_.get(), TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&info));
    tool.added = false;
}

} // namespace ui::win32

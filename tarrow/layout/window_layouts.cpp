#include "tarrow/layout/window_layouts.h"

#include <string>

namespace tarrow {

LaidOutHotArea::LaidOutHotArea(ui::Form& form, const HotAreaLayout& row)
    : ui::HotArea(form, std::string(row.name), row.rect, std::string(row.tooltip),
                  std::string(row.accessibleName)) {
    setVisible(row.shown);
    setTabIndex(row.tabIndex);
}

} // namespace tarrow

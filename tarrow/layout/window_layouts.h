// The hot areas of Tarrow's picture windows: one table per window
// (tarrow/layout/*.def), read by the windows here, by images/draw.sh, which
// draws each button where its row puts it, and by the tests, which hold the
// committed pictures to the rows. A table names the picture its rows lie
// over and has one line per hot area:
//
//   TARROW_PICTURE("file name in the images folder")
//   TARROW_HOT_AREA(name, left, top, width, height,  the hot area, in twips
//                   x, y, width, height, "#RRGGBB",  the button drawn under it,
//                                                    in the picture's pixels,
//                                                    and its face colour
//                   tab index,                       -1: no tab stop
//                   shown,                           when the window is made
//                   "tooltip", "accessible name")
//
// A drawn button lies inside its hot area, and a hot area inside its
// picture, unless the table says why not:
//
//   TARROW_BUTTON_BEYOND_AREA(name, "why")
//   TARROW_AREA_BEYOND_PICTURE(name, "why")
#pragma once

#include "ui/controls.h"
#include "ui/geometry.h"

#include <string_view>

namespace tarrow {

// What the program takes from a row: the drawn button is the picture's.
struct HotAreaLayout {
    std::string_view name;
    ui::TwipRect rect;
    int tabIndex;
    bool shown;
    std::string_view tooltip;
    std::string_view accessibleName;
};

#define TARROW_PICTURE(file)
#define TARROW_HOT_AREA(name, left, top, width, height, x, y, drawnWidth, drawnHeight, face,       \
                        tabIndex, shown, tooltip, accessibleName)                                  \
    HotAreaLayout{#name, {left, top, width, height}, tabIndex, shown, tooltip, accessibleName},
#define TARROW_BUTTON_BEYOND_AREA(name, why)
#define TARROW_AREA_BEYOND_PICTURE(name, why)

inline constexpr HotAreaLayout kIntroLayout[] = {
#include "tarrow/layout/intro.def"
};
inline constexpr HotAreaLayout kMainLayout[] = {
#include "tarrow/layout/main.def"
};
inline constexpr HotAreaLayout kNoticeLayout[] = {
#include "tarrow/layout/notice.def"
};
inline constexpr HotAreaLayout kHelpLayout[] = {
#include "tarrow/layout/help.def"
};
inline constexpr HotAreaLayout kInformationLayout[] = {
#include "tarrow/layout/information.def"
};

#undef TARROW_AREA_BEYOND_PICTURE
#undef TARROW_BUTTON_BEYOND_AREA
#undef TARROW_HOT_AREA
#undef TARROW_PICTURE

// A hot area made as its row says: place, name, tooltip, accessible name,
// tab index and whether it shows.
class LaidOutHotArea final : public ui::HotArea {
public:
    LaidOutHotArea(ui::Form& form, const HotAreaLayout& row);
};

} // namespace tarrow

#include "tarrow/main/main_form.h"

#include "shutdown/markers.h"
#include "tarrow/pictures.h"

#include <array>
#include <string_view>

namespace tarrow {

namespace {

const ui::FormDesign kDesign{
    "Form2",
    "Tarrow",
    ui::BorderStyle::None,
    {9840, 7560},
    ui::Placement::CenterScreen,
    true,
    true,
    {"", "What would you like to do?"},
};

struct HotAreaDesign {
    std::string_view name;
    ui::TwipRect rect;
    bool visible;
    const char* tooltip;
    // What a screen reader calls it: the words the picture shows there.
    const char* accessibleName;
    // The menu's column from the top, then the bottom row from the left.
    // Label7 takes Label6's place while a speed-up is in force.
    int tabIndex;
};

// Indexed by MainHotArea.
constexpr std::array<HotAreaDesign, kMainHotAreaCount> kHotAreas{{
    {"Label1", {0, 6480, 735, 735}, true, "Exit", "Exit", 3},
    {"Label3", {4920, 2520, 4455, 615}, true, "", "Rate my current settings", 0},
    {"Label6", {4920, 3480, 4455, 615}, true, "", "Speed up shutdown", 1},
    {"Label7", {4920, 3480, 4455, 615}, false, "", "Speed up shutdown", 1},
    {"Label5", {4920, 4440, 4455, 615}, false, "", "Restore original settings", 2},
    {"Label8", {1800, 6360, 735, 855}, true, "Help", "Help", 5},
    {"Label2", {720, 6480, 855, 615}, true, "Information of the program", "About", 4},
}};
static_assert(kHotAreas.size() == static_cast<std::size_t>(MainHotArea::Information) + 1,
              "one design per hot area");

// The progress bar lies in the free band below the menu's column.
constexpr ui::TwipRect kProgressBar{4920, 5400, 4455, 255};

// The settings window's speed-up makes this many progress steps.
constexpr float kApplySteps = 180.0f;

} // namespace

MainForm::MainForm(ui::Driver& driver)
    : ui::Form(driver, kDesign), Label1(AddHotArea(MainHotArea::Exit)),
      Label3(AddHotArea(MainHotArea::Rate)), Label6(AddHotArea(MainHotArea::Settings)),
      Label7(AddHotArea(MainHotArea::Notice)), Label5(AddHotArea(MainHotArea::Restore)),
      Label8(AddHotArea(MainHotArea::Help)), Label2(AddHotArea(MainHotArea::Information)),
      PB1(add<ui::ProgressBar>("PB1", kProgressBar)) {
    PB1.setVisible(false);

    Label1.onClick = [this] { this->driver().endProgram(); };
    Label3.onClick = [this] { RateSettings(); };
    Label6.onClick = [this] {
        Open(MainChild::Settings);
        PB1.setMax(kApplySteps);
    };
    Label5.onClick = [this] { RestoreSettings(); };
    Label7.onClick = [this] { Open(MainChild::Notice); };
    Label8.onClick = [this] { Open(MainChild::Help); };
    Label2.onClick = [this] { Open(MainChild::Information); };
}

void MainForm::onLoad() {
    auto& platform = driver().platform();
    setPicture(PicturePath(platform, "manu 2.jpg"));
    const shutdown::MarkersRead markers = shutdown::ReadMarkers(platform);
    if (markers.change) {
        Label5.setVisible(true);
    }
    if (markers.saved) {
        Label6.setVisible(false);
        Label7.setVisible(true);
    }
}

ui::HotArea& MainForm::AddHotArea(MainHotArea which) {
    const HotAreaDesign& design = kHotAreas[static_cast<std::size_t>(which)];
    ui::HotArea& area = add<ui::HotArea>(std::string(design.name), design.rect, design.tooltip,
                                         design.accessibleName);
    area.setVisible(design.visible);
    area.setTabIndex(design.tabIndex);
    return area;
}

void MainForm::Open(MainChild child) {
    setEnabled(false);
    if (onOpen) {
        onOpen(child);
    }
}

} // namespace tarrow

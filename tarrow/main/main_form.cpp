#include "tarrow/main/main_form.h"

#include "shutdown/markers.h"
#include "tarrow/layout/window_layouts.h"
#include "tarrow/pictures.h"

#include <iterator>
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

// Indexed by MainHotArea: the table's rows in their order.
constexpr bool RowIs(MainHotArea which, std::string_view name) {
    return kMainLayout[static_cast<std::size_t>(which)].name == name;
}
static_assert(std::size(kMainLayout) == kMainHotAreaCount, "one row per hot area");
static_assert(RowIs(MainHotArea::Exit, "Label1") && RowIs(MainHotArea::Rate, "Label3") &&
                  RowIs(MainHotArea::Settings, "Label6") && RowIs(MainHotArea::Notice, "Label7") &&
                  RowIs(MainHotArea::Restore, "Label5") && RowIs(MainHotArea::Help, "Label8") &&
                  RowIs(MainHotArea::Information, "Label2"),
              "the rows in MainHotArea's order");

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
    return add<LaidOutHotArea>(kMainLayout[static_cast<std::size_t>(which)]);
}

void MainForm::Open(MainChild child) {
    setEnabled(false);
    if (onOpen) {
        onOpen(child);
    }
}

} // namespace tarrow

#include "tarrow/main/main_form.h"

#include "shutdown/markers.h"
#include "tarrow/pictures.h"
#include "tarrow/program/tarrow_app.h"

#include <array>
#include <string_view>

namespace tarrow {

namespace {

const ui::FormDesign kDesign{
    "Form2", "Tarrow", ui::BorderStyle::None, {9840, 7560}, ui::Placement::CenterScreen, true, true,
};

// The hot areas over the menu picture, in the order they lie on each other
// (Label7 lies exactly over Label6; at most one of them is shown).
struct HotAreaDesign {
    std::string_view name;
    ui::TwipRect rect;
    bool visible;
    const char* tooltip;
};

constexpr std::array<HotAreaDesign, 7> kHotAreas{{
    {"Label1", {0, 6480, 735, 735}, true, "Exit"},
    {"Label3", {4920, 2520, 4455, 615}, true, ""},
    {"Label6", {4920, 3480, 4455, 615}, true, ""},
    {"Label7", {4920, 3480, 4455, 615}, false, ""},
    {"Label5", {4920, 4440, 4455, 615}, false, ""},
    {"Label8", {1800, 6360, 735, 855}, true, "Help"},
    {"Label2", {720, 6480, 855, 615}, true, "Information of the program"},
}};

const HotAreaDesign& HotAreaNamed(std::string_view name) {
    for (const HotAreaDesign& design : kHotAreas) {
        if (design.name == name) {
            return design;
        }
    }
    return kHotAreas.front();
}

// The progress bar lies in the free band below the menu's column.
constexpr ui::TwipRect kProgressBar{4920, 5400, 4455, 255};

// The speed-up makes this many progress steps.
constexpr float kApplySteps = 180.0f;

} // namespace

MainForm::MainForm(TarrowApp& app)
    : ui::Form(app.driver(), kDesign), Label1(AddHotArea("Label1")), Label3(AddHotArea("Label3")),
      Label6(AddHotArea("Label6")), Label7(AddHotArea("Label7")), Label5(AddHotArea("Label5")),
      Label8(AddHotArea("Label8")), Label2(AddHotArea("Label2")),
      PB1(add<ui::ProgressBar>("PB1", kProgressBar)), app_(app) {
    PB1.setVisible(false);

    Label1.onClick = [this] { driver().endProgram(); };
    Label3.onClick = [this] { RateSettings(); };
    Label6.onClick = [this] {
        OpenChild(app_.Working());
        PB1.setMax(kApplySteps);
    };
    Label5.onClick = [this] { RestoreSettings(); };
    Label7.onClick = [this] { OpenChild(app_.Form6()); };
    Label8.onClick = [this] { OpenChild(app_.Form7()); };
    Label2.onClick = [this] { OpenChild(app_.Form3()); };
}

void MainForm::onLoad() {
    auto& platform = app_.platform();
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

ui::HotArea& MainForm::AddHotArea(std::string_view name) {
    const HotAreaDesign& design = HotAreaNamed(name);
    ui::HotArea& area = add<ui::HotArea>(std::string(design.name), design.rect, design.tooltip);
    area.setVisible(design.visible);
    return area;
}

void MainForm::OpenChild(ui::Form& child) {
    setEnabled(false);
    child.show(this);
}

} // namespace tarrow

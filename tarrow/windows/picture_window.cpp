#include "tarrow/windows/picture_window.h"

#include "tarrow/pictures.h"
#include "tarrow/program/tarrow_app.h"

namespace tarrow {

namespace {

using ui::BorderStyle;
using ui::Placement;

// Every member is a dialog-framed window without a title bar that does not
// show in the taskbar.
ui::FormDesign Window(const char* name, ui::TwipSize size, Placement placement,
                      bool draggable = false) {
    return {name, "", BorderStyle::FixedDialog, size, placement, false, draggable};
}

constexpr std::array<CloseStep, 3> kHideThenEnableMain{CloseStep::HideSelf, CloseStep::EnableMain,
                                                       CloseStep::None};

const std::array<PictureWindowDesign, 8> kPictureWindows{{
    {PictureWindowId::Star,
     Window("Star", {5985, 1485}, Placement::CenterOwner),
     "star.jpg",
     CloseArea::Anywhere,
     {},
     {},
     kHideThenEnableMain},
    {PictureWindowId::Fast,
     Window("Fast", {6000, 1470}, Placement::CenterOwner),
     "fast.jpg",
     CloseArea::Anywhere,
     {},
     {},
     kHideThenEnableMain},
    {PictureWindowId::Normal,
     Window("Normal", {5985, 1470}, Placement::CenterOwner),
     "normal.jpg",
     CloseArea::Anywhere,
     {},
     {},
     kHideThenEnableMain},
    {PictureWindowId::Slow,
     Window("Slow", {6000, 1500}, Placement::CenterOwner),
     "slow.jpg",
     CloseArea::Anywhere,
     {},
     {},
     kHideThenEnableMain},
    {PictureWindowId::Form6,
     Window("Form6", {4050, 4035}, Placement::WindowsDefault),
     "off.jpg",
     CloseArea::AnywhereButLabel,
     "Label1",
     {0, 0, 3855, 1575},
     {CloseStep::EnableMain, CloseStep::HideSelf, CloseStep::None}},
    {PictureWindowId::Form7,
     Window("Form7", {7500, 6000}, Placement::WindowsDefault),
     "recomend.jpg",
     CloseArea::LabelOnly,
     "Label1",
     {0, 5520, 495, 615},
     {CloseStep::EnableIntro, CloseStep::EnableMain, CloseStep::HideSelf}},
    {PictureWindowId::Form3,
     Window("Form3", {4500, 3585}, Placement::CenterOwner, true),
     "helpregistered.jpg",
     CloseArea::LabelOnly,
     "Label2",
     {3960, 0, 495, 375},
     {CloseStep::HideSelf, CloseStep::EnableMain, CloseStep::EnableIntro}},
    {PictureWindowId::Filee,
     Window("Filee", {4485, 4485}, Placement::CenterScreen),
     "",
     CloseArea::Anywhere,
     {},
     {},
     {CloseStep::EndProgram, CloseStep::None, CloseStep::None}},
}};

} // namespace

const PictureWindowDesign& DesignOf(PictureWindowId id) {
    for (const PictureWindowDesign& design : kPictureWindows) {
        if (design.id == id) {
            return design;
        }
    }
    return kPictureWindows.front();
}

PictureWindow::PictureWindow(TarrowApp& app, PictureWindowId id)
    : ui::Form(app.driver(), DesignOf(id).form), app_(app), design_(DesignOf(id)) {
    if (!design_.labelName.empty()) {
        label_ = &add<ui::HotArea>(std::string(design_.labelName), design_.label);
        if (design_.closeArea == CloseArea::LabelOnly) {
            label_->onClick = [this] { Close(); };
        }
    }
}

void PictureWindow::onLoad() {
    if (!design_.picture.empty()) {
        setPicture(PicturePath(app_.platform(), design_.picture));
    }
}

void PictureWindow::onClick() {
    if (design_.closeArea != CloseArea::LabelOnly) {
        Close();
    }
}

void PictureWindow::Close() {
    for (CloseStep step : design_.closeSteps) {
        switch (step) {
        case CloseStep::None:
            break;
        case CloseStep::HideSelf:
            hide();
            break;
        case CloseStep::EnableMain:
            app_.Form2().setEnabled(true);
            break;
        case CloseStep::EnableIntro:
            app_.Form1().setEnabled(true);
            break;
        case CloseStep::EndProgram:
            driver().endProgram();
            return;
        }
    }
}

} // namespace tarrow

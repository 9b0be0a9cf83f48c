#include "tarrow/windows/picture_window.h"

#include "tarrow/pictures.h"

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

constexpr std::array<CloseStep, 3> kHideThenClosed{CloseStep::HideSelf, CloseStep::Closed,
                                                   CloseStep::None};
constexpr std::array<CloseStep, 3> kClosedThenHide{CloseStep::Closed, CloseStep::HideSelf,
                                                   CloseStep::None};

// Indexed by PictureWindowId.
const std::array<PictureWindowDesign, kPictureWindowCount> kPictureWindows{{
    {Window("Star", {5985, 1485}, Placement::CenterOwner),
     "star.jpg",
     CloseArea::Anywhere,
     {},
     {},
     kHideThenClosed},
    {Window("Fast", {6000, 1470}, Placement::CenterOwner),
     "fast.jpg",
     CloseArea::Anywhere,
     {},
     {},
     kHideThenClosed},
    {Window("Normal", {5985, 1470}, Placement::CenterOwner),
     "normal.jpg",
     CloseArea::Anywhere,
     {},
     {},
     kHideThenClosed},
    {Window("Slow", {6000, 1500}, Placement::CenterOwner),
     "slow.jpg",
     CloseArea::Anywhere,
     {},
     {},
     kHideThenClosed},
    {Window("Form6", {4050, 4035}, Placement::WindowsDefault),
     "off.jpg",
     CloseArea::AnywhereButLabel,
     "Label1",
     {0, 0, 3855, 1575},
     kClosedThenHide},
    {Window("Form7", {7500, 6000}, Placement::WindowsDefault),
     "recomend.jpg",
     CloseArea::LabelOnly,
     "Label1",
     {0, 5520, 495, 615},
     kClosedThenHide},
    {Window("Form3", {4500, 3585}, Placement::CenterOwner, true),
     "helpregistered.jpg",
     CloseArea::LabelOnly,
     "Label2",
     {3960, 0, 495, 375},
     kHideThenClosed},
    {Window("Filee", {4485, 4485}, Placement::CenterScreen),
     "",
     CloseArea::Anywhere,
     {},
     {},
     {CloseStep::EndProgram, CloseStep::None, CloseStep::None}},
}};

} // namespace

static_assert(static_cast<std::size_t>(PictureWindowId::Filee) + 1 == kPictureWindowCount,
              "one design per picture window");

const PictureWindowDesign& DesignOf(PictureWindowId id) {
    return kPictureWindows[static_cast<std::size_t>(id)];
}

PictureWindow::PictureWindow(ui::Driver& driver, PictureWindowId id)
    : ui::Form(driver, DesignOf(id).form), id_(id), design_(DesignOf(id)) {
    if (!design_.labelName.empty()) {
        label_ = &add<ui::HotArea>(std::string(design_.labelName), design_.label);
        if (design_.closeArea == CloseArea::LabelOnly) {
            label_->onClick = [this] { Close(); };
        }
    }
}

void PictureWindow::onLoad() {
    if (!design_.picture.empty()) {
        setPicture(PicturePath(driver().platform(), design_.picture));
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
        case CloseStep::Closed:
            if (onClosed) {
                onClosed();
            }
            break;
        case CloseStep::EndProgram:
            driver().endProgram();
            return;
        }
    }
}

} // namespace tarrow

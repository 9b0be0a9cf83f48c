#include "tarrow/windows/picture_window.h"

#include "tarrow/pictures.h"

namespace tarrow {

namespace {

using ui::BorderStyle;
using ui::Placement;

// Every member is a dialog-framed window without a title bar that does not
// show in the taskbar. Without a caption, a screen reader names it by the
// words its picture shows.
ui::FormDesign Window(const char* name, ui::TwipSize size, Placement placement,
                      const char* accessibleName, const char* description, bool draggable = false) {
    return {name,  "",        BorderStyle::FixedDialog,     size, placement,
            false, draggable, {accessibleName, description}};
}

// A picture window's label is the one row of its layout table.
template <std::size_t N> constexpr const HotAreaLayout* OnlyRowOf(const HotAreaLayout (&table)[N]) {
    static_assert(N == 1, "a picture window has one label");
    return &table[0];
}

constexpr std::array<CloseStep, 3> kHideThenClosed{CloseStep::HideSelf, CloseStep::Closed,
                                                   CloseStep::None};
constexpr std::array<CloseStep, 3> kClosedThenHide{CloseStep::Closed, CloseStep::HideSelf,
                                                   CloseStep::None};

// Indexed by PictureWindowId.
const std::array<PictureWindowDesign, kPictureWindowCount> kPictureWindows{{
    {Window("Star", {5985, 1485}, Placement::CenterOwner, "Rating: Excellent",
            "Your shutdown is as fast as it gets."),
     "star.jpg", CloseArea::Anywhere, nullptr, kHideThenClosed},
    {Window("Fast", {6000, 1470}, Placement::CenterOwner, "Rating: Fast",
            "Your shutdown settings are fast."),
     "fast.jpg", CloseArea::Anywhere, nullptr, kHideThenClosed},
    {Window("Normal", {5985, 1470}, Placement::CenterOwner, "Rating: Normal",
            "Windows\u2019 usual settings. Speed up shutdown to make it faster."),
     "normal.jpg", CloseArea::Anywhere, nullptr, kHideThenClosed},
    {Window("Slow", {6000, 1500}, Placement::CenterOwner, "Rating: Slow",
            "Windows waits a long time at shutdown. Speed it up from the main window."),
     "slow.jpg", CloseArea::Anywhere, nullptr, kHideThenClosed},
    {Window("Form6", {4050, 4035}, Placement::WindowsDefault, "Shutdown is already sped up.",
            "To undo it, click \u201cRestore original settings\u201d in the main window, or run "
            "the uninstaller."),
     "off.jpg", CloseArea::AnywhereButLabel, OnlyRowOf(kNoticeLayout), kClosedThenHide},
    {Window("Form7", {7500, 6000}, Placement::WindowsDefault, "Help",
            "Rate my current settings: reads the shutdown time-outs from the registry and shows "
            "how fast your shutdown is. Speed up shutdown: choose Powerful (no waiting at all) "
            "or Fast (a 10 ms wait), and if you like, remove the shutdown sound. Your current "
            "settings are saved first. Making a system restore point beforehand is recommended. "
            "Restore original settings: puts back the settings that were saved before the "
            "speed-up. It works once a speed-up has been made. Uninstalling Tarrow: the "
            "uninstaller restores all original settings as well."),
     "recomend.jpg", CloseArea::LabelOnly, OnlyRowOf(kHelpLayout), kClosedThenHide},
    {Window("Form3", {4500, 3585}, Placement::CenterOwner, "About Tarrow",
            "Tarrow, version 1.0. Makes Windows shut down faster. Needs administrator rights. "
            "Free software.",
            true),
     "helpregistered.jpg", CloseArea::LabelOnly, OnlyRowOf(kInformationLayout), kHideThenClosed},
    {Window("Filee", {4485, 4485}, Placement::CenterScreen,
            "Some of Tarrow\u2019s files are missing.", "Please reinstall Tarrow."),
     "",
     CloseArea::Anywhere,
     nullptr,
     {CloseStep::EndProgram, CloseStep::None, CloseStep::None}},
}};

// The keyboard's way out follows where a click closes the window: Enter,
// Space and Esc act as a click anywhere; with a label that does nothing,
// Enter and Esc; with a closing label, Esc clicks it.
ui::FormDesign WithWayOut(const PictureWindowDesign& design) {
    ui::FormDesign form = design.form;
    switch (design.closeArea) {
    case CloseArea::Anywhere:
        form.access.surfaceKeys = {ui::Key::Enter, ui::Key::Space, ui::Key::Escape};
        break;
    case CloseArea::AnywhereButLabel:
        form.access.surfaceKeys = {ui::Key::Enter, ui::Key::Escape};
        break;
    case CloseArea::LabelOnly:
        form.access.escapeControl = std::string(design.label->name);
        break;
    }
    return form;
}

} // namespace

static_assert(static_cast<std::size_t>(PictureWindowId::Filee) + 1 == kPictureWindowCount,
              "one design per picture window");

const PictureWindowDesign& DesignOf(PictureWindowId id) {
    return kPictureWindows[static_cast<std::size_t>(id)];
}

PictureWindow::PictureWindow(ui::Driver& driver, PictureWindowId id)
    : ui::Form(driver, WithWayOut(DesignOf(id))), id_(id), design_(DesignOf(id)) {
    if (design_.label != nullptr) {
        label_ = &add<LaidOutHotArea>(*design_.label);
        if (design_.closeArea == CloseArea::LabelOnly) {
            // The one tab stop: Tab finds it, Enter or Space closes.
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

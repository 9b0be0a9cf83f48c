#include "tarrow/settings/working_form.h"

#include "tarrow/pictures.h"

namespace tarrow {

namespace {

// Without a caption, a screen reader names it by the words its picture
// shows; Esc is its Cancel.
const ui::FormDesign kDesign{
    "Working",
    "",
    ui::BorderStyle::FixedDialog,
    {5985, 3000},
    ui::Placement::CenterScreen,
    false,
    false,
    {"Speed up shutdown", "", {}, "Command2"},
};

const ui::Font kTahoma{"Tahoma", 8.25};

template <typename T> T& WithTabIndex(T& control, int tabIndex) {
    control.setTabIndex(tabIndex);
    return control;
}

} // namespace

WorkingForm::WorkingForm(ui::Driver& driver)
    : ui::Form(driver, kDesign),
      Check1(WithTabIndex(add<ui::CheckBox>("Check1", ui::TwipRect{2400, 1920, 3015, 255},
                                            "Remove  windows shutdown sound", kTahoma),
                          0)),
      Command1(WithTabIndex(
          add<ui::CommandButton>("Command1", ui::TwipRect{3120, 2520, 1575, 375}, "Processoring"),
          1)),
      Command2(WithTabIndex(
          add<ui::CommandButton>("Command2", ui::TwipRect{1440, 2520, 1455, 375}, "Cancel"), 2)),
      Frame1(WithTabIndex(add<ui::Frame>("Frame1", ui::TwipRect{2400, 960, 3015, 855},
                                         "Time out (For Advanced User)"),
                          3)),
      Option1(
          WithTabIndex(add<ui::OptionButton>("Option1", Frame1, ui::TwipRect{120, 360, 2535, 195},
                                             "Powerful", kTahoma),
                       4)),
      Option2(
          WithTabIndex(add<ui::OptionButton>("Option2", Frame1, ui::TwipRect{120, 600, 2535, 195},
                                             "Fast(Our recommend)", kTahoma),
                       5)) {
    Command1.onClick = [this] { Command1_Click(); };
    Command2.onClick = [this] { Command2_Click(); };
}

shutdown::ApplyChoice WorkingForm::Choice() const {
    return {Option1.selected(), Check1.value() == ui::CheckState::Checked};
}

void WorkingForm::onLoad() {
    // A picture that cannot be loaded leaves the window without one.
    setPicture(PicturePath(driver().platform(), "working.jpg"));
}

void WorkingForm::Command1_Click() {
    const int answer = driver().messageBox(std::string(kApplyWarningText),
                                           std::string(kApplyWarningTitle), ui::mb::kRetryCancel);
    if (answer != ui::mb::kRetry) {
        return; // nothing changes; the window stays open with its choices
    }
    hide();
    if (onApply) {
        onApply(Choice());
    }
}

void WorkingForm::Command2_Click() {
    hide();
    if (onCancel) {
        onCancel();
    }
}

} // namespace tarrow

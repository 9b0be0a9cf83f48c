// Working, the settings window: the user picks how short the shutdown
// time-outs become and whether the shutdown sound goes, then applies the
// choice or cancels. Hiding it keeps the choices for the next opening.
#pragma once

#include "shutdown/apply.h"
#include "ui/form.h"

#include <functional>
#include <string_view>

namespace tarrow {

// The warning shown before anything is changed: four lines joined by a lone
// carriage return.
inline constexpr std::string_view kApplyWarningText =
    "Warning:\r"
    "As this program can't working in some computer :\r"
    "It is strongly recommended that you make a restore point befor changing any setting.\r"
    "For create a restore point , go to =Start menu>Accessories>System Tools>System Restore";
inline constexpr std::string_view kApplyWarningTitle = "Warning";

class WorkingForm final : public ui::Form {
public:
    explicit WorkingForm(ui::Driver& driver);

    ui::CheckBox& Check1;
    ui::CommandButton& Command1;
    ui::CommandButton& Command2;
    ui::Frame& Frame1;
    ui::OptionButton& Option1;
    ui::OptionButton& Option2;

    // What the controls ask for now: only "Powerful" writes "0", and only a
    // checked box (not a grayed one) silences the sound.
    shutdown::ApplyChoice Choice() const;

    // The user confirmed the warning: the window has hidden itself, keeping
    // its choices, and the speed-up is to run with them.
    std::function<void(const shutdown::ApplyChoice&)> onApply;
    // The user cancelled: the window has hidden itself; nothing changes.
    std::function<void()> onCancel;

protected:
    void onLoad() override;

private:
    void Command1_Click();
    void Command2_Click();
};

} // namespace tarrow

// Form1, the uninstaller's one window ("Uninstalling"): on its first timer
// tick it puts the saved settings back, deletes every saved file and ends
// the program. It never waits for the user.
#pragma once

#include "rollback/dos_outputs.h"
#include "ui/form.h"

#include <memory>
#include <string_view>

namespace tarrow::rollback {

class RollbackApp;

// The background picture, stored in the executable's resources.
inline constexpr int kBackgroundPictureResource = 2;

inline constexpr std::string_view kPleaseWaitText =
    "To continue and complete the uninstalling please wait.\rIt taks a few minutes.";

class UninstallForm final : public ui::Form {
public:
    explicit UninstallForm(RollbackApp& app);

    ui::TextLabel& Label1;
    ui::ProgressBar& PB1;
    ui::Timer& Timer1;
    // Made when the window loads and kept for its life; the uninstall runs
    // no command through it.
    const DOSOutputs* objDOS() const { return objDOS_.get(); }

protected:
    void onInitialize() override;
    void onLoad() override;

private:
    void Timer1_Timer();

    RollbackApp& app_;
    std::unique_ptr<DOSOutputs> objDOS_;
};

} // namespace tarrow::rollback

// Form1, the uninstaller's one window ("Uninstalling"): on its first timer
// tick it puts the saved settings back, deletes every saved file and ends
// the program; while Tarrow.exe runs it does none of it. It never waits for
// the user.
#pragma once

#include "manifest/manifest_text.h"
#include "rollback/dos_outputs.h"
#include "shutdown/restore.h"
#include "ui/form.h"

#include <cstdint>

#include <memory>
#include <string_view>

namespace tarrow::rollback {

// The title of the uninstaller's message boxes.
inline constexpr std::string_view kProgramTitle = "rollback";

// The background picture, stored in the executable's resources.
inline constexpr int kBackgroundPictureResource = 2;

// How the uninstaller ends: everything is back (or nothing was saved); the
// saved copy could not all be put back and is kept; it is damaged and kept.
inline constexpr std::uint32_t kExitRestored = 0;
inline constexpr std::uint32_t kExitIncomplete = 1;
inline constexpr std::uint32_t kExitDamaged = 2;
// Something unexpected stopped it.
inline constexpr std::uint32_t kExitUnexpected = 3;
// Tarrow.exe runs: nothing was put back and every saved file is kept.
inline constexpr std::uint32_t kExitTarrowRunning = 4;
// An earlier version's change is in force and the account that made it is
// unknown: nothing was put back, and every saved file is kept.
inline constexpr std::uint32_t kExitOwnerUnknown = 5;
// Another of Tarrow's operations held the machine-wide lock for the whole
// wait (kUninstallLockWaitMs): nothing was written.
inline constexpr std::uint32_t kExitAnotherOperation = 6;

// The uninstaller's exit code for how its restore ended.
std::uint32_t ExitCodeOf(shutdown::RestoreOutcome outcome);

inline constexpr std::string_view kPleaseWaitText =
    "To continue and complete the uninstalling please wait.\rIt taks a few minutes.";

class UninstallForm final : public ui::Form {
public:
    UninstallForm(ui::Driver& driver, modxpstyle::ProgramIdentity identity);

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

    modxpstyle::ProgramIdentity identity_;
    std::unique_ptr<DOSOutputs> objDOS_;
};

} // namespace tarrow::rollback

#include "rollback/uninstall_form.h"

#include "manifest/modxpstyle.h"
#include "rollback/clean_uninstall.h"
#include "shell/bar_progress.h"
#include "shell/running_mark.h"
#include "shutdown/operation_lock.h"
#include "shutdown/operation_log.h"
#include "shutdown/uninstall_mark.h"
#include "shutdown/saved_copy.h"

#include <utility>

namespace tarrow::rollback {

namespace {

const ui::FormDesign kDesign{
    "Form1",
    "Uninstalling",
    ui::BorderStyle::FixedDialog,
    {6000, 2400},
    ui::Placement::CenterScreen,
    true,
    false,
    {"", "Tarrow uninstaller. Restoring your original settings."},
};

constexpr std::uint32_t kTickMs = 500;

} // namespace

UninstallForm::UninstallForm(ui::Driver& driver, modxpstyle::ProgramIdentity identity)
    : ui::Form(driver, kDesign),
      Label1(add<ui::TextLabel>("Label1", ui::TwipRect{360, 1020, 5280, 480})),
      PB1(add<ui::ProgressBar>("PB1", ui::TwipRect{360, 1740, 5280, 255}, 100.0f)),
      Timer1(addTimer("Timer1", kTickMs, true)), identity_(std::move(identity)) {
    Timer1.onTick = [this] { Timer1_Timer(); };
}

void UninstallForm::onInitialize() {
    // On the first start this writes the manifest, starts the uninstaller
    // again and ends here with the new instance's code, which the uninstall
    // that started this one waits for; the new instance finds the manifest.
    modxpstyle::WriteStyleManifest(driver().platform(), identity_, true, false,
                                   modxpstyle::AfterRestart::EndWithTheNewInstance);
}

void UninstallForm::onLoad() {
    setResourcePicture(kBackgroundPictureResource);
    objDOS_ =
        std::make_unique<DOSOutputs>(driver().platform(), driver(), std::string(kProgramTitle));
    Label1.setCaption(std::string(kPleaseWaitText));
}

std::uint32_t ExitCodeOf(shutdown::RestoreOutcome outcome) {
    switch (outcome) {
    case shutdown::RestoreOutcome::Restored:
    case shutdown::RestoreOutcome::NothingToRestore:
        return kExitRestored;
    case shutdown::RestoreOutcome::Incomplete:
        return kExitIncomplete;
    case shutdown::RestoreOutcome::Damaged:
        return kExitDamaged;
    case shutdown::RestoreOutcome::OwnerUnknown:
        return kExitOwnerUnknown;
    }
    return kExitIncomplete;
}

namespace {

// Adds the uninstall's entry to Tarrow.log, which names the exit code the
// program ends with.
void LogUninstall(platform::Platform& platform, shutdown::Refusal refusal,
                  const shutdown::RestoreReport* report, std::uint32_t exitCode) {
    shutdown::LogOperation(
        platform, {shutdown::LoggedOperation::Uninstall, refusal, nullptr, report, exitCode},
        shutdown::ProgramFolder(platform));
}

// Ends the program after its entry in Tarrow.log.
void EndLogged(ui::Driver& driver, shutdown::Refusal refusal, const shutdown::RestoreReport* report,
               std::uint32_t exitCode) {
    LogUninstall(driver.platform(), refusal, report, exitCode);
    driver.endProgram(exitCode);
}

} // namespace

void UninstallForm::Timer1_Timer() {
    Timer1.setEnabled(false); // the work runs once
    auto& platform = driver().platform();
    if (shell::TarrowRuns(platform)) {
        // Its windows would go on showing the settings it found, and a
        // speed-up it runs would write over what comes back.
        EndLogged(driver(), shutdown::Refusal::TarrowRunning, nullptr, kExitTarrowRunning);
        return;
    }
    // Held until the program ends: the restore reads what it meets only
    // once it has the lock.
    auto lock = shutdown::TakeOperationLock(platform, shutdown::kUninstallLockWaitMs);
    if (!lock) {
        EndLogged(driver(), shutdown::Refusal::AnotherOperation, nullptr, kExitAnotherOperation);
        return;
    }
    shell::BarProgress progress(PB1, driver());
    // A complete restore uses the saved files up in both folders; an
    // incomplete one keeps them for a later run, and the exit code tells
    // the setup program not to go on.
    const shutdown::RestoreReport report =
        shutdown::Restore(platform, shutdown::ProgramFolder(platform), progress);
    // The package removes the program after this one ends: until it has,
    // no Tarrow may apply a change that nothing could then undo. The copy's
    // deletion is on disk first, so that a cut cannot bring the copy back
    // beside a mark that keeps every apply from clearing it away.
    const std::uint32_t exitCode = ExitCodeOf(report.outcome);
    if (!shutdown::Completed(report.outcome)) {
        EndLogged(driver(), shutdown::Refusal::None, &report, exitCode);
        return;
    }
    lock->commit();
    // The entry names whose change it was, so it goes in before that
    // record is forgotten.
    LogUninstall(platform, shutdown::Refusal::None, &report, exitCode);
    ForgetWhoApplied(platform, report);
    shutdown::LeaveUninstallMark(platform);
    driver().endProgram(exitCode);
}

} // namespace tarrow::rollback

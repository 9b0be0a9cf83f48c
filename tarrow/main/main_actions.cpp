// What the main window's hot areas start: the speed-up (confirmed in the
// settings window), the restore and the rating. Each runs to its end inside
// the click, on this window's progress bar, then switches the hot areas or,
// when nothing could be done, says why in a box this window owns.
#include "tarrow/main/main_form.h"

#include "shell/bar_progress.h"
#include "shutdown/operation_lock.h"
#include "shutdown/operation_log.h"
#include "shutdown/rating.h"
#include "shutdown/restore.h"
#include "shutdown/saved_copy.h"
#include "shutdown/saved_settings.h"

namespace tarrow {

namespace {

const std::string kWarningTitle = "Warning";
const std::string kNothingSavedText =
    "The current settings could not be saved, so nothing was changed.";
const std::string kIncompleteText =
    "Some settings could not be put back. The saved copy is kept; try the restore again.";
const std::string kOwnerUnknownText =
    "Tarrow's change is in force from an earlier version, and the account that made it is "
    "unknown. Restore it there, or uninstall Tarrow with /FORCE, which keeps the saved settings.";

const std::string kBeingUninstalledText = "Tarrow is being uninstalled, so nothing was changed.";

std::string AnotherOperationText(const std::string& what) {
    return "Another Tarrow operation is running, so nothing was " + what +
           ". Try again when it has ended.";
}

std::string InForceElsewhereText(const std::string& account) {
    return "Tarrow's change is in force from the account " + account +
           ". Restore it there, or uninstall Tarrow.";
}

// The box for a damaged copy names the file, so that it can be found and
// read by hand; `what` is what did not happen.
std::string DamagedText(platform::Platform& platform, const std::string& what) {
    const std::string file =
        SavedFilePath(shutdown::SavedCopyFolderAsShown(platform), kSavedValuesFile);
    return "The saved settings in " + file + " are damaged, so nothing was " + what + ".";
}

// Tarrow goes on running after each operation and ends with 0, whatever
// the operation's outcome: that is the exit code its entries name.
constexpr std::uint32_t kTarrowExitCode = 0;

void Log(platform::Platform& platform, shutdown::OperationEntry entry) {
    entry.exitCode = kTarrowExitCode;
    shutdown::LogOperation(platform, entry, shutdown::ProgramFolder(platform));
}

} // namespace

MainForm::OfferedActions MainForm::Offered() const {
    return {Label5.visible(), Label6.visible(), Label7.visible()};
}

void MainForm::Offer(OfferedActions offered) {
    Label5.setVisible(offered.label5);
    Label6.setVisible(offered.label6);
    Label7.setVisible(offered.label7);
}

void MainForm::Warn(const std::string& text) {
    driver().messageBox(text, kWarningTitle, ui::mb::kOkOnly | ui::mb::kExclamation, this);
}

void MainForm::ApplySettings(const shutdown::ApplyChoice& choice) {
    auto& platform = driver().platform();
    const OfferedActions before = Offered();
    Label5.setVisible(true);
    setEnabled(true);

    // Held to the end of the apply, which reads what it meets only once it
    // has the lock.
    const auto lock = shutdown::TakeOperationLock(platform, shutdown::kTarrowLockWaitMs);
    if (!lock) {
        Log(platform, {shutdown::LoggedOperation::Apply, shutdown::Refusal::AnotherOperation});
        Offer(before);
        Warn(AnotherOperationText("changed"));
        return;
    }
    shell::BarProgress progress(PB1, driver());
    const shutdown::ApplyReport report =
        shutdown::Apply(platform, shutdown::ProgramFolder(platform), choice, progress);
    Log(platform, {shutdown::LoggedOperation::Apply, shutdown::Refusal::None, &report});
    switch (report.outcome) {
    case shutdown::ApplyOutcome::Applied:
        // A speed-up is in force: the notice takes the settings' place.
        Label7.setVisible(true);
        Label6.setVisible(false);
        return;
    case shutdown::ApplyOutcome::NothingSaved:
        Offer(before);
        Warn(kNothingSavedText);
        return;
    case shutdown::ApplyOutcome::InForceElsewhere:
        Offer(before);
        Warn(InForceElsewhereText(report.owner));
        return;
    case shutdown::ApplyOutcome::OwnerUnknown:
        Offer(before);
        Warn(kOwnerUnknownText);
        return;
    case shutdown::ApplyOutcome::SavedCopyDamaged:
        Offer(before);
        Warn(DamagedText(platform, "changed"));
        return;
    case shutdown::ApplyOutcome::BeingUninstalled:
        Offer(before);
        Warn(kBeingUninstalledText);
        return;
    }
}

void MainForm::RestoreSettings() {
    auto& platform = driver().platform();
    auto lock = shutdown::TakeOperationLock(platform, shutdown::kTarrowLockWaitMs);
    if (!lock) {
        Log(platform, {shutdown::LoggedOperation::Restore, shutdown::Refusal::AnotherOperation});
        Warn(AnotherOperationText("restored"));
        return;
    }
    shell::BarProgress progress(PB1, driver());
    const shutdown::RestoreReport report =
        shutdown::Restore(platform, shutdown::ProgramFolder(platform), progress);
    // The copy's deletion is on disk before the window says it is over.
    if (shutdown::Completed(report.outcome)) {
        lock->commit();
    }
    Log(platform, {shutdown::LoggedOperation::Restore, shutdown::Refusal::None, nullptr, &report});
    switch (report.outcome) {
    case shutdown::RestoreOutcome::Restored:
    case shutdown::RestoreOutcome::NothingToRestore:
        Label7.setVisible(false);
        Label6.setVisible(true);
        Label5.setVisible(false);
        return;
    case shutdown::RestoreOutcome::Damaged:
        Warn(DamagedText(platform, "restored"));
        return;
    case shutdown::RestoreOutcome::Incomplete:
        Warn(kIncompleteText);
        return;
    case shutdown::RestoreOutcome::OwnerUnknown:
        Warn(kOwnerUnknownText);
        return;
    }
}

void MainForm::RateSettings() {
    auto& platform = driver().platform();
    shell::BarProgress progress(PB1, driver());
    const shutdown::RatingReport report =
        shutdown::RateCurrentSettings(platform, shutdown::ProgramFolder(platform), progress);
    setEnabled(false);
    if (onRated) {
        onRated(report.rating);
    }
}

} // namespace tarrow

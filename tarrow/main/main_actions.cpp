// What the main window's hot areas start: the speed-up (confirmed in the
// settings window), the restore and the rating. Each runs to its end inside
// the click, on this window's progress bar, then switches the hot areas.
#include "tarrow/main/main_form.h"

#include "shell/bar_progress.h"
#include "shutdown/rating.h"
#include "shutdown/restore.h"
#include "shutdown/saved_files.h"
#include "tarrow/program/tarrow_app.h"

namespace tarrow {

namespace {

const std::string kNothingSavedTitle = "Warning";
const std::string kNothingSavedText =
    "The current settings could not be saved, so nothing was changed.";

} // namespace

MainForm::OfferedActions MainForm::Offered() const {
    return {Label5.visible(), Label6.visible(), Label7.visible()};
}

void MainForm::Offer(OfferedActions offered) {
    Label5.setVisible(offered.label5);
    Label6.setVisible(offered.label6);
    Label7.setVisible(offered.label7);
}

void MainForm::ApplySettings(const shutdown::ApplyChoice& choice) {
    auto& platform = app_.platform();
    const OfferedActions before = Offered();
    Label5.setVisible(true);
    app_.Working().hide();
    setEnabled(true);

    shell::BarProgress progress(PB1, driver());
    const shutdown::ApplyReport report =
        shutdown::Apply(platform, shutdown::ProgramFolder(platform), choice, progress);
    if (report.valuesSaved) {
        // A speed-up is in force: the notice takes the settings' place.
        Label7.setVisible(true);
        Label6.setVisible(false);
        return;
    }
    Offer(before);
    driver().messageBox(kNothingSavedText, kNothingSavedTitle,
                        ui::mb::kOkOnly | ui::mb::kExclamation);
}

void MainForm::RestoreSettings() {
    auto& platform = app_.platform();
    const std::string folder = shutdown::ProgramFolder(platform);
    shell::BarProgress progress(PB1, driver());
    shutdown::Restore(platform, folder, progress);
    Label7.setVisible(false);
    Label6.setVisible(true);
    Label5.setVisible(false);
    // The lasting copies stay in the system directory.
    shutdown::DeleteSavedFiles(platform, folder);
}

void MainForm::RateSettings() {
    auto& platform = app_.platform();
    shell::BarProgress progress(PB1, driver());
    const shutdown::RatingReport report =
        shutdown::RateCurrentSettings(platform, shutdown::ProgramFolder(platform), progress);
    OpenChild(app_.RatingWindow(report.rating));
}

} // namespace tarrow

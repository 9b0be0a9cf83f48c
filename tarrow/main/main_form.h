// Form2, the main window: a picture of the menu with transparent hot areas
// over it. The two markers decide which hot areas it offers at start; the
// speed-up, the restore and the rating switch them as they go, and show
// their progress on its bar.
#pragma once

#include "shutdown/apply.h"
#include "ui/form.h"

#include <string>
#include <string_view>

namespace tarrow {

class TarrowApp;

class MainForm final : public ui::Form {
public:
    explicit MainForm(TarrowApp& app);

    ui::HotArea& Label1; // exit
    ui::HotArea& Label3; // rate the current settings
    ui::HotArea& Label6; // settings window (while no speed-up is in force)
    ui::HotArea& Label7; // notice that a speed-up is in force (over Label6)
    ui::HotArea& Label5; // restore (while a speed-up is in force)
    ui::HotArea& Label8; // help
    ui::HotArea& Label2; // information about the program
    ui::ProgressBar& PB1;

    // The speed-up with the choice made in the settings window, which the
    // user has confirmed: hides that window and runs on this window's bar.
    void ApplySettings(const shutdown::ApplyChoice& choice);
    // Puts the saved settings back (Label5).
    void RestoreSettings();
    // Rates the current settings and shows the rating's window (Label3).
    void RateSettings();

protected:
    void onLoad() override;

private:
    // Which of the hot areas that the speed-up switches are shown.
    struct OfferedActions {
        bool label5, label6, label7;
    };
    OfferedActions Offered() const;
    void Offer(OfferedActions offered);
    // A "Warning" box this window owns: it takes no clicks while the box shows.
    void Warn(const std::string& text);

    ui::HotArea& AddHotArea(std::string_view name);
    // Disables this window and shows a child window, which enables it again
    // when it closes.
    void OpenChild(ui::Form& child);

    TarrowApp& app_;
};

} // namespace tarrow

// Form2, the main window: a picture of the menu with transparent hot areas
// over it. The markers decide which hot areas it offers at start; the
// speed-up, the restore and the rating switch them as they go, and show
// their progress on its bar. The windows it leads to are the program's to
// open: it raises an event for each.
#pragma once

#include "shutdown/apply.h"
#include "shutdown/rating.h"
#include "ui/form.h"

#include <cstddef>
#include <functional>
#include <string>

namespace tarrow {

// The hot areas, in the order they lie over each other (Label7 lies
// exactly over Label6; at most one of them is shown): the rows of the main
// window's layout table, tarrow/layout/main.def.
enum class MainHotArea {
    Exit,        // Label1
    Rate,        // Label3
    Settings,    // Label6, while no speed-up is in force
    Notice,      // Label7, over Label6 while a speed-up is in force
    Restore,     // Label5, while a speed-up is in force
    Help,        // Label8
    Information, // Label2
};
inline constexpr std::size_t kMainHotAreaCount = 7;

// The windows the main window leads to.
enum class MainChild { Settings, Notice, Help, Information };

class MainForm final : public ui::Form {
public:
    explicit MainForm(ui::Driver& driver);

    ui::HotArea& Label1; // exit
    ui::HotArea& Label3; // rate the current settings
    ui::HotArea& Label6; // settings window (while no speed-up is in force)
    ui::HotArea& Label7; // notice that a speed-up is in force (over Label6)
    ui::HotArea& Label5; // restore (while a speed-up is in force)
    ui::HotArea& Label8; // help
    ui::HotArea& Label2; // information about the program
    ui::ProgressBar& PB1;

    // A window is to open over this one, which has disabled itself; the
    // window enables it again when it closes.
    std::function<void(MainChild)> onOpen;
    // The rating is done and this window has disabled itself: the window
    // of the rating is to show.
    std::function<void(shutdown::Rating)> onRated;

    // The speed-up with the choice the user confirmed in the settings
    // window, on this window's bar.
    void ApplySettings(const shutdown::ApplyChoice& choice);
    // Puts the saved settings back (Label5).
    void RestoreSettings();
    // Rates the current settings (Label3).
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

    ui::HotArea& AddHotArea(MainHotArea which);
    // Disables this window, and has the child opened over it.
    void Open(MainChild child);
};

} // namespace tarrow

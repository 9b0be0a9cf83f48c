// Form2, the main window: a picture of the menu with transparent hot areas
// over it. The two markers decide which hot areas it offers at start.
#pragma once

#include "ui/form.h"

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

protected:
    void onLoad() override;

private:
    ui::HotArea& AddHotArea(std::string_view name);
    // Disables this window and shows a child window, which enables it again
    // when it closes.
    void OpenChild(ui::Form& child);

    TarrowApp& app_;
};

} // namespace tarrow

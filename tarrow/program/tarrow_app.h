// Tarrow's windows and what they share: the platform, the window driver and
// the program's identity. Every window object exists from the start; each
// loads (makes its native window, runs its load handler) on first use and is
// afterwards only shown and hidden until the program ends.
#pragma once

#include "manifest/modxpstyle.h"
#include "platform/platform.h"
#include "shell/program_shell.h"
#include "shutdown/rating.h"
#include "tarrow/main/main_form.h"
#include "tarrow/settings/working_form.h"
#include "tarrow/startup/check_form.h"
#include "tarrow/startup/intro_form.h"
#include "tarrow/windows/picture_window.h"
#include "ui/driver.h"

namespace tarrow {

class TarrowApp final : public shell::Program {
public:
    TarrowApp(platform::Platform& platform, ui::Driver& driver,
              modxpstyle::ProgramIdentity identity);
    TarrowApp(const TarrowApp&) = delete;
    TarrowApp& operator=(const TarrowApp&) = delete;

    // How Tarrow ends when something unexpected stops it: it says what.
    static shell::UnexpectedEnd UnexpectedEnd();

    // Creates the start window; start-up goes on from its events.
    void Start() override;

    platform::Platform& platform() const { return platform_; }
    ui::Driver& driver() const { return driver_; }
    const modxpstyle::ProgramIdentity& identity() const { return identity_; }

    CheckForm& Check() { return check_; }
    IntroForm& Form1() { return form1_; }
    MainForm& Form2() { return form2_; }
    WorkingForm& Working() { return working_; }
    PictureWindow& Filee() { return filee_; }
    PictureWindow& Star() { return star_; }
    PictureWindow& Fast() { return fast_; }
    PictureWindow& Normal() { return normal_; }
    PictureWindow& Slow() { return slow_; }
    PictureWindow& Form6() { return form6_; }
    PictureWindow& Form7() { return form7_; }
    PictureWindow& Form3() { return form3_; }
    // The window that shows a rating.
    PictureWindow& RatingWindow(shutdown::Rating rating);

private:
    platform::Platform& platform_;
    ui::Driver& driver_;
    modxpstyle::ProgramIdentity identity_;

    CheckForm check_;
    IntroForm form1_;
    MainForm form2_;
    WorkingForm working_;
    PictureWindow filee_;
    PictureWindow star_;
    PictureWindow fast_;
    PictureWindow normal_;
    PictureWindow slow_;
    PictureWindow form6_;
    PictureWindow form7_;
    PictureWindow form3_;
};

} // namespace tarrow

// Tarrow's windows and how they lead from one to another. Every window
// object exists from the start; each loads (makes its native window, runs
// its load handler) on first use and is afterwards only shown and hidden
// until the program ends. The windows raise events; this is where they are
// connected. While it exists, Tarrow holds the mark that keeps the
// uninstaller from putting settings back under it.
#pragma once

#include "platform/handles.h"
#include "shell/program_shell.h"
#include "shutdown/rating.h"
#include "tarrow/main/main_form.h"
#include "tarrow/settings/working_form.h"
#include "tarrow/startup/check_form.h"
#include "tarrow/startup/intro_form.h"
#include "tarrow/windows/picture_window.h"

namespace tarrow {

class TarrowApp final : public shell::Program {
public:
    explicit TarrowApp(shell::ProgramContext context);

    // Tarrow as the shell runs it; something unexpected ends it with a box
    // that says what.
    static shell::ProgramDefinition Definition();

    // Creates the start window; start-up goes on from its events.
    void Start() override;

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
    void Wire();
    // Shows a window over the main window, which has disabled itself.
    void OpenOverMain(ui::Form& child);

    // Made first, so that it is held before any window appears.
    platform::UniqueHandle runningMark_;
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

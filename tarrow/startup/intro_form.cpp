#include "tarrow/startup/intro_form.h"

#include "tarrow/pictures.h"

namespace tarrow {

namespace {
const ui::FormDesign kDesign{
    "Form1",
    "Tarrow",
    ui::BorderStyle::None,
    {9600, 7200},
    ui::Placement::CenterScreen,
    true,
    true,
    {"",
     "Make Windows shut down faster. Shortens the shutdown time-outs for all user accounts. Can "
     "also silence the Windows shutdown sound. Saves your current settings first, so you can "
     "restore them at any time. Click Start to begin."},
};
} // namespace

IntroForm::IntroForm(ui::Driver& driver)
    : ui::Form(driver, kDesign),
      Label1(add<ui::HotArea>("Label1", ui::TwipRect{4320, 6120, 975, 735}, "", "Start")) {
    Label1.setTabIndex(0);
    Label1.onClick = [this] {
        hide(); // stays loaded for the rest of the run
        if (onStart) {
            onStart();
        }
    };
}

void IntroForm::onLoad() {
    setPicture(PicturePath(driver().platform(), "main(With).jpg"));
    show();
}

} // namespace tarrow

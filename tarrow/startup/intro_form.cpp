#include "tarrow/startup/intro_form.h"

#include "tarrow/layout/window_layouts.h"
#include "tarrow/pictures.h"

#include <iterator>

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
static_assert(std::size(kIntroLayout) == 1 && kIntroLayout[0].name == "Label1",
              "the intro has its one hot area");

} // namespace

IntroForm::IntroForm(ui::Driver& driver)
    : ui::Form(driver, kDesign), Label1(add<LaidOutHotArea>(kIntroLayout[0])) {
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

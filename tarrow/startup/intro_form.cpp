#include "tarrow/startup/intro_form.h"

#include "tarrow/pictures.h"

namespace tarrow {

namespace {
const ui::FormDesign kDesign{
    "Form1", "Tarrow", ui::BorderStyle::None, {9600, 7200}, ui::Placement::CenterScreen, true, true,
};
} // namespace

IntroForm::IntroForm(ui::Driver& driver)
    : ui::Form(driver, kDesign),
      Label1(add<ui::HotArea>("Label1", ui::TwipRect{4320, 6120, 975, 735})) {
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

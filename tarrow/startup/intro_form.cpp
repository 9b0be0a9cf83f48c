#include "tarrow/startup/intro_form.h"

#include "tarrow/pictures.h"
#include "tarrow/program/tarrow_app.h"

namespace tarrow {

namespace {
const ui::FormDesign kDesign{
    "Form1", "Tarrow", ui::BorderStyle::None, {9600, 7200}, ui::Placement::CenterScreen, true, true,
};
} // namespace

IntroForm::IntroForm(TarrowApp& app)
    : ui::Form(app.driver(), kDesign),
      Label1(add<ui::HotArea>("Label1", ui::TwipRect{4320, 6120, 975, 735})), app_(app) {
    Label1.onClick = [this] {
        hide(); // stays loaded for the rest of the run
        app_.Form2().show();
    };
}

void IntroForm::onLoad() {
    setPicture(PicturePath(app_.platform(), "main(With).jpg"));
    show();
}

} // namespace tarrow

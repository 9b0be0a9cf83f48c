#include "tarrow/program/tarrow_app.h"

#include "shell/running_mark.h"
#include "tarrow/pictures.h"

#include <memory>
#include <utility>

namespace tarrow {

TarrowApp::TarrowApp(shell::ProgramContext context)
    : shell::Program(context), runningMark_(shell::HoldTarrowRunningMark(context.platform)),
      check_(context.driver, context.identity), form1_(context.driver), form2_(context.driver),
      working_(context.driver), filee_(context.driver, PictureWindowId::Filee),
      star_(context.driver, PictureWindowId::Star), fast_(context.driver, PictureWindowId::Fast),
      normal_(context.driver, PictureWindowId::Normal),
      slow_(context.driver, PictureWindowId::Slow), form6_(context.driver, PictureWindowId::Form6),
      form7_(context.driver, PictureWindowId::Form7),
      form3_(context.driver, PictureWindowId::Form3) {
    Wire();
}

shell::ProgramDefinition TarrowApp::Definition() {
    return {[](shell::ProgramContext context) -> std::unique_ptr<shell::Program> {
                return std::make_unique<TarrowApp>(context);
            },
            {1, [](ui::Driver& driver, const std::string& what) {
                 driver.messageBox("Tarrow stopped because of an unexpected error: " + what,
                                   "Tarrow", ui::mb::kOkOnly | ui::mb::kCritical);
             }}};
}

void TarrowApp::Wire() {
    // Start-up: the check leads to the intro, or to the missing-files
    // window; the intro leads to the main window. The missing-files window
    // and its picture load only when a file is missing, so they cost the
    // start window nothing before it shows.
    check_.onAllPresent = [this] { form1_.load(); };
    check_.onMissing = [this] {
        filee_.setPicture(PicturePath(platform(), "exist.jpg"));
        filee_.show();
    };
    form1_.onStart = [this] { form2_.show(); };

    // The main window's children, which enable it again when they close.
    form2_.onOpen = [this](MainChild child) {
        switch (child) {
        case MainChild::Settings:
            OpenOverMain(working_);
            return;
        case MainChild::Notice:
            OpenOverMain(form6_);
            return;
        case MainChild::Help:
            OpenOverMain(form7_);
            return;
        case MainChild::Information:
            OpenOverMain(form3_);
            return;
        }
    };
    form2_.onRated = [this](shutdown::Rating rating) { OpenOverMain(RatingWindow(rating)); };
    working_.onApply = [this](const shutdown::ApplyChoice& choice) {
        form2_.ApplySettings(choice);
    };
    working_.onCancel = [this] { form2_.setEnabled(true); };
    for (PictureWindow* window : {&star_, &fast_, &normal_, &slow_, &form6_}) {
        window->onClosed = [this] { form2_.setEnabled(true); };
    }
    // Help and information were opened with the intro in mind as well.
    form7_.onClosed = [this] {
        form1_.setEnabled(true);
        form2_.setEnabled(true);
    };
    form3_.onClosed = [this] {
        form2_.setEnabled(true);
        form1_.setEnabled(true);
    };
}

void TarrowApp::OpenOverMain(ui::Form& child) {
    child.show(&form2_);
}

PictureWindow& TarrowApp::RatingWindow(shutdown::Rating rating) {
    switch (rating) {
    case shutdown::Rating::Star:
        return star_;
    case shutdown::Rating::Fast:
        return fast_;
    case shutdown::Rating::Normal:
        return normal_;
    case shutdown::Rating::Slow:
        break;
    }
    return slow_;
}

void TarrowApp::Start() {
    check_.load();
    if (!driver().programEnded()) {
        check_.show();
    }
}

} // namespace tarrow

#include "tarrow/program/tarrow_app.h"

#include <utility>

namespace tarrow {

TarrowApp::TarrowApp(platform::Platform& platform, ui::Driver& driver,
                     modxpstyle::ProgramIdentity identity)
    : platform_(platform), driver_(driver), identity_(std::move(identity)), check_(*this),
      form1_(*this), form2_(*this), working_(*this), filee_(*this, PictureWindowId::Filee),
      star_(*this, PictureWindowId::Star), fast_(*this, PictureWindowId::Fast),
      normal_(*this, PictureWindowId::Normal), slow_(*this, PictureWindowId::Slow),
      form6_(*this, PictureWindowId::Form6), form7_(*this, PictureWindowId::Form7),
      form3_(*this, PictureWindowId::Form3) {}

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

shell::UnexpectedEnd TarrowApp::UnexpectedEnd() {
    return {1, [](ui::Driver& driver, const std::string& what) {
                driver.messageBox("Tarrow stopped because of an unexpected error: " + what,
                                  "Tarrow", ui::mb::kOkOnly | ui::mb::kCritical);
            }};
}

void TarrowApp::Start() {
    check_.load();
    if (!driver_.programEnded()) {
        check_.show();
    }
}

} // namespace tarrow

#include "tarrow/startup/check_form.h"

#include "manifest/modxpstyle.h"
#include "registry/modregistry.h"
#include "tarrow/pictures.h"

#include <algorithm>
#include <utility>

namespace tarrow {

namespace {

const ui::FormDesign kDesign{
    "Check",
    "Files Searching",
    ui::BorderStyle::None,
    {5760, 2400},
    ui::Placement::CenterScreen,
    true,
    false,
    {"", "Checking files... Please wait a moment."},
};

// One animation step per file that can be ticked off, then the finish.
constexpr float kSteps = static_cast<float>(kExpectedCount + 1);
constexpr std::uint32_t kTickMs = 20;
const std::string kFoundMark = "Yes";

} // namespace

CheckForm::CheckForm(ui::Driver& driver, modxpstyle::ProgramIdentity identity)
    : ui::Form(driver, kDesign),
      Label1(add<ui::TextLabel>("Label1", ui::TwipRect{2160, 1200, 3255, 255})),
      PB1(add<ui::ProgressBar>("PB1", ui::TwipRect{2160, 1560, 3255, 255}, kSteps)),
      Timer1(addTimer("Timer1", kTickMs, true)), identity_(std::move(identity)),
      search_(driver.platform(), foundFiles_, [this](const SearchError& error) {
          this->driver().messageBox("Error: " + std::to_string(error.number) + " - " +
                                        error.description,
                                    "Unexpected Error", ui::mb::kOkOnly);
      }) {
    Timer1.onTick = [this] { Timer1_Timer(); };
}

void CheckForm::onInitialize() {
    // A restart ends the process here at once, leaving the program to the
    // new instance; loading goes no further then.
    modxpstyle::WriteStyleManifest(driver().platform(), identity_, true, false,
                                   modxpstyle::AfterRestart::EndAtOnce);
}

void CheckForm::onLoad() {
    auto& platform = driver().platform();
    // A picture that cannot be loaded leaves its window without one.
    setPicture(PicturePath(platform, "search.jpg"));

    std::copy(kExpectedFiles.begin(), kExpectedFiles.end(), expectedFiles_.begin());
    stepIndex_ = 0;

    FindFiles(modregistry::GetSystemdir(platform) + "\\images\\", "*.*");
}

std::size_t CheckForm::FindFiles(const std::string& path, const std::string& SearchStr) {
    return search_.FindFiles(path, SearchStr);
}

void CheckForm::Timer1_Timer() {
    if (PB1.value() != kSteps) {
        Step();
    } else {
        Finish();
    }
}

void CheckForm::Step() {
    PB1.setValue(PB1.value() + 1.0f);
    const auto slot = static_cast<std::size_t>(stepIndex_);
    Label1.setCaption(slot < foundFiles_.size() ? foundFiles_[slot] : std::string());
    for (std::size_t i = 0; i < kExpectedCount; ++i) {
        if (Label1.caption() == expectedFiles_[i]) {
            fileMarks_[i] = kFoundMark;
            break;
        }
    }
    ++stepIndex_;
}

void CheckForm::Finish() {
    const bool missing = std::any_of(fileMarks_.begin(), fileMarks_.begin() + kExpectedCount,
                                     [](const std::string& mark) { return mark.empty(); });
    if (missing) {
        if (onMissing) {
            onMissing();
        }
    } else {
        hide();
        if (onAllPresent) {
            onAllPresent();
        }
    }
    Timer1.setEnabled(false);
}

} // namespace tarrow

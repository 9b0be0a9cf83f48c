// Check, the start window ("Files Searching"): writes the program's manifest
// on the first start, then makes sure the pictures and the uninstaller lie
// in the images folder, showing each file found as a short animation.
#pragma once

#include "manifest/manifest_text.h"
#include "tarrow/startup/file_search.h"
#include "ui/form.h"

#include <cstddef>
#include <cstdint>
#include <functional>

namespace tarrow {

class CheckForm final : public ui::Form {
public:
    CheckForm(ui::Driver& driver, modxpstyle::ProgramIdentity identity);

    // Fills FoundFiles from `path` and its sub-folders (see FileSearch);
    // returns how many names it stored.
    std::size_t FindFiles(const std::string& path, const std::string& SearchStr);

    // The check's end: every listed file was found (the window has hidden
    // itself), or one is missing (the window stays as it is).
    std::function<void()> onAllPresent;
    std::function<void()> onMissing;

    const Slots& ExpectedFiles() const { return expectedFiles_; }
    const Slots& FileMarks() const { return fileMarks_; }
    const Slots& FoundFiles() const { return foundFiles_; }
    std::int16_t StepIndex() const { return stepIndex_; }

    ui::TextLabel& Label1;
    ui::ProgressBar& PB1;
    ui::Timer& Timer1;

protected:
    void onInitialize() override;
    void onLoad() override;

private:
    void Timer1_Timer();
    void Step();
    void Finish();

    modxpstyle::ProgramIdentity identity_;
    Slots expectedFiles_;
    Slots fileMarks_;
    Slots foundFiles_;
    std::int16_t stepIndex_ = 0;
    FileSearch search_; // one running sequence of slots for the whole search
};

} // namespace tarrow

// Check, the start window ("Files Searching"): writes the program's manifest
// on the first start, then makes sure the pictures and the uninstaller lie
// in the images folder, showing each file found as a short animation.
#pragma once

#include "tarrow/startup/file_search.h"
#include "ui/form.h"

#include <cstdint>

namespace tarrow {

class TarrowApp;

class CheckForm final : public ui::Form {
public:
    explicit CheckForm(TarrowApp& app);

    // Fills FoundFiles from `path` and its sub-folders (see FileSearch).
    void FindFiles(std::string& path, const std::string& SearchStr);

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

    TarrowApp& app_;
    Slots expectedFiles_;
    Slots fileMarks_;
    Slots foundFiles_;
    std::int16_t stepIndex_ = 0;
    FileSearch search_; // one running sequence of slots for the whole search
};

} // namespace tarrow

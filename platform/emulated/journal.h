// The journal of the calls that changed the machine, and the power switch
// that can go off after any one of them. Once the power is off every call
// fails, so nothing more reaches the registry or the disk. A watcher can be
// told of each change as it is made.
#pragma once

#include "platform/emulated/emulated_platform.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace platform::emulated {

class Journal {
public:
    using Entry = EmulatedPlatform::JournalEntry;

    // Records a change; the power goes off when it was the one armed for.
    // Then the watcher learns of it, also of a change it made itself.
    void record(std::string call, std::string target) {
        entries_.push_back({std::move(call), std::move(target)});
        if (cutAfter_ && entries_.size() >= *cutAfter_) {
            powerOff_ = true;
        }
        if (watcher_) {
            // A copy: the watcher may replace itself.
            const auto watcher = watcher_;
            watcher(entries_.size());
        }
    }
    // Called with the journal's length after each change; {} stops it.
    void watch(std::function<void(std::size_t)> watcher) { watcher_ = std::move(watcher); }
    const std::vector<Entry>& entries() const { return entries_; }

    // The power goes off once `changes` more calls have changed something;
    // 0 turns it off at once.
    void cutAfter(std::size_t changes) {
        cutAfter_ = entries_.size() + changes;
        powerOff_ = changes == 0;
    }
    bool powerOff() const { return powerOff_; }
    // Power back on, nothing armed, an empty journal: a new boot. The
    // watcher stays.
    void restart() {
        entries_.clear();
        cutAfter_.reset();
        powerOff_ = false;
    }

private:
    std::vector<Entry> entries_;
    std::optional<std::size_t> cutAfter_;
    bool powerOff_ = false;
    std::function<void(std::size_t)> watcher_;
};

} // namespace platform::emulated

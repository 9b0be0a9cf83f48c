// What a power cut leaves of the files written since their last flush. The
// drive writes through to its folder at once; this keeps, for every file
// whose content is not on disk yet, the content that is: what it held when
// last flushed, or nothing for a file created or cut short since then.
// Creating, moving and deleting a file last at once.
#pragma once

#include <map>
#include <string>

namespace platform::emulated {

class UnflushedFiles {
public:
    // Created, or cut short to nothing: empty until flushed.
    void emptied(const std::string& key) { lasting_[key] = std::string(); }
    // About to be written: a file that is on disk as it stands keeps what it
    // holds now (read through `descriptor`) until it is flushed.
    void writing(const std::string& key, int descriptor);
    void flushed(const std::string& key) { lasting_.erase(key); }
    void moved(const std::string& from, const std::string& to);
    void removed(const std::string& key) { lasting_.erase(key); }

    // The content that lasts, by the drive's key of each file whose
    // content is not on disk as it stands.
    const std::map<std::string, std::string>& lasting() const { return lasting_; }
    // Everything as it stands is on disk.
    void settle() { lasting_.clear(); }

private:
    std::map<std::string, std::string> lasting_;
};

} // namespace platform::emulated

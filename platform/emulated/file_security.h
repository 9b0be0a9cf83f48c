// Who may open a file that was made with a security descriptor of its own,
// read from the descriptor's SDDL text: just enough of it for files that only
// the system and administrators may open ("D:P(A;;FA;;;SY)(A;;FA;;;BA)").
//
// Only the DACL is read. Each of its entries is (type;flags;rights;;;trustee)
// with type A (allow) or D (deny); rights are not told apart, an entry covers
// every access. Trustees: WD (everyone), SY (the system), BA
// (administrators), BU and AU (every account), or an account's SID; other
// aliases name nobody here. A denying entry that names the account wins; then
// an allowing one lets it in; no DACL, or NO_ACCESS_CONTROL, lets everyone in.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace platform::emulated {

// The account a call runs as, as the rules see it.
struct Caller {
    std::string sid;
    bool administrator = false;
    bool system = false;
};

class AccessRule {
public:
    // Nothing when the text is no well-formed descriptor.
    static std::optional<AccessRule> Parse(std::string_view sddl);
    bool admits(const Caller& caller) const;

private:
    struct Entry {
        bool allows = true;
        std::string trustee; // "WD", "SY", ... or a SID, in upper case
    };
    bool everyone_ = true; // no DACL to look at
    std::vector<Entry> entries_;
};

// The rules of the files made with a descriptor, by the drive's key of each
// ("c:\a\b"); every other file lets everyone in. A folder's rule holds for
// everything inside it as well.
class FileSecurity {
public:
    // A file was made: with its rule, or with the default security.
    void made(const std::string& key, std::optional<AccessRule> rule);
    void moved(const std::string& from, const std::string& to);
    void removed(const std::string& key) { rules_.erase(key); }
    bool admits(const std::string& key, const Caller& caller) const;

private:
    std::map<std::string, AccessRule> rules_;
};

} // namespace platform::emulated

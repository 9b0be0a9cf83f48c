#include "platform/emulated/file_security.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace platform::emulated {

namespace {

std::string Upper(std::string_view text) {
    std::string upper(text);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return upper;
}

// The flags a DACL may carry before its entries.
constexpr std::array<std::string_view, 4> kDaclFlags = {"NO_ACCESS_CONTROL", "P", "AI", "AR"};

bool StartsComponent(std::string_view text, std::size_t at) {
    return at + 1 < text.size() && std::string_view("OGDS").find(text[at]) != std::string::npos &&
           text[at + 1] == ':';
}

// The text of the descriptor's DACL component ("P(A;;FA;;;SY)"), nothing
// when it has none; an empty optional inside for a malformed descriptor.
std::optional<std::optional<std::string_view>> DaclOf(std::string_view sddl) {
    std::optional<std::string_view> dacl;
    std::size_t at = 0;
    while (at < sddl.size()) {
        if (!StartsComponent(sddl, at)) {
            return std::nullopt;
        }
        const char kind = sddl[at];
        std::size_t end = at + 2;
        int depth = 0;
        while (end < sddl.size() && (depth > 0 || !StartsComponent(sddl, end))) {
            depth += sddl[end] == '(' ? 1 : sddl[end] == ')' ? -1 : 0;
            if (depth < 0) {
                return std::nullopt;
            }
            ++end;
        }
        if (depth != 0) {
            return std::nullopt;
        }
        if (kind == 'D') {
            dacl = sddl.substr(at + 2, end - at - 2);
        }
        at = end;
    }
    return dacl;
}

std::vector<std::string_view> Fields(std::string_view ace) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (std::size_t semicolon; (semicolon = ace.find(';', start)) != std::string_view::npos;
         start = semicolon + 1) {
        fields.push_back(ace.substr(start, semicolon - start));
    }
    fields.push_back(ace.substr(start));
    return fields;
}

} // namespace

std::optional<AccessRule> AccessRule::Parse(std::string_view sddl) {
    const auto dacl = DaclOf(sddl);
    if (!dacl) {
        return std::nullopt;
    }
    AccessRule rule;
    if (!*dacl) {
        return rule;
    }
    rule.everyone_ = false;
    std::string_view text = **dacl;
    const std::size_t firstAce = text.find('(');
    std::string_view flags = text.substr(0, firstAce);
    while (!flags.empty()) {
        const auto known =
            std::find_if(kDaclFlags.begin(), kDaclFlags.end(),
                         [flags](std::string_view flag) { return flags.starts_with(flag); });
        if (known == kDaclFlags.end()) {
            return std::nullopt;
        }
        rule.everyone_ = rule.everyone_ || *known == "NO_ACCESS_CONTROL";
        flags.remove_prefix(known->size());
    }
    text = firstAce == std::string_view::npos ? std::string_view() : text.substr(firstAce);
    while (!text.empty()) {
        const std::size_t close = text.find(')');
        if (text.front() != '(' || close == std::string_view::npos) {
            return std::nullopt;
        }
        const auto fields = Fields(text.substr(1, close - 1));
        const std::string type = Upper(fields.front());
        if (fields.size() != 6 || (type != "A" && type != "D") || fields[5].empty()) {
            return std::nullopt;
        }
        rule.entries_.push_back({type == "A", Upper(fields[5])});
        text.remove_prefix(close + 1);
    }
    return rule;
}

bool AccessRule::admits(const Caller& caller) const {
    if (everyone_) {
        return true;
    }
    const auto names = [&caller](const Entry& entry) {
        const std::string& t = entry.trustee;
        return t == "WD" || t == "BU" || t == "AU" || (t == "SY" && caller.system) ||
               (t == "BA" && caller.administrator) || t == Upper(caller.sid);
    };
    for (const Entry& entry : entries_) {
        if (!entry.allows && names(entry)) {
            return false;
        }
    }
    return std::any_of(entries_.begin(), entries_.end(),
                       [&names](const Entry& entry) { return entry.allows && names(entry); });
}

void FileSecurity::made(const std::string& key, std::optional<AccessRule> rule) {
    if (rule) {
        rules_.insert_or_assign(key, std::move(*rule));
    } else {
        rules_.erase(key);
    }
}

void FileSecurity::moved(const std::string& from, const std::string& to) {
    if (from == to) {
        return;
    }
    rules_.erase(to);
    if (const auto it = rules_.find(from); it != rules_.end()) {
        rules_.insert_or_assign(to, std::move(it->second));
        rules_.erase(from);
    }
}

bool FileSecurity::admits(const std::string& key, const Caller& caller) const {
    // A folder that keeps the account out keeps it out of all it holds.
    for (std::size_t end = key.size(); end != std::string::npos && end > 0;
         end = key.rfind('\\', end - 1)) {
        const auto it = rules_.find(key.substr(0, end));
        if (it != rules_.end() && !it->second.admits(caller)) {
            return false;
        }
    }
    return true;
}

} // namespace platform::emulated

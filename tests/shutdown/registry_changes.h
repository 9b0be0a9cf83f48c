// Comparing the whole registry of the emulated machine, every hive of every
// account, with how it was before Tarrow first applied.
#pragma once

#include "platform/emulated/code_page.h"
#include "platform/emulated/emulated_platform.h"
#include "platform/emulated/text.h"

#include <cstdint>
#include <cstring>
#include <algorithm>
#include <map>
#include <set>
#include <utility>
#include <string>
#include <vector>

namespace tarrow::testing {

using RegistryDump =
    std::map<std::string, std::map<std::string, platform::emulated::RegistryValue>>;

namespace detail {

// A string's wide text, as the registry keeps it, in the code page ("?"
// for what it lacks).
inline std::string AnsiOf(const platform::emulated::RegistryValue& value) {
    return platform::emulated::AnsiFromWide(platform::emulated::WideOfBytes(value.bytes));
}

inline std::string Show(const platform::emulated::RegistryValue& value) {
    const bool isString = value.kind == platform::kRegSz || value.kind == platform::kRegExpandSz ||
                          value.kind == platform::kRegMultiSz;
    return "kind " + std::to_string(value.kind) + " \"" +
           (isString ? AnsiOf(value) : std::string(value.bytes.begin(), value.bytes.end())) + "\"";
}

// A string's wide text up to its first NUL.
inline std::u16string TextOf(const platform::emulated::RegistryValue& value) {
    const std::u16string text = platform::emulated::WideOfBytes(value.bytes);
    return text.substr(0, text.find(u'\0'));
}

// Whether `now` is `was` as Tarrow puts it back: the same kind and bytes, a
// string compared up to its NUL, or a number as its decimal text.
inline bool PutBackAsDesigned(const platform::emulated::RegistryValue& was,
                              const platform::emulated::RegistryValue& now) {
    if (was.kind == now.kind && was.bytes == now.bytes) {
        return true;
    }
    if (now.kind != platform::kRegSz) {
        return false;
    }
    if (was.kind == platform::kRegSz) {
        return TextOf(was) == TextOf(now);
    }
    if (was.kind == platform::kRegDword && was.bytes.size() == 4) {
        std::int32_t number = 0;
        std::memcpy(&number, was.bytes.data(), sizeof number);
        return TextOf(now) == platform::emulated::WideFromAnsi(std::to_string(number));
    }
    return false;
}

} // namespace detail

// Everything that differs between `before` and `after` beyond what Tarrow
// may leave behind: its markers in the applying account's own hive, the
// record of who applied and the mark of a change in force. Every value must be as before (see
// PutBackAsDesigned), every absent one absent, every key still there.
inline std::vector<std::string> UnexpectedChanges(const RegistryDump& before,
                                                  const RegistryDump& after,
                                                  const std::string& applier) {
    const std::string hive = "hkey_users\\" + platform::emulated::FoldCase(applier);
    const std::set<std::pair<std::string, std::string>> tarrowsOwn = {
        {hive + "\\consol", "change"},
        {hive + "\\control panel\\desktop", "beforce"},
        {"hkey_local_machine\\software\\tarrow", "appliedby"},
        {"hkey_local_machine\\software\\tarrow", "changeinforce"},
    };
    const auto isTarrowsOwn = [&tarrowsOwn](const std::string& key, const std::string& value) {
        return tarrowsOwn.count({key, value}) != 0;
    };
    const auto isTarrowsKey = [&tarrowsOwn](const std::string& key) {
        return std::any_of(tarrowsOwn.begin(), tarrowsOwn.end(),
                           [&key](const auto& own) { return own.first == key; });
    };
    std::vector<std::string> changes;
    for (const auto& [key, values] : before) {
        const auto now = after.find(key);
        if (now == after.end()) {
            changes.push_back("key gone: " + key);
            continue;
        }
        for (const auto& [name, value] : values) {
            const auto found = now->second.find(name);
            if (found == now->second.end()) {
                if (!isTarrowsOwn(key, name)) {
                    changes.push_back("value gone: " + key + "\\" + name);
                }
            } else if (!detail::PutBackAsDesigned(value, found->second) &&
                       !isTarrowsOwn(key, name)) {
                changes.push_back("value changed: " + key + "\\" + name + ": " +
                                  detail::Show(value) + " -> " + detail::Show(found->second));
            }
        }
    }
    for (const auto& [key, values] : after) {
        const auto was = before.find(key);
        if (was == before.end() && !isTarrowsKey(key)) {
            changes.push_back("key new: " + key);
        }
        for (const auto& [name, value] : values) {
            if ((was == before.end() || !was->second.count(name)) && !isTarrowsOwn(key, name)) {
                changes.push_back("value new: " + key + "\\" + name + ": " + detail::Show(value));
            }
        }
    }
    return changes;
}

} // namespace tarrow::testing

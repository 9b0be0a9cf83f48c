// The accounts that the tests of whose change is in force need beside the
// running one, their hives read whether loaded or not, and the whole
// registry compared value by value.
#pragma once

#include "platform/emulated/code_page.h"
#include "platform/emulated/text.h"
#include "shutdown/account_keys.h"
#include "shutdown/change_in_force.h"
#include "tests/shutdown/registry_changes.h"
#include "tests/shutdown/shutdown_machine.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace tarrow::testing {

inline const std::string kAliceSid(platform::EmulatedPlatform::kUserSid);
inline const std::string kBobSid = "S-1-5-21-3623811015-3361044348-30300820-1002";
// The account whose hive place 6 names.
inline const std::string kCarolSid = "S-1-5-21-299502267-362288127-839522115-1003";
inline const std::string kSystemSid(platform::EmulatedPlatform::kLocalSystemSid);

// "hkey_users\<hive>\<path>" in lower case, as the dump names keys.
inline std::string HiveKey(const std::string& sid, std::string_view path) {
    return "hkey_users\\" + platform::emulated::FoldCase(shutdown::OwnHiveOf(sid)) + "\\" +
           platform::emulated::FoldCase(path);
}

// A string value in the dump, whether its hive is loaded or not.
inline std::optional<std::string> DumpedText(const RegistryDump& dump, const std::string& key,
                                             std::string_view name) {
    const auto at = dump.find(key);
    if (at == dump.end()) {
        return std::nullopt;
    }
    const auto value = at->second.find(platform::emulated::FoldCase(name));
    if (value == at->second.end()) {
        return std::nullopt;
    }
    return platform::emulated::AnsiFromWide(detail::TextOf(value->second));
}
inline std::optional<std::string> MarkerOf(const RegistryDump& dump, const std::string& sid,
                                           const Marker& marker) {
    return DumpedText(dump, HiveKey(sid, marker.keyPath), marker.valueName);
}

// The values (and keys) that differ from `before` beyond what Tarrow may
// leave in `applier`'s hive, each as "<key>\<name>" ("<key>" for a key).
inline std::set<std::string> ChangedValues(const RegistryDump& before, const RegistryDump& after,
                                           const std::string& applier) {
    std::set<std::string> changed;
    for (const std::string& line : UnexpectedChanges(before, after, applier)) {
        const std::size_t from = line.find(": ") + 2;
        changed.insert(line.substr(from, line.find(": ", from) - from));
    }
    return changed;
}

// As ChangedValues names them: the values of a place in the account's keys
// (place 0's own, for that account), and the account's shutdown sound.
inline std::set<std::string> PlaceValues(int placeIndex, const std::string& sid) {
    std::set<std::string> values;
    for (const ReadPair& pair : ReadingOrder()) {
        if (pair.place->index == placeIndex) {
            const shutdown::KeyAt key = shutdown::PlaceKey(*pair.place, shutdown::KeysOf(sid));
            const std::string root =
                key.root == RegistryRoot::LocalMachine ? "hkey_local_machine\\" : "hkey_users\\";
            values.insert(root + platform::emulated::FoldCase(key.path) + "\\" +
                          platform::emulated::FoldCase(TimeoutName(pair.timeout)));
        }
    }
    return values;
}
inline std::set<std::string> EveryPairOf(const std::string& sid) {
    std::set<std::string> values;
    for (const TimeoutPlace& place : kTimeoutPlaces) {
        const auto of = PlaceValues(place.index, sid);
        values.insert(of.begin(), of.end());
    }
    return values;
}
inline std::string SoundValue(const std::string& sid) {
    return HiveKey(sid, kShutdownSoundKey) + "\\";
}
inline std::set<std::string> OwnPart(const std::string& sid, bool withSound) {
    std::set<std::string> values = PlaceValues(0, sid);
    if (withSound) {
        values.insert(SoundValue(sid));
    }
    return values;
}
inline std::set<std::string> Joined(std::set<std::string> a, const std::set<std::string>& b) {
    a.insert(b.begin(), b.end());
    return a;
}

// As an earlier version leaves its copy: nobody recorded as its owner.
inline void ForgetWhoApplied(ShutdownMachine& m) {
    ASSERT_TRUE(modregistry::DeleteValue(m.p, RegistryRoot::LocalMachine,
                                         std::string(shutdown::kTarrowKey),
                                         std::string(shutdown::kAppliedByValue)));
}

// Sets or removes ("" ) both markers in a logged-on account's hive.
inline void SetMarkersOf(ShutdownMachine& m, const std::string& sid, const std::string& text) {
    const shutdown::AccountKeys keys = shutdown::KeysOf(sid);
    for (const Marker& marker : {kChangeMarker, kSavedMarker}) {
        const std::string key = keys.path(marker.keyPath);
        ASSERT_TRUE(text.empty() ? modregistry::DeleteValue(m.p, keys.root, key,
                                                            std::string(marker.valueName))
                                 : modregistry::SetValue(m.p, ValueKind::Text, keys.root, key,
                                                         std::string(marker.valueName), text));
    }
}

// Writes the text to the pair by hand (place 0 in the running account's
// keys), as a user who sets a value.
inline void SetPair(ShutdownMachine& m, std::size_t entry, const std::string& text) {
    const ReadPair& pair = ReadingOrder()[entry];
    ASSERT_TRUE(modregistry::SetValue(m.p, ValueKind::Text, pair.place->root,
                                      std::string(pair.place->keyPath),
                                      std::string(TimeoutName(pair.timeout)), text));
}
// Every text that is not empty back to its pair, by hand.
inline void PutBackByHand(ShutdownMachine& m,
                          const std::array<std::string, kTimeoutPairCount>& texts) {
    for (std::size_t k = 0; k < kTimeoutPairCount; ++k) {
        if (!texts[k].empty()) {
            SetPair(m, k, texts[k]);
        }
    }
}

// The program runs as `sid` from now on, alice logged on or not.
inline void RunAs(ShutdownMachine& m, const std::string& sid, bool aliceLoggedOn) {
    m.emulated.setLoggedOn(kAliceSid, aliceLoggedOn);
    m.emulated.runAs(sid);
}

// How a test names what an operation reported.
inline std::string Described(const std::set<std::string>& values) {
    std::string text;
    for (const std::string& value : values) {
        text += "\n  " + value;
    }
    return text.empty() ? " (none)" : text;
}

} // namespace tarrow::testing

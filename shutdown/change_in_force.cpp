#include "shutdown/change_in_force.h"

#include "platform/handles.h"
#include "registry/modregistry.h"
#include "shutdown/saved_value.h"
#include "shutdown/timeout_places.h"

#include <algorithm>
#include <cctype>

namespace tarrow::shutdown {

using platform::Platform;

namespace {

// The built-in accounts that programs run as without anyone logged on.
bool IsServiceAccount(std::string_view sid) {
    return SameAccount(sid, "S-1-5-18") || SameAccount(sid, "S-1-5-19") ||
           SameAccount(sid, "S-1-5-20");
}

bool MachinePairHoldsTarrowText(Platform& platform) {
    for (const ReadPair& pair : ReadingOrder()) {
        if (pair.place->root == RegistryRoot::CurrentUser) {
            continue;
        }
        if (HoldsTarrowText(modregistry::ReadStoredValue(platform, pair.place->root,
                                                         std::string(pair.place->keyPath),
                                                         std::string(pair.valueName)))) {
            return true;
        }
    }
    return false;
}

} // namespace

bool SameAccount(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

std::string RunningAccount(Platform& platform) {
    platform::UniqueHandle token(platform);
    std::string sid;
    if (!platform.OpenProcessToken(platform.GetCurrentProcess(), platform::kTokenQuery,
                                   token.put()) ||
        !platform.GetTokenUserSid(token.get(), &sid)) {
        return {};
    }
    return sid;
}

std::string AccountName(Platform& platform, const std::string& sid) {
    if (sid.empty()) {
        return "(unknown)";
    }
    std::string name;
    std::string domain;
    if (!platform.LookupAccountSidA(sid, &name, &domain) || name.empty()) {
        return sid;
    }
    return domain.empty() ? name : domain + "\\" + name;
}

std::optional<std::string> ReadAppliedBy(Platform& platform) {
    const auto stored =
        modregistry::ReadStoredValue(platform, RegistryRoot::LocalMachine, std::string(kTarrowKey),
                                     std::string(kAppliedByValue));
    if (stored.found != modregistry::StoredValue::Found::Value || stored.kind != platform::kRegSz) {
        return std::nullopt;
    }
    std::string sid(stored.bytes.begin(), stored.bytes.end());
    sid = sid.substr(0, sid.find('\0'));
    if (sid.empty()) {
        return std::nullopt;
    }
    return sid;
}

bool RecordAppliedBy(Platform& platform, const std::string& sid) {
    return !sid.empty() &&
           modregistry::SetValue(platform, ValueKind::Text, RegistryRoot::LocalMachine,
                                 std::string(kTarrowKey), std::string(kAppliedByValue), sid) &&
           modregistry::FlushKey(platform, RegistryRoot::LocalMachine, std::string(kTarrowKey));
}

ChangeInForce FindChangeInForce(Platform& platform, SavedCopy copy,
                                const std::string& runningAccount) {
    ChangeInForce change;
    switch (copy.state) {
    case SavedCopy::State::None:
        change.kind = ChangeInForce::Kind::Nothing;
        break;
    case SavedCopy::State::Damaged:
        change.kind = ChangeInForce::Kind::Damaged;
        break;
    case SavedCopy::State::Valid:
        if (const auto appliedBy = ReadAppliedBy(platform)) {
            change.kind = ChangeInForce::Kind::InForce;
            change.owner = *appliedBy;
        } else if (MachinePairHoldsTarrowText(platform)) {
            change.kind = ChangeInForce::Kind::InForce;
            change.owner = IsServiceAccount(runningAccount) ? std::string() : runningAccount;
        } else {
            change.kind = ChangeInForce::Kind::Leftover;
        }
        break;
    }
    change.copy = std::move(copy);
    return change;
}

} // namespace tarrow::shutdown

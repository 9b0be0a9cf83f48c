#include "shutdown/pair_writes.h"

#include "registry/modregistry.h"

namespace tarrow::shutdown {

bool PutBack(PairOutcome outcome) {
    switch (outcome) {
    case PairOutcome::Written:
    case PairOutcome::Deleted:
    case PairOutcome::LeftAlone:
    case PairOutcome::NoAccount:
        return true;
    case PairOutcome::Refused:
    case PairOutcome::NothingSaved:
    case PairOutcome::Unreachable:
        break;
    }
    return false;
}

PairResult WriteText(platform::Platform& platform, const WritePair& pair, std::string text,
                     const AccountKeys& account) {
    const KeyAt key = PlaceKey(*pair.place, account);
    std::uint32_t error = 0;
    const bool written = modregistry::SetValue(platform, ValueKind::Text, key.root, key.path,
                                               std::string(pair.valueName), text, &error);
    return {&pair, std::move(text), written ? PairOutcome::Written : PairOutcome::Refused, error};
}

PairResult RemoveValue(platform::Platform& platform, const WritePair& pair,
                       const AccountKeys& account) {
    const KeyAt key = PlaceKey(*pair.place, account);
    std::uint32_t error = 0;
    const bool removed =
        modregistry::DeleteValue(platform, key.root, key.path, std::string(pair.valueName), &error);
    return {&pair, {}, removed ? PairOutcome::Deleted : PairOutcome::Refused, error};
}

} // namespace tarrow::shutdown

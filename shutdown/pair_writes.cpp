#include "shutdown/pair_writes.h"

#include "registry/modregistry.h"

namespace tarrow::shutdown {

bool IsKeyMissingPlaceholder(std::string_view savedValue) {
    return savedValue == "NO" || savedValue == "NO ";
}

PairResult WriteText(platform::Platform& platform, const WritePair& pair, std::string text) {
    const bool written =
        modregistry::SetValue(platform, ValueKind::Text, pair.place->root,
                              std::string(pair.place->keyPath), std::string(pair.valueName), text);
    return {&pair, std::move(text), written ? PairOutcome::Written : PairOutcome::Refused};
}

PairResult RemoveValue(platform::Platform& platform, const WritePair& pair) {
    const bool removed = modregistry::DeleteValue(
        platform, pair.place->root, std::string(pair.place->keyPath), std::string(pair.valueName));
    return {&pair, {}, removed ? PairOutcome::Deleted : PairOutcome::Refused};
}

} // namespace tarrow::shutdown

#include "shutdown/pair_reads.h"

#include "registry/modregistry.h"

namespace tarrow::shutdown {

namespace {
constexpr int kStepsPerPlace = 10;
}

std::array<std::string, kTimeoutPairCount>
ReadEveryPair(platform::Platform& platform, Progress& progress, MissingKeyText missingKey) {
    std::array<std::string, kTimeoutPairCount> values;
    const auto& pairs = ReadingOrder();
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        const ReadPair& pair = pairs[k];
        const std::string_view fallback =
            missingKey == MissingKeyText::SaveDefault ? pair.saveDefault : "NO";
        values[k] =
            modregistry::GetValue(platform, pair.place->root, std::string(pair.place->keyPath),
                                  std::string(pair.valueName), std::string(fallback));
        const bool lastOfItsPlace = k + 1 == pairs.size() || pairs[k + 1].place != pair.place;
        if (lastOfItsPlace) {
            StepsThenPauses(progress, kStepsPerPlace, kPause);
        }
    }
    return values;
}

} // namespace tarrow::shutdown

#include "shutdown/pair_reads.h"

namespace tarrow::shutdown {

namespace {

constexpr int kStepsPerPlace = 10;

template <typename Value, typename Read>
std::array<Value, kTimeoutPairCount> ReadEach(Progress& progress, const Read& read) {
    std::array<Value, kTimeoutPairCount> values;
    const auto& pairs = ReadingOrder();
    for (std::size_t k = 0; k < pairs.size(); ++k) {
        values[k] = read(pairs[k]);
        const bool lastOfItsPlace = k + 1 == pairs.size() || pairs[k + 1].place != pairs[k].place;
        if (lastOfItsPlace) {
            StepsThenPauses(progress, kStepsPerPlace, kPause);
        }
    }
    return values;
}

} // namespace

std::array<std::string, kTimeoutPairCount> ReadEveryPairText(platform::Platform& platform,
                                                             Progress& progress) {
    return ReadEach<std::string>(progress, [&platform](const ReadPair& pair) {
        return modregistry::GetValue(platform, pair.place->root, std::string(pair.place->keyPath),
                                     std::string(pair.valueName), "NO");
    });
}

std::array<modregistry::StoredValue, kTimeoutPairCount>
ReadEveryPairStored(platform::Platform& platform, Progress& progress) {
    return ReadEach<modregistry::StoredValue>(progress, [&platform](const ReadPair& pair) {
        return modregistry::ReadStoredValue(platform, pair.place->root,
                                            std::string(pair.place->keyPath),
                                            std::string(pair.valueName));
    });
}

} // namespace tarrow::shutdown

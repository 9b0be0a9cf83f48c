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

bool OutOfReach(const ReadPair& pair, const AccountKeys* account) {
    return pair.place->root == RegistryRoot::CurrentUser && account == nullptr;
}

} // namespace

std::array<std::string, kTimeoutPairCount>
ReadEveryPairText(platform::Platform& platform, const AccountKeys* account, Progress& progress) {
    return ReadEach<std::string>(progress, [&platform, account](const ReadPair& pair) {
        if (OutOfReach(pair, account)) {
            return std::string("NO");
        }
        const KeyAt key = PlaceKey(*pair.place, account != nullptr ? *account : AccountKeys{});
        return modregistry::GetValue(platform, key.root, key.path, std::string(pair.valueName),
                                     "NO");
    });
}

std::array<modregistry::StoredValue, kTimeoutPairCount>
ReadEveryPairStored(platform::Platform& platform, const AccountKeys* account, Progress& progress) {
    return ReadEach<modregistry::StoredValue>(progress, [&platform, account](const ReadPair& pair) {
        if (OutOfReach(pair, account)) {
            return modregistry::StoredValue{};
        }
        const KeyAt key = PlaceKey(*pair.place, account != nullptr ? *account : AccountKeys{});
        return modregistry::ReadStoredValue(platform, key.root, key.path,
                                            std::string(pair.valueName));
    });
}

} // namespace tarrow::shutdown

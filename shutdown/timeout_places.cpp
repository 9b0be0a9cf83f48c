#include "shutdown/timeout_places.h"

#include "registry/number_text.h"

namespace tarrow {

namespace {

constexpr std::array<Timeout, 4> kReadingNames{Timeout::HungApp, Timeout::PowerOff,
                                               Timeout::WaitToKillApp, Timeout::WaitToKillService};
constexpr std::array<Timeout, 4> kWritingNames{Timeout::HungApp, Timeout::PowerOff,
                                               Timeout::WaitToKillService, Timeout::WaitToKillApp};
constexpr std::array<int, 8> kWritingPlaces{0, 2, 1, 3, 4, 5, 6, 7};

// The one profile whose reads spell the service time-out with a small "s",
// and whose power-off read has a default with a trailing space. Names match
// without regard to case, so the reads still see the written value.
constexpr int kOddlySpelledPlace = 6;

constexpr bool Carries(const TimeoutPlace& place, Timeout timeout) {
    return !place.serviceTimeoutOnly || timeout == Timeout::WaitToKillService;
}

constexpr std::size_t CountPairs() {
    std::size_t count = 0;
    for (const TimeoutPlace& place : kTimeoutPlaces) {
        for (Timeout timeout : kReadingNames) {
            count += Carries(place, timeout) ? 1u : 0u;
        }
    }
    return count;
}
static_assert(CountPairs() == kTimeoutPairCount, "six places of four values and two of one");

constexpr ReadPair MakeReadPair(const TimeoutPlace& place, Timeout timeout) {
    ReadPair pair{&place, timeout, TimeoutName(timeout), "NO"};
    if (place.index == kOddlySpelledPlace) {
        if (timeout == Timeout::WaitToKillService) {
            pair.valueName = "WaitToKillserviceTimeout";
        }
        if (timeout == Timeout::PowerOff) {
            pair.saveDefault = "NO ";
        }
    }
    return pair;
}

constexpr std::array<ReadPair, kTimeoutPairCount> BuildReadingOrder() {
    std::array<ReadPair, kTimeoutPairCount> pairs{};
    std::size_t next = 0;
    for (const TimeoutPlace& place : kTimeoutPlaces) {
        for (Timeout timeout : kReadingNames) {
            if (Carries(place, timeout)) {
                pairs[next++] = MakeReadPair(place, timeout);
            }
        }
    }
    return pairs;
}

constexpr std::array<ReadPair, kTimeoutPairCount> kReadingOrder = BuildReadingOrder();

constexpr std::size_t EntryOf(const TimeoutPlace& place, Timeout timeout) {
    for (std::size_t entry = 0; entry < kReadingOrder.size(); ++entry) {
        if (kReadingOrder[entry].place == &place && kReadingOrder[entry].timeout == timeout) {
            return entry;
        }
    }
    return kTimeoutPairCount;
}

constexpr std::array<WritePair, kTimeoutPairCount> BuildWritingOrder() {
    std::array<WritePair, kTimeoutPairCount> pairs{};
    std::size_t next = 0;
    for (int index : kWritingPlaces) {
        const TimeoutPlace& place = kTimeoutPlaces[static_cast<std::size_t>(index)];
        for (Timeout timeout : kWritingNames) {
            if (Carries(place, timeout)) {
                pairs[next++] = {&place, timeout, TimeoutName(timeout), EntryOf(place, timeout)};
            }
        }
    }
    return pairs;
}

constexpr std::array<WritePair, kTimeoutPairCount> kWritingOrder = BuildWritingOrder();

constexpr std::array<WriteGroup, kTimeoutPlaces.size()> BuildWriteGroups() {
    std::array<WriteGroup, kTimeoutPlaces.size()> groups{};
    std::size_t start = 0;
    for (std::size_t group = 0; group < groups.size(); ++group) {
        std::size_t end = start;
        while (end < kWritingOrder.size() &&
               kWritingOrder[end].place == kWritingOrder[start].place) {
            ++end;
        }
        groups[group] = {kWritingOrder[start].place,
                         std::span<const WritePair>(kWritingOrder).subspan(start, end - start)};
        start = end;
    }
    return groups;
}

constexpr std::array<WriteGroup, kTimeoutPlaces.size()> kWriteGroups = BuildWriteGroups();

} // namespace

const std::array<ReadPair, kTimeoutPairCount>& ReadingOrder() {
    return kReadingOrder;
}
const std::array<WritePair, kTimeoutPairCount>& WritingOrder() {
    return kWritingOrder;
}
const std::array<WriteGroup, kTimeoutPlaces.size()>& WriteGroups() {
    return kWriteGroups;
}

bool MarkerIsSet(std::string_view markerText) {
    const auto number = ParseNumber(markerText);
    return number && *number == 1.0;
}

} // namespace tarrow

#include "shutdown/rating.h"

#include "platform/files.h"
#include "shutdown/account_keys.h"
#include "shutdown/change_in_force.h"
#include "shutdown/classic_number.h"
#include "shutdown/pair_reads.h"
#include "shutdown/saved_settings.h"
#include "shutdown/timeout_places.h"

namespace tarrow::shutdown {

using platform::Platform;

namespace {

constexpr float kFull = 100.0f;

// One line per pair: "<place>: <value>" and CR LF; place 0 the running
// account's own.
std::string ReadReport(Platform& platform, Progress& progress) {
    AccountHives hives(platform, RunningAccount(platform));
    const ReachedAccount running = hives.reachRunning();
    const auto values =
        ReadEveryPairText(platform, running.reached() ? &running.keys : nullptr, progress);
    std::string text;
    for (std::size_t k = 0; k < values.size(); ++k) {
        text += SavedLine(ReadingOrder()[k].place->index, values[k]);
    }
    return text;
}

} // namespace

Rating RatingOf(double total) {
    if (total > 5000.0) {
        return Rating::Slow;
    }
    if (total > 1000.0) {
        return Rating::Normal; // 5000 itself included: the ranges meet there
    }
    if (total > 10.0) {
        return Rating::Fast;
    }
    return Rating::Star;
}

double TotalOfReport(std::string_view text, Progress* progress) {
    double total = 0.0;
    std::size_t position = 0;
    for (std::size_t line = 0; line < kTimeoutPairCount; ++line) {
        const std::size_t space = text.find(' ', position);
        if (space != std::string_view::npos) {
            // The value and the CR that ends it; the CR ends the number.
            const std::size_t end = text.find('\r', space + 1);
            total += ReadClassicNumber(text.substr(
                space + 1, end == std::string_view::npos ? std::string_view::npos : end - space));
            position = end == std::string_view::npos ? text.size() : end + 1;
        } else {
            position = text.size();
        }
        if (progress != nullptr && progress->value() != kFull) {
            progress->pause(kPause);
            Advance(*progress);
        }
    }
    return total;
}

RatingReport RateCurrentSettings(Platform& platform, const std::string& programFolder,
                                 Progress& progress) {
    RatingReport report;
    progress.setVisible(true);
    progress.setMax(kFull);
    report.reportText = ReadReport(platform, progress);

    // The report goes through its file and back. Where the folder cannot be
    // written, the text in memory is the same report.
    const std::string file = SavedFilePath(programFolder, kReportFile);
    std::optional<std::string> readBack;
    if (platform::WriteWholeFile(platform, file, report.reportText)) {
        readBack = platform::ReadWholeFile(platform, file);
    }
    report.fromFile = readBack.has_value();
    report.total = TotalOfReport(readBack.value_or(report.reportText), &progress);
    ResetAndHide(progress);
    report.rating = RatingOf(report.total);
    platform.DeleteFileA(file);
    return report;
}

} // namespace tarrow::shutdown

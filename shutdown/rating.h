// Rating the current settings: the 26 time-outs are read into a short
// report, which goes through the file information.dat in the program folder
// and back; its numbers are added up and the total picks one of four
// ratings. Paces a progress bar of 100 steps.
#pragma once

#include "platform/platform.h"
#include "shutdown/progress.h"

#include <string>
#include <string_view>

namespace tarrow::shutdown {

inline constexpr std::string_view kReportFile = "information.dat";

enum class Rating {
    Star,   // 10 or less
    Fast,   // above 10, up to 1000
    Normal, // above 1000, up to 5000
    Slow,   // above 5000
};

Rating RatingOf(double total);

struct RatingReport {
    // One line per pair of the reading order: "<place>: <value>" and CR LF,
    // "NO" where the key could not be opened.
    std::string reportText;
    // Whether the total came from the file read back; when the file could
    // not be written or read, it comes from the text in memory.
    bool fromFile = false;
    double total = 0.0;
    Rating rating = Rating::Star;
};

// The value after each line's first space, read as a classic number, added
// up over the first 26 lines.
double TotalOfReport(std::string_view reportText, Progress* progress = nullptr);

// Reads, writes and reads back the report, adds it up and deletes the file.
// The bar is shown with a maximum of 100 and ends hidden, at 0.
RatingReport RateCurrentSettings(platform::Platform& platform, const std::string& programFolder,
                                 Progress& progress);

} // namespace tarrow::shutdown

// The saved-settings text file: one line per place/value pair of the reading
// order, "<place index>: <value>" ended by CR LF, and one more CR LF at the
// end. Its lasting copy lies in the system directory, where both programs
// find it; the shutdown-sound key is saved beside it as a hive file.
#pragma once

#include "shutdown/saved_value.h"
#include "shutdown/timeout_places.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarrow {

inline constexpr std::string_view kSavedValuesFile = "informationS.dat";
inline constexpr std::string_view kSavedSoundFile = "Importreg.dat";

// A saved file longer than this is damaged: nothing Tarrow writes comes near.
inline constexpr std::size_t kSavedFileLimit = 64 * 1024;

// folder + "\" + file name.
std::string SavedFilePath(const std::string& folder, std::string_view fileName);

// One line of the file: the place index, ": ", the value, CR LF.
std::string SavedLine(int placeIndex, std::string_view value);

// What the file records for each pair, in the reading order.
using SavedValues = std::array<shutdown::SavedValue, kTimeoutPairCount>;

// The whole file for the 26 pairs of the reading order; a pair left alone is
// written as its placeholder ("NO", or "NO " for one pair).
std::string ComposeSavedText(const SavedValues& values);

// The 26 entries of a saved file, or nothing when it is damaged. In a sound
// file every entry is its pair's place index, ": ", a value without CR or
// LF or NUL, and CR LF; what follows the 26th entry is not read.
std::optional<SavedValues> ParseSavedText(std::string_view text);

} // namespace tarrow

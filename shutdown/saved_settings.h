// The saved-settings text file: one line per place/value pair of the reading
// order, "<place index>: <value>" ended by CR LF, and one more CR LF at the
// end. Its lasting copy lies in the system directory, where both programs
// find it; the shutdown-sound key is saved beside it as a hive file.
#pragma once

#include "shutdown/timeout_places.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tarrow {

inline constexpr std::string_view kSavedValuesFile = "informationS.dat";
inline constexpr std::string_view kSavedSoundFile = "Importreg.dat";

// folder + "\" + file name.
std::string SavedFilePath(const std::string& folder, std::string_view fileName);

// One line of the file: the place index, ": ", the value, CR LF.
std::string SavedLine(int placeIndex, std::string_view value);

// The whole file for the 26 values of the reading order.
std::string ComposeSavedText(const std::array<std::string, kTimeoutPairCount>& values);

struct SavedEntries {
    // values[k] is the saved value of pair k of the reading order; entries
    // that were not found are empty.
    std::array<std::string, kTimeoutPairCount> values;
    // How many entries, from the first, were found whole. Fewer than 26 means
    // a short or damaged file; 0 an empty or missing one.
    std::size_t found = 0;
};

// Takes the entries from the start of the text: each entry's value is what
// lies between the first space and the first CR LF after it (inner and
// trailing spaces kept); the next entry is searched right after that CR.
// Text after the 26th entry is ignored.
SavedEntries ParseSavedEntries(std::string_view text);

} // namespace tarrow

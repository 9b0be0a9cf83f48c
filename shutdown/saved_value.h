// What the save-time read found at one pair, and so what the saved file
// records for it. Tarrow changes a pair only when it can put it back
// exactly: the value was absent (the restore removes it again), or it is a
// text or a number that the saved file's line carries whole. Anything else
// (a key that could not be opened, another kind of data, a text with a line
// break, an empty text, a text with a character that the ANSI code page
// lacks, ...) is left alone by the apply and the restore.
#pragma once

#include "registry/modregistry.h"

#include <string>
#include <string_view>

namespace tarrow::shutdown {

enum class SavedKind {
    Absent,    // the key opened and the value was not there
    Exact,     // `text` is the value; the restore writes it back as a string
    LeftAlone, // recorded as the pair's placeholder; never written
};

struct SavedValue {
    SavedKind kind = SavedKind::LeftAlone;
    std::string text; // for Exact

    static SavedValue Absent() { return {SavedKind::Absent, {}}; }
    static SavedValue Exact(std::string text) { return {SavedKind::Exact, std::move(text)}; }
    static SavedValue LeftAlone() { return {SavedKind::LeftAlone, {}}; }
    bool operator==(const SavedValue&) const = default;
};

// The longest text a saved line carries.
inline constexpr std::size_t kLongestSavedText = 1000;

// How a value as stored is saved: a string of 1 to kLongestSavedText
// characters without CR, LF or NUL before its end, that is not a
// placeholder and that the ANSI code page carries, is Exact; so is a
// four-byte number, as its decimal text.
SavedValue SavedValueOf(const modregistry::StoredValue& stored);

// A saved line's value text for the pair whose placeholder is `placeholder`,
// and back.
std::string SavedText(const SavedValue& value, std::string_view placeholder);
SavedValue SavedValueFromText(std::string_view text);

// Whether the value is a string that Tarrow itself writes ("0" or "10"):
// then it is not the user's own.
bool HoldsTarrowText(const modregistry::StoredValue& stored);

} // namespace tarrow::shutdown

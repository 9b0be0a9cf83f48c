// Tarrow.log: one log for both programs and every account, in
// <Windows>\Logs\Tarrow. Each apply, restore and uninstall appends one entry.
//
// The folder (and <Windows>\Logs where it is missing) is made so that only
// the system account and administrators can open it. Neither the folder nor
// the file is used when it is a reparse point. An entry is appended in one
// write under an open that no other open shares read or write access with,
// and flushed before the call returns. Past kRotateAt bytes the file becomes
// Tarrow.log.1, replacing an older one, and a new file starts.
//
// The text is in the system's ANSI code page with CR LF line ends. An entry
// starts with kEntryStart and ends with kEntryEnd, each on a line of its
// own; a power cut can leave a last entry cut short, and a reader skips it
// (ReadableEntries). The next entry then starts on a fresh line.
//
// A log that cannot be written changes nothing: the result only says why.
#pragma once

#include "platform/platform.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarrow::shutdown {

inline constexpr std::size_t kRotateAt = 1024 * 1024;
inline constexpr const char* kEntryStart = "==== Tarrow.log entry ====";
inline constexpr const char* kEntryEnd = "==== end of entry ====";
// Opens refused because another program writes the log are tried again
// this often, kLogOpenPause milliseconds apart.
inline constexpr int kLogOpenTries = 20;
inline constexpr std::uint32_t kLogOpenPause = 50;

enum class LogWrite {
    Written,
    NoFolder,     // the folder is missing and could not be made
    ReparsePoint, // the folder or the file is a reparse point (or not what it should be)
    Busy,         // another program held the file through every try
    NotOpened,    // the file could not be opened for another reason
    NotWritten,   // the write or the flush failed
};

struct LogWriteResult {
    LogWrite outcome = LogWrite::NotOpened;
    std::uint32_t error = 0; // the Win32 error of the call that failed
    bool rotated = false;    // the file became Tarrow.log.1 first
};

// <Windows>\Logs\Tarrow, from the system directory's parent; "" when the
// system directory is unknown.
std::string AdminLogFolder(platform::Platform& platform);

// Appends one entry of `lines` (without line ends; a CR or LF inside one
// becomes a space, so that no text can end an entry early) to
// `folder`\Tarrow.log, making `folder` and its parent where missing.
LogWriteResult AppendLogEntry(platform::Platform& platform, const std::string& folder,
                              const std::vector<std::string>& lines);

// The entries of a log's text that are whole, each as its lines between
// the start and end lines, oldest first. Lines not ended by CR LF, or that
// hold a NUL, and entries without both framing lines are skipped.
std::vector<std::vector<std::string>> ReadableEntries(const std::string& text);

} // namespace tarrow::shutdown

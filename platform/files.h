// File helpers written once over the seam: attribute-filtered listings, whole
// file reads and writes, and Windows path pieces.
#pragma once

#include "platform/platform.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// Entries matching `pattern` (a path whose last part may hold * and ?), in the
// order the file system gives them. Plain, read-only and archive entries are
// always listed; hidden, system and directory entries only when their
// attribute is in `attributeMask` (the classic Dir() rule). "." and ".." are
// listed when the pattern matches them and directories are asked for.
std::vector<FindData> ListEntries(Platform& platform, const std::string& pattern,
                                  std::uint32_t attributeMask);

// True when some entry matching `path` passes `attributeMask` as above.
bool EntryExists(Platform& platform, const std::string& path, std::uint32_t attributeMask);

// The whole content of a file, or nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(Platform& platform, const std::string& path);

// A file read whole, but no further than a limit.
struct BoundedRead {
    enum class Result {
        Read,       // `content` is the whole file
        Missing,    // there is no such file
        TooLong,    // the file is longer than the limit; nothing was kept
        Unreadable, // it is there but cannot be opened or read
    };
    Result result = Result::Missing;
    std::string content;
};
BoundedRead ReadFileAtMost(Platform& platform, const std::string& path, std::size_t limit);

// Creates (or truncates) the file and writes `content` in one write.
bool WriteWholeFile(Platform& platform, const std::string& path, const std::string& content);

// Writes what the system still holds of the file through to the disk.
bool FlushFile(Platform& platform, const std::string& path);

// Moves a file over `to`, replacing what lies there, and returns only when
// the move is on the disk.
bool MoveIntoPlace(Platform& platform, const std::string& from, const std::string& to);

// Puts `content` at `path` so that a crash at any moment leaves either the
// file as it was or the new content whole: it is written to `path` +
// ".tmp", flushed and moved into place, then read back. True when `path`
// holds `content` afterwards.
bool WriteFileDurably(Platform& platform, const std::string& path, const std::string& content);

// The temporary name WriteFileDurably writes to first.
std::string TemporaryPathFor(const std::string& path);

// "C:\a\b.exe" -> "C:\a"; a path without a backslash gives "".
std::string FolderOf(const std::string& path);
// "C:\a\b.exe" -> "b.exe".
std::string FileNameOf(const std::string& path);
// "b.exe" -> "b"; a name without a dot is returned unchanged.
std::string WithoutExtension(const std::string& fileName);

} // namespace platform

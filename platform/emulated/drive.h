// Drive C: over a folder on disk. Paths are Windows paths whose names are
// looked up without regard to case (an existing entry's spelling on disk
// wins; new entries take the spelling given). File attributes live in memory,
// keyed by the lower-case path: a file without a record has the archive
// attribute, a folder the directory attribute. Calls return Win32 status codes.
#pragma once

#include "platform/emulated/open_file.h"
#include "platform/emulated/share_table.h"
#include "platform/emulated/survival.h"
#include "platform/emulated/volume_log.h"
#include "platform/types.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace platform::emulated {

// A CreateFileA disposition beyond those the seam names.
constexpr std::uint32_t kTruncateExisting = 5;

class Drive {
public:
    explicit Drive(std::filesystem::path root);
    Drive(const Drive&) = delete;
    Drive& operator=(const Drive&) = delete;

    // Where a path lies on disk (existing names in their spelling on disk);
    // "" for a path that is not on drive C:.
    std::string hostPath(std::string_view path) const;

    long getAttributes(std::string_view path, std::uint32_t* attributes) const;
    long setAttributes(std::string_view path, std::uint32_t attributes);
    // The entries that a FindFirstFileA pattern finds, in the order it gives them.
    long list(std::string_view pattern, std::vector<FindData>* entries) const;

    struct Opened {
        long error = 0;
        bool existed = false;
        bool changed = false; // created, or cut short to nothing
        std::unique_ptr<OpenFile> file;
    };
    // `attributes` may carry kFileFlagDeleteOnClose: the open then asks for
    // the right to delete as well, and the file goes with its last handle
    // (see closed).
    Opened open(std::string_view path, std::uint32_t access, std::uint32_t share,
                std::uint32_t disposition, std::uint32_t attributes);
    // A handle to the file of `key` was closed. A file opened to be deleted
    // on close that no open holds any more is deleted; true when it was.
    bool closed(const std::string& key);
    // The file was deleted or moved away: no close deletes what lies there
    // next. A reboot forgets every one, for no handle is left to close.
    void forgetDeleteOnClose(const std::string& key) { deletesOnClose_.erase(key); }
    void forgetDeletesOnClose() { deletesOnClose_.clear(); }
    long copy(std::string_view from, std::string_view to, bool failIfExists);
    // MoveFileExA of a file (kMoveFileReplaceExisting replaces a target).
    long move(std::string_view from, std::string_view to, std::uint32_t flags);
    long remove(std::string_view path);
    // CreateDirectoryA. A folder lasts through any cut once made: NTFS
    // keeps it in the same log as the files' names, and nothing here
    // depends on losing one.
    long makeDirectory(std::string_view path);
    long readAll(std::string_view path, std::string* content);
    // Creates a file that must not exist yet (kErrorFileExists otherwise).
    long writeNew(std::string_view path, std::string_view content);

    // What a cut now could take of the drive (see VolumeLog).
    CutDimensions dimensions() const { return log_.dimensions(); }
    // Every file as each survival leaves it.
    std::vector<std::map<std::string, DiskImage::File>>
    survivors(const std::vector<Survival>& survivals) const;
    // The drive holds these files and nothing else, all of them on disk.
    // Open files must be closed.
    void restartFrom(const std::map<std::string, DiskImage::File>& files);
    // Everything as it stands is on disk.
    void settle() { log_.settle(); }

    void clearFaults() {
        failingCopies_.clear();
        failingMoves_.clear();
        failingFlushes_.clear();
        failingDeletes_.clear();
        failingCreates_.clear();
        lockedEntries_.clear();
        failingReads_.clear();
    }
    void failCopyTo(std::string_view path);
    void failMoveTo(std::string_view path);
    void failFlush(std::string_view path);
    void failDelete(std::string_view path);
    void failCreate(std::string_view path);
    void lockAgainstExamination(std::string_view path);
    void failReadsFrom(std::string_view path, std::uint64_t offset);

private:
    struct Location {
        std::filesystem::path host;
        std::string key; // "c:\a\b"
        bool exists = false;
        bool isDirectory = false;
        bool folderExists = false; // the folder that holds it
        bool isRoot = false;
        bool isLink = false; // a reparse point: a link to another folder or file
    };

    long locate(std::string_view path, Location* location) const;
    // The attributes as kept: for a file the record or archive, for a folder
    // the record with the directory attribute.
    std::uint32_t stored(const std::string& key, bool isDirectory) const;
    // As GetFileAttributesA reports them: no attribute at all reads as normal.
    std::uint32_t reported(const std::string& key, bool isDirectory, bool isLink = false) const;
    static long missing(const Location& location);
    // The name of a located file for the log, with its attributes as kept.
    VolumeLog::Name nameOf(const Location& location) const;
    // Deletes the file there, as a change that lasts once committed.
    bool erase(const Location& location);
    // Every file on the drive as it stands.
    std::map<std::string, DiskImage::File> files() const;
    void addFailure(std::set<std::string>& failures, std::string_view path);

    std::filesystem::path root_;
    std::map<std::string, std::uint32_t> attributes_;
    std::set<std::string> deletesOnClose_; // opened with kFileFlagDeleteOnClose
    ShareTable shares_;
    VolumeLog log_;
    std::set<std::string> failingCopies_;
    std::set<std::string> failingMoves_;
    std::set<std::string> failingFlushes_;
    std::set<std::string> failingDeletes_;
    std::set<std::string> failingCreates_;
    std::set<std::string> lockedEntries_;
    std::map<std::string, std::uint64_t> failingReads_;
};

} // namespace platform::emulated

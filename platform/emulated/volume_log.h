// What of drive C: is on the disk, and what a power cut can still take. The
// drive writes through to its folder at once; this keeps, beside it, what
// NTFS would not have written yet:
//
// - metadata changes (a file created or cut short, moved, deleted, its
//   attributes set) since the last barrier, in order. A flush of any file
//   is a barrier: NTFS then writes its log, so every change before it lasts.
//   MOVEFILE_WRITE_THROUGH is none: it only flushes a move made as a copy
//   and a delete, across volumes, and this drive is one volume;
// - for each name those changes touched, what it named at the barrier;
// - for each file written since its last flush, what it held then.
//
// Files are objects that names point at, as on NTFS: a moved file takes its
// contents, flushed or not, to its new name.
#pragma once

#include "platform/emulated/disk_image.h"
#include "platform/emulated/survival.h"

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform::emulated {

class VolumeLog {
public:
    // A file's name: the drive's key ("c:\a\b.dat") and its spelling below
    // the drive's folder, with its attributes.
    struct Name {
        std::string key;
        std::string spelling;
        std::uint32_t attributes = 0;
    };

    // Each call tells of a change the drive has just made.
    void created(const Name& now);
    // An existing file cut short to nothing, or written over by a copy:
    // `before` as it was, holding `content`.
    void cutShort(const Name& before, const std::string& content, std::uint32_t attributes);
    // `replaced` is the file that `to` named before, holding `replacedContent`.
    void moved(const Name& from, const std::optional<Name>& replaced,
               const std::string& replacedContent, const Name& to);
    void removed(const Name& before, const std::string& content);
    void attributesSet(const Name& before, std::uint32_t attributes);
    // The file named `key` is about to be written in place: unless it was
    // written since its last flush, what it holds now (read through
    // `descriptor`) is what it held then.
    void writing(const std::string& key, int descriptor);
    // FlushFileBuffers of the file named `key`: its content is on disk, and
    // so is every metadata change before it.
    void flushed(const std::string& key);

    CutDimensions dimensions() const;
    // What lasts of drive C: through a cut, from `live` (every file as it
    // stands) and the survival's metadata prefix and file contents.
    std::map<std::string, DiskImage::File>
    survive(const std::map<std::string, DiskImage::File>& live, const Survival& survival) const;
    // Everything as it stands is on disk.
    void settle();

private:
    using FileId = std::size_t;
    struct Binding {
        FileId file = 0;
        std::string spelling;
        std::uint32_t attributes = 0;
    };
    struct File {
        std::string name;                       // its name now, or the last one it had
        bool named = true;                      // whether a name points at it now
        std::optional<std::string> lastFlushed; // set while written since its last flush
        std::optional<std::string> content;     // once no name points at it: what it held
    };
    struct Change {
        enum class Kind { Create, CutShort, Move, Remove, Attributes } kind;
        std::string key;
        std::string toKey; // Move
        Binding binding;   // Create: the new file; Move: the target's spelling
    };
    using Names = std::map<std::string, std::optional<Binding>>;

    // The file that the name `key` points at, known from now on.
    FileId fileAt(const std::string& key);
    // Notes what `name` pointed at when the barrier was passed, on the first
    // change that touches it since.
    void touch(const Name& name, bool exists);
    void unname(const std::string& key, const std::string& content);
    std::string contentOf(FileId file, FileSurvival survival,
                          const std::map<std::string, DiskImage::File>& live) const;
    static void Replay(Names& names, const Change& change);

    FileId nextFile_ = 1;
    std::map<FileId, File> files_;
    std::map<std::string, FileId> named_;                     // known files by their names now
    std::map<std::string, std::optional<Binding>> atBarrier_; // touched names, as at the barrier
    std::vector<Change> changes_;                             // since the barrier
};

} // namespace platform::emulated

// What a power cut can take, and one way of coming through it.
//
// Windows does not write a change to the disk when a call makes it. NTFS
// keeps its metadata changes (a file created or cut short, renamed,
// deleted, its attributes set) in a log that reaches the disk lazily, in
// order; a file's contents wait in the cache; each registry hive reaches its
// file when it is flushed. So after a cut, of the metadata changes since the
// last barrier some prefix lasts; each file written since its last flush
// holds one of four contents; and each hive holds some prefix of its changes
// since its last flush, on its own.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform::emulated {

// What lasts of a file written since its last flush.
enum class FileSurvival {
    Empty,       // nothing: its size never reached the disk (a file that only
                 // grew since its flush keeps what was flushed)
    Zeros,       // its written length, but zeros where the data was to go
                 // (where it grew, for a file that only grew)
    LastFlushed, // what it held when last flushed, the new data never written over it
    AsWritten,   // everything written
};
inline constexpr FileSurvival kEveryFileSurvival[] = {
    FileSurvival::Empty, FileSurvival::Zeros, FileSurvival::LastFlushed, FileSurvival::AsWritten};

// What a cut now could take.
struct CutDimensions {
    // Metadata changes since the last barrier (a flush of any file).
    std::size_t metadataChanges = 0;
    // The files written since their last flush (created or cut short ones
    // among them), by the name they have, or last had: "c:\a\b.dat".
    std::vector<std::string> unflushedFiles;
    struct Hive {
        std::string name; // "hkey_users\s-1-5-18"
        std::size_t changes = 0;
    };
    // The hives changed since their last flush.
    std::vector<Hive> hives;
};

// One way of coming through a cut: a value for each dimension of it.
struct Survival {
    // How many of the metadata changes last, from the first on.
    std::size_t metadataChanges = 0;
    // One for each of CutDimensions::unflushedFiles, in their order.
    std::vector<FileSurvival> files;
    // How many of its changes last, for each of CutDimensions::hives.
    std::vector<std::size_t> hiveChanges;

    // Nothing since the last barriers lasts, and unflushed files hold zeros.
    static Survival Harshest(const CutDimensions& cut) {
        return {0, std::vector<FileSurvival>(cut.unflushedFiles.size(), FileSurvival::Zeros),
                std::vector<std::size_t>(cut.hives.size(), 0)};
    }
    // Everything lasts as it stands: the system wrote it all just before.
    static Survival Kindest(const CutDimensions& cut) {
        Survival survival{
            cut.metadataChanges,
            std::vector<FileSurvival>(cut.unflushedFiles.size(), FileSurvival::AsWritten),
            {}};
        for (const CutDimensions::Hive& hive : cut.hives) {
            survival.hiveChanges.push_back(hive.changes);
        }
        return survival;
    }
};

} // namespace platform::emulated

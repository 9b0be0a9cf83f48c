// The file search of the start window: fills a fixed table of slots with the
// bare names of the files below a folder, the folder's own files first, then
// each sub-folder's, in the order the file system lists them.
#pragma once

#include "platform/platform.h"

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace tarrow {

// The files that must lie in the images folder, in slot order.
inline constexpr std::array<std::string_view, 15> kExpectedFiles{
    "exist.jpg",          "Fast.jpg",
    "main(with).jpg",     "manu 2.jpg",
    "Normal.jpg",         "Off.jpg",
    "Recomend.jpg",       "search.jpg",
    "Slow.jpg",           "Star.jpg",
    "Working.jpg",        "rollback.jpg",
    "rollback.exe",       "rollback.exe.manifest",
    "Helpregistered.jpg",
};

// K, the number of expected files; every slot table has K + 2 slots.
inline constexpr std::size_t kExpectedCount = kExpectedFiles.size();
inline constexpr std::size_t kSlotCount = kExpectedCount + 2;
using Slots = std::array<std::string, kSlotCount>;

// A run-time error of the search: its number and description.
struct SearchError {
    int number;
    std::string description;
};

class FileSearch {
public:
    // `report` shows an error that ends one folder's search.
    FileSearch(platform::Platform& platform, Slots& foundFiles,
               std::function<void(const SearchError&)> report);

    // Lists `path` (as a folder, whether it ends in a backslash or not):
    // notes its sub-folders, stores the bare names of the files matching
    // `searchStr` (hidden, system and read-only ones too) in the next free
    // slots, then searches each sub-folder the same way. A slot past the
    // last one is an error (number 9), which ends this folder's search; the
    // names found so far stay. Returns how many names this search stored.
    std::size_t FindFiles(std::string path, const std::string& searchStr);

private:
    platform::Platform& platform_;
    Slots& foundFiles_;
    std::function<void(const SearchError&)> report_;
    std::size_t nextSlot_ = 0;
};

} // namespace tarrow

#include "tarrow/startup/file_search.h"

#include "platform/files.h"

#include <optional>
#include <vector>

namespace tarrow {

using namespace platform;

namespace {

constexpr std::uint32_t kFoldersAndHidden = kFileAttributeDirectory | kFileAttributeHidden; // 18
constexpr std::uint32_t kAllFiles =
    kFileAttributeReadOnly | kFileAttributeHidden | kFileAttributeSystem; // 7

const SearchError kSubscriptOutOfRange{9, "Subscript out of range"};
const SearchError kFileNotFound{53, "File not found"};

bool EndsWithSys(const std::string& name) {
    return name.size() >= 4 && name.compare(name.size() - 4, 4, ".sys") == 0;
}

} // namespace

FileSearch::FileSearch(Platform& platform, Slots& foundFiles,
                       std::function<void(const SearchError&)> report)
    : platform_(platform), foundFiles_(foundFiles), report_(std::move(report)) {}

std::size_t FileSearch::FindFiles(std::string path, const std::string& searchStr) {
    const std::size_t firstSlot = nextSlot_;
    if (path.empty() || path.back() != '\\') {
        path += '\\';
    }

    // Folder pass: note the sub-folders first, because the file pass and the
    // searches below would otherwise interleave their listings.
    std::vector<std::string> subFolders;
    for (const FindData& entry : ListEntries(platform_, path + "*.*", kFoldersAndHidden)) {
        if (entry.fileName == "." || entry.fileName == "..") {
            continue;
        }
        const std::uint32_t attributes = platform_.GetFileAttributesA(path + entry.fileName);
        if (attributes == kInvalidFileAttributes) {
            // Entries such as the system's paging file cannot be examined;
            // those are passed over, anything else ends this folder's search.
            if (EndsWithSys(entry.fileName)) {
                continue;
            }
            report_(kFileNotFound);
            return nextSlot_ - firstSlot;
        }
        // A folder link (junction or symbolic link) is not followed: it
        // could lead anywhere, or round in a circle.
        if ((attributes & kFileAttributeDirectory) != 0 &&
            (attributes & kFileAttributeReparsePoint) == 0) {
            subFolders.push_back(entry.fileName);
        }
    }

    // File pass.
    for (const FindData& entry : ListEntries(platform_, path + searchStr, kAllFiles)) {
        if (nextSlot_ >= foundFiles_.size()) {
            report_(kSubscriptOutOfRange);
            return nextSlot_ - firstSlot;
        }
        foundFiles_[nextSlot_++] = entry.fileName;
    }

    // Sub-folder pass.
    for (const std::string& subFolder : subFolders) {
        FindFiles(path + subFolder + "\\", searchStr);
    }
    return nextSlot_ - firstSlot;
}

} // namespace tarrow

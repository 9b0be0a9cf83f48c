#include "platform/emulated/drive.h"

#include "platform/emulated/errors.h"
#include "platform/emulated/text.h"
#include "platform/emulated/windows_path.h"

#include <algorithm>
#include <optional>
#include <system_error>

namespace platform::emulated {

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kSettable =
    kFileAttributeReadOnly | kFileAttributeHidden | kFileAttributeSystem | kFileAttributeArchive;

bool IsDirectory(const fs::path& path) {
    std::error_code error;
    return fs::is_directory(path, error);
}

bool IsLink(const fs::path& path) {
    std::error_code error;
    return fs::is_symlink(path, error);
}

// The spelling on disk of the entry of `folder` named `name` in any case.
std::optional<std::string> FindEntry(const fs::path& folder, const std::string& name) {
    std::error_code error;
    if (fs::exists(folder / name, error)) {
        return name;
    }
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::string onDisk = it->path().filename().string();
        if (EqualsNoCase(onDisk, name)) {
            return onDisk;
        }
    }
    return std::nullopt;
}

} // namespace

Drive::Drive(fs::path root) : root_(std::move(root)) {}

long Drive::locate(std::string_view path, Location* location) const {
    const auto names = ParseDrivePath(path);
    if (!names) {
        return kErrorPathNotFound;
    }
    for (const auto& name : *names) {
        if (HasInvalidNameChar(name)) {
            return kErrorInvalidName;
        }
    }
    Location& at = *location;
    at = Location{root_, PathKey(*names), true, true, true, names->empty()};
    bool folderExists = true;
    for (std::size_t i = 0; i < names->size(); ++i) {
        const std::string& name = (*names)[i];
        const auto onDisk = folderExists ? FindEntry(at.host, name) : std::nullopt;
        at.host /= onDisk.value_or(name);
        if (i + 1 == names->size()) {
            at.folderExists = folderExists;
            at.exists = onDisk.has_value();
            at.isDirectory = at.exists && IsDirectory(at.host);
            at.isLink = at.exists && IsLink(at.host);
        } else {
            folderExists = onDisk.has_value() && IsDirectory(at.host);
        }
    }
    return kErrorSuccess;
}

std::uint32_t Drive::stored(const std::string& key, bool isDirectory) const {
    const auto it = attributes_.find(key);
    if (isDirectory) {
        return (it == attributes_.end() ? 0 : it->second) | kFileAttributeDirectory;
    }
    return it == attributes_.end() ? kFileAttributeArchive : it->second;
}

std::uint32_t Drive::reported(const std::string& key, bool isDirectory, bool isLink) const {
    const std::uint32_t attributes =
        stored(key, isDirectory) | (isLink ? kFileAttributeReparsePoint : 0);
    return attributes == 0 ? kFileAttributeNormal : attributes;
}

long Drive::missing(const Location& location) {
    return location.folderExists ? kErrorFileNotFound : kErrorPathNotFound;
}

std::string Drive::hostPath(std::string_view path) const {
    Location location;
    return locate(path, &location) == kErrorSuccess ? location.host.string() : std::string();
}

long Drive::getAttributes(std::string_view path, std::uint32_t* attributes) const {
    Location location;
    if (const long error = locate(path, &location); error != kErrorSuccess) {
        return error;
    }
    if (!location.exists) {
        return missing(location);
    }
    if (lockedEntries_.count(location.key) != 0) {
        return kErrorSharingViolation;
    }
    *attributes = reported(location.key, location.isDirectory, location.isLink);
    return kErrorSuccess;
}

long Drive::setAttributes(std::string_view path, std::uint32_t attributes) {
    Location location;
    if (const long error = locate(path, &location); error != kErrorSuccess) {
        return error;
    }
    if (!location.exists) {
        return missing(location);
    }
    const VolumeLog::Name before = nameOf(location);
    attributes_[location.key] = attributes & kSettable;
    // A folder's attributes last at once: the programs never set them.
    if (!location.isDirectory) {
        log_.attributesSet(before, stored(location.key, false));
    }
    return kErrorSuccess;
}

long Drive::list(std::string_view pattern, std::vector<FindData>* entries) const {
    std::string text(pattern);
    std::replace(text.begin(), text.end(), '/', '\\');
    const std::size_t slash = text.rfind('\\');
    if (slash == std::string::npos) {
        return kErrorPathNotFound;
    }
    const std::string names = text.substr(slash + 1);
    Location folder;
    if (const long error = locate(text.substr(0, slash), &folder); error != kErrorSuccess) {
        return error;
    }
    if (!folder.exists || !folder.isDirectory) {
        return kErrorPathNotFound;
    }
    entries->clear();
    // Every folder but a drive's root starts with "." and "..".
    if (!folder.isRoot) {
        if (MatchesWildcard(names, ".")) {
            entries->push_back({reported(folder.key, true), "."});
        }
        if (MatchesWildcard(names, "..")) {
            const std::string parent = folder.key.substr(0, folder.key.rfind('\\'));
            entries->push_back({reported(parent, true), ".."});
        }
    }
    std::vector<std::pair<std::string, FindData>> found;
    std::error_code error;
    for (fs::directory_iterator it(folder.host, error), end; !error && it != end;
         it.increment(error)) {
        std::string name = it->path().filename().string();
        if (!names.empty() && MatchesWildcard(names, name)) {
            std::error_code ignored;
            const bool isDirectory = it->is_directory(ignored);
            const bool isLink = it->is_symlink(ignored);
            std::string folded = FoldCase(name);
            const std::uint32_t attributes =
                reported(folder.key + '\\' + folded, isDirectory, isLink);
            found.emplace_back(std::move(folded), FindData{attributes, std::move(name)});
        }
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : a.second.fileName < b.second.fileName;
    });
    for (auto& [folded, entry] : found) {
        entries->push_back(std::move(entry));
    }
    return entries->empty() ? kErrorFileNotFound : kErrorSuccess;
}

void Drive::addFailure(std::set<std::string>& failures, std::string_view path) {
    if (const auto names = ParseDrivePath(path)) {
        failures.insert(PathKey(*names));
    }
}

void Drive::failCopyTo(std::string_view path) {
    addFailure(failingCopies_, path);
}
void Drive::failMoveTo(std::string_view path) {
    addFailure(failingMoves_, path);
}
void Drive::failFlush(std::string_view path) {
    addFailure(failingFlushes_, path);
}
void Drive::failDelete(std::string_view path) {
    addFailure(failingDeletes_, path);
}
void Drive::failCreate(std::string_view path) {
    addFailure(failingCreates_, path);
}
void Drive::lockAgainstExamination(std::string_view path) {
    addFailure(lockedEntries_, path);
}
void Drive::failReadsFrom(std::string_view path, std::uint64_t offset) {
    if (const auto names = ParseDrivePath(path)) {
        failingReads_[PathKey(*names)] = offset;
    }
}

} // namespace platform::emulated

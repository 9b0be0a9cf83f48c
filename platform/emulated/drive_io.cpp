// Opening, copying and deleting files on the emulated drive.
#include "platform/emulated/drive.h"

#include "platform/emulated/errors.h"
#include "platform/emulated/windows_path.h"

#include <fcntl.h>
#include <unistd.h>
#include <fstream>
#include <iterator>
#include <system_error>

namespace platform::emulated {

namespace fs = std::filesystem;

namespace {

constexpr std::uint32_t kSettable =
    kFileAttributeReadOnly | kFileAttributeHidden | kFileAttributeSystem | kFileAttributeArchive;
constexpr std::uint32_t kGenericAll = 0x10000000u;
constexpr std::uint32_t kFileReadData = 0x1;
constexpr std::uint32_t kFileWriteData = 0x2;
constexpr std::uint32_t kFileAppendData = 0x4;
constexpr std::uint32_t kShareAll =
    ShareTable::kShareRead | ShareTable::kShareWrite | ShareTable::kShareDelete;

// The access to a file's data that a Win32 access mask asks for.
std::uint32_t DataAccess(std::uint32_t access) {
    std::uint32_t data = 0;
    if ((access & (kGenericRead | kGenericAll | kFileReadData)) != 0) {
        data |= ShareTable::kRead;
    }
    if ((access & (kGenericWrite | kGenericAll | kFileWriteData | kFileAppendData)) != 0) {
        data |= ShareTable::kWrite;
    }
    if ((access & (kGenericAll | kDelete)) != 0) {
        data |= ShareTable::kDelete;
    }
    return data;
}

// What a file holds on the host, or "" when it cannot be read.
std::string ReadHost(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Drive::Opened Refused(long error) {
    Drive::Opened opened;
    opened.error = error;
    return opened;
}

} // namespace

Drive::Opened Drive::open(std::string_view path, std::uint32_t access, std::uint32_t share,
                          std::uint32_t disposition, std::uint32_t attributes) {
    Location at;
    if (const long error = locate(path, &at); error != kErrorSuccess) {
        return Refused(error);
    }
    // Deleting on close needs the right to delete, which Windows adds.
    const bool deleteOnClose = (attributes & kFileFlagDeleteOnClose) != 0;
    const std::uint32_t data = DataAccess(access | (deleteOnClose ? kDelete : 0));
    const bool writes = (data & ShareTable::kWrite) != 0;
    if (writes && failingCreates_.count(at.key) != 0) {
        return Refused(kErrorAccessDenied);
    }
    if (!at.folderExists) {
        return Refused(kErrorPathNotFound);
    }
    if (disposition < kCreateNew || disposition > kTruncateExisting ||
        (disposition == kTruncateExisting && !writes)) {
        return Refused(kErrorInvalidParameter);
    }
    const bool truncates = disposition == kCreateAlways || disposition == kTruncateExisting;
    if (at.exists) {
        if (disposition == kCreateNew) {
            return Refused(kErrorFileExists);
        }
        if (at.isDirectory) {
            return Refused(kErrorAccessDenied);
        }
        const std::uint32_t current = stored(at.key, false);
        if ((current & kFileAttributeReadOnly) != 0 && (writes || truncates || deleteOnClose)) {
            return Refused(kErrorAccessDenied);
        }
        // Replacing a hidden or system file must ask for those attributes again.
        if (disposition == kCreateAlways &&
            (current & (kFileAttributeHidden | kFileAttributeSystem) & ~attributes) != 0) {
            return Refused(kErrorAccessDenied);
        }
        if (!shares_.allows(at.key, data, share)) {
            return Refused(kErrorSharingViolation);
        }
    } else if (disposition == kOpenExisting || disposition == kTruncateExisting) {
        return Refused(kErrorFileNotFound);
    }
    // What a file cut short held, for what a power cut may leave of it.
    const VolumeLog::Name before = nameOf(at);
    const std::string content = at.exists && truncates ? ReadHost(at.host) : std::string();
    int flags = O_CLOEXEC | (writes || truncates || !at.exists ? O_RDWR : O_RDONLY);
    if (!at.exists) {
        flags |= O_CREAT | O_EXCL;
    } else if (truncates) {
        flags |= O_TRUNC;
    }
    const int descriptor = ::open(at.host.c_str(), flags, 0644);
    if (descriptor < 0) {
        return Refused(kErrorAccessDenied);
    }
    if (!at.exists || disposition == kCreateAlways) {
        attributes_[at.key] = (attributes & kSettable) | kFileAttributeArchive;
    }
    Opened opened;
    opened.existed = at.exists;
    opened.changed = !at.exists || truncates;
    if (!at.exists) {
        log_.created(nameOf(at));
    } else if (truncates) {
        log_.cutShort(before, content, stored(at.key, false));
    }
    opened.file = std::make_unique<OpenFile>(descriptor, (data & ShareTable::kRead) != 0, writes,
                                             shares_.take(at.key, data, share), at.key, log_);
    if (const auto failing = failingReads_.find(at.key); failing != failingReads_.end()) {
        opened.file->failReadsFrom(failing->second);
    }
    if (failingFlushes_.count(at.key) != 0) {
        opened.file->failFlushes();
    }
    if (deleteOnClose) {
        deletesOnClose_.insert(at.key);
    }
    return opened;
}

long Drive::copy(std::string_view from, std::string_view to, bool failIfExists) {
    Location source;
    Location target;
    if (const long error = locate(from, &source); error != kErrorSuccess) {
        return error;
    }
    if (!source.exists) {
        return missing(source);
    }
    if (source.isDirectory) {
        return kErrorAccessDenied;
    }
    if (const long error = locate(to, &target); error != kErrorSuccess) {
        return error;
    }
    if (failingCopies_.count(target.key) != 0) {
        return kErrorAccessDenied;
    }
    if (!target.folderExists) {
        return kErrorPathNotFound;
    }
    if (target.key == source.key ||
        !shares_.allows(source.key, ShareTable::kRead, ShareTable::kShareRead)) {
        return kErrorSharingViolation;
    }
    // The copy is made as CreateFileA(CREATE_ALWAYS) with the source's
    // attributes would make it, so the same targets are refused.
    const std::uint32_t attributes = stored(source.key, false) & kSettable;
    if (target.exists) {
        if (target.isDirectory) {
            return kErrorAccessDenied;
        }
        if (failIfExists) {
            return kErrorFileExists;
        }
        const std::uint32_t current = stored(target.key, false);
        if ((current & kFileAttributeReadOnly) != 0 ||
            (current & (kFileAttributeHidden | kFileAttributeSystem) & ~attributes) != 0) {
            return kErrorAccessDenied;
        }
        if (!shares_.allows(target.key, ShareTable::kWrite, 0)) {
            return kErrorSharingViolation;
        }
    }
    const VolumeLog::Name before = nameOf(target);
    const std::string content = target.exists ? ReadHost(target.host) : std::string();
    std::error_code error;
    fs::copy_file(source.host, target.host, fs::copy_options::overwrite_existing, error);
    if (error) {
        return kErrorAccessDenied;
    }
    attributes_[target.key] = attributes | kFileAttributeArchive;
    // CopyFileA does not flush: the copy's content is not on disk yet.
    if (target.exists) {
        log_.cutShort(before, content, stored(target.key, false));
    } else {
        log_.created(nameOf(target));
    }
    return kErrorSuccess;
}

long Drive::move(std::string_view from, std::string_view to, std::uint32_t flags) {
    Location source;
    Location target;
    if (const long error = locate(from, &source); error != kErrorSuccess) {
        return error;
    }
    if (!source.exists) {
        return missing(source);
    }
    if (source.isDirectory) {
        return kErrorAccessDenied;
    }
    if (const long error = locate(to, &target); error != kErrorSuccess) {
        return error;
    }
    if (failingMoves_.count(target.key) != 0) {
        return kErrorAccessDenied;
    }
    if (!target.folderExists) {
        return kErrorPathNotFound;
    }
    if (!shares_.allows(source.key, ShareTable::kDelete, kShareAll)) {
        return kErrorSharingViolation;
    }
    const bool replaces = target.exists && target.key != source.key;
    if (replaces) {
        if ((flags & kMoveFileReplaceExisting) == 0) {
            return kErrorAlreadyExists;
        }
        if (target.isDirectory || (stored(target.key, false) & kFileAttributeReadOnly) != 0) {
            return kErrorAccessDenied;
        }
        if (!shares_.allows(target.key, ShareTable::kDelete, kShareAll)) {
            return kErrorSharingViolation;
        }
    }
    const VolumeLog::Name moving = nameOf(source);
    const std::optional<VolumeLog::Name> replaced =
        replaces ? std::optional<VolumeLog::Name>(nameOf(target)) : std::nullopt;
    const std::string replacedContent = replaces ? ReadHost(target.host) : std::string();
    std::error_code error;
    fs::rename(source.host, target.host, error);
    if (error) {
        return kErrorAccessDenied;
    }
    const std::uint32_t attributes = stored(source.key, false);
    attributes_.erase(source.key);
    attributes_[target.key] = attributes;
    // MOVEFILE_WRITE_THROUGH changes nothing here: a move within one volume
    // is a rename, which lasts only once a barrier follows.
    log_.moved(moving, replaced, replacedContent, nameOf(target));
    return kErrorSuccess;
}

bool Drive::closed(const std::string& key) {
    if (deletesOnClose_.count(key) == 0 || shares_.inUse(key)) {
        return false;
    }
    deletesOnClose_.erase(key);
    Location at;
    if (locate(key, &at) != kErrorSuccess || !at.exists) {
        return false;
    }
    return erase(at);
}

bool Drive::erase(const Location& at) {
    // The delete is a metadata change like any other: it lasts only once
    // a later flush commits it.
    const VolumeLog::Name before = nameOf(at);
    const std::string content = ReadHost(at.host);
    std::error_code error;
    if (!fs::remove(at.host, error)) {
        return false;
    }
    attributes_.erase(at.key);
    log_.removed(before, content);
    return true;
}

long Drive::remove(std::string_view path) {
    Location at;
    if (const long error = locate(path, &at); error != kErrorSuccess) {
        return error;
    }
    if (failingDeletes_.count(at.key) != 0) {
        return kErrorAccessDenied;
    }
    if (!at.exists) {
        return missing(at);
    }
    if (at.isDirectory || (stored(at.key, false) & kFileAttributeReadOnly) != 0) {
        return kErrorAccessDenied;
    }
    if (!shares_.allows(at.key, ShareTable::kDelete, kShareAll)) {
        return kErrorSharingViolation;
    }
    return erase(at) ? kErrorSuccess : kErrorAccessDenied;
}

long Drive::makeDirectory(std::string_view path) {
    Location at;
    if (const long error = locate(path, &at); error != kErrorSuccess) {
        return error;
    }
    if (at.exists || at.isRoot) {
        return kErrorAlreadyExists;
    }
    if (!at.folderExists) {
        return kErrorPathNotFound;
    }
    if (failingCreates_.count(at.key) != 0) {
        return kErrorAccessDenied;
    }
    std::error_code error;
    return fs::create_directory(at.host, error) ? kErrorSuccess : kErrorAccessDenied;
}

long Drive::readAll(std::string_view path, std::string* content) {
    Opened opened = open(path, kGenericRead, kFileShareRead, kOpenExisting, kFileAttributeNormal);
    if (opened.error != kErrorSuccess) {
        return opened.error;
    }
    content->clear();
    char chunk[4096];
    std::uint32_t read = 0;
    do {
        if (const long error = opened.file->read(chunk, sizeof chunk, &read);
            error != kErrorSuccess) {
            return error;
        }
        content->append(chunk, read);
    } while (read > 0);
    return kErrorSuccess;
}

long Drive::writeNew(std::string_view path, std::string_view content) {
    Opened opened = open(path, kGenericWrite, 0, kCreateNew, kFileAttributeNormal);
    if (opened.error != kErrorSuccess) {
        return opened.error;
    }
    std::uint32_t written = 0;
    return opened.file->write(content.data(), static_cast<std::uint32_t>(content.size()), &written);
}

VolumeLog::Name Drive::nameOf(const Location& location) const {
    return {location.key, location.host.lexically_relative(root_).generic_string(),
            stored(location.key, false)};
}

std::map<std::string, DiskImage::File> Drive::files() const {
    std::map<std::string, DiskImage::File> files;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root_, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code ignored;
        if (!fs::is_regular_file(it->symlink_status(ignored))) {
            continue;
        }
        const fs::path relative = it->path().lexically_relative(root_);
        std::vector<std::string> names;
        for (const fs::path& name : relative) {
            names.push_back(name.string());
        }
        const std::string key = PathKey(names);
        files[key] = {relative.generic_string(), stored(key, false), ReadHost(it->path())};
    }
    return files;
}

std::vector<std::map<std::string, DiskImage::File>>
Drive::survivors(const std::vector<Survival>& survivals) const {
    const auto live = files();
    std::vector<std::map<std::string, DiskImage::File>> lasting;
    for (const Survival& survival : survivals) {
        lasting.push_back(log_.survive(live, survival));
    }
    return lasting;
}

void Drive::restartFrom(const std::map<std::string, DiskImage::File>& image) {
    const auto live = files();
    for (const auto& [key, file] : live) {
        const auto kept = image.find(key);
        if (kept == image.end() || kept->second.spelling != file.spelling) {
            std::error_code ignored;
            fs::remove(root_ / file.spelling, ignored);
            attributes_.erase(key);
        }
    }
    for (const auto& [key, file] : image) {
        const auto was = live.find(key);
        if (was == live.end() || was->second.spelling != file.spelling ||
            was->second.content != file.content) {
            std::ofstream out(root_ / file.spelling, std::ios::binary | std::ios::trunc);
            out << file.content;
        }
        attributes_[key] = file.attributes;
    }
    log_.settle();
}

} // namespace platform::emulated

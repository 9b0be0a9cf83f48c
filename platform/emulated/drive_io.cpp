// Opening, copying and deleting files on the emulated drive.
#include "platform/emulated/drive.h"

#include "platform/emulated/errors.h"

#include <fcntl.h>
#include <unistd.h>
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
    if (opened.changed) {
        unflushed_.emptied(at.key);
    }
    opened.file = std::make_unique<OpenFile>(descriptor, (data & ShareTable::kRead) != 0, writes,
                                             shares_.take(at.key, data, share), at.key, unflushed_);
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
    std::error_code error;
    fs::copy_file(source.host, target.host, fs::copy_options::overwrite_existing, error);
    if (error) {
        return kErrorAccessDenied;
    }
    attributes_[target.key] = attributes | kFileAttributeArchive;
    // CopyFileA does not flush: the copy lasts empty until it is flushed.
    unflushed_.emptied(target.key);
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
    std::error_code error;
    fs::rename(source.host, target.host, error);
    if (error) {
        return kErrorAccessDenied;
    }
    const std::uint32_t attributes = stored(source.key, false);
    attributes_.erase(source.key);
    attributes_[target.key] = attributes;
    unflushed_.moved(source.key, target.key);
    return kErrorSuccess;
}

void Drive::cutPower() {
    for (const auto& [key, content] : unflushed_.lasting()) {
        Location at;
        if (locate(key, &at) != kErrorSuccess || !at.exists || at.isDirectory) {
            continue;
        }
        std::error_code error;
        fs::resize_file(at.host, 0, error);
        if (!content.empty()) {
            const int descriptor = ::open(at.host.c_str(), O_WRONLY | O_CLOEXEC);
            if (descriptor >= 0) {
                const ssize_t put = ::pwrite(descriptor, content.data(), content.size(), 0);
                static_cast<void>(put);
                ::close(descriptor);
            }
        }
    }
    unflushed_.settle();
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
    std::error_code error;
    if (!fs::remove(at.host, error)) {
        return kErrorAccessDenied;
    }
    attributes_.erase(at.key);
    unflushed_.removed(at.key);
    return kErrorSuccess;
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

} // namespace platform::emulated

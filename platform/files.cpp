#include "platform/files.h"

#include "platform/handles.h"

namespace platform {

namespace {

constexpr std::uint32_t kFilteredAttributes =
    kFileAttributeHidden | kFileAttributeSystem | kFileAttributeDirectory;

bool PassesMask(std::uint32_t attributes, std::uint32_t mask) {
    return (attributes & kFilteredAttributes & ~mask) == 0;
}

} // namespace

std::vector<FindData> ListEntries(Platform& platform, const std::string& pattern,
                                  std::uint32_t attributeMask) {
    std::vector<FindData> entries;
    FindData data;
    UniqueFind find(platform, platform.FindFirstFileA(pattern, &data));
    if (!find) {
        return entries;
    }
    do {
        if (PassesMask(data.attributes, attributeMask)) {
            entries.push_back(data);
        }
    } while (platform.FindNextFileA(find.get(), &data));
    return entries;
}

bool EntryExists(Platform& platform, const std::string& path, std::uint32_t attributeMask) {
    return !ListEntries(platform, path, attributeMask).empty();
}

std::optional<std::string> ReadWholeFile(Platform& platform, const std::string& path) {
    UniqueHandle file(platform, platform.CreateFileA(path, kGenericRead, kFileShareRead, nullptr,
                                                     kOpenExisting, kFileAttributeNormal));
    if (!file) {
        return std::nullopt;
    }
    // A read that fails part-way gives no content rather than a cut one.
    std::string content;
    char chunk[4096];
    for (;;) {
        std::uint32_t read = 0;
        if (!platform.ReadFile(file.get(), chunk, sizeof chunk, &read)) {
            return std::nullopt;
        }
        if (read == 0) {
            return content;
        }
        content.append(chunk, read);
    }
}

BoundedRead ReadFileAtMost(Platform& platform, const std::string& path, std::size_t limit) {
    BoundedRead read;
    UniqueHandle file(platform, platform.CreateFileA(path, kGenericRead, kFileShareRead, nullptr,
                                                     kOpenExisting, kFileAttributeNormal));
    if (!file) {
        const std::uint32_t error = platform.GetLastError();
        read.result = error == kErrorFileNotFound || error == kErrorPathNotFound
                          ? BoundedRead::Result::Missing
                          : BoundedRead::Result::Unreadable;
        return read;
    }
    char chunk[4096];
    for (;;) {
        std::uint32_t got = 0;
        if (!platform.ReadFile(file.get(), chunk, sizeof chunk, &got)) {
            return {BoundedRead::Result::Unreadable, {}};
        }
        if (got == 0) {
            read.result = BoundedRead::Result::Read;
            return read;
        }
        if (read.content.size() + got > limit) {
            return {BoundedRead::Result::TooLong, {}};
        }
        read.content.append(chunk, got);
    }
}

bool WriteWholeFile(Platform& platform, const std::string& path, const std::string& content) {
    UniqueHandle file(platform, platform.CreateFileA(path, kGenericWrite, 0, nullptr, kCreateAlways,
                                                     kFileAttributeNormal));
    if (!file) {
        return false;
    }
    std::uint32_t written = 0;
    const auto size = static_cast<std::uint32_t>(content.size());
    return platform.WriteFile(file.get(), content.data(), size, &written) && written == size;
}

bool FlushFile(Platform& platform, const std::string& path) {
    UniqueHandle file(platform, platform.CreateFileA(path, kGenericWrite, kFileShareRead, nullptr,
                                                     kOpenExisting, kFileAttributeNormal));
    return file && platform.FlushFileBuffers(file.get());
}

bool MoveIntoPlace(Platform& platform, const std::string& from, const std::string& to) {
    // MOVEFILE_WRITE_THROUGH flushes only a move that is made as a copy and
    // a delete, across volumes; a rename within one volume reaches the disk
    // when the file system writes its log, which a flush of a file on it
    // does. So the moved file is flushed.
    return platform.MoveFileExA(from, to, kMoveFileReplaceExisting | kMoveFileWriteThrough) &&
           FlushFile(platform, to);
}

std::string TemporaryPathFor(const std::string& path) {
    return path + ".tmp";
}

namespace {

// Creates the file and writes `content` through to the disk.
bool WriteAndFlush(Platform& platform, const std::string& path, const std::string& content) {
    UniqueHandle file(platform, platform.CreateFileA(path, kGenericWrite, 0, nullptr, kCreateAlways,
                                                     kFileAttributeNormal));
    if (!file) {
        return false;
    }
    std::uint32_t written = 0;
    const auto size = static_cast<std::uint32_t>(content.size());
    return platform.WriteFile(file.get(), content.data(), size, &written) && written == size &&
           platform.FlushFileBuffers(file.get());
}

} // namespace

bool WriteFileDurably(Platform& platform, const std::string& path, const std::string& content) {
    const std::string temporary = TemporaryPathFor(path);
    if (!WriteAndFlush(platform, temporary, content) || !MoveIntoPlace(platform, temporary, path)) {
        // What is left of the temporary file is of no use to anyone.
        platform.DeleteFileA(temporary);
        return false;
    }
    const auto back = ReadWholeFile(platform, path);
    return back && *back == content;
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string FileNameOf(const std::string& path) {
    const auto slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string WithoutExtension(const std::string& fileName) {
    const auto dot = fileName.find_last_of('.');
    return dot == std::string::npos ? fileName : fileName.substr(0, dot);
}

} // namespace platform

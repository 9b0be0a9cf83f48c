#include "shutdown/admin_log.h"

#include "platform/files.h"
#include "platform/handles.h"
#include "shutdown/system_mark_file.h"

#include <array>

namespace tarrow::shutdown {

using namespace platform;

namespace {

// As kAdministratorsOnly, and handed down to what is made inside.
constexpr const char* kAdministratorsOnlyFolder = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";
constexpr const char* kLogName = "Tarrow.log";
constexpr const char* kOlderLogName = "Tarrow.log.1";
constexpr std::uint32_t kReadChunk = 64 * 1024;

// Makes the folder where it is missing; then it must be a folder, and no
// reparse point.
LogWriteResult EnsureFolder(Platform& platform, const std::string& folder) {
    std::uint32_t attributes = platform.GetFileAttributesA(folder);
    if (attributes == kInvalidFileAttributes) {
        SecurityAttributes security;
        security.securityDescriptor = kAdministratorsOnlyFolder;
        if (!platform.CreateDirectoryA(folder, &security)) {
            const std::uint32_t error = platform.GetLastError();
            if (error != static_cast<std::uint32_t>(kErrorAlreadyExists)) {
                return {LogWrite::NoFolder, error};
            }
        }
        attributes = platform.GetFileAttributesA(folder);
        if (attributes == kInvalidFileAttributes) {
            return {LogWrite::NoFolder, platform.GetLastError()};
        }
    }
    if ((attributes & kFileAttributeDirectory) == 0 ||
        (attributes & kFileAttributeReparsePoint) != 0) {
        return {LogWrite::ReparsePoint, 0};
    }
    return {LogWrite::Written, 0};
}

// A log file there is a plain file, or nothing yet.
bool PlainFileOrNone(Platform& platform, const std::string& path) {
    const std::uint32_t attributes = platform.GetFileAttributesA(path);
    return attributes == kInvalidFileAttributes ||
           (attributes & (kFileAttributeDirectory | kFileAttributeReparsePoint)) == 0;
}

struct OpenedLog {
    UniqueHandle handle;
    LogWriteResult failure;
};

// Opens the log to read and write, made for administrators only when new.
// Other opens get nothing but the right to rename it, so that this one can
// move it to Tarrow.log.1 while it holds it. A refusal because another
// program holds it is tried again a bounded number of times.
OpenedLog OpenLog(Platform& platform, const std::string& path) {
    SecurityAttributes security;
    security.securityDescriptor = kAdministratorsOnly;
    std::uint32_t error = 0;
    for (int attempt = 0; attempt < kLogOpenTries; ++attempt) {
        if (attempt > 0) {
            platform.Sleep(kLogOpenPause);
        }
        UniqueHandle handle(platform, platform.CreateFileA(path, kGenericRead | kGenericWrite,
                                                           kFileShareDelete, &security, kOpenAlways,
                                                           kFileAttributeNormal));
        if (handle) {
            return {std::move(handle), {LogWrite::Written, 0}};
        }
        error = platform.GetLastError();
        if (error != static_cast<std::uint32_t>(kErrorSharingViolation)) {
            return {UniqueHandle(platform), {LogWrite::NotOpened, error}};
        }
    }
    return {UniqueHandle(platform), {LogWrite::Busy, error}};
}

struct LogEnd {
    bool read = false;
    std::uint64_t size = 0;
    bool endsWithCrLf = true; // true for an empty file as well
};

// Reads the open log to its end, which leaves the file position there for
// the append, keeping only its size and how it ends.
LogEnd ReadToEnd(Platform& platform, Handle file) {
    LogEnd end;
    std::array<char, 2> last{};
    std::string chunk(kReadChunk, '\0');
    for (;;) {
        std::uint32_t got = 0;
        if (!platform.ReadFile(file, chunk.data(), kReadChunk, &got)) {
            return end;
        }
        if (got == 0) {
            break;
        }
        if (got >= 2) {
            last = {chunk[got - 2], chunk[got - 1]};
        } else {
            last = {last[1], chunk[0]};
        }
        end.size += got;
    }
    end.read = true;
    end.endsWithCrLf = end.size == 0 || (end.size >= 2 && last[0] == '\r' && last[1] == '\n');
    return end;
}

std::string EntryText(const std::vector<std::string>& lines, bool freshLine) {
    std::string text = freshLine ? "\r\n" : "";
    const auto addLine = [&text](const std::string& line) {
        for (const char c : line) {
            text += (c == '\r' || c == '\n' || c == '\0') ? ' ' : c;
        }
        text += "\r\n";
    };
    addLine(kEntryStart);
    for (const std::string& line : lines) {
        addLine(line);
    }
    addLine(kEntryEnd);
    return text;
}

} // namespace

std::string AdminLogFolder(Platform& platform) {
    std::array<char, 520> buffer{};
    const std::uint32_t length =
        platform.GetSystemDirectoryA(buffer.data(), static_cast<std::uint32_t>(buffer.size()));
    if (length == 0 || length >= buffer.size()) {
        return "";
    }
    const std::string windows = FolderOf(std::string(buffer.data(), length));
    return windows.empty() ? "" : windows + "\\Logs\\Tarrow";
}

LogWriteResult AppendLogEntry(Platform& platform, const std::string& folder,
                              const std::vector<std::string>& lines) {
    const std::string logs = FolderOf(folder);
    if (folder.empty() || logs.empty()) {
        return {LogWrite::NoFolder, static_cast<std::uint32_t>(kErrorPathNotFound)};
    }
    for (const std::string& each : {logs, folder}) {
        if (const LogWriteResult made = EnsureFolder(platform, each);
            made.outcome != LogWrite::Written) {
            return made;
        }
    }
    const std::string path = folder + "\\" + kLogName;
    if (!PlainFileOrNone(platform, path)) {
        return {LogWrite::ReparsePoint, 0};
    }
    OpenedLog log = OpenLog(platform, path);
    if (!log.handle) {
        return log.failure;
    }
    // What was looked at before the open is what was opened.
    if (!PlainFileOrNone(platform, path)) {
        return {LogWrite::ReparsePoint, 0};
    }
    LogEnd end = ReadToEnd(platform, log.handle.get());
    if (!end.read) {
        return {LogWrite::NotWritten, platform.GetLastError()};
    }
    bool rotated = false;
    if (end.size >= kRotateAt &&
        platform.MoveFileExA(path, folder + "\\" + kOlderLogName,
                             kMoveFileReplaceExisting | kMoveFileWriteThrough)) {
        // The old file moved while held, so no entry went into it after it
        // was looked at. Another program may start the new file first: then
        // this entry follows its one.
        log.handle = UniqueHandle(platform);
        log = OpenLog(platform, path);
        if (!log.handle) {
            return log.failure;
        }
        end = ReadToEnd(platform, log.handle.get());
        if (!end.read) {
            return {LogWrite::NotWritten, platform.GetLastError()};
        }
        rotated = true;
    }
    const std::string text = EntryText(lines, !end.endsWithCrLf);
    std::uint32_t written = 0;
    if (!platform.WriteFile(log.handle.get(), text.data(), static_cast<std::uint32_t>(text.size()),
                            &written) ||
        written != text.size()) {
        return {LogWrite::NotWritten, platform.GetLastError(), rotated};
    }
    if (!platform.FlushFileBuffers(log.handle.get())) {
        return {LogWrite::NotWritten, platform.GetLastError(), rotated};
    }
    return {LogWrite::Written, 0, rotated};
}

std::vector<std::vector<std::string>> ReadableEntries(const std::string& text) {
    std::vector<std::vector<std::string>> entries;
    std::vector<std::string> current;
    bool inEntry = false;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find("\r\n", at);
        if (end == std::string::npos) {
            break; // a last line cut short
        }
        const std::string line = text.substr(at, end - at);
        at = end + 2;
        if (line.find('\0') != std::string::npos) {
            inEntry = false;
            continue;
        }
        if (line == kEntryStart) {
            inEntry = true;
            current.clear();
        } else if (line == kEntryEnd) {
            if (inEntry) {
                entries.push_back(current);
            }
            inEntry = false;
        } else if (inEntry) {
            current.push_back(line);
        }
    }
    return entries;
}

} // namespace tarrow::shutdown

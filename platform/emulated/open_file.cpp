#include "platform/emulated/open_file.h"

#include "platform/emulated/errors.h"
#include "platform/types.h"

#include <algorithm>
#include <cerrno>
#include <unistd.h>

namespace platform::emulated {

OpenFile::OpenFile(int descriptor, bool canRead, bool canWrite, ShareTable::Lease lease,
                   std::string key, VolumeLog& log)
    : descriptor_(descriptor), canRead_(canRead), canWrite_(canWrite), lease_(std::move(lease)),
      key_(std::move(key)), log_(log) {}

OpenFile::~OpenFile() {
    ::close(descriptor_);
}

long OpenFile::read(void* buffer, std::uint32_t toRead, std::uint32_t* read) {
    *read = 0;
    if (!canRead_) {
        return kErrorAccessDenied;
    }
    auto* bytes = static_cast<char*>(buffer);
    while (*read < toRead) {
        if (position_ + *read >= failReadsFrom_) {
            position_ += *read;
            return kErrorReadFault;
        }
        const std::uint64_t room =
            std::min<std::uint64_t>(toRead - *read, failReadsFrom_ - (position_ + *read));
        const ssize_t got = ::pread(descriptor_, bytes + *read, static_cast<std::size_t>(room),
                                    static_cast<off_t>(position_ + *read));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            position_ += *read;
            return kErrorReadFault;
        }
        if (got == 0) {
            break;
        }
        *read += static_cast<std::uint32_t>(got);
    }
    position_ += *read;
    return kErrorSuccess;
}

long OpenFile::write(const void* buffer, std::uint32_t toWrite, std::uint32_t* written) {
    *written = 0;
    if (!canWrite_) {
        return kErrorAccessDenied;
    }
    if (toWrite > 0) {
        log_.writing(key_, descriptor_);
    }
    const auto* bytes = static_cast<const char*>(buffer);
    while (*written < toWrite) {
        const ssize_t put = ::pwrite(descriptor_, bytes + *written, toWrite - *written,
                                     static_cast<off_t>(position_ + *written));
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            position_ += *written;
            return kErrorWriteFault;
        }
        *written += static_cast<std::uint32_t>(put);
    }
    position_ += *written;
    return kErrorSuccess;
}

long OpenFile::flush() {
    if (!canWrite_) {
        return kErrorAccessDenied;
    }
    if (failFlushes_) {
        return kErrorWriteFault;
    }
    log_.flushed(key_);
    return kErrorSuccess;
}

} // namespace platform::emulated

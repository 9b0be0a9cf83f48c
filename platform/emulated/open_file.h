// A file opened through CreateFileA: a descriptor of the file on disk, the
// access it was opened with and its file position. Reads and writes go
// straight to disk, so other opens and copies see them at once; what a power
// cut would take away again until the file is flushed is noted in the
// VolumeLog.
#pragma once

#include "platform/emulated/share_table.h"
#include "platform/emulated/volume_log.h"

#include <cstdint>
#include <string>

namespace platform::emulated {

class OpenFile {
public:
    OpenFile(int descriptor, bool canRead, bool canWrite, ShareTable::Lease lease, std::string key,
             VolumeLog& log);
    ~OpenFile();
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    // Win32 status codes. Reading at the end succeeds with 0 bytes read.
    long read(void* buffer, std::uint32_t toRead, std::uint32_t* read);
    long write(const void* buffer, std::uint32_t toWrite, std::uint32_t* written);
    // FlushFileBuffers: needs write access.
    long flush();
    // The drive's key of the file: "c:\a\b".
    const std::string& key() const { return key_; }
    // Reads that reach `offset` fail with kErrorReadFault, as on a bad disk.
    void failReadsFrom(std::uint64_t offset) { failReadsFrom_ = offset; }
    // Flushes fail with kErrorWriteFault, as on a failing disk.
    void failFlushes() { failFlushes_ = true; }

private:
    int descriptor_;
    bool canRead_;
    bool canWrite_;
    std::uint64_t position_ = 0;
    std::uint64_t failReadsFrom_ = UINT64_MAX;
    bool failFlushes_ = false;
    ShareTable::Lease lease_;
    std::string key_;
    VolumeLog& log_;
};

} // namespace platform::emulated

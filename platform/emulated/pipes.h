// Anonymous pipes: a buffer in memory between ends that count themselves, so
// that a reader can tell when no writer is left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform::emulated {

struct PipeBuffer {
    std::string data;
    std::size_t readers = 0;
    std::size_t writers = 0;
};

// One end of a pipe, as a handle refers to it; the end closes when destroyed.
class PipeEnd {
public:
    PipeEnd(std::shared_ptr<PipeBuffer> pipe, bool writeEnd, bool inheritable);
    ~PipeEnd();
    PipeEnd(PipeEnd&& other) noexcept;
    PipeEnd& operator=(PipeEnd&& other) noexcept;
    PipeEnd(const PipeEnd&) = delete;
    PipeEnd& operator=(const PipeEnd&) = delete;

    bool isWriteEnd() const { return writeEnd_; }
    bool inheritable() const { return inheritable_; }
    // Another end of the same kind on the same pipe, as a child process
    // holds the inherited handle.
    PipeEnd duplicate() const;

    // Win32 status codes. Reading gives what is buffered, up to `toRead`
    // bytes. With nothing buffered the call fails with kErrorBrokenPipe: when
    // no writer is left, as on Windows, and also while one is, where Windows
    // would wait for data that nothing in a single-threaded emulation can
    // still write. Writing with no reader left fails with kErrorNoData.
    long read(void* buffer, std::uint32_t toRead, std::uint32_t* read);
    long write(const void* buffer, std::uint32_t toWrite, std::uint32_t* written);

private:
    void release();

    std::shared_ptr<PipeBuffer> pipe_;
    bool writeEnd_;
    bool inheritable_;
};

} // namespace platform::emulated

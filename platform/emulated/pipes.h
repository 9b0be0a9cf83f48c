// Anonymous pipes: a buffer in memory between ends that count themselves, so
// that a reader can tell when no writer is left.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>

namespace platform::emulated {

struct PipeBuffer {
    std::string data;
    std::size_t readers = 0;
    std::size_t writers = 0; // open write ends, those of lingering processes included
    // Processes that inherited a write end and outlived the program that
    // started them: each writes its pieces, one whenever a reader waits,
    // then ends and closes its end.
    std::deque<std::deque<std::string>> lingering;
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

    // A process that inherits this write end and goes on writing `pieces`
    // after the program that started it has ended.
    void addLingeringWriter(std::deque<std::string> pieces) const;

    // Win32 status codes. Reading gives what is buffered, up to `toRead`
    // bytes. With nothing buffered, a lingering process writes its next
    // piece, or ends; with no writer left the call fails with
    // kErrorBrokenPipe, as on Windows. When only write ends of the running
    // program are left, Windows would wait for ever: the read throws
    // std::logic_error instead, so that a reader that forgot to close its
    // own copy of the write end fails loudly rather than passing.
    // Writing with no reader left fails with kErrorNoData.
    long read(void* buffer, std::uint32_t toRead, std::uint32_t* read);
    long write(const void* buffer, std::uint32_t toWrite, std::uint32_t* written);

private:
    void release();

    std::shared_ptr<PipeBuffer> pipe_;
    bool writeEnd_;
    bool inheritable_;
};

} // namespace platform::emulated

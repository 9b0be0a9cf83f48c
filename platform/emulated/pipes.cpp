#include "platform/emulated/pipes.h"

#include "platform/emulated/errors.h"
#include "platform/types.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace platform::emulated {

PipeEnd::PipeEnd(std::shared_ptr<PipeBuffer> pipe, bool writeEnd, bool inheritable)
    : pipe_(std::move(pipe)), writeEnd_(writeEnd), inheritable_(inheritable) {
    ++(writeEnd_ ? pipe_->writers : pipe_->readers);
}

PipeEnd::~PipeEnd() {
    release();
}

PipeEnd::PipeEnd(PipeEnd&& other) noexcept
    : pipe_(std::move(other.pipe_)), writeEnd_(other.writeEnd_), inheritable_(other.inheritable_) {}

PipeEnd& PipeEnd::operator=(PipeEnd&& other) noexcept {
    if (this != &other) {
        release();
        pipe_ = std::move(other.pipe_);
        writeEnd_ = other.writeEnd_;
        inheritable_ = other.inheritable_;
    }
    return *this;
}

void PipeEnd::release() {
    if (pipe_) {
        --(writeEnd_ ? pipe_->writers : pipe_->readers);
        pipe_.reset();
    }
}

PipeEnd PipeEnd::duplicate() const {
    return PipeEnd(pipe_, writeEnd_, inheritable_);
}

void PipeEnd::addLingeringWriter(std::deque<std::string> pieces) const {
    pipe_->lingering.push_back(std::move(pieces));
    ++pipe_->writers;
}

long PipeEnd::read(void* buffer, std::uint32_t toRead, std::uint32_t* read) {
    *read = 0;
    if (writeEnd_) {
        return kErrorAccessDenied;
    }
    if (toRead == 0) {
        return kErrorSuccess;
    }
    // Time passes for the processes that outlived their parent program.
    while (pipe_->data.empty() && !pipe_->lingering.empty()) {
        auto& pieces = pipe_->lingering.front();
        if (pieces.empty()) {
            pipe_->lingering.pop_front();
            --pipe_->writers;
        } else {
            pipe_->data = std::move(pieces.front());
            pieces.pop_front();
        }
    }
    if (pipe_->data.empty()) {
        if (pipe_->writers != 0) {
            throw std::logic_error("ReadFile would wait for ever on an empty pipe: the running "
                                   "program still holds a write end of it");
        }
        return kErrorBrokenPipe;
    }
    const std::size_t count = std::min<std::size_t>(toRead, pipe_->data.size());
    std::copy_n(pipe_->data.begin(), count, static_cast<char*>(buffer));
    pipe_->data.erase(0, count);
    *read = static_cast<std::uint32_t>(count);
    return kErrorSuccess;
}

long PipeEnd::write(const void* buffer, std::uint32_t toWrite, std::uint32_t* written) {
    *written = 0;
    if (!writeEnd_) {
        return kErrorAccessDenied;
    }
    if (pipe_->readers == 0) {
        return kErrorNoData;
    }
    pipe_->data.append(static_cast<const char*>(buffer), toWrite);
    *written = toWrite;
    return kErrorSuccess;
}

} // namespace platform::emulated

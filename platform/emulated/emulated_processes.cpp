// Pipes, started processes and the end of the running one.
#include "platform/emulated/emulated_platform.h"

#include "platform/emulated/emulated_state.h"

#include <memory>
#include <optional>

namespace platform {

namespace {

// The standard output and error a started program inherited, if any.
class InheritedOutput final : public EmulatedPlatform::ChildOutput {
public:
    InheritedOutput(std::optional<emulated::PipeEnd> output, std::optional<emulated::PipeEnd> error)
        : output_(std::move(output)), error_(std::move(error)) {}
    void write(const std::string& text) override { Write(output_, text); }
    void writeError(const std::string& text) override { Write(error_, text); }
    void leaveRunning(std::vector<std::string> laterPieces) override {
        if (output_) {
            output_->addLingeringWriter({laterPieces.begin(), laterPieces.end()});
        }
    }

private:
    static void Write(std::optional<emulated::PipeEnd>& end, const std::string& text) {
        std::uint32_t written = 0;
        if (end) {
            end->write(text.data(), static_cast<std::uint32_t>(text.size()), &written);
        }
    }
    std::optional<emulated::PipeEnd> output_;
    std::optional<emulated::PipeEnd> error_;
};

// The child's copy of a standard handle: only the inheritable write end of
// a pipe, handed on when handles are inherited.
std::optional<emulated::PipeEnd> Inherit(emulated::KernelHandles& kernel, Handle handle,
                                         const StartupInfo& startup, bool inheritHandles) {
    auto* end = kernel.find<emulated::PipeEnd>(handle);
    if ((startup.flags & kStartfUseStdHandles) == 0 || !inheritHandles || end == nullptr ||
        !end->isWriteEnd() || !end->inheritable()) {
        return std::nullopt;
    }
    return end->duplicate();
}

} // namespace

bool EmulatedPlatform::CreatePipe(Handle* readEnd, Handle* writeEnd,
                                  const SecurityAttributes* security, std::uint32_t) {
    if (state_->powerOff()) {
        return false;
    }
    if (state_->pipeFailure != 0) {
        return state_->fail(state_->pipeFailure);
    }
    if (readEnd == nullptr || writeEnd == nullptr) {
        return state_->fail(kErrorInvalidParameter);
    }
    const bool inheritable = security != nullptr && security->inheritHandle;
    auto pipe = std::make_shared<emulated::PipeBuffer>();
    *readEnd = state_->kernel.add(emulated::PipeEnd(pipe, false, inheritable));
    *writeEnd = state_->kernel.add(emulated::PipeEnd(pipe, true, inheritable));
    return true;
}

bool EmulatedPlatform::CreateProcessA(const std::string& commandLine, const SecurityAttributes*,
                                      const SecurityAttributes*, bool inheritHandles,
                                      std::uint32_t creationFlags, const StartupInfo& startup,
                                      ProcessInformation* info) {
    if (state_->powerOff()) {
        return false;
    }
    if (info == nullptr) {
        return state_->fail(kErrorInvalidParameter);
    }
    const Program* found = state_->programs.find(commandLine);
    // The running program starting itself again needs nothing registered: it
    // is recorded and not run.
    const bool restartsItself = emulated::ProgramNameOf(commandLine) ==
                                emulated::ProgramNameOf('"' + state_->modulePath + '"');
    if (found == nullptr && !restartsItself) {
        return state_->fail(kErrorFileNotFound);
    }
    state_->started.push_back({commandLine, creationFlags, startup, inheritHandles});
    state_->journal.record("CreateProcessA", emulated::ProgramNameOf(commandLine));
    std::uint32_t exitCode = state_->restartExitCode;
    // A program whose start was the last change before the power went
    // never runs.
    if (found != nullptr && !state_->journal.powerOff()) {
        // The child writes to a pipe only when it inherits the write end:
        // the handle must be inheritable and inheritance asked for.
        InheritedOutput inherited(
            Inherit(state_->kernel, startup.stdOutput, startup, inheritHandles),
            Inherit(state_->kernel, startup.stdError, startup, inheritHandles));
        const Program program = *found; // the program may register others while it runs
        exitCode = program(commandLine, inherited);
        // The child has ended: its copy of the write end is closed when
        // `inherited` goes.
    }
    info->processId = state_->nextProcessId;
    info->threadId = state_->nextProcessId + 4;
    state_->nextProcessId += 8;
    info->process = state_->kernel.add(emulated::ProcessObject{info->processId, exitCode});
    info->thread = state_->kernel.add(emulated::ThreadObject{info->threadId});
    return true;
}

std::uint32_t EmulatedPlatform::WaitForSingleObject(Handle handle, std::uint32_t) {
    // A started program has run to its end inside CreateProcessA.
    if (state_->kernel.find<emulated::ProcessObject>(handle) == nullptr) {
        state_->fail(kErrorInvalidHandle);
        return kWaitFailed;
    }
    return kWaitObject0;
}

bool EmulatedPlatform::GetExitCodeProcess(Handle process, std::uint32_t* exitCode) {
    const auto* object = state_->kernel.find<emulated::ProcessObject>(process);
    if (object == nullptr) {
        return state_->fail(kErrorInvalidHandle);
    }
    if (exitCode != nullptr) {
        *exitCode = object->exitCode;
    }
    return true;
}

void EmulatedPlatform::ExitProcess(std::uint32_t exitCode) {
    state_->exitCode = exitCode;
    state_->exitRequested = true;
}

bool EmulatedPlatform::exitRequested() const {
    return state_->exitRequested;
}

void EmulatedPlatform::InitCommonControls() {
    ++state_->commonControlsInitialized;
}

int EmulatedPlatform::commonControlsInitialized() const {
    return state_->commonControlsInitialized;
}

} // namespace platform

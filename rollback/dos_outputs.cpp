#include "rollback/dos_outputs.h"

#include "platform/handles.h"

#include <utility>

namespace tarrow::rollback {

using namespace platform;

namespace {

constexpr std::uint32_t kPieceSize = 256;

} // namespace

DOSOutputs::DOSOutputs(Platform& platform, ui::Driver& driver, std::string title)
    : platform_(platform), driver_(driver), title_(std::move(title)) {}

void DOSOutputs::ReportError(const std::string& message) {
    driver_.messageBox(message, title_, ui::mb::kOkOnly | ui::mb::kCritical);
}

std::string DOSOutputs::ExecuteCommand(const std::string& CommandLine) {
    if (!CommandLine.empty()) {
        commandLine_ = CommandLine;
    }
    if (commandLine_.empty()) {
        ReportError("Command Line empty");
        return {};
    }

    // Both ends inheritable; the child gets the write end as its standard
    // output and standard error, no standard input, and no window.
    SecurityAttributes inheritable;
    inheritable.inheritHandle = true;
    UniqueHandle readEnd(platform_);
    UniqueHandle writeEnd(platform_);
    if (!platform_.CreatePipe(readEnd.put(), writeEnd.put(), &inheritable, 0)) {
        ReportError("CreatePipe failed. Error: " + std::to_string(platform_.GetLastError()));
        return {};
    }
    StartupInfo startup;
    startup.flags = kStartfUseStdHandles | kStartfUseShowWindow;
    startup.showWindow = kSwHide;
    startup.stdInput = 0;
    startup.stdOutput = writeEnd.get();
    startup.stdError = writeEnd.get();
    ProcessInformation started;
    if (!platform_.CreateProcessA(commandLine_, &inheritable, &inheritable, true,
                                  kNormalPriorityClass, startup, &started)) {
        readEnd.reset();
        writeEnd.reset();
        ReportError("File or command not found");
        return {};
    }
    UniqueHandle process(platform_, started.process);
    UniqueHandle thread(platform_, started.thread);

    // Without this copy of the write end closed, the pipe would never break
    // and the reads below would wait for ever.
    writeEnd.reset();
    outputs_.clear();
    bool readOk = false;
    do {
        char buffer[kPieceSize];
        std::uint32_t read = 0;
        readOk = platform_.ReadFile(readEnd.get(), buffer, kPieceSize, &read);
        const std::string piece(buffer, readOk ? read : 0);
        outputs_ += piece;
        if (ReceiveOutputs) {
            ReceiveOutputs(piece);
        }
    } while (readOk);

    process.reset();
    thread.reset();
    readEnd.reset();
    return outputs_;
}

} // namespace tarrow::rollback

// DOSOutputs runs one command line as a hidden child process and captures
// what it writes to its standard output and standard error, which share one
// pipe. Each piece read is handed to ReceiveOutputs as it arrives; the whole
// text is returned once every holder of the pipe's write end (the child and
// whatever it started) has closed it.
#pragma once

#include "platform/platform.h"
#include "ui/driver.h"

#include <functional>
#include <string>

namespace tarrow::rollback {

class DOSOutputs {
public:
    // Errors are reported in a message box with `title`, on the caller's
    // thread.
    DOSOutputs(platform::Platform& platform, ui::Driver& driver, std::string title);

    // The command line to run; it stays set between runs until replaced.
    const std::string& CommandLine() const { return commandLine_; }
    void CommandLine(std::string DOSCommand) { commandLine_ = std::move(DOSCommand); }
    // Everything read from the last started process.
    const std::string& Outputs() const { return outputs_; }

    // Runs `CommandLine` (or the stored command line when it is empty; a
    // non-empty one replaces it) and returns its whole output, or "" after
    // reporting why it could not start: "Command Line empty", "CreatePipe
    // failed. Error: <n>" or "File or command not found".
    std::string ExecuteCommand(const std::string& CommandLine = {});

    // Raised once per read, with a copy of the piece just read (at most 256
    // bytes); the last, at the end of the pipe, is empty. Outputs() holds
    // the piece already.
    std::function<void(std::string CommandOutputs)> ReceiveOutputs;

private:
    void ReportError(const std::string& message);

    platform::Platform& platform_;
    ui::Driver& driver_;
    std::string title_;
    std::string commandLine_;
    std::string outputs_;
};

} // namespace tarrow::rollback

// The programs that CreateProcessA can start, found by the first word of a
// command line.
#pragma once

#include "platform/emulated/emulated_platform.h"

#include <map>
#include <string>
#include <string_view>

namespace platform::emulated {

// The program a command line names: its first word (quoted or not) as a file
// name, in lower case and without ".exe". "\"C:\\x\\Prog.exe\" /a" -> "prog".
std::string ProgramNameOf(std::string_view commandLine);

class Programs {
public:
    // `name` may be a bare name or a path, with or without ".exe".
    void add(std::string_view name, EmulatedPlatform::Program program);
    // The program the command line names, or nullptr.
    const EmulatedPlatform::Program* find(std::string_view commandLine) const;

private:
    std::map<std::string, EmulatedPlatform::Program> programs_;
};

} // namespace platform::emulated

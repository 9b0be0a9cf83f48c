// How both programs run: one function makes the program on its platform and
// window driver, starts it, runs the message loop, and ends the process
// through the platform's one exit path. Whatever escapes the program on the
// way is caught there and ends it as the program chose: Tarrow tells the
// user, the uninstaller (which runs unattended) only ends with a code of its
// own.
#pragma once

#include "platform/platform.h"
#include "ui/driver.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tarrow::shell {

// A program: its windows, made on a platform and a driver, and its start.
class Program {
public:
    virtual ~Program() = default;
    // Shows the first window; window events do the rest.
    virtual void Start() = 0;
};

using MakeProgram =
    std::function<std::unique_ptr<Program>(platform::Platform& platform, ui::Driver& driver)>;

// What a program does when something unexpected stops it.
struct UnexpectedEnd {
    std::uint32_t exitCode = 1;
    // Tells the user what stopped it; empty for a program that shows nothing.
    std::function<void(ui::Driver& driver, const std::string& what)> tell;
};

// Makes and starts the program, runs the message loop until the program
// ends, and ends the process with the loop's exit code, or with
// `unexpected`'s when an exception escaped. Returns that code where the
// process end returns (the emulated platform).
std::uint32_t RunProgram(platform::Platform& platform, ui::Driver& driver, const MakeProgram& make,
                         const UnexpectedEnd& unexpected);

} // namespace tarrow::shell

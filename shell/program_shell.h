// How both programs run: one function makes the program on its platform and
// window driver, starts it, runs the message loop, and ends the process
// through the platform's one exit path. Whatever escapes the program on the
// way is caught there and ends it as the program chose: Tarrow tells the
// user, the uninstaller (which runs unattended) only ends with a code of its
// own. On Windows one WinMain (shell/win32/win_main.cpp) runs the program
// that the executable defines with TheProgram().
#pragma once

#include "manifest/manifest_text.h"
#include "platform/platform.h"
#include "ui/driver.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace tarrow::shell {

// What every program runs on.
struct ProgramContext {
    platform::Platform& platform;
    ui::Driver& driver;
    modxpstyle::ProgramIdentity identity;
};

// A program: its windows, made in a context, and its start.
class Program {
public:
    explicit Program(ProgramContext context) : context_(std::move(context)) {}
    virtual ~Program() = default;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Shows the first window; window events do the rest.
    virtual void Start() = 0;

    platform::Platform& platform() const { return context_.platform; }
    ui::Driver& driver() const { return context_.driver; }
    const modxpstyle::ProgramIdentity& identity() const { return context_.identity; }

private:
    ProgramContext context_;
};

// What a program does when something unexpected stops it.
struct UnexpectedEnd {
    std::uint32_t exitCode = 1;
    // Tells the user what stopped it; empty for a program that shows nothing.
    std::function<void(ui::Driver& driver, const std::string& what)> tell;
};

// A program as the shell runs it.
struct ProgramDefinition {
    std::function<std::unique_ptr<Program>(ProgramContext context)> make;
    UnexpectedEnd unexpected;
};

// The program of this executable; each executable defines it.
ProgramDefinition TheProgram();

// The version and file description of this executable, which its version
// resource and manifest carry too; generated for each executable
// (cmake/program/identity.cpp.in).
modxpstyle::ProgramIdentity TheIdentity();

// Makes and starts the program, runs the message loop until the program
// ends, and ends the process with the loop's exit code, or with the
// definition's unexpected end when an exception escaped. Returns that code
// where the process end returns (the emulated platform).
std::uint32_t RunProgram(platform::Platform& platform, ui::Driver& driver,
                         const modxpstyle::ProgramIdentity& identity,
                         const ProgramDefinition& program);

} // namespace tarrow::shell

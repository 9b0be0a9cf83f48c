#include "shell/program_shell.h"

#include <exception>
#include <optional>

namespace tarrow::shell {

std::uint32_t RunProgram(platform::Platform& platform, ui::Driver& driver,
                         const modxpstyle::ProgramIdentity& identity,
                         const ProgramDefinition& program) {
    std::uint32_t exitCode = 0;
    std::optional<std::string> failure;
    try {
        const std::unique_ptr<Program> running = program.make({platform, driver, identity});
        running->Start();
        exitCode = static_cast<std::uint32_t>(driver.run());
    } catch (const std::exception& error) {
        failure = error.what();
    } catch (...) {
        failure = "an exception of unknown kind";
    }
    if (failure) {
        if (program.unexpected.tell) {
            program.unexpected.tell(driver, *failure);
        }
        exitCode = program.unexpected.exitCode;
    }
    platform.ExitProcess(exitCode);
    return exitCode;
}

} // namespace tarrow::shell

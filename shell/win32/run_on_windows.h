// A program's entry on Windows: the process loads libraries from the system
// directory only, then the program runs through the shell on the real
// platform and the Win32 driver, which live as long as the process. Tarrow
// holds its running mark for as long (running_mark.h).
#pragma once

#include "manifest/manifest_text.h"
#include "platform/win32/library_search.h"
#include "platform/win32/win32_platform.h"
#include "shell/program_shell.h"
#include "shell/running_mark.h"
#include "ui/win32/win32_driver.h"

#include <memory>

namespace tarrow::shell {

enum class RunningMark { None, Tarrow };

template <typename App>
int RunOnWindows(const modxpstyle::ProgramIdentity& identity, const UnexpectedEnd& unexpected,
                 RunningMark mark = RunningMark::None) {
    // Before anything loads a library: the driver loads OLE and the common
    // controls.
    platform::LoadLibrariesFromSystemOnly();
    platform::Win32Platform platform;
    const platform::UniqueHandle held = mark == RunningMark::Tarrow
                                            ? HoldTarrowRunningMark(platform)
                                            : platform::UniqueHandle(platform);
    ui::Win32Driver driver(platform);
    return static_cast<int>(RunProgram(
        platform, driver,
        [&identity](platform::Platform& p, ui::Driver& d) -> std::unique_ptr<Program> {
            return std::make_unique<App>(p, d, identity);
        },
        unexpected));
}

} // namespace tarrow::shell

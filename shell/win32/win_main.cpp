// The entry of both programs on Windows: the process loads libraries from
// the system directory only, then the executable's program runs through the
// shell on the real platform and the Win32 driver, which live as long as
// the process. Each executable defines its own TheIdentity() and
// TheProgram().
#include "platform/win32/library_search.h"
#include "platform/win32/win32_platform.h"
#include "shell/program_shell.h"
#include "ui/win32/win32_driver.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Before anything loads a library: the driver loads OLE and the common
    // controls.
    platform::LoadLibrariesFromSystemOnly();
    platform::Win32Platform platform;
    ui::Win32Driver driver(platform);
    return static_cast<int>(tarrow::shell::RunProgram(
        platform, driver, tarrow::shell::TheIdentity(), tarrow::shell::TheProgram()));
}

// Tarrow.exe: the real Windows and the Win32 window driver under Tarrow's
// windows. The program begins with its start window; everything after that
// is driven by window events.
#include "platform/win32/win32_platform.h"
#include "program_identity.h"
#include "tarrow/program/tarrow_app.h"
#include "ui/win32/win32_driver.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    platform::Win32Platform platform;
    ui::Win32Driver driver(platform);
    tarrow::TarrowApp app(platform, driver, kProgramIdentity);
    app.Start();
    return driver.run();
}

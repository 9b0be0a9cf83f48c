// rollback.exe: the real Windows and the Win32 window driver under the
// uninstaller's window.
#include "platform/win32/win32_platform.h"
#include "program_identity.h"
#include "rollback/rollback_app.h"
#include "ui/win32/win32_driver.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    platform::Win32Platform platform;
    ui::Win32Driver driver(platform);
    tarrow::rollback::RollbackApp app(platform, driver, kProgramIdentity);
    app.Start();
    return driver.run();
}

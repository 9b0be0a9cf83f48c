// rollback.exe: the uninstaller's window on the real Windows and the Win32
// window driver.
#include "program_identity.h"
#include "rollback/rollback_app.h"
#include "shell/win32/run_on_windows.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return tarrow::shell::RunOnWindows<tarrow::rollback::RollbackApp>(
        kProgramIdentity, tarrow::rollback::RollbackApp::UnexpectedEnd());
}

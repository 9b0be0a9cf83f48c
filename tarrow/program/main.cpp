// Tarrow.exe: Tarrow's windows on the real Windows and the Win32 window
// driver. The program begins with its start window; everything after that
// is driven by window events. It holds the mark that keeps the uninstaller
// from putting settings back under it.
#include "program_identity.h"
#include "shell/win32/run_on_windows.h"
#include "tarrow/program/tarrow_app.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return tarrow::shell::RunOnWindows<tarrow::TarrowApp>(
        kProgramIdentity, tarrow::TarrowApp::UnexpectedEnd(), tarrow::shell::RunningMark::Tarrow);
}

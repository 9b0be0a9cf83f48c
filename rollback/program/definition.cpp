// rollback.exe's program: the uninstaller's one window.
#include "rollback/rollback_app.h"

tarrow::shell::ProgramDefinition tarrow::shell::TheProgram() {
    return tarrow::rollback::RollbackApp::Definition();
}

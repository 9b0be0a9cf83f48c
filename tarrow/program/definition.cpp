// Tarrow.exe's program: its windows, from the start window on.
#include "tarrow/program/tarrow_app.h"

tarrow::shell::ProgramDefinition tarrow::shell::TheProgram() {
    return tarrow::TarrowApp::Definition();
}

// The uninstaller: its one window and what it runs on.
#pragma once

#include "rollback/uninstall_form.h"
#include "shell/program_shell.h"

#include <string_view>

namespace tarrow::rollback {

class RollbackApp final : public shell::Program {
public:
    explicit RollbackApp(shell::ProgramContext context);

    // The uninstaller as the shell runs it; something unexpected ends it
    // silently, for it runs unattended, with a code that no restore ends
    // with.
    static shell::ProgramDefinition Definition();

    // Loads and shows the window; its timer does the rest.
    void Start() override;

    UninstallForm& Form1() { return form1_; }

private:
    UninstallForm form1_;
};

} // namespace tarrow::rollback

#include "rollback/rollback_app.h"

#include <memory>

namespace tarrow::rollback {

RollbackApp::RollbackApp(shell::ProgramContext context)
    : shell::Program(context), form1_(context.driver, context.identity) {}

shell::ProgramDefinition RollbackApp::Definition() {
    return {[](shell::ProgramContext context) -> std::unique_ptr<shell::Program> {
                return std::make_unique<RollbackApp>(context);
            },
            {kExitUnexpected, {}}};
}

void RollbackApp::Start() {
    form1_.show();
}

} // namespace tarrow::rollback

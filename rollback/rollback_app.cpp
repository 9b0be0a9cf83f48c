#include "rollback/rollback_app.h"

#include <utility>

namespace tarrow::rollback {

RollbackApp::RollbackApp(platform::Platform& platform, ui::Driver& driver,
                         modxpstyle::ProgramIdentity identity)
    : platform_(platform), driver_(driver), identity_(std::move(identity)), form1_(*this) {}

void RollbackApp::Start() {
    form1_.show();
}

} // namespace tarrow::rollback

// Under Wine the child is the real dos_child.exe, built beside the test.
#include "platform/files.h"
#include "tests/rollback/dos_outputs_fixture.h"

namespace tarrow::rollback {

std::string ChildCommand(testing::TestMachine& machine, const std::string& mode) {
    const std::string folder = platform::FolderOf(machine.platform().GetModuleFileNameA());
    return "\"" + folder + "\\dos_child.exe\" " + mode;
}

} // namespace tarrow::rollback

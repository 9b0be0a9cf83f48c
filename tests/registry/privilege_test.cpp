// Enabling privileges of the process token.
#include "registry/modregistry.h"

#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

namespace tarrow {
namespace {

using tarrow::testing::TestMachine;

TEST(EnablePrivilege, SucceedsDespiteAStaleErrorFromAnEarlierCall) {
    TestMachine machine;
    auto& p = machine.platform();
    p.SetLastError(platform::kErrorAccessDenied); // what some earlier call left behind
    EXPECT_TRUE(modregistry::EnablePrivilege(p, "SeBackupPrivilege"));
    p.SetLastError(platform::kErrorFileNotFound);
    EXPECT_TRUE(modregistry::EnablePrivilege(p, "SeRestorePrivilege"));
    EXPECT_EQ(machine.openHandleCount().value_or(0), 0u) << "the token handle is closed again";
}

TEST(EnablePrivilege, FailsForAnUnknownPrivilegeName) {
    TestMachine machine;
    EXPECT_FALSE(modregistry::EnablePrivilege(machine.platform(), "SeNoSuchPrivilege"));
}

} // namespace
} // namespace tarrow

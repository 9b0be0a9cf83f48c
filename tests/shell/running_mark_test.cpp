// Tarrow's running mark as the uninstaller sees it: there while Tarrow holds
// it, gone once Tarrow lets it go or ends, and not confused with another
// program's mutex.
#include "shell/running_mark.h"

#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

namespace {

using tarrow::testing::TestMachine;
namespace shell = tarrow::shell;

TEST(RunningMark, TellsWhetherTarrowRuns) {
    TestMachine machine;
    platform::Platform& p = machine.platform();
    EXPECT_FALSE(shell::TarrowRuns(p));

    platform::UniqueHandle other(p, p.CreateMutexA(nullptr, false, "Global\\TarrowRunningNot"));
    ASSERT_TRUE(other);
    EXPECT_FALSE(shell::TarrowRuns(p)) << "another mutex";

    auto mark = shell::HoldTarrowRunningMark(p);
    ASSERT_TRUE(mark);
    EXPECT_TRUE(shell::TarrowRuns(p));
    EXPECT_TRUE(shell::TarrowRuns(p)) << "looking leaves it as it was";
    {
        // The first instance and the one it starts again both hold it.
        auto restarted = shell::HoldTarrowRunningMark(p);
        ASSERT_TRUE(restarted);
    }
    EXPECT_TRUE(shell::TarrowRuns(p));

    mark.reset();
    EXPECT_FALSE(shell::TarrowRuns(p));
}

} // namespace

// Tarrow's running mark as the uninstaller sees it: there while any Tarrow
// holds it, gone once the last one lets it go or ends, not confused with
// another file, and a mark that a power cut left without a holder is none.
#include "shell/running_mark.h"

#include "platform/files.h"
#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

namespace {

using tarrow::testing::TestMachine;
namespace shell = tarrow::shell;

TEST(RunningMark, TellsWhetherTarrowRuns) {
    TestMachine machine;
    platform::Platform& p = machine.platform();
    const std::string path = shell::TarrowRunningPath(p);
    p.DeleteFileA(path);
    EXPECT_FALSE(shell::TarrowRuns(p));

    auto mark = shell::HoldTarrowRunningMark(p);
    ASSERT_TRUE(mark);
    EXPECT_TRUE(shell::TarrowRuns(p));
    EXPECT_TRUE(shell::TarrowRuns(p)) << "looking leaves it as it was";
    {
        // The first instance and the one it starts again both hold it.
        auto restarted = shell::HoldTarrowRunningMark(p);
        ASSERT_TRUE(restarted);
    }
    EXPECT_TRUE(shell::TarrowRuns(p)) << "one holder left";

    mark.reset();
    EXPECT_FALSE(shell::TarrowRuns(p));
    EXPECT_EQ(p.GetFileAttributesA(path), platform::kInvalidFileAttributes)
        << "the last holder's end takes the file with it";

    // What a power cut leaves: the file without anyone holding it.
    ASSERT_TRUE(platform::WriteWholeFile(p, path, ""));
    EXPECT_FALSE(shell::TarrowRuns(p));
    EXPECT_EQ(p.GetFileAttributesA(path), platform::kInvalidFileAttributes)
        << "the look took the stale mark away";
}

} // namespace

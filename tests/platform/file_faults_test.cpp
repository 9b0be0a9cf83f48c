// Whole-file reads over a disk that fails: a file that cannot be read to its
// end gives no content rather than a cut one.
#include "platform/emulated/emulated_platform.h"
#include "platform/files.h"
#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace platform;
using tarrow::testing::TestMachine;

TEST(FileFaults, AReadThatFailsPartWayGivesNoContent) {
    TestMachine machine;
    Platform& p = machine.platform();
    const std::string path = machine.scratchFolder() + "\\saved.dat";
    const std::string content(10000, 'x'); // more than one read's worth
    ASSERT_TRUE(WriteWholeFile(p, path, content));

    machine.emulated()->failReadsFrom(path, 5000);
    EXPECT_EQ(ReadWholeFile(p, path), std::nullopt);
    EXPECT_EQ(machine.openHandleCount(), 0u) << "the file is closed on the failing path too";

    machine.emulated()->failReadsFrom(path, content.size());
    EXPECT_EQ(ReadWholeFile(p, path), std::nullopt) << "even the read at the very end fails";

    machine.emulated()->failReadsFrom(path, UINT64_MAX);
    EXPECT_EQ(ReadWholeFile(p, path), content);
}

} // namespace

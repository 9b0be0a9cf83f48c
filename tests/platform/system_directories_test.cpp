// The system directories the seam names, and whether the program runs under
// WOW64: the calls agree with each other and with the disk.
#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace platform;
using tarrow::testing::TestMachine;

TEST(SystemDirectories, TheWow64DirectoryIsThereExactlyWhereWindowsIs64Bit) {
    TestMachine machine;
    Platform& p = machine.platform();
    bool wow64 = false;
    ASSERT_TRUE(p.IsWow64Process(p.GetCurrentProcess(), &wow64));
    char buffer[260] = {};
    p.SetLastError(0);
    const std::uint32_t length = p.GetSystemWow64DirectoryA(buffer, sizeof buffer);
    if (length == 0) {
        EXPECT_FALSE(wow64) << "a program under WOW64 runs on 64-bit Windows";
        EXPECT_EQ(p.GetLastError(), static_cast<std::uint32_t>(kErrorCallNotImplemented));
        return;
    }
    const std::string directory(buffer, length);
    EXPECT_NE(p.GetFileAttributesA(directory) & kFileAttributeDirectory, 0u) << directory;
    EXPECT_EQ(p.GetSystemWow64DirectoryA(buffer, 3), length + 1)
        << "too little room: the size needed, with the NUL";
}

TEST(SystemDirectories, OnlyAProcessHandleSaysWhetherItRunsUnderWow64) {
    TestMachine machine;
    TARROW_SKIP_ON_WINE(machine, "IsWow64Process takes any handle");
    Platform& p = machine.platform();
    bool wow64 = true;
    EXPECT_FALSE(p.IsWow64Process(0x4242, &wow64));
    EXPECT_EQ(p.GetLastError(), static_cast<std::uint32_t>(kErrorInvalidHandle));
}

} // namespace

// Named mutexes as the seam gives them: made or opened by name, refused by
// name when none exists, case-sensitive, and gone with their last handle.
#include "platform/handles.h"
#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using namespace platform;
using tarrow::testing::TestMachine;

TEST(NamedMutex, LivesWhileAHandleNamesIt) {
    TestMachine machine;
    Platform& p = machine.platform();
    const std::string name = "Local\\TarrowSeamTestMutex";
    auto open = [&](const std::string& which) {
        return UniqueHandle(p, p.OpenMutexA(kSynchronize, false, which));
    };

    EXPECT_FALSE(open(name));
    EXPECT_EQ(p.GetLastError(), static_cast<std::uint32_t>(kErrorFileNotFound));

    UniqueHandle first(p, p.CreateMutexA(nullptr, false, name));
    ASSERT_TRUE(first);
    EXPECT_NE(p.GetLastError(), static_cast<std::uint32_t>(kErrorAlreadyExists));
    UniqueHandle second(p, p.CreateMutexA(nullptr, false, name));
    ASSERT_TRUE(second);
    EXPECT_EQ(p.GetLastError(), static_cast<std::uint32_t>(kErrorAlreadyExists));

    struct Case {
        const char* what;
        std::string name;
        bool opens;
    };
    const std::vector<Case> cases = {
        {"the same name", name, true},
        {"another case", "Local\\tarrowseamtestmutex", false},
        {"another name", "Local\\TarrowSeamTestMutex2", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(static_cast<bool>(open(c.name)), c.opens);
    }

    first.reset();
    EXPECT_TRUE(open(name)) << "the second handle keeps it";
    second.reset();
    EXPECT_FALSE(open(name)) << "gone with its last handle";
    EXPECT_EQ(p.GetLastError(), static_cast<std::uint32_t>(kErrorFileNotFound));
}

} // namespace

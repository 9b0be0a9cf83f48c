// Sharing between opens of one file, files deleted with their last handle,
// and files made with a security descriptor of their own.
#include "platform/files.h"
#include "platform/handles.h"
#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace platform;
using tarrow::testing::TestMachine;

constexpr std::uint32_t kShareAll = kFileShareRead | kFileShareWrite | kFileShareDelete;
constexpr const char* kAdministratorsOnly = "D:P(A;;FA;;;SY)(A;;FA;;;BA)";

class FileSharing : public ::testing::Test {
protected:
    TestMachine machine;
    Platform& p = machine.platform();
    const std::string file = machine.scratchFolder() + "\\lock.dat";

    Handle open(std::uint32_t access, std::uint32_t share, std::uint32_t disposition = kOpenAlways,
                std::uint32_t flags = kFileAttributeNormal,
                const SecurityAttributes* security = nullptr) {
        return p.CreateFileA(file, access, share, security, disposition, flags);
    }
    bool exists() { return p.GetFileAttributesA(file) != kInvalidFileAttributes; }
    std::uint32_t error() { return p.GetLastError(); }
};

TEST_F(FileSharing, ASecondOpenNeedsWhatTheFirstSharesAndMustShareWhatTheFirstHas) {
    const struct {
        const char* name;
        std::uint32_t firstAccess, firstShare, secondAccess, secondShare;
        bool opens;
    } cases[] = {
        {"readers sharing reading", kGenericRead, kFileShareRead, kGenericRead, kFileShareRead,
         true},
        {"a writer beside a reader that shares no writing", kGenericRead, kFileShareRead,
         kGenericWrite, kShareAll, false},
        {"a reader beside a writer that shares writing", kGenericWrite, kShareAll, kGenericRead,
         kShareAll, true},
        {"a reader that shares no writing beside a writer", kGenericWrite, kShareAll, kGenericRead,
         kFileShareRead, false},
        {"anything beside an open that shares nothing", kGenericRead, 0, kGenericRead, kShareAll,
         false},
        {"a second open that shares nothing", kGenericRead, kShareAll, kGenericRead, 0, false},
        {"beside a deleter, an open that shares no deleting", kDelete, kShareAll, kGenericRead,
         kFileShareRead | kFileShareWrite, false},
        {"beside a deleter, an open that shares deleting", kDelete, kShareAll, kGenericRead,
         kShareAll, true},
    };
    ASSERT_TRUE(WriteWholeFile(p, file, "kept"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UniqueHandle first(p, open(c.firstAccess, c.firstShare, kOpenExisting));
        ASSERT_TRUE(first);
        p.SetLastError(0);
        UniqueHandle second(p, open(c.secondAccess, c.secondShare, kOpenExisting));
        EXPECT_EQ(second.valid(), c.opens);
        if (!c.opens) {
            EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorSharingViolation));
        }
    }
    EXPECT_EQ(ReadWholeFile(p, file), "kept") << "no open changed the file";
    EXPECT_EQ(machine.openHandleCount().value_or(0), 0u);
}

// Closing order: the file goes with the last handle, whichever it is.
TEST_F(FileSharing, AFileToBeDeletedOnCloseGoesWithItsLastHandleAndAllowsOnlyOpensSharingDelete) {
    for (const bool markedClosesFirst : {true, false}) {
        SCOPED_TRACE(markedClosesFirst ? "the marked handle closes first" : "it closes last");
        UniqueHandle marked(p, open(kGenericWrite, kShareAll, kCreateNew, kFileFlagDeleteOnClose));
        ASSERT_TRUE(marked);
        EXPECT_TRUE(exists());
        EXPECT_EQ(open(kGenericRead, kFileShareRead | kFileShareWrite, kOpenExisting),
                  kInvalidHandle)
            << "an open that shares no deleting";
        EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorSharingViolation));
        UniqueHandle other(p, open(kGenericRead, kShareAll, kOpenExisting));
        ASSERT_TRUE(other);
        (markedClosesFirst ? marked : other).reset();
        (markedClosesFirst ? other : marked).reset();
        EXPECT_FALSE(exists());
        EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorFileNotFound));
    }

    ASSERT_TRUE(WriteWholeFile(p, file, "there before"));
    UniqueHandle plain(p, open(kGenericRead, kFileShareRead | kFileShareWrite, kOpenExisting));
    ASSERT_TRUE(plain);
    EXPECT_EQ(open(kGenericRead, kShareAll, kOpenExisting, kFileFlagDeleteOnClose), kInvalidHandle)
        << "an open already there shares no deleting";
    EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorSharingViolation));
    plain.reset();
    UniqueHandle(p, open(kGenericRead, kShareAll, kOpenExisting, kFileFlagDeleteOnClose)).reset();
    EXPECT_FALSE(exists()) << "an existing file opened to be deleted on close goes too";
}

TEST_F(FileSharing, AFileMadeWithADescriptorOpensForAnAdministratorAndABadOneMakesNothing) {
    SecurityAttributes secured;
    secured.securityDescriptor = kAdministratorsOnly;
    UniqueHandle made(
        p, open(kGenericWrite, kFileShareRead, kCreateNew, kFileAttributeNormal, &secured));
    ASSERT_TRUE(made) << error();
    made.reset();
    EXPECT_EQ(ReadWholeFile(p, file), "") << "the administrator who made it opens it again";
    ASSERT_TRUE(p.DeleteFileA(file));

    SecurityAttributes malformed;
    malformed.securityDescriptor = "D:P(A;;FA;;;SY";
    EXPECT_EQ(open(kGenericWrite, 0, kCreateNew, kFileAttributeNormal, &malformed), kInvalidHandle);
    EXPECT_FALSE(exists());
}

} // namespace

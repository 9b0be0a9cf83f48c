// Who may reach which file on the emulated machine: a standard account
// changes nothing in the system directory, a file's own descriptor decides
// who opens it, a file to be deleted on close outlives a power cut, and a
// wait for a lock ends when its holder lets go.
// Wine enforces no access control lists, so these run natively only.
#include "platform/emulated/emulated_platform.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

using namespace platform;
using tarrow::testing::TestMachine;

constexpr std::uint32_t kShareAll = kFileShareRead | kFileShareWrite | kFileShareDelete;
const std::string kAlice(EmulatedPlatform::kUserSid);
const std::string kSystem(EmulatedPlatform::kLocalSystemSid);
const std::string kCarol = "S-1-5-21-3623811015-3361044348-30300820-1004";

class FileAccess : public ::testing::Test {
public:
    TestMachine machine;
    EmulatedPlatform& e = *machine.emulated();
    Platform& p = machine.platform();
    const std::string system = "C:\\windows\\system32";
    const std::string scratch = machine.scratchFolder();
    const std::string carolsFile = "C:\\Users\\carol\\source.txt";

    void SetUp() override {
        e.addAccount({kCarol, "carol", "TARROW-PC", false}, true);
        ASSERT_TRUE(WriteWholeFile(p, carolsFile, "carol's"));
    }
    bool opens(const std::string& path, std::uint32_t access, std::uint32_t disposition,
               std::uint32_t flags = kFileAttributeNormal) {
        return UniqueHandle(p, p.CreateFileA(path, access, kShareAll, nullptr, disposition, flags))
            .valid();
    }
    bool exists(const std::string& path) {
        return p.GetFileAttributesA(path) != kInvalidFileAttributes;
    }
    std::uint32_t error() { return p.GetLastError(); }
};

TEST_F(FileAccess, AStandardAccountChangesNothingInTheSystemDirectory) {
    using Act = std::function<bool(FileAccess&, const std::string& folder)>;
    const struct {
        const char* name;
        Act act;
        bool changes;
    } cases[] = {
        {"make a new file",
         [](FileAccess& t, const std::string& f) {
             return t.opens(f + "\\new.dat", kGenericWrite, kCreateNew);
         },
         true},
        {"open one for writing",
         [](FileAccess& t, const std::string& f) {
             return t.opens(f + "\\existing.dat", kGenericWrite, kOpenExisting);
         },
         true},
        {"cut one short",
         [](FileAccess& t, const std::string& f) {
             return t.opens(f + "\\existing.dat", kGenericRead, kCreateAlways);
         },
         true},
        {"open one to delete it on close",
         [](FileAccess& t, const std::string& f) {
             return t.opens(f + "\\existing.dat", kGenericRead, kOpenExisting,
                            kFileFlagDeleteOnClose);
         },
         true},
        {"delete one",
         [](FileAccess& t, const std::string& f) { return t.p.DeleteFileA(f + "\\existing.dat"); },
         true},
        {"copy one in",
         [](FileAccess& t, const std::string& f) {
             return t.p.CopyFileA(t.carolsFile, f + "\\new.dat", true);
         },
         true},
        {"move one out",
         [](FileAccess& t, const std::string& f) {
             return t.p.MoveFileExA(f + "\\existing.dat", "C:\\Users\\carol\\moved.dat", 0);
         },
         true},
        {"hide one",
         [](FileAccess& t, const std::string& f) {
             return t.p.SetFileAttributesA(f + "\\existing.dat", kFileAttributeHidden);
         },
         true},
        {"read one",
         [](FileAccess& t, const std::string& f) {
             return t.opens(f + "\\existing.dat", kGenericRead, kOpenExisting);
         },
         false},
    };
    for (const auto& c : cases) {
        for (const std::string& who : {kCarol, kAlice}) {
            for (const std::string& folder : {system, scratch}) {
                SCOPED_TRACE(std::string(c.name) + " as " + (who == kCarol ? "carol" : "alice") +
                             " in " + folder);
                e.runAs(kAlice);
                p.DeleteFileA(folder + "\\new.dat");
                p.DeleteFileA("C:\\Users\\carol\\moved.dat");
                p.SetFileAttributesA(folder + "\\existing.dat", kFileAttributeNormal);
                ASSERT_TRUE(WriteWholeFile(p, folder + "\\existing.dat", "old"));
                ASSERT_TRUE(p.SetFileAttributesA(folder + "\\existing.dat", kFileAttributeNormal));

                e.runAs(who);
                const bool refused = c.changes && who == kCarol && folder == system;
                EXPECT_EQ(c.act(*this, folder), !refused);
                if (refused) {
                    EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorAccessDenied));
                    e.runAs(kAlice);
                    EXPECT_EQ(ReadWholeFile(p, folder + "\\existing.dat"), "old");
                    EXPECT_EQ(p.GetFileAttributesA(folder + "\\existing.dat"),
                              kFileAttributeNormal);
                    EXPECT_FALSE(exists(folder + "\\new.dat"));
                }
            }
        }
    }
    EXPECT_EQ(e.openHandleCount(), 0u);
}

TEST_F(FileAccess, AFilesOwnDescriptorDecidesWhoReachesIt) {
    const struct {
        const char* name;
        std::string descriptor;
        bool carol, alice, localSystem;
    } cases[] = {
        {"the system and administrators", "D:P(A;;FA;;;SY)(A;;FA;;;BA)", false, true, true},
        {"the system alone", "D:P(A;;FA;;;SY)", false, false, true},
        {"everyone", "D:P(A;;FA;;;WD)", true, true, true},
        {"an empty list", "D:P", false, false, false},
        {"no access control", "D:NO_ACCESS_CONTROL", true, true, true},
        {"carol alone, by her SID", "D:P(A;;FA;;;" + kCarol + ")", true, false, false},
        {"everyone but carol", "D:(D;;FA;;;" + kCarol + ")(A;;FA;;;WD)", false, true, true},
        {"an owner and no list", "O:BA", true, true, true},
        {"the default security", "", true, true, true},
    };
    int made = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // A file of its own for each: one that admits nobody cannot be removed.
        const std::string file = scratch + "\\secured" + std::to_string(++made) + ".dat";
        e.runAs(kAlice);
        SecurityAttributes security;
        security.securityDescriptor = c.descriptor;
        ASSERT_TRUE(UniqueHandle(
            p, p.CreateFileA(file, kGenericWrite, 0, &security, kCreateNew, kFileAttributeNormal)));
        for (const auto& [who, admitted] :
             {std::pair{kCarol, c.carol}, {kAlice, c.alice}, {kSystem, c.localSystem}}) {
            SCOPED_TRACE(who);
            e.runAs(who);
            EXPECT_EQ(opens(file, kGenericRead, kOpenExisting), admitted);
            EXPECT_EQ(p.CopyFileA(file, scratch + "\\copy.dat", false), admitted);
            if (!admitted) {
                EXPECT_EQ(error(), static_cast<std::uint32_t>(kErrorAccessDenied));
                EXPECT_FALSE(p.DeleteFileA(file));
                EXPECT_TRUE(exists(file)) << "it may still be seen, not removed";
            }
            e.runAs(kAlice);
            p.DeleteFileA(scratch + "\\copy.dat");
        }
    }
}

TEST_F(FileAccess, TheDescriptorMovesWithItsFileAndGoesWithIt) {
    SecurityAttributes security;
    security.securityDescriptor = "D:P(A;;FA;;;SY)(A;;FA;;;BA)";
    const std::string file = scratch + "\\secured.dat";
    const std::string moved = scratch + "\\moved.dat";
    ASSERT_TRUE(UniqueHandle(p, p.CreateFileA(file, kGenericWrite, 0, &security, kCreateNew, 0)));
    ASSERT_TRUE(p.MoveFileExA(file, moved, 0));
    e.runAs(kCarol);
    EXPECT_FALSE(opens(moved, kGenericRead, kOpenExisting)) << "moved with its descriptor";
    e.runAs(kAlice);
    ASSERT_TRUE(p.DeleteFileA(moved));
    ASSERT_TRUE(WriteWholeFile(p, moved, "plain"));
    e.runAs(kCarol);
    EXPECT_TRUE(opens(moved, kGenericRead, kOpenExisting)) << "a new file of that name is plain";
}

TEST_F(FileAccess, AFileToBeDeletedOnCloseOutlivesAPowerCutBeforeItsLastClose) {
    const std::string file = scratch + "\\running.dat";
    const struct {
        const char* name;
        std::function<void(FileAccess&, UniqueHandle&)> end;
        bool lasts;
    } cases[] = {
        {"closed", [](FileAccess&, UniqueHandle& handle) { handle.reset(); }, false},
        {"the power cut, then closed",
         [](FileAccess& t, UniqueHandle& handle) {
             t.e.cutPowerAfter(0);
             handle.reset();
             t.e.reboot(emulated::Survival::Kindest(t.e.cutDimensions()));
         },
         true},
        {"a reboot while open",
         [](FileAccess& t, UniqueHandle& handle) {
             t.e.reboot(emulated::Survival::Kindest(t.e.cutDimensions()));
             handle.release(); // the reboot took it
         },
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        p.DeleteFileA(file);
        e.settle();
        UniqueHandle handle(p, p.CreateFileA(file, kGenericWrite, kShareAll, nullptr, kCreateNew,
                                             kFileFlagDeleteOnClose));
        ASSERT_TRUE(handle);
        c.end(*this, handle);
        EXPECT_EQ(exists(file), c.lasts);
        if (c.lasts) {
            EXPECT_TRUE(opens(file, kGenericRead, kOpenExisting));
            EXPECT_TRUE(exists(file)) << "a later open and close leaves it";
        } else {
            ASSERT_FALSE(e.journal().empty());
            EXPECT_EQ(e.journal().back().call, "CloseHandle");
            EXPECT_EQ(e.journal().back().target, "c:\\scratch\\running.dat");
        }
    }
}

// Sleeping takes no time here: the clock adds up, and the hook lets a test
// act while the program waits, here the lock's holder letting go of it.
TEST_F(FileAccess, AWaitForALockEndsOnceItsHolderLetsGo) {
    const std::string lock = scratch + "\\operation.lock";
    const auto take = [&] {
        return p.CreateFileA(lock, kGenericWrite, 0, nullptr, kCreateNew, kFileFlagDeleteOnClose);
    };
    UniqueHandle holder(p, take());
    ASSERT_TRUE(holder);
    int waits = 0;
    e.onSleep([&] {
        if (++waits == 3) {
            holder.reset();
        }
    });
    UniqueHandle taken(p);
    for (int attempt = 0; attempt < 10 && !taken; ++attempt) {
        taken.reset(take());
        if (!taken) {
            p.Sleep(250);
        }
    }
    EXPECT_TRUE(taken) << "taken once the holder let go";
    EXPECT_EQ(waits, 3);
    EXPECT_EQ(e.sleptMilliseconds(), 750u);
    taken.reset();
    EXPECT_FALSE(exists(lock)) << "and gone with the last holder";
}

} // namespace

// The side-by-side manifest: its bytes, when it is written, and the restart.
#include "manifest/modxpstyle.h"

#include "platform/emulated/emulated_platform.h"
#include "platform/files.h"
#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tarrow {
namespace {

using tarrow::testing::TestMachine;
using namespace platform;

constexpr std::uint32_t kHiddenSystem = kFileAttributeHidden | kFileAttributeSystem;

const char* const kExpectedManifest =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?> \r\n"
    "<assembly \r\n"
    "   xmlns=\"urn:schemas-microsoft-com:asm.v1\" \r\n"
    "   manifestVersion=\"1.0\">\r\n"
    "<assemblyIdentity \r\n"
    "    processorArchitecture=\"x86\" \r\n"
    "    version=\"1.2.3.0\"\r\n"
    "    type=\"win32\"\r\n"
    "    name=\"rollback.exe\"/>\r\n"
    "    <description>Undo & <restore></description>\r\n"
    "    <dependency>\r\n"
    "    <dependentAssembly>\r\n"
    "    <assemblyIdentity\r\n"
    "         type=\"win32\"\r\n"
    "         name=\"Microsoft.Windows.Common-Controls\"\r\n"
    "         version=\"6.0.0.0\"\r\n"
    "         publicKeyToken=\"6595b64144ccf1df\"\r\n"
    "         language=\"*\"\r\n"
    "         processorArchitecture=\"x86\"/>\r\n"
    "    </dependentAssembly>\r\n"
    "    </dependency>\r\n"
    "</assembly>\r\n";

TEST(ManifestText, IsTheTemplateWithEveryPlaceholderFilledInUnescaped) {
    EXPECT_EQ(modxpstyle::ManifestText("rollback", {1, 2, 3, "Undo & <restore>"}),
              kExpectedManifest);
}

TEST(ManifestText, ArgumentsAreWhatFollowsTheProgramName) {
    EXPECT_EQ(modxpstyle::ArgumentsOf("\"C:\\Program Files\\T\\Tarrow.exe\" /a  b"), "/a  b");
    EXPECT_EQ(modxpstyle::ArgumentsOf("\"C:\\Program Files\\T\\Tarrow.exe\""), "");
    EXPECT_EQ(modxpstyle::ArgumentsOf("Tarrow.exe   x"), "x");
    EXPECT_EQ(modxpstyle::ArgumentsOf("Tarrow.exe"), "");
    EXPECT_EQ(modxpstyle::ArgumentsOf(""), "");
}

class Manifest : public ::testing::Test {
protected:
    TestMachine machine;
    EmulatedPlatform& emulated = *machine.emulated();
    Platform& p = machine.platform();
    const std::string folder = "C:\\Program Files\\Tarrow";
    const std::string path = folder + "\\Tarrow.exe.manifest";
    const modxpstyle::ProgramIdentity identity{1, 0, 7, "Tarrow"};

    void SetUp() override {
        std::filesystem::create_directories(emulated.hostPath(folder));
        emulated.setModulePath(folder + "\\Tarrow.exe");
        emulated.setCommandLine("\"" + folder + "\\Tarrow.exe\"");
    }
    bool Write(bool restart, bool overwrite) {
        return modxpstyle::WriteStyleManifest(p, identity, restart, overwrite,
                                              modxpstyle::AfterRestart::EndAtOnce);
    }
    std::string Content() {
        p.SetFileAttributesA(path, kFileAttributeNormal);
        const std::string content = ReadWholeFile(p, path).value_or("<none>");
        return content;
    }
};

TEST_F(Manifest, APresentManifestIsLeftAloneAndNothingRestarts) {
    ASSERT_TRUE(WriteWholeFile(p, path, "old"));
    ASSERT_TRUE(p.SetFileAttributesA(path, kFileAttributeHidden));
    EXPECT_TRUE(Write(true, false));
    EXPECT_TRUE(emulated.startedProcesses().empty());
    EXPECT_FALSE(p.exitRequested());
    EXPECT_EQ(p.GetFileAttributesA(path) & kHiddenSystem, kFileAttributeHidden);
    EXPECT_EQ(Content(), "old");
}

TEST_F(Manifest, AnAbsentManifestIsWrittenHiddenAndSystemWithoutRestart) {
    EXPECT_FALSE(Write(false, false));
    EXPECT_EQ(p.GetFileAttributesA(path) & kHiddenSystem, kHiddenSystem);
    EXPECT_FALSE(p.exitRequested());
    EXPECT_EQ(Content(), modxpstyle::ManifestText("Tarrow", identity));
}

TEST_F(Manifest, OverwriteReplacesAReadOnlyManifest) {
    ASSERT_TRUE(WriteWholeFile(p, path, std::string(5000, 'x')));
    ASSERT_TRUE(p.SetFileAttributesA(path, kFileAttributeReadOnly));
    EXPECT_TRUE(Write(false, true));
    EXPECT_EQ(p.GetFileAttributesA(path) & (kHiddenSystem | kFileAttributeReadOnly), kHiddenSystem);
    EXPECT_EQ(Content(), modxpstyle::ManifestText("Tarrow", identity)) << "no old tail left";
}

TEST_F(Manifest, RestartKeepsAnExistingManifestWhateverOverwriteSays) {
    ASSERT_TRUE(WriteWholeFile(p, path, "old"));
    EXPECT_TRUE(Write(true, true));
    EXPECT_EQ(Content(), "old");
}

TEST_F(Manifest, ANewManifestRestartsTheProgramQuotedWithItsArguments) {
    for (const auto& [arguments, expected] :
         {std::pair<std::string, std::string>{"", "\"" + folder + "\\Tarrow.exe\" "},
          {" /quiet  now", "\"" + folder + "\\Tarrow.exe\" /quiet  now"}}) {
        SCOPED_TRACE(arguments);
        TestMachine fresh;
        auto& e = *fresh.emulated();
        std::filesystem::create_directories(e.hostPath(folder));
        e.setModulePath(folder + "\\Tarrow.exe");
        e.setCommandLine("\"" + folder + "\\Tarrow.exe\"" + arguments);
        modxpstyle::WriteStyleManifest(fresh.platform(), identity, true, false,
                                       modxpstyle::AfterRestart::EndAtOnce);
        ASSERT_EQ(e.startedProcesses().size(), 1u);
        EXPECT_EQ(e.startedProcesses()[0].commandLine, expected);
        EXPECT_EQ(e.startedProcesses()[0].startup.showWindow, kSwShowNormal);
        EXPECT_TRUE(fresh.platform().exitRequested());
        EXPECT_EQ(e.openHandleCount(), 0u);
    }
}

// Tarrow's first instance leaves the program to the new one at once; the
// uninstaller's waits, so that the uninstall waiting on it learns how the
// new instance ended.
TEST_F(Manifest, TheFirstInstanceEndsAtOnceOrWithTheNewOneAsAsked) {
    constexpr std::uint32_t kNewInstanceCode = 7;
    const struct {
        modxpstyle::AfterRestart after;
        std::uint32_t exitCode;
    } cases[] = {{modxpstyle::AfterRestart::EndAtOnce, 0},
                 {modxpstyle::AfterRestart::EndWithTheNewInstance, kNewInstanceCode}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.exitCode);
        TestMachine fresh;
        auto& e = *fresh.emulated();
        std::filesystem::create_directories(e.hostPath(folder));
        e.setModulePath(folder + "\\Tarrow.exe");
        e.setRestartExitCode(kNewInstanceCode);
        modxpstyle::WriteStyleManifest(fresh.platform(), identity, true, false, c.after);
        EXPECT_EQ(e.startedProcesses().size(), 1u);
        EXPECT_TRUE(fresh.platform().exitRequested());
        EXPECT_EQ(e.exitCode(), c.exitCode);
        EXPECT_EQ(e.openHandleCount(), 0u) << "the new instance's handles are closed";
    }
}

TEST_F(Manifest, AManifestThatCannotBeWrittenDoesNotRestartTheProgram) {
    emulated.failCreate(path);
    EXPECT_FALSE(Write(true, false));
    EXPECT_FALSE(EntryExists(p, path, 39));
    EXPECT_TRUE(emulated.startedProcesses().empty());
    EXPECT_FALSE(p.exitRequested());
}

TEST_F(Manifest, CommonControlsAreInitialisedOnEveryCall) {
    Write(false, false);
    Write(false, false);
    Write(false, true);
    EXPECT_EQ(emulated.commonControlsInitialized(), 3);
}

} // namespace
} // namespace tarrow

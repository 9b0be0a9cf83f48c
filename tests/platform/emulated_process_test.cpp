// Started programs, the pipes they write to, the handles the emulated machine
// counts, and its fault injection.
#include "platform/emulated/emulated_platform.h"
#include "platform/files.h"
#include "platform/handles.h"
#include "tests/support/test_machine.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace platform;
using tarrow::testing::TestMachine;

class Processes : public ::testing::Test {
protected:
    TestMachine machine;
    Platform& p = machine.platform();
    EmulatedPlatform& emulated = *machine.emulated();
    std::vector<std::string> ran;

    void SetUp() override {
        emulated.registerProgram(
            "Shutdown", [this](const std::string& commandLine, EmulatedPlatform::ChildOutput& out) {
                ran.push_back(commandLine);
                out.write("first line\r\n");
                out.write("second line\r\n");
                return 3u;
            });
    }

    // Starts `commandLine` with the write end of a new pipe as its output.
    bool startPiped(const std::string& commandLine, UniqueHandle& readEnd, bool inheritable = true,
                    bool inheritHandles = true) {
        UniqueHandle writeEnd(p);
        SecurityAttributes security;
        security.inheritHandle = inheritable;
        if (!p.CreatePipe(readEnd.put(), writeEnd.put(), &security, 0)) {
            return false;
        }
        StartupInfo startup;
        startup.flags = kStartfUseStdHandles | kStartfUseShowWindow;
        startup.showWindow = kSwHide;
        startup.stdOutput = writeEnd.get();
        startup.stdError = writeEnd.get();
        ProcessInformation info;
        if (!p.CreateProcessA(commandLine, nullptr, nullptr, inheritHandles, kNormalPriorityClass,
                              startup, &info)) {
            return false;
        }
        p.CloseHandle(info.process);
        p.CloseHandle(info.thread);
        return true;
    }

    std::string readAll(Handle readEnd) {
        std::string text;
        char chunk[5];
        std::uint32_t read = 0;
        while (p.ReadFile(readEnd, chunk, sizeof chunk, &read)) {
            text.append(chunk, read);
        }
        return text;
    }
};

TEST_F(Processes, ProgramsAreFoundByTheirFirstWordInAnyForm) {
    for (const std::string commandLine :
         {"shutdown -a", "SHUTDOWN.EXE /t 5", "\"C:\\windows\\system32\\Shutdown.exe\" -a"}) {
        UniqueHandle readEnd(p);
        EXPECT_TRUE(startPiped(commandLine, readEnd)) << commandLine;
    }
    EXPECT_EQ(ran.size(), 3u);
    UniqueHandle readEnd(p);
    EXPECT_FALSE(startPiped("shutdownx -a", readEnd));
    EXPECT_EQ(p.GetLastError(), static_cast<std::uint32_t>(kErrorFileNotFound));
    ASSERT_EQ(emulated.startedProcesses().size(), 3u) << "only started processes are recorded";
    EXPECT_EQ(emulated.startedProcesses()[1].commandLine, "SHUTDOWN.EXE /t 5");
    EXPECT_TRUE(emulated.startedProcesses()[1].inheritHandles);
    EXPECT_EQ(emulated.startedProcesses()[1].startup.showWindow, kSwHide);
}

TEST_F(Processes, OutputIsReadInPiecesThenThePipeIsBroken) {
    UniqueHandle readEnd(p);
    ASSERT_TRUE(startPiped("shutdown -a", readEnd));
    EXPECT_EQ(readAll(readEnd.get()), "first line\r\nsecond line\r\n");
    EXPECT_EQ(p.GetLastError(), static_cast<std::uint32_t>(kErrorBrokenPipe));
    std::uint32_t read = 99;
    char byte = 0;
    EXPECT_FALSE(p.ReadFile(readEnd.get(), &byte, 1, &read));
    EXPECT_EQ(read, 0u);
}

TEST_F(Processes, AReadWaitsForProcessesLeftRunningButNeverForTheReaderItself) {
    emulated.registerProgram("starter", [](const std::string&, EmulatedPlatform::ChildOutput& out) {
        out.write("started\r\n");
        out.leaveRunning({"later 1\r\n", "", "later 2\r\n"});
        return 0u;
    });
    UniqueHandle readEnd(p);
    ASSERT_TRUE(startPiped("starter", readEnd));
    EXPECT_EQ(readAll(readEnd.get()), "started\r\nlater 1\r\nlater 2\r\n");
    EXPECT_EQ(p.GetLastError(), static_cast<std::uint32_t>(kErrorBrokenPipe));

    // A reader that kept its own write end would wait for ever on Windows.
    UniqueHandle ownRead(p);
    UniqueHandle ownWrite(p);
    ASSERT_TRUE(p.CreatePipe(ownRead.put(), ownWrite.put(), nullptr, 0));
    std::uint32_t written = 0;
    ASSERT_TRUE(p.WriteFile(ownWrite.get(), "x", 1, &written));
    char chunk[4];
    std::uint32_t read = 0;
    EXPECT_TRUE(p.ReadFile(ownRead.get(), chunk, sizeof chunk, &read));
    EXPECT_THROW(p.ReadFile(ownRead.get(), chunk, sizeof chunk, &read), std::logic_error);
    ownWrite.reset();
    EXPECT_FALSE(p.ReadFile(ownRead.get(), chunk, sizeof chunk, &read));
}

TEST_F(Processes, AChildWritesNothingWithoutInheritingTheWriteEnd) {
    UniqueHandle notInheritable(p);
    ASSERT_TRUE(startPiped("shutdown -a", notInheritable, false, true));
    EXPECT_EQ(readAll(notInheritable.get()), "");
    UniqueHandle notInherited(p);
    ASSERT_TRUE(startPiped("shutdown -a", notInherited, true, false));
    EXPECT_EQ(readAll(notInherited.get()), "");
    EXPECT_EQ(ran.size(), 2u) << "the programs ran all the same";
}

TEST_F(Processes, TheRunningProgramRestartsItselfWithoutBeingRun) {
    StartupInfo startup;
    ProcessInformation info;
    ASSERT_TRUE(p.CreateProcessA("\"C:\\Program Files\\Tarrow\\tarrow.exe\" /restart", nullptr,
                                 nullptr, false, 0, startup, &info));
    UniqueHandle process(p, info.process);
    UniqueHandle thread(p, info.thread);
    EXPECT_EQ(emulated.openHandleCount(), 2u);
    ASSERT_EQ(emulated.startedProcesses().size(), 1u);
    EXPECT_TRUE(ran.empty());
    p.ExitProcess(7);
    EXPECT_TRUE(p.exitRequested());
    EXPECT_EQ(emulated.exitCode(), 7u);
}

TEST_F(Processes, EveryKindOfHandleIsCountedUntilClosed) {
    EXPECT_EQ(emulated.openHandleCount(), 0u);
    EXPECT_EQ(emulated.openKeyCount(), 0u);
    {
        UniqueHandle readEnd(p);
        UniqueHandle writeEnd(p);
        ASSERT_TRUE(p.CreatePipe(readEnd.put(), writeEnd.put(), nullptr, 0));
        UniqueHandle file(p, p.CreateFileA(machine.scratchFolder() + "\\f.txt", kGenericWrite, 0,
                                           nullptr, kCreateAlways, kFileAttributeNormal));
        FindData data;
        UniqueFind find(p, p.FindFirstFileA(machine.scratchFolder() + "\\*", &data));
        UniqueKey key(p);
        ASSERT_EQ(p.RegOpenKeyExA(kHkeyLocalMachine, "SYSTEM", 0, kKeyRead, key.put()),
                  kErrorSuccess);
        EXPECT_EQ(emulated.openHandleCount(), 4u);
        EXPECT_EQ(emulated.openKeyCount(), 1u);
        EXPECT_EQ(p.RegCloseKey(kHkeyLocalMachine), kErrorSuccess) << "roots need no closing";
        EXPECT_EQ(emulated.openKeyCount(), 1u);
        EXPECT_FALSE(p.CloseHandle(find.get())) << "a find handle is closed with FindClose";
    }
    EXPECT_EQ(emulated.openHandleCount(), 0u);
    EXPECT_EQ(emulated.openKeyCount(), 0u);
}

TEST_F(Processes, InjectedFaultsHitOnlyTheirTarget) {
    const std::string dir = machine.scratchFolder();
    ASSERT_TRUE(WriteWholeFile(p, dir + "\\a.txt", "a"));
    emulated.failCopyTo(dir + "\\Target.TXT");
    emulated.failDelete(dir + "\\A.TXT");
    emulated.failCreate(dir + "\\locked.txt");
    EXPECT_FALSE(p.CopyFileA(dir + "\\a.txt", dir + "\\target.txt", false));
    EXPECT_EQ(p.GetLastError(), static_cast<std::uint32_t>(kErrorAccessDenied));
    EXPECT_TRUE(p.CopyFileA(dir + "\\a.txt", dir + "\\other.txt", false));
    EXPECT_FALSE(p.DeleteFileA(dir + "\\a.txt"));
    EXPECT_FALSE(WriteWholeFile(p, dir + "\\locked.txt", "x"));
    EXPECT_TRUE(WriteWholeFile(p, dir + "\\free.txt", "x"));

    emulated.failKeyOpen(kHkeyCurrentUser, "control panel\\DESKTOP");
    emulated.failValueWrites(kHkeyUsers, ".DEFAULT\\Control Panel\\Desktop");
    UniqueKey key(p);
    EXPECT_EQ(p.RegOpenKeyExA(kHkeyCurrentUser, "Control Panel\\Desktop", 0, kKeyRead, key.put()),
              kErrorAccessDenied);
    EXPECT_EQ(p.RegOpenKeyExA(kHkeyCurrentUser, "Control Panel", 0, kKeyRead, key.put()),
              kErrorSuccess);
    ASSERT_EQ(p.RegOpenKeyExA(kHkeyUsers, ".DEFAULT\\Control Panel\\Desktop", 0, kKeyAllAccess,
                              key.put()),
              kErrorSuccess);
    const std::uint8_t value[] = {'1', 0};
    EXPECT_EQ(p.RegSetValueExA(key.get(), "V", kRegSz, value, 2), kErrorAccessDenied);

    emulated.failPipe(kErrorNotEnoughMemory);
    Handle readEnd = 0;
    Handle writeEnd = 0;
    EXPECT_FALSE(p.CreatePipe(&readEnd, &writeEnd, nullptr, 0));
    EXPECT_EQ(p.GetLastError(), static_cast<std::uint32_t>(kErrorNotEnoughMemory));
    EXPECT_EQ(emulated.openHandleCount(), 0u);
}

} // namespace

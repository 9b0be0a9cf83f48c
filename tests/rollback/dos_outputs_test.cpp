// DOSOutputs running small child programs of our own: natively programs of
// the emulated machine, under Wine the real dos_child.exe beside this test.
#include "rollback/dos_outputs.h"

#include "platform/emulated/emulated_platform.h"
#include "platform/files.h"
#include "tests/support/test_machine.h"
#include "ui/headless/headless_driver.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace tarrow::rollback {
namespace {

using platform::EmulatedPlatform;

// What dos_child.cpp does, as a program of the emulated machine.
std::uint32_t EmulatedChild(const std::string& commandLine, EmulatedPlatform::ChildOutput& out) {
    const std::string mode = commandLine.substr(commandLine.find(' ') + 1);
    if (mode.rfind("print ", 0) == 0) {
        const int count = std::stoi(mode.substr(6));
        std::string letters;
        for (int i = 0; i < count; ++i) {
            letters += static_cast<char>('a' + i % 26);
        }
        out.write(letters);
    } else if (mode == "interleave") {
        out.write("out 1\r\n");
        out.writeError("err 1\r\n");
        out.write("out 2\r\n");
        out.writeError("err 2\r\n");
    } else if (mode == "linger") {
        out.write("child\r\n");
        out.leaveRunning({"late\r\n"});
    }
    return 0;
}

class DosOutputs : public ::testing::Test {
protected:
    testing::TestMachine machine;
    platform::Platform& p = machine.platform();
    ui::HeadlessDriver driver{p};
    DOSOutputs dos{p, driver, "rollback"};
    std::vector<std::string> pieces;

    void SetUp() override {
        if (auto* emulated = machine.emulated()) {
            emulated->registerProgram("dos_child", EmulatedChild);
        }
        dos.ReceiveOutputs = [this](std::string piece) {
            EXPECT_TRUE(dos.Outputs().ends_with(piece)) << "Outputs holds the piece already";
            pieces.push_back(piece);
            piece = "changed by the handler";
        };
    }
    std::string Child(const std::string& mode) {
        if (machine.emulated() != nullptr) {
            return "dos_child " + mode;
        }
        return "\"" + platform::FolderOf(p.GetModuleFileNameA()) + "\\dos_child.exe\" " + mode;
    }
    std::string Joined() const {
        std::string joined;
        for (const std::string& piece : pieces) {
            joined += piece;
        }
        return joined;
    }
    void ExpectNoMessage() { EXPECT_TRUE(driver.messages().empty()); }
};

TEST_F(DosOutputs, AQuietCommandRaisesOneEmptyEvent) {
    EXPECT_EQ(dos.ExecuteCommand(Child("silent")), "");
    EXPECT_EQ(pieces, std::vector<std::string>{""});
    ExpectNoMessage();
}

TEST_F(DosOutputs, LongOutputArrivesInPiecesOfAtMost256BytesJoinedInOrder) {
    const std::string output = dos.ExecuteCommand(Child("print 700"));
    ASSERT_EQ(output.size(), 700u);
    EXPECT_EQ(output.substr(0, 5), "abcde");
    EXPECT_EQ(output.substr(676, 5), "abcde");
    EXPECT_EQ(Joined(), output);
    EXPECT_EQ(dos.Outputs(), output) << "a handler's change to its copy changes nothing";
    ASSERT_GE(pieces.size(), 4u) << "three pieces or more, then the empty one";
    for (const std::string& piece : pieces) {
        EXPECT_LE(piece.size(), 256u);
    }
    EXPECT_EQ(pieces.back(), "");
    ExpectNoMessage();
}

TEST_F(DosOutputs, StandardOutputAndErrorShareOneStreamInTheOrderWritten) {
    EXPECT_EQ(dos.ExecuteCommand(Child("interleave")), "out 1\r\nerr 1\r\nout 2\r\nerr 2\r\n");
}

TEST_F(DosOutputs, AProcessLeftRunningKeepsThePipeOpenUntilItEnds) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(dos.ExecuteCommand(Child("linger")), "child\r\nlate\r\n");
    if (machine.emulated() == nullptr) {
        EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900))
            << "the read loop waited for the process that outlived the command";
    }
    EXPECT_EQ(Joined(), "child\r\nlate\r\n");
}

TEST_F(DosOutputs, CommandsThatCannotRunAreReportedAndReturnNothing) {
    EXPECT_EQ(dos.ExecuteCommand(Child("print 3")), "abc");
    const std::size_t eventsBefore = pieces.size();

    EXPECT_EQ(dos.ExecuteCommand("no_such_program_at_all.exe /x"), "");
    EXPECT_EQ(dos.CommandLine(), "no_such_program_at_all.exe /x") << "the argument stays set";
    EXPECT_EQ(dos.ExecuteCommand(), "") << "and runs again when none is given";
    EXPECT_EQ(dos.Outputs(), "abc") << "a run that never started leaves the last outputs";
    EXPECT_EQ(pieces.size(), eventsBefore) << "and raises no event";

    DOSOutputs fresh(p, driver, "rollback");
    EXPECT_EQ(fresh.ExecuteCommand(), "");

    ASSERT_EQ(driver.messages().size(), 3u);
    for (const auto& message : driver.messages()) {
        EXPECT_EQ(message.title, "rollback");
        EXPECT_EQ(message.style, ui::mb::kOkOnly | ui::mb::kCritical);
    }
    EXPECT_EQ(driver.messages()[0].text, "File or command not found");
    EXPECT_EQ(driver.messages()[1].text, "File or command not found");
    EXPECT_EQ(driver.messages()[2].text, "Command Line empty");
}

TEST_F(DosOutputs, TheStoredCommandLineRunsUntilReplaced) {
    dos.CommandLine(Child("print 2"));
    EXPECT_EQ(dos.ExecuteCommand(), "ab");
    EXPECT_EQ(dos.ExecuteCommand(""), "ab");
    EXPECT_EQ(dos.ExecuteCommand(Child("print 4")), "abcd");
    EXPECT_EQ(dos.CommandLine(), Child("print 4"));
}

// What the emulated machine lets a test see: the child's start-up record,
// a refused pipe, and every handle closed.
TEST_F(DosOutputs, TheChildIsHiddenWithThePipeAsItsOnlyStandardHandles) {
    auto* emulated = machine.emulated();
    if (emulated == nullptr) {
        GTEST_SKIP() << "looks into the emulated machine";
    }
    dos.ExecuteCommand(Child("print 1"));
    ASSERT_EQ(emulated->startedProcesses().size(), 1u);
    const auto& started = emulated->startedProcesses().front();
    EXPECT_EQ(started.startup.flags, 257u);
    EXPECT_EQ(started.startup.showWindow, platform::kSwHide);
    EXPECT_EQ(started.startup.stdInput, 0u);
    EXPECT_NE(started.startup.stdOutput, 0u);
    EXPECT_EQ(started.startup.stdError, started.startup.stdOutput);
    EXPECT_TRUE(started.inheritHandles);
    EXPECT_EQ(started.creationFlags, 32u);
    EXPECT_EQ(emulated->openHandleCount(), 0u) << "pipe ends, process and thread closed";

    emulated->failPipe(platform::kErrorNotEnoughMemory);
    EXPECT_EQ(dos.ExecuteCommand(), "");
    ASSERT_EQ(driver.messages().size(), 1u);
    EXPECT_EQ(driver.messages()[0].text, "CreatePipe failed. Error: 8");
    EXPECT_EQ(dos.Outputs(), "a");
    EXPECT_EQ(emulated->openHandleCount(), 0u);
}

} // namespace
} // namespace tarrow::rollback

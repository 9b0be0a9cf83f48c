// Natively the child is a program of the emulated machine that does what
// dos_child.cpp does; the machine also lets a test see the child's start-up
// record, refuse the pipe, and count the handles left open.
#include "platform/emulated/emulated_platform.h"
#include "tests/rollback/dos_outputs_fixture.h"

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

} // namespace

std::string ChildCommand(testing::TestMachine& machine, const std::string& mode) {
    machine.emulated()->registerProgram("dos_child", EmulatedChild);
    return "dos_child " + mode;
}

namespace {

// What the emulated machine lets a test see: the child's start-up record,
// a refused pipe, and every handle closed.
TEST_F(DosOutputs, TheChildIsHiddenWithThePipeAsItsOnlyStandardHandles) {
    EmulatedPlatform* emulated = machine.emulated();
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

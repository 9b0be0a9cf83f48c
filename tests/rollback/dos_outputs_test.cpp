// DOSOutputs running small child programs of our own: natively programs of
// the emulated machine, under Wine the real dos_child.exe beside this test.
#include "tests/rollback/dos_outputs_fixture.h"

#include <chrono>
#include <string>
#include <vector>

namespace tarrow::rollback {
namespace {

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

} // namespace
} // namespace tarrow::rollback

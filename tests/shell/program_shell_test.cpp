// The program shell on the headless driver: a program that ends normally
// ends with its loop's code; one that something unexpected stops ends as it
// chose, through the platform's one exit path, and never half-way.
#include "shell/program_shell.h"

#include "platform/emulated/emulated_platform.h"
#include "rollback/rollback_app.h"
#include "tarrow/program/tarrow_app.h"
#include "tests/support/test_machine.h"
#include "ui/headless/headless_driver.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <vector>

namespace tarrow::shell {
namespace {

class Started final : public Program {
public:
    Started(ProgramContext context, std::function<void()> start)
        : Program(context), start_(std::move(start)) {}
    void Start() override { start_(); }

private:
    std::function<void()> start_;
};

// The program's own way of ending, with a start of the test's.
ProgramDefinition StartingWith(ProgramDefinition program, std::function<void()> start) {
    program.make = [start](ProgramContext context) -> std::unique_ptr<Program> {
        return std::make_unique<Started>(context, start);
    };
    return program;
}

TEST(ProgramShell, EndsAsEachProgramChoseWhenSomethingUnexpectedStopsIt) {
    struct Case {
        const char* name;
        ProgramDefinition program;
        std::function<void()> start;
        std::uint32_t exitCode;
        std::vector<std::string> boxes;
    };
    const auto tarrow = TarrowApp::Definition();
    const auto rollback = rollback::RollbackApp::Definition();
    const std::vector<Case> cases = {
        {"a normal end", tarrow, [] {}, 0, {}},
        {"Tarrow, a failure",
         tarrow,
         [] { throw std::runtime_error("the disk is on fire"); },
         1,
         {"Tarrow stopped because of an unexpected error: the disk is on fire"}},
        {"Tarrow, out of memory",
         tarrow,
         [] { throw std::bad_alloc(); },
         1,
         {"Tarrow stopped because of an unexpected error: std::bad_alloc"}},
        {"Tarrow, something that is no exception class",
         tarrow,
         [] { throw 42; },
         1,
         {"Tarrow stopped because of an unexpected error: an exception of unknown kind"}},
        {"the uninstaller, a failure",
         rollback,
         [] { throw std::runtime_error("x"); },
         rollback::kExitUnexpected,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TestMachine machine;
        ui::HeadlessDriver driver(machine.platform());
        const std::uint32_t code = RunProgram(machine.platform(), driver, {1, 0, 0, "t"},
                                              StartingWith(c.program, c.start));
        EXPECT_EQ(code, c.exitCode);
        EXPECT_TRUE(driver.programEnded()) << "through the platform's exit";
        EXPECT_EQ(machine.emulated()->exitCode(), c.exitCode);
        std::vector<std::string> boxes;
        for (const auto& message : driver.messages()) {
            boxes.push_back(message.text);
            EXPECT_EQ(message.title, "Tarrow");
            EXPECT_EQ(message.style, ui::mb::kOkOnly | ui::mb::kCritical);
        }
        EXPECT_EQ(boxes, c.boxes);
    }
}

} // namespace
} // namespace tarrow::shell

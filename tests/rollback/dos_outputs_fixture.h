// DOSOutputs with a headless driver for its message boxes, the pieces it
// reported, and the child program of our own that a test runs through it.
#pragma once

#include "rollback/dos_outputs.h"
#include "tests/support/test_machine.h"
#include "ui/headless/headless_driver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarrow::rollback {

// The command line that runs the test child in `mode` ("silent", "print N",
// "interleave", "linger"): natively a program of the emulated machine,
// under Wine dos_child.exe beside the test.
std::string ChildCommand(testing::TestMachine& machine, const std::string& mode);

class DosOutputs : public ::testing::Test {
protected:
    testing::TestMachine machine;
    platform::Platform& p = machine.platform();
    ui::HeadlessDriver driver{p};
    DOSOutputs dos{p, driver, "rollback"};
    std::vector<std::string> pieces;

    void SetUp() override {
        dos.ReceiveOutputs = [this](std::string piece) {
            EXPECT_TRUE(dos.Outputs().ends_with(piece)) << "Outputs holds the piece already";
            pieces.push_back(piece);
            piece = "changed by the handler";
        };
    }
    std::string Child(const std::string& mode) { return ChildCommand(machine, mode); }
    std::string Joined() const {
        std::string joined;
        for (const std::string& piece : pieces) {
            joined += piece;
        }
        return joined;
    }
    void ExpectNoMessage() { EXPECT_TRUE(driver.messages().empty()); }
};

} // namespace tarrow::rollback

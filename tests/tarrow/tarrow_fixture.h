// Tarrow's windows on an emulated machine with the headless driver: a test
// installs the files it wants in the images folder, starts the program and
// acts as the user.
#pragma once

#include "platform/emulated/emulated_platform.h"
#include "platform/files.h"
#include "registry/modregistry.h"
#include "tarrow/program/tarrow_app.h"
#include "tarrow/startup/file_search.h"
#include "tests/support/test_machine.h"
#include "ui/headless/headless_driver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>

namespace tarrow::testing {

// The smallest content a picture loader takes for a JPEG.
inline const std::string kJpegBytes = "\xFF\xD8\xFF\xE0 picture";

struct TarrowWorld {
    TestMachine machine;
    platform::EmulatedPlatform& emulated = *machine.emulated();
    platform::Platform& p = machine.platform();
    ui::HeadlessDriver driver{p};
    modxpstyle::ProgramIdentity identity{1, 0, 0, "Tarrow test"};
    std::unique_ptr<TarrowApp> app =
        std::make_unique<TarrowApp>(shell::ProgramContext{p, driver, identity});

    std::string Images() const { return SystemDirectory() + "\\images"; }
    std::string SystemDirectory() const {
        return modregistry::GetSystemdir(const_cast<platform::Platform&>(p));
    }
    void MakeImagesFolder(const std::string& sub = "") {
        const std::string folder = Images() + (sub.empty() ? "" : "\\" + sub);
        std::filesystem::create_directories(emulated.hostPath(folder));
    }
    void AddFile(const std::string& name, const std::string& sub = "") {
        MakeImagesFolder(sub);
        const std::string folder = Images() + (sub.empty() ? "" : "\\" + sub);
        ASSERT_TRUE(platform::WriteWholeFile(p, folder + "\\" + name, kJpegBytes)) << name;
    }
    // Every listed file, except the one named (if any).
    void InstallImages(const std::string& except = "") {
        MakeImagesFolder();
        for (std::string_view name : kExpectedFiles) {
            if (name != except) {
                AddFile(std::string(name));
            }
        }
    }
    // The manifest lies beside the program, so start-up does not restart.
    void PlaceManifest() {
        const std::string path = "C:\\Program Files\\Tarrow\\Tarrow.exe.manifest";
        std::filesystem::create_directories(emulated.hostPath("C:\\Program Files\\Tarrow"));
        ASSERT_TRUE(platform::WriteWholeFile(p, path, "<assembly/>"));
    }
    // Starts the program and runs the start window's animation to its end.
    void StartAndCheck() {
        PlaceManifest();
        app->Start();
        driver.runTimers(100);
    }
    // Starts the program with every file in place and goes on to the main
    // window.
    void StartToMainWindow() {
        InstallImages();
        StartAndCheck();
        driver.click(app->Form1().Label1);
    }
};

class TarrowFixture : public ::testing::Test, public TarrowWorld {};

} // namespace tarrow::testing

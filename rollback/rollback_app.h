// The uninstaller: its one window and what it runs on.
#pragma once

#include "manifest/manifest_text.h"
#include "platform/platform.h"
#include "rollback/uninstall_form.h"
#include "shell/program_shell.h"
#include "ui/driver.h"

#include <string_view>

namespace tarrow::rollback {

// The title of the uninstaller's message boxes.
inline constexpr std::string_view kProgramTitle = "rollback";

class RollbackApp final : public shell::Program {
public:
    RollbackApp(platform::Platform& platform, ui::Driver& driver,
                modxpstyle::ProgramIdentity identity);
    RollbackApp(const RollbackApp&) = delete;
    RollbackApp& operator=(const RollbackApp&) = delete;

    // How the uninstaller ends when something unexpected stops it: silently,
    // for it runs unattended, with a code that no restore ends with.
    static shell::UnexpectedEnd UnexpectedEnd() { return {kExitUnexpected, {}}; }

    // Loads and shows the window; its timer does the rest.
    void Start() override;

    platform::Platform& platform() const { return platform_; }
    ui::Driver& driver() const { return driver_; }
    const modxpstyle::ProgramIdentity& identity() const { return identity_; }
    UninstallForm& Form1() { return form1_; }

private:
    platform::Platform& platform_;
    ui::Driver& driver_;
    modxpstyle::ProgramIdentity identity_;
    UninstallForm form1_;
};

} // namespace tarrow::rollback

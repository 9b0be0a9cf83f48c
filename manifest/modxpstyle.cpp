#include "manifest/modxpstyle.h"

#include "platform/files.h"
#include "platform/handles.h"

#include <optional>

namespace tarrow::modxpstyle {

using namespace platform;

namespace {

// Sees plain, read-only, hidden, system and archive files alike.
constexpr std::uint32_t kAnyFile =
    kFileAttributeReadOnly | kFileAttributeHidden | kFileAttributeSystem | kFileAttributeArchive;

std::string ExeName(Platform& platform) {
    return WithoutExtension(FileNameOf(platform.GetModuleFileNameA()));
}

// Writes the text at the start of the file, creating it when missing; an
// existing longer file keeps its tail, as a byte file written in place does.
bool WriteInPlace(Platform& platform, const std::string& path, const std::string& text) {
    UniqueHandle file(platform, platform.CreateFileA(path, kGenericWrite, 0, nullptr, kOpenAlways,
                                                     kFileAttributeNormal));
    if (!file) {
        return false;
    }
    std::uint32_t written = 0;
    return platform.WriteFile(file.get(), text.data(), static_cast<std::uint32_t>(text.size()),
                              &written);
}

// An exit code for a new instance whose end could not be learnt.
constexpr std::uint32_t kUnknownEnd = 1;

// Runs the program again with this process's arguments and, when `after`
// asks for it, waits for it to end: whoever waits on this process (an
// uninstall, say) then learns how the new instance ended. The path is
// quoted, so a folder with spaces cannot make Windows start another
// program. The code this process ends with; nothing when it could not start.
std::optional<std::uint32_t> RunAgain(Platform& platform, AfterRestart after) {
    const std::string module = platform.GetModuleFileNameA();
    const std::string commandLine = "\"" + FolderOf(module) + "\\" + ExeName(platform) + ".exe\" " +
                                    ArgumentsOf(platform.GetCommandLineA());
    StartupInfo startup;
    startup.flags = kStartfUseShowWindow;
    startup.showWindow = kSwShowNormal;
    ProcessInformation started;
    if (!platform.CreateProcessA(commandLine, nullptr, nullptr, false, kNormalPriorityClass,
                                 startup, &started)) {
        return std::nullopt;
    }
    UniqueHandle process(platform, started.process);
    UniqueHandle thread(platform, started.thread);
    if (after == AfterRestart::EndAtOnce) {
        return 0;
    }
    std::uint32_t exitCode = kUnknownEnd;
    if (platform.WaitForSingleObject(process.get(), kInfinite) != kWaitObject0 ||
        !platform.GetExitCodeProcess(process.get(), &exitCode)) {
        return kUnknownEnd;
    }
    return exitCode;
}

} // namespace

std::string ManifestPath(Platform& platform) {
    return FolderOf(platform.GetModuleFileNameA()) + "\\" + ExeName(platform) + ".exe.manifest";
}

bool WriteStyleManifest(Platform& platform, const ProgramIdentity& identity, bool restart,
                        bool overwrite, AfterRestart after) {
    platform.InitCommonControls();
    if (restart) {
        overwrite = false;
    }
    const std::string path = ManifestPath(platform);
    const bool found = EntryExists(platform, path, kAnyFile);
    if (found && !overwrite) {
        return true;
    }
    const std::string text = ManifestText(ExeName(platform), identity);
    if (found) {
        platform.SetFileAttributesA(path, kFileAttributeNormal);
        platform.DeleteFileA(path);
    }
    WriteInPlace(platform, path, text);
    platform.SetFileAttributesA(path, kFileAttributeHidden | kFileAttributeSystem);

    if (restart && EntryExists(platform, path, kAnyFile)) {
        if (const auto exitCode = RunAgain(platform, after)) {
            platform.ExitProcess(*exitCode);
        }
    }
    return found;
}

std::string ArgumentsOf(const std::string& commandLine) {
    std::size_t at = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        const std::size_t closing = commandLine.find('"', 1);
        at = closing == std::string::npos ? commandLine.size() : closing + 1;
    } else {
        at = commandLine.find_first_of(" \t");
        if (at == std::string::npos) {
            at = commandLine.size();
        }
    }
    at = commandLine.find_first_not_of(" \t", at);
    return at == std::string::npos ? std::string() : commandLine.substr(at);
}

} // namespace tarrow::modxpstyle

#include "shell/running_mark.h"

#include "registry/modregistry.h"
#include "shutdown/system_mark_file.h"

namespace tarrow::shell {

namespace {

constexpr std::uint32_t kShareWithEveryTarrow =
    platform::kFileShareRead | platform::kFileShareWrite | platform::kFileShareDelete;
// The uninstaller's look shares nothing, and so keeps a Tarrow that starts
// just then from its mark for a moment: it tries again a few times.
constexpr int kTries = 5;
constexpr std::uint32_t kRetryMs = 20;

} // namespace

std::string TarrowRunningPath(platform::Platform& platform) {
    const std::string folder = modregistry::GetSystemdir(platform);
    return folder.empty() ? std::string() : folder + "\\" + std::string(kTarrowRunningFile);
}

platform::UniqueHandle HoldTarrowRunningMark(platform::Platform& platform) {
    const std::string path = TarrowRunningPath(platform);
    for (int tried = 1; !path.empty(); ++tried) {
        shutdown::HeldMark mark = shutdown::HoldMarkFile(platform, path, kShareWithEveryTarrow);
        if (mark.handle ||
            mark.error != static_cast<std::uint32_t>(platform::kErrorSharingViolation) ||
            tried == kTries) {
            return std::move(mark.handle);
        }
        platform.Sleep(kRetryMs);
    }
    return platform::UniqueHandle(platform);
}

bool TarrowRuns(platform::Platform& platform) {
    const std::string path = TarrowRunningPath(platform);
    return !path.empty() && shutdown::MarkFileHeld(platform, path);
}

} // namespace tarrow::shell

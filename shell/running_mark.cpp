#include "shell/running_mark.h"

#include <string>

namespace tarrow::shell {

platform::UniqueHandle HoldTarrowRunningMark(platform::Platform& platform) {
    return platform::UniqueHandle(
        platform, platform.CreateMutexA(nullptr, false, std::string(kTarrowRunningMutex)));
}

bool TarrowRuns(platform::Platform& platform) {
    const platform::UniqueHandle mark(
        platform,
        platform.OpenMutexA(platform::kSynchronize, false, std::string(kTarrowRunningMutex)));
    if (mark) {
        return true;
    }
    // A mark that Tarrow's account keeps from this one is there all the same.
    return platform.GetLastError() == static_cast<std::uint32_t>(platform::kErrorAccessDenied);
}

} // namespace tarrow::shell

#include "platform/win32/library_search.h"

#include <windows.h>

namespace platform {

bool LoadLibrariesFromSystemOnly() {
    using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (kernel == nullptr) {
        return false;
    }
    const auto setDirectories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    constexpr DWORD kSearchSystem32 = 0x00000800; // LOAD_LIBRARY_SEARCH_SYSTEM32
    return setDirectories != nullptr && setDirectories(kSearchSystem32) != FALSE;
}

} // namespace platform

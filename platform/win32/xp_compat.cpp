// Windows XP has no GetTickCount64, yet the static posix-thread runtime
// imports it, which would keep the program from starting there. Defining the
// import slot here makes the linker take this definition instead of an
// import from kernel32: it calls the real function where Windows has it and
// extends the 32-bit tick count on XP.
#include <windows.h>

namespace {

ULONGLONG WINAPI TickCount64() {
    using TickCountFunction = ULONGLONG(WINAPI*)();
    static const auto real = reinterpret_cast<TickCountFunction>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetTickCount64")));
    if (real != nullptr) {
        return real();
    }
    static DWORD last = 0;
    static ULONGLONG wraps = 0;
    const DWORD now = GetTickCount();
    if (now < last) {
        wraps += 0x100000000ULL;
    }
    last = now;
    return wraps + now;
}

} // namespace

extern "C" {
ULONGLONG(WINAPI* TarrowGetTickCount64Slot)() __asm__("__imp__GetTickCount64@0") = TickCount64;
}

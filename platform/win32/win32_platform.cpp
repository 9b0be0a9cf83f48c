#include "platform/win32/win32_platform.h"

#include "platform/win32/security_attributes.h"

#include <windows.h>

#include <commctrl.h>
#include <sddl.h>

#include <algorithm>
#include <vector>

namespace platform {

namespace {

HKEY ToHkey(Key key) {
    return reinterpret_cast<HKEY>(key);
}
Key FromHkey(HKEY key) {
    return reinterpret_cast<Key>(key);
}
HANDLE ToHandle(Handle handle) {
    return reinterpret_cast<HANDLE>(handle);
}
Handle FromHandle(HANDLE handle) {
    return reinterpret_cast<Handle>(handle);
}

void ToFindData(const WIN32_FIND_DATAA& from, FindData* to) {
    to->attributes = from.dwFileAttributes;
    to->fileName = from.cFileName;
}

// The Win32 declaration takes a non-const DWORD*; the seam's are uint32_t,
// which is DWORD's size on every Windows target.
static_assert(sizeof(DWORD) == sizeof(std::uint32_t));

DWORD* AsDword(std::uint32_t* value) {
    return reinterpret_cast<DWORD*>(value);
}

// A function of kernel32 that older systems lack, looked up where it runs:
// nullptr when it is missing.
void* KernelFunction(const char* name) {
    const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    return kernel != nullptr ? reinterpret_cast<void*>(::GetProcAddress(kernel, name)) : nullptr;
}

// Wide text is UTF-16 on both sides: WCHAR and char16_t are one size.
static_assert(sizeof(WCHAR) == sizeof(char16_t));

const WCHAR* AsWide(const char16_t* text) {
    return reinterpret_cast<const WCHAR*>(text);
}
WCHAR* AsWide(char16_t* text) {
    return reinterpret_cast<WCHAR*>(text);
}

} // namespace

long Win32Platform::RegOpenKeyExA(Key root, const std::string& subKey, std::uint32_t options,
                                  std::uint32_t access, Key* result) {
    HKEY opened = nullptr;
    const LONG status = ::RegOpenKeyExA(ToHkey(root), subKey.c_str(), options, access, &opened);
    *result = status == ERROR_SUCCESS ? FromHkey(opened) : 0;
    return status;
}

long Win32Platform::RegCreateKeyExA(Key root, const std::string& subKey,
                                    const std::string& keyClass, std::uint32_t options,
                                    std::uint32_t access, const SecurityAttributes* security,
                                    Key* result, std::uint32_t* disposition) {
    *result = 0;
    Win32SecurityAttributes attributes(security);
    if (!attributes.valid()) {
        return static_cast<long>(::GetLastError());
    }
    HKEY created = nullptr;
    DWORD how = 0;
    const LONG status =
        ::RegCreateKeyExA(ToHkey(root), subKey.c_str(), 0, const_cast<char*>(keyClass.c_str()),
                          options, access, attributes.get(), &created, &how);
    *result = status == ERROR_SUCCESS ? FromHkey(created) : 0;
    if (disposition != nullptr) {
        *disposition = how;
    }
    return status;
}

long Win32Platform::RegQueryValueExA(Key key, const std::string& valueName, std::uint32_t* type,
                                     std::uint8_t* data, std::uint32_t* dataSize) {
    return ::RegQueryValueExA(ToHkey(key), valueName.c_str(), nullptr, AsDword(type), data,
                              AsDword(dataSize));
}

long Win32Platform::RegQueryValueExW(Key key, const std::u16string& valueName, std::uint32_t* type,
                                     std::uint8_t* data, std::uint32_t* dataSize) {
    return ::RegQueryValueExW(ToHkey(key), AsWide(valueName.c_str()), nullptr, AsDword(type), data,
                              AsDword(dataSize));
}

long Win32Platform::RegSetValueExA(Key key, const std::string& valueName, std::uint32_t type,
                                   const std::uint8_t* data, std::uint32_t dataSize) {
    return ::RegSetValueExA(ToHkey(key), valueName.c_str(), 0, type, data, dataSize);
}

long Win32Platform::RegDeleteValueA(Key key, const std::string& valueName) {
    return ::RegDeleteValueA(ToHkey(key), valueName.c_str());
}

long Win32Platform::RegEnumKeyExA(Key key, std::uint32_t index, char* name,
                                  std::uint32_t* nameSize) {
    return ::RegEnumKeyExA(ToHkey(key), index, name, AsDword(nameSize), nullptr, nullptr, nullptr,
                           nullptr);
}

long Win32Platform::RegQueryInfoKeyA(Key key, std::uint32_t* subKeys, std::uint32_t* values) {
    return ::RegQueryInfoKeyA(ToHkey(key), nullptr, nullptr, nullptr, AsDword(subKeys), nullptr,
                              nullptr, AsDword(values), nullptr, nullptr, nullptr, nullptr);
}

long Win32Platform::RegDeleteKeyA(Key parent, const std::string& subKey) {
    return ::RegDeleteKeyA(ToHkey(parent), subKey.c_str());
}

long Win32Platform::RegCloseKey(Key key) {
    return ::RegCloseKey(ToHkey(key));
}

long Win32Platform::RegSaveKeyA(Key key, const std::string& file) {
    return ::RegSaveKeyA(ToHkey(key), file.c_str(), nullptr);
}

long Win32Platform::RegRestoreKeyA(Key key, const std::string& file, std::uint32_t flags) {
    return ::RegRestoreKeyA(ToHkey(key), file.c_str(), flags);
}

long Win32Platform::RegFlushKey(Key key) {
    return ::RegFlushKey(ToHkey(key));
}

long Win32Platform::RegLoadKeyA(Key root, const std::string& subKey, const std::string& file) {
    return ::RegLoadKeyA(ToHkey(root), subKey.c_str(), file.c_str());
}

long Win32Platform::RegUnLoadKeyA(Key root, const std::string& subKey) {
    return ::RegUnLoadKeyA(ToHkey(root), subKey.c_str());
}

Handle Win32Platform::GetCurrentProcess() {
    return FromHandle(::GetCurrentProcess());
}

bool Win32Platform::OpenProcessToken(Handle process, std::uint32_t access, Handle* token) {
    HANDLE opened = nullptr;
    const BOOL ok = ::OpenProcessToken(ToHandle(process), access, &opened);
    *token = ok ? FromHandle(opened) : 0;
    return ok != FALSE;
}

bool Win32Platform::LookupPrivilegeValueA(const std::string& name, Luid* luid) {
    LUID found{};
    const BOOL ok = ::LookupPrivilegeValueA(nullptr, name.c_str(), &found);
    luid->lowPart = found.LowPart;
    luid->highPart = found.HighPart;
    return ok != FALSE;
}

bool Win32Platform::AdjustTokenPrivileges(Handle token, bool disableAll,
                                          const TokenPrivileges* newState,
                                          std::uint32_t bufferLength,
                                          TokenPrivileges* previousState,
                                          std::uint32_t* returnLength) {
    static_assert(sizeof(TOKEN_PRIVILEGES) == sizeof(TokenPrivileges));
    // Windows ignores the new state when all privileges are disabled, and
    // the previous state is received here, in room for one entry.
    TOKEN_PRIVILEGES wanted{};
    if (newState != nullptr) {
        wanted.PrivilegeCount = newState->privilegeCount;
        wanted.Privileges[0].Luid.LowPart = newState->luid.lowPart;
        wanted.Privileges[0].Luid.HighPart = newState->luid.highPart;
        wanted.Privileges[0].Attributes = newState->attributes;
    }
    TOKEN_PRIVILEGES previous{};
    const DWORD previousRoom =
        previousState != nullptr ? std::min<DWORD>(bufferLength, sizeof previous) : 0;
    const BOOL ok = ::AdjustTokenPrivileges(
        ToHandle(token), disableAll ? TRUE : FALSE, newState != nullptr ? &wanted : nullptr,
        previousRoom, previousState != nullptr ? &previous : nullptr, AsDword(returnLength));
    if (previousState != nullptr) {
        previousState->privilegeCount = previous.PrivilegeCount;
        previousState->luid.lowPart = previous.Privileges[0].Luid.LowPart;
        previousState->luid.highPart = previous.Privileges[0].Luid.HighPart;
        previousState->attributes = previous.Privileges[0].Attributes;
    }
    return ok != FALSE;
}

bool Win32Platform::GetTokenUserSid(Handle token, std::string* sid) {
    DWORD size = 0;
    ::GetTokenInformation(ToHandle(token), TokenUser, nullptr, 0, &size);
    if (size == 0) {
        return false;
    }
    // DWORD-aligned room for the TOKEN_USER and the SID behind it.
    std::vector<DWORD> buffer((size + sizeof(DWORD) - 1) / sizeof(DWORD));
    if (!::GetTokenInformation(ToHandle(token), TokenUser, buffer.data(), size, &size)) {
        return false;
    }
    const auto* user = reinterpret_cast<const TOKEN_USER*>(buffer.data());
    LPSTR text = nullptr;
    if (!::ConvertSidToStringSidA(user->User.Sid, &text)) {
        return false;
    }
    *sid = text;
    ::LocalFree(text);
    return true;
}

bool Win32Platform::LookupAccountSidA(const std::string& sid, std::string* name,
                                      std::string* domain) {
    PSID binary = nullptr;
    if (!::ConvertStringSidToSidA(sid.c_str(), &binary)) {
        return false;
    }
    char nameBuffer[256] = {};
    char domainBuffer[256] = {};
    DWORD nameLength = sizeof nameBuffer;
    DWORD domainLength = sizeof domainBuffer;
    SID_NAME_USE use{};
    const BOOL ok = ::LookupAccountSidA(nullptr, binary, nameBuffer, &nameLength, domainBuffer,
                                        &domainLength, &use);
    ::LocalFree(binary);
    if (!ok) {
        return false;
    }
    *name = nameBuffer;
    *domain = domainBuffer;
    return true;
}

std::uint32_t Win32Platform::GetLastError() {
    return ::GetLastError();
}

void Win32Platform::SetLastError(std::uint32_t error) {
    ::SetLastError(error);
}

bool Win32Platform::CloseHandle(Handle handle) {
    return ::CloseHandle(ToHandle(handle)) != FALSE;
}

std::uint32_t Win32Platform::GetSystemDirectoryA(char* buffer, std::uint32_t size) {
    return ::GetSystemDirectoryA(buffer, size);
}

std::uint32_t Win32Platform::GetSystemWow64DirectoryA(char* buffer, std::uint32_t size) {
    using Call = UINT(WINAPI*)(LPSTR, UINT);
    const auto call = reinterpret_cast<Call>(KernelFunction("GetSystemWow64DirectoryA"));
    if (call == nullptr) {
        ::SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return 0;
    }
    return call(buffer, size);
}

bool Win32Platform::IsWow64Process(Handle process, bool* wow64) {
    using Call = BOOL(WINAPI*)(HANDLE, PBOOL);
    const auto call = reinterpret_cast<Call>(KernelFunction("IsWow64Process"));
    BOOL result = FALSE;
    if (call != nullptr && !call(ToHandle(process), &result)) {
        return false;
    }
    *wow64 = result != FALSE;
    return true;
}

void Win32Platform::Sleep(std::uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

std::uint64_t Win32Platform::GetSystemTimeAsFileTime() {
    FILETIME now{};
    ::GetSystemTimeAsFileTime(&now);
    return (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

bool Win32Platform::FileTimeToLocalFileTime(std::uint64_t utc, std::uint64_t* local) {
    FILETIME from{static_cast<DWORD>(utc), static_cast<DWORD>(utc >> 32)};
    FILETIME to{};
    if (::FileTimeToLocalFileTime(&from, &to) == FALSE) {
        return false;
    }
    *local = (static_cast<std::uint64_t>(to.dwHighDateTime) << 32) | to.dwLowDateTime;
    return true;
}

std::string Win32Platform::GetModuleFileNameA() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            return std::string(buffer.data(), length);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string Win32Platform::GetCommandLineA() {
    return ::GetCommandLineA();
}

std::string Win32Platform::ExpandEnvironmentStringsA(const std::string& text) {
    const DWORD needed = ::ExpandEnvironmentStringsA(text.c_str(), nullptr, 0);
    if (needed == 0) {
        return {};
    }
    std::vector<char> buffer(needed);
    const DWORD length = ::ExpandEnvironmentStringsA(text.c_str(), buffer.data(), needed);
    if (length == 0 || length > needed) {
        return {};
    }
    return std::string(buffer.data());
}

Handle Win32Platform::FindFirstFileA(const std::string& pattern, FindData* data) {
    WIN32_FIND_DATAA found{};
    const HANDLE find = ::FindFirstFileA(pattern.c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        ToFindData(found, data);
    }
    return FromHandle(find);
}

bool Win32Platform::FindNextFileA(Handle find, FindData* data) {
    WIN32_FIND_DATAA found{};
    if (!::FindNextFileA(ToHandle(find), &found)) {
        return false;
    }
    ToFindData(found, data);
    return true;
}

bool Win32Platform::FindClose(Handle find) {
    return ::FindClose(ToHandle(find)) != FALSE;
}

std::uint32_t Win32Platform::GetFileAttributesA(const std::string& path) {
    return ::GetFileAttributesA(path.c_str());
}

bool Win32Platform::SetFileAttributesA(const std::string& path, std::uint32_t attributes) {
    return ::SetFileAttributesA(path.c_str(), attributes) != FALSE;
}

bool Win32Platform::CopyFileA(const std::string& from, const std::string& to, bool failIfExists) {
    return ::CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE) != FALSE;
}

bool Win32Platform::DeleteFileA(const std::string& path) {
    return ::DeleteFileA(path.c_str()) != FALSE;
}

Handle Win32Platform::CreateFileA(const std::string& path, std::uint32_t access,
                                  std::uint32_t share, const SecurityAttributes* security,
                                  std::uint32_t disposition, std::uint32_t flagsAndAttributes) {
    Win32SecurityAttributes attributes(security);
    if (!attributes.valid()) {
        return kInvalidHandle;
    }
    return FromHandle(::CreateFileA(path.c_str(), access, share, attributes.get(), disposition,
                                    flagsAndAttributes, nullptr));
}

bool Win32Platform::ReadFile(Handle file, void* buffer, std::uint32_t toRead, std::uint32_t* read) {
    DWORD count = 0;
    const BOOL ok = ::ReadFile(ToHandle(file), buffer, toRead, &count, nullptr);
    if (read != nullptr) {
        *read = count;
    }
    return ok != FALSE;
}

bool Win32Platform::WriteFile(Handle file, const void* buffer, std::uint32_t toWrite,
                              std::uint32_t* written) {
    DWORD count = 0;
    const BOOL ok = ::WriteFile(ToHandle(file), buffer, toWrite, &count, nullptr);
    if (written != nullptr) {
        *written = count;
    }
    return ok != FALSE;
}

bool Win32Platform::CreateDirectoryA(const std::string& path, const SecurityAttributes* security) {
    Win32SecurityAttributes attributes(security);
    if (!attributes.valid()) {
        return false;
    }
    return ::CreateDirectoryA(path.c_str(), attributes.get()) != FALSE;
}

bool Win32Platform::FlushFileBuffers(Handle file) {
    return ::FlushFileBuffers(ToHandle(file)) != FALSE;
}

bool Win32Platform::MoveFileExA(const std::string& from, const std::string& to,
                                std::uint32_t flags) {
    return ::MoveFileExA(from.c_str(), to.c_str(), flags) != FALSE;
}

int Win32Platform::WideCharToMultiByte(std::uint32_t codePage, std::uint32_t flags,
                                       const char16_t* wide, int wideLength, char* multiByte,
                                       int multiByteSize, const char* defaultChar,
                                       bool* usedDefaultChar) {
    BOOL usedDefault = FALSE;
    const int count =
        ::WideCharToMultiByte(codePage, flags, AsWide(wide), wideLength, multiByte, multiByteSize,
                              defaultChar, usedDefaultChar != nullptr ? &usedDefault : nullptr);
    if (usedDefaultChar != nullptr) {
        *usedDefaultChar = usedDefault != FALSE;
    }
    return count;
}

int Win32Platform::MultiByteToWideChar(std::uint32_t codePage, std::uint32_t flags,
                                       const char* multiByte, int multiByteLength, char16_t* wide,
                                       int wideSize) {
    return ::MultiByteToWideChar(codePage, flags, multiByte, multiByteLength, AsWide(wide),
                                 wideSize);
}

void Win32Platform::InitCommonControls() {
    ::InitCommonControls();
}

Handle Win32Platform::CreateMutexA(const SecurityAttributes* security, bool initialOwner,
                                   const std::string& name) {
    Win32SecurityAttributes attributes(security);
    if (!attributes.valid()) {
        return 0;
    }
    return FromHandle(::CreateMutexA(attributes.get(), initialOwner ? TRUE : FALSE, name.c_str()));
}

Handle Win32Platform::OpenMutexA(std::uint32_t access, bool inheritHandle,
                                 const std::string& name) {
    return FromHandle(::OpenMutexA(access, inheritHandle ? TRUE : FALSE, name.c_str()));
}

bool Win32Platform::CreatePipe(Handle* readEnd, Handle* writeEnd,
                               const SecurityAttributes* security, std::uint32_t size) {
    *readEnd = 0;
    *writeEnd = 0;
    Win32SecurityAttributes attributes(security);
    if (!attributes.valid()) {
        return false;
    }
    HANDLE reader = nullptr;
    HANDLE writer = nullptr;
    const BOOL ok = ::CreatePipe(&reader, &writer, attributes.get(), size);
    *readEnd = ok ? FromHandle(reader) : 0;
    *writeEnd = ok ? FromHandle(writer) : 0;
    return ok != FALSE;
}

bool Win32Platform::CreateProcessA(const std::string& commandLine,
                                   const SecurityAttributes* process,
                                   const SecurityAttributes* thread, bool inheritHandles,
                                   std::uint32_t creationFlags, const StartupInfo& startup,
                                   ProcessInformation* info) {
    Win32SecurityAttributes processAttributes(process);
    Win32SecurityAttributes threadAttributes(thread);
    if (!processAttributes.valid() || !threadAttributes.valid()) {
        return false;
    }
    STARTUPINFOA start{};
    start.cb = sizeof(STARTUPINFOA);
    start.dwFlags = startup.flags;
    start.wShowWindow = startup.showWindow;
    start.hStdInput = ToHandle(startup.stdInput);
    start.hStdOutput = ToHandle(startup.stdOutput);
    start.hStdError = ToHandle(startup.stdError);
    PROCESS_INFORMATION started{};
    // CreateProcessA may write into the command line, so it gets its own copy.
    std::vector<char> command(commandLine.begin(), commandLine.end());
    command.push_back('\0');
    const BOOL ok = ::CreateProcessA(nullptr, command.data(), processAttributes.get(),
                                     threadAttributes.get(), inheritHandles ? TRUE : FALSE,
                                     creationFlags, nullptr, nullptr, &start, &started);
    if (info != nullptr) {
        info->process = FromHandle(started.hProcess);
        info->thread = FromHandle(started.hThread);
        info->processId = started.dwProcessId;
        info->threadId = started.dwThreadId;
    }
    return ok != FALSE;
}

std::uint32_t Win32Platform::WaitForSingleObject(Handle handle, std::uint32_t milliseconds) {
    return ::WaitForSingleObject(ToHandle(handle), milliseconds);
}

bool Win32Platform::GetExitCodeProcess(Handle process, std::uint32_t* exitCode) {
    DWORD code = 0;
    const BOOL ok = ::GetExitCodeProcess(ToHandle(process), &code);
    if (ok && exitCode != nullptr) {
        *exitCode = code;
    }
    return ok != FALSE;
}

void Win32Platform::ExitProcess(std::uint32_t exitCode) {
    ::ExitProcess(exitCode);
}

} // namespace platform

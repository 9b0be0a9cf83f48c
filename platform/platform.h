// The platform seam: the Win32 calls that Tarrow and rollback make, and
// nothing else. Each method takes and returns what its Win32 namesake takes and
// returns (status codes, BOOL results as bool, sizes in and out, last-error),
// so the code above reads like Win32 and runs unchanged on the real system
// (platform/win32) and on the emulated one (platform/emulated).
//
// Text crosses as std::string in the ANSI code page. Wide text, where a call
// needs it, is UTF-16 in char16_t (Windows' WCHAR) and std::u16string. An
// empty value name means the key's default value, as NULL or "" does in Win32.
#pragma once

#include "platform/types.h"

#include <cstdint>
#include <string>

namespace platform {

class Platform {
public:
    virtual ~Platform() = default;

    // --- Registry (advapi32). Return a Win32 status code (kErrorSuccess on success).
    virtual long RegOpenKeyExA(Key root, const std::string& subKey, std::uint32_t options,
                               std::uint32_t access, Key* result) = 0;
    virtual long RegCreateKeyExA(Key root, const std::string& subKey, const std::string& keyClass,
                                 std::uint32_t options, std::uint32_t access,
                                 const SecurityAttributes* security, Key* result,
                                 std::uint32_t* disposition) = 0;
    // With data == nullptr only the kind and size are reported. With a buffer
    // smaller than the value, the call fails with kErrorMoreData and reports the
    // needed size. For string kinds the size reported leaves room for a NUL
    // when the stored bytes do not end in one.
    virtual long RegQueryValueExA(Key key, const std::string& valueName, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* dataSize) = 0;
    // The same with a wide value name: strings come as the wide text they are
    // stored as, and nothing is added to them. Used only to tell whether a
    // string survives the ANSI code page, which RegQueryValueExA passes it
    // through.
    virtual long RegQueryValueExW(Key key, const std::u16string& valueName, std::uint32_t* type,
                                  std::uint8_t* data, std::uint32_t* dataSize) = 0;
    virtual long RegSetValueExA(Key key, const std::string& valueName, std::uint32_t type,
                                const std::uint8_t* data, std::uint32_t dataSize) = 0;
    // Fails with kErrorFileNotFound when the key has no such value.
    virtual long RegDeleteValueA(Key key, const std::string& valueName) = 0;
    // The name of the key's subkey at `index` (no class, no time): `nameSize`
    // is the buffer's size in characters with room for the NUL, and becomes
    // the name's length without it. kErrorMoreData when the name does not
    // fit, kErrorNoMoreItems past the last subkey. Needs KEY_ENUMERATE_SUB_KEYS.
    virtual long RegEnumKeyExA(Key key, std::uint32_t index, char* name,
                               std::uint32_t* nameSize) = 0;
    // How many subkeys and values the key holds (RegQueryInfoKeyA with the
    // rest left out). Needs KEY_QUERY_VALUE.
    virtual long RegQueryInfoKeyA(Key key, std::uint32_t* subKeys, std::uint32_t* values) = 0;
    // Deletes the subkey with its values; kErrorAccessDenied when it has
    // subkeys of its own, kErrorFileNotFound when there is none.
    virtual long RegDeleteKeyA(Key parent, const std::string& subKey) = 0;
    virtual long RegCloseKey(Key key) = 0;
    virtual long RegSaveKeyA(Key key, const std::string& file) = 0;
    virtual long RegRestoreKeyA(Key key, const std::string& file, std::uint32_t flags) = 0;
    // Writes the hive that holds the key to disk before it returns.
    virtual long RegFlushKey(Key key) = 0;
    // Loads a hive file as root\subKey (root HKEY_USERS or HKEY_LOCAL_MACHINE),
    // as for an account whose profile is not loaded; needs SeBackupPrivilege
    // and SeRestorePrivilege enabled. RegUnLoadKeyA writes it back and takes
    // it away again; it fails while handles below it are open.
    virtual long RegLoadKeyA(Key root, const std::string& subKey, const std::string& file) = 0;
    virtual long RegUnLoadKeyA(Key root, const std::string& subKey) = 0;

    // --- Process token (advapi32, kernel32).
    virtual Handle GetCurrentProcess() = 0;
    virtual bool OpenProcessToken(Handle process, std::uint32_t access, Handle* token) = 0;
    virtual bool LookupPrivilegeValueA(const std::string& name, Luid* luid) = 0;
    virtual bool AdjustTokenPrivileges(Handle token, bool disableAll,
                                       const TokenPrivileges* newState, std::uint32_t bufferLength,
                                       TokenPrivileges* previousState,
                                       std::uint32_t* returnLength) = 0;
    // GetTokenInformation(TokenUser): the account the token belongs to, as
    // the text of its SID (ConvertSidToStringSidA). Needs TOKEN_QUERY.
    virtual bool GetTokenUserSid(Handle token, std::string* sid) = 0;
    // LookupAccountSidA for a SID given as text: the account's name and
    // the domain (or machine) it belongs to.
    virtual bool LookupAccountSidA(const std::string& sid, std::string* name,
                                   std::string* domain) = 0;
    virtual std::uint32_t GetLastError() = 0;
    virtual void SetLastError(std::uint32_t error) = 0;
    virtual bool CloseHandle(Handle handle) = 0;

    // --- The running program.
    // Returns the count of characters copied (no NUL); when `size` is too
    // small, the size needed (NUL included) and nothing useful in `buffer`;
    // 0 on failure.
    virtual std::uint32_t GetSystemDirectoryA(char* buffer, std::uint32_t size) = 0;
    // The system directory of 32-bit programs on 64-bit Windows (SysWOW64,
    // where the system redirects such a program's system directory),
    // reported as GetSystemDirectoryA reports; 0 with
    // kErrorCallNotImplemented on 32-bit Windows or where the call is
    // missing.
    virtual std::uint32_t GetSystemWow64DirectoryA(char* buffer, std::uint32_t size) = 0;
    // Whether the process is a 32-bit one running on 64-bit Windows; false
    // where the system knows no such thing.
    virtual bool IsWow64Process(Handle process, bool* wow64) = 0;
    // Suspends the calling thread for at least that long.
    virtual void Sleep(std::uint32_t milliseconds) = 0;
    // The time now, in the system's FILETIME: 100-nanosecond intervals since
    // 1 January 1601 (UTC).
    virtual std::uint64_t GetSystemTimeAsFileTime() = 0;
    // The FILETIME in the system's time zone; false on failure.
    virtual bool FileTimeToLocalFileTime(std::uint64_t utc, std::uint64_t* local) = 0;
    // The full path of the running executable.
    virtual std::string GetModuleFileNameA() = 0;
    // The command line the process was started with, as Windows keeps it.
    virtual std::string GetCommandLineA() = 0;
    // The text with each %NAME% of the environment replaced by its value;
    // "" on failure.
    virtual std::string ExpandEnvironmentStringsA(const std::string& text) = 0;

    // --- Files (kernel32). Paths are Windows paths.
    virtual Handle FindFirstFileA(const std::string& pattern, FindData* data) = 0;
    virtual bool FindNextFileA(Handle find, FindData* data) = 0;
    virtual bool FindClose(Handle find) = 0;
    virtual std::uint32_t GetFileAttributesA(const std::string& path) = 0;
    virtual bool SetFileAttributesA(const std::string& path, std::uint32_t attributes) = 0;
    virtual bool CopyFileA(const std::string& from, const std::string& to, bool failIfExists) = 0;
    virtual bool DeleteFileA(const std::string& path) = 0;
    // `flagsAndAttributes` holds the attributes of a new file and flags such
    // as kFileFlagDeleteOnClose; `security` (or nullptr) gives a new file its
    // security descriptor. A file opened while another open of it does not
    // share the access asked for, or that does not share what the other open
    // has, fails with kErrorSharingViolation.
    virtual Handle CreateFileA(const std::string& path, std::uint32_t access, std::uint32_t share,
                               const SecurityAttributes* security, std::uint32_t disposition,
                               std::uint32_t flagsAndAttributes) = 0;
    virtual bool ReadFile(Handle file, void* buffer, std::uint32_t toRead, std::uint32_t* read) = 0;
    virtual bool WriteFile(Handle file, const void* buffer, std::uint32_t toWrite,
                           std::uint32_t* written) = 0;
    // Writes what the file's handle wrote through to the disk; needs write
    // access.
    virtual bool FlushFileBuffers(Handle file) = 0;
    virtual bool MoveFileExA(const std::string& from, const std::string& to,
                             std::uint32_t flags) = 0;
    // Makes a folder whose parent exists; `security` (or nullptr) gives it
    // its security descriptor. Fails with kErrorAlreadyExists when the name
    // is taken, and with kErrorPathNotFound when the parent is missing.
    virtual bool CreateDirectoryA(const std::string& path, const SecurityAttributes* security) = 0;

    // --- Text (kernel32): conversions between wide text and a code page
    // (kCpAcp). A length of -1 takes the text up to and with its NUL. With a
    // size of 0 nothing is written and the size needed is returned;
    // otherwise the count written. 0 on failure (kErrorInsufficientBuffer
    // when the room is too small). A wide character that the code page
    // lacks becomes `defaultChar` (the code page's own when nullptr), and
    // `usedDefaultChar` (when given) says whether that happened.
    virtual int WideCharToMultiByte(std::uint32_t codePage, std::uint32_t flags,
                                    const char16_t* wide, int wideLength, char* multiByte,
                                    int multiByteSize, const char* defaultChar,
                                    bool* usedDefaultChar) = 0;
    virtual int MultiByteToWideChar(std::uint32_t codePage, std::uint32_t flags,
                                    const char* multiByte, int multiByteLength, char16_t* wide,
                                    int wideSize) = 0;

    // --- Named objects (kernel32).
    // Creates the named mutex or, when one of that name exists, opens it
    // and sets the last error to kErrorAlreadyExists. 0 on failure. The
    // object lives while any handle to it is open.
    virtual Handle CreateMutexA(const SecurityAttributes* security, bool initialOwner,
                                const std::string& name) = 0;
    // Opens an existing named mutex: 0 with kErrorFileNotFound when none of
    // that name exists.
    virtual Handle OpenMutexA(std::uint32_t access, bool inheritHandle,
                              const std::string& name) = 0;

    // --- Common controls (comctl32): registers their window classes.
    virtual void InitCommonControls() = 0;

    // --- Processes and pipes (kernel32).
    virtual bool CreatePipe(Handle* readEnd, Handle* writeEnd, const SecurityAttributes* security,
                            std::uint32_t size) = 0;
    virtual bool CreateProcessA(const std::string& commandLine, const SecurityAttributes* process,
                                const SecurityAttributes* thread, bool inheritHandles,
                                std::uint32_t creationFlags, const StartupInfo& startup,
                                ProcessInformation* info) = 0;
    // kWaitObject0 once the process has ended, kWaitTimeout when the time
    // ran out first, kWaitFailed on failure.
    virtual std::uint32_t WaitForSingleObject(Handle handle, std::uint32_t milliseconds) = 0;
    virtual bool GetExitCodeProcess(Handle process, std::uint32_t* exitCode) = 0;
    // Ends the process at once. The real side never returns; the emulated side
    // records the exit code and returns, and exitRequested() then tells the
    // caller to stop.
    virtual void ExitProcess(std::uint32_t exitCode) = 0;
    virtual bool exitRequested() const = 0;
};

} // namespace platform

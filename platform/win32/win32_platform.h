// The real Windows behind the seam: each method is one call of the Win32 API
// with the same arguments, translated between the seam's types and Win32's.
#pragma once

#include "platform/platform.h"

namespace platform {

class Win32Platform final : public Platform {
public:
    long RegOpenKeyExA(Key root, const std::string& subKey, std::uint32_t options,
                       std::uint32_t access, Key* result) override;
    long RegCreateKeyExA(Key root, const std::string& subKey, const std::string& keyClass,
                         std::uint32_t options, std::uint32_t access,
                         const SecurityAttributes* security, Key* result,
                         std::uint32_t* disposition) override;
    long RegQueryValueExA(Key key, const std::string& valueName, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t* dataSize) override;
    long RegQueryValueExW(Key key, const std::u16string& valueName, std::uint32_t* type,
                          std::uint8_t* data, std::uint32_t* dataSize) override;
    long RegSetValueExA(Key key, const std::string& valueName, std::uint32_t type,
                        const std::uint8_t* data, std::uint32_t dataSize) override;
    long RegDeleteValueA(Key key, const std::string& valueName) override;
    long RegEnumKeyExA(Key key, std::uint32_t index, char* name, std::uint32_t* nameSize) override;
    long RegQueryInfoKeyA(Key key, std::uint32_t* subKeys, std::uint32_t* values) override;
    long RegDeleteKeyA(Key parent, const std::string& subKey) override;
    long RegCloseKey(Key key) override;
    long RegSaveKeyA(Key key, const std::string& file) override;
    long RegRestoreKeyA(Key key, const std::string& file, std::uint32_t flags) override;
    long RegFlushKey(Key key) override;
    long RegLoadKeyA(Key root, const std::string& subKey, const std::string& file) override;
    long RegUnLoadKeyA(Key root, const std::string& subKey) override;
    Handle GetCurrentProcess() override;
    bool OpenProcessToken(Handle process, std::uint32_t access, Handle* token) override;
    bool LookupPrivilegeValueA(const std::string& name, Luid* luid) override;
    bool AdjustTokenPrivileges(Handle token, bool disableAll, const TokenPrivileges* newState,
                               std::uint32_t bufferLength, TokenPrivileges* previousState,
                               std::uint32_t* returnLength) override;
    bool GetTokenUserSid(Handle token, std::string* sid) override;
    bool LookupAccountSidA(const std::string& sid, std::string* name, std::string* domain) override;
    std::uint32_t GetLastError() override;
    void SetLastError(std::uint32_t error) override;
    bool CloseHandle(Handle handle) override;
    std::uint32_t GetSystemDirectoryA(char* buffer, std::uint32_t size) override;
    std::uint32_t GetSystemWow64DirectoryA(char* buffer, std::uint32_t size) override;
    bool IsWow64Process(Handle process, bool* wow64) override;
    void Sleep(std::uint32_t milliseconds) override;
    std::uint64_t GetSystemTimeAsFileTime() override;
    bool FileTimeToLocalFileTime(std::uint64_t utc, std::uint64_t* local) override;
    std::string GetModuleFileNameA() override;
    std::string GetCommandLineA() override;
    std::string ExpandEnvironmentStringsA(const std::string& text) override;
    Handle FindFirstFileA(const std::string& pattern, FindData* data) override;
    bool FindNextFileA(Handle find, FindData* data) override;
    bool FindClose(Handle find) override;
    std::uint32_t GetFileAttributesA(const std::string& path) override;
    bool SetFileAttributesA(const std::string& path, std::uint32_t attributes) override;
    bool CopyFileA(const std::string& from, const std::string& to, bool failIfExists) override;
    bool DeleteFileA(const std::string& path) override;
    Handle CreateFileA(const std::string& path, std::uint32_t access, std::uint32_t share,
                       const SecurityAttributes* security, std::uint32_t disposition,
                       std::uint32_t flagsAndAttributes) override;
    bool ReadFile(Handle file, void* buffer, std::uint32_t toRead, std::uint32_t* read) override;
    bool WriteFile(Handle file, const void* buffer, std::uint32_t toWrite,
                   std::uint32_t* written) override;
    bool FlushFileBuffers(Handle file) override;
    bool MoveFileExA(const std::string& from, const std::string& to, std::uint32_t flags) override;
    bool CreateDirectoryA(const std::string& path, const SecurityAttributes* security) override;
    int WideCharToMultiByte(std::uint32_t codePage, std::uint32_t flags, const char16_t* wide,
                            int wideLength, char* multiByte, int multiByteSize,
                            const char* defaultChar, bool* usedDefaultChar) override;
    int MultiByteToWideChar(std::uint32_t codePage, std::uint32_t flags, const char* multiByte,
                            int multiByteLength, char16_t* wide, int wideSize) override;
    Handle CreateMutexA(const SecurityAttributes* security, bool initialOwner,
                        const std::string& name) override;
    Handle OpenMutexA(std::uint32_t access, bool inheritHandle, const std::string& name) override;
    void InitCommonControls() override;
    bool CreatePipe(Handle* readEnd, Handle* writeEnd, const SecurityAttributes* security,
                    std::uint32_t size) override;
    bool CreateProcessA(const std::string& commandLine, const SecurityAttributes* process,
                        const SecurityAttributes* thread, bool inheritHandles,
                        std::uint32_t creationFlags, const StartupInfo& startup,
                        ProcessInformation* info) override;
    std::uint32_t WaitForSingleObject(Handle handle, std::uint32_t milliseconds) override;
    bool GetExitCodeProcess(Handle process, std::uint32_t* exitCode) override;
    void ExitProcess(std::uint32_t exitCode) override;
    bool exitRequested() const override { return false; }
};

} // namespace platform

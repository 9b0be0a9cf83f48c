// An emulated Windows for Linux builds and tests: a registry with Windows'
// rules, a process token with privileges, Windows paths over a folder on disk
// with file attributes, pipes and started processes, and fault injection.
//
// It follows the behaviour of the real calls, including the parts that code
// easily gets wrong: names match without regard to case; strings are stored
// as wide text that the A calls see through the ANSI code page, Windows-1252
// (a character it lacks reads as "?"); a string value's size report leaves
// room for a terminating NUL; keys cannot be created directly
// under HKEY_USERS or HKEY_LOCAL_MACHINE; saving a key needs
// SeBackupPrivilege and restoring one needs SeBackupPrivilege and
// SeRestorePrivilege; successful calls leave the last-error value alone
// (except where Windows documents otherwise: AdjustTokenPrivileges, and
// CreateFileA with CREATE_ALWAYS or OPEN_ALWAYS). Files follow Windows'
// sharing rules, are deleted on their last close when opened so, and keep
// the security descriptor they were made with (see file_security.h). The Reg* calls report
// through their status codes only and never touch the last-error value.
#pragma once

#include "platform/emulated/disk_image.h"
#include "platform/emulated/registry_node.h"
#include "platform/emulated/survival.h"
#include "platform/platform.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

class EmulatedPlatform final : public Platform {
public:
    // `driveRoot` is a folder on disk that plays drive C: ("C:\x" is
    // driveRoot/x). It must exist. The machine starts with the usual keys:
    // HKLM\SOFTWARE, HKLM\SYSTEM, HKU\.DEFAULT\Control Panel\Desktop, and
    // one account, kUserSid ("alice"), logged on and running the program,
    // whose hive holds Control Panel\Desktop and
    // AppEvents\Schemes\Apps\.Default\SystemExit\.Current. The system
    // directory is "C:\windows\system32" (created on disk), the program is
    // "C:\Program Files\Tarrow\Tarrow.exe" with the command line "\"C:\Program
    // Files\Tarrow\Tarrow.exe\"", and the token holds SeBackupPrivilege and
    // SeRestorePrivilege (not enabled). It is a 32-bit Windows (see
    // setWindows64).
    explicit EmulatedPlatform(std::string driveRoot);

    static constexpr std::string_view kUserSid = "S-1-5-21-3623811015-3361044348-30300820-1001";
    // LocalSystem, as which deployment tools run uninstallers; its
    // HKEY_CURRENT_USER is HKEY_USERS\.DEFAULT.
    static constexpr std::string_view kLocalSystemSid = "S-1-5-18";
    ~EmulatedPlatform() override;
    EmulatedPlatform(const EmulatedPlatform&) = delete;
    EmulatedPlatform& operator=(const EmulatedPlatform&) = delete;

    // --- Platform
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
    bool exitRequested() const override;

    // --- Setting up the machine
    void setSystemDirectory(const std::string& windowsPath); // "" makes the call fail
    // The machine is a 32-bit Windows unless made a 64-bit one: then
    // GetSystemWow64DirectoryA names "C:\windows\SysWOW64" (created on
    // disk), and IsWow64Process tells whether the program is a 32-bit one
    // (`wow64Program`). No file system redirection is emulated: the program
    // reaches the folders by the names it uses.
    void setWindows64(bool wow64Program);
    void setModulePath(const std::string& windowsPath);
    // Creates root\subKey as an installed Windows has it, where a program
    // could not (directly under HKEY_USERS, for an account's profile).
    void createKey(Key root, const std::string& subKey);
    // Writes a value as a program that writes wide text would
    // (RegSetValueExW): `text` is stored as it is, NUL included when it
    // holds one. The key is created where missing.
    void setWideValue(Key root, const std::string& subKey, const std::string& valueName,
                      std::uint32_t kind, const std::u16string& text);
    void setCommandLine(const std::string& commandLine);
    // Where a Windows path lies on disk (the folder need not exist).
    std::string hostPath(const std::string& windowsPath) const;
    // Gives or takes a privilege from the token ("SeBackupPrivilege", ...).
    void grantPrivilege(const std::string& name, bool held);
    bool privilegeEnabled(const std::string& name) const;

    // What a started program can do with the standard output and error it
    // inherited: write to them, and leave behind a process of its own that
    // inherited them too and goes on writing after the program has ended,
    // as a long-lived process started by a command does.
    class ChildOutput {
    public:
        virtual ~ChildOutput() = default;
        virtual void write(const std::string& text) = 0;      // standard output
        virtual void writeError(const std::string& text) = 0; // standard error
        // The lingering process writes each piece when a reader waits for
        // output, then ends.
        virtual void leaveRunning(std::vector<std::string> laterPieces) = 0;
    };
    // A program that CreateProcessA can start: called with the command line
    // and its inherited output; returns the exit code. The first word of a command line (quoted
    // or not, with or without ".exe", any case) names the program. Commands
    // naming no registered program fail with kErrorFileNotFound, except the
    // running program (GetModuleFileNameA's name) starting itself, which is
    // recorded and not run; it ends with the code that setRestartExitCode
    // gave (0 unless set). The program runs at once, inside CreateProcessA;
    // its output (and its error output) reaches a pipe only when the startup
    // has STARTF_USESTDHANDLES, inheritance is asked for and stdOutput
    // (stdError) is the write end of a pipe created inheritable. Its copy of that end is closed
    // when it returns, so once the parent closes its own and the processes
    // it left running have ended, ReadFile reads the output and then fails
    // with kErrorBrokenPipe. ReadFile on an empty pipe whose write end the
    // running program still holds throws std::logic_error: Windows would
    // wait for ever there.
    using Program =
        std::function<std::uint32_t(const std::string& commandLine, ChildOutput& output)>;
    void registerProgram(const std::string& name, Program program);

    // --- Accounts
    struct Account {
        std::string sid;
        std::string name;
        std::string domain;
        // A member of Administrators, running elevated. A standard account
        // creates, writes and deletes nothing in the system directory, and
        // opens no file whose descriptor admits only the system and
        // administrators.
        bool administrator = true;
    };
    // Adds an account with a profile, "C:\Users\<name>", named in the
    // ProfileList key; its hive (the profile's NTUSER.DAT, a file on the
    // drive that RegLoadKeyA finds the hive by) holds the keys an account
    // starts with. A logged-on account's hive is loaded under
    // HKEY_USERS\<sid>. kUserSid ("alice") and LocalSystem are
    // administrators.
    void addAccount(const Account& account, bool loggedOn);
    // Logs the account on (its hive loaded) or off (its hive unloaded).
    void setLoggedOn(const std::string& sid, bool loggedOn);
    // The program runs as this account from now on: the token's user, and
    // HKEY_CURRENT_USER its hive while that is loaded. As on Windows,
    // HKEY_CURRENT_USER is HKEY_USERS\.DEFAULT for LocalSystem and for an
    // account whose profile is not loaded (runas /noprofile); the choice is
    // made again when the running account logs on or off.
    void runAs(const std::string& sid);
    // --- Time. Sleep takes no time: it adds to a clock of its own and then
    // calls the hook, if one is set, so that a test can act while the
    // program waits (let go of a lock it waits for, say). The system's time
    // starts at kStartTime and moves only by Sleep and passTime.
    static constexpr std::uint64_t kStartTime = 134'116'992'000'000'000ull; // 2026-01-01
    std::uint64_t sleptMilliseconds() const;
    void onSleep(std::function<void()> hook);
    void passTime(std::uint64_t milliseconds);

    // An exit code for the program's own new instances (see registerProgram).
    void setRestartExitCode(std::uint32_t exitCode);

    // --- Power. Every call that changes the registry, the disk, the token's
    // enabled privileges, the named objects or the processes is journalled;
    // the power can go off after any of them, and a reboot starts the
    // machine again from what survived. What can survive is no kinder than
    // Windows (survival.h): metadata changes last in order up to the last
    // flush of any file, file contents as last flushed, each hive as last
    // flushed (RegFlushKey, or an unload); of what came after, a cut leaves
    // any prefix of the metadata changes, one of four contents for each file,
    // and any prefix of each hive's changes.
    struct JournalEntry {
        std::string call;   // "RegSetValueExA"
        std::string target; // "hkey_users\s-1-5-18\consol\change", "c:\a\b.dat"
    };
    // The changes since the machine started or last rebooted.
    const std::vector<JournalEntry>& journal() const;
    // `watcher` is called after each change from now on, with the number of
    // changes in the journal, also after the changes it makes itself (an
    // operation it runs inside another is watched too). {} stops it; a
    // reboot keeps it.
    void watchChanges(std::function<void(std::size_t changes)> watcher);
    // Everything as it stands is on disk, as after the system's own lazy
    // writes.
    void settle();
    // Settles, then cuts the power once `changes` more calls have changed
    // something (0: at once). From then on every call fails with
    // kErrorNotReady and changes nothing.
    void cutPowerAfter(std::size_t changes);
    bool powerOff() const;
    // What a cut now could take.
    emulated::CutDimensions cutDimensions() const;
    // What the disk would hold after a cut now that `survival` describes; it
    // must fit cutDimensions() (std::invalid_argument otherwise).
    emulated::DiskImage survivor(const emulated::Survival& survival) const;
    // The same for several survivals of one cut, looking at the disk once.
    std::vector<emulated::DiskImage>
    survivors(const std::vector<emulated::Survival>& survivals) const;
    // Cuts the power (if still on) and starts again from survivor(survival).
    void reboot(const emulated::Survival& survival);
    // Starts again from `image`, which this machine's survivor() gave: open
    // handles are gone (a file to be deleted on close stays when its
    // creation lasted: its last close never came), hives a program loaded are unloaded, enabled
    // privileges are off, named objects are gone, the journal is empty, and
    // everything is on disk; accounts, faults and the program's setup stay.
    void restartFrom(const emulated::DiskImage& image);

    // --- Looking at what happened
    // Every key of every hive, loaded or not, by its lower-case path
    // ("hkey_users\<sid>\control panel\desktop"), with its values by their
    // lower-case names.
    std::map<std::string, std::map<std::string, emulated::RegistryValue>> registryDump() const;
    struct StartedProcess {
        std::string commandLine;
        std::uint32_t creationFlags = 0;
        StartupInfo startup;
        bool inheritHandles = false;
    };
    const std::vector<StartedProcess>& startedProcesses() const;
    std::uint32_t exitCode() const;
    // How often the common controls were initialised.
    int commonControlsInitialized() const;
    // Keys, and handles, opened and not yet closed. The handle count takes in
    // tokens, files, pipe ends, processes and threads, and also find handles
    // (closed with FindClose); GetCurrentProcess's pseudo handle and the
    // predefined registry roots are never counted.
    std::size_t openKeyCount() const;
    std::size_t openHandleCount() const;

    // --- Fault injection. Paths are matched without regard to case.
    // Every fault below is taken back.
    void clearFaults();
    // RegOpenKeyExA and RegCreateKeyExA of root\subKey (exactly that key)
    // fail with kErrorAccessDenied.
    void failKeyOpen(Key root, const std::string& subKey);
    // RegOpenKeyExA and RegCreateKeyExA of root\subKey asking for any right
    // beyond `allowed` fail with kErrorAccessDenied, as for a key whose
    // security grants the user no more.
    void limitKeyAccess(Key root, const std::string& subKey, std::uint32_t allowed);
    // RegSetValueExA and RegDeleteValueA on root\subKey fail with
    // kErrorAccessDenied.
    void failValueWrites(Key root, const std::string& subKey);
    // OpenProcessToken fails (last error kErrorAccessDenied).
    void failTokenOpen(bool fail);
    // RegSaveKeyA / RegRestoreKeyA fail with kErrorAccessDenied.
    void failKeySave(bool fail);
    void failKeyRestore(bool fail);
    // CopyFileA to `windowsPath`, DeleteFileA of it, or CreateFileA of it for
    // writing fail with kErrorAccessDenied.
    void failCopyTo(const std::string& windowsPath);
    // MoveFileExA to `windowsPath` fails with kErrorAccessDenied, and
    // FlushFileBuffers of a handle to it opened after this call with
    // kErrorWriteFault.
    void failMoveTo(const std::string& windowsPath);
    void failFlush(const std::string& windowsPath);
    void failDelete(const std::string& windowsPath);
    void failCreate(const std::string& windowsPath);
    // RegLoadKeyA of the hive file fails with kErrorSharingViolation, as for
    // an NTUSER.DAT that another process holds open.
    void failHiveLoad(const std::string& windowsPath);
    // The entry stays listed, but GetFileAttributesA of it fails with
    // kErrorSharingViolation, as it does for the system's paging file.
    void lockAgainstExamination(const std::string& windowsPath);
    // ReadFile of the file, opened after this call, fails with
    // kErrorReadFault once it reaches `offset`.
    void failReadsFrom(const std::string& windowsPath, std::uint64_t offset);
    // CreatePipe fails with the given error (0: it works again).
    void failPipe(std::uint32_t error);

private:
    struct State;
    static void MapCurrentUser(State& state);
    std::unique_ptr<State> state_;
};

} // namespace platform

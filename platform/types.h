// Values and records that cross the platform seam. They mirror the Win32 ones
// (same numbers, same layout where a caller depends on it) under names that do
// not clash with the macros of <windows.h>.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

// A registry key handle (HKEY) or a kernel handle (HANDLE), as a number.
using Key = std::uintptr_t;
using Handle = std::uintptr_t;

constexpr Handle kInvalidHandle = static_cast<Handle>(-1);

// Predefined registry roots.
constexpr Key kHkeyClassesRoot = 0x80000000u;
constexpr Key kHkeyCurrentUser = 0x80000001u;
constexpr Key kHkeyLocalMachine = 0x80000002u;
constexpr Key kHkeyUsers = 0x80000003u;

// Error codes (winerror.h).
constexpr long kErrorSuccess = 0;
constexpr long kErrorFileNotFound = 2;
constexpr long kErrorPathNotFound = 3;
constexpr long kErrorAccessDenied = 5;
constexpr long kErrorInvalidHandle = 6;
constexpr long kErrorNotEnoughMemory = 8;
constexpr long kErrorInvalidParameter = 87;
constexpr long kErrorBrokenPipe = 109;
constexpr long kErrorAlreadyExists = 183;
constexpr long kErrorMoreData = 234;
constexpr long kErrorNoMoreFiles = 18;
constexpr long kErrorNotAllAssigned = 1300;
constexpr long kErrorNoSuchPrivilege = 1313;
constexpr long kErrorPrivilegeNotHeld = 1314;
constexpr long kErrorBadFormat = 11;
constexpr long kErrorNotReady = 21;
constexpr long kErrorNoMoreItems = 259;
constexpr long kErrorSharingViolation = 32;
constexpr long kErrorCallNotImplemented = 120;
constexpr long kErrorInsufficientBuffer = 122;

// Registry value kinds.
constexpr std::uint32_t kRegNone = 0;
constexpr std::uint32_t kRegSz = 1;
constexpr std::uint32_t kRegExpandSz = 2;
constexpr std::uint32_t kRegBinary = 3;
constexpr std::uint32_t kRegDword = 4;
constexpr std::uint32_t kRegMultiSz = 7;
constexpr std::uint32_t kRegQword = 11;

// Registry access masks and options.
constexpr std::uint32_t kKeyQueryValue = 0x0001;
constexpr std::uint32_t kKeySetValue = 0x0002;
constexpr std::uint32_t kKeyCreateSubKey = 0x0004;
constexpr std::uint32_t kKeyEnumerateSubKeys = 0x0008;
constexpr std::uint32_t kKeyRead = 0x20019;
constexpr std::uint32_t kKeyWrite = 0x20006;
constexpr std::uint32_t kKeyAllAccess = 0xF003F;
constexpr std::uint32_t kRegOptionNonVolatile = 0;
constexpr std::uint32_t kRegForceRestore = 8;
constexpr std::uint32_t kRegCreatedNewKey = 1;
constexpr std::uint32_t kRegOpenedExistingKey = 2;

// Token access and privilege attributes.
constexpr std::uint32_t kTokenAdjustPrivileges = 0x0020;
constexpr std::uint32_t kTokenQuery = 0x0008;
constexpr std::uint32_t kSePrivilegeEnabled = 2;

// File attributes (and the masks that listings are filtered with).
constexpr std::uint32_t kFileAttributeReadOnly = 0x01;
constexpr std::uint32_t kFileAttributeHidden = 0x02;
constexpr std::uint32_t kFileAttributeSystem = 0x04;
constexpr std::uint32_t kFileAttributeDirectory = 0x10;
constexpr std::uint32_t kFileAttributeArchive = 0x20;
constexpr std::uint32_t kFileAttributeNormal = 0x80;
constexpr std::uint32_t kFileAttributeReparsePoint = 0x400;
constexpr std::uint32_t kInvalidFileAttributes = 0xFFFFFFFFu;

// CreateFileA access, share, disposition and flag values.
constexpr std::uint32_t kGenericRead = 0x80000000u;
constexpr std::uint32_t kGenericWrite = 0x40000000u;
constexpr std::uint32_t kDelete = 0x00010000u;
constexpr std::uint32_t kFileShareRead = 0x1;
constexpr std::uint32_t kFileShareWrite = 0x2;
constexpr std::uint32_t kFileShareDelete = 0x4;
constexpr std::uint32_t kCreateNew = 1;
constexpr std::uint32_t kCreateAlways = 2;
constexpr std::uint32_t kOpenExisting = 3;
constexpr std::uint32_t kOpenAlways = 4;
// The file is deleted when the last handle to it is closed; until then every
// other open must share delete.
constexpr std::uint32_t kFileFlagDeleteOnClose = 0x04000000u;
// The ANSI code page of the system, for the text conversions.
constexpr std::uint32_t kCpAcp = 0;

// MoveFileExA flags.
constexpr std::uint32_t kMoveFileReplaceExisting = 0x1;
constexpr std::uint32_t kMoveFileWriteThrough = 0x8;

// Process creation.
constexpr std::uint32_t kNormalPriorityClass = 0x20;
constexpr std::uint32_t kStartfUseShowWindow = 0x1;
constexpr std::uint32_t kStartfUseStdHandles = 0x100;
constexpr std::uint16_t kSwHide = 0;
constexpr std::uint16_t kSwShowNormal = 1;

// WaitForSingleObject.
constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;
// Access to a synchronization object (a mutex): enough to wait on it.
constexpr std::uint32_t kSynchronize = 0x00100000u;

constexpr std::uint32_t kWaitObject0 = 0;
constexpr std::uint32_t kWaitTimeout = 0x102;
constexpr std::uint32_t kWaitFailed = 0xFFFFFFFFu;

// LUID of a privilege as LookupPrivilegeValueA gives it.
struct Luid {
    std::uint32_t lowPart = 0;
    std::int32_t highPart = 0;
};

// TOKEN_PRIVILEGES with one entry: 16 bytes, laid out as Windows lays it out.
struct TokenPrivileges {
    std::uint32_t privilegeCount = 0;
    Luid luid;
    std::uint32_t attributes = 0;
};
static_assert(sizeof(TokenPrivileges) == 16, "TOKEN_PRIVILEGES with one entry is 16 bytes");

// SECURITY_ATTRIBUTES: the inherit flag, and the security descriptor as SDDL
// text ("D:P(A;;FA;;;SY)(A;;FA;;;BA)": only the system and administrators
// have access); empty for the default security.
struct SecurityAttributes {
    std::uint32_t length = 12;
    bool inheritHandle = false;
    std::string securityDescriptor;
};

// The fields of STARTUPINFOA that the programs set.
struct StartupInfo {
    std::uint32_t flags = 0;
    std::uint16_t showWindow = 0;
    Handle stdInput = 0;
    Handle stdOutput = 0;
    Handle stdError = 0;
};

// PROCESS_INFORMATION.
struct ProcessInformation {
    Handle process = 0;
    Handle thread = 0;
    std::uint32_t processId = 0;
    std::uint32_t threadId = 0;
};

// The part of WIN32_FIND_DATAA that the programs read.
struct FindData {
    std::uint32_t attributes = 0;
    std::string fileName;
};

} // namespace platform

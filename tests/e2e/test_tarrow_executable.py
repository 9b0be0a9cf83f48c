"""Tarrow.exe and rollback.exe as files: the machine each is built for, what
it links against, the resources Windows reads before the program runs
(manifest, version record, icon) and, for the 32-bit build that users get,
that it carries no symbols or debug information, imports no function that
Windows XP SP3 lacks and stays within its size budget; and the setup program
that ships them.

--arch names the build: win32 (shipped) or win64 (tests under 64-bit Wine)."""

import argparse
import sys
import unittest
import xml.etree.ElementTree as ET
from pathlib import Path

from executable import MACHINE_AMD64, MACHINE_I386, RT_MANIFEST, RT_RCDATA, Executable

ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
WINDOWS_SETTINGS = "{http://schemas.microsoft.com/SMI/2005/WindowsSettings}"

# Libraries every Windows from XP on has in its system directory; anything
# else would have to be shipped beside the program.
SYSTEM_DLLS = {
    "advapi32.dll",
    "comctl32.dll",
    "gdi32.dll",
    "kernel32.dll",
    "msvcrt.dll",
    "ole32.dll",
    "oleaut32.dll",
    "user32.dll",
}

# Every function the shipped 32-bit programs import, each checked by hand
# against what Windows XP SP3 has. A function not listed must be checked so
# before it is added; functions that only newer Windows have are looked up
# at run time (GetProcAddress) instead.
XP_SP3_FUNCTIONS = {
    "advapi32.dll": {
        "AdjustTokenPrivileges", "ConvertSidToStringSidA",
        "ConvertStringSecurityDescriptorToSecurityDescriptorA", "ConvertStringSidToSidA",
        "GetTokenInformation", "LookupAccountSidA", "LookupPrivilegeValueA", "OpenProcessToken",
        "RegCloseKey", "RegCreateKeyExA", "RegDeleteKeyA", "RegDeleteValueA", "RegEnumKeyExA",
        "RegFlushKey", "RegLoadKeyA", "RegOpenKeyExA", "RegQueryInfoKeyA", "RegQueryValueExA",
        "RegQueryValueExW", "RegRestoreKeyA", "RegSaveKeyA", "RegSetValueExA", "RegUnLoadKeyA",
    },
    "comctl32.dll": {"InitCommonControls", "InitCommonControlsEx"},
    "gdi32.dll": {
        "BitBlt", "CreateCompatibleBitmap", "CreateCompatibleDC", "CreateFontA",
        "CreatePatternBrush", "CreateSolidBrush", "DeleteDC", "DeleteObject", "GetDeviceCaps",
        "GetObjectA", "GetPixel", "GetStockObject", "SelectObject", "SetBkMode", "SetBrushOrgEx",
        "SetStretchBltMode", "SetTextColor",
    },
    "kernel32.dll": {
        "AddVectoredExceptionHandler", "CloseHandle", "CopyFileA", "CreateDirectoryA",
        "CreateEventA", "CreateFileA", "CreateMutexA", "CreatePipe", "CreateProcessA",
        "CreateSemaphoreA", "DeleteCriticalSection", "DeleteFileA", "DuplicateHandle",
        "EnterCriticalSection", "ExitProcess", "ExpandEnvironmentStringsA",
        "FileTimeToLocalFileTime", "FileTimeToSystemTime", "FindClose", "FindFirstFileA",
        "FindNextFileA", "FindResourceA", "FlushFileBuffers", "FreeLibrary", "GetCommandLineA",
        "GetCurrentProcess", "GetCurrentProcessId", "GetCurrentThread", "GetCurrentThreadId",
        "GetExitCodeProcess", "GetFileAttributesA", "GetFileSize", "GetHandleInformation",
        "GetLastError", "GetModuleFileNameA", "GetModuleHandleA", "GetModuleHandleW",
        "GetProcAddress", "GetProcessAffinityMask", "GetProcessTimes", "GetStartupInfoA",
        "GetSystemDirectoryA", "GetSystemTimeAdjustment", "GetSystemTimeAsFileTime",
        "GetThreadContext", "GetThreadPriority", "GetThreadTimes", "GetTickCount", "GlobalAlloc",
        "GlobalFree", "GlobalLock", "GlobalUnlock", "InitializeCriticalSection",
        "IsDBCSLeadByteEx", "IsDebuggerPresent", "LeaveCriticalSection", "LoadLibraryA",
        "LoadResource", "LocalFree", "LockResource", "MoveFileExA", "MultiByteToWideChar",
        "OpenMutexA", "OpenProcess", "OutputDebugStringA", "QueryPerformanceCounter",
        "QueryPerformanceFrequency", "RaiseException", "ReadFile", "ReleaseSemaphore",
        "RemoveVectoredExceptionHandler", "ResetEvent", "ResumeThread", "SetEvent",
        "SetFileAttributesA", "SetLastError", "SetProcessAffinityMask", "SetSystemTime",
        "SetThreadContext", "SetThreadPriority", "SetUnhandledExceptionFilter", "SizeofResource",
        "Sleep", "SuspendThread", "SwitchToThread", "TlsAlloc", "TlsGetValue", "TlsSetValue",
        "TryEnterCriticalSection", "VirtualProtect", "VirtualQuery", "WaitForMultipleObjects",
        "WaitForSingleObject", "WideCharToMultiByte", "WriteFile", "lstrcmpiA",
    },
    "msvcrt.dll": {
        "__getmainargs", "__initenv", "__mb_cur_max", "__p__acmdln", "__p__commode",
        "__p__fmode", "__set_app_type", "__setusermatherr", "_amsg_exit", "_beginthreadex",
        "_cexit", "_endthreadex", "_errno", "_initterm", "_iob", "_onexit", "_setjmp3", "_strdup",
        "_ultoa", "abort", "atoi", "calloc", "exit", "fprintf", "fputc", "free", "fwrite",
        "isspace", "localeconv", "longjmp", "malloc", "memchr", "memcmp", "memcpy", "memmove",
        "memset", "printf", "realloc", "setlocale", "signal", "strchr", "strcmp", "strerror",
        "strlen", "strncmp", "tolower", "vfprintf", "wcslen",
    },
    "ole32.dll": {"CoCreateInstance", "CreateStreamOnHGlobal", "OleInitialize", "OleUninitialize"},
    "oleaut32.dll": {"OleLoadPicture"},
    "user32.dll": {
        "AdjustWindowRectEx", "BeginPaint", "CallWindowProcA", "CreateWindowExA",
        "DefWindowProcA", "DestroyWindow", "DispatchMessageA", "DrawTextA", "EnableWindow",
        "EndPaint", "EnumThreadWindows", "FillRect", "GetActiveWindow", "GetAncestor",
        "GetCapture", "GetClassLongA", "GetClientRect", "GetDC", "GetFocus", "GetKeyState",
        "GetMessageA", "GetPropA", "GetSysColor", "GetSysColorBrush", "GetSystemMetrics",
        "GetWindowLongA", "GetWindowRect", "IntersectRect", "InvalidateRect", "IsWindowEnabled",
        "IsWindowVisible", "KillTimer", "LoadCursorA", "LoadIconA", "LoadImageA", "MessageBoxA",
        "PeekMessageA", "PostQuitMessage", "RedrawWindow", "RegisterClassExA", "ReleaseCapture",
        "ReleaseDC", "RemovePropA", "SendMessageA", "SetCapture", "SetFocus",
        "SetForegroundWindow", "SetPropA", "SetTimer", "SetWindowLongA", "SetWindowPos",
        "SetWindowTextA", "ShowWindow", "SystemParametersInfoA", "TranslateMessage",
        "UpdateWindow",
    },
}

# Functions that Windows XP SP3 lacks and that the runtime or the program
# could pull in: none may be imported (and none is on the list above).
XP_LACKS = {
    "kernel32.dll": {
        "GetTickCount64", "InitializeCriticalSectionEx", "SetDefaultDllDirectories",
        "AddDllDirectory", "InitOnceExecuteOnce", "InitializeConditionVariable",
        "SleepConditionVariableCS", "WakeConditionVariable", "WakeAllConditionVariable",
        "InitializeSRWLock", "AcquireSRWLockExclusive", "ReleaseSRWLockExclusive",
        "AcquireSRWLockShared", "ReleaseSRWLockShared", "CreateSymbolicLinkA",
        "GetFinalPathNameByHandleA", "GetFileInformationByHandleEx",
        "SetFileInformationByHandle", "CancelIoEx", "QueryFullProcessImageNameA",
        "CreateEventExA", "CreateMutexExA", "CreateSemaphoreExA", "GetThreadId",
        "GetErrorMode", "GetLocaleInfoEx", "CompareStringEx", "LCMapStringEx",
    },
    "advapi32.dll": {"RegDeleteKeyExA", "RegGetValueA", "RegSetKeyValueA", "RegDeleteTreeA"},
    "user32.dll": {"SetProcessDPIAware", "ChangeWindowMessageFilter", "GetDpiForWindow"},
}

WINDOWS_10 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"
WINDOWS_7 = "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"

# Per build: the PE machine, the pointer size in bits and the manifest's
# processor architecture.
ARCHITECTURES = {
    "win32": (MACHINE_I386, 32, "x86"),
    "win64": (MACHINE_AMD64, 64, "amd64"),
}

# The most each shipped program may weigh (docs/performance.md has the aims
# and where the bytes go).
BUDGETS = {"Tarrow": 400 * 1024, "rollback": 350 * 1024}

ARGS = None


class ProgramChecks:
    """What every program of ours must be; NAME is its file name without
    ".exe"."""

    NAME = ""

    @classmethod
    def setUpClass(cls):
        cls.exe = Executable(Path(ARGS.bin) / f"{cls.NAME}.exe")
        cls.strings = cls.exe.version_strings()
        cls.manifest = ET.fromstring(cls.exe.resource(RT_MANIFEST, 1))
        cls.machine, cls.bits, cls.processor = ARCHITECTURES[ARGS.arch]

    def test_it_is_built_for_its_processor_and_names_it_in_its_manifest(self):
        self.assertEqual(hex(self.exe.machine), hex(self.machine))
        self.assertEqual(self.exe.bits, self.bits)
        identities = list(self.manifest.iter(f"{ASM_V1}assemblyIdentity"))
        self.assertEqual(len(identities), 2, "its own and the common controls'")
        for identity in identities:
            self.assertEqual(
                identity.get("processorArchitecture"), self.processor, identity.get("name")
            )

    def test_the_shipped_build_carries_no_symbols_or_debug_information(self):
        if ARGS.arch != "win32":
            self.skipTest("the 64-bit build only runs tests and keeps its symbols")
        self.assertEqual(self.exe.debug_sections(), [])
        self.assertEqual(self.exe.symbol_count, 0)
        self.assertEqual(self.exe.symbol_table, 0)

    def test_the_shipped_build_stays_within_its_size_budget(self):
        if ARGS.arch != "win32":
            self.skipTest("the budgets are the shipped 32-bit build's")
        self.assertLessEqual(self.exe.size(), BUDGETS[self.NAME])

    def test_it_needs_only_libraries_that_come_with_windows(self):
        imported = {name.lower() for name in self.exe.imported_dlls()}
        self.assertTrue(imported, "the import table is read")
        self.assertLessEqual(imported, SYSTEM_DLLS)

    def test_the_shipped_build_imports_only_functions_windows_xp_sp3_has(self):
        if ARGS.arch != "win32":
            self.skipTest("Windows XP runs the shipped 32-bit build")
        imported = self.exe.imported_functions()
        self.assertIn("ExitProcess", imported.get("kernel32.dll", set()),
                      "the import table is read")
        for dll, functions in sorted(imported.items()):
            with self.subTest(dll):
                lacking = functions & XP_LACKS.get(dll, set())
                self.assertEqual(lacking, set(), "Windows XP SP3 lacks these")
                unchecked = functions - XP_SP3_FUNCTIONS.get(dll, set())
                self.assertEqual(unchecked, set(), "not yet checked against Windows XP SP3")
        for dll, functions in XP_LACKS.items():
            self.assertEqual(functions & XP_SP3_FUNCTIONS[dll], set(), dll)

    def test_its_manifest_asks_for_administrator_rights_common_controls_6_and_dpi_awareness(self):
        level = self.manifest.find(f".//{ASM_V3}requestedExecutionLevel")
        self.assertIsNotNone(level)
        self.assertEqual(level.get("level"), "requireAdministrator")

        controls = [
            identity
            for identity in self.manifest.iter(f"{ASM_V1}assemblyIdentity")
            if identity.get("name") == "Microsoft.Windows.Common-Controls"
        ]
        self.assertEqual(len(controls), 1)
        self.assertEqual(controls[0].get("version"), "6.0.0.0")

        dpi = self.manifest.find(f".//{WINDOWS_SETTINGS}dpiAware")
        self.assertIsNotNone(dpi)
        self.assertEqual(dpi.text, "true")

        supported = {os.get("Id") for os in self.manifest.iter(f"{COMPATIBILITY}supportedOS")}
        self.assertIn(WINDOWS_7, supported)
        self.assertIn(WINDOWS_10, supported)

    def test_its_version_record_and_manifest_name_the_same_program_and_version(self):
        self.assertEqual(self.strings.get("ProductName"), "Tarrow")
        self.assertEqual(self.strings.get("OriginalFilename"), f"{self.NAME}.exe")
        self.assertTrue(self.strings.get("FileDescription"))
        own = self.manifest.find(f"{ASM_V1}assemblyIdentity")
        self.assertEqual(own.get("version"), self.strings.get("FileVersion"))
        self.assertEqual(
            self.manifest.findtext(f"{ASM_V1}description"), self.strings.get("FileDescription")
        )

    def test_it_carries_its_icon_for_the_taskbar_and_explorer(self):
        sizes = self.exe.icon_sizes(1)
        for size in [(16, 16), (32, 32), (48, 48)]:
            self.assertIn(size, sizes)


class TarrowExecutable(ProgramChecks, unittest.TestCase):
    NAME = "Tarrow"


class RollbackExecutable(ProgramChecks, unittest.TestCase):
    NAME = "rollback"

    def test_it_carries_its_window_picture(self):
        picture = self.exe.resource(RT_RCDATA, 2)
        self.assertTrue(picture.startswith(b"\xff\xd8\xff"), "a JPEG picture")
        self.assertEqual(picture, (Path(__file__).parents[2] / "images" / "rollback.jpg")
                         .read_bytes())


class SetupProgram(unittest.TestCase):
    def test_the_setup_program_is_built_for_the_same_processor_and_asks_for_administrator(self):
        setup = Executable(Path(ARGS.bin) / "Tarrow-setup.exe")
        machine, bits, _ = ARCHITECTURES[ARGS.arch]
        self.assertEqual(hex(setup.machine), hex(machine))
        self.assertEqual(setup.bits, bits)
        manifest = ET.fromstring(setup.resource(RT_MANIFEST, 1))
        level = manifest.find(f".//{ASM_V3}requestedExecutionLevel")
        self.assertIsNotNone(level)
        self.assertEqual(level.get("level"), "requireAdministrator")
        self.assertEqual(setup.version_strings().get("ProductName"), "Tarrow")


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--arch", required=True, choices=sorted(ARCHITECTURES))
    ARGS, rest = parser.parse_known_args()
    unittest.main(argv=[sys.argv[0], "-v", *rest])


if __name__ == "__main__":
    main()

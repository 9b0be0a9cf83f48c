; Tarrow's setup program. It installs Tarrow.exe into its own folder below
; Program Files (always there: /D= is ignored, for a folder that users can
; write to would let them replace a program that runs elevated), and the
; pictures, the uninstaller rollback.exe and its manifest into the "images"
; folder below the system directory, where the programs look for them.
;
; Its own uninstaller first runs rollback.exe, which puts the saved shutdown
; settings back, and waits for it. When rollback.exe could not put them all
; back, the uninstall stops and leaves everything installed (exit code 2);
; /FORCE removes Tarrow all the same and keeps the saved files, saying where
; they lie. /S installs and uninstalls silently: no window, no message.
;
; It refuses to install while Tarrow.msi is installed, and says to remove
; that first: the two would share every file.
;
; makensis -DARCH=x86|amd64 -DVERSION=<major.minor.patch> -DICON=<icon>
;          -DFILES=<installed-files.nsh> -DOUTFILE=<setup exe>
;
; installed-files.nsh, which CMake writes from the one list of installed
; files that Tarrow.msi is made from too, names each file with its source.
;
; The shipped setup is 32-bit (x86). On 64-bit Windows its "system
; directory" is the one a 32-bit GetSystemDirectoryA names, where the 32-bit
; Tarrow.exe looks. The amd64 setup installs the 64-bit test build.

Unicode true
!if "${ARCH}" == "amd64"
    Target amd64-unicode
!else
    Target x86-unicode
!endif

!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "MUI2.nsh"
!include "x64.nsh"

!define PRODUCT "Tarrow"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarrow"
; rollback.exe leaves this value after a complete restore: Tarrow applies
; nothing while it is there, until the uninstall has removed the program.
!define UNINSTALLING_VALUE "UninstallInProgress"
!define IMAGES_DIR "$SYSDIR\images"
!define START_MENU_DIR "$SMPROGRAMS\Tarrow"

!define TARROW_KEY "Software\Tarrow"
!define PACKAGE_KEY "Software\Tarrow\Package"
!if "${ARCH}" == "amd64"
    !define PROGRAM_DIR "$PROGRAMFILES64\Tarrow"
!else
    !define PROGRAM_DIR "$PROGRAMFILES\Tarrow"
!endif

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
InstallDir "${PROGRAM_DIR}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PRODUCT}"
VIAddVersionKey "FileDescription" "Tarrow setup"
VIAddVersionKey "FileVersion" "${VERSION}.0"
VIAddVersionKey "ProductVersion" "${VERSION}.0"
VIAddVersionKey "LegalCopyright" "Tarrow"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Tarrow.exe"
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!include "${FILES}"
!macro InstallFile Source Name
    File "${Source}"
!macroend
!macro RemoveImagesFile Source Name
    ; The manifest is written hidden and system by the program itself.
    SetFileAttributes "${IMAGES_DIR}\${Name}" NORMAL
    Delete "${IMAGES_DIR}\${Name}"
!macroend
!macro RemoveProgramFile Source Name
    Delete "$INSTDIR\${Name}"
!macroend

!macro ForEveryone
    SetShellVarContext all
    !if "${ARCH}" == "amd64"
        SetRegView 64
    !endif
!macroend

Function .onInit
    !insertmacro ForEveryone
    ; /D= was read before this: the folder is Program Files' all the same.
    StrCpy $INSTDIR "${PROGRAM_DIR}"
    ; Tarrow.msi keeps its product code here while it is installed.
    ReadRegStr $0 HKLM "${PACKAGE_KEY}" "ProductCode"
    ${If} $0 != ""
        MessageBox MB_OK|MB_ICONSTOP "Tarrow is already installed from its Windows Installer package (Tarrow.msi). Remove that one first, in the installed programs or with:$\r$\n$\r$\nmsiexec /x $0$\r$\n$\r$\nthen run this setup again." /SD IDOK
        SetErrorLevel 2
        Quit
    ${EndIf}
FunctionEnd

Function un.onInit
    !insertmacro ForEveryone
FunctionEnd

Section "Tarrow"
    SetOutPath "$INSTDIR"
    !insertmacro programFolderFiles InstallFile

    SetOutPath "${IMAGES_DIR}"
    !insertmacro imagesFolderFiles InstallFile

    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateDirectory "${START_MENU_DIR}"
    CreateShortcut "${START_MENU_DIR}\Tarrow.lnk" "$INSTDIR\Tarrow.exe"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tarrow.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
    ${GetParameters} $R0
    ClearErrors
    ${GetOptions} $R0 "/FORCE" $R1
    ${If} ${Errors}
        StrCpy $R1 "no"
    ${Else}
        StrCpy $R1 "yes"
    ${EndIf}

    ; The saved shutdown settings go back first; rollback.exe ends by itself
    ; and tells by its exit code whether all of them are back. Without it,
    ; nothing can put a saved copy back: the uninstall then stops as if it
    ; had failed.
    StrCpy $0 "0"
    ${If} ${FileExists} "${IMAGES_DIR}\rollback.exe"
        ClearErrors
        ExecWait '"${IMAGES_DIR}\rollback.exe"' $0
        ${If} ${Errors}
            StrCpy $0 "not started"
        ${EndIf}
    ${ElseIf} ${FileExists} "$SYSDIR\informationS.dat"
        StrCpy $0 "missing"
    ${EndIf}
    ${If} $0 != "0"
        ; rollback.exe leaves its mark only after a complete restore; none
        ; may outlive an uninstall that stops here.
        DeleteRegValue HKLM "${TARROW_KEY}" "${UNINSTALLING_VALUE}"
        ${If} $R1 != "yes"
            ${If} $0 == "4"
                ; rollback.exe found Tarrow running and put nothing back.
                MessageBox MB_OK|MB_ICONSTOP "Tarrow is running. Close it, then uninstall again." /SD IDOK
            ${ElseIf} $0 == "missing"
                MessageBox MB_OK|MB_ICONSTOP "The uninstaller rollback.exe is missing from ${IMAGES_DIR}, so the saved shutdown settings in $SYSDIR cannot be put back. Tarrow stays installed.$\r$\n$\r$\nStart Tarrow and use its restore, then uninstall again. To remove Tarrow all the same, run its uninstaller with /FORCE." /SD IDOK
            ${Else}
                MessageBox MB_OK|MB_ICONSTOP "Tarrow could not put all of the saved shutdown settings back, so it stays installed and keeps them.$\r$\n$\r$\nStart Tarrow and use its restore, then uninstall again. To remove Tarrow all the same, run its uninstaller with /FORCE." /SD IDOK
            ${EndIf}
            DetailPrint "Tarrow stays installed: rollback.exe ended with $0."
            ; Quit keeps the error level; Abort would end with 0 when silent.
            SetErrorLevel 2
            Quit
        ${EndIf}
        ; The saved files lie in the system directory that a 32-bit program
        ; sees. The 32-bit setup's $SYSDIR names System32 there, which
        ; Windows redirects to SysWOW64 for it alone: a person looks in
        ; SysWOW64.
        StrCpy $1 "$SYSDIR"
        !if "${ARCH}" != "amd64"
            ${If} ${RunningX64}
                StrCpy $1 "$WINDIR\SysWOW64"
            ${EndIf}
        !endif
        DetailPrint "rollback.exe ended with $0; the saved settings stay in $1."
        MessageBox MB_OK|MB_ICONEXCLAMATION "Tarrow is removed, but not all of the saved shutdown settings could be put back. They are kept in $1\informationS.dat and $1\Importreg.dat." /SD IDOK
    ${EndIf}

    !insertmacro imagesFolderFiles RemoveImagesFile
    RMDir "${IMAGES_DIR}"

    !insertmacro programFolderFiles RemoveProgramFile
    SetFileAttributes "$INSTDIR\Tarrow.exe.manifest" NORMAL
    Delete "$INSTDIR\Tarrow.exe.manifest"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"

    Delete "${START_MENU_DIR}\Tarrow.lnk"
    RMDir "${START_MENU_DIR}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"

    ; Last: the mark that kept Tarrow from applying while it was being
    ; removed, and the key when nothing else is left in it. rollback.exe has
    ; deleted AppliedBy itself once everything was back and every marker
    ; "0"; after a forced removal that could not put everything back,
    ; AppliedBy stays beside the saved files: it tells whose they are.
    DeleteRegValue HKLM "${TARROW_KEY}" "${UNINSTALLING_VALUE}"
    DeleteRegKey /ifempty HKLM "${TARROW_KEY}"
SectionEnd

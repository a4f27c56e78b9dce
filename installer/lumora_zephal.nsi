; Setup program of Lumora Zephal: puts the client, the core library and the
; updater in place, creates the settings key the client needs before its first
; start, adds the shortcuts and an uninstaller that leaves nothing behind.
; Built by the "installer" target:
;   makensis -INPUTCHARSET UTF8 -DARCH=x86|x64 -DVERSION=1.7.2.58 -DKIND=demo|release
;            -DBINDIR=<the three programs> -DOUTFILE=<setup.exe> -DICON=<app.ico>
;            [-DSIGN_SCRIPT=sign.sh -DSIGN_PFX=<cert.pfx>] lumora_zephal.nsi
; KIND demo: the stand-in core library, which only simulates connections; the
; setup's title says so, so no one takes it for a release.
; The setup program has the bitness of the client it installs, so its registry
; view (32-bit on 64-bit Windows for x86) is the one that client reads.

Unicode true
!if "${ARCH}" == "x64"
  Target amd64-unicode
  !define PROGRAMS_DIR "$PROGRAMFILES64"
!else
  Target x86-unicode
  !define PROGRAMS_DIR "$PROGRAMFILES"
!endif

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "default_cert.nsh"

!define PRODUCT "Lumora Zephal"
!define PUBLISHER "Lumora"
!define SETTINGS_KEY "Software\ZEPHAL\KAVRO"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Lumora Zephal"
!define CLIENT "lumora_zephal.exe"
!define CERT_SIZE 126
; The client runs elevated, at log-on without a prompt: what it loads, starts
; and keeps must be out of other users' reach. The installation directory:
; owner Administrators, nothing inherited, Administrators and SYSTEM full
; control, Users read and execute (FILE_GENERIC_READ | FILE_GENERIC_EXECUTE).
!define INSTDIR_SDDL "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)"
; The settings key holds the remembered password: Administrators and SYSTEM alone.
!define KEY_SDDL "D:P(A;OICI;KA;;;BA)(A;OICI;KA;;;SY)"

!if "${KIND}" == "demo"
  !define SETUP_NAME "${PRODUCT} (demo)"
!else if "${KIND}" == "release"
  !define SETUP_NAME "${PRODUCT}"
!else
  !error "KIND must be demo or release"
!endif
Name "${SETUP_NAME}"
OutFile "${OUTFILE}"
; Signed with the build's certificate when it has one: the uninstaller before
; it is packed, the setup program once written.
!ifdef SIGN_PFX
  !uninstfinalize 'bash "${SIGN_SCRIPT}" "${SIGN_PFX}" "%1"' = 0
  !finalize 'bash "${SIGN_SCRIPT}" "${SIGN_PFX}" "%1"' = 0
!endif
InstallDir "${PROGRAMS_DIR}\${PRODUCT}"
RequestExecutionLevel admin
ManifestDPIAware true
SetCompressor /SOLID lzma
; No file times in the setup program: the same build gives the same bytes.
SetDateSave off
BrandingText "${SETUP_NAME} ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${CLIENT}"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${SETUP_NAME} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Copyright (C) ${PUBLISHER}"

; Ends the process owning window $R0 by posting it message $R1 with wParam $R2
; and waiting up to 15 s for the process to end. $R3 = 1 when it ended.
; Closing the window is not enough: the files stay in use until the process
; is gone, and the client saves its settings on the way out.
!macro END_WINDOW_OWNER un
Function ${un}EndWindowOwner
  StrCpy $R3 0
  System::Call 'user32::GetWindowThreadProcessId(p $R0, *i .r4) i'
  System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r4) p .r5'
  System::Call 'user32::PostMessage(p $R0, i $R1, p $R2, p 0) i'
  ${If} $5 != 0
    System::Call 'kernel32::WaitForSingleObject(p r5, i 15000) i .r6'
    System::Call 'kernel32::CloseHandle(p r5)'
    ${If} $6 == 0
      StrCpy $R3 1
    ${EndIf}
  ${EndIf}
FunctionEnd

; A running updater or client would keep the files in use. The updater closes
; on WM_CLOSE; the client is asked through its tray menu's exit command (220),
; which saves its settings and ends it (asking the user first only while a
; connection is up). If it is still running, the user may retry or give up;
; a silent run gives up and changes nothing.
Function ${un}CloseRunning
  FindWindow $R0 "ZephalUpdater" "Zephal Acc Updater"
  ${If} $R0 != 0
    StrCpy $R1 0x10
    StrCpy $R2 0
    Call ${un}EndWindowOwner
  ${EndIf}
  retry:
  FindWindow $R0 "Zephal_Acc"
  ${If} $R0 != 0
    StrCpy $R1 0x111
    StrCpy $R2 220
    Call ${un}EndWindowOwner
    ${If} $R3 != 1
      MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} 仍在运行，请先退出它，再点“重试”。" /SD IDCANCEL IDRETRY retry
      SetErrorLevel 3
      Abort "${PRODUCT} 仍在运行。"
    ${EndIf}
  ${EndIf}
FunctionEnd
!macroend
!insertmacro END_WINDOW_OWNER ""
!insertmacro END_WINDOW_OWNER "un."

; Writes the default "cert" unless a usable one is there already, so that a
; reinstallation keeps the user's saved login and options.
Function WriteCertUnlessPresent
  StrCpy $3 0
  ; HKEY_LOCAL_MACHINE, sign-extended as the system defines it; KEY_QUERY_VALUE.
  System::Call 'advapi32::RegOpenKeyExW(p -2147483646, w "${SETTINGS_KEY}", i 0, i 1, *p .r0) i .r1'
  ${If} $1 == 0
    System::Call 'advapi32::RegQueryValueExW(p r0, w "cert", p 0, *i .r2, p 0, *i .r3) i .r1'
    System::Call 'advapi32::RegCloseKey(p r0)'
    ; REG_BINARY (3) of at least the full size is the client's own value.
    ${If} $1 == 0
    ${AndIf} $2 == 3
    ${AndIf} $3 >= ${CERT_SIZE}
      Return
    ${EndIf}
  ${EndIf}
  WriteRegBin HKLM "${SETTINGS_KEY}" "cert" "${DEFAULT_CERT}"
FunctionEnd

; Gives $INSTDIR the protected DACL and owner of INSTDIR_SDDL, whether it was
; made just now or existed (also one given with /D=). $R9 = 0 on success.
Function ProtectInstallDir
  StrCpy $R9 1
  StrCpy $R8 "${INSTDIR_SDDL}"
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w R8, i 1, *p .R7, p 0) i .R6'
  ${If} $R6 == 0
    Return
  ${EndIf}
  System::Call 'advapi32::GetSecurityDescriptorOwner(p R7, *p .R5, *i .R4) i'
  System::Call 'advapi32::GetSecurityDescriptorDacl(p R7, *i .R4, *p .R3, *i .R4) i'
  ; SE_FILE_OBJECT; OWNER | DACL | PROTECTED_DACL_SECURITY_INFORMATION.
  System::Call 'advapi32::SetNamedSecurityInfoW(w "$INSTDIR", i 1, i 0x80000005, p R5, p 0, p R3, p 0) i .R9'
  System::Call 'kernel32::LocalFree(p R7)'
FunctionEnd

; Gives the settings key the DACL of KEY_SDDL (its registry view is this
; program's, the client's). Sets the error flag when it fails.
Function ProtectSettingsKey
  StrCpy $R8 "${KEY_SDDL}"
  ; HKEY_LOCAL_MACHINE; WRITE_DAC.
  System::Call 'advapi32::RegOpenKeyExW(p -2147483646, w "${SETTINGS_KEY}", i 0, i 0x40000, *p .R7) i .R6'
  ${If} $R6 != 0
    SetErrors
    Return
  ${EndIf}
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w R8, i 1, *p .R5, p 0) i .R4'
  ${If} $R4 == 0
    SetErrors
  ${Else}
    ; DACL | PROTECTED_DACL_SECURITY_INFORMATION.
    System::Call 'advapi32::RegSetKeySecurity(p R7, i 0x80000004, p R5) i .R6'
    System::Call 'kernel32::LocalFree(p R5)'
    ${If} $R6 != 0
      SetErrors
    ${EndIf}
  ${EndIf}
  System::Call 'advapi32::RegCloseKey(p R7)'
FunctionEnd

Section "${PRODUCT}" SecMain
  SectionIn RO
  Call CloseRunning

  ; Protected before anything goes in. Where that cannot be done (a drive
  ; without permissions, FAT) the client would run elevated from a folder
  ; anyone may change: no installation, and no empty folder left behind.
  CreateDirectory "$INSTDIR"
  Call ProtectInstallDir
  ${If} $R9 != 0
    RMDir "$INSTDIR"
    MessageBox MB_OK|MB_ICONSTOP "无法设置安装目录 $INSTDIR 的访问权限，请选择 NTFS 磁盘上的目录。" /SD IDOK
    SetErrorLevel 5
    Abort "无法设置安装目录的访问权限。"
  ${EndIf}
  SetOutPath "$INSTDIR"
  ; Written afresh, so each takes the folder's permissions: an existing file
  ; keeps its own DACL and owner when it is only overwritten. A pending
  ; updater from before would replace the one installed now.
  Delete "$INSTDIR\${CLIENT}"
  Delete "$INSTDIR\Zephal_Core.dll"
  Delete "$INSTDIR\updater.exe"
  Delete "$INSTDIR\_updater.exe"
  Delete "$INSTDIR\uninstall.exe"
  File "${BINDIR}/${CLIENT}"
  File "${BINDIR}/Zephal_Core.dll"
  File "${BINDIR}/updater.exe"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The settings key: the installation directory ending in a backslash as its
  ; default value (a drive root already ends in one), and "cert".
  StrCpy $0 "$INSTDIR" "" -1
  ${If} $0 == "\"
    StrCpy $0 "$INSTDIR"
  ${Else}
    StrCpy $0 "$INSTDIR\"
  ${EndIf}
  ClearErrors
  WriteRegStr HKLM "${SETTINGS_KEY}" "" "$0"
  Call WriteCertUnlessPresent
  Call ProtectSettingsKey
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "无法写入设置注册表项 HKLM\${SETTINGS_KEY}。" /SD IDOK
    SetErrorLevel 4
    Abort "无法写入设置注册表项。"
  ${EndIf}

  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\${CLIENT}"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\卸载 ${PRODUCT}.lnk" "$INSTDIR\uninstall.exe"
  CreateShortCut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\${CLIENT}"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${CLIENT},0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Call un.CloseRunning
  ; The log-on task the client registers beside its Run entry (none is fine),
  ; first, so nothing starts the client while its files go.
  nsExec::Exec '"$SYSDIR\schtasks.exe" /delete /tn ZephalAcc /f'
  Pop $0

  ; Our programs and the files they write beside themselves; one still in use
  ; goes at the next restart. The directory goes only when nothing else is
  ; left in it; what stays keeps the directory's protected DACL, which nothing
  ; here changes.
  Delete /REBOOTOK "$INSTDIR\${CLIENT}"
  Delete /REBOOTOK "$INSTDIR\Zephal_Core.dll"
  Delete /REBOOTOK "$INSTDIR\updater.exe"
  Delete /REBOOTOK "$INSTDIR\_updater.exe"
  Delete /REBOOTOK "$INSTDIR\lumora_zephal.log"
  Delete /REBOOTOK "$INSTDIR\updater.log"
  Delete /REBOOTOK "$INSTDIR\core-calls.log"
  Delete /REBOOTOK "$INSTDIR\uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"

  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\卸载 ${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  Delete "$DESKTOP\${PRODUCT}.lnk"

  DeleteRegValue HKLM "${RUN_KEY}" "ZephalAcc"
  DeleteRegKey HKLM "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKLM "Software\ZEPHAL"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; The kvRemote installer, one per architecture (built by installer/Package.cmake with makensis):
;   makensis -DARCH=win64|win32 -DVERSION=2.0 -DVERSION4=2.0.0.0 -DVERSION_MAJOR=2 -DVERSION_MINOR=0
;            -DPUBLISHER=Korvane -DCOPYRIGHT=... -DPROGRAM=... -DKVCOM=... -DKVLISTEN=... -DDLLCHECK=... -DNOTES=...
;            -DICON=... -DOUTFILE=... [-DSIGN=sign.sh] kvRemote.nsi
; Per machine into Program Files; all-users Start-menu shortcut; the shared settings folder, owned
; by the Administrators group, with modify rights for the Users group; the user's own
; interception.dll, checked by kvdllcheck and copied beside the program (the driver and its library
; are never part of this installer). With SIGN, the installer and its uninstaller are signed by
; that script (the shipped files come signed already).
; Silent: setup.exe /S [/INTERCEPTIONDLL=path] [/NOAUTOSTART] [/D=folder]. Its log is
; install.log in the program's folder, written afresh by each run.

Unicode true
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel admin
; A file that cannot be written ends the run (exit code 2) instead of being skipped.
AllowSkipFiles off

!ifdef SIGN
  !finalize 'sh "${SIGN}" "%1"' = 0
  !uninstfinalize 'sh "${SIGN}" "%1"' = 0
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include TextFunc.nsh
!include WordFunc.nsh
!include Sections.nsh
!include nsDialogs.nsh
!include x64.nsh

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\kvRemote"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!if "${ARCH}" == "win64"
  !define DLL_MACHINE x64
  !define BITS 64
  !define OTHER_BITS 32
  !define DEFAULT_DIR "$PROGRAMFILES64\kvRemote"
!else
  !define DLL_MACHINE x86
  !define BITS 32
  !define OTHER_BITS 64
  !define DEFAULT_DIR "$PROGRAMFILES\kvRemote"
!endif
!define DISPLAY_NAME "kvRemote (${BITS}-bit)"
!define NO_LIBRARY "kvRemote runs without capture until the Interception driver's interception.dll (${DLL_MACHINE}) is placed in $INSTDIR. It comes with the Interception driver's own distribution, in its library folder: install the driver from there, then copy that file beside kvRemote.exe."
; Every file the installer writes into the program's folder, and its uninstaller removes.
; The programs come first: the uninstaller checks all but its own file for being in use.
!define PROGRAM_FILES "kvRemote.exe kvlisten.exe KvCom.dll interception.dll README.txt uninstall.exe"

; No InstallDir: $INSTDIR is empty in .onInit unless /D= gave a folder, which then wins over the
; folder of an earlier installation.
Name "kvRemote ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "kvRemote ${VERSION}"
VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey "ProductName" "kvRemote"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "kvRemote ${VERSION} setup (${DLL_MACHINE})"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${COPYRIGHT}"

Var LibraryPath    ; the interception.dll to copy, from the page or /INTERCEPTIONDLL=
Var LibraryField
Var LibraryOk      ; 1 when kvdllcheck accepted the library checked last
Var LibraryVerdict ; kvdllcheck's words about it
Var KeptLibrary    ; the earlier installation's interception.dll, if there is one
Var OldDir         ; the earlier installation's folder, from its registration
Var Account        ; the account this runs as, for the log and the sign-in entry
Var LogStarted

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the notes on the first run"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
Page custom LibraryPageShow LibraryPageLeave
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; A line in the details list and in install.log.
!macro Log text
  DetailPrint "${text}"
  Push "${text}"
  Call AppendLog
!macroend

; Starts install.log afresh on the first line of a run, with its header.
Function StartLog
  StrCpy $LogStarted 1
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  CreateDirectory "$INSTDIR"
  FileOpen $0 "$INSTDIR\install.log" w
  FileClose $0
  ${GetTime} "" "L" $0 $1 $2 $3 $4 $5 $6
  !insertmacro Log "kvRemote ${VERSION} setup (${DLL_MACHINE}), $2-$1-$0 $4:$5:$6"
  !insertmacro Log "account: $Account"
  !insertmacro Log "command line: $CMDLINE"
  !insertmacro Log "folder: $INSTDIR"
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; Appends a line in UTF-8 (FileWrite would write the ANSI code page).
Function AppendLog
  Exch $0
  Push $1
  Push $2
  Push $3
  ${If} $LogStarted == ""
    Call StartLog
  ${EndIf}
  StrCpy $0 "$0$\r$\n"
  ClearErrors
  FileOpen $1 "$INSTDIR\install.log" a
  ${IfNot} ${Errors}
    FileSeek $1 0 END
    System::Call 'kernel32::WideCharToMultiByte(i 65001, i 0, w r0, i -1, p 0, i 0, p 0, p 0) i .r2'
    System::Alloc $2
    Pop $3
    System::Call 'kernel32::WideCharToMultiByte(i 65001, i 0, w r0, i -1, p r3, i r2, p 0, p 0)'
    IntOp $2 $2 - 1
    System::Call 'kernel32::WriteFile(p r1, p r3, i r2, *i 0, p 0)'
    System::Free $3
    FileClose $1
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; The account this runs as (DOMAIN\name), into $Account.
!macro ReadAccount
  System::Call 'secur32::GetUserNameExW(i 2, w .r0, *i ${NSIS_MAX_STRLEN}) i .r1'
  ${If} $1 == 0
  ${OrIf} $0 == ""
    UserInfo::GetName
    Pop $0
  ${EndIf}
  StrCpy $Account $0
!macroend

; Ends the run with exit code 740 before anything is written when the account is not an
; administrator (with UAC off, or when elevation was refused).
!macro RequireAdministrator
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "Admin"
    MessageBox MB_ICONSTOP "kvRemote is installed and removed for all users of this computer: run this as an administrator." /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
!macroend

; Runs kvdllcheck on the library on the stack: sets LibraryOk and LibraryVerdict.
Function CheckLibrary
  Exch $9
  InitPluginsDir
  File "/oname=$PLUGINSDIR\kvdllcheck.exe" "${DLLCHECK}"
  nsExec::ExecToStack '"$PLUGINSDIR\kvdllcheck.exe" ${DLL_MACHINE} "$9"'
  Pop $0
  Pop $1
  ${TrimNewLines} $1 $LibraryVerdict
  ${If} $0 == 0
    StrCpy $LibraryOk 1
  ${Else}
    StrCpy $LibraryOk 0
    ${If} $LibraryVerdict == ""
      StrCpy $LibraryVerdict "not readable (the check could not run: $0)"
    ${EndIf}
  ${EndIf}
  Pop $9
FunctionEnd

; The earlier installation's library, in the chosen folder or in the folder it moves from.
Function FindKeptLibrary
  StrCpy $KeptLibrary ""
  ${If} ${FileExists} "$INSTDIR\interception.dll"
    StrCpy $KeptLibrary "$INSTDIR\interception.dll"
  ${ElseIf} $OldDir != ""
  ${AndIf} ${FileExists} "$OldDir\interception.dll"
    StrCpy $KeptLibrary "$OldDir\interception.dll"
  ${EndIf}
FunctionEnd

Function LibraryPageShow
  ; An upgrade keeps the library copied before, without asking, when it still passes the check.
  StrCpy $2 ""
  Call FindKeptLibrary
  ${If} $KeptLibrary != ""
    Push $KeptLibrary
    Call CheckLibrary
    ${If} $LibraryOk == 1
      Abort
    ${EndIf}
    StrCpy $2 "The library of the earlier installation, $KeptLibrary, cannot be used: it is $LibraryVerdict. "
  ${EndIf}
  StrCpy $LibraryOk ""
  !insertmacro MUI_HEADER_TEXT "Interception library" "The driver's interception.dll, which kvRemote needs to capture"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 40u "$2kvRemote reads the auxiliary keyboards and mice through the Interception driver. Install the driver from its own distribution, then choose the ${DLL_MACHINE} interception.dll in that distribution's library folder. Setup checks the file and copies it beside kvRemote.exe."
  Pop $0
  ${NSD_CreateFileRequest} 0 44u -62u 12u "$LibraryPath"
  Pop $LibraryField
  ${NSD_CreateBrowseButton} -58u 43u 58u 14u "Browse..."
  Pop $0
  ${NSD_OnClick} $0 BrowseLibrary
  ${NSD_CreateLabel} 0 64u 100% 30u "Leave it empty to install without it; kvRemote then runs without capture until the file is placed in its folder."
  Pop $0
  nsDialogs::Show
FunctionEnd

Function BrowseLibrary
  nsDialogs::SelectFileDialog open "$LibraryPath" "interception.dll|interception.dll|DLL files (*.dll)|*.dll"
  Pop $0
  ${If} $0 != ""
    ${NSD_SetText} $LibraryField $0
  ${EndIf}
FunctionEnd

Function LibraryPageLeave
  ${NSD_GetText} $LibraryField $LibraryPath
  ${If} $LibraryPath == ""
    MessageBox MB_OKCANCEL|MB_ICONEXCLAMATION "${NO_LIBRARY}$\r$\n$\r$\nInstall without it?" IDOK +2
    Abort
    Return
  ${EndIf}
  Push $LibraryPath
  Call CheckLibrary
  ${If} $LibraryOk != 1
    MessageBox MB_ICONSTOP "$LibraryPath cannot be used: it is $LibraryVerdict."
    Abort
  ${EndIf}
FunctionEnd

; Stops the run while a file of the program's folder on the stack cannot be written (Windows keeps
; a running program's files from being written): asks to end it and retry, or gives up (in a silent
; run at once, exit code 2). Nothing is changed before every file passed.
!macro FileWritable un
Function ${un}FileWritable
  Exch $9
  ${DoWhile} ${FileExists} "$9"
    ClearErrors
    FileOpen $0 "$9" a
    ${IfNot} ${Errors}
      FileClose $0
      ${Break}
    ${EndIf}
    ${GetFileName} "$9" $1
    ${If} $1 == "kvRemote.exe"
      StrCpy $1 "kvRemote is running. End it with Exit in its tray menu (the copy of every signed-in user), then choose Retry."
    ${Else}
      StrCpy $1 "$9 is in use or cannot be written. End the program that uses it (kvlisten is ended with Ctrl+C), then choose Retry."
    ${EndIf}
    ${If} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$1" /SD IDCANCEL IDCANCEL`
!if "${un}" == ""
      !insertmacro Log "stopped: $9 is in use or cannot be written"
!endif
      Abort "$9 is in use or cannot be written"
    ${EndIf}
  ${Loop}
  Pop $9
FunctionEnd

; Checks the files of the program's folder on the stack: the installer all of them, the uninstaller
; all but itself.
Function ${un}ProgramFilesWritable
  Exch $8
!if "${un}" == ""
  ${ForEach} $7 1 6 + 1
!else
  ${ForEach} $7 1 5 + 1
!endif
    ${WordFind} "${PROGRAM_FILES}" " " "+$7" $6
    Push "$8\$6"
    Call ${un}FileWritable
  ${Next}
  Pop $8
FunctionEnd
!macroend
!insertmacro FileWritable ""
!insertmacro FileWritable "un."

; Whether a file or folder on the stack is a reparse point (a junction or a symbolic link):
; pushes 1 or 0.
Function IsReparsePoint
  Exch $0
  System::Call 'kernel32::GetFileAttributesW(w r0) i .r0'
  ${If} $0 = -1
    StrCpy $0 0
  ${Else}
    IntOp $0 $0 & 0x400 ; FILE_ATTRIBUTE_REPARSE_POINT
    ${If} $0 <> 0
      StrCpy $0 1
    ${EndIf}
  ${EndIf}
  Exch $0
FunctionEnd

; The owner of the folder on the stack: pushes "trusted" when it is the Administrators group or
; SYSTEM, else the owner's SID.
Function FolderOwner
  Exch $0
  Push $1
  Push $2
  Push $3
  System::Call 'advapi32::GetNamedSecurityInfoW(w r0, i 1, i 1, *p .r1, p 0, p 0, p 0, *p .r2) i .r3'
  ${If} $3 <> 0
    StrCpy $0 "unknown (error $3)"
  ${Else}
    System::Call 'advapi32::IsWellKnownSid(p r1, i 26) i .r3' ; WinBuiltinAdministratorsSid
    ${If} $3 = 0
      System::Call 'advapi32::IsWellKnownSid(p r1, i 22) i .r3' ; WinLocalSystemSid
    ${EndIf}
    ${If} $3 <> 0
      StrCpy $0 "trusted"
    ${Else}
      System::Call 'advapi32::ConvertSidToStringSidW(p r1, *w .r0)'
    ${EndIf}
    System::Call 'kernel32::LocalFree(p r2)'
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

; One rights change through the system's icacls, its arguments on the stack. The exit code alone
; judges it: pushes 1 when it was 0, else logs the warning, sets exit code 3 and pushes 0.
Function Icacls
  Exch $0
  Push $1
  !insertmacro Log "run: $\"$SYSDIR\icacls.exe$\" $0"
  nsExec::ExecToStack '"$SYSDIR\icacls.exe" $0'
  Pop $0
  Pop $1
  !insertmacro Log "icacls exit code: $0"
  ${If} $0 == 0
    StrCpy $0 1
  ${Else}
    !insertmacro Log "warning: the settings folder is not shared: icacls failed ($0); other users cannot save their settings"
    MessageBox MB_ICONEXCLAMATION "Setup could not set the rights of the settings folder (icacls ended with $0), so other users cannot save their kvRemote settings. The commands are in $INSTDIR\install.log." /SD IDOK
    SetErrorLevel 3
    StrCpy $0 0
  ${EndIf}
  Pop $1
  Exch $0
FunctionEnd

!macro Icacls args
  Push `${args}`
  Call Icacls
  Pop $0
  ${If} $0 != 1
    Return
  ${EndIf}
!macroend

; The settings folder %ProgramData%\Korvane\cfg, shared by all users: the Administrators group owns
; Korvane and cfg; Korvane inherits nothing and gives SYSTEM and Administrators full control and
; Users read; cfg gives Users modify, inherited by its files. A junction or link at either is left
; alone (icacls would follow it); a Korvane that another account owns (any user can create it
; first) is renamed aside and made afresh, with the settings copied over.
Function ShareSettingsFolder
  SetShellVarContext all
  StrCpy $R0 "$APPDATA\Korvane"
  StrCpy $R1 "$R0\cfg"
  ${ForEach} $R2 0 1 + 1
    ${If} $R2 == 0
      StrCpy $R3 $R0
    ${Else}
      StrCpy $R3 $R1
    ${EndIf}
    Push $R3
    Call IsReparsePoint
    Pop $0
    ${If} $0 == 1
      !insertmacro Log "warning: the settings folder is not shared: $R3 is a junction or link, its rights are left as they are"
      MessageBox MB_ICONEXCLAMATION "$R3 is a junction or link, so Setup left its rights alone and other users cannot save their kvRemote settings. Remove it, then run Setup again." /SD IDOK
      SetErrorLevel 3
      Return
    ${EndIf}
  ${Next}

  System::Call 'kernel32::GetFileAttributesW(w R0) i .r0'
  ${If} $0 <> -1
    Push $R0
    Call FolderOwner
    Pop $R2
    ${If} $R2 != "trusted"
      ${GetTime} "" "L" $0 $1 $2 $3 $4 $5 $6
      StrCpy $R3 "$R0.old-$2$1$0"
      StrCpy $R4 1
      ${DoWhile} ${FileExists} "$R3"
        IntOp $R4 $R4 + 1
        StrCpy $R3 "$R0.old-$2$1$0-$R4"
      ${Loop}
      ClearErrors
      Rename "$R0" "$R3"
      ${If} ${Errors}
        !insertmacro Log "warning: the settings folder is not shared: $R0 is owned by $R2 and could not be renamed"
        MessageBox MB_ICONEXCLAMATION "$R0 belongs to another account and could not be renamed, so other users cannot save their kvRemote settings." /SD IDOK
        SetErrorLevel 3
        Return
      ${EndIf}
      !insertmacro Log "$R0 was owned by $R2, not by Administrators or SYSTEM: renamed to $R3"
      CreateDirectory "$R1"
      ${If} ${FileExists} "$R3\cfg\kvRemote.ini"
        CopyFiles /SILENT /FILESONLY "$R3\cfg\kvRemote.ini" "$R1\kvRemote.ini"
        !insertmacro Log "settings copied from $R3\cfg\kvRemote.ini"
      ${EndIf}
    ${EndIf}
  ${EndIf}
  CreateDirectory "$R1"

  !insertmacro Icacls `"$R0" /setowner *S-1-5-32-544 /L`
  !insertmacro Icacls `"$R0" /inheritance:r /grant:r *S-1-5-18:(OI)(CI)F *S-1-5-32-544:(OI)(CI)F *S-1-5-32-545:(OI)(CI)RX /L`
  !insertmacro Icacls `"$R1" /setowner *S-1-5-32-544 /L`
  !insertmacro Icacls `"$R1" /grant:r *S-1-5-32-545:(OI)(CI)M /L`
FunctionEnd

; The text of the sign-in value after the quoted program path in folder $1, into $0, or "-" when
; the value does not name that program.
Function RunValueTail
  ReadRegStr $0 HKCU "${RUN_KEY}" "kvRemote"
  StrCpy $2 '"$1\kvRemote.exe"'
  StrLen $3 $2
  StrCpy $4 $0 $3
  ${If} $1 == ""
  ${OrIf} $4 != $2 ; StrCmp ignores case, as paths do
    StrCpy $0 "-"
  ${Else}
    StrCpy $0 $0 "" $3
  ${EndIf}
FunctionEnd

Section "kvRemote" SecProgram
  SectionIn RO
  Push $INSTDIR
  Call ProgramFilesWritable
  ${If} $OldDir != ""
  ${AndIf} $OldDir != $INSTDIR
    Push $OldDir
    Call ProgramFilesWritable
  ${EndIf}
  SetOutPath "$INSTDIR"
  File "/oname=kvRemote.exe" "${PROGRAM}"
  File "/oname=KvCom.dll" "${KVCOM}"
  File "/oname=kvlisten.exe" "${KVLISTEN}"
  File "/oname=README.txt" "${NOTES}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  !insertmacro Log "kvRemote ${VERSION} (${DLL_MACHINE}) installed into $INSTDIR"

  Call ShareSettingsFolder

  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\kvRemote.lnk" "$INSTDIR\kvRemote.exe" "" "$INSTDIR\kvRemote.exe" 0
  !insertmacro Log "shortcut: $SMPROGRAMS\kvRemote.lnk"

  ${If} $LibraryPath != ""
    ${If} $LibraryOk == ""
      Push $LibraryPath
      Call CheckLibrary ; silent install: the page did not check it
    ${EndIf}
    ${If} $LibraryOk == 1
      ClearErrors
      CopyFiles /SILENT /FILESONLY "$LibraryPath" "$INSTDIR\interception.dll"
      ${If} ${Errors}
        !insertmacro Log "interception.dll could not be copied from $LibraryPath"
        SetErrorLevel 3
      ${Else}
        !insertmacro Log "interception.dll copied from $LibraryPath"
      ${EndIf}
    ${Else}
      !insertmacro Log "interception.dll refused: $LibraryPath is $LibraryVerdict"
      SetErrorLevel 3
    ${EndIf}
  ${Else}
    ; The earlier installation's library is checked again, as a given one is.
    Call FindKeptLibrary
    ${If} $KeptLibrary != ""
      Push $KeptLibrary
      Call CheckLibrary
      ${If} $LibraryOk == 1
        ${If} $KeptLibrary != "$INSTDIR\interception.dll"
          CopyFiles /SILENT /FILESONLY "$KeptLibrary" "$INSTDIR\interception.dll"
        ${EndIf}
        !insertmacro Log "interception.dll kept from the earlier installation ($KeptLibrary)"
      ${Else}
        !insertmacro Log "interception.dll of the earlier installation refused: $KeptLibrary is $LibraryVerdict"
        Delete "$INSTDIR\interception.dll"
        SetErrorLevel 3
      ${EndIf}
    ${EndIf}
  ${EndIf}
  ${IfNot} ${FileExists} "$INSTDIR\interception.dll"
    !insertmacro Log "warning: ${NO_LIBRARY}"
  ${EndIf}

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${DISPLAY_NAME}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\kvRemote.exe,0"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "VersionMajor" ${VERSION_MAJOR}
  WriteRegDWORD HKLM "${UNINST_KEY}" "VersionMinor" ${VERSION_MINOR}
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0
  !insertmacro Log "registered: HKLM\${UNINST_KEY} ($\"${DISPLAY_NAME}$\")"

  ; An upgrade into another folder moves the installation: the old folder goes as its uninstaller
  ; would remove it; the settings stay.
  ${If} $OldDir != ""
  ${AndIf} $OldDir != $INSTDIR
    ${ForEach} $7 1 6 + 1
      ${WordFind} "${PROGRAM_FILES}" " " "+$7" $6
      Delete "$OldDir\$6"
    ${Next}
    Delete "$OldDir\install.log"
    RMDir "$OldDir"
    !insertmacro Log "moved from $OldDir: its files and uninstaller removed"
  ${EndIf}
SectionEnd

; For the account that installs only: the driver's library opens the devices for one program, so
; a second signed-in user's copy would only find the driver missing. Each user sets their own with
; "Start when I sign in" in kvRemote's tray menu.
Section "Start kvRemote when I sign in" SecAutostart
  StrCpy $1 $INSTDIR
  Call RunValueTail
  ${If} $0 == "-"
    StrCpy $1 $OldDir
    Call RunValueTail
    ${If} $0 == "-"
      StrCpy $0 ""
    ${EndIf}
    WriteRegStr HKCU "${RUN_KEY}" "kvRemote" '"$INSTDIR\kvRemote.exe"$0'
  ${EndIf}
  ReadRegStr $0 HKCU "${RUN_KEY}" "kvRemote"
  !insertmacro Log "start at sign-in for $Account: HKCU\${RUN_KEY}\kvRemote = $0"
SectionEnd

Section "-RemoveAutostart"
  ${IfNot} ${SectionIsSelected} ${SecAutostart}
    StrCpy $1 $INSTDIR
    Call RunValueTail
    StrCpy $5 $0
    StrCpy $1 $OldDir
    Call RunValueTail
    ${If} $0 != "-"
    ${OrIf} $5 != "-"
      DeleteRegValue HKCU "${RUN_KEY}" "kvRemote"
    ${EndIf}
    !insertmacro Log "no start at sign-in for $Account"
  ${EndIf}
SectionEnd

; Sets LibraryPath from the command line's /INTERCEPTIONDLL=path, whether the whole option is quoted
; ("/INTERCEPTIONDLL=C:\a b\interception.dll", as most shells and launchers quote an argument with
; blanks) or only its value (/INTERCEPTIONDLL="C:\a b\interception.dll").
!define LIBRARY_OPTION "/INTERCEPTIONDLL="
Function ReadLibraryOption
  StrCpy $LibraryPath ""
  ${GetParameters} $0
  StrLen $1 $0
  StrLen $8 "${LIBRARY_OPTION}"
  StrCpy $2 0
  ${DoWhile} $2 < $1
    StrCpy $3 $0 $8 $2
    ${If} $3 == "${LIBRARY_OPTION}" ; StrCmp ignores case
      IntOp $4 $2 + $8
      StrCpy $9 " "
      ${If} $2 > 0
        IntOp $5 $2 - 1
        StrCpy $6 $0 1 $5
        ${If} $6 == '"'
          StrCpy $9 '"'
        ${EndIf}
      ${EndIf}
      StrCpy $7 $0 1 $4
      ${If} $9 == " "
      ${AndIf} $7 == '"'
        StrCpy $9 '"'
        IntOp $4 $4 + 1
      ${EndIf}
      StrCpy $5 $4
      ${Do}
        StrCpy $7 $0 1 $5
        ${If} $7 == ""
        ${OrIf} $7 == $9
          ${ExitDo}
        ${EndIf}
        IntOp $5 $5 + 1
      ${Loop}
      IntOp $5 $5 - $4
      StrCpy $LibraryPath $0 $5 $4
      ${Break}
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
  ; A relative path is relative to the folder the installer was started in, which SetOutPath
  ; changes later.
  ${If} $LibraryPath != ""
    System::Call 'kernel32::GetFullPathNameW(w "$LibraryPath", i ${NSIS_MAX_STRLEN}, w .r0, p 0) i .r1'
    ${If} $1 <> 0
      StrCpy $LibraryPath $0
    ${EndIf}
  ${EndIf}
FunctionEnd

Function .onInit
  !insertmacro RequireAdministrator
  ; The driver has no ARM64 build; the 32-bit installer would run there under emulation.
  ${If} ${IsNativeARM64}
    MessageBox MB_ICONSTOP "kvRemote does not run on ARM64 Windows: the Interception driver has no ARM64 version." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!if "${ARCH}" == "win64"
  ${IfNot} ${IsNativeAMD64}
    MessageBox MB_ICONSTOP "This is the 64-bit kvRemote. On 32-bit Windows use kvRemote-${VERSION}-win32-setup.exe." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  SetRegView 32
  ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
  SetRegView 64
!else
  StrCpy $0 ""
  ${If} ${RunningX64}
    SetRegView 64
    ReadRegStr $0 HKLM "${UNINST_KEY}" "InstallLocation"
    SetRegView 32
  ${EndIf}
!endif
  ; The other architecture's installation shares the Start-menu shortcut and the sign-in entry:
  ; the two cannot live side by side.
  ${If} $0 != ""
    MessageBox MB_ICONSTOP "kvRemote (${OTHER_BITS}-bit) is installed in $0. Uninstall it first (Apps & features), then run this Setup again." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}

  !insertmacro ReadAccount
  Call ReadLibraryOption
  ReadRegStr $OldDir HKLM "${UNINST_KEY}" "InstallLocation"
  ${If} $INSTDIR == ""
    StrCpy $INSTDIR "${DEFAULT_DIR}"
    ${If} $OldDir != ""
      StrCpy $INSTDIR $OldDir
    ${EndIf}
  ${EndIf}
  ; An upgrade keeps what this account had: on when its sign-in value names the earlier program.
  ${If} $OldDir != ""
    StrCpy $1 $OldDir
    Call RunValueTail
    ${If} $0 == "-"
      !insertmacro UnselectSection ${SecAutostart}
    ${EndIf}
  ${EndIf}
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOAUTOSTART" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecAutostart}
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro RequireAdministrator
!if "${ARCH}" == "win64"
  SetRegView 64
!endif
  !insertmacro ReadAccount
FunctionEnd

; Removes the program, the copied library, the shortcut, this account's sign-in entry and the
; registration; the settings folder and kvRemote.ini stay.
Section "Uninstall"
  Push $INSTDIR
  Call un.ProgramFilesWritable
  SetShellVarContext all
  ${ForEach} $7 1 6 + 1
    ${WordFind} "${PROGRAM_FILES}" " " "+$7" $6
    Delete "$INSTDIR\$6"
  ${Next}
  Delete "$INSTDIR\install.log"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\kvRemote.lnk"
  ReadRegStr $0 HKCU "${RUN_KEY}" "kvRemote"
  StrCpy $2 '"$INSTDIR\kvRemote.exe"'
  StrLen $3 $2
  StrCpy $4 $0 $3
  ${If} $4 == $2
    DeleteRegValue HKCU "${RUN_KEY}" "kvRemote"
    DetailPrint "Removed the sign-in entry of $Account."
  ${EndIf}
  DetailPrint "Other users' sign-in entries stay; Windows skips an entry whose program is gone."
  DeleteRegKey HKLM "${UNINST_KEY}"
SectionEnd

; The kvRemote installer, one per architecture (built by installer/CMakeLists.txt with makensis):
;   makensis -DARCH=win64|win32 -DVERSION=2.0 -DPROGRAM=... -DKVCOM=... -DKVLISTEN=...
;            -DDLLCHECK=... -DICON=... -DOUTFILE=... kvRemote.nsi
; Per machine into Program Files; all-users Start-menu shortcut; the shared configuration folder
; with modify rights for the Users group; the user's own interception.dll, checked by kvdllcheck
; and copied beside the program (the driver and its library are never part of this installer).
; Silent: setup.exe /S [/INTERCEPTIONDLL=path] [/NOAUTOSTART] [/D=folder]. Its log is
; install.log in the program's folder.

Unicode true
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include TextFunc.nsh
!include Sections.nsh
!include nsDialogs.nsh
!include x64.nsh

!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\kvRemote"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define PUBLISHER "Korvane"
!if "${ARCH}" == "win64"
  !define DLL_MACHINE x64
  InstallDir "$PROGRAMFILES64\kvRemote"
!else
  !define DLL_MACHINE x86
  InstallDir "$PROGRAMFILES\kvRemote"
!endif
!define NO_LIBRARY "kvRemote will not start until the Interception driver's interception.dll (${DLL_MACHINE}) is placed in $INSTDIR. It comes with the Interception driver's own distribution, in its library folder: install the driver from there, then copy that file beside kvRemote.exe."

Name "kvRemote ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "kvRemote ${VERSION}"
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "kvRemote"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "kvRemote ${VERSION} setup (${DLL_MACHINE})"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Var LibraryPath    ; the interception.dll to copy, from the page or /INTERCEPTIONDLL=
Var LibraryField
Var LibraryOk      ; 1 when kvdllcheck accepted LibraryPath
Var LibraryVerdict ; kvdllcheck's words about it

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

Function AppendLog
  Exch $0
  Push $1
  FileOpen $1 "$INSTDIR\install.log" a
  FileSeek $1 0 END
  FileWrite $1 "$0$\r$\n"
  FileClose $1
  Pop $1
  Pop $0
FunctionEnd

; Runs kvdllcheck on LibraryPath: sets LibraryOk and LibraryVerdict.
Function CheckLibrary
  InitPluginsDir
  File "/oname=$PLUGINSDIR\kvdllcheck.exe" "${DLLCHECK}"
  nsExec::ExecToStack '"$PLUGINSDIR\kvdllcheck.exe" ${DLL_MACHINE} "$LibraryPath"'
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
FunctionEnd

Function LibraryPageShow
  ; An upgrade keeps the library copied before, without asking.
  ${If} ${FileExists} "$INSTDIR\interception.dll"
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "Interception library" "The driver's interception.dll, which kvRemote needs to start"
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 40u "kvRemote reads the auxiliary keyboards and mice through the Interception driver. Install the driver from its own distribution, then choose the ${DLL_MACHINE} interception.dll in that distribution's library folder. Setup checks the file and copies it beside kvRemote.exe."
  Pop $0
  ${NSD_CreateFileRequest} 0 44u -62u 12u "$LibraryPath"
  Pop $LibraryField
  ${NSD_CreateBrowseButton} -58u 43u 58u 14u "Browse..."
  Pop $0
  ${NSD_OnClick} $0 BrowseLibrary
  ${NSD_CreateLabel} 0 64u 100% 30u "Leave it empty to install without it; kvRemote will not start until the file is placed in its folder."
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
  Call CheckLibrary
  ${If} $LibraryOk != 1
    MessageBox MB_ICONSTOP "$LibraryPath cannot be used: it is $LibraryVerdict."
    Abort
  ${EndIf}
FunctionEnd

; Waits for a running kvRemote.exe in $INSTDIR to end (Windows keeps a running program's file
; from being written): asks to Exit it and retry, or gives up (in a silent run at once).
!macro WaitForProgramToEnd un
Function ${un}WaitForProgramToEnd
  ${DoWhile} ${FileExists} "$INSTDIR\kvRemote.exe"
    ClearErrors
    FileOpen $0 "$INSTDIR\kvRemote.exe" a
    ${IfNot} ${Errors}
      FileClose $0
      ${Break}
    ${EndIf}
    ${If} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "kvRemote is running. End it with Exit in its tray menu (the copy of every signed-in user), then choose Retry." /SD IDCANCEL IDCANCEL`
!if "${un}" == ""
      !insertmacro Log "stopped: kvRemote is running ($INSTDIR\kvRemote.exe is in use)"
!endif
      Abort "kvRemote is running: $INSTDIR\kvRemote.exe is in use"
    ${EndIf}
  ${Loop}
FunctionEnd
!macroend
!insertmacro WaitForProgramToEnd ""
!insertmacro WaitForProgramToEnd "un."

Section "kvRemote" SecProgram
  SectionIn RO
  Call WaitForProgramToEnd
  SetOutPath "$INSTDIR"
  !insertmacro Log "kvRemote ${VERSION} (${DLL_MACHINE}) into $INSTDIR"
  File "/oname=kvRemote.exe" "${PROGRAM}"
  File "/oname=KvCom.dll" "${KVCOM}"
  File "/oname=kvlisten.exe" "${KVLISTEN}"
  File "/oname=README.txt" "${NOTES}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The configuration folder shared by all users, writable by every one of them.
  SetShellVarContext all
  CreateDirectory "$APPDATA\Korvane\cfg"
  !insertmacro Log "run: $\"$SYSDIR\icacls.exe$\" $\"$APPDATA\Korvane\cfg$\" /grant *S-1-5-32-545:(OI)(CI)M"
  nsExec::ExecToStack '"$SYSDIR\icacls.exe" "$APPDATA\Korvane\cfg" /grant *S-1-5-32-545:(OI)(CI)M'
  Pop $0
  Pop $1
  !insertmacro Log "icacls exit code: $0"

  CreateShortcut "$SMPROGRAMS\kvRemote.lnk" "$INSTDIR\kvRemote.exe" "" "$INSTDIR\kvRemote.exe" 0
  !insertmacro Log "shortcut: $SMPROGRAMS\kvRemote.lnk"

  ${If} $LibraryPath != ""
    ${If} $LibraryOk == ""
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
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\interception.dll"
    ${If} $LibraryOk != 1
      !insertmacro Log "interception.dll kept from the earlier installation"
    ${EndIf}
  ${Else}
    !insertmacro Log "warning: ${NO_LIBRARY}"
  ${EndIf}

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "kvRemote"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\kvRemote.exe,0"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "VersionMajor" 2
  WriteRegDWORD HKLM "${UNINST_KEY}" "VersionMinor" 0
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" $0
  !insertmacro Log "registered: HKLM\${UNINST_KEY}"
SectionEnd

; For the user who installs only: the driver's library opens the devices exclusively, so a second
; signed-in user's copy would only find the driver missing.
Section "Start kvRemote when I sign in" SecAutostart
  WriteRegStr HKCU "${RUN_KEY}" "kvRemote" '"$INSTDIR\kvRemote.exe"'
  !insertmacro Log "start at sign-in: HKCU\${RUN_KEY}\kvRemote"
SectionEnd

Section "-RemoveAutostart"
  ${IfNot} ${SectionIsSelected} ${SecAutostart}
    DeleteRegValue HKCU "${RUN_KEY}" "kvRemote"
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
      Return
    ${EndIf}
    IntOp $2 $2 + 1
  ${Loop}
FunctionEnd

Function .onInit
!if "${ARCH}" == "win64"
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "This is the 64-bit kvRemote. On 32-bit Windows use kvRemote-${VERSION}-win32-setup.exe." /SD IDOK
    Abort
  ${EndIf}
  SetRegView 64
!endif
  Call ReadLibraryOption
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOAUTOSTART" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SecAutostart}
  ${EndIf}
  ; An upgrade goes where the earlier version is, unless /D= says otherwise.
  ClearErrors
  ${GetOptions} $0 "/D=" $1
  ${If} ${Errors}
    ReadRegStr $1 HKLM "${UNINST_KEY}" "InstallLocation"
    ${If} $1 != ""
      StrCpy $INSTDIR $1
    ${EndIf}
  ${EndIf}
FunctionEnd

Function un.onInit
!if "${ARCH}" == "win64"
  SetRegView 64
!endif
FunctionEnd

; Removes the program, the copied library, the shortcut, the Run entry and the registration; the
; configuration folder and kvRemote.ini stay.
Section "Uninstall"
  Call un.WaitForProgramToEnd
  SetShellVarContext all
  Delete "$INSTDIR\kvRemote.exe"
  Delete "$INSTDIR\KvCom.dll"
  Delete "$INSTDIR\kvlisten.exe"
  Delete "$INSTDIR\interception.dll"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\install.log"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\kvRemote.lnk"
  DeleteRegValue HKCU "${RUN_KEY}" "kvRemote"
  DeleteRegKey HKLM "${UNINST_KEY}"
SectionEnd

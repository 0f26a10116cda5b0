; Corvane's setup program and its uninstaller.
; tools/package compiles this with
;   STAGE    the folder of the files to ship (CORV32.EXE, CVIMG32.DLL, README.TXT, NOTICES.TXT, the help
;            files when the build made them)
;   ARCH     i686 (what we ship: 32-bit, Program Files (x86) on 64-bit Windows) or x86_64
;   OUTFILE  the setup program to write
; The version comes from the file VERSION, the name of the program's running-mutex from app/startup.h,
; so that neither is written here again (common.nsh reads them).

!ifndef STAGE | ARCH | OUTFILE
  !error "tools/package defines STAGE, ARCH and OUTFILE"
!endif
!include LogicLib.nsh
!include "${__FILEDIR__}/common.nsh"
!if "${ARCH}" == "x86_64"
  !define PROGRAMS "$PROGRAMFILES64"
!else
  !define PROGRAMS "$PROGRAMFILES"
!endif

; What the system lists and the user starts: the starter (uninstall.nsi), which refuses a running Corvane
; with an exit code the caller sees, then starts the uninstaller proper.
!define UNINSTALLER "UNINSTALL.EXE"
!define UNINSTALL_CORE "UNINSTCORE.EXE"
!tempfile STARTER
!makensis '-V1 "-DARCH=${ARCH}" "-DOUTFILE=${STARTER}" "-DCORE=${UNINSTALL_CORE}" "${__FILEDIR__}/uninstall.nsi"' = 0
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane"
; What the program writes at every start (app/registration.cpp, settings/associations.cpp).
!define APP_PATHS_KEY "Software\Microsoft\Windows\CurrentVersion\App Paths\CORV32.EXE"
!define FILE_TYPE "Corvane"
!define SETTINGS_KEY "Software\Pellworth\Corvane"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAMS}\${PRODUCT}"
; A second installation goes where the first one is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestSupportedOS all
BrandingText "${PRODUCT} ${VERSION}"

!insertmacro VersionResource "${PRODUCT} ${VERSION} Setup"

!include MUI2.nsh
!include FileFunc.nsh

!define MUI_ICON "${SRCDIR}/resources/corv32.ico"
!define MUI_UNICON "${SRCDIR}/resources/corv32.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.TXT"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!macro UseMachineView
  SetShellVarContext all
  !if "${ARCH}" == "x86_64"
    SetRegView 64
  !endif
!macroend

Function .onInit
  !insertmacro UseMachineView
  !insertmacro RefuseWhileRunning "Corvane is running.$\r$\nClose Corvane, then start the setup again."
FunctionEnd

Function un.onInit
  !insertmacro UseMachineView
  ; Also here: the uninstaller proper may be started without the starter, or Corvane started meanwhile.
  !insertmacro RefuseWhileRunning "${UNINSTALL_REFUSAL}"
FunctionEnd

Section "Corvane"
  SetOutPath "$INSTDIR"
  File "${STAGE}/CORV32.EXE"
  File "${STAGE}/CVIMG32.DLL"
  File "${STAGE}/README.TXT"
  File "${STAGE}/NOTICES.TXT"
  !if /FileExists "${STAGE}/CORV32.HLP"
    File "${STAGE}/CORV32.HLP"
    File "${STAGE}/CORV32.CNT"
  !endif
  File "/oname=${UNINSTALLER}" "${STARTER}"
  !delfile "${STARTER}"
  WriteUninstaller "$INSTDIR\${UNINSTALL_CORE}"

  ; The program writes its registration at every start; written here too, because a standard user's
  ; start cannot write these machine-wide entries.
  WriteRegStr HKLM "${APP_PATHS_KEY}" "" "$INSTDIR\CORV32.EXE"
  WriteRegStr HKLM "${APP_PATHS_KEY}" "Path" "$INSTDIR"
  WriteRegStr HKCR "${FILE_TYPE}" "" "Corvane Picture File"
  WriteRegStr HKCR "${FILE_TYPE}\shell\open\command" "" '"$INSTDIR\CORV32.EXE" "%1"'
  !if /FileExists "${STAGE}/CORV32.HLP"
    WriteINIStr "$WINDIR\WINHELP.INI" "Files" "CORV32.HLP" "$INSTDIR"
  !endif

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\CORV32.EXE" "" "$INSTDIR\CORV32.EXE" 0 \
    SW_SHOWNORMAL "" "View pictures with Corvane"

  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\CORV32.EXE,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; An extension's key goes back to what it was before the program claimed it: the claim is taken back
; only when it names our file type, and the key goes only when nothing else is left in it.
!macro DropClaim EXTENSION
  ReadRegStr $0 HKCR "${EXTENSION}" ""
  ${If} $0 == "${FILE_TYPE}" ; LogicLib's == ignores case, as the program does
    DeleteRegValue HKCR "${EXTENSION}" ""
    DeleteRegKey /ifempty HKCR "${EXTENSION}"
  ${EndIf}
!macroend

Section "Uninstall"
  Delete "$INSTDIR\CORV32.EXE"
  Delete "$INSTDIR\CVIMG32.DLL"
  Delete "$INSTDIR\README.TXT"
  Delete "$INSTDIR\NOTICES.TXT"
  Delete "$INSTDIR\CORV32.HLP"
  Delete "$INSTDIR\CORV32.CNT"
  ; What the help system makes beside a help file the first time it opens it.
  Delete "$INSTDIR\CORV32.GID"
  Delete "$INSTDIR\CORV32.FTS"
  ; The starter hands over and ends at once; should it not have ended yet, it is waited for a little.
  StrCpy $1 0
  ${Do}
    Delete "$INSTDIR\${UNINSTALLER}"
    ${IfNot} ${FileExists} "$INSTDIR\${UNINSTALLER}"
    ${OrIf} $1 >= 20
      ${Break}
    ${EndIf}
    Sleep 250
    IntOp $1 $1 + 1
  ${Loop}
  Delete "$INSTDIR\${UNINSTALL_CORE}"
  ; Not /r: files of the user's own that were put into the folder stay, and so does the folder then.
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"

  DeleteRegKey HKLM "${APP_PATHS_KEY}"
  DeleteRegKey HKCR "${FILE_TYPE}"
  !insertmacro DropClaim ".BMP"
  !insertmacro DropClaim ".GIF"
  !insertmacro DropClaim ".JPG"
  !insertmacro DropClaim ".PCX"
  !insertmacro DropClaim ".TIF"
  DeleteINIStr "$WINDIR\WINHELP.INI" "Files" "CORV32.HLP"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)' ; SHCNE_ASSOCCHANGED

  ; The entries of the program's registration go; the user's settings only when asked.
  DeleteRegValue HKCU "${SETTINGS_KEY}" "EXEPath"
  DeleteRegKey HKCU "${SETTINGS_KEY}\Version"
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "Remove your Corvane settings too ?$\r$\nKept, they are used again when Corvane is installed later." \
    /SD IDNO IDNO settings_done
    DeleteRegKey HKCU "${SETTINGS_KEY}"
  settings_done:
  DeleteRegKey /ifempty HKCU "${SETTINGS_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Pellworth"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

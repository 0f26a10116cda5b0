; UNINSTALL.EXE, what the list of installed programs starts. The uninstaller proper copies itself away,
; starts the copy and ends at once with exit code 0, before any of its own code runs: a refusal of its
; copy would never reach the caller. This starter refuses a running Corvane itself, with exit code 3 in
; silent mode as the setup program does, and otherwise hands its command line over to it.
; corvane.nsi compiles this with ARCH, OUTFILE and CORE (the uninstaller proper's file name).

!ifndef ARCH | OUTFILE | CORE
  !error "corvane.nsi defines ARCH, OUTFILE and CORE"
!endif
!include LogicLib.nsh
!include FileFunc.nsh
!include "${__FILEDIR__}/common.nsh"

Name "${PRODUCT}"
Caption "${PRODUCT} Uninstall"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
ManifestSupportedOS all
Icon "${SRCDIR}/resources/corv32.ico"
!insertmacro VersionResource "${PRODUCT} ${VERSION} Uninstall"

Function .onInit
  !insertmacro RefuseWhileRunning "${UNINSTALL_REFUSAL}"
  ${GetParameters} $1
  ClearErrors
  Exec '"$EXEDIR\${CORE}" $1'
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "The uninstaller $EXEDIR\${CORE} cannot be started." /SD IDOK
    SetErrorLevel 2
  ${Else}
    ; Quitting here would otherwise count as the user's cancel.
    SetErrorLevel 0
  ${EndIf}
  Quit
FunctionEnd

Section
SectionEnd

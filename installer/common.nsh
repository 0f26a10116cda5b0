; What the setup program (corvane.nsi) and the uninstaller's starter (uninstall.nsi) share: the version,
; the name of the program's running-mutex, the version resource and the refusal while Corvane runs.

!define SRCDIR "${__FILEDIR__}/.."
!define /file VERSION "${SRCDIR}/VERSION"
!searchparse /noerrors "${VERSION}.0.0.0" "" VERSION_MAJOR "." VERSION_MINOR "." VERSION_PATCH "."
!searchparse /file "${SRCDIR}/app/startup.h" `RunningMutexName = L"` RUNNING_MUTEX `"`

!define PRODUCT "Corvane"
!define PUBLISHER "Pellworth"

!if "${ARCH}" == "x86_64"
  Target amd64-unicode
!else if "${ARCH}" == "i686"
  Target x86-unicode
!else
  !error "ARCH is i686 or x86_64, not ${ARCH}"
!endif

!macro VersionResource DESCRIPTION
  VIProductVersion "${VERSION_MAJOR}.${VERSION_MINOR}.${VERSION_PATCH}.0"
  VIFileVersion "${VERSION_MAJOR}.${VERSION_MINOR}.${VERSION_PATCH}.0"
  VIAddVersionKey "ProductName" "${PRODUCT}"
  VIAddVersionKey "CompanyName" "${PUBLISHER}"
  VIAddVersionKey "FileDescription" "${DESCRIPTION}"
  VIAddVersionKey "FileVersion" "${VERSION}"
  VIAddVersionKey "ProductVersion" "${VERSION}"
  VIAddVersionKey "LegalCopyright" "${PUBLISHER}"
!macroend

; Files that a running Corvane holds open cannot be replaced or removed, and its close would write its
; settings again after the uninstaller took them away. In silent mode the box is not shown; the exit
; code tells.
!macro RefuseWhileRunning MESSAGE
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${RUNNING_MUTEX}") p .r0'
  ${If} $0 P<> 0
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_OK|MB_ICONSTOP "${MESSAGE}" /SD IDOK
    SetErrorLevel 3
    Quit
  ${EndIf}
!macroend

!define UNINSTALL_REFUSAL "Corvane is running.$\r$\nClose Corvane, then start the uninstall again."

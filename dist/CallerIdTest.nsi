; The Windows installer of Caller ID Test, built by scripts/dist.sh with Debian's makensis.
;
; It installs per machine into the 32-bit program-files folder, adds a Start-menu shortcut and an
; entry among the installed programs, and speaks Turkish. The optional component "Benzetim
; cihazı" (the simulated device) installs and registers the simulator DLL under the device control's class identifier,
; but never over another DLL's registration: the vendor's real control must not be shadowed.
;
; Defined by scripts/dist.sh on the makensis command line:
;   VERSION  the repository's version (VERSION file), e.g. 1.0.0
;   STAGE    the folder holding the files to install
;   OUTFILE  the installer to write
;   ARCH     x86 (the shipped installer) or amd64 (a check build for 64-bit-only Wine)
;
; Command line of the installer, besides NSIS' own /S (silent) and /D=folder:
;   /SIMULATOR   select the simulated device component (for silent installs)
; Exit codes: 0 installed; 1 cancelled; 2 aborted; 3 the program is running and was not closed
; (silent mode never asks); 4 installed, but the simulated device was refused because the class
; belongs to another DLL.

!ifndef VERSION | STAGE | OUTFILE | ARCH
  !error "scripts/dist.sh defines VERSION, STAGE, OUTFILE and ARCH"
!endif

Unicode true
!if ${ARCH} == amd64
  Target amd64-unicode
!endif
SetCompressor /SOLID lzma
ManifestDPIAware true
RequestExecutionLevel admin

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define PRODUCT      "Caller ID Test"
!define PUBLISHER    "Caller ID Test"
!define EXE          "CallerIdTest.exe"
!define SIM_DLL      "DalvexSim.dll"
!define UNINSTALLER  "uninstall.exe"
!define UNINST_KEY   "Software\Microsoft\Windows\CurrentVersion\Uninstall\CallerIdTest"
; The device control's class (device/dalvexcallerid_TLB.h), under which the simulator registers.
!define CONTROL_CLSID "{EEA18052-171F-4293-8598-AB6E1D7257B2}"
!define CLASS_KEY    "Software\Classes\CLSID\${CONTROL_CLSID}"
; The running program is found by its application window: this class, with the program's title.
!define APP_WINDOW_CLASS "CallerIdTest.Application"

!define EXIT_RUNNING 3
!define EXIT_SIMULATOR_REFUSED 4

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
!if ${ARCH} == amd64
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
; An upgrade goes where the installed version is.
InstallDirRegKey HKLM "${UNINST_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The last page says that the program's logs stay: they are the user's data.
!define MUI_FINISHPAGE_TEXT "$(LogsKept)"
!insertmacro MUI_UNPAGE_FINISH
!insertmacro MUI_LANGUAGE "Turkish"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_TURKISH} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_TURKISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_TURKISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_TURKISH} "FileDescription" "${PRODUCT} kurulumu"
VIAddVersionKey /LANG=${LANG_TURKISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_TURKISH} "LegalCopyright" "${PUBLISHER}"

LangString RunningText ${LANG_TURKISH} "${PRODUCT} çalışıyor. Lütfen programı kapatın ve Yeniden Dene'ye basın; vazgeçmek için İptal'e basın."
LangString RunningSilent ${LANG_TURKISH} "${PRODUCT} çalışıyor; sessiz kurulum durdu."
LangString SimRefused ${LANG_TURKISH} "Benzetim cihazı kurulmadı: cihaz denetiminin sınıfı ${CONTROL_CLSID} başka bir DLL'e kayıtlı:$\r$\n$0$\r$\nGerçek cihaz denetiminin üstüne yazılmaz. Program yine de kuruldu."
LangString SimRegistered ${LANG_TURKISH} "Benzetim cihazı kaydedildi: $INSTDIR\${SIM_DLL}"
LangString LogsKept ${LANG_TURKISH} "${PRODUCT} bilgisayarınızdan kaldırıldı.$\r$\n$\r$\nProgramın günlük kayıt dosyaları (çağrılar, cihaz bağlantıları ve hatalar) sizin verilerinizdir ve silinmedi. Her kullanıcının kendi klasöründe kalırlar:$\r$\n%LOCALAPPDATA%\${PRODUCT}\Logs$\r$\nİstemiyorsanız bu klasörü kendiniz silebilirsiniz."

; Asks until the program is closed or the user gives up. Never ends the program itself: it may
; be in the middle of a test the user is watching. A silent run cannot ask, so it stops with
; its own exit code.
!macro WaitUntilProgramClosed
  ${Do}
    FindWindow $0 "${APP_WINDOW_CLASS}" "${PRODUCT}"
    ${If} $0 == 0
      ${Break}
    ${EndIf}
    ${If} ${Silent}
      DetailPrint "$(RunningSilent)"
      SetErrorLevel ${EXIT_RUNNING}
      Quit
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(RunningText)" IDRETRY retry
    SetErrorLevel 1
    Quit
    retry:
  ${Loop}
!macroend

Section "${PRODUCT}" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}\${EXE}"
  File "${STAGE}\LICENSE-libjpeg.txt"
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\${EXE}"

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\${EXE}"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1
SectionEnd

Section /o "Benzetim cihazı (cihaz olmadan denemek için)" SecSimulator
  ; HKEY_CLASSES_ROOT is what COM reads: a per-user class there wins over the machine's, so a
  ; class registered to any other file, in either place, belongs to someone else.
  ReadRegStr $0 HKCR "CLSID\${CONTROL_CLSID}\InprocServer32" ""
  ${If} $0 != ""
  ${AndIf} $0 != "$INSTDIR\${SIM_DLL}"
    DetailPrint "$(SimRefused)"
    MessageBox MB_OK|MB_ICONSTOP "$(SimRefused)" /SD IDOK
    SetErrorLevel ${EXIT_SIMULATOR_REFUSED}
    Call RemoveSimulatorIfOurs
    Return
  ${EndIf}
  SetOutPath "$INSTDIR"
  File "${STAGE}\${SIM_DLL}"
  File "${STAGE}\Simulator.txt"
  ; Written here rather than by the DLL's own DllRegisterServer, which registers for the
  ; current user only: this install is for every user of the machine. Same keys and values.
  WriteRegStr HKLM "${CLASS_KEY}" "" "Dalvex caller-ID device control (simulator)"
  WriteRegStr HKLM "${CLASS_KEY}\InprocServer32" "" "$INSTDIR\${SIM_DLL}"
  WriteRegStr HKLM "${CLASS_KEY}\InprocServer32" "ThreadingModel" "Apartment"
  WriteRegStr HKLM "${CLASS_KEY}\Control" "" ""
  WriteRegDWORD HKLM "${UNINST_KEY}" "SimulatorRegistered" 1
  DetailPrint "$(SimRegistered)"
SectionEnd

; An upgrade without the component removes what an earlier install of ours left.
Section "-Simulator cleanup"
  ${IfNot} ${SectionIsSelected} ${SecSimulator}
    Call RemoveSimulatorIfOurs
  ${EndIf}
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINST_KEY}" "EstimatedSize" "$0"
SectionEnd

; Removes the simulator's registration and files when an install of ours registered it and the
; class still names our DLL; anything else under the class is left alone.
!macro RemoveSimulatorIfOurs un
Function ${un}RemoveSimulatorIfOurs
  ReadRegDWORD $1 HKLM "${UNINST_KEY}" "SimulatorRegistered"
  ${If} $1 == 1
    ReadRegStr $1 HKLM "${CLASS_KEY}\InprocServer32" ""
    ${If} $1 == "$INSTDIR\${SIM_DLL}"
      DeleteRegKey HKLM "${CLASS_KEY}"
    ${EndIf}
    DeleteRegValue HKLM "${UNINST_KEY}" "SimulatorRegistered"
  ${EndIf}
  Delete "$INSTDIR\${SIM_DLL}"
  Delete "$INSTDIR\Simulator.txt"
FunctionEnd
!macroend
!insertmacro RemoveSimulatorIfOurs ""
!insertmacro RemoveSimulatorIfOurs "un."

Var SimWasOurs   ; 1 when an earlier install of ours registered the simulator

Function .onInit
  SetShellVarContext all
  !if ${ARCH} == amd64
    SetRegView 64
  !endif
  !insertmacro WaitUntilProgramClosed
  ReadRegDWORD $SimWasOurs HKLM "${UNINST_KEY}" "SimulatorRegistered"
  ${IfThen} $SimWasOurs != 1 ${|} StrCpy $SimWasOurs 0 ${|}
  ; Off by default; on when asked for, or when the installed version had it (an upgrade keeps
  ; what was installed).
  ${GetParameters} $1
  ClearErrors
  ${GetOptions} $1 "/SIMULATOR" $2
  ${IfNot} ${Errors}
  ${OrIf} $SimWasOurs == 1
    !insertmacro SelectSection ${SecSimulator}
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext all
  !if ${ARCH} == amd64
    SetRegView 64
  !endif
  !insertmacro WaitUntilProgramClosed
FunctionEnd

Section "Uninstall"
  Call un.RemoveSimulatorIfOurs
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$INSTDIR\${EXE}"
  Delete "$INSTDIR\LICENSE-libjpeg.txt"
  Delete "$INSTDIR\${UNINSTALLER}"
  ; Only an empty folder goes: files the user put there stay.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINST_KEY}"
  ; Neither are the logs under each user's application data touched; a silent uninstall says so
  ; in its details as the last page does.
  DetailPrint "$(LogsKept)"
SectionEnd

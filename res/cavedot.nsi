; The Windows installer, made by tools/build-installer with NSIS:
;   makensis -DVERSION=1.0.0 -DBUILD=build-windows -DWORDS=installer-words.nsh \
;       -DOUTFILE=setup.exe res/cavedot.nsi
; It puts the game of BUILD, its read-me and the licences that the Windows zip
; carries under Program Files, adds a Start-menu shortcut for everyone and
; registers its uninstaller with Windows. /S installs (and the uninstaller
; uninstalls) silently. Both speak Windows's language where they know it (WORDS,
; written by tools/build-installer: Modern UI's languages and our own strings in
; each), else English.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
; No file times in the installer, so that the same files make the same installer.
SetDateSave off

!include MUI2.nsh
!include FileFunc.nsh

!define PUBLISHER "The cavedot developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\cavedot"

Name "cavedot"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\cavedot"
RequestExecutionLevel admin
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "cavedot"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}.0"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}.0"
VIAddVersionKey /LANG=1033 "FileDescription" "cavedot ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"

!define MUI_ICON "cavedot.ico"
!define MUI_UNICON "cavedot.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\cavedot.exe"
!insertmacro MUI_PAGE_LICENSE "..\LICENSE"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!include "${WORDS}"

Section
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File "${BUILD}\cavedot.exe"
    File "README-windows.txt"
    File "/oname=LICENSE.txt" "..\LICENSE"
    File "/oname=LICENSE-allegro.txt" "${BUILD}\allegro-license.txt"
    File "LICENSE-mingw-w64.txt"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortCut "$SMPROGRAMS\cavedot.lnk" "$INSTDIR\cavedot.exe" "" "$INSTDIR\cavedot.exe" 0 \
        SW_SHOWNORMAL "" "$(comment)"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "cavedot"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\cavedot.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
    SetShellVarContext all
    Delete "$SMPROGRAMS\cavedot.lnk"
    Delete "$INSTDIR\cavedot.exe"
    Delete "$INSTDIR\README-windows.txt"
    Delete "$INSTDIR\LICENSE.txt"
    Delete "$INSTDIR\LICENSE-allegro.txt"
    Delete "$INSTDIR\LICENSE-mingw-w64.txt"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

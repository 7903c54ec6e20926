; The NSIS side of the install benchmark: a silent-capable installer of the benchmark payload
; that, like the Brindle package, extracts every file, writes an uninstaller into the install
; folder and registers the product under the Uninstall key.
;   makensis -DCOMPRESSOR=zlib|lzma -DPAYLOAD=DIR -DOUTFILE=FILE bench_installer.nsi
; Compression is non-solid (each file compressed on its own), as in the Brindle package. Run it
; as "installer.exe /S /D=C:\path" (/D last, unquoted).
Unicode true
SetCompressor /FINAL ${COMPRESSOR}
Name "VeltoBench"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\VeltoBench"
RequestExecutionLevel admin

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VeltoBench"

Page directory
Page instfiles

Section "Install"
  SetOutPath "$INSTDIR"
  File /r "${PAYLOAD}/*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "VeltoBench"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Brindle benchmarks"
SectionEnd

Section "Uninstall"
  RMDir /r "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

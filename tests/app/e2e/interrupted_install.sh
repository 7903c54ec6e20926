#!/usr/bin/env bash
# An upgrade of the real setup program killed (kill -9, as a power cut or Task Manager would end
# it) in the middle of a large file, and the next start: before its page shows, the earlier
# install is back exactly (every file byte for byte, no backup, no file of the killed run, the
# same registration and shortcuts) and the log says the run was undone; the earlier install then
# uninstalls without a trace and no journal is left.
#
#   interrupted_install.sh --build WIN_BUILD_DIR --pack BRINDLE_PACK --setup BrindleSetup.exe
#                          --payload DIR --licence FILE
#
# WIN_BUILD_DIR is the Windows build tree with a running Wine session (scripts/wine-session.sh).
# The product's fixed places in that prefix are cleared before and after. Exit status 0 on
# success, 1 on a failed check, 77 when brindle-pack is missing.
set -uo pipefail

. "$(dirname "$0")/e2e_common.sh"
e2e_start interrupted "$@"


product_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velto'
journal=$(cpath 'C:\ProgramData')/Brindle/journal/Velto/run.journal
folder='C:\BrindleKill\Velto'
folder_unix=$(cpath "$folder")
large_mib=256

# The product's Uninstall values as NAME=VALUE lines (empty when the key is missing).
product_values() {
  rm -f "$work/product.reg"
  win reg export "$product_key" "$(zpath "$work/product.reg")" /y
  [ -f "$work/product.reg" ] || return 0
  iconv -f UTF-16LE -t UTF-8 "$work/product.reg" | tr -d '\r' | grep '^"' | sort
}

# Everything an install touches: each file below the folder with its checksum, each folder,
# the shortcuts with theirs, the registration.
state() {
  (cd "$folder_unix" 2>/dev/null && find . -mindepth 1 -type d | sort && find . -type f -print0 |
    sort -z | xargs -0 -r md5sum)
  for link in "$desktop/Velto.lnk" "$quick_launch/Velto.lnk" "$start_menu/Velto.lnk"; do
    [ -f "$link" ] && md5sum "$link"
  done
  product_values
}

clear_product_places() {
  win reg delete "$product_key" /f
  rm -rf "$start_menu" "$desktop/Velto.lnk" "$quick_launch/Velto.lnk" "$journal"
  rm -rf "$(cpath 'C:\BrindleKill')"
}

cleanup() {
  [ -n "${setup_pid:-}" ] && kill "$setup_pid" 2>/dev/null
  clear_product_places
  rm -rf "$work"
}
trap cleanup EXIT

# Version 1: the sample payload and a file of its own. Version 2: without that file, one file
# changed, and a large file of random bytes (stored, not deflated) last in the archive.
# Version 3: version 2 without the large file.
mkdir -p "$work/v1" "$work/v2" "$work/v3"
cp -r "$payload" "$work/v1/payload"
cp -r "$payload" "$work/v3/payload"
echo "only in version 1" >"$work/v1/payload/only-in-v1.txt"
echo "changed in version 2" >>"$work/v3/payload/readme.txt"
cp -r "$work/v3/payload" "$work/v2/payload"
head -c $((large_mib << 20)) /dev/urandom >"$work/v2/payload/zz-large.bin"
for version in v1 v2 v3; do
  "$pack" pack --stub "$setup" --payload "$work/$version/payload" --licence "$licence" \
    --lastrun Velto.exe --desktop Velto=Velto.exe --taskbar Velto=Velto.exe --progress never \
    --output "$work/$version/VeltoSetup.exe" >/dev/null || { echo "packing failed" >&2; exit 1; }
done
clear_product_places
mkdir -p "$quick_launch"

echo "== version 1, silent"
win "$work/v1/VeltoSetup.exe" /S "/D=$folder"
check "version 1 installs" [ -f "$folder_unix/Velto.exe" ]
state >"$work/before.txt"
check "version 1 is registered" grep -q '^"DisplayName"="Velto"' "$work/before.txt"

echo "== version 2, killed in the middle of its large file"
"$wine_run" "$work/v2/VeltoSetup.exe" /S "/D=$folder" </dev/null >/dev/null 2>&1 &
setup_pid=$!
large="$folder_unix/zz-large.bin"
size=0
# Waits for what the program writes: the large file past its first 16 MiB.
for _ in $(seq 1 120000); do
  size=$(stat -c %s "$large" 2>/dev/null || echo 0)
  [ "$size" -ge $((16 << 20)) ] && break
  kill -0 "$setup_pid" 2>/dev/null || break
done
kill -9 "$setup_pid"
wait "$setup_pid" 2>/dev/null
setup_pid=
size=$(stat -c %s "$large" 2>/dev/null || echo 0)
check "killed in the middle of the large file ($size bytes of $((large_mib << 20)))" \
  [ "$size" -gt 0 -a "$size" -lt $((large_mib << 20)) ]
check "the killed run left its journal" [ -f "$journal" ]

echo "== the next start"
log=$work/next.log
"$wine_run" "$work/v2/VeltoSetup.exe" "/LOG=$(zpath "$log")" "/D=$folder" </dev/null >/dev/null 2>&1 &
setup_pid=$!
window=$(wait_for "xdotool search --onlyvisible --class veltosetup | head -n 1" 60)
check "the next start shows its page" [ -n "$window" ]
state >"$work/after.txt"
check "before the page, version 1 is back exactly" diff -u "$work/before.txt" "$work/after.txt"
check "no backup is left" [ -z "$(find "$folder_unix" -name '*.old')" ]
log_has() { tr -d '\r' <"$log" | grep -qx "$1"; }
check "the log says the run was undone" log_has 'interrupted run: install undone'
check "the journal is gone" [ ! -e "$journal" ]
kill "$setup_pid"
wait "$setup_pid" 2>/dev/null
setup_pid=

echo "== uninstall"
win "$folder_unix/unins000.exe" /S
check "the install folder is gone" [ ! -e "$folder_unix" ]
check "the shortcuts are gone" [ ! -e "$desktop/Velto.lnk" -a ! -e "$start_menu" -a ! -e "$quick_launch/Velto.lnk" ]
check "the registration is gone" [ -z "$(product_values)" ]
check "no journal is left" [ ! -e "$journal" ]

echo "== an upgrade stopped once its uninstaller is written, then that uninstaller"
win "$work/v1/VeltoSetup.exe" /S "/D=$folder"
cp "$folder_unix/unins000.exe" "$work/v1-uninstaller.exe"
win "$build/tests/setup/setup_engine_helper.exe" install-stop-at "$(zpath "$work/v3/VeltoSetup.exe")" \
  "$folder" "$folder\unins000.exe" BrindleInterruptedE2E
other_file() { [ -f "$1" ] && ! cmp -s "$1" "$2"; }
check "the stopped upgrade wrote its own uninstaller" \
  other_file "$folder_unix/unins000.exe" "$work/v1-uninstaller.exe"
check "the stopped upgrade left its journal" [ -f "$journal" ]
"$wine_run" "$folder_unix/unins000.exe" /S </dev/null >/dev/null 2>&1
status=$?
check "its uninstaller exits 0 (status $status)" [ "$status" = 0 ]
check "nothing of either version is left, version 1's own file included" [ ! -e "$folder_unix" ]
check "the registration is gone after the recovered uninstall" [ -z "$(product_values)" ]
check "the shortcuts are gone after the recovered uninstall" \
  [ ! -e "$desktop/Velto.lnk" -a ! -e "$start_menu" -a ! -e "$quick_launch/Velto.lnk" ]
check "no journal is left after the recovered uninstall" [ ! -e "$journal" ]

echo "$failures failure(s)"
[ "$failures" -eq 0 ]

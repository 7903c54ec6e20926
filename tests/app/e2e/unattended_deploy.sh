#!/usr/bin/env bash
# Unattended runs of the real setup program under Wine, as deployment tools start it: a silent
# install and a silent uninstall (through the installed uninstaller and its temporary copy) that
# exit 0 and leave exactly the expected disk and registry while no window is ever mapped; a
# passive install that shows the progress window only; and silent runs that must fail with their
# exit code and change nothing: a folder on a missing drive, a drive too small for the package
# (as root, a 256 KiB tmpfs), a damaged package, and an install
# while the product runs (the in-use question takes its safe answer, No), of an older package over
# a newer install (the downgrade question, No), and beside another setup of the product that shows
# its page. Each run writes a log
# (/LOG=), which must name the cause of a failure and the exit code. Last, per-user installs (a
# package packed with --scope user, and one with --scope both started with /CURRENTUSER) and their
# uninstalls, which must leave HKEY_LOCAL_MACHINE's Uninstall keys and Program Files untouched.
# Last, a signed package (a throwaway certificate that openssl makes): osslsigncode verify passes
# on the uninstaller it installs and on the temporary copy while that runs; a damaged record file
# beside the uninstaller fails with its exit code and changes nothing; the uninstall removes the
# record file too. Last, the command lines, the start-up script and the manifest command of
# docs/deploying.md, taken from the page and run as it writes them.
# (Under Wine every process runs as an administrator, so the absence of an elevation prompt
# cannot be seen; what the runs write can.)
#
#   unattended_deploy.sh --build WIN_BUILD_DIR --pack BRINDLE_PACK --setup BrindleSetup.exe
#                        --payload DIR --licence FILE
#
# WIN_BUILD_DIR is the Windows build tree with a running Wine session (scripts/wine-session.sh).
# The product's fixed places in that prefix are cleared before and after. Exit status 0 on
# success, 1 on a failed check, 77 when brindle-pack is missing.
set -uo pipefail

. "$(dirname "$0")/e2e_common.sh"
e2e_start unattended "$@"

# Exit codes (app/exit_code.h); a Unix shell sees their low 8 bits (Windows keeps all 32).
exit_bad_folder=4
exit_damaged=3
exit_product_running=8
exit_bad_command_line=2
exit_downgrade_not_allowed=9
exit_folder_not_empty=10
exit_setup_running=$((1618 % 256))
exit_cancelled=$((1602 % 256))


uninstall_path='Software\Microsoft\Windows\CurrentVersion\Uninstall'
product_key="HKLM\\$uninstall_path\\Velto"
user_key="HKCU\\$uninstall_path\\Velto"
user_folder="C:\\users\\$(id -un)\\AppData\\Local\\Programs\\Velto"
temp_dir=$(cpath 'C:\users')/$(id -un)/Temp
session_manager='HKLM\System\CurrentControlSet\Control\Session Manager'

# The product's Uninstall values (under key $1, by default the machine's) as NAME=VALUE lines
# (empty when the key is missing).
product_values() {
  rm -f "$work/product.reg"
  win reg export "${1:-$product_key}" "$(zpath "$work/product.reg")" /y
  [ -f "$work/product.reg" ] || return 0
  iconv -f UTF-16LE -t UTF-8 "$work/product.reg" | tr -d '\r' |
    sed -n 's/^"\([A-Za-z]*\)"="\(.*\)"$/\1=\2/p' | sed 's/\\\\/\\/g'
}

clear_product_places() {
  win reg delete "$product_key" /f
  win reg delete "$user_key" /f
  rm -rf "$(cpath "$user_folder")"
  win taskkill /F /IM Velto.exe
  rm -rf "$start_menu" "$desktop/Velto.lnk" "$quick_launch/Velto.lnk" "$temp_dir"/unins-* "$temp_dir"/waiting-uninstaller-*
  win reg delete "$session_manager" /v PendingFileRenameOperations /f
  rm -rf "$(cpath 'C:\BrindleQuiet')" "$(cpath 'C:\Program Files\Velto')" "$(cpath 'C:\Apps')"
}

# Every file and folder below $1, relative, one a line: what a run must not change.
tree_of() { (cd "$1" 2>/dev/null && find . -mindepth 1 | sort); }

# ---- Watching the X server ----
# A watcher lists, every 50 ms, the mapped windows of the setup's processes with their size, in
# $work/mapped.$1, until $work/stop.$1 exists. It runs while a program runs; what it saw is read
# after the program has ended.
watch_start() {
  rm -f "$work/stop.$1"
  : >"$work/mapped.$1"
  (
    while [ ! -e "$work/stop.$1" ]; do
      for w in $(xdotool search --onlyvisible --class 'veltosetup|unins000|damaged' 2>/dev/null); do
        xdotool getwindowgeometry "$w" 2>/dev/null | sed -n "s/.*Geometry: //p"
      done >>"$work/mapped.$1"
      sleep 0.05
    done
  ) &
  watcher=$!
}
watch_stop() { touch "$work/stop.$1"; wait "$watcher"; sort -u "$work/mapped.$1"; }

# Runs the program `$@` under Wine and waits (at most 60 s) for it; its exit status in $status.
run() {
  "$wine_run" "$@" </dev/null >>"$work/wine.log" 2>&1 &
  local pid=$! i
  status=timeout
  for i in $(seq 1 600); do
    if ! kill -0 "$pid" 2>/dev/null; then wait "$pid"; status=$?; return; fi
    sleep 0.1
  done
  kill "$pid" 2>/dev/null
}

# A small drive for the free-space refusal: a tmpfs (as root) mapped to a free drive letter.
small_mount=
small_link=
remove_small_drive() {
  if [ -n "$small_link" ]; then rm -f "$small_link"; small_link=; fi
  if [ -n "$small_mount" ]; then umount "$small_mount" 2>/dev/null || umount -l "$small_mount"; fi
  small_mount=
}

cleanup() { remove_small_drive; clear_product_places; rm -rf "$work"; }
trap cleanup EXIT

"$pack" pack --stub "$setup" --payload "$payload" --licence "$licence" --lastrun Velto.exe \
  --desktop Velto=Velto.exe --taskbar Velto=Velto.exe --progress never \
  --output "$work/VeltoSetup.exe" >/dev/null || { echo "packing failed" >&2; exit 1; }
for scope in user both; do
  "$pack" pack --stub "$setup" --payload "$payload" --licence "$licence" --lastrun Velto.exe \
    --desktop Velto=Velto.exe --scope $scope --progress never \
    --output "$work/VeltoSetup-$scope.exe" >/dev/null || { echo "packing failed" >&2; exit 1; }
done
payload_files=$(cd "$payload" && find . -type f | sed 's|^\./||' | sort)
clear_product_places
mkdir -p "$quick_launch"

folder='C:\BrindleQuiet\Velto Silent'
folder_unix=$(cpath "$folder")
log=$work/install.log

# ==== Silent install ====
echo "== silent install"
watch_start install
run "$work/VeltoSetup.exe" /S /NOTASKBAR "/LOG=$(zpath "$log")" "/D=$folder"
mapped=$(watch_stop install)
check "a silent install exits 0 (status $status)" [ "$status" = 0 ]
check "a silent install maps no window (saw: $mapped)" [ -z "$mapped" ]
for file in $payload_files; do
  check "installed $file" cmp -s "$payload/$file" "$folder_unix/$file"
done
check "exactly the payload and the uninstaller in the folder" \
  [ "$(tree_of "$folder_unix" | tr '\n' ' ')" = "$( (cd "$payload" && find . -mindepth 1; echo ./unins000.exe) | sort | tr '\n' ' ')" ]
check "the desktop shortcut" [ -f "$desktop/Velto.lnk" ]
check "the start-menu shortcut" [ -f "$start_menu/Velto.lnk" ]
check "no taskbar shortcut (/NOTASKBAR)" [ ! -e "$quick_launch/Velto.lnk" ]
product_values >"$work/values.txt"
check "registered DisplayName" grep -qx 'DisplayName=Velto' "$work/values.txt"
check "registered InstallLocation" grep -qixF "InstallLocation=$folder" "$work/values.txt"
check "registered QuietUninstallString" \
  grep -qixF "QuietUninstallString=\\\"$folder\\unins000.exe\\\" /S" "$work/values.txt"
check "the silent install never starts the product" \
  [ -z "$(xdotool search --onlyvisible --name '^Velto$' 2>/dev/null)" ]
check "the log names the folder" grep -qF "folder: $folder" "$log"
check "the log has the steps" grep -q '^step: ' "$log"
check "the log ends with the result and exit code 0" \
  [ "$(tail -n 2 "$log" | tr -d '\r' | tr '\n' '|')" = "result: completed|exit code: 0|" ]

# ==== Silent uninstall through the installed uninstaller ====
echo "== silent uninstall"
watch_start uninstall
run "$folder_unix/unins000.exe" /S "/LOG=$(zpath "$work/uninstall.log")"
mapped=$(watch_stop uninstall)
check "a silent uninstall exits 0 when the uninstall is done (status $status)" [ "$status" = 0 ]
check "a silent uninstall maps no window (saw: $mapped)" [ -z "$mapped" ]
check "the install folder is gone" [ ! -e "$folder_unix" ]
check "the shortcuts are gone" [ ! -e "$desktop/Velto.lnk" -a ! -e "$start_menu" ]
check "the registration is gone" [ -z "$(product_values)" ]
check "the temporary copy's log ends with exit code 0" \
  [ "$(tail -n 1 "$work/uninstall.log" | tr -d '\r')" = "exit code: 0" ]
check "the temporary copy's run folder is gone when the uninstaller returns" \
  [ -z "$(ls "$temp_dir"/unins-*/unins000.exe 2>/dev/null)" ]

# ==== Passive install: the progress window only ====
echo "== passive install"
watch_start passive
run "$work/VeltoSetup.exe" /PASSIVE "/D=$folder"
mapped=$(watch_stop passive)
check "a passive install exits 0 (status $status)" [ "$status" = 0 ]
check "a passive install installs" [ -f "$folder_unix/Velto.exe" ]
check "a passive install shows no page and no finish window (saw: $mapped)" \
  [ -z "$(grep -v '^670x300$' <<<"$mapped")" ]
clear_product_places

# ==== Silent failures: each exits with its code and changes nothing ====
echo "== bad folder"
before=$(tree_of "$prefix/drive_c")
run "$work/VeltoSetup.exe" /S "/LOG=$(zpath "$work/bad.log")" '/D=Q:\No Such Drive\Velto'
check "a bad folder exits $exit_bad_folder (status $status)" [ "$status" = "$exit_bad_folder" ]
check "a bad folder changes nothing on drive C" [ "$(tree_of "$prefix/drive_c")" = "$before" ]
check "a bad folder registers nothing" [ -z "$(product_values)" ]
check "the log names the folder and the cause" \
  grep -qF 'Q:\No Such Drive\Velto' "$work/bad.log"
check "the log names the cause" grep -q '^failed: ' "$work/bad.log"
check "the log says the drive cannot be reached" grep -qF '无法访问“Q:\”' "$work/bad.log"

echo "== too little space"
# A 256 KiB drive cannot take the setup's uninstaller: the check refuses before anything is
# written, and the log gives the figures.
mkdir -p "$work/small-drive"
if [ "$(id -u)" = 0 ] && mount -t tmpfs -o size=256k tmpfs "$work/small-drive" 2>/dev/null; then
  small_mount=$work/small-drive
  for letter in s r q p o n m; do
    candidate=$prefix/dosdevices/$letter:
    if [ ! -e "$candidate" ] && [ ! -L "$candidate" ] && ln -sT "$small_mount" "$candidate"; then
      small_link=$candidate
      small_drive=${letter^^}:
      break
    fi
  done
fi
if [ -n "$small_link" ]; then
  run "$work/VeltoSetup.exe" /S "/LOG=$(zpath "$work/space.log")" "/D=$small_drive\\Velto"
  check "too little space exits 1 (status $status)" [ "$status" = 1 ]
  check "too little space writes nothing" [ -z "$(ls -A "$small_mount")" ]
  check "too little space registers nothing" [ -z "$(product_values)" ]
  check "the log names the folder and the drive's lack of space" \
    grep -qF "failed: 磁盘空间不足, 无法安装到“$small_drive\\Velto”, 操作终止." "$work/space.log"
  check "the log gives the space needed and free" \
    grep -qE '^需要空间: [0-9.]+ (KB|MB), 可用空间: 2[0-9][0-9] KB' "$work/space.log"
  remove_small_drive
else
  echo "skipped: no small drive (needs root and tmpfs)"
fi

echo "== damaged package"
cp "$work/VeltoSetup.exe" "$work/Damaged.exe"
lfanew=$(od -An -tu4 -j60 -N4 "$work/Damaged.exe" | tr -d ' ')
printf '\0\0\0\0' | dd of="$work/Damaged.exe" bs=1 seek=$((lfanew - 4)) conv=notrunc 2>/dev/null
watch_start damaged
run "$work/Damaged.exe" /S "/LOG=$(zpath "$work/damaged.log")" "/D=$folder"
mapped=$(watch_stop damaged)
check "a damaged package exits $exit_damaged (status $status)" [ "$status" = "$exit_damaged" ]
check "a damaged package shows no box (saw: $mapped)" [ -z "$mapped" ]
check "a damaged package creates nothing" [ ! -e "$(cpath 'C:\BrindleQuiet')" ]
check "the log names the damaged package" grep -q '^failed: 安装包校验失败' "$work/damaged.log"

echo "== product running"
# An earlier install whose program runs: a folder of other files would be refused before that
# (the question whether to install into it anyway, answered No).
run "$work/VeltoSetup.exe" /S "/D=$folder"
check "the earlier install exits 0 (status $status)" [ "$status" = 0 ]
registered_before=$(product_values)
"$wine_run" "$folder_unix/Velto.exe" </dev/null >/dev/null 2>&1 &
velto_pid=$!
for i in $(seq 1 200); do
  [ -n "$(xdotool search --onlyvisible --name '^Velto$' 2>/dev/null)" ] && break
  sleep 0.1
done
before=$(tree_of "$folder_unix")
watch_start running
run "$work/VeltoSetup.exe" /S "/LOG=$(zpath "$work/running.log")" "/D=$folder"
mapped=$(watch_stop running)
check "a running product exits $exit_product_running (status $status)" \
  [ "$status" = "$exit_product_running" ]
check "no question box is shown (saw: $mapped)" [ -z "$mapped" ]
check "the running product is kept" kill -0 "$velto_pid"
check "the folder is as it was" [ "$(tree_of "$folder_unix")" = "$before" ]
check "the registration is as it was" [ "$(product_values)" = "$registered_before" ]
check "the log has the question and its safe answer" grep -qx 'answer: no.\?' "$work/running.log"
check "the log names the cause" grep -q '^failed: .*Velto.exe' "$work/running.log"
check "the log ends with the exit code" \
  [ "$(tail -n 1 "$work/running.log" | tr -d '\r')" = "exit code: $exit_product_running" ]
# /CLOSEAPPLICATIONS answers the question Yes: the running product is ended and replaced.
run "$work/VeltoSetup.exe" /S /CLOSEAPPLICATIONS "/LOG=$(zpath "$work/closing.log")" "/D=$folder"
check "/CLOSEAPPLICATIONS installs over the running product (status $status)" [ "$status" = 0 ]
check "the log has the switch's answer" grep -q '^answer: yes' "$work/closing.log"
check "the running product was ended" \
  [ -z "$(xdotool search --onlyvisible --name '^Velto$' 2>/dev/null)" ]
win taskkill /F /IM Velto.exe
kill "$velto_pid" 2>/dev/null

echo "== a folder of other files"
other_folder='C:\BrindleQuiet\Other files'
other_unix=$(cpath "$other_folder")
mkdir -p "$other_unix" && echo "someone's notes" >"$other_unix/notes.txt"
run "$work/VeltoSetup.exe" /S "/LOG=$(zpath "$work/nonempty.log")" "/D=$other_folder"
check "a folder of other files exits $exit_folder_not_empty (status $status)" \
  [ "$status" = "$exit_folder_not_empty" ]
check "the folder keeps only its own file" [ "$(tree_of "$other_unix")" = "./notes.txt" ]
run "$work/VeltoSetup.exe" /S /ALLOWNONEMPTYFOLDER /D="$other_folder"
check "/ALLOWNONEMPTYFOLDER installs beside the other file (status $status)" [ "$status" = 0 ]
check "the other file is kept" grep -q "someone's notes" "$other_unix/notes.txt"
# The machine's entry points to this folder now: the next runs install into the first one again.
run "$work/VeltoSetup.exe" /S "/D=$folder"
check "installing into the first folder again exits 0 (status $status)" [ "$status" = 0 ]

echo "== downgrade"
# The installed Velto has its program's version; a package that says 0.1 asks first (No).
"$pack" pack --stub "$setup" --payload "$payload" --licence "$licence" --lastrun Velto.exe \
  --product-name Velto --product-version 0.1 --progress never \
  --output "$work/VeltoSetup-old.exe" >/dev/null || fail "packing the older package"
before=$(tree_of "$folder_unix")
registered_before=$(product_values)
run "$work/VeltoSetup-old.exe" /S "/LOG=$(zpath "$work/downgrade.log")" "/D=$folder"
check "an older package exits $exit_downgrade_not_allowed (status $status)" \
  [ "$status" = "$exit_downgrade_not_allowed" ]
check "the downgrade question is asked and answered no" \
  [ "$(grep -c '^question: \|^answer: no' "$work/downgrade.log")" = 2 ]
check "the folder is as it was after the refused downgrade" [ "$(tree_of "$folder_unix")" = "$before" ]
check "the registration is as it was after the refused downgrade" \
  [ "$(product_values)" = "$registered_before" ]

run "$work/VeltoSetup-old.exe" /VERYSILENT /SUPPRESSMSGBOXES /NORESTART /ALLOWDOWNGRADE \
  "/LOG=\"$(zpath "$work/allowed downgrade.log")\"" "/DIR=$folder"
check "/ALLOWDOWNGRADE installs the older package (status $status)" [ "$status" = 0 ]
check "the log of a quoted path with a blank has the switch's answer" \
  grep -q '^answer: yes' "$work/allowed downgrade.log"
check "the registration shows the older version" \
  grep -qx 'DisplayVersion=0.1' <<<"$(product_values)"
run "$work/VeltoSetup.exe" /S "/D=$folder"
check "the newer package installs again (status $status)" [ "$status" = 0 ]

echo "== an unknown switch in a passive run"
watch_start unknown
run "$work/VeltoSetup.exe" /PASSIVE "/LOG=$(zpath "$work/unknown.log")" /NOSUCHSWITCH
mapped=$(watch_stop unknown)
check "an unknown switch exits $exit_bad_command_line (status $status)" \
  [ "$status" = "$exit_bad_command_line" ]
check "no usage box is shown (saw: $mapped)" [ -z "$mapped" ]
check "the log names the unknown switch" grep -q '^unknown switch: /NOSUCHSWITCH' "$work/unknown.log"

echo "== a second setup of the product"
"$wine_run" "$work/VeltoSetup.exe" </dev/null >/dev/null 2>&1 &
first_pid=$!
check "the first setup shows its page" \
  appears "xdotool search --onlyvisible --class veltosetup" 60
run "$work/VeltoSetup.exe" /S "/LOG=$(zpath "$work/second.log")" "/D=$folder"
check "a second setup while the first shows its page exits $exit_setup_running (status $status)" \
  [ "$status" = "$exit_setup_running" ]
check "the second setup changed nothing" [ "$(tree_of "$folder_unix")" = "$before" ]
win taskkill /F /IM VeltoSetup.exe
wait "$first_pid" 2>/dev/null

# ==== Per-user installs: HKLM and Program Files untouched ====
# What a per-user run must leave alone: the machine's Uninstall keys (both registry views) and
# the Program Files folders.
machine_state() {
  local view
  for view in "HKLM\\$uninstall_path" "HKLM\\Software\\Wow6432Node\\${uninstall_path#Software\\}"; do
    rm -f "$work/machine.reg"
    win reg export "$view" "$(zpath "$work/machine.reg")" /y
    [ -f "$work/machine.reg" ] && iconv -f UTF-16LE -t UTF-8 "$work/machine.reg"
  done
  (cd "$prefix/drive_c" && find 'Program Files' 'Program Files (x86)' 2>/dev/null | sort)
}
clear_product_places
user_folder_unix=$(cpath "$user_folder")
for setup_and_switch in "VeltoSetup-user.exe" "VeltoSetup-both.exe /CURRENTUSER"; do
  read -r package switch <<<"$setup_and_switch"
  name="per-user ${switch:-$package}"
  echo "== $name"
  before=$(machine_state)
  # No /D=: the default folder of a per-user install.
  run "$work/$package" /S $switch "/LOG=$(zpath "$work/user.log")"
  check "$name: the install exits 0 (status $status)" [ "$status" = 0 ]
  check "$name: the payload and the uninstaller are in LocalAppData\\Programs\\Velto" \
    [ "$(tree_of "$user_folder_unix" | tr '\n' ' ')" = "$( (cd "$payload" && find . -mindepth 1; echo ./unins000.exe) | sort | tr '\n' ' ')" ]
  check "$name: registered under HKCU with its folder and quiet uninstall string" \
    grep -qixF "QuietUninstallString=\\\"$user_folder\\unins000.exe\\\" /S" <(product_values "$user_key")
  check "$name: the user's shortcuts" [ -f "$desktop/Velto.lnk" -a -f "$start_menu/Velto.lnk" ]
  check "$name: nothing under HKLM's Uninstall key" [ -z "$(product_values)" ]
  check "$name: HKLM and Program Files as they were" [ "$(machine_state)" = "$before" ]
  check "$name: the log names the scope" grep -qx 'scope: current user.\?' "$work/user.log"
  run "$user_folder_unix/unins000.exe" /S
  check "$name: the uninstall exits 0 (status $status)" [ "$status" = 0 ]
  check "$name: the folder, the HKCU entry and the shortcuts are gone" \
    [ ! -e "$user_folder_unix" -a -z "$(product_values "$user_key")" -a ! -e "$desktop/Velto.lnk" -a ! -e "$start_menu" ]
  check "$name: HKLM and Program Files still as they were" [ "$(machine_state)" = "$before" ]
done
echo "== scope both without a switch: every user"
run "$work/VeltoSetup-both.exe" /S
check "it installs into Program Files, registered under HKLM only (status $status)" \
  [ "$status" = 0 -a -f "$(cpath 'C:\Program Files\Velto\Velto.exe')" -a -n "$(product_values)" -a -z "$(product_values "$user_key")" ]

# ==== A signed package: the uninstaller and its temporary copy carry the signature ====
echo "== signed package"
clear_product_places
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
  -subj "/CN=Brindle Test Signer" -batch >/dev/null 2>&1 || fail "making a throwaway certificate"
"$pack" pack --stub "$setup" --payload "$payload" --licence "$licence" --lastrun Velto.exe \
  --desktop Velto=Velto.exe --progress never --cert "$work/cert.pem" --key "$work/key.pem" \
  --output "$work/VeltoSetup-signed.exe" >/dev/null || fail "packing the signed package"
# osslsigncode verify with the throwaway certificate as the trusted root.
verified() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.txt" 2>&1; }
run "$work/VeltoSetup-signed.exe" /S "/D=$folder"
check "the signed package installs (status $status)" [ "$status" = 0 ]
check "the payload, the uninstaller and its record in the folder" \
  [ "$(tree_of "$folder_unix" | tr '\n' ' ')" = "$( (cd "$payload" && find . -mindepth 1; echo ./unins000.exe; echo ./unins000.dat) | sort | tr '\n' ' ')" ]
check "osslsigncode verify passes on the installed uninstaller" verified "$folder_unix/unins000.exe"
# Without /S the temporary copy shows the uninstall page and waits there.
cp "$folder_unix/unins000.exe" "$work/signed-uninstaller.exe"
"$wine_run" "$folder_unix/unins000.exe" </dev/null >/dev/null 2>&1 &
waiting_pid=$!
page=$(wait_for "windows_of unins000.exe 670x330 | head -n 1" 60)
check "the temporary copy shows the uninstall page" [ -n "$page" ]
check "meanwhile the Uninstall entry's uninstaller is in the install folder, unchanged" \
  cmp -s "$folder_unix/unins000.exe" "$work/signed-uninstaller.exe"
copy=$(ls "$temp_dir"/unins-*/unins000.exe 2>/dev/null | head -n 1)
check "osslsigncode verify passes on the running temporary copy ($copy)" verified "$copy"
check "the record went along beside the copy" cmp -s "${copy%.exe}.dat" "$folder_unix/unins000.dat"
# "取消", the pointer coming from nearby as a user's does (the buttons react to a moved pointer).
if [ -n "$page" ]; then
  xdotool mousemove --window "$page" 561 259
  sleep 0.05
  xdotool mousemove --window "$page" 558 256 click 1
fi
for i in $(seq 1 600); do kill -0 "$waiting_pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$waiting_pid" 2>/dev/null; then
  win taskkill /F /IM unins000.exe
  kill "$waiting_pid" 2>/dev/null
fi
wait "$waiting_pid"
status=$?
check "a cancelled uninstall exits as cancelled (status $status)" [ "$status" = "$exit_cancelled" ]
check "a cancelled uninstall keeps the uninstaller and its record" \
  [ -f "$folder_unix/unins000.exe" -a -f "$folder_unix/unins000.dat" ]

echo "== damaged record"
cp "$folder_unix/unins000.dat" "$work/record.dat"
head -c 100 "$work/record.dat" >"$folder_unix/unins000.dat"
before=$(tree_of "$folder_unix")
registered_before=$(product_values)
run "$folder_unix/unins000.exe" /S "/LOG=$(zpath "$work/record.log")"
check "a damaged record exits $exit_damaged (status $status)" [ "$status" = "$exit_damaged" ]
check "a damaged record changes nothing in the folder" [ "$(tree_of "$folder_unix")" = "$before" ]
check "a damaged record changes no registration" [ "$(product_values)" = "$registered_before" ]
check "the log names the record file" grep -qiF "record: $folder\unins000.dat" "$work/record.log"
check "the log names the damaged package" grep -q '^failed: 安装包校验失败' "$work/record.log"
cp "$work/record.dat" "$folder_unix/unins000.dat"

echo "== signed uninstall"
run "$folder_unix/unins000.exe" /S
check "the signed uninstall exits 0 (status $status)" [ "$status" = 0 ]
check "the folder is gone, the record file with it" [ ! -e "$folder_unix" ]
check "the registration of the signed install is gone" [ -z "$(product_values)" ]
check "no temporary copy's run folder is left" \
  [ -z "$(ls "$temp_dir"/unins-*/unins000.exe 2>/dev/null)" ]
# The waiting uninstaller (run as administrator: in a run folder of its own) cannot remove itself.
check "the waiting uninstaller is removed at the next restart" \
  grep -q 'waiting-uninstaller-' \
  <("$wine_run" reg query "$session_manager" /v PendingFileRenameOperations 2>/dev/null)

# ==== The examples of docs/deploying.md, as the page writes them ====
# Each command line is taken from the page and run once through Wine's cmd (only the setup's and
# the share's paths substituted): the switch forms, the Intune and Configuration Manager commands
# (their services cannot run here; the commands they start can) and the Group Policy start-up
# script; then the page's manifest command and its installer manifest.
echo "== the examples of docs/deploying.md"
clear_product_places
doc=$(dirname "$0")/../../../docs/deploying.md
# The page's first `code span` that holds $1 (a fixed string).
doc_span() { grep -o '`[^`]*`' "$doc" | tr -d '`' | grep -m 1 -F -- "$1"; }
# Runs the lines $2... as the batch file $work/$1.bat through Wine's cmd, in the setup's folder.
run_batch() {
  local name=$1; shift
  printf '%s\r\n' '@cd /d '"$(zpath "$work")" "$@" >"$work/$name.bat"
  run cmd /c "$(zpath "$work/$name.bat")"
}
default_folder_unix=$(cpath 'C:\Program Files\Velto')
windows_temp=$(cpath 'C:\windows\temp')

intune_install=$(doc_span '/LOG="%TEMP%')
intune_uninstall=$(doc_span '"C:\Program Files\Velto\unins000.exe" /S')
check "the page has the Intune commands" [ -n "$intune_install" -a -n "$intune_uninstall" ]
rm -f "$temp_dir/VeltoSetup.log"
run_batch intune-install "$intune_install"
check "Intune's install command exits 0 (status $status)" [ "$status" = 0 ]
check "it installs into the default folder" [ -f "$default_folder_unix/Velto.exe" ]
check "its log is in %TEMP%" grep -qx 'exit code: 0.\?' "$temp_dir/VeltoSetup.log"
check "the entry's QuietUninstallString is Intune's uninstall command" \
  grep -qixF "QuietUninstallString=${intune_uninstall//\"/\\\"}" <(product_values)
key=$(doc_span 'SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Velto')
check "the detection rule's key has the packaged version" \
  grep -q 'DisplayVersion.*1\.2\.0' <("$wine_run" reg query "HKLM\\$key" /v DisplayVersion 2>/dev/null)
run_batch intune-uninstall "$intune_uninstall"
check "Intune's uninstall command exits 0 (status $status)" [ "$status" = 0 ]
check "it removes the folder and the entry" [ ! -e "$default_folder_unix" -a -z "$(product_values)" ]

configmgr_install=$(doc_span '/LOG="%WINDIR%\Temp')
configmgr_uninstall=$(doc_span '"%ProgramFiles%\Velto\unins000.exe" /S')
check "the page has the Configuration Manager commands" \
  [ -n "$configmgr_install" -a -n "$configmgr_uninstall" ]
rm -f "$windows_temp/VeltoSetup.log"
run_batch configmgr-install "$configmgr_install"
check "Configuration Manager's installation program exits 0 (status $status)" [ "$status" = 0 ]
check "its log is in %WINDIR%\\Temp" grep -qx 'exit code: 0.\?' "$windows_temp/VeltoSetup.log"
run_batch configmgr-uninstall "$configmgr_uninstall"
check "Configuration Manager's uninstall program exits 0 (status $status)" [ "$status" = 0 ]
check "it removes the folder and the entry" [ ! -e "$default_folder_unix" -a -z "$(product_values)" ]

echo "== the Group Policy start-up script"
# It installs over another version (the older package), and not again when its version is there.
sed -n '/^```bat$/,/^```$/p' "$doc" | sed '1d;$d' >"$work/startup.txt"
check "the page has the start-up script" grep -q '^"%SETUP%" /S' "$work/startup.txt"
mapfile -t startup_lines <"$work/startup.txt"
startup_lines=("${startup_lines[@]/#set SETUP=*/set SETUP=$(zpath "$work/VeltoSetup.exe")}")
run "$work/VeltoSetup-old.exe" /S
check "the older package installs (status $status)" [ "$status" = 0 ]
rm -f "$windows_temp/VeltoSetup.log"
run_batch startup "${startup_lines[@]}"
check "the first start installs over it and exits 0 (status $status)" [ "$status" = 0 ]
check "it registers the wanted version" grep -qx 'DisplayVersion=1.2.0' <(product_values)
check "its log is in %WINDIR%\\Temp" grep -qx 'exit code: 0.\?' "$windows_temp/VeltoSetup.log"
rm -f "$windows_temp/VeltoSetup.log"
run_batch startup "${startup_lines[@]}"
check "the next start finds the version and exits 0 (status $status)" [ "$status" = 0 ]
check "the next start does not run the setup" [ ! -e "$windows_temp/VeltoSetup.log" ]
run "$default_folder_unix/unins000.exe" /S
check "the uninstall after the script exits 0 (status $status)" [ "$status" = 0 ]

echo "== the switch forms of the page"
apps_folder=$(doc_span '/S /D=C:\Apps\Velto /NORESTART')
check "the page has the unquoted folder example" [ -n "$apps_folder" ]
run_batch apps "VeltoSetup.exe $apps_folder"
check "'$apps_folder' exits 0 (status $status)" [ "$status" = 0 ]
check "it installs into C:\\Apps\\Velto" [ -f "$(cpath 'C:\Apps\Velto')/Velto.exe" ]
run "$(cpath 'C:\Apps\Velto')/unins000.exe" /S
check "its uninstall exits 0 (status $status)" [ "$status" = 0 ]
my_logs=$(cpath 'C:\my logs')
mkdir -p "$my_logs"
quoted_folder=$(doc_span '/D="C:\Program Files\Velto"')
for form in "$(doc_span '/LOG="C:\my logs\setup.log"')" \
  "$(doc_span '"/LOG=\"C:\my logs\setup.log\""')" "$(doc_span '"/LOG=C:\my logs\setup.log"')"; do
  rm -f "$my_logs/setup.log"
  run_batch log "VeltoSetup.exe $quoted_folder /S $form"
  check "'$form' with '$quoted_folder' first exits 0 (status $status)" [ "$status" = 0 ]
  check "'$form' writes the log" grep -qx 'exit code: 0.\?' "$my_logs/setup.log"
  check "'$quoted_folder' is the folder" grep -qix 'folder: C:\\Program Files\\Velto.\?' "$my_logs/setup.log"
done
unquoted_log=$(doc_span '/LOG=C:\Users\John Smith\x.log')
run_batch unquoted "VeltoSetup.exe /S $unquoted_log"
check "'$unquoted_log' exits $exit_bad_command_line (status $status)" \
  [ "$status" = "$exit_bad_command_line" ]
run "$default_folder_unix/unins000.exe" /S
rm -rf "$my_logs"

echo "== the page's manifest command"
# The page's indented commands, brindle-pack being the host tree's.
sed -n '/^    mkdir manifests/,/^$/p' "$doc" | sed 's/^ *//; s/^brindle-pack /"$pack" /' >"$work/manifest.sh"
check "the page has the manifest commands" grep -q '^"$pack" manifest' "$work/manifest.sh"
mkdir -p "$work/manifest"
cp "$work/VeltoSetup.exe" "$work/manifest/VeltoSetup-x64.exe"
(cd "$work/manifest" && pack=$pack bash -e "$work/manifest.sh") >/dev/null
status=$?
check "the manifest command exits 0 (status $status)" \
  [ "$status" = 0 -a -f "$work/manifest/manifests/Velto.Velto.installer.yaml" ]
# Every line of the page's installer manifest, but for its comment and placeholders, is written.
missing=$(sed -n '/^```yaml$/,/^```$/p' "$doc" | sed '1d;$d' | grep -v '#\|<the' |
  grep -vxFf <(tr -d '\r' <"$work/manifest/manifests/Velto.Velto.installer.yaml"))
check "the page's installer manifest is what the command writes (missing: $missing)" [ -z "$missing" ]
# inspect prints the key of the page's detection rules and the hash the manifest holds.
inspected=$("$pack" inspect "$work/manifest/VeltoSetup-x64.exe")
check "inspect prints the detection rules' key" \
  grep -qF "uninstall key:   HKEY_LOCAL_MACHINE\\$key" <<<"$inspected"
sha=$(sha256sum "$work/manifest/VeltoSetup-x64.exe" | cut -c1-64 | tr a-f A-F)
check "inspect and the manifest give the file's SHA-256" \
  [ -n "$(grep -F "sha-256:         $sha" <<<"$inspected")" -a \
    -n "$(grep -F "InstallerSha256: $sha" "$work/manifest/manifests/Velto.Velto.installer.yaml")" ]

if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"

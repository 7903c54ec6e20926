#!/usr/bin/env bash
# End-to-end walk-through of the real setup program under Wine, driven with xdotool as a user
# would, on setup packages that brindle-pack builds from the sample product:
#   install (agreement box, a typed folder with a space and Chinese characters, one shortcut
#   option off, progress, install-finished window starting Velto), the uninstaller copy and the
#   temporary uninstaller in its own run folder, uninstall, leaving by the close button and by
#   "取消", a damaged package, a folder on a missing drive, and an install that fails because the
#   user keeps the running product.
# Screenshots of every window are taken with a compositor running, so that alpha shows.
#
#   setup_walkthrough.sh --build WIN_BUILD_DIR --pack BRINDLE_PACK --setup BrindleSetup.exe
#                        --payload DIR --licence FILE --shots DIR
#
# WIN_BUILD_DIR is the Windows build tree with a running Wine session (scripts/wine-session.sh):
# its wine-run wrapper, its prefix, its home folder (the Wine desktop) and its X display. The
# product's fixed places in that prefix (Uninstall key, shortcuts, start-menu folder) are cleared
# before and after. Exit status 0 on success, 1 on a failed check, 77 when brindle-pack is missing.
set -uo pipefail

. "$(dirname "$0")/e2e_common.sh"
e2e_start e2e "$@"
mkdir -p "$shots"
# Exit codes (app/exit_code.h) as a Unix shell sees them: the low 8 bits (Windows keeps all 32).
cancelled=$((1602 % 256))
compositor=

# ---- Wine paths, registry and processes ----


product_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velto'
temp_dir=$(cpath 'C:\users')/$(id -un)/Temp
session_manager='HKLM\System\CurrentControlSet\Control\Session Manager'

# Prints the product's Uninstall values as NAME=VALUE lines (empty when the key is missing).
product_values() {
  rm -f "$work/product.reg"
  win reg export "$product_key" "$(zpath "$work/product.reg")" /y
  [ -f "$work/product.reg" ] || return 0
  iconv -f UTF-16LE -t UTF-8 "$work/product.reg" | tr -d '\r' |
    sed -n 's/^"\([A-Za-z]*\)"="\(.*\)"$/\1=\2/p' | sed 's/\\\\/\\/g'
}

clear_product_places() {
  win reg delete "$product_key" /f
  win taskkill /F /IM Velto.exe
  rm -rf "$start_menu" "$desktop/Velto.lnk" "$quick_launch/Velto.lnk" "$temp_dir"/unins-* "$temp_dir"/waiting-uninstaller-*
  # The temporary uninstaller copies' removal at the next restart (this prefix has no others).
  win reg delete "$session_manager" /v PendingFileRenameOperations /f
  rm -rf "$(cpath 'C:\BrindleE2E')" "$(cpath 'C:\Program Files\Velto')"
}

# ---- X windows ----

# Window position and size as "X Y WIDTH HEIGHT".
placement() {
  local X Y WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
  echo "$X $Y $WIDTH $HEIGHT"
}

screen_size() { xdpyinfo | sed -n 's/.*dimensions: *\([0-9]*\)x\([0-9]*\) pixels.*/\1 \2/p'; }

# Checks that window $1 is WIDTH x HEIGHT ($2 x $3) and centred on the screen.
check_placement() {
  local name=$4 x y w h sw sh
  read -r x y w h <<<"$(placement "$1")"
  read -r sw sh <<<"$(screen_size)"
  check "$name is $2 x $3" [ "$w" = "$2" -a "$h" = "$3" ]
  check "$name is centred" [ $(( (sw - w) / 2 - x )) -ge -1 -a $(( (sw - w) / 2 - x )) -le 1 \
    -a $(( (sh - h) / 2 - y )) -ge -1 -a $(( (sh - h) / 2 - y )) -le 1 ]
}

# click WINDOW X Y (window coordinates). The pointer comes from a point nearby, as a user's
# does: a window that appears under a resting pointer sees no movement, and the elements react
# only to a pointer that has moved onto them.
click() {
  xdotool mousemove --window "$1" $(($2 + 3)) $(($3 + 3))
  sleep 0.05
  xdotool mousemove --window "$1" "$2" "$3" click 1
  sleep 0.3
}

# The xdotool key names that type the UTF-8 text $1: the Unicode key symbol of each character
# ("U43", "U7EF4"), for which xdotool binds a spare key code when the keyboard lacks it.
key_names() { python3 -c 'import sys; print(" ".join("U%X" % ord(c) for c in sys.argv[1]))' "$1"; }

# Replaces the install folder of main window $1 by typing $2 into the path box, as a user does.
# The delay keeps each spare key code bound until the program has translated its key (40 ms let
# a neighbour's character through on a loaded machine).
type_folder() {
  click "$1" 300 537
  xdotool windowfocus --sync "$1" 2>/dev/null
  xdotool key ctrl+a
  xdotool key --delay 150 $(key_names "$2")
}

# Answers the message box $1 with key $2 (Return, n). The keyboard focus is taken again and the
# key pressed again while the box stays, in case another window took the focus meanwhile.
answer_box() {
  local i
  for i in 1 2 3 4 5; do
    xdotool windowfocus --sync "$1" key "$2" 2>/dev/null
    appears "xdotool getwindowname $1 >/dev/null 2>&1 || echo gone" 2 && return 0
  done
  return 1
}

# ---- Screenshots ----

# Saves the screen area of window $1 as $shots/$2.png; the whole screen and the window's
# placement stay in $work for check_card.
shoot() {
  local x y w h
  read -r x y w h <<<"$(placement "$1")"
  import -window root "$work/$2.root.png"
  echo "$x $y $w $h" >"$work/$2.placement"
  convert "$work/$2.root.png" -crop "${w}x${h}+${x}+${y}" +repage "$shots/$2.png"
}

pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info:; }
# True when the pixel is close to the colour R G B (each about within 24).
pixel_near() {
  local r g b
  read -r r g b <<<"$(pixel "$1" "$2" "$3")"
  [ $(( (r - $4) * (r - $4) + (g - $5) * (g - $5) + (b - $6) * (b - $6) )) -le 1728 ]
}
# True when pixel $2,$3 of image $1 and pixel $5,$6 of image $4 are (nearly) the same colour.
same_pixel() {
  local r g b
  read -r r g b <<<"$(pixel "$4" "$5" "$6")"
  pixel_near "$1" "$2" "$3" "$r" "$g" "$b"
}
is_white() { pixel_near "$1" "$2" "$3" 255 255 255; }
is_accent() { pixel_near "$1" "$2" "$3" 45 108 240; }
# Blue clearly dominant (the brand gradient).
is_blue() {
  local r g b
  read -r r g b <<<"$(pixel "$1" "$2" "$3")"
  [ "$b" -gt 200 ] && [ "$r" -lt 140 ]
}
# Grey: the channels within 45 of each other, not white.
is_grey() {
  local r g b
  read -r r g b <<<"$(pixel "$1" "$2" "$3")"
  [ $(( b - r )) -le 45 ] && [ "$r" -lt 235 ]
}
# Not a flat area: the region WxH+X+Y holds drawn text or pictures.
has_detail() {
  local deviation
  deviation=$(convert "$1" -crop "$2" +repage -colorspace gray -format '%[fx:int(1000*standard_deviation)]' info:)
  [ "$deviation" -gt 20 ]
}

# Coarse checks of a card window's screenshot $1: its corners (the shadow margin) show the
# screen just outside the window, and the point $3,$4 is drawn opaque in the card's colour
# (check $2: is_white, is_blue).
check_card() {
  local shot=$shots/$1.png root=$work/$1.root.png x y w h
  read -r x y w h <"$work/$1.placement"
  check "$1: top-left corner is transparent" same_pixel "$shot" 1 1 "$root" $((x - 1)) $((y + 1))
  check "$1: bottom-right corner is transparent" \
    same_pixel "$shot" $((w - 2)) $((h - 2)) "$root" $((x + w)) $((y + h - 2))
  check "$1: the card is opaque" "$2" "$shot" "$3" "$4"
}

# ---- Programs ----

# Starts `$@` under Wine in the background; its pid in $started.
start() { "$wine_run" "$@" </dev/null >>"$work/wine.log" 2>&1 & started=$!; }
# Waits (at most 30 s) for the started pid $1 and sets $status to its exit status ("timeout"
# if it keeps running). Not in a subshell: only this shell can collect its children's status.
wait_exit() {
  local i
  status=timeout
  for i in $(seq 1 300); do
    if ! kill -0 "$1" 2>/dev/null; then
      wait "$1"
      status=$?
      return
    fi
    sleep 0.1
  done
  kill "$1" 2>/dev/null
}
# Waits (at most 20 s) until no process has the Unix pid $1.
gone() {
  local i
  for i in $(seq 1 200); do kill -0 "$1" 2>/dev/null || return 0; sleep 0.1; done
  return 1
}

cleanup() {
  [ -n "$compositor" ] && kill "$compositor" 2>/dev/null
  clear_product_places
  rm -rf "$work"
}
trap cleanup EXIT

# ---- Packages ----

pack_setup() { # pack_setup OUTPUT
  "$pack" pack --stub "$setup" --payload "$payload" --licence "$licence" --lastrun Velto.exe \
    --desktop Velto=Velto.exe --taskbar Velto=Velto.exe --progress never --output "$1" >/dev/null
}
pack_setup "$work/VeltoSetup.exe" || { echo "packing failed" >&2; exit 1; }
# Every file of the payload, relative, with forward slashes.
payload_files=$(cd "$payload" && find . -type f | sed 's|^\./||' | sort)

clear_product_places
# Windows has the Quick Launch folder; a fresh Wine prefix does not.
mkdir -p "$quick_launch"
setsid xcompmgr </dev/null >/dev/null 2>&1 &
compositor=$!

folder='C:\BrindleE2E\My Apps\维尔托 Velto'
folder_unix=$(cpath "$folder")

# ==== Install ====
echo "== install"
start "$work/VeltoSetup.exe"
setup_pid=$started
main=$(wait_for "xdotool search --onlyvisible --name '^Brindle\$'") || { fail "main window shown"; exit 1; }
sleep 0.5
check_placement "$main" 670 680 "install page"
shoot "$main" install-page
check_card install-page is_white 350 570
check "install page: the licence box shows the licence" has_detail "$shots/install-page.png" 540x150+65+315
check "install page: the install button is the accent colour" is_accent "$shots/install-page.png" 545 602

click "$main" 62 493  # agreement box
shoot "$main" install-page-disagreed
check "unticked agreement greys the install button" is_grey "$shots/install-page-disagreed.png" 545 602
# The folder box, typed: a folder that does not exist yet.
type_folder "$main" "$folder"
click "$main" 545 602  # the disabled install button
sleep 1
check "the disabled install button does nothing" [ ! -e "$folder_unix" ]
check "the main window stays after the disabled button" [ -n "$(windows_of veltosetup.exe 670x680)" ]
click "$main" 62 493  # agreement box again
shoot "$main" install-page-typed
check "ticking the agreement enables the install button" is_accent "$shots/install-page-typed.png" 545 602
click "$main" 192 603  # taskbar box off
click "$main" 545 602  # install

finish=$(wait_for "windows_of veltosetup.exe 670x320") || fail "install-finished window shown"
if [ -n "$finish" ]; then
  sleep 0.5
  check_placement "$finish" 670 320 "install-finished window"
  shoot "$finish" install-finished
  check_card install-finished is_blue 100 250
  click "$finish" 518 165  # "立即体验"
  wait_exit "$setup_pid"
  check "setup exits 0 after starting the product (status $status)" [ "$status" = 0 ]
  check "the installed Velto.exe runs" appears "xdotool search --onlyvisible --name '^Velto\$'"
  win taskkill /F /IM Velto.exe
else
  kill "$setup_pid" 2>/dev/null
fi

echo "== installed files, uninstaller copy, shortcuts, registry"
for file in $payload_files; do
  check "installed $file" cmp -s "$payload/$file" "$folder_unix/$file"
done
check "uninstaller copy unins000.exe" [ -f "$folder_unix/unins000.exe" ]
"$pack" inspect "$folder_unix/unins000.exe" >"$work/inspect.txt" 2>&1
check "uninstaller copy is a valid uninstaller package" grep -q '"mode":0' "$work/inspect.txt"
check "uninstaller copy records the install folder" grep -qF "$folder" "$work/inspect.txt"
for file in $payload_files; do
  check "uninstaller copy records $file" grep -qF "$folder\\${file//\//\\}" "$work/inspect.txt"
done
check "desktop shortcut" [ -f "$desktop/Velto.lnk" ]
check "start-menu shortcut" [ -f "$start_menu/Velto.lnk" ]
check "no Quick Launch shortcut (its option was off)" [ ! -e "$quick_launch/Velto.lnk" ]
product_values >"$work/values.txt"
check "registry DisplayName" grep -qx 'DisplayName=Velto' "$work/values.txt"
check "registry UninstallString" grep -qixF "UninstallString=\\\"$folder\\unins000.exe\\\"" "$work/values.txt"
check "registry QuietUninstallString" \
  grep -qixF "QuietUninstallString=\\\"$folder\\unins000.exe\\\" /S" "$work/values.txt"
check "registry DisplayIcon" grep -qi '^DisplayIcon=.*Velto' "$work/values.txt"
check "registry HelpLink" grep -q '^HelpLink=.' "$work/values.txt"
check "registry Publisher" grep -q '^Publisher=.' "$work/values.txt"
check "registry DisplayVersion (Velto.exe's version resource)" grep -qx 'DisplayVersion=1.2.0' "$work/values.txt"
check "registry InstallLocation" grep -qixF "InstallLocation=$folder" "$work/values.txt"
check "registry InstallDate" grep -qE '^InstallDate=[0-9]{8}$' "$work/values.txt"
check "registry EstimatedSize, NoModify, NoRepair" \
  [ "$(iconv -f UTF-16LE -t UTF-8 "$work/product.reg" | tr -d '\r' | grep -cE '^"(EstimatedSize|NoModify|NoRepair)"=dword:')" = 3 ]

# ==== Uninstall: the uninstaller relaunches from the temporary folder; "取消" leaves ====
echo "== uninstall, cancelled"
start "$folder_unix/unins000.exe"
installed_uninstaller_pid=$started
page=$(wait_for "windows_of unins000.exe 670x330") || fail "the temporary copy shows the uninstall page"
check "the installed uninstaller waits for its copy" kill -0 "$installed_uninstaller_pid"
# The copy's run folder is the one holding unins000.exe.
run_folders=$(cd "$temp_dir" && ls -d unins-*/unins000.exe 2>/dev/null | cut -d/ -f1)
check "it made one run folder for its copy in the temporary folder ($run_folders)" \
  grep -qxE 'unins-[0-9a-f]{32}' <<<"$run_folders"
temp_copy=$temp_dir/$run_folders/unins000.exe
# While it waits, the installed uninstaller runs from the temporary folder (moved out of the
# install folder, so that the uninstall can remove that folder) and leaves a copy of itself in
# its place, which the Uninstall entry names. Elevated (every Wine process is), it waits in a
# protected run folder of its own, never directly in the temporary folder.
waiting_image=$(ls "$temp_dir"/unins-*/waiting-uninstaller-*.exe 2>/dev/null | head -n 1)
check "the elevated waiting uninstaller is in a run folder of its own ($waiting_image)" \
  [ -n "$waiting_image" -a "$(dirname "$waiting_image")" != "$temp_dir/$run_folders" ]
check "no waiting uninstaller directly in the temporary folder" \
  [ -z "$(ls "$temp_dir"/waiting-uninstaller-*.exe 2>/dev/null)" ]
check "it copied itself into the run folder" cmp -s "$waiting_image" "$temp_copy"
check "the install folder keeps an uninstaller with its bytes" \
  cmp -s "$waiting_image" "$folder_unix/unins000.exe"
pending=$("$wine_run" reg query "$session_manager" /v PendingFileRenameOperations 2>/dev/null)
check "the copy is to be removed at the next restart" \
  grep -qiF "Temp\\$run_folders\\unins000.exe" <<<"$pending"
# The copy is started again below as a person would find it; its folder goes once it ends.
cp "$temp_copy" "$work/temporary-copy.exe"
if [ -n "$page" ]; then
  sleep 0.5
  check_placement "$page" 670 330 "uninstall page"
  shoot "$page" uninstall-page
  check_card uninstall-page is_white 335 230
  copy_pid=$(xdotool getwindowpid "$page")
  click "$page" 558 256  # "取消"
  check "取消 ends the temporary copy" gone "$copy_pid"
fi
wait_exit "$installed_uninstaller_pid"
check "the installed uninstaller exits with its copy's code, cancelled (status $status)" \
  [ "$status" = "$cancelled" ]
check "the run folder is gone when the installed uninstaller returns" [ ! -e "$temp_dir/$run_folders" ]
mkdir -p "$temp_dir/$run_folders" && cp "$work/temporary-copy.exe" "$temp_copy"
# The temporary copy started directly, so that its exit status can be seen.
start "$temp_copy"
copy_pid=$started
page=$(wait_for "windows_of unins000.exe 670x330") || fail "the temporary copy shows the uninstall page"
if [ -n "$page" ]; then
  sleep 0.5
  click "$page" 558 256  # "取消"
  wait_exit "$copy_pid"
  check "取消 exits as cancelled (status $status)" [ "$status" = "$cancelled" ]
fi
check "取消 changes nothing" [ -f "$folder_unix/unins000.exe" -a -f "$folder_unix/Velto.exe" ]
check "取消 keeps the registration" grep -q 'DisplayName=Velto' <(product_values)

# ==== Uninstall, run from the temporary copy (its exit status is the test's to see) ====
echo "== uninstall"
start "$temp_copy"
uninstall_pid=$started
page=$(wait_for "windows_of unins000.exe 670x330") || fail "uninstall page shown"
if [ -n "$page" ]; then
  sleep 0.5
  click "$page" 421 256  # "卸载"
  done_window=$(wait_for "windows_of unins000.exe 670x400") || fail "uninstall-finished window shown"
  if [ -n "$done_window" ]; then
    sleep 0.5
    check_placement "$done_window" 670 400 "uninstall-finished window"
    shoot "$done_window" uninstall-finished
    check_card uninstall-finished is_white 335 300
    click "$done_window" 558 326  # "完成"
    wait_exit "$uninstall_pid"
    check "完成 exits 0 (status $status)" [ "$status" = 0 ]
  fi
fi
for file in $payload_files unins000.exe; do
  check "removed $file" [ ! -e "$folder_unix/$file" ]
done
check "removed the desktop shortcut" [ ! -e "$desktop/Velto.lnk" ]
check "removed the start-menu folder" [ ! -e "$start_menu" ]
check "removed the registration" [ -z "$(product_values)" ]
check "removed the install folder" [ ! -e "$folder_unix" ]
kill "$uninstall_pid" 2>/dev/null

# ==== Leaving the install page by its close button ====
echo "== close button"
start "$work/VeltoSetup.exe"
setup_pid=$started
main=$(wait_for "xdotool search --onlyvisible --name '^Brindle\$'") || fail "main window shown"
if [ -n "$main" ]; then
  sleep 0.5
  click "$main" 617 52
  wait_exit "$setup_pid"
  check "the close button exits as cancelled (status $status)" [ "$status" = "$cancelled" ]
fi
check "closing installs nothing" [ ! -e "$(cpath 'C:\Program Files\Velto')" -a -z "$(product_values)" ]

# ==== A damaged package ====
echo "== damaged package"
cp "$work/VeltoSetup.exe" "$work/Damaged.exe"
lfanew=$(od -An -tu4 -j60 -N4 "$work/Damaged.exe" | tr -d ' ')
printf '\0\0\0\0' | dd of="$work/Damaged.exe" bs=1 seek=$((lfanew - 4)) conv=notrunc 2>/dev/null
start "$work/Damaged.exe"
setup_pid=$started
box=$(wait_for "xdotool search --onlyvisible --name '^Error\$'") || fail "the damaged package shows an error box"
if [ -n "$box" ]; then
  sleep 0.3
  shoot "$box" damaged-package
  check "no main window behind the error box" [ -z "$(windows_of damaged.exe 670x680)" ]
  answer_box "$box" Return
fi
wait_exit "$setup_pid"
check "a damaged package exits 3 (status $status)" [ "$status" = 3 ]

# ==== A folder on a drive that does not exist ====
echo "== missing drive"
start "$work/VeltoSetup.exe"
setup_pid=$started
main=$(wait_for "xdotool search --onlyvisible --name '^Brindle\$'") || fail "main window shown"
if [ -n "$main" ]; then
  sleep 0.5
  type_folder "$main" 'Q:\Velto'
  # The folder dialog, cancelled: the typed folder stays (the warning below proves it).
  click "$main" 565 537  # "更换目录"
  dialog=$(wait_for "xdotool search --onlyvisible --name '^Browse for Folder\$'") ||
    fail "更换目录 opens the folder dialog"
  if [ -n "$dialog" ]; then
    sleep 0.3
    import -window root "$shots/browse-dialog.png"
    answer_box "$dialog" Escape
    check "the cancelled folder dialog closes" \
      appears "[ -z \"\$(xdotool search --onlyvisible --name '^Browse for Folder\$')\" ] && echo closed"
  fi
  click "$main" 545 602
  box=$(wait_for "xdotool search --onlyvisible --name '^提示\$'") || fail "the folder warning box is shown"
  if [ -n "$box" ]; then
    shoot "$box" folder-warning
    answer_box "$box" Return
    sleep 0.5
  fi
  check "the install page stays after the warning" [ -n "$(windows_of veltosetup.exe 670x680)" ]
  click "$main" 617 52
fi
wait_exit "$setup_pid"
check "leaving after the warning exits as cancelled (status $status)" [ "$status" = "$cancelled" ]
check "nothing installed after the warning" [ -z "$(product_values)" ]

# ==== An install that fails: the product runs and the user keeps it ====
echo "== failed install"
fail_folder='C:\BrindleE2E\Running'
fail_unix=$(cpath "$fail_folder")
mkdir -p "$fail_unix"
cp "$payload/Velto.exe" "$fail_unix/Velto.exe"
start "$fail_unix/Velto.exe"
velto_pid=$started
wait_for "xdotool search --onlyvisible --name '^Velto\$'" >/dev/null || fail "the running product starts"
start "$work/VeltoSetup.exe"
setup_pid=$started
main=$(wait_for "xdotool search --onlyvisible --name '^Brindle\$'") || fail "main window shown"
if [ -n "$main" ]; then
  sleep 0.5
  type_folder "$main" "$fail_folder"
  click "$main" 545 602
  # The folder holds a file of no earlier install: the setup asks first (answered Yes here).
  folder_question=$(wait_for "xdotool search --onlyvisible --name '^提示\$'") ||
    fail "the question about a folder of other files is asked"
  if [ -n "$folder_question" ]; then
    sleep 0.3
    import -window root "$shots/folder-not-empty-question.png"
    answer_box "$folder_question" y
  fi
  question=$(wait_for "xdotool search --onlyvisible --name '^关闭占用\$'") || fail "the in-use question is asked"
  if [ -n "$question" ]; then
    sleep 0.3
    progress=$(windows_of veltosetup.exe 670x300)
    check "the progress window is shown behind the question" [ -n "$progress" ]
    [ -n "$progress" ] && shoot "$progress" progress
    [ -n "$progress" ] && check_card progress is_white 335 240
    import -window root "$shots/in-use-question.png"
    answer_box "$question" n
  fi
  box=$(wait_for "xdotool search --onlyvisible --name '^Error\$'") || fail "the failed install shows an error box"
  if [ -n "$box" ]; then
    sleep 0.3
    shoot "$box" install-failed
    answer_box "$box" Return
  fi
fi
wait_exit "$setup_pid"
check "keeping the running product exits 8 (status $status)" [ "$status" = 8 ]
check "the running product was kept" kill -0 "$velto_pid"
check "a failed install leaves only what was there" \
  [ "$(cd "$fail_unix" && find . -mindepth 1 | sort | tr '\n' ' ')" = "./Velto.exe " ]
check "a failed install registers nothing" [ -z "$(product_values)" ]
check "a failed install makes no shortcuts" [ ! -e "$desktop/Velto.lnk" -a ! -e "$start_menu" ]
win taskkill /F /IM Velto.exe
kill "$velto_pid" 2>/dev/null

echo "screenshots: $shots"
if [ "$failures" -gt 0 ]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"

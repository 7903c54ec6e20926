#!/usr/bin/env bash
# The install page at 96, 144 and 192 DPI under Wine, in a throwaway prefix of its own (the DPI is
# the prefix's LogPixels, read when its wineserver starts) on private displays: the window is 1.5
# and 2 times its 96-DPI size (within a pixel), centred on the screen, and on a screen shorter than
# the window (1097 x 617, a 1080p screen at 175 %) it starts at the top of the work area instead of
# above it. Wine reports the DPI to the program and draws nothing stretched; on Windows the same
# program is per-monitor aware, so the system does not stretch it either.
#
#   high_dpi.sh --arch x86|x64 --setup SETUP.exe [--shots DIR]
#
# SETUP.exe is a packed setup program (it shows its install page on start). With --shots, the
# install page at each DPI is saved there as main-install-DPI.png (screen pixels, alpha shown
# through a compositor). Exit status 0 on success, 1 on a failed check.
set -uo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
arch=x86 setup= shots=
while [ $# -gt 0 ]; do
  case $1 in
    --arch) arch=$2 ;;
    --setup) setup=$2 ;;
    --shots) shots=$2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
  shift 2
done
[ -f "$setup" ] || { echo "missing: $setup" >&2; exit 1; }
. "$root/scripts/wine-arch.sh"
wine_arch "$arch"

work=$(mktemp -d "${TMPDIR:-/tmp}/brindle-dpi.XXXXXX")
export WINEPREFIX=$work/prefix WINEDEBUG=-all HOME=$work/home LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
xvfb= compositor= program=
cleanup() {
  [ -n "$program" ] && kill "$program" 2>/dev/null
  wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  [ -n "$compositor" ] && kill "$compositor" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

. "$(dirname "$0")/e2e_common.sh"  # the check helpers; its own prefix is not used here

# Starts a private display of WIDTHxHEIGHT (DISPLAY set) with a compositor, ending the one before.
start_display() {
  [ -n "$compositor" ] && kill "$compositor" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  local fifo=$work/displayfd
  rm -f "$fifo"; mkfifo "$fifo"
  Xvfb -displayfd 5 -r -screen 0 "${1}x24" -nolisten tcp 5>"$fifo" >/dev/null 2>&1 &
  xvfb=$!
  DISPLAY=:$(head -n 1 "$fifo")
  export DISPLAY
  setsid xcompmgr </dev/null >/dev/null 2>&1 &
  compositor=$!
}

# Starts the setup at DPI $1 and prints the main window's "X Y WIDTH HEIGHT" once it is shown at
# its final size (the page is built before the window shows); saves a screenshot as $2 when given.
placement_at() {
  wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  "$wine_loader" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    >/dev/null 2>&1
  wineserver -w
  wineserver -p
  "$wine_loader" "$setup" >/dev/null 2>&1 &
  program=$!
  local window X Y WIDTH HEIGHT
  window=$(wait_for "xdotool search --onlyvisible --name '^Brindle\$' | head -n 1" 30) || return 1
  # Shown means composed: the folder text is drawn before the first show.
  eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
  if [ -n "${2:-}" ]; then
    import -window root "$work/root.png"
    convert "$work/root.png" -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$2"
  fi
  kill "$program" 2>/dev/null; wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  program=
  echo "$X $Y $WIDTH $HEIGHT"
}

start_display 1920x1440
"$root/scripts/wine-prefix.sh" "$WINEPREFIX" "$HOME" "$arch" || { echo "no prefix"; exit 1; }
[ -n "$shots" ] && mkdir -p "$shots"

read -r _ _ base_w base_h <<<"$(placement_at 96 "${shots:+$shots/main-install-96.png}")"
[ -n "${base_w:-}" ] || { fail "the install page shows at 96 DPI"; exit 1; }
pass "96 DPI: ${base_w} x ${base_h}"
for dpi in 144 192; do
  read -r x y w h <<<"$(placement_at "$dpi" "${shots:+$shots/main-install-$dpi.png}")"
  [ -n "${w:-}" ] || { fail "the install page shows at $dpi DPI"; continue; }
  want_w=$(( (base_w * dpi + 48) / 96 )) want_h=$(( (base_h * dpi + 48) / 96 ))
  if [ $(( w - want_w )) -ge -1 ] && [ $(( w - want_w )) -le 1 ] &&
     [ $(( h - want_h )) -ge -1 ] && [ $(( h - want_h )) -le 1 ]; then
    pass "$dpi DPI: $w x $h (about $want_w x $want_h)"
  else
    fail "$dpi DPI: $w x $h, expected $want_w x $want_h within a pixel"
  fi
  # Centred on the 1920 x 1440 screen (no task bar under Xvfb: the work area is the screen).
  if [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $(( x + w )) -le 1920 ] && [ $(( y + h )) -le 1440 ] &&
     [ $(( 2 * x + w - 1920 )) -ge -1 ] && [ $(( 2 * x + w - 1920 )) -le 1 ]; then
    pass "$dpi DPI: centred inside the screen at $x,$y"
  else
    fail "$dpi DPI: placed at $x,$y ($w x $h) on a 1920 x 1440 screen"
  fi
done

# A screen lower than the window: the window's top stays on the screen.
start_display 1097x617
read -r x y w h <<<"$(placement_at 96)"
if [ "${y:-x}" = 0 ] && [ "$x" = $(( (1097 - w) / 2 )) ]; then
  pass "on a 1097 x 617 screen the $w x $h window starts at $x,$y"
else
  fail "on a 1097 x 617 screen the window is at ${x:-?},${y:-?}, expected $(( (1097 - ${w:-0}) / 2 )),0"
fi

[ "$failures" -eq 0 ] && echo "all high-DPI checks passed"
[ "$failures" -eq 0 ]

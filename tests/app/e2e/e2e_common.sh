# The common start of the end-to-end scripts (sourced, not run): their options, the checks that
# the build tree and brindle-pack are there, the Wine environment of the build tree, a scratch
# folder and the check helpers.
#
#   e2e_start NAME "$@"   with the script's options:
#     --build WIN_BUILD_DIR --pack BRINDLE_PACK --setup BrindleSetup.exe --payload DIR
#     --licence FILE [--shots DIR]
#
# Sets build, pack, setup, payload, licence, shots, wine_run, prefix, desktop, DISPLAY, work
# (a new folder named after NAME), appdata, start_menu and quick_launch (the sample's); exits 2 on an unknown option, 77 when brindle-pack is missing
# (the host tree packs the test packages) and 1 when a file of the build tree is missing.

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
check() { # check DESCRIPTION COMMAND...
  local what=$1; shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}

# Runs a Windows program of the build tree quietly.
win() { "$wine_run" "$@" </dev/null >/dev/null 2>&1; }
# The Unix path of a path on drive C of the prefix, and the Wine (Z:) path of a Unix path.
cpath() { local p=${1#C:\\}; echo "$prefix/drive_c/${p//\\//}"; }
zpath() { echo "Z:${1//\//\\}"; }

# Prints the first non-empty output of the shell command `$1`, polled every 0.1 s for at most $2
# seconds (default 20); fails when nothing came. Polling (rather than `xdotool search --sync`)
# survives an X error from a window that closes while it is looked at.
wait_for() {
  local i out
  for i in $(seq 1 $(( ${2:-20} * 10 ))); do
    out=$(eval "$1" 2>/dev/null)
    if [ -n "$out" ]; then echo "$out"; return 0; fi
    sleep 0.1
  done
  return 1
}
# True when `$1` prints something within $2 seconds (default 20).
appears() { wait_for "$1" "${2:-20}" >/dev/null; }
# The visible windows of the exe `$1` with the size `$2` (WIDTHxHEIGHT).
windows_of() {
  local w
  for w in $(xdotool search --onlyvisible --class "$1" 2>/dev/null); do
    xdotool getwindowgeometry "$w" 2>/dev/null | grep -q "Geometry: $2\$" && echo "$w"
  done
}
# Ends what an earlier script, stopped by a time-out, may have left running in the shared Wine
# session: a setup or uninstaller still holding the product's lock would fail every later run.
end_sample_processes() {
  local image
  for image in unins000.exe Velto.exe VeltoSetup.exe VeltoSetup-signed.exe VeltoSetup-user.exe \
    VeltoSetup-both.exe; do
    win taskkill /F /IM "$image"
  done
}

e2e_start() {
  local name=$1; shift
  build= pack= setup= payload= licence= shots=
  while [ $# -gt 0 ]; do
    case $1 in
      --build) build=$2 ;;
      --pack) pack=$2 ;;
      --setup) setup=$2 ;;
      --payload) payload=$2 ;;
      --licence) licence=$2 ;;
      --shots) shots=$2 ;;
      *) echo "unknown option $1" >&2; exit 2 ;;
    esac
    shift 2
  done
  if [ ! -x "$pack" ]; then
    echo "SKIP: brindle-pack not found at '$pack' (build the host tree first: it packs the test packages)"
    exit 77
  fi
  local file
  for file in "$setup" "$licence" "$build/wine-run" "$build/wine/display"; do
    [ -e "$file" ] || { echo "missing: $file" >&2; exit 1; }
  done
  [ -d "$payload" ] || { echo "missing payload folder: $payload" >&2; exit 1; }
  # Wine names Unix files in the locale's character set: a UTF-8 locale lets it make folders
  # with Chinese characters (Windows has no such limit).
  export LC_ALL=C.UTF-8
  wine_run=$build/wine-run
  prefix=$build/wine/prefix
  desktop=$build/wine/home
  DISPLAY=$(cat "$build/wine/display")
  export DISPLAY
  work=$(mktemp -d "${TMPDIR:-/tmp}/brindle-$name.XXXXXX")
  # The user's roaming application data and its shortcut folders of the sample product.
  appdata=$(cpath 'C:\users')/$(id -un)/AppData/Roaming
  start_menu="$appdata/Microsoft/Windows/Start Menu/Programs/Velto"
  quick_launch="$appdata/Microsoft/Internet Explorer/Quick Launch"
  end_sample_processes
}

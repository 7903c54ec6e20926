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
}

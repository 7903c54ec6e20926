#!/usr/bin/env bash
# The install benchmark in one command (run as root on Debian 12; see bench/README.md):
#   bench/run.sh [--no-large] [--runs N]
#   1. scripts/setup.sh and Debian's nsis package
#   2. host build: brindle-pack; Windows builds: the i686 setup program (always: its image size
#      needs no run), and for every architecture this machine runs (scripts/win-arches.sh,
#      BRINDLE_WIN_ARCHES overrides) the bench driver and the setup program
#   3. the image sizes with their breakdowns (bench/image_size.py)
#   4. per architecture that runs: a private Wine session (prefix, Xvfb, one wineserver) in
#      $BRINDLE_BUILD/bench (x86) or bench-x64, and bench/bench.py. NSIS's installers are 32-bit
#      programs: where x86 code cannot run, the x64 programs are measured against native unzip
#      only, and the results say which rows were left out and why.
#   The results go to bench/results-<date>.md (or -b, -c... when that file exists).
# The work folder lives on /dev/shm (a tmpfs) and is removed at the end, as are the large run's
# files on disk. STUB=FILE packs with another stub (then no window timing); default: the setup
# program (app/), or the placeholder stub of examples/ when the setup program does not build.
# Never part of the test command.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BRINDLE_BUILD:-$root/build}
build=$(cd "$(dirname "$build")" && pwd)/$(basename "$build")
jobs=$(nproc)
. "$root/scripts/win-arches.sh"

runs=()
for arch in $(win_arches); do
  reason=$(win_skip_reason "$arch")
  if [ -z "$reason" ]; then runs+=("$arch"); else eval "skip_$arch=\$reason"; fi
done
x86_runs=no
case " ${runs[*]:-} " in *" x86 "*) x86_runs=yes ;; esac

"$root/scripts/setup.sh"
if [ "$x86_runs" = yes ] &&
  ! dpkg-query -W -f='${Status}\n' nsis 2>/dev/null | grep -q '^install ok installed$'; then
  echo "bench: installing nsis" >&2
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends nsis >/dev/null
fi

echo "== host build: brindle-pack" >&2
cmake -S "$root" -B "$build/host" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DBRINDLE_FUZZ=ON >/dev/null
cmake --build "$build/host" -j "$jobs" --target brindle-pack

# Configures the Windows tree of ARCH; prints its folder.
windows_tree() {
  local tree=$build/$(win_tree "$1")
  cmake -S "$root" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$(win_toolchain "$1")" >/dev/null
  echo "$tree"
}

echo "== Windows build (x86): the setup program, for its image size" >&2
cmake --build "$(windows_tree x86)" -j "$jobs" --target brindle_setup_app || true
for arch in "${runs[@]:-}"; do
  [ -n "$arch" ] || continue
  echo "== Windows build ($arch): bench driver and stubs" >&2
  tree=$(windows_tree "$arch")
  cmake --build "$tree" -j "$jobs" --target brindle_bench_install placeholder_setup
  cmake --build "$tree" -j "$jobs" --target brindle_setup_app || true
done

date_stamp=$(date +%Y-%m-%d)
results=$root/bench/results-$date_stamp.md
for suffix in b c d e f g h; do
  [ -e "$results" ] || break
  results=$root/bench/results-$date_stamp-$suffix.md
done
{
  echo "# Install benchmark, $(date '+%Y-%m-%d %H:%M %Z')"
  echo
  echo "Command: \`bench/run.sh${*:+ $*}\`. Architectures measured: ${runs[*]:-none}."
  for arch in $(win_arches); do
    reason_var=skip_$arch
    if [ -n "${!reason_var:-}" ]; then
      echo "Not measured: the $arch programs (${!reason_var})."
    fi
  done
  if [ "$x86_runs" != yes ]; then
    echo "Left out with them: the NSIS rows (NSIS's installers are 32-bit programs) and every"
    echo "ratio against NSIS; the x64 programs are compared with native unzip only."
  fi
  echo
  echo "## Program images (deterministic: no run needed)"
  for arch in $(win_arches); do
    tree=$build/$(win_tree "$arch")
    exe=$tree/app/BrindleSetup.exe
    [ -f "$exe" ] && [ -f "$tree/app/BrindleSetup.map" ] || continue
    echo
    echo "### $arch setup program with skin: $(python3 "$root/bench/image_size.py" --size "$exe") bytes"
    echo
    python3 "$root/bench/image_size.py" "$exe" --map "$tree/app/BrindleSetup.map" --root "$tree"
  done
  echo
} >"$results"

status=0
for arch in "${runs[@]:-}"; do
  [ -n "$arch" ] || continue
  tree=$build/$(win_tree "$arch")
  # The Brindle package carries the setup program, which is then also driven through its
  # window; without it, the placeholder stub (and no window timing).
  stub_args=(--stub "$tree/app/BrindleSetup.exe" --stub-kind "setup program (app/, with skin)"
    --gui --skin "$root/resources/skin/skin.json")
  if [ ! -f "$tree/app/BrindleSetup.exe" ]; then
    echo "bench: the setup program does not build; packing the placeholder stub" >&2
    stub_args=(--stub "$tree/examples/placeholder_setup.exe"
      --stub-kind "placeholder stub (examples/placeholder_setup), not the setup program")
  fi
  if [ -n "${STUB:-}" ]; then
    stub_args=(--stub "$STUB" --stub-kind "stub $(basename "$STUB")")
  fi
  arch_args=(--arch "$arch")
  if [ "$arch" = x64 ]; then
    arch_args+=(--wine-loader /usr/lib/wine/wine64)
  fi
  if [ "$x86_runs" != yes ]; then
    arch_args+=(--no-nsis "32-bit programs are not run: ${skip_x86:-}")
  fi

  # Private Wine session: timings do not share a wineserver with tests running in the trees.
  session=$build/bench$([ "$arch" = x86 ] || echo "-$arch")
  work=$(mktemp -d /dev/shm/brindle-bench.XXXXXX)
  large=$session/large
  mkdir -p "$session/wine"
  echo "$arch" >"$session/wine/arch"
  trap 'rm -rf "$work" "$large"; "$root/scripts/wine-session.sh" stop "$session" || true' EXIT
  echo "== Wine session in $session; work folder $work" >&2
  df -h "$work" "$session" >&2
  "$root/scripts/wine-session.sh" start "$session"

  python3 "$root/bench/bench.py" --root "$root" --work "$work" --large-dir "$large" \
    --wine-state "$session/wine" --brindle-pack "$build/host/tools/brindle-pack" \
    --driver "$tree/bench/brindle_bench_install.exe" "${stub_args[@]}" "${arch_args[@]}" \
    --licence "$root/examples/velto/licence.txt" --results "$results" --append "$@" \
    || status=1
  rm -rf "$work" "$large"
  "$root/scripts/wine-session.sh" stop "$session" || true
  trap - EXIT
done
echo "bench: results in $results" >&2
exit $status

#!/usr/bin/env bash
# The install benchmark in one command (run as root on Debian 12; see bench/README.md):
#   bench/run.sh [--no-large] [--runs N]
#   1. scripts/setup.sh and Debian's nsis package
#   2. host build: brindle-pack; Windows build: the bench driver and the stub
#   3. a private Wine session (prefix, Xvfb, one wineserver) in $BRINDLE_BUILD/bench
#   4. bench/bench.py: payload, packages, runs, table; writes bench/results-<date>.md
# The work folder lives on /dev/shm (a tmpfs) and is removed at the end, as are the large run's
# files on disk. STUB=FILE packs with another stub (then no window timing); default: the setup
# program (app/), or the placeholder stub of examples/ when the setup program does not build.
# Never part of the test command.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BRINDLE_BUILD:-$root/build}
build=$(cd "$(dirname "$build")" && pwd)/$(basename "$build")
jobs=$(nproc)

"$root/scripts/setup.sh"
if ! dpkg-query -W -f='${Status}\n' nsis 2>/dev/null | grep -q '^install ok installed$'; then
  echo "bench: installing nsis" >&2
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends nsis >/dev/null
fi

echo "== host build: brindle-pack" >&2
cmake -S "$root" -B "$build/host" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DBRINDLE_FUZZ=ON >/dev/null
cmake --build "$build/host" -j "$jobs" --target brindle-pack

echo "== Windows build: bench driver and stubs" >&2
cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build/win" -j "$jobs" --target brindle_bench_install placeholder_setup

# The Brindle package carries the setup program, which is then also driven through its window;
# without it, the placeholder stub (and no window timing).
stub_args=(--stub "$build/win/app/BrindleSetup.exe" --stub-kind "setup program (app/, with skin)"
  --gui --skin "$root/resources/skin/skin.json")
if ! cmake --build "$build/win" -j "$jobs" --target brindle_setup_app; then
  echo "bench: the setup program does not build; packing the placeholder stub" >&2
  stub_args=(--stub "$build/win/examples/placeholder_setup.exe"
    --stub-kind "placeholder stub (examples/placeholder_setup), not the setup program")
fi
if [ -n "${STUB:-}" ]; then
  stub_args=(--stub "$STUB" --stub-kind "stub $(basename "$STUB")")
fi

# Private Wine session: timings do not share a wineserver with tests running in build/win.
session=$build/bench
work=$(mktemp -d /dev/shm/brindle-bench.XXXXXX)
large=$session/large
cleanup() {
  rm -rf "$work" "$large"
  "$root/scripts/wine-session.sh" stop "$session" || true
}
trap cleanup EXIT
mkdir -p "$session"
echo "== Wine session in $session; work folder $work" >&2
df -h "$work" "$session" >&2
"$root/scripts/wine-session.sh" start "$session"

python3 "$root/bench/bench.py" --root "$root" --work "$work" --large-dir "$large" \
  --wine-state "$session/wine" --brindle-pack "$build/host/tools/brindle-pack" \
  --driver "$build/win/bench/brindle_bench_install.exe" "${stub_args[@]}" \
  --licence "$root/examples/velto/licence.txt" \
  --results "$root/bench/results-$(date +%Y-%m-%d).md" "$@"

#!/usr/bin/env bash
# Sets up, builds and runs every test of both builds:
#   1. scripts/setup.sh (system packages, dependency sources)
#   2. host build (clang, ASan + UBSan): portable code, host tools, fuzz targets
#   3. bounded fuzz runs (FUZZ_SECONDS each, default 60)
#   4. Windows build (mingw-w64): everything, tests under Wine on a private Xvfb
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BRINDLE_BUILD:-$root/build}
fuzz_seconds=${FUZZ_SECONDS:-60}
jobs=$(nproc)

"$root/scripts/setup.sh"

echo "== host build" >&2
cmake -S "$root" -B "$build/host" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DBRINDLE_FUZZ=ON >/dev/null
cmake --build "$build/host" -j "$jobs"
ctest --test-dir "$build/host" --output-on-failure -j "$jobs"

echo "== fuzz runs (${fuzz_seconds}s each)" >&2
for fuzzer in "$build"/host/fuzz/*_fuzz; do
  [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  corpus="$build/host/fuzz/$name.corpus"
  mkdir -p "$corpus"
  seeds="$root/tests/fuzz/${name%_fuzz}"
  echo "-- $name" >&2
  "$fuzzer" -max_total_time="$fuzz_seconds" -print_final_stats=0 "$corpus" \
    $( [ -d "$seeds" ] && echo "$seeds" ) 2>"$build/host/fuzz/$name.log" \
    || { tail -n 60 "$build/host/fuzz/$name.log" >&2; exit 1; }
  tail -n 1 "$build/host/fuzz/$name.log" >&2
done

echo "== Windows build" >&2
cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build/win" -j "$jobs"
ctest --test-dir "$build/win" --output-on-failure -j "$jobs"

#!/usr/bin/env bash
# Sets up, builds and runs every test of every build:
#   1. scripts/setup.sh (system packages, dependency sources)
#   2. host build (clang, ASan + UBSan): portable code, host tools, fuzz targets
#   3. bounded fuzz runs (FUZZ_SECONDS each, default 60)
#   4. Windows builds (mingw-w64), x86 in build/win and x64 in build/win-x64: both are built on
#      every machine; the tests of each run under Wine on a private Xvfb where this machine can
#      run that architecture (BRINDLE_WIN_ARCHES overrides the probe; scripts/win-arches.sh).
# Ends with the time each stage took, one line per Windows architecture (tested or skipped, and
# why) and a count of all tests; fails when a test failed or when no Windows test ran.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BRINDLE_BUILD:-$root/build}
fuzz_seconds=${FUZZ_SECONDS:-45}
jobs=$(nproc)
. "$root/scripts/win-arches.sh"

# stage_done NAME: records how long the stage that ended now took (since the last call).
stages=()
stage_start=$SECONDS
stage_done() {
  stages+=("$(printf '%-28s %4d s' "$1:" $((SECONDS - stage_start)))")
  stage_start=$SECONDS
}

"$root/scripts/setup.sh"
stage_done "set-up"

passed=0
failed=0
# Runs ctest in a build tree and adds its counts; returns ctest's status.
run_ctest() {
  local log status=0
  log=$(mktemp)
  ctest --test-dir "$1" --output-on-failure -j "$jobs" 2>&1 | tee "$log" || status=$?
  local summary
  summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  rm -f "$log"
  if [ -z "$summary" ]; then
    failed=$((failed + 1))
    return 1
  fi
  local failures total
  failures=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
  total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$summary")
  passed=$((passed + total - failures))
  failed=$((failed + failures))
  return "$status"
}

echo "== host build" >&2
cmake -S "$root" -B "$build/host" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DBRINDLE_FUZZ=ON >/dev/null
cmake --build "$build/host" -j "$jobs"
stage_done "host build"
run_ctest "$build/host" || true
stage_done "host tests"

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
  stage_done "fuzz $name"
done

# Every architecture is built, whether or not its programs can run here, so that a compile
# error in either is caught on any machine.
for arch in $(win_arches); do
  echo "== Windows build ($arch)" >&2
  cmake -S "$root" -B "$build/$(win_tree "$arch")" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$(win_toolchain "$arch")" \
    -DBRINDLE_PACK="$build/host/tools/brindle-pack" >/dev/null
  cmake --build "$build/$(win_tree "$arch")" -j "$jobs"
  stage_done "Windows build ($arch)"
done

report=()
windows_tested=false
for arch in $(win_arches); do
  reason=$(win_skip_reason "$arch")
  if [ -n "$reason" ]; then
    report+=("Windows $arch: built, tests skipped: $reason")
    continue
  fi
  echo "== Windows tests ($arch, under Wine)" >&2
  before=$((passed + failed))
  if run_ctest "$build/$(win_tree "$arch")"; then
    report+=("Windows $arch: tested, $((passed + failed - before)) tests passed")
  else
    report+=("Windows $arch: tested, FAILED (see the ctest output above)")
  fi
  stage_done "Windows tests ($arch)"
  windows_tested=true
done

echo
printf '%s\n' "${stages[@]}" "$(printf '%-28s %4d s' total: "$SECONDS")"
printf '%s\n' "${report[@]}"
$windows_tested || { echo "no Windows test ran: this machine runs neither architecture"; failed=$((failed + 1)); }
echo "tests: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

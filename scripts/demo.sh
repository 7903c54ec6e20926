#!/usr/bin/env bash
# The main job: sets up, builds what the demo needs and packs the sample product Velto into
# out/VeltoSetup.exe, then prints what `brindle-pack inspect` reports of it.
#   1. scripts/setup.sh (system packages, dependency sources)
#   2. host build: brindle-pack
#   3. Windows build: Velto.exe, its payload folder and the stub
#   4. brindle-pack pack, then brindle-pack inspect
# STUB=FILE packs with another stub executable (default: the placeholder stub of examples/).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BRINDLE_BUILD:-$root/build}
jobs=$(nproc)

"$root/scripts/setup.sh"

echo "== host build: brindle-pack" >&2
cmake -S "$root" -B "$build/host" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DBRINDLE_FUZZ=ON >/dev/null
cmake --build "$build/host" -j "$jobs" --target brindle-pack

echo "== Windows build: Velto and the stub" >&2
cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build/win" -j "$jobs" --target velto_payload placeholder_setup

pack=$build/host/tools/brindle-pack
stub=${STUB:-$build/win/examples/placeholder_setup.exe}
mkdir -p "$root/out"

echo "== packing out/VeltoSetup.exe" >&2
"$pack" pack \
  --stub "$stub" \
  --payload "$build/win/examples/velto-payload" \
  --licence "$root/examples/velto/licence.txt" \
  --lastrun Velto.exe \
  --desktop Velto=Velto.exe \
  --taskbar Velto=Velto.exe \
  --output "$root/out/VeltoSetup.exe"

echo "== brindle-pack inspect out/VeltoSetup.exe" >&2
"$pack" inspect "$root/out/VeltoSetup.exe"

#!/usr/bin/env bash
# The main job: sets up, builds what the demo needs and packs the setup program with the sample
# product Velto into out/VeltoSetup.exe, prints what `brindle-pack inspect` reports of it, then
# shows it:
#   1. scripts/setup.sh (system packages, dependency sources)
#   2. host build: brindle-pack
#   3. Windows build: Velto.exe, its payload folder and the setup program BrindleSetup.exe
#   4. brindle-pack pack, signed with a throwaway certificate that openssl makes in the build tree
#      (its password handed over in an environment variable), then brindle-pack inspect, which
#      shows the signature
#   5. with a display (DISPLAY set and reachable): starts out/VeltoSetup.exe under Wine there;
#      without one: the scripted walk-through (install, uninstall, leaving, failures) on a
#      private Xvfb, which writes a screenshot of every window to out/screenshots/.
# STUB=FILE packs with another stub executable (default: the setup program).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BRINDLE_BUILD:-$root/build}
jobs=$(nproc)

"$root/scripts/setup.sh"

echo "== host build: brindle-pack" >&2
cmake -S "$root" -B "$build/host" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DBRINDLE_FUZZ=ON >/dev/null
cmake --build "$build/host" -j "$jobs" --target brindle-pack

echo "== Windows build: Velto and the setup program" >&2
cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
cmake --build "$build/win" -j "$jobs" --target velto_payload brindle_setup_app

pack=$build/host/tools/brindle-pack
stub=${STUB:-$build/win/app/BrindleSetup.exe}
mkdir -p "$root/out"

echo "== a throwaway signing certificate (build tree only)" >&2
certs=$build/demo-certificate
mkdir -p "$certs"
export BRINDLE_DEMO_KEY_PASSWORD="demo-$RANDOM-$RANDOM"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$certs/key.pem" -out "$certs/cert.pem" \
  -days 7 -subj "/CN=Velto Demo Signer/O=Velto Software Ltd." -batch 2>/dev/null
openssl pkcs12 -export -inkey "$certs/key.pem" -in "$certs/cert.pem" -out "$certs/cert.p12" \
  -passout env:BRINDLE_DEMO_KEY_PASSWORD

echo "== packing and signing out/VeltoSetup.exe" >&2
"$pack" pack \
  --stub "$stub" \
  --payload "$build/win/examples/velto-payload" \
  --licence "$root/examples/velto/licence.txt" \
  --lastrun Velto.exe \
  --desktop Velto=Velto.exe \
  --taskbar Velto=Velto.exe \
  --cert "$certs/cert.p12" --password-env BRINDLE_DEMO_KEY_PASSWORD \
  --output "$root/out/VeltoSetup.exe"

echo "== brindle-pack inspect out/VeltoSetup.exe (the certificate is not one the system trusts)" >&2
"$pack" inspect "$root/out/VeltoSetup.exe"
echo "== its signature, trusting the throwaway certificate (--ca)" >&2
"$pack" inspect --ca "$certs/cert.pem" "$root/out/VeltoSetup.exe" | sed -n '/^signature:/,$p'

state=$build/win/wine
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "== starting out/VeltoSetup.exe under Wine on $DISPLAY" >&2
  "$root/scripts/wine-prefix.sh" "$state/prefix" "$state/home"
  WINEPREFIX=$state/prefix HOME=$state/home WINEDEBUG=-all \
    WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=" wine "$root/out/VeltoSetup.exe"
else
  echo "== no display: scripted walk-through on a private Xvfb, screenshots in out/screenshots" >&2
  # The session of the build tree's tests; stopped again only if this script started it.
  session_was_up=false
  [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null && session_was_up=true
  "$root/scripts/wine-session.sh" start "$build/win"
  status=0
  bash "$root/tests/app/e2e/setup_walkthrough.sh" --build "$build/win" --pack "$pack" \
    --setup "$stub" --payload "$build/win/examples/velto-payload" \
    --licence "$root/examples/velto/licence.txt" --shots "$root/out/screenshots" || status=$?
  $session_was_up || "$root/scripts/wine-session.sh" stop "$build/win"
  exit "$status"
fi

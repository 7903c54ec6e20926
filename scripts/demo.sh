#!/usr/bin/env bash
# The main job: sets up, builds what the demo needs and packs the setup program with the sample
# product Velto, once per Windows architecture, prints what `brindle-pack inspect` reports of each,
# then shows one:
#   1. scripts/setup.sh (system packages, dependency sources)
#   2. host build: brindle-pack
#   3. Windows builds (x86 in build/win, x64 in build/win-x64): Velto.exe, its payload folder and
#      the setup program BrindleSetup.exe
#   4. brindle-pack pack into out/VeltoSetup.exe (x86) and out/VeltoSetup-x64.exe, each with the
#      Velto of its own architecture and signed with a throwaway certificate that openssl makes in
#      the build tree (its password handed over in an environment variable); brindle-pack inspect
#      of both, which shows the signature
#   5. the second sample product, Mossbank, packed from the same setup program at build time (its
#      own id, name, publisher, skin and icon, texts in the user's language: English or one of the
#      five translations it carries) into out/MossbankSetup.exe (and
#      out/MossbankSetup-x64.exe), with what brindle-pack inspect reports of it
#   6. the setup of the first architecture this machine runs (x86 where it can; see
#      scripts/win-arches.sh, BRINDLE_WIN_ARCHES overrides): with a display (DISPLAY set and
#      reachable) it starts under Wine there; without one the scripted walk-through (install,
#      uninstall, leaving, failures) runs on a private Xvfb and writes a screenshot of every window
#      to out/screenshots/.
# STUB=FILE packs out/VeltoSetup.exe with another stub executable (default: the setup program).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BRINDLE_BUILD:-$root/build}
jobs=$(nproc)
. "$root/scripts/win-arches.sh"

"$root/scripts/setup.sh"

echo "== host build: brindle-pack" >&2
cmake -S "$root" -B "$build/host" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DBRINDLE_FUZZ=ON >/dev/null
cmake --build "$build/host" -j "$jobs" --target brindle-pack

pack=$build/host/tools/brindle-pack
mkdir -p "$root/out"

echo "== a throwaway signing certificate (build tree only)" >&2
certs=$build/demo-certificate
mkdir -p "$certs"
export BRINDLE_DEMO_KEY_PASSWORD="demo-$RANDOM-$RANDOM"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$certs/key.pem" -out "$certs/cert.pem" \
  -days 7 -subj "/CN=Velto Demo Signer/O=Velto Software Ltd." -batch 2>/dev/null
openssl pkcs12 -export -inkey "$certs/key.pem" -in "$certs/cert.pem" -out "$certs/cert.p12" \
  -passout env:BRINDLE_DEMO_KEY_PASSWORD

# A Linux path as the Windows programs under Wine see it (drive Z: is the root).
winepath_of() { printf 'Z:%s' "$1" | tr / '\\'; }

shown=
for arch in $(win_arches); do
  tree=$build/$(win_tree "$arch")
  echo "== Windows build ($arch): Velto and the setup program" >&2
  cmake -S "$root" -B "$tree" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$(win_toolchain "$arch")" \
    -DBRINDLE_PACK="$pack" >/dev/null
  cmake --build "$tree" -j "$jobs" --target velto_payload brindle_setup_app MossbankSetup \
    brindle-skin-preview

  output=$root/out/VeltoSetup.exe
  stub=${STUB:-$tree/app/BrindleSetup.exe}
  if [ "$arch" = x64 ]; then
    output=$root/out/VeltoSetup-x64.exe
    stub=$tree/app/BrindleSetup.exe
  fi
  echo "== packing and signing out/$(basename "$output")" >&2
  "$pack" pack \
    --stub "$stub" \
    --payload "$tree/examples/velto-payload" \
    --licence "$root/examples/velto/licence.txt" \
    --lastrun Velto.exe \
    --desktop Velto=Velto.exe \
    --taskbar Velto=Velto.exe \
    --cert "$certs/cert.p12" --password-env BRINDLE_DEMO_KEY_PASSWORD \
    --output "$output"

  echo "== brindle-pack inspect out/$(basename "$output") (the certificate is not one the system trusts)" >&2
  "$pack" inspect "$output"
  echo "== its signature, trusting the throwaway certificate (--ca)" >&2
  "$pack" inspect --ca "$certs/cert.pem" "$output" | sed -n '/^signature:/,$p'

  mossbank=$root/out/MossbankSetup.exe
  [ "$arch" = x64 ] && mossbank=$root/out/MossbankSetup-x64.exe
  cp "$tree/examples/MossbankSetup.exe" "$mossbank"
  echo "== brindle-pack inspect out/$(basename "$mossbank") (the second sample product)" >&2
  "$pack" inspect "$mossbank"

  if [ -z "$shown" ]; then
    reason=$(win_skip_reason "$arch")
    if [ -z "$reason" ]; then
      shown=$arch shown_tree=$tree shown_setup=$output shown_stub=$stub shown_mossbank=$mossbank
    else
      echo "== not showing the $arch setup: $reason" >&2
    fi
  fi
done
[ -n "$shown" ] || { echo "demo: this machine runs no Windows architecture under Wine" >&2; exit 1; }

state=$shown_tree/wine
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "== starting out/$(basename "$shown_setup") under Wine on $DISPLAY" >&2
  "$root/scripts/wine-prefix.sh" "$state/prefix" "$state/home" "$shown"
  . "$root/scripts/wine-arch.sh"
  wine_arch "$shown"
  WINEPREFIX=$state/prefix HOME=$state/home WINEDEBUG=-all \
    WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=" "$wine_loader" "$shown_setup"
else
  echo "== no display: scripted walk-through ($shown) on a private Xvfb, screenshots in out/screenshots" >&2
  # The session of the build tree's tests; stopped again only if this script started it.
  session_was_up=false
  [ -f "$state/xvfb.pid" ] && kill -0 "$(cat "$state/xvfb.pid")" 2>/dev/null && session_was_up=true
  "$root/scripts/wine-session.sh" start "$shown_tree"
  status=0
  bash "$root/tests/app/e2e/setup_walkthrough.sh" --build "$shown_tree" --pack "$pack" \
    --setup "$shown_stub" --payload "$shown_tree/examples/velto-payload" \
    --licence "$root/examples/velto/licence.txt" --shots "$root/out/screenshots" || status=$?
  echo "== Mossbank's windows from out/$(basename "$shown_mossbank"): out/screenshots/mossbank" >&2
  "$shown_tree/wine-run" "$shown_tree/tools/skin_preview/brindle-skin-preview.exe" \
    "$(winepath_of "$root/out/screenshots/mossbank")" --package "$(winepath_of "$shown_mossbank")" \
    || status=$?
  $session_was_up || "$root/scripts/wine-session.sh" stop "$shown_tree"
  exit "$status"
fi

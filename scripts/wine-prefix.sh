#!/usr/bin/env bash
# Creates and configures a private Wine prefix for tests (idempotent).
#   wine-prefix.sh PREFIX HOME [ARCH]
# ARCH: "x86" (default, a 32-bit prefix) or "x64" (a 64-bit prefix).
# HOME is the scratch folder that Wine maps the user's Desktop to. Window
# management is off (no 2 s wait on every window destruction without a window
# manager) and the skin's face names resolve to an installed Chinese font.
set -euo pipefail
prefix=$1
home=$2
mkdir -p "$home"
. "$(dirname "$0")/wine-arch.sh"
wine_arch "${3:-x86}"
export WINEPREFIX=$prefix WINEDEBUG=-all HOME=$home
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
[ -f "$prefix/.brindle-ready" ] && exit 0
rm -rf "$prefix"
"$wine_loader" wineboot -i >/dev/null 2>&1
reg() { "$wine_loader" reg add "$@" /f >/dev/null 2>&1; }
reg 'HKCU\Software\Wine\X11 Driver' /v Managed /d N
reg 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N
for face in 'MS Shell Dlg' 'MS Shell Dlg 2' 'Microsoft YaHei' 'Microsoft YaHei UI' 'SimSun' 'Tahoma' 'Segoe UI'; do
  reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /v "$face" /d 'WenQuanYi Micro Hei'
done
wineserver -w
touch "$prefix/.brindle-ready"

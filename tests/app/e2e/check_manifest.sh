#!/usr/bin/env bash
# Checks that the manifest embedded in a Windows program names the architecture of the image it
# is in: Windows refuses to start a program whose own manifest names another architecture (a
# side-by-side configuration error), and Wine does not check it.
#   check_manifest.sh PROGRAM
set -euo pipefail
program=$1
u16() { od -An -tu2 -j "$2" -N2 "$1" | tr -d ' '; }
u32() { od -An -tu4 -j "$2" -N4 "$1" | tr -d ' '; }
lfanew=$(u32 "$program" 60)
machine=$(u16 "$program" $((lfanew + 4)))
case $machine in
  332) expected=x86 ;;     # 0x14C, i386
  34404) expected=amd64 ;; # 0x8664, AMD64
  *) echo "unexpected machine $machine in $program"; exit 1 ;;
esac
# The manifest is stored as plain UTF-8 text in the resource section.
identity=$(grep -ao '<assemblyIdentity type="win32" name="Brindle.Setup"[^>]*>' "$program" | head -n 1)
[ -n "$identity" ] || { echo "no Brindle.Setup manifest found in $program"; exit 1; }
named=$(sed -n 's/.*processorArchitecture="\([^"]*\)".*/\1/p' <<<"$identity")
echo "machine $machine, manifest names '$named'"
[ "$named" = "$expected" ] || { echo "the manifest should name '$expected'"; exit 1; }
# Per-monitor DPI awareness: without it Windows stretches the windows' bitmaps (blurred) at 150 %.
grep -aq '<dpiAwareness[^>]*>PerMonitorV2, PerMonitor</dpiAwareness>' "$program" ||
  { echo "the manifest should declare per-monitor v2 DPI awareness"; exit 1; }
grep -aq '<dpiAware[^>]*>true/pm</dpiAware>' "$program" ||
  { echo "the manifest should declare per-monitor DPI awareness for Windows 8.1"; exit 1; }
echo "per-monitor DPI awareness declared"

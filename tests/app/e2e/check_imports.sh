#!/usr/bin/env bash
# Checks that a Windows program imports system DLLs only (its runtime is linked statically), and
# none of the drawing and accessibility DLLs that are not KnownDLLs: the loader would look for
# those in the program's folder before any code runs, so the program loads them at run time from
# the system folder instead. (comctl32 is resolved through the manifest's side-by-side assembly.)
#   check_imports.sh OBJDUMP PROGRAM
set -euo pipefail
objdump=$1
program=$2
allowed='kernel32|user32|gdi32|advapi32|shell32|shlwapi|ole32|oleaut32|comctl32|msvcrt'
loaded_at_run_time='gdiplus|msimg32|msvfw32|oleacc'
imports=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
echo "imports:" $imports
grep -qx 'kernel32.dll' <<<"$imports" || { echo "no import table read from $program"; exit 1; }
imported_late=$(grep -x -E "($loaded_at_run_time)\.dll" <<<"$imports" || true)
if [ -n "$imported_late" ]; then
  echo "imports DLLs that must be loaded from the system folder at run time:" $imported_late
  exit 1
fi
others=$(grep -v -x -E "($allowed)\.dll" <<<"$imports" || true)
if [ -n "$others" ]; then
  echo "imports DLLs that are not system DLLs:" $others
  exit 1
fi

#!/usr/bin/env bash
# Checks that a Windows program imports system DLLs only (its runtime is linked statically):
#   check_imports.sh OBJDUMP PROGRAM
set -euo pipefail
objdump=$1
program=$2
allowed='kernel32|user32|gdi32|advapi32|shell32|shlwapi|ole32|comctl32|msvcrt|gdiplus|msimg32|msvfw32'
imports=$("$objdump" -p "$program" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z')
echo "imports:" $imports
grep -qx 'kernel32.dll' <<<"$imports" || { echo "no import table read from $program"; exit 1; }
others=$(grep -v -x -E "($allowed)\.dll" <<<"$imports" || true)
if [ -n "$others" ]; then
  echo "imports DLLs that are not system DLLs:" $others
  exit 1
fi

#!/usr/bin/env bash
# Renders icon.svg into icon.ico (16, 24, 32, 48, 64 and 256 pixels, 32-bit with alpha; the
# 256-pixel image stored as PNG). Needs rsvg-convert (librsvg2-bin) and ImageMagick. Builds never
# render the icon: run this after editing icon.svg and commit both files.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sizes="16 24 32 48 64 256"
for size in $sizes; do
  rsvg-convert -w "$size" -h "$size" "$here/icon.svg" -o "$work/$size.png"
done
convert $(for size in $sizes; do echo "$work/$size.png"; done) "$here/icon.ico"

#!/usr/bin/env bash
# Renders the skin's image sheet: resources/skin/sheet.svg -> resources/skin/sheet.png.
#
#   tools/skin/render_sheet.sh
#
# Needs rsvg-convert (Debian package librsvg2-bin), optipng, zopflipng (zopfli) and the font
# "WenQuanYi Micro Hei" (fonts-wqy-microhei). The PNG is committed: builds never render it. Run
# this after editing the SVG and commit both files. It takes about ten minutes: zopflipng tries
# every filter strategy with many iterations, because every byte of the sheet is part of the
# setup program.
#
# The result must stay 8-bit RGBA (colour type 6): a palette or grey PNG decodes on Windows
# without the alpha flag and loses the transparency of the rounded, shadowed windows. optipng
# therefore runs without any colour-type, bit-depth or palette reduction (-nx) and only
# recompresses and drops metadata (a gAMA chunk would make the decoder shift the colours);
# zopflipng then recompresses the same pixels further (it would pick another colour type only
# for a sheet of few colours, which the check below refuses). Neither changes a pixel, the
# colours under fully transparent ones included.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
svg=$root/resources/skin/sheet.svg
png=$root/resources/skin/sheet.png

for tool in rsvg-convert optipng zopflipng; do
  command -v "$tool" >/dev/null || { echo "render_sheet: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rsvg-convert --format=png --output="$work/sheet.png" "$svg"
optipng -quiet -o7 -nx -strip all "$work/sheet.png"
zopflipng -y --iterations=60 --filters=01234mepb "$work/sheet.png" "$work/sheet.png" >/dev/null

# IHDR fields: bit depth at byte 24, colour type at byte 25.
read -r depth colour_type < <(od -An -tu1 -j24 -N2 "$work/sheet.png")
if [ "$depth" != 8 ] || [ "$colour_type" != 6 ]; then
  echo "render_sheet: $svg rendered to bit depth $depth, colour type $colour_type; need 8 and 6" >&2
  exit 1
fi
mv "$work/sheet.png" "$png"
echo "render_sheet: wrote $png ($(stat -c %s "$png") bytes)"

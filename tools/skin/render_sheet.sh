#!/usr/bin/env bash
# Renders the skin's image sheets from resources/skin/sheet.svg: every sheet that skin.json lists
# (the shipped skin carries one, sheet-192.png, at 200 % with "scale": 2; the program reduces it
# for 100 % and cuts 150 % from it), and sheet.png (96 DPI) and sheet-144.png (144 DPI), which the
# program does not carry: the shipped skin test compares its reductions with them.
#
#   tools/skin/render_sheet.sh [DPI...]
#
# With DPIs (96 for sheet.png), only those sheets are rendered; without, every one.
#
# Needs rsvg-convert (Debian package librsvg2-bin), optipng, zopflipng (zopfli), python3 and the
# font "WenQuanYi Micro Hei" (fonts-wqy-microhei). The PNGs are committed: builds never render
# them. Run this after editing the SVG and commit the SVG and every sheet. Every byte of a sheet
# the setup program carries is part of it, so zopflipng tries every filter strategy with many
# iterations on the sheets skin.json lists (the 200 % sheet: some tens of minutes); the
# reference sheets get fewer strategies and iterations (a few minutes each).
#
# Each result must stay 8-bit RGBA (colour type 6): a palette or grey PNG decodes on Windows
# without the alpha flag and loses the transparency of the rounded, shadowed windows. optipng
# therefore runs without any colour-type, bit-depth or palette reduction (-nx) and only
# recompresses and drops metadata (a gAMA chunk would make the decoder shift the colours);
# zopflipng then recompresses the same pixels further (it would pick another colour type only
# for a sheet of few colours, which the check below refuses). Neither changes a pixel, the
# colours under fully transparent ones included. rsvg-convert --zoom rounds each side of a
# scaled sheet as the program scales lengths (half away from zero); tools/skin/build_skin.py
# checks every size.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
skin=$root/resources/skin
svg=$skin/sheet.svg

for tool in rsvg-convert optipng zopflipng python3; do
  command -v "$tool" >/dev/null || { echo "render_sheet: $tool is missing" >&2; exit 1; }
done

# "file dpi" for the 96-DPI sheet and for every rendering of it that skin.json lists.
sheets=$(python3 - "$skin/skin.json" <<'EOF'
import json, sys
images = json.load(open(sys.argv[1], encoding="utf-8"))["res"]["images"]
# The references beside the carried sheet: the rendered 96- and 144-DPI sheets that the shipped
# skin test compares the program's reductions with.
print("sheet.png 96 reference")
print("sheet-144.png 144 reference")
for image in images:
    if "scale" in image:
        print(image["name"], 96 * image["scale"], "carried")
    elif "base" in image:
        print(image["name"], image["dpi"], "carried")
EOF
)

wanted() {
  [ $# -eq 1 ] && return 0
  local dpi=$1 want
  shift
  for want in "$@"; do [ "$want" = "$dpi" ] && return 0; done
  return 1
}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
while read -r name dpi use; do
  wanted "$dpi" "$@" || continue
  out=$work/$(basename "$name")
  zoom=$(python3 -c "print($dpi / 96)")
  rsvg-convert --format=png --zoom="$zoom" --output="$out" "$svg"
  optipng -quiet -o7 -nx -strip all "$out"
  if [ "$use" = carried ]; then
    zopflipng -y --iterations=60 --filters=01234mepb "$out" "$out" >/dev/null
  else
    zopflipng -y --iterations=5 --filters=0me "$out" "$out" >/dev/null
  fi
  # IHDR fields: bit depth at byte 24, colour type at byte 25.
  read -r depth colour_type < <(od -An -tu1 -j24 -N2 "$out")
  if [ "$depth" != 8 ] || [ "$colour_type" != 6 ]; then
    echo "render_sheet: $svg rendered at $dpi DPI to bit depth $depth, colour type" \
      "$colour_type; need 8 and 6" >&2
    exit 1
  fi
  mv "$out" "$skin/$name"
  echo "render_sheet: wrote $skin/$name at $dpi DPI ($(stat -c %s "$skin/$name") bytes)"
done <<<"$sheets"

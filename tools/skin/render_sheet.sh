#!/usr/bin/env bash
# Renders the skin's image sheets from resources/skin/sheet.svg: sheet.png at 96 DPI (100 %) and
# every further rendering that skin.json lists ("res"/"images" entries with "base": 100 and their
# "dpi"; the shipped skin has sheet-144.png and sheet-192.png, 150 % and 200 %).
#
#   tools/skin/render_sheet.sh [DPI...]
#
# With DPIs (96 for sheet.png), only those sheets are rendered; without, every one.
#
# Needs rsvg-convert (Debian package librsvg2-bin), optipng, zopflipng (zopfli), python3 and the
# font "WenQuanYi Micro Hei" (fonts-wqy-microhei). The PNGs are committed: builds never render
# them. Run this after editing the SVG and commit the SVG and every sheet. Every byte of a sheet
# is part of the setup program, so zopflipng tries every filter strategy with many iterations on
# the 96-DPI sheet (about ten minutes). The larger sheets have 2.25 and 4 times its pixels: they
# get fewer strategies and iterations (a few minutes each), which costs them a few per cent of
# their size.
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
base = next(image for image in images if image["name"] == "sheet.png")
print("sheet.png 96")
for image in images:
    if image.get("base") == base["id"]:
        print(image["name"], image["dpi"])
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
while read -r name dpi; do
  wanted "$dpi" "$@" || continue
  out=$work/$(basename "$name")
  zoom=$(python3 -c "print($dpi / 96)")
  rsvg-convert --format=png --zoom="$zoom" --output="$out" "$svg"
  optipng -quiet -o7 -nx -strip all "$out"
  if [ "$dpi" = 96 ]; then
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

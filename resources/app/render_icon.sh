#!/usr/bin/env bash
# Renders icon.svg into icon.ico: 16, 24, 32, 48, 64 and 256 pixels, 8-bit RGBA, every image
# stored as PNG (Windows reads PNG icon images of any size since Vista; a 64-pixel image as a
# bitmap alone is 17 KB of the program image). Needs rsvg-convert (librsvg2-bin) and zopflipng
# (zopfli). Builds never render the icon: run this after editing icon.svg and commit both files.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
for tool in rsvg-convert zopflipng python3; do
  command -v "$tool" >/dev/null || { echo "render_icon: $tool is missing" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
sizes="16 24 32 48 64 256"
for size in $sizes; do
  rsvg-convert -w "$size" -h "$size" "$here/icon.svg" -o "$work/rendered-$size.png"
  zopflipng -y -m "$work/rendered-$size.png" "$work/$size.png" >/dev/null
done

# ICO: a 6-byte header, a 16-byte entry per image (width and height 0 mean 256), the images.
python3 - "$here/icon.ico" $(for size in $sizes; do echo "$work/$size.png"; done) <<'EOF'
import struct
import sys

images = [open(path, "rb").read() for path in sys.argv[2:]]
for path, data in zip(sys.argv[2:], images):
    if data[24:26] != b"\x08\x06":
        sys.exit("render_icon: %s is not 8-bit RGBA" % path)
out = struct.pack("<HHH", 0, 1, len(images))
offset = 6 + 16 * len(images)
for data in images:
    width, height = struct.unpack(">II", data[16:24])
    out += struct.pack("<BBBBHHII", width % 256, height % 256, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
with open(sys.argv[1], "wb") as ico:
    ico.write(out + b"".join(images))
EOF
echo "render_icon: wrote $here/icon.ico ($(stat -c %s "$here/icon.ico") bytes)"

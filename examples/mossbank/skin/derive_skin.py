#!/usr/bin/env python3
"""Makes Mossbank's skin folder from the shipped skin: the same layout, Mossbank's name and
English captions in the image sheet, green instead of blue, dark green text.

    derive_skin.py SHIPPED_SKIN_DIR OUT_DIR

OUT_DIR gets skin.json, sheet.svg and every sheet that skin.json lists at its DPI (the shipped
skin's one sheet-192.png, at twice its size; rendered with rsvg-convert, from Debian's librsvg2-bin, and
not recompressed: a build should not take minutes) and fonts/; tools/skin/build_skin.py then builds the container from it. This is
the worked example of the README ("Your own skin"), done by a script instead of by hand.
"""
import json
import pathlib
import shutil
import subprocess
import sys

# Texts of the sheet: the banner's tag line, the install-finished card and the start button.
SHEET_TEXTS = {
    "简洁 · 高效 · 安全": "Notes · Maps · Trails",
    ">安装完成<": ">Installed<",
    "Velto 已成功安装到您的电脑": "Mossbank is now on your computer",
    "立即体验": "Start now",
}
# The shipped blues and their greens (gradient, accent, lighter and darker accent, tints).
SHEET_COLOURS = {
    "#1E8FF5": "#2FA36B", "#2D6CF0": "#23875A", "#6156E4": "#1B6E74", "#4A83F5": "#3BAF78",
    "#1F57CF": "#1A6B47", "#F2F6FF": "#F0FAF4", "#E1EAFD": "#DDF3E6", "#EAF1FE": "#E8F6EE",
    "#DCE6FB": "#D5EFE0",
}
# The drawn "Velto" wordmark (a group of strokes, 166 x 52 units) becomes the word "Mossbank".
WORDMARK = ('<g id="wordmark"><text x="83" y="44" font-family="WenQuanYi Micro Hei" '
            'font-size="40" font-weight="bold" fill="#FFFFFF" text-anchor="middle">'
            'Mossbank</text></g>')
# Text colour of the labels (0x00BBGGRR): the shipped near-black becomes a dark green.
TEXT_COLOURS = {131586: 0x2A3A1F}


def derive_sheet(svg: str) -> str:
    start = svg.index('<g id="wordmark"')
    end = svg.index("</g>", start) + len("</g>")
    svg = svg[:start] + WORDMARK + svg[end:]
    for old, new in list(SHEET_TEXTS.items()) + list(SHEET_COLOURS.items()):
        if old not in svg:
            sys.exit(f"derive_skin: '{old}' is not in the shipped sheet any more")
        svg = svg.replace(old, new)
    return svg


def recolour(node):
    if isinstance(node, dict):
        for key, value in node.items():
            if key == "cr" and value in TEXT_COLOURS:
                node[key] = TEXT_COLOURS[value]
            else:
                recolour(value)
    elif isinstance(node, list):
        for item in node:
            recolour(item)


def sheets(skin):
    """(file, DPI) of every sheet skin.json lists: an image stored at "scale" times its size is
    rendered at that many times 96 DPI, a rendering ("base") at its "dpi", any other at 96."""
    result = []
    for image in skin["res"]["images"]:
        if "scale" in image:
            result.append((image["name"], 96 * image["scale"]))
        else:
            result.append((image["name"], image.get("dpi", 96)))
    return result


def main() -> None:
    shipped, out = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    if out.exists():
        shutil.rmtree(out)
    shutil.copytree(shipped / "fonts", out / "fonts")
    skin = json.loads((shipped / "skin.json").read_text(encoding="utf-8"))
    recolour(skin["cfg"])
    (out / "skin.json").write_text(json.dumps(skin, ensure_ascii=False, indent=1), encoding="utf-8")
    (out / "sheet.svg").write_text(derive_sheet((shipped / "sheet.svg").read_text(encoding="utf-8")),
                                   encoding="utf-8")
    for name, dpi in sheets(skin):
        subprocess.run(["rsvg-convert", "--format=png", f"--zoom={dpi / 96}", "--output",
                        str(out / name), str(out / "sheet.svg")], check=True)


if __name__ == "__main__":
    main()

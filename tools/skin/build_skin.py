#!/usr/bin/env python3
"""Builds the skin container (".uir") from a skin folder, after checking the skin.

    build_skin.py SKIN_DIR OUTPUT

SKIN_DIR holds skin.json, the description {"cfg": {...}, "res": {...}}, and the record files
that "res" names: every section of "res" is an array of {"id": n, "name": file}, where file is
a path relative to SKIN_DIR. Section "images" lists PNG files, section "fonts" JSON objects with
LOGFONTW field names. An image entry with "base": B and "dpi": D is image B rendered again at D
DPI (B's pixels are 96-DPI pixels); the program cuts its pictures at D DPI from it. A skin
without such entries draws every DPI from its 96-DPI images.

Container (every integer unsigned 32-bit little-endian):
    ".uir", L, the description in compact form + "\\n" + NUL (L counts both),
    N, then N records (id, size S, S bytes) in ascending id order.
The description and the font records are written the way the system's JSON writer writes:
no blanks, object keys in ascending byte order, integers in decimal, "\\n" at the end. A font
record has no NUL.

Checks (each failure names the file and the problem; nothing is written then):
  - the description and the font records are JSON; no duplicate keys; no "\\u" escapes
    (the system's reader keeps them as six plain characters);
  - every record that "res" lists exists; record ids are unique;
  - images are PNG files with 8 bits per channel and alpha (colour type 6);
  - an image with "scale": S (2 to 5; stored at S times its size, rendered at S x 96 DPI, the
    program makes the 96-DPI image by area averaging) has sides that S divides; rectangles are
    checked against its size divided by S; a rendering has no "scale";
  - a rendering ("base" and "dpi", both or neither) names an image of the section that is no
    rendering itself, a DPI from 97 to 480, no DPI of that image twice, and has
    each side of its base's scaled to D within a pixel (rounded half up, as the program
    scales); state entries name the base, never a rendering;
  - fonts are objects whose keys are LOGFONTW field names;
  - every state entry under "cfg" (an object with "bi" or "fi") names a listed image, and its
    "bg" / "fg" rectangle has a positive size and lies inside that image; "mg" margins are not
    negative and fit the rectangle; "bg", "mg", "bc" or "md" without "bi" (and "fg", "fc", "of"
    without "fi") are reported, since the loader ignores them;
  - every nonzero "ft" names a listed font record.
"""

import json
import os
import struct
import sys
import tempfile

MAGIC = b".uir"
PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"
LOGFONT_INTEGER_KEYS = {
    "Height", "Width", "Escapement", "Orientation", "Weight", "Italic", "Underline",
    "StrikeOut", "CharSet", "OutPrecision", "ClipPrecision", "Quality", "PitchAndFamily",
}
INT64_RANGE = (-(1 << 63), (1 << 63) - 1)
BASE_DPI = 96
MAX_SHEET_DPI = 480
ESCAPES = {'"': '\\"', "\\": "\\\\", "\b": "\\b", "\f": "\\f", "\n": "\\n", "\r": "\\r",
           "\t": "\\t"}


class SkinError(Exception):
    """A broken rule of the skin; the message names the file or the JSON path."""


def write_compact(value):
    """The compact text of `value` as the system's JSON writer forms it (without the final "\\n")."""
    if value is None:
        return "null"
    if value is True:
        return "true"
    if value is False:
        return "false"
    if isinstance(value, int):
        if not INT64_RANGE[0] <= value <= INT64_RANGE[1]:
            raise SkinError(f"integer {value} does not fit in 64 bits")
        return str(value)
    if isinstance(value, float):
        raise SkinError(f"real number {value!r}: the skin holds integers only")
    if isinstance(value, str):
        return quote(value)
    if isinstance(value, list):
        return "[" + ",".join(write_compact(item) for item in value) + "]"
    keys = sorted(value, key=lambda key: key.encode("utf-8"))
    return "{" + ",".join(quote(key) + ":" + write_compact(value[key]) for key in keys) + "}"


def quote(text):
    return '"' + "".join(ESCAPES.get(char, char) for char in text) + '"'


def load_json(path):
    try:
        with open(path, "rb") as file:
            raw = file.read()
    except OSError as error:
        raise SkinError(f"{path}: cannot read: {error.strerror}")
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError as error:
        raise SkinError(f"{path}: not UTF-8 (byte {error.start})")
    if "\\u" in text:
        raise SkinError(f"{path}: write text as UTF-8, not as \\u escapes")

    def unique_keys(pairs):
        result = {}
        for key, item in pairs:
            if key in result:
                raise SkinError(f"{path}: duplicate key \"{key}\"")
            result[key] = item
        return result

    def refuse_constant(name):
        raise SkinError(f"{path}: {name} is not JSON")

    try:
        return json.loads(text, object_pairs_hook=unique_keys, parse_constant=refuse_constant)
    except json.JSONDecodeError as error:
        raise SkinError(f"{path}: line {error.lineno} column {error.colno}: {error.msg}")


def png_size(path, data):
    """Width and height of an 8-bit RGBA PNG; raises for anything else."""
    if len(data) < 33 or not data.startswith(PNG_SIGNATURE) or data[12:16] != b"IHDR":
        raise SkinError(f"{path}: not a PNG file")
    width, height, depth, colour_type = struct.unpack(">IIBB", data[16:26])
    if depth != 8 or colour_type != 6:
        raise SkinError(f"{path}: PNG with bit depth {depth} and colour type {colour_type}; "
                        "the sheet needs 8-bit RGBA (colour type 6)")
    return width, height


def is_int(value):
    return isinstance(value, int) and not isinstance(value, bool)


def int_array(value, length):
    return isinstance(value, list) and len(value) == length and all(is_int(v) for v in value)


def scale_length(value, dpi):
    """`value` (pixels at 96 DPI, not negative) at `dpi`, rounded as the program rounds it."""
    return (value * dpi + BASE_DPI // 2) // BASE_DPI


def scaled_size(where, entry, size):
    """The size in 96-DPI pixels of an image whose entry may say "scale": S, an image stored at S
    times its size (2 to MAX_SHEET_DPI / 96; the program reduces it by area averaging)."""
    scale = entry.get("scale", 1)
    if not is_int(scale) or not 1 <= scale <= MAX_SHEET_DPI // BASE_DPI:
        raise SkinError(f'{where}: "scale" is an integer from 1 to {MAX_SHEET_DPI // BASE_DPI}')
    if scale > 1 and ("base" in entry or "dpi" in entry):
        raise SkinError(f'{where}: a rendering ("base", "dpi") has no "scale"')
    if size[0] % scale or size[1] % scale:
        raise SkinError(f"{where}: {size[0]} x {size[1]} is not a multiple of its scale {scale}")
    return size[0] // scale, size[1] // scale


def check_renderings(entries, images):
    """Checks the renderings among the "images" entries; returns their ids."""
    renderings, seen = {}, set()
    for index, entry in enumerate(entries):
        if not isinstance(entry, dict) or ("base" not in entry and "dpi" not in entry):
            continue
        where = f"skin.json: res/images[{index}]"
        base, dpi = entry.get("base"), entry.get("dpi")
        if not is_int(base) or not is_int(dpi):
            raise SkinError(f'{where}: a rendering needs both an integer "base" and "dpi"')
        if not BASE_DPI < dpi <= MAX_SHEET_DPI:
            raise SkinError(f"{where}: dpi {dpi}: a rendering's DPI is {BASE_DPI + 1} to "
                            f"{MAX_SHEET_DPI}")
        renderings[entry["id"]] = (where, base, dpi)
    for record_id, (where, base, dpi) in renderings.items():
        if base not in images or base in renderings:
            raise SkinError(f"{where}: base {base} is no 96-DPI image of res/images")
        if (base, dpi) in seen:
            raise SkinError(f"{where}: image {base} has a rendering at {dpi} DPI already")
        seen.add((base, dpi))
        width, height = images[record_id]
        base_width, base_height = images[base]
        want = (scale_length(base_width, dpi), scale_length(base_height, dpi))
        if abs(width - want[0]) > 1 or abs(height - want[1]) > 1:
            raise SkinError(f"{where}: {width} x {height} at {dpi} DPI; image {base} "
                            f"({base_width} x {base_height}) scaled is {want[0]} x {want[1]}")
    return set(renderings)


def read_records(skin_dir, res):
    """Record bytes by id, image sizes by id and the set of font ids, from the "res" sections;
    renderings of images at other DPIs are left out of the image sizes, since no state entry
    may name one."""
    if not isinstance(res, dict):
        raise SkinError('skin.json: "res" must be an object')
    records, images, fonts = {}, {}, set()
    for section, entries in res.items():
        if not isinstance(entries, list):
            raise SkinError(f'skin.json: res/{section} must be an array')
        for index, entry in enumerate(entries):
            where = f"skin.json: res/{section}[{index}]"
            if not isinstance(entry, dict) or not is_int(entry.get("id")) \
                    or not isinstance(entry.get("name"), str):
                raise SkinError(f'{where}: needs an integer "id" and a file "name"')
            record_id, path = entry["id"], os.path.join(skin_dir, entry["name"])
            if not 0 <= record_id <= 0xFFFFFFFF:
                raise SkinError(f"{where}: id {record_id} is not an unsigned 32-bit number")
            if record_id in records:
                raise SkinError(f"{where}: id {record_id} is listed twice")
            if section == "fonts":
                records[record_id] = font_record(path)
                fonts.add(record_id)
                continue
            try:
                with open(path, "rb") as file:
                    records[record_id] = file.read()
            except OSError as error:
                raise SkinError(f"{where}: record file {path}: {error.strerror}")
            if section == "images":
                images[record_id] = scaled_size(where, entry, png_size(path, records[record_id]))
    for record_id in check_renderings(res.get("images", []), images):
        del images[record_id]
    return records, images, fonts


def font_record(path):
    font = load_json(path)
    if not isinstance(font, dict):
        raise SkinError(f"{path}: a font record is a JSON object")
    for key, value in font.items():
        if key == "FaceName":
            if not isinstance(value, str) or len(value) > 31:
                raise SkinError(f"{path}: FaceName must be text of at most 31 characters")
        elif key not in LOGFONT_INTEGER_KEYS or not is_int(value):
            raise SkinError(f'{path}: "{key}" is not an integer LOGFONTW field')
    return (write_compact(font) + "\n").encode("utf-8")


def check_entries(node, path, images, fonts):
    """Walks the description below "cfg" and checks every state entry and font reference."""
    if "bi" in node or "fi" in node or any(k in node for k in ("bg", "mg", "bc", "md", "fg")):
        check_state_entry(node, path, images)
    if is_int(node.get("ft")) and node["ft"] != 0 and node["ft"] not in fonts:
        raise SkinError(f"skin.json: {path}/ft names font {node['ft']}, which res/fonts lacks")
    for key, child in node.items():
        if isinstance(child, dict):
            check_entries(child, f"{path}/{key}", images, fonts)


def check_state_entry(entry, path, images):
    for image_key, rect_key, extra_keys in (("bi", "bg", ("mg", "bc", "md")),
                                           ("fi", "fg", ("fc", "of"))):
        image_id = entry.get(image_key, 0)
        if image_id == 0:
            stray = [k for k in (rect_key,) + extra_keys if k in entry]
            if stray:
                raise SkinError(f"skin.json: {path}: {', '.join(stray)} without \"{image_key}\" "
                                "is never read")
            continue
        if image_id not in images:
            raise SkinError(f"skin.json: {path}/{image_key}: image {image_id} is not a 96-DPI "
                            "image of res/images")
        rect = entry.get(rect_key)
        if not int_array(rect, 4):
            raise SkinError(f'skin.json: {path}/{rect_key} must be [x, y, w, h]')
        x, y, w, h = rect
        width, height = images[image_id]
        if w <= 0 or h <= 0 or x < 0 or y < 0 or x + w > width or y + h > height:
            raise SkinError(f"skin.json: {path}/{rect_key} {rect} does not lie inside the "
                            f"{width} x {height} image {image_id}")
        if image_key == "bi" and "mg" in entry:
            margins = entry["mg"]
            if not int_array(margins, 4) or min(margins) < 0 \
                    or margins[0] + margins[2] > w or margins[1] + margins[3] > h:
                raise SkinError(f"skin.json: {path}/mg {margins} must be four margins that fit "
                                f"the {w} x {h} rectangle")


def build(skin_dir):
    """The container bytes of the skin in `skin_dir`."""
    description = load_json(os.path.join(skin_dir, "skin.json"))
    if not isinstance(description, dict) or not isinstance(description.get("cfg"), dict):
        raise SkinError('skin.json: needs an object "cfg"')
    records, images, fonts = read_records(skin_dir, description.get("res"))
    check_entries(description["cfg"], "cfg", images, fonts)

    text = (write_compact(description) + "\n").encode("utf-8") + b"\0"
    parts = [MAGIC, struct.pack("<I", len(text)), text, struct.pack("<I", len(records))]
    for record_id in sorted(records):
        data = records[record_id]
        parts += [struct.pack("<II", record_id, len(data)), data]
    return b"".join(parts)


def write_atomically(path, data):
    folder = os.path.dirname(os.path.abspath(path))
    handle, temporary = tempfile.mkstemp(dir=folder, prefix=".skin-", suffix=".tmp")
    try:
        with os.fdopen(handle, "wb") as file:
            file.write(data)
        os.chmod(temporary, 0o644)
        os.replace(temporary, path)
    except BaseException:
        os.unlink(temporary)
        raise


def main(argv):
    if len(argv) != 3:
        print("usage: build_skin.py SKIN_DIR OUTPUT", file=sys.stderr)
        return 2
    try:
        data = build(argv[1])
    except SkinError as error:
        print(f"build_skin: {argv[1]}: {error}", file=sys.stderr)
        return 1
    write_atomically(argv[2], data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

#!/usr/bin/env python3
"""Where the bytes of a PE program image go: sections, link-map contributors and resources.

    image_size.py EXE [--size] [--limit BYTES] [--map LINK_MAP] [--top N] [--root BUILD_FOLDER]

EXE is a linked PE image (PE32 or PE32+); anything appended behind its last section (a package)
is ignored. LINK_MAP is GNU ld's map of the same link (-Wl,-Map=FILE). Prints Markdown: the
image's sections (file bytes), the largest contributors to the code and data sections from the
map, grouped by library member and by our own object files, and the resource tree's entries by
type and id (--size: the image size alone; --limit BYTES: exit 1, saying by how much, when the
image is larger). Used by bench/run.sh for the results file.
"""

import argparse
import collections
import os
import re
import struct
import sys

RESOURCE_TYPES = {1: "cursor", 2: "bitmap", 3: "icon", 4: "menu", 5: "dialog", 6: "string",
                  9: "accelerator", 10: "raw data", 12: "cursor group", 14: "icon group",
                  16: "version", 24: "manifest"}
# Output sections that the map lists input sections under; .eh_frame's name is cut to 8
# characters in the image ("".eh_fram").
MAP_SECTIONS = (".text", ".data", ".rdata", ".eh_frame", ".bss", ".pdata", ".xdata", ".tls",
                ".CRT", ".idata")


class Image:
    """The section table and the resource tree of a PE file."""

    def __init__(self, path):
        with open(path, "rb") as exe:
            self.data = exe.read()
        pe = struct.unpack_from("<I", self.data, 0x3C)[0]
        if self.data[pe:pe + 4] != b"PE\0\0":
            raise ValueError("%s: not a PE image" % path)
        count = struct.unpack_from("<H", self.data, pe + 6)[0]
        optional_size = struct.unpack_from("<H", self.data, pe + 20)[0]
        self.magic = struct.unpack_from("<H", self.data, pe + 24)[0]
        self.headers = struct.unpack_from("<I", self.data, pe + 24 + 60)[0]
        table = pe + 24 + optional_size
        self.sections = []
        for index in range(count):
            entry = table + 40 * index
            name = self.data[entry:entry + 8].rstrip(b"\0").decode("ascii", "replace")
            virtual_size, virtual_address, raw_size, raw_offset = struct.unpack_from(
                "<IIII", self.data, entry + 8)
            self.sections.append((name, virtual_size, virtual_address, raw_size, raw_offset))

    def size(self):
        """End of the last section in the file: the image without anything appended."""
        return max([s[4] + s[3] for s in self.sections] + [self.headers])

    def resources(self):
        """(type, id, language, bytes) of every resource leaf."""
        rsrc = next((s for s in self.sections if s[0] == ".rsrc"), None)
        if rsrc is None:
            return []
        base_offset = rsrc[4]

        def directory(offset):
            named, numbered = struct.unpack_from("<HH", self.data, base_offset + offset + 12)
            for index in range(named + numbered):
                name, target = struct.unpack_from("<II", self.data,
                                                  base_offset + offset + 16 + 8 * index)
                if name & 0x80000000:
                    length = struct.unpack_from("<H", self.data,
                                                base_offset + (name & 0x7FFFFFFF))[0]
                    start = base_offset + (name & 0x7FFFFFFF) + 2
                    name = self.data[start:start + 2 * length].decode("utf-16-le")
                yield name, target

        leaves = []
        for type_id, type_target in directory(0):
            for name, name_target in directory(type_target & 0x7FFFFFFF):
                for language, leaf in directory(name_target & 0x7FFFFFFF):
                    # A data entry: the data's address, then its size.
                    size = struct.unpack_from("<I", self.data, base_offset + leaf + 4)[0]
                    leaves.append((type_id, name, language, size))
        return leaves


def parse_map(path, root):
    """Bytes per (output section, contributor) from a GNU ld map. A contributor is an archive
    member "lib.a(member.o)" shortened to "lib.a: member.o", or an object file of the build."""
    sizes = collections.defaultdict(int)
    output = None
    pending = None
    line_re = re.compile(r"^ (\S+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$")
    with open(path, encoding="utf-8", errors="replace") as map_file:
        started = False
        for line in map_file:
            line = line.rstrip("\n")
            if not started:
                started = line.startswith("Linker script and memory map")
                continue
            top = re.match(r"^(\.\S+)\s", line) or re.match(r"^(\.\S+)$", line)
            if top:
                output = top.group(1)
                pending = None
                continue
            # An input section whose name is too long stands alone; its numbers follow.
            alone = re.match(r"^ (\S+)$", line)
            if alone:
                pending = alone.group(1)
                continue
            match = line_re.match(line)
            if not match or output not in MAP_SECTIONS:
                pending = None
                continue
            input_section = match.group(1) or pending
            pending = None
            if input_section is None or input_section.startswith("*"):
                continue
            size = int(match.group(3), 16)
            if size:
                sizes[(output, contributor(match.group(4), root))] += size
    return sizes


def contributor(source, root):
    archive = re.match(r"^(.*?)\(([^)]*)\)$", source)
    if archive:
        return "%s: %s" % (os.path.basename(archive.group(1)), archive.group(2))
    source = os.path.normpath(source)
    if root and source.startswith(root + os.sep):
        source = os.path.relpath(source, root)
    return source


def is_ours(name):
    """Our own objects: the project's static libraries and object files (CMake's .obj names)."""
    return name.startswith("libbrindle") or name.endswith(".obj") or "CMakeFiles" in name


def markdown_table(header, rows):
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    lines += ["| " + " | ".join(str(cell) for cell in row) + " |" for row in rows]
    return "\n".join(lines)


def section_table(image):
    rows = [[name, "%d" % raw_size, "%d" % virtual_size]
            for name, virtual_size, _, raw_size, _ in image.sections]
    rows.insert(0, ["(headers)", "%d" % image.headers, ""])
    rows.append(["**image**", "**%d**" % image.size(), ""])
    return markdown_table(["section", "file bytes", "memory bytes"], rows)


def contributor_tables(sizes, top):
    """The largest contributors (code + data + unwind tables) among our objects and among the
    libraries, then a total per library."""
    by_name = collections.defaultdict(lambda: collections.Counter())
    for (section, name), size in sizes.items():
        by_name[name][section] += size
    columns = (".text", ".rdata", ".data", ".eh_frame", ".pdata", ".xdata")
    present = [c for c in columns if any(c in counts for counts in by_name.values())]

    def rows(names):
        ordered = sorted(names, key=lambda n: -sum(by_name[n][c] for c in present))[:top]
        return [[n] + ["%d" % by_name[n][c] for c in present] +
                ["%d" % sum(by_name[n][c] for c in present)] for n in ordered]

    header = ["contributor"] + present + ["total"]
    ours = [n for n in by_name if is_ours(n)]
    theirs = [n for n in by_name if not is_ours(n)]
    libraries = collections.Counter()
    for name in by_name:
        library = name.split(": ", 1)[0] if ": " in name else "(object files)"
        libraries[library] += sum(by_name[name][c] for c in present)
    library_rows = [[name, "%d" % size] for name, size in libraries.most_common()]
    return ("Our own objects (largest %d):\n\n%s\n\nLibrary members (largest %d):\n\n%s\n\n"
            "Per library (all members):\n\n%s" % (
                top, markdown_table(header, rows(ours)), top,
                markdown_table(header, rows(theirs)),
                markdown_table(["library or object", "bytes"], library_rows)))


def resource_table(image):
    rows = []
    for type_id, name, language, size in image.resources():
        kind = RESOURCE_TYPES.get(type_id, type_id) if isinstance(type_id, int) else type_id
        rows.append([kind, name, language, "%d" % size])
    return markdown_table(["type", "id", "language", "bytes"], rows)


def report(exe, map_path=None, top=15, root=None):
    image = Image(exe)
    parts = ["Sections of %s (%s):" % (os.path.basename(exe),
                                        "PE32+" if image.magic == 0x20B else "PE32"),
             "", section_table(image), "", "Resources:", "", resource_table(image)]
    if map_path:
        parts += ["", "From the link map (input section bytes, before file alignment):", "",
                  contributor_tables(parse_map(map_path, root), top)]
    return "\n".join(parts)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("exe")
    parser.add_argument("--size", action="store_true", help="print the image size only")
    parser.add_argument("--map")
    parser.add_argument("--top", type=int, default=15)
    parser.add_argument("--root", help="build folder: object paths are shown relative to it")
    parser.add_argument("--limit", type=int, help="fail when the image is larger than this")
    args = parser.parse_args()
    if args.limit is not None:
        size = Image(args.exe).size()
        print("%s: image %d bytes, limit %d" % (args.exe, size, args.limit))
        if size > args.limit:
            print("image_size: %d bytes over the limit" % (size - args.limit), file=sys.stderr)
            return 1
        return 0
    if args.size:
        print(Image(args.exe).size())
        return 0
    print(report(args.exe, args.map, args.top,
                 os.path.abspath(args.root) if args.root else None))
    return 0


if __name__ == "__main__":
    sys.exit(main())

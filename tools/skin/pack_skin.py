#!/usr/bin/env python3
"""Packs a skin container (".uir") the way the setup program stores it in its resources.

    pack_skin.py CONTAINER OUTPUT

Packed form (ui/framework/packed_skin.h), integers unsigned 32-bit little-endian:
    ".uiz", the container's length, the container as one raw deflate stream (RFC 1951).
The program unpacks it before parsing; the JSON text shrinks to about an eighth, the sheet (a
PNG, deflated already) stays as it is.
"""

import os
import struct
import sys
import tempfile
import zlib

CONTAINER_MAGIC = b".uir"
PACKED_MAGIC = b".uiz"


def pack(container):
    if not container.startswith(CONTAINER_MAGIC):
        raise ValueError("not a skin container (no \".uir\" magic)")
    compressor = zlib.compressobj(9, zlib.DEFLATED, -zlib.MAX_WBITS, 9)
    stream = compressor.compress(container) + compressor.flush()
    return PACKED_MAGIC + struct.pack("<I", len(container)) + stream


def main(argv):
    if len(argv) != 3:
        print("usage: pack_skin.py CONTAINER OUTPUT", file=sys.stderr)
        return 2
    with open(argv[1], "rb") as source:
        container = source.read()
    try:
        packed = pack(container)
    except ValueError as error:
        print(f"pack_skin: {argv[1]}: {error}", file=sys.stderr)
        return 1
    folder = os.path.dirname(os.path.abspath(argv[2]))
    handle, temporary = tempfile.mkstemp(dir=folder, prefix=".skin-", suffix=".tmp")
    try:
        with os.fdopen(handle, "wb") as out:
            out.write(packed)
        os.chmod(temporary, 0o644)
        os.replace(temporary, argv[2])
    except BaseException:
        os.unlink(temporary)
        raise
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

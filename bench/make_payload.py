#!/usr/bin/env python3
"""Writes the benchmark payload: a deterministic folder tree of text and random files.

    make_payload.py [--large] [--seed N] DEST

Default (the install benchmark): 2000 files in 120 folders, exactly 104,857,600 bytes, about
60 % compressible text and 40 % random bytes, file sizes from a few bytes to about 8 MB with most
files small and a few large. --large: about 1.5 GiB (1,610,612,736 bytes), mostly incompressible,
in a few large files. The same seed always gives the same names and bytes (Python's Mersenne
Twister through random.Random, stable across Python 3.9 and later). DEST must not exist or be
empty. Prints a summary with a SHA-256 over every name and byte, for checking reproducibility.
"""

import argparse
import hashlib
import math
import os
import random
import sys

DEFAULT_SEED = 20240617
MIB = 1024 * 1024

FILE_COUNT = 2000
FOLDER_COUNT = 120  # 10 top-level folders with 11 subfolders each
TOP_FOLDERS = 10
TOTAL_BYTES = 100 * MIB
LARGEST_FILE = 8 * MIB
TEXT_SHARE = 0.6

LARGE_TOTAL = 1536 * MIB
LARGE_RANDOM_FILES = 12  # 120 MiB each
LARGE_TEXT_FILES = 16  # 6 MiB each

TEXT_EXTENSIONS = [".txt", ".xml", ".ini", ".json", ".log", ".html"]
BINARY_EXTENSIONS = [".bin", ".dat", ".dll", ".pak", ".res"]


def make_vocabulary(rng, count=4000):
    letters = "abcdefghijklmnopqrstuvwxyz"
    words = set()
    while len(words) < count:
        length = 2 + int(rng.random() ** 2 * 10)
        words.add("".join(rng.choice(letters) for _ in range(length)))
    return sorted(words)


class TextSource:
    """Line-structured text from a fixed vocabulary: compresses to roughly a third with deflate."""

    def __init__(self, rng):
        self.rng = rng
        self.words = make_vocabulary(rng)
        # Zipf-like weights, as in natural text: a few words are very common.
        self.weights = [1.0 / (rank + 1) for rank in range(len(self.words))]

    def make(self, size):
        parts = []
        produced = 0
        while produced < size:
            count = max(64, (size - produced) // 6)
            chunk = self.rng.choices(self.words, weights=self.weights, k=count)
            lines = []
            for start in range(0, count, 12):
                lines.append(" ".join(chunk[start:start + 12]))
            block = ("\r\n".join(lines) + "\r\n").encode("ascii")
            parts.append(block)
            produced += len(block)
        return b"".join(parts)[:size]


def folder_names():
    names = []
    for top in range(TOP_FOLDERS):
        top_name = "part%02d" % (top + 1)
        names.append(top_name)
        for sub in range(FOLDER_COUNT // TOP_FOLDERS - 1):
            names.append("%s/section%02d" % (top_name, sub + 1))
    assert len(names) == FOLDER_COUNT
    return names


def file_sizes(rng):
    """FILE_COUNT sizes in [1, LARGEST_FILE] summing to exactly TOTAL_BYTES: a few large files,
    some medium ones and many small ones, each band log-uniform, then scaled to the total."""
    bands = [(6, 3 * MIB, LARGEST_FILE), (60, 100 * 1024, 2 * MIB), (FILE_COUNT - 66, 3, 64 * 1024)]
    raw = []
    for count, low, high in bands:
        raw += [math.exp(rng.uniform(math.log(low), math.log(high))) for _ in range(count)]
    rng.shuffle(raw)

    def scaled(factor):
        return [min(LARGEST_FILE, max(1, int(r * factor))) for r in raw]

    low, high = 0.0, 1e6
    for _ in range(200):
        mid = (low + high) / 2
        if sum(scaled(mid)) > TOTAL_BYTES:
            high = mid
        else:
            low = mid
    sizes = scaled(low)
    # Spread what is left over the largest files that still have room.
    remainder = TOTAL_BYTES - sum(sizes)
    for index in sorted(range(FILE_COUNT), key=lambda i: -sizes[i]):
        if remainder == 0:
            break
        room = min(LARGEST_FILE - sizes[index], remainder)
        sizes[index] += room
        remainder -= room
    assert sum(sizes) == TOTAL_BYTES and remainder == 0
    return sizes


def assign_kinds(sizes):
    """Per file "text" or "random" so that about TEXT_SHARE of all bytes are text: files are
    visited largest first and each goes to the kind that is further below its share of the bytes
    placed so far, so that both kinds have large and small files."""
    kinds = [None] * len(sizes)
    placed = {"text": 0, "random": 0}
    share = {"text": TEXT_SHARE, "random": 1 - TEXT_SHARE}
    for index in sorted(range(len(sizes)), key=lambda i: (-sizes[i], i)):
        total = placed["text"] + placed["random"] + sizes[index]
        kind = max(("text", "random"), key=lambda k: share[k] * total - placed[k])
        kinds[index] = kind
        placed[kind] += sizes[index]
    return kinds


def standard_layout(rng):
    folders = folder_names()
    sizes = file_sizes(rng)
    kinds = assign_kinds(sizes)
    # Every folder gets at least one file; the rest go to random folders.
    owners = list(range(FOLDER_COUNT)) + [rng.randrange(FOLDER_COUNT) for _ in range(FILE_COUNT - FOLDER_COUNT)]
    rng.shuffle(owners)
    files = []
    for index in range(FILE_COUNT):
        extensions = TEXT_EXTENSIONS if kinds[index] == "text" else BINARY_EXTENSIONS
        name = "%s/file%04d%s" % (folders[owners[index]], index + 1, rng.choice(extensions))
        files.append((name, sizes[index], kinds[index]))
    return folders, files


def large_layout(rng):
    random_size = 120 * MIB
    text_size = (LARGE_TOTAL - LARGE_RANDOM_FILES * random_size) // LARGE_TEXT_FILES
    assert LARGE_RANDOM_FILES * random_size + LARGE_TEXT_FILES * text_size == LARGE_TOTAL
    folders = ["media", "docs"]
    files = [("media/chunk%02d.pak" % (i + 1), random_size, "random") for i in range(LARGE_RANDOM_FILES)]
    files += [("docs/manual%02d.txt" % (i + 1), text_size, "text") for i in range(LARGE_TEXT_FILES)]
    rng.shuffle(files)
    return folders, files


def write_file(path, size, kind, rng, text_source, digest):
    with open(path, "wb") as out:
        left = size
        while left > 0:
            step = min(left, 8 * MIB)
            data = text_source.make(step) if kind == "text" else rng.randbytes(step)
            out.write(data)
            digest.update(data)
            left -= step


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("dest")
    parser.add_argument("--large", action="store_true")
    parser.add_argument("--seed", type=int, default=DEFAULT_SEED)
    args = parser.parse_args()

    if os.path.exists(args.dest) and os.listdir(args.dest):
        sys.exit("make_payload: %s is not empty" % args.dest)
    rng = random.Random(args.seed)
    text_source = TextSource(rng)
    folders, files = large_layout(rng) if args.large else standard_layout(rng)

    digest = hashlib.sha256()
    for folder in folders:
        os.makedirs(os.path.join(args.dest, folder), exist_ok=True)
    text_bytes = 0
    for name, size, kind in files:
        digest.update(name.encode("utf-8") + b"\0")
        write_file(os.path.join(args.dest, name), size, kind, rng, text_source, digest)
        text_bytes += size if kind == "text" else 0
    total = sum(size for _, size, _ in files)
    sizes = sorted(size for _, size, _ in files)
    print("payload %s: %d files in %d folders, %d bytes (%.1f %% text), sizes %d..%d (median %d), "
          "sha256 %s" % (args.dest, len(files), len(folders), total, 100.0 * text_bytes / total,
                         sizes[0], sizes[-1], sizes[len(sizes) // 2], digest.hexdigest()))


if __name__ == "__main__":
    main()

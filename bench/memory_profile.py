"""Where a Wine process's resident memory is: its /proc/PID/smaps grouped by kind of mapping.

Used by bench.py for one profiled run of the setup program: sampled like VmHWM, the sample with
the largest resident total is kept, so that the table shows what the program held at its peak.
"""

import collections
import os

KINDS = (
    ("private", "private memory (heaps, bitmaps and DIB sections, stacks)"),
    ("image", "the program file (image and package)"),
    ("wine_pe", "Wine's Windows DLLs"),
    ("wine_unix", "Wine's Unix libraries"),
    ("system", "other shared libraries"),
    ("fonts", "font files"),
    ("other", "other mappings (wineserver shared memory, files)"),
)
FONT_SUFFIXES = (".ttf", ".ttc", ".otf", ".fon", ".pcf.gz")


def kind_of(path, program):
    if not path or path.startswith("["):
        return "private"
    if program and os.path.basename(path) == os.path.basename(program):
        return "image"
    if "/wine/" in path and ("-windows/" in path or path.endswith((".dll", ".exe", ".drv"))):
        return "wine_pe"
    if "/wine/" in path and ".so" in path:
        return "wine_unix"
    if path.endswith(FONT_SUFFIXES) or "/fonts/" in path:
        return "fonts"
    if ".so" in os.path.basename(path):
        return "system"
    return "other"


def sample(pid, program):
    """(resident bytes by kind, resident bytes by mapped file name or "[anonymous]") for
    process `pid`, or None when it has gone."""
    totals = collections.Counter()
    files = collections.Counter()
    kind, name = "private", ""
    try:
        with open("/proc/%d/smaps" % pid) as smaps:
            for line in smaps:
                if line[0] in "0123456789abcdef" and "-" in line.split(" ", 1)[0]:
                    fields = line.split(None, 5)
                    path = fields[5].strip() if len(fields) > 5 else ""
                    kind = kind_of(path, program)
                    name = os.path.basename(path) if path and path[0] == "/" else \
                        (path or "[anonymous]")
                elif line.startswith("Rss:"):
                    size = int(line.split()[1]) * 1024
                    totals[kind] += size
                    files[name] += size
    except (FileNotFoundError, ProcessLookupError):
        return None
    return totals, files


class PeakTracker:
    """Keeps the sample with the largest resident total, and the phase it was taken in."""

    def __init__(self, program):
        self.program = program
        self.peak = collections.Counter()
        self.files = collections.Counter()
        self.phase = None

    def update(self, pid, phase):
        sampled = sample(pid, self.program)
        if sampled and sum(sampled[0].values()) > sum(self.peak.values()):
            (self.peak, self.files), self.phase = sampled, phase

    def largest_files(self, count):
        """The `count` mappings (by file name) with the most resident bytes at the peak."""
        mib = 1024.0 * 1024.0
        return [[name, "%.1f" % (size / mib)] for name, size in self.files.most_common(count)]

    def rows(self):
        mib = 1024.0 * 1024.0
        total = sum(self.peak.values())
        rows = [[label, "%.1f" % (self.peak[key] / mib)] for key, label in KINDS]
        rows.append(["**resident total**", "**%.1f**" % (total / mib)])
        return rows

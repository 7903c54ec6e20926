#!/usr/bin/env python3
"""Install benchmark: Brindle against NSIS and native unzip, under one warm Wine prefix.

Called by bench/run.sh, which installs the tools, builds the programs and starts the Wine
session; see bench/README.md. Measures, per installer, the install wall time (a warm-up, then
the median of --runs), the package size, the stub size (program image without the package), the
peak working set (VmHWM of the installing Linux process, sampled, and GetProcessMemoryInfo inside
the Brindle bench driver), and checks every installed tree against the payload. Prints the
table and writes it, with the date and the machine, to the results file.
"""

import argparse
import datetime
import json
import os
import platform
import re
import shutil
import signal
import statistics
import struct
import subprocess
import sys
import time

import image_size
import memory_profile

MIB = 1024 * 1024
SAMPLE_INTERVAL = 0.01  # seconds between VmHWM samples
DRIVE = "t:"  # the work folder as a Wine drive
WINE32 = "wine"  # NSIS installers are 32-bit programs: Debian's wine picks the 32-bit loader


def log(message):
    print("bench: " + message, file=sys.stderr, flush=True)


# ---------------------------------------------------------------------------------------------
# Files and packages


def image_size(path):
    """End of the last section of a PE file: the program image without anything appended."""
    with open(path, "rb") as exe:
        header = exe.read(4096)
    pe = struct.unpack_from("<I", header, 0x3C)[0]
    sections = struct.unpack_from("<H", header, pe + 6)[0]
    optional_size = struct.unpack_from("<H", header, pe + 20)[0]
    table = pe + 24 + optional_size
    end = 0
    for index in range(sections):
        raw_size, raw_offset = struct.unpack_from("<II", header, table + 40 * index + 16)
        end = max(end, raw_offset + raw_size)
    return end


def extract_payload_archive(package, dest):
    """Copies the payload archive (ZIP) of a Brindle setup package to `dest`."""
    with open(package, "rb") as source:
        head = source.read(64)
        lfanew = struct.unpack_from("<I", head, 0x3C)[0]
        source.seek(lfanew - 4)
        offset = struct.unpack("<I", source.read(4))[0]
        source.seek(offset)
        config_length = struct.unpack("<I", source.read(4))[0]
        source.seek(offset + 4 + config_length)
        archive_length = struct.unpack("<I", source.read(4))[0]
        with open(dest, "wb") as out:
            left = archive_length
            while left:
                chunk = source.read(min(left, 8 * MIB))
                if not chunk:
                    raise RuntimeError("%s: archive reaches past the end of the file" % package)
                out.write(chunk)
                left -= len(chunk)


def same_content(a, b):
    with open(a, "rb") as fa, open(b, "rb") as fb:
        while True:
            block_a = fa.read(MIB)
            if block_a != fb.read(MIB):
                return False
            if not block_a:
                return True


def tree_listing(root):
    folders, files = set(), set()
    for folder, subfolders, names in os.walk(root):
        relative = os.path.relpath(folder, root)
        for name in subfolders:
            folders.add(os.path.normpath(os.path.join(relative, name)))
        for name in names:
            files.add(os.path.normpath(os.path.join(relative, name)))
    return folders, files


def compare_tree(payload, installed, uninstaller):
    """None when `installed` holds exactly the payload's folders and files with the same bytes,
    plus the installer's own uninstaller file; otherwise what differs."""
    if not os.path.isdir(installed):
        return "no install folder"
    want_folders, want_files = tree_listing(payload)
    got_folders, got_files = tree_listing(installed)
    if uninstaller:
        if uninstaller not in got_files:
            return "no uninstaller %s" % uninstaller
        got_files.discard(uninstaller)
    problems = []
    for label, missing in (("missing", (want_folders - got_folders) | (want_files - got_files)),
                           ("extra", (got_folders - want_folders) | (got_files - want_files))):
        if missing:
            problems.append("%d %s (%s)" % (len(missing), label, sorted(missing)[0]))
    for name in sorted(want_files & got_files):
        if not same_content(os.path.join(payload, name), os.path.join(installed, name)):
            problems.append("content differs: %s" % name)
            break
    return "; ".join(problems) or None


# ---------------------------------------------------------------------------------------------
# Running and measuring


def read_vm_hwm(pid):
    """VmHWM of a process in bytes, or None when it has gone."""
    try:
        with open("/proc/%d/status" % pid) as status:
            for line in status:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1]) * 1024
    except (FileNotFoundError, ProcessLookupError):
        return None
    return None


def cpu_seconds(pid):
    """User + system CPU time of a process so far, or 0.0 when it has gone."""
    try:
        with open("/proc/%d/stat" % pid) as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    except (FileNotFoundError, ProcessLookupError, IndexError):
        return 0.0


class Measurement:
    def __init__(self):
        self.seconds = 0.0
        self.exit_code = None
        self.vm_hwm = 0
        self.cpu = 0.0
        self.server_cpu = 0.0
        self.stdout = ""
        self.stderr = ""
        self.first_window = None  # seconds from start to the first composed window
        self.install_seconds = None  # seconds from the install click to the finish window


def finish_measurement(result, process, start, status, usage, peak):
    """Fills `result` from a measured process that has ended (os.wait4's status and usage)."""
    result.seconds = time.perf_counter() - start
    result.exit_code = os.waitstatus_to_exitcode(status)
    process.returncode = result.exit_code
    result.vm_hwm = peak
    result.cpu = usage.ru_utime + usage.ru_stime
    result.stderr = process.stderr.read().decode("utf-8", "replace")


def run_measured(command, env, server_pid=None):
    """Runs `command` to its end; wall time from start to reaped exit, VmHWM sampled every
    SAMPLE_INTERVAL (a high-water mark: its last sample is the peak up to that moment). The
    child's ru_maxrss is no use here: it includes the size of this process, forked before the
    exec."""
    result = Measurement()
    server_before = cpu_seconds(server_pid) if server_pid else 0.0
    start = time.perf_counter()
    process = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    peak = 0
    while True:
        pid, status, usage = os.wait4(process.pid, os.WNOHANG)
        if pid:
            break
        peak = max(peak, read_vm_hwm(process.pid) or 0)
        time.sleep(SAMPLE_INTERVAL)
    finish_measurement(result, process, start, status, usage, peak)
    result.server_cpu = (cpu_seconds(server_pid) - server_before) if server_pid else 0.0
    result.stdout = process.stdout.read().decode("utf-8", "replace")
    return result


def parse_driver_line(text):
    values = dict(re.findall(r"(\w+)=(\S+)", text))
    return values if values.get("result") else None


class Installer:
    """One way of installing the payload: its package and the command that installs it."""

    def __init__(self, name, package, command, out_dir, uninstaller, stub_size, wine=True,
                 driver=False):
        self.name = name
        self.package = package
        self.command = command
        self.out_dir = out_dir
        self.uninstaller = uninstaller
        self.stub_size = stub_size
        self.wine = wine
        self.driver = driver
        self.package_size = os.path.getsize(package) if package else 0
        self.runs = []
        self.driver_values = []
        self.failures = []

    def run_once(self, env, server_pid, payload, record):
        shutil.rmtree(self.out_dir, ignore_errors=True)
        measured = run_measured(self.command, env, server_pid if self.wine else None)
        problem = None
        if measured.exit_code != 0:
            problem = "exit code %s: %s" % (measured.exit_code, measured.stderr.strip()[-200:])
        values = parse_driver_line(measured.stdout) if self.driver else None
        if self.driver and (not values or values.get("result") != "ok"):
            problem = problem or "driver reported: %s" % measured.stdout.strip()
        problem = problem or compare_tree(payload, self.out_dir, self.uninstaller)
        if record:
            self.runs.append(measured)
            if values:
                self.driver_values.append(values)
            if problem:
                self.failures.append(problem)
        shutil.rmtree(self.out_dir, ignore_errors=True)
        return measured, problem

    def install_times(self):
        return [r.seconds for r in self.runs]


class SkinGeometry:
    """Where the setup program's install button and finish window are, from the skin: element
    sizes are [x, y, width, height], negative x or y counting from the right or bottom edge."""

    def __init__(self, skin_path):
        with open(skin_path, encoding="utf-8") as skin:
            windows = json.load(skin)["cfg"]
        self.install_button = windows["MainWindow"]["InstallButton2"]["size"]
        self.finish_size = tuple(windows["SuccessWindow"]["size"][2:4])
        self.finish_close = windows["SuccessWindow"]["SysBtns"]["Close"]["size"]

    @staticmethod
    def centre(element, width, height):
        x, y, w, h = element
        return ((width if x < 0 else 0) + x + w // 2, (height if y < 0 else 0) + y + h // 2)


def visible_windows(pid, env, title=""):
    """(window id, width, height) of every mapped X window of the process `pid` whose title
    matches the regular expression `title`. Debian's xdotool needs a name pattern before a
    chained command, and --all so that the pattern does not widen the search to every window."""
    listing = subprocess.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(pid),
                              "--name", title, "getwindowgeometry", "%@"], env=env,
                             capture_output=True, text=True).stdout
    windows = []
    for window, width, height in re.findall(r"Window (\d+)\n.*\n\s*Geometry: (\d+)x(\d+)",
                                            listing):
        # Hidden windows of Wine can stay mapped at 1x1.
        if (width, height) != ("1", "1"):
            windows.append((window, int(width), int(height)))
    return windows


def click(window, position, env):
    subprocess.run(["xdotool", "mousemove", "--window", window, str(position[0]),
                    str(position[1]), "click", "1"], env=env, check=False)


class GuiInstaller(Installer):
    """The setup program itself, driven as a user would: waits for its main window, clicks the
    install button (default folder and options), waits for the install-finished window and
    closes it. Measures the time from start to the first composed window and from the click to
    the finish window; the default install folder is linked to out_dir on the tmpfs."""

    TIMEOUT = 600  # seconds for one whole run
    MAIN_TITLE = "^Brindle$"  # the main window's title (never drawn, but set on the window)
    RECLICK_AFTER = 3.0  # seconds without a progress window after a click: click again

    def __init__(self, package, command, out_dir, stub_size, skin, folder_link):
        super().__init__("Brindle setup program (GUI, install button)", package, command,
                         out_dir, "unins000.exe", stub_size)
        self.skin = skin
        self.folder_link = folder_link

    UNINSTALL_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velto"

    def forget_installation(self, env):
        """Removes the product's Uninstall entry (both scopes) that an earlier row's install
        left: the setup offers a registered product's install folder before the default one, and
        the link below must be where it installs."""
        for root in ("HKLM", "HKCU"):
            subprocess.run([self.command[0], "reg", "delete", root + "\\" + self.UNINSTALL_KEY,
                            "/f"], env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, check=False)

    def prepare_folder(self):
        """The default install folder (Program Files\\Velto) becomes a link to an empty out_dir."""
        shutil.rmtree(self.out_dir, ignore_errors=True)
        os.makedirs(self.out_dir)
        if os.path.islink(self.folder_link) or os.path.isfile(self.folder_link):
            os.remove(self.folder_link)
        elif os.path.isdir(self.folder_link):
            shutil.rmtree(self.folder_link)
        os.symlink(self.out_dir, self.folder_link)

    def drive(self, env, tracker=None):
        """One run through the windows; `tracker` (memory_profile.PeakTracker), when given,
        samples the process's mappings beside VmHWM."""
        result = Measurement()
        start = time.perf_counter()
        process = subprocess.Popen(self.command, env=env, stdin=subprocess.DEVNULL,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        peak, phase, clicked, seen = 0, "start", 0.0, None
        result.first_window = result.install_seconds = None
        result.clicked = None
        while True:
            pid, status, usage = os.wait4(process.pid, os.WNOHANG)
            if pid:
                break
            peak = max(peak, read_vm_hwm(process.pid) or 0)
            if tracker:
                tracker.update(process.pid, phase)
            now = time.perf_counter()
            if now - start > self.TIMEOUT:
                process.kill()
            elif phase != "closing":
                windows = visible_windows(process.pid, env)
                now = time.perf_counter()
                finish = [w for w in windows if (w[1], w[2]) == self.skin.finish_size]
                if phase == "start":
                    main = visible_windows(process.pid, env, self.MAIN_TITLE)
                    if main and result.first_window is None:
                        result.first_window = now - start
                    # Clicked once the main window has kept its place and size for one poll.
                    if main and main[0] == seen:
                        click(main[0][0], self.skin.centre(self.skin.install_button, main[0][1],
                                                           main[0][2]), env)
                        phase, clicked, result.clicked = "installing", time.perf_counter(), main
                    seen = main[0] if main else None
                elif phase == "installing" and finish:
                    result.install_seconds = now - clicked
                    click(finish[0][0], self.skin.centre(self.skin.finish_close, finish[0][1],
                                                         finish[0][2]), env)
                    phase = "closing"
                elif phase == "installing" and len(windows) == 1 and \
                        now - clicked > self.RECLICK_AFTER and windows[0][2] > 400:
                    # Only the main window after seconds: the click was lost.
                    click(windows[0][0], self.skin.centre(self.skin.install_button,
                                                          windows[0][1], windows[0][2]), env)
                    clicked = time.perf_counter()
            time.sleep(SAMPLE_INTERVAL)
        finish_measurement(result, process, start, status, usage, peak)
        return result

    def run_once(self, env, server_pid, payload, record):
        self.forget_installation(env)
        self.prepare_folder()
        server_before = cpu_seconds(server_pid) if server_pid else 0.0
        measured = self.drive(env)
        measured.server_cpu = (cpu_seconds(server_pid) - server_before) if server_pid else 0.0
        problem = None
        if measured.install_seconds is None:
            problem = "no install-finished window (exit code %s, clicked %s)" % (
                measured.exit_code, measured.clicked)
        elif measured.exit_code != 0:
            problem = "exit code %s" % measured.exit_code
        problem = problem or compare_tree(payload, self.out_dir, self.uninstaller)
        if record:
            self.runs.append(measured)
            if problem:
                self.failures.append(problem)
        shutil.rmtree(self.out_dir, ignore_errors=True)
        os.makedirs(self.out_dir)
        return measured, problem

    def install_times(self):
        return [r.install_seconds for r in self.runs]

    def profile_memory(self, env):
        """One more run, not timed, with the mappings sampled: what the program holds at its
        peak (memory_profile.PeakTracker), or None when the run did not reach its finish
        window."""
        self.forget_installation(env)
        self.prepare_folder()
        tracker = memory_profile.PeakTracker(self.package)
        measured = self.drive(env, tracker)
        shutil.rmtree(self.out_dir, ignore_errors=True)
        os.makedirs(self.out_dir)
        return tracker if measured.install_seconds is not None else None


# ---------------------------------------------------------------------------------------------
# Machine and report


def machine_description(wine_env, loader):
    cpu = "unknown CPU"
    with open("/proc/cpuinfo") as info:
        for line in info:
            if line.startswith("model name"):
                cpu = line.split(":", 1)[1].strip()
                break
    with open("/proc/meminfo") as info:
        memory = int(info.readline().split()[1]) * 1024
    distro = "Linux"
    if os.path.exists("/etc/os-release"):
        with open("/etc/os-release") as release:
            fields = dict(line.rstrip().split("=", 1) for line in release if "=" in line)
        distro = fields.get("PRETTY_NAME", distro).strip('"')
    wine = subprocess.run([loader, "--version"], env=wine_env, capture_output=True,
                          text=True).stdout.strip()
    nsis = subprocess.run(["makensis", "-VERSION"], capture_output=True,
                          text=True).stdout.strip() if shutil.which("makensis") else "not installed"
    return ("%s, %d logical CPUs, %.1f GiB RAM; %s, kernel %s; %s; NSIS %s; host %s" %
            (cpu, os.cpu_count(), memory / 1024 / MIB, distro, platform.release(), wine, nsis,
             platform.node()))


def source_state(root):
    """The commit the programs were built from, noting uncommitted changes in the tree."""
    commit, _, subject = subprocess.run(["git", "-C", root, "log", "-1", "--format=%h %s"],
                                        capture_output=True, text=True).stdout.strip().partition(" ")
    if len(subject) > 70:
        subject = subject[:70].rstrip() + "…"
    dirty = subprocess.run(["git", "-C", root, "status", "--porcelain", "--untracked-files=no"],
                           capture_output=True, text=True).stdout.strip()
    return "%s \"%s\"%s" % (commit, subject,
                              "; the working tree had uncommitted changes" if dirty else "")


def mib(value):
    return "%.1f" % (value / MIB)


def ratio(value, base):
    return "%.2f" % (value / base) if value and base else "n/a"


def median(values):
    return statistics.median(values) if values else 0.0


def summary_rows(installers, gui_note):
    """The main table. Ratios are against NSIS zlib (when it ran) and native unzip."""
    base = next((i for i in installers if i.name == "NSIS zlib"), None)
    unzip = next((i for i in installers if not i.wine), None)
    base_time = median(base.install_times()) if base else None
    base_hwm = max(r.vm_hwm for r in base.runs) if base else None
    unzip_time = median(unzip.install_times()) if unzip else None
    rows = []
    header = ["installer", "install s (median)", "min–max s", "× NSIS zlib", "× unzip",
              "package bytes", "× NSIS zlib", "stub bytes", "× NSIS zlib", "peak VmHWM MiB",
              "× NSIS zlib", "GetProcessMemoryInfo peak MiB", "first window s", "trees checked"]
    for installer in installers:
        times = installer.install_times()
        hwm = max(r.vm_hwm for r in installer.runs)
        package = installer.package_size
        peaks = [int(v["peak_working_set"]) for v in installer.driver_values]
        windows = [r.first_window for r in installer.runs if r.first_window is not None]
        checked = len(installer.runs) + 1
        if None in times:
            time_cells = ["n/a"] * 4
        else:
            time_cells = ["%.2f" % median(times), "%.2f–%.2f" % (min(times), max(times)),
                          ratio(median(times), base_time), ratio(median(times), unzip_time)]
        rows.append([installer.name] + time_cells + [
            "%d" % package if package else "n/a",
            ratio(package, base.package_size if base else None) if package else "n/a",
            "%d" % installer.stub_size if installer.stub_size else "n/a",
            ratio(installer.stub_size, base.stub_size if base else None)
            if installer.stub_size else "n/a",
            mib(hwm), ratio(hwm, base_hwm), mib(max(peaks)) if peaks else "n/a",
            "%.2f" % median(windows) if windows else "none",
            "%d ok" % checked if not installer.failures else "FAILED: " + installer.failures[0]
        ])
    if gui_note:
        rows.append(["Brindle setup program (GUI, install button)"] + ["n/a"] * 12 + [gui_note])
    return header, rows


def markdown_table(header, rows):
    lines = ["| " + " | ".join(header) + " |", "|" + "---|" * len(header)]
    lines += ["| " + " | ".join(row) + " |" for row in rows]
    return "\n".join(lines)


def diagnostics_rows(installers):
    header = ["installer", "process CPU s (median)", "wineserver CPU s (median)",
              "engine call ms (median, driver)"]
    rows = []
    for installer in installers:
        engine = [float(v["engine_ms"]) for v in installer.driver_values]
        rows.append([installer.name, "%.2f" % median([r.cpu for r in installer.runs]),
                     "%.2f" % median([r.server_cpu for r in installer.runs])
                     if installer.wine else "n/a",
                     "%.0f" % median(engine) if engine else "n/a"])
    return header, rows


# ---------------------------------------------------------------------------------------------
# The runs


class Bench:
    def __init__(self, args):
        self.args = args
        self.loader = args.wine_loader
        self.memory = None
        self.work = args.work
        self.env = dict(os.environ)
        state = args.wine_state
        self.env.update({
            "WINEPREFIX": os.path.join(state, "prefix"),
            "WINEDEBUG": "-all",
            "HOME": os.path.join(state, "home"),
            "WINEDLLOVERRIDES": "mscoree,mshtml,winemenubuilder.exe=",
        })
        display_file = os.path.join(state, "display")
        if os.path.exists(display_file):
            with open(display_file) as display:
                self.env["DISPLAY"] = display.read().strip()
        self.server_pid = self.find_wineserver()

    def find_wineserver(self):
        """The pid of this prefix's wineserver (its CPU time is part of every Wine run)."""
        prefix = os.path.realpath(self.env["WINEPREFIX"])
        for entry in os.listdir("/proc"):
            if not entry.isdigit():
                continue
            try:
                with open("/proc/%s/cmdline" % entry, "rb") as cmdline:
                    if b"wineserver" not in cmdline.read():
                        continue
                with open("/proc/%s/environ" % entry, "rb") as environ:
                    if ("WINEPREFIX=" + prefix).encode() in environ.read().split(b"\0"):
                        return int(entry)
            except OSError:
                continue
        return None

    def map_drive(self):
        link = os.path.join(self.env["WINEPREFIX"], "dosdevices", DRIVE)
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(self.work, link)

    def unmap_drive(self):
        """Removes the drive and the install folder link that GuiInstaller made."""
        for link in (os.path.join(self.env["WINEPREFIX"], "dosdevices", DRIVE),
                     os.path.join(self.env["WINEPREFIX"], "drive_c", "Program Files", "Velto")):
            if os.path.islink(link):
                os.remove(link)

    def win_path(self, path):
        relative = os.path.relpath(path, self.work)
        if relative.startswith(".."):
            relative = None
        if relative is None:
            return "Z:" + os.path.abspath(path).replace("/", "\\")
        return DRIVE.upper() + "\\" + relative.replace("/", "\\")

    def generate(self, dest, large):
        command = [sys.executable, os.path.join(self.args.root, "bench", "make_payload.py"), dest]
        if large:
            command.append("--large")
        output = subprocess.run(command, check=True, capture_output=True, text=True).stdout.strip()
        log(output)
        return output

    def pack_brindle(self, payload, output):
        first_file = sorted(n for n in tree_listing(payload)[1])[0]
        subprocess.run([self.args.brindle_pack, "pack", "--stub", self.args.stub, "--payload",
                        payload, "--licence", self.args.licence, "--lastrun", first_file,
                        "--progress", "never", "-o", output], check=True,
                       stdout=subprocess.DEVNULL)

    def make_nsis(self, payload, compressor, output):
        command = ["makensis", "-V2", "-DCOMPRESSOR=" + compressor, "-DPAYLOAD=" + payload,
                   "-DOUTFILE=" + output, os.path.join(self.args.root, "bench",
                                                       "bench_installer.nsi")]
        subprocess.run(command, check=True, stdout=subprocess.DEVNULL)

    def installers(self, packages, out_root, with_lzma=True, with_unzip=True):
        """The installers of one run; NSIS only when its 32-bit programs can run here."""
        driver = os.path.join(self.work, "bin", "brindle_bench_install.exe")
        brindle_out = os.path.join(out_root, "brindle")
        result = [Installer("Brindle engine (bench driver)", packages["brindle"],
                            [self.loader, self.win_path(driver), self.win_path(packages["brindle"]),
                             self.win_path(brindle_out)], brindle_out, "unins000.exe",
                            image_size(packages["brindle"]), driver=True)]
        compressors = ("zlib", "lzma") if with_lzma else ("zlib",)
        for compressor in compressors if not self.args.no_nsis else ():
            package = packages["nsis-" + compressor]
            out_dir = os.path.join(out_root, "nsis-" + compressor)
            result.append(Installer("NSIS " + ("zlib" if compressor == "zlib" else "LZMA"),
                                    package, [WINE32, self.win_path(package), "/S",
                                              "/D=" + self.win_path(out_dir)], out_dir,
                                    "uninstall.exe", image_size(package)))
        if self.args.gui:
            out_dir = os.path.join(out_root, "gui")
            folder_link = os.path.join(self.env["WINEPREFIX"], "drive_c", "Program Files",
                                       "Velto")
            result.insert(1, GuiInstaller(packages["brindle"],
                                          [self.loader, self.win_path(packages["brindle"])], out_dir,
                                          image_size(packages["brindle"]),
                                          SkinGeometry(self.args.skin), folder_link))
        if with_unzip:
            out_dir = os.path.join(out_root, "unzip")
            result.append(Installer("unzip -q (native, same ZIP)", packages["zip"],
                                    ["unzip", "-q", packages["zip"], "-d", out_dir], out_dir, None,
                                    0, wine=False))
        return result

    def hold_desktop(self):
        """Starts the driver's --hold-desktop mode; it ends when its standard input is closed.
        Without it, a GUI program started right after another Wine program's last window went
        can fail to create any window (Wine's desktop process is then shutting down)."""
        driver = self.win_path(os.path.join(self.work, "bin", "brindle_bench_install.exe"))
        return subprocess.Popen([self.loader, driver, "--hold-desktop"], env=self.env,
                                stdin=subprocess.PIPE, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)

    def wine_startup(self):
        """Median wall time of a Wine program that does nothing (the driver's usage message)."""
        driver = self.win_path(os.path.join(self.work, "bin", "brindle_bench_install.exe"))
        times = [run_measured([self.loader, driver], self.env).seconds for _ in range(5)]
        return median(times)

    def standard_run(self):
        payload = os.path.join(self.work, "payload")
        pkg = os.path.join(self.work, "pkg")
        os.makedirs(pkg, exist_ok=True)
        summary = self.generate(payload, large=False)
        packages = {"brindle": os.path.join(pkg, "brindle-setup.exe"),
                    "nsis-zlib": os.path.join(pkg, "nsis-zlib.exe"),
                    "nsis-lzma": os.path.join(pkg, "nsis-lzma.exe"),
                    "zip": os.path.join(pkg, "payload.zip")}
        log("packing with brindle-pack%s" % ("" if self.args.no_nsis else
                                              " and makensis (zlib, LZMA)"))
        self.pack_brindle(payload, packages["brindle"])
        extract_payload_archive(packages["brindle"], packages["zip"])
        if not self.args.no_nsis:
            self.make_nsis(payload, "zlib", packages["nsis-zlib"])
            self.make_nsis(payload, "lzma", packages["nsis-lzma"])
        installers = self.installers(packages, os.path.join(self.work, "out"))
        for installer in installers:
            log("warm-up: " + installer.name)
            _, problem = installer.run_once(self.env, self.server_pid, payload, record=False)
            if problem:
                installer.failures.append("warm-up: " + problem)
        for round_index in range(self.args.runs):
            for installer in installers:
                measured, problem = installer.run_once(self.env, self.server_pid, payload, True)
                log("run %d/%d %s: %.2f s, VmHWM %s MiB%s" %
                    (round_index + 1, self.args.runs, installer.name, measured.seconds,
                     mib(measured.vm_hwm), ", " + problem if problem else ""))
        gui = next((i for i in installers if isinstance(i, GuiInstaller)), None)
        self.memory = gui.profile_memory(self.env) if gui else None
        shutil.rmtree(payload, ignore_errors=True)
        shutil.rmtree(pkg, ignore_errors=True)
        return summary, installers

    def large_run(self):
        """One ~1.5 GiB, mostly incompressible package: packages on disk, output on the tmpfs."""
        large = self.args.large_dir
        need_disk, need_tmpfs = 5 * 1024 * MIB, 2 * 1024 * MIB
        os.makedirs(large, exist_ok=True)
        free_disk = shutil.disk_usage(large).free
        free_tmpfs = shutil.disk_usage(self.work).free
        if free_disk < need_disk or free_tmpfs < need_tmpfs:
            return None, "skipped: %s GiB free on disk (need 5), %s GiB on the tmpfs (need 2)" % (
                "%.1f" % (free_disk / 1024 / MIB), "%.1f" % (free_tmpfs / 1024 / MIB))
        payload = os.path.join(large, "payload")
        try:
            summary = self.generate(payload, large=True)
            packages = {"brindle": os.path.join(large, "brindle-setup.exe"),
                        "nsis-zlib": os.path.join(large, "nsis-zlib.exe")}
            log("large run: packing with brindle-pack and makensis (zlib)")
            self.pack_brindle(payload, packages["brindle"])
            if not self.args.no_nsis:
                self.make_nsis(payload, "zlib", packages["nsis-zlib"])
            installers = self.installers(packages, os.path.join(self.work, "out"),
                                         with_lzma=False, with_unzip=False)
            for installer in installers:
                measured, problem = installer.run_once(self.env, self.server_pid, payload, True)
                log("large run %s: %.2f s, VmHWM %s MiB%s" %
                    (installer.name, measured.seconds, mib(measured.vm_hwm),
                     ", " + problem if problem else ""))
            return summary, installers
        finally:
            shutil.rmtree(large, ignore_errors=True)


def large_table(installers):
    header = ["installer", "package bytes", "installs", "install s", "peak VmHWM MiB",
              "GetProcessMemoryInfo peak MiB"]
    rows = []
    for installer in installers:
        run = installer.runs[0]
        peaks = [int(v["peak_working_set"]) for v in installer.driver_values]
        rows.append([installer.name, "%d" % installer.package_size,
                     "yes" if not installer.failures else "NO: " + installer.failures[0],
                     "%.2f" % installer.install_times()[0] if installer.install_times()[0] else
                     "n/a", mib(run.vm_hwm), mib(max(peaks)) if peaks else "n/a"])
    return markdown_table(header, rows)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--root", required=True)
    parser.add_argument("--work", required=True, help="empty folder on a tmpfs")
    parser.add_argument("--large-dir", required=True, help="scratch folder on disk, large run")
    parser.add_argument("--wine-state", required=True, help="folder of scripts/wine-session.sh")
    parser.add_argument("--brindle-pack", required=True)
    parser.add_argument("--driver", required=True)
    parser.add_argument("--stub", required=True)
    parser.add_argument("--stub-kind", default="setup program (app/)")
    parser.add_argument("--gui", action="store_true",
                        help="the stub is the setup program: also drive it through its window")
    parser.add_argument("--skin", help="the setup program's skin.json (button positions)")
    parser.add_argument("--licence", required=True)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--no-large", action="store_true")
    parser.add_argument("--results", required=True)
    parser.add_argument("--append", action="store_true",
                        help="append this architecture's section to the results file")
    parser.add_argument("--arch", default="x86", help="architecture of the Brindle programs")
    parser.add_argument("--wine-loader", default="wine",
                        help="Wine loader of the Brindle programs (wine64's path for x64)")
    parser.add_argument("--no-nsis", metavar="REASON",
                        help="leave out the NSIS installers (32-bit programs), saying why")
    args = parser.parse_args()

    # Ended from outside (Ctrl-C, kill): still remove the drive and the folder link.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))
    bench = Bench(args)
    if not bench.server_pid:
        sys.exit("bench: no wineserver runs for %s" % bench.env["WINEPREFIX"])
    os.makedirs(os.path.join(args.work, "bin"), exist_ok=True)
    shutil.copy(args.driver, os.path.join(args.work, "bin"))
    bench.map_drive()
    holder = bench.hold_desktop()
    try:
        started = datetime.datetime.now().astimezone()
        load_before = os.getloadavg()
        machine = machine_description(bench.env, args.wine_loader)
        source = source_state(args.root)
        startup = bench.wine_startup()
        summary, installers = bench.standard_run()
        load_after = os.getloadavg()
        large_summary, large = (None, "skipped (--no-large)") if args.no_large else \
            bench.large_run()
    finally:
        holder.stdin.close()
        try:
            holder.wait(timeout=30)
        except subprocess.TimeoutExpired:
            holder.kill()
        bench.unmap_drive()

    gui_note = None if args.gui else "not run: no setup program to pack (placeholder stub)"
    header, rows = summary_rows(installers, gui_note)
    diag_header, diag_rows = diagnostics_rows(installers)
    nsis_text = ("NSIS: not run (%s), so there are no NSIS rows and no ratios against NSIS"
                 % args.no_nsis if args.no_nsis else
                 "NSIS: Debian's makensis, bench/bench_installer.nsi, non-solid, each writing an "
                 "uninstaller and an Uninstall registry entry, run as `setup.exe /S /D=T:\\...` "
                 "(32-bit programs)")
    report = [
        "## %s programs, %s" % (args.arch, started.strftime("%Y-%m-%d %H:%M %Z")),
        "",
        "Machine: %s." % machine,
        "Source: commit %s." % source,
        "Load average (1 min) before and after the main run: %.2f, %.2f (the machine is shared: "
        "other jobs ran beside the benchmark, so times are compared only with peers run in the "
        "same rounds)." % (load_before[0], load_after[0]),
        "",
        "Payload: %s." % summary.split(": ", 1)[1],
        "Brindle package: brindle-pack with the %s (%s, Wine loader `%s`); %s. Output folder on "
        "a tmpfs mapped as drive T: of one warm Wine prefix with one wineserver. One warm-up run "
        "per installer, then %d rounds (every installer once per round); every installed tree "
        "is compared with the payload (the installer's uninstaller file aside)." % (
            args.stub_kind, args.arch, args.wine_loader, nsis_text, args.runs),
        "",
        markdown_table(header, rows),
        "",
        "- Install time: wall time of the installing process from start to exit (Wine start-up "
        "included: a Wine program that does nothing takes %.2f s here). For the setup program: "
        "from the click on its install button (default folder, linked to the tmpfs, and default "
        "options) until its install-finished window is mapped, fade-outs included; windows are "
        "polled with xdotool about every 20 ms." % startup,
        "- Package: the whole file that is shipped. Stub: the program image without the package "
        "(end of the last PE section); the Brindle stub is the %s." % args.stub_kind,
        "- Peak VmHWM: the highest VmHWM of the installing Linux process over all runs, sampled "
        "every %d ms (a high-water mark: only growth in the last interval before exit could be "
        "missed). GetProcessMemoryInfo: PeakWorkingSetSize inside the bench driver after the "
        "engine call (Wine derives it from the same counter)." % int(SAMPLE_INTERVAL * 1000),
        "- First window: start of the process until its first window is mapped (composed); "
        "\"none\": silent NSIS, the headless engine and unzip show no window.",
        "",
        "Where the time goes (medians; the wineserver's CPU time during each Wine run):",
        "",
        markdown_table(diag_header, diag_rows),
        "",
    ]
    if bench.memory:
        report += [
            "Resident memory of the setup program at its peak (one more run through the install "
            "button, not timed; /proc/PID/smaps sampled every %d ms, the sample with the largest "
            "resident total, taken while %s):" % (int(SAMPLE_INTERVAL * 1000),
                                                   "the main window was up (start-up)"
                                                   if bench.memory.phase == "start" else
                                                   "installing" if bench.memory.phase ==
                                                   "installing" else "closing"),
            "",
            markdown_table(["mapping", "resident MiB"], bench.memory.rows()),
            "",
            "Largest mappings then:",
            "",
            markdown_table(["mapping", "resident MiB"], bench.memory.largest_files(12)),
            "",
        ]
    report += [
        "### Large package (about 1.5 GiB, mostly incompressible), one run each",
        "",
    ]
    if isinstance(large, str):
        report.append(large)
    else:
        report += ["Payload: %s." % large_summary.split(": ", 1)[1], "", large_table(large)]
    text = "\n".join(report) + "\n"
    with open(args.results, "a" if args.append else "w") as results:
        results.write(text)
    print(text)
    failed = any(i.failures for i in installers) or (
        not isinstance(large, str) and any(i.failures for i in large))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

#!/usr/bin/env python3
"""Prints the real-size section of `make bench`: an update of 381 fonts of 5
to 20 MB made, bundled, built into the three updaters and run end to end,
each figure against a baseline measured in the same run where one exists.

    scale.py SABUN OUT [--no-wine]

SABUN is a release build of sabun, OUT the folder that keeps the inputs
between runs (the fonts of bench/make-fleet.py, the update data, the
updaters, the search tree). Runs as root (the updater revises fonts only
for root). Standard library only."""
import concurrent.futures
import json
import os
import shutil
import subprocess
import sys
import time

from timing import median_run

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
SABUN, OUT = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
WINE = "--no-wine" not in sys.argv
# Set, the update data and the updaters of an earlier run are used again and
# not timed (for working on the later steps).
REUSE = bool(os.environ.get("SCALE_REUSE"))
FLEET, DATA = os.path.join(OUT, "fleet"), os.path.join(OUT, "data")
# The rows of the steps a reusing run does not repeat (the bundle, the
# builds), as the run that made their outputs measured them: every run prints
# the same table.
KEPT = os.path.join(OUT, "kept-rows.json")
PYTHON = os.environ.get("PYTHON", "/usr/bin/python3")
# The pauses of a run: 300 ms after each font, 1 ms after each of the eight
# reports a font makes, 1 s when both bars are full.
PAUSE_AFTER_FONT, PAUSE_PER_REPORT, REPORTS_PER_FONT, PAUSE_AT_END = 0.3, 0.001, 8, 1.0

rows = []
kept_rows = {}
reused = []


def row(what, ours, base_name="", base="", ratio="", target="", keep=False):
    rows.append((what, ours, base_name, base, ratio, target))
    print("  %s: %s" % (what, ours), file=sys.stderr, flush=True)
    if keep:
        kept_rows[what] = rows[-1]
        with open(KEPT, "w") as f:
            json.dump(kept_rows, f, ensure_ascii=False, indent=1)


def kept_row(what):
    """The row `what` as the run that made its outputs measured it."""
    rows.append(tuple(kept_rows.get(what, (what, "(not kept)", "", "", "", ""))))
    reused.append(what)


def verdict(ratio, target):
    return "%s %s" % (target, "met" if ratio <= float(target.split()[0]) else "MISSED")


def timed(command, **kwargs):
    start = time.perf_counter()
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, **kwargs)
    return time.perf_counter() - start


def processor_seconds(command, setup, runs=3):
    """The median user and system time of `command`, `setup` before each run."""
    seconds = []
    for _ in range(runs):
        setup()
        child = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        _, status, usage = os.wait4(child.pid, 0)
        if os.waitstatus_to_exitcode(status) != 0:
            sys.exit("failed: %s" % " ".join(command[:4]))
        seconds.append(usage.ru_utime + usage.ru_stime)
    return sorted(seconds)[len(seconds) // 2]


def key_values(output):
    return dict(line.split("=", 1) for line in output.splitlines() if "=" in line and " " not in line.split("=")[0])


def fonts_of(folder):
    return sorted(os.path.join(folder, f) for f in os.listdir(folder) if f.endswith(".otf"))


def linked_copy(source, target):
    shutil.rmtree(target, ignore_errors=True)
    os.makedirs(target)
    for font in fonts_of(source):
        os.link(font, os.path.join(target, os.path.basename(font)))


def main():
    if os.path.exists(KEPT):
        with open(KEPT) as f:
            kept_rows.update(json.load(f))
    subprocess.run([PYTHON, os.path.join(HERE, "make-fleet.py"), FLEET], check=True)
    old, new = os.path.join(FLEET, "old"), os.path.join(FLEET, "new")
    fonts = fonts_of(old)
    count = len(fonts)
    largest = max(os.path.getsize(f) for f in fonts)
    total = sum(os.path.getsize(f) for f in fonts)
    print("%d fonts, %.0f MB in all, %.1f to %.1f MB each" % (
        count, total / 1e6, min(os.path.getsize(f) for f in fonts) / 1e6, largest / 1e6), flush=True)

    # The bundle, against xdelta3 making one patch a font.
    if not (REUSE and os.path.exists(DATA)):
        make_bundle(count, fonts, new)
    else:
        kept_row("bundle %d pairs" % count)
    patches = os.path.join(DATA, "patches")
    patch_bytes = sum(os.path.getsize(os.path.join(patches, p)) for p in os.listdir(patches))
    updaters = build_updaters(patch_bytes, count)
    measure_runs(updaters, fonts, count, largest, old, new)
    print_table()


def make_bundle(count, fonts, new):
    shutil.rmtree(DATA, ignore_errors=True)
    bundle = timed([SABUN, "bundle", os.path.join(FLEET, "fleet.tsv"), "-o", DATA,
                    "--title", "テッセル スケールフォントをご利用のお客様は、下記%dフォントが改訂対象です。" % count])
    scratch = os.path.join(OUT, "xdelta3")
    os.makedirs(scratch, exist_ok=True)
    # As many at once as the bundle makes (one a core).
    start = time.perf_counter()
    with concurrent.futures.ThreadPoolExecutor(os.cpu_count()) as pool:
        list(pool.map(lambda font: timed(["xdelta3", "-e", "-9", "-S", "none", "-f", "-s", font,
                                          os.path.join(new, os.path.basename(font)),
                                          os.path.join(scratch, os.path.basename(font) + ".vcdiff")]), fonts))
    xdelta = time.perf_counter() - start
    shutil.rmtree(scratch)
    row("bundle %d pairs" % count, "%.1f s" % bundle, "xdelta3 -e -9 -S none, one a core", "%.1f s" % xdelta,
        "%.2f" % (bundle / xdelta), keep=True)


def build_updaters(patch_bytes, count):
    """Each updater built in a clean folder with the update's patches,
    against the same build with the demo's 4."""
    updaters = {}
    for preset in ("linux-app", "win32", "win64"):
        seconds = {}
        for data, name in ((os.path.join(ROOT, "resources", "demo"), "demo"), (DATA, "scale")):
            folder = os.path.join(OUT, "%s-%s" % (preset, name))
            exe = os.path.join(folder, "app", "tessel_202310" + ("" if preset == "linux-app" else ".exe"))
            updaters[preset, name] = exe
            if REUSE and os.path.exists(exe):
                continue
            shutil.rmtree(folder, ignore_errors=True)
            # The update data is checked by the release sabun already built.
            seconds[name] = timed(["bash", "-c", 'cmake --preset "$0" -B "$1" -DUPDATE_DATA="$2" -DTESSEL_BUILD_TESTS=OFF '
                                   '-DTESSEL_HOST_SABUN="$3" && cmake --build "$1" --target tessel_202310 -j "$(nproc)"',
                                   preset, folder, data, SABUN],
                                  cwd=ROOT)
        if len(seconds) < 2:
            kept_row("build the %s updater" % preset)
        else:
            row("build the %s updater" % preset, "%.1f s" % seconds["scale"], "with the demo's 4 patches",
                "%.1f s" % seconds["demo"], "%.2f" % (seconds["scale"] / seconds["demo"]),
                "under 120 s: %s" % ("met" if seconds["scale"] < 120 else "MISSED"), keep=True)
        size = os.path.getsize(updaters[preset, "scale"])
        row("%s updater size" % preset, "%.1f MB" % (size / 1e6), "the %d patches" % count,
            "%.1f MB" % (patch_bytes / 1e6), "%.2f" % (size / patch_bytes))
    return updaters


def measure_runs(updaters, fonts, count, largest, old, new):
    # From the start to the start dialog, in the terminal.
    def start_time(exe):
        out = subprocess.run(["bash", os.path.join(HERE, "scale-terminal.sh"), "--start", exe], check=True,
                             capture_output=True, text=True).stdout
        return float(key_values(out)["start"])
    demo_starts, scale_starts = [], []
    for _ in range(3):
        demo_starts.append(start_time(updaters["linux-app", "demo"]))
        scale_starts.append(start_time(updaters["linux-app", "scale"]))
    ours, base = sorted(scale_starts)[1], sorted(demo_starts)[1]
    row("start to start dialog, terminal", "%.0f ms" % (ours * 1000), "with the demo's 4 patches",
        "%.0f ms" % (base * 1000), "%.2f" % (ours / base), "under 1 s: %s" % ("met" if ours < 1 else "MISSED"))

    # The search: the installed fonts among 100,000 other files.
    tree = os.path.join(OUT, "tree")
    names = os.path.join(OUT, "names.txt")
    with open(names, "w") as f:
        f.write("".join(os.path.basename(font) + "\n" for font in fonts))
    subprocess.run([sys.executable, os.path.join(HERE, "make-tree.py"), tree, names], check=True)
    folders = sorted(os.path.join(tree, d) for d in os.listdir(tree) if d.startswith("d"))
    for i, font in enumerate(fonts):
        target = os.path.join(folders[(i * 7919) % len(folders)], os.path.basename(font))
        if not os.path.exists(target):
            os.link(font, target)
    search = median_run([SABUN, "search", "--data", DATA, tree])
    find = median_run(["find", tree, "-maxdepth", "8", "-name", "*.otf"])
    row("search %d fonts among 100,000 files" % count, "%.0f ms, %.0f MB, %d faults" % search,
        "find -maxdepth 8 -name '*.otf'", "%.0f ms, %.0f MB, %d faults" % find, "%.2f" % (search[0] / find[0]),
        verdict(search[0] / find[0], "1.5"))

    # The engine alone: sabun update of every font, against copying each
    # font out, back and comparing.
    work = os.path.join(OUT, "update")
    update = median_run([SABUN, "update", "--data", DATA] + [os.path.join(work, os.path.basename(f)) for f in fonts],
                        setup=lambda: linked_copy(old, work), runs=3)
    copies = median_run(["sh", "-c", 'for f in "$0"/*.otf; do cp "$f" "$f.copy" && cp "$f.copy" "$f" && '
                         'cmp -s "$f" "$f.copy" && rm "$f.copy" || exit 1; done', work],
                        setup=lambda: linked_copy(old, work), runs=3)
    row("sabun update of %d fonts" % count, "%.0f ms, %.0f MB, %d faults" % update, "cp out, cp back, cmp",
        "%.0f ms, %.0f MB, %d faults" % copies, "%.2f" % (update[0] / copies[0]), verdict(update[0] / copies[0], "3.0"))
    update_cpu = processor_seconds([SABUN, "update", "--data", DATA] +
                                   [os.path.join(work, os.path.basename(f)) for f in fonts],
                                   lambda: linked_copy(old, work))

    pauses = count * (PAUSE_AFTER_FONT + REPORTS_PER_FONT * PAUSE_PER_REPORT) + PAUSE_AT_END

    def whole_run(face, result):
        run, search_time = float(result["run"]), float(result["search"])
        row("%s: search (次へ to the font list)" % face, "%.1f s" % search_time)
        share = (run - pauses) / pauses
        row("%s: run of %d fonts (実行 to the end)" % (face, count), "%.1f s" % run, "the pauses alone", "%.1f s" % pauses,
            "%.3f" % (run / pauses), "engine %+.1f %% (10 %%): %s" % (share * 100, "met" if share <= 0.10 else "MISSED"))
        peak = int(result["peak_kb"]) * 1024
        row("%s: peak memory" % face, "%.0f MB" % (peak / 1e6), "the largest font", "%.1f MB" % (largest / 1e6),
            "%.2f" % (peak / largest), verdict(peak / largest, "3.0"))

    # The whole run in the terminal face, driven in tmux.
    out = subprocess.run(["bash", os.path.join(HERE, "scale-terminal.sh"), updaters["linux-app", "scale"], old, new,
                          os.path.join(OUT, "screens")], check=True, capture_output=True, text=True).stdout
    terminal = key_values(out)
    whole_run("terminal", terminal)
    row("terminal: the updater's processor time", "%s s" % terminal["cpu"])
    run_cpu = float(terminal["cpu_run"])
    row("terminal: its processor time, 実行 to the end", "%.2f s" % run_cpu,
        "sabun update of the same fonts", "%.2f s" % update_cpu, "%.2f" % (run_cpu / update_cpu),
        verdict(run_cpu / update_cpu, "1.2"))
    # The same file work costs more processor time when it is spread over
    # the updater's pauses (on a virtual machine much more: caches and the
    # host's pages go cold while the process sleeps); sabun update paced as
    # the updater tells that cost from the updater's own.
    paced_cpu = processor_seconds([SABUN, "update", "--pauses", "%d,%d" % (PAUSE_AFTER_FONT * 1000,
                                   PAUSE_PER_REPORT * 1000), "--data", DATA] +
                                  [os.path.join(work, os.path.basename(f)) for f in fonts],
                                  lambda: linked_copy(old, work), runs=1)
    row("terminal: its processor time, 実行 to the end", "%.2f s" % run_cpu,
        "sabun update, paced as the updater", "%.2f s" % paced_cpu, "%.2f" % (run_cpu / paced_cpu),
        verdict(run_cpu / paced_cpu, "1.2"))

    # The shipped build under Wine (the 64-bit one where this kernel cannot
    # run 32-bit programs).
    if WINE:
        runs_i386 = subprocess.run(["bash", os.path.join(ROOT, "scripts", "runs-i386.sh")],
                                   capture_output=True).returncode == 0
        preset = "win32" if runs_i386 else "win64"
        out = subprocess.run(["bash", os.path.join(HERE, "scale-wine.sh"), os.path.join(OUT, "wine"),
                              updaters[preset, "demo"], updaters[preset, "scale"], old, new],
                             check=True, capture_output=True, text=True).stdout
        result = key_values(out)
        ours, base = float(result["start"]), float(result["start_baseline"])
        row("%s under Wine: start to start dialog" % preset, "%.0f ms" % (ours * 1000), "with the demo's 4 patches",
            "%.0f ms" % (base * 1000), "%.2f" % (ours / base),
            "under 1 s: %s" % ("met" if ours < 1 else "MISSED"))
        whole_run("%s under Wine" % preset, result)


def print_table():
    header = ("what", "measured", "baseline", "baseline figure", "ratio", "target")
    widths = [max(len(str(r[i])) for r in rows + [header]) for i in range(len(header))]
    print("| " + " | ".join(h.ljust(w) for h, w in zip(header, widths)) + " |")
    print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
    for r in rows:
        print("| " + " | ".join(str(c).ljust(w) for c, w in zip(r, widths)) + " |")
    if reused:
        print("(kept from the run that made the update data and the updaters, SCALE_REUSE: %s)" % "; ".join(reused))


if __name__ == "__main__":
    main()

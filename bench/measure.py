#!/usr/bin/env python3
"""Prints the benchmark table of `make bench`: every figure a ratio of sabun
to its baseline measured in the same run, with the peak memory of each.

    measure.py SABUN PAIRS WORK [RUNS]

SABUN is a release build of sabun, PAIRS the revision pairs of bench/make-
pairs.py, WORK a folder for the patches, trees and copies (kept between runs
where they can be). Each command runs RUNS times (default 5) after one
warm-up; the median wall time is reported, with the median count of minor
page faults (pages the command touched fresh: the kernel's cost of its
memory) beside it. Standard library only."""
import os
import shutil
import subprocess
import sys

from timing import median_run

SABUN, PAIRS, WORK = sys.argv[1], sys.argv[2], sys.argv[3]
RUNS = int(sys.argv[4]) if len(sys.argv) > 4 else 5
HERE = os.path.dirname(os.path.abspath(__file__))


def run(command, setup=None, runs=None):
    """Median wall seconds, the largest peak resident set (MB) and the median
    minor page faults of `command`."""
    milliseconds, peak, faults = median_run(command, setup, RUNS if runs is None else runs)
    return milliseconds / 1000, peak, faults


def once(command):
    subprocess.run(command, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


rows = []


def row(what, ours, base, target=None):
    (t, m, f), (bt, bm, bf), name = ours, base[0], base[1]
    ratio = t / bt
    verdict = "" if target is None else ("met" if ratio <= target else "MISSED")
    rows.append((what, "%.1f ms" % (t * 1000), "%.0f MB" % m, "%d" % f, name, "%.1f ms" % (bt * 1000),
                 "%.0f MB" % bm, "%d" % bf, "%.2f" % ratio, "" if target is None else "%.1f %s" % (target, verdict)))


os.makedirs(WORK, exist_ok=True)
pairs = [p for p in ("sans-edits", "serif-edits") if os.path.exists(os.path.join(PAIRS, p, "new.otf"))]
for pair in pairs:
    old, new = os.path.join(PAIRS, pair, "old.otf"), os.path.join(PAIRS, pair, "new.otf")
    w = os.path.join(WORK, pair)
    os.makedirs(w, exist_ok=True)
    out = os.path.join(w, "out.otf")
    patches = {"sabun": os.path.join(w, "p.pa"), "zstd": os.path.join(w, "p.zst"),
               "xdelta3": os.path.join(w, "p.vcdiff"), "bspatch": os.path.join(w, "p.bsdiff")}
    make = {
        "sabun": [SABUN, "make", "-q", old, new, "-o", patches["sabun"]],
        "zstd": ["zstd", "-q", "-f", "-19", "--long=31", "--patch-from=" + old, new, "-o", patches["zstd"]],
        "xdelta3": ["xdelta3", "-e", "-9", "-S", "none", "-f", "-s", old, new, patches["xdelta3"]],
        "bspatch": ["bsdiff", old, new, patches["bspatch"]],
    }
    timed_make = {}
    for tool, command in make.items():
        remove = lambda p=patches[tool]: os.path.exists(p) and os.remove(p)
        if tool in ("sabun", "xdelta3"):
            timed_make[tool] = run(command, remove)
        elif tool == "bspatch":
            timed_make[tool] = run(command, remove, runs=1)  # seconds per run
        elif not os.path.exists(patches[tool]):
            once(command)
    apply = {
        "zstd -d --patch-from": ["zstd", "-q", "-d", "-f", "--long=31", "--patch-from=" + old, patches["zstd"],
                                 "-o", out],
        "xdelta3 -d": ["xdelta3", "-d", "-f", "-s", old, patches["xdelta3"], out],
        "bspatch": ["bspatch", old, out, patches["bspatch"]],
    }
    ours = run([SABUN, "apply", "--force", old, patches["sabun"], "-o", out])
    others = {name: run(command) for name, command in apply.items()}
    fastest = min(others.items(), key=lambda item: item[1][0])
    row("apply %s" % pair, ours, (fastest[1], fastest[0]), 1.0)
    row("apply %s" % pair, ours, (run(["cp", old, out]), "cp"), 3.0)
    sizes = {tool: os.path.getsize(path) for tool, path in patches.items()}
    rows.append(("patch size %s" % pair, "%d KB" % (sizes["sabun"] // 1024), "", "", "xdelta3 / bsdiff / zstd",
                 "%d / %d / %d KB" % (sizes["xdelta3"] // 1024, sizes["bspatch"] // 1024, sizes["zstd"] // 1024), "",
                 "", "%.2f" % (sizes["sabun"] / sizes["xdelta3"]), ""))
    row("make %s" % pair, timed_make["sabun"], (timed_make["xdelta3"], "xdelta3 -e -9 -S none"))
    row("make %s" % pair, timed_make["sabun"], (timed_make["bspatch"], "bsdiff"))

    # One font's whole update against copying it out, back and comparing.
    data = os.path.join(w, "data")
    if not os.path.exists(os.path.join(data, "update.ini")):
        for side, source in (("old", old), ("new", new)):
            os.makedirs(os.path.join(w, "bundle", side), exist_ok=True)
            shutil.copyfile(source, os.path.join(w, "bundle", side, "Bench.otf"))
        shutil.rmtree(data, ignore_errors=True)
        once([SABUN, "bundle", os.path.join(w, "bundle"), "-o", data])
    font = os.path.join(w, "Bench.otf")
    temp = os.path.join(w, "copy.tmp")
    ours = run([SABUN, "update", "--data", data, font], lambda: shutil.copyfile(old, font))
    base = run(["sh", "-c", 'cp "$1" "$2" && cp "$2" "$1" && cmp -s "$1" "$2"', "-", font, temp],
               lambda: shutil.copyfile(old, font))
    row("update %s" % pair, ours, (base, "cp out, cp back, cmp"), 3.0)

    if pair == pairs[0]:
        tree = os.path.join(WORK, "tree")
        names = os.path.join(WORK, "names.txt")
        with open(names, "w") as f:
            f.write("Bench.otf\n")
        once([sys.executable, os.path.join(HERE, "make-tree.py"), tree, names])
        shutil.copyfile(old, os.path.join(tree, "d00000", "Bench.otf"))
        row("search 100,000 files", run([SABUN, "search", "--data", data, tree]),
            (run(["find", tree, "-maxdepth", "8", "-name", "*.otf"]), "find -maxdepth 8 -name '*.otf'"), 1.5)

# One run over several fonts: four copies of each face, so that every font
# after the first finds the memory of the one before it.
if len(pairs) == 2:
    many = os.path.join(WORK, "many")
    names = ["%s%d.otf" % (face, k) for face in ("Sans", "Serif") for k in range(1, 5)]
    sources = {name: os.path.join(PAIRS, "sans-edits" if name.startswith("Sans") else "serif-edits") for name in names}
    data = os.path.join(many, "data")
    if not os.path.exists(os.path.join(data, "update.ini")):
        for side in ("old", "new"):
            os.makedirs(os.path.join(many, "bundle", side), exist_ok=True)
            for name in names:
                shutil.copyfile(os.path.join(sources[name], side + ".otf"), os.path.join(many, "bundle", side, name))
        shutil.rmtree(data, ignore_errors=True)
        once([SABUN, "bundle", os.path.join(many, "bundle"), "-o", data])
    fonts = [os.path.join(many, name) for name in names]

    def install():
        for name, font in zip(names, fonts):
            shutil.copyfile(os.path.join(sources[name], "old.otf"), font)

    ours = run([SABUN, "update", "--data", data] + fonts, install)
    script = 'for f; do cp "$f" "$0" && cp "$0" "$f" && cmp -s "$f" "$0" || exit 1; done'
    base = run(["sh", "-c", script, os.path.join(many, "copy.tmp")] + fonts, install)
    row("update 8 fonts (4 sans, 4 serif)", ours, (base, "8 x (cp out, cp back, cmp)"), 3.0)

header = ("what", "sabun", "peak", "minflt", "baseline", "baseline time", "peak", "minflt", "ratio", "target")
widths = [max(len(str(r[i])) for r in rows + [header]) for i in range(len(header))]
print("| " + " | ".join(h.ljust(w) for h, w in zip(header, widths)) + " |")
print("|" + "|".join("-" * (w + 2) for w in widths) + "|")
for r in rows:
    print("| " + " | ".join(str(c).ljust(w) for c, w in zip(r, widths)) + " |")

#!/usr/bin/env python3
"""Makes the folder tree the search benchmark walks: FILES files in FOLDERS
folders, nested up to 7 levels, a few hundred of them named like the fonts
of an update (NAMES, one file name a line) but not fonts at all, and the
rest other files, some of them other .otf names. Standard library only; a
tree already made is kept.

    make-tree.py OUT NAMES [FILES [FOLDERS]]
"""
import os
import random
import sys


def main():
    out, names_file = sys.argv[1], sys.argv[2]
    files = int(sys.argv[3]) if len(sys.argv) > 3 else 100000
    folders = int(sys.argv[4]) if len(sys.argv) > 4 else 10000
    stamp = os.path.join(out, ".made-%d-%d" % (files, folders))
    if os.path.exists(stamp):
        return
    names = [line.strip() for line in open(names_file) if line.strip()]
    rng = random.Random(5)
    paths = [out]
    for i in range(folders):
        parent = rng.choice([p for p in paths[-200:] if p.count(os.sep) - out.count(os.sep) < 7] or [out])
        path = os.path.join(parent, "d%05d" % i)
        os.makedirs(path, exist_ok=True)
        paths.append(path)
    for i in range(files):
        folder = rng.choice(paths)
        if i % 300 == 0:
            name = rng.choice(names)  # named like a listed font, with content that is no font
        elif i % 7 == 0:
            name = "other%06d.otf" % i
        else:
            name = "file%06d.%s" % (i, rng.choice(["txt", "png", "ttf", "dat"]))
        with open(os.path.join(folder, name), "wb") as f:
            f.write(b"x" * (i % 64))
    open(stamp, "w").close()


if __name__ == "__main__":
    main()

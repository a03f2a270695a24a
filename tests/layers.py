#!/usr/bin/env python3
"""Fails when an include reaches up a layer or a system header is included
outside the platform layer and the faces.

    layers.py SOURCE_DIR

The program's layers, lowest first: platform, font, patch, search, engine,
app. A file may include its own layer and those below; resources/ holds
only the ids and texts, for app. Inside app/, the flow does not include its
faces (app/win32/, app/terminal/). A header named <*.h> (the system's, not
the C++ library's) belongs in platform/ and the faces only. tools/, tests/,
bench/ and fuzz/ stand beside the program and may include any layer."""
import os
import re
import sys

LAYERS = ["platform", "font", "patch", "search", "engine", "app"]
FACES = ("app/win32/", "app/terminal/")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)


def layer_of(path):
    top = path.split("/", 1)[0]
    return top if top in LAYERS or top == "resources" else None


def problems(root):
    found = []
    for top in LAYERS + ["resources"]:
        for folder, _, names in os.walk(os.path.join(root, top)):
            for name in names:
                if not name.endswith((".cpp", ".h")):
                    continue
                path = os.path.relpath(os.path.join(folder, name), root).replace(os.sep, "/")
                found += problems_of(path, open(os.path.join(root, path), encoding="utf-8", errors="replace").read())
    return found


def problems_of(path, text):
    found = []
    layer = layer_of(path)
    face = path.startswith(FACES)
    for kind, target in INCLUDE.findall(text):
        if kind == "<":
            if target.endswith(".h") and not (layer == "platform" or face):
                found.append("%s: system header <%s> outside platform/ and the faces" % (path, target))
            continue
        other = layer_of(target)
        if other is None:
            if target.split("/", 1)[0] in ("tools", "tests"):
                found.append("%s: includes %s, which stands beside the program" % (path, target))
            continue
        if layer == "resources":
            found.append("%s: resources include nothing of the program, not %s" % (path, target))
        elif other == "resources":
            if layer != "app":
                found.append("%s: only app/ uses resources/, not %s" % (path, layer))
        elif LAYERS.index(other) > LAYERS.index(layer):
            found.append("%s: includes %s, a layer above %s/" % (path, target, layer))
        elif layer == "app" and not face and target.startswith(FACES):
            found.append("%s: the flow includes its face %s" % (path, target))
    return found


if __name__ == "__main__":
    result = problems(sys.argv[1])
    for line in result:
        print(line)
    print("%d include problems" % len(result))
    sys.exit(1 if result else 0)

#!/usr/bin/python3
"""Makes the fonts of an update at its real size: 381 installed fonts of 5 to
20 MB and their revisions, for `make scale`.

    python3 bench/make-fleet.py OUT_FOLDER [COUNT]

Writes OUT_FOLDER/old/NAME.otf (the fonts as installed, revision 1.000),
OUT_FOLDER/new/NAME.otf (revised, 1.010) and OUT_FOLDER/fleet.tsv, the
manifest `sabun bundle` reads. Needs python3-fonttools and fonts-noto-cjk.
What is made is kept: a second run only checks it is all there.

Twelve designs are cut from Debian's Noto CJK faces (Sans and Serif, Regular
and Bold, each at three sizes) and revised as a maker revises a face: 2 % of
the glyphs redrawn slightly (their start point moved) and the revision
raised. (A revision that adds characters to a subset renumbers its glyphs
and subroutines: such patches come out at 1 to 4 MB each, 600 MB for the
381, which no maker ships.)
Each of the COUNT fonts (default 381: 43 families of up to nine weights,
W1 to W9) is one design under a name of its own, with Macintosh name
records first as the maker's fonts have them, so that the fifth record is
the full name the search reads.
"""

import os
import random
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

NOTO = "/usr/share/fonts/opentype/noto"
# (collection, share of the face's characters): about 5, 11 and 16 to 20 MB.
DESIGNS = [(collection, share)
           for collection in ("NotoSansCJK-Regular.ttc", "NotoSansCJK-Bold.ttc", "NotoSerifCJK-Regular.ttc",
                              "NotoSerifCJK-Bold.ttc")
           for share in ((0.33, 0.66, 1.0) if "Sans" in collection else (0.25, 0.5, 0.8))]
REDRAWN = 0.02  # the share of the glyphs a revision redraws
OLD_REVISION, NEW_REVISION = 1.0, 1.01
TIMESTAMP = 3779049600  # 2023-10-01, so that the fonts come out the same every time


def subset_face(collection, characters):
    font = TTFont(os.path.join(NOTO, collection), fontNumber=0, recalcTimestamp=False)
    options = subset.Options()
    options.layout_features = ["*"]
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.name_legacy = True
    options.notdef_outline = True
    options.recalc_timestamp = False
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=characters)
    subsetter.subset(font)
    return font


def redraw(font, seed):
    """Moves the first point of some glyphs, and so their whole outlines."""
    charstrings = font["CFF "].cff.topDictIndex[0].CharStrings
    glyphs = font.getGlyphOrder()[1:]
    for glyph in random.Random(seed).sample(glyphs, int(len(glyphs) * REDRAWN)):
        charstring = charstrings[glyph]
        charstring.decompile()
        for i, token in enumerate(charstring.program):
            if token in ("rmoveto", "hmoveto", "vmoveto"):
                if i > 0 and isinstance(charstring.program[i - 1], (int, float)):
                    charstring.program[i - 1] += 12
                break


def make_design(folder, index):
    old_path, new_path = (os.path.join(folder, "design%02d-%s.otf" % (index, side)) for side in ("old", "new"))
    if os.path.exists(new_path):
        return old_path, new_path
    collection, share = DESIGNS[index]
    face = TTFont(os.path.join(NOTO, collection), fontNumber=0, lazy=True)
    characters = sorted(face.getBestCmap())
    count = int(len(characters) * share)
    print("design %d: %s, %d characters" % (index, collection, count), flush=True)
    if not os.path.exists(old_path):
        font = subset_face(collection, characters[:count])
        font["head"].fontRevision = OLD_REVISION
        font["head"].created = font["head"].modified = TIMESTAMP
        font.save(old_path + ".part")
        os.replace(old_path + ".part", old_path)
    font = TTFont(old_path, recalcTimestamp=False)
    redraw(font, index)
    font["head"].fontRevision = NEW_REVISION
    font.save(new_path + ".part")
    os.replace(new_path + ".part", new_path)
    return old_path, new_path


def rename(source, target, family, style, revision):
    """A copy of `source` under the names of `family` `style`; only its name
    table changes (the outlines are copied as they are)."""
    font = TTFont(source, lazy=True, recalcTimestamp=False, recalcBBoxes=False)
    name = font["name"]
    copyright_text = name.getDebugName(0) or ""
    postscript = family.replace(" ", "") + "-" + style
    name.names = []
    records = {0: copyright_text, 1: family, 2: style, 3: "%.3f;TESSEL;%s" % (revision, postscript),
               4: "%s %s" % (family, style), 5: "Version %.3f" % revision, 6: postscript}
    for name_id, text in records.items():
        name.setName(text, name_id, 1, 0, 0)
        name.setName(text, name_id, 3, 1, 0x409)
    font.save(target + ".part")
    os.replace(target + ".part", target)


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    out = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) == 3 else 381
    manifest = os.path.join(out, "fleet.tsv")
    for side in ("designs", "old", "new"):
        os.makedirs(os.path.join(out, side), exist_ok=True)
    designs = [make_design(os.path.join(out, "designs"), i) for i in range(len(DESIGNS))]
    lines = ["# installed file name\tinstalled font\trevised font\tdownload name"]
    for i in range(count):
        family, style = "Tessel Scale %02d" % (i // 9 + 1), "W%d" % (i % 9 + 1)
        stem = family.replace(" ", "") + "-" + style
        old_design, new_design = designs[i % len(designs)]
        for side, design, revision in (("old", old_design, OLD_REVISION), ("new", new_design, NEW_REVISION)):
            target = os.path.join(out, side, stem + ".otf")
            if not os.path.exists(target):
                rename(design, target, family, style, revision)
        lines.append("%s.otf\told/%s.otf\tnew/%s.otf\t%05d" % (stem, stem, stem, 30001 + i))
        if i % 50 == 49:
            print("%d fonts" % (i + 1), flush=True)
    with open(manifest, "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()

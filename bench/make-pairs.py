#!/usr/bin/python3
"""Makes revision pairs of CJK fonts for the patch benchmark.

    python3 bench/make-pairs.py OUT_FOLDER

Each pair is OUT_FOLDER/<kind>/old.otf and new.otf: a face of Debian's Noto
CJK collections (16 MB and more) given Macintosh name records first, as the
maker's fonts have them, and a revision of it. Needs python3-fonttools and
fonts-noto-cjk; a pair already made is kept.

Kinds of revision:
  sans-edits     2% of the glyphs of Noto Sans CJK JP redrawn slightly (their
                 start point moved), revision raised
  sans-redesign  3000 glyphs of Noto Sans CJK JP replaced by new outlines
                 (those of the Bold weight), revision raised
  sans-region    the Japanese face turned into the Korean one: same outlines,
                 other cmap, GSUB, GPOS and names
  serif-edits    as sans-edits on Noto Serif CJK JP (27 MB)
"""

import os
import random
import sys

from fontTools.pens.t2CharStringPen import T2CharStringPen
from fontTools.ttLib import TTFont

NOTO = "/usr/share/fonts/opentype/noto"


def face(collection, index, revision=None):
    font = TTFont(os.path.join(NOTO, collection), fontNumber=index, recalcTimestamp=False)
    # The search reads the fifth name record as a single-byte string.
    for name_id, text in enumerate(["Benchmark copy", "Bench CJK", "Regular", "Bench CJK;1", "Bench CJK Regular"]):
        font["name"].setName(text, name_id, 1, 0, 0)
    if revision is not None:
        font["head"].fontRevision = revision
    return font


def move_start_points(font, share, seed):
    charstrings = font["CFF "].cff.topDictIndex[0].CharStrings
    glyphs = font.getGlyphOrder()[1:]
    for glyph in random.Random(seed).sample(glyphs, int(len(glyphs) * share)):
        charstring = charstrings[glyph]
        charstring.decompile()
        for i, token in enumerate(charstring.program):
            if token in ("rmoveto", "hmoveto", "vmoveto"):
                charstring.program[i - 1] += 12
                break


def redesign(font, donor, count, seed):
    charstrings = font["CFF "].cff.topDictIndex[0].CharStrings
    donor_glyphs = donor.getGlyphSet()
    for glyph in random.Random(seed).sample(font.getGlyphOrder()[1:], count):
        pen = T2CharStringPen(None, donor_glyphs)
        donor_glyphs[glyph].draw(pen)
        drawn = pen.getCharString(private=charstrings[glyph].private, globalSubrs=charstrings[glyph].globalSubrs)
        charstrings[glyph].program = drawn.program
        charstrings[glyph].bytecode = None


def make(folder, kind):
    os.makedirs(folder, exist_ok=True)
    if kind == "sans-edits":
        old = face("NotoSansCJK-Regular.ttc", 0)
        new = face("NotoSansCJK-Regular.ttc", 0, 2.1)
        move_start_points(new, 0.02, 1)
    elif kind == "sans-redesign":
        old = face("NotoSansCJK-Regular.ttc", 0)
        new = face("NotoSansCJK-Regular.ttc", 0, 2.2)
        redesign(new, TTFont(os.path.join(NOTO, "NotoSansCJK-Bold.ttc"), fontNumber=0), 3000, 2)
    elif kind == "sans-region":
        old = face("NotoSansCJK-Regular.ttc", 0)
        new = face("NotoSansCJK-Regular.ttc", 1, 2.3)
    elif kind == "serif-edits":
        old = face("NotoSerifCJK-Regular.ttc", 0)
        new = face("NotoSerifCJK-Regular.ttc", 0, 2.1)
        move_start_points(new, 0.02, 3)
    else:
        raise ValueError(kind)
    old.save(os.path.join(folder, "old.otf"))
    new.save(os.path.join(folder, "new.otf"))


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    for kind in ("sans-edits", "sans-redesign", "sans-region", "serif-edits"):
        folder = os.path.join(sys.argv[1], kind)
        if os.path.exists(os.path.join(folder, "new.otf")):
            continue
        print("making pair %s" % kind, flush=True)
        make(folder, kind)


if __name__ == "__main__":
    main()

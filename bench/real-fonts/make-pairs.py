#!/usr/bin/python3
"""Builds font pairs, as installed and as revised, from fonts that Debian
ships, shaped as fonts are made today: names only in Windows records, tables
outside the 19 the first updater knew, revisions that add or drop a table.

Debian carries one version of each font, so every revision is derived from
the released font with fontTools: its outlines of a few glyphs moved, their
advance widths changed, head.fontRevision raised by 0.001, and, for two of
the pairs, a table added or dropped. The installed font is always the font as
Debian ships it (for the CJK pair, one face taken out of the .ttc as it
stands in the collection).

  Inter-Regular.otf       fonts-inter, Windows name records only
  Inter-Bold.otf          fonts-inter, the revision adds a 'STAT' table
  NotoSansCJKjp-Regular.otf  fonts-noto-cjk, face 0 of NotoSansCJK-Regular.ttc
  LinLibertine_R.otf      fonts-linuxlibertine, 'FFTM' and 'MATH' tables;
                          the revision drops 'FFTM'

usage: make-pairs.py OUT_DIR
Writes OUT_DIR/old/NAME, OUT_DIR/new/NAME and OUT_DIR/fonts.tsv (a manifest
for `sabun bundle`). Prints one line per pair.
"""
import os
import struct
import sys

from fontTools.otlLib.builder import buildStatTable
from fontTools.ttLib import TTCollection, TTFont

INTER = "/usr/share/fonts/opentype/inter"
NOTO = "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc"
LIBERTINE = "/usr/share/fonts/opentype/linux-libertine/LinLibertine_R.otf"

# Characters whose glyphs' outline and advance the revisions redraw.
REDRAWN = "agR&"


def collection_face(path, index):
    """The bytes of face `index` of a collection, as the face stands in it:
    its offset table and directory, and its tables at offsets of their own."""
    data = open(path, "rb").read()
    count = struct.unpack(">I", data[8:12])[0]
    assert index < count
    start = struct.unpack(">I", data[12 + 4 * index:16 + 4 * index])[0]
    num_tables = struct.unpack(">H", data[start + 4:start + 6])[0]
    entries = []
    for i in range(num_tables):
        at = start + 12 + 16 * i
        tag, checksum, offset, length = struct.unpack(">4sIII", data[at:at + 16])
        entries.append((tag, checksum, offset, length))
    out = bytearray(data[start:start + 12 + 16 * num_tables])
    body = bytearray()
    base = len(out)
    placed = {}
    for tag, checksum, offset, length in sorted(entries, key=lambda e: e[2]):
        placed[tag] = base + len(body)
        body += data[offset:offset + length]
        body += b"\0" * (-len(body) % 4)
    for i, (tag, checksum, offset, length) in enumerate(entries):
        struct.pack_into(">4sIII", out, 12 + 16 * i, tag, checksum, placed[tag], length)
    return bytes(out + body)


def revise(font, redraw=True):
    """Raises the revision by 0.001 and redraws a few glyphs."""
    head = font["head"]
    head.fontRevision = round(head.fontRevision + 0.001, 3)
    if not redraw:
        return
    cff = font["CFF "].cff
    top = cff[cff.fontNames[0]]
    strings = top.CharStrings
    hmtx = font["hmtx"]
    cmap = font.getBestCmap()
    for name in [cmap[ord(c)] for c in REDRAWN if ord(c) in cmap]:
        charstring = strings[name]
        charstring.decompile()
        program = charstring.program
        # The first move of the outline goes 12 units to the right.
        for i, op in enumerate(program):
            if op in ("rmoveto", "hmoveto"):
                if isinstance(program[i - 1], (int, float)):
                    program[i - 1 - (1 if op == "rmoveto" else 0)] += 12
                break
        advance, lsb = hmtx[name]
        hmtx[name] = (advance + 8, lsb)


def stat_table(font):
    """A STAT table of the kind variable-era tools add to every static face."""
    weight = font["OS/2"].usWeightClass
    buildStatTable(font, [{"tag": "wght", "name": "Weight",
                           "values": [{"value": weight, "name": font["name"].getDebugName(2) or "Regular"}]}])


def save(font, path):
    font.save(path, reorderTables=True)


def main():
    out = sys.argv[1]
    for sub in ("old", "new"):
        os.makedirs(os.path.join(out, sub), exist_ok=True)
    pairs = []

    def pair(name, old_bytes, make_new, what):
        old_path = os.path.join(out, "old", name)
        new_path = os.path.join(out, "new", name)
        with open(old_path, "wb") as f:
            f.write(old_bytes)
        font = TTFont(old_path)
        make_new(font)
        save(font, new_path)
        pairs.append(name)
        print(f"{name}: {what}")

    def plain(font):
        revise(font)

    def with_stat(font):
        revise(font)
        stat_table(font)

    def without_fftm(font):
        revise(font)
        del font["FFTM"]

    def cjk(font):
        # The outlines of a CJK face are left as they are (a CFF of 65,535
        # glyphs takes minutes to compile again); its widths and revision change.
        revise(font, redraw=False)
        hmtx = font["hmtx"]
        for name in font.getGlyphOrder()[1000:1010]:
            advance, lsb = hmtx[name]
            hmtx[name] = (advance - 20, lsb)

    pair("Inter-Regular.otf", open(f"{INTER}/Inter-Regular.otf", "rb").read(), plain,
         "Windows-only names, outlines and widths of a few glyphs redrawn")
    pair("Inter-Bold.otf", open(f"{INTER}/Inter-Bold.otf", "rb").read(), with_stat,
         "Windows-only names, the revision adds 'STAT'")
    pair("NotoSansCJKjp-Regular.otf", collection_face(NOTO, 0), cjk,
         "face 0 of NotoSansCJK-Regular.ttc, Windows-only names, widths of 10 glyphs changed")
    pair("LinLibertine_R.otf", open(LIBERTINE, "rb").read(), without_fftm,
         "'FFTM' and 'MATH' tables, the revision drops 'FFTM'")
    with open(os.path.join(out, "fonts.tsv"), "w") as f:
        f.write("# installed name\tinstalled font\trevised font\n")
        for name in pairs:
            f.write(f"{name}\told/{name}\tnew/{name}\n")


if __name__ == "__main__":
    main()

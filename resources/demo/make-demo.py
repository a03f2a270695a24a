#!/usr/bin/python3
"""Makes the demo update in resources/demo from Debian's Noto CJK fonts.

Run by hand by a maker, from the repository root, after building sabun:

    python3 resources/demo/make-demo.py [--sabun build/linux/tools/sabun]

Needs python3-fonttools and fonts-noto-cjk. It writes:

    installed/*.otf.installed
                         the fonts as the user has them (revision 1.000),
                         named so that the updater's search, which walks
                         every folder of the fixed drives, never takes these
                         copies for installed fonts and revises them here
    revised/*.otf        the same fonts revised (revision 1.010)
    fonts.tsv            the manifest sabun bundle reads
    update.ini, patches/NNNN.pa, download-names.txt
                         the update data, made by sabun bundle
    LICENSE-fonts.txt    the fonts' licence

The demo fonts are small subsets of Noto Sans CJK JP and Noto Serif CJK JP
(SIL Open Font License 1.1) under names of their own. Their name tables
start with Macintosh records, as the maker's fonts do, so that the fifth
record, which the updater's search reads as a single-byte string, is the
full name. The revision adds the second-grade kanji, redraws a few glyphs
and raises head.fontRevision.
"""

import argparse
import os
import shutil
import subprocess
import sys
import tempfile

from fontTools import subset
from fontTools.ttLib import TTFont

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.normpath(os.path.join(HERE, "..", ".."))
NOTO = "/usr/share/fonts/opentype/noto"
NOTO_COPYRIGHT = "/usr/share/doc/fonts-noto-cjk/copyright"

# (collection, Latin family, Japanese family, style, file stem, download name)
FONTS = [
    ("NotoSansCJK-Regular.ttc", "Tessel Demo Sans JP", "テッセル デモ ゴシック", "Regular",
     "TesselDemoSansJP-Regular", "10001"),
    ("NotoSansCJK-Bold.ttc", "Tessel Demo Sans JP", "テッセル デモ ゴシック", "Bold",
     "TesselDemoSansJP-Bold", "10002"),
    ("NotoSerifCJK-Regular.ttc", "Tessel Demo Serif JP", "テッセル デモ 明朝", "Regular",
     "TesselDemoSerifJP-Regular", "10003"),
    ("NotoSerifCJK-Bold.ttc", "Tessel Demo Serif JP", "テッセル デモ 明朝", "Bold",
     "TesselDemoSerifJP-Bold", "10004"),
]

# The search matches a file only by the extension ".otf".
INSTALLED_SUFFIX = ".otf.installed"

OLD_REVISION = 1.0
NEW_REVISION = 1.01
TITLE = "テッセル デモフォントをご利用のお客様は、下記4フォントが改訂対象です。"

FIRST_GRADE = ("一右雨円王音下火花貝学気九休玉金空月犬見五口校左三山子四糸字耳七車手十出女小上森人水正生"
               "青夕石赤千川先早草足村大男竹中虫町天田土二日入年白八百文木本名目立力林六")
SECOND_GRADE = ("引羽雲園遠何科夏家歌画回会海絵外角楽活間丸岩顔汽記帰弓牛魚京強教近兄形計元言原戸古午後語"
                "工公広交光考行高黄合谷国黒今才細作算止市矢姉思紙寺自時室社弱首秋週春書少場色食心新親図数"
                "西声星晴切雪船線前組走多太体台地池知茶昼長鳥朝直通弟店点電刀冬当東答頭同道読内南肉馬売買"
                "麦半番父風分聞米歩母方北毎妹万明鳴毛門夜野友用曜来里理話")
KANA = "".join(chr(c) for c in range(0x3041, 0x3097)) + "".join(chr(c) for c in range(0x30A1, 0x30FB))
PUNCTUATION = "、。「」『』・ー〜（）！？：；"
ASCII = "".join(chr(c) for c in range(0x20, 0x7F))
OLD_TEXT = ASCII + KANA + PUNCTUATION + FIRST_GRADE + "改訂永明朝"
NEW_TEXT = OLD_TEXT + SECOND_GRADE
# Glyphs the revision redraws: each is moved by a few units.
REDRAWN = "永あア字"

# A fixed date (2023-10-01) so that the fonts come out the same every time.
TIMESTAMP = 3779049600


def load_face(collection):
    return TTFont(os.path.join(NOTO, collection), fontNumber=0, recalcTimestamp=False)


def subset_font(font, text):
    options = subset.Options()
    options.layout_features = ["*"]
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.name_legacy = True
    options.notdef_outline = True
    options.recalc_timestamp = False
    subsetter = subset.Subsetter(options)
    subsetter.populate(text=text)
    subsetter.subset(font)


def set_names(font, family, family_ja, style, revision):
    version = "%.3f" % revision
    postscript = family.replace(" ", "") + "-" + style
    name = font["name"]
    copyright_text = name.getDebugName(0)
    name.names = []
    records = {
        0: copyright_text,
        1: family,
        2: style,
        3: "%s;TESSEL;%s" % (version, postscript),
        4: "%s %s" % (family, style),
        5: "Version %s" % version,
        6: postscript,
        10: "A demo subset of Noto CJK for the tessel font revision program.",
        13: "This Font Software is licensed under the SIL Open Font License, Version 1.1.",
        14: "https://openfontlicense.org",
    }
    for name_id, text in records.items():
        if name_id <= 6:
            # Macintosh records first: the fifth record of the table is the
            # full name, readable as a single-byte string.
            name.setName(text, name_id, 1, 0, 0)
        name.setName(text, name_id, 3, 1, 0x409)
    name.setName(family_ja, 1, 3, 1, 0x411)
    name.setName(style, 2, 3, 1, 0x411)
    name.setName("%s %s" % (family_ja, style), 4, 3, 1, 0x411)

    cff = font["CFF "].cff
    old_postscript = cff.fontNames[0]
    cff.fontNames = [postscript]
    top = cff.topDictIndex[0]
    for key, value in (("FullName", "%s %s" % (family, style)), ("FamilyName", family)):
        if hasattr(top, key):
            setattr(top, key, value)
    if hasattr(top, "FDArray"):
        for fd in top.FDArray:
            if hasattr(fd, "FontName"):
                fd.FontName = fd.FontName.replace(old_postscript, postscript)
    font["head"].fontRevision = revision
    font["head"].created = TIMESTAMP
    font["head"].modified = TIMESTAMP


def redraw(font, characters):
    """Moves the first point of each glyph, and so the whole outline."""
    cmap = font.getBestCmap()
    charstrings = font["CFF "].cff.topDictIndex[0].CharStrings
    for character in characters:
        glyph = cmap.get(ord(character))
        if glyph is None:
            continue
        charstring = charstrings[glyph]
        charstring.decompile()
        program = charstring.program
        for i, token in enumerate(program):
            if token in ("rmoveto", "hmoveto", "vmoveto"):
                program[i - 1] += 12
                break


def build_fonts():
    for folder in ("installed", "revised"):
        shutil.rmtree(os.path.join(HERE, folder), ignore_errors=True)
        os.makedirs(os.path.join(HERE, folder))
    for collection, family, family_ja, style, stem, _ in FONTS:
        print("%s: subsetting %s" % (stem, collection), flush=True)
        revised = load_face(collection)
        subset_font(revised, NEW_TEXT)
        installed = load_face(collection)
        subset_font(installed, OLD_TEXT)
        set_names(installed, family, family_ja, style, OLD_REVISION)
        set_names(revised, family, family_ja, style, NEW_REVISION)
        redraw(revised, REDRAWN)
        installed.save(os.path.join(HERE, "installed", stem + INSTALLED_SUFFIX))
        revised.save(os.path.join(HERE, "revised", stem + ".otf"))


def write_manifest():
    lines = ["# installed file name\tinstalled font\trevised font\tdownload name"]
    for _, _, _, _, stem, download in FONTS:
        lines.append("%s.otf\tinstalled/%s%s\trevised/%s.otf\t%s" % (stem, stem, INSTALLED_SUFFIX, stem, download))
    with open(os.path.join(HERE, "fonts.tsv"), "w", encoding="utf-8") as out:
        out.write("\n".join(lines) + "\n")


def bundle(sabun):
    with tempfile.TemporaryDirectory() as work:
        data = os.path.join(work, "update-data")
        subprocess.run([sabun, "bundle", os.path.join(HERE, "fonts.tsv"), "-o", data, "--title", TITLE],
                       check=True)
        shutil.rmtree(os.path.join(HERE, "patches"), ignore_errors=True)
        shutil.copytree(os.path.join(data, "patches"), os.path.join(HERE, "patches"))
        for name in ("update.ini", "download-names.txt"):
            shutil.copyfile(os.path.join(data, name), os.path.join(HERE, name))


def write_licence():
    with open(NOTO_COPYRIGHT, encoding="utf-8") as source:
        lines = source.read().split("\n")
    # The licence's own paragraph: the "License:" line followed by its text.
    start = next(i for i, line in enumerate(lines)
                 if line == "License: SIL-1.1" and i + 1 < len(lines) and lines[i + 1].startswith(" ")) + 1
    licence = []
    for line in lines[start:]:
        if not line.startswith(" "):
            break
        line = line[1:]
        licence.append("" if line == "." else line)
    notice = TTFont(os.path.join(HERE, "installed", FONTS[0][4] + INSTALLED_SUFFIX))["name"].getDebugName(0)
    with open(os.path.join(HERE, "LICENSE-fonts.txt"), "w", encoding="utf-8") as out:
        out.write("The fonts in installed/ and revised/, and the patches made from them, are\n"
                  "subsets of Noto Sans CJK JP and Noto Serif CJK JP (as packaged by Debian in\n"
                  "fonts-noto-cjk), renamed and modified by resources/demo/make-demo.py.\n\n")
        out.write("Copyright: %s\n" % notice)
        out.write("Copyright 2010-2012 Google Corporation\n\n")
        out.write("\n".join(licence).rstrip() + "\n")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--sabun", default=os.path.join(ROOT, "build", "linux", "tools", "sabun"),
                        help="the sabun executable (default: %(default)s)")
    arguments = parser.parse_args()
    if not os.access(arguments.sabun, os.X_OK):
        sys.exit("make-demo: build sabun first, or name it with --sabun")
    build_fonts()
    write_manifest()
    bundle(arguments.sabun)
    write_licence()
    print("demo data written to %s" % HERE)


if __name__ == "__main__":
    main()

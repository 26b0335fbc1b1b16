#!/usr/bin/python3
"""Makes the sample and test fonts: renamed subsets of DejaVu.

Every font gets family names that no machine has installed, so tests and the demo never
depend on which fonts happen to be present.

    make_fonts.py --out DIR                  the standard set (see STANDARD below)
    make_fonts.py --out DIR --many N         N distinct fonts "Kernova Bulk NNNN" (benchmarks)
"""
import argparse
import io
import logging
import os
import re
import struct
import sys

from fontTools import subset
from fontTools.fontBuilder import FontBuilder
from fontTools.pens.t2CharStringPen import T2CharStringPen
from fontTools.pens.ttGlyphPen import TTGlyphPen
from fontTools.ttLib import TTCollection, TTFont

DEJAVU = "/usr/share/fonts/truetype/dejavu"

# file name, DejaVu source, family, subfamily, advance-width scale
STANDARD = [
    ("KernovaSampleSans-Regular.ttf", "DejaVuSans.ttf", "Kernova Sample Sans", "Regular", 1.0),
    ("KernovaSampleSans-Bold.ttf", "DejaVuSans-Bold.ttf", "Kernova Sample Sans", "Bold", 1.0),
    ("KernovaSampleSerif-Regular.ttf", "DejaVuSerif.ttf", "Kernova Sample Serif", "Regular", 1.0),
    ("KernovaSampleMono-Regular.ttf", "DejaVuSansMono.ttf", "Kernova Sample Mono", "Regular", 1.0),
    # Fonts whose upper-case alphabet is wider than usual, for the preview's size choice.
    ("KernovaWide-Regular.ttf", "DejaVuSans.ttf", "Kernova Wide", "Regular", 1.45),
    ("KernovaHuge-Regular.ttf", "DejaVuSans.ttf", "Kernova Huge", "Regular", 3.0),
    # A face name with leading and trailing spaces (registries compare it trimmed).
    ("KernovaSpaced-Regular.ttf", "DejaVuSans.ttf", "  Kernova Spaced  ", "Regular", 1.0),
]

# Printable ASCII and Latin-1: small files that still show every sample line.
UNICODES = list(range(0x20, 0x7F)) + list(range(0xA0, 0x100))


def subset_font(source):
    font = TTFont(os.path.join(DEJAVU, source))
    options = subset.Options()
    options.name_IDs = ["*"]
    options.name_languages = ["*"]
    options.notdef_outline = True
    options.layout_features = []
    options.hinting = False
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=UNICODES)
    subsetter.subset(font)
    return font


def rename(font, family, style):
    full = family if style == "Regular" else f"{family} {style}"
    postscript = (family.strip() + "-" + style).replace(" ", "")
    names = {1: family, 2: style, 3: f"Kernova: {full.strip()} {style}", 4: full, 6: postscript,
             16: family, 17: style}
    table = font["name"]
    table.names = []
    for name_id, text in names.items():
        table.setName(text, name_id, 3, 1, 0x409)
        table.setName(text, name_id, 1, 0, 0)


def scale_widths(font, factor):
    if factor == 1.0:
        return
    hmtx = font["hmtx"]
    for glyph, (advance, lsb) in list(hmtx.metrics.items()):
        hmtx.metrics[glyph] = (int(round(advance * factor)), lsb)
    hhea = font["hhea"]
    hhea.advanceWidthMax = max(a for a, _ in hmtx.metrics.values())


def make_standard(out):
    cache = {}
    for file_name, source, family, style, factor in STANDARD:
        if source not in cache:
            cache[source] = subset_font(source)
        font = cache[source]
        saved_metrics = dict(font["hmtx"].metrics)
        rename(font, family, style)
        scale_widths(font, factor)
        font.save(os.path.join(out, file_name))
        font["hmtx"].metrics = saved_metrics
        # Re-read so the next font starts from the untouched subset.
        cache[source] = subset_font(source)
    make_cff(out, "KernovaSampleCff-Regular.otf", "DejaVuSans.ttf", "Kernova Sample Cff",
             "Regular")
    make_collection(out, "KernovaPair.ttc",
                    [("DejaVuSans.ttf", "Kernova Pair Sans", "Regular"),
                     ("DejaVuSerif.ttf", "Kernova Pair Serif", "Regular")])
    make_releases(out)
    make_twins(out)
    make_woff2(out)
    make_arabic(out, "KernovaArabic-Regular.ttf", "Kernova Arabic")
    # Fonts without a single Latin letter, for the preview's own samples: Chinese
    # characters, icons in the Private Use Area, and icons in colour layers.
    han = "天地玄黄宇宙洪荒日月盈昃辰宿列张一二三四五六七八九十百千万"
    make_blocks(out, "KernovaHan-Regular.ttf", "Kernova Han", [ord(c) for c in han])
    make_blocks(out, "KernovaIcons-Regular.ttf", "Kernova Icons", range(0xE000, 0xE020))
    make_blocks(out, "KernovaColorIcons-Regular.ttf", "Kernova Color Icons",
                range(0xE000, 0xE010), colour=True)


def make_releases(out):
    """Two releases of one font, as a vendor ships an update: only the version differs."""
    for version in ("1.000", "1.100"):
        font = subset_font("DejaVuSans.ttf")
        rename(font, "Kernova Release", "Regular")
        font["head"].fontRevision = float(version)
        for platform, encoding, language in ((3, 1, 0x409), (1, 0, 0)):
            font["name"].setName("Version " + version, 5, platform, encoding, language)
        font.save(os.path.join(out, f"KernovaRelease-{version}.ttf"))


def make_twins(out):
    """A roman and an italic that share one full name, as some variable fonts do."""
    for style, source in (("Regular", "DejaVuSans.ttf"), ("Italic", "DejaVuSerif.ttf")):
        font = subset_font(source)
        rename(font, "Kernova Twin", style)
        for platform, encoding, language in ((3, 1, 0x409), (1, 0, 0)):
            font["name"].setName("Kernova Twin", 4, platform, encoding, language)
        font.save(os.path.join(out, f"KernovaTwin-{style}.ttf"))


def make_woff2(out):
    """A web font, which no desktop installs from its fonts folder."""
    font = TTFont(os.path.join(out, "KernovaSampleSans-Regular.ttf"))
    font.flavor = "woff2"
    font.save(os.path.join(out, "KernovaSampleSans-Regular.woff2"))


def make_arabic(out, file_name, family):
    """DejaVu Sans's Arabic letters alone, with the layout tables that join them."""
    font = TTFont(os.path.join(DEJAVU, "DejaVuSans.ttf"))
    options = subset.Options()
    options.name_IDs = ["*"]
    options.layout_features = ["*"]
    options.notdef_outline = True
    options.hinting = False
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=[0x20] + list(range(0x600, 0x700)))
    subsetter.subset(font)
    rename(font, family, "Regular")
    font.save(os.path.join(out, file_name))


def block_glyph(code, width):
    """A glyph of bars that differ from code point to code point: ink that shows."""
    pen = TTGlyphPen(None)
    bars = 2 + code % 3
    step = (width - 100) // bars
    for bar in range(bars):
        left = 50 + bar * step
        top = 300 + (code * (bar + 1) * 37) % 500
        pen.moveTo((left, 0))
        pen.lineTo((left, top))
        pen.lineTo((left + step - 40, top))
        pen.lineTo((left + step - 40, 0))
        pen.closePath()
    return pen.glyph()


def make_blocks(out, file_name, family, codes, colour=False):
    """A font of bar glyphs for `codes`; with `colour`, each drawn in two colour layers."""
    width = 1000
    codes = list(codes)
    names = [f"u{code:04X}" for code in codes]
    order = [".notdef", "space"] + names
    empty = TTGlyphPen(None).glyph()
    glyphs = {".notdef": empty, "space": empty}
    glyphs.update({name: block_glyph(code, width) for name, code in zip(names, codes)})
    layers = {}
    if colour:
        for name, code in zip(names, codes):
            lower = f"{name}.lower"
            pen = TTGlyphPen(None)
            pen.moveTo((50, -150))
            pen.lineTo((50, 100))
            pen.lineTo((width - 50, 100))
            pen.lineTo((width - 50, -150))
            pen.closePath()
            glyphs[lower] = pen.glyph()
            order.append(lower)
            layers[name] = [(name, 0), (lower, 1)]
    builder = FontBuilder(1000, isTTF=True)
    builder.setupGlyphOrder(order)
    builder.setupCharacterMap({0x20: "space", **dict(zip(codes, names))})
    builder.setupGlyf(glyphs)
    builder.setupHorizontalMetrics({name: (width, 0) for name in order})
    builder.setupHorizontalHeader(ascent=880, descent=-200)
    builder.setupNameTable({"familyName": family, "styleName": "Regular"})
    builder.setupOS2(sTypoAscender=880, sTypoDescender=-200, usWinAscent=880, usWinDescent=200)
    builder.setupPost()
    if colour:
        builder.setupCOLR(layers)
        builder.setupCPAL([[(0.85, 0.1, 0.1, 1.0), (0.1, 0.3, 0.9, 1.0)]])
    rename(builder.font, family, "Regular")
    builder.save(os.path.join(out, file_name))


def make_cff(out, file_name, source, family, style):
    """An OpenType font with CFF outlines: the TrueType subset's glyphs drawn as cubics."""
    font = subset_font(source)
    glyph_set = font.getGlyphSet()
    order = font.getGlyphOrder()
    charstrings = {}
    for name in order:
        pen = T2CharStringPen(glyph_set[name].width, glyph_set)
        glyph_set[name].draw(pen)
        charstrings[name] = pen.getCharString()
    builder = FontBuilder(font["head"].unitsPerEm, isTTF=False)
    builder.setupGlyphOrder(order)
    builder.setupCharacterMap(font.getBestCmap())
    postscript = (family + "-" + style).replace(" ", "")
    builder.setupCFF(postscript, {"FullName": family}, charstrings, {})
    builder.setupHorizontalMetrics(font["hmtx"].metrics)
    hhea = font["hhea"]
    builder.setupHorizontalHeader(ascent=hhea.ascent, descent=hhea.descent)
    builder.setupNameTable({"familyName": family, "styleName": style})
    builder.setupOS2(sTypoAscender=hhea.ascent, sTypoDescender=hhea.descent,
                     usWinAscent=hhea.ascent, usWinDescent=-hhea.descent)
    builder.setupPost()
    rename(builder.font, family, style)
    builder.save(os.path.join(out, file_name))


def make_collection(out, file_name, members):
    """A TrueType collection of renamed subsets, one face per (source, family, style)."""
    collection = TTCollection()
    for source, family, style in members:
        font = subset_font(source)
        rename(font, family, style)
        collection.fonts.append(font)
    collection.save(os.path.join(out, file_name))


def checksum(data):
    """The OpenType checksum: the sum of big-endian 32-bit words, zero-padded."""
    data = bytes(data) + b"\0" * (-len(data) % 4)
    return sum(struct.unpack(f">{len(data) // 4}I", data)) & 0xFFFFFFFF


def table_records(data):
    """Offset of each table's directory record, and the table's offset and length."""
    (count,) = struct.unpack_from(">H", data, 4)
    records = {}
    for record in range(12, 12 + 16 * count, 16):
        tag, _, offset, length = struct.unpack_from(">4sIII", data, record)
        records[tag.decode("latin-1")] = (record, offset, length)
    return records


def make_many(out, count):
    """Writes COUNT fonts that differ only in the number in their names.

    Compiling a font takes about 10 ms, too slow for tens of thousands, so one font is
    compiled with a number of zeros and each copy gets its own digits written over them in
    the name table, whose checksum and the font's checksum adjustment are then fixed."""
    width = max(4, len(str(count - 1)))
    zeros = "0" * width
    font = subset_font("DejaVuSans.ttf")
    rename(font, f"Kernova Bulk {zeros}", "Regular")
    stream = io.BytesIO()
    font.save(stream)
    template = bytearray(stream.getvalue())
    records = table_records(template)
    name_record, name_offset, name_length = records["name"]
    _, head_offset, _ = records["head"]
    adjustment = head_offset + 8
    struct.pack_into(">I", template, adjustment, 0)
    (storage,) = struct.unpack_from(">H", template, name_offset + 4)
    storage_start, end = name_offset + storage, name_offset + name_length
    text = bytes(template[storage_start:end])
    # Macintosh names are one byte per character, Windows names UTF-16BE.
    places = []
    for pattern in (zeros.encode("ascii"), zeros.encode("utf-16-be")):
        places += [(storage_start + m.start(), len(pattern) // width)
                   for m in re.finditer(re.escape(pattern), text)]
    old_name_sum = checksum(template[name_offset:end])
    # The font's sum counts the name table twice: its bytes and its directory record.
    rest = (checksum(template) - 2 * old_name_sum) & 0xFFFFFFFF
    for i in range(count):
        digits = f"{i:0{width}d}"
        for place, step in places:
            template[place:place + width * step] = digits.encode("utf-16-be" if step == 2
                                                                  else "ascii")
        name_sum = checksum(template[name_offset:end])
        struct.pack_into(">I", template, name_record + 4, name_sum)
        total = (rest + 2 * name_sum) & 0xFFFFFFFF
        struct.pack_into(">I", template, adjustment, (0xB1B0AFBA - total) & 0xFFFFFFFF)
        with open(os.path.join(out, f"KernovaBulk{digits}.ttf"), "wb") as file:
            file.write(template)
        struct.pack_into(">I", template, adjustment, 0)


def main():
    logging.getLogger("fontTools").setLevel(logging.ERROR)
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", required=True)
    parser.add_argument("--many", type=int, default=0)
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    if args.many:
        make_many(args.out, args.many)
    else:
        make_standard(args.out)
    return 0


if __name__ == "__main__":
    sys.exit(main())

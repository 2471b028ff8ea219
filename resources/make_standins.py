#!/usr/bin/env python3
"""Writes the four stand-in payload files the installer embeds by default.

The real patch files are not in the repository; these have the same names,
the same sizes and the same kind of content, so that the build, the tests
and the installer behave as with the real ones. Output is deterministic:
running the script again gives the same bytes.

Usage: make_standins.py [OUTPUT_DIR]   (default: this script's folder)
"""

import os
import struct
import sys
import zlib

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from fixed_deflate import deflate  # noqa: E402

SIZES = {
    "eng.db": 199_688,
    "chi.db": 198_468,
    "ZQ05_Bod.ttf": 1_264_536,
    "config.dat": 17_622,
}


class Rng:
    """xorshift64*: small, and the same on every Python version."""

    def __init__(self, state):
        self.s = state & 0xFFFFFFFFFFFFFFFF or 1

    def next(self):
        s = self.s
        s ^= s >> 12
        s ^= (s << 25) & 0xFFFFFFFFFFFFFFFF
        s ^= s >> 27
        self.s = s
        return (s * 0x2545F4914F6CDD1D) & 0xFFFFFFFFFFFFFFFF

    def below(self, n):
        return (self.next() >> 11) % n

    def between(self, lo, hi):
        """Integer in [lo, hi]."""
        return lo + self.below(hi - lo + 1)

    def pick(self, seq):
        return seq[self.below(len(seq))]


def pad4(data):
    return data + b"\0" * (-len(data) % 4)


# --------------------------------------------------------------------------
# Text databases (eng.db, chi.db)
#
# Layout, little-endian:
#   header (32 bytes): magic "VLDRTXT\x1a", u16 version, u16 header size,
#     u32 schema id, u32 record count, 4-byte locale, u32 heap offset,
#     u32 CRC-32 of everything after the header
#   index: per record u32 string id, u32 offset in heap, u16 byte length,
#     u16 category
#   heap: NUL-terminated UTF-8 strings
# Both languages share the header's first 16 bytes, the ids and categories;
# only the text differs, as in a translated table.

DB_MAGIC = b"VLDRTXT\x1a"
DB_VERSION = 3
DB_HEADER = 32
DB_SCHEMA = 0x0C17A6E5
DB_RECORDS = 2200

EN_WORDS = (
    "the of and to in is you that it for on with as your at be this have "
    "from or by not all are can was will one out up new more no some when "
    "gate sword rune ember tower shield river north vale ash stone iron "
    "king oath blade crown forest ruin frost flame guard scroll relic storm "
    "wolf raven hall keep road bridge shrine lantern jade dragon temple "
    "open close find bring take return speak rest travel defend seal break"
).split()

# Common characters, so the Chinese stand-in text uses a realistic spread.
ZH_CHARS = (
    "的一是不了人我在有他这中大来上国个到说们为子和你地出道也时年得就那要下以生"
    "会自着去之过家学对可她里后小么心多天而能好都然没日于起还发成事只作当想看文"
    "无开手十用主行方又如前所本见经头面公同三已老从动两长剑门塔火石城王誓冠林"
    "霜风狼鸦殿路桥灯龙寺守护打开关闭寻找带回说话休息旅行防御封印破坏")
ZH_PUNCT = ("，", "。", "！", "？", "：")


def _en_word_of(rng, n):
    """A pronounceable made-up word of exactly n letters (n >= 1)."""
    cons, vows = "bcdfghklmnprstvwz", "aeiou"
    return "".join(rng.pick(vows if i % 2 else cons) for i in range(n))


def en_text(rng, n):
    """English-looking text of exactly n bytes."""
    out, start = "", True
    while True:
        word = rng.pick(EN_WORDS)
        if start:
            word = word.capitalize()
        piece = (" " if out else "") + word
        if len(out) + len(piece) + 1 > n:
            break
        out += piece
        start = rng.below(7) == 0
        if start:
            out += "."
    r = n - len(out)
    if not out:
        return _en_word_of(rng, n).capitalize()
    if r == 0:
        return out
    if r == 1:
        return out + "."
    return out + " " + _en_word_of(rng, r - 1)


def zh_text(rng, n):
    """Chinese text of exactly n UTF-8 bytes (3 per character, digits fill)."""
    chars, digits = n // 3, n % 3
    out = ""
    while len(out) < chars:
        if len(out) > 2 and rng.below(6) == 0 and out[-1] not in ZH_PUNCT:
            out += "。" if len(out) == chars - 1 else rng.pick(ZH_PUNCT)
        else:
            out += rng.pick(ZH_CHARS)
    if digits:
        at = rng.below(len(out) + 1)
        out = out[:at] + "".join(str(rng.below(10)) for _ in range(digits)) + out[at:]
    return out


def text_ids():
    """Record ids and categories, the same in every language."""
    shape = Rng(0x5A5A_1234_9876_0001)
    ids, cats = [], []
    next_id = 1000
    for _ in range(DB_RECORDS):
        next_id += shape.between(1, 9)
        ids.append(next_id)
        cats.append(shape.below(4))
    return ids, cats


def make_db(locale, text_fn, total, text_rng):
    """The database bytes and its strings, in record order."""
    ids, cats = text_ids()
    texts = []

    heap_size = total - DB_HEADER - 12 * DB_RECORDS
    heap = bytearray()
    index = bytearray()
    for i in range(DB_RECORDS):
        left = DB_RECORDS - i
        remaining = heap_size - len(heap)
        if left == 1:
            n = remaining
        else:
            mean = remaining // left
            lo = 2 if cats[i] == 0 else mean // 3
            hi = max(lo, mean // 3 if cats[i] == 0 else mean * 5 // 3)
            n = text_rng.between(lo, hi)
        data = text_fn(text_rng, n - 1).encode("utf-8")
        assert len(data) == n - 1
        texts.append(data)
        index += struct.pack("<IIHH", ids[i], len(heap), len(data), cats[i])
        heap += data + b"\0"

    body = bytes(index + heap)
    header = DB_MAGIC + struct.pack("<HHII4sII", DB_VERSION, DB_HEADER, DB_SCHEMA,
                                    DB_RECORDS, locale, DB_HEADER + len(index),
                                    zlib.crc32(body))
    return header + body, texts


# --------------------------------------------------------------------------
# TrueType font (ZQ05_Bod.ttf)

FAMILY = "VELDOR Stand-in"
UPM = 1000
ASCENT, DESCENT = 880, -120
LATIN_ADVANCE, CJK_ADVANCE = 560, 1000
CJK_PUNCT = range(0x3000, 0x3012)
IDEOGRAPHS = range(0x4E00, 0x4E00 + 4000)
FULLWIDTH = range(0xFF01, 0xFF5F)
# 2024-01-01 00:00:00 in seconds since 1904-01-01, the sfnt epoch.
FONT_DATE = 3786912000

ON_CURVE, X_SHORT, Y_SHORT, REPEAT, X_SAME, Y_SAME = 1, 2, 4, 8, 16, 32


def rect(x0, y0, x1, y1):
    """Clockwise (TrueType outer) rectangle."""
    return [(x0, y0, 1), (x0, y1, 1), (x1, y1, 1), (x1, y0, 1)]


def rounded_rect(x0, y0, x1, y1, r):
    """Clockwise (TrueType outer) contour with quadratic rounded corners."""
    return [(x0, y0 + r, 1), (x0, y1 - r, 1), (x0, y1, 0), (x0 + r, y1, 1),
            (x1 - r, y1, 1), (x1, y1, 0), (x1, y1 - r, 1), (x1, y0 + r, 1),
            (x1, y0, 0), (x1 - r, y0, 1), (x0 + r, y0, 1), (x0, y0, 0)]


def dot(cx, cy, rx, ry, tilt):
    return [(cx - rx, cy + tilt, 1), (cx - rx, cy + ry, 0), (cx, cy + ry, 1),
            (cx + rx, cy + ry, 0), (cx + rx, cy - tilt, 1), (cx + rx, cy - ry, 0),
            (cx, cy - ry, 1), (cx - rx, cy - ry, 0)]


def sweep(xb, yb, xt, yt, w):
    """A slanted stroke with a tapered, curved tail."""
    return [(xb, yb, 1), (xt, yt, 1), (xt + w, yt, 1), (xb + w // 3, yb + w // 4, 1),
            (xb + w // 6, yb - w // 4, 0)]


def random_stroke(rng, box):
    x0, y0, x1, y1 = box
    kind = rng.below(10)
    if kind < 4:  # horizontal
        th = rng.between(50, 80)
        a = rng.between(x0, (x0 + x1) // 2)
        b = rng.between(a + 2 * th, x1)
        y = rng.between(y0, y1 - th)
        return rounded_rect(a, y, b, y + th, th // 3)
    if kind < 7:  # vertical
        th = rng.between(60, 90)
        a = rng.between(y0, (y0 + y1) // 2)
        b = rng.between(a + 2 * th, y1)
        x = rng.between(x0, x1 - th)
        return rounded_rect(x, a, x + th, b, th // 3)
    if kind < 8:
        r = rng.between(35, 60)
        return dot(rng.between(x0 + r, x1 - r), rng.between(y0 + r, y1 - r), r,
                   r * 4 // 5, rng.between(-15, 15))
    w = rng.between(70, 100)
    xb = rng.between(x0, (x0 + x1) // 2)
    xt = rng.between(xb + 50, x1 - w)
    yb = rng.between(y0 + w, (y0 + y1) // 2)
    return sweep(xb, yb, xt, rng.between(yb + 150, y1), w)


def encode_glyph(contours, instructions=b""):
    pts = [p for c in contours for p in c]
    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    out = bytearray(struct.pack(">hhhhh", len(contours), min(xs), min(ys), max(xs), max(ys)))
    end = -1
    for c in contours:
        end += len(c)
        out += struct.pack(">H", end)
    out += struct.pack(">H", len(instructions)) + instructions
    flags, xdata, ydata = [], bytearray(), bytearray()
    px = py = 0
    for x, y, on in pts:
        f = ON_CURVE if on else 0
        for d, short, same, buf in ((x - px, X_SHORT, X_SAME, xdata),
                                    (y - py, Y_SHORT, Y_SAME, ydata)):
            if d == 0:
                f |= same
            elif -255 <= d <= 255:
                f |= short | (same if d > 0 else 0)
                buf.append(abs(d))
            else:
                buf += struct.pack(">h", d)
        flags.append(f)
        px, py = x, y
    i = 0
    while i < len(flags):
        run = 1
        while i + run < len(flags) and flags[i + run] == flags[i] and run < 256:
            run += 1
        if run > 1:
            out += bytes((flags[i] | REPEAT, run - 1))
        else:
            out.append(flags[i])
        i += run
    return bytes(out + xdata + ydata)


class Glyph:
    def __init__(self, data, advance, contours):
        self.data, self.advance = data, advance
        pts = [p for c in contours for p in c]
        self.points = len(pts)
        self.contours = len(contours)
        self.box = ((min(p[0] for p in pts), min(p[1] for p in pts),
                     max(p[0] for p in pts), max(p[1] for p in pts)) if pts else None)


def make_glyphs(rng, codepoints, glyf_size):
    """Glyphs for .notdef plus codepoints, whose glyf table is glyf_size bytes.

    The outlines are random strokes: nothing reads the stand-in's shapes,
    but every glyph must be well-formed and the table exactly sized."""
    glyphs = []
    notdef = [rect(80, 0, 920, 800), rect(160, 80, 840, 720)[::-1]]  # box with a hole
    glyphs.append(Glyph(encode_glyph(notdef), CJK_ADVANCE, notdef))
    used = len(pad4(glyphs[0].data))
    inked = [cp not in (0x20, 0x3000) for cp in codepoints]
    left = sum(inked)  # inked glyphs still to make
    for n, cp in enumerate(codepoints):
        if not inked[n]:
            glyphs.append(Glyph(b"", LATIN_ADVANCE // 2 if cp == 0x20 else CJK_ADVANCE, []))
            continue
        latin = cp < 0x80
        box = (60, 0, 480, 700) if latin else (70, -40, 930, 800)
        contours = [random_stroke(rng, box)]
        last = n == len(codepoints) - 1
        if latin:
            for _ in range(rng.between(1, 3)):
                contours.append(random_stroke(rng, box))
            data = encode_glyph(contours)
        else:
            remaining = glyf_size - used
            if last:
                target = remaining
            else:
                target = remaining // left * rng.between(60, 140) // 100
            data = encode_glyph(contours)
            while len(data) < target:
                more = contours + [random_stroke(rng, box)]
                trial = encode_glyph(more)
                if last and len(trial) > target:
                    break  # the hint filler below takes the rest
                contours, data = more, trial
            if last:
                # Fill the table exactly: a hint program of harmless
                # axis selections (SVTCA[y], SVTCA[x]).
                filler = remaining - len(data)
                assert filler >= 0, "last glyph cannot fit"
                data = encode_glyph(contours, (b"\x00\x01" * filler)[:filler])
                assert len(data) == remaining
        glyphs.append(Glyph(data, LATIN_ADVANCE if latin else CJK_ADVANCE, contours))
        used += len(pad4(data))
        left -= 1
    assert used == glyf_size, (used, glyf_size)
    return glyphs


def table_checksum(data):
    data = pad4(data)
    return sum(struct.unpack(">%dI" % (len(data) // 4), data)) & 0xFFFFFFFF


def cmap_table(ranges):
    """Format 4 subtable, one segment per run of consecutive glyph ids."""
    segs, gid = [], 1
    for r in ranges:
        segs.append((r.start, r.stop - 1, (gid - r.start) & 0xFFFF))
        gid += len(r)
    segs.append((0xFFFF, 0xFFFF, 1))
    n = len(segs)
    sr = 2 * (1 << (n.bit_length() - 1))
    sub = struct.pack(">HHHHHHH", 4, 0, 0, 2 * n, sr, sr.bit_length() - 2, 2 * n - sr)
    sub += b"".join(struct.pack(">H", s[1]) for s in segs) + b"\0\0"
    sub += b"".join(struct.pack(">H", s[0]) for s in segs)
    sub += b"".join(struct.pack(">H", s[2]) for s in segs)
    sub += b"\0\0" * n
    sub = sub[:2] + struct.pack(">H", len(sub)) + sub[4:]
    # Unicode BMP and Windows Unicode BMP share the one subtable.
    return struct.pack(">HHHHIHHI", 0, 2, 0, 3, 20, 3, 1, 20) + sub


def name_table():
    strings = [
        (0, "No rights reserved. Stand-in data for the VELDOR patch installer."),
        (1, FAMILY),
        (2, "Bold"),
        (3, FAMILY + " Bold 1.000"),
        (4, FAMILY + " Bold"),
        (5, "Version 1.000"),
        (6, FAMILY.replace(" ", "") + "-Bold"),
    ]
    records, heap = b"", b""
    for name_id, text in strings:
        raw = text.encode("utf-16-be")
        records += struct.pack(">HHHHHH", 3, 1, 0x0409, name_id, len(raw), len(heap))
        heap += raw
    return struct.pack(">HHH", 0, len(strings), 6 + len(records)) + records + heap


def kern_table(gid_of):
    pairs = sorted((gid_of(a), gid_of(b), v) for a, b, v in (
        ("A", "V", -80), ("V", "A", -80), ("A", "T", -60), ("T", "A", -60),
        ("A", "W", -50), ("W", "A", -50), ("A", "Y", -70), ("Y", "A", -70),
        ("L", "T", -70), ("P", "A", -60), ("F", "A", -50), ("T", "o", -60),
        ("V", "o", -40), ("Y", "o", -50), ("L", "Y", -60), ("r", ".", -40)))
    n = len(pairs)
    sr = 6 * (1 << (n.bit_length() - 1))
    body = struct.pack(">HHHH", n, sr, n.bit_length() - 1, 6 * n - sr)
    body += b"".join(struct.pack(">HHh", *p) for p in pairs)
    sub = struct.pack(">HHH", 0, 6 + len(body), 0x0001) + body
    return struct.pack(">HH", 0, 1) + sub


def make_font(total):
    rng = Rng(0x7E1D_0F0A_7000_0002)
    ranges = [range(0x20, 0x7F), CJK_PUNCT, IDEOGRAPHS, FULLWIDTH]
    codepoints = [cp for r in ranges for cp in r]
    num_glyphs = 1 + len(codepoints)
    # Glyphs past the last full hmtx entry reuse its advance; from the first
    # CJK glyph on all advances are equal, so they only store a side bearing.
    num_hmetrics = 1 + len(range(0x20, 0x7F)) + 1

    fixed = {
        "cmap": cmap_table(ranges),
        "name": name_table(),
        "kern": kern_table(lambda ch: ord(ch) - 0x20 + 1),
        "post": struct.pack(">IIhhIIIII", 0x00030000, 0, -100, 50, 0, 0, 0, 0, 0),
        "cvt ": struct.pack(">8h", 0, 60, 80, 90, 700, ASCENT, DESCENT, 500),
        # Function 0 is a stub the pre-program calls.
        "fpgm": bytes([0xB0, 0x00, 0x2C, 0x2D]),
        # SCANCTRL 0x01FF, SCANTYPE 4 (dropout control), CALL 0.
        "prep": bytes([0xB8, 0x01, 0xFF, 0x85, 0xB0, 0x04, 0x8D, 0xB0, 0x00, 0x2B]),
        "gasp": struct.pack(">HHHHHH", 1, 2, 8, 0x000A, 0xFFFF, 0x000F),
    }
    sizes = {tag: len(data) for tag, data in fixed.items()}
    sizes.update({"head": 54, "hhea": 36, "maxp": 32, "OS/2": 96,
                  "loca": 4 * (num_glyphs + 1),
                  "hmtx": 4 * num_hmetrics + 2 * (num_glyphs - num_hmetrics)})
    dir_size = 12 + 16 * (len(sizes) + 1)
    glyf_size = total - dir_size - sum(len(pad4(b"\0" * s)) for s in sizes.values())
    glyphs = make_glyphs(rng, codepoints, glyf_size)

    glyf, loca = bytearray(), bytearray()
    for g in glyphs:
        loca += struct.pack(">I", len(glyf))
        glyf += pad4(g.data)
    loca += struct.pack(">I", len(glyf))

    hmtx = bytearray()
    for i, g in enumerate(glyphs):
        lsb = g.box[0] if g.box else 0
        hmtx += struct.pack(">Hh", g.advance, lsb) if i < num_hmetrics else struct.pack(">h", lsb)
    assert all(g.advance == CJK_ADVANCE for g in glyphs[num_hmetrics - 1:])

    inked = [g for g in glyphs if g.box]
    x_min = min(g.box[0] for g in inked)
    y_min = min(g.box[1] for g in inked)
    x_max = max(g.box[2] for g in inked)
    y_max = max(g.box[3] for g in inked)
    head = struct.pack(">IIIIHHqqhhhhHHhhh", 0x00010000, 0x00010000, 0, 0x5F0F3CF5,
                       0x000B, UPM, FONT_DATE, FONT_DATE, x_min, y_min, x_max, y_max,
                       1, 8, 2, 1, 0)
    hhea = struct.pack(">IhhhHhhhhhhhhhhhH", 0x00010000, ASCENT, DESCENT, 0,
                       max(g.advance for g in glyphs),
                       min(g.box[0] for g in inked),
                       min(g.advance - g.box[2] for g in inked),
                       max(g.box[2] for g in inked), 1, 0, 0, 0, 0, 0, 0, 0,
                       num_hmetrics)
    max_instr = max(struct.unpack_from(">H", g.data, 10 + 2 * g.contours)[0]
                    for g in inked)
    maxp = struct.pack(">IHHHHHHHHHHHHHH", 0x00010000, num_glyphs,
                       max(g.points for g in glyphs), max(g.contours for g in glyphs),
                       0, 0, 2, 0, 0, 1, 0, 16, max_instr, 0, 0)
    widths = [g.advance for g in glyphs if g.advance]
    os2 = struct.pack(
        ">HhHHHhhhhhhhhhhh10sIIII4sHHHhhhHHIIhhHHH",
        4, round(sum(widths) / len(widths)), 700, 5, 0,
        650, 600, 0, 75, 650, 600, 0, 350, 50, 300, 0,
        bytes([2, 0, 8, 3, 0, 0, 0, 0, 0, 0]),
        1, (1 << (48 - 32)) | (1 << (59 - 32)), 1 << (68 - 64), 0,
        b"VLDR", 0x0020, 0x20, FULLWIDTH.stop - 1,
        ASCENT, DESCENT, 0, max(ASCENT, y_max), max(-DESCENT, -y_min),
        1 | (1 << 18), 0, 500, 700, 0, 0x20, 2)

    tables = dict(fixed, head=head, hhea=hhea, maxp=maxp, hmtx=bytes(hmtx),
                  loca=bytes(loca), glyf=bytes(glyf))
    tables["OS/2"] = os2
    for tag, size in sizes.items():
        assert len(tables[tag]) == size, tag

    # Tables in the file in the usual loading order, glyph data last.
    order = ["head", "hhea", "maxp", "OS/2", "hmtx", "cmap", "fpgm", "prep", "cvt ",
             "gasp", "loca", "kern", "name", "post", "glyf"]
    assert sorted(order) == sorted(tables)
    offsets, offset = {}, 12 + 16 * len(tables)
    for tag in order:
        offsets[tag] = offset
        offset += len(pad4(tables[tag]))
    n = len(tables)
    sr = 16 * (1 << (n.bit_length() - 1))
    font = bytearray(struct.pack(">IHHHH", 0x00010000, n, sr, n.bit_length() - 1, 16 * n - sr))
    for tag in sorted(tables, key=lambda t: t.encode("ascii")):
        data = tables[tag]
        font += struct.pack(">4sIII", tag.encode("ascii"), table_checksum(data),
                            offsets[tag], len(data))
    for tag in order:
        font += pad4(tables[tag])
    adjust = (0xB1B0AFBA - table_checksum(bytes(font))) & 0xFFFFFFFF
    struct.pack_into(">I", font, offsets["head"] + 8, adjust)
    return bytes(font)


# --------------------------------------------------------------------------
# Configuration archive (config.dat): a ZIP of settings files with fixed
# timestamps; the archive comment pads it to the exact size.

ZIP_TIME = (2024, 3, 1, 12, 0, 0)

CONFIG_FILES = [
    ("language.ini", """\
; Language selection for VELDOR
[Language]
Current=zh-CN
Fallback=en-US
TextDatabase=chi.db
FallbackDatabase=eng.db

[Fonts]
Dialogue=ZQ05_Bod.ttf
Menu=ZQ05_Bod.ttf
DialogueSize=22
MenuSize=18
Subtitles=ZQ05_Bod.ttf
SubtitleSize=20
LineSpacing=1.25
"""),
    ("display.cfg", """\
# Text layout used by the dialogue and menu screens
wrap_mode        cjk
max_line_width   38
max_lines        3
punctuation_hang yes
no_line_start    ，。！？：；、）」』】
no_line_end      （「『【
ellipsis         ……
number_format    1,234
date_format      %Y年%m月%d日
time_format      %H:%M
"""),
    ("credits.txt", """\
VELDOR
Chinese localisation

Translation      The VELDOR localisation team
Proofreading     The VELDOR localisation team
Font             VELDOR Stand-in Bold

Thank you for playing.
"""),
]


def dos_time(t):
    y, mo, d, h, mi, s = t
    return (h << 11) | (mi << 5) | (s // 2), ((y - 1980) << 9) | (mo << 5) | d


TEXT_KINDS = ("menu", "dialogue", "book", "subtitle")
TEXT_SIZES = (18, 22, 20, 20)
SPEAKERS = ("narrator", "aldric", "mei", "old_guard", "merchant", "shrine_keeper")


def text_style_rows(source_texts):
    """Per-string layout overrides; src_crc is the CRC-32 of the English
    string, so a stale translation can be spotted."""
    rng = Rng(0x57A1_0003)
    ids, cats = text_ids()
    rows = []
    for tid, cat, text in zip(ids, cats, source_texts):
        speaker = rng.pick(SPEAKERS) if cat in (1, 3) else "-"
        rows.append(f"{tid},{TEXT_KINDS[cat]},{speaker},{TEXT_SIZES[cat]},"
                    f"{zlib.crc32(text):08x}\n")
    return rows


def zip_archive(members, comment):
    mtime, mdate = dos_time(ZIP_TIME)
    local, central = bytearray(), bytearray()
    for name, raw in members:
        packed = deflate(raw)
        fname = name.encode("ascii")
        crc = zlib.crc32(raw)
        offset = len(local)
        local += struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, 0, 8, mtime, mdate,
                             crc, len(packed), len(raw), len(fname), 0) + fname + packed
        central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 20, 20, 0, 8,
                               mtime, mdate, crc, len(packed), len(raw), len(fname),
                               0, 0, 0, 0, 0, offset) + fname
    end = struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, len(members), len(members),
                      len(central), len(local), len(comment))
    return bytes(local + central + end + comment)


def make_zip(total, source_texts):
    """The settings files plus as many style rows as fit; the archive
    comment takes up the last few bytes."""
    files = [(name, text.encode("utf-8")) for name, text in CONFIG_FILES]
    rows = text_style_rows(source_texts)
    head = b"VELDOR localisation settings\n"

    def archive(count, comment=head):
        table = ("id,kind,speaker,size,src_crc\n" + "".join(rows[:count])).encode("ascii")
        return zip_archive(files + [("textstyle.csv", table)], comment)

    lo, hi = 0, len(rows)  # largest row count whose archive fits
    assert len(archive(lo)) <= total
    while lo < hi:
        mid = (lo + hi + 1) // 2
        if len(archive(mid)) <= total:
            lo = mid
        else:
            hi = mid - 1
    pad = total - len(archive(lo))
    return archive(lo, head + b" " * pad)


def build_all():
    eng, eng_texts = make_db(b"enUS", en_text, SIZES["eng.db"], Rng(0x0E46_0001))
    chi, _ = make_db(b"zhCN", zh_text, SIZES["chi.db"], Rng(0x0C41_0002))
    return {
        "eng.db": eng,
        "chi.db": chi,
        "ZQ05_Bod.ttf": make_font(SIZES["ZQ05_Bod.ttf"]),
        "config.dat": make_zip(SIZES["config.dat"], eng_texts),
    }


def main(argv):
    out_dir = argv[1] if len(argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(out_dir, exist_ok=True)
    for name, data in build_all().items():
        assert len(data) == SIZES[name], (name, len(data))
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(data)
        print(f"{name}: {len(data)} bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

#!/usr/bin/env python3
"""Writes the application icon: veldor.ico (32x32 and 16x16, 16 colours)
and the same two images as veldor-32.png and veldor-16.png.

The art is a red shield with a gold V under a band of square-spiral
ornaments; both sizes are drawn by hand below, one character per pixel.
Output is deterministic.

Usage: make_icon.py [OUTPUT_DIR]   (default: this script's folder)
"""

import os
import struct
import sys
import zlib

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from fixed_deflate import zlib_wrap  # noqa: E402

# The standard 16-colour Windows palette, in its usual index order.
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
# Art characters to palette indices; '.' is transparent.
INK = {"K": 0, "M": 1, "O": 3, "R": 9, "Y": 11}
TRANSPARENT = "."

ART_32 = """
...KKKKKKKKKKKKKKKKKKKKKKKKKK...
.KKYYYYYYYYYYYYYYYYYYYYYYYYYYKK.
.KYMMMMMMMMMMMMMMMMMMMMMMMMMMYK.
.KYMYYYYYMYYYYYMMYYYYYMYYYYYMYK.
.KYMYMMMYMYMMMYMMYMMMYMYMMMYMYK.
.KYMYMYMYMYMYMYMMYMYMYMYMYMYMYK.
.KYMYMMMYMYMMMYMMYMMMYMYMMMYMYK.
.KYMYYYYYMYYYYYMMYYYYYMYYYYYMYK.
.KYMMMMMMMMMMMMMMMMMMMMMMMMMMYK.
.KYYYYYYYYYYYYYYYYYYYYYYYYYYYYK.
.KYRRRRRKKKKKRRRMMMKKKKKMMMMMYK.
.KYRRRRKYYYYYKRRMMKOOOOOKMMMMYK.
.KYRRRRKYYYYYKRRMMKOOOOOKMMMMYK.
.KYRRRRRKYYYYYKRMKOOOOOKMMMMMYK.
.KYRRRRRKYYYYYKRMKOOOOOKMMMMMYK.
.KYRRRRRRKYYYYYKKOOOOOKMMMMMMYK.
.KYRRRRRRKYYYYYKKOOOOOKMMMMMMYK.
.KYRRRRRRRKYYYYYOOOOOKMMMMMMMYK.
..KYRRRRRRKYYYYYOOOOOKMMMMMMYK..
...KYRRRRRRKYYYYOOOOKMMMMMMYK...
....KYRRRRRKYYYYOOOOKMMMMMYK....
.....KYRRRRRKYYYOOOKMMMMMYK.....
......KYRRRRKYYYOOOKMMMMYK......
.......KYRRRRKYYOOKMMMMYK.......
........KYRRRKYYOOKMMMYK........
.........KYRRRKYOKMMMYK.........
..........KYRRRKKMMMYK..........
...........KYRRRMMMYK...........
............KYRRMMYK............
.............KYRMYK.............
..............KYYK..............
...............KK...............
"""

# Too small for the spirals: the band keeps four gold bars instead.
ART_16 = """
.KKKKKKKKKKKKKK.
KMMMMMMMMMMMMMMK
KMYYMYYMMYYMYYMK
KMMMMMMMMMMMMMMK
KYYYYYYYYYYYYYYK
KRRRRRRRMMMMMMMK
KRKYYKRRMMKOOKMK
KRKYYKRRMMKOOKMK
KRRKYYKRMKOOKMMK
.KRKYYKRMKOOKMK.
..KRKYYKKOOKMK..
...KRKYYOOKMK...
....KRKYOKMK....
.....KRKKMK.....
......KRMK......
.......KK.......
"""


def parse(art, size):
    rows = art.strip().split("\n")
    assert len(rows) == size and all(len(r) == size for r in rows), size
    assert set("".join(rows)) <= set(INK) | {TRANSPARENT}
    return rows


def ico_image(rows):
    """One ICO entry: BITMAPINFOHEADER, palette, 4-bit XOR bitmap and 1-bit
    AND mask, both stored bottom row first with rows padded to 4 bytes."""
    size = len(rows)
    xor, mask = bytearray(), bytearray()
    for row in reversed(rows):
        line = bytearray()
        for i in range(0, size, 2):
            hi, lo = (INK.get(c, 0) for c in row[i:i + 2])
            line.append(hi << 4 | lo)
        xor += line + b"\0" * (-len(line) % 4)
        bits = 0
        for c in row:
            bits = bits << 1 | (c == TRANSPARENT)
        line = bits.to_bytes(size // 8, "big")
        mask += line + b"\0" * (-len(line) % 4)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    return header + palette + bytes(xor + mask)


def make_ico(images):
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = len(out) + 16 * len(images)
    blobs = []
    for rows in images:
        blob = ico_image(rows)
        size = len(rows)
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(blob), offset)
        offset += len(blob)
        blobs.append(blob)
    return out + b"".join(blobs)


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def make_png(rows):
    size = len(rows)
    raw = bytearray()
    for row in rows:
        raw.append(0)  # filter: none
        for c in row:
            raw += bytes((0, 0, 0, 0)) if c == TRANSPARENT else bytes(PALETTE[INK[c]] + (255,))
    return (b"\x89PNG\r\n\x1a\n"
            + png_chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + png_chunk(b"IDAT", zlib_wrap(bytes(raw)))
            + png_chunk(b"IEND", b""))


def build_all():
    big, small = parse(ART_32, 32), parse(ART_16, 16)
    return {
        "veldor.ico": make_ico([big, small]),
        "veldor-32.png": make_png(big),
        "veldor-16.png": make_png(small),
    }


def main(argv):
    out_dir = argv[1] if len(argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(out_dir, exist_ok=True)
    for name, data in build_all().items():
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(data)
        print(f"{name}: {len(data)} bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

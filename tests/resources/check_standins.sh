#!/usr/bin/env bash
# Checks the committed payload stand-ins and icon files:
#  1. the generators still produce them byte for byte (no drift between a
#     script and the files committed beside it);
#  2. the files have the structure the installer and the builds rely on.
#
# Usage: check_standins.sh [SOURCE_DIR]   (default: the repository root)
# Set PYTHON to choose the interpreter (default: python3).
set -u

src=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
res=$src/resources
py=${PYTHON:-python3}
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failed=0

echo "== regenerating into a temporary folder"
if ! "$py" "$res/make_standins.py" "$tmp" || ! "$py" "$res/make_icon.py" "$tmp"; then
    echo "FAIL: a generator failed"
    exit 1
fi

echo "== comparing with the committed files"
for f in eng.db chi.db ZQ05_Bod.ttf config.dat veldor.ico veldor-32.png veldor-16.png; do
    if cmp -s "$res/$f" "$tmp/$f"; then
        echo "ok   $f is what the generator makes"
    else
        echo "FAIL $f differs from the generator's output (rerun the script and commit)"
        failed=1
    fi
done

echo "== checking structure"
"$py" - "$res" <<'EOF' || failed=1
import os, struct, sys, zipfile, zlib

res = sys.argv[1]
bad = []


def check(cond, what):
    print(("ok   " if cond else "FAIL ") + what)
    if not cond:
        bad.append(what)


def read(name):
    with open(os.path.join(res, name), "rb") as f:
        return f.read()


sizes = {"eng.db": 199688, "chi.db": 198468, "ZQ05_Bod.ttf": 1264536, "config.dat": 17622}
for name, size in sizes.items():
    check(len(read(name)) == size, f"{name} is {size} bytes")

eng, chi = read("eng.db"), read("chi.db")
check(eng[:16] == chi[:16] and eng[16:] != chi[16:], "eng.db and chi.db share a 16-byte header start, not the rest")
ids = {}
for name, db in (("eng.db", eng), ("chi.db", chi)):
    count, heap, crc = struct.unpack_from("<I4xII", db, 16)
    check(heap == 32 + 12 * count and zlib.crc32(db[32:]) == crc, f"{name} index size and body CRC match its header")
    index = [struct.unpack_from("<IIHH", db, 32 + 12 * i) for i in range(count)]
    ids[name] = [(e[0], e[3]) for e in index]
    try:
        strings_ok = all(db[heap + off + n] == 0 for _, off, n, _ in index) and heap + index[-1][1] + index[-1][2] + 1 == len(db)
        for _, off, n, _ in index:
            db[heap + off:heap + off + n].decode("utf-8")
    except (IndexError, UnicodeDecodeError):
        strings_ok = False
    check(strings_ok, f"{name} strings are NUL-terminated UTF-8 filling the heap")
check(ids["eng.db"] == ids["chi.db"], "eng.db and chi.db have the same record ids and categories")

# Font: table directory and checksums as a loader verifies them.
ttf = read("ZQ05_Bod.ttf")
version, n, search, selector, shift = struct.unpack_from(">IHHHH", ttf)
check(version == 0x00010000 and n == 15, "font is sfnt 1.0 with 15 tables")
check((search, selector, shift) == (128, 3, 112), "font directory search fields fit 15 tables")
entries = [struct.unpack_from(">4sIII", ttf, 12 + 16 * i) for i in range(n)]
tags = [e[0] for e in entries]
check(tags == sorted(tags), "font table tags are sorted")
required = {b"cmap", b"glyf", b"head", b"hhea", b"hmtx", b"loca", b"maxp", b"name", b"post", b"OS/2"}
check(required <= set(tags), "font has all required TrueType tables")


def checksum(data):
    data += b"\0" * (-len(data) % 4)
    return sum(struct.unpack(">%dI" % (len(data) // 4), data)) & 0xFFFFFFFF


head_off = dict((e[0], e[2]) for e in entries)[b"head"]
zeroed = ttf[:head_off + 8] + b"\0\0\0\0" + ttf[head_off + 12:]
sums_ok = all(off % 4 == 0 and off + length <= len(ttf)
              and checksum(zeroed[off:off + length]) == cs for _, cs, off, length in entries)
check(sums_ok, "font tables are aligned, inside the file, with correct checksums")
check(checksum(ttf) == 0xB1B0AFBA, "font head.checkSumAdjustment is correct")

with zipfile.ZipFile(os.path.join(res, "config.dat")) as z:
    check(z.testzip() is None and len(z.namelist()) >= 2, "config.dat is a valid ZIP (all members inflate, CRCs match)")
    check(all(i.compress_type == zipfile.ZIP_DEFLATED for i in z.infolist()), "config.dat members are deflated")

# Icon: two 4-bit images, and the PNGs are the same pictures.
ico = read("veldor.ico")
_, kind, count = struct.unpack_from("<HHH", ico)
dirs = [struct.unpack_from("<BBBBHHII", ico, 6 + 16 * i) for i in range(count)]
check(kind == 1 and [(d[0], d[1], d[2], d[5]) for d in dirs] == [(32, 32, 16, 4), (16, 16, 16, 4)],
      "veldor.ico holds 32x32 and 16x16 images, 16 colours, 4 bits per pixel")


def ico_pixels(entry):
    size, off = entry[0], entry[7]
    pal = ico[off + 40:off + 104]
    xor = off + 104
    mask = xor + size * size // 2
    mrow = (size // 8 + 3) // 4 * 4
    px = []
    for y in range(size - 1, -1, -1):
        for x in range(size):
            i = ico[xor + y * size // 2 + x // 2] >> (0 if x % 2 else 4) & 15
            hidden = ico[mask + y * mrow + x // 8] >> (7 - x % 8) & 1
            b, g, r = pal[4 * i:4 * i + 3]
            px.append((0, 0, 0, 0) if hidden else (r, g, b, 255))
    return px


def png_pixels(name):
    png = read(name)
    check(png[:8] == b"\x89PNG\r\n\x1a\n", f"{name} has the PNG signature")
    pos, chunks, crcs_ok = 8, {}, True
    while pos < len(png):
        length, kind = struct.unpack_from(">I4s", png, pos)
        body = png[pos + 8:pos + 8 + length]
        crcs_ok &= struct.unpack_from(">I", png, pos + 8 + length)[0] == zlib.crc32(kind + body)
        chunks[kind] = chunks.get(kind, b"") + body
        pos += 12 + length
    check(crcs_ok and b"IEND" in chunks, f"{name} chunks are complete, with correct CRCs")
    ihdr, idat = chunks[b"IHDR"], chunks[b"IDAT"]
    w, h, depth, ctype = struct.unpack_from(">IIBB", ihdr)
    raw = zlib.decompress(idat)
    check(depth == 8 and ctype == 6 and len(raw) == h * (1 + 4 * w), f"{name} is {w}x{h} RGBA")
    rows = [raw[y * (1 + 4 * w):(y + 1) * (1 + 4 * w)] for y in range(h)]
    check(all(r[0] == 0 for r in rows), f"{name} rows use no filter")
    return [tuple(r[1 + 4 * x:5 + 4 * x]) for r in rows for x in range(w)]


for entry, name in zip(dirs, ("veldor-32.png", "veldor-16.png")):
    check(ico_pixels(entry) == png_pixels(name), f"{name} shows the same pixels as the ICO's {entry[0]}x{entry[0]} image")

sys.exit(1 if bad else 0)
EOF

if [ "$failed" -ne 0 ]; then
    echo "== FAILED"
    exit 1
fi
echo "== all stand-in checks passed"

"""A small deflate encoder (fixed Huffman codes, greedy LZ77).

The generators use it instead of zlib.compress because zlib's output may
change between zlib builds (zlib-ng, other versions), and the committed
files must come out byte for byte the same on every machine. Any inflater
reads the result.
"""

import struct
import zlib

_LENGTH_BASE = [3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 15, 17, 19, 23, 27, 31,
                35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258]
_LENGTH_EXTRA = [0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2,
                 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0]
_DIST_BASE = [1, 2, 3, 4, 5, 7, 9, 13, 17, 25, 33, 49, 65, 97, 129, 193,
              257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145,
              8193, 12289, 16385, 24577]
_DIST_EXTRA = [0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6,
               7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13]

_WINDOW = 32768
_MAX_LEN = 258
_MAX_CHAIN = 64


class _BitWriter:
    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.n = 0

    def bits(self, value, count):
        """Append count bits of value, least significant first."""
        self.acc |= value << self.n
        self.n += count
        while self.n >= 8:
            self.out.append(self.acc & 0xFF)
            self.acc >>= 8
            self.n -= 8

    def code(self, code, length):
        """Append a Huffman code, which deflate stores most significant first."""
        rev = 0
        for _ in range(length):
            rev = (rev << 1) | (code & 1)
            code >>= 1
        self.bits(rev, length)

    def flush(self):
        if self.n:
            self.out.append(self.acc & 0xFF)
        self.acc = self.n = 0
        return bytes(self.out)


def _literal(w, sym):
    if sym < 144:
        w.code(0x30 + sym, 8)
    elif sym < 256:
        w.code(0x190 + sym - 144, 9)
    elif sym < 280:
        w.code(sym - 256, 7)
    else:
        w.code(0xC0 + sym - 280, 8)


def _match(w, length, dist):
    i = max(k for k in range(29) if _LENGTH_BASE[k] <= length)
    _literal(w, 257 + i)
    w.bits(length - _LENGTH_BASE[i], _LENGTH_EXTRA[i])
    j = max(k for k in range(30) if _DIST_BASE[k] <= dist)
    w.code(j, 5)
    w.bits(dist - _DIST_BASE[j], _DIST_EXTRA[j])


def deflate(data):
    """Raw deflate stream (one final fixed-Huffman block) of data."""
    data = bytes(data)
    w = _BitWriter()
    w.bits(1, 1)  # BFINAL
    w.bits(1, 2)  # BTYPE = fixed Huffman
    heads = {}
    pos, end = 0, len(data)
    while pos < end:
        best_len = best_dist = 0
        if pos + 3 <= end:
            key = data[pos:pos + 3]
            chain = heads.get(key, ())
            limit = min(_MAX_LEN, end - pos)
            for cand in reversed(chain[-_MAX_CHAIN:]):
                if pos - cand > _WINDOW:
                    break
                n = 3
                while n < limit and data[cand + n] == data[pos + n]:
                    n += 1
                if n > best_len:
                    best_len, best_dist = n, pos - cand
                    if n == limit:
                        break
        step = best_len if best_len >= 3 else 1
        if step == 1:
            _literal(w, data[pos])
        else:
            _match(w, best_len, best_dist)
        for p in range(pos, min(pos + step, end - 2)):
            heads.setdefault(data[p:p + 3], []).append(p)
        pos += step
    _literal(w, 256)
    return w.flush()


def zlib_wrap(data):
    """zlib stream (RFC 1950) around deflate(data), as PNG wants it."""
    return b"\x78\x01" + deflate(data) + struct.pack(">I", zlib.adler32(data))

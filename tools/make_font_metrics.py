#!/usr/bin/env python3
"""Prints the advance-width table of font_metrics.cpp from a TrueType file.

Reads the font's 'head', 'hhea', 'OS/2', 'cmap' (format 4) and 'hmtx' tables with
the standard library only, and writes the advance widths, in font units, of the
code points 32..126, 160..255 and 256..383 (Latin Extended-A).  Usage: make_font_metrics.py DejaVuSans.ttf
"""
import struct
import sys


def tables(data):
    count = struct.unpack_from(">H", data, 4)[0]
    out = {}
    for i in range(count):
        tag, _, off, length = struct.unpack_from(">4sIII", data, 12 + 16 * i)
        out[tag.decode()] = (off, length)
    return out


def cmap4(data, off):
    n = struct.unpack_from(">H", data, off + 2)[0]
    best = None
    for i in range(n):
        pid, eid, sub = struct.unpack_from(">HHI", data, off + 4 + 8 * i)
        if pid == 3 and eid == 1:
            best = off + sub
    fmt, _, _, segx2 = struct.unpack_from(">HHHH", data, best)
    assert fmt == 4
    seg = segx2 // 2
    ends = struct.unpack_from(">%dH" % seg, data, best + 14)
    starts = struct.unpack_from(">%dH" % seg, data, best + 16 + segx2)
    deltas = struct.unpack_from(">%dh" % seg, data, best + 16 + 2 * segx2)
    roff_pos = best + 16 + 3 * segx2
    roffs = struct.unpack_from(">%dH" % seg, data, roff_pos)

    def glyph(cp):
        for i in range(seg):
            if starts[i] <= cp <= ends[i]:
                if roffs[i] == 0:
                    return (cp + deltas[i]) & 0xFFFF
                addr = roff_pos + 2 * i + roffs[i] + 2 * (cp - starts[i])
                g = struct.unpack_from(">H", data, addr)[0]
                return (g + deltas[i]) & 0xFFFF if g else 0
        return 0
    return glyph


def main(path):
    data = open(path, "rb").read()
    t = tables(data)
    upem = struct.unpack_from(">H", data, t["head"][0] + 18)[0]
    hhea = t["hhea"][0]
    asc, desc, gap = struct.unpack_from(">hhh", data, hhea + 4)
    nmetrics = struct.unpack_from(">H", data, hhea + 34)[0]
    avg = struct.unpack_from(">h", data, t["OS/2"][0] + 2)[0]
    glyph = cmap4(data, t["cmap"][0])
    hmtx = t["hmtx"][0]

    def advance(cp):
        g = glyph(cp)
        g = min(g, nmetrics - 1)
        return struct.unpack_from(">H", data, hmtx + 4 * g)[0]

    print("// units per em %d, ascender %d, descender %d, line gap %d, average width %d"
          % (upem, asc, -desc, gap, avg))
    for lo, hi in ((32, 127), (160, 256), (256, 384)):
        row = [str(advance(cp)) for cp in range(lo, hi)]
        for i in range(0, len(row), 16):
            print("    " + ", ".join(row[i:i + 16]) + ",")
        print()


if __name__ == "__main__":
    main(sys.argv[1])

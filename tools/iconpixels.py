#!/usr/bin/env python3
"""Build-time decoder of the window icon's PNGs: writes their pixels as a C++ table, so
that the window's icon is ready without decoding anything at start.

    iconpixels.py OUTPUT.cpp SIDE=FILE.png...

Each PNG must be 8-bit RGBA, not interlaced, SIDE pixels square (what
tools/render-icons.sh writes). The pixels are ARGB, premultiplied as the toolkit
premultiplies them, one 32-bit word each, row by row.
"""
import struct
import sys
import zlib


def fail(message):
    sys.exit("iconpixels.py: " + message)


def decode(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        fail(path + ": not a PNG")
    pos, header, idat = 8, None, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        elif kind == b"IEND":
            break
        pos += 12 + length
    if header is None:
        fail(path + ": no header")
    width, height, depth, colour, _, _, interlace = header
    if (depth, colour, interlace) != (8, 6, 0):
        fail(path + ": not 8-bit RGBA without interlacing")
    raw = zlib.decompress(idat)
    stride = width * 4
    rows, previous, pos = [], bytearray(stride), 0
    for _ in range(height):
        kind, line = raw[pos], bytearray(raw[pos + 1:pos + 1 + stride])
        pos += 1 + stride
        for i in range(stride):
            left = line[i - 4] if i >= 4 else 0
            up = previous[i]
            corner = previous[i - 4] if i >= 4 else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                guess = left if pa <= pb and pa <= pc else up if pb <= pc else corner
                line[i] = (line[i] + guess) & 0xFF
            elif kind != 0:
                fail(path + ": unknown row filter %d" % kind)
        rows.append(line)
        previous = line
    return width, height, rows


def premultiplied(r, g, b, a):
    # The toolkit's rounding division by 255, so that the pixels match its own conversion.
    def times(c):
        t = c * a
        return (t + (t >> 8) + 0x80) >> 8 & 0xFF
    return (a << 24) | (times(r) << 16) | (times(g) << 8) | times(b)


def main():
    if len(sys.argv) < 3:
        fail("usage: iconpixels.py OUTPUT.cpp SIDE=FILE.png...")
    out = ["// Written by tools/iconpixels.py from the icon's PNGs at build time.",
           '#include "app/iconpixels.h"', "", "namespace {", ""]
    sides = []
    for argument in sys.argv[2:]:
        side, _, path = argument.partition("=")
        side = int(side)
        width, height, rows = decode(path)
        if (width, height) != (side, side):
            fail("%s: %dx%d, not %dx%d" % (path, width, height, side, side))
        words = []
        for line in rows:
            for i in range(0, len(line), 4):
                words.append("0x%08x" % premultiplied(*line[i:i + 4]))
        out.append("const quint32 k%d[] = {" % side)
        for i in range(0, len(words), 8):
            out.append("    " + ", ".join(words[i:i + 8]) + ",")
        out.append("};")
        out.append("")
        sides.append(side)
    out.append("} // namespace")
    out.append("")
    out.append("const IconPixels kIconPixels[] = {")
    for side in sides:
        out.append("    {%d, k%d}," % (side, side))
    out.append("};")
    out.append("const int kIconPixelsCount = %d;" % len(sides))
    text = "\n".join(out) + "\n"
    try:
        with open(sys.argv[1]) as f:
            if f.read() == text:
                return
    except OSError:
        pass
    with open(sys.argv[1], "w") as f:
        f.write(text)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Writes the metafile samples: quadrants (red, lime / blue, white) as an
enhanced metafile (120 x 80 pixels), a placeable WMF (120 x 80 at 96 dpi) and
a plain WMF whose window is 240 x 160 logical units."""
import struct
import sys

RED, LIME, BLUE, WHITE = 0x0000FF, 0x00FF00, 0xFF0000, 0xFFFFFF  # COLORREF 0x00BBGGRR


def quadrants(w, h):
    return [(0, 0, w // 2, h // 2, RED), (w // 2, 0, w, h // 2, LIME),
            (0, h // 2, w // 2, h, BLUE), (w // 2, h // 2, w, h, WHITE)]


def emf(w, h):
    recs = [struct.pack("<III", 37, 12, 0x80000008)]  # SELECTOBJECT NULL_PEN
    for l, t, r, b, c in quadrants(w, h):
        recs.append(struct.pack("<IIIIII", 39, 24, 1, 0, c, 0))    # CREATEBRUSHINDIRECT
        recs.append(struct.pack("<III", 37, 12, 1))                 # SELECTOBJECT
        recs.append(struct.pack("<II4i", 43, 24, l, t, r + 1, b + 1))  # RECTANGLE (null pen: one short)
        recs.append(struct.pack("<III", 37, 12, 0x80000000))        # SELECTOBJECT WHITE_BRUSH
        recs.append(struct.pack("<III", 40, 12, 1))                 # DELETEOBJECT
    recs.append(struct.pack("<IIIII", 14, 20, 0, 16, 20))           # EOF
    body = b"".join(recs)
    # Reference device: 1000 x 1000 pixels on 250 x 250 mm, 4 pixels a millimetre.
    size = 88 + len(body)
    header = struct.pack("<II4i4iIIIIHHIIIiiii", 1, 88, 0, 0, w - 1, h - 1, 0, 0, w * 25, h * 25,
                         0x464D4520, 0x10000, size, len(recs) + 1, 2, 0, 0, 0, 0, 1000, 1000, 250, 250)
    return header + body


def wmf_records(w, h, scale):
    recs = [struct.pack("<IHhh", 5, 0x020B, 0, 0),                   # SETWINDOWORG y, x
            struct.pack("<IHhh", 5, 0x020C, h * scale, w * scale),   # SETWINDOWEXT y, x
            struct.pack("<IHHhhI", 8, 0x02FA, 5, 0, 0, 0),           # CREATEPENINDIRECT PS_NULL -> 0
            struct.pack("<IHH", 4, 0x012D, 0)]                       # SELECTOBJECT 0
    quads = quadrants(w * scale, h * scale)
    for _, _, _, _, c in quads:
        recs.append(struct.pack("<IHHIH", 7, 0x02FC, 0, c, 0))       # CREATEBRUSHINDIRECT -> 1..4
    for i, (l, t, r, b, _) in enumerate(quads):
        recs.append(struct.pack("<IHH", 4, 0x012D, 1 + i))
        recs.append(struct.pack("<IHhhhh", 7, 0x041B, b + 1, r + 1, t, l))  # RECTANGLE b, r, t, l
    recs.append(struct.pack("<IH", 3, 0))                            # EOF
    body = b"".join(recs)
    words = (18 + len(body)) // 2
    header = struct.pack("<HHHIHIH", 1, 9, 0x300, words, 5, max(len(r) for r in recs) // 2, 0)
    return header + body


def placeable(w, h, records):
    head = struct.pack("<IHhhhhHI", 0x9AC6CDD7, 0, 0, 0, w, h, 96, 0)
    check = 0
    for (word,) in struct.iter_unpack("<H", head):
        check ^= word
    return head + struct.pack("<H", check) + records


def main():
    out = sys.argv[1]
    open(out + "/quad.emf", "wb").write(emf(120, 80))
    open(out + "/quad.wmf", "wb").write(placeable(120, 80, wmf_records(120, 80, 1)))
    open(out + "/plain.wmf", "wb").write(wmf_records(120, 80, 2))


main()

#!/usr/bin/env python3
"""Writes sweepall.ico: one 32x32 16-colour image of a waste bin.

Run once after changing the drawing; the small result is kept beside the
resource script so the build needs no image tools."""
import struct
import sys

W = H = 32
# Palette index -> (blue, green, red, 0)
PALETTE = [(0, 0, 0, 0), (128, 128, 128, 0), (192, 192, 192, 0), (255, 255, 255, 0),
           (160, 80, 0, 0), (255, 160, 64, 0)] + [(0, 0, 0, 0)] * 10


def pixel(x, y):
    """Colour index at (x, y), y from the top; None is transparent."""
    if 6 <= y <= 8 and 5 <= x <= 26:          # lid
        return 0 if y in (6, 8) or x in (5, 26) else 2
    if 3 <= y <= 5 and 12 <= x <= 19:         # handle
        return 0 if y == 3 or x in (12, 19) else None
    if 9 <= y <= 28:                          # body, narrowing downwards
        inset = (y - 9) // 5
        left, right = 7 + inset, 24 - inset
        if left <= x <= right:
            if x in (left, right) or y == 28:
                return 0
            if (x - left) % 4 == 2:
                return 4
            return 5
    return None


def build():
    rows = []
    masks = []
    for y in range(H - 1, -1, -1):            # bottom-up, as bitmaps are
        row = bytearray()
        mask = 0
        for x in range(0, W, 2):
            a, b = pixel(x, y), pixel(x + 1, y)
            row.append(((a or 0) << 4) | (b or 0))
        for x in range(W):
            mask = (mask << 1) | (1 if pixel(x, y) is None else 0)
        rows.append(bytes(row))
        masks.append(struct.pack(">I", mask))
    xor = b"".join(rows)
    and_ = b"".join(masks)
    header = struct.pack("<IiiHHIIiiII", 40, W, H * 2, 1, 4, 0, len(xor) + len(and_), 0, 0, 16, 0)
    palette = b"".join(struct.pack("<4B", *c) for c in PALETTE)
    image = header + palette + xor + and_
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", W, H, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "sweepall.ico"
    with open(out, "wb") as f:
        f.write(build())

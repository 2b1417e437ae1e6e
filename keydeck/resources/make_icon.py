#!/usr/bin/env python3
"""Writes keydeck.ico: a small keyboard with a lit key, 16x16 and 32x32,
4 bits per pixel. Run once; the result is committed."""
import struct
import sys

PALETTE = [(0, 0, 0), (149, 111, 37), (255, 255, 255), (0, 200, 0)]  # BGR: black, blue, white, lime


def keyboard(size):
    """Pixel rows (top first) of palette indices; None is transparent."""
    px = [[None] * size for _ in range(size)]
    top, bottom = size // 4, size - size // 4
    for y in range(top, bottom):
        for x in range(1, size - 1):
            px[y][x] = 1
    step = max(2, size // 8)
    for row in range(3):
        y = top + 1 + row * step
        for x in range(2, size - 3, step):
            for dy in range(step - 1):
                for dx in range(step - 1):
                    if y + dy < bottom - 1 and x + dx < size - 2:
                        px[y + dy][x + dx] = 3 if (row == 0 and x == 2) else 2
    return px


def image(size):
    px = keyboard(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('<BBBB', b, g, r, 0) for (b, g, r) in PALETTE)
    palette += b'\0' * (64 - len(palette))
    xor = b''
    and_mask = b''
    for y in reversed(range(size)):  # bottom-up
        row = bytearray()
        for x in range(0, size, 2):
            hi = px[y][x] or 0
            lo = px[y][x + 1] or 0
            row.append(hi << 4 | lo)
        while len(row) % 4:
            row.append(0)
        xor += bytes(row)
        bits = bytearray((size + 31) // 32 * 4)
        for x in range(size):
            if px[y][x] is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        and_mask += bytes(bits)
    return header + palette + xor + and_mask


def main(path):
    sizes = [16, 32]
    images = [image(s) for s in sizes]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', s, s, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(path, 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main(sys.argv[1] if len(sys.argv) > 1 else 'keydeck.ico')

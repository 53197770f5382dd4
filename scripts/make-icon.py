#!/usr/bin/env python3
"""Draws the program's icon, src/app/tapestron.ico: a framed picture woven of two threads, in 16
and 32 pixel sizes, as uncompressed 32-bit images (the form every Windows version reads)."""
import struct
import sys

FRAME = (0x3B, 0x2A, 0x1E)
WARP = (0x2E, 0x7D, 0xB8)
WEFT = (0xE8, 0xA3, 0x3D)
SKY = (0xF4, 0xEE, 0xE0)


def pixel(x, y, size):
    border = max(1, size // 16)
    if x < border or y < border or x >= size - border or y >= size - border:
        return FRAME
    inner = size - 2 * border
    if min(x, y) - border < max(1, inner // 14):
        return SKY
    cell = max(2, size // 8)
    # Over-under weaving: the warp shows where the cell parities differ.
    return WARP if (x // cell + y // cell) % 2 else WEFT


def image(size):
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = []
    for y in reversed(range(size)):  # bottom-up, as in a bitmap
        rows.append(b"".join(bytes((b, g, r, 0xFF)) for r, g, b in
                             (pixel(x, y, size) for x in range(size))))
    mask_row = ((size + 31) // 32) * 4
    return header + b"".join(rows) + bytes(mask_row * size)


def main(path):
    sizes = (16, 32)
    images = [image(size) for size in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as file:
        file.write(out + b"".join(images))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "src/app/tapestron.ico")

#!/usr/bin/env python3
"""Draws the program's icon: a framed picture woven of two threads.

    make-icon.py [ICO]                   src/app/tapestron.ico (or ICO): 16 and 32 pixel sizes, as
                                         uncompressed 32-bit images (the form every Windows
                                         version reads)
    make-icon.py --hicolor DIR SIZE...   the icon theme's files for Linux desktops:
                                         DIR/<SIZE>x<SIZE>/apps/tapestron.png for each SIZE and
                                         DIR/scalable/apps/tapestron.svg
"""
import os
import struct
import sys
import zlib

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


def png(size):
    rows = b"".join(b"\0" + bytes(channel for x in range(size) for channel in pixel(x, y, size))
                    for y in range(size))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    header = struct.pack(">IIBBBBB", size, size, 8, 2, 0, 0, 0)  # 8-bit RGB, no interlace
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def svg():
    # Every size that is a multiple of 16 is the 16-pixel drawing enlarged (frame, sky and weave
    # cells are whole 16ths of it), so those pixels, merged into rectangles, are the scalable form.
    size = 16
    runs = []  # per row: (start, end, colour) of each run of one colour
    for y in range(size):
        row = []
        for x in range(size):
            colour = pixel(x, y, size)
            if row and row[-1][2] == colour:
                row[-1] = (row[-1][0], x + 1, colour)
            else:
                row.append((x, x + 1, colour))
        runs.append(row)
    rects = []
    open_rects = {}  # run -> index in rects of the rectangle that grows downwards with it
    for y, row in enumerate(runs):
        grown = {}
        for run in row:
            if run in open_rects:
                rects[open_rects[run]][3] += 1
                grown[run] = open_rects[run]
            else:
                rects.append([run[0], y, run[1] - run[0], 1, run[2]])
                grown[run] = len(rects) - 1
        open_rects = grown
    shapes = "".join('  <rect x="%d" y="%d" width="%d" height="%d" fill="#%02x%02x%02x"/>\n'
                     % (x, y, w, h, *colour) for x, y, w, h, colour in rects)
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d" '
            'shape-rendering="crispEdges">\n%s</svg>\n' % (size, size, size, size, shapes))


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as file:
        file.write(data)


def hicolor(folder, sizes):
    for size in sizes:
        write(os.path.join(folder, "%dx%d" % (size, size), "apps", "tapestron.png"), png(size))
    write(os.path.join(folder, "scalable", "apps", "tapestron.svg"), svg().encode())


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
    if sys.argv[1:2] == ["--hicolor"] and len(sys.argv) > 3:
        hicolor(sys.argv[2], [int(size) for size in sys.argv[3:]])
    else:
        main(sys.argv[1] if len(sys.argv) > 1 else "src/app/tapestron.ico")

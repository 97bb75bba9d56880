#!/usr/bin/env python3
"""Draws data/about.bmp, the picture of the About window: a small diagram of idea objects
joined by links on a soft gradient, from plain geometry (no outside artwork)."""
import math
import struct
import sys

W, H = 200, 196


def blend(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


def main(out):
    px = [[blend((236, 244, 250), (196, 218, 236), (x + y) / (W + H)) for x in range(W)] for y in range(H)]

    def dot(x, y, c, a=1.0):
        if 0 <= x < W and 0 <= y < H:
            px[y][x] = blend(px[y][x], c, a)

    def line(x0, y0, x1, y1, c, width=2.0):
        n = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
        for i in range(n + 1):
            t = i / n
            cx, cy = x0 + (x1 - x0) * t, y0 + (y1 - y0) * t
            r = width / 2 + 1
            for yy in range(int(cy - r), int(cy + r) + 1):
                for xx in range(int(cx - r), int(cx + r) + 1):
                    d = math.hypot(xx - cx, yy - cy)
                    if d <= width / 2 + 0.5:
                        dot(xx, yy, c, min(1.0, width / 2 + 0.5 - d + 0.3))

    def node(cx, cy, r, fill, ring):
        for yy in range(cy - r - 2, cy + r + 3):
            for xx in range(cx - r - 2, cx + r + 3):
                d = math.hypot(xx - cx, yy - cy)
                if d <= r - 1.5:
                    shade = 1.0 - 0.35 * ((xx - cx + yy - cy) / (2 * r) + 0.5)
                    dot(xx, yy, blend(fill, (255, 255, 255), max(0.0, 0.5 - shade * 0.5)))
                elif d <= r + 0.5:
                    dot(xx, yy, ring, min(1.0, r + 0.5 - d + 0.4))

    nodes = [(100, 44, 22, (250, 196, 72)), (40, 104, 16, (120, 190, 120)), (160, 100, 18, (110, 160, 230)),
             (70, 160, 14, (230, 120, 110)), (138, 162, 15, (180, 140, 220)), (100, 108, 10, (255, 255, 255))]
    links = [(0, 1), (0, 2), (1, 3), (2, 4), (3, 4), (0, 5), (5, 3), (5, 4)]
    ink = (40, 70, 100)
    for a, b in links:
        line(nodes[a][0], nodes[a][1], nodes[b][0], nodes[b][1], ink, 2.0)
    for cx, cy, r, c in nodes:
        node(cx, cy, r, c, ink)

    row = (W * 3 + 3) & ~3
    data = bytearray()
    for y in range(H - 1, -1, -1):
        for x in range(W):
            r, g, b = px[y][x]
            data += bytes((b, g, r))
        data += b"\0" * (row - W * 3)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(out, "wb") as f:
        f.write(header + info + data)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "data/about.bmp")

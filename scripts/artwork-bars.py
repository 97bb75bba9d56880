#!/usr/bin/env python3
"""Draws the toolbox tool bitmaps, three toolbar faces and two cursors of the window bars.

Everything is drawn here from simple geometry (no outside artwork). Output goes to
src/resources/bars/ as 24-bit BMP and monochrome CUR files, which are committed, so the build
needs neither this script nor python. Run: python3 scripts/artwork-bars.py
"""
import math
import os
import struct

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src", "resources", "bars")

GREY = (192, 192, 192)
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
DARK = (128, 128, 128)
BLUE = (0, 0, 160)
RED = (192, 0, 0)
GREEN = (0, 128, 0)
YELLOW = (255, 255, 0)
BROWN = (128, 64, 0)


class Img:
    def __init__(self, w, h, bg=GREY):
        self.w, self.h = w, h
        self.px = [[bg for _ in range(w)] for _ in range(h)]

    def set(self, x, y, c):
        x, y = int(round(x)), int(round(y))
        if 0 <= x < self.w and 0 <= y < self.h:
            self.px[y][x] = c

    def line(self, x0, y0, x1, y1, c=BLACK, width=1):
        n = int(max(abs(x1 - x0), abs(y1 - y0))) * 2 + 1
        for i in range(n + 1):
            t = i / n
            x, y = x0 + (x1 - x0) * t, y0 + (y1 - y0) * t
            x, y = int(round(x)), int(round(y))
            for dx in range(-(width // 2), width - width // 2):
                for dy in range(-(width // 2), width - width // 2):
                    self.set(x + dx, y + dy, c)

    def polyline(self, pts, c=BLACK, width=1, closed=False):
        seq = pts + [pts[0]] if closed else pts
        for a, b in zip(seq, seq[1:]):
            self.line(a[0], a[1], b[0], b[1], c, width)

    def fill_rect(self, x0, y0, x1, y1, c):
        for y in range(int(y0), int(y1) + 1):
            for x in range(int(x0), int(x1) + 1):
                self.set(x, y, c)

    def rect(self, x0, y0, x1, y1, c=BLACK, fill=None):
        if fill:
            self.fill_rect(x0, y0, x1, y1, fill)
        self.polyline([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], c, closed=True)

    def polygon(self, pts, c=BLACK, fill=None):
        if fill:
            ys = [p[1] for p in pts]
            for y in range(int(min(ys)), int(max(ys)) + 1):
                xs = []
                for (xa, ya), (xb, yb) in zip(pts, pts[1:] + pts[:1]):
                    if (ya <= y < yb) or (yb <= y < ya):
                        xs.append(xa + (y - ya) * (xb - xa) / (yb - ya))
                xs.sort()
                for a, b in zip(xs[0::2], xs[1::2]):
                    for x in range(int(math.ceil(a)), int(math.floor(b)) + 1):
                        self.set(x, y, fill)
        self.polyline(pts, c, closed=True)

    def ellipse(self, cx, cy, rx, ry, c=BLACK, fill=None, a0=0, a1=360):
        if fill:
            for y in range(int(cy - ry), int(cy + ry) + 1):
                for x in range(int(cx - rx), int(cx + rx) + 1):
                    if ((x - cx) / max(rx, 0.5)) ** 2 + ((y - cy) / max(ry, 0.5)) ** 2 <= 1.0:
                        self.set(x, y, fill)
        steps = 120
        pts = []
        for i in range(steps + 1):
            a = math.radians(a0 + (a1 - a0) * i / steps)
            pts.append((cx + rx * math.cos(a), cy - ry * math.sin(a)))
        self.polyline(pts, c)

    def hatch(self, x0, y0, x1, y1, kind, c=BLACK):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                u, v = x - x0, y - y0
                on = {
                    "horz": v % 4 == 0,
                    "vert": u % 4 == 0,
                    "fwd": (u + v) % 4 == 0,
                    "back": (u - v) % 4 == 0,
                    "cross": u % 4 == 0 or v % 4 == 0,
                    "diag": (u + v) % 4 == 0 or (u - v) % 4 == 0,
                }[kind]
                if on:
                    self.set(x, y, c)

    def arrow_head(self, x, y, dx, dy, c=BLACK, size=3):
        n = math.hypot(dx, dy) or 1
        ux, uy = dx / n, dy / n
        px, py = -uy, ux
        self.polygon([(x, y), (x - ux * size + px * size * 0.7, y - uy * size + py * size * 0.7),
                      (x - ux * size - px * size * 0.7, y - uy * size - py * size * 0.7)], c, fill=c)

    def save_bmp(self, path):
        row = (self.w * 3 + 3) & ~3
        data = bytearray()
        for y in range(self.h - 1, -1, -1):
            line = bytearray()
            for x in range(self.w):
                r, g, b = self.px[y][x]
                line += bytes((b, g, r))
            line += b"\0" * (row - len(line))
            data += line
        header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.w, self.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        with open(path, "wb") as f:
            f.write(header + info + data)


W, H = 23, 20  # toolbox cell bitmaps
TOOLS = {}


def tool(bid):
    def deco(fn):
        TOOLS[bid] = fn
        return fn
    return deco


def regular(img, n, cx=11, cy=10, r=8, fill=None):
    pts = [(cx + r * math.sin(2 * math.pi * k / n), cy - r * math.cos(2 * math.pi * k / n)) for k in range(n)]
    img.polygon(pts, BLACK, fill)


# ---- Control buttons.
@tool(11217)
def close(i):
    i.line(6, 5, 16, 15, BLACK, 2)
    i.line(16, 5, 6, 15, BLACK, 2)


@tool(11053)
def toggle(i):
    i.rect(3, 4, 10, 11, BLACK, WHITE)
    i.ellipse(15, 12, 4, 4, BLACK, WHITE)
    i.line(5, 16, 11, 16, BLUE)
    i.arrow_head(12, 16, 1, 0, BLUE)
    i.line(17, 3, 12, 3, BLUE)
    i.arrow_head(11, 3, -1, 0, BLUE)


@tool(11206)
def grabber(i):
    for y in range(3, 18, 3):
        for x in range(5, 18, 3):
            i.set(x, y, WHITE)
            i.set(x + 1, y + 1, DARK)


@tool(11199)
def rotate(i):
    i.ellipse(11, 10, 6, 6, BLUE, None, 30, 300)
    i.arrow_head(16, 7, 1, -2, BLUE, 4)


# ---- Object kinds.
@tool(11070)
def obj_box(i): i.rect(3, 5, 19, 15, BLACK, WHITE)
@tool(11071)
def obj_bar(i): i.rect(2, 8, 20, 12, BLACK, WHITE)
@tool(11069)
def obj_ellipse(i): i.ellipse(11, 10, 9, 6, BLACK, WHITE)
@tool(11067)
def obj_circle(i): i.ellipse(11, 10, 7, 7, BLACK, WHITE)
@tool(11066)
def obj_square(i): i.rect(4, 3, 18, 17, BLACK, WHITE)
@tool(11065)
def obj_diamond(i): i.polygon([(11, 2), (20, 10), (11, 18), (2, 10)], BLACK, WHITE)


def make_poly(n):
    def draw(i):
        regular(i, n, fill=WHITE)
    return draw


for _n, _bid in zip(range(3, 9), (11060, 11059, 11058, 11057, 11056, 11055)):
    TOOLS[_bid] = make_poly(_n)


@tool(11062)
def obj_picture(i):
    i.rect(3, 3, 19, 16, BLACK, (160, 200, 255))
    i.polygon([(4, 15), (9, 8), (13, 13), (15, 10), (18, 15)], GREEN, GREEN)
    i.ellipse(15, 6, 2, 2, YELLOW, YELLOW)


@tool(11061)
def obj_icon(i):
    i.rect(5, 3, 17, 15, BLACK, WHITE)
    i.ellipse(11, 9, 4, 4, RED, RED)
    i.line(5, 18, 17, 18, BLACK)


@tool(11064)
def obj_line1(i):
    i.line(3, 10, 19, 10, BLACK, 2)


@tool(11063)
def obj_line2(i):
    i.line(3, 7, 19, 7, BLACK, 2)
    i.line(3, 13, 19, 13, BLACK, 2)


@tool(11068)
def obj_symbol(i):
    # A sigma-like glyph drawn with lines.
    i.polyline([(16, 4), (6, 4), (12, 10), (6, 16), (16, 16)], BLACK, 2)


@tool(11054)
def unused(i):
    pass


# ---- Link routes: from the lower left object to the upper right one.
def ends(i):
    i.fill_rect(2, 15, 5, 18, BLUE)
    i.fill_rect(17, 1, 20, 4, BLUE)


@tool(11052)
def route_straight(i):
    ends(i)
    i.line(5, 15, 17, 4)


@tool(11045)
def route_double(i):
    ends(i)
    i.line(4, 14, 16, 3)
    i.line(6, 16, 18, 5)


@tool(11042)
def route_vh(i):
    ends(i)
    i.polyline([(3, 15), (3, 2), (17, 2)])


@tool(11041)
def route_hv(i):
    ends(i)
    i.polyline([(5, 17), (19, 17), (19, 4)])


@tool(11051)
def route_vhv(i):
    ends(i)
    i.polyline([(4, 15), (4, 10), (18, 10), (18, 4)])


@tool(11050)
def route_hvh(i):
    ends(i)
    i.polyline([(5, 16), (11, 16), (11, 3), (17, 3)])


def bezier(i, p0, p1, p2, p3, c=BLACK):
    pts = []
    for k in range(21):
        t = k / 20
        a, b, cc, d = (1 - t) ** 3, 3 * t * (1 - t) ** 2, 3 * t * t * (1 - t), t ** 3
        pts.append((a * p0[0] + b * p1[0] + cc * p2[0] + d * p3[0], a * p0[1] + b * p1[1] + cc * p2[1] + d * p3[1]))
    i.polyline(pts, c)


@tool(11049)
def route_curve1(i):
    ends(i)
    bezier(i, (5, 16), (14, 16), (8, 3), (17, 3))


@tool(11048)
def route_curve2(i):
    ends(i)
    bezier(i, (4, 15), (4, 6), (18, 14), (18, 4))


@tool(11047)
def route_arc(i):
    ends(i)
    i.ellipse(18, 16, 14, 13, BLACK, None, 95, 175)


@tool(11046)
def route_taper(i):
    ends(i)
    i.polygon([(4, 14), (7, 17), (18, 4)], BLACK, BLACK)


@tool(11044)
def route_slope_h(i):
    ends(i)
    i.polyline([(5, 15), (11, 3), (17, 3)])


@tool(11043)
def route_h_slope(i):
    ends(i)
    i.polyline([(5, 16), (11, 16), (18, 4)])


# ---- Line weight.
@tool(11038)
def thin(i): i.line(3, 10, 19, 10, BLACK, 1)
@tool(11037)
def thick(i): i.line(3, 10, 19, 10, BLACK, 4)


# ---- Shape kinds.
@tool(11205)
def handle(i):
    i.polygon([(6, 2), (6, 16), (9, 13), (12, 18), (14, 17), (11, 12), (15, 12)], BLACK, WHITE)


@tool(11201)
def sh_rect(i): i.rect(3, 4, 19, 16)


@tool(11200)
def sh_roundrect(i):
    i.polyline([(6, 4), (16, 4)])
    i.polyline([(6, 16), (16, 16)])
    i.polyline([(3, 7), (3, 13)])
    i.polyline([(19, 7), (19, 13)])
    i.ellipse(6, 7, 3, 3, BLACK, None, 90, 180)
    i.ellipse(16, 7, 3, 3, BLACK, None, 0, 90)
    i.ellipse(6, 13, 3, 3, BLACK, None, 180, 270)
    i.ellipse(16, 13, 3, 3, BLACK, None, 270, 360)


@tool(11209)
def sh_ellipse(i): i.ellipse(11, 10, 9, 6)
@tool(11213)
def sh_diamond(i): i.polygon([(11, 2), (20, 10), (11, 18), (2, 10)])
@tool(11195)
def sh_tri1(i): i.polygon([(11, 2), (20, 17), (2, 17)])
@tool(11194)
def sh_tri2(i): i.polygon([(3, 2), (3, 17), (19, 17)])
@tool(11203)
def sh_line(i): i.line(3, 17, 19, 3)


@tool(11222)
def sh_arrow1(i):
    i.line(3, 16, 17, 4)
    i.arrow_head(19, 2, 1, -1, BLACK, 4)


@tool(11221)
def sh_arrow2(i):
    i.line(5, 15, 17, 5)
    i.arrow_head(19, 3, 1, -1, BLACK, 4)
    i.arrow_head(3, 17, -1, 1, BLACK, 4)


@tool(11216)
def sh_corner(i): i.polyline([(3, 3), (3, 17), (19, 17)])
@tool(11219)
def sh_bracket1(i): i.polyline([(14, 2), (8, 2), (8, 18), (14, 18)])
@tool(11218)
def sh_bracket2(i): i.polyline([(8, 2), (14, 2), (14, 18), (8, 18)])
@tool(11223)
def sh_arc1(i): i.ellipse(11, 16, 9, 12, BLACK, None, 0, 180)
@tool(11224)
def sh_arc2(i): i.ellipse(11, 4, 9, 12, BLACK, None, 180, 360)


@tool(11198)
def sh_semi1(i):
    i.ellipse(11, 15, 9, 11, BLACK, None, 0, 180)
    i.line(2, 15, 20, 15)


@tool(11197)
def sh_semi2(i):
    i.ellipse(11, 5, 9, 11, BLACK, None, 180, 360)
    i.line(2, 5, 20, 5)


@tool(11211)
def sh_elline1(i): i.ellipse(20, 18, 17, 15, BLACK, None, 90, 180)
@tool(11210)
def sh_elline2(i): i.ellipse(2, 18, 17, 15, BLACK, None, 0, 90)


@tool(11212)
def sh_point(i):
    for x, y in ((5, 14), (9, 8), (13, 12), (17, 5)):
        i.fill_rect(x - 1, y - 1, x + 1, y + 1, BLACK)


@tool(11208)
def sh_eraser(i):
    i.polygon([(4, 14), (12, 4), (19, 9), (11, 18)], BLACK, (255, 200, 200))
    i.line(8, 9, 15, 14)


# ---- Fill styles.
def fill_box(i, kind=None, solid=False):
    if solid:
        i.fill_rect(3, 3, 19, 16, BLACK)
    elif kind:
        i.hatch(4, 4, 18, 15, kind)
    i.rect(3, 3, 19, 16)


@tool(11202)
def f_outline(i): fill_box(i)
@tool(11196)
def f_solid(i): fill_box(i, solid=True)
@tool(11204)
def f_horz(i): fill_box(i, "horz")
@tool(11169)
def f_vert(i): fill_box(i, "vert")
@tool(11220)
def f_back(i): fill_box(i, "back")
@tool(11207)
def f_fwd(i): fill_box(i, "fwd")
@tool(11215)
def f_cross(i): fill_box(i, "cross")
@tool(11214)
def f_diag(i): fill_box(i, "diag")


# ---- Point styles.
@tool(11072)
def p_dots(i):
    for x, y in ((7, 6), (15, 6), (7, 14), (15, 14)):
        i.fill_rect(x - 1, y - 1, x, y, BLACK)


@tool(11078)
def p_dot(i): i.fill_rect(10, 9, 12, 11, BLACK)


@tool(11077)
def p_cross(i):
    i.line(11, 4, 11, 16, BLACK, 2)
    i.line(5, 10, 17, 10, BLACK, 2)


@tool(11076)
def p_xcross(i):
    i.line(6, 5, 16, 15, BLACK, 2)
    i.line(16, 5, 6, 15, BLACK, 2)


@tool(11074)
def p_square(i): i.rect(6, 5, 16, 15)
@tool(11075)
def p_circle(i): i.ellipse(11, 10, 5, 5)
@tool(11073)
def p_triangle(i): i.polygon([(11, 4), (17, 15), (5, 15)])


# ---- Toolbar faces (28 x 28).
def face_save():
    i = Img(28, 28)
    i.rect(4, 4, 23, 23, BLACK, BLUE)
    i.rect(8, 4, 19, 11, BLACK, WHITE)
    i.fill_rect(15, 5, 17, 10, DARK)
    i.rect(7, 15, 20, 23, BLACK, (220, 220, 220))
    return i


def face_home():
    i = Img(28, 28)
    i.polygon([(14, 3), (25, 13), (3, 13)], BLACK, RED)
    i.rect(6, 13, 21, 24, BLACK, (240, 220, 160))
    i.rect(12, 17, 16, 24, BLACK, BROWN)
    return i


def face_forward():
    i = Img(28, 28)
    i.polygon([(4, 10), (14, 10), (14, 4), (24, 14), (14, 24), (14, 18), (4, 18)], BLACK, GREEN)
    return i


# ---- Cursors (32 x 32 monochrome).
def save_cur(path, rows, hot):
    """rows: 32 strings of 32 chars: 'X' black, '.' white, ' ' transparent."""
    xor = bytearray()
    andm = bytearray()
    for r in reversed(rows):
        xb = ab = 0
        xbytes, abytes = bytearray(), bytearray()
        for k, ch in enumerate(r.ljust(32)):
            bit = 7 - (k % 8)
            if ch == '.':
                xb |= 1 << bit
            if ch == ' ':
                ab |= 1 << bit
            if k % 8 == 7:
                xbytes.append(xb)
                abytes.append(ab)
                xb = ab = 0
        xor += xbytes
        andm += abytes
    info = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 1, 0, len(xor) + len(andm), 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    image = info + palette + xor + andm
    header = struct.pack("<HHH", 0, 2, 1)
    entry = struct.pack("<BBBBHHII", 32, 32, 0, 0, hot[0], hot[1], len(image), 6 + 16)
    with open(path, "wb") as f:
        f.write(header + entry + image)


def cursor_rows(draw):
    grid = [[' '] * 32 for _ in range(32)]
    draw(grid)
    return [''.join(r) for r in grid]


def move_cursor(g):
    # A four-way arrow: white body with a black outline.
    body = set()
    for k in range(-7, 8):
        for w in (-1, 0, 1):
            body.add((15 + k, 15 + w))
            body.add((15 + w, 15 + k))
    for s in range(4):
        for d in range(-s, s + 1):
            for (cx, cy, dx, dy) in ((15, 5, 0, 1), (15, 25, 0, -1), (5, 15, 1, 0), (25, 15, -1, 0)):
                x, y = cx + dx * s + (d if dy else 0), cy + dy * s + (d if dx else 0)
                body.add((x, y))
    for (x, y) in body:
        for ax in (-1, 0, 1):
            for ay in (-1, 0, 1):
                if (x + ax, y + ay) not in body and 0 <= x + ax < 32 and 0 <= y + ay < 32:
                    g[y + ay][x + ax] = 'X'
    for (x, y) in body:
        g[y][x] = '.'


def place_cursor(g):
    # An arrow with a small box beside it: "drop the tool here".
    arrow = ["X", "XX", "X.X", "X..X", "X...X", "X....X", "X.....X", "X......X", "X.......X", "X........X",
             "X.....XXXX", "X..X..X", "X.X X..X", "XX  X..X", "X    X..X", "     X..X", "      XX"]
    for y, r in enumerate(arrow):
        for x, ch in enumerate(r):
            if ch != ' ':
                g[y][x] = ch
    for y in range(18, 28):
        for x in range(14, 28):
            g[y][x] = 'X' if y in (18, 27) or x in (14, 27) else '.'


def main():
    os.makedirs(OUT, exist_ok=True)
    for bid, fn in sorted(TOOLS.items()):
        img = Img(W, H)
        fn(img)
        img.save_bmp(os.path.join(OUT, "tool%d.bmp" % bid))
    for bid, fn in ((11174, face_save), (11177, face_home), (11180, face_forward)):
        fn().save_bmp(os.path.join(OUT, "face%d.bmp" % bid))
    save_cur(os.path.join(OUT, "cur11229.cur"), cursor_rows(move_cursor), (15, 15))
    save_cur(os.path.join(OUT, "cur11227.cur"), cursor_rows(place_cursor), (0, 0))
    print("%d tool bitmaps, 3 faces, 2 cursors in %s" % (len(TOOLS), os.path.normpath(OUT)))


if __name__ == "__main__":
    main()

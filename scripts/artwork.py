#!/usr/bin/env python3
"""Draws the icon bitmaps of the program (28 x 28, 24-bit BMP) and writes their resource script.

Every picture is drawn here from simple figures, so the artwork is our own. Run from the
repository root: python3 scripts/artwork.py. Output: src/resources/elements_bmp/<id>.bmp and
src/resources/elements_icons.rc. The generated files are committed; the build does not run this.
"""
import math
import os
import struct

N = 28
SS = 4  # supersampling per axis

ROWS = [
    (201, 11156, 17), (202, 11127, 17), (203, 11145, 33), (204, 11117, 1), (212, 11122, 1), (216, 11157, 1),
    (214, 11124, 1), (223, 11090, 1), (225, 11039, 41), (205, 11151, 33), (206, 11091, 1), (207, 11179, 1),
    (208, 11178, 1), (209, 11102, 1), (210, 11110, 1), (211, 11152, 1), (213, 11130, 1), (215, 11172, 1),
    (217, 11097, 17), (218, 11113, 1), (219, 11112, 1), (220, 11148, 1), (221, 11187, 1), (222, 11100, 1),
    (224, 11040, 33), (225, 11029, 1), (226, 11025, 3), (227, 11024, 3), (251, 11147, 3), (252, 11109, 3),
    (267, 11085, 3), (253, 11134, 3), (254, 11133, 3), (258, 11116, 3), (259, 11081, 3), (255, 11135, 3),
    (256, 11131, 3), (265, 11088, 3), (260, 11192, 3), (261, 11188, 3), (262, 11181, 3), (263, 11168, 3),
    (264, 11183, 3), (266, 11191, 3), (268, 11185, 3), (269, 11175, 3), (270, 11035, 3), (271, 11032, 3),
    (272, 11028, 3), (301, 11161, 4), (302, 11165, 4), (303, 11164, 4), (304, 11162, 4), (305, 11160, 4),
    (306, 11163, 4), (308, 11166, 4), (309, 11171, 4), (310, 11170, 4), (311, 11138, 4), (314, 11132, 36),
    (312, 11193, 4), (313, 11176, 36), (351, 11182, 9), (353, 11114, 9), (354, 11105, 8), (355, 11125, 8),
    (356, 11119, 8), (357, 11149, 9), (358, 11139, 9), (359, 11095, 9), (360, 11108, 9), (361, 11155, 9),
    (363, 11034, 9), (362, 11144, 9), (401, 11086, 16), (402, 11123, 16), (418, 11023, 16), (403, 11111, 16),
    (404, 11121, 17), (407, 11104, 16), (408, 11093, 16), (415, 11146, 25), (406, 11101, 16), (416, 11079, 16),
    (405, 11137, 17), (419, 11022, 17), (420, 11021, 17), (421, 11020, 17), (422, 11019, 17), (423, 11018, 17),
    (409, 11087, 17), (410, 11107, 17), (411, 11084, 17), (412, 11129, 17), (413, 11159, 17), (414, 11158, 17),
    (417, 11033, 16), (901, 11128, 0), (928, 11184, 0), (918, 11092, 0), (902, 11143, 0), (903, 11154, 0),
    (904, 11153, 0), (905, 11082, 0), (906, 11115, 0), (907, 11099, 3), (929, 11031, 33), (908, 11126, 1),
    (909, 11094, 1), (910, 11142, 0), (924, 11141, 1), (911, 11098, 0), (912, 11120, 0), (927, 11036, 0),
    (913, 11089, 0), (914, 11083, 1), (926, 11186, 1), (915, 11118, 5), (925, 11080, 5), (916, 11106, 1),
    (922, 11150, 0), (917, 11096, 0), (920, 11167, 0), (923, 11103, 0), (919, 11173, 9), (921, 11136, 1),
    (930, 11027, 0), (931, 11026, 0),
]

WHITE, BLACK = (255, 255, 255), (0, 0, 0)
GREY, LGREY, DGREY = (128, 128, 128), (200, 200, 200), (64, 64, 64)
RED, GREEN, BLUE = (210, 30, 30), (30, 150, 50), (40, 80, 200)
YELLOW, ORANGE, PURPLE = (245, 200, 30), (240, 130, 20), (130, 60, 170)
TEAL, BROWN, SKIN, NAVY = (20, 150, 150), (130, 80, 40), (240, 195, 150), (20, 30, 110)
PALETTE = [RED, GREEN, BLUE, ORANGE, PURPLE, TEAL, BROWN, NAVY, YELLOW]

# 5 x 7 glyphs for the letters and digits the pictures use.
FONT = {
    '?': ["01110", "10001", "00001", "00010", "00100", "00000", "00100"],
    '!': ["00100", "00100", "00100", "00100", "00100", "00000", "00100"],
    'i': ["00100", "00000", "01100", "00100", "00100", "00100", "01110"],
    'A': ["01110", "10001", "10001", "11111", "10001", "10001", "10001"],
    'B': ["11110", "10001", "10001", "11110", "10001", "10001", "11110"],
    'C': ["01110", "10001", "10000", "10000", "10000", "10001", "01110"],
    'D': ["11110", "10001", "10001", "10001", "10001", "10001", "11110"],
    'E': ["11111", "10000", "10000", "11110", "10000", "10000", "11111"],
    'G': ["01110", "10001", "10000", "10111", "10001", "10001", "01111"],
    'I': ["01110", "00100", "00100", "00100", "00100", "00100", "01110"],
    'K': ["10001", "10010", "10100", "11000", "10100", "10010", "10001"],
    'N': ["10001", "11001", "10101", "10011", "10001", "10001", "10001"],
    'O': ["01110", "10001", "10001", "10001", "10001", "10001", "01110"],
    'P': ["11110", "10001", "10001", "11110", "10000", "10000", "10000"],
    'S': ["01111", "10000", "10000", "01110", "00001", "00001", "11110"],
    'T': ["11111", "00100", "00100", "00100", "00100", "00100", "00100"],
    'X': ["10001", "10001", "01010", "00100", "01010", "10001", "10001"],
    'Y': ["10001", "10001", "01010", "00100", "00100", "00100", "00100"],
    '%': ["11001", "11010", "00010", "00100", "01000", "01011", "10011"],
    '$': ["00100", "01111", "10100", "01110", "00101", "11110", "00100"],
    '+': ["00000", "00100", "00100", "11111", "00100", "00100", "00000"],
    '=': ["00000", "00000", "11111", "00000", "11111", "00000", "00000"],
    '1': ["00100", "01100", "00100", "00100", "00100", "00100", "01110"],
    '2': ["01110", "10001", "00001", "00010", "00100", "01000", "11111"],
    '3': ["11110", "00001", "00001", "01110", "00001", "00001", "11110"],
    '0': ["01110", "10001", "10011", "10101", "11001", "10001", "01110"],
}


class Pic:
    def __init__(self, bg=WHITE):
        self.px = [[bg] * N for _ in range(N)]

    def _cover(self, inside, box):
        """Blends colour into pixels by the share of sub-samples `inside(x, y)` accepts."""
        x0, y0, x1, y1 = box
        for py in range(max(0, int(y0) - 1), min(N, int(math.ceil(y1)) + 1)):
            for px in range(max(0, int(x0) - 1), min(N, int(math.ceil(x1)) + 1)):
                hit = 0
                for sy in range(SS):
                    for sx in range(SS):
                        if inside(px + (sx + 0.5) / SS, py + (sy + 0.5) / SS):
                            hit += 1
                if hit:
                    yield px, py, hit / (SS * SS)

    def paint(self, inside, box, col):
        for px, py, a in list(self._cover(inside, box)):
            o = self.px[py][px]
            self.px[py][px] = tuple(round(o[i] * (1 - a) + col[i] * a) for i in range(3))

    def rect(self, x0, y0, x1, y1, col):
        self.paint(lambda x, y: x0 <= x < x1 and y0 <= y < y1, (x0, y0, x1, y1), col)

    def frame(self, x0, y0, x1, y1, col, w=1):
        self.rect(x0, y0, x1, y0 + w, col)
        self.rect(x0, y1 - w, x1, y1, col)
        self.rect(x0, y0, x0 + w, y1, col)
        self.rect(x1 - w, y0, x1, y1, col)

    def ellipse(self, cx, cy, rx, ry, col):
        self.paint(lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1,
                   (cx - rx, cy - ry, cx + rx, cy + ry), col)

    def ring(self, cx, cy, r, w, col):
        self.paint(lambda x, y: r - w <= math.hypot(x - cx, y - cy) <= r,
                   (cx - r, cy - r, cx + r, cy + r), col)

    def line(self, x0, y0, x1, y1, col, w=1.6):
        dx, dy = x1 - x0, y1 - y0
        ll = dx * dx + dy * dy or 1

        def inside(x, y):
            t = max(0, min(1, ((x - x0) * dx + (y - y0) * dy) / ll))
            return math.hypot(x - x0 - t * dx, y - y0 - t * dy) <= w / 2
        self.paint(inside, (min(x0, x1) - w, min(y0, y1) - w, max(x0, x1) + w, max(y0, y1) + w), col)

    def poly(self, pts, col):
        def inside(x, y):
            c = False
            j = len(pts) - 1
            for i in range(len(pts)):
                xi, yi = pts[i]
                xj, yj = pts[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    c = not c
                j = i
            return c
        xs, ys = [p[0] for p in pts], [p[1] for p in pts]
        self.paint(inside, (min(xs), min(ys), max(xs), max(ys)), col)

    def glyph(self, ch, x, y, col, scale=1):
        for r, row in enumerate(FONT[ch]):
            for c, bit in enumerate(row):
                if bit == '1':
                    self.rect(x + c * scale, y + r * scale, x + (c + 1) * scale, y + (r + 1) * scale, col)

    def text(self, s, x, y, col, scale=1):
        for i, ch in enumerate(s):
            self.glyph(ch, x + i * 6 * scale, y, col, scale)

    def save(self, path):
        row = N * 3
        pad = (4 - row % 4) % 4
        data = b''.join(bytes(c for p in self.px[y] for c in (p[2], p[1], p[0])) + b'\0' * pad
                        for y in range(N - 1, -1, -1))
        head = struct.pack('<2sIHHI', b'BM', 54 + len(data), 0, 0, 54)
        info = struct.pack('<IiiHHIIiiII', 40, N, N, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        with open(path, 'wb') as f:
            f.write(head + info + data)


# ---- figures -------------------------------------------------------------------------------

def arrow(p, angle, col, length=20, w=3.2):
    """A straight arrow through the centre pointing at `angle` degrees (0 = right, 90 = up)."""
    a = math.radians(angle)
    ux, uy = math.cos(a), -math.sin(a)
    cx, cy = 14, 14
    tx, ty = cx + ux * length / 2, cy + uy * length / 2
    sx, sy = cx - ux * length / 2, cy - uy * length / 2
    p.line(sx, sy, tx - ux * 4, ty - uy * 4, col, w)
    nx, ny = -uy, ux
    p.poly([(tx, ty), (tx - ux * 8 + nx * 6, ty - uy * 8 + ny * 6), (tx - ux * 8 - nx * 6, ty - uy * 8 - ny * 6)], col)


def curved_arrow(p, col, flip=False):
    pts = []
    for i in range(0, 181, 10):
        a = math.radians(i if not flip else 180 - i)
        pts.append((14 + 9 * math.cos(a), 17 - 9 * math.sin(a)))
    for (x0, y0), (x1, y1) in zip(pts, pts[1:-2]):
        p.line(x0, y0, x1, y1, col, 3)
    ex, ey = pts[-3]
    d = -1 if not flip else 1
    p.poly([(ex - 5, ey - 1), (ex + 5, ey - 1), (ex, ey + 6)], col)
    return d


def document(p, col=WHITE, lines=4):
    p.rect(6, 3, 22, 25, col)
    p.frame(6, 3, 22, 25, DGREY)
    for i in range(lines):
        p.rect(9, 7 + i * 4, 19 if i % 2 else 17, 8 + i * 4, GREY)


def person(p, cx, cy, body, scale=1.0, head=SKIN):
    s = scale
    p.ellipse(cx, cy - 6 * s, 3.6 * s, 3.6 * s, head)
    p.ring(cx, cy - 6 * s, 3.6 * s, 0.8, DGREY)
    p.poly([(cx - 6 * s, cy + 10 * s), (cx - 5 * s, cy - 1 * s), (cx + 5 * s, cy - 1 * s), (cx + 6 * s, cy + 10 * s)], body)


def monitor(p, screen=BLUE):
    p.rect(4, 4, 24, 19, DGREY)
    p.rect(6, 6, 22, 17, screen)
    p.rect(12, 19, 16, 22, GREY)
    p.rect(8, 22, 20, 24, DGREY)


def bars(p, values, cols):
    p.line(4, 24, 25, 24, BLACK, 1.2)
    p.line(4, 3, 4, 24, BLACK, 1.2)
    w = 19 / len(values)
    for i, v in enumerate(values):
        x = 6 + i * w
        p.rect(x, 24 - v, x + w - 1.5, 24, cols[i % len(cols)])


def pie(p, shares, cols):
    start = 90.0
    total = sum(shares)
    for i, s in enumerate(shares):
        a0, a1 = start, start + 360 * s / total
        pts = [(14, 14)] + [(14 + 11 * math.cos(math.radians(a)), 14 - 11 * math.sin(math.radians(a)))
                            for a in [a0 + (a1 - a0) * k / 12 for k in range(13)]]
        p.poly(pts, cols[i % len(cols)])
        start = a1
    p.ring(14, 14, 11, 0.9, DGREY)


def line_chart(p, ys, col, fill=False):
    p.line(4, 24, 25, 24, BLACK, 1.2)
    p.line(4, 3, 4, 24, BLACK, 1.2)
    xs = [6 + i * 18 / (len(ys) - 1) for i in range(len(ys))]
    pts = [(x, 24 - y) for x, y in zip(xs, ys)]
    if fill:
        p.poly(pts + [(xs[-1], 24), (xs[0], 24)], col)
    else:
        for a, b in zip(pts, pts[1:]):
            p.line(a[0], a[1], b[0], b[1], col, 2)


def scatter(p, pts, col):
    p.line(4, 24, 25, 24, BLACK, 1.2)
    p.line(4, 3, 4, 24, BLACK, 1.2)
    for x, y in pts:
        p.ellipse(x, y, 1.6, 1.6, col)


def star(p, cx, cy, r, col, n=5):
    pts = []
    for i in range(2 * n):
        a = math.pi / 2 + i * math.pi / n
        rr = r if i % 2 == 0 else r * 0.45
        pts.append((cx + rr * math.cos(a), cy - rr * math.sin(a)))
    p.poly(pts, col)


# ---- the pictures, by icon number ----------------------------------------------------------

def special(n, p):
    """Pictures whose content is known: live icons and the ones that double as toolbar faces."""
    if n == 201:  # idea generator: a lamp
        p.ellipse(14, 11, 8, 8, YELLOW)
        p.ring(14, 11, 8, 1, ORANGE)
        p.rect(11, 18, 17, 24, GREY)
        p.line(11, 20, 17, 20, DGREY, 1)
        p.line(11, 22, 17, 22, DGREY, 1)
        for a in (30, 90, 150):
            r = math.radians(a)
            p.line(14 + 10 * math.cos(r), 11 - 10 * math.sin(r), 14 + 13 * math.cos(r), 11 - 13 * math.sin(r), ORANGE, 1.4)
    elif n == 203:  # clock face; the hands are painted live
        p.ellipse(14, 14, 12, 12, WHITE)
        p.ring(14, 14, 12.5, 1.6, NAVY)
        for h in range(12):
            a = math.radians(h * 30)
            r0 = 9 if h % 3 else 8
            p.line(14 + r0 * math.sin(a), 14 - r0 * math.cos(a), 14 + 10.5 * math.sin(a), 14 - 10.5 * math.cos(a), DGREY, 1.2)
        p.ellipse(14, 14, 1.2, 1.2, BLACK)
    elif n == 205:  # calendar page; the day number is painted live in the middle
        p.rect(3, 4, 25, 26, WHITE)
        p.frame(3, 4, 25, 26, DGREY)
        p.rect(3, 4, 25, 8, RED)
        p.rect(8, 2, 10, 6, DGREY)
        p.rect(18, 2, 20, 6, DGREY)
    elif n == 224:  # gauge: a scale from left to right; the needle is painted live
        p.rect(2, 6, 26, 22, WHITE)
        p.frame(2, 6, 26, 22, DGREY)
        p.rect(3, 11, 10, 17, (120, 200, 120))
        p.rect(10, 11, 18, 17, (250, 220, 90))
        p.rect(18, 11, 25, 17, (240, 120, 110))
        for i in range(9):
            x = 3 + i * 22 / 8
            p.line(x, 8, x, 10, BLACK, 1)
    elif n == 929:  # traffic light housing; the lit lamp is painted live
        p.rect(9, 1, 19, 27, DGREY)
        for y in (7, 14, 21):
            p.ellipse(14, y, 3.4, 3.4, (40, 40, 40))
    elif n == 207:  # questions
        p.glyph('?', 6, 4, BLUE, 3)
    elif n == 208:  # help
        p.ellipse(14, 14, 12, 12, BLUE)
        p.glyph('?', 9, 7, WHITE, 2)
    elif n == 215:  # analyze: magnifier
        p.ring(11, 11, 8, 2.4, NAVY)
        p.ellipse(11, 11, 5.6, 5.6, (200, 230, 255))
        p.line(17, 17, 25, 25, BROWN, 4)
    elif n == 221:  # checklist
        document(p, WHITE, 0)
        for i in range(4):
            y = 7 + i * 4.5
            p.line(8, y + 1, 9.5, y + 2.5, GREEN, 1.3)
            p.line(9.5, y + 2.5, 12, y - 0.5, GREEN, 1.3)
            p.rect(13, y + 0.5, 20, y + 1.5, GREY)
    elif n == 259:  # connect A-B
        p.text('A', 1, 3, NAVY)
        p.text('B', 22, 18, NAVY)
        p.line(7, 8, 21, 20, RED, 2)
    elif n == 268:  # copy
        p.rect(3, 3, 15, 18, WHITE); p.frame(3, 3, 15, 18, DGREY)
        p.rect(12, 10, 24, 25, WHITE); p.frame(12, 10, 24, 25, DGREY)
        for i in range(3):
            p.rect(14, 14 + i * 3, 22, 15 + i * 3, GREY)
    elif n == 269:  # paste: clipboard
        p.rect(5, 5, 23, 26, BROWN)
        p.rect(8, 8, 20, 24, WHITE)
        p.rect(10, 3, 18, 7, GREY)
        for i in range(3):
            p.rect(10, 12 + i * 3.5, 18, 13 + i * 3.5, GREY)
    elif n == 309:  # fit
        p.frame(3, 3, 25, 25, DGREY)
        for a in (45, 135, 225, 315):
            r = math.radians(a)
            p.line(14 + 3 * math.cos(r), 14 - 3 * math.sin(r), 14 + 9 * math.cos(r), 14 - 9 * math.sin(r), BLUE, 2)
    elif n == 310:  # centralize
        p.ring(14, 14, 11, 1.5, BLUE)
        p.ring(14, 14, 6, 1.5, BLUE)
        p.ellipse(14, 14, 2, 2, RED)
    elif n == 312:  # back
        arrow(p, 180, BLUE)
    elif n == 915:  # undo
        curved_arrow(p, NAVY, flip=True)
    elif n == 925:  # redo
        curved_arrow(p, NAVY)
    elif n == 918:  # toolbox
        p.rect(3, 11, 25, 24, RED)
        p.rect(3, 11, 25, 13, (150, 20, 20))
        p.frame(10, 7, 18, 11, DGREY, 1.5)
        p.rect(12, 16, 16, 18, LGREY)
    elif n == 919:  # compute: calculator
        p.rect(6, 2, 22, 26, DGREY)
        p.rect(8, 4, 20, 9, (190, 220, 190))
        for r in range(3):
            for c in range(3):
                p.rect(8 + c * 4.3, 11 + r * 4.8, 11 + c * 4.3, 14 + r * 4.8, LGREY)
    elif n == 926:  # close
        p.line(6, 6, 22, 22, RED, 4)
        p.line(22, 6, 6, 22, RED, 4)
    elif n == 928:  # cut: scissors
        p.ring(8, 21, 4, 1.6, RED)
        p.ring(20, 21, 4, 1.6, RED)
        p.line(10, 18, 19, 3, GREY, 2)
        p.line(18, 18, 9, 3, GREY, 2)
    else:
        return False
    return True


INFO_GLYPHS = ['i', '!', '?', '%', '$', '+', '=', 'I', 'K', 'N', 'O', 'T', 'S', 'E', 'D', 'P', 'G', 'C', 'X', 'Y']


def information(n, p, k):
    kind = k % 6
    col = PALETTE[k % len(PALETTE)]
    g = INFO_GLYPHS[k % len(INFO_GLYPHS)]
    if kind == 0:
        p.ellipse(14, 14, 12, 12, col)
        p.glyph(g, 9, 7, WHITE, 2)
    elif kind == 1:
        document(p)
        p.glyph(g, 15, 15, col, 1)
    elif kind == 2:
        p.poly([(14, 2), (26, 25), (2, 25)], col)
        p.glyph(g, 9, 9, WHITE, 2) if g in '!?i' else p.glyph(g, 12, 12, WHITE, 1)
    elif kind == 3:
        p.rect(3, 3, 25, 25, col)
        p.glyph(g, 9, 7, WHITE, 2)
    elif kind == 4:  # book
        p.rect(3, 4, 25, 25, col)
        p.rect(5, 6, 23, 23, WHITE)
        p.line(14, 6, 14, 23, col, 1.4)
        for i in range(3):
            p.rect(7, 9 + i * 4, 12, 10 + i * 4, GREY)
        p.glyph(g, 16, 11, col, 1)
    else:  # flag or star
        if k % 2:
            star(p, 14, 15, 12, col)
        else:
            p.rect(6, 3, 8, 26, BROWN)
            p.poly([(8, 4), (24, 8), (8, 14)], col)


def chart(n, p, k):
    cols = [PALETTE[(k + i) % len(PALETTE)] for i in range(4)]
    kind = k % 5
    vals = [(k * 7 + i * 11) % 17 + 3 for i in range(4)]
    if kind == 0:
        bars(p, vals, cols)
    elif kind == 1:
        pie(p, [v + 2 for v in vals[:3]], cols)
    elif kind == 2:
        line_chart(p, [v for v in vals] + [(vals[0] + vals[3]) % 19 + 2], cols[0])
    elif kind == 3:
        scatter(p, [(7 + i * 3.4, 22 - ((k * 5 + i * 7) % 17)) for i in range(6)], cols[1])
    else:
        line_chart(p, vals, cols[2], fill=True)


def arrows(n, p, k):
    col = PALETTE[k % len(PALETTE)]
    if k % 4 == 3:
        arrow(p, (k * 45) % 360, col, 18)
        arrow(p, (k * 45 + 180) % 360, col, 18)
    elif k % 5 == 4:
        curved_arrow(p, col, flip=bool(k % 2))
    else:
        arrow(p, (k * 45) % 360, col)


def computer(n, p, k):
    kind = k % 7
    col = PALETTE[k % len(PALETTE)]
    if kind == 0:
        monitor(p, col)
    elif kind == 1:  # keyboard
        p.rect(2, 9, 26, 20, DGREY)
        for r in range(3):
            for c in range(6):
                p.rect(3.5 + c * 3.8, 10.5 + r * 3, 6 + c * 3.8, 12.5 + r * 3, LGREY)
    elif kind == 2:  # diskette
        p.rect(4, 4, 24, 24, col)
        p.rect(9, 4, 19, 11, LGREY)
        p.rect(7, 15, 21, 24, WHITE)
    elif kind == 3:  # printer
        p.rect(8, 3, 20, 12, WHITE); p.frame(8, 3, 20, 12, DGREY)
        p.rect(3, 11, 25, 21, GREY)
        p.rect(7, 18, 21, 26, WHITE); p.frame(7, 18, 21, 26, DGREY)
        p.ellipse(22, 14, 1, 1, GREEN)
    elif kind == 4:  # tower
        p.rect(8, 2, 20, 26, LGREY); p.frame(8, 2, 20, 26, DGREY)
        p.rect(10, 5, 18, 7, DGREY); p.rect(10, 9, 18, 11, DGREY)
        p.ellipse(14, 21, 1.5, 1.5, col)
    elif kind == 5:  # network
        for x, y in ((6, 6), (22, 6), (14, 22)):
            p.rect(x - 4, y - 3, x + 4, y + 3, col)
        p.line(6, 6, 22, 6, DGREY, 1.2); p.line(6, 6, 14, 22, DGREY, 1.2); p.line(22, 6, 14, 22, DGREY, 1.2)
    else:  # mouse
        p.ellipse(14, 15, 7, 10, LGREY)
        p.ring(14, 15, 7.5, 1, DGREY)
        p.line(14, 5, 14, 12, DGREY, 1)
        p.line(14, 5, 16, 1, col, 1.5)


def people(n, p, k):
    kind = k % 5
    col = PALETTE[k % len(PALETTE)]
    if kind == 0:
        person(p, 14, 13, col, 1.1)
    elif kind == 1:
        person(p, 9, 14, col, 0.8)
        person(p, 19, 14, PALETTE[(k + 3) % len(PALETTE)], 0.8)
    elif kind == 2:
        person(p, 7, 16, col, 0.6)
        person(p, 21, 16, col, 0.6)
        person(p, 14, 13, PALETTE[(k + 2) % len(PALETTE)], 0.8)
    elif kind == 3:  # face
        p.ellipse(14, 14, 11, 11, YELLOW)
        p.ellipse(10, 11, 1.5, 1.8, BLACK)
        p.ellipse(18, 11, 1.5, 1.8, BLACK)
        mood = (k // 5) % 3
        if mood == 0:
            for i in range(9):
                a = math.radians(200 + i * 17.5)
                p.ellipse(14 + 6 * math.cos(a), 15 - 6 * math.sin(a), 0.9, 0.9, BLACK)
        elif mood == 1:
            p.line(9, 19, 19, 19, BLACK, 1.5)
        else:
            for i in range(9):
                a = math.radians(20 + i * 17.5)
                p.ellipse(14 + 6 * math.cos(a), 23 - 6 * math.sin(a), 0.9, 0.9, BLACK)
    else:  # person at a board
        p.rect(12, 3, 26, 14, WHITE); p.frame(12, 3, 26, 14, DGREY)
        p.line(14, 11, 17, 7, col, 1.2); p.line(17, 7, 20, 9, col, 1.2); p.line(20, 9, 24, 5, col, 1.2)
        person(p, 7, 16, col, 0.8)


def misc(n, p, k):
    kind = k % 12
    col = PALETTE[k % len(PALETTE)]
    if kind == 0:  # house
        p.poly([(14, 3), (26, 13), (2, 13)], RED)
        p.rect(5, 13, 23, 25, col)
        p.rect(12, 17, 16, 25, BROWN)
    elif kind == 1:  # tree
        p.rect(12, 17, 16, 26, BROWN)
        p.ellipse(14, 11, 9, 9, GREEN)
    elif kind == 2:  # sun
        p.ellipse(14, 14, 6, 6, YELLOW)
        for i in range(8):
            a = math.radians(i * 45)
            p.line(14 + 8 * math.cos(a), 14 + 8 * math.sin(a), 14 + 12 * math.cos(a), 14 + 12 * math.sin(a), ORANGE, 1.6)
    elif kind == 3:  # heart
        p.ellipse(9.5, 10, 5.5, 5.5, RED)
        p.ellipse(18.5, 10, 5.5, 5.5, RED)
        p.poly([(4.2, 12), (23.8, 12), (14, 25)], RED)
    elif kind == 4:  # key
        p.ring(8, 14, 5, 2, ORANGE)
        p.line(13, 14, 25, 14, ORANGE, 2.4)
        p.line(21, 14, 21, 19, ORANGE, 2)
        p.line(24, 14, 24, 18, ORANGE, 2)
    elif kind == 5:  # lock
        p.ring(14, 11, 6, 2, GREY)
        p.rect(6, 12, 22, 25, col)
        p.ellipse(14, 18, 1.8, 1.8, BLACK)
    elif kind == 6:  # bell
        p.poly([(14, 3), (21, 9), (22, 20), (25, 22), (3, 22), (6, 20), (7, 9)], YELLOW)
        p.ellipse(14, 24, 2.5, 2.5, ORANGE)
    elif kind == 7:  # envelope
        p.rect(3, 7, 25, 22, WHITE); p.frame(3, 7, 25, 22, DGREY)
        p.line(3, 7, 14, 16, DGREY, 1.2); p.line(25, 7, 14, 16, DGREY, 1.2)
    elif kind == 8:  # moon
        p.ellipse(14, 14, 11, 11, YELLOW)
        p.ellipse(19, 11, 9, 9, WHITE)
    elif kind == 9:  # gear
        for i in range(8):
            a = math.radians(i * 45)
            p.line(14 + 6 * math.cos(a), 14 + 6 * math.sin(a), 14 + 11 * math.cos(a), 14 + 11 * math.sin(a), col, 4)
        p.ellipse(14, 14, 8, 8, col)
        p.ellipse(14, 14, 3, 3, WHITE)
    elif kind == 10:  # telephone
        p.rect(5, 12, 23, 24, col)
        p.rect(3, 7, 25, 11, col)
        p.ring(14, 18, 4, 1.2, WHITE)
    else:  # puzzle piece
        p.rect(5, 8, 21, 24, col)
        p.ellipse(13, 7, 3.5, 3.5, col)
        p.ellipse(22, 16, 3.5, 3.5, col)


def draw(n, cats, k):
    p = Pic()
    if special(n, p):
        return p
    if cats & 2:
        chart(n, p, k)
    elif cats & 16:
        people(n, p, k)
    elif cats & 8:
        computer(n, p, k)
    elif cats & 4:
        arrows(n, p, k)
    elif cats & 1:
        information(n, p, k)
    else:
        misc(n, p, k)
    return p


def placeholder():
    p = Pic((236, 236, 236))
    for i in range(0, 28, 4):
        p.line(i, 0, i, 28, (210, 210, 210), 0.6)
        p.line(0, i, 28, i, (210, 210, 210), 0.6)
    p.frame(2, 2, 26, 26, GREY)
    p.glyph('+', 7, 7, GREY, 2)
    return p


def main():
    out = os.path.join('src', 'resources', 'elements_bmp')
    os.makedirs(out, exist_ok=True)
    seen = set()
    counters = {}
    ids = []
    for n, bmp, cats in ROWS:
        if bmp in seen:
            continue
        seen.add(bmp)
        group = 2 if cats & 2 else 16 if cats & 16 else 8 if cats & 8 else 4 if cats & 4 else 1 if cats & 1 else 0
        k = counters.get(group, 0)
        counters[group] = k + 1
        draw(n, cats, k).save(os.path.join(out, '%d.bmp' % bmp))
        ids.append(bmp)
    placeholder().save(os.path.join(out, '11189.bmp'))
    ids.append(11189)
    with open(os.path.join('src', 'resources', 'elements_icons.rc'), 'w') as f:
        f.write('// Icon bitmaps, drawn by scripts/artwork.py.\n')
        for i in sorted(ids):
            f.write('%d BITMAP "elements_bmp/%d.bmp"\n' % (i, i))


if __name__ == '__main__':
    main()

#!/usr/bin/env python3
"""Draws the pick cursor of Same Size / Height / Width (a pointing arrow over two overlapping
frames) into src/resources/shapes/cur11225.cur, which is committed so the build needs no python.
Run: python3 scripts/artwork-shapes.py
"""
import importlib.util
import os

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "..", "src", "resources", "shapes")

bars_spec = importlib.util.spec_from_file_location("bars_art", os.path.join(HERE, "artwork-bars.py"))
bars = importlib.util.module_from_spec(bars_spec)
bars_spec.loader.exec_module(bars)


def pick_cursor(g):
    arrow = ["X", "XX", "X.X", "X..X", "X...X", "X....X", "X.....X", "X......X", "X.......X", "X........X",
             "X.....XXXX", "X..X..X", "X.X X..X", "XX  X..X", "X    X..X", "     X..X", "      XX"]
    for y, r in enumerate(arrow):
        for x, ch in enumerate(r):
            if ch != ' ':
                g[y][x] = ch
    # Two frames of the same size: "make it like that one".
    for (x0, y0) in ((12, 16), (18, 21)):
        for y in range(y0, y0 + 9):
            for x in range(x0, x0 + 12):
                if y in (y0, y0 + 8) or x in (x0, x0 + 11):
                    g[y][x] = 'X'
                elif g[y][x] == ' ':
                    g[y][x] = '.'


def main():
    os.makedirs(OUT, exist_ok=True)
    bars.save_cur(os.path.join(OUT, "cur11225.cur"), bars.cursor_rows(pick_cursor), (0, 0))
    print("1 cursor in %s" % os.path.normpath(OUT))


if __name__ == "__main__":
    main()

// Small painting services shared by the object, link and shape painters: link bodies with a
// rounded corner, circular link arcs, selection handles, the cross mark, and the geometry of the
// opening effect and the print-preview frame (their window side is in draw_win.h).
#pragma once

#include <vector>

#include "base/canvas.h"

// A link body P1 -> P2 -> P3; mode other than 0 rounds the corner at P2.
void draw_link_line(Canvas& c, int mode, Pt p1, Pt p2, Pt p3);

struct LinkArc {
    double cx = 0, cy = 0;   // centre
    double radius = 0;
    Pt t2, t1;               // tangent points for arrowheads at P2 and P1
    Rc box;                  // bounding box of the circle
};
// The arc from P1 to P2 whose roundness grows with bulge (0 shallow, 60 a quarter circle,
// 70 a half circle).
LinkArc draw_link_arc_geometry(int bulge, Pt p1, Pt p2);
LinkArc draw_link_arc(Canvas& c, int bulge, Pt p1, Pt p2);

// A 24 x 24 handle centred on (x, y), current pen and brush.
void draw_mark_square(Canvas& c, int x, int y);
// Eight handles around (L, T, R, B): corners, then the middles of top, bottom, left, right.
void draw_mark_corners(Canvas& c, int l, int t, int r, int b);
void draw_cross(Canvas& c, int x, int y, int d);

// The eight frames of the opening (direction 1) or closing (0) animation between point p and
// rectangle r, in drawing order; each is drawn twice with the invert mix.
std::vector<Rc> draw_open_effect_frames(Pt p, const Rc& r, int direction);

// The print-preview page frame for a printer page of px x py (any unit) and the Parts choice s,
// in the temporary 500 x 500 mapping centred on the view.
struct PreviewFrame {
    Rc frame;
    int parts_x = 1, parts_y = 1;
    std::vector<std::pair<Pt, Pt>> dividers;
};
PreviewFrame draw_preview_frame(int px, int py, int s);

// Link routes and arrowheads: the body of a link between the two points where it meets its
// objects, drawn with the pen and brush the caller selected, then the arrowheads at each end.
// Coordinates are diagram units (y upward); reals round halves away from zero. Portable.
#pragma once

#include "base/canvas.h"

struct RealPt {
    double x = 0, y = 0;
};

// Construction points of the routes (also the label anchors):
// 0 the point N back from P2 toward P1; 1 (X1, mid Y); 2 (mid X, Y1); 5 / 6 the bulge of the
// curves on either side; 9 / 10 the 45-degree corners of the slopes; 11 the arc's label point.
// Other kinds fall to 0.
RealPt link_route_point(int kind, double n, double w, Pt p1, Pt p2);
// Bulge of a curve for its label: round(length x factor of the option) for routes 5 and 6,
// length div 2 otherwise.
int link_curve_offset(int route, int option, int length);
// Bulge parameter handed to the curve painter: 70 - (8 - option)^3 div 8.
int link_curve_bulge(int option);
// Reciprocal length, kept finite when the ends coincide.
double link_recip_length(Pt p1, Pt p2);

// One link body with its arrowheads; w = 1 / (D + 0.01). Unknown routes draw nothing.
void link_draw_segment(Canvas& c, int route, int head_count, int tail_count, int head_kind,
                       int tail_kind, int curve_option, double w, Pt p1, Pt p2);

// One arrowhead of `kind` from its side corners c1, c3 and tip c2; false for unknown kinds.
bool link_draw_arrowhead(Canvas& c, int kind, Pt c1, Pt c2, Pt c3);
// Slanted end at tip b for a segment arriving from a; w is that segment's reciprocal length,
// spread 28 for ordinary links and 15 for double lines. Count 2 draws a second head behind.
void link_draw_end(Canvas& c, int spread, int count, int kind, double w, Pt a, Pt b);
// Ends on horizontal and vertical segments arriving from the side of x_from / y_from.
void link_draw_end_horz(Canvas& c, int count, int kind, int x_from, int x_tip, int y_tip);
void link_draw_end_vert(Canvas& c, int count, int kind, int y_from, int x_tip, int y_tip);

// Real to integer as painting needs it: halves away from zero, saturating far outside the
// diagram so that a wild value never wraps around.
int link_round(double v);

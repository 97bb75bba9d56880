// Painting one link for the view: its pen and brush from style, Thick bit, colour and highlight,
// the route with its arrowheads, and the label placed (and cached for hit tests) in the "Link
// label" font. The view computes the two end points with obj_link_end_point and calls this once
// per shown link, after clearing the label cache for a full repaint. Portable.
#pragma once

#include <string>

#include "base/canvas.h"
#include "document/document.h"

struct LinkPaintOptions {
    bool opaque_labels = false;      // setting 73
    bool tilt_long_labels = false;   // 1 - setting 74
    bool show_length = false;        // setting 215
    Colour label_background = 0xFFFFFF;
    Font label_font;                 // the "Link label" slot
};

// The options from the current document's settings; font_mode as text_font takes it (4 on the
// view's drawing scale). Made once per paint.
LinkPaintOptions link_paint_options(int font_mode = 4);

// The text the view shows for a link: its label, followed by the link's length when asked.
std::string link_displayed_text(const Link& l, double length, bool show_length);

// The colour a link is drawn in: palette 4 when highlighted, the background line colour
// (setting 5) for colour source 1, else its own colour index.
Colour link_colour(const Link& l);

// One link from p1 (its From end) to p2 (its To end).
void link_paint(Canvas& c, const Link& l, Pt p1, Pt p2, const LinkPaintOptions& o);

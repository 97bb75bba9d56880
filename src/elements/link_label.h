// Link labels: placed relative to the link's route (above, centred, below or at a cell of a
// 10 x 10 grid), drawn flat or tilted along the link, and remembered per link (label_pt_) so the
// view can hit-test labels between paints. The view clears the cache at the start of every full
// repaint (`link_label_cache_clear`) and selects the "Link label" font before placing labels.
// Portable.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/canvas.h"
#include "document/document.h"

// label_pt_: the label geometry of one link as last painted.
struct LabelPt {
    Key from = 0, to = 0;
    int route = 0;
    Pt anchor;         // on the route, logical units
    Pt label;          // the label point, device units
    int curve_option = 0;
    Pt end1, end2;     // the link's ends, device units
    std::optional<Rc> box;  // a flat label's painted text, device units (left, top, right, bottom)
};

// Mode 0 (an empty displayed text) only caches the anchor; any other Mode also places and
// draws the label. d = straight length, w = 1 / (d + 0.01).
void link_label_place(Canvas& c, Key from, Key to, int route, std::string_view text, int mode,
                      double d, double w, Pt p1, Pt p2, bool tilt, int position, bool multiline,
                      int curve_option);

std::optional<LabelPt> link_label_pt_get(Key from, Key to);
const std::vector<LabelPt>& link_label_each();
void link_label_cache_clear();

// Where a flat label's text goes (logical): a one-line label's own text extent standing on the
// lower edge of its 250 x 50 box; a multi-line label fills the box.
Rc link_label_box(Canvas& c, bool multiline, Pt at, std::string_view text);
// One label at (x, y) for the link p1 -> p2, in the canvas's current font.
void link_label_draw(Canvas& c, bool tilt, bool multiline, Pt at, std::string_view text, Pt p1, Pt p2);

// The anchor of a label on its route.
Pt link_label_anchor(int route, int curve_option, double d, double w, Pt p1, Pt p2);
// The label point (logical) for a position code around an anchor.
Pt link_label_point(Pt anchor, int position);
// Escapement (tenths of a degree) of a tilted label; never upside down.
int link_tilt_escapement(Pt p1, Pt p2);
// Where a tilted label of n characters is moved so that it keeps to the link.
Pt link_tilt_origin(Pt at, Pt p1, Pt p2, size_t n);

// Whether the view tilts a label: the link's own Tilt bit; else never on orthogonal routes;
// else, with long-label tilting on, when the displayed text has 7 characters or more.
bool link_label_tilted(bool tilt_bit, int route, bool tilt_long_labels, size_t text_len);

// Relation words for the label list: lines of `text` (CR dropped), sorted as a list box sorts.
std::vector<std::string> link_parse_relation_words(std::string_view text);
// The words of the file at `path`; empty when it cannot be read.
std::vector<std::string> link_relation_words_file(const std::string& path);

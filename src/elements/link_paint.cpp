#include "elements/link_paint.h"

#include <cmath>
#include <cstdio>

#include "base/palette.h"
#include "document/view.h"
#include "elements/font.h"
#include "elements/link.h"
#include "elements/link_label.h"
#include "elements/link_route.h"

LinkPaintOptions link_paint_options(int font_mode) {
    LinkPaintOptions o;
    o.label_font = font_to_canvas(text_font(kFontLinkLabel, font_mode));
    o.opaque_labels = view_param_get(73) != 0;
    o.tilt_long_labels = view_param_get(74) == 0;
    o.show_length = view_param_get(215) != 0;
    o.label_background = tbar_color_or(view_param_get(1), 0xFFFFFF);
    return o;
}

std::string link_displayed_text(const Link& l, double length, bool show_length) {
    if (!show_length) return l.label;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%d", static_cast<int>(std::lround(length)));
    return l.label.empty() ? std::string(buf) : l.label + " (" + buf + ")";
}

Colour link_colour(const Link& l) {
    if (l.flags & kLinkHighlight) return tbar_color_or(4);
    if (l.flags & kLinkColourSource) return tbar_color_or(view_param_get(5));
    return tbar_color_or(link_unpack_pos_colour(l.flags, l.label_pos_colour).colour);
}

void link_paint(Canvas& c, const Link& l, Pt p1, Pt p2, const LinkPaintOptions& o) {
    const LinkLook k = link_unpack(l);
    const Colour col = link_colour(l);
    const Pen pen = (l.flags & kLinkHighlight) ? Pen{8, 0, col} : link_pen(k.style, k.thick, l.label, col);
    c.set_pen(pen);
    c.set_brush({2, col});

    const double dx = static_cast<double>(p2.x) - p1.x, dy = static_cast<double>(p2.y) - p1.y;
    const double d = std::sqrt(dx * dx + dy * dy);
    const double w = 1.0 / (d + 0.01);
    link_draw_segment(c, k.route, k.head_count, k.tail_count, k.head_kind, k.tail_kind, k.curve_option, w, p1, p2);

    const std::string text = link_displayed_text(l, d, o.show_length);
    if (!text.empty()) {
        c.set_font(o.label_font);
        c.set_text_colour(col);
        c.set_text_bk(o.opaque_labels, o.label_background);
    }
    const bool tilt = link_label_tilted(k.tilt, k.route, o.tilt_long_labels, text.size());
    link_label_place(c, l.from, l.to, k.route, text, static_cast<int>(text.size()), d, w, p1, p2, tilt,
                     k.label_pos, k.multiline, k.curve_option);
}

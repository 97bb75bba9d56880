#include "elements/link_label.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <sstream>

#include "base/util.h"
#include "elements/link.h"
#include "elements/link_route.h"

namespace {

std::vector<LabelPt> g_cache;

double tilt_angle(Pt p1, Pt p2) {
    const double dx = p1.x == p2.x ? 0.05 : static_cast<double>(p2.x) - p1.x;
    return std::atan((static_cast<double>(p1.y) - p2.y) / dx);
}

void store(const LabelPt& pt) { g_cache.push_back(pt); }

}  // namespace

Pt link_label_anchor(int route, int curve_option, double d, double w, Pt p1, Pt p2) {
    const int n = link_curve_offset(route, curve_option, link_round(d));
    const RealPt a = link_route_point(route, n, w, p1, p2);
    return {link_round(a.x), link_round(a.y)};
}

Pt link_label_point(Pt anchor, int position) {
    const int col = (position - 1) % 10, row = (position - 1) / 10;
    return {anchor.x - 175 + 35 * col, anchor.y + 190 - 35 * row};
}

int link_tilt_escapement(Pt p1, Pt p2) { return link_round(tilt_angle(p1, p2) * 572.96); }

Pt link_tilt_origin(Pt at, Pt p1, Pt p2, size_t n) {
    const double th = tilt_angle(p1, p2);
    const double w = 9.0 * static_cast<double>(n);
    return {link_round(at.x + (1 - std::cos(th)) * w), link_round(at.y + std::sin(th) * w)};
}

bool link_label_tilted(bool tilt_bit, int route, bool tilt_long_labels, size_t text_len) {
    if (tilt_bit) return true;
    if (route >= kRouteVH && route <= kRouteHVH) return false;
    return tilt_long_labels && text_len >= 7;
}

void link_label_place(Canvas& c, Key from, Key to, int route, std::string_view text, int mode,
                      double d, double w, Pt p1, Pt p2, bool tilt, int position, bool multiline,
                      int curve_option) {
    LabelPt pt;
    pt.from = from;
    pt.to = to;
    pt.route = route;
    pt.anchor = link_label_anchor(route, curve_option, d, w, p1, p2);
    pt.curve_option = curve_option;
    pt.end1 = c.lp_to_dp(p1);
    pt.end2 = c.lp_to_dp(p2);
    if (mode == 0) {
        pt.label = c.lp_to_dp(pt.anchor);
        store(pt);
        return;
    }
    const Pt at = link_label_point(pt.anchor, position);
    pt.label = c.lp_to_dp({at.x, at.y - 60});
    if (!tilt) {
        const Rc b = link_label_box(c, multiline, at, text);
        const Pt a = c.lp_to_dp({b.left, b.top}), z = c.lp_to_dp({b.right, b.bottom});
        pt.box = {std::min(a.x, z.x), std::min(a.y, z.y), std::max(a.x, z.x), std::max(a.y, z.y)};
    }
    store(pt);
    link_label_draw(c, tilt, multiline, at, text, p1, p2);
}

std::optional<LabelPt> link_label_pt_get(Key from, Key to) {
    for (const auto& e : g_cache)
        if (e.from == from && e.to == to) return e;
    return std::nullopt;
}

const std::vector<LabelPt>& link_label_each() { return g_cache; }

void link_label_cache_clear() { g_cache.clear(); }

Rc link_label_box(Canvas& c, bool multiline, Pt at, std::string_view text) {
    if (multiline) return {at.x - 125, at.y + 25, at.x + 125, at.y - 25};
    // A one-line label stands on the box's lower edge. Laid out top-down from a top placed one
    // text height above that edge, so that the diagram's upward y cannot turn "bottom" around.
    const Sz e = c.text_extent(text);
    const int h = std::abs(e.cy), w = std::abs(e.cx);
    return {at.x - w / 2, at.y - 25 + h, at.x - w / 2 + w, at.y - 25};
}

void link_label_draw(Canvas& c, bool tilt, bool multiline, Pt at, std::string_view text, Pt p1, Pt p2) {
    // "&" is shown as typed in both forms, so "R&D" never loses its ampersand when tilted.
    const unsigned layout = multiline ? kDtWordBreak : kDtSingleLine;
    const unsigned flags = kDtCenter | kDtNoClip | kDtNoPrefix | layout;
    auto box = [&](Pt p) {
        Rc b = link_label_box(c, multiline, p, text);
        if (!multiline) b.left = p.x - 125, b.right = p.x + 125;  // centred in the label's width
        return b;
    };
    if (!tilt) {
        c.draw_text(box(at), text, flags);
        return;
    }
    Font f = c.current_font();
    const Font flat = f;
    f.escapement = link_tilt_escapement(p1, p2);
    c.set_font(f);
    const Pt o = link_tilt_origin(at, p1, p2, text.size());
    c.draw_text(box(o), text, flags);
    c.set_font(flat);
}

std::vector<std::string> link_parse_relation_words(std::string_view text) {
    std::vector<std::string> words;
    std::string cur;
    auto flush = [&] {
        if (!cur.empty()) words.push_back(cur);
        cur.clear();
    };
    for (char ch : text) {
        if (ch == '\n') flush();
        else if (ch != '\r') cur.push_back(ch);
    }
    flush();
    return util_sort_strings(std::move(words));
}

std::vector<std::string> link_relation_words_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    std::ostringstream ss;
    ss << in.rdbuf();
    return link_parse_relation_words(ss.str());
}

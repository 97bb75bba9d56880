#include "elements/link.h"

#include <array>

#include "document/view.h"

namespace {

constexpr const char* kOptSt[] = {"St"};
constexpr const char* kOptRnd[] = {"St", "Rnd"};
constexpr const char* kOptCurve[] = {"0", "1", "2", "3", "4", "5", "6", "7"};
constexpr const char* kOptArc[] = {"arc"};

// Position 5's picture ends with the macron (0xAF in the 8-bit character set).
const LinkRouteRow kRoutes[] = {
    {0, kRouteStraight, "---  Straight", "Straight", 12, kOptSt},
    {1, kRouteDouble, "==  Double-line", "Double", 12, kOptSt},
    {2, kRouteVH, "|_   Vert-Horz", "V-H", 13, kOptRnd},
    {3, kRouteHV, "_|   Horz-Vert", "H-V", 13, kOptRnd},
    {4, kRouteVHV, "|-|   Vert-Horz-Vert", "V-H-V", 13, kOptRnd},
    {5, kRouteHVH, "_|\xAF Horz-Vert-Horz", "H-V-H", 13, kOptRnd},
    {6, kRouteCurve1, "(    Curve 1", "Curve 1", 13, kOptCurve},
    {7, kRouteCurve2, ")    Curve 2", "Curve 2", 13, kOptCurve},
    {8, kRouteArc, "~    Arc", "Arc", 12, kOptArc},
    {9, kRouteTapered, ">   Tapered", "Tapered", 12, kOptSt},
    {10, kRouteSlopeHorz, "\\_   Slope-Horz", "Slope-Horz", 12, kOptSt},
    {11, kRouteHorzSlope, "_/   Horz-Slope", "Horz-Slope", 12, kOptSt},
};

const LinkStyleRow kStyles[] = {
    {0, 0, "Solid"}, {1, 1, "Dash"}, {2, 2, "Dot"}, {3, 3, "DashDot"},
    {4, 4, "DashDotDot"}, {5, 5, "Invisible"}, {6, 7, "Variable width"}, {7, 8, "Thin"},
};

constexpr const char* kEndPos[kLinkEndPosCount] = {
    "Auto", "Center", "Left", "Top", "Right", "Bottom", "L-T", "R-T",
    "R-B", "L-B", "Rectangle", "Ellipse", "Circle", "Diamond", "Line1", "T or B",
};

constexpr const char* kArrowTexts[kArrowKindCount] = {
    "Arrow   --->", "sTriangle --|>", "Cross     ---+", "sDiamond -<>", "Triangle --|>", "Diamond -<>",
};

constexpr int kTaper[] = {kRouteTemporary, kRouteTapered};

// link_defaults_: module state, not saved with the document.
struct DefaultsRow {
    std::string label;
    int tilt = 0, multiline = 0;
    int colour_radio = 10444;
    int label_pos = kLabelAbove;
    int tail_kind = 0, head_kind = 0, curve_option = 0, from_end = 0, to_end = 0, no_sequence = 0;
};
DefaultsRow g_row;
int g_route = kRouteStraight;  // stands in for the toolbox until it installs its hooks
int (*g_route_current)() = nullptr;
void (*g_route_press)(int) = nullptr;

bool bit(int32_t f, int n) { return ((static_cast<uint32_t>(f) >> n) & 1u) != 0; }
int32_t with_bit(int32_t f, int n, bool on) {
    uint32_t u = static_cast<uint32_t>(f);
    u = on ? (u | (1u << n)) : (u & ~(1u << n));
    return static_cast<int32_t>(u);
}

}  // namespace

std::span<const LinkRouteRow> link_routes() { return kRoutes; }
std::span<const LinkStyleRow> link_styles() { return kStyles; }

const LinkRouteRow* link_route_by_pos(int pos) {
    for (const auto& r : kRoutes)
        if (r.pos == pos) return &r;
    return nullptr;
}
const LinkRouteRow* link_route_by_code(int code) {
    for (const auto& r : kRoutes)
        if (r.code == code) return &r;
    return nullptr;
}
const LinkStyleRow* link_style_by_pos(int pos) {
    for (const auto& s : kStyles)
        if (s.pos == pos) return &s;
    return nullptr;
}
const LinkStyleRow* link_style_by_code(int code) {
    for (const auto& s : kStyles)
        if (s.code == code) return &s;
    return nullptr;
}
const char* link_end_pos_name(int code) {
    return code >= 0 && code < kLinkEndPosCount ? kEndPos[code] : nullptr;
}
const char* link_arrow_text(int kind) {
    return kind >= 0 && kind < kArrowKindCount ? kArrowTexts[kind] : nullptr;
}

std::optional<std::string> link_route_name(int route_code) {
    if (const auto* r = link_route_by_code(route_code)) return std::string(r->name);
    return std::nullopt;
}
std::optional<std::string> link_style_name(int style_code) {
    if (const auto* s = link_style_by_code(style_code)) return std::string(s->name);
    return std::nullopt;
}
bool link_is_taper(int route_code) {
    for (int c : kTaper)
        if (c == route_code) return true;
    return false;
}

int link_curve_option(int32_t flags) { return bit(flags, 7) + 2 * bit(flags, 13) + 4 * bit(flags, 14); }

LinkLook link_unpack(const Link& l) {
    LinkLook k;
    const uint32_t f = static_cast<uint32_t>(l.flags);
    k.head_count = static_cast<int>(f & 3u);
    k.tail_count = static_cast<int>((f >> 4) & 3u);
    k.tilt = bit(l.flags, 3);
    k.colour_source = bit(l.flags, 8);
    k.no_sequence = bit(l.flags, 9);
    k.multiline = bit(l.flags, 11);
    k.thick = bit(l.flags, 12);
    k.curve_option = link_curve_option(l.flags);
    k.tail_kind = static_cast<int>((f >> 17) & 15u);
    k.head_kind = static_cast<int>((f >> 21) & 15u);
    k.route = l.kind / 256;
    k.style = l.kind % 256;
    auto pc = link_unpack_pos_colour(l.flags, l.label_pos_colour);
    k.label_pos = pc.pos;
    k.colour = pc.colour;
    k.from_end = l.end_positions % 256;
    k.to_end = l.end_positions / 256;
    return k;
}

void link_pack(Link& l, const LinkLook& k) {
    uint32_t f = static_cast<uint32_t>(l.flags) & ~0x33u;
    // Counts and kinds are masked to their fields so they never spill into neighbouring bits.
    f |= (static_cast<uint32_t>(k.tail_count) & 3u) << 4;
    f |= static_cast<uint32_t>(k.head_count) & 3u;
    int32_t s = static_cast<int32_t>(f);
    s = with_bit(s, 3, k.tilt);
    s = with_bit(s, 8, k.colour_source != 0);
    s = with_bit(s, 9, k.no_sequence);
    s = with_bit(s, 11, k.multiline);
    s = with_bit(s, 12, k.thick);
    s = with_bit(s, 7, (k.curve_option & 1) != 0);
    s = with_bit(s, 13, (k.curve_option & 2) != 0);
    s = with_bit(s, 14, (k.curve_option & 4) != 0);
    f = static_cast<uint32_t>(s) & ~(0xFFu << 17);
    f |= (static_cast<uint32_t>(k.tail_kind) & 15u) << 17;
    f |= (static_cast<uint32_t>(k.head_kind) & 15u) << 21;
    l.flags = static_cast<int32_t>(f);
    l.kind = k.route * 256 + k.style;
    l.label_pos_colour = k.label_pos * 65536 + k.colour;
    l.end_positions = k.to_end * 256 + k.from_end;
}

PosColour link_unpack_pos_colour(int32_t flags, int32_t label_pos_colour) {
    PosColour pc{label_pos_colour / 65536, label_pos_colour % 65536};
    if (pc.pos == 0) pc.pos = bit(flags, 9) ? kLabelBelow : kLabelAbove;
    return pc;
}

int link_label_pos_index(int code) {
    switch (code) {
    case kLabelAbove: return 0;
    case kLabelCenter: return 1;
    case kLabelBelow: return 2;
    default: return code + 2;
    }
}

int link_label_pos_code(int index) {
    switch (index) {
    case 0: return kLabelAbove;
    case 1: return kLabelCenter;
    case 2: return kLabelBelow;
    default: return index - 2;
    }
}

Pen link_pen(int style_code, bool thick, std::string_view label, Colour colour) {
    const int t = thick ? 1 : 0;
    if (style_code >= 0 && style_code <= 5) return {t * 6 + 1, style_code, colour};
    if (style_code == 7) {
        // The label is user text: only a sane width is taken from it.
        int w = 8;
        int v = 0;
        size_t i = 0;
        while (i < label.size() && label[i] == ' ') ++i;
        size_t digits = 0;
        while (i < label.size() && label[i] >= '0' && label[i] <= '9' && digits < 9) {
            v = v * 10 + (label[i] - '0');
            ++i;
            ++digits;
        }
        while (i < label.size() && (label[i] == ' ' || label[i] == '\r' || label[i] == '\n')) ++i;
        if (digits > 0 && digits < 9 && i == label.size()) w = v > 100 ? 100 : v;
        return {w, 0, colour};
    }
    if (style_code == 8) return {t, 0, colour};
    return {8, 0, colour};
}

LinkDefaults link_defaults_get() {
    LinkDefaults d;
    d.label = g_row.label;
    d.tilt = g_row.tilt != 0;
    d.multiline = g_row.multiline != 0;
    d.colour_source = g_row.colour_radio - 10444;
    d.label_pos = g_row.label_pos;
    d.route = g_route_current ? g_route_current() : g_route;
    d.style_pos = view_param_get(313);
    d.tail_kind = g_row.tail_kind;
    d.head_kind = g_row.head_kind;
    d.tail_count = view_param_get(315);
    d.head_count = view_param_get(316) + 1;
    d.curve_option = g_row.curve_option;
    d.from_end = g_row.from_end;
    d.to_end = g_row.to_end;
    d.no_sequence = g_row.no_sequence != 0;
    return d;
}

void link_defaults_set(const LinkDefaults& d) {
    g_row.label = d.label;
    g_row.tilt = d.tilt;
    g_row.multiline = d.multiline;
    g_row.colour_radio = d.colour_source + 10444;
    g_row.label_pos = d.label_pos;
    g_row.tail_kind = d.tail_kind;
    g_row.head_kind = d.head_kind;
    g_row.curve_option = d.curve_option;
    g_row.from_end = d.from_end;
    g_row.to_end = d.to_end;
    g_row.no_sequence = d.no_sequence;
    g_route = d.route;
    if (g_route_press) g_route_press(d.route);
    view_param_set(313, d.style_pos);
    view_param_set(315, d.tail_count);
    view_param_set(316, d.head_count - 1);
}

void link_defaults_route_hooks(int (*current)(), void (*press)(int route)) {
    g_route_current = current;
    g_route_press = press;
}

Link link_from_defaults(Key from, Key to, const LinkDefaults& d, bool thick, int colour) {
    Link l;
    l.from = from;
    l.to = to;
    LinkLook k;
    k.head_count = d.head_count;
    k.tail_count = d.tail_count;
    k.head_kind = d.head_kind;
    k.tail_kind = d.tail_kind;
    k.tilt = d.tilt;
    k.colour_source = d.colour_source;
    k.no_sequence = d.no_sequence;
    k.multiline = d.multiline;
    k.thick = thick;
    k.curve_option = d.curve_option;
    k.route = d.route;
    const auto* st = link_style_by_pos(d.style_pos);
    k.style = st ? st->code : 0;
    k.label_pos = d.label_pos;
    k.colour = colour;
    k.from_end = d.from_end;
    k.to_end = d.to_end;
    link_pack(l, k);
    l.label = d.label;
    return l;
}

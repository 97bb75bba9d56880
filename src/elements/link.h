// LINK: what a link is made of. The static tables of routes, line styles, end positions and
// arrowhead kinds, the packing of those codes into the b_ record's integers, the pen a link is
// drawn with, and the Link Defaults that new links take. Portable.
//
// For the view: when it creates a link it takes `link_defaults_get()` and packs it with
// `link_from_defaults`; when it paints, `link_paint` (link_paint.h) does pen, route and label.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/canvas.h"
#include "document/document.h"

// Route codes (b_ field 4 div 256).
enum LinkRoute : int {
    kRouteStraight = 0, kRouteVH = 1, kRouteHV = 2, kRouteVHV = 3, kRouteHVH = 4,
    kRouteCurve1 = 5, kRouteCurve2 = 6, kRouteTapered = 7, kRouteDouble = 8,
    kRouteSlopeHorz = 9, kRouteHorzSlope = 10, kRouteArc = 11,
    kRouteTemporary = 16,  // drawn tapered, never edited, skipped by the view's enumerations
};

// Label position codes of the three named places; 1..100 are cells of the 10 x 10 grid.
enum LinkLabelPos : int { kLabelAbove = 36, kLabelCenter = 46, kLabelBelow = 56 };

// Arrowhead kinds (Flags bits 17-20 at the From end, 21-24 at the To end).
enum ArrowKind : int {
    kArrowOpen = 0, kArrowSolidTriangle = 1, kArrowCross = 2, kArrowSolidDiamond = 3,
    kArrowTriangle = 4, kArrowDiamond = 5,
};

// Flags bits.
constexpr int32_t kLinkHighlight = 1 << 2;
constexpr int32_t kLinkTilt = 1 << 3;
constexpr int32_t kLinkColourSource = 1 << 8;
constexpr int32_t kLinkNoSequence = 1 << 9;
constexpr int32_t kLinkMultiline = 1 << 11;
constexpr int32_t kLinkThick = 1 << 12;

// ---- Tables (rows in list order).
struct LinkRouteRow {
    int pos;
    int code;
    const char* text;        // owner-drawn list text, a small picture of the route first
    const char* name;        // short name (Find Links and other lists)
    int curve_state;         // 13 = Curve option list enabled, 12 = disabled
    std::span<const char* const> options;
};
struct LinkStyleRow { int pos; int code; const char* name; };

std::span<const LinkRouteRow> link_routes();
std::span<const LinkStyleRow> link_styles();
const LinkRouteRow* link_route_by_pos(int pos);
const LinkRouteRow* link_route_by_code(int code);
const LinkStyleRow* link_style_by_pos(int pos);
const LinkStyleRow* link_style_by_code(int code);
// End position names by code 0..15 ("Auto", "Center", ...); null outside.
const char* link_end_pos_name(int code);
constexpr int kLinkEndPosCount = 16;
// Tail and Head list texts by kind 0..5; null outside.
const char* link_arrow_text(int kind);
constexpr int kArrowKindCount = 6;

std::optional<std::string> link_route_name(int route_code);
std::optional<std::string> link_style_name(int style_code);
// Routes drawn as a tapered wedge (is_taper_).
bool link_is_taper(int route_code);

// ---- Packing.
// Every code that b_'s four integers carry, unpacked.
struct LinkLook {
    int head_count = 0, tail_count = 0;   // 0 none, 1 one, 2 two in a row
    int head_kind = 0, tail_kind = 0;
    bool tilt = false;
    int colour_source = 0;                // 0 "Color as in Link", 1 "Bkgrd line Color"
    bool no_sequence = false, multiline = false, thick = false;
    int curve_option = 0;                 // 0..7
    int route = 0, style = 0;             // codes, not list positions
    int label_pos = kLabelAbove;
    int colour = 0;                       // palette index
    int from_end = 0, to_end = 0;         // lnkpos_ codes
    bool operator==(const LinkLook&) const = default;
};

LinkLook link_unpack(const Link& l);
// Writes `look` into l's four integers; Flags bits the look does not name are kept.
void link_pack(Link& l, const LinkLook& look);
int link_curve_option(int32_t flags);

struct PosColour { int pos; int colour; };
// Field 5 split; a zero position (older documents) is Above, or Below with Flags bit 9.
PosColour link_unpack_pos_colour(int32_t flags, int32_t label_pos_colour);
// Label position code <-> index in the list "Above", "Center", "Below", "1" .. "100".
int link_label_pos_index(int code);
int link_label_pos_code(int index);

// The pen of a link by its style code, Thick bit and label ("Variable width" reads the label).
Pen link_pen(int style_code, bool thick, std::string_view label, Colour colour);

// ---- Link Defaults.
struct LinkDefaults {
    std::string label;
    bool tilt = false;
    bool multiline = false;
    int colour_source = 0;
    int label_pos = kLabelAbove;
    int route = kRouteStraight;
    int style_pos = 0;          // a position in the style list, not a code
    int tail_kind = 0, head_kind = 0;
    int tail_count = 0, head_count = 1;
    int curve_option = 0;
    int from_end = 0, to_end = 0;
    bool no_sequence = false;
    bool operator==(const LinkDefaults&) const = default;
};

// The defaults from the module's row, the toolbox's route and document settings 313, 315, 316.
LinkDefaults link_defaults_get();
// Replaces the row, presses the route in the toolbox and stores settings 313, 315 and 316.
void link_defaults_set(const LinkDefaults& d);
// The toolbox holds the default route (group 5); it installs these when it exists.
void link_defaults_route_hooks(int (*current)(), void (*press)(int route));

// A new link From -> To with the current defaults; `thick` is toolbox group 6 / setting 362,
// `colour` the current drawing colour.
Link link_from_defaults(Key from, Key to, const LinkDefaults& d, bool thick, int colour);

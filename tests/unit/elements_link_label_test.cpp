#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "bars/tbar.h"
#include "elements/link.h"
#include "elements/link_label.h"
#include "elements/link_paint.h"
#include "elements/link_route.h"
#include "unit/view_fixture.h"

namespace {

using V = std::vector<int>;
constexpr unsigned kBottom = 0x8;

// A canvas whose device units are the logical ones shifted, so conversions are visible.
struct ShiftedCanvas : RecordingCanvas {
    Pt lp_to_dp(Pt p) const override { return {p.x + 1000, 500 - p.y}; }
};

Pt anchor(int route, int opt, Pt p1, Pt p2) {
    const double d = std::hypot(p2.x - p1.x, p2.y - p1.y);
    return link_label_anchor(route, opt, d, 1.0 / (d + 0.01), p1, p2);
}

}  // namespace

TEST(LinkLabel, AnchorsOnEachRoute) {
    const Pt p1{0, 0}, p2{200, 100};
    struct Case { int route; Pt want; };
    const Case cases[] = {
        {kRouteStraight, {100, 50}}, {kRouteVHV, {100, 50}}, {kRouteHVH, {100, 50}},
        {kRouteTapered, {100, 50}}, {kRouteDouble, {100, 50}}, {kRouteTemporary, {100, 50}},
        {kRouteVH, {0, 50}}, {kRouteHV, {100, 0}},
        {kRouteSlopeHorz, {100, 100}}, {kRouteHorzSlope, {100, 0}},
        {kRouteArc, {100, 83}},
    };
    for (const auto& k : cases) EXPECT_EQ(anchor(k.route, 0, p1, p2), k.want) << k.route;
    // Curves anchor at their bulge, further out for a higher option, on opposite sides.
    const Pt m{100, 50};
    auto dist = [&](Pt a) { return std::hypot(a.x - m.x, a.y - m.y); };
    EXPECT_LT(dist(anchor(kRouteCurve1, 0, p1, p2)), dist(anchor(kRouteCurve1, 7, p1, p2)));
    const Pt c1 = anchor(kRouteCurve1, 4, p1, p2), c2 = anchor(kRouteCurve2, 4, p1, p2);
    EXPECT_EQ(c1.x + c2.x, 2 * m.x);
    EXPECT_EQ(c1.y + c2.y, 2 * m.y);
}

TEST(LinkLabel, GridCells) {
    const Pt a{1000, 2000};
    struct Case { int pos; Pt want; };
    const Case cases[] = {
        {1, {825, 2190}}, {100, {1140, 1875}}, {kLabelCenter, {1000, 2050}},
        {kLabelAbove, {1000, 2085}}, {kLabelBelow, {1000, 2015}}, {10, {1140, 2190}}, {91, {825, 1875}},
    };
    for (const auto& k : cases) EXPECT_EQ(link_label_point(a, k.pos), k.want) << k.pos;
}

TEST(LinkLabel, PlacementCachesGeometryAndDrawsOnlyShownText) {
    link_label_cache_clear();
    ShiftedCanvas c;
    const Pt p1{0, 0}, p2{200, 0};
    const double d = 200, w = 1 / 200.01;
    // An empty label: geometry only, at the anchor.
    link_label_place(c, 1, 2, kRouteStraight, "", 0, d, w, p1, p2, false, kLabelAbove, false, 0);
    EXPECT_TRUE(c.of("drawtext").empty());
    auto e = link_label_pt_get(1, 2);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->anchor, (Pt{100, 0}));
    EXPECT_EQ(e->label, (Pt{1100, 500}));
    EXPECT_EQ(e->end1, (Pt{1000, 500}));
    EXPECT_EQ(e->end2, (Pt{1200, 500}));

    // A shown label: the label point 60 below the placed point, in device units.
    link_label_place(c, 3, 4, kRouteStraight, "rel", 3, d, w, p1, p2, false, kLabelAbove, false, 0);
    e = link_label_pt_get(3, 4);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->label, (Pt{1100, 500 - 25}));
    auto t = c.of("drawtext");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].text, "rel");
    // One line standing on the box's lower edge (60), laid out from its own height above it.
    const int h = std::abs(c.text_extent("rel").cy);
    EXPECT_EQ(t[0].args, (V{-25, 60 + h, 225, 60, static_cast<int>(kDtCenter | kDtNoClip | kDtNoPrefix | kDtSingleLine)}));
    ASSERT_TRUE(e->box);
    EXPECT_EQ(e->box->bottom, 500 - 60);
    EXPECT_EQ(e->box->top, 500 - 60 - h);

    EXPECT_FALSE(link_label_pt_get(2, 1));
    EXPECT_EQ(link_label_each().size(), 2u);
    link_label_cache_clear();
    EXPECT_FALSE(link_label_pt_get(1, 2));
    EXPECT_TRUE(link_label_each().empty());
}

TEST(LinkLabel, MultilineWrapsInsteadOfBottomAligning) {
    RecordingCanvas c;
    link_label_draw(c, false, true, {0, 0}, "a long label", {0, 0}, {100, 0});
    auto t = c.of("drawtext");
    ASSERT_EQ(t.size(), 1u);
    const unsigned f = static_cast<unsigned>(t[0].args[4]);
    EXPECT_TRUE(f & kDtWordBreak);
    EXPECT_FALSE(f & kDtSingleLine);
    EXPECT_FALSE(f & kBottom);
    EXPECT_TRUE(f & kDtNoPrefix);
}

TEST(LinkLabel, TiltFollowsTheLinkAndIsUndone) {
    struct Case { Pt p2; int esc; };
    const Case cases[] = {
        {{100, 0}, 0}, {{100, -100}, 450}, {{100, 100}, -450}, {{-100, 100}, 450},
        {{0, 100}, -900}, {{0, -100}, 900},  // vertical: the 0.05 divisor, nearly 90 degrees
    };
    for (const auto& k : cases) {
        const int esc = link_tilt_escapement({0, 0}, k.p2);
        EXPECT_NEAR(esc, k.esc, 1) << k.p2.x << "," << k.p2.y;
    }
    RecordingCanvas c;
    Font f;
    f.height = -52;
    c.set_font(f);
    c.calls.clear();
    link_label_draw(c, true, false, {500, 500}, "R&D", {0, 0}, {100, -100});
    auto fonts = c.of("font");
    ASSERT_EQ(fonts.size(), 2u);
    EXPECT_EQ(fonts[0].args[4], 450);
    EXPECT_EQ(fonts[1].args[4], 0);
    auto t = c.of("drawtext");
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].text, "R&D");
    EXPECT_TRUE(static_cast<unsigned>(t[0].args[4]) & kDtNoPrefix);
    // Moved by (1 - cos) x 27 and sin x 27 for 45 degrees.
    const Pt o = link_tilt_origin({500, 500}, {0, 0}, {100, -100}, 3);
    EXPECT_EQ(o, (Pt{508, 519}));
    EXPECT_EQ(t[0].args[0], o.x - 125);
}

TEST(LinkLabel, RelationWords) {
    EXPECT_EQ(link_parse_relation_words("causes\r\nAffects\n\nblocks\r\n"),
              (std::vector<std::string>{"Affects", "blocks", "causes"}));
    EXPECT_TRUE(link_parse_relation_words("").empty());
    EXPECT_TRUE(link_relation_words_file("/nonexistent/relate.l").empty());
    const auto shipped = link_relation_words_file(std::string(VORN_SOURCE_DIR) + "/data/relate.l");
    EXPECT_GE(shipped.size(), 20u);
    for (const auto& w : shipped) EXPECT_EQ(w.find('\r'), std::string::npos);
}

class LinkPaintTest : public ViewFixture {};

TEST_F(LinkPaintTest, PenColourAndLabel) {
    link_label_cache_clear();
    Link l;
    l.from = 1;
    l.to = 2;
    LinkLook k;
    k.route = kRouteStraight;
    k.style = 1;
    k.thick = true;
    k.colour = 9;
    k.head_count = 1;
    link_pack(l, k);
    l.label = "leads to";
    RecordingCanvas c;
    LinkPaintOptions o = link_paint_options();
    link_paint(c, l, {0, 0}, {400, 0}, o);
    ASSERT_FALSE(c.of("pen").empty());
    EXPECT_EQ(c.of("pen")[0].args, (V{7, 1, static_cast<int>(tbar_color_or(9))}));
    EXPECT_EQ(c.of("drawtext").size(), 1u);
    EXPECT_TRUE(link_label_pt_get(1, 2));
    // Label font is the link-label slot on the drawing scale.
    ASSERT_FALSE(c.of("font").empty());
    EXPECT_EQ(c.of("font")[0].args[0], -52);
    EXPECT_EQ(c.of("font")[0].text, "Times New Roman");

    // Highlight wins over colour and style.
    l.flags |= kLinkHighlight;
    RecordingCanvas h;
    link_paint(h, l, {0, 0}, {400, 0}, o);
    EXPECT_EQ(h.of("pen")[0].args, (V{8, 0, static_cast<int>(tbar_color_or(4))}));

    // Length shown with the label.
    EXPECT_EQ(link_displayed_text(l, 399.6, true), "leads to (400)");
    l.label.clear();
    EXPECT_EQ(link_displayed_text(l, 12.2, true), "12");
    EXPECT_EQ(link_displayed_text(l, 12.2, false), "");
}

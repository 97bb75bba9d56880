#include <gtest/gtest.h>

#include <cmath>

#include "elements/link.h"
#include "elements/link_route.h"

namespace {

using V = std::vector<int>;

RecordingCanvas draw(int route, int hc, int tc, int hk, int tk, int opt, Pt p1, Pt p2) {
    RecordingCanvas c;
    link_draw_segment(c, route, hc, tc, hk, tk, opt, link_recip_length(p1, p2), p1, p2);
    return c;
}

}  // namespace

TEST(LinkRoute, StraightLinksShorterThanTwentyCarryNoHeads) {
    struct Case { Pt p2; size_t heads; };
    const Case cases[] = {{{19, 0}, 0}, {{20, 0}, 2}, {{0, -19}, 0}, {{0, 25}, 2}, {{0, 0}, 0}};
    for (const auto& k : cases) {
        RecordingCanvas c = draw(kRouteStraight, 1, 1, kArrowOpen, kArrowOpen, 0, {0, 0}, k.p2);
        ASSERT_EQ(c.of("line").size(), 1u);
        EXPECT_EQ(c.of("polyline").size(), k.heads) << k.p2.x << "," << k.p2.y;
    }
    EXPECT_NEAR(link_recip_length({5, 5}, {5, 5}), 100.0, 1e-9);
}

TEST(LinkRoute, OrthogonalRoutesRunThroughTheirCorners) {
    const Pt p1{0, 0}, p2{200, 100};
    struct Case { int route; std::vector<V> bodies; };
    const Case cases[] = {
        {kRouteVH, {{200, 100, 0, 100, 0, 0}}},
        {kRouteHV, {{0, 0, 200, 0, 200, 100}}},
        {kRouteVHV, {{100, 50, 0, 50, 0, 0}, {100, 50, 200, 50, 200, 100}}},
        {kRouteHVH, {{0, 0, 100, 0, 100, 50}, {200, 100, 100, 100, 100, 50}}},
        {kRouteSlopeHorz, {{0, 0, 100, 100, 200, 100}}},
        {kRouteHorzSlope, {{0, 0, 100, 0, 200, 100}}},
    };
    for (const auto& k : cases) {
        RecordingCanvas c = draw(k.route, 0, 0, 0, 0, 0, p1, p2);
        auto lines = c.of("polyline");
        ASSERT_EQ(lines.size(), k.bodies.size()) << k.route;
        for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i].args, k.bodies[i]) << k.route;
    }
    // Rounded corners: two straight pieces and the corner arc per elbow.
    RecordingCanvas c = draw(kRouteVH, 0, 0, 0, 0, 1, p1, p2);
    EXPECT_EQ(c.of("line").size(), 2u);
    EXPECT_EQ(c.of("arc").size(), 1u);
}

TEST(LinkRoute, OrthogonalHeadsArriveAlongTheLastLeg) {
    // V-H: the head lies on the horizontal leg at P2, the tail on the vertical leg at P1.
    RecordingCanvas c = draw(kRouteVH, 1, 1, kArrowSolidTriangle, kArrowSolidTriangle, 0, {0, 0}, {200, 100});
    auto heads = c.of("polygon");
    ASSERT_EQ(heads.size(), 2u);
    EXPECT_EQ(heads[0].args, (V{165, 114, 200, 100, 165, 86}));
    EXPECT_EQ(heads[1].args, (V{-14, 35, 0, 0, 14, 35}));
    // H-V reversed left and down: the signs follow the leg.
    c = draw(kRouteHV, 1, 1, kArrowSolidTriangle, kArrowSolidTriangle, 0, {200, 100}, {0, 0});
    heads = c.of("polygon");
    ASSERT_EQ(heads.size(), 2u);
    EXPECT_EQ(heads[0].args, (V{-14, 35, 0, 0, 14, 35}));
    EXPECT_EQ(heads[1].args, (V{165, 114, 200, 100, 165, 86}));
}

TEST(LinkRoute, ArcIsAQuarterEllipseUnlessNearlyLevel) {
    RecordingCanvas c = draw(kRouteArc, 1, 0, 0, 0, 0, {0, 0}, {200, 14});
    EXPECT_EQ(c.of("arc").size(), 0u);
    EXPECT_EQ(c.of("line").size(), 1u);
    EXPECT_EQ(c.of("polyline").size(), 1u);  // the straight link's head

    struct Case { Pt p2; V arc; };
    const Case cases[] = {
        // Same signs: drawn from P2 to P1.
        {{100, 100}, {0, 100, 200, -100, 100, 100, 0, 0}},
        {{-100, -100}, {0, -100, -200, 100, -100, -100, 0, 0}},
        // Opposite signs: from P1 to P2.
        {{100, -100}, {0, -100, 200, 100, 0, 0, 100, -100}},
        {{-100, 15}, {0, 15, -200, -15, 0, 0, -100, 15}},
    };
    for (const auto& k : cases) {
        c = draw(kRouteArc, 0, 0, 0, 0, 0, {0, 0}, k.p2);
        auto arcs = c.of("arc");
        ASSERT_EQ(arcs.size(), 1u);
        EXPECT_EQ(arcs[0].args, k.arc) << k.p2.x << "," << k.p2.y;
    }
}

TEST(LinkRoute, CurveBulgeGrowsWithTheOption) {
    const int want[8] = {6, 28, 43, 55, 62, 67, 69, 70};
    for (int o = 0; o < 8; ++o) EXPECT_EQ(link_curve_bulge(o), want[o]) << o;
    EXPECT_EQ(link_curve_bulge(-3), 6);
    EXPECT_EQ(link_curve_bulge(12), 70);
    EXPECT_EQ(link_curve_offset(kRouteCurve1, 0, 1000), 80);
    EXPECT_EQ(link_curve_offset(kRouteCurve2, 7, 1000), 990);
    EXPECT_EQ(link_curve_offset(kRouteArc, 7, 1001), 500);
}

TEST(LinkRoute, CurveTwoMirrorsCurveOne) {
    const Pt p1{0, 0}, p2{400, 0};
    RecordingCanvas a = draw(kRouteCurve1, 1, 0, 0, 0, 7, p1, p2);
    RecordingCanvas b = draw(kRouteCurve2, 1, 0, 0, 0, 7, p1, p2);
    auto arc_a = a.of("arc"), arc_b = b.of("arc");
    ASSERT_EQ(arc_a.size(), 1u);
    ASSERT_EQ(arc_b.size(), 1u);
    // The head end is pulled back 10 and moved 10 sideways, to opposite sides.
    auto head_a = a.of("polyline"), head_b = b.of("polyline");
    ASSERT_EQ(head_a.size(), 1u);
    ASSERT_EQ(head_b.size(), 1u);
    EXPECT_EQ(head_a[0].args[2], 390);
    EXPECT_EQ(head_a[0].args[3], 10);
    EXPECT_EQ(head_b[0].args[2], 390);
    EXPECT_EQ(head_b[0].args[3], -10);
    // Boxes mirror about the chord.
    EXPECT_EQ(arc_a[0].args[1], -arc_b[0].args[3]);
    EXPECT_EQ(arc_a[0].args[3], -arc_b[0].args[1]);
}

TEST(LinkRoute, TaperedWedgeAndDoubleLine) {
    RecordingCanvas c = draw(kRouteTapered, 0, 0, 0, 0, 0, {0, 0}, {200, 0});
    auto w = c.of("polygon");
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0].args, (V{200, 0, 25, -25, 25, 25}));
    // Ends closer than 25: the base lies 25 from P1, past P2, and is still drawn.
    c = draw(kRouteTemporary, 0, 0, 0, 0, 0, {0, 0}, {10, 0});
    w = c.of("polygon");
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0].args[2], 25);

    c = draw(kRouteDouble, 1, 0, kArrowOpen, 0, 0, {0, 0}, {200, 0});
    auto lines = c.of("line");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].args, (V{10, 10, 190, 10}));
    EXPECT_EQ(lines[1].args, (V{10, -10, 190, -10}));
    auto head = c.of("polyline");
    ASSERT_EQ(head.size(), 1u);
    EXPECT_EQ(head[0].args, (V{158, 27, 200, 0, 158, -27}));  // 54 wide
}

TEST(LinkRoute, UnknownRouteDrawsNothing) {
    for (int route : {12, 15, 17, -1, 255}) EXPECT_TRUE(draw(route, 1, 1, 0, 0, 0, {0, 0}, {300, 300}).calls.empty());
}

TEST(LinkRoute, ConstructionPoints) {
    const Pt p1{0, 0}, p2{200, 100};
    const double w = link_recip_length(p1, p2);
    struct Case { int kind; double n; double x, y; };
    const Case cases[] = {
        {0, 0, 200, 100}, {1, 0, 0, 50}, {2, 0, 100, 0}, {9, 0, 100, 100}, {10, 0, 100, 0},
        {11, 0, 100, 83}, {4, 0, 200, 100} /* falls to kind 0 */,
    };
    for (const auto& k : cases) {
        RealPt r = link_route_point(k.kind, k.n, w, p1, p2);
        EXPECT_NEAR(r.x, k.x, 1e-6) << k.kind;
        EXPECT_NEAR(r.y, k.y, 1e-6) << k.kind;
    }
    // The curve points lie off the chord, on either side, about N / 2 from the middle.
    RealPt a = link_route_point(5, 100, w, p1, p2), b = link_route_point(6, 100, w, p1, p2);
    auto side = [&](RealPt q) { return (p2.x - p1.x) * (q.y - p1.y) - (p2.y - p1.y) * (q.x - p1.x); };
    EXPECT_GT(side(a) * side(b) * -1, 0);
    EXPECT_NEAR(std::hypot(a.x - 100, a.y - 50), 50, 1.0);
}

TEST(LinkArrowheads, KindsFromTheirCorners) {
    const Pt c1{0, 10}, c2{20, 0}, c3{0, -10};
    struct Case { int kind; const char* op; V args; };
    const Case cases[] = {
        {0, "polyline", {0, 10, 20, 0, 0, -10}},
        {1, "polygon", {0, 10, 20, 0, 0, -10}},
        {2, "line", {0, -10, 0, 10}},
        {3, "polygon", {0, 10, 20, 0, 0, -10, -20, 0}},
        {4, "polyline", {0, 10, 20, 0, 0, -10, 0, 10}},
        {5, "polyline", {0, 10, 20, 0, 0, -10, -20, 0, 0, 10}},
    };
    for (const auto& k : cases) {
        RecordingCanvas c;
        EXPECT_TRUE(link_draw_arrowhead(c, k.kind, c1, c2, c3));
        ASSERT_EQ(c.calls.size(), 1u);
        EXPECT_EQ(c.calls[0].op, k.op) << k.kind;
        EXPECT_EQ(c.calls[0].args, k.args) << k.kind;
    }
    RecordingCanvas c;
    EXPECT_FALSE(link_draw_arrowhead(c, 6, c1, c2, c3));
    EXPECT_FALSE(link_draw_arrowhead(c, -1, c1, c2, c3));
    EXPECT_TRUE(c.calls.empty());
}

TEST(LinkArrowheads, SlantedEndSizesAndCounts) {
    const Pt a{0, 0}, b{100, 0};
    const double w = link_recip_length(a, b);
    struct Case { int count; int kind; std::vector<V> heads; };
    const Case cases[] = {
        {0, 0, {}},
        {-1, 0, {}},
        {1, 0, {{58, 14, 100, 0, 58, -14}}},
        {3, 0, {{58, 14, 100, 0, 58, -14}}},  // only 2 adds a second head
        {2, 0, {{58, 14, 100, 0, 58, -14}, {16, 14, 58, 0, 16, -14}}},
        {1, 5, {{58, 14, 100, 0, 58, -14, 16, 0, 58, 14}}},  // a diamond reaches 84 back
    };
    for (const auto& k : cases) {
        RecordingCanvas c;
        link_draw_end(c, 28, k.count, k.kind, w, a, b);
        auto got = c.of("polyline");
        ASSERT_EQ(got.size(), k.heads.size()) << k.count;
        for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i].args, k.heads[i]);
    }
    // A cross is a bar at the head's base; it never touches the tip.
    RecordingCanvas c;
    link_draw_end(c, 28, 1, kArrowCross, w, a, b);
    ASSERT_EQ(c.of("line").size(), 1u);
    EXPECT_EQ(c.of("line")[0].args, (V{58, -14, 58, 14}));
}

TEST(LinkArrowheads, AxisEndsAreThirtyFiveLongTwentyEightWide) {
    struct Case { bool horz; int from, tip_x, tip_y, count; std::vector<V> heads; };
    const Case cases[] = {
        {true, 0, 100, 50, 1, {{65, 64, 100, 50, 65, 36}}},
        {true, 200, 100, 50, 2, {{135, 64, 100, 50, 135, 36}, {170, 64, 135, 50, 170, 36}}},
        {true, 100, 100, 50, 1, {{65, 64, 100, 50, 65, 36}}},  // no direction counts as +1
        {false, 0, 50, 100, 1, {{36, 65, 50, 100, 64, 65}}},
        {false, 300, 50, 100, 2, {{36, 135, 50, 100, 64, 135}, {36, 170, 50, 135, 64, 170}}},
        {false, 0, 50, 100, 0, {}},
        {true, 0, 100, 50, -2, {}},
    };
    for (const auto& k : cases) {
        RecordingCanvas c;
        if (k.horz) link_draw_end_horz(c, k.count, kArrowOpen, k.from, k.tip_x, k.tip_y);
        else link_draw_end_vert(c, k.count, kArrowOpen, k.from, k.tip_x, k.tip_y);
        auto got = c.of("polyline");
        ASSERT_EQ(got.size(), k.heads.size());
        for (size_t i = 0; i < got.size(); ++i) EXPECT_EQ(got[i].args, k.heads[i]);
    }
}

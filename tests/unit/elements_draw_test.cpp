// Link bodies, link arcs, handles, the opening effect and the print-preview frame.
#include <gtest/gtest.h>

#include <cmath>

#include "elements/draw.h"

namespace {

TEST(Draw, RoundedCornerOfALinkBody) {
    RecordingCanvas c;
    draw_link_line(c, 1, {0, 0}, {100, 0}, {100, 100});
    auto lines = c.of("line");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].args, (std::vector<int>{0, 0, 75, 0}));
    EXPECT_EQ(lines[1].args, (std::vector<int>{100, 25, 100, 100}));
    // (0 - 100) x (0 - 100) > 0: from A to B.
    EXPECT_EQ(c.of("arc")[0].args, (std::vector<int>{50, 0, 100, 50, 75, 0, 100, 25}));

    RecordingCanvas d;
    draw_link_line(d, 1, {0, 0}, {100, 0}, {200, 0});  // product 0: from B to A
    EXPECT_EQ(d.of("arc")[0].args, (std::vector<int>{50, 0, 150, 0, 125, 0, 75, 0}));

    RecordingCanvas far;  // the sign test must not overflow far out on the diagram
    draw_link_line(far, 1, {-60000, -60000}, {0, 0}, {60000, 60000});
    auto a = far.of("arc")[0].args;
    EXPECT_EQ((std::vector<int>{a[4], a[5]}), (std::vector<int>{-15000, -15000}));

    RecordingCanvas p;
    draw_link_line(p, 0, {0, 0}, {100, 0}, {100, 100});
    EXPECT_EQ(p.of("polyline")[0].args, (std::vector<int>{0, 0, 100, 0, 100, 100}));
    EXPECT_TRUE(p.of("arc").empty());
}

TEST(Draw, LinkArcCentreByBulge) {
    struct { int bulge; double dist; } cases[] = {{60, 100}, {70, 0}, {0, 700}, {80, 100}};
    for (auto c : cases) {
        LinkArc g = draw_link_arc_geometry(c.bulge, {0, 0}, {200, 0});
        EXPECT_NEAR(std::hypot(g.cx - 100, g.cy), c.dist, 1e-9) << c.bulge;
        EXPECT_NEAR(g.radius, std::hypot(g.cx, g.cy), 1e-9);
    }
    RecordingCanvas c;
    LinkArc g = draw_link_arc(c, 60, {0, 0}, {200, 0});
    EXPECT_DOUBLE_EQ(g.cx, 100);
    EXPECT_DOUBLE_EQ(g.cy, -100);
    EXPECT_EQ(g.t2, (Pt{100, 100}));
    EXPECT_EQ(g.t1, (Pt{100, 100}));
    // Drawn from P2 to P1 in the circle's box.
    EXPECT_EQ(c.of("arc")[0].args, (std::vector<int>{-41, 41, 241, -241, 200, 0, 0, 0}));
}

TEST(Draw, HandlesAndCross) {
    RecordingCanvas c;
    draw_mark_corners(c, 0, 100, 200, 0);
    auto r = c.of("rectangle");
    ASSERT_EQ(r.size(), 8u);
    const int centres[8][2] = {{0, 100}, {200, 100}, {200, 0}, {0, 0}, {100, 100}, {100, 0}, {0, 50}, {200, 50}};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(r[i].args, (std::vector<int>{centres[i][0] - 12, centres[i][1] - 12, centres[i][0] + 12, centres[i][1] + 12}));
    EXPECT_EQ(c.brush, (Brush{2, 0xFFFFFF}));
    RecordingCanvas x;
    draw_cross(x, 5, 6, 3);
    EXPECT_EQ(x.of("line")[0].args, (std::vector<int>{2, 6, 8, 6}));
    EXPECT_EQ(x.of("line")[1].args, (std::vector<int>{5, 9, 5, 3}));
}

TEST(Draw, OpenEffectGrowsOrShrinks) {
    Rc r{100, 100, 300, 200};
    auto open = draw_open_effect_frames({200, 150}, r, 1);
    ASSERT_EQ(open.size(), 8u);
    EXPECT_EQ(open[0], (Rc{180, 140, 220, 160}));  // k = 2
    EXPECT_EQ(open[7], (Rc{110, 105, 290, 195}));  // k = 9
    auto close = draw_open_effect_frames({200, 150}, r, 0);
    EXPECT_EQ(close.front(), open.back());
    EXPECT_EQ(close.back(), open.front());
    auto travel = draw_open_effect_frames({0, 0}, r, 1);
    EXPECT_EQ(travel[0], (Rc{20, 20, 60, 40}));
}

TEST(Draw, PreviewFrameProportionsAndParts) {
    PreviewFrame f = draw_preview_frame(3369, 2323, 0);
    EXPECT_EQ(f.frame, (Rc{-227, 157, 227, -157}));
    EXPECT_EQ(f.parts_x, 1);
    EXPECT_TRUE(f.dividers.empty());
    struct { int s; int px, py; size_t dividers; int half_w, half_h; } cases[] = {
        {1, 2, 1, 1, 455, 157}, {2, 1, 2, 1, 227, 314}, {3, 1, 1, 2, 227, 157}, {4, 1, 1, 4, 227, 157},
    };
    for (auto c : cases) {
        PreviewFrame g = draw_preview_frame(3369, 2323, c.s);
        EXPECT_EQ(g.parts_x, c.px) << c.s;
        EXPECT_EQ(g.parts_y, c.py) << c.s;
        EXPECT_EQ(g.dividers.size(), c.dividers) << c.s;
        EXPECT_EQ(g.frame.right, c.half_w) << c.s;
        EXPECT_EQ(g.frame.top, c.half_h) << c.s;
    }
    // Same page shape at another resolution: the same frame.
    EXPECT_EQ(draw_preview_frame(3369 * 2, 2323 * 2, 0).frame, f.frame);
    for (auto bad : {std::pair{0, 100}, std::pair{100, 0}, std::pair{-5, 100}}) {
        PreviewFrame z = draw_preview_frame(bad.first, bad.second, 1);
        EXPECT_EQ(z.frame, (Rc{}));
        EXPECT_EQ(z.parts_x, 1);
        EXPECT_EQ(z.parts_y, 1);
    }
}

}  // namespace

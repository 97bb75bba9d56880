// Shapes through the recording canvas: what each kind draws from its two ordered corners, the
// rotated partners, half ellipses on either side, arrows, pens and brushes from the style word.
#include <gtest/gtest.h>

#include "bars/toolbox.h"
#include "base/palette.h"
#include "elements/draw.h"
#include "elements/shape.h"
#include "view/viewgeom.h"

namespace {

using V = std::vector<int>;

struct Drawn {
    std::string op;
    V args;
};

std::vector<Drawn> drawn(int kind, int rotate, int x1, int y1, int x2, int y2, int curvature = 0) {
    RecordingCanvas c;
    EXPECT_TRUE(shape_draw(c, kind, rotate, curvature, x1, y1, x2, y2)) << kind;
    std::vector<Drawn> out;
    for (const auto& k : c.calls)
        if (k.op != "pen" && k.op != "brush") out.push_back({k.op, k.args});
    return out;
}

TEST(Shape, EachKindFromItsCorners) {
    struct Case {
        int kind, rotate;
        std::string op;
        V args;
    } cases[] = {
        {1, 0, "rectangle", {100, 100, 300, 400}},
        {2, 0, "roundrect", {100, 400, 300, 100, 50, 50}},
        {3, 0, "ellipse", {100, 400, 300, 100}},
        {4, 0, "polygon", {200, 400, 300, 250, 200, 100, 100, 250}},
        {5, 0, "polygon", {200, 400, 300, 100, 100, 100}},
        {6, 0, "polygon", {100, 400, 100, 100, 300, 250}},
        {7, 0, "line", {100, 400, 300, 100}},
        {8, 0, "polyline", {100, 100, 100, 400, 300, 400}},
        {10, 0, "pie", {100, 400, 300, -200, 300, 100, 100, 100}},
        {11, 0, "pie", {-100, 400, 300, 100, 100, 100, 100, 400}},
        {12, 0, "arc", {100, 400, 300, -200, 300, 100, 100, 100}},
        {13, 0, "arc", {-100, 400, 300, 100, 100, 100, 100, 400}},
        {21, 0, "polyline", {300, 100, 100, 100, 100, 400, 300, 400}},
        {22, 0, "polyline", {100, 100, 100, 400, 300, 400, 300, 100}},
        // Rotated: the partner kind with swapped corners.
        {5, 1, "polygon", {300, 400, 300, 100, 100, 250}},
        {6, 1, "polygon", {200, 100, 300, 400, 100, 400}},
        {10, 1, "pie", {500, 400, 100, 100, 300, 400, 300, 100}},
        {11, 1, "pie", {100, 100, 300, 700, 100, 400, 300, 400}},
        {12, 1, "arc", {500, 100, 100, 400, 300, 400, 300, 100}},
        {13, 1, "arc", {100, 100, 300, 700, 100, 400, 300, 400}},
        {21, 1, "polyline", {100, 100, 100, 400, 300, 400, 300, 100}},
        {22, 1, "polyline", {300, 100, 100, 100, 100, 400, 300, 400}},
        // Kinds without a rotated variant ignore the bit.
        {1, 1, "rectangle", {100, 100, 300, 400}},
        {7, 1, "line", {100, 400, 300, 100}},
    };
    for (const auto& c : cases) {
        auto d = drawn(c.kind, c.rotate, 100, 400, 300, 100);
        ASSERT_EQ(d.size(), 1u) << c.kind << "/" << c.rotate;
        EXPECT_EQ(d[0].op, c.op) << c.kind << "/" << c.rotate;
        EXPECT_EQ(d[0].args, c.args) << c.kind << "/" << c.rotate;
    }
}

TEST(Shape, HalfEllipseSideFollowsTheSignOfTheExactProduct) {
    struct Case {
        int x1, y1, x2, y2;
        V radials;  // start x, y, end x, y
    } cases[] = {
        {0, 2000, 2, 0, {2, 0, 0, 0}},        // positive
        {0, 0, 2, 0, {2, 0, 0, 0}},           // zero counts as not negative
        {0, 0, 2, 2000, {0, 2000, 2, 2000}},  // -4000
        {0, 0, 1, 999, {0, 999, 1, 999}},     // -999: a rounded quotient would call it 0
        {-60000, 60000, 60000, -60000, {60000, -60000, -60000, -60000}},  // far out, no overflow
    };
    for (const auto& c : cases) {
        auto d = drawn(10, 0, c.x1, c.y1, c.x2, c.y2);
        ASSERT_EQ(d.size(), 1u);
        EXPECT_EQ(V(d[0].args.begin() + 4, d[0].args.end()), c.radials) << c.x1 << "," << c.y1;
    }
}

TEST(Shape, FlipsRoundRectsArrowsArcsAndKindsWithoutADrawing) {
    // A flipped line runs from the old right end; a rectangle looks the same either way.
    EXPECT_EQ(drawn(7, 0, 300, 400, 100, 100)[0].args, (V{300, 400, 100, 100}));
    EXPECT_EQ(drawn(1, 0, 300, 100, 100, 400)[0].args, (V{300, 400, 100, 100}));
    // Top below bottom: a negative corner; flat: none.
    EXPECT_EQ(drawn(2, 0, 0, 0, 100, 60)[0].args, (V{0, 0, 100, 60, -10, -10}));
    EXPECT_EQ(drawn(2, 0, 0, 50, 100, 50)[0].args, (V{0, 50, 100, 50, 0, 0}));

    // Arrows: no heads below 19.99 units; Arrow1 one head at the second corner, Arrow2 two.
    EXPECT_EQ(drawn(14, 0, 0, 0, 19, 0).size(), 1u);
    auto one = drawn(14, 0, 0, 0, 400, 0);
    ASSERT_EQ(one.size(), 2u);
    EXPECT_EQ(one[1].op, "polyline");
    EXPECT_EQ(one[1].args[2], 400);  // the tip
    auto two = drawn(15, 0, 0, 0, 400, 0);
    ASSERT_EQ(two.size(), 3u);
    EXPECT_EQ(two[2].args[2], 0);

    // Both arc kinds hand the same arguments to the arc painter.
    RecordingCanvas ref;
    draw_link_arc(ref, 40, {0, 0}, {500, 100});
    for (int kind : {kShapeArc1, kShapeArc2}) {
        auto d = drawn(kind, 1, 0, 0, 500, 100, 40);
        ASSERT_EQ(d.size(), 1u);
        EXPECT_EQ(d[0].args, ref.of("arc")[0].args);
    }

    for (int kind : {16, 17, 20, 24, 26, -1}) {
        RecordingCanvas c;
        EXPECT_FALSE(shape_draw(c, kind, 0, 0, 0, 100, 100, 0));
        EXPECT_TRUE(c.calls.empty());
    }
}

TEST(Shape, MarkedRegionIsDottedInTheDrawingColourWithHandles) {
    tbar_palette_reset();
    RecordingCanvas c;
    c.set_pen({8, 0, 0x123456});
    c.calls.clear();
    ASSERT_TRUE(shape_draw(c, kShapeRegion, 0, 0, 0, 100, 200, 0));
    ASSERT_GE(c.calls.size(), 3u);
    EXPECT_EQ(c.calls[0].args, (V{0, 2, static_cast<int>(tbar_current_color().colour)}));
    EXPECT_EQ(c.calls[1].op, "rectangle");
    EXPECT_EQ(c.calls[2].args, (V{8, 0, 0x123456}));  // the pen before comes back
    EXPECT_EQ(c.of("rectangle").size(), 9u);           // the frame and eight handles
}

TEST(Shape, PenAndBrushFromTheStyleWord) {
    tbar_palette_reset();
    const int own = 5, global = 9;
    struct Case {
        int32_t style;
        Pen pen;
        Brush brush;
    } cases[] = {
        {0, {0, 0, *tbar_color(own)}, {1, *tbar_color(own)}},
        {kShapeThick | kShapeDashed, {8, 1, *tbar_color(own)}, {1, *tbar_color(own)}},
        {kShapeDotted | kShapeGlobalLine, {0, 2, *tbar_color(global)}, {1, *tbar_color(own)}},
        {(1 << 8) | kShapeFilled, {0, 0, *tbar_color(own)}, {2, *tbar_color(own)}},
        {(4 << 8) | kShapeFilled, {0, 0, *tbar_color(own)}, {5, *tbar_color(own)}},  // "\\\ hatch"
        {(7 << 8) | kShapeFilled, {0, 0, *tbar_color(own)}, {8, *tbar_color(own)}},
        {(40 << 8) | kShapeFilled, {0, 0, *tbar_color(own)}, {1, *tbar_color(own)}},  // unknown fill: hollow
    };
    for (const auto& c : cases) {
        Shape s;
        s.colour_curve = (12 << 8) | own;
        s.style = c.style;
        ShapeLook l = shape_look(s, global);
        EXPECT_EQ(l.pen, c.pen) << c.style;
        EXPECT_EQ(l.brush, c.brush) << c.style;
    }
}

TEST(Shape, ExtentCoversArcsAndHalfEllipses) {
    Shape s;
    s.kind = 10;
    s.left = 0, s.top = 400, s.right = 200, s.bottom = 100;
    Rc e = shape_extent(s);
    EXPECT_LE(e.bottom, -200);  // the hidden half of the bounding box counts too
    s.kind = kShapeArc2;
    s.colour_curve = 64 << 8;
    s.left = 0, s.top = 0, s.right = 1000, s.bottom = 0;
    e = shape_extent(s);
    EXPECT_GE(e.top - e.bottom, 400);  // a strongly curved arc bulges off its chord
}

TEST(Shape, KindAndFillListsFollowTheShapebar) {
    ToolboxModel tools;
    auto kinds = tools.shape_kinds();
    ASSERT_EQ(kinds.size(), shape_kind_names().size());
    for (size_t i = 0; i < kinds.size(); ++i) {
        EXPECT_EQ(kinds[i].code, shape_kind_names()[i].code);
        EXPECT_EQ(kinds[i].name, shape_kind_names()[i].name);
    }
    auto fills = tools.fill_styles();
    ASSERT_EQ(fills.size(), shape_fill_names().size());
    for (size_t i = 0; i < fills.size(); ++i) EXPECT_EQ(fills[i].name, shape_fill_names()[i]);
}

TEST(Shape, ArcsAreHitOnTheirCurveNotOnTheirChord) {
    // A quarter circle over the chord (0, 0) - (1000, 0): centre (500, -500), top at y = 207.
    Shape arc;
    arc.key = 1;
    arc.kind = kShapeArc2;
    arc.level = 1;
    arc.colour_curve = 60 << 8;
    arc.right = 1000;
    std::vector<Shape> shapes{arc};
    EXPECT_EQ(shape_at(shapes, 1, {500, 207}, 10), Key{1});
    EXPECT_EQ(shape_at(shapes, 1, {500, 197}, 15), Key{1});
    EXPECT_FALSE(shape_at(shapes, 1, {500, 0}, 10));      // the chord
    EXPECT_FALSE(shape_at(shapes, 1, {500, -1207}, 10));  // the circle's undrawn part
    shapes[0].kind = 1;  // other kinds by their rectangle
    EXPECT_EQ(shape_at(shapes, 1, {500, 0}, 10), Key{1});
}

TEST(Shape, LineStyleOfNewShapes) {
    struct Case { int radio, a, b, kept; } cases[] = {
        {kShapeLineSolid, 0, 0, kShapeLineSolid},
        {kShapeLineDashed, 1, 0, kShapeLineDashed},
        {kShapeLineDotted, 0, 1, kShapeLineDotted},
        {4711, 0, 0, kShapeLineSolid},
    };
    for (const auto& c : cases) {
        shape_set_line_para(c.radio);
        EXPECT_EQ(shape_line_para(), c.kept);
        EXPECT_EQ(shape_line_style().a, c.a);
        EXPECT_EQ(shape_line_style().b, c.b);
    }
    shape_set_line_para(kShapeLineSolid);
}

}  // namespace

// Shapes under Wine: half ellipses and rotated triangles checked by pixels on the view's y-up
// mapping.
#include <windows.h>

#include <gtest/gtest.h>

#include "elements/canvas_win.h"
#include "elements/shape.h"
#include "win/win_test_util.h"

namespace {

// A filled shape on a 400 x 400 bitmap, one unit a pixel, the diagram origin in the middle.
struct Drawn : wt::MemBitmap {
    Drawn(int kind, int rotate, int x1, int y1, int x2, int y2) : MemBitmap(400, 400, 200, 200) {
        {
            GdiCanvas c(dc);
            Shape s;
            s.kind = kind;
            s.style = (rotate ? kShapeRotate : 0) | kShapeFilled | (1 << 8);
            s.left = x1, s.top = y1, s.right = x2, s.bottom = y2;
            shape_paint(c, s, 0);
        }
        GdiFlush();
    }
    bool at(int x, int y) const { return ink(200 + x, 200 - y); }
};

TEST(ShapePixels, HalfEllipsesLieOnTheSideTheirCornersSay) {
    struct Case {
        int kind, x1, y1, x2, y2;
        Pt inside, outside;
    } cases[] = {
        {10, -100, 100, 100, 0, {0, 60}, {0, -60}},     // curve up through Top
        {10, -100, -100, 100, 0, {0, -60}, {0, 60}},    // flipped: down
        {10, 0, 0, 27, 37, {13, 8}, {13, 66}},          // product -999: still down
        {11, 0, -100, 100, 100, {60, 0}, {-60, 0}},     // curve right through X2
        {11, 0, -100, -100, 100, {-60, 0}, {60, 0}},    // flipped: left
    };
    for (const auto& c : cases) {
        Drawn d(c.kind, 0, c.x1, c.y1, c.x2, c.y2);
        EXPECT_TRUE(d.at(c.inside.x, c.inside.y)) << c.kind << " " << c.x1 << "," << c.y1;
        EXPECT_FALSE(d.at(c.outside.x, c.outside.y)) << c.kind << " " << c.x1 << "," << c.y1;
    }
}

TEST(ShapePixels, RotatedTrianglesAndSemiEllipsesTurn) {
    Drawn t1(5, 1, -100, 100, 100, -100);  // apex at the left, flat side on the right
    EXPECT_TRUE(t1.at(80, 70));
    EXPECT_TRUE(t1.at(-80, 0));
    EXPECT_FALSE(t1.at(-80, 70));
    Drawn t2(6, 1, -100, 100, 100, -100);  // apex down
    EXPECT_TRUE(t2.at(0, -80));
    EXPECT_FALSE(t2.at(-80, -80));
    EXPECT_TRUE(t2.at(-80, 90));
    Drawn s1(10, 1, -100, 100, 100, 0);  // SemiEllipse1 turned: flat side on x = 100, curve left
    EXPECT_TRUE(s1.at(60, 50));
    EXPECT_FALSE(s1.at(140, 50));
}

}  // namespace

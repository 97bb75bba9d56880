// Links painted through GDI on a y-up mapping, checked by pixels: arc directions, curve sides,
// arrowheads and tilted labels.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "document/view.h"
#include "elements/canvas_win.h"
#include "elements/font.h"
#include "elements/link.h"
#include "elements/link_label.h"
#include "elements/link_paint.h"
#include "elements/link_route.h"
#include "win/win_test_util.h"

namespace {

using Bitmap = wt::MemBitmap;

void draw(Bitmap& b, int route, Pt p1, Pt p2, int opt = 0, int hc = 0, int tc = 0, int kind = 0) {
    GdiFlush();
    {
        GdiCanvas c(b.dc);
        c.set_pen({1, 0, 0});
        c.set_brush({2, 0});
        link_draw_segment(c, route, hc, tc, kind, kind, opt, link_recip_length(p1, p2), p1, p2);
    }
    GdiFlush();
}

}  // namespace

TEST(LinkPixels, ArcQuarterLeavesP1VerticallyAndReachesP2Level) {
    // Diagram origin at the bitmap centre; the ellipse is centred on (X2, Y1) with radii 100.
    struct Case { Pt p1, p2; };
    const Case cases[] = {
        {{-100, 0}, {0, 100}}, {{100, 0}, {0, 100}}, {{-100, 0}, {0, -100}}, {{100, 0}, {0, -100}},
    };
    for (const auto& k : cases) {
        Bitmap b(300, 300, 150, 150);
        draw(b, kRouteArc, k.p1, k.p2);
        // The quarter's middle (device y grows downward).
        const double mx = k.p2.x + (k.p1.x - k.p2.x) * std::sqrt(0.5);
        const double my = k.p1.y + (k.p2.y - k.p1.y) * std::sqrt(0.5);
        const int dx = 150 + static_cast<int>(std::lround(mx)), dy = 150 - static_cast<int>(std::lround(my));
        EXPECT_TRUE(b.ink_near(dx, dy)) << k.p1.x << "," << k.p2.y;
        // The opposite quarter of the same ellipse stays empty.
        const int ox = 150 + static_cast<int>(std::lround(2 * k.p2.x - mx));
        const int oy = 150 - static_cast<int>(std::lround(2 * k.p1.y - my));
        EXPECT_FALSE(b.ink_near(ox, oy)) << k.p1.x << "," << k.p2.y;
        EXPECT_LT(b.ink_count(), 400) << "more than a quarter was drawn";
    }
}

TEST(LinkPixels, CurvesBulgeOnOppositeSidesAndStayShort) {
    for (int opt : {0, 3, 7}) {
        Bitmap one(400, 400, 200, 200), two(400, 400, 200, 200);
        draw(one, kRouteCurve1, {-150, 0}, {150, 0}, opt);
        draw(two, kRouteCurve2, {-150, 0}, {150, 0}, opt);
        // A curve drawn the long way round would run off the bitmap.
        EXPECT_EQ(one.ink_on_border(), 0) << opt;
        EXPECT_EQ(two.ink_on_border(), 0) << opt;
        int up1 = 0, up2 = 0, down1 = 0, down2 = 0;
        for (int y = 0; y < 400; ++y) {
            (y < 195 ? up1 : y > 205 ? down1 : up1) += one.ink(200, y) && (y < 195 || y > 205);
            (y < 195 ? up2 : y > 205 ? down2 : up2) += two.ink(200, y) && (y < 195 || y > 205);
        }
        EXPECT_TRUE((up1 > 0) != (down1 > 0)) << opt;
        EXPECT_TRUE((up2 > 0) != (down2 > 0)) << opt;
        EXPECT_NE(up1 > 0, up2 > 0) << opt;
    }
}

TEST(LinkPixels, TiltedLabelRunsAlongTheLink) {
    view_doc() = Document();
    font_init_defaults();
    struct Case { Pt p1, p2; int sign; };  // sign of the x-y correlation in device pixels
    const Case cases[] = {{{-150, -150}, {150, 150}, -1}, {{-150, 150}, {150, -150}, +1}};
    for (const auto& k : cases) {
        Bitmap b(500, 500, 250, 250);
        {
            GdiCanvas c(b.dc);
            c.set_font(font_to_canvas(text_font(kFontLinkLabel, 4)));
            c.set_text_colour(0);
            c.set_text_bk(false, 0xFFFFFF);
            link_label_draw(c, true, false, {0, 0}, "WWWWWWWW", k.p1, k.p2);
        }
        GdiFlush();
        double sx = 0, sy = 0, n = 0;
        for (int y = 0; y < b.h; ++y)
            for (int x = 0; x < b.w; ++x)
                if (b.ink(x, y)) { sx += x; sy += y; ++n; }
        ASSERT_GT(n, 50);
        const double mx = sx / n, my = sy / n;
        double cxy = 0;
        for (int y = 0; y < b.h; ++y)
            for (int x = 0; x < b.w; ++x)
                if (b.ink(x, y)) cxy += (x - mx) * (y - my);
        EXPECT_EQ(cxy > 0 ? 1 : -1, k.sign) << k.p2.x << "," << k.p2.y;
    }
}

TEST(LinkPixels, OneLineLabelsStandWhereTheirPositionPutsThem) {
    view_doc() = Document();
    font_init_defaults();
    link_label_cache_clear();
    // Anchor at the origin (the middle of a horizontal link); positions Above, Center, Below put
    // the label's lower edge at 60, 25 and -10 units.
    struct Case { int position, bottom; };
    for (Case k : {Case{36, 60}, Case{46, 25}, Case{56, -10}}) {
        Bitmap b(600, 600, 300, 300);
        {
            GdiCanvas c(b.dc);
            c.set_font(font_to_canvas(text_font(kFontLinkLabel, 4)));
            c.set_text_colour(0);
            c.set_text_bk(false, 0xFFFFFF);
            link_label_cache_clear();
            link_label_place(c, 1, 2, kRouteStraight, "Mgx", 3, 400, 1 / 400.01, {-200, 0}, {200, 0}, false,
                             k.position, false, 0);
        }
        GdiFlush();
        int top = b.h, bottom = -1, left = b.w, right = -1;
        for (int y = 0; y < b.h; ++y)
            for (int x = 0; x < b.w; ++x)
                if (b.ink(x, y)) top = std::min(top, y), bottom = std::max(bottom, y), left = std::min(left, x),
                                 right = std::max(right, x);
        ASSERT_GE(bottom, 0) << k.position;
        // Device y grows downward from the origin row 300; the descender reaches the edge.
        EXPECT_NEAR(300 - bottom, k.bottom, 6) << k.position;
        EXPECT_LT(300 - top, k.bottom + 60) << k.position;
        // The cached hit box is the painted text.
        auto pt = link_label_pt_get(1, 2);
        ASSERT_TRUE(pt && pt->box) << k.position;
        EXPECT_LE(pt->box->left, left);
        EXPECT_GE(pt->box->right, right);
        EXPECT_LE(pt->box->top, top);
        EXPECT_GE(pt->box->bottom, bottom - 1);
        EXPECT_LT(pt->box->right - pt->box->left, 120) << "the box is the text, not the whole label cell";
    }
}

// Links painted through GDI on a y-up mapping, checked by pixels: arc directions, curve sides,
// arrowheads and tilted labels. Also writes links_gallery.bmp for a look.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "elements/canvas_win.h"
#include "elements/font.h"
#include "elements/link.h"
#include "elements/link_label.h"
#include "elements/link_paint.h"
#include "elements/link_route.h"
#include "view/view.h"
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

TEST(LinkPixels, Gallery) {
    // Every route with a different arrowhead kind at each end, labels in each place, some tilted.
    view_doc() = Document();
    font_init_defaults();
    link_label_cache_clear();
    Bitmap b(1200, 900, 0, 900, 1, 2);  // half scale: the diagram spans 2400 x 1800 units
    {
        GdiCanvas c(b.dc);
        LinkPaintOptions o = link_paint_options();
        o.tilt_long_labels = true;
        const int routes[] = {kRouteStraight, kRouteDouble, kRouteVH, kRouteHV, kRouteVHV, kRouteHVH,
                              kRouteCurve1, kRouteCurve2, kRouteArc, kRouteTapered, kRouteSlopeHorz, kRouteHorzSlope};
        const int positions[] = {kLabelAbove, kLabelCenter, kLabelBelow, 1, 100, 45};
        for (int i = 0; i < 12; ++i) {
            const int col = i % 4, row = i / 4;
            const Pt p1{120 + col * 580, 1320 - row * 560};
            const Pt p2{p1.x + 420, p1.y + 300};
            Link l;
            l.from = static_cast<Key>(i + 1);
            l.to = static_cast<Key>(i + 100);
            LinkLook k;
            k.route = routes[i];
            k.head_count = 1 + (i % 2);
            k.tail_count = i % 3 == 0 ? 0 : 1;
            k.head_kind = i % 6;
            k.tail_kind = (i + 3) % 6;
            k.curve_option = (i == 2 || i == 4) ? 1 : (i == 6 ? 2 : 6);
            k.colour = 1 + i;
            k.label_pos = positions[i % 6];
            k.tilt = i % 3 == 1;
            k.thick = i == 9;
            link_pack(l, k);
            l.label = *link_route_name(routes[i]);
            link_paint(c, l, p1, p2, o);
        }
    }
    GdiFlush();
    b.save("links_gallery.bmp");
    EXPECT_EQ(link_label_each().size(), 12u);
}

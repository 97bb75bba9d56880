#include <gtest/gtest.h>

#include <algorithm>

#include "view/viewgeom.h"

namespace {

ViewMapping mapping(int x0, int y0, int zoom, int w = 800, int h = 600, int screen = 1600) {
    ViewMapping m;
    m.client_w = w;
    m.client_h = h;
    m.screen_w = screen;
    m.pos = {x0, y0, 1, zoom};
    return m;
}

}  // namespace

TEST(ViewMapping, PlacesTheOriginAndKeepsYUpward) {
    struct Case { int x0, y0, zoom, screen; Pt lp; Pt dp; };
    const Case cases[] = {
        {0, 0, 100, 1600, {0, 0}, {400, 300}},
        {0, 0, 100, 1600, {400, 200}, {500, 250}},    // y up: larger y is higher on screen
        {0, 0, 200, 1600, {200, -100}, {500, 350}},
        {0, 0, 100, 1600, {2, 2}, {401, 299}},        // half pixels round away from zero
        {10, 0, 100, 640, {0, 0}, {390, 300}},        // one origin unit = screen/640 px at any zoom
        {10, 0, 250, 640, {0, 0}, {390, 300}},
        {0, -20, 100, 1280, {0, 0}, {400, 340}},      // negative y0 moves content down
        {0, 0, 100, 1280, {1000, 1000}, {650, 50}},
    };
    for (const auto& c : cases) {
        auto m = mapping(c.x0, c.y0, c.zoom, 800, 600, c.screen);
        EXPECT_EQ(m.to_device(c.lp), c.dp) << c.x0 << "," << c.y0 << " zoom " << c.zoom;
    }
}

TEST(ViewMapping, RoundTripsAndAgreesWithGdiParameters) {
    for (int zoom : {1, 9, 90, 100, 110, 275}) {
        for (int x0 : {-2000, -7, 0, 333, 2000}) {
            auto m = mapping(x0, -x0 / 2, zoom, 1000, 700, 1280);
            auto g = m.gdi();
            ASSERT_GT(g.window_ext_x, 0);
            for (Pt lp : {Pt{0, 0}, Pt{123, -456}, Pt{-3000, 2500}}) {
                Pt dp = m.to_device(lp);
                // What GDI computes from the anisotropic parameters.
                double gx = lp.x * static_cast<double>(g.viewport_ext_x) / g.window_ext_x + g.viewport_org_x;
                double gy = lp.y * static_cast<double>(g.viewport_ext_y) / g.window_ext_y + g.viewport_org_y;
                EXPECT_NEAR(dp.x, gx, 1.0);
                EXPECT_NEAR(dp.y, gy, 1.0);
                Pt back = m.to_logical(dp);
                double tol = 1.0 / m.scale() + 1;
                EXPECT_NEAR(back.x, lp.x, tol) << "zoom " << zoom;
                EXPECT_NEAR(back.y, lp.y, tol) << "zoom " << zoom;
            }
        }
    }
}

TEST(ViewMapping, CentringAPointPutsItInTheMiddle) {
    for (int zoom : {50, 100, 200}) {
        auto m = mapping(0, 0, zoom, 800, 600, 1280);
        Pt target{700, -300};
        Pt o = origin_for_centre(m, target);
        m.pos.x0 = o.x;
        m.pos.y0 = o.y;
        Pt dp = m.to_device(target);
        // Origin units are 2 px here, so the point lands within one unit of the centre.
        EXPECT_NEAR(dp.x, 400, 2) << zoom;
        EXPECT_NEAR(dp.y, 300, 2) << zoom;
    }
    // Far points are clamped to the origin range instead of overflowing it.
    auto m = mapping(0, 0, 275, 800, 600, 1280);
    Pt o = origin_for_centre(m, {1000000, -1000000});
    EXPECT_EQ(o, (Pt{2000, 2000}));
}

TEST(ViewMapping, LowerLevelsShrinkAroundTheWindowCentre) {
    auto m = mapping(0, 0, 100, 800, 600, 1600);
    m.extra_scale = 0.5;
    EXPECT_EQ(m.to_device({200, 0}), (Pt{425, 300}));
    EXPECT_EQ(m.units(10), 80);
}

TEST(ViewGeom, FitZoomShowsTheWholeRectangle) {
    struct Case { Rc r; int w, h, want; };
    const Case cases[] = {
        {{0, 300, 800, 0}, 800, 600, 400},      // 1 px per unit
        {{0, 6000, 1600, 0}, 800, 600, 40},     // height decides
        {{0, 0, 0, 0}, 800, 600, 275},          // a point: the largest zoom
        {{-1000000, 1000000, 1000000, -1000000}, 800, 600, 1},
        {{0, 100, 100, 0}, 0, 600, 100},        // no window yet
    };
    for (const auto& c : cases) {
        int z = fit_zoom_percent(c.r, c.w, c.h);
        EXPECT_EQ(z, std::clamp(c.want, 1, 275));
        if (c.w > 0 && z > 1 && z < 275) {
            ViewMapping m = mapping(0, 0, z, c.w, c.h);
            EXPECT_LE((c.r.right - c.r.left) * m.scale(), c.w + 0.5);
            EXPECT_LE((c.r.top - c.r.bottom) * m.scale(), c.h + 0.5);
        }
    }
}

// Objects at the edges of the coordinate range, framed with their margins: the frame spans the
// whole range, so the fit is the smallest zoom, centred inside the range.
TEST(ViewGeom, FitOverTheWholeCoordinateRangeGivesTheSmallestZoom) {
    FitFrame f;
    for (int64_t x : {int64_t{2147483600}, int64_t{-2147483600}, int64_t{INT32_MIN}, int64_t{INT32_MAX}})
        f.add(x - 100, 60, x + 100, -60);
    f.add(-100, int64_t{2147483600} + 60, 100, int64_t{2147483600} - 60);
    EXPECT_EQ(fit_zoom_percent(f, 40, 800, 600), 1);
    Pt c = fit_centre(f);
    EXPECT_LE(std::abs(c.x), 1);
    EXPECT_GT(c.y, 1000000000);
    // One object near the limit alone is framed as closely as any other.
    FitFrame one;
    one.add(int64_t{2147483600} - 100, 60, int64_t{2147483600} + 100, -60);
    EXPECT_EQ(fit_zoom_percent(one, 40, 800, 600), 275);
    EXPECT_EQ(fit_centre(one), (Pt{2147483600, 0}));
}

TEST(ViewGeom, LinkPathsTurnWhereOrthogonalRoutesTurn) {
    Pt a{0, 0}, b{100, 50};
    EXPECT_EQ(link_route_path(0, a, b), (std::vector<Pt>{a, b}));
    EXPECT_EQ(link_route_path(1, a, b), (std::vector<Pt>{a, {0, 50}, b}));
    EXPECT_EQ(link_route_path(2, a, b), (std::vector<Pt>{a, {100, 0}, b}));
    EXPECT_EQ(link_route_path(3, a, b), (std::vector<Pt>{a, {0, 25}, {100, 25}, b}));
    EXPECT_EQ(link_route_path(4, a, b), (std::vector<Pt>{a, {50, 0}, {50, 50}, b}));
    EXPECT_EQ(link_route_path(5, a, b).size(), 2u);
}

TEST(ViewGeom, SettingTablesAndLineHeight) {
    EXPECT_EQ(level_percent(8), 100);
    EXPECT_EQ(level_percent(0), 20);
    EXPECT_EQ(level_percent(17), 190);
    EXPECT_EQ(level_percent(-1), 100);
    EXPECT_EQ(level_percent(18), 100);
    EXPECT_DOUBLE_EQ(level_scale(3, 2), 0.25);
    EXPECT_DOUBLE_EQ(level_scale(3, 0), 1.0);
    EXPECT_EQ(object_line_height(0), 29);   // 28.5 rounds away from zero
    EXPECT_EQ(object_line_height(2), 34);   // 34.2
    EXPECT_EQ(object_line_height(-10), 0);
}

TEST(ViewGeom, TextBoxRectFollowsTheBoxRule) {
    // Size 15, text 100 wide, line height 28: 130 x 86 units around the centre.
    Rc r = text_box_rect(0, 0, 15, 100, 28);
    EXPECT_EQ(r, (Rc{-65, 43, 65, -43}));
    // A tiny size never gives an empty or inverted rectangle.
    Rc t = text_box_rect(0, 0, 0, 0, 0);
    EXPECT_GT(t.top, t.bottom);
}

TEST(ViewGeom, HandlesAreFoundByNearestWithinReach) {
    Rc r{0, 100, 200, 0};
    struct Case { Pt p; int reach; int want; };
    const Case cases[] = {
        {{0, 100}, 12, 0}, {{200, 100}, 12, 1}, {{200, 0}, 12, 2}, {{0, 0}, 12, 3},
        {{100, 100}, 12, 4}, {{100, 0}, 12, 5}, {{0, 50}, 12, 6}, {{200, 50}, 12, 7},
        {{11, 89}, 12, 0}, {{13, 100}, 12, -1}, {{100, 50}, 12, -1},
    };
    for (const auto& c : cases) EXPECT_EQ(handle_at(r, c.p, c.reach), c.want) << c.p.x << "," << c.p.y;
    // A rectangle smaller than the handles: the nearest one wins, not the first in order.
    Rc small{0, 10, 10, 0};
    EXPECT_EQ(handle_at(small, {10, 1}, 12), 2);
    // Either orientation of the rectangle gives the same handles.
    EXPECT_EQ(handle_at(Rc{200, 0, 0, 100}, {0, 100}, 12), 0);
}

TEST(ViewGeom, ObjectHitsTakeTheTopmostOnTheLevel) {
    std::vector<ObjBox> boxes = {
        {1, 1, {0, 100, 100, 0}},
        {2, 1, {50, 150, 150, 50}},
        {3, 2, {0, 100, 100, 0}},  // another level, painted last
    };
    EXPECT_EQ(object_at(boxes, 1, {75, 75}), std::optional<Key>(2));
    EXPECT_EQ(object_at(boxes, 1, {10, 10}), std::optional<Key>(1));
    EXPECT_EQ(object_at(boxes, 2, {75, 75}), std::optional<Key>(3));
    EXPECT_EQ(object_at(boxes, 1, {200, 200}), std::nullopt);
    EXPECT_EQ(object_at(boxes, 1, {104, 20}, 5), std::optional<Key>(1));

    // Marking by area takes only objects wholly inside, of the level, each once; an object
    // whose key repeats (another place) is another object.
    boxes.push_back({1, 1, {0, 100, 100, 0}});
    boxes.push_back({1, 1, {0, 100, 100, 0}, 7});
    auto keys_in = [&](const Rc& band) {
        std::vector<std::pair<Key, uint32_t>> out;
        for (const ObjBox* b : objects_in(boxes, 1, band)) out.emplace_back(b->key, b->at);
        return out;
    };
    using KP = std::vector<std::pair<Key, uint32_t>>;
    EXPECT_EQ(keys_in(Rc{-10, 110, 110, -10}), (KP{{1, UINT32_MAX}, {1, 7}}));
    EXPECT_EQ(keys_in(Rc{160, -10, -10, 160}), (KP{{1, UINT32_MAX}, {2, UINT32_MAX}, {1, 7}}));
    EXPECT_TRUE(objects_in(boxes, 3, Rc{-1000, 1000, 1000, -1000}).empty());
}

TEST(ViewGeom, LinksShapesAndPointsHitByDistance) {
    std::vector<LinkPath> links = {{1, 2, {{0, 0}, {100, 0}, {100, 100}}}, {3, 4, {{0, 0}, {100, 100}}}};
    EXPECT_EQ(link_at(links, {100, 50}, 5)->from, 1);
    EXPECT_EQ(link_at(links, {50, 52}, 5)->from, 3);  // later-painted link wins
    EXPECT_EQ(link_at(links, {0, 100}, 5), nullptr);
    std::vector<LinkPath> degenerate = {{5, 6, {{10, 10}}}};
    EXPECT_EQ(link_at(degenerate, {10, 10}, 5), nullptr);

    std::vector<Shape> shapes(3);
    shapes[0] = {1, 1, 1, 0, 0, 0, 100, 100, 0};   // rectangle
    shapes[1] = {2, 7, 1, 0, 0, 0, 0, 100, 100};   // line from (0,0) to (100,100), unnormalised
    shapes[2] = {3, 25, 1, 0, 0, -50, 50, 50, -50}; // the marked region is not a shape to hit
    EXPECT_EQ(shape_at(shapes, 1, {90, 10}, 3), std::optional<Key>(1));
    EXPECT_EQ(shape_at(shapes, 1, {50, 51}, 3), std::optional<Key>(2));
    shapes.erase(shapes.begin());
    EXPECT_EQ(shape_at(shapes, 1, {90, 10}, 3), std::nullopt);  // inside the line's box, far from it
    EXPECT_EQ(shape_at(shapes, 1, {0, 0}, 3), std::optional<Key>(2));
    EXPECT_EQ(shapes_in(shapes, 1, Rc{-1, 101, 101, -1}), (std::vector<Key>{2}));

    std::vector<PlotPoint> pts = {{1, 1, 10, 10, 0}, {1, 2, 10, 10, 0}};
    EXPECT_EQ(point_at(pts, 2, {12, 8}, 3), 1);
    EXPECT_EQ(point_at(pts, 1, {20, 8}, 3), -1);
}

TEST(ViewGeom, ClickMarkingRules) {
    using V = std::vector<Key>;
    struct Case { V before; Key key; bool toggle; V after; };
    const Case cases[] = {
        {{}, 5, false, {5}},
        {{1, 2}, 5, false, {5}},     // plain click on an unmarked item: it alone
        {{1, 5}, 5, false, {1, 5}},  // on a marked item: keep, so a drag moves all
        {{1}, 5, true, {1, 5}},      // toggle adds
        {{1, 5}, 5, true, {1}},      // toggle removes
        {{5}, 5, true, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(click_marking(c.before, c.key, c.toggle), c.after);
}

TEST(ViewGeom, ResizingObjectsBySize) {
    // Ellipse size 15: D = 180, so its rectangle is 360 x 180.
    Rc ellipse{-180, 90, 180, -90};
    EXPECT_EQ(resized_object_size(162, 15, ellipse, 7, {230, 0}), 25);   // 50 units wider per side
    EXPECT_EQ(resized_object_size(162, 15, ellipse, 4, {0, 115}), 25);   // vertical grows half as fast
    EXPECT_EQ(resized_object_size(162, 15, ellipse, 6, {-1000000, 0}), 500);
    EXPECT_EQ(resized_object_size(162, 15, ellipse, 7, {0, 0}), 1);
    // Box: width follows the text, so sideways handles change nothing; height does.
    Rc box{-65, 43, 65, -43};
    EXPECT_EQ(resized_object_size(161, 15, box, 7, {200, 0}), 15);
    EXPECT_EQ(resized_object_size(161, 15, box, 4, {0, 58}), 25);
    EXPECT_EQ(resized_object_size(161, 15, box, 1, {500, 58}), 25);   // corner: height axis
    // Icons scale in proportion.
    EXPECT_EQ(resized_object_size(301, 20, Rc{-50, 50, 50, -50}, 1, {100, 100}), 40);
    EXPECT_EQ(resized_object_size(301, 20, Rc{0, 0, 0, 0}, 1, {100, 100}), 20);
}

TEST(ViewGeom, ResizingShapesKeepsTheirDirection) {
    // A line drawn right-to-left keeps running right-to-left when its left end moves.
    Rc line{100, 0, 0, 100};  // (L,T)=(100,0) to (R,B)=(0,100): unnormalised
    Rc r = resized_shape_rect(line, 6, {-20, 50});
    EXPECT_EQ(r, (Rc{100, 0, -20, 100}));
    Rc rect{0, 100, 200, 0};
    EXPECT_EQ(resized_shape_rect(rect, 2, {250, -10}), (Rc{0, 100, 250, -10}));
    EXPECT_EQ(resized_shape_rect(rect, 4, {999, 150}), (Rc{0, 150, 200, 0}));
    EXPECT_EQ(resized_shape_rect(rect, 9, {1, 1}), rect);
}

TEST(ViewGeom, AutoscrollLayoutDropAndLevels) {
    struct Case { Pt p; Pt step; };
    const Case cases[] = {
        {{100, 100}, {0, 0}}, {{2, 100}, {-1, 0}}, {{399, 100}, {1, 0}},
        {{100, 0}, {0, -1}}, {{100, 295}, {0, 1}}, {{0, 299}, {-1, 1}},
    };
    for (const auto& c : cases) EXPECT_EQ(autoscroll_step(c.p, 400, 300, 10), c.step) << c.p.x << "," << c.p.y;

    EXPECT_EQ(view_layout_rect(800, 600, false, true, true), (Rc{1, 29, 800, 582}));
    EXPECT_EQ(view_layout_rect(800, 600, true, false, false), (Rc{29, 1, 800, 599}));
    Rc tiny = view_layout_rect(10, 10, true, true, true);
    EXPECT_GE(tiny.right, tiny.left);
    EXPECT_GE(tiny.bottom, tiny.top);

    EXPECT_NE(drop_position({0, 0}, 0), drop_position({0, 0}, 1));

    Document doc;
    EXPECT_EQ(level_range(doc), (std::pair<int, int>{1, 1}));
    Obj a; a.key = 1; a.level = 3;
    Obj b; b.key = 2; b.level = -2;
    doc.objs = {a, b};
    Shape s; s.key = 1; s.kind = 25; s.level = 40;  // the temporary region does not count
    doc.shapes = {s};
    EXPECT_EQ(level_range(doc), (std::pair<int, int>{-2, 3}));
    EXPECT_EQ(level_on_open(doc), 1);
    // Only levels above 1, or only below it: the nearest one in use.
    doc.objs[1].level = 5;
    EXPECT_EQ(level_on_open(doc), 3);
    doc.objs = {b};
    EXPECT_EQ(level_on_open(doc), -2);
}

TEST(ViewPrinting, EachPageShowsItsPartOfTheFrame) {
    const int pw = 3000, ph = 2000;
    const PageFrame one{{-600, 450, 600, -450}, 1, 1};      // 1200 x 900 units around (0, 0)
    const PageFrame wide{{-1000, 300, 1400, -500}, 2, 1};   // two pages side by side
    struct Case { PageFrame f; int factor; double x, y; Pt lp; Pt dp; };
    const Case cases[] = {
        {one, 1, 0.5, 0.5, {0, 0}, {1500, 1000}},           // "1x1": centre to centre
        {one, 1, 0.5, 0.5, {-600, 450}, {0, 0}},            // corners to corners
        {one, 1, 0.5, 0.5, {600, -450}, {3000, 2000}},
        {wide, 1, 1.0, 0.5, {-1000, 300}, {0, 0}},          // "2x1" page 1: the left half
        {wide, 1, 1.0, 0.5, {200, -500}, {3000, 2000}},
        {wide, 1, 0.0, 0.5, {200, 300}, {0, 0}},            // page 2: the right half
        {wide, 1, 0.0, 0.5, {1400, -500}, {3000, 2000}},
        {one, 2, 1.0, 1.0, {-600, 450}, {0, 0}},            // "2x2" page 1: top left quarter
        {one, 2, 1.0, 1.0, {0, 0}, {3000, 2000}},
        {one, 3, -0.5, -0.5, {600, -450}, {3000, 2000}},    // "3x3" page 9: bottom right ninth
        {one, 3, -0.5, -0.5, {200, -150}, {0, 0}},
    };
    ViewMapping screen = mapping(37, -12, 150);
    for (const Case& c : cases) {
        ViewMapping m = view_page_mapping(screen, c.f, c.factor, c.x, c.y, pw, ph);
        Pt d = m.to_device(c.lp);
        EXPECT_NEAR(d.x, c.dp.x, 2) << c.factor << " " << c.x << "," << c.y;
        EXPECT_NEAR(d.y, c.dp.y, 2) << c.factor << " " << c.x << "," << c.y;
        // GDI's parameters give the same page.
        auto g = m.gdi();
        EXPECT_NEAR(c.lp.x * double(g.viewport_ext_x) / g.window_ext_x + g.viewport_org_x, d.x, 1.0);
        EXPECT_NEAR(c.lp.y * double(g.viewport_ext_y) / g.window_ext_y + g.viewport_org_y, d.y, 1.0);
        Pt back = m.to_logical(d);
        EXPECT_NEAR(back.x, c.lp.x, 1);
        EXPECT_NEAR(back.y, c.lp.y, 1);
    }
    // A frame of no size or nonsense counts still give a usable mapping.
    ViewMapping z = view_page_mapping(screen, PageFrame{{5, 5, 5, 5}, 0, 0}, 0, 0.5, 0.5, pw, ph);
    EXPECT_GT(z.scale(), 0);
    EXPECT_EQ(z.to_device({5, 5}), (Pt{1500, 1000}));
    // Lower levels shrink about the point the frame's centre is printed on.
    ViewMapping lower = view_page_mapping(screen, one, 1, 0.5, 0.5, pw, ph);
    lower.extra_scale = 0.5;
    EXPECT_EQ(lower.to_device({0, 0}), (Pt{1500, 1000}));
    EXPECT_EQ(lower.to_device({600, 0}), (Pt{2250, 1000}));
}

TEST(ViewPrinting, PreviewFrameHasThePageProportionsAndFollowsTheZoom) {
    ViewMapping m = mapping(0, 0, 100);
    PageFrame f = view_preview_frame(m, 3369, 2323, 0);
    Rc r = normalised(f.frame);
    double w = r.right - r.left, h = r.top - r.bottom;
    EXPECT_NEAR(w / h, 3369.0 / 2323.0, 0.01);
    // Most of the window's width, whatever the zoom.
    double px = w * m.scale();
    EXPECT_GT(px, 0.5 * m.client_w);
    EXPECT_LT(px, m.client_w);
    EXPECT_NEAR((r.left + r.right) / 2.0, 0, 2);
    EXPECT_NEAR((r.top + r.bottom) / 2.0, 0, 2);
    PageFrame zoomed = view_preview_frame(mapping(0, 0, 200), 3369, 2323, 0);
    EXPECT_NEAR(normalised(zoomed.frame).right, r.right / 2.0, 2);
    PageFrame two = view_preview_frame(m, 3369, 2323, 1);
    EXPECT_EQ(two.cols, 2);
    EXPECT_NEAR(normalised(two.frame).right, 2.0 * r.right, 10);
    EXPECT_EQ(view_preview_frame(m, 0, 2323, 0).frame, (Rc{}));
}

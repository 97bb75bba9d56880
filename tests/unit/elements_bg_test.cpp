// The background painter through a recording canvas mapped like the view (origin in the middle
// of the client, y upward): fills, blends, tiles and figure patterns.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/pict.h"
#include "document/undo.h"
#include "document/view_io.h"
#include "elements/bg.h"
#include "elements/bg_dialog.h"
#include "view/view_cmd.h"
#include "view_fixture.h"

namespace {

using V = std::vector<int>;

// A client of w x h pixels at 100 %, logical origin at its centre, y upward.
class ViewCanvas : public RecordingCanvas {
public:
    ViewCanvas(int w, int h) : w_(w), h_(h) {}
    Pt dp_to_lp(Pt p) const override { return {p.x - w_ / 2, h_ / 2 - p.y}; }
    Pt lp_to_dp(Pt p) const override { return {p.x + w_ / 2, h_ / 2 - p.y}; }

private:
    int w_, h_;
};

std::vector<RecordingCanvas::Call> shapes_of(const RecordingCanvas& c) {
    std::vector<RecordingCanvas::Call> out;
    for (const auto& k : c.calls)
        if (k.op == "rectangle" || k.op == "roundrect" || k.op == "ellipse") out.push_back(k);
    return out;
}

constexpr Colour kRed = 0x0000FF, kBlue = 0xFF0000;

TEST(Background, TablesMapPositionsAndCodesBothWays) {
    ASSERT_EQ(bg_fills().size(), 9u);
    ASSERT_EQ(bg_figures().size(), 11u);
    for (const auto& r : bg_fills()) EXPECT_EQ(bg_fill_pos(bg_fill_code(r.pos)), r.pos);
    for (const auto& r : bg_figures()) EXPECT_EQ(bg_figure_pos(bg_figure_code(r.pos)), r.pos);
    EXPECT_EQ(bg_figure_code(1), 7);  // Tunnel
    EXPECT_EQ(bg_figure_pos(17), 10);
    EXPECT_EQ(bg_figure_by_code(4)->brush, 2);  // the world map is filled
    EXPECT_EQ(bg_fill_pos(9), -1);
    EXPECT_EQ(bg_figure_pos(5), -1);
    EXPECT_STREQ(bg_fills()[5].name, "circular blend");
    EXPECT_STREQ(bg_fills()[6].name, "Circular blend");
}

TEST(Background, MixRoundsHalvesAwayFromZero) {
    EXPECT_EQ(bg_mix(0x010101, 0.5, 0, 0.5), 0x010101u);
    EXPECT_EQ(bg_mix(0x030303, 0.5, 0, 0.5), 0x020202u);
    EXPECT_EQ(bg_mix(0x0000FF, 0.25, 0xFF0000, 0.75), 0xBF0040u);
    EXPECT_EQ(bg_round(-2.5), -3);
}

TEST(Background, PlainAndFallbacksClearTheWholeClient) {
    // Plain, a picture that did not load, and a picture without size all clear with setting 1.
    std::shared_ptr<const Dib> empty = std::make_shared<Dib>();
    for (int fill : {0, 7, 8}) {
        ViewCanvas c(200, 100);
        bg_paint(c, {fill, kRed, kBlue, {0, 0, 200, 100}, fill == 8 ? empty : nullptr});
        auto f = c.of("fillrect");
        ASSERT_EQ(f.size(), 1u) << fill;
        EXPECT_EQ(f[0].args, (V{-102, 52, 102, -52, static_cast<int>(kRed)})) << fill;
        EXPECT_TRUE(c.of("dib").empty());
    }
    ViewCanvas c(200, 100);
    bg_paint(c, {99, kRed, kBlue, {0, 0, 200, 100}, nullptr});
    EXPECT_TRUE(c.calls.empty());
}

TEST(Background, LinearBlendRunsFromTheSecondColourDownToTheFirstWithoutGaps) {
    ViewCanvas c(400, 600);
    bg_paint(c, {kBgLinear, kRed, kBlue, {0, 0, 400, 600}, nullptr});
    auto bands = shapes_of(c);
    ASSERT_EQ(bands.size(), 30u);
    auto brushes = c.of("brush");
    ASSERT_EQ(brushes.size(), 30u);
    EXPECT_EQ(static_cast<Colour>(brushes.front().args[1]), bg_mix(kRed, 0.002, kBlue, 0.998));
    EXPECT_EQ(static_cast<Colour>(brushes.back().args[1]), bg_mix(kRed, 29 * 0.0333333 + 0.002, kBlue, 1 - (29 * 0.0333333 + 0.002)));
    EXPECT_EQ(bands.front().args[1], 300);  // the client's top
    for (size_t i = 0; i + 1 < bands.size(); ++i) EXPECT_LT(bands[i].args[3], bands[i + 1].args[1]) << i;
    EXPECT_LE(bands.back().args[3], -300);  // the last band reaches the bottom
    for (const auto& b : bands) EXPECT_EQ((V{b.args[0], b.args[2]}), (V{-200, 200}));
    EXPECT_EQ(c.of("pen")[0].args[1], 5);  // no outlines between bands
}

TEST(Background, ShapedBlendsNestNineShapesOverTheClearedClient) {
    struct Case {
        int fill;
        std::string op;
        V first, last;
    } cases[] = {
        {2, "rectangle", {-800, 600, 800, -600}, {-240, 200, 240, -200}},
        {3, "roundrect", {-800, 600, 800, -600, 171, 171}, {-240, 200, 240, -200, 57, 57}},
        {4, "ellipse", {-800, 600, 800, -600}, {-240, 200, 240, -200}},
        {5, "ellipse", {-600, 600, 600, -600}, {-200, 200, 200, -200}},  // as high as the box
        {6, "ellipse", {-800, -800, 800, 800}, {-240, -240, 240, 240}},  // as wide as the box
    };
    for (const auto& k : cases) {
        ViewCanvas c(1000, 800);
        bg_paint(c, {k.fill, kRed, kBlue, {0, 0, 1000, 800}, nullptr});
        ASSERT_EQ(c.calls[0].op, "fillrect") << k.fill;
        auto s = shapes_of(c);
        ASSERT_EQ(s.size(), 9u) << k.fill;
        EXPECT_EQ(s.front().op, k.op);
        EXPECT_EQ(s.front().args, k.first) << k.fill;
        EXPECT_EQ(s.back().args, k.last) << k.fill;
        EXPECT_EQ(static_cast<Colour>(c.of("brush").back().args[1]), bg_mix(kRed, 1.0 - 9 * 0.1, kBlue, 9 * 0.1));
    }
}

TEST(Background, TilesCoverTheClientColumnByColumn) {
    // An exact multiple gets a last column starting on the edge; otherwise it starts beyond.
    EXPECT_EQ(bg_tile_origins(100, 30, 50, 30),
              (std::vector<Pt>{{0, 0}, {0, 30}, {50, 0}, {50, 30}, {100, 0}, {100, 30}}));
    EXPECT_EQ(bg_tile_origins(90, 20, 50, 30).size(), 6u);
    EXPECT_TRUE(bg_tile_origins(100, 100, 0, 30).empty());
    EXPECT_TRUE(bg_tile_origins(100, 100, 30, -1).empty());

    auto pic = std::make_shared<Dib>(Dib{64, 32, std::vector<uint8_t>(8, 0)});
    ViewCanvas c(128, 64);
    bg_paint(c, {kBgPicture, kRed, kBlue, {0, 0, 128, 64}, pic});
    auto d = c.of("dib");
    ASSERT_EQ(d.size(), 9u);
    EXPECT_EQ(d[0].args, (V{-64, 32, 0, 0, static_cast<int>(kRopSrcCopy), 64, 32}));
    EXPECT_EQ(d[1].args[1], 0);  // the same column, one row down
}

// A small picture is tiled as a block of whole copies, so a 1 x 1 picture costs a few tiles and
// every pixel is the one the picture's own tile would have put there.
TEST(Background, SmallPicturesTileAsBlocksOfWholeCopies) {
    auto dib_of = [](const Image& img) {
        return std::make_shared<const Dib>(Dib{img.width, img.height, image_to_dib24(img)});
    };
    Image small(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) small.at(x, y) = static_cast<uint32_t>(0x100000 * x + 0x100 * y + 7);
    for (const Image& src : {small, Image(1, 1, 0x123456)}) {
        auto block = bg_tile_block(dib_of(src), 256);
        ASSERT_TRUE(block);
        EXPECT_GE(block->width, 256);
        EXPECT_GE(block->height, 256);
        EXPECT_EQ(block->width % src.width, 0);
        EXPECT_EQ(block->height % src.height, 0);
        auto img = image_from_dib(block->packed);
        ASSERT_TRUE(img);
        for (int y : {0, 1, 255, block->height - 1})
            for (int x : {0, 2, 200, block->width - 1}) EXPECT_EQ(img->at(x, y), src.at(x % src.width, y % src.height));
        ViewCanvas c(1280, 1024);
        bg_paint(c, {kBgPicture, kRed, kBlue, {0, 0, 1280, 1024}, block});
        EXPECT_LE(c.of("dib").size(), 42u);
    }
    // A long thin picture is repeated only into a block of about a megapixel, still of whole
    // copies.
    Image thin(1, 131070);
    for (int y = 0; y < thin.height; ++y) thin.at(0, y) = static_cast<uint32_t>(y * 131) & 0xFFFFFF;
    auto block = bg_tile_block(dib_of(thin), 256);
    ASSERT_TRUE(block);
    EXPECT_LE(int64_t{block->width} * block->height, int64_t{1} << 20);
    EXPECT_GT(block->width, 1);
    EXPECT_EQ(block->height, thin.height);
    auto img = image_from_dib(block->packed);
    ASSERT_TRUE(img);
    for (int y : {0, 77777, thin.height - 1})
        for (int x : {0, block->width - 1}) EXPECT_EQ(img->at(x, y), thin.at(0, y));
    // Large enough, or unreadable: tiled as it is.
    auto big = dib_of(Image(300, 256));
    EXPECT_EQ(bg_tile_block(big, 256), big);
    auto broken = std::make_shared<const Dib>(Dib{2, 2, std::vector<uint8_t>(8, 0)});
    EXPECT_EQ(bg_tile_block(broken, 256), broken);
}

TEST(Background, FigurePatterns) {
    struct Case {
        int code;
        std::string op;
        size_t count;
        int brush;
    } cases[] = {
        {7, "line", 4, 1},     {1, "ellipse", 4, 1},  {14, "ellipse", 4, 1}, {2, "rectangle", 4, 1},
        {3, "line", 2, 1},     {15, "line", 2 + 41 + 31, 1},                 {6, "fillrect", 31 * 21, 1},
        {16, "fillrect", 200, 1}, {4, "polygon", 12, 2},
    };
    for (const auto& k : cases) {
        ViewCanvas c(800, 600);
        bg_paint_pattern(c, k.code, kBlue, [](int n) { return n / 2; });
        EXPECT_EQ(c.of(k.op).size(), k.count) << k.code;
        EXPECT_EQ(c.of("pen")[0].args, (V{0, 0, static_cast<int>(kBlue)})) << k.code;
        EXPECT_EQ(c.of("brush")[0].args, (V{k.brush, static_cast<int>(kBlue)})) << k.code;
    }
    for (int code : {0, 17, 5, 99}) {
        ViewCanvas c(800, 600);
        bg_paint_pattern(c, code, kBlue);
        EXPECT_TRUE(std::all_of(c.calls.begin(), c.calls.end(),
                                [](const auto& k) { return k.op == "pen" || k.op == "brush"; }))
            << code;
    }
}

TEST(Background, StarsMoveWithTheRandomSource) {
    auto first_star = [](int value) {
        ViewCanvas c(800, 600);
        bg_paint_pattern(c, kBgStars, kBlue, [value](int) { return value; });
        return c.of("fillrect")[0].args;
    };
    EXPECT_EQ(first_star(0), (V{-500, -400, -499, -399, static_cast<int>(kBlue)}));
    EXPECT_NE(first_star(0), first_star(7));
}

TEST(Background, WorldMapStaysInItsFrame) {
    const auto& map = bg_world_map();
    ASSERT_EQ(map.size(), 12u);
    size_t points = 0;
    for (const auto& poly : map) {
        points += poly.size();
        for (Pt p : poly) {
            EXPECT_TRUE(p.x >= -1420 && p.x <= 1330) << p.x;
            EXPECT_TRUE(p.y >= -670 && p.y <= 860) << p.y;
        }
    }
    EXPECT_EQ(points, 540u);
}

// The Background dialog's choices show in the view but are no part of the document until OK: a
// save writes what the document holds, a step recorded meanwhile never captures them, a level
// moved meanwhile keeps its own pattern, and OK keeps them as one step.
TEST_F(ViewFixture, BackgroundPreviewStaysOutOfTheDocumentUntilOk) {
    Obj o;
    o.id = "on 1";
    o.level = 1;
    view_obj_put(o);
    o.id = "on 2";
    o.level = 2;
    view_obj_put(o);
    view_doc().set_param(kBgFillKind, 4);
    view_doc().set_param(kBgLevelFigure + 1, 7);
    view_doc().set_param(kBgLevelFigure + 2, 17);
    view_undo_clear();
    const std::string stored = view_document_text(view_doc());

    BgPreview p;
    p.set(kBgFillKind, 2);
    p.set_picture("pic.bmp");
    EXPECT_EQ(view_doc().shown_param(kBgFillKind), 2);
    EXPECT_EQ(view_doc().shown_text_param(kBgPictureText), "pic.bmp");
    EXPECT_TRUE(p.changed());
    EXPECT_EQ(view_document_text(view_doc()), stored);

    view_param_set_undoable(21, 50);
    p.cancel();
    ASSERT_TRUE(view_undo());
    EXPECT_EQ(view_doc().shown_param(kBgFillKind), 4);
    EXPECT_EQ(view_document_text(view_doc()), stored);

    p.set(kBgLevelFigure + 1, 16);
    {
        UndoStep shift;
        ASSERT_TRUE(view_shift(10426, 1, 1));  // level 1 down: the levels change places
        shift.commit("Shift");
    }
    p.cancel();
    EXPECT_EQ(view_doc().param(kBgLevelFigure + 2), 7);
    EXPECT_EQ(view_doc().param(kBgLevelFigure + 1), 17);

    ASSERT_TRUE(view_undo());
    view_doc().changed = false;
    p.set(kBgFillKind, 3);
    p.set(kBgBack, 5);
    p.commit();
    EXPECT_TRUE(view_doc().shown_params.empty());
    EXPECT_EQ(view_doc().param(kBgFillKind), 3);
    EXPECT_EQ(view_doc().param(kBgBack), 5);
    EXPECT_TRUE(view_doc().changed);
    EXPECT_EQ(view_undo_name(), "Change Para");
    ASSERT_TRUE(view_undo());
    EXPECT_EQ(view_document_text(view_doc()), stored);
}

}  // namespace

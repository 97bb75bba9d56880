#include <gtest/gtest.h>

#include "bars/tbar.h"

namespace {

class Palette : public ::testing::Test {
protected:
    void SetUp() override { tbar_palette_reset(); }
    void TearDown() override { tbar_palette_reset(); }
};

TEST_F(Palette, IndexesOutsideThePaletteFail) {
    EXPECT_EQ(tbar_color(0), Colour{0x000000});
    EXPECT_EQ(tbar_color(2), Colour{0xff0000});
    EXPECT_EQ(tbar_color(31), Colour{0x7fffff});
    for (int bad : {-1, 32, 255, -2147483647 - 1}) {
        EXPECT_FALSE(tbar_color(bad)) << bad;
        EXPECT_EQ(tbar_color_or(bad, 0x123456), Colour{0x123456}) << bad;
    }
    EXPECT_FALSE(tbar_set_current_color(32));
    EXPECT_EQ(tbar_current_color().index, 2);
}

TEST_F(Palette, InversionAffectsEveryColourAndTheCurrentOne) {
    EXPECT_EQ(tbar_current_color(), (IndexColour{2, 0xff0000}));
    tbar_invert_palette();
    EXPECT_EQ(tbar_color(15), Colour{0x000000});
    EXPECT_EQ(tbar_color(26), Colour{0xc53d3d});
    // The current colour follows the palette, not a copy taken before.
    EXPECT_EQ(tbar_current_color(), (IndexColour{2, 0x00ffff}));
    tbar_invert_palette();
    for (int i = 0; i < 32; ++i) {
        tbar_invert_palette();
        tbar_invert_palette();
    }
    EXPECT_EQ(tbar_color(15), Colour{0xffffff});
    EXPECT_EQ(tbar_color(26), Colour{0x3ac2c2});
    EXPECT_FALSE(tbar_palette_inverted());
}

TEST_F(Palette, TextColourContrasts) {
    struct Case { int flag, index; Colour want; } cases[] = {
        {0, 10, 0xffffff}, {0, 11, 0x000000}, {0, 25, 0xffffff}, {0, 26, 0x000000},
        {1, 3, 0x000000}, {0, 0, 0xffffff}, {0, 16, 0xffffff}, {0, 15, 0x000000},
    };
    for (const auto& c : cases) EXPECT_EQ(tbar_text_color(c.flag, c.index), c.want) << c.flag << "," << c.index;
}

// A new item's colour is kept unless it would hardly show on the background; then black or
// white, whichever shows better, also in the inverted palette.
TEST_F(Palette, NewItemsTakeAColourThatShowsOnTheBackground) {
    struct Case { int index, background, want; } cases[] = {
        {2, 1, 15},   // blue on navy (a new document)
        {2, 2, 15},   // the background's very colour
        {5, 2, 15}, {3, 2, 15},
        {4, 2, 4},    // red on blue shows
        {0, 2, 0},    // so does black
        {13, 15, 0},  // cyan on white
        {11, 15, 0},  // silver on white
        {1, 0, 15},   // navy on black
        {10, 15, 10}, {12, 0, 12}, {7, 1, 7},
    };
    for (const auto& c : cases) EXPECT_EQ(tbar_visible_on(c.index, c.background), c.want) << c.index << " on " << c.background;
    EXPECT_NEAR(tbar_contrast(0x000000, 0xffffff), 21.0, 1e-9);
    EXPECT_DOUBLE_EQ(tbar_contrast(0xff0000, 0x800000), tbar_contrast(0x800000, 0xff0000));
    // Out of the palette: left as it is.
    EXPECT_EQ(tbar_visible_on(40, 2), 40);
    tbar_invert_palette();
    // Blue and navy become light colours, and entry 15 is black.
    EXPECT_EQ(tbar_visible_on(1, 2), 15);
    EXPECT_EQ(tbar_visible_on(2, 2), 15);
}

TEST(TbarLayouts, StoredUserLayoutsAndDamagedValues) {
    TbarModel m;
    m.load_user_layouts({{1, 1, 19, 0}, {5}, {}, {2, 77, 3, 99, -4, 18}});
    EXPECT_EQ(m.styles()[4].buttons, (std::vector<int>{19, 0}));
    EXPECT_EQ(m.styles()[4].orientation, kTbarLeft);
    // Too short: the slot keeps the default so numbers stay in order.
    EXPECT_EQ(m.styles()[5].buttons, (std::vector<int>{1, 7, 8, 11, 12, 13}));
    EXPECT_EQ(m.styles()[6].name, "User defined 3");
    EXPECT_EQ(m.styles()[7].orientation, kTbarNone);
    m.set_style(7);
    // Unknown button numbers are left out of the bar.
    EXPECT_EQ(m.shown(), (std::vector<int>{3, 18}));
    EXPECT_EQ(m.strip_offset(), 56);
    m.load_user_layouts({{9, 1, 2}});
    EXPECT_EQ(m.styles()[4].orientation, kTbarTop);
}

TEST(TbarLayouts, UnknownLayoutNumberGivesStandardHorz) {
    TbarModel m;
    for (int bad : {-1, 8, 1000}) {
        m.set_style(bad);
        EXPECT_EQ(m.style(), 1);
        EXPECT_EQ(m.shown().size(), 18u);
    }
}

TEST(TbarGeometry, ViewingOnTopBar) {
    TbarModel m;
    m.set_style(3);
    EXPECT_EQ(m.strip_offset(), 168);
    EXPECT_EQ(m.cell_rect(5, false), (Rc{192, 14, 204, 28}));
    auto h = m.hit(195, 20, false);
    EXPECT_EQ(h, (TbarModel::Hit{TbarModel::Hit::Cell, 5}));
    EXPECT_EQ(tbar_cell_color_index(2, h.index), 21);
    EXPECT_EQ(m.hit(30, 5, false), (TbarModel::Hit{TbarModel::Hit::Button, 1}));
    EXPECT_EQ(m.hit(168 + 9 * 12, 3, false).kind, TbarModel::Hit::None);
    EXPECT_EQ(m.hit(5, 28, false).kind, TbarModel::Hit::None);
    EXPECT_EQ(m.hit(168 + 8 * 12, 3, false), (TbarModel::Hit{TbarModel::Hit::Cell, 16}));
}

TEST(TbarGeometry, LeftBar) {
    TbarModel m;
    m.set_style(0);
    EXPECT_EQ(TbarModel::button_rect(2, true), (Rc{0, 56, 28, 84}));
    EXPECT_EQ(TbarModel::button_rect(2, false), (Rc{56, 0, 84, 28}));
    EXPECT_EQ(m.cell_rect(3, true), (Rc{14, 292, 28, 304}));
    EXPECT_EQ(m.hit(20, 295, true), (TbarModel::Hit{TbarModel::Hit::Cell, 3}));
    EXPECT_EQ(m.hit(3, 279, true), (TbarModel::Hit{TbarModel::Hit::Button, 9}));
    EXPECT_EQ(m.hit(3, 280 + 9 * 12, true).kind, TbarModel::Hit::None);
    EXPECT_EQ(m.hit(-1, 5, true).kind, TbarModel::Hit::None);
}

// A bar too short for all its buttons keeps the whole colour strip and leaves out the buttons
// that do not fit, last first; the rest hit and draw as before.
TEST(TbarGeometry, TheStripStaysWholeOnAShortBar) {
    TbarModel m;
    m.set_style(1);  // 18 buttons: 504 pixels before the strip
    m.set_room(504 + TbarModel::kStripLength);
    EXPECT_EQ(m.buttons_fitting(), 18);
    m.set_room(540);  // the 792 x 573 window's left bar
    EXPECT_EQ(m.buttons_fitting(), 15);
    EXPECT_EQ(m.strip_offset(), 420);
    EXPECT_LE(m.cell_rect(17, true).bottom + 1, 540);
    EXPECT_EQ(m.hit(20, 420 + 12 * 7 + 2, true), (TbarModel::Hit{TbarModel::Hit::Cell, 15}));
    EXPECT_EQ(m.hit(3, 419, true), (TbarModel::Hit{TbarModel::Hit::Button, 14}));
    m.set_room(50);
    EXPECT_EQ(m.buttons_fitting(), 0);
    EXPECT_EQ(m.hit(3, 5, true), (TbarModel::Hit{TbarModel::Hit::Cell, 0}));
    m.set_room(-5);
    EXPECT_EQ(m.strip_offset(), 0);
}

}  // namespace

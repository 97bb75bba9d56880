#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bars/sbar.h"
#include "document/globals.h"
#include "document/view.h"

namespace {

// Records what the window side is asked to do.
struct FakeHost : SbarHost {
    int repaints = 0, changed = 0;
    std::vector<ScrollStrip> shifts;
    std::vector<std::pair<int, int>> bars, status_calls;
    bool force_full = false;
    int screen = 1280;

    void repaint_all() override { ++repaints; }
    void scroll_window(const Rc& strip, int dx, int dy) override { shifts.push_back({strip, dx, dy}); }
    void set_scroll_pos(int axis, int pos) override { bars.emplace_back(axis, pos); }
    void status(int field, int value) override { status_calls.emplace_back(field, value); }
    void mark_changed() override { ++changed; }
    int screen_width() const override { return screen; }
    Sz client_size() const override { return {600, 400}; }
    bool windows_force_full_repaint() const override { return force_full; }
};

class Sbar : public ::testing::Test {
protected:
    FakeHost host;
    ViewPosition pos{&host};
    void SetUp() override {
        view_doc() = Document();
        gosub_.clear();
    }
    void TearDown() override {
        view_doc() = Document();
        gosub_.clear();
    }
    void at(int x, int y) { ASSERT_TRUE(pos.cmd(kSbarX0, kSbSet, x) && pos.cmd(kSbarY0, kSbSet, y)); }
};

TEST(SbarMuldiv, RoundsHalvesAwayFromZero) {
    struct Case { int a, b, c, want; } cases[] = {
        {10000, 10, 11, 9091}, {10000, 11, 10, 11000}, {110, 11, 10, 121}, {5, 1, 2, 3},
        {-5, 1, 2, -3}, {5, -1, 2, -3}, {7, 1, 0, 0}, {2000000000, 2000000000, 1, INT32_MAX},
        {-40, 1280, 640, -80}, {1, 1280, 640, 2},
    };
    for (const auto& c : cases) EXPECT_EQ(sbar_muldiv(c.a, c.b, c.c), c.want) << c.a << "*" << c.b << "/" << c.c;
}

TEST_F(Sbar, ZoomStepsScaleZoomAndOrigin) {
    EXPECT_TRUE(pos.cmd(kSbarZoom, kSbContract, 0));
    EXPECT_EQ(pos.field(kSbarZoom), 9091);
    EXPECT_EQ(pos.state().zoom, 90);
    EXPECT_TRUE(pos.cmd(kSbarZoom, kSbSet, 100));
    at(110, 20);
    host.bars.clear();
    EXPECT_TRUE(pos.cmd(kSbarZoom, kSbExpand, 0));
    EXPECT_EQ(pos.field(kSbarZoom), 11000);
    EXPECT_EQ(pos.state().x0, 121);
    EXPECT_EQ(pos.state().y0, 22);
    EXPECT_EQ(host.bars, (std::vector<std::pair<int, int>>{{0, 121}, {1, 22}}));
    EXPECT_EQ(host.status_calls.back(), std::make_pair(5, 110));
    EXPECT_GE(host.changed, 1);
}

TEST_F(Sbar, RefusedZoomStepChangesNothing) {
    ASSERT_TRUE(pos.cmd(kSbarZoom, kSbSet, 275));
    at(300, -300);
    int repaints = host.repaints;
    EXPECT_FALSE(pos.cmd(kSbarZoom, kSbExpand, 0));
    EXPECT_EQ(pos.field(kSbarZoom), 27500);
    EXPECT_EQ(pos.state().x0, 300);
    EXPECT_EQ(pos.state().y0, -300);
    EXPECT_EQ(host.repaints, repaints);
    // A refused step is not an edit.
    EXPECT_EQ(host.changed, 0);
    ASSERT_TRUE(pos.cmd(kSbarZoom, kSbSet, 1));
    EXPECT_FALSE(pos.cmd(kSbarZoom, kSbContract, 0));
    EXPECT_EQ(pos.field(kSbarZoom), 100);
    EXPECT_TRUE(pos.cmd(kSbarZoom, kSbSet, 100));
    EXPECT_EQ(pos.field(kSbarZoom), 10000);
}

TEST_F(Sbar, ZoomStepNearTheEdgeKeepsOriginInRange) {
    at(1900, -1950);
    EXPECT_TRUE(pos.cmd(kSbarZoom, kSbExpand, 0));
    EXPECT_EQ(pos.field(kSbarZoom), 11000);
    EXPECT_EQ(pos.state().x0, 2000);
    EXPECT_EQ(pos.state().y0, -2000);
}

TEST_F(Sbar, OutOfRangeSetZoomIsIgnoredButSucceeds) {
    for (int pct : {0, 276, -5, 1000000000}) {
        EXPECT_TRUE(pos.cmd(kSbarZoom, kSbSet, pct)) << pct;
        EXPECT_EQ(pos.field(kSbarZoom), 10000) << pct;
    }
}

TEST_F(Sbar, RefusedOriginsAndLevelsLeaveTheFieldUnchanged) {
    struct Case { int code, sub, value, start; } cases[] = {
        {kSbarY0, kSbLineDown, 0, 1990},   // 2030 is out of range
        {kSbarX0, kSbPageUp, 0, -1900},    // -2100
        {kSbarX0, kSbThumbPos, 2001, 5},
        {kSbarY0, kSbSet, -2001, 7},
        {kSbarLevel, kSbSet, 251, 3},
        {kSbarLevel, kSbUnitUp, 0, -250},  // -251
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(pos.cmd(c.code, kSbSet, c.start));
        EXPECT_FALSE(pos.cmd(c.code, c.sub, c.value)) << c.code << "/" << c.sub;
        EXPECT_EQ(pos.field(c.code), c.start) << c.code << "/" << c.sub;
    }
}

TEST_F(Sbar, LineAndPageStepsMoveByTheirDisplacement) {
    struct Case { int sub, delta; } cases[] = {
        {kSbLineUp, -40}, {kSbLineDown, 40}, {kSbPageUp, -200}, {kSbPageDown, 200}, {kSbUnitUp, -1}, {kSbUnitDown, 1},
    };
    for (const auto& c : cases) {
        at(0, 0);
        EXPECT_TRUE(pos.cmd(kSbarX0, c.sub, 0));
        EXPECT_EQ(pos.state().x0, c.delta) << c.sub;
    }
    EXPECT_FALSE(pos.cmd(kSbarX0, 99, 0));
    EXPECT_TRUE(pos.cmd(kSbarX0, 0, 0));  // nothing to do
}

TEST_F(Sbar, WheelFollowsTheLatestAxis) {
    // No drag yet: the first notch toward the user scrolls down one line vertically.
    EXPECT_TRUE(pos.cmd(kSbarWheel, 0, 0));
    EXPECT_EQ(pos.state().y0, 40);
    EXPECT_EQ(pos.state().x0, 0);
    EXPECT_TRUE(pos.cmd(kSbarX0, kSbLineDown, 0));
    EXPECT_TRUE(pos.cmd(kSbarWheel, 1, 0));
    EXPECT_EQ(pos.state().x0, 0);
    EXPECT_EQ(pos.state().y0, 40);
}

TEST_F(Sbar, WheelRepeatsOrUndoesTheLastDrag) {
    at(100, 100);
    EXPECT_TRUE(pos.cmd(kSbarDrag, 30, -20));
    EXPECT_TRUE(pos.cmd(kSbarWheel, 0, 0));
    EXPECT_TRUE(pos.cmd(kSbarWheel, 0, 0));
    EXPECT_EQ(pos.state().x0, 160);
    EXPECT_EQ(pos.state().y0, 60);
    EXPECT_EQ(pos.latest(), (SbarLatest{kSbarDrag, 30, -20}));
    EXPECT_TRUE(pos.cmd(kSbarWheel, 1, 0));
    EXPECT_EQ(pos.state().x0, 130);
    EXPECT_EQ(pos.state().y0, 80);
}

TEST_F(Sbar, PixelShiftStripsAndDirections) {
    struct Case { int axis, p; ScrollStrip want; } cases[] = {
        {0, 80, {{0, 0, 40, 400}, 80, 0}},
        {0, -80, {{560, 0, 600, 400}, -80, 0}},
        {1, 80, {{0, 0, 600, 40}, 0, 80}},
        {1, -80, {{0, 360, 600, 400}, 0, -80}},
        {10, 5, {{0, 0, 600, 400}, 0, 0}},
    };
    for (const auto& c : cases) EXPECT_EQ(sbar_scroll_strip(c.axis, c.p, 600, 400), c.want) << c.axis << " " << c.p;
}

TEST_F(Sbar, ScrollShiftsPixelsScaledByScreenWidth) {
    EXPECT_TRUE(pos.cmd(kSbarX0, kSbLineUp, 0));  // delta +40 -> 80 px on a 1280 screen
    ASSERT_EQ(host.shifts.size(), 1u);
    EXPECT_EQ(host.shifts[0], (ScrollStrip{{0, 0, 40, 400}, 80, 0}));
    EXPECT_EQ(host.bars.back(), std::make_pair(0, -40));
    EXPECT_EQ(host.repaints, 0);
}

TEST_F(Sbar, FullRepaintInsteadOfShift) {
    auto scroll_repaints = [&] {
        host.shifts.clear();
        int before = host.repaints;
        EXPECT_TRUE(pos.cmd(kSbarY0, kSbLineDown, 0));
        EXPECT_TRUE(pos.cmd(kSbarY0, kSbLineUp, 0));
        return host.shifts.empty() && host.repaints == before + 2;
    };
    EXPECT_FALSE(scroll_repaints());
    for (int bg : {1, 7, 8}) {
        view_doc().set_param(7, bg);
        EXPECT_TRUE(scroll_repaints()) << bg;
    }
    view_doc().set_param(7, 2);
    EXPECT_FALSE(scroll_repaints());
    view_doc().set_param(51, 3);  // levels 2 and 3 drawn below level 1
    EXPECT_TRUE(scroll_repaints());
    view_doc().set_param(51, 1);
    gosub_.push_back(Gosub{});
    EXPECT_TRUE(scroll_repaints());
    gosub_.clear();
    host.force_full = true;
    EXPECT_TRUE(scroll_repaints());
}

TEST_F(Sbar, LevelSpan) {
    struct Case { int s366, s51, level, want; } cases[] = {
        {0, 1, 1, 0}, {0, 4, 1, 3}, {0, 4, 6, 0}, {3, 9, 1, 2}, {1, 9, 1, 0},
    };
    for (const auto& c : cases) {
        view_doc().set_param(366, c.s366);
        view_doc().set_param(51, c.s51);
        ASSERT_TRUE(pos.cmd(kSbarLevel, kSbSet, c.level));
        EXPECT_EQ(pos.level_span(), c.want) << c.s366 << " " << c.s51 << " " << c.level;
    }
}

TEST_F(Sbar, SetOriginRefusesAndKeepsTheOldPlace) {
    EXPECT_TRUE(pos.set_origin(3, 10, -10));
    EXPECT_EQ(pos.state().level, 3);
    EXPECT_EQ(pos.state().x0, 10);
    EXPECT_FALSE(pos.set_origin(4, 2500, 0));
    EXPECT_EQ(pos.state().x0, 10);
    EXPECT_EQ(pos.state().level, 3);
    EXPECT_FALSE(pos.set_origin(300, 0, 0));
    EXPECT_EQ(pos.state().level, 3);
}

}  // namespace

#include <gtest/gtest.h>

#include "bars/toolbox.h"

namespace {

// Codes shown at grid positions 1..36 as "group:code" (the set the user sees).
std::vector<int> groups_at(const ToolboxModel& m, int from, int to) {
    std::vector<int> g;
    for (int p = from; p <= to; ++p) g.push_back(m.row_at(p) ? m.row_at(p)->group : -1);
    return g;
}

TEST(Toolbox, ShapeToolCountsOnlyWhileShapesAreShown) {
    ToolboxModel m;
    EXPECT_TRUE(m.objects_shown());
    // The shape tool counts only while the shapes are shown in an open toolbox.
    EXPECT_EQ(m.current(kTgShape, true, 201), 0);
    m.toggle();
    EXPECT_EQ(m.current(kTgShape, false, 201), 0);
    ASSERT_TRUE(m.press(kTgShape, 3, nullptr));
    EXPECT_EQ(m.current(kTgShape, true, 201), 3);
    EXPECT_EQ(m.current(kTgShape, false, 201), 0);
}

TEST(Toolbox, ToggleTwiceRestoresSetAndTools) {
    ToolboxModel m;
    ASSERT_TRUE(m.press(kTgRoute, 5, nullptr));
    ASSERT_TRUE(m.press(kTgObject, 163, nullptr));
    std::vector<int> before = groups_at(m, 1, 36);
    m.toggle();
    EXPECT_FALSE(m.objects_shown());
    EXPECT_EQ(m.row_at(5)->short_name, "Handle");
    EXPECT_EQ(m.row_at(27)->group, kTgFill);
    EXPECT_EQ(m.row_at(35)->group, kTgWeight);
    EXPECT_EQ(m.row_at(1)->short_name, "Toggle");
    EXPECT_EQ(m.row_at(2)->short_name, "Close");
    m.toggle();
    EXPECT_EQ(groups_at(m, 1, 36), before);
    EXPECT_EQ(m.current(kTgRoute, true, 0), 5);
    EXPECT_EQ(m.current(kTgObject, true, 0), 163);
}

TEST(Toolbox, PointStylesShowOnlyWithPointOrEraser) {
    ToolboxModel m;
    m.toggle();
    ToolMarks none;
    m.press_position(25);  // Point
    ToolPick p = m.pick(25, none, 0);
    EXPECT_FALSE(p.mark_changed);
    EXPECT_EQ(groups_at(m, 27, 34), std::vector<int>(8, kTgPoint));
    EXPECT_EQ(m.row_at(23)->short_name, "Ellip Line1");
    m.press_position(7);  // Rectangle
    p = m.pick(7, none, 0);
    EXPECT_EQ(groups_at(m, 27, 34), std::vector<int>(8, kTgFill));
    EXPECT_EQ(p.user_code, 18);
    EXPECT_EQ(p.user_param, 1);
    EXPECT_TRUE(p.mark_changed);
    // Back to objects and again to shapes with Eraser pressed: the point styles come back.
    m.press_position(26);
    m.pick(26, none, 0);
    m.toggle();
    EXPECT_EQ(groups_at(m, 23, 34), std::vector<int>(12, kTgRoute));
    m.toggle();
    EXPECT_EQ(groups_at(m, 27, 34), std::vector<int>(8, kTgPoint));
    // Link routes never show through the shape set.
    for (int pos = 23; pos <= 26; ++pos) EXPECT_EQ(m.row_at(pos)->group, kTgShape);
}

TEST(Toolbox, PicksByWhatIsMarked) {
    ToolboxModel m;
    ToolMarks none, objs{true, false, false}, links{false, true, false}, both{true, true, false}, shapes{false, false, true};
    struct Case {
        int pos;
        ToolMarks marks;
        int user_code, user_param, menu_cmd;
        bool goes_on;
    } cases[] = {
        {6, none, 0, 0, 0, true},          // Bar, nothing marked: only the current kind
        {6, objs, 16, 160, 0, false},      // Bar restyles marked objects
        {17, none, 0, 0, 10892, false},    // Picture
        {18, none, 0, 0, 10896, false},    // Icon without marks opens the browser
        {18, objs, 16, 305, 0, false},     // Icon with marks: the current icon
        {24, none, 0, 0, 0, true},         // Double link, nothing marked
        {24, objs, 0, 0, 10919, true},     // objects only: connect them
        {24, links, 17, 8, 0, true},
        {24, both, 17, 8, 0, true},
        {36, none, 0, 0, 0, true},
        {36, shapes, 23, 1, 0, true},
        {35, links, 23, 0, 0, true},
    };
    for (const auto& c : cases) {
        m.press_position(c.pos);
        ToolPick p = m.pick(c.pos, c.marks, 305);
        EXPECT_EQ(p.user_code, c.user_code) << c.pos;
        EXPECT_EQ(p.user_param, c.user_param) << c.pos;
        EXPECT_EQ(p.menu_cmd, c.menu_cmd) << c.pos;
        EXPECT_EQ(p.goes_on, c.goes_on) << c.pos;
        EXPECT_TRUE(p.mark_changed) << c.pos;
    }
}

TEST(Toolbox, ControlButtonsReleaseGroupZero) {
    ToolboxModel m;
    ToolMarks none;
    for (int pos : {2, 4}) {
        ASSERT_TRUE(m.press_position(pos));
        EXPECT_EQ(m.depressed(kTgControl), pos);
        ToolPick p = m.pick(pos, none, 0);
        EXPECT_EQ(m.depressed(kTgControl), kToolNone);
        EXPECT_FALSE(p.mark_changed);
        EXPECT_FALSE(p.goes_on);
        EXPECT_EQ(p.close, pos == 2);
        EXPECT_EQ(p.rotate, pos == 4);
    }
    EXPECT_EQ(m.title(*m.row_at(1)), "Toggle 1");
    m.press_position(1);
    ToolPick p = m.pick(1, none, 0);
    EXPECT_TRUE(p.goes_on);
    EXPECT_EQ(m.title(*m.row_at(1)), "Toggle 2");
    // Unused cells are no tools.
    EXPECT_FALSE(m.press_position(6));
    EXPECT_FALSE(m.press_position(0));
    EXPECT_FALSE(m.press_position(37));
}

TEST(Toolbox, PressByCode) {
    ToolboxModel m;
    int icon = 0;
    ASSERT_TRUE(m.press(kTgObject, 301, &icon));
    EXPECT_EQ(icon, 301);
    EXPECT_EQ(m.current(kTgObject, true, 301), 301);
    EXPECT_EQ(m.depressed(kTgObject), 18);
    // An unknown code leaves the group without a tool until one is pressed again.
    EXPECT_FALSE(m.press(kTgRoute, 77, nullptr));
    EXPECT_FALSE(m.current(kTgRoute, true, 0));
    ASSERT_TRUE(m.press(kTgRoute, 11, nullptr));
    EXPECT_EQ(m.current(kTgRoute, true, 0), 11);
    EXPECT_EQ(m.depressed(kTgRoute), 31);
}

TEST(ToolboxGeometry, CellsAndPositionsAreInverse) {
    for (int o : {0, 1}) {
        for (int pos = 1; pos <= 36; ++pos) {
            Pt c = toolbox_cell_origin(pos, o, false);
            EXPECT_EQ(toolbox_position_at(c.x + 3, c.y + 3, o), pos) << o << " " << pos;
            EXPECT_EQ(toolbox_cell_origin(pos, o, true), (Pt{c.x + 1, c.y + 1}));
        }
    }
    EXPECT_EQ(toolbox_cell_origin(4, 0, false), (Pt{26, 23}));
    EXPECT_EQ(toolbox_cell_origin(4, 1, false), (Pt{26, 23}));
    EXPECT_EQ(toolbox_cell_origin(5, 1, false), (Pt{51, 1}));
    EXPECT_EQ(toolbox_position_at(60, 5, 0), 0);
    EXPECT_EQ(toolbox_position_at(5, 50, 1), 0);
    EXPECT_EQ(toolbox_position_at(-1, 5, 1), 0);
    EXPECT_EQ(toolbox_window_rect(10, 20, 1), (Rc{10, 20, 462, 66}));
    EXPECT_EQ(toolbox_window_rect(10, 20, 0), (Rc{10, 20, 62, 418}));
}

TEST(ToolboxGeometry, StoredPlaceAndClamp) {
    struct Case { std::vector<int> stored; ToolboxPlace want; } cases[] = {
        {{30, 40, 0}, {30, 40, 0}}, {{}, {0, 0, 1}}, {{1, 2}, {0, 0, 1}}, {{1, 2, 1, 4}, {0, 0, 1}}, {{5, 6, 7}, {0, 0, 1}},
    };
    for (const auto& c : cases) EXPECT_EQ(toolbox_place_from(c.stored), c.want);
    EXPECT_EQ(toolbox_place_clamp({900, -5, 1}, 800, 600), (ToolboxPlace{800 - 452, 0, 1}));
    EXPECT_EQ(toolbox_place_clamp({900, 900, 0}, 800, 600), (ToolboxPlace{800 - 52, 600 - 398, 0}));
    EXPECT_EQ(toolbox_place_clamp({50, 50, 1}, 300, 30), (ToolboxPlace{0, 0, 1}));
}

}  // namespace

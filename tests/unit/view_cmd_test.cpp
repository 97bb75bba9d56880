#include <gtest/gtest.h>

#include "base/palette.h"
#include "document/clip.h"
#include "document/view.h"
#include "ideas/pert.h"
#include "view/view_cmd.h"
#include "view_fixture.h"

namespace {

Key add(int x, int y, int level = 1, int colour = 0, uint32_t flags = 1) {
    Obj o;
    o.id = "o";
    o.x = x;
    o.y = y;
    o.level = level;
    o.colour = colour;
    o.flags = static_cast<int32_t>(flags);
    return *view_obj_put(o);
}

Key add_shape(int kind, int style = 0, int level = 1) {
    Shape s;
    s.kind = kind;
    s.style = style;
    s.level = level;
    s.colour_curve = 0x2003;
    return *view_shape_put(s);
}

}  // namespace

TEST_F(ViewFixture, PropertyCommandsChangeOnlyMarkedItemsAsOneStep) {
    Key a = add(0, 0), b = add(10, 0);
    Key s1 = add_shape(3, 0x0102 | 0x1), s2 = add_shape(4);
    view_link_add(Link{a, b, 0, 2 * 256 + 1, 5 * 65536 + 7, 0, "l"});
    marked_obj_ = {a};
    marked_link_ = {{a, b}};
    marked_shape_ = {s1};

    struct Case { int code, param; const char* undo; };
    const Case cases[] = {{11, 9, "Re-color"}, {16, 175, "Change Object"}, {17, 4, "Change Link"},
                          {18, 5, "Change Shape"}, {19, 1, "Change Shape"}, {23, 1, "Change Line"},
                          {24, 2, "Change Shape"}, {50, 0x4000, "Change Object"}};
    for (const Case& c : cases) {
        EXPECT_EQ(view_user_command(c.code, c.param), 0) << c.code;
        EXPECT_EQ(view_undo_name(), c.undo) << c.code;
    }
    const Obj& oa = *view_doc().obj(a);
    EXPECT_EQ(oa.colour, 9);
    EXPECT_EQ(oa.shape, 175);
    EXPECT_EQ(oa.flags, 1 | 0x4000);
    EXPECT_EQ(view_doc().obj(b)->colour, 0);
    const Link& l = view_doc().links[0];
    EXPECT_EQ(l.label_pos_colour, 5 * 65536 + 9);  // the label position half stays
    EXPECT_EQ(l.kind, 4 * 256 + 1);                // the line style stays
    EXPECT_EQ(l.flags, 1 << 12);
    const Shape& sh = *view_doc().shape(s1);
    EXPECT_EQ(sh.kind, 5);
    EXPECT_EQ(sh.colour_curve, 0x2009);            // curvature kept
    EXPECT_EQ(sh.style, 0x2 | 0x8);                // fill 1 = outline, thick, dotted
    EXPECT_EQ(view_doc().shape(s2)->kind, 4);

    // Fill style 3: style div 256 = 2, filled bit on; line bits kept.
    view_user_command(19, 3);
    EXPECT_EQ(view_doc().shape(s1)->style, 0x200 | 0x1 | 0x2 | 0x8);
    // Each was one step: undo everything back.
    while (view_undo()) {}
    EXPECT_EQ(view_doc().obj(a)->colour, 0);
    EXPECT_EQ(view_doc().shape(s1)->style, 0x0102 | 0x1);
}

TEST_F(ViewFixture, PropertyCommandsRefuseNothingMarkedAndBadValues) {
    add(0, 0);
    EXPECT_EQ(view_user_command(11, 3), -1);
    marked_obj_ = {1};
    EXPECT_EQ(view_user_command(11, 32), -1);
    EXPECT_EQ(view_user_command(19, 9), -1);
    EXPECT_EQ(view_user_command(24, 3), -1);
    EXPECT_FALSE(view_user_command(36, 0));  // the window's
    EXPECT_FALSE(view_can_undo());
    EXPECT_FALSE(view_doc().changed && changed_calls > 1);
}

TEST_F(ViewFixture, GroupNeedsTwoShapes) {
    Key s1 = add_shape(3), s2 = add_shape(3);
    marked_shape_ = {s1};
    EXPECT_EQ(view_user_command(31, 1), -1);
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_EQ(notes[0], "First mark 2 or more Shapes");
    marked_shape_ = {s1, s2};
    EXPECT_EQ(view_user_command(31, 1), 0);
    EXPECT_TRUE(view_doc().shape(s2)->style & 0x20);
    EXPECT_EQ(view_user_command(31, 0), 0);
    EXPECT_FALSE(view_doc().shape(s1)->style & 0x20);
}

// Each Group command makes a group of its own: a member brings along its own group only, on
// every way a document or part comes back (save and load, copy and paste); files written
// before groups had numbers keep one group per level.
TEST_F(ViewFixture, EachGroupIsItsOwnAndSurvivesSaveAndPaste) {
    Key r = add_shape(1), e = add_shape(3), d = add_shape(4), t = add_shape(5), lone = add_shape(7);
    marked_shape_ = {r, e};
    ASSERT_EQ(view_user_command(31, 1), 0);
    marked_shape_ = {d, t};
    ASSERT_EQ(view_user_command(31, 1), 0);
    using Keys = std::vector<Key>;
    EXPECT_EQ(view_with_groups({r}), (Keys{r, e}));
    EXPECT_EQ(view_with_groups({t}), (Keys{t, d}));
    EXPECT_EQ(view_with_groups({lone}), (Keys{lone}));
    // Grouping one member of each makes a new group of those two; the others keep theirs.
    marked_shape_ = {e, d};
    ASSERT_EQ(view_user_command(31, 1), 0);
    EXPECT_EQ(view_with_groups({r}), (Keys{r}));
    EXPECT_EQ(view_with_groups({e}), (Keys{e, d}));
    while (view_undo()) {}
    marked_shape_ = {r, e};
    view_user_command(31, 1);
    marked_shape_ = {d, t};
    view_user_command(31, 1);

    const std::string text = view_doc().to_text();
    Document back;
    LoadError err;
    ASSERT_TRUE(Document::from_text(text, back, err)) << err.message;
    EXPECT_EQ(back.shapes, view_doc().shapes);
    EXPECT_EQ(shape_with_groups(back.shapes, {e}), (Keys{e, r}));

    // A copy of one group pasted forms a group of its own.
    marked_obj_.clear();
    marked_shape_ = {r, e};
    auto keys = view_clip_paste(view_clip_text(), 1, 500, 0, nullptr);
    ASSERT_TRUE(keys);
    ASSERT_EQ(marked_shape_.size(), 2u);
    const Key copy = marked_shape_[0];
    EXPECT_EQ(view_with_groups({copy}), marked_shape_);
    EXPECT_EQ(view_with_groups({r}), (Keys{r, e}));

    // Written before groups had numbers: the group bit alone, every such shape of a level together.
    Document old;
    ASSERT_TRUE(Document::from_text("s_(1,1,1,0,32,0,10,10,0)\r\ns_(2,3,1,0,32,0,10,10,0)\r\n"
                                    "s_(3,4,2,0,32,0,10,10,0)\r\ns_(4,4,1,0,0,0,10,10,0)\r\n",
                                    old, err))
        << err.message;
    EXPECT_EQ(shape_with_groups(old.shapes, {2}), (Keys{2, 1}));
    EXPECT_EQ(old.to_text().find("shape_group_"), std::string::npos);
}

TEST_F(ViewFixture, CountsLeaveOutTemporaryItems) {
    Key a = add(0, 0), b = add(1, 1);
    view_link_add(Link{a, b, 0, 0, 0, 0, ""});
    view_link_add(Link{a, b, 0, 16 * 256, 0, 0, ""});
    add_shape(3);
    add_shape(kRegionShapeKind);
    view_obj_set_cluster(a, 2);
    view_point_add(1, 0, 0, 1, 0);
    EXPECT_EQ(view_user_command(1, 1), 2);
    EXPECT_EQ(view_user_command(1, 2), 1);
    EXPECT_EQ(view_user_command(1, 3), 1);
    EXPECT_EQ(view_user_command(1, 4), 1);
    EXPECT_EQ(view_user_command(1, 5), 1);
}

TEST_F(ViewFixture, FrontAndBackKeepOtherOrder) {
    Key a = add(0, 0), b = add(0, 0), c = add(0, 0), e = add(0, 0);
    marked_obj_ = {b, c};
    view_user_command(10, 1);
    auto keys = [] {
        std::vector<Key> k;
        for (const Obj& o : view_doc().objs) k.push_back(o.key);
        return k;
    };
    EXPECT_EQ(keys(), (std::vector<Key>{a, e, b, c}));
    view_user_command(9, 1);
    EXPECT_EQ(keys(), (std::vector<Key>{b, c, a, e}));
    EXPECT_EQ(view_obj_get(c)->key, c);  // the key index followed the move
}

TEST_F(ViewFixture, ClusterLayoutPlacesMembersAroundTheirCentre) {
    EXPECT_EQ(view_cluster_vert_spacing(), 100);
    EXPECT_EQ(view_cluster_horz_spacing(), 300);
    struct Case { int code, index, count; Pt want; };
    const Case cases[] = {
        {2, 0, 4, {0, 300}}, {2, 1, 4, {300, 0}}, {2, 2, 4, {0, -300}},  // circle, clockwise from the top
        {1, 1, 4, {300, 0}}, {1, 0, 4, {0, 100}},                          // ellipse 300 x 100
        {3, 0, 3, {300, 100}}, {3, 2, 3, {300, -100}},                     // right tree
        {4, 1, 3, {-300, 0}},
        {5, 0, 2, {-150, -100}}, {6, 1, 2, {150, 100}},
        {8, 0, 2, {0, 0}}, {0, 0, 2, {0, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(view_cluster_place(c.code, c.index, c.count, {0, 0}, 100, 300), c.want)
            << c.code << " " << c.index;

    Key centre = add(1000, 1000);
    Key m1 = add(0, 0), m2 = add(0, 0), far = add(5, 5);
    view_link_add(Link{centre, m1, 0, 0, 0, 0, ""});
    view_link_add(Link{centre, m2, 0, 0, 0, 0, ""});
    view_link_add(Link{centre, m2, 0, 0, 0, 0, "second link to the same member"});
    view_link_add(Link{far, centre, 0, 0, 0, 0, ""});
    view_obj_set_cluster(centre, 3);
    EXPECT_EQ(view_user_command(32, 0), 0);
    EXPECT_EQ(view_obj_get(m1)->x, 1300);
    EXPECT_EQ(view_obj_get(m1)->y, 1050);
    EXPECT_EQ(view_obj_get(m2)->y, 950);
    EXPECT_EQ(view_obj_get(far)->x, 5);  // links into the centre do not make members
    EXPECT_EQ(view_undo_name(), "Cluster");
}

TEST_F(ViewFixture, SequenceOrdersByDirectionAndFilters) {
    Key tl = add(0, 1000), tr = add(1000, 1000), bl = add(0, 0), br = add(1000, 50);
    add(500, 500, 1, 0, 1 | 0x0200);  // left out of sequencing
    add(500, 500, 3);                 // another level
    view_param_set(226, 1);           // current level only
    view_param_set(317, -6);          // rows: 0 distance
    struct Case { int dir; std::vector<Key> want; };
    const Case cases[] = {
        {0, {tl, tr, br, bl}}, {1, {tr, tl, br, bl}}, {2, {bl, br, tr, tl}}, {3, {bl, br, tl, tr}},
        {4, {tl, bl, tr, br}}, {5, {tr, br, tl, bl}},  // columns top first
    };
    for (const Case& c : cases) {
        view_param_set(318, c.dir);
        EXPECT_EQ(view_sequence_order(1), c.want) << c.dir;
    }
    // With the default row distance 300, br (y 50) shares bl's row.
    view_param_set(317, 0);
    view_param_set(318, 3);
    EXPECT_EQ(view_sequence_order(1), (std::vector<Key>{bl, br, tl, tr}));
    view_param_set(318, 2);
    EXPECT_EQ(view_sequence_order(1), (std::vector<Key>{br, bl, tr, tl}));
    // The starting object comes first.
    view_param_set(216, tr);
    EXPECT_EQ(view_sequence_order(1).front(), tr);
    // Around the start, from the right side, clockwise: br is below-right, bl below-left...
    view_param_set(318, 8);
    EXPECT_EQ(view_sequence_order(1), (std::vector<Key>{tr, br, bl, tl}));
    view_param_set(110, 1);  // anti-clockwise
    EXPECT_EQ(view_sequence_order(1), (std::vector<Key>{tr, tl, bl, br}));

    EXPECT_EQ(view_user_command(33, 1), 0);
    ASSERT_EQ(view_doc().seq.size(), 4u);
    EXPECT_EQ(view_doc().seq[3].number, 4);
}

TEST_F(ViewFixture, ChartLevelReplacesLevelTwo) {
    Key keep = add(1, 1, 1);
    Key gone = add(1, 1, 2);
    view_link_add(Link{keep, gone, 0, 0, 0, 0, ""});
    add_shape(3, 0, 2);
    view_param_set(5, 7);
    marked_obj_ = {keep, gone};
    EXPECT_EQ(view_user_command(27, 0), 0);
    EXPECT_EQ(marked_obj_, std::vector<Key>{keep});
    EXPECT_EQ(view_undo_name(), "Chart");
    for (const Obj& o : view_doc().objs) EXPECT_FALSE(o.level == 2 && o.id == "o") << "level 2 was not cleared";
    EXPECT_TRUE(view_doc().links.empty());
    EXPECT_TRUE(view_doc().shapes.empty());
    EXPECT_EQ(view_param_get(10002), 15);
    ASSERT_EQ(view_doc().objs.size(), 22u);  // the kept object and the time scale
    EXPECT_EQ(view_doc().objs.back().id, "400");
    view_undo();
    EXPECT_EQ(view_obj_get(gone)->id, "o");
    EXPECT_EQ(view_param_get(10002), 0);
}

TEST_F(ViewFixture, CriticalPathRunIsOneUndoableStepAndDropsMarksOnTheChartLevel) {
    Key a = add(0, 0), b = add(100, 0), c = add(200, 0);
    view_link_add(Link{a, b, 0, 0, 0, 0, "20"});
    view_link_add(Link{b, c, 0, 0, 0, 0, "30"});
    // The time scale of an earlier chart, one of its objects marked: cleared without a question.
    view_user_command(27, 0);
    Key old_chart = view_doc().objs.back().key;
    marked_obj_ = {a, old_chart};
    Document before = view_doc();
    view_undo_clear();
    ASSERT_TRUE(pert_recompute(2));
    EXPECT_EQ(marked_obj_, std::vector<Key>{a});
    EXPECT_NE(view_obj_get(c)->id.find("[ES=50"), std::string::npos);
    EXPECT_TRUE(view_doc().links[0].flags & 4);
    EXPECT_EQ(view_undo_name(), "Chart");
    ASSERT_TRUE(view_undo());
    EXPECT_FALSE(view_can_undo());  // the chart, the times and the marks went back together
    EXPECT_EQ(view_doc().objs, before.objs);
    EXPECT_EQ(view_doc().links, before.links);
    ASSERT_TRUE(view_redo());
    EXPECT_TRUE(view_doc().links[1].flags & 4);
}

TEST_F(ViewFixture, ShiftMovesEverythingAndLevelsWithoutMerging) {
    Key a = add(0, 0, 1), b = add(0, 0, 2), c = add(0, 0, 3);
    add_shape(3, 0, 2);
    view_point_add(3, 1, 1, 1, 0);
    ASSERT_TRUE(view_shift(10424, 10, 1));
    ASSERT_TRUE(view_shift(10423, 5, 1));
    EXPECT_EQ(view_obj_get(c)->x, 10);
    EXPECT_EQ(view_obj_get(c)->y, -5);
    EXPECT_EQ(view_doc().points[0].x, 11);
    EXPECT_EQ(view_doc().shapes[0].right, 10);

    auto levels = [&] { return std::vector<int>{view_obj_get(a)->level, view_obj_get(b)->level, view_obj_get(c)->level}; };
    ASSERT_TRUE(view_shift(10426, 2, 1));   // level 1 down by 2: levels 2 and 3 close up
    EXPECT_EQ(levels(), (std::vector<int>{3, 1, 2}));
    EXPECT_EQ(view_doc().shapes[0].level, 1);
    ASSERT_TRUE(view_shift(10425, 2, 3));   // and back up
    EXPECT_EQ(levels(), (std::vector<int>{1, 2, 3}));
    ASSERT_TRUE(view_shift(10427, 1, 1));   // an empty level below 1
    EXPECT_EQ(levels(), (std::vector<int>{1, 3, 4}));
    EXPECT_FALSE(view_shift(10428, 1, 3));  // not empty
    EXPECT_EQ(notes.size(), 1u);
    ASSERT_TRUE(view_shift(10428, 1, 2));
    EXPECT_EQ(levels(), (std::vector<int>{1, 2, 3}));
}

TEST_F(ViewFixture, ShiftNeverTakesALevelOutOfRange) {
    Key top = add(0, 0, -250), bottom = add(0, 0, 250);
    view_doc().changed = false;
    struct Case { int button, level; };
    for (Case c : {Case{10425, -250}, Case{10426, 250}, Case{10427, 1}, Case{10427, 250}}) {
        notes.clear();
        EXPECT_FALSE(view_shift(c.button, 1, c.level)) << c.button << " at " << c.level;
        EXPECT_EQ(notes.size(), 1u);
    }
    EXPECT_EQ(view_obj_get(top)->level, -250);
    EXPECT_EQ(view_obj_get(bottom)->level, 250);
    EXPECT_FALSE(view_doc().changed);
    // With the bottom level free again there is room below.
    ASSERT_TRUE(view_shift(10425, 1, 250));
    EXPECT_TRUE(view_shift(10427, 1, 1));
    EXPECT_EQ(view_obj_get(bottom)->level, 250);
}

// Near +-(2^31-1) a move, a paste or a shift stops at the edge: nothing wraps to the other end.
TEST_F(ViewFixture, MovesPastesAndShiftsStopAtTheEdgeOfTheCoordinateRange) {
    const int edge = kCoordMax;
    Key a = add(edge - 5, 0), b = add(edge - 50, -edge + 3);
    Key s = add_shape(3);
    {
        Shape sh = *view_shape_get(s);
        sh.left = 0;
        sh.right = edge - 1;
        view_shape_put(sh);
    }
    // Moved together: the group stops when its first member reaches the edge.
    const uint32_t pa = view_doc().obj_index(a), pb = view_doc().obj_index(b);
    EXPECT_EQ(view_move_items({pa, pb}, {s}, 1, 10, 0), (Pt{1, 0}));
    EXPECT_EQ(view_obj_get(a)->x, edge - 4);
    EXPECT_EQ(view_obj_get(b)->x, edge - 49);
    EXPECT_EQ(view_shape_get(s)->right, edge);
    EXPECT_EQ(view_move_items({pa, pb}, {s}, 1, 100, -100), (Pt{0, -3}));
    EXPECT_EQ(view_obj_get(b)->y, -edge);
    EXPECT_EQ(view_move_items({pa}, {}, 1, -20, 0), (Pt{-20, 0}));  // away from the edge: all of it

    // Pasting beside an item at the edge keeps the copy inside.
    marked_obj_ = {a};
    marked_shape_.clear();
    std::string part = view_clip_text();
    auto keys = view_clip_paste(part, 1, 1000, 0, nullptr);
    ASSERT_TRUE(keys);
    EXPECT_EQ(view_obj_get(keys->front())->x, edge);
    view_paste_lines({"one", "two"}, {0, -edge + 10}, 1);
    EXPECT_EQ(view_obj_get(marked_obj_.back())->y, -edge);

    // Shift moves what it can, and says so when nothing can move.
    notes.clear();
    EXPECT_FALSE(view_shift(10424, 1000, 1));  // the copy is at the right edge
    EXPECT_FALSE(view_shift(10423, 10, 1));    // b at the lower one
    EXPECT_EQ(notes.size(), 2u);
    EXPECT_EQ(view_obj_get(b)->y, -edge);
    EXPECT_TRUE(view_shift(10421, 10, 1));
    EXPECT_EQ(view_shape_get(s)->right, edge - 10);
    EXPECT_TRUE(view_shift(10424, 1000, 1));
    EXPECT_EQ(view_shape_get(s)->right, edge);
    EXPECT_EQ(view_obj_get(b)->x, edge - 49);
}

TEST_F(ViewFixture, ShiftCarriesEachLevelsPatternAndDropsADeletedOne) {
    add(0, 0, 1);
    add(0, 0, 3);
    for (int l : {1, 2, 3}) view_doc().set_param(kLevelSettings + l, l);
    view_doc().set_param(kLevelSettings + kLowestLevel, 7);
    auto patterns = [] {
        std::vector<int> p;
        for (int l = 0; l <= 4; ++l) p.push_back(view_param_get(kLevelSettings + l));
        return p;
    };
    ASSERT_TRUE(view_shift(10426, 2, 1));  // 1 to 3; 2 and 3 close up
    EXPECT_EQ(patterns(), (std::vector<int>{0, 2, 3, 1, 0}));
    ASSERT_TRUE(view_shift(10427, 1, 0));  // insert below 0
    EXPECT_EQ(patterns(), (std::vector<int>{0, 0, 2, 3, 1}));
    ASSERT_TRUE(view_shift(10428, 1, 2));  // the empty level 2 goes with its pattern
    EXPECT_EQ(patterns(), (std::vector<int>{0, 0, 3, 1, 0}));
    EXPECT_EQ(view_param_get(kLevelSettings + kLowestLevel), 7);
    // A pattern keeps the last level in use: nothing is pushed out of range.
    view_doc().set_param(kLevelSettings + kHighestLevel, 5);
    EXPECT_FALSE(view_shift(10427, 1, 1));
    EXPECT_EQ(view_param_get(kLevelSettings + kHighestLevel), 5);
}

TEST_F(ViewFixture, PromoteAddsLinkedObjectsInReadingOrder) {
    Key p = add(100, 100);
    Key old_child = add(0, 0);
    view_link_add(Link{p, old_child, 0, 0, 0, 0, ""});
    auto made = view_obj_from_text(p, {"first", "", "  second \r", "third"});
    ASSERT_EQ(made.size(), 3u);
    EXPECT_EQ(view_obj_id(made[0]), "first");
    EXPECT_EQ(view_obj_id(made[1]), "second");
    EXPECT_GT(view_obj_get(made[0])->y, view_obj_get(made[1])->y);  // reading order, downwards
    EXPECT_LT(view_obj_get(made[0])->y, 100);                        // below the existing child's row
    EXPECT_TRUE(view_link_get(p, made[2]));
    EXPECT_EQ(view_undo_name(), "Promote");
    view_undo();
    EXPECT_EQ(view_doc().objs.size(), 2u);

    auto one = view_obj_from_text(0, {"Random word"}, {7, 8}, 4);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(view_obj_get(one[0])->level, 4);
    EXPECT_EQ(view_obj_get(one[0])->x, 7);
    EXPECT_TRUE(view_obj_from_text(0, {"a", "b"}).empty());
    EXPECT_TRUE(view_obj_from_text(999, {"a"}).empty());
}

TEST_F(ViewFixture, PromotedObjectsCoverNothing) {
    const int horz = view_cluster_horz_spacing(), vert = std::max(60, view_cluster_vert_spacing());
    Key p = add(0, 0);
    // An object stands where the first new one would go; the parent where the random word would.
    add(horz, 0);
    auto made = view_obj_from_text(p, {"first idea", "second idea"});
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(view_obj_get(made[0])->x, horz);
    EXPECT_EQ(view_obj_get(made[0])->y, -vert);
    EXPECT_EQ(view_obj_get(made[1])->y, -2 * vert);
    auto word = view_obj_from_text(0, {"Random word"}, {0, 0}, 1);
    ASSERT_EQ(word.size(), 1u);
    EXPECT_EQ(view_obj_get(word[0])->x, 0);
    EXPECT_LE(view_obj_get(word[0])->y, -40);
    // On a free level nothing moves.
    auto alone = view_obj_from_text(0, {"Random word"}, {0, 0}, 2);
    EXPECT_EQ(view_obj_get(alone[0])->y, 0);
}

TEST_F(ViewFixture, ClearLevelTakesOnlyThatLevelAsOneStep) {
    Key a = add(0, 0, 1), b = add(10, 0, 2), c = add(20, 0, 2);
    view_link_add(Link{a, b, 0, 0, 0, 0, ""});
    view_link_add(Link{b, c, 0, 0, 0, 0, ""});
    add_shape(3, 0, 2);
    Key kept_shape = add_shape(3, 0, 1);
    view_point_add(2, 5, 5, 1, 0);
    marked_obj_ = {a, b};
    view_undo_clear();
    EXPECT_FALSE(view_clear_level(7));  // nothing there: no step
    EXPECT_FALSE(view_can_undo());
    ASSERT_TRUE(view_clear_level(2));
    const Document& d = view_doc();
    EXPECT_TRUE(d.obj(a));
    EXPECT_FALSE(d.obj(b) || d.obj(c));
    EXPECT_TRUE(d.links.empty());  // the link from level 1 went with its end
    ASSERT_EQ(d.shapes.size(), 1u);
    EXPECT_EQ(d.shapes[0].key, kept_shape);
    EXPECT_TRUE(d.points.empty());
    EXPECT_EQ(marked_obj_, std::vector<Key>{a});
    EXPECT_EQ(view_undo_name(), "Clear Level");
    view_undo();
    EXPECT_EQ(view_doc().objs.size(), 3u);
    EXPECT_EQ(view_doc().links.size(), 2u);
}

TEST_F(ViewFixture, ToggledColourComesBackAndToggledLevelsHide) {
    Key a = add(0, 0, 1, 7);
    tbar_set_current_color(3);
    ASSERT_TRUE(view_toggle_color(a));
    EXPECT_EQ(view_doc().obj(a)->colour, tbar_current_color().index);
    ASSERT_TRUE(view_toggle_color(a));
    EXPECT_EQ(view_doc().obj(a)->colour, 7);
    view_undo();
    EXPECT_EQ(view_doc().obj(a)->colour, tbar_current_color().index);

    view_levels_shown_reset();
    view_toggle_level(4);
    EXPECT_TRUE(view_level_hidden(4));
    EXPECT_FALSE(view_level_hidden(1));
    view_toggle_level(4);
    EXPECT_FALSE(view_level_hidden(4));
}

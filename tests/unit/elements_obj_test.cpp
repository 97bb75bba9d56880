// Object vocabulary, geometry cache, link end points, defaults and the duplicate-ID rule.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>

#include "document/globals.h"
#include "elements/obj.h"
#include "elements/obj_tables.h"

namespace {

ObjRectEntry entry(Key key, int level, int l, int t, int r, int b, int f1 = 0) {
    ObjRectEntry e;
    e.key = key;
    e.level = level;
    e.l = l; e.t = t; e.r = r; e.b = b;
    e.f1 = f1;
    return e;
}

TEST(ObjTables, SizeListNamedAndNumbered) {
    struct { int size, pos; const char* text; } cases[] = {
        {15, 1, "Normal 15"}, {16, 21, "16"}, {0, 5, "0"}, {5, 0, "Small 5"}, {45, 4, "E large 45"},
        {500, 505, "500"},
    };
    for (auto c : cases) {
        EXPECT_EQ(obj_size_pos(c.size), c.pos) << c.size;
        EXPECT_EQ(obj_size_text(c.pos), c.text) << c.size;
        EXPECT_EQ(obj_size_at(c.pos), c.size) << c.size;
    }
    EXPECT_EQ(obj_size_at(7), 2);
    for (int s = 0; s <= 500; ++s) ASSERT_EQ(obj_size_at(obj_size_pos(s)), s);
}

TEST(ObjTables, ActionsAndExtensions) {
    EXPECT_TRUE(obj_action_needs_ext(44));   // Toggle Level*
    EXPECT_FALSE(obj_action_needs_ext(34));  // Toggle 0/1
    EXPECT_TRUE(obj_action_needs_ext(1));
    for (int unused : {2, 3, 4, 5, 13, 22, 28}) {
        EXPECT_FALSE(obj_action_pos_of(unused)) << unused;
        EXPECT_FALSE(obj_action_needs_ext(unused)) << unused;
    }
    EXPECT_EQ(action_.size(), 38u);
    for (size_t i = 0; i < action_.size(); ++i)
        EXPECT_EQ(obj_action_pos_of(*obj_action_code_at(static_cast<int>(i))), static_cast<int>(i));
    EXPECT_EQ(obj_action_name(42), "Open RichText");
}

TEST(ObjRound, HalvesAwayAndNoOverflow) {
    EXPECT_EQ(obj_round(2.5), 3);
    EXPECT_EQ(obj_round(-2.5), -3);
    EXPECT_EQ(obj_round(2.49), 2);
    EXPECT_EQ(obj_round(NAN), 0);
    EXPECT_EQ(obj_round(1e20), INT_MAX);
    EXPECT_EQ(obj_round(-1e20), INT_MIN);
    // The library's rounding, at the edges of halves and of the range.
    const double largest_below_half = std::nextafter(0.5, 0.0);
    for (double v : {largest_below_half, -largest_below_half, 0.5, -0.5, 1.5, 2147483646.5, 2147483646.49, -2147483647.5,
                     -2147483647.49, 2147483647.0, -2147483648.0, 4503599627370495.5, 1e-300, -0.0})
        EXPECT_EQ(obj_round(v), static_cast<int>(std::clamp(std::round(v), -2147483648.0, 2147483647.0))) << v;
    for (int k = -2000; k <= 2000; ++k) EXPECT_EQ(obj_round(k / 8.0), static_cast<int>(std::round(k / 8.0))) << k;
}

class ObjCache : public ::testing::Test {
protected:
    void SetUp() override { obj_rect_cache_clear(); obj_set_dp_to_lp(nullptr); }
    void TearDown() override { obj_rect_cache_clear(); obj_set_dp_to_lp(nullptr); }
};

TEST_F(ObjCache, RectOfUnpaintedObjectFailsAndEndIsTheReferencePoint) {
    EXPECT_FALSE(obj_rect(7));
    Pt p = obj_link_end_point(52, 161, 7, 0, {11, 22}, {500, 500});
    EXPECT_EQ(p, (Pt{11, 22}));
}

TEST_F(ObjCache, RectPrefersConvertedDeviceRectangle) {
    obj_rect_append(entry(1, 0, -10, 20, 10, -20));
    ObjRectEntry dev = entry(1, 2, -10, 20, 10, -20);
    dev.device = {100, 50, 120, 90};
    dev.kind = 0;
    obj_rect_append(dev);
    EXPECT_EQ(obj_rect(1), (Rc{-10, 20, 10, -20}));  // no conversion installed
    obj_set_dp_to_lp([](Pt p) -> std::optional<Pt> { return Pt{p.x * 2, -p.y}; });
    EXPECT_EQ(obj_rect(1), (Rc{200, -50, 240, -90}));
    obj_set_dp_to_lp([](Pt) -> std::optional<Pt> { return std::nullopt; });
    EXPECT_EQ(obj_rect(1), (Rc{-10, 20, 10, -20}));
    EXPECT_EQ(obj_rect_each().size(), 2u);
    obj_rect_cache_clear();
    EXPECT_TRUE(obj_rect_each().empty());
}

TEST_F(ObjCache, FixedEndPositions) {
    ObjRectEntry e = entry(1, 0, 0, 100, 200, 0);
    struct { int pos; Pt want; } cases[] = {
        {1, {100, 50}}, {2, {0, 50}}, {3, {100, 100}}, {4, {200, 50}}, {5, {100, 0}},
        {6, {0, 100}}, {7, {200, 100}}, {8, {200, 0}}, {9, {0, 0}}, {0, {-5, -6}}, {99, {-5, -6}},
    };
    for (auto c : cases) EXPECT_EQ(obj_link_end_point_in(c.pos, 161, 0, &e, {-5, -6}, {900, 900}), c.want) << c.pos;
}

TEST_F(ObjCache, OutlinePoints) {
    ObjRectEntry box = entry(1, 0, -100, 50, 100, -50, 1);
    // Mostly horizontal link from the left: left side, shifted by F1 tenths of the rise.
    EXPECT_EQ(obj_link_end_point_in(10, 161, 0, &box, {0, 0}, {-1000, 100}), (Pt{-100, 10}));
    // Clamped to the side.
    EXPECT_EQ(obj_link_end_point_in(10, 161, 0, &box, {0, 0}, {-5000, 2000}), (Pt{-100, 50}));
    // Mostly vertical, the other end above: top, shifted along x.
    EXPECT_EQ(obj_link_end_point_in(10, 161, 0, &box, {0, 0}, {300, 1000}), (Pt{30, 50}));
    // 52 on a Box is the rectangle rule; 51 on a Line1 is always 14 whatever its cluster.
    EXPECT_EQ(obj_link_end_point_in(52, 161, 0, &box, {0, 0}, {300, 1000}), (Pt{30, 50}));
    EXPECT_EQ(obj_link_end_point_in(51, 172, 3, &box, {0, 0}, {300, 1000}), (Pt{100, -50}));
    EXPECT_EQ(obj_link_end_point_in(51, 161, 3, &box, {0, 0}, {300, 1000}), (Pt{100, 0}));

    // Circle and ellipse toward (300, 400): 100 / 500.01 of the way.
    EXPECT_EQ(obj_link_end_point_in(12, 164, 0, &box, {0, 0}, {300, 400}), (Pt{60, 80}));
    EXPECT_EQ(obj_link_end_point_in(11, 162, 0, &box, {0, 0}, {300, 400}), (Pt{60, 40}));

    // Diamond: 150 higher uses a side vertex, 250 higher the top one.
    EXPECT_EQ(obj_link_end_point_in(13, 163, 0, &box, {0, 0}, {50, 150}), (Pt{100, 0}));
    EXPECT_EQ(obj_link_end_point_in(13, 163, 0, &box, {0, 0}, {-50, 150}), (Pt{-100, 0}));
    EXPECT_EQ(obj_link_end_point_in(13, 163, 0, &box, {0, 0}, {50, 250}), (Pt{0, 50}));
    EXPECT_EQ(obj_link_end_point_in(13, 163, 0, &box, {0, 0}, {50, -250}), (Pt{0, -50}));

    EXPECT_EQ(obj_link_end_point_in(14, 172, 0, &box, {10, 0}, {0, 0}), (Pt{-100, -50}));
    EXPECT_EQ(obj_link_end_point_in(15, 167, 0, &box, {0, 0}, {0, 1}), (Pt{0, 50}));
    EXPECT_EQ(obj_link_end_point_in(54, 183, 0, &box, {0, 0}, {10, 0}), (Pt{100, -25}));
    EXPECT_EQ(obj_link_end_point_in(54, 183, 0, &box, {0, 0}, {10, 300}), (Pt{0, 50}));
}

TEST_F(ObjCache, FarCoordinatesDoNotOverflow) {
    ObjRectEntry box = entry(1, 0, -100, 50, 100, -50, 10);
    Pt p = obj_link_end_point_in(10, 161, 0, &box, {-2000000000, 0}, {2000000000, 100});
    EXPECT_EQ(p.x, 100);
    EXPECT_EQ(p.y, 50);
}

TEST_F(ObjCache, LookupMatchesKeyAndLevel) {
    obj_rect_append(entry(3, 1, 0, 10, 10, 0));
    obj_rect_append(entry(3, 2, 100, 110, 110, 100));
    EXPECT_EQ(obj_link_end_point(1, 161, 3, 2, {0, 0}, {0, 0}), (Pt{105, 105}));
    EXPECT_EQ(obj_link_end_point(1, 161, 3, 5, {7, 7}, {0, 0}), (Pt{7, 7}));
}

TEST(ObjDefaults, FlagsKeepSixteenBits) {
    obj_defaults_set("Topic", 39, 25, 0x1ABCD);
    EXPECT_EQ(obj_defaults_get().flags, 0xABCD);
    obj_defaults_set("Idea", 0, 15, 1);
}

TEST(ObjDupId, FirstRuleThatAppliesDecides) {
    Document doc;
    Obj a; a.key = 1; a.id = "Plan";
    Obj b; b.key = 2; b.id = "Idea";
    doc.objs = {a, b};
    struct { const char* new_id; const char* old_id; bool on; bool warn; } cases[] = {
        {"Plan", "Other", true, true},
        {"Plan", "Other", false, false},   // warning switched off
        {"Idea", "Other", true, false},    // the defaults' text never warns
        {"Plan", "Plan", true, false},     // renamed to its own id
        {"plan", "Other", true, false},    // case matters
        {"Fresh", "Other", true, false},
    };
    for (auto c : cases)
        EXPECT_EQ(obj_id_dup_should_warn(c.new_id, c.old_id, c.on, doc), c.warn) << c.new_id << "/" << c.old_id;
}

}  // namespace

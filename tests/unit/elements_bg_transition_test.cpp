// Transition planning: strips, pacing, random dots, scrolls and zoom steps, the effect table.
#include <gtest/gtest.h>

#include <set>

#include "elements/bg_transition.h"

namespace {

TEST(Transition, StripsCoverTheClientInTheirDirection) {
    struct Case {
        int code, w, h, steps;
        Rc first_a, last_a;
        size_t per_step;
    } cases[] = {
        {4, 400, 300, 200, {0, 0, 2, 300}, {400, 0, 402, 300}, 1},   // 201 strips, the last at 400
        {3, 400, 300, 200, {400, 0, 402, 300}, {0, 0, 2, 300}, 1},
        {1, 400, 300, 150, {0, 0, 400, 2}, {0, 300, 400, 302}, 1},
        {2, 400, 300, 150, {0, 300, 400, 302}, {0, 0, 400, 2}, 1},
        {6, 400, 300, 100, {0, 0, 2, 300}, {200, 0, 202, 300}, 2},   // from both sides to the middle
        {7, 400, 300, 75, {0, 150, 400, 152}, {0, 0, 400, 2}, 2},    // from the middle outwards
    };
    for (const auto& k : cases) {
        StripPlan p = transition_strips(k.code, k.w, k.h);
        ASSERT_EQ(p.steps, k.steps) << k.code;
        EXPECT_EQ(p.at(0).size(), k.per_step);
        EXPECT_EQ(p.at(0)[0], k.first_a) << k.code;
        EXPECT_EQ(p.at(p.steps)[0], k.last_a) << k.code;
    }
    EXPECT_EQ(transition_strips(8, 400, 300).at(0), (std::vector<Rc>{{200, 0, 202, 300}, {200, 0, 202, 300}}));
}

TEST(Transition, PacingWaitsForTheDueHundredthAndNeverDividesByZero) {
    EXPECT_EQ(transition_wait(0, 200, 0), 0);
    EXPECT_EQ(transition_wait(100, 200, 10), 40);
    EXPECT_EQ(transition_wait(100, 200, 60), 0);  // late: at once
    EXPECT_EQ(transition_wait(1, 3, 33.0), 0);    // 33.33 - 33 rounds to 0
    EXPECT_EQ(transition_wait(5, 0, 0), 0);       // a window smaller than one strip
}

TEST(Transition, RandomDotsClearEveryCellOnceEvenWithEqualKeys) {
    int calls = 0;
    auto order = transition_dot_order(100, 60, [&calls](int) { return calls++ % 3 == 0 ? 100 : 99; });
    ASSERT_EQ(order.size(), 6u * 4u);
    std::set<std::pair<int, int>> seen;
    for (auto c : order) seen.insert({c.i, c.j});
    EXPECT_EQ(seen.size(), order.size());
    // "100" sorts before "99" as text; equal keys keep their storing order.
    EXPECT_EQ(order[0].i, 0);
    EXPECT_EQ(order[0].j, 0);
    EXPECT_EQ(order[1].j, 3);
    EXPECT_EQ(transition_dot_total(100, 60), 15);
    EXPECT_EQ(transition_dot_total(10, 60), 0);
}

TEST(Transition, ScrollAndZoomSteps) {
    EXPECT_EQ(transition_scroll_step(11), (Pt{0, 2}));
    EXPECT_EQ(transition_scroll_step(13), (Pt{-2, 0}));
    EXPECT_EQ(transition_expand_zooms(100), (std::vector<int>{113, 129, 145, 161, 177, 193, 209, 225, 241, 257, 273}));
    EXPECT_TRUE(transition_expand_zooms(274).empty());
    auto c = transition_contract_zooms(30);
    EXPECT_EQ(c, (std::vector<int>{25, 17, 9, 1}));
    EXPECT_EQ(transition_contract_zooms(1), (std::vector<int>{1}));
}

TEST(Transition, EffectTableSwitchAndRandomSelect) {
    ASSERT_EQ(slideshow_effects().size(), 17u);
    EXPECT_EQ(slideshow_effect_pos(10), 1);
    EXPECT_EQ(slideshow_effect_pos(14), 16);
    EXPECT_EQ(slideshow_effect_pos(17), -1);
    EXPECT_FALSE(slideshow_effects_on());
    slideshow_effects_set(true);
    EXPECT_TRUE(slideshow_effects_on());
    slideshow_effects_set(false);
    int n = 0;
    // None is drawn first and again; the next draw is taken.
    EXPECT_EQ(slideshow_random_effect([&n](int) { return n++ < 2 ? 0 : 12; }), 9);
    EXPECT_EQ(n, 3);
}

}  // namespace

#include <gtest/gtest.h>

#include "bars/tbar_editor.h"
#include "base/settings.h"

namespace {

TEST(TbarEditor, AcceptStoresAllFourUserLayoutsAndLoadsThemBack) {
    TbarModel m;
    m.load_user_layouts({{0, 1, 5}, {9}, {1, 1, 2, 3}, {}});  // slot 2 damaged
    auto stored = tbar_editor_accept(m, 5, {1, 19}, kTbarLeft);
    ASSERT_EQ(stored.size(), 4u);
    EXPECT_EQ(stored[0], (std::pair<std::string, std::vector<int>>{"Toolbar1", {0, 1, 5}}));
    EXPECT_EQ(stored[1], (std::pair<std::string, std::vector<int>>{"Toolbar2", {1, 1, 1, 19}}));
    EXPECT_EQ(stored[2].second, (std::vector<int>{1, 1, 2, 3}));  // later slots are not shifted
    EXPECT_EQ(stored[3].second, tbar_user_layout_default());
    EXPECT_EQ(m.style(), 5);
    EXPECT_EQ(m.shown(), (std::vector<int>{1, 19}));

    // What was stored is what the next start shows.
    TbarModel next;
    std::vector<std::vector<int>> values;
    for (const auto& s : stored) values.push_back(s.second);
    next.load_user_layouts(values);
    next.set_style(5);
    EXPECT_EQ(next.shown(), (std::vector<int>{1, 19}));
    EXPECT_EQ(next.styles()[5].orientation, kTbarLeft);

    // An empty selection stores [O, 1] and loads back as a bar without buttons.
    stored = tbar_editor_accept(m, 7, {}, kTbarTop);
    EXPECT_EQ(stored[3].second, (std::vector<int>{0, 1}));
    next.load_user_layouts({{}, {}, {}, stored[3].second});
    next.set_style(7);
    EXPECT_TRUE(next.shown().empty());
}

TEST(TbarEditor, AcceptWithoutALayoutChangesNothing) {
    TbarModel m;
    m.set_style(2);
    EXPECT_TRUE(tbar_editor_accept(m, std::nullopt, {0}, kTbarTop).empty());
    EXPECT_TRUE(tbar_editor_accept(m, 8, {0}, kTbarTop).empty());
    EXPECT_EQ(m.style(), 2);
    EXPECT_EQ(m.shown().size(), 20u);
    // A preset layout changes for this run only; no user slot changes with it.
    auto stored = tbar_editor_accept(m, 3, {12, 0}, kTbarLeft);
    EXPECT_EQ(m.styles()[3].buttons, (std::vector<int>{12, 0}));
    EXPECT_EQ(stored[0].second, tbar_user_layout_default());
}

}  // namespace

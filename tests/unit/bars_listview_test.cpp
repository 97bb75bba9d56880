#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "bars/listview.h"

namespace {

using O = std::optional<std::string>;

TEST(ListViewStyle, FlagListsAndExclusivePairs) {
    // Report view, always show selection, sort ascending, single selection, auto-arrange.
    unsigned s = 1 | 0x8 | 0x10 | 0x4 | 0x100 | 0x50800000;
    EXPECT_EQ(lv_style_list(s), (std::vector<unsigned>{0x4, 0x8, 0x10, 0x100, 0}));
    EXPECT_EQ(lv_style_list(0x800 | 0x20), (std::vector<unsigned>{0x20, 0x800}));
    // Setting replaces the changeable bits only; the view mode and window bits stay.
    unsigned t = lv_style_apply(s, {0x20, 0x200});
    EXPECT_EQ(t, 1u | 0x20 | 0x200 | 0x50800000);
    EXPECT_EQ(lv_style_apply(s, {0x10, 0x20}) & 0x30, 0x10u);
    EXPECT_EQ(lv_style_apply(0x800, {0, 0x800}) & 0x800, 0u);
    // The owner-data bit never changes on a live list.
    EXPECT_EQ(lv_style_apply(0, {0x1000}), 0u);
    EXPECT_EQ(lv_style_apply(0x1000, {}), 0x1000u);
    EXPECT_EQ(lv_state_flags(0xF00 | 2 | 8), (std::vector<int>{2, 8}));
    EXPECT_EQ(lv_state_bits({1, 2, 8}), 11u);
}

TEST(ListViewNotes, ItemChangesGiveTheFirstMatchingMember) {
    struct Case { bool changing; unsigned from, to; std::optional<LvChange> want; } cases[] = {
        {true, 0, 2, LvChange{kLvItemSelecting, 1}},
        {true, 2, 0, LvChange{kLvItemSelecting, 0}},
        {false, 0, 3, LvChange{kLvItemSelected, 1}},  // both bits: the selection first
        {false, 3, 2, LvChange{kLvItemFocused, 0}},
        {true, 1, 0, LvChange{kLvItemFocusing, 0}},
        {false, 0, 8, std::nullopt},                   // drop highlight only
        {true, 2, 2 | 4, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(lv_item_change(c.changing, c.from, c.to), c.want) << c.from << "->" << c.to;
}

// Sorts rows 1..n by the text comparison as the control would (a stable insertion sort).
std::vector<std::string> text_sort(const std::vector<std::string>& keys, int kf, int kl, LvSortOrder dir) {
    std::vector<int> rows;
    for (int i = 1; i <= static_cast<int>(keys.size()); ++i) rows.push_back(i);
    int n = static_cast<int>(keys.size());
    for (size_t i = 1; i < rows.size(); ++i)
        for (size_t j = i; j > 0; --j) {
            int a = rows[j - 1], b = rows[j];
            if (lv_text_compare(a, b, n, kf, kl, keys[a - 1], keys[b - 1], dir) > 0) std::swap(rows[j - 1], rows[j]);
            else break;
        }
    std::vector<std::string> out;
    for (int r : rows) out.push_back(keys[r - 1]);
    return out;
}

TEST(ListViewSort, TextSortKeepsFirstAndLastRows) {
    std::vector<std::string> k = {"Total", "pear", "Apple", "fig", "apple2", "End"};
    using V = std::vector<std::string>;
    EXPECT_EQ(text_sort(k, 0, 0, LvSortOrder::ascending), (V{"Apple", "apple2", "End", "fig", "pear", "Total"}));
    EXPECT_EQ(text_sort(k, 1, 1, LvSortOrder::ascending), (V{"Total", "Apple", "apple2", "fig", "pear", "End"}));
    EXPECT_EQ(text_sort(k, 1, 1, LvSortOrder::descending), (V{"Total", "pear", "fig", "apple2", "Apple", "End"}));
    EXPECT_EQ(text_sort(k, 2, 0, LvSortOrder::descending), (V{"Total", "pear", "fig", "End", "apple2", "Apple"}));
    // Keys compare case-blind only for A-Z, byte by byte as unsigned characters.
    EXPECT_EQ(lv_key_compare("ABC", "abc"), 0);
    EXPECT_LT(lv_key_compare("ab", "abc"), 0);
    EXPECT_GT(lv_key_compare("\xe9", "z"), 0);
    EXPECT_LT(lv_key_compare("[", "a"), 0);  // '[' sits between 'Z' and 'a'
    // A missing key leaves the pair as it is.
    EXPECT_EQ(lv_text_compare(2, 3, 4, 0, 0, std::nullopt, O("x"), LvSortOrder::ascending), 0);
    LvItem item{1, "first", 0, 0, {}, {"second", "third"}};
    EXPECT_EQ(lv_sort_key(item, 1), "first");
    EXPECT_EQ(lv_sort_key(item, 3), "third");
    EXPECT_FALSE(lv_sort_key(item, 4));
    EXPECT_FALSE(lv_sort_key(item, 0));
}

TEST(ListViewSort, UnsortRestoresInsertionOrder) {
    std::vector<int> order = {40, 7, 12};  // newest first: 12 came first
    std::vector<int> ids = {7, 40, 12};
    std::sort(ids.begin(), ids.end(), [&](int a, int b) { return lv_unsort_compare(order, a, b) < 0; });
    EXPECT_EQ(ids, (std::vector<int>{12, 7, 40}));
}

TEST(ListViewDrag, DraggedItemsReadBackWhole) {
    LvItem items[] = {
        {42, "Idea \"one\"", 11037, 11038, {2, 1}, {"sub, with comma", "", "Dritte \xe4"}},
        {65534, "", 0, 0, {}, {}},
        {-1, std::string(300, 'x') + "\r\n(", 5, 6, {8}, {"]"}},
    };
    for (const auto& i : items) {
        auto d = lv_item_parse(lv_item_text(i, "from list A"));
        ASSERT_TRUE(d) << i.text;
        EXPECT_EQ(d->item, i);
        EXPECT_EQ(d->drag_text, "from list A");
    }
    for (const char* bad : {"", "lv_item(1,\"a\",0,0,[],[])", "lv_item(1,2,0,0,[],[],\"\")",
                            "lv_item(1,\"a\",0,0,[\"x\"],[],\"\")", "lv_item(1,\"a\",0,0,[],[3],\"\")"})
        EXPECT_FALSE(lv_item_parse(bad)) << bad;
}

}  // namespace

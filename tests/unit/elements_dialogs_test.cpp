// What the object, link and settings dialogs and the Icon Browser decide without a window: list
// positions and codes both ways, values a list has no entry for, the flag word, the action
// extension carried over a change of action, rich text, and the Icon Browser's grid.
#include <gtest/gtest.h>

#include "elements/iconbrowser.h"
#include "elements/link_dialog.h"
#include "elements/obj_dialog.h"

namespace {

TEST(ObjDialogLists, StoredValuesShowAndComeBack) {
    struct { ObjList list; int value; int sel; const char* text; } cases[] = {
        {ObjList::Level, -250, 0, "-250"},   {ObjList::Level, 3, 253, "3"},
        {ObjList::Size, 15, 1, "Normal 15"}, {ObjList::Size, 16, 21, "16"},
        {ObjList::Shape, 161, 0, "Box"},     {ObjList::Shape, 1005, 11, "Icon..."},
        {ObjList::Action, 1, 27, "Open TextFile*"}, {ObjList::Cluster, 3, 4, "Right tree"},
        {ObjList::Colour, 31, 31, "31"},
    };
    for (auto c : cases) {
        ListShow s = obj_list_show(c.list, c.value);
        EXPECT_FALSE(s.extra) << c.text;
        EXPECT_EQ(s.sel, c.sel) << c.text;
        EXPECT_EQ(s.items[s.sel], c.text);
        // Left alone, OK stores what was there (an icon number comes back as the "Icon..." row).
        int back = obj_list_chosen(c.list, s, s.sel, c.value);
        EXPECT_EQ(back, c.list == ObjList::Shape && c.value > 188 ? 168 : c.value) << c.text;
    }
    EXPECT_EQ(obj_list_value(ObjList::Size, 7), 2);
    EXPECT_EQ(obj_list_value(ObjList::Level, 500), 250);
    EXPECT_EQ(obj_list_value(ObjList::Level, 501), std::nullopt);
}

TEST(ObjDialogLists, ValuesWithoutAnEntryAreShownAndKept) {
    struct { ObjList list; int value; const char* text; } cases[] = {
        {ObjList::Level, -300, "-300"}, {ObjList::Colour, 40, "40"},   {ObjList::Shape, 165, "Shape 165"},
        {ObjList::Size, 600, "600"},    {ObjList::Size, -1, "-1"},     {ObjList::Action, 2, "Action 2"},
        {ObjList::Cluster, 9, "Cluster 9"},
    };
    for (auto c : cases) {
        ListShow s = obj_list_show(c.list, c.value);
        ASSERT_TRUE(s.extra) << c.text;
        EXPECT_EQ(s.items.back(), c.text);
        EXPECT_EQ(s.sel, static_cast<int>(s.items.size()) - 1);
        EXPECT_EQ(obj_list_chosen(c.list, s, s.sel, c.value), c.value) << c.text;
        EXPECT_EQ(obj_list_chosen(c.list, s, -1, c.value), c.value) << c.text;
        // Choosing a real entry stores it.
        EXPECT_EQ(obj_list_chosen(c.list, s, 0, c.value), *obj_list_value(c.list, 0)) << c.text;
    }
}

TEST(ObjDialogFlags, EachBoxEditsOnlyItsBit) {
    for (const FlagRow& r : obj_flag_boxes_) {
        for (uint32_t start : {0u, 0xFFFFu, 0x70u}) {
            bool was = obj_flag_checked(start, r);
            uint32_t flipped = obj_flag_with(start, r, !was);
            EXPECT_EQ(flipped ^ start, r.bit) << r.checkbox;
            EXPECT_EQ(obj_flag_with(start, r, was), start) << r.checkbox;
        }
    }
    // Unchecking "Center ID" sets 0x0800; "Display ID" checked clears 0x0100.
    const FlagRow* centre = nullptr;
    for (const FlagRow& r : obj_flag_boxes_)
        if (r.checkbox == 10497) centre = &r;
    ASSERT_NE(centre, nullptr);
    EXPECT_EQ(obj_flag_with(1, *centre, false), 0x0801u);
}

TEST(ObjDialogFields, WholeNumbers) {
    struct { const char* text; std::optional<int32_t> v; } cases[] = {
        {"12", 12}, {" -40 ", -40}, {"+7", 7}, {"2147483647", 2147483647}, {"-2147483648", INT32_MIN},
        {"", std::nullopt}, {"  ", std::nullopt}, {"1.5", std::nullopt}, {"12a", std::nullopt},
        {"2147483648", std::nullopt}, {"--1", std::nullopt}, {"0x10", std::nullopt},
    };
    for (auto c : cases) EXPECT_EQ(obj_parse_whole(c.text), c.v) << c.text;
}

TEST(ObjDialogExt, RulesInOrder) {
    struct { int a0; const char* e0; int a1; const char* e1; bool exists; ExtRule rule; } cases[] = {
        {0, "notes", 1, "", false, ExtRule::EmptyName},
        {0, "notes", 1, "a.txt", false, ExtRule::WriteFile},
        {0, "notes", 1, "a.txt", true, ExtRule::AppendFile},
        {0, "notes", 42, "", false, ExtRule::ToRtf},
        {42, "{\\rtf1 x}", 0, "", false, ExtRule::FromRtf},
        {6, "a.vrn", 6, "", false, ExtRule::KeepOld},
        {6, "", 6, "b.vrn", false, ExtRule::StoreNew},
        {0, "\r\n\r\n", 6, "b.vrn", false, ExtRule::StoreNew},
        {6, "a.vrn", 6, "a.vrn", false, ExtRule::KeepOld},
        {6, "a.vrn", 6, "b.vrn", false, ExtRule::Ask},
    };
    for (auto c : cases) EXPECT_EQ(obj_ext_rule(c.a0, c.e0, c.a1, c.e1, c.exists), c.rule) << c.e0 << " -> " << c.e1;
    EXPECT_EQ(obj_contents_changed_text("line one\r\nline two is long"), "line one  line two i... to be changed?");
}

TEST(ObjDialogExt, RichTextEscapes) {
    std::string r = obj_text_to_rtf("a\\b{c}\r\nd\te\xE9");
    EXPECT_EQ(r.rfind("{\\rtf1", 0), 0u);
    EXPECT_NE(r.find("a\\\\b\\{c\\}\\par d\\tab e\\'e9}"), std::string::npos) << r;
    // Braces stay balanced whatever the text holds.
    int depth = 0;
    for (size_t i = 0; i < r.size(); ++i) {
        if (r[i] == '\\') { ++i; continue; }
        depth += r[i] == '{' ? 1 : r[i] == '}' ? -1 : 0;
        ASSERT_GE(depth, 0);
    }
    EXPECT_EQ(depth, 0);
    // And back: what went in comes out.
    EXPECT_EQ(obj_rtf_plain(r), "a\\b{c}\r\nd\te\xE9");
    EXPECT_EQ(obj_rtf_plain("{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\*\\gen x}\\b bold\\b0\\par next}"), "bold\r\nnext");
}

TEST(SettingsLists, PositionsAndStoredValues) {
    struct { ListShow s; int sel; bool extra; } cases[] = {
        {objdef_width_show(2), 0, false},   {objdef_width_show(5), 1, false}, {objdef_width_show(400), 396, false},
        {objdef_width_show(401), 397, true}, {objdef_depth_show(100), 100, false}, {objdef_depth_show(101), 101, true},
        {cluster_vert_show(0), 20, false},  {cluster_vert_show(-20), 0, false}, {cluster_vert_show(81), 101, true},
        {cluster_horz_show(0), 20, false},  {cluster_horz_show(46), 66, true}, {seq_min_dist_show(0), 6, false},
        {seq_min_dist_show(-6), 0, false},  {seq_min_dist_show(15), 21, true}, {seq_direction_show(9), 9, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.s.sel, c.sel) << c.s.items[c.s.sel];
        EXPECT_EQ(c.s.extra, c.extra) << c.s.items[c.s.sel];
    }
    EXPECT_EQ(cluster_vert_show(0).items[20], "100");
    EXPECT_EQ(cluster_horz_show(0).items[20], "300");
    EXPECT_EQ(seq_min_dist_show(0).items[6], "300");
    EXPECT_EQ(objdef_width_show(6).items[2], "30");
    EXPECT_EQ(objdef_width_live(0), 4);
    EXPECT_EQ(objdef_width_live(2), 6);
    EXPECT_EQ(objdef_width_ok(0), 0);
    EXPECT_EQ(objdef_width_ok(1), 5);
}

TEST(SettingsLists, KeyAfterTwentyCharacters) {
    EXPECT_EQ(seq_key_of_line("Idea                7"), 7);
    EXPECT_EQ(seq_key_of_line("An ID longer than tw12"), 12);
    EXPECT_EQ(seq_key_of_line("(Undefined)"), std::nullopt);
    EXPECT_EQ(seq_key_of_line("Idea                x"), std::nullopt);
    EXPECT_EQ(seq_key_of_line("Idea                70000"), std::nullopt);
}

TEST(LinkDialogLists, CodesAndPositions) {
    struct { LinkList list; int code; int sel; bool extra; } cases[] = {
        {LinkList::LabelPos, 36, 0, false}, {LinkList::LabelPos, 46, 1, false}, {LinkList::LabelPos, 7, 9, false},
        {LinkList::LabelPos, 101, 103, true}, {LinkList::EndPos, 15, 15, false}, {LinkList::EndPos, 52, 16, true},
        {LinkList::Route, kRouteArc, 8, false}, {LinkList::Route, kRouteTemporary, 12, true},
        {LinkList::Style, 7, 6, false},      {LinkList::Arrow, 5, 5, false},  {LinkList::Arrow, 9, 6, true},
    };
    for (auto c : cases) {
        ListShow s = link_list_show(c.list, c.code);
        EXPECT_EQ(s.sel, c.sel) << c.code;
        EXPECT_EQ(s.extra, c.extra) << c.code;
        EXPECT_EQ(link_list_chosen(c.list, s, s.sel, c.code), c.code) << c.code;
    }
    ListShow pos = link_list_show(LinkList::LabelPos, 36);
    EXPECT_EQ(link_list_chosen(LinkList::LabelPos, pos, 1, 36), 46);
    EXPECT_EQ(link_list_chosen(LinkList::LabelPos, pos, 9, 36), 7);
    EXPECT_EQ(link_curve_sel(kRouteVH, 5), 1);  // beyond "St", "Rnd": the last
    EXPECT_EQ(link_curve_sel(kRouteCurve1, 5), 5);
}

TEST(LinkDialogEnds, NeverTwoLinksWithTheSameEnds) {
    EXPECT_EQ(link_ends_check(1, 2, 2, 2, false), LinkEnds::SameObject);
    EXPECT_EQ(link_ends_check(1, 2, 1, 2, true), LinkEnds::Ok);       // the link itself
    EXPECT_EQ(link_ends_check(1, 2, 2, 1, false), LinkEnds::Ok);      // reversed
    EXPECT_EQ(link_ends_check(1, 2, 1, 3, true), LinkEnds::Exists);
}

TEST(IconBrowser, CategoryFilterCounts) {
    std::set<int> none, user{1001, 1005};
    auto count = [&](uint16_t mask, const std::set<int>& u) { return iconbr_list(icon_, kIconCatalogueRows, mask, u).size(); };
    EXPECT_EQ(count(0, none), 128u);
    EXPECT_EQ(count(kIconPeople, none), 26u);
    EXPECT_EQ(count(kIconPeople | kIconInformation, none), 17u);
    EXPECT_EQ(count(kIconInformation, none), 84u);
    EXPECT_EQ(count(kIconUser, none), 0u);
    EXPECT_EQ(count(kIconUser, user), 2u);
    EXPECT_EQ(count(0, user), 130u);
    auto all = iconbr_list(icon_, kIconCatalogueRows, 0, user);
    EXPECT_EQ(all.back(), 1005);
}

TEST(IconBrowser, GridPagesCropAndSlots) {
    EXPECT_EQ(iconbr_cell(0, 0), (std::pair{1, 1}));
    EXPECT_EQ(iconbr_cell(9, 0), (std::pair{29, 29}));
    EXPECT_EQ(iconbr_cell(72, 1), (std::pair{1, 1}));
    EXPECT_EQ(iconbr_cell(72, 0), std::nullopt);
    EXPECT_EQ(iconbr_index_at(30, 30, 0, 128), 9);
    EXPECT_EQ(iconbr_index_at(10, 10, 1, 128), 72);
    EXPECT_EQ(iconbr_index_at(10, 10, 1, 72), std::nullopt);
    EXPECT_EQ(iconbr_index_at(9 * 28 + 1, 0, 0, 128), std::nullopt);
    EXPECT_TRUE(iconbr_page2(73));
    EXPECT_FALSE(iconbr_page2(72));
    EXPECT_EQ(iconbr_page_for(0, 1), 0);
    EXPECT_EQ(iconbr_crop(100), (std::pair{36, 28}));
    EXPECT_EQ(iconbr_crop(20), (std::pair{0, 20}));
    EXPECT_EQ(iconbr_crop(29), (std::pair{0, 29}));
    EXPECT_EQ(iconbr_free_slot([](int n) { return n == 1001 || n == 1002; }), 1003);
    EXPECT_EQ(iconbr_free_slot([](int) { return true; }), std::nullopt);
}

}  // namespace

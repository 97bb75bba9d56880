#include <gtest/gtest.h>

#include "document/view.h"
#include "view_fixture.h"

TEST(ViewOutline, LabelsFollowTheFormat) {
    struct Case { const char* format; std::vector<int> path; const char* want; };
    const Case cases[] = {
        {"1.1.1.1.1", {2}, "2"},
        {"1.1.1.1.1", {2, 1, 3}, "2.1.3"},
        {"1.1.1.1", {1, 1, 1, 1, 4, 2}, "1.1.1.1.4.2"},   // deeper than the format
        {"A.a.1", {2, 3, 12}, "B.c.12"},
        {"A.a.1", {27}, "AA"},
        {"~1 A(i)", {5}, ""},
        {"~1 A(i)", {5, 2}, "2"},
        {"~1 A(i)", {5, 2, 3, 4}, "(iv)"},
        {"I A(1)", {14}, "XIV"},
        {"1 a(i)-1", {1, 1, 1, 9}, "-9"},
        {"A 1<a> o", {1, 1, 2}, "<b>"},
        {"", {3, 1}, ""},
        {"o**", {1, 1, 1, 1}, "*"},
        {"~oo", {1, 2}, "o"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(view_outline_label(c.format, c.path), c.want) << c.format;
}

namespace {

void add(Key key, const char* id, int colour = 0, const char* text = "") {
    Obj o;
    o.key = key;
    o.id = id;
    o.colour = colour;
    o.ext = text;
    view_obj_put(o);
}

void link(Key a, Key b) { view_link_add(Link{a, b, 0, 0, 0, 0, ""}); }

}  // namespace

TEST_F(ViewFixture, OutlineFollowsLinksAndSurvivesCycles) {
    add(1, "Root", 0, "first line\r\nsecond");
    add(2, "Child");
    add(3, "Grandchild", 4);
    add(4, "Loner", 4);
    add(5, "CycleA");
    add(6, "CycleB");
    link(1, 2);
    link(2, 3);
    link(1, 3);  // already shown under Child
    link(5, 6);
    link(6, 5);
    EXPECT_EQ(view_write_outline(1, -1),
              "1 Root\n  first line\n  second\n  1.1 Child\n    1.1.1 Grandchild\n2 Loner\n3 CycleA\n  3.1 CycleB\n");
    EXPECT_EQ(view_write_outline(1, 4), "1 Grandchild\n2 Loner\n");
    EXPECT_EQ(view_write_outline(3, -1), "Root\nChild\nGrandchild\nLoner\nCycleA\nCycleB\n");
    EXPECT_EQ(view_write_outline(4, -1), "Loner\n");
    view_doc().seq = {{3, 1, ""}, {1, 2, ""}};
    EXPECT_EQ(view_write_outline(2, -1), "Grandchild\nRoot\n");
    auto listing = view_seq_listing();
    ASSERT_EQ(listing.size(), 2u);
    EXPECT_EQ(listing[1], "Root                1");
    view_doc().objs[0].id = "An ID much longer than twenty";
    EXPECT_EQ(view_seq_listing()[1], "An ID much longer th1");
}

TEST_F(ViewFixture, LongChainsDoNotExhaustTheStack) {
    for (Key k = 1; k <= 5000; ++k) {
        add(k, "n");
        if (k > 1) link(k - 1, k);
    }
    std::string out = view_write_outline(1, -1);
    EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 5000);
}

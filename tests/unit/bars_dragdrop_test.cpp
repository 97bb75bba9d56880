#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "bars/dragdrop.h"

namespace {

std::string join(const std::vector<std::string>& pieces) {
    std::string out;
    for (const auto& p : pieces) {
        // Atom names come back in any case.
        std::string lower = p;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        auto d = dd_piece_decode(lower);
        EXPECT_TRUE(d) << p;
        if (d) out += *d;
    }
    return out;
}

TEST(DragText, PiecesCarryEveryByteAndCaseWithinTheAtomLimit) {
    std::string all;
    for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
    struct Case { std::string text; size_t pieces; } cases[] = {
        {"", 1},                              // even nothing travels as one piece
        {"#123", 1},                          // would be an integer atom as it stands
        {"MiXeD case Text", 1},
        {std::string(127, 'a'), 1},
        {std::string(128, 'b'), 2},
        {std::string(255, 'c'), 3},
        {all + all, 5},
    };
    for (const auto& c : cases) {
        std::vector<std::string> p = dd_split_pieces(c.text);
        EXPECT_EQ(p.size(), c.pieces) << c.text.size();
        for (const auto& s : p) {
            EXPECT_LE(s.size(), 255u);
            EXPECT_NE(s[0], '#');
        }
        EXPECT_EQ(join(p), c.text);
    }
    for (const char* bad : {"", "x41", "p4", "p4G", "#12"}) EXPECT_FALSE(dd_piece_decode(bad)) << bad;
}

TEST(DragText, MessagesReadBackWhole) {
    DdMess cases[] = {
        {kDdOver, 0x1234, 0xFFFFFFF0u, -5, 70000, 1, "item(\"Text\",\"with \\\"quotes\\\"\r\n\")"},
        {kDdDrop, 1, 2, 0, 0, 0, ""},
        {kDdLeave, 7, 8, 0, 0, 0, std::string("\x01\xff\tend", 6)},
    };
    for (const auto& m : cases) EXPECT_EQ(dd_mess_parse(dd_mess_text(m)), m) << m.data;
    for (const char* bad : {"", "dd_mess(1,2,3,4,5,6)", "other(1,2,3,4,5,6,\"x\")", "dd_mess(1,2,3,4,5,\"6\",\"x\")",
                            "dd_mess(1,2,3,4,5,6,\"x\")\r\ndd_mess(1,2,3,4,5,6,\"y\")"})
        EXPECT_FALSE(dd_mess_parse(bad)) << bad;
}

TEST(DragTargets, MessageWindowIsTheNearestHandlingAncestor) {
    // 1 main <- 2 dialog <- 3 host <- 4 list <- 5 header; 6 has no parent.
    std::map<DdWin, DdWin> parent = {{2, 1}, {3, 2}, {4, 3}, {5, 4}};
    std::set<DdWin> handles;
    auto up = [&](DdWin w) { return parent.count(w) ? parent[w] : 0; };
    auto has = [&](DdWin w) { return handles.count(w) != 0; };
    EXPECT_EQ(dd_message_window(4, up, has), 1u);
    EXPECT_EQ(dd_message_window(6, up, has), 6u);
    handles.insert(1);
    handles.insert(3);
    EXPECT_EQ(dd_message_window(5, up, has), 3u);
    EXPECT_EQ(dd_message_window(3, up, has), 1u);  // a proper ancestor, never the window itself
    EXPECT_EQ(dd_message_window(1, up, has), 1u);
    parent[1] = 5;  // a cycle ends
    handles.clear();
    dd_message_window(4, up, has);
}

TEST(DragTargets, StepsSendLeaveEnterAndOverInOrder) {
    using V = std::vector<DdSend>;
    struct Case { DdWin prev, under; bool drop; V want; } cases[] = {
        {0, 10, false, {{kDdEnter, 10}, {kDdOver, 10}}},
        {10, 10, false, {{kDdOver, 10}}},
        {10, 20, false, {{kDdLeave, 10}, {kDdEnter, 20}, {kDdOver, 20}}},
        {10, 0, false, {{kDdLeave, 10}}},  // out of the program: only the highlight goes
        {20, 20, true, {{kDdDrop, 20}}},
        {10, 20, true, {{kDdLeave, 10}, {kDdDrop, 20}}},
        {10, 0, true, {{kDdLeave, 10}}},
    };
    for (const auto& c : cases) EXPECT_EQ(dd_drag_sequence(c.prev, c.under, c.drop), c.want) << c.prev << "->" << c.under;
}

}  // namespace

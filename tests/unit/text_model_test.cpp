#include <gtest/gtest.h>

#include "text/text_model.h"

namespace {

// "ab" + field("xy" -> "12") + "cd"
const std::string kF = std::string("ab\x0bxy\x0e") + "12\x0f" + "cd";

std::array<int, 256> unit_widths() {
    std::array<int, 256> w{};
    w.fill(10);
    return w;
}

TEST(TextFields, CaretInsideAField) {
    // Indexes: a0 b1 [2 x3 y4 |5 '1'6 '2'7 ]8 c9 d10.
    struct { size_t caret; bool inside; } cases[] = {
        {2, false},  // just before the start marker
        {3, true}, {5, true}, {7, true},  // visible text, separator, hidden text
        {8, true},   // before the end marker
        {9, false},  // after the field
        {0, false}, {11, false},
    };
    for (auto c : cases) EXPECT_EQ(field_at(kF, c.caret).has_value(), c.inside) << c.caret;
    EXPECT_EQ(*field_at(kF, 4), (Field{2, 5, 8}));
}

TEST(TextFields, StripKeepsVisibleTexts) {
    EXPECT_EQ(strip_fields(kF), "abxycd");
    EXPECT_EQ(strip_fields("plain\r\ntext"), "plain\r\ntext");
    // Two fields, one with an empty hidden text; a stray start marker stays as it is.
    std::string two = std::string("\x0bone\x0e\x0f and \x0btwo\x0e") + "06a.vrn\x0f";
    EXPECT_EQ(strip_fields(two), "one and two");
    EXPECT_EQ(strip_fields("a\x0b b"), "a\x0b b");
    EXPECT_EQ(strip_fields("\x0bx\x0e"), "\x0bx\x0e");  // no end marker: no field
    EXPECT_EQ(strip_fields(std::string("\x0b" "a\x0b" "b\x0e" "c\x0f")), "\x0b" "ab");
}

TEST(TextFields, HiddenTextDecoding) {
    struct { const char* hidden; Hidden want; } cases[] = {
        {"", {12, ""}},
        {"12", {12, ""}},
        {"06doc.vrn", {6, "doc.vrn"}},
        {"15Start", {15, "Start"}},
        {"Chapter two", {15, "Chapter two"}},  // no digits: Activate ID of the whole text
        {"99x", {15, "99x"}},                  // 99 is no code of the table
        {"7", {15, "7"}},                      // one digit is not a code
        {"01x", {15, "01x"}},                  // 1 is an action code, but not one a field carries
    };
    for (auto& c : cases) EXPECT_EQ(decode_hidden(c.hidden), c.want) << c.hidden;
    EXPECT_EQ(encode_hidden(6, "a.vrn"), "06a.vrn");
    EXPECT_EQ(decode_hidden(encode_hidden(39, "x.txt")), (Hidden{39, "x.txt"}));
}

TEST(TextModelEdit, CreateHyperlinkThenReadBack) {
    TextModel m("see chapter two");
    m.select(4, 11);
    ASSERT_TRUE(m.make_field("12"));
    EXPECT_EQ(m.text(), std::string("see \x0b" "chapter\x0e" "12\x0f two"));
    // Fields never nest or overlap.
    m.select(5, 8);
    EXPECT_FALSE(m.make_field("12"));
    m.select(0, 6);
    EXPECT_FALSE(m.make_field("12"));
    m.select(3, 3);
    EXPECT_FALSE(m.make_field("12"));
    // One undo step takes the whole field away.
    EXPECT_TRUE(m.undo());
    EXPECT_EQ(m.text(), "see chapter two");
    EXPECT_TRUE(m.redo());
    EXPECT_EQ(m.text(), std::string("see \x0b" "chapter\x0e" "12\x0f two"));
}

TEST(TextModelEdit, DeleteFieldKeepsItsText) {
    TextModel m(kF);
    m.set_caret(4);
    ASSERT_TRUE(m.delete_field_at_caret());
    EXPECT_EQ(m.text(), "abxycd");
    m.set_caret(1);
    EXPECT_FALSE(m.delete_field_at_caret());
    m.set_text(kF + " " + kF);
    m.strip_all_fields();
    EXPECT_EQ(m.text(), "abxycd abxycd");
}

TEST(TextModelEdit, CaretSkipsHiddenCharacters) {
    TextModel m(kF);
    std::vector<size_t> right;
    for (size_t c = 0; c < m.size();) {
        c = m.next_stop(c);
        right.push_back(c);
        if (right.size() > 20) break;
    }
    // After a, b, x, y (inside the field), c, d.
    EXPECT_EQ(right, (std::vector<size_t>{1, 2, 4, 5, 10, 11}));
    EXPECT_EQ(m.prev_stop(10), 5u);
    EXPECT_EQ(m.prev_stop(5), 4u);
    EXPECT_EQ(m.prev_stop(4), 2u);
    // A CR LF pair is one step.
    TextModel l("a\r\nb");
    EXPECT_EQ(l.next_stop(1), 3u);
    EXPECT_EQ(l.prev_stop(3), 1u);
}

TEST(TextModelEdit, DeletingNeverBreaksTheEncoding) {
    struct { size_t a, b; const char* want; } cases[] = {
        {1, 4, "a\x0by\x0e" "12\x0f" "cd"},        // from plain text into the visible part
        {4, 10, "ab\x0bx\x0e" "12\x0f" "d"},       // from the visible part past the field
        {0, 11, ""},                             // the whole field goes with the rest
        {3, 5, "abcd"},                          // the field's whole text: the field goes
    };
    for (auto& c : cases) {
        TextModel m(kF);
        m.select(c.a, c.b);
        m.delete_forward();
        EXPECT_EQ(m.text(), c.want) << c.a << ".." << c.b;
        EXPECT_EQ(strip_fields(m.text()).find_first_of("\x0b\x0e\x0f"), std::string::npos);
    }
    // Backspace through a field's text removes it with its last character.
    TextModel m(kF);
    m.set_caret(10);  // after "c"
    m.delete_back();  // c
    m.delete_back();  // y
    m.delete_back();  // x: the field is empty and goes
    EXPECT_EQ(m.text(), "abd");
    EXPECT_EQ(m.caret(), 2u);
}

TEST(TextModelEdit, TypingMarkersOrIntoHiddenTextIsRefused) {
    TextModel m(kF);
    m.set_caret(7);  // inside the hidden "12"
    m.insert_text("Z");
    EXPECT_EQ(m.text(), kF.substr(0, 9) + "Z" + "cd");
    m.set_caret(4);  // inside the visible text: markers typed there are dropped
    m.insert_text(std::string("q\x0bw\x0e") + "\x0f");
    EXPECT_EQ(strip_fields(m.text()), "abxqwyZcd");
}

TEST(TextModelEdit, UndoJoinsTypingAndRestoresTheCaret) {
    TextModel m("x");
    m.set_caret(1);
    for (char ch : std::string("hello")) m.insert_text(std::string(1, ch), true);
    m.insert_text("\r\n", true);
    m.insert_text("w", true);
    EXPECT_EQ(m.text(), "xhello\r\nw");
    EXPECT_TRUE(m.modified());
    m.undo();
    m.undo();
    EXPECT_EQ(m.text(), "xhello");
    m.undo();
    EXPECT_EQ(m.text(), "x");
    EXPECT_EQ(m.caret(), 1u);
    EXPECT_FALSE(m.can_undo());
    m.redo();
    EXPECT_EQ(m.text(), "xhello");
    m.insert_text("!");
    EXPECT_FALSE(m.can_redo());
}

TEST(TextModelEdit, FindSkipsHiddenTextAndHonoursOptions) {
    TextModel m(std::string("Cat cat\x0b" "cat\x0e" "cat\x0f concat"));
    EXPECT_EQ(m.find("cat", 0, true, false, false), 0u);
    EXPECT_EQ(m.find("cat", 0, true, true, false), 4u);
    EXPECT_EQ(m.find("cat", 5, true, true, false), 8u);
    EXPECT_EQ(m.find("cat", 9, true, true, false), 20u);  // not in the hidden "cat"
    EXPECT_EQ(m.find("cat", 9, true, true, true), std::nullopt);
    EXPECT_EQ(m.find("cat", 20, false, false, false), 8u);
    m.set_text("a-b a-b");
    EXPECT_EQ(m.replace_all("a-b", "x", true, false), 2u);
    EXPECT_EQ(m.text(), "x x");
    m.undo();
    EXPECT_EQ(m.text(), "a-b a-b");
}

TEST(TextModelEdit, ReplaceAllInOnePassAndOneStep) {
    // Matches never overlap, are judged in the text as it was, skip hidden texts, and fold
    // accented capitals; the whole replacement is one undo step.
    TextModel m(std::string("aaaa the\x0b" "the\x0e" "the\x0f THE them \xc9t\xc9 \xe9t\xe9"));
    EXPECT_EQ(m.replace_all("aa", "a", true, false), 2u);
    EXPECT_EQ(m.text().substr(0, 3), "aa ");
    EXPECT_EQ(m.replace_all("the", "the the", false, true), 3u);
    const std::string after = std::string("aa the the\x0b" "the the\x0e" "the\x0f the the them \xc9t\xc9 \xe9t\xe9");
    EXPECT_EQ(m.text(), after);
    EXPECT_EQ(m.replace_all("\xe9t\xe9", "summer", false, true), 2u);
    EXPECT_EQ(m.replace_all("nothing", "x", false, false), 0u);
    m.undo();
    EXPECT_EQ(m.text(), after);
    m.undo();
    EXPECT_EQ(m.text().substr(0, 9), "aa the\x0b" "th");
}

TEST(TextModelEdit, AccentedWordsAreWholeWords) {
    TextModel m("caf\xe9 na\xefve \x93quoted\x94");
    EXPECT_EQ(m.word_at(2), std::make_pair(size_t{0}, size_t{4}));
    EXPECT_EQ(m.word_at(4), std::make_pair(size_t{0}, size_t{4}));
    EXPECT_EQ(m.word_at(7), std::make_pair(size_t{5}, size_t{10}));
    EXPECT_EQ(m.word_at(12), std::make_pair(size_t{12}, size_t{18}));   // the quote is no letter
    EXPECT_EQ(m.word_right(5), 12u);
}

TEST(TextModelEdit, CaseChangeLeavesHiddenTexts) {
    TextModel m(std::string("ab\x0bxy\x0e") + "06Doc.vrn\x0f");
    m.select(0, m.size());
    m.change_case(true);
    EXPECT_EQ(m.text(), std::string("AB\x0bXY\x0e") + "06Doc.vrn\x0f");
}

TEST(TextModelEdit, WordsForCheckingAndCtrlArrows) {
    TextModel m("one two's  three\r\nfour");
    EXPECT_EQ(m.word_at(2), std::make_pair(size_t{0}, size_t{3}));
    EXPECT_EQ(m.word_at(3), std::make_pair(size_t{0}, size_t{3}));  // just after the word
    EXPECT_EQ(m.word_at(6), std::make_pair(size_t{4}, size_t{9}));
    EXPECT_EQ(m.word_at(10), std::nullopt);
    EXPECT_EQ(m.word_right(0), 4u);
    EXPECT_EQ(m.word_right(4), 11u);
    EXPECT_EQ(m.word_right(11), 16u);  // stops at the line end
    EXPECT_EQ(m.word_left(11), 4u);
    EXPECT_EQ(m.word_left(18), 16u);
}

TEST(TextLayout, RowsBreakAtEveryLineEndAndWrapAtBlanks) {
    auto w = unit_widths();
    std::string t = "ab\r\ncd\ne\rf";
    Layout l = layout_rows(t, w, 0, 80);
    EXPECT_EQ(l.starts, (std::vector<size_t>{0, 4, 7, 9}));
    EXPECT_EQ(l.row_end(t, 0), 2u);
    EXPECT_EQ(l.row_of(5), 1u);
    // Hidden characters take no room and a line break in a hidden text breaks nothing.
    std::string f = std::string("a\x0bxy\x0e") + "1\n2\x0f" + "b";
    Layout lf = layout_rows(f, w, 0, 80);
    EXPECT_EQ(lf.starts.size(), 1u);
    EXPECT_EQ(layout_x(f, lf, f.size(), w, 80), 40);
    // Wrap at 50 pixels: "aaa bbb ccc" gives "aaa ", "bbb ", "ccc"; a long word is cut.
    EXPECT_EQ(layout_rows("aaa bbb ccc", w, 50, 80).starts, (std::vector<size_t>{0, 4, 8}));
    EXPECT_EQ(layout_rows("aaaaaaa", w, 50, 80).starts, (std::vector<size_t>{0, 5}));
    // Hits land on the nearest stop.
    EXPECT_EQ(layout_hit(t, l, 1, 14, w, 80), 5u);
    EXPECT_EQ(layout_hit(t, l, 1, 999, w, 80), 6u);
    // The scroll range follows the widest row: shown characters and tabs, no line ends or hidden texts.
    std::string wide = std::string("ab\r\n") + std::string(300, 'x') + "\r\n\tz\x0byy\x0e" + std::string(500, 'h') + "\x0f\r\n";
    EXPECT_EQ(layout_widest(wide, layout_rows(wide, w, 0, 80), w, 80), 3000);
    EXPECT_EQ(layout_widest("\tz\x0byy\x0e" "hidden\x0f", layout_rows("\tz\x0byy\x0e" "hidden\x0f", w, 0, 80), w, 80), 110);
    EXPECT_EQ(layout_widest("", layout_rows("", w, 0, 80), w, 80), 0);
}

TEST(TextSort, SelectionLinesSortedWithTrailingEmptyLineFirst) {
    EXPECT_EQ(sort_lines("pear\r\napple\nfig\n"), "\napple\nfig\npear\n");
    EXPECT_EQ(sort_lines("b\na"), "a\nb\n");
}

}  // namespace

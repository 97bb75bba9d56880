#include <gtest/gtest.h>

#include "base/util.h"
#include "document/doc_util.h"
#include "document/globals.h"
#include "document/view.h"

namespace {

std::vector<std::string> all_tokens(std::string_view s) {
    std::vector<std::string> out;
    for (;;) {
        TokenSplit t = util_split_token(s);
        if (t.token.empty()) break;
        out.emplace_back(t.token);
        s = t.rest;
    }
    return out;
}

using Toks = std::vector<std::string>;

TEST(ShellTokeniser, CutsNamesNumbersAndSingleCharacters) {
    struct Case { const char* text; Toks want; } cases[] = {
        {"", {}},
        {" \t\r\n\v\f\x1a", {}},
        {"Xpos+A_2*x1", {"Xpos", "+", "A_2", "*", "x1"}},
        {"_a9 b", {"_a9", "b"}},
        {"12 1.5 2e3 1e-3 4E+2", {"12", "1.5", "2e3", "1e-3", "4E+2"}},
        // A number never starts with '.', a fraction needs a digit, an exponent must be complete.
        {".5", {".", "5"}},
        {"1.", {"1", "."}},
        {"1.x", {"1", ".", "x"}},
        {"2e", {"2", "e"}},
        {"2e+", {"2", "e", "+"}},
        {"3ex", {"3", "ex"}},
        // Two-character operators do not exist.
        {"a<=b", {"a", "<", "=", "b"}},
        // Digits inside a name stay in it; a name after a number is separate.
        {"9abc", {"9", "abc"}},
        {"(Paris)", {"(", "Paris", ")"}},
        // Windows-1252: accented letters, \x8a and \x9c belong to words; quotes, dashes, the
        // ellipsis, the times sign and unassigned bytes stand alone.
        {"caf\xe9s na\xefve M\xfcller \x8a" "a\x9c", {"caf\xe9s", "na\xefve", "M\xfcller", "\x8a" "a\x9c"}},
        {"\x93wonderful\x94 a\x96z\x85", {"\x93", "wonderful", "\x94", "a", "\x96", "z", "\x85"}},
        {"a\x81z 2\xd7x", {"a", "\x81", "z", "2", "\xd7", "x"}},
        {"don't don\x92t", {"don", "'", "t", "don", "\x92", "t"}},
    };
    for (const auto& c : cases) EXPECT_EQ(all_tokens(c.text), c.want) << c.text;
}

TEST(ShellTokeniser, FirstTokenAndRest) {
    EXPECT_EQ(util_first_token("   sum(a)"), "sum");
    EXPECT_EQ(util_first_token("\x1a\x1a"), "");
    TokenSplit t = util_split_token("  12.5days");
    EXPECT_EQ(t.token, "12.5");
    EXPECT_EQ(t.rest, "days");
}

TEST(ShellUtil, IntegerHelpers) {
    EXPECT_TRUE(util_between(5, 9, 1));
    EXPECT_TRUE(util_between(1, 1, 9));
    EXPECT_FALSE(util_between(10, 9, 1));
    // Lo wins when the bounds cross.
    EXPECT_EQ(util_clamp(50, 10, 5), 10);
    EXPECT_EQ(util_clamp(-3, 0, 60), 0);
    EXPECT_EQ(util_set_flag(0x0F0, 1, 0x001u), 0x0F1u);
    EXPECT_EQ(util_set_flag(0x0F0, 0, 0xFFFu), 0xF0Fu);
    EXPECT_EQ(util_bit_set(31, 0x80000000u), 1);
    EXPECT_EQ(util_bit_set(32, 0xFFFFFFFFu), 0);
    EXPECT_FALSE(util_near(1.0, 2.0, 1.0));  // strict
    EXPECT_EQ(util_sign_flags(0).non_neg, 1);
    EXPECT_EQ(util_sign_flags(-1).neg, 1);
    EXPECT_EQ(util_for_range(3, 5), (std::vector<int>{3, 4, 5}));
    EXPECT_EQ(util_for_range(5, 3), (std::vector<int>{5}));
}

TEST(ShellUtil, RandomIntStaysInRangeAndNeverDividesByZero) {
    util_random_seed(7);
    for (int n : {-5, 0, 1}) EXPECT_EQ(util_random_int(n), 0);
    bool seen_top = false;
    for (int k = 0; k < 2000; ++k) {
        int r = util_random_int(3);
        ASSERT_TRUE(r >= 0 && r < 3);
        seen_top |= r == 2;
    }
    EXPECT_TRUE(seen_top);
}

TEST(ShellUtil, DayNumberCountsFrom1980) {
    EXPECT_EQ(util_day_number(1980, 1, 1), 1);
    EXPECT_EQ(util_day_number(1980, 3, 1), 61);  // 1980 is a leap year
    EXPECT_EQ(util_day_number(1981, 1, 1), 367);
    EXPECT_EQ(util_day_number(2000, 3, 1) - util_day_number(2000, 2, 28), 2);
    EXPECT_EQ(util_day_number(1979, 12, 31), 0);
}

TEST(ShellUtil, NumberTexts) {
    struct Case { const char* s; std::optional<int32_t> want; } ints[] = {
        {"42", 42}, {"-7\r\n", -7}, {"12  ", 12}, {"+3", 3}, {"", std::nullopt}, {"1.5", std::nullopt},
        {"abc", std::nullopt}, {"99999999999", std::nullopt}, {"4 2", std::nullopt},
    };
    for (const auto& c : ints) EXPECT_EQ(util_str_to_int(c.s), c.want) << c.s;
    EXPECT_EQ(util_str_to_num("1.5\n"), 1.5);
    EXPECT_EQ(util_str_to_num("2e3"), 2000.0);
    EXPECT_EQ(util_str_to_num("inf"), std::nullopt);
    EXPECT_EQ(util_str_to_num("0x10"), std::nullopt);
}

TEST(ShellUtil, TextHelpers) {
    EXPECT_EQ(util_replace_all("aaa", "a", "aa"), "aaaaaa");  // no rescan of inserted text
    EXPECT_EQ(util_replace_all("x--y--", "--", "+", "pre:"), "pre:x+y+");
    EXPECT_EQ(util_replace_all("abc", "", "z"), "abc");
    EXPECT_EQ(util_split_fields("a\r,b,,c\r\r", ','), (std::vector<std::string>{"c", "", "b", "a"}));
    EXPECT_EQ(util_split_fields("", ','), (std::vector<std::string>{""}));
    EXPECT_EQ(util_join({"a", "b", "c"}, ">", "\n"), ">a\nb\nc");
    EXPECT_EQ(util_join({}, "s", ","), "s");
    EXPECT_EQ(util_find_pos("hello", "l"), 3u);
    EXPECT_EQ(util_find_pos("hello", ""), 1u);
    EXPECT_EQ(util_find_pos("hello", "z"), std::nullopt);
    EXPECT_EQ(util_front_str(3, "ab").front, "ab");
    EXPECT_EQ(util_front_str(1, "ab").rest, "b");
    EXPECT_EQ(util_strip_prefix_all("ababc", "ab"), "c");
    EXPECT_EQ(util_strip_suffix_all("x\n\n\n", "\n"), "x");
    EXPECT_EQ(util_strip_suffix_all("abc", ""), "abc");
    EXPECT_EQ(util_two_digits(7), "07");
    EXPECT_EQ(util_two_digits(1234), "34");
}

TEST(ShellUtil, SearchExpressions) {
    struct Case { const char* expr; const char* text; bool want; } cases[] = {
        {"", "anything", true},
        {"cat", "concatenate", true},
        {"cat and dog", "dog and cat", true},
        {"cat and dog", "cat only", false},
        {"cat or dog", "a dog", true},
        {"cat not dog", "cat and dog", false},
        {"cat not dog", "cat alone", true},
        // " and " is tried before " or ".
        {"a or b and c", "a or b", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(util_match_search_expr(util_split_search_expr(c.expr), c.text), c.want) << c.expr << " / " << c.text;
}

TEST(ShellUtil, SortIsCaseInsensitiveStableAndKeepsDuplicates) {
    auto s = util_sort_strings({"beta", "Alpha", "alpha", "Beta", "\xc9t\xe9", "zed", "\xe9t\xe9"});
    EXPECT_EQ(s, (std::vector<std::string>{"Alpha", "alpha", "beta", "Beta", "zed", "\xc9t\xe9", "\xe9t\xe9"}));
}

TEST(ShellUtil, ListHelpers) {
    std::vector<int> v{4, 9, 2};
    EXPECT_EQ(util_list_nth(2, v), 9);
    EXPECT_EQ(util_list_nth(0, v), std::nullopt);
    EXPECT_EQ(util_list_nth(4, v), std::nullopt);
    EXPECT_EQ(util_list_index(2, v, 1), 3u);
    EXPECT_EQ(util_list_index(7, v, 1), std::nullopt);
    EXPECT_EQ(util_list_reverse(v, {1}), (std::vector<int>{2, 9, 4, 1}));
    EXPECT_EQ(util_list_max(v, 5), 9);
    EXPECT_EQ(util_list_max({}, 5), 5);
    EXPECT_EQ(util_list_nth_lbox(9, {"a"}), "");
}

TEST(ShellUtil, ObjectLinesAndMarkedKind) {
    Document& d = view_doc();
    Document saved = d;
    d.objs.clear();
    Obj a; a.key = 7; a.id = "short";
    Obj b; b.key = 12; b.id = "a very long identifier text";
    d.objs = {a, b};
    d.touch_objs();
    auto lines = util_obj_list_lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "short               7");
    EXPECT_EQ(lines[1], "a very long identifi12");
    EXPECT_EQ(util_obj_line_pos(12, lines), 1u);
    EXPECT_EQ(util_obj_line_pos(99, lines), 0u);
    EXPECT_EQ(util_obj_line_pos(0, lines), 0u);
    d = saved;

    marked_obj_.clear(); marked_shape_.clear(); marked_link_.clear();
    EXPECT_EQ(util_marked_kind(), 0);
    marked_link_.push_back({1, 2});
    EXPECT_EQ(util_marked_kind(), 2);
    marked_shape_.push_back(3);
    EXPECT_EQ(util_marked_kind(), 3);
    marked_obj_.push_back(4);
    EXPECT_EQ(util_marked_kind(), 1);
    marked_obj_.clear(); marked_shape_.clear(); marked_link_.clear();
}

}  // namespace

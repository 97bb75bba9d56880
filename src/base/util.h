// UTIL: small helpers shared by every subsystem (portable).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/key.h"

// ---- Tokeniser shared by the calculator, the word index, the Analyzer and the spell stepper.
// Skips blanks, tabs, bytes 10-13 and 26; a token is a name (a letter of base/letters.h or '_',
// then letters, digits, '_'), a number (digits, optional fraction with at least one digit,
// optional complete exponent; never starting with '.'), or any other single byte.

struct TokenSplit {
    std::string_view token;  // empty when the text holds no token
    std::string_view rest;   // the text after the token
};
// The first token of `text` and what follows it (views into `text`).
TokenSplit util_split_token(std::string_view text);
// The first token of `text`, "" when there is none.
std::string util_first_token(std::string_view text);

// ---- Integers and flags.
bool util_between(int64_t x, int64_t a, int64_t b);  // inclusive, either order
bool util_one_of(int64_t x, int64_t a, int64_t b);
bool util_member_int(int64_t x, const std::vector<int>& list);
inline int util_min(int a, int b) { return a < b ? a : b; }
inline int util_max(int a, int b) { return a > b ? a : b; }
// max(min(x, hi), lo): lo wins when lo > hi.
inline int util_clamp(int x, int lo, int hi) { return util_max(util_min(x, hi), lo); }
struct SignFlags { int sign, non_neg, neg; };
SignFlags util_sign_flags(int x);
inline int util_flag_set(uint32_t flags, uint32_t mask) { return (flags & mask) != 0; }
inline int util_bit_set(int n, uint32_t flags) { return n >= 0 && n < 32 && ((flags >> n) & 1u); }
inline uint32_t util_set_flag(uint32_t mask, int v, uint32_t flags) { return (flags & ~mask) | (mask * (v ? 1u : 0u)); }
inline bool util_near(double a, double b, double tol) { return (a > b ? a - b : b - a) < tol; }
struct Distance { double d, w; };
Distance util_distance(double x1, double y1, double x2, double y2);  // w = 1 / (d + 0.01)
// From..To; From alone when To < From.
std::vector<int> util_for_range(int from, int to);
int util_random_int(int n);  // 0..n-1; 0 when n <= 0
void util_random_seed();
void util_random_seed(uint32_t seed);  // fixed seed, for tests
// Days with 1 January 1980 = 1.
int32_t util_day_number(int year, int month, int day);

// ---- Texts.
// Trailing line breaks removed, trailing blanks allowed; nullopt when no integer.
std::optional<int32_t> util_str_to_int(std::string_view s);
// Integer or real in the same way.
std::optional<double> util_str_to_num(std::string_view s);
inline std::string util_concat3(std::string_view a, std::string_view b, std::string_view c) {
    std::string s;
    s.reserve(a.size() + b.size() + c.size());
    s.append(a).append(b).append(c);
    return s;
}
struct FrontRest { std::string front, rest; };
FrontRest util_front_str(size_t n, std::string_view s);
// Every `old_s` replaced left to right without rescanning; result appended to `acc`.
std::string util_replace_all(std::string_view s, std::string_view old_s, std::string_view new_s,
                             std::string acc = {});
void util_replace_char(std::string& s, char c, char new_c);
// Fields at each `sep`, trailing CRs stripped, last field first.
std::vector<std::string> util_split_fields(std::string_view s, char sep);
std::string util_join(const std::vector<std::string>& list, std::string_view start, std::string_view sep);
// 1-based position of `sub`; 1 for an empty `sub`; nullopt when absent.
std::optional<size_t> util_find_pos(std::string_view s, std::string_view sub);
// " and " (1), " or " (2), " not " (3) tried in that order, else (0, text, "").
struct SearchExpr { int mode = 0; std::string a, b; };
SearchExpr util_split_search_expr(std::string_view text);
bool util_match_search_expr(const SearchExpr& e, std::string_view text);
std::string util_strip_prefix_all(std::string_view s, std::string_view prefix);
std::string util_strip_suffix_all(std::string_view s, std::string_view suffix);
std::string util_two_digits(int n);
// Lower-case of ASCII and of the 1252 accented capitals.
std::string util_lower(std::string_view s);

// ---- Lists (1-based positions as the callers count).
template <class T> std::vector<T> util_list_reverse(std::vector<T> list, const std::vector<T>& acc = {}) {
    std::vector<T> out(list.rbegin(), list.rend());
    out.insert(out.end(), acc.begin(), acc.end());
    return out;
}
template <class T> std::vector<T> util_append(std::vector<T> a, const std::vector<T>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
template <class T> size_t util_list_length(const std::vector<T>& list, size_t start = 0) { return start + list.size(); }
template <class T> std::optional<T> util_list_nth(size_t n, const std::vector<T>& list) {
    if (n < 1 || n > list.size()) return std::nullopt;
    return list[n - 1];
}
std::string util_list_nth_lbox(size_t n, const std::vector<std::string>& list);
template <class T> std::optional<size_t> util_list_index(const T& x, const std::vector<T>& list, size_t start) {
    for (size_t k = 0; k < list.size(); ++k)
        if (list[k] == x) return start + k;
    return std::nullopt;
}
int util_list_max(const std::vector<int>& list, int start);
// Case-insensitive order as a sorted list box shows it; duplicates kept; stable.
std::vector<std::string> util_sort_strings(std::vector<std::string> list);
// The comparison behind it: <0, 0, >0.
int util_compare_nocase(std::string_view a, std::string_view b);

// Little-endian numbers at `at` in a byte string (file and clipboard formats); the caller checks
// that the bytes are there.
inline uint32_t util_le32(std::string_view s, size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(s[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 3])) << 24;
}
inline uint16_t util_le16(std::string_view s, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8);
}

#include "base/util.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <random>

#include "base/letters.h"

namespace {

bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }

bool is_skipped(unsigned char c) { return c == ' ' || c == '\t' || (c >= 10 && c <= 13) || c == 26; }

bool is_name_char(unsigned char c) { return is_word_letter(c) || is_digit(c) || c == '_'; }

std::mt19937& rng() {
    static std::mt19937 g(12345u);
    return g;
}

std::string_view trim_line_end(std::string_view s) {
    while (!s.empty() && (s.back() == '\n' || s.back() == '\r')) s.remove_suffix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    return s;
}

}  // namespace

TokenSplit util_split_token(std::string_view text) {
    size_t p = 0;
    const size_t n = text.size();
    auto at = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    while (p < n && is_skipped(at(p))) ++p;
    if (p >= n) return {std::string_view(), std::string_view()};
    size_t start = p;
    unsigned char c = at(p);
    if (is_word_letter(c) || c == '_') {
        while (p < n && is_name_char(at(p))) ++p;
    } else if (is_digit(c)) {
        while (p < n && is_digit(at(p))) ++p;
        // A fraction needs a digit after the point; "1." is the number 1 and the token ".".
        if (p + 1 < n && text[p] == '.' && is_digit(at(p + 1))) {
            p += 2;
            while (p < n && is_digit(at(p))) ++p;
        }
        // An exponent is taken only when complete: e, optional sign, at least one digit.
        if (p < n && (text[p] == 'e' || text[p] == 'E')) {
            size_t q = p + 1;
            if (q < n && (text[q] == '+' || text[q] == '-')) ++q;
            if (q < n && is_digit(at(q))) {
                while (q < n && is_digit(at(q))) ++q;
                p = q;
            }
        }
    } else {
        ++p;
    }
    return {text.substr(start, p - start), text.substr(p)};
}

std::string util_first_token(std::string_view text) { return std::string(util_split_token(text).token); }

bool util_between(int64_t x, int64_t a, int64_t b) {
    return a <= b ? (x >= a && x <= b) : (x >= b && x <= a);
}

bool util_one_of(int64_t x, int64_t a, int64_t b) { return x == a || x == b; }

bool util_member_int(int64_t x, const std::vector<int>& list) {
    return std::find(list.begin(), list.end(), x) != list.end();
}

SignFlags util_sign_flags(int x) { return x >= 0 ? SignFlags{1, 1, 0} : SignFlags{-1, 0, 1}; }

Distance util_distance(double x1, double y1, double x2, double y2) {
    double d = std::hypot(x2 - x1, y2 - y1);
    return {d, 1.0 / (d + 0.01)};
}

std::vector<int> util_for_range(int from, int to) {
    std::vector<int> out;
    if (to < from) {
        out.push_back(from);
        return out;
    }
    out.reserve(static_cast<size_t>(static_cast<int64_t>(to) - from + 1));
    for (int64_t i = from; i <= to; ++i) out.push_back(static_cast<int>(i));
    return out;
}

int util_random_int(int n) {
    if (n <= 0) return 0;
    return std::uniform_int_distribution<int>(0, n - 1)(rng());
}

void util_random_seed() {
    auto now = std::chrono::system_clock::now().time_since_epoch();
    util_random_seed(static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
}

void util_random_seed(uint32_t seed) { rng().seed(seed); }

int32_t util_day_number(int year, int month, int day) {
    // Days from the civil calendar (proleptic Gregorian), shifted so 1980-01-01 is 1.
    auto days_from_civil = [](int64_t y, int64_t m, int64_t d) {
        y -= m <= 2;
        const int64_t era = (y >= 0 ? y : y - 399) / 400;
        const int64_t yoe = y - era * 400;
        const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
        const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
        return era * 146097 + doe;
    };
    return static_cast<int32_t>(days_from_civil(year, month, day) - days_from_civil(1980, 1, 1) + 1);
}

namespace {
// A number's text: the line end, leading blanks and a leading '+' dropped.
std::string_view number_text(std::string_view s) {
    s = trim_line_end(s);
    size_t p = 0;
    while (p < s.size() && s[p] == ' ') ++p;
    s.remove_prefix(p);
    if (!s.empty() && s[0] == '+') s.remove_prefix(1);
    return s;
}
}  // namespace

std::optional<int32_t> util_str_to_int(std::string_view s) {
    s = number_text(s);
    if (s.empty()) return std::nullopt;
    int32_t v = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

std::optional<double> util_str_to_num(std::string_view s) {
    s = number_text(s);
    if (s.empty()) return std::nullopt;
    // Plain decimal syntax only: no hex, inf or nan.
    for (char c : s)
        if (!(is_digit(static_cast<unsigned char>(c)) || c == '.' || c == 'e' || c == 'E' || c == '-' || c == '+'))
            return std::nullopt;
    double v = 0;
    auto r = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != s.data() + s.size()) return std::nullopt;
    return v;
}

FrontRest util_front_str(size_t n, std::string_view s) {
    if (s.size() <= n) return {std::string(s), {}};
    return {std::string(s.substr(0, n)), std::string(s.substr(n))};
}

std::string util_replace_all(std::string_view s, std::string_view old_s, std::string_view new_s, std::string acc) {
    if (old_s.empty()) {
        acc.append(s);
        return acc;
    }
    size_t p = 0;
    for (;;) {
        size_t q = s.find(old_s, p);
        if (q == std::string_view::npos) break;
        acc.append(s.substr(p, q - p)).append(new_s);
        p = q + old_s.size();
    }
    acc.append(s.substr(p));
    return acc;
}

void util_replace_char(std::string& s, char c, char new_c) { std::replace(s.begin(), s.end(), c, new_c); }

std::vector<std::string> util_split_fields(std::string_view s, char sep) {
    std::vector<std::string> out;
    size_t p = 0;
    for (;;) {
        size_t q = s.find(sep, p);
        std::string_view f = s.substr(p, q == std::string_view::npos ? std::string_view::npos : q - p);
        while (!f.empty() && f.back() == '\r') f.remove_suffix(1);
        out.emplace_back(f);
        if (q == std::string_view::npos) break;
        p = q + 1;
    }
    std::reverse(out.begin(), out.end());
    return out;
}

std::string util_join(const std::vector<std::string>& list, std::string_view start, std::string_view sep) {
    std::string out(start);
    for (size_t k = 0; k < list.size(); ++k) {
        if (k) out.append(sep);
        out.append(list[k]);
    }
    return out;
}

std::optional<size_t> util_find_pos(std::string_view s, std::string_view sub) {
    if (sub.empty()) return 1;
    size_t q = s.find(sub);
    if (q == std::string_view::npos) return std::nullopt;
    return q + 1;
}

SearchExpr util_split_search_expr(std::string_view text) {
    static const std::string_view ops[] = {" and ", " or ", " not "};
    for (int k = 0; k < 3; ++k) {
        size_t q = text.find(ops[k]);
        if (q != std::string_view::npos)
            return {k + 1, std::string(text.substr(0, q)), std::string(text.substr(q + ops[k].size()))};
    }
    return {0, std::string(text), {}};
}

bool util_match_search_expr(const SearchExpr& e, std::string_view text) {
    auto has = [&](const std::string& x) { return text.find(x) != std::string_view::npos; };
    switch (e.mode) {
    case 0: return e.a.empty() || has(e.a);
    case 1: return has(e.a) && has(e.b);
    case 2: return has(e.a) || has(e.b);
    case 3: return has(e.a) && !has(e.b);
    default: return false;
    }
}

std::string util_strip_prefix_all(std::string_view s, std::string_view prefix) {
    if (!prefix.empty())
        while (s.substr(0, prefix.size()) == prefix) s.remove_prefix(prefix.size());
    return std::string(s);
}

std::string util_strip_suffix_all(std::string_view s, std::string_view suffix) {
    if (!suffix.empty())
        while (s.size() >= suffix.size() && s.substr(s.size() - suffix.size()) == suffix)
            s.remove_suffix(suffix.size());
    return std::string(s);
}

std::string util_two_digits(int n) {
    std::string s = "00" + std::to_string(n);
    return s.substr(s.size() - 2);
}

std::string util_lower(std::string_view s) {
    std::string out(s);
    for (char& c : out) c = static_cast<char>(to_lower_1252(static_cast<unsigned char>(c)));
    return out;
}

std::string util_list_nth_lbox(size_t n, const std::vector<std::string>& list) {
    if (n < 1 || n > list.size()) return {};
    return list[n - 1];
}

int util_list_max(const std::vector<int>& list, int start) {
    int m = start;
    for (int x : list) m = util_max(m, x);
    return m;
}

int util_compare_nocase(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    for (size_t k = 0; k < n; ++k) {
        unsigned char x = to_lower_1252(static_cast<unsigned char>(a[k]));
        unsigned char y = to_lower_1252(static_cast<unsigned char>(b[k]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
    return 0;
}

std::vector<std::string> util_sort_strings(std::vector<std::string> list) {
    std::stable_sort(list.begin(), list.end(),
                     [](const std::string& a, const std::string& b) { return util_compare_nocase(a, b) < 0; });
    return list;
}

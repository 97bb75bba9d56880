#include "base/eval_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>

std::string fmt_g(double v, int precision) {
    if (v == 0) v = 0;  // no "-0"
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general,
                           std::clamp(precision, 1, 17));
    if (r.ec != std::errc{}) return "0";
    return std::string(buf, r.ptr);
}

std::string fmt_g_width(double v, int width, int precision) {
    std::string s = fmt_g(v, precision);
    if (width > 0 && s.size() < static_cast<size_t>(width)) s.insert(0, width - s.size(), ' ');
    return s;
}

std::string fmt_fixed(double v, int width, int precision, bool left) {
    if (v == 0) v = 0;
    // 1e308 in fixed notation needs 309 digits before the point.
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed,
                           std::clamp(precision, 0, 30));
    std::string s = r.ec == std::errc{} ? std::string(buf, r.ptr) : fmt_g(v);
    if (width > 0 && s.size() < static_cast<size_t>(width)) {
        if (left) s.append(width - s.size(), ' ');
        else s.insert(0, width - s.size(), ' ');
    }
    return s;
}

std::string fmt_text_col(std::string_view s, size_t width) {
    std::string r(s.substr(0, width));
    r.append(width - r.size(), ' ');
    return r;
}

namespace {

bool digit(char c) { return c >= '0' && c <= '9'; }

// Reads digits at `p`; false when there are none or the number is absurdly wide.
bool read_int(std::string_view s, size_t& p, int& out) {
    size_t start = p;
    int v = 0;
    while (p < s.size() && digit(s[p])) {
        v = v * 10 + (s[p] - '0');
        if (v > 999) return false;
        ++p;
    }
    out = v;
    return p > start;
}

}  // namespace

std::string eval_format_value(double v, std::string_view f) {
    size_t p = 0;
    bool left = false;
    if (p < f.size() && f[p] == '-') { left = true; ++p; }
    int width = 0, prec = -1;
    bool has_width = read_int(f, p, width);
    if (p < f.size() && f[p] == '.') {
        ++p;
        if (!read_int(f, p, prec)) return fmt_g(v);
    }
    if (p != f.size() || (!has_width && prec < 0)) return fmt_g(v);
    width = std::min(width, 64);
    if (prec < 0) {
        std::string s = fmt_g(v);
        if (s.size() < static_cast<size_t>(width)) {
            if (left) s.append(width - s.size(), ' ');
            else s.insert(0, width - s.size(), ' ');
        }
        return s;
    }
    return fmt_fixed(v, width, std::min(prec, 20), left);
}

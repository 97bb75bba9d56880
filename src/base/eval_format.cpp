#include "base/eval_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>

std::string fmt_g(double v, int precision) {
    if (v == 0) v = 0;  // no "-0"
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general,
                           std::clamp(precision, 1, 17));
    if (r.ec != std::errc{}) return "0";
    return std::string(buf, r.ptr);
}

std::string fmt_exact(double v) {
    if (v == 0) v = 0;
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
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

struct DecimalFormat {
    bool left = false;
    int width = 0, prec = -1;  // -1: none given
    char conv = 0;             // 'f', 'e', 'g' or 0: none given
};

std::optional<DecimalFormat> parse_format(std::string_view f) {
    DecimalFormat d;
    size_t p = 0;
    if (p < f.size() && f[p] == '%') ++p;
    if (p < f.size() && f[p] == '-') {
        d.left = true;
        ++p;
    }
    bool has_width = read_int(f, p, d.width);
    if (p < f.size() && f[p] == '.') {
        ++p;
        if (!read_int(f, p, d.prec)) return std::nullopt;
    }
    if (p < f.size() && (f[p] == 'f' || f[p] == 'e' || f[p] == 'g' || f[p] == 'F' || f[p] == 'E' || f[p] == 'G')) {
        d.conv = static_cast<char>(f[p] | 0x20);
        ++p;
    }
    if (p != f.size() || (!has_width && d.prec < 0 && !d.conv)) return std::nullopt;
    d.width = std::min(d.width, 64);
    return d;
}

std::string pad(std::string s, int width, bool left) {
    if (s.size() < static_cast<size_t>(width)) {
        if (left) s.append(width - s.size(), ' ');
        else s.insert(0, width - s.size(), ' ');
    }
    return s;
}

}  // namespace

bool eval_format_valid(std::string_view f) { return f.empty() || parse_format(f).has_value(); }

std::string eval_format_value(double v, std::string_view f) {
    auto d = parse_format(f);
    if (!d) return fmt_g(v);
    // Without a letter the decimals mean fixed notation, as "W.P" always has.
    const char conv = d->conv ? d->conv : d->prec >= 0 ? 'f' : 'g';
    switch (conv) {
    case 'f': return fmt_fixed(v, d->width, std::min(d->prec < 0 ? 6 : d->prec, 20), d->left);
    case 'e': {
        if (v == 0) v = 0;
        char buf[64];
        auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific,
                               std::min(d->prec < 0 ? 6 : d->prec, 20));
        return pad(r.ec == std::errc{} ? std::string(buf, r.ptr) : fmt_g(v), d->width, d->left);
    }
    default: return pad(fmt_g(v, d->prec < 0 ? 6 : std::max(d->prec, 1)), d->width, d->left);
    }
}

#include "text/rich.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "base/util.h"

std::string rich_text_to_rtf(std::string_view text, std::string_view font) {
    static const char hex[] = "0123456789abcdef";
    auto escape = [&](std::string_view s, std::string& out, bool breaks) {
        for (size_t i = 0; i < s.size(); ++i) {
            unsigned char c = static_cast<unsigned char>(s[i]);
            if (breaks && (c == '\r' || c == '\n')) {
                if (c == '\r' && i + 1 < s.size() && s[i + 1] == '\n') ++i;
                out += "\\par ";
            } else if (c == '\\' || c == '{' || c == '}') {
                out += '\\';
                out += static_cast<char>(c);
            } else if (c >= 0x80 || (!breaks && c < 32)) {
                out += "\\'";
                out += hex[c >> 4];
                out += hex[c & 15];
            } else {
                out += static_cast<char>(c);
            }
        }
    };
    std::string out = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil ";
    escape(font, out, false);
    out += ";}}\r\n\\pard\\plain\\f0 ";
    escape(text, out, true);
    out += "\r\n\\par }\r\n";
    return out;
}

size_t RichChunks::take(char* out, size_t n) {
    size_t k = std::min(n, text_.size() - std::min(pos_, text_.size()));
    std::copy_n(text_.data() + pos_, k, out);
    pos_ += k;
    return k;
}

int rich_background_index(int setting359, int obj_colour, const std::function<int32_t(int)>& param) {
    if (setting359 == 0) return -1;
    if (setting359 == 1) return obj_colour;
    if (setting359 < 2) return -1;  // a damaged setting: white, never an index below the table
    return static_cast<int>(param(2 * setting359 - 3));
}

int rich_find_flags(bool forward, bool match_case, bool whole_word) {
    return (forward ? 1 : 0) | (match_case ? 4 : 0) | (whole_word ? 2 : 0);
}

RichRange rich_find_range(int origin, bool forward, long s, long e, long length) {
    if (forward) {
        if (origin == kRichOriginAll) return {0, -1};
        if (origin == kRichOriginSelection) return {s, e};
        return {s, -1};
    }
    if (origin == kRichOriginAll) return {length, 0};
    if (origin == kRichOriginSelection) return {e, s};
    return {e, 0};
}

RichRange rich_find_next_range(bool forward, long s, long length) {
    if (forward) return {std::min(s + 1, length), -1};
    return {std::max(s - 1, 0L), 0};
}

RichIndents rich_para_to_inches(const RichPara& p) {
    return {(p.start + p.offset) / 1440.0, p.right / 1440.0, -p.offset / 1440.0};
}

RichPara rich_inches_to_para(const RichIndents& in) {
    auto tw = [](double v) { return std::lround(v * 1440.0); };
    return {tw(in.left + in.first), tw(in.right), tw(-in.first)};
}

std::optional<double> rich_parse_real(std::string_view s) {
    std::string t(s);
    while (!t.empty() && t.back() == ' ') t.pop_back();
    size_t b = t.find_first_not_of(' ');
    if (b == std::string::npos) return std::nullopt;
    t = t.substr(b);
    char* end = nullptr;
    double v = std::strtod(t.c_str(), &end);
    if (end != t.c_str() + t.size() || !std::isfinite(v) || std::fabs(v) > 22.0) return std::nullopt;  // 22 in: the control's limit
    return v;
}

std::string rich_format_inches(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", std::fabs(v) < 0.005 ? 0.0 : v);
    return buf;
}

long rich_twips_of_height(int height, int dpi) {
    if (dpi <= 0) dpi = 96;
    return std::labs(static_cast<long>(height)) * 1440 / dpi;
}

int rich_height_of_twips(long twips, int dpi) {
    return -static_cast<int>(std::lround(static_cast<double>(twips) * dpi / 1440.0));
}

std::vector<std::string> rich_split_lines(std::string_view text) {
    std::vector<std::string> out;
    std::string cur;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out.push_back(std::move(cur));
            cur.clear();
        } else {
            cur += c;
        }
    }
    out.push_back(std::move(cur));
    return out;
}

std::string rich_sort_lines(std::string_view text) {
    auto lines = rich_split_lines(text);
    // A selection that ends with its line break keeps it at the end.
    bool trailing = !text.empty() && (text.back() == '\r' || text.back() == '\n');
    if (trailing) lines.pop_back();
    std::string out = util_join(util_sort_strings(lines), "", "\r");
    if (trailing) out += '\r';
    return out;
}

std::string rich_upper(std::string_view s) {
    std::string out(s);
    for (char& ch : out) {
        unsigned char c = static_cast<unsigned char>(ch);
        if ((c >= 'a' && c <= 'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) ch = static_cast<char>(c - 32);
    }
    return out;
}

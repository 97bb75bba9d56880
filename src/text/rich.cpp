#include "text/rich.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cctype>
#include <cstdlib>

#include "base/letters.h"
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

namespace {

// Groups whose text is not part of the document's text.
bool skipped_destination(std::string_view word) {
    static constexpr std::string_view kSkip[] = {"fonttbl", "colortbl", "stylesheet", "info",   "pict",
                                                 "object",  "header",   "footer",     "listtable", "listoverridetable",
                                                 "rsidtbl", "generator", "xmlnstbl",  "fldinst", "themedata"};
    for (auto k : kSkip)
        if (word == k) return true;
    return false;
}

// A named character of the control's writer, as its Windows-1252 byte.
int named_char(std::string_view word) {
    static constexpr std::pair<std::string_view, int> kNamed[] = {
        {"tab", '\t'},    {"emdash", 0x97}, {"endash", 0x96},    {"lquote", 0x91},   {"rquote", 0x92},
        {"ldblquote", 0x93}, {"rdblquote", 0x94}, {"bullet", 0x95}, {"emspace", ' '}, {"enspace", ' '},
    };
    for (auto [k, c] : kNamed)
        if (word == k) return c;
    return -1;
}

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// One piece of an RTF document: rtf[pos, pos + len).
struct RtfToken {
    enum Kind { Text, Hex, Symbol, Word, Other } kind = Other;
    size_t pos = 0, len = 0;
    char byte = 0;            // Text, Hex, Symbol: the character it stands for
    std::string_view word;    // Word
    long num = 0;
    bool has_num = false;
    bool skipped = false;     // inside a destination that holds no document text
};

// Calls `f` for every piece in order; braces and line ends of the source come as Other.
template <class F>
void rtf_scan(std::string_view rtf, F&& f) {
    std::vector<bool> skip{false};
    bool group_start = false;
    for (size_t i = 0; i < rtf.size();) {
        RtfToken t;
        t.pos = i;
        t.skipped = skip.back();
        char c = rtf[i];
        if (c == '{' || c == '}') {
            if (c == '{') skip.push_back(skip.back());
            else if (skip.size() > 1) skip.pop_back();
            group_start = c == '{';
            t.len = 1;
            f(t);
            ++i;
            continue;
        }
        bool starts = group_start;
        group_start = false;
        if (c == '\r' || c == '\n' || c != '\\' || i + 1 >= rtf.size()) {
            t.kind = c == '\r' || c == '\n' || c == '\\' ? RtfToken::Other : RtfToken::Text;
            t.byte = c;
            t.len = 1;
        } else if (char n = rtf[i + 1]; n == '\'') {
            int h = i + 3 < rtf.size() ? hex_digit(rtf[i + 2]) : -1, l = h >= 0 ? hex_digit(rtf[i + 3]) : -1;
            t.kind = l >= 0 ? RtfToken::Hex : RtfToken::Other;
            t.byte = static_cast<char>(l >= 0 ? h * 16 + l : 0);
            t.len = l >= 0 ? 4 : 2;
        } else if (std::isalpha(static_cast<unsigned char>(n))) {
            size_t j = i + 1;
            while (j < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[j]))) ++j;
            t.kind = RtfToken::Word;
            t.word = rtf.substr(i + 1, j - i - 1);
            size_t k = j;
            if (k < rtf.size() && rtf[k] == '-') ++k;
            while (k < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[k]))) ++k;
            t.has_num = k > j && std::isdigit(static_cast<unsigned char>(rtf[k - 1]));
            if (t.has_num) t.num = std::strtol(std::string(rtf.substr(j, k - j)).c_str(), nullptr, 10);
            else k = j;
            if (k < rtf.size() && rtf[k] == ' ') ++k;
            t.len = k - i;
            if (starts && skipped_destination(t.word)) skip.back() = t.skipped = true;
        } else {
            if (n == '*' && starts) skip.back() = true;
            t.kind = n == '\\' || n == '{' || n == '}' || n == '~' || n == '_' ? RtfToken::Symbol : RtfToken::Other;
            t.byte = n == '~' ? '\xa0' : n == '_' ? '-' : n;
            t.len = 2;
            if (n == '\r' || n == '\n') {  // an escaped line end is a paragraph mark
                t.kind = RtfToken::Word;
                t.word = "par";
            }
        }
        f(t);
        i += t.len;
    }
}

}  // namespace

std::string rich_plain_text(std::string_view rtf) {
    std::string out;
    std::vector<int> uc{1};
    int pending_skip = 0;  // fallback characters still to drop after \uN
    auto emit = [&](char c) {
        if (pending_skip > 0) --pending_skip;
        else out += c;
    };
    rtf_scan(rtf, [&](const RtfToken& t) {
        if (t.kind == RtfToken::Other && t.len == 1 && (rtf[t.pos] == '{' || rtf[t.pos] == '}')) {
            if (rtf[t.pos] == '{') uc.push_back(uc.back());
            else if (uc.size() > 1) uc.pop_back();
            return;
        }
        if (t.skipped) return;
        switch (t.kind) {
        case RtfToken::Text: case RtfToken::Hex: case RtfToken::Symbol: emit(t.byte); break;
        case RtfToken::Word:
            if (t.word == "par" || t.word == "line" || t.word == "row") {
                emit('\r');
                emit('\n');
            } else if (t.word == "uc") {
                uc.back() = static_cast<int>(t.num);
            } else if (t.word == "u" && t.has_num) {
                // A character of the code page stands for itself; any other is read from the
                // writer's own stand-in that follows (an en dash's \'96), as other readers do.
                long u = t.num < 0 ? t.num + 65536 : t.num;
                if (int b = letters_1252_of(static_cast<unsigned long>(u)); b >= 0) {
                    emit(static_cast<char>(b));
                    pending_skip = uc.back();
                }
            } else if (int ch = named_char(t.word); ch >= 0) {
                emit(static_cast<char>(ch));
            }
            break;
        default: break;
        }
    });
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

std::string rich_rtf_change_case(std::string_view rtf, bool upper) {
    static const char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(rtf.size());
    rtf_scan(rtf, [&](const RtfToken& t) {
        unsigned char b = static_cast<unsigned char>(t.byte);
        unsigned char to = upper ? to_upper_1252(b) : to_lower_1252(b);
        if (t.skipped || to == b || (t.kind != RtfToken::Text && t.kind != RtfToken::Hex)) {
            out.append(rtf.substr(t.pos, t.len));
        } else if (t.kind == RtfToken::Text) {
            out += static_cast<char>(to);
        } else {
            out += "\\'";
            out += hex[to >> 4];
            out += hex[to & 15];
        }
    });
    return out;
}

std::string rich_too_large_text(const std::string& name, uint64_t bytes) {
    auto mb = [](uint64_t b) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.1f MB", static_cast<double>(b) / 1e6);
        return std::string(buf);
    };
    return name + " (" + mb(bytes) + ") is too large for a rich text window; it holds at most " + mb(kRichMaxFileBytes) + ".";
}

RichCost rich_cost(std::string_view rtf, bool wrap) {
    // Measured under Wine: about 2.5 to 3 KB a paragraph, 20 to 40 bytes a byte of the document,
    // and, wrapped, about a quarter of a byte for each pair of characters of one paragraph.
    constexpr uint64_t kPerParagraph = 3 << 10, kPerByte = 40;
    RichCost c;
    uint64_t para_chars = 0, rows = 0;
    auto end_paragraph = [&] {
        ++c.paragraphs;
        if (wrap) rows += para_chars * para_chars / 4;
        para_chars = 0;
    };
    rtf_scan(rtf, [&](const RtfToken& t) {
        if (t.skipped) return;
        if (t.kind == RtfToken::Word && (t.word == "par" || t.word == "row" || t.word == "cell" || t.word == "sect" ||
                                         t.word == "page"))
            end_paragraph();
        else if (t.kind == RtfToken::Text || t.kind == RtfToken::Hex || t.kind == RtfToken::Symbol ||
                 (t.kind == RtfToken::Word && t.word == "u"))
            ++para_chars;
    });
    end_paragraph();
    c.bytes = c.paragraphs * kPerParagraph + static_cast<uint64_t>(rtf.size()) * kPerByte + rows;
    return c;
}

std::string rich_too_costly_text(const std::string& name, const RichCost& cost, uint64_t in_use) {
    auto mb = [](uint64_t b) { return std::to_string((b + (1 << 19)) >> 20) + " MB"; };
    std::string t = name + " is too large for a rich text window: its " + std::to_string(cost.paragraphs) +
                    (cost.paragraphs == 1 ? " paragraph" : " paragraphs") + " would take about " + mb(cost.bytes) +
                    " of memory, and the rich text windows may take " + mb(kRichCostBudget) + " together";
    if (in_use > 0) t += " (those open take " + mb(in_use) + ")";
    return t + ".";
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


#include "base/record.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace rec {

namespace {

constexpr int kMaxDepth = 32;  // lists nest this deep at most; deeper input is refused

bool is_name_start(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; }
bool is_name_char(unsigned char c) { return is_name_start(c) || (c >= '0' && c <= '9'); }
bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }

int hex_digit(unsigned char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string FieldView::text() const {
    if (kind != Kind::Str) return {};
    if (!escaped) return std::string(raw);
    std::string out;
    out.reserve(raw.size());
    for (size_t k = 0; k < raw.size(); ++k) {
        char c = raw[k];
        if (c != '\\' || k + 1 >= raw.size()) {
            out.push_back(c);
            continue;
        }
        char e = raw[++k];
        switch (e) {
        case 'n': out.push_back('\n'); break;
        case 'r': out.push_back('\r'); break;
        case 't': out.push_back('\t'); break;
        case 'x':  // validated by the reader: two hex digits follow
            out.push_back(static_cast<char>(hex_digit(raw[k + 1]) * 16 + hex_digit(raw[k + 2])));
            k += 2;
            break;
        default: out.push_back(e); break;  // \\ and \"
        }
    }
    return out;
}

std::vector<const FieldView*> RecordView::list(size_t n) const {
    std::vector<const FieldView*> out;
    size_t at = top[n];
    const FieldView& l = fields[at];
    if (l.kind != Kind::List) return out;
    size_t k = at + 1;
    for (uint32_t e = 0; e < l.count; ++e) {
        out.push_back(&fields[k]);
        k += fields[k].span;
    }
    return out;
}

bool Reader::fail(const char* msg) {
    failed_ = true;
    error_.line = line_;
    error_.message = msg;
    return false;
}

void Reader::skip_blanks() {
    while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
}

bool Reader::parse_field(RecordView& out, int depth) {
    skip_blanks();
    if (pos_ >= text_.size()) return fail("unexpected end of file");
    const char* p = text_.data();
    unsigned char c = static_cast<unsigned char>(p[pos_]);
    size_t self = out.fields.size();
    if (keep_) out.fields.emplace_back();
    // Fields of a record whose fields are not wanted are checked in a scratch field.
    auto field = [&]() -> FieldView& { return keep_ ? out.fields[self] : scratch_; };
    if (c == '"') {
        size_t start = ++pos_;
        bool escaped = false;
        for (;;) {
            // Find the next quote or backslash quickly; line ends inside strings are malformed.
            size_t k = pos_;
            while (k < text_.size()) {
                char d = p[k];
                if (d == '"' || d == '\\' || d == '\n' || d == '\r') break;
                ++k;
            }
            pos_ = k;
            if (pos_ >= text_.size() || p[pos_] == '\n' || p[pos_] == '\r') return fail("unterminated string");
            if (p[pos_] == '"') break;
            escaped = true;
            if (pos_ + 1 >= text_.size()) return fail("unterminated string");
            char e = p[pos_ + 1];
            if (e == 'x') {
                if (pos_ + 3 >= text_.size() || hex_digit(p[pos_ + 2]) < 0 || hex_digit(p[pos_ + 3]) < 0)
                    return fail("bad \\x escape in string");
                pos_ += 4;
            } else if (e == '\\' || e == '"' || e == 'n' || e == 'r' || e == 't') {
                pos_ += 2;
            } else {
                return fail("unknown escape in string");
            }
        }
        FieldView& f = field();
        f.kind = Kind::Str;
        f.escaped = escaped;
        f.raw = std::string_view(p + start, pos_ - start);
        ++pos_;
        return true;
    }
    if (c == '[') {
        if (depth >= kMaxDepth) return fail("lists nested too deeply");
        ++pos_;
        uint32_t count = 0;
        skip_blanks();
        if (pos_ < text_.size() && p[pos_] == ']') {
            ++pos_;
        } else {
            for (;;) {
                if (!parse_field(out, depth + 1)) return false;
                ++count;
                skip_blanks();
                if (pos_ >= text_.size()) return fail("unterminated list");
                if (p[pos_] == ',') { ++pos_; continue; }
                if (p[pos_] == ']') { ++pos_; break; }
                return fail("expected ',' or ']' in list");
            }
        }
        FieldView& f = field();
        f.kind = Kind::List;
        f.count = count;
        f.span = static_cast<uint32_t>(out.fields.size() - self);
        return true;
    }
    if (c == '-' || c == '+' || is_digit(c)) {
        size_t start = pos_;
        bool neg = c == '-';
        if (c == '-' || c == '+') ++pos_;
        if (pos_ >= text_.size() || !is_digit(static_cast<unsigned char>(p[pos_]))) return fail("bad number");
        uint64_t v = 0;
        bool overflow = false;
        while (pos_ < text_.size() && is_digit(static_cast<unsigned char>(p[pos_]))) {
            unsigned d = static_cast<unsigned>(p[pos_] - '0');
            if (v > (UINT64_C(9223372036854775807) - d) / 10) overflow = true;
            else v = v * 10 + d;
            ++pos_;
        }
        bool real = false;
        if (pos_ < text_.size() && p[pos_] == '.') {
            real = true;
            ++pos_;
            while (pos_ < text_.size() && is_digit(static_cast<unsigned char>(p[pos_]))) ++pos_;
        }
        if (pos_ < text_.size() && (p[pos_] == 'e' || p[pos_] == 'E')) {
            real = true;
            ++pos_;
            if (pos_ < text_.size() && (p[pos_] == '-' || p[pos_] == '+')) ++pos_;
            if (pos_ >= text_.size() || !is_digit(static_cast<unsigned char>(p[pos_]))) return fail("bad number");
            while (pos_ < text_.size() && is_digit(static_cast<unsigned char>(p[pos_]))) ++pos_;
        }
        FieldView& f = field();
        if (real) {
            char buf[64];
            size_t n = pos_ - start;
            if (n >= sizeof buf) return fail("number too long");
            std::memcpy(buf, p + start, n);
            buf[n] = 0;
            f.kind = Kind::Real;
            f.r = std::strtod(buf, nullptr);
            if (!std::isfinite(f.r)) return fail("number out of range");
        } else {
            if (overflow) return fail("number out of range");
            f.kind = Kind::Int;
            f.i = neg ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
        }
        return true;
    }
    return fail("expected a number, string or list");
}

bool Reader::next(RecordView& out) {
    if (failed_) return false;
    const char* p = text_.data();
    for (;;) {
        if (pos_ >= text_.size()) return false;
        ++line_;
        skip_blanks();
        // Empty line (LF or CRLF).
        if (pos_ < text_.size() && (p[pos_] == '\n' || p[pos_] == '\r')) {
            if (p[pos_] == '\r') {
                ++pos_;
                if (pos_ >= text_.size() || p[pos_] != '\n') return fail("stray carriage return");
            }
            ++pos_;
            continue;
        }
        if (pos_ >= text_.size()) return false;
        out.fields.clear();
        out.top.clear();
        out.line = line_;
        size_t ns = pos_;
        if (!is_name_start(static_cast<unsigned char>(p[pos_]))) return fail("expected a record name");
        while (pos_ < text_.size() && is_name_char(static_cast<unsigned char>(p[pos_]))) ++pos_;
        out.name = std::string_view(p + ns, pos_ - ns);
        keep_ = !wanted_ || wanted_(out.name);
        skip_blanks();
        if (pos_ >= text_.size() || p[pos_] != '(') return fail("expected '(' after the record name");
        ++pos_;
        skip_blanks();
        if (pos_ < text_.size() && p[pos_] == ')') {
            ++pos_;
        } else {
            for (;;) {
                if (keep_) out.top.push_back(static_cast<uint32_t>(out.fields.size()));
                if (!parse_field(out, 0)) return false;
                skip_blanks();
                if (pos_ >= text_.size()) return fail("unexpected end of file");
                if (p[pos_] == ',') { ++pos_; continue; }
                if (p[pos_] == ')') { ++pos_; break; }
                return fail("expected ',' or ')'");
            }
        }
        raw_ = std::string_view(p + ns, pos_ - ns);
        skip_blanks();
        if (pos_ < text_.size()) {
            if (p[pos_] == '\r') {
                ++pos_;
                if (pos_ >= text_.size() || p[pos_] != '\n') return fail("unexpected text after the record");
                ++pos_;
            } else if (p[pos_] == '\n') {
                ++pos_;
            } else {
                return fail("unexpected text after the record");
            }
        }
        return true;
    }
}

Value to_value_at(const RecordView& rv, size_t at) {
    const FieldView& f = rv.fields[at];
    switch (f.kind) {
    case Kind::Int: return Value(f.i);
    case Kind::Real: return Value(f.r);
    case Kind::Str: return Value(f.text());
    case Kind::List: {
        std::vector<Value> items;
        items.reserve(f.count);
        size_t k = at + 1;
        for (uint32_t e = 0; e < f.count; ++e) {
            items.push_back(to_value_at(rv, k));
            k += rv.fields[k].span;
        }
        return Value::list(std::move(items));
    }
    }
    return {};
}

Value to_value(const RecordView& rv, size_t arg) { return to_value_at(rv, rv.top[arg]); }

Record to_record(const RecordView& rv) {
    Record r;
    r.name = std::string(rv.name);
    r.args.reserve(rv.arity());
    for (size_t k = 0; k < rv.arity(); ++k) r.args.push_back(to_value(rv, k));
    return r;
}

namespace {

// Bytes written as they are: printable ones and the hypertext markers 11, 14 and 15.
struct PlainBytes {
    bool plain[256];
    constexpr PlainBytes() : plain() {
        for (int c = 0; c < 256; ++c) plain[c] = (c >= 32 || c == 11 || c == 14 || c == 15) && c != '\\' && c != '"';
    }
};
constexpr PlainBytes kPlain;

}  // namespace

void write_string(std::string& out, std::string_view s) {
    out.push_back('"');
    // Runs of plain bytes are copied whole: saving is mostly copying texts.
    size_t k = 0;
    while (k < s.size()) {
        size_t e = k;
        while (e < s.size() && kPlain.plain[static_cast<unsigned char>(s[e])]) ++e;
        out.append(s.data() + k, e - k);
        if (e == s.size()) break;
        k = e + 1;
        unsigned char c = static_cast<unsigned char>(s[e]);
        switch (c) {
        case '\\': out += "\\\\"; break;
        case '"': out += "\\\""; break;
        case '\r': out += "\\r"; break;
        case '\n': out += "\\n"; break;
        case '\t': out += "\\t"; break;
        default:
            // Hypertext markers 11, 14 and 15 stay raw; other control bytes are escaped.
            if (c < 32 && c != 11 && c != 14 && c != 15) {
                static const char hex[] = "0123456789ABCDEF";
                out += "\\x";
                out.push_back(hex[c >> 4]);
                out.push_back(hex[c & 15]);
            }
        }
    }
    out.push_back('"');
}

std::string escape(std::string_view s) {
    std::string out;
    write_string(out, s);
    return out.substr(1, out.size() - 2);
}

void write_real(std::string& out, double d) {
    if (!std::isfinite(d)) d = 0;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.15g", d);
    if (std::strtod(buf, nullptr) != d) std::snprintf(buf, sizeof buf, "%.17g", d);
    out += buf;
    if (!std::strpbrk(buf, ".e")) out += ".0";
}

void write_value(std::string& out, const Value& v) {
    switch (v.kind) {
    case Kind::Int: {
        char buf[24];
        int n = std::snprintf(buf, sizeof buf, "%lld", static_cast<long long>(v.i));
        out.append(buf, static_cast<size_t>(n));
        break;
    }
    case Kind::Real: write_real(out, v.r); break;
    case Kind::Str: write_string(out, v.s); break;
    case Kind::List:
        out.push_back('[');
        for (size_t k = 0; k < v.items.size(); ++k) {
            if (k) out.push_back(',');
            write_value(out, v.items[k]);
        }
        out.push_back(']');
        break;
    }
}

void write(std::string& out, const Record& r) {
    out += r.name;
    out.push_back('(');
    for (size_t k = 0; k < r.args.size(); ++k) {
        if (k) out.push_back(',');
        write_value(out, r.args[k]);
    }
    out += ")\r\n";
}

bool parse_all(std::string_view text, std::vector<Record>& out, ParseError* err) {
    Reader rd(text);
    RecordView rv;
    while (rd.next(rv)) out.push_back(to_record(rv));
    if (rd.failed()) {
        if (err) *err = rd.error();
        return false;
    }
    return true;
}

bool parse_keeping(std::string_view text, std::vector<Record>& out, std::vector<std::string>& refused, ParseError* err) {
    const size_t first_out = out.size();
    if (parse_all(text, out, err)) return true;
    out.resize(first_out);
    bool first = true;
    uint32_t line_no = 0;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        ++line_no;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const size_t before = out.size();
        ParseError pe;
        if (parse_all(line, out, &pe)) continue;
        out.resize(before);
        refused.emplace_back(line);
        if (first && err) *err = {line_no, pe.message};
        first = false;
    }
    return first;
}

}  // namespace rec

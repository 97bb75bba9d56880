#include "text/text_model.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "base/hypertext.h"
#include "base/letters.h"
#include "base/util.h"

namespace {

bool is_marker(char ch) { return ch == kFieldStart || ch == kFieldSep || ch == kFieldEnd; }

// Scans fields from the text's start: calls f(field) for each complete one.
template <class F> void each_field(std::string_view t, F&& f) {
    size_t i = 0;
    while (i < t.size()) {
        size_t s = t.find(kFieldStart, i);
        if (s == std::string_view::npos) return;
        size_t sep = t.find_first_of(std::string_view("\x0b\x0e", 2), s + 1);
        if (sep == std::string_view::npos) return;
        if (t[sep] != kFieldSep) { i = sep; continue; }  // a stray start marker
        size_t end = t.find_first_of(std::string_view("\x0b\x0f", 2), sep + 1);
        if (end == std::string_view::npos) return;
        if (t[end] != kFieldEnd) { i = end; continue; }
        f(Field{s, sep, end});
        i = end + 1;
    }
}

// Removes stray markers; with `plain` every marker, so that nothing nests inside a field.
std::string sanitize(std::string_view s, bool plain) {
    if (s.find_first_of(std::string_view("\x0b\x0e\x0f", 3)) == std::string_view::npos) return std::string(s);
    std::vector<bool> keep(s.size(), !plain);
    if (!plain) {
        for (size_t i = 0; i < s.size(); ++i)
            if (is_marker(s[i])) keep[i] = false;
        each_field(s, [&](const Field& f) { keep[f.start] = keep[f.sep] = keep[f.end] = true; });
    }
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i)
        if (keep[i] || !is_marker(s[i])) out += s[i];
    return out;
}

// Row-walking state: inside a field, inside its hidden text.
struct HiddenState {
    bool field = false, hidden = false;
    // Whether character ch is shown, advancing the state.
    bool step(char ch) {
        if (ch == kFieldStart) { field = true; hidden = false; return false; }
        if (ch == kFieldSep && field) { hidden = true; return false; }
        if (ch == kFieldEnd && field) { field = hidden = false; return false; }
        return !hidden && !is_marker(ch);
    }
};

int char_width(char ch, int x, const std::array<int, 256>& widths, int tab) {
    if (ch == '\t') return tab > 0 ? tab - x % tab : 0;
    return widths[static_cast<unsigned char>(ch)];
}

}  // namespace

std::optional<Field> field_at(std::string_view t, size_t c) {
    if (c > t.size()) c = t.size();
    size_t s = std::string_view::npos;
    for (size_t i = c; i-- > 0;) {
        if (t[i] == kFieldEnd) return std::nullopt;
        if (t[i] == kFieldStart) { s = i; break; }
    }
    if (s == std::string_view::npos) return std::nullopt;
    size_t sep = t.find_first_of(std::string_view("\x0b\x0e", 2), s + 1);
    if (sep == std::string_view::npos || t[sep] != kFieldSep) return std::nullopt;
    size_t end = t.find_first_of(std::string_view("\x0b\x0f", 2), sep + 1);
    if (end == std::string_view::npos || t[end] != kFieldEnd || c > end) return std::nullopt;
    return Field{s, sep, end};
}

std::vector<Field> fields_of(std::string_view t) {
    std::vector<Field> out;
    each_field(t, [&](const Field& f) { out.push_back(f); });
    return out;
}

std::string strip_fields(std::string_view t) { return tw_strip_hyperlinks(t); }

std::vector<bool> visible_mask(std::string_view t) {
    std::vector<bool> m(t.size());
    HiddenState st;
    for (size_t i = 0; i < t.size(); ++i) m[i] = st.step(t[i]);
    return m;
}

// ---- Layout.

Layout layout_rows(std::string_view t, const std::array<int, 256>& widths, int wrap, int tab) {
    Layout l;
    l.starts.reserve(t.size() / 32 + 1);
    l.starts.push_back(0);
    l.starts_hidden.push_back(0);
    HiddenState st;
    int x = 0;
    size_t row = 0, brk = std::string_view::npos;  // brk: just after the last blank of the row
    int x_at_brk = 0;
    HiddenState st_at_brk;
    const char* p = t.data();
    const size_t n = t.size();
    auto new_row = [&](size_t at, const HiddenState& s) {
        l.starts.push_back(at);
        l.starts_hidden.push_back(static_cast<uint8_t>((s.hidden ? 1 : 0) | (s.field ? 2 : 0)));
        row = at;
        brk = std::string_view::npos;
    };
    for (size_t i = 0; i < n; ++i) {
        const char ch = p[i];
        const bool shown = st.step(ch);
        if (!shown) continue;
        if (ch == '\n' || ch == '\r') {
            if (ch == '\r' && i + 1 < n && p[i + 1] == '\n') ++i;
            new_row(i + 1, st);
            x = 0;
            continue;
        }
        int w = char_width(ch, x, widths, tab);
        if (wrap > 0 && x + w > wrap && i > row) {
            if (brk != std::string_view::npos && brk > row && brk <= i) {
                x -= x_at_brk;
                new_row(brk, st_at_brk);
            } else {
                new_row(i, st);
                x = 0;
            }
            w = char_width(ch, x, widths, tab);
        }
        x += w;
        if (ch == ' ' || ch == '\t') {
            brk = i + 1;
            x_at_brk = x;
            st_at_brk = st;
        }
    }
    return l;
}

size_t Layout::row_end(std::string_view t, size_t r) const {
    size_t s = starts[r], e = r + 1 < starts.size() ? starts[r + 1] : t.size();
    if (e > s && t[e - 1] == '\n') --e;
    if (e > s && t[e - 1] == '\r') --e;
    return e;
}

size_t Layout::row_of(size_t index) const {
    auto it = std::upper_bound(starts.begin(), starts.end(), index);
    return static_cast<size_t>(it - starts.begin()) - 1;
}

int layout_x(std::string_view t, const Layout& l, size_t c, const std::array<int, 256>& widths, int tab) {
    size_t r = l.row_of(c);
    HiddenState st;
    st.field = l.starts_hidden[r] != 0;
    st.hidden = (l.starts_hidden[r] & 1) != 0;
    int x = 0;
    for (size_t i = l.starts[r]; i < c && i < t.size(); ++i)
        if (st.step(t[i])) x += char_width(t[i], x, widths, tab);
    return x;
}

int layout_widest(std::string_view t, const Layout& l, const std::array<int, 256>& widths, int tab) {
    int widest = 0;
    for (size_t r = 0; r < l.starts.size(); ++r) {
        size_t e = l.row_end(t, r);
        widest = std::max(widest, e > l.starts[r] ? layout_x(t, l, e, widths, tab) : 0);
    }
    return widest;
}

size_t layout_hit(std::string_view t, const Layout& l, size_t r, int x, const std::array<int, 256>& widths, int tab) {
    size_t s = l.starts[r], e = l.row_end(t, r);
    HiddenState st;
    st.field = l.starts_hidden[r] != 0;
    st.hidden = (l.starts_hidden[r] & 1) != 0;
    int cx = 0;
    size_t last = s;
    for (size_t i = s; i < e; ++i) {
        if (!st.step(t[i])) continue;
        int w = char_width(t[i], cx, widths, tab);
        if (x < cx + w / 2) return last;
        cx += w;
        last = i + 1;
    }
    return e;
}

// ---- Hidden texts.

std::string encode_hidden(int code, std::string_view arg) { return util_two_digits(code) + std::string(arg); }

const std::vector<FieldAction>& field_actions() {
    static const std::vector<FieldAction> t = {
        {15, "Activate ID*"},  {7, "Clone fr File*"},   {31, "DDE Execute*"}, {29, "DDE Open File*"},
        {32, "DDE Request*"},  {25, "Gosub Lev ID*"},   {11, "Goto Lev ID*"}, {12, "No Action"},
        {6, "Open Vornfile*"}, {19, "Open Checklist*"}, {39, "Open File*"},   {37, "Open Helpfile*"},
        {24, "Play File*"},
    };
    return t;
}

std::optional<size_t> field_action_index(int code) {
    const auto& t = field_actions();
    for (size_t k = 0; k < t.size(); ++k)
        if (t[k].code == code) return k;
    return std::nullopt;
}

Hidden decode_hidden(std::string_view h) {
    if (h.empty()) return {12, ""};
    if (h.size() >= 2 && std::isdigit(static_cast<unsigned char>(h[0])) && std::isdigit(static_cast<unsigned char>(h[1]))) {
        int code = (h[0] - '0') * 10 + (h[1] - '0');
        if (field_action_index(code)) return {code, std::string(h.substr(2))};
    }
    return {15, std::string(h)};
}

// ---- The model.

TextModel::TextModel(std::string text) { set_text(std::move(text)); }

void TextModel::set_text(std::string text) {
    text_ = sanitize(text, false);
    caret_ = anchor_ = 0;
    undo_.clear();
    redo_.clear();
    modified_ = false;
    ++version_;
}

void TextModel::set_caret(size_t c, bool extend) {
    caret_ = std::min(c, text_.size());
    if (!extend) anchor_ = caret_;
}

void TextModel::select(size_t a, size_t c) {
    anchor_ = std::min(a, text_.size());
    caret_ = std::min(c, text_.size());
}

bool TextModel::visible(size_t i) const {
    if (i >= text_.size() || is_marker(text_[i])) return false;
    for (size_t j = i; j-- > 0;) {
        char ch = text_[j];
        if (ch == kFieldEnd || ch == kFieldStart) return true;
        if (ch == kFieldSep) {
            for (size_t k = j; k-- > 0;) {
                if (text_[k] == kFieldStart) return false;
                if (text_[k] == kFieldEnd || text_[k] == kFieldSep) return true;
            }
            return true;
        }
    }
    return true;
}

std::optional<size_t> TextModel::next_visible(size_t c) const {
    if (c >= text_.size()) return std::nullopt;
    if (visible(c)) return c;
    // Walk forward with the state the position is in.
    auto f = field_at(text_, c);
    HiddenState st;
    st.field = f.has_value();
    st.hidden = f && f->sep < c;
    for (size_t v = c; v < text_.size(); ++v)
        if (st.step(text_[v])) return v;
    return std::nullopt;
}

size_t TextModel::next_stop(size_t c) const {
    auto v = next_visible(c);
    if (!v) return text_.size();
    if (text_[*v] == '\r' && *v + 1 < text_.size() && text_[*v + 1] == '\n') return *v + 2;
    return *v + 1;
}

size_t TextModel::prev_stop(size_t c) const {
    if (c > text_.size()) c = text_.size();
    if (c == 0) return 0;
    size_t v = c - 1;
    while (v > 0 && !visible(v - 1)) --v;
    // v is now a stop below c (just after a shown character, or 0).
    if (v == c) return 0;
    if (v > 0 && text_[v - 1] == '\r' && v < text_.size() && text_[v] == '\n') --v;
    if (v >= c) return v > 0 ? v - 1 : 0;
    return v;
}

bool TextModel::is_word_char(size_t i) const {
    if (i >= text_.size()) return false;
    unsigned char ch = static_cast<unsigned char>(text_[i]);
    return (is_word_letter(ch) || (ch >= '0' && ch <= '9') || ch == '_' || ch == '\'') && visible(i);
}

size_t TextModel::word_right(size_t c) const {
    size_t n = text_.size(), i = std::min(c, n);
    if (i < n && (text_[i] == '\r' || text_[i] == '\n')) return next_stop(i);
    while (i < n && (is_word_char(i) || is_marker(text_[i]) || !visible(i)) && text_[i] != '\n' && text_[i] != '\r') {
        if (!is_word_char(i) && visible(i)) break;
        ++i;
    }
    while (i < n && !is_word_char(i) && text_[i] != '\n' && text_[i] != '\r') ++i;
    return i;
}

size_t TextModel::word_left(size_t c) const {
    size_t i = std::min(c, text_.size());
    if (i > 0 && (text_[i - 1] == '\n' || text_[i - 1] == '\r')) return prev_stop(i);
    while (i > 0 && !is_word_char(i - 1) && text_[i - 1] != '\n' && text_[i - 1] != '\r') --i;
    while (i > 0 && (is_word_char(i - 1) || !visible(i - 1)) && text_[i - 1] != '\n' && text_[i - 1] != '\r') --i;
    // Never stop inside the markers before a word.
    while (i < c && !visible(i) && i < text_.size() && !is_word_char(i)) ++i;
    return i;
}

std::optional<std::pair<size_t, size_t>> TextModel::word_at(size_t c) const {
    c = std::min(c, text_.size());
    size_t a = c;
    if (!is_word_char(a)) {
        if (a == 0 || !is_word_char(a - 1)) return std::nullopt;
    }
    while (a > 0 && is_word_char(a - 1)) --a;
    size_t b = std::max(a, c);
    while (is_word_char(b)) ++b;
    if (b == a) return std::nullopt;
    return std::make_pair(a, b);
}

void TextModel::apply(size_t pos, size_t len, std::string_view with) {
    text_.replace(pos, len, with);
    modified_ = true;
    ++version_;
}

void TextModel::replace(size_t pos, size_t len, std::string_view with, bool typing) {
    pos = std::min(pos, text_.size());
    len = std::min(len, text_.size() - pos);
    if (len == 0 && with.empty()) return;
    const int group = group_depth_ > 0 ? group_id_ : 0;
    Edit e{pos, text_.substr(pos, len), std::string(with), caret_, anchor_, pos + with.size(), group, typing};
    redo_.clear();
    if (typing && group == 0 && len == 0 && !undo_.empty()) {
        Edit& last = undo_.back();
        if (last.typing && last.group == 0 && last.removed.empty() && last.pos + last.inserted.size() == pos &&
            with != "\r\n" && last.inserted.find('\n') == std::string::npos) {
            last.inserted.append(with);
            last.caret_after = pos + with.size();
            apply(pos, 0, with);
            caret_ = anchor_ = pos + with.size();
            return;
        }
    }
    undo_.push_back(std::move(e));
    apply(pos, len, with);
    caret_ = anchor_ = pos + with.size();
}

void TextModel::begin_group() {
    if (group_depth_++ == 0) group_id_ = next_group_++;
}

void TextModel::end_group() {
    if (group_depth_ > 0) --group_depth_;
}

bool TextModel::undo() {
    if (undo_.empty()) return false;
    const int group = undo_.back().group;
    size_t caret = 0, anchor = 0;
    do {
        Edit e = std::move(undo_.back());
        undo_.pop_back();
        apply(e.pos, e.inserted.size(), e.removed);
        caret = e.caret_before;
        anchor = e.anchor_before;
        redo_.push_back(std::move(e));
    } while (group != 0 && !undo_.empty() && undo_.back().group == group);
    select(anchor, caret);
    return true;
}

bool TextModel::redo() {
    if (redo_.empty()) return false;
    const int group = redo_.back().group;
    size_t caret = 0;
    do {
        Edit e = std::move(redo_.back());
        redo_.pop_back();
        apply(e.pos, e.removed.size(), e.inserted);
        caret = e.caret_after;
        undo_.push_back(std::move(e));
    } while (group != 0 && !redo_.empty() && redo_.back().group == group);
    set_caret(caret);
    return true;
}

// What stays of [a, b) when its shown characters are deleted: the markers and hidden texts
// of fields that reach outside the range; fields wholly inside go.
static std::string kept_part(std::string_view t, size_t a, size_t b) {
    std::string kept;
    auto f0 = field_at(t, a);
    size_t i = a;
    auto keep_tail = [&](const Field& f) {
        // The field began before a: keep its separator, hidden text and end marker in range.
        size_t from = std::max(f.sep, a);
        if (from < b) kept.append(t.substr(from, std::min(f.end + 1, b) - from));
        i = f.end + 1;
    };
    if (f0 && f0->start < a) keep_tail(*f0);
    while (i < b) {
        size_t s = t.find(kFieldStart, i);
        if (s == std::string_view::npos || s >= b) break;
        auto f = field_at(t, s + 1);
        if (!f) { i = s + 1; continue; }
        if (f->end < b) { i = f->end + 1; continue; }  // wholly inside: goes
        kept += kFieldStart;  // reaches past b: its markers and hidden text stay
        if (f->sep < b) kept.append(t.substr(f->sep, b - f->sep));
        i = b;
    }
    return kept;
}

// A field around p whose shown text is empty (it could be neither seen nor clicked).
static std::optional<Field> empty_field_near(std::string_view t, size_t p) {
    auto f = field_at(t, std::min(p, t.size()));
    if (!f && p < t.size()) f = field_at(t, p + 1);
    if (f && f->sep == f->start + 1) return f;
    return std::nullopt;
}

void TextModel::insert_text(std::string_view s, bool typing) {
    size_t a = sel_start(), b = sel_end();
    auto place = [&](size_t c) {
        auto f = field_at(text_, c);
        if (f && f->sep < c) c = f->end + 1;  // never into a hidden text
        f = field_at(text_, c);
        return std::make_pair(c, sanitize(s, f.has_value()));
    };
    if (a == b) {
        auto [c, ins] = place(a);
        replace(c, 0, ins, typing);
        return;
    }
    begin_group();
    replace(a, b - a, kept_part(text_, a, b));
    auto [c, ins] = place(a);
    replace(c, 0, ins);
    if (ins.empty()) {
        if (auto f = empty_field_near(text_, a)) replace(f->start, f->end - f->start + 1, "");
        else set_caret(a);
    }
    end_group();
}

void TextModel::delete_forward() {
    if (has_selection()) {
        insert_text("");
        return;
    }
    size_t c = caret_;
    auto v = next_visible(c);
    if (!v) return;
    size_t len = text_[*v] == '\r' && *v + 1 < text_.size() && text_[*v + 1] == '\n' ? 2 : 1;
    begin_group();
    replace(*v, len, "");
    if (auto f = empty_field_near(text_, *v)) replace(f->start, f->end - f->start + 1, "");
    end_group();
    set_caret(std::min(c, text_.size()));
}

void TextModel::delete_back() {
    if (has_selection()) {
        insert_text("");
        return;
    }
    size_t c = caret_;
    if (c == 0) return;
    size_t v = c - 1;  // the shown character that ends at c, hidden ones after it skipped
    while (v > 0 && !visible(v)) --v;
    if (!visible(v)) return;
    size_t len = 1;
    if (text_[v] == '\n' && v > 0 && text_[v - 1] == '\r') { --v; len = 2; }
    begin_group();
    replace(v, len, "");
    size_t at = v;
    if (auto f = empty_field_near(text_, v)) {
        replace(f->start, f->end - f->start + 1, "");
        at = f->start;
    }
    end_group();
    set_caret(at);
}

void TextModel::change_case(bool upper) {
    size_t a = sel_start(), b = sel_end();
    if (a == b) return;
    std::string s = text_.substr(a, b - a);
    HiddenState st;
    st.field = field_at(text_, a).has_value();
    st.hidden = st.field && field_at(text_, a)->sep < a;
    for (char& ch : s) {
        if (!st.step(ch)) continue;
        unsigned char u = static_cast<unsigned char>(ch);
        ch = static_cast<char>(upper ? to_upper_1252(u) : to_lower_1252(u));
    }
    if (s == text_.substr(a, b - a)) return;
    size_t an = anchor_, ca = caret_;
    replace(a, b - a, s);
    select(an, ca);
}

bool TextModel::make_field(std::string_view hidden) {
    size_t a = sel_start(), b = sel_end();
    if (a == b) return false;
    for (const Field& f : fields_of(text_))
        if (f.start < b && a <= f.end) return false;
    if (text_.find_first_of(std::string_view("\x0b\x0e\x0f", 3), a) < b) return false;
    std::string h = sanitize(hidden, true);
    begin_group();
    replace(b, 0, std::string(1, kFieldSep) + h + kFieldEnd);
    replace(a, 0, std::string(1, kFieldStart));
    end_group();
    set_caret(b + 3 + h.size());
    return true;
}

bool TextModel::delete_field_at_caret() {
    auto f = field_at(text_, caret_);
    if (!f) return false;
    begin_group();
    replace(f->sep, f->end - f->sep + 1, "");
    replace(f->start, 1, "");
    end_group();
    set_caret(f->sep - 1);
    return true;
}

void TextModel::strip_all_fields() {
    std::string s = strip_fields(text_);
    if (s == text_) return;
    replace(0, text_.size(), s);
    set_caret(0);
}

namespace {

// Matches of one search over a text, its shown characters worked out once.
class Matcher {
public:
    Matcher(std::string_view text, std::string_view what, bool match_case, bool whole_word)
        : t_(text), what_(what), case_(match_case), whole_(whole_word), m_(visible_mask(text)) {}

    bool at(size_t p) const {
        for (size_t k = 0; k < what_.size(); ++k)
            if (!m_[p + k] || fold(t_[p + k]) != fold(what_[k])) return false;
        return !whole_ || !((p > 0 && word(p - 1)) || (p + what_.size() < t_.size() && word(p + what_.size())));
    }

private:
    char fold(char c) const { return case_ ? c : static_cast<char>(to_lower_1252(static_cast<unsigned char>(c))); }
    bool word(size_t i) const {
        unsigned char ch = static_cast<unsigned char>(t_[i]);
        return m_[i] && (is_word_letter(ch) || (ch >= '0' && ch <= '9') || ch == '_');
    }

    std::string_view t_, what_;
    bool case_, whole_;
    std::vector<bool> m_;
};

}  // namespace

std::optional<size_t> TextModel::find(std::string_view what, size_t from, bool down, bool match_case,
                                      bool whole_word) const {
    if (what.empty() || what.size() > text_.size()) return std::nullopt;
    Matcher match(text_, what, match_case, whole_word);
    const size_t last = text_.size() - what.size();
    if (down) {
        for (size_t p = std::min(from, text_.size()); p <= last; ++p)
            if (match.at(p)) return p;
    } else {
        for (size_t p = std::min(from, last + 1); p-- > 0;)
            if (match.at(p)) return p;
    }
    return std::nullopt;
}

size_t TextModel::replace_all(std::string_view what, std::string_view with, bool match_case, bool whole_word) {
    if (what.empty() || what.size() > text_.size()) return 0;
    // One pass over the text and one edit: a match never rescans or shifts the whole text.
    Matcher match(text_, what, match_case, whole_word);
    const std::string w = sanitize(with, true);
    std::string out;
    size_t n = 0, first = 0, done = 0;
    for (size_t p = 0; p + what.size() <= text_.size();) {
        if (!match.at(p)) {
            ++p;
            continue;
        }
        if (n++ == 0) first = done = p;
        out.append(text_, done, p - done);
        out += w;
        p += what.size();
        done = p;
    }
    if (n) replace(first, done - first, out);
    return n;
}

std::pair<size_t, size_t> TextModel::row_col(size_t c) const {
    c = std::min(c, text_.size());
    size_t row = 0, line = 0;
    for (size_t i = 0; i < c; ++i) {
        if (text_[i] == '\n' || (text_[i] == '\r' && (i + 1 >= text_.size() || text_[i + 1] != '\n'))) {
            ++row;
            line = i + 1;
        }
    }
    HiddenState st;
    size_t col = 0;
    for (size_t i = line; i < c; ++i) col += st.step(text_[i]);
    return {row, col};
}

std::string sort_lines(std::string_view selection) {
    std::vector<std::string> lines;
    size_t i = 0;
    while (true) {
        size_t nl = selection.find('\n', i);
        std::string line(selection.substr(i, nl == std::string_view::npos ? std::string_view::npos : nl - i));
        while (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        if (nl == std::string_view::npos) break;
        i = nl + 1;
    }
    std::string out;
    for (const auto& l : util_sort_strings(lines)) out += l + "\n";
    return out;
}

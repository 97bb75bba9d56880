#include "ideas/analyze.h"

#include <algorithm>
#include <cstdio>

#include "base/letters.h"

namespace {

constexpr bool is_vowel(char c) {
    switch (c) {
    case 'e': case 'a': case 'o': case 'i': case 'u': case 'y':
    case 'E': case 'A': case 'O': case 'I': case 'U': case 'Y': return true;
    default: return false;
    }
}

constexpr bool is_consonant(char c) { return c >= 'a' && c <= 'z' && !is_vowel(c); }

constexpr bool is_white(char c) { return c == ' ' || c == '\n' || c == '\t'; }

// How many characters from `i` on belong to the syllable that ends there (0: none ends here).
// The syllable's first character is the vowel at i; its tail is 1 (vowel) or 2 (vowel, consonant).
int syllable_tail(std::string_view t, size_t i) {
    size_t n = t.size();
    if (i + 2 >= n || !is_vowel(t[i]) || !is_consonant(t[i + 1])) return 0;
    char c1 = t[i], c2 = t[i + 1], c3 = t[i + 2];
    if (is_vowel(c3)) {
        bool exception = ((c1 == 'a' || c1 == 'i' || c1 == 'o' || c1 == 'u') && c3 == 'e') ||
                         (c1 == 'e' && c2 == 'r' && c3 == 'e');
        if (!exception) return 1;
    }
    if (i + 3 >= n) return 0;
    char c4 = t[i + 3];
    if (c3 == 'l' && c4 == 'e') return 1;
    if (is_consonant(c3) && is_vowel(c4) && !(c2 == 'n' && c3 == 'c' && c4 == 'e')) return 2;
    return 0;
}

template <class Found> void each_break(std::string_view t, Found found) {
    size_t i = 0;
    while (i < t.size()) {
        int tail = syllable_tail(t, i);
        if (tail == 0) {
            ++i;
            continue;
        }
        i += static_cast<size_t>(tail);
        found(i);
    }
}

}  // namespace

SyllableSplit analyze_split_syllables(std::string_view line) {
    SyllableSplit r;
    size_t from = 0;
    each_break(line, [&](size_t end) {
        r.shown.append(line.substr(from, end - from));
        r.shown += '-';
        ++r.breaks;
        from = end;
    });
    r.shown.append(line.substr(from));
    return r;
}

void analyze_syllable_lines(std::string_view text, const AnalyzeSink& out) {
    constexpr size_t kPiece = 1 << 16;
    // The line feed put after the text makes its last line one of its own.
    std::string all = std::string(text) + "\n";
    std::string_view rest = all;
    while (!rest.empty()) {
        size_t end = rest.find('\n');
        end = end == std::string_view::npos ? rest.size() : end + 1;
        // A very long line goes in pieces, each cut after a character no syllable rule can look
        // across, so the breaks are the same.
        if (end > kPiece) {
            for (size_t i = kPiece; i > 0; --i)
                if (!is_vowel(rest[i - 1]) && !is_consonant(rest[i - 1])) {
                    end = i;
                    break;
                }
        }
        if (!out(analyze_split_syllables(rest.substr(0, end)).shown)) return;
        rest.remove_prefix(end);
    }
}

namespace {

constexpr bool is_group_vowel(char c) {
    return c == 'a' || c == 'e' || c == 'i' || c == 'o' || c == 'u' || c == 'y';
}

constexpr bool is_digit(int c) { return c >= '0' && c <= '9'; }

// Opening quotes and brackets, Windows-1252 curly ones included.
constexpr bool is_opening(int c) {
    return c == '"' || c == '\'' || c == '(' || c == '[' || c == '{' || c == 0x91 || c == 0x93 || c == 0xAB;
}

constexpr bool is_blank(int c) { return is_white(static_cast<char>(c)) || c == '\r' || c == '\v' || c == '\f' || c == 0xA0; }

// What may follow the mark that ends a sentence: a blank, the end, or a closing double quote
// (Windows-1252's curly one and the guillemet too).
constexpr bool closes_sentence(int next) { return next < 0 || is_blank(next) || next == '"' || next == 0x94 || next == 0xBB; }

}  // namespace

void TextScanner::end_word() {
    if (word_ == Word::none) return;
    long long n = groups_;
    if (in_vowels_) --n;  // a vowel that ends the word is not heard: "table", "copy"
    else if (before_last_ == 'e' && last_ == 'd') --n;
    TextCounts w;
    w.words = 1;
    w.chars = word_chars_;
    w.syllables = std::max(n, 1LL);
    for (TextCounts* to : {&all_, in_sentence_ ? &sentence_ : nullptr}) {
        if (!to) continue;
        to->words += w.words;
        to->chars += w.chars;
        to->syllables += w.syllables;
    }
    word_ = Word::none;
    in_vowels_ = false;
    groups_ = word_chars_ = 0;
    last_ = before_last_ = 0;
}

void TextScanner::add_letter(unsigned char c) {
    const bool vowel = is_group_vowel(static_cast<char>(c));
    if (vowel && !in_vowels_) ++groups_;
    in_vowels_ = vowel;
    before_last_ = last_;
    last_ = static_cast<char>(c);
}

void TextScanner::step(unsigned char c, int next) {
    if (hash_line_ || (line_start_ && c == '#')) {
        hash_line_ = c != '\n';
        line_start_ = !hash_line_;
        return;
    }
    line_start_ = c == '\n';
    const bool letter = is_word_letter(c), digit = is_digit(c);
    const bool after_word = word_ != Word::none;
    dots_ = c == '.' ? dots_ + 1 : 0;
    if (dots_ == 1) before_dots_ = last_seen_;
    last_seen_ = c;
    // The words before a capital are no part of the sentence it opens.
    if (!in_sentence_ && letter && !is_lower_letter(c)) {
        end_word();
        in_sentence_ = true;
    }
    if (word_ == Word::letters && (letter || c == '-' || (c == '\'' && next >= 0 && is_word_letter(static_cast<unsigned char>(next))))) {
        ++word_chars_;
        if (letter) add_letter(c);
        else in_vowels_ = false;
        return;
    }
    if (word_ == Word::number && (digit || ((c == '.' || c == ',') && is_digit(next)))) {
        ++word_chars_;
        return;
    }
    // A digit right after letters, or a letter right after digits, ends the word and begins none.
    const bool glued = after_word && (letter || digit);
    end_word();
    if (letter || digit) {
        if (glued) return;
        word_ = letter ? Word::letters : Word::number;
        word_chars_ = 1;
        if (letter) add_letter(c);
        return;
    }

    if (c != '.' && c != '!' && c != '?' && c != ':') return;
    if (c == '.' && next == '.') return;  // a run of points is read at its last
    // An ellipsis ends the sentence it trails ("and so on..."), and what goes on after a blank
    // is read as the next sentence even without a capital; one standing apart or leading a
    // word ("(...and") ends nothing.
    const bool ellipsis = c == '.' && dots_ == 3;
    if (ellipsis) {
        const bool open_before = is_blank(before_dots_) || is_opening(before_dots_);
        if (open_before && (next < 0 || is_blank(next) || is_word_letter(static_cast<unsigned char>(next)) || is_digit(next)))
            return;
    } else if (!closes_sentence(next)) {
        return;
    }
    if (c != ':' && (ellipsis || after_word)) ++all_.sentences;
    if (!in_sentence_) return;
    kept_.words += sentence_.words;
    kept_.chars += sentence_.chars;
    kept_.syllables += sentence_.syllables;
    ++kept_.sentences;
    sentence_ = TextCounts{};
    in_sentence_ = ellipsis && next >= 0 && is_blank(next);
}

void TextScanner::feed(std::string_view piece) {
    for (char ch : piece) {
        auto c = static_cast<unsigned char>(ch);
        if (held_) step(held_char_, c);
        held_ = true;
        held_char_ = c;
    }
}

TextCounts TextScanner::finish() const {
    TextScanner closed = *this;
    if (closed.held_) closed.step(closed.held_char_, -1);
    closed.end_word();
    return closed.kept_.sentences > 0 ? closed.kept_ : closed.all_;
}

TextCounts analyze_count_text(std::string_view text) {
    TextScanner s;
    s.feed(text);
    return s.finish();
}

TextStatistics analyze_statistics_of(std::string_view stripped, long long objects) {
    TextStatistics s;
    TextCounts c = analyze_count_text(stripped);
    s.objects = objects;
    s.words = c.words;
    s.sentences = c.sentences;
    s.chars = c.chars;
    s.syllables = c.syllables;
    s.bytes = static_cast<long long>(stripped.size());
    return s;
}

Readability analyze_readability(const TextStatistics& s) {
    Readability r;
    double s1 = static_cast<double>(std::max(s.sentences, 1LL));
    double words = static_cast<double>(s.words);
    r.words_per_sentence = words / s1;
    r.chars_per_word = static_cast<double>(s.chars) / static_cast<double>(std::max(s.words, 1LL));
    if (s.words <= 0) return r;
    r.defined = true;
    double ws = r.words_per_sentence, cw = r.chars_per_word;
    double syw = static_cast<double>(s.syllables) / words;
    r.flesch = 206.835 - 84.6 * syw - 1.015 * ws;
    r.kincaid = 0.39 * ws + 11.8 * syw - 15.59;
    r.ari = 4.71 * cw + 0.5 * ws - 21.43;
    r.coleman_liau = 5.89 * cw - 30.0 / ws - 15.8;
    return r;
}

namespace {

std::string fixed(const char* fmt, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, v);
    return buf;
}

// A missing index keeps its field width so the column does not jump.
std::string index_field(bool defined, const char* fmt, int width, double v) {
    if (defined) return fixed(fmt, v);
    std::string na = "n/a";
    return std::string(static_cast<size_t>(std::max(0, width - 3)), ' ') + na;
}

}  // namespace

std::string analyze_statistics_report(const TextStatistics& s) {
    Readability r = analyze_readability(s);
    auto n = [](long long v) { return std::to_string(v); };
    std::string out;
    out += "Number of Objects = " + n(s.objects) + "\n";
    out += "Number of Sentences = " + n(std::max(s.sentences, 1LL)) + "\n";
    out += "Number of Words = " + n(s.words) + "\n";
    out += "Words per Sentences = " + fixed("%-6.2f", r.words_per_sentence) + "\n";
    out += "Number of Syllables = " + n(s.syllables) + "\n";
    out += "Number of Characters = " + n(s.chars) + "\n";
    out += "Chars per Word = " + fixed("%-6.2f", r.chars_per_word) + "\n";
    out += "Number of Bytes = " + n(s.bytes) + "\n";
    out += "Flesch Index (0-100) = " + index_field(r.defined, "%6.1f", 6, r.flesch) + "\n";
    out += "Kincaid Index (Grade Level) = " + index_field(r.defined, "%4.1f", 4, r.kincaid) + "\n";
    out += "Automated Readability Index (Grade Level) = " + index_field(r.defined, "%4.1f", 4, r.ari) + "\n";
    out += "Coleman-Liau Index (Grade Level) = " + index_field(r.defined, "%4.1f", 4, r.coleman_liau) + "\n";
    return out;
}

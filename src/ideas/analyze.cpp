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

// Closing quotes and brackets, Windows-1252 curly ones included.
constexpr bool is_closing(unsigned char c) {
    return c == '"' || c == '\'' || c == ')' || c == ']' || c == '}' || c == 0x92 || c == 0x94 || c == 0xBB;
}

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

constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_alnum(char c) { return is_digit(c) || is_word_letter(static_cast<unsigned char>(c)); }

// Opening quotes and brackets before a sentence's first word.
constexpr bool is_opening(unsigned char c) {
    return c == '"' || c == '\'' || c == '(' || c == '[' || c == '{' || c == 0x91 || c == 0x93 || c == 0xAB;
}

constexpr bool ends_sentence(char c) { return c == '.' || c == '?' || c == '!'; }

}  // namespace

void TextScanner::end_word() {
    if (!in_word_) return;
    long long n = groups_;
    if (in_vowels_) --n;  // a vowel that ends the word is not heard: "table", "copy"
    else if (before_last_ == 'e' && last_ == 'd') --n;
    token_.syllables += std::max(n, 1LL);
    ++token_.words;
    in_word_ = word_joiner_ = in_vowels_ = false;
    groups_ = 0;
    last_ = before_last_ = 0;
}

void TextScanner::add(TextCounts& to, const TextCounts& c) const {
    to.words += c.words;
    to.chars += c.chars;
    to.syllables += c.syllables;
}

void TextScanner::end_token() {
    end_word();
    if (!in_token_) return;
    add(all_, token_);
    if (ends_sentence(mark_) && token_alnum_) ++all_.sentences;
    if (!in_sentence_ && token_capital_) in_sentence_ = true;
    if (in_sentence_) {
        add(sentence_, token_);
        if ((ends_sentence(mark_) || mark_ == ':') && token_alnum_) {
            add(kept_, sentence_);
            ++kept_.sentences;
            sentence_ = TextCounts{};
            in_sentence_ = false;
        }
    }
    token_ = TextCounts{};
    in_token_ = token_started_ = token_capital_ = token_alnum_ = false;
    mark_ = ' ';
}

void TextScanner::feed(std::string_view piece) {
    for (char ch : piece) {
        auto c = static_cast<unsigned char>(ch);
        if (is_white(ch) || c == '\r' || c == '\v' || c == '\f' || c == 0xA0) {
            end_token();
            continue;
        }
        in_token_ = true;
        if (!token_started_ && !is_opening(c)) {
            token_started_ = true;
            token_capital_ = is_word_letter(c) && !is_lower_letter(c);
        }
        // He said "Stop." ends a sentence too.
        if (!is_closing(c)) mark_ = ch;
        if (!is_alnum(ch)) {
            // A joiner waits for what follows: "don't" and "3.5" are one word, "e.g." two.
            bool joins = ch == '\'' || ch == '-' || ((ch == '.' || ch == ',') && is_digit(last_));
            if (in_word_ && !word_joiner_ && joins) {
                word_joiner_ = true;
                joiner_ = ch;
            } else {
                end_word();
            }
            continue;
        }
        if (word_joiner_ && (joiner_ == '.' || joiner_ == ',') && !is_digit(ch)) end_word();
        word_joiner_ = false;
        in_word_ = token_alnum_ = true;
        ++token_.chars;
        const bool vowel = is_group_vowel(ch);
        if (vowel && !in_vowels_) ++groups_;
        in_vowels_ = vowel;
        before_last_ = last_;
        last_ = ch;
    }
}

TextCounts TextScanner::finish() const {
    TextScanner closed = *this;
    closed.end_token();
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

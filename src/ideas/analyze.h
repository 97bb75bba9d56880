// ANALYZE: the Analyzer's text measures (portable): syllable breaks, the word, sentence and
// character scanner, and the readability report built from their counts.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

// Takes the next piece of output (possibly empty, to let the caller look at the clock); false
// once the user stopped the run: the kind ends at once, keeping what it gave.
using AnalyzeSink = std::function<bool(std::string_view piece)>;

struct SyllableSplit {
    int breaks = 0;
    std::string shown;  // the line with "-" after every syllable found
};

// One line (or any text: blanks, punctuation and line feeds never join a syllable).
SyllableSplit analyze_split_syllables(std::string_view line);
// The Syllables kind: every line of `text` split, a last line without a line feed included.
void analyze_syllable_lines(std::string_view text, const AnalyzeSink& out);

struct TextCounts {
    long long words = 0;
    long long sentences = 0;
    long long chars = 0;
    long long syllables = 0;
};

// The character scanner of Statistics, fed in pieces so a long text can be interrupted between
// them. It counts what is read as prose, the way readability is measured elsewhere:
// - a word is a run of letters and digits; an apostrophe or hyphen inside one, and a point or
//   comma between digits, keep it whole ("don't", "well-known", "3.5"); other characters part
//   words ("/usr/share" is two);
// - a sentence begins with a word that starts with a capital and ends with a word that ends in
//   ".", "!", "?" or ":" (closing quotes and brackets after it aside) and holds a letter or a
//   digit; what lies between two sentences (list numbers, command lines, addresses, lower-case
//   fragments) and a last sentence left open are not counted;
// - a text without any such sentence is counted whole, a sentence ending at each word that
//   ends in ".", "!" or "?" and holds a letter or digit;
// - characters are the letters and digits of the words counted;
// - syllables are a word's groups of vowels (a e i o u y, lower case), less one for a group
//   that ends the word or a final "ed", and at least one.
class TextScanner {
public:
    void feed(std::string_view piece);
    // Closes a last word; the counts reached so far.
    TextCounts finish() const;

private:
    void end_word();
    void end_token();
    void add(TextCounts& to, const TextCounts& c) const;
    // The word being read.
    bool in_word_ = false, word_joiner_ = false, in_vowels_ = false;
    char joiner_ = 0, last_ = 0, before_last_ = 0;
    long long groups_ = 0;
    // The token (between white space) being read.
    bool in_token_ = false, token_started_ = false, token_capital_ = false, token_alnum_ = false;
    char mark_ = ' ';  // the token's last character that is no closing quote or bracket
    TextCounts token_;
    // The sentence being read, the sentences finished, and the whole text.
    bool in_sentence_ = false;
    TextCounts sentence_, kept_, all_;
};

TextCounts analyze_count_text(std::string_view text);

struct TextStatistics {
    long long objects = 0;
    long long words = 0;
    long long sentences = 0;  // as scanned; the report shows at least 1
    long long syllables = 0;
    long long chars = 0;
    long long bytes = 0;
};

// The counts of `stripped` (the text without its fields' markers and hidden texts).
TextStatistics analyze_statistics_of(std::string_view stripped, long long objects);

struct Readability {
    bool defined = false;  // false without words: no index can be computed
    double words_per_sentence = 0, chars_per_word = 0;
    double flesch = 0, kincaid = 0, ari = 0, coleman_liau = 0;
};

Readability analyze_readability(const TextStatistics& s);
// The twelve report lines, LF-separated, ending with a line feed.
std::string analyze_statistics_report(const TextStatistics& s);

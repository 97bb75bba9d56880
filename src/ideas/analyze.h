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
// - a word is a run of letters, with the hyphens in and after it and an apostrophe between
//   letters ("well-known", "don't"), or a number, with a point or comma between digits ("3.5",
//   "3,500"); any other character parts words ("/usr/share" is two); a digit right after a word
//   of letters, or a letter right after a number, ends it and is not read, as the grades we are
//   measured against do ("MD5" is "MD", "i686" is "i" and "86");
// - a sentence begins at a capital, even one inside a word ("the/Docs", "CI"), and ends at ".",
//   "!", "?" or ":" followed by a blank, a double quote or the end of the text (not by a bracket:
//   "(see below.)" goes on); what lies between two sentences (list numbers, command lines,
//   addresses, lower-case fragments) and a last sentence left open are not counted;
// - a line that begins with "#" (a heading of a plain-text file, a comment) is left out;
// - a text without any such sentence is counted whole, a sentence ending at each ".", "!" or "?"
//   right after a word and followed by a blank, a double quote or the end;
// - characters are those of the words counted, hyphens, points and apostrophes in them included;
// - syllables are a word's groups of vowels (a e i o u y, lower case; a hyphen parts groups),
//   less one for a group that ends the word or a final "ed", and at least one.
class TextScanner {
public:
    void feed(std::string_view piece);
    // Closes a last word; the counts reached so far.
    TextCounts finish() const;

private:
    // `next` is the character after `c`, -1 at the end of the text.
    void step(unsigned char c, int next);
    void add_letter(unsigned char c);
    void end_word();
    // A character waits until the one after it is known.
    bool held_ = false, line_start_ = true, hash_line_ = false;
    unsigned char held_char_ = 0;
    // The points read in a row, and the character before them.
    int dots_ = 0;
    unsigned char before_dots_ = ' ', last_seen_ = ' ';
    // The word being read.
    enum class Word : unsigned char { none, letters, number };
    Word word_ = Word::none;
    bool in_vowels_ = false;
    char last_ = 0, before_last_ = 0;
    long long groups_ = 0, word_chars_ = 0;
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

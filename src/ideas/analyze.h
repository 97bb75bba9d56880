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
// The number of breaks analyze_split_syllables finds, without building the shown text.
long long analyze_count_breaks(std::string_view text);

struct TextCounts {
    long long words = 0;
    long long sentences = 0;
    long long chars = 0;
};

// The character scanner, fed in pieces so a long text can be interrupted between them. A word
// is a run of characters between white space that holds a letter; a sentence ends where ".",
// "?" or "!" (closing quotes and brackets after it aside) meets white space or the end;
// characters are the letters and digits.
class TextScanner {
public:
    void feed(std::string_view piece);
    // Closes a last word; the counts reached so far.
    TextCounts finish();

private:
    void end_run();
    bool in_run_ = false, run_has_letter_ = false;
    char mark_ = ' ';  // the last character of the run that is no closing quote or bracket
    TextCounts n_;
};

TextCounts analyze_count_text(std::string_view text);

struct TextStatistics {
    long long objects = 0;
    long long words = 0;
    long long sentences = 0;  // as scanned; the report shows at least 1
    long long syllables = 0;  // syllable breaks plus words
    long long chars = 0;
    long long bytes = 0;
};

// Breaks over `raw` (fields included), words, sentences and characters over `stripped`.
TextStatistics analyze_statistics_of(std::string_view raw, std::string_view stripped, long long objects);

struct Readability {
    bool defined = false;  // false without words: no index can be computed
    double words_per_sentence = 0, chars_per_word = 0;
    double flesch = 0, kincaid = 0, ari = 0, coleman_liau = 0;
};

Readability analyze_readability(const TextStatistics& s);
// The twelve report lines, LF-separated, ending with a line feed.
std::string analyze_statistics_report(const TextStatistics& s);

#include <gtest/gtest.h>

#include <string>

#include "ideas/analyze.h"

namespace {

TEST(AnalyzeSyllables, WordsSplitAsReadAloud) {
    struct Case {
        const char* in;
        const char* shown;
        int breaks;
    } cases[] = {
        {"table", "ta-ble", 1},     {"able", "a-ble", 1},      {"window", "win-dow", 1},
        {"make", "make", 0},        {"once", "once", 0},       {"here", "here", 0},
        {"paper", "paper", 0},     {"", "", 0},               {"a.b", "a.b", 0},
        // blanks and punctuation never join a syllable; upper-case consonants are no consonants
        {"ta ble", "ta ble", 0},    {"aBa", "aBa", 0},         {"Idea table\n", "I-dea ta-ble\n", 2},
        {"banana", "ba-na-na", 2},  {"entertain", "en-ter-tain", 2},
    };
    for (const auto& c : cases) {
        SyllableSplit s = analyze_split_syllables(c.in);
        EXPECT_EQ(s.shown, c.shown) << c.in;
        EXPECT_EQ(s.breaks, c.breaks) << c.in;
    }
}

TEST(AnalyzeScanner, WordsSentencesAndCharacters) {
    struct Case {
        const char* in;
        long long words, sentences, chars;
    } cases[] = {
        {"", 0, 0, 0},
        {"word", 1, 0, 4},                  // a text without a sentence is counted whole
        {"end.", 1, 1, 3},
        {"One. Two.", 2, 2, 6},
        {"Is it? Yes! No", 3, 2, 7},        // "?" and "!" end sentences too; an open one is left out
        {"He said \"Stop.\" Then", 3, 1, 10},  // a closing quote after the full stop
        {"a  b", 2, 0, 2},                  // blanks are no characters
        {"a\r\nb", 2, 0, 2},
        {"12 34 x.", 3, 1, 5},              // numbers are words; a token without a letter or digit is not
        {"x - y", 2, 0, 2},
        {"caf\xe9 au lait", 3, 0, 10},      // accented letters are letters
        {"\x93quoted\x94 3.5", 2, 0, 9},      // a number's point is one of its characters
        {"   ", 0, 0, 0},
        // Joined and parted words: "don't", "well-known" and "3,500" are one, a path is several.
        {"Don't take well-known 3,500 /usr/share/doc.", 7, 1, 35},
        // A point inside a name ends nothing; a tag glued to a word loses its first character.
        {"See README.md now. Ok", 4, 1, 14},
        {"Use MD5 or i686.", 5, 1, 10},
        // Headings and comments of plain-text files; a full stop inside brackets goes on; an
        // ellipsis ends its sentence.
        {"# Heading\nThe end.", 2, 1, 6},
        {"It ends (see below.) Then it goes on.", 8, 1, 26},
        {"And so on... next one. Done", 5, 2, 14},
        // Between sentences: list numbers, lower-case command lines and addresses are no text.
        {"Install:\n\n  $ make install\n\n1. Read it. 2. Run it.\n  http://x.org/a\nDone: yes", 6, 4, 22},
        // A title's or a heading's words go with the sentence they open.
        {"Usage\n=====\n\nThe tool reads text. Mr. Smith.", 7, 3, 28},
    };
    for (const auto& c : cases) {
        TextCounts n = analyze_count_text(c.in);
        EXPECT_EQ(n.words, c.words) << c.in;
        EXPECT_EQ(n.sentences, c.sentences) << c.in;
        EXPECT_EQ(n.chars, c.chars) << c.in;
    }
}

// Syllables are heard vowels: a final vowel or "ed" is silent, capitals and numbers count one.
TEST(AnalyzeScanner, SyllablesAreGroupsOfVowels) {
    struct Case {
        const char* in;
        long long syllables;
    } cases[] = {
        {"window", 2}, {"table", 1}, {"copy", 1}, {"created", 1}, {"released", 2}, {"houses", 2},
        {"the", 1},    {"1990", 1},  {"WARRANTY", 1}, {"bash-completion", 4}, {"Information", 3},
    };
    for (const auto& c : cases) EXPECT_EQ(analyze_count_text(c.in).syllables, c.syllables) << c.in;
}

TEST(AnalyzeScanner, PiecesGiveTheSameCountsAsTheWhole) {
    std::string text = "The quick fox. It ran - far ; away.\r\nNext  line\tends.";
    TextCounts whole = analyze_count_text(text);
    for (size_t cut = 0; cut <= text.size(); ++cut) {
        TextScanner s;
        s.feed(std::string_view(text).substr(0, cut));
        TextCounts partial = s.finish();  // a stop after `cut` characters still closes the word
        EXPECT_LE(partial.words, whole.words);
        s.feed(std::string_view(text).substr(cut));
        TextCounts n = s.finish();
        EXPECT_EQ(n.words, whole.words);
        EXPECT_EQ(n.sentences, whole.sentences);
        EXPECT_EQ(n.chars, whole.chars);
        EXPECT_EQ(n.syllables, whole.syllables);
    }
}

TEST(AnalyzeStatistics, ReportLinesAndIndices) {
    TextStatistics s;
    s.objects = 3;
    s.words = 100;
    s.sentences = 5;
    s.syllables = 150;
    s.chars = 450;
    s.bytes = 560;
    EXPECT_EQ(analyze_statistics_report(s),
              "Number of Objects = 3\n"
              "Number of Sentences = 5\n"
              "Number of Words = 100\n"
              "Words per Sentences = 20.00 \n"
              "Number of Syllables = 150\n"
              "Number of Characters = 450\n"
              "Chars per Word = 4.50  \n"
              "Number of Bytes = 560\n"
              "Flesch Index (0-100) =   59.6\n"
              "Kincaid Index (Grade Level) =  9.9\n"
              "Automated Readability Index (Grade Level) =  9.8\n"
              "Coleman-Liau Index (Grade Level) =  9.2\n");
}

TEST(AnalyzeStatistics, NoWordsShowsNoIndexInsteadOfDividingByZero) {
    for (const char* text : {"", " . ", "\n\n"}) {
        TextStatistics s = analyze_statistics_of(text, 0);
        std::string r = analyze_statistics_report(s);
        EXPECT_NE(r.find("Number of Sentences = 1\n"), std::string::npos) << r;
        EXPECT_NE(r.find("Flesch Index (0-100) =    n/a\n"), std::string::npos) << r;
        EXPECT_NE(r.find("Kincaid Index (Grade Level) =  n/a\n"), std::string::npos) << r;
        EXPECT_NE(r.find("Automated Readability Index (Grade Level) =  n/a\n"), std::string::npos) << r;
        EXPECT_NE(r.find("Coleman-Liau Index (Grade Level) =  n/a\n"), std::string::npos) << r;
        EXPECT_EQ(r.find("nan"), std::string::npos) << r;
        EXPECT_EQ(r.find("inf"), std::string::npos) << r;
    }
}

// Published scores for known counts (independently computed from the formulas).
TEST(AnalyzeStatistics, FormulasMatchPublishedScoresForGivenCounts) {
    struct Case {
        long long words, sentences, syllables, chars;
        double flesch, kincaid, ari, cl;
    } cases[] = {
        {100, 5, 150, 450, 59.635, 9.91, 9.765, 9.205},
        {12, 1, 14, 40, 95.955, 2.857, 0.27, 1.333},
    };
    for (const auto& c : cases) {
        TextStatistics s;
        s.words = c.words;
        s.sentences = c.sentences;
        s.syllables = c.syllables;
        s.chars = c.chars;
        Readability r = analyze_readability(s);
        ASSERT_TRUE(r.defined);
        EXPECT_NEAR(r.flesch, c.flesch, 0.01);
        EXPECT_NEAR(r.kincaid, c.kincaid, 0.01);
        EXPECT_NEAR(r.ari, c.ari, 0.01);
        EXPECT_NEAR(r.coleman_liau, c.cl, 0.01);
    }
}

}  // namespace

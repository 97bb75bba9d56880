#include <gtest/gtest.h>

#include <functional>

#include "ideas/analyze_kinds.h"

namespace {

using Kind = std::function<void(const AnalyzeSink&)>;

std::string all_of(const Kind& kind) {
    std::string out;
    kind([&](std::string_view p) {
        out += p;
        return true;
    });
    return out;
}

TEST(AnalyzeKinds, SentencesAndClausesEndAtFullStopAndBlank) {
    auto sentences = [](std::string_view t) { return all_of([&](const AnalyzeSink& o) { analyze_sentences(t, o); }); };
    EXPECT_EQ(sentences("One is here. Two is there. Three"), "One is here.\nTwo is there.\n");
    // The last sentence of a text has no blank after it.
    EXPECT_EQ(sentences("One.  Two. Three."), "One.\nTwo.\nThree.\n");
    EXPECT_EQ(sentences("Only one.\r\n"), "Only one.\n");
    EXPECT_EQ(sentences("no stop at all"), "");
    EXPECT_EQ(all_of([](const AnalyzeSink& o) { analyze_clauses("Red, green and blue. Then, at last - done.", o); }),
              "Red,\n    green and blue.\nThen,\n    at last ,\n    - done.\n");
}

TEST(AnalyzeKinds, HypertextShowsFieldsWithHiddenTextInBrackets) {
    auto fields = [](std::string_view t) { return all_of([&](const AnalyzeSink& o) { analyze_hypertext(t, o); }); };
    EXPECT_EQ(fields("See \x0bthe map\x0emap.txt\x0f and \x0bplain\x0e\x0f here."), "the map[map.txt]\nplain\n");
    // Stray markers never loop and lose nothing after them.
    EXPECT_EQ(fields("end\x0f then \x0b" "field\x0f"), "\nfield]\n");
    EXPECT_EQ(fields("\x0bopen only"), "");
}

TEST(AnalyzeKinds, NumericsStartAtEachNumber) {
    auto numerics = [](std::string_view t) { return all_of([&](const AnalyzeSink& o) { analyze_numerics(t, o); }); };
    EXPECT_EQ(numerics("about 12 apples\nand 200"), "12 apples and 200 ...\n200 ...\n");
    EXPECT_EQ(numerics("none"), "");
    std::string long_text = "7" + std::string(60, 'x');
    EXPECT_EQ(numerics(long_text), long_text.substr(0, 50) + "...\n");
}

TEST(AnalyzeKinds, FirstSentence) {
    EXPECT_EQ(analyze_first_sentence("First. Second."), "First.");
    EXPECT_EQ(analyze_first_sentence(std::string(100, 'a')), std::string(80, 'a'));
    EXPECT_EQ(analyze_first_sentence(""), "");
}

TEST(AnalyzeKinds, ProperNounsAndAbstract) {
    auto is_name = [](std::string_view w, bool) { return w != "The" && w != "Rain"; };
    EXPECT_EQ(all_of([&](const AnalyzeSink& o) { analyze_proper_nouns("Ann met Bob. The Rain (Ann) came.", is_name, o); }),
              "Ann\nBob\nAnn\n");
    EXPECT_EQ(all_of([](const AnalyzeSink& o) { analyze_abstract("The storm, sadly - broke the dam.", "the\nand\n", o); }),
              ". storm, sadly broke. dam.");
}

TEST(AnalyzeKinds, ProperNounsKnowTheNamesTheDictionaryHoldsLowerCased) {
    ProperNames names = analyze_parse_names("paris\nlondon\r\nmaria*\nbill*\n");
    auto known = [](std::string_view w) {
        for (const char* k : {"paris", "london", "maria", "bill", "the", "met", "in", "and", "paid", "rain"})
            if (w == k) return true;
        return false;
    };
    auto is_name = [&](std::string_view tok, bool start) { return analyze_is_name(names, tok, start, known); };
    // A name that is an ordinary word too counts only inside a sentence; a word the dictionary
    // does not know counts anywhere.
    EXPECT_EQ(all_of([&](const AnalyzeSink& o) {
                  analyze_proper_nouns("Maria met Bill in Paris. Bill paid.\nThe Rain and London (Maria) met Zog and \xc9mile.",
                                       is_name, o);
              }),
              "Bill\nParis\nLondon\nMaria\nZog\n\xc9mile\n");
}

// Common words are no names, in whatever case; neither are titles nor words in capitals that are
// ordinary words as well. A name after a title or an opening quote is found.
TEST(AnalyzeKinds, ProperNounsLeaveCommonWordsAndFindNamesAfterTitlesAndQuotes) {
    ProperNames names = analyze_parse_names("anna\nrome\nparis\nit*\nis*\nas*\nof*\nsmith*\nbrown*\nstory*\nwill*\n",
                                            "it\r\nis\r\nas\r\nof\r\nor\r\nthe\r\nmy\r\n");
    auto known = [](std::string_view w) {
        for (const char* k : {"she", "said", "works", "we", "met", "in", "software", "provided", "without", "warranty",
                              "any", "kind", "then", "read", "story", "life", "and", "came", "from", "mr", "dr", "smith",
                              "brown", "or", "will", "go"})
            if (w == k) return true;
        return false;
    };
    auto is_name = [&](std::string_view tok, bool start) { return analyze_is_name(names, tok, start, known); };
    EXPECT_EQ(all_of([&](const AnalyzeSink& o) {
                  analyze_proper_nouns("She said, \"It works.\" We met Anna in Rome. THE SOFTWARE IS PROVIDED AS IS, "
                                       "WITHOUT WARRANTY OF ANY KIND OR WILL. Then we read The Story Of My Life. "
                                       "Mr. Smith and Dr. Brown came from Paris.",
                                       is_name, o);
              }),
              "Anna\nRome\nStory\nSmith\nBrown\nParis\n");
    // A word in capitals that is a name wherever it stands is one in a heading too.
    EXPECT_TRUE(analyze_is_name(names, "PARIS", false, known));
    EXPECT_FALSE(analyze_is_name(names, "WILL", false, known));
    EXPECT_TRUE(analyze_is_name(names, "Will", false, known));
}

// A checklist saved with CR LF (as the program's text windows save it) matches as one saved with
// LF; so does a word that ends an item. A long list costs one look per word of the text.
TEST(AnalyzeKinds, ChecklistWordsReadCrLfListsAndItemEnds) {
    std::string cl = analyze_checklist_lines("Alpha\r\nBeta\r\nGreen light\r\ngamma");
    EXPECT_EQ(cl, "alpha\nbeta\ngreen light\ngamma\n");
    EXPECT_EQ(all_of([&](const AnalyzeSink& o) { analyze_checklist_words(cl, "alpha beta text. Light, gamma; ALPHA again.", o); }),
              "ALPHA BETA text. LIGHT, GAMMA; ALPHA again.");
    EXPECT_EQ(analyze_checklist_lines(""), "\n");
    std::string big;
    for (int k = 0; k < 50000; ++k) big += "item" + std::to_string(k) + "\r\n";
    std::string text;
    for (int k = 0; k < 20000; ++k) text += "word item49999 ";
    std::string out = all_of([&](const AnalyzeSink& o) { analyze_checklist_words(analyze_checklist_lines(big), text, o); });
    EXPECT_EQ(out.substr(0, 30), "word ITEM49999 word ITEM49999 ");
}

TEST(AnalyzeKinds, ChecklistWordsAndFrequencies) {
    const char* cl = "dam\nrain\nstorm\n";
    EXPECT_EQ(all_of([&](const AnalyzeSink& o) { analyze_checklist_words(cl, "Rain hit the dam; storms  passed.", o); }),
              "RAIN hit the DAM; storms  passed.");
    // The first word and bracketed words count too; every item is listed, most frequent first.
    EXPECT_EQ(all_of([&](const AnalyzeSink& o) { analyze_checklist_freq(cl, "Rain and rain (rain) fell on the dam.", o); }),
              "rain  3\ndam  1\nstorm  0\n");
}

// Every kind gives the sink a chance to stop it long before the end of a long text, and keeps
// what it wrote until then.
TEST(AnalyzeKinds, EveryKindStopsWhenTheSinkSaysSo) {
    std::string text;
    while (text.size() < 400000) text += "Maria saw 12 boats near Paris, then left - \x0b" "fast\x0eq\x0f. ";
    std::string cl = "boats\nparis\nleft\n";
    const Kind kinds[] = {
        [&](const AnalyzeSink& o) { analyze_plain(text, o); },
        [&](const AnalyzeSink& o) { analyze_sentences(text, o); },
        [&](const AnalyzeSink& o) { analyze_clauses(text, o); },
        [&](const AnalyzeSink& o) { analyze_hypertext(text, o); },
        [&](const AnalyzeSink& o) { analyze_numerics(text, o); },
        [&](const AnalyzeSink& o) { analyze_proper_nouns(text, [](std::string_view, bool) { return false; }, o); },
        [&](const AnalyzeSink& o) { analyze_abstract(text, "then\nnear\n", o); },
        [&](const AnalyzeSink& o) { analyze_checklist_words(cl, text, o); },
        [&](const AnalyzeSink& o) { analyze_checklist_freq(cl, text, o); },
        [&](const AnalyzeSink& o) { analyze_syllable_lines(text, o); },
    };
    int k = 0;
    for (const Kind& kind : kinds) {
        std::string whole = all_of(kind);
        int calls = 0;
        std::string kept;
        kind([&](std::string_view p) {
            kept += p;
            return ++calls < 2;
        });
        EXPECT_EQ(calls, 2) << "kind " << k;
        EXPECT_EQ(whole.compare(0, kept.size(), kept), 0) << "kind " << k;
        EXPECT_LE(kept.size(), 3 * (1u << 16)) << "kind " << k;
        ++k;
    }
}

}  // namespace

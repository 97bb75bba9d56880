#include <gtest/gtest.h>

#include "ideas/analyze_kinds.h"

namespace {

TEST(AnalyzeKinds, SentencesAndClausesEndAtFullStopAndBlank) {
    EXPECT_EQ(analyze_sentences("One is here. Two is there. Three"), "One is here.\nTwo is there.\n");
    // The last sentence of a text has no blank after it.
    EXPECT_EQ(analyze_sentences("One.  Two. Three."), "One.\nTwo.\nThree.\n");
    EXPECT_EQ(analyze_sentences("Only one.\r\n"), "Only one.\n");
    EXPECT_EQ(analyze_sentences("no stop at all"), "");
    EXPECT_EQ(analyze_clauses("Red, green and blue. Then, at last - done."),
              "Red,\n    green and blue.\nThen,\n    at last ,\n    - done.\n");
}

TEST(AnalyzeKinds, HypertextShowsFieldsWithHiddenTextInBrackets) {
    EXPECT_EQ(analyze_hypertext("See \x0bthe map\x0emap.txt\x0f and \x0bplain\x0e\x0f here."),
              "the map[map.txt]\nplain\n");
    // Stray markers never loop and lose nothing after them.
    EXPECT_EQ(analyze_hypertext("end\x0f then \x0b" "field\x0f"), "\nfield]\n");
    EXPECT_EQ(analyze_hypertext("\x0bopen only"), "");
}

TEST(AnalyzeKinds, NumericsStartAtEachNumber) {
    EXPECT_EQ(analyze_numerics("about 12 apples\nand 200"), "12 apples and 200 ...\n200 ...\n");
    EXPECT_EQ(analyze_numerics("none"), "");
    std::string long_text = "7" + std::string(60, 'x');
    EXPECT_EQ(analyze_numerics(long_text), long_text.substr(0, 50) + "...\n");
}

TEST(AnalyzeKinds, FirstSentence) {
    EXPECT_EQ(analyze_first_sentence("First. Second."), "First.");
    EXPECT_EQ(analyze_first_sentence(std::string(100, 'a')), std::string(80, 'a'));
    EXPECT_EQ(analyze_first_sentence(""), "");
}

}  // namespace

namespace {

TEST(AnalyzeKinds, ProperNounsAndAbstract) {
    auto known = [](std::string_view w) { return w == "the" || w == "rain"; };
    EXPECT_EQ(analyze_proper_nouns("Ann met Bob. The Rain (Ann) came.", known), "Ann\nBob\nAnn\n");
    EXPECT_EQ(analyze_abstract("The storm, sadly - broke the dam.", "the\nand\n"), ". storm, sadly broke. dam.");
}

TEST(AnalyzeKinds, ChecklistWordsAndFrequencies) {
    const char* cl = "dam\nrain\nstorm\n";
    EXPECT_EQ(analyze_checklist_words(cl, "Rain hit the dam; storms  passed."), "RAIN hit the DAM; storms  passed.");
    // The first word and bracketed words count too; every item is listed, most frequent first.
    EXPECT_EQ(analyze_checklist_freq(cl, "Rain and rain (rain) fell on the dam."), "rain  3\ndam  1\nstorm  0\n");
}

}  // namespace

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ideas/gen.h"

namespace {

RandomInt fixed(std::vector<int> seq) {
    auto at = std::make_shared<size_t>(0);
    return [seq, at](int n) { return n <= 0 ? 0 : seq[(*at)++ % seq.size()] % n; };
}

struct Lists {
    std::map<std::string, std::string> objs;
    GenEntries entries() {
        return [this](const std::string& id, std::string* missing) -> std::optional<std::vector<std::string>> {
            auto it = objs.find(id);
            if (it == objs.end()) return std::nullopt;
            if (it->second.starts_with("file:")) {
                *missing = it->second.substr(5);
                return std::vector<std::string>{};
            }
            return gen_split_entries(it->second);
        };
    }
};

Lists sample() {
    Lists l;
    l.objs = {{"Sentence", "Colour+Animal"}, {"Colour", "red\ngreen\n"}, {"Animal", "cat\r\ndog\n\n"}};
    return l;
}

TEST(Gen, SequentialRunsThroughEveryCombinationAndStartsAgain) {
    Lists l = sample();
    GenOptions o;
    o.sequential = true;
    o.capitalize = false;
    o.count = 5;
    auto r = gen_generate("Sentence", o, l.entries(), fixed({0}));
    EXPECT_EQ(r.lines, (std::vector<std::string>{"red cat", "green cat", "red dog", "green dog", "red cat"}));
    EXPECT_FALSE(r.capped);
    o.capitalize = true;
    o.count = 1;
    EXPECT_EQ(gen_generate("Sentence", o, l.entries(), fixed({0})).lines, (std::vector<std::string>{"Red cat"}));
}

TEST(Gen, SequentialPassesOverRejectedCombinations) {
    Lists l = sample();
    l.objs["Pair"] = "Animal+Pet+now";
    l.objs["Pet"] = "cat\nbird";
    GenOptions o;
    o.sequential = true;
    o.capitalize = false;
    o.count = 4;
    // The first combination repeats a word: the next ones still come.
    EXPECT_EQ(gen_generate("Pair", o, l.entries(), fixed({0})).lines,
              (std::vector<std::string>{"dog cat now", "cat bird now", "dog bird now"}));
    o.skip = "green cat";
    EXPECT_EQ(gen_generate("Sentence", o, l.entries(), fixed({0})).lines,
              (std::vector<std::string>{"red cat", "red dog", "green dog"}));
    o.skip.clear();
    o.contains = "dog";
    EXPECT_EQ(gen_generate("Sentence", o, l.entries(), fixed({0})).lines,
              (std::vector<std::string>{"red dog", "green dog"}));
}

TEST(Gen, StarRepeatsAChoiceAndHashNeverTakesOneTwice) {
    Lists l = sample();
    GenOptions o;
    o.capitalize = false;
    o.no_repeat = false;
    for (int r = 0; r < 4; ++r) {
        auto same = gen_generate("*Colour+*Colour", o, l.entries(), fixed({r, r + 1}));
        ASSERT_EQ(same.lines.size(), 1u);
        EXPECT_TRUE(same.lines[0] == "red red" || same.lines[0] == "green green") << same.lines[0];
        // Every random try gives the same position: the untaken one is used.
        auto two = gen_generate("#Animal+#Animal", o, l.entries(), fixed({r}));
        ASSERT_EQ(two.lines.size(), 1u);
        EXPECT_TRUE(two.lines[0] == "cat dog" || two.lines[0] == "dog cat") << two.lines[0];
    }
    EXPECT_EQ(gen_generate("Big+Animal", o, l.entries(), fixed({1})).lines, (std::vector<std::string>{"Big dog"}));
}

TEST(Gen, SelfReferenceIsCappedAndMissingFilesReportedOnce) {
    Lists l;
    l.objs = {{"Loop", "Loop+x"}, {"Doc", "file:notes.txt"}};
    GenOptions o;
    o.no_repeat = false;
    o.count = 3;
    auto r = gen_generate("Loop", o, l.entries(), fixed({0}));
    EXPECT_TRUE(r.capped);
    EXPECT_EQ(r.capped_by, "Loop");
    ASSERT_EQ(r.lines.size(), 3u);
    EXPECT_LE(r.lines[0].size(), kGenMaxText);
    auto m = gen_generate("Doc+Doc", o, l.entries(), fixed({0}));
    EXPECT_EQ(m.missing, (std::vector<std::string>{"notes.txt"}));
}

TEST(Gen, FiltersAndPieces) {
    struct Case {
        const char* idea;
        bool repeat;
    } cases[] = {{"the cat and the dog", true}, {"a cat sat on a", false}, {"one two", false}, {"", false}};
    for (const auto& c : cases) EXPECT_EQ(gen_has_repeat(c.idea), c.repeat) << c.idea;
    EXPECT_TRUE(gen_contains("red category", "dog;CAT"));
    EXPECT_FALSE(gen_contains("red bird", "dog;cat"));
    EXPECT_TRUE(gen_contains("anything", " "));
    EXPECT_FALSE(gen_skip("Red Dog", "dog"));
    EXPECT_TRUE(gen_skip("red bird", ""));
    EXPECT_EQ(gen_show("first|   second|third", true), (std::vector<std::string>{"First", "  Second", "  Third"}));
    EXPECT_EQ(gen_split_entries("\r\n\na\n\nb\n\n"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_TRUE(gen_split_entries("\n\n").empty());
}

}  // namespace

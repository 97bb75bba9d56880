#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ideas/clist.h"
#include "ideas/hint.h"
#include "ideas/quest.h"
#include "ideas/randwords.h"

namespace {

RandomInt fixed(std::vector<int> seq) {
    auto at = std::make_shared<size_t>(0);
    return [seq, at](int n) { return n <= 0 ? 0 : seq[(*at)++ % seq.size()] % n; };
}

const char kQuestions[] =
    "q_(\"100000 When\",\"When did %s start?\")\n"
    "q_(\"001000\",\"Who is %s?\")\n"
    "q_(\"000100 (P)\",\"Where is %s nice?\")\n"
    "q_(\"10000\",\"short flags\")\n"
    "q_(\"10x000\",\"bad flags\")\n"
    "q_(\"000001\",\"No idea here\")\n";

TEST(Quest, MalformedFlagsAreLeftOutAndCategoriesFilter) {
    std::vector<QuestTemplate> qs;
    ASSERT_TRUE(quest_parse(kQuestions, qs));
    ASSERT_EQ(qs.size(), 4u);
    EXPECT_EQ(qs[0].bits, 1u);
    EXPECT_EQ(qs[0].tag, " When");
    struct Case {
        unsigned mask;
        size_t count;
    } cases[] = {{0, 4}, {9, 2}, {4, 1}, {16, 0}};
    for (const auto& c : cases) EXPECT_EQ(quest_questions(qs, "X", c.mask).size(), c.count) << c.mask;
    // Event and Place checked: the Person question is not listed.
    for (const auto& q : quest_questions(qs, "X", 9)) EXPECT_NE(q.text, "Who is X?");
}

TEST(Quest, IdeaTextTakesItsArticleAndCapitals) {
    struct Case {
        const char* idea;
        int article;
        const char* want;
    } cases[] = {
        {"apple", 1, "an APPLE"}, {"apple", 2, "the APPLE"}, {"apple", 0, "APPLE"},
        {"car", 1, "a CAR"},      {"Egg", 1, "an EGG"},      {"", 0, "[    ]"},
    };
    for (const auto& c : cases) EXPECT_EQ(quest_idea_text(c.idea, c.article), c.want) << c.idea << c.article;
}

TEST(Quest, FilterWordAndLiteralFillIn) {
    std::vector<QuestTemplate> qs;
    ASSERT_TRUE(quest_parse(kQuestions, qs));
    // The empty filter keeps questions holding a blank.
    EXPECT_EQ(quest_list(qs, "A", 0, ""),
              (std::vector<std::string>{"When did A start?", "Who is A?", "Where is A nice?", "No idea here"}));
    EXPECT_EQ(quest_list(qs, "A", 0, "(P) Plus"), (std::vector<std::string>{"Where is A nice?"}));
    EXPECT_EQ(quest_list(qs, "A", 0, "When"), (std::vector<std::string>{"When did A start?"}));
    // An idea holding format characters is only text.
    EXPECT_EQ(quest_list(qs, "50%s %d", 4, ""), (std::vector<std::string>{"Who is 50%s %d?"}));
}

TEST(Quest, RandomQuestionIsNeverEmptyWhileATemplateFits) {
    std::vector<QuestTemplate> qs;
    ASSERT_TRUE(quest_parse(kQuestions, qs));
    // Every draw the generator can give names a question, and every question can be drawn.
    std::set<std::string> seen;
    auto rnd = fixed({0, 1, 2, 3, 4, 5, 6, 7});
    for (int i = 0; i < 8; ++i) {
        std::string q = quest_random(qs, "", 0, rnd);
        EXPECT_FALSE(q.empty()) << i;
        seen.insert(q);
    }
    EXPECT_EQ(seen.size(), 4u);
    EXPECT_EQ(quest_random(qs, "x", 4, fixed({1})), "Who is x?");
    EXPECT_EQ(quest_random({}, "x", 0, fixed({0})), "");
    EXPECT_EQ(quest_random(qs, "x", 16, fixed({0})), "");
}

std::string shipped(const std::string& name) {
    std::ifstream in(std::string(VORN_SOURCE_DIR) + "/data/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(ShippedContent, EveryChecklistHasRoomForVariety) {
    ClistIndex idx;
    ASSERT_TRUE(clist_parse_index(shipped("clist.kba"), idx));
    ASSERT_GE(idx.entries.size(), 16u);
    for (const auto& e : idx.entries) {
        std::string text = shipped(e.file);
        auto items = clist_items(text);
        EXPECT_GE(items.size(), 40u) << e.file;
        EXPECT_TRUE(text.ends_with("\n")) << e.file;
        for (const auto& it : items) EXPECT_FALSE(it.empty() || it[0] == ' ') << e.file << ": [" << it << "]";
        // A link item names a checklist of the index.
        for (const auto& it : items)
            if (it.ends_with("]")) EXPECT_NE(clist_link(idx, it), nullptr) << e.file << ": " << it;
    }
}

TEST(ShippedContent, SayingsNeverShowTheirTitleLine) {
    for (const char* name : {"proverb.l", "quote.l"}) {
        std::string text = shipped(name);
        auto lines = clist_items(text);
        // Every character position drawn: the title never comes up, every saying does.
        std::set<std::string> posted;
        for (int at = 0; at < static_cast<int>(text.size()); ++at)
            if (auto l = hint_list_line(text, [at](int) { return at; })) posted.insert(*l);
        EXPECT_EQ(posted.count(lines[0]), 0u) << name;
        EXPECT_EQ(posted.size(), lines.size() - 1) << name;
        EXPECT_GE(posted.size(), 40u) << name;
    }
}

TEST(ShippedContent, QuestionsCoverEveryCategoryAndFilter) {
    std::vector<QuestTemplate> qs;
    std::string err;
    ASSERT_TRUE(quest_parse(shipped("question.kba"), qs, &err)) << err;
    EXPECT_GE(qs.size(), 150u);
    for (unsigned bit = 1; bit <= 32; bit <<= 1) EXPECT_GE(quest_questions(qs, "X", bit).size(), 25u) << bit;
    for (const char* f : kQuestFilters)
        if (*f) EXPECT_GE(quest_list(qs, "X", 0, f).size(), 10u) << f;
}

TEST(Rwords, SettingsAndJoin) {
    EXPECT_FALSE(rwords_parse({1, 0, 0}));
    EXPECT_FALSE(rwords_parse({1, 0, 0, 0, 0}));
    auto s = rwords_parse({1, 3, 0, -2});
    ASSERT_TRUE(s);
    EXPECT_EQ(rwords_list(*s), (std::vector<int>{1, 3, 0, 0}));
    EXPECT_EQ(rwords_join("a", ""), "a");
    EXPECT_EQ(rwords_join("", "b"), "b");
    EXPECT_EQ(rwords_join("", ""), "");
    EXPECT_EQ(rwords_join("a", "b"), "a + b");
}

struct Doc {
    std::map<int, int> settings;
    HintEnv env(bool in_progdir = false, bool tw = false) {
        HintEnv e;
        e.setting = [this](int c) { return settings.count(c) ? settings[c] : 0; };
        e.set_setting = [this](int c, int v) { settings[c] = v; };
        e.doc_in_progdir = in_progdir;
        e.text_window_open = tw;
        return e;
    }
};
const std::vector<int> kHint = {0, 1, 0, 0, 0, 0};

TEST(Hint, ProgramDirectoryAllowsOnlyTheFirstRules) {
    Doc d;
    Advisor a;
    std::vector<int> seen;
    for (int i = 0; i < 30; ++i)
        if (auto id = a.pass(kHint, d.env(true), fixed({i}))) seen.push_back(*id);
    ASSERT_FALSE(seen.empty());
    for (int id : seen) EXPECT_LT(id, 7010);
    // The system-file warning needs a goal other than the first.
    EXPECT_EQ(std::count(seen.begin(), seen.end(), 7002), 0);
    d.settings[331] = 3;
    Advisor b;
    b.pass(kHint, d.env(true), fixed({0}));
    EXPECT_TRUE(b.fact(331) == 3);
}

TEST(Hint, NoDocumentNothingFiresAndMalformedHintPostsNothing) {
    Doc d;
    Advisor a;
    HintEnv e = d.env();
    e.doc_in_progdir.reset();
    EXPECT_FALSE(a.pass(kHint, e, fixed({0})));
    EXPECT_EQ(a.pass_number(), 1);
    EXPECT_FALSE(a.pass({0, 1, 0}, d.env(), fixed({0})));
    EXPECT_EQ(a.pass_number(), 1);
}

TEST(Hint, HigherTierFirstAndRecentFactWins) {
    Doc d;
    d.settings = {{330, 3}, {331, 1}, {332, 1}, {333, 12}, {334, 1}, {341, 9}, {342, 1}};
    Advisor a;
    // Nothing in tier 3 holds (questions answered, 334 set, progress stage 2): tier 2 comes in.
    auto first = a.pass(kHint, d.env(), fixed({0}));
    ASSERT_TRUE(first);
    EXPECT_EQ(a.rule(*first)->tier, 2);
    // The project type changes to Plan: the rules testing it win on their newer score.
    d.settings[330] = 4;
    auto next = a.pass(kHint, d.env(), fixed({0}));
    ASSERT_TRUE(next);
    EXPECT_TRUE(*next == 7305 || *next == 7320 || *next == 7321) << *next;
}

TEST(Hint, FiredRuleRearmsAfterItsIntervalUnlessNoRepeat) {
    for (int no_repeat : {0, 1}) {
        Doc d;
        Advisor a;
        std::vector<int> hint = {0, 1, 0, no_repeat, 0, 0};
        std::map<int, std::vector<int>> when;
        for (int t = 0; t < 60; ++t)
            if (auto id = a.pass(hint, d.env(true), fixed({0}))) when[*id].push_back(a.pass_number());
        ASSERT_TRUE(when.count(7003));
        const auto& p = when[7003];
        if (no_repeat) EXPECT_EQ(p.size(), 1u);
        else {
            ASSERT_GE(p.size(), 2u);
            EXPECT_GE(p[1] - p[0], 15);
        }
    }
}

TEST(Hint, AnswersAreLoggedNewestFirstAndDeletingStopsTheQuestion) {
    Doc d;
    Advisor a;
    HintEnv e = d.env();
    a.log_answer(7001, 2);
    a.log_answer(7103, 40);
    a.log_answer(7001, 3);
    a.set_fact(331, 3, &e);
    EXPECT_EQ(d.settings[331], 3);
    EXPECT_EQ(a.answer_lines(), (std::vector<std::string>{"What's your Goal?: [Design]", "No. of Objects expected?: [40]"}));
    a.remove_rule(7103);
    EXPECT_EQ(a.rule(7103), nullptr);
    EXPECT_EQ(a.answer_lines().size(), 1u);
}

TEST(Hint, ListLineSkipsTheFirstLineAndAnUnfinishedLastOne) {
    std::string text = "first\nsecond\n third\nlast";
    struct Case {
        int pos;
        std::optional<std::string> want;
    } cases[] = {{0, "second"}, {5, "second"}, {6, std::nullopt}, {14, std::nullopt}};
    // From "second" on, the next line starts with a blank or is unfinished: ten misses.
    for (const auto& c : cases) EXPECT_EQ(hint_list_line(text, fixed({c.pos})), c.want) << c.pos;
    EXPECT_EQ(hint_list_line(text, fixed({14, 14, 14, 1})), "second");
    EXPECT_EQ(hint_list_line("", fixed({0})), std::nullopt);
    EXPECT_EQ(hint_progress_stage(3, 30), 0);
    EXPECT_EQ(hint_progress_stage(9, 12), 2);
    EXPECT_EQ(hint_progress_stage(9, 9), 0);
}

}  // namespace

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ideas/clist.h"

namespace {

// Gives the listed numbers in turn, each kept below n.
RandomInt fixed(std::vector<int> seq) {
    auto at = std::make_shared<size_t>(0);
    return [seq, at](int n) { return n <= 0 ? 0 : seq[(*at)++ % seq.size()] % n; };
}

TEST(Clist, IndexReadsLowerCasesAndWritesBackUnknownRecords) {
    ClistIndex idx;
    ASSERT_TRUE(clist_parse_index("index_(\"Ask.L\",\"Questions\",5,0)\nkeep_(1,\"x\")\ntopic_(2,\"Plan\")\n"
                                  "index_(\"b.l\",\"Bits\",0,0)\ntopic_(17,\"bad\")\n",
                                  idx));
    ASSERT_EQ(idx.entries.size(), 2u);
    EXPECT_EQ(idx.entries[0].file, "ask.l");
    ASSERT_NE(idx.by_file("ASK.l"), nullptr);
    EXPECT_EQ(idx.topic_name(2), "Plan");
    EXPECT_EQ(idx.topic_name(1), "");

    ClistIndex again;
    ASSERT_TRUE(clist_parse_index(clist_write_index(idx), again));
    EXPECT_EQ(again.entries, idx.entries);
    EXPECT_EQ(again.topics, idx.topics);
    ASSERT_EQ(again.others.size(), 2u);  // keep_ and the out-of-range topic survive
    EXPECT_EQ(again.others[0].name, "keep_");

}

// One damaged line costs nothing: the other records read, and the line is written back as it was.
TEST(Clist, ADamagedLineKeepsTheOtherRecordsAndIsWrittenBackAsItWas) {
    std::string err;
    ClistIndex broken;
    EXPECT_FALSE(clist_parse_index("index_(\"a.l\",\"A\",1,0)\r\nindex_(\"b.l\r\ntopic_(3,\"Risks\")\r\nindex_(\"c.l\",\"C\",0,0)\r\n",
                                   broken, &err));
    EXPECT_NE(err.find("line 2"), std::string::npos) << err;
    ASSERT_EQ(broken.entries.size(), 2u);
    EXPECT_EQ(broken.entries[1].file, "c.l");
    EXPECT_EQ(broken.topic_name(3), "Risks");
    EXPECT_EQ(broken.damaged, std::vector<std::string>{"index_(\"b.l"});
    broken.entries.push_back({"new.l", "New list", 0, 0});
    const std::string written = clist_write_index(broken);
    EXPECT_NE(written.find("\r\nindex_(\"b.l\r\n"), std::string::npos) << written;
    ClistIndex again;
    EXPECT_FALSE(clist_parse_index(written, again));
    EXPECT_EQ(again.entries.size(), 3u);

    std::vector<ClistChecks> checks;
    std::vector<std::string> damaged;
    EXPECT_FALSE(clist_parse_checks("checks_(\"a.l\",1,[0])\ncheks_(\"b.l\",1,[1\nchecks_(\"c.l\",2,[2,3])\n", checks, &err,
                                    &damaged));
    EXPECT_EQ(checks, (std::vector<ClistChecks>{{"a.l", 1, {0}}, {"c.l", 2, {2, 3}}}));
    EXPECT_EQ(clist_write_checks(checks, damaged),
              "checks_(\"a.l\",1,[0])\r\nchecks_(\"c.l\",2,[2,3])\r\ncheks_(\"b.l\",1,[1\r\n");
}

// Two running copies: each writes only the checklists it changed over what the file holds now.
TEST(Clist, MergingKeepsTheTicksAnotherCopyWrote) {
    const std::vector<ClistChecks> disk = {{"a.l", 5, {1}}, {"b.l", 5, {2}}, {"c.l", 5, {3}}};
    const std::vector<ClistChecks> ours = {{"a.l", 1, {9}}, {"b.l", 6, {4, 5}}};  // a.l as read long ago
    EXPECT_EQ(clist_merge_checks(disk, ours, {"b.l"}),
              (std::vector<ClistChecks>{{"a.l", 5, {1}}, {"c.l", 5, {3}}, {"b.l", 6, {4, 5}}}));
    // Ticks cleared here go; a checklist new to the file comes in.
    EXPECT_EQ(clist_merge_checks(disk, ours, {"c.l"}), (std::vector<ClistChecks>{{"a.l", 5, {1}}, {"b.l", 5, {2}}}));
    EXPECT_EQ(clist_merge_checks({}, ours, {"a.l"}), (std::vector<ClistChecks>{{"a.l", 1, {9}}}));
}

TEST(Clist, TopicFilterListsSortedDescriptionsHoldingEveryTopic) {
    ClistIndex idx;
    idx.entries = {{"c.l", "charlie", 0b011, 0}, {"a.l", "Alpha", 0b001, 0}, {"b.l", "bravo", 0b111, 0}};
    struct Case {
        uint32_t filter;
        std::vector<std::string> want;
    } cases[] = {
        {0, {"Alpha", "bravo", "charlie"}},
        {0b001, {"Alpha", "bravo", "charlie"}},
        {0b011, {"bravo", "charlie"}},
        {0b100, {"bravo"}},
        {0b1000, {}},
    };
    for (const auto& c : cases) EXPECT_EQ(clist_filter(idx, c.filter), c.want) << c.filter;
}

TEST(Clist, TopicLabelsAndSwitchedOffTopics) {
    ClistIndex idx;
    idx.topics = {{1, "Writing"}, {2, " "}, {3, ""}};
    EXPECT_EQ(clist_topic_label(idx, 1, true), "*Writing");
    EXPECT_EQ(clist_topic_label(idx, 3, false), "Topic 3");
    EXPECT_EQ(clist_topic_label(idx, 9, false), "Topic 9");
    EXPECT_FALSE(clist_topic_enabled(idx, 2));
    EXPECT_TRUE(clist_topic_enabled(idx, 3));

    ClistIndex none;
    none.topics = {{2, "Mine"}};
    none.add_default_topics();
    EXPECT_EQ(none.topic_name(1), "Topic 1");
    EXPECT_EQ(none.topic_name(2), "Mine");
}

TEST(Clist, ItemsAreLinesWithTheLastKeptOnlyWhenNotEmpty) {
    struct Case {
        const char* text;
        std::vector<std::string> want;
    } cases[] = {
        {"", {}},
        {"one\ntwo\n", {"one", "two"}},
        {"one\ntwo", {"one", "two"}},
        {"one\r\n\ntwo\r\n", {"one", "", "two"}},
        {"\n", {""}},
    };
    for (const auto& c : cases) EXPECT_EQ(clist_items(c.text), c.want) << c.text;
}

// A list saved as UTF-8 (as an office suite's "encoded text" writes it, with or without its mark)
// reads as the program's own text; a Windows-1252 list and one that is no UTF-8 stay as they are.
TEST(Clist, ListsSavedAsUtf8ReadAsTheProgramsText) {
    EXPECT_EQ(clist_list_text("\xEF\xBB\xBFPremi\xC3\xA8re id\xC3\xA9" "e\r\n\xE2\x80\x9CGo\xE2\x80\x9D \xE2\x82\xAC" "5\r\n"),
              "Premi\xe8re id\xe9" "e\r\n\x93Go\x94 \x80" "5\r\n");
    EXPECT_EQ(clist_list_text("na\xC3\xAFve \xE2\x88\x9E"), "na\xefve ?");  // no infinity in the code page
    EXPECT_EQ(clist_list_text("caf\xe9\nplain"), "caf\xe9\nplain");
    EXPECT_EQ(clist_list_text("\xC3\xA9t\xE9"), "\xC3\xA9t\xE9");  // half UTF-8, half not: as it is
    EXPECT_EQ(clist_list_text("\xEF\xBB\xBF"), "");
    EXPECT_NE(clist_cut_note("big.l", 3'200'000, 1 << 20).find("big.l holds 3.2 MB: only its lines in the first 1 MB"),
              std::string::npos);
}

TEST(Clist, ItemsLinkToChecklistsByDescriptionLessTrailingBrackets) {
    ClistIndex idx;
    idx.entries = {{"r.l", "Risks", 0, 0}};
    EXPECT_NE(clist_link(idx, "Risks]"), nullptr);
    EXPECT_NE(clist_link(idx, "Risks]]"), nullptr);
    EXPECT_NE(clist_link(idx, "Risks"), nullptr);
    EXPECT_EQ(clist_link(idx, "Risks ]"), nullptr);
    EXPECT_EQ(clist_link(idx, "]"), nullptr);
}

TEST(Clist, CheckStatesFollowTheFileAndEmptyOnesVanish) {
    std::vector<ClistChecks> checks;
    clist_record_checks(checks, "A.l", 100, {0, 2});
    clist_record_checks(checks, "b.l", 101, {1});
    clist_record_checks(checks, "a.l", 102, {3});  // replaced, moved to the end
    ASSERT_EQ(checks.size(), 2u);
    EXPECT_EQ(checks[1], (ClistChecks{"a.l", 102, {3}}));
    clist_record_checks(checks, "b.l", 103, {});
    ASSERT_EQ(checks.size(), 1u);
    EXPECT_EQ(clist_find_checks(checks, "B.L"), nullptr);

    std::vector<ClistChecks> back;
    ASSERT_TRUE(clist_parse_checks(clist_write_checks(checks) + "checks_(\"z.l\",1,[])\nother_(1)\n", back));
    EXPECT_EQ(back, checks);
    std::vector<ClistChecks> bad;
    EXPECT_FALSE(clist_parse_checks("checks_(\"a.l\",1,[1\n", bad));
}

TEST(Clist, TitleNamesTheWholeFileAndNoCountWithoutOne) {
    EXPECT_EQ(clist_title(16, "risk.l", 2, 9), "16 Checklists - risk.l Selected 2 of 9 items");
    // Dots in a folder or a name take nothing away.
    EXPECT_EQ(clist_title(3, "c:\\lists.v2\\my.plan.l", 0, 4), "3 Checklists - c:\\lists.v2\\my.plan.l Selected 0 of 4 items");
    EXPECT_EQ(clist_title(0, "", 0, 0), "Checklist - none selected");
}

TEST(Clist, LinksFollowRenamedChecklists) {
    // All renames at once: a link to "Old" becomes "Risks", not "Dangers".
    auto r = clist_rename_links("Plan it\r\nRisks]\r\nRisks to weigh\nRisks]]\nOld", {{"Risks", "Dangers"}, {"Old", "Risks"}});
    ASSERT_TRUE(r);
    EXPECT_EQ(*r, "Plan it\r\nDangers]\r\nRisks to weigh\nDangers]]\nRisks");
    EXPECT_FALSE(clist_rename_links("a\nb]\n", {{"c", "d"}}));
}

TEST(Clist, EntriesNeedADescriptionOfTheirOwn) {
    ClistIndex idx;
    idx.entries = {{"a.l", "Alpha", 0, 0}, {"b.l", " ", 0, 0}, {"c.l", "Alpha", 0, 0}};
    std::string which;
    EXPECT_EQ(clist_entry_fault(idx, &which), "Enter a description");
    EXPECT_EQ(which, "b.l");
    idx.entries[1].desc = "Beta";
    EXPECT_EQ(clist_entry_fault(idx, &which), "File description Alpha already exists");
    EXPECT_EQ(which, "c.l");
    idx.entries[2].desc = "Gamma";
    EXPECT_FALSE(clist_entry_fault(idx, &which));
}

TEST(Clist, RandomLineIsTheLineHoldingTheDrawnPosition) {
    std::string text = "ab\ncd\r\nef";
    struct Case {
        int pos;
        const char* want;
    } cases[] = {{0, "ab"}, {2, "ab"}, {3, "cd"}, {6, "cd"}, {7, "ef"}, {8, "ef"}};
    for (const auto& c : cases) EXPECT_EQ(clist_random_line(text, fixed({c.pos})), c.want) << c.pos;
    EXPECT_EQ(clist_random_line("", fixed({0})), std::nullopt);
}

}  // namespace

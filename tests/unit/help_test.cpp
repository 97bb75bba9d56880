#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

#include "elements/action_args.h"
#include "services/help.h"

namespace fs = std::filesystem;

namespace {

std::string read(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

const HelpBook& shipped() {
    static HelpBook b = help_parse(read(fs::path(VORN_SOURCE_DIR) / "data" / "vornhelp.txt"));
    return b;
}

// Every file of src/ whose name ends with one of the given endings.
std::vector<fs::path> sources(std::initializer_list<const char*> ends) {
    std::vector<fs::path> out;
    for (auto& e : fs::recursive_directory_iterator(fs::path(VORN_SOURCE_DIR) / "src"))
        for (const char* x : ends)
            if (e.path().string().ends_with(x)) out.push_back(e.path());
    return out;
}

}  // namespace

TEST(HelpParse, TopicsParagraphsAndMistakes) {
    HelpBook b = help_parse(
        "# comment\r\n"
        "stray text\n"
        "@topic 5 First\n"
        "@keys Alpha; beta ;\n"
        "@also 6 7\n"
        "@see 9\n"
        "@card 101 Open the first sample\n"
        "@card 201\n"
        "@card 99 Too low\n"
        "One line\n"
        "joined.\n"
        "\n"
        "- item one\n"
        "- item two\n"
        "@topic x Broken\n"
        "text of a broken topic is dropped\n"
        "@keys dropped\n"
        "@topic 6 Taken\n"
        "@topic 9 Second\n"
        "@also 5\n"
        "@see 1 2 x\n"
        "@colour red\n"
        "@popup 5 Pop\n"
        "Short.\n");
    ASSERT_EQ(b.topics.size(), 2u);
    const HelpTopic& t = b.topics[0];
    EXPECT_EQ(t.title, "First");
    EXPECT_EQ(t.keys, (std::vector<std::string>{"Alpha", "beta"}));
    EXPECT_EQ(t.body, "One line joined.\r\n\r\n- item one\r\n- item two");
    EXPECT_EQ(t.cards, (std::vector<HelpCard>{{101, "Open the first sample"}}));
    EXPECT_EQ(help_find(b, 7), &b.topics[0]);
    EXPECT_EQ(help_find(b, 9), &b.topics[1]);
    ASSERT_EQ(b.popups.size(), 1u);  // popups number on their own: 5 is not a clash
    EXPECT_EQ(help_find_popup(b, 5)->body, "Short.");
    std::vector<std::string> want = {"line 2: text before the first topic",
                                     "line 8: a card needs a number from 100 to 299 and a label",
                                     "line 9: a card needs a number from 100 to 299 and a label",
                                     "line 15: a topic needs a number and a title",
                                     "line 18: context number 6 used twice",
                                     "line 20: context number 5 used twice",
                                     "line 21: not a list of numbers",
                                     "line 22: unknown line @colour"};
    EXPECT_EQ(b.errors, want);
}

TEST(HelpParse, EmptyAndMissingLinks) {
    HelpBook none = help_parse("");
    EXPECT_EQ(help_resolve(none, 3), nullptr);
    HelpBook b = help_parse("@topic 4 Only\n@see 8\n");
    EXPECT_EQ(help_resolve(b, 3), &b.topics[0]);  // no contents topic: the first
    EXPECT_EQ(b.errors, std::vector<std::string>{"topic 4 links to missing 8"});
}

TEST(HelpLookup, KeywordsWindowsIndexAndSearch) {
    HelpBook b = help_parse(
        "@topic 0 Contents\nStart here.\n"
        "@topic 2 Links\n@keys Reverse; link menu\n@window Link &Properties\nA link joins objects.\n"
        "@topic 3 Objects\n@keys activate\nObjects hold a text; see links.\n");
    EXPECT_EQ(help_by_keyword(b, " REVERSE ")->id, 2);
    EXPECT_EQ(help_by_keyword(b, "revers"), nullptr);
    EXPECT_EQ(help_by_window(b, "link properties...")->id, 2);
    EXPECT_EQ(help_by_window(b, ""), nullptr);
    EXPECT_EQ(help_resolve(b, 99)->id, 0);

    std::vector<std::string> keys;
    for (auto& e : help_index(b)) keys.push_back(e.key);
    EXPECT_EQ(keys, (std::vector<std::string>{"activate", "Contents", "link menu", "Links", "Objects", "Reverse"}));
    ASSERT_EQ(help_index(b, "LI").size(), 2u);
    EXPECT_EQ(help_index(b, "li")[1].topic, 2);

    EXPECT_EQ(help_search(b, "links"), (std::vector<int>{2, 3}));  // title hit first
    EXPECT_EQ(help_search(b, "objects, TEXT"), (std::vector<int>{3}));
    EXPECT_TRUE(help_search(b, " ;, ").empty());
}

TEST(HelpLookup, TopicOfControl) {
    struct Case {
        int control, topic;
    } cases[] = {{1, 11},         {2, 12},         {10578, 283},  {10580, 285}, {10582, 287}, {10583, 80},
                 {10059, 321},    {10060, 321},    {10056, 320},  {10045, 359}, {10650, 32},  {13999, 0},
                 {10601, 37},     {10561, 108},    {13998, 0},    {3, 0}};
    for (auto& c : cases) EXPECT_EQ(help_topic_of_control(c.control), c.topic) << c.control;
}

// The shipped topic file must serve everything the program asks for.
TEST(HelpShipped, EveryContextNumberAndDialogHasHelp) {
    const HelpBook& b = shipped();
    EXPECT_TRUE(b.errors.empty()) << b.errors.front();
    ASSERT_NE(help_find(b, 0), nullptr);

    // Context numbers given to help_context anywhere in the program, as literals.
    std::regex call(R"(help_context\(([^;]*)\))"), number(R"(\b\d+\b)");
    std::set<int> used;
    for (auto& p : sources({".cpp", ".h"})) {
        std::string text = read(p);
        for (std::sregex_iterator it(text.begin(), text.end(), call), end; it != end; ++it) {
            std::string args = (*it)[1];
            for (std::sregex_iterator n(args.begin(), args.end(), number), e; n != e; ++n) used.insert(std::stoi((*n)[0]));
        }
    }
    EXPECT_GT(used.size(), 8u);
    for (int n : used) EXPECT_NE(help_find(b, n), nullptr) << "no topic " << n;

    // Controls the dialogs have: numeric ids in the resource headers and scripts, plus OK and Cancel.
    std::regex id(R"(\b(1\d{4})\b)");
    std::set<int> controls = {1, 2};
    std::set<std::string> captions;
    std::regex caption(R"(CAPTION\s+"([^"]+)\")");
    for (auto& p : sources({".h", ".rc"})) {
        if (p.parent_path().filename() != "resources") continue;
        std::string text = read(p);
        for (std::sregex_iterator it(text.begin(), text.end(), id), end; it != end; ++it) controls.insert(std::stoi((*it)[1]));
        for (std::sregex_iterator it(text.begin(), text.end(), caption), end; it != end; ++it) captions.insert((*it)[1]);
    }
    for (int c : controls) {
        int t = help_topic_of_control(c);
        if (t) {
            EXPECT_NE(help_find_popup(b, t), nullptr) << "control " << c << " topic " << t;
        }
    }
    EXPECT_GT(captions.size(), 20u);
    for (auto& c : captions) EXPECT_NE(help_by_window(b, c), nullptr) << "no topic for the window " << c;
}

// Every control a user can click or type into, in every dialog script, has pop-up help of its
// own; labels and frames lean on the control beside them.
TEST(HelpShipped, EveryDialogControlHasItsOwnPopup) {
    std::map<std::string, int> ids = {{"IDOK", 1}, {"IDCANCEL", 2}};
    std::regex define(R"(#define\s+(\w+)\s+(\d+))");
    for (auto& p : sources({"_ids.h", "ids.h"})) {
        std::string text = read(p);
        for (std::sregex_iterator it(text.begin(), text.end(), define), end; it != end; ++it)
            ids[(*it)[1]] = std::stoi((*it)[2]);
    }
    // EDITTEXT ID, ... / COMBOBOX ID, ... / PUSHBUTTON "x", ID, ... / CONTROL "x", ID, ...
    std::regex bare(R"(^\s*(EDITTEXT|COMBOBOX|LISTBOX)\s+(\w+)\s*,)"),
        labelled(R"(^\s*(PUSHBUTTON|DEFPUSHBUTTON|AUTOCHECKBOX|AUTORADIOBUTTON|CONTROL)\s+"[^"]*"\s*,\s*(\w+)\s*,)");
    int checked = 0;
    for (auto& p : sources({".rc"})) {
        std::istringstream in(read(p));
        for (std::string line; std::getline(in, line);) {
            std::smatch m;
            if (!std::regex_search(line, m, bare) && !std::regex_search(line, m, labelled)) continue;
            std::string id = m[2];
            int n = ids.count(id) ? ids[id] : std::isdigit(static_cast<unsigned char>(id[0])) ? std::stoi(id) : -1;
            ASSERT_GE(n, 0) << p.filename() << ": " << line;
            int topic = help_topic_of_control(n);
            EXPECT_NE(topic, 0) << p.filename() << ": " << id;
            if (topic) EXPECT_NE(help_find_popup(shipped(), topic), nullptr) << id;
            ++checked;
        }
    }
    EXPECT_GT(checked, 500);
}

// Every card opens a sample or runs a command, and every sample has a card.
TEST(HelpShipped, CardsReachEverySample) {
    std::set<int> samples;
    for (auto& t : shipped().topics)
        for (auto& c : t.cards) {
            if (c.number < 200) {
                EXPECT_NE(action_tcard_document(c.number), "") << "topic " << t.id << " card " << c.number;
                samples.insert(c.number);
            } else {
                EXPECT_NE(action_tcard_command(c.number), 0) << "topic " << t.id << " card " << c.number;
            }
        }
    EXPECT_EQ(samples.size(), 16u);
}

// A command the help names with its key, "Analyzer (F5)", is the menu item that shows that key
// (named in the words just before it).
TEST(HelpShipped, KeysNamedInTopicsAreTheMenusOwn) {
    std::multimap<std::string, std::string> items;  // key -> item text without "&" and "..."
    std::regex item(R"~(MENUITEM\s+"([^"\\]*)\\t([^"]+)")~");
    const std::string rc = read(fs::path(VORN_SOURCE_DIR) / "src" / "resources" / "main.rc");
    for (std::sregex_iterator it(rc.begin(), rc.end(), item), end; it != end; ++it) {
        std::string name = (*it)[1];
        name.erase(std::remove(name.begin(), name.end(), '&'), name.end());
        if (name.ends_with("...")) name.resize(name.size() - 3);
        items.emplace((*it)[2], name);
    }
    ASSERT_GT(items.size(), 20u);
    std::regex named(R"(\((F\d+|Ctrl\+[A-Z]|Esc)\))");
    int checked = 0;
    for (const auto& t : shipped().topics) {
        for (std::sregex_iterator it(t.body.begin(), t.body.end(), named), end; it != end; ++it) {
            const std::string before = t.body.substr(0, static_cast<size_t>(it->position()));
            auto [a, b] = items.equal_range((*it)[1]);
            bool found = false;
            const std::string near = before.substr(before.size() - std::min<size_t>(40, before.size()));
            for (auto i = a; i != b && !found; ++i) found = near.find(i->second + " ") != std::string::npos;
            EXPECT_TRUE(found) << "topic " << t.id << ": \"..." << before.substr(before.size() - std::min<size_t>(30, before.size()))
                               << (*it)[0] << "\" names no menu item with that key";
            ++checked;
        }
    }
    EXPECT_GT(checked, 10);
}

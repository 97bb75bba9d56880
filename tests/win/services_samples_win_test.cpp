// The training cards' sample documents, opened as the help opens them (WM_TCARD) and used as a
// reader of the card would: each shows the part of the program its card names, at work.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "bars/sbar.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/hypertext.h"
#include "document/doc_util.h"
#include "document/globals.h"
#include "document/view.h"
#include "elements/action_args.h"
#include "elements/link.h"
#include "resources/ideas_tools_ids.h"
#include "resources/ids.h"
#include "view/slideshow.h"
#include "win/win_test_util.h"

namespace {

using wt::Boxes;

class Samples : public wt::MainWindowTest {
protected:
    Samples() : MainWindowTest("vorn_samples_test") {}
    void SetUp() override {
        MainWindowTest::SetUp();
        Boxes::notes.clear();  // another copy of the program may be running
    }
    // The card's sample, as the help's "Try it" list sends it.
    void card(int number) {
        SendMessageA(win_, WM_TCARD, HELP_TCARD_DATA, number);
        wt::pump(30);
        ASSERT_EQ(file_lower(file_current_name()), file_lower(file_progdir_path(action_sample(number))));
    }
    static std::string action_sample(int number) {
        char name[16];
        std::snprintf(name, sizeof name, "sample%02d.vrn", number - 100);
        return name;
    }
    Obj obj(const std::string& id) {
        auto o = view_obj_find_id(id);
        EXPECT_TRUE(o) << id;
        return o ? *view_doc().obj(o->key) : Obj{};
    }
    // Enter on the object, as the user runs its action.
    void run(const std::string& id) {
        marked_obj_ = {obj(id).key};
        SendMessageA(view_inst_, WM_KEYDOWN, VK_RETURN, 0);
        SendMessageA(view_inst_, WM_KEYUP, VK_RETURN, 0);
        wt::pump(30);
    }
    std::string value(const std::string& id) {
        const std::string* v = view_doc().value(obj(id).key);
        return v ? *v : "(none)";
    }
    int level() { return sbar_view_state().level; }
    void TearDown() override {
        file_clear_changed();
        MainWindowTest::TearDown();
    }
};

// Every sample reads, explains itself in its first object's text, and holds no placeholder.
TEST_F(Samples, EverySampleExplainsItselfAndHoldsNoPlaceholder) {
    for (int n = 101; n <= 116; ++n) {
        SCOPED_TRACE(n);
        card(n);
        EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors[0];
        ASSERT_GE(view_doc().objs.size(), 4u);
        EXPECT_GE(view_doc().objs.front().ext.size(), 100u) << "the first object says what the sample shows";
        for (const Obj& o : view_doc().objs)
            EXPECT_EQ(o.ext.find("write your own text"), std::string::npos) << o.id;
        file_clear_changed();
    }
}

TEST_F(Samples, ObjectsLinksAndShapesShowTheirKinds) {
    card(101);
    std::set<int> figures;
    for (const Obj& o : view_doc().objs) figures.insert(o.shape);
    EXPECT_GE(figures.size(), 7u);
    EXPECT_TRUE(std::any_of(figures.begin(), figures.end(), [](int s) { return s > 188; })) << "an icon";

    card(102);
    std::set<int> routes, styles;
    int labelled = 0;
    for (const Link& l : view_doc().links) {
        routes.insert(l.route());
        styles.insert(l.kind % 256);
        labelled += !l.label.empty();
    }
    EXPECT_GE(routes.size(), 3u);
    EXPECT_GE(styles.size(), 3u);
    EXPECT_GE(labelled, 3);

    card(107);
    std::set<int> kinds;
    for (const Shape& s : view_doc().shapes) kinds.insert(s.kind);
    EXPECT_GE(kinds.size(), 5u);
}

// "Go to level 2" goes to level 2, a sub-level jump comes back with Back, a field leads where it
// says, and the sample's actions change what they name.
TEST_F(Samples, LevelsHypertextAndActionsGoWhereTheySay) {
    card(103);
    run("Go to the details");
    EXPECT_EQ(level(), 2);
    EXPECT_TRUE(obj("Details").level == 2);
    run("Details");  // Level Up
    EXPECT_EQ(level(), 1);
    run("The plan in depth");
    EXPECT_EQ(level(), 3);
    ASSERT_EQ(gosub_.size(), 1u);
    run("Plan");  // Back
    EXPECT_EQ(level(), 1);
    EXPECT_TRUE(gosub_.empty());

    card(104);
    // Every field of the title's text leads to an object or file that is there.
    const std::string text = obj("Hypertext").ext;
    int fields = 0;
    for (size_t s = text.find('\x0b'); s != std::string::npos; s = text.find('\x0b', s + 1)) {
        size_t sep = text.find('\x0e', s), end = text.find('\x0f', s);
        ASSERT_TRUE(sep != std::string::npos && end != std::string::npos && sep < end);
        const std::string hidden = text.substr(sep + 1, end - sep - 1);
        const int code = std::stoi(hidden.substr(0, 2));
        const std::string ext = hidden.substr(2);
        DocArg d = action_split_doc_arg("dummy.vrn " + ext);
        const std::string id = code == 15 ? ext : d.id;
        auto target = view_obj_find_id(id);
        ASSERT_TRUE(target) << hidden;
        if (code == 11) {
            EXPECT_EQ(view_doc().obj(target->key)->level, d.level);
        }
        ++fields;
    }
    EXPECT_EQ(fields, 2);
    EXPECT_EQ(tw_strip_hyperlinks(text).find('\x0b'), std::string::npos);

    card(105);
    run("Go to level 2");
    EXPECT_EQ(level(), 2);
    run("Level two");
    EXPECT_EQ(level(), 1);
    EXPECT_EQ(value("Light"), "1");
    run("Switch");
    EXPECT_EQ(obj("Switch").ext, "=0");
    EXPECT_EQ(value("Light"), "0") << "the light follows the switch";
    run("Activate Switch");
    EXPECT_EQ(value("Light"), "1");
    const int colour = obj("Change colour").colour;
    run("Change colour");
    EXPECT_NE(obj("Change colour").colour, colour);
    run("Open the Levels sample");
    EXPECT_EQ(file_lower(file_name_part(file_current_name())), "sample03.vrn");
}

TEST_F(Samples, ClustersAndTheSlideshowHaveTheirOrder) {
    card(106);
    EXPECT_EQ(view_doc().clusters.size(), 2u);
    std::vector<int> before;
    for (Key k : view_link_from(obj("Centre").key)) before.push_back(view_doc().obj(k)->colour);
    ASSERT_EQ(before.size(), 6u);
    run("Centre");
    size_t k = 0;
    for (Key leaf : view_link_from(obj("Centre").key)) EXPECT_NE(view_doc().obj(leaf)->colour, before[k++]);

    card(108);
    std::vector<Key> order = slideshow_order(1);
    ASSERT_EQ(order.size(), 5u);
    EXPECT_EQ(view_doc().obj(order.front())->id, "Welcome");
    EXPECT_EQ(view_doc().obj(order.back())->id, "Thank you");
}

// The calculator's stored values are what Recompute gives; the critical path is found.
TEST_F(Samples, FormulasAndTheScheduleCompute) {
    card(109);
    const std::vector<std::pair<Key, std::string>> stored = view_doc().values;
    EXPECT_EQ(value("Total"), "50");
    run("Recompute");
    EXPECT_EQ(view_doc().values, stored);
    EXPECT_EQ(value("Sum"), "60");
    EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors[0];
    EXPECT_TRUE(Boxes::notes.empty()) << Boxes::notes[0];

    card(110);
    const std::string report = file_progdir_path("sample10.txt");
    const bool had_report = std::filesystem::exists(report);
    run("Recompute");
    EXPECT_EQ(obj("Release[ES=23  LC=23]").level, 1);
    int critical = 0;
    for (const Link& l : view_doc().links)
        if (l.flags & kLinkHighlight) ++critical;
    EXPECT_EQ(critical, 4) << "Start-Design-Build-Test-Release";
    EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors[0];
    if (!had_report) std::filesystem::remove(report);
}

TEST_F(Samples, IdeaToolsAndTheWebHaveWhatTheyNeed) {
    card(111);
    const Obj& list = obj("Problem solving");
    EXPECT_EQ(list.action, 19);
    EXPECT_TRUE(file_exists(file_progdir_path(list.ext))) << list.ext;

    card(112);
    EXPECT_EQ(obj("Analyzer").action, 27);
    EXPECT_EQ(view_link_from(obj("Trip to the coast").key).size(), 3u);

    card(115);
    std::vector<std::string> ideas;
    wt::when_dialog("Generate Ideas", [&](HWND d) {
        wt::pump(100);  // its first paint makes the ideas
        HWND list = GetDlgItem(d, IDC_GEN_LIST);
        for (int k = 0; k < SendMessageA(list, LB_GETCOUNT, 0, 0); ++k) {
            char buf[256] = {};
            SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(k), reinterpret_cast<LPARAM>(buf));
            ideas.emplace_back(buf);
        }
        wt::press(d, IDCANCEL);
    });
    run("Idea");
    ASSERT_EQ(ideas.size(), 5u);
    for (const auto& i : ideas) EXPECT_GE(std::count(i.begin(), i.end(), ' '), 3) << i;

    card(116);
    EXPECT_EQ(obj("Ideas on the web").action, 6);
    EXPECT_EQ(obj("Ideas on the web").ext.rfind("http://", 0), 0u);
}

}  // namespace

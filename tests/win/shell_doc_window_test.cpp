// The main window and its document: the changed mark in the title, and documents opened over
// DDE that wait until no question or dialog is showing.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "app/file_win.h"
#include "base/file.h"
#include "document/doc_util.h"
#include "document/view.h"
#include "elements/bg_transition.h"
#include "base/globals_win.h"
#include "resources/ids.h"
#include "win/win_test_util.h"

namespace {

using wt::Boxes;
using wt::pump;

std::string doc_text(const char* id) {
    std::string t;
    for (int k = 1; k <= 60; ++k)
        t += "j_(" + std::to_string(k) + ",\"" + id + " " + std::to_string(k) + "\",1," + std::to_string(k * 40) +
             ",0,0,0,161,0,1,0,0,\"\")\r\n";
    return t + "p_(350,20110)\r\n";
}

std::string read_file(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string title(HWND w) {
    char t[512] = {};
    GetWindowTextA(w, t, sizeof t);
    return t;
}

class ShellDocWindow : public wt::MainWindowTest {
protected:
    ShellDocWindow() : MainWindowTest("vorn_doc_window_test") {}
    void open_doc(const std::string& name, const char* id) {
        std::ofstream(name, std::ios::binary) << doc_text(id);
        ASSERT_EQ(file_open_document(name), 1);
    }
    void command(int id) { SendMessageA(win_, WM_COMMAND, id, 0); }
};

// The changed mark shows from the first edit, goes with a save, and goes when Undo returns to
// what was saved.
TEST_F(ShellDocWindow, TheTitleShowsWhetherTheDocumentDiffersFromItsFile) {
    open_doc(path("t.vrn"), "one");
    const std::string clean = title(win_);
    EXPECT_EQ(clean, "Vorn Idea Processor - [" + path("t.vrn") + "]");
    command(CMD_SELECT_ALL);
    command(CMD_DELETE);
    EXPECT_EQ(title(win_), clean + " *");
    command(CMD_UNDO);
    EXPECT_EQ(title(win_), clean);
    command(CMD_REDO);
    EXPECT_EQ(title(win_), clean + " *");
    command(CMD_SAVE);
    EXPECT_EQ(title(win_), clean);
    command(CMD_UNDO);
    EXPECT_EQ(title(win_), clean + " *");
    command(CMD_REDO);
    EXPECT_EQ(title(win_), clean);
}

// Open requests that arrive over DDE while the save question or a modal dialog is showing wait;
// the answer saves the document it was asked about, and the requests then open one by one.
using wt::DdeClient;

struct Asked {
    static inline DdeClient* client = nullptr;
    static inline std::vector<std::string> sent;
    static inline std::vector<std::string> titles;  // the main title while each question showed
    static inline int depth = 0, deepest = 0;
    static inline HWND main = nullptr;
    static int ask(const std::string& t, const std::string& title_text, bool c) {
        Boxes::ask(t, title_text, c);
        deepest = std::max(deepest, ++depth);
        for (const std::string& name : sent) client->execute("[open(\"" + name + "\")]");
        sent.clear();
        pump(300);  // the box's own message loop
        titles.push_back(title(main));
        --depth;
        return 1;
    }
};

TEST_F(ShellDocWindow, DdeOpensWaitForTheSaveQuestionAndModalDialogs) {
    std::string a = path("a.vrn"), b = path("b.vrn"), c = path("c.vrn");
    std::ofstream(b, std::ios::binary) << doc_text("bee");
    std::ofstream(c, std::ios::binary) << doc_text("sea");
    open_doc(a, "ay");
    command(CMD_SELECT_ALL);
    command(CMD_DELETE);
    DdeClient client;
    ASSERT_TRUE(client.connect());
    Asked::client = &client;
    Asked::sent = {b, c};
    Asked::main = win_;
    MsgHooks boxes = msg_set_hooks({Boxes::note, Boxes::error, Asked::ask});
    command(CMD_NEW);
    pump(300);
    msg_set_hooks(boxes);
    EXPECT_EQ(Asked::deepest, 1);
    ASSERT_EQ(Boxes::questions.size(), 1u);
    EXPECT_NE(Boxes::questions[0].find(a), std::string::npos);
    EXPECT_EQ(Asked::titles, std::vector<std::string>{"Vorn Idea Processor - [" + a + "] *"});
    // The question saved a, with the edit; b and c opened after it, unchanged.
    EXPECT_EQ(read_file(a).find("ay 1"), std::string::npos);
    EXPECT_EQ(read_file(b), doc_text("bee"));
    EXPECT_EQ(file_current_name(), c);
    EXPECT_TRUE(view_obj_find_id("sea 1"));
    EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors[0];
    // Names the program does not open are refused, not dropped.
    EXPECT_FALSE(client.execute("[open(\"" + path("tool.exe") + "\")]"));
    // A modal dialog (a file dialog, Save As) disables the main window: the document under it
    // stays until the dialog is gone.
    EnableWindow(win_, FALSE);
    EXPECT_TRUE(client.execute("[open(\"" + b + "\")]"));
    pump(300);
    EXPECT_EQ(file_current_name(), c);
    EnableWindow(win_, TRUE);
    pump(400);
    EXPECT_EQ(file_current_name(), b);
}

// A burst of requests for missing and refused documents: no question about a file that is not
// there, one question at most, and one error box that lists what failed.
TEST_F(ShellDocWindow, ABurstOfDdeRequestsAsksOnceAndReportsInOneBox) {
    const std::string a = path("a.vrn"), broken = path("broken.vrn"), good = path("good.vrn");
    open_doc(a, "ay");
    command(CMD_SELECT_ALL);
    command(CMD_DELETE);
    std::ofstream(broken, std::ios::binary) << "j_(1,\"cut off\r\n";
    std::ofstream(good, std::ios::binary) << doc_text("good");
    DdeClient client;
    ASSERT_TRUE(client.connect());
    Boxes::answer = 2;
    const int kMissing = 40;
    for (int k = 0; k < kMissing; ++k)
        ASSERT_TRUE(client.execute("[open(\"" + path(("gone" + std::to_string(k) + ".vrn").c_str()) + "\")]")) << k;
    ASSERT_TRUE(client.execute("[open(\"" + broken + "\")][open(\"" + good + "\")]"));
    for (int k = 0; k < 60 && Boxes::errors.empty(); ++k) pump(50);
    pump(400);
    ASSERT_EQ(Boxes::questions.size(), 1u);
    ASSERT_EQ(Boxes::errors.size(), 1u);
    const std::string& box = Boxes::errors[0];
    EXPECT_EQ(box.rfind(std::to_string(kMissing + 1) + " documents could not be opened:", 0), 0u) << box;
    EXPECT_NE(box.find("gone0.vrn"), std::string::npos);
    EXPECT_NE(box.find("and " + std::to_string(kMissing + 1 - 15) + " more"), std::string::npos) << box;
    // The answer "No" stood for the whole burst: the good document opened after the broken one.
    EXPECT_EQ(file_current_name(), good);
}

class ShellShownWindow : public wt::MainWindowTest {
protected:
    ShellShownWindow() : MainWindowTest("vorn_doc_shown_test", SW_SHOWNOACTIVATE) {}
    void TearDown() override {
        slideshow_effects_set(false);
        MainWindowTest::TearDown();
    }
};

// A document that is refused leaves the open one on screen: its closing transition (a wipe to
// black) plays only when another document really comes.
TEST_F(ShellShownWindow, ARefusedDocumentLeavesTheOpenOneOnScreen) {
    const std::string shown = path("shown.vrn"), broken = path("broken.vrn");
    std::ofstream(shown, std::ios::binary) << doc_text("shown") << "p_(61,1)\r\n";
    std::ofstream(broken, std::ios::binary) << "j_(1,\"cut off\r\n";
    ASSERT_EQ(file_open_document(shown), 1);
    slideshow_effects_set(true);
    pump(100);
    RECT c;
    GetClientRect(view_inst_, &c);
    const POINT probes[] = {{4, 4}, {c.right - 4, c.bottom - 4}, {c.right / 2, 4}};
    for (POINT p : probes) ASSERT_NE(wt::pixel(view_inst_, p.x, p.y), RGB(0, 0, 0)) << p.x << "," << p.y;
    EXPECT_EQ(file_open_document(broken), 0);
    ASSERT_EQ(Boxes::errors.size(), 1u);
    pump(100);
    for (POINT p : probes) EXPECT_NE(wt::pixel(view_inst_, p.x, p.y), RGB(0, 0, 0)) << p.x << "," << p.y;
    EXPECT_EQ(file_current_name(), shown);
    wt::shot(win_, "refused_document");
}

}  // namespace

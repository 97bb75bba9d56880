#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>

#include "app/file_win.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/settings.h"
#include "document/globals.h"
#include "document/view.h"
#include "ideas/clist_win.h"
#include "resources/ideas_tools_ids.h"
#include "resources/ids.h"
#include "win/print_unix.h"
#include "win/win_test_util.h"

namespace {

using wt::Boxes;
using wt::pump;

std::function<void(HWND)> drive_;
const char* drive_title_ = "";
void CALLBACK drive_timer(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = FindWindowA("#32770", drive_title_);
    if (!dlg || !drive_) return;
    KillTimer(nullptr, id);
    auto d = std::move(drive_);
    drive_ = nullptr;
    d(dlg);
}

std::string lb_text(HWND dlg, int id, int i) {
    char buf[512] = {};
    SendDlgItemMessageA(dlg, id, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buf));
    return buf;
}

std::string title(HWND w) {
    char buf[512] = {};
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

class IdeasTools : public wt::MainWindowTest {
protected:
    IdeasTools() : MainWindowTest("vorn_ideas_tools_test") {}
    void SetUp() override {
        MainWindowTest::SetUp();
        view_doc() = Document();
        write("index.kba",
              "index_(\"Plan.l\",\"Planning\",1,0)\nindex_(\"risk.l\",\"Risks\",3,0)\nindex_(\"empty.l\",\"Nothing\",2,0)\n"
              "topic_(1,\"Work\")\ntopic_(2,\"Later\")\ntopic_(3,\" \")\n");
        write("plan.l", "Set a date\nRisks]\nName an owner\n");
        write("risk.l", "Late delivery\nNo budget\n");
        write("empty.l", "");
        file_setting_set_text("Checklist", path("index.kba"));
        clist_set_checks_path(path("ticks.chk"));
        clist_drop_index();
    }
    void TearDown() override {
        if (HWND d = dlg_find_modeless(IDD_CLIST)) DestroyWindow(d);
        if (HWND d = dlg_find_modeless(IDD_QUEST)) SendMessageA(d, WM_COMMAND, IDCANCEL, 0);
        clist_set_checks_path("");
        MainWindowTest::TearDown();
    }
    void write(const char* name, const std::string& text) {
        std::ofstream(path(name), std::ios::binary) << text;
    }
    std::string read(const char* name) {
        std::ifstream in(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    HWND open_checklists() {
        SendMessageA(win_, WM_COMMAND, CMD_CHECKLISTS, 0);
        pump(20);
        return dlg_find_modeless(IDD_CLIST);
    }
    void tick(HWND dlg, int item, bool on = true) {
        SendDlgItemMessageA(dlg, IDC_CLIST_ITEMS, LB_SETSEL, on, item);
        SendDlgItemMessageA(dlg, IDC_CLIST_ITEMS, LB_SETCARETINDEX, item, 0);
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_CLIST_ITEMS, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDC_CLIST_ITEMS)));
    }
    void pick_list(HWND dlg, int i) {
        SendDlgItemMessageA(dlg, IDC_CLIST_LISTS, LB_SETCURSEL, i, 0);
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_CLIST_LISTS, LBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDC_CLIST_LISTS)));
    }
};

TEST_F(IdeasTools, ChecklistTicksSurviveClosingAndARestart) {
    HWND dlg = open_checklists();
    ASSERT_NE(dlg, nullptr);
    // Sorted descriptions; the first is shown; topic 3 is switched off.
    ASSERT_EQ(SendDlgItemMessageA(dlg, IDC_CLIST_LISTS, LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(lb_text(dlg, IDC_CLIST_LISTS, 0), "Nothing");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_CLIST_TOPIC1 + 2)));
    pick_list(dlg, 1);
    EXPECT_EQ(title(dlg), "3 Checklists - plan.l Selected 0 of 3 items");
    tick(dlg, 2);
    EXPECT_EQ(title(dlg), "3 Checklists - plan.l Selected 1 of 3 items");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_CLIST_PROMOTE)));
    SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    pump(20);
    EXPECT_EQ(dlg_find_modeless(IDD_CLIST), nullptr);
    EXPECT_NE(read("ticks.chk").find("checks_(\"plan.l\","), std::string::npos);

    // As after a restart: the ticks come back from the file, in the list left open.
    clist_set_checks_path(path("ticks.chk"));
    dlg = open_checklists();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(lb_text(dlg, IDC_CLIST_LISTS, SendDlgItemMessageA(dlg, IDC_CLIST_LISTS, LB_GETCURSEL, 0, 0)), "Planning");
    EXPECT_GT(SendDlgItemMessageA(dlg, IDC_CLIST_ITEMS, LB_GETSEL, 2, 0), 0);
    EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_CLIST_ITEMS, LB_GETSELCOUNT, 0, 0), 1);

    // Clear All writes a file without the checklist.
    SendMessageA(dlg, WM_COMMAND, IDC_CLIST_CLEAR, 0);
    EXPECT_EQ(read("ticks.chk"), "");
    EXPECT_TRUE(Boxes::errors.empty());
}

TEST_F(IdeasTools, ChecklistItemsLinkAndBackReturns) {
    HWND dlg = open_checklists();
    ASSERT_NE(dlg, nullptr);
    pick_list(dlg, 1);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_CLIST_BACK)));
    tick(dlg, 1);  // "Risks]"
    EXPECT_EQ(clist_curr_file(), "risk.l");
    EXPECT_EQ(lb_text(dlg, IDC_CLIST_ITEMS, 0), "Late delivery");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_CLIST_BACK)));
    SendMessageA(dlg, WM_COMMAND, IDC_CLIST_BACK, 0);
    EXPECT_EQ(clist_curr_file(), "plan.l");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_CLIST_BACK)));
    // The link itself was not ticked.
    EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_CLIST_ITEMS, LB_GETSELCOUNT, 0, 0), 0);

    // A topic nobody holds empties the list.
    CheckDlgButton(dlg, IDC_CLIST_TOPIC1 + 3, BST_CHECKED);
    SendMessageA(dlg, WM_COMMAND, IDC_CLIST_TOPIC1 + 3, 0);
    EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_CLIST_LISTS, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(title(dlg), "Checklist - none selected");
    EXPECT_EQ(view_param_get(15), 8);
}

TEST_F(IdeasTools, ChecklistTicksOutliveBackAFilterChangeAndAnIndexSwitch) {
    write("user.kba", "index_(\"risk.l\",\"Risks\",1,0)\n");
    file_setting_set_text("ChecklistUser", path("user.kba"));
    HWND dlg = open_checklists();
    ASSERT_NE(dlg, nullptr);
    pick_list(dlg, 1);
    tick(dlg, 1);  // follows "Risks]"
    ASSERT_EQ(clist_curr_file(), "risk.l");
    tick(dlg, 0);
    tick(dlg, 1);
    SendDlgItemMessageA(dlg, IDC_CLIST_BACK, BM_CLICK, 0, 0);
    ASSERT_EQ(clist_curr_file(), "plan.l");
    tick(dlg, 1);
    EXPECT_EQ(title(dlg), "3 Checklists - risk.l Selected 2 of 2 items");

    // A topic box rebuilds the lists; the tick taken off before stays off, the other stays on.
    tick(dlg, 0, false);
    SendDlgItemMessageA(dlg, IDC_CLIST_TOPIC1, BM_CLICK, 0, 0);
    ASSERT_EQ(view_param_get(15), 1);
    pick_list(dlg, 1);  // Planning, Risks
    ASSERT_EQ(clist_curr_file(), "risk.l");
    EXPECT_EQ(title(dlg), "2 Checklists - risk.l Selected 1 of 2 items");

    // The other index shows the same file with the tick made just before the switch.
    tick(dlg, 0);
    SendDlgItemMessageA(dlg, IDC_CLIST_USER, BM_CLICK, 0, 0);
    ASSERT_EQ(view_param_get(16), 1);
    pick_list(dlg, 0);
    ASSERT_EQ(clist_curr_file(), "risk.l");
    EXPECT_EQ(title(dlg), "1 Checklists - risk.l Selected 2 of 2 items");
}

TEST_F(IdeasTools, AFailedChecklistLookupLeavesTheDocumentAsItWas) {
    write("user.kba", "");
    file_setting_set_text("ChecklistUser", path("user.kba"));
    Obj o = view_obj_new("Open", 0, 0, 1);
    o.action = 19;
    o.ext = "nowhere.l";
    Key k = *view_obj_put(o);
    view_param_set(15, 2);
    file_clear_changed();
    marked_obj_ = {k};
    SendMessageA(view_inst_, WM_KEYDOWN, VK_RETURN, 0);
    pump(20);
    marked_obj_.clear();
    ASSERT_FALSE(Boxes::notes.empty());
    EXPECT_EQ(Boxes::notes.back(), "Cannot find nowhere.l in Checklist Index file");
    EXPECT_EQ(dlg_find_modeless(IDD_CLIST), nullptr);
    EXPECT_EQ(view_param_get(16), 0);
    EXPECT_EQ(view_param_get(15), 2);
    EXPECT_EQ(file_is_changed(), 0);
    // F6 shows the standard index again.
    HWND dlg = open_checklists();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_CLIST_STANDARD), BST_CHECKED);
    EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_CLIST_LISTS, LB_GETCOUNT, 0, 0), 2);  // topic 2: Nothing, Risks
}

TEST_F(IdeasTools, DamagedKnowledgeFilesNameTheLineAndTheReason) {
    write("index.kba", "index_(\"plan.l\",\"Planning\",1,0)\nindex_(\"risk.l\",\"Risks,3,0)\n");
    write("ticks.chk", "checks_(\"plan.l\",1,[0])\nchecks_(\"risk.l\",1,[0,]\n");
    clist_set_checks_path(path("ticks.chk"));
    HWND dlg = open_checklists();
    ASSERT_NE(dlg, nullptr);
    ASSERT_EQ(Boxes::errors.size(), 2u);
    EXPECT_EQ(Boxes::errors[0].rfind("Loading " + path("index.kba") + " (line 2: unterminated string)\n", 0), 0u)
        << Boxes::errors[0];
    EXPECT_EQ(Boxes::errors[1].rfind("Loading " + path("ticks.chk") + " (line 2: expected a number, string or list)\n", 0), 0u)
        << Boxes::errors[1];
    DestroyWindow(dlg);

    write("q.kba", "q_(\"100000\",\"When did %s start?\")\n\nq_(\"001000\" \"Who is %s?\")\n");
    file_setting_set_text("Question", path("q.kba"));
    SendMessageA(win_, WM_COMMAND, CMD_QUESTIONS, 0);
    pump(20);
    ASSERT_EQ(Boxes::errors.size(), 3u);
    EXPECT_EQ(Boxes::errors[2], "Loading " + path("q.kba") + " (line 3: expected ',' or ')')");
}

// F6 and Advance read the index and the ticks again each time: the damage of each file is told
// once while it stays as it is, and again once it was written since.
TEST_F(IdeasTools, ADamagedIndexOrTickFileIsToldOnceUntilItIsWrittenAgain) {
    write("index.kba", "index_(\"plan.l\",\"Planning\",1,0)\nindex_(\"risk.l\",\"Risks to name,3,0)\n");
    write("ticks.chk", "checks_(\"plan.l\",17143,[1])\nchecks_(\"risk.l\",17143,[1\n");
    HWND dlg = open_checklists();
    ASSERT_NE(dlg, nullptr);
    ASSERT_EQ(Boxes::errors.size(), 2u) << Boxes::errors.front();
    EXPECT_NE(Boxes::errors[0].find("index.kba (line 2: unterminated string)"), std::string::npos) << Boxes::errors[0];
    EXPECT_NE(Boxes::errors[1].find("ticks.chk (line 2:"), std::string::npos) << Boxes::errors[1];
    bool edited = false;
    wt::when_dialog("Checklist Editor", [&](HWND ed) {
        edited = true;
        wt::press(ed, IDCANCEL);
    }, IDC_CLED_EDIT);
    SendDlgItemMessageA(dlg, IDC_CLIST_ADVANCE, BM_CLICK, 0, 0);
    EXPECT_TRUE(edited);
    dlg = open_checklists();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_CLIST_LISTS, LB_GETCOUNT, 0, 0), 1);
    EXPECT_GT(SendDlgItemMessageA(dlg, IDC_CLIST_ITEMS, LB_GETSEL, 1, 0), 0);  // the good record's tick
    SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    pump(20);
    EXPECT_EQ(Boxes::errors.size(), 2u) << Boxes::errors.back();

    write("index.kba", "index_(\"plan.l\",\"Planning\",1,0)\nindex_(\"risk.l\",\"Risks\",3,0\n");
    ASSERT_NE(open_checklists(), nullptr);
    ASSERT_EQ(Boxes::errors.size(), 3u);
    EXPECT_NE(Boxes::errors[2].find("index.kba (line 2: unexpected end of file)"), std::string::npos) << Boxes::errors[2];
}

// Edit File opens the list that lies beside its index, wherever the document and the working
// folder are, under the name as the disk writes it; its question keeps that case too.
TEST_F(IdeasTools, EditFileOpensTheListBesideItsIndexUnderItsOwnName) {
    wt::HostDir host("VornLists");
    ASSERT_TRUE(host.run("printf 'index_(\"risk.l\",\"Risks\",1,0)\r\n' > clist.kba && printf 'Late delivery\n' > Risk.L"));
    file_setting_set_text("Checklist", host.dos("clist.kba"));
    clist_drop_index();
    wt::use_real_questions();
    HWND dlg = open_checklists();
    ASSERT_NE(dlg, nullptr);
    wt::when_dialog("Checklist Editor", [](HWND ed) { wt::press(ed, IDC_CLED_EDIT); }, IDC_CLED_EDIT);
    SendDlgItemMessageA(dlg, IDC_CLIST_ADVANCE, BM_CLICK, 0, 0);
    EXPECT_TRUE(wt::dialog_drivers().empty());
    wt::forget_dialogs();
    EXPECT_TRUE(Boxes::notes.empty()) << Boxes::notes.front();
    ASSERT_EQ(tw_inst_.size(), 1u) << "the list did not open";
    HWND tw = tw_inst_.back().win;
    EXPECT_EQ(wt::text_of(tw), host.dos("Risk.L"));

    SendMessageA(tw, WM_CHAR, 'x', 0);
    wt::BoxSeen asked;
    wt::answer_box("File Changed", IDNO, &asked);
    SendMessageA(tw, WM_CLOSE, 0, 0);
    wt::forget_dialogs();
    EXPECT_EQ(asked.text, "Save textfile Risk.L ?");
    EXPECT_EQ(wt::read_text(host.dos("Risk.L")), "Late delivery\n");
}

// One damaged line of an index made elsewhere: the checklists and topics around it stay usable, and
// what the editor saves keeps every line. Edit File offers to save the editor's changes first.
TEST_F(IdeasTools, ADamagedIndexKeepsEveryLineAndEditFileOffersToSaveFirst) {
    wt::HostDir host("vorn-clist");
    ASSERT_TRUE(host.run("printf 'index_(\"plan.l\",\"Planning\",1,0)\\r\\nindex_(\"risk.l\",\"Risks\\r\\n"
                         "index_(\"goal.l\",\"Goals\",2,0)\\r\\ntopic_(1,\"Work\")\\r\\ntopic_(2,\"Later\")\\r\\n' > clist.kba && "
                         "printf 'Set a date\\nName an owner\\n' > plan.l && printf 'Aim high\\n' > goal.l"));
    const std::string index = host.dos("clist.kba");
    file_setting_set_text("Checklist", index);
    ASSERT_TRUE(file_save_document(host.dos("plan.vrn")));  // Edit File looks beside the document
    clist_drop_index();
    const std::string made = wt::read_text(index);
    wt::use_real_questions();

    HWND dlg = open_checklists();
    ASSERT_NE(dlg, nullptr);
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_NE(Boxes::errors[0].find("line 2: unterminated string"), std::string::npos) << Boxes::errors[0];
    EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_CLIST_LISTS, LB_GETCOUNT, 0, 0), 2);  // Goals, Planning
    pick_list(dlg, 0);
    EXPECT_EQ(wt::text_of(GetDlgItem(dlg, IDC_CLIST_TOPIC1 + 1)), "*Later");

    // An edit, then Edit File answered No: nothing is written, the list opens to be edited.
    auto edit_then_edit_file = [&](int answer, wt::BoxSeen* asked) {
        wt::when_dialog("Checklist Editor", [](HWND ed) {
            SetDlgItemTextA(ed, IDC_CLED_DESC, "Goals to reach");
            wt::press(ed, IDC_CLED_EDIT);
        }, IDC_CLED_EDIT);
        wt::answer_box("Checklist Editor", answer, asked);
        SendMessageA(dlg_find_modeless(IDD_CLIST), WM_COMMAND, IDC_CLIST_ADVANCE, 0);
        EXPECT_TRUE(wt::dialog_drivers().empty());
        wt::forget_dialogs();
    };
    wt::BoxSeen asked;
    edit_then_edit_file(IDNO, &asked);
    EXPECT_NE(asked.text.find("Save the changes"), std::string::npos) << asked.text;
    EXPECT_EQ(wt::read_text(index), made);
    EXPECT_FALSE(tw_inst_.empty()) << "the list did not open";

    dlg = open_checklists();
    ASSERT_NE(dlg, nullptr);
    pick_list(dlg, 0);
    edit_then_edit_file(IDYES, nullptr);
    const std::string saved = wt::read_text(index);
    EXPECT_NE(saved.find("index_(\"goal.l\",\"Goals to reach\",2,0)"), std::string::npos) << saved;
    EXPECT_NE(saved.find("index_(\"plan.l\",\"Planning\",1,0)"), std::string::npos) << saved;
    EXPECT_NE(saved.find("\r\nindex_(\"risk.l\",\"Risks\r\n"), std::string::npos) << saved;
    EXPECT_NE(saved.find("topic_(2,\"Later\")"), std::string::npos) << saved;
}

// An index that could not be read (another program held it) is never written over by the nothing
// that loaded, even once it could be.
TEST_F(IdeasTools, AnIndexThatCouldNotBeReadIsNeverWrittenOver) {
    const std::string before = read("index.kba");
    HWND dlg = open_checklists();
    ASSERT_NE(dlg, nullptr);
    HANDLE held = CreateFileA(path("index.kba").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    drive_title_ = "Checklist Editor";
    drive_ = [&](HWND ed) {
        EXPECT_EQ(SendDlgItemMessageA(ed, IDC_CLED_FILE, CB_GETCOUNT, 0, 0), 0);
        CloseHandle(held);
        held = nullptr;
        SendMessageA(ed, WM_COMMAND, IDOK, 0);
        SendMessageA(ed, WM_COMMAND, IDCANCEL, 0);
    };
    SetTimer(nullptr, 0, 30, drive_timer);
    SendMessageA(dlg, WM_COMMAND, IDC_CLIST_ADVANCE, 0);
    if (held) CloseHandle(held);
    EXPECT_EQ(read("index.kba"), before);
    ASSERT_EQ(Boxes::errors.size(), 2u);
    EXPECT_EQ(Boxes::errors[0].rfind("Loading " + path("index.kba"), 0), 0u) << Boxes::errors[0];
    EXPECT_NE(Boxes::errors[1].find("not written over"), std::string::npos) << Boxes::errors[1];
}

// Ticks written by another running copy since this one read the file stay; so does a damaged line.
TEST_F(IdeasTools, CheckStatesMergeWithAnotherRunningCopyAndKeepADamagedLine) {
    write("ticks.chk", "checks_(\"risk.l\",17000,[1])\r\nchecks_(\"goal.l\",17143,[1\r\n");
    clist_set_checks_path(path("ticks.chk"));
    HWND dlg = open_checklists();
    ASSERT_NE(dlg, nullptr);
    ASSERT_EQ(Boxes::errors.size(), 1u);
    pick_list(dlg, 1);  // Planning
    tick(dlg, 0);
    // The other copy writes its ticks of another checklist meanwhile.
    write("ticks.chk", "checks_(\"risk.l\",17000,[1])\r\nchecks_(\"empty.l\",17200,[0])\r\nchecks_(\"goal.l\",17143,[1\r\n");
    SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    pump(20);
    const std::string after = read("ticks.chk");
    EXPECT_NE(after.find("checks_(\"risk.l\",17000,[1])"), std::string::npos) << after;
    EXPECT_NE(after.find("checks_(\"empty.l\",17200,[0])"), std::string::npos) << after;
    EXPECT_NE(after.find("checks_(\"plan.l\","), std::string::npos) << after;
    EXPECT_NE(after.find("checks_(\"goal.l\",17143,[1\r\n"), std::string::npos) << after;

    // Opening again shows what the other copy ticked.
    write("ticks.chk", "checks_(\"risk.l\",17300,[0,1])\r\n");
    dlg = open_checklists();
    ASSERT_NE(dlg, nullptr);
    const ClistChecks* risk = clist_find_checks(clist_checks(), "risk.l");
    ASSERT_NE(risk, nullptr);
    EXPECT_EQ(risk->items, (std::vector<int>{0, 1}));
}

TEST_F(IdeasTools, ChecklistPromoteNeedsAMarkAndLinksNewObjects) {
    HWND dlg = open_checklists();
    ASSERT_NE(dlg, nullptr);
    pick_list(dlg, 1);
    tick(dlg, 0);
    tick(dlg, 2);
    SendMessageA(dlg, WM_COMMAND, IDC_CLIST_PROMOTE, 0);
    ASSERT_FALSE(Boxes::notes.empty());
    EXPECT_EQ(Boxes::notes.back(), "Mark an Object first");
    EXPECT_EQ(view_obj_each().size(), 0u);

    Obj o = view_obj_new("Project", 0, 0, 1);
    Key k = *view_obj_put(o);
    marked_obj_ = {k};
    SendMessageA(dlg, WM_COMMAND, IDC_CLIST_PROMOTE, 0);
    marked_obj_.clear();
    EXPECT_EQ(view_obj_each().size(), 3u);
    EXPECT_TRUE(view_obj_find_id("Set a date"));
    EXPECT_TRUE(view_obj_find_id("Name an owner"));
    EXPECT_EQ(view_link_from(k).size(), 2u);
    EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_CLIST_ITEMS, LB_GETSELCOUNT, 0, 0), 0);
}

TEST_F(IdeasTools, RandomWordsDrawsFromBothChecklists) {
    file_setting_set_list("RWord", {1, 0, 1, 1});  // "Planning" and "Risks", in index order
    std::vector<std::string> seen;
    drive_title_ = "Random Words";
    drive_ = [&](HWND dlg) {
        SendMessageA(dlg, WM_COMMAND, IDC_RWORDS_NEXT, 0);
        char buf[256] = {};
        GetDlgItemTextA(dlg, IDC_RWORDS_WORDS, buf, sizeof buf);
        seen.push_back(buf);
        // The second checklist off: one word alone.
        CheckDlgButton(dlg, IDC_RWORDS_USE2, BST_UNCHECKED);
        SendMessageA(dlg, WM_COMMAND, IDC_RWORDS_USE2, 0);
        SendMessageA(dlg, WM_COMMAND, IDC_RWORDS_NEXT, 0);
        GetDlgItemTextA(dlg, IDC_RWORDS_WORDS, buf, sizeof buf);
        seen.push_back(buf);
        // Promote makes an object of the words.
        SendMessageA(dlg, WM_COMMAND, IDC_RWORDS_PROMOTE, 0);
        SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    };
    SetTimer(nullptr, 0, 30, drive_timer);
    SendMessageA(win_, WM_COMMAND, CMD_RANDOM_WORDS, 0);
    ASSERT_EQ(seen.size(), 2u);
    auto plus = seen[0].find(" + ");
    ASSERT_NE(plus, std::string::npos) << seen[0];
    std::string first = seen[0].substr(0, plus), second = seen[0].substr(plus + 3);
    EXPECT_TRUE(first == "Set a date" || first == "Risks]" || first == "Name an owner") << first;
    EXPECT_TRUE(second == "Late delivery" || second == "No budget") << second;
    EXPECT_EQ(seen[1].find(" + "), std::string::npos);
    EXPECT_TRUE(view_obj_find_id(seen[1]));
    EXPECT_EQ(file_setting_get_list("RWord", {}), (std::vector<int>{1, 0, 0, 1}));
}

TEST_F(IdeasTools, RandomWordsZShowsTheSettingsAgainAfterNext) {
    file_setting_set_list("RWord", {1, 0, 1});  // the wrong length: the defaults are used
    // Shown: the second checklist's row whole. Folded: the words whole and nothing of either
    // checklist's row.
    auto settings_shown = [](HWND dlg) {
        RECT cl = {}, second = wt::rect_in(GetDlgItem(dlg, IDC_RWORDS_LIST2), dlg);
        RECT words = wt::rect_in(GetDlgItem(dlg, IDC_RWORDS_WORDS), dlg);
        RECT first = wt::rect_in(GetDlgItem(dlg, IDC_RWORDS_USE1), dlg);
        RECT list = wt::rect_in(GetDlgItem(dlg, IDC_RWORDS_LIST1), dlg);
        GetClientRect(dlg, &cl);
        if (second.bottom <= cl.bottom) return true;
        EXPECT_LE(words.bottom, cl.bottom);
        EXPECT_GE(std::min(first.top, list.top), cl.bottom) << "part of the settings still shows";
        return false;
    };
    std::vector<bool> shown;
    bool opened = false, first_used = false, second_used = true;
    drive_title_ = "Random Words";
    drive_ = [&](HWND dlg) {
        opened = true;
        first_used = IsDlgButtonChecked(dlg, IDC_RWORDS_USE1) == BST_CHECKED;
        second_used = IsDlgButtonChecked(dlg, IDC_RWORDS_USE2) == BST_CHECKED;
        shown.push_back(settings_shown(dlg));
        SendDlgItemMessageA(dlg, IDC_RWORDS_NEXT, BM_CLICK, 0, 0);
        shown.push_back(settings_shown(dlg));
        for (int i = 0; i < 3; ++i) {
            SendDlgItemMessageA(dlg, IDC_RWORDS_TOGGLE, BM_CLICK, 0, 0);
            shown.push_back(settings_shown(dlg));
        }
        SendDlgItemMessageA(dlg, IDCANCEL, BM_CLICK, 0, 0);
    };
    SetTimer(nullptr, 0, 30, drive_timer);
    SendMessageA(win_, WM_COMMAND, CMD_RANDOM_WORDS, 0);
    ASSERT_TRUE(opened);
    EXPECT_TRUE(first_used);
    EXPECT_FALSE(second_used);
    EXPECT_EQ(shown, (std::vector<bool>{true, false, true, false, true}));
    EXPECT_EQ(file_setting_get_list("RWord", {}), (std::vector<int>{1, 0, 0, 0}));
}

TEST_F(IdeasTools, QuestionsFillWithTheIdeaAndCount) {
    write("q.kba", "q_(\"100000\",\"When did %s start?\")\nq_(\"001000\",\"Who is %s?\")\n");
    file_setting_set_text("Question", path("q.kba"));
    view_text_param_set(30, "apple");
    SendMessageA(win_, WM_COMMAND, CMD_QUESTIONS, 0);
    pump(20);
    HWND dlg = dlg_find_modeless(IDD_QUEST);
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(title(dlg), "Questions = 2");
    CheckRadioButton(dlg, IDC_QUEST_ART_NONE, IDC_QUEST_ART_THE, IDC_QUEST_ART_A);
    SendMessageA(dlg, WM_COMMAND, IDC_QUEST_ART_A, 0);
    EXPECT_EQ(lb_text(dlg, IDC_QUEST_LIST, 1), "Who is an APPLE?");
    CheckDlgButton(dlg, IDC_QUEST_EVENT + 2, BST_CHECKED);  // Person
    SendMessageA(dlg, WM_COMMAND, IDC_QUEST_EVENT + 2, 0);
    EXPECT_EQ(title(dlg), "Questions = 1");
    SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    pump(20);
    EXPECT_EQ(dlg_find_modeless(IDD_QUEST), nullptr);
    EXPECT_EQ(view_param_get(334), 4);
    EXPECT_TRUE(Boxes::errors.empty());
}

// A checklist saved as UTF-8 by an office suite shows its accents; one over the 1 MB a list may
// have says how much of it is used.
TEST_F(IdeasTools, ChecklistsInUtf8AndOverALimitAreShownAsSuch) {
    write("plan.l", "\xEF\xBB\xBFPremi\xC3\xA8re id\xC3\xA9" "e\r\nDeuxi\xC3\xA8me \xE2\x80\x93 fin\r\n");
    HWND dlg = open_checklists();
    ASSERT_NE(dlg, nullptr);
    pick_list(dlg, 1);
    EXPECT_EQ(lb_text(dlg, IDC_CLIST_ITEMS, 0), "Premi\xe8re id\xe9" "e");
    EXPECT_EQ(lb_text(dlg, IDC_CLIST_ITEMS, 1), "Deuxi\xe8me \x96 fin");
    EXPECT_TRUE(Boxes::notes.empty());
    std::string big;
    for (int k = 0; big.size() < 3'000'000; ++k) big += "Item number " + std::to_string(k) + "\r\n";
    write("risk.l", big);
    pick_list(dlg, 2);
    ASSERT_EQ(Boxes::notes.size(), 1u);
    EXPECT_NE(Boxes::notes[0].find("risk.l holds 3.0 MB: only its lines in the first 1 MB are used."), std::string::npos)
        << Boxes::notes[0];
    EXPECT_LT(SendDlgItemMessageA(dlg, IDC_CLIST_ITEMS, LB_GETCOUNT, 0, 0), 80000);
}

// The Questions file setting names a folder: the message says so.
TEST_F(IdeasTools, AQuestionsSettingNamingAFolderSaysSo) {
    std::filesystem::create_directories(path("questions"));
    file_setting_set_text("Question", path("questions"));
    SendMessageA(win_, WM_COMMAND, CMD_QUESTIONS, 0);
    pump(20);
    file_setting_set_text("Question", "");
    ASSERT_FALSE(Boxes::errors.empty());
    EXPECT_NE(Boxes::errors[0].find(path("questions") + " is a folder, not a file."), std::string::npos) << Boxes::errors[0];
}

TEST_F(IdeasTools, GenerateIdeasRunsThroughCombinationsAndStopsASelfReference) {
    auto add = [](const std::string& id, const std::string& ext) {
        Obj o = view_obj_new(id, 0, 0, 1);
        o.ext = ext;
        return *view_obj_put(o);
    };
    Key s = add("Sentence", "Colour+Animal");
    add("Colour", "red\ngreen");
    add("Animal", "cat\ndog\n");
    Key loop = add("Loop", "Loop+x");
    Link l;
    l.from = s;
    l.to = loop;
    view_link_add(l);
    view_param_set(216, s);
    view_param_set(208, 1);
    view_param_set(77, 3);
    std::vector<std::string> got;
    drive_title_ = "Generate Ideas";
    drive_ = [&](HWND dlg) {
        pump(50);  // the first generation runs once the dialog shows
        for (int i = 0; i < SendDlgItemMessageA(dlg, IDC_GEN_LIST, LB_GETCOUNT, 0, 0); ++i) got.push_back(lb_text(dlg, IDC_GEN_LIST, i));
        // The self-referencing start object ends with a note.
        int n = static_cast<int>(SendDlgItemMessageA(dlg, IDC_GEN_START, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            char buf[64] = {};
            SendDlgItemMessageA(dlg, IDC_GEN_START, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
            if (std::string(buf).rfind("Loop", 0) == 0) SendDlgItemMessageA(dlg, IDC_GEN_START, CB_SETCURSEL, i, 0);
        }
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_GEN_START, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDC_GEN_START)));
        SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    };
    SetTimer(nullptr, 0, 30, drive_timer);
    SendMessageA(win_, WM_COMMAND, CMD_GENERATOR, 0);
    EXPECT_EQ(got, (std::vector<std::string>{"Red cat", "Green cat", "Red dog", "Green dog"}));
    EXPECT_EQ(view_param_get(216), static_cast<int>(loop));
    ASSERT_FALSE(Boxes::notes.empty());
    EXPECT_EQ(Boxes::notes.back().rfind("\"Loop\" names itself", 0), 0u) << Boxes::notes.back();
}

TEST_F(IdeasTools, ChecklistEditorDeleteThenCancelLosesNothingAndSaveEditsInPlace) {
    write("ticks.chk", "checks_(\"risk.l\",1,[1])\n");
    clist_set_checks_path(path("ticks.chk"));
    std::string before = read("index.kba");
    HWND dlg = open_checklists();
    ASSERT_NE(dlg, nullptr);
    pick_list(dlg, 2);  // Risks
    drive_title_ = "Checklist Editor";
    drive_ = [&](HWND ed) {
        char buf[64] = {};
        GetDlgItemTextA(ed, IDC_CLED_DESC, buf, sizeof buf);
        EXPECT_STREQ(buf, "Risks");
        Boxes::answer = 1;  // Yes
        SendMessageA(ed, WM_COMMAND, IDC_CLED_DELETE, 0);
        EXPECT_EQ(SendDlgItemMessageA(ed, IDC_CLED_FILE, CB_GETCOUNT, 0, 0), 2);
        SendMessageA(ed, WM_COMMAND, IDCANCEL, 0);
    };
    SetTimer(nullptr, 0, 30, drive_timer);
    SendMessageA(dlg, WM_COMMAND, IDC_CLIST_ADVANCE, 0);
    EXPECT_EQ(dlg_find_modeless(IDD_CLIST), nullptr);
    EXPECT_EQ(read("index.kba"), before);
    ASSERT_NE(clist_find_checks(clist_checks(), "risk.l"), nullptr);

    // Now a new description, saved: the record keeps its place; a duplicate name is refused.
    dlg = open_checklists();
    ASSERT_NE(dlg, nullptr);
    pick_list(dlg, 2);
    drive_ = [&](HWND ed) {
        SetDlgItemTextA(ed, IDC_CLED_DESC, "Risks to weigh");
        CheckDlgButton(ed, IDC_CLED_TOPIC1 + 3, BST_CHECKED);
        SendMessageA(ed, WM_COMMAND, IDC_CLED_TOPIC1 + 3, 0);
        SendMessageA(ed, WM_COMMAND, IDOK, 0);
    };
    SetTimer(nullptr, 0, 30, drive_timer);
    SendMessageA(dlg, WM_COMMAND, IDC_CLIST_ADVANCE, 0);
    clist_drop_index();
    ASSERT_EQ(clist_index().entries.size(), 3u);
    EXPECT_EQ(clist_index().entries[1], (ClistEntry{"risk.l", "Risks to weigh", 11, 0}));
    EXPECT_EQ(clist_index().topic_name(1), "Work");
    EXPECT_TRUE(Boxes::errors.empty());
}

TEST_F(IdeasTools, ChecklistEditorRefusesEmptyOrTakenDescriptionsAndRenamesLinks) {
    HWND dlg = open_checklists();
    ASSERT_NE(dlg, nullptr);
    pick_list(dlg, 2);  // Risks
    const std::string before = read("index.kba");
    std::vector<std::string> saved;
    drive_title_ = "Checklist Editor";
    drive_ = [&](HWND ed) {
        for (const char* desc : {"", "Planning", "Dangers"}) {
            SetDlgItemTextA(ed, IDC_CLED_DESC, desc);
            SendDlgItemMessageA(ed, IDOK, BM_CLICK, 0, 0);
            saved.push_back(read("index.kba"));
        }
    };
    SetTimer(nullptr, 0, 30, drive_timer);
    SendDlgItemMessageA(dlg, IDC_CLIST_ADVANCE, BM_CLICK, 0, 0);
    ASSERT_EQ(saved.size(), 3u);
    EXPECT_EQ(saved[0], before);
    EXPECT_EQ(saved[1], before);
    EXPECT_NE(saved[2], before);
    EXPECT_EQ(Boxes::errors, (std::vector<std::string>{"Enter a description", "File description Planning already exists"}));
    // The item that linked to "Risks" links to the new description.
    EXPECT_EQ(read("plan.l"), "Set a date\nDangers]\nName an owner\n");
    clist_drop_index();
    ASSERT_NE(clist_index().by_file("risk.l"), nullptr);
    EXPECT_EQ(clist_index().by_file("risk.l")->desc, "Dangers");
}

}  // namespace

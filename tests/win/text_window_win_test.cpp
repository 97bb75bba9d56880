// Text windows, hypertext fields and object actions under Wine, driven through the main window,
// the diagram window and the text windows' own messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include "app/file_win.h"
#include "app/vorn6_win.h"
#include "base/file.h"
#include "base/file_save.h"
#include "base/settings.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "bars/help_context.h"
#include "base/shell_hooks_win.h"
#include "base/util.h"
#include "document/doc_util.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"
#include "resources/ids.h"
#include "resources/text_ids.h"
#include "services/action_win.h"
#include "text/fieldedit_win.h"
#include "text/tw_win.h"
#include "win/win_test_util.h"

namespace {

using wt::Boxes;
using wt::pump;

std::function<void(HWND)> drive_;
const char* drive_title_ = "Edit Hyperlink";
void CALLBACK drive_timer(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = FindWindowA("#32770", drive_title_);
    if (!dlg || !drive_) return;
    KillTimer(nullptr, id);
    auto d = std::move(drive_);
    drive_ = nullptr;
    d(dlg);
}
// The next modal dialog titled `title` is handled by `d`.
void when_dialog(const char* title, std::function<void(HWND)> d) {
    drive_title_ = title;
    drive_ = std::move(d);
    SetTimer(nullptr, 0, 50, drive_timer);
}

class TextWin : public wt::MainWindowTest {
protected:
    TextWin() : MainWindowTest("vorn_text_win_test", SW_SHOWNOACTIVATE) {}
    void SetUp() override {
        MainWindowTest::SetUp();
        view_doc() = Document();
        view_undo_clear();
        file_set_current_name((dir_ / "first.vrn").string());
        file_clear_changed();
    }
    void TearDown() override {
        tw_close_all();
        Boxes::answer = 2;
        pump(20);
        MainWindowTest::TearDown();
    }
    Key obj(const std::string& id, int action, const std::string& ext, int x = 100, int y = -100) {
        Obj o;
        o.id = id;
        o.level = 1;
        o.x = x;
        o.y = y;
        o.action = action;
        o.shape = 161;
        o.ext = ext;
        return *view_obj_put(o);
    }
    // Enter on the marked object runs its action.
    void activate(Key k) {
        marked_obj_ = {k};
        SendMessageA(view_inst_, WM_KEYDOWN, VK_RETURN, 0);
        pump(30);
    }
    HWND tw() const { return tw_inst_.empty() ? nullptr : tw_inst_.back().win; }
    static void type(HWND w, const std::string& s) {
        for (char c : s) SendMessageA(w, WM_CHAR, static_cast<unsigned char>(c), 0);
    }
    static void click_at(HWND w, size_t caret, UINT msg_down = WM_LBUTTONDOWN) {
        POINT p = fe_point_of(w, caret);
        p.x += 1;
        p.y += 4;
        SendMessageA(w, msg_down, MK_LBUTTON, MAKELPARAM(p.x, p.y));
        SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
        pump(30);
    }
    static const std::string& text(HWND w) { return fe_model(w)->text(); }
    void save_doc(const char* name) {
        std::string err;
        ASSERT_TRUE(view_save_file(path(name), &err)) << err;
    }
};

TEST_F(TextWin, ObjectTextWrittenClosedAndUndone) {
    Key k = obj("Idea A", 0, "old");
    activate(k);
    ASSERT_EQ(tw_inst_.size(), 1u);
    HWND w = tw();
    EXPECT_EQ(tw_inst_[0].key, k);
    EXPECT_EQ(tw_inst_[0].mode, 1);
    char title[64] = {};
    GetWindowTextA(w, title, sizeof title);
    EXPECT_STREQ(title, "Idea A");
    activate(k);  // again: the same window comes forward
    EXPECT_EQ(tw_inst_.size(), 1u);

    SendMessageA(w, WM_KEYDOWN, VK_END, 0);
    type(w, " new\rline");
    EXPECT_EQ(text(w), "old new\r\nline");
    // Undo inside the window is the text's own.
    SendMessageA(win_, WM_COMMAND, CMD_UNDO, 0);
    EXPECT_EQ(text(w), "old new\r\n");
    SendMessageA(win_, WM_COMMAND, CMD_UNDO, 0);
    EXPECT_EQ(text(w), "old new");
    SendMessageA(w, WM_CLOSE, 0, 0);
    pump(30);
    EXPECT_TRUE(tw_inst_.empty());
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(view_obj_get(k)->ext, "old new");
    EXPECT_NE(view_obj_get(k)->geom, 0);
    EXPECT_EQ(view_undo_name(), "Change Text");

    // The whole window is one step of the diagram's history.
    SendMessageA(win_, WM_COMMAND, CMD_UNDO, 0);
    EXPECT_EQ(view_obj_get(k)->ext, "old");
    EXPECT_EQ(view_obj_get(k)->geom, 0);
    SendMessageA(win_, WM_COMMAND, CMD_REDO, 0);
    EXPECT_EQ(view_obj_get(k)->ext, "old new");

    // Reopened where it was; closing it unchanged and unmoved stores nothing.
    file_clear_changed();
    activate(k);
    ASSERT_TRUE(tw());
    SendMessageA(tw(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(file_is_changed());
}

TEST_F(TextWin, FieldMadeEditedAndFollowedToAnObject) {
    Key target = obj("Target", 34, "=0", 400, -300);
    Key src = obj("Source", 0, "see Target now");
    activate(src);
    HWND w = tw();
    ASSERT_TRUE(w);
    // Without a selection Create Hyperlink says what to do.
    SendMessageA(w, WM_COMMAND, IDM_TW_CREATE_LINK, 0);
    ASSERT_FALSE(Boxes::notes.empty());
    EXPECT_EQ(Boxes::notes.back(), "First select some text");
    click_at(w, 6, WM_LBUTTONDBLCLK);  // selects "Target"
    SendMessageA(w, WM_COMMAND, IDM_TW_CREATE_LINK, 0);
    EXPECT_EQ(text(w), std::string("see \x0bTarget\x0e" "12\x0f now"));

    // A No Action field opens the dialog; it becomes Activate ID of "Target".
    bool shown = false;
    when_dialog("Edit Hyperlink", [&](HWND d) {
        shown = true;
        char ht[64] = {};
        GetDlgItemTextA(d, IDC_HT_HYPERTEXT, ht, sizeof ht);
        EXPECT_STREQ(ht, "Target");
        SendDlgItemMessageA(d, IDC_HT_ACTION, CB_SETCURSEL, 0, 0);
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDC_HT_ACTION, CBN_SELCHANGE), 0);
        SetDlgItemTextA(d, IDC_HT_EXTENSION, "Target");
        SendMessageA(d, WM_COMMAND, IDOK, 0);
    });
    click_at(w, 7);
    pump(200);
    EXPECT_TRUE(shown);
    EXPECT_EQ(text(w), std::string("see \x0bTarget\x0e" "15Target\x0f now"));

    // Following it runs the target's own action (a toggle).
    click_at(w, 7);
    EXPECT_EQ(view_obj_get(target)->ext, "=1");

    // A field whose ID matches nothing: the note, then the dialog.
    fe_model(w)->set_text(std::string("\x0bnowhere\x0e" "15Nobody\x0f"));
    when_dialog("Edit Hyperlink", [](HWND d) { SendMessageA(d, WM_COMMAND, IDCANCEL, 0); });
    click_at(w, 2);
    pump(200);
    EXPECT_EQ(Boxes::notes.back(), "\"Nobody\" does not match any Object ID or contents");
}

// Shift+F10 and the Menu key open the window's own menu below the caret, leave the caret and the
// selection where they are, and its items work from the keyboard alone.
TEST_F(TextWin, TheKeyboardOpensTheMenuBelowTheCaret) {
    Key src = obj("Source", 0, "see Target now");
    activate(src);
    HWND w = tw();
    ASSERT_TRUE(w);
    SetFocus(w);
    fe_model(w)->set_caret(12);
    fe_changed(w);
    wt::MenuSeen seen = wt::popup_menu_of([] { wt::key(VK_APPS); });
    EXPECT_EQ(seen.first, 10754u);  // Cut
    POINT foot = fe_point_of(w, 12);
    foot.y += fe_row_height(w);
    ClientToScreen(w, &foot);
    EXPECT_LE(std::abs(seen.rect.left - foot.x), 2) << seen.rect.left << " for " << foot.x;
    EXPECT_LE(std::abs(seen.rect.top - foot.y), 2) << seen.rect.top << " for " << foot.y;
    EXPECT_EQ(fe_model(w)->caret(), 12u);

    click_at(w, 6, WM_LBUTTONDBLCLK);  // selects "Target"
    SetFocus(w);
    seen = wt::popup_menu_of([] { wt::key_with(VK_SHIFT, VK_F10); }, 'H');  // Create Hyperlink
    EXPECT_EQ(seen.first, 10754u);
    EXPECT_EQ(text(w), std::string("see \x0bTarget\x0e" "12\x0f now"));
}

TEST_F(TextWin, ActivateIdByContentsOpensEveryMatchingText) {
    obj("One", 0, "the budget for May");
    obj("Two", 0, "no match here");
    obj("Three", 0, "a budget again");
    EXPECT_TRUE(tw_activate_id(nullptr, "budget"));
    ASSERT_EQ(tw_inst_.size(), 2u);
    EXPECT_EQ(fe_model(tw_inst_[1].win)->selection(), "budget");
}

TEST_F(TextWin, FieldFollowedToAnotherDocumentAndBack) {
    obj("There", 12, "");
    save_doc("other.vrn");
    view_doc() = Document();
    Key start = obj("Start", 0, std::string("go \x0bthere\x0e" "06other.vrn\x0f"));
    save_doc("first.vrn");
    ASSERT_EQ(file_open_document(path("first.vrn")), 1);
    activate(start);
    HWND w = tw();
    ASSERT_TRUE(w);
    click_at(w, 5);
    EXPECT_NE(util_lower(file_current_name()).find("other.vrn"), std::string::npos);
    ASSERT_TRUE(view_obj_find_id("There"));
    SendMessageA(win_, WM_COMMAND, CMD_BACK, 0);
    pump(30);
    EXPECT_NE(util_lower(file_current_name()).find("first.vrn"), std::string::npos);
    EXPECT_TRUE(view_obj_find_id("Start"));

    // A sub-document leaves a return point that Back takes.
    Key gate = obj("Gate", 40, "other.vrn 1 There");
    activate(gate);
    EXPECT_NE(util_lower(file_current_name()).find("other.vrn"), std::string::npos);
    ASSERT_EQ(gosub_.size(), 1u);
    EXPECT_EQ(gosub_.front().object_id, "Gate");
    SendMessageA(win_, WM_COMMAND, CMD_BACK, 0);
    pump(30);
    EXPECT_NE(util_lower(file_current_name()).find("first.vrn"), std::string::npos);
    EXPECT_TRUE(gosub_.empty());
}

TEST_F(TextWin, FileWindowsAskBeforeClosingAndKeepTheTextWhenSavingFails) {
    std::string name = path("notes.txt");
    { std::ofstream(name) << "first"; }
    ASSERT_TRUE(shell_hooks_.open_text_file(name));
    HWND w = tw();
    EXPECT_EQ(tw_inst_.back().mode, 3);
    SendMessageA(w, WM_KEYDOWN, VK_END, 0);
    type(w, "!");
    // Saving where a folder took the file's place fails: it says so and nothing is lost.
    DeleteFileA(name.c_str());
    CreateDirectoryA(name.c_str(), nullptr);
    Boxes::answer = 1;
    SendMessageA(w, WM_CLOSE, 0, 0);
    pump(30);
    ASSERT_EQ(Boxes::questions.size(), 1u);
    EXPECT_EQ(Boxes::questions[0], "File Changed: Save textfile notes.txt ?");
    EXPECT_FALSE(Boxes::errors.empty());
    ASSERT_TRUE(IsWindow(w));
    EXPECT_EQ(text(w), "first!");
    RemoveDirectoryA(name.c_str());
    SendMessageA(w, WM_CLOSE, 0, 0);
    pump(30);
    EXPECT_FALSE(IsWindow(w));
    std::ifstream in(name);
    std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(saved, "first!");
}

TEST_F(TextWin, EditCommandsReachTheFocusedWindow) {
    Key k = obj("Lines", 0, "pear\r\napple\r\nfig");
    activate(k);
    HWND w = tw();
    SetFocus(w);
    pump(20);
    ASSERT_EQ(focused_tw_.win, w);
    SendMessageA(win_, WM_COMMAND, CMD_SELECT_ALL, 0);
    SendMessageA(win_, WM_COMMAND, CMD_SORT, 0);
    EXPECT_EQ(text(w), "apple\nfig\npear\n");
    SendMessageA(win_, WM_COMMAND, CMD_SELECT_ALL, 0);
    SendMessageA(win_, WM_COMMAND, CMD_UPPER_CASE, 0);
    EXPECT_EQ(text(w), "APPLE\nFIG\nPEAR\n");
    SendMessageA(win_, WM_COMMAND, CMD_COPY, 0);
    SendMessageA(w, WM_KEYDOWN, VK_END, 0);
    SendMessageA(win_, WM_COMMAND, CMD_PASTE, 0);
    EXPECT_EQ(text(w), "APPLE\nFIG\nPEAR\nAPPLE\nFIG\nPEAR\n");
    // Esc and Del stay with the editor; they never reach the diagram.
    SendMessageA(w, WM_KEYDOWN, VK_HOME, 0);
    SendMessageA(w, WM_KEYDOWN, VK_DELETE, 0);
    EXPECT_EQ(view_obj_get(k)->ext, "pear\r\napple\r\nfig");
}

TEST_F(TextWin, CheckWhileTypingMarksMisspeltWordsInObjectTextsOnly) {
    menu_check(CMD_CHECK_TYPING, 1);
    Key k = obj("Notes", 0, "");
    activate(k);
    HWND w = tw();
    // WM_KEYUP of the blank is what checks the word just typed.
    auto type_word = [&](HWND win, const std::string& s) {
        type(win, s);
        SendMessageA(win, WM_KEYUP, VK_SPACE, 0);
    };
    type_word(w, "good wrods ");
    EXPECT_EQ(text(w), std::string("good \x0bwrods\x0e\x0f "));
    EXPECT_EQ(fe_model(w)->caret(), text(w).size());
    // A source file never gets markers.
    SendMessageA(win_, WM_COMMAND, CMD_HYPERTEXT_EDITOR, 0);
    HWND f = tw();
    ASSERT_NE(f, w);
    tw_inst_.back().mode = 2;
    type_word(f, "wrods ");
    EXPECT_EQ(text(f), "wrods ");
    menu_check(CMD_CHECK_TYPING, 0);
}

TEST_F(TextWin, PromoteTurnsSelectedLinesIntoLinkedObjects) {
    // Select All and Promote in the object's window: each line becomes an object linked to it.
    auto promote_all = [&](Key hub, std::initializer_list<const char*> ids) {
        activate(hub);
        HWND w = tw();
        SetFocus(w);
        pump(20);
        SendMessageA(win_, WM_COMMAND, CMD_SELECT_ALL, 0);
        SendMessageA(win_, WM_COMMAND, CMD_PROMOTE, 0);
        pump(30);
        for (const char* id : ids) {
            auto f = view_obj_find_id(id);
            ASSERT_TRUE(f) << id;
            EXPECT_TRUE(view_link_get(hub, f->key)) << id;
        }
        EXPECT_FALSE(IsWindow(w));  // the text windows close
    };
    Key hub = obj("Hub", 0, "alpha\r\nbeta\r\ngamma");
    promote_all(hub, {"alpha", "beta", "gamma"});
    EXPECT_EQ(view_obj_get(hub)->ext, "");

    // A read-only text gives its lines and keeps them; field markers stay out of the new IDs.
    const std::string locked = std::string("\x0bnorth\x0e" "15Goal\x0f road\r\nsouth");
    Key ro = obj("Locked", 0, locked);
    Obj o = *view_obj_get(ro);
    o.flags |= 8;
    view_obj_put(o);
    promote_all(ro, {"north road", "south"});
    EXPECT_EQ(view_obj_get(ro)->ext, locked);
}

TEST_F(TextWin, FindDialogSelectsEachMatchInTurn) {
    Key k = obj("F", 0, "one two one");
    activate(k);
    HWND w = tw();
    SetFocus(w);
    pump(20);
    SendMessageA(win_, WM_COMMAND, CMD_FIND_TEXT, 0);
    pump(100);
    HWND d = FindWindowA("#32770", "Find");
    ASSERT_TRUE(d);
    SetDlgItemTextA(d, 0x480, "one");  // the dialog's "Find what" box
    SendMessageA(d, WM_COMMAND, IDOK, 0);  // Find Next
    EXPECT_EQ(fe_model(w)->selection(), "one");
    EXPECT_EQ(fe_model(w)->sel_start(), 0u);
    SendMessageA(win_, WM_COMMAND, CMD_FIND_NEXT, 0);
    EXPECT_EQ(fe_model(w)->sel_start(), 8u);
    SendMessageA(d, WM_COMMAND, IDCANCEL, 0);
    pump(30);
    EXPECT_FALSE(IsWindow(d));
}

// Questions answered in turn from a list (the last answer repeats); each is recorded.
struct Answers {
    static inline std::vector<int> next;
    static inline std::vector<std::string> asked;
    static int ask(const std::string& t, const std::string& title, bool) {
        asked.push_back(title + ": " + t);
        int a = next.empty() ? 2 : next.front();
        if (next.size() > 1) next.erase(next.begin());
        return a;
    }
    // Questions whose default button is No show in `asked` marked so.
    static bool ask_no(const std::string& t, const std::string& title) { return ask(t, "(No) " + title, false) == 1; }
};

// A key as the keyboard gives it: a key-down (which the message loop turns into its character)
// and a key-up, each to the window that has the focus then.
void press_key(char c) {
    UINT vk = LOBYTE(VkKeyScanA(c));
    PostMessageA(GetFocus(), WM_KEYDOWN, vk, 1);
    pump(5);
    PostMessageA(GetFocus(), WM_KEYUP, vk, 0xC0000001);
    pump(5);
}
void press_keys(const std::string& s) {
    for (char c : s) press_key(c);
}

TEST_F(TextWin, SourceEditorNeverDropsUnsavedDiagramEdits) {
    obj("Saved", 0, "");
    save_doc("first.vrn");
    ASSERT_EQ(file_open_document(path("first.vrn")), 1);
    obj("Unsaved", 0, "");
    file_mark_changed();
    MsgHooks old = msg_set_hooks({Boxes::note, Boxes::error, Answers::ask, Answers::ask_no});
    Answers::asked.clear();

    // Cancel: no source is shown over an unsaved diagram.
    Answers::next = {3};
    SendMessageA(win_, WM_COMMAND, CMD_SOURCE_EDITOR, 0);
    pump(30);
    ASSERT_EQ(Answers::asked.size(), 1u);
    EXPECT_NE(Answers::asked[0].find("has been changed, save it?"), std::string::npos);
    EXPECT_TRUE(tw_inst_.empty());
    // Yes saves the diagram first: the source shows the edit.
    Answers::next = {1};
    SendMessageA(win_, WM_COMMAND, CMD_SOURCE_EDITOR, 0);
    pump(30);
    ASSERT_FALSE(tw_inst_.empty());
    HWND w = tw();
    EXPECT_EQ(tw_inst_.back().mode, 2);
    EXPECT_NE(text(w).find("Unsaved"), std::string::npos);
    EXPECT_FALSE(file_is_changed());

    // Keys in the source mark nothing in the diagram; closing unedited asks nothing.
    SetFocus(w);
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_RIGHT, 1);
    PostMessageA(GetFocus(), WM_KEYUP, VK_RIGHT, 0xC0000001);
    pump(20);
    EXPECT_FALSE(file_is_changed());
    Answers::asked.clear();
    SendMessageA(w, WM_CLOSE, 0, 0);
    pump(30);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_TRUE(Answers::asked.empty());

    // An edited source over a diagram edited since: saving it asks before the edit is replaced.
    SendMessageA(win_, WM_COMMAND, CMD_SOURCE_EDITOR, 0);
    pump(30);
    w = tw();
    SetFocus(w);
    SendMessageA(w, WM_KEYDOWN, VK_HOME, 0);
    press_keys(" ");
    Key later = obj("Later", 0, "");
    file_mark_changed();
    const std::string on_disk = fe_model(w)->text().substr(1);
    Answers::next = {1, 2};
    SendMessageA(w, WM_CLOSE, 0, 0);
    pump(30);
    ASSERT_EQ(Answers::asked.size(), 2u);
    EXPECT_EQ(Answers::asked[0], "File Changed: Save textfile first.vrn ?");
    // A stray Enter keeps the diagram's edits.
    EXPECT_EQ(Answers::asked[1].rfind("(No) File Changed: Saving the source text reloads the diagram and replaces", 0), 0u)
        << Answers::asked[1];
    EXPECT_TRUE(IsWindow(w));   // kept: nothing written, nothing reloaded
    EXPECT_TRUE(view_obj_get(later));
    std::ifstream in(path("first.vrn"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), on_disk);
    // No: the source edit is dropped, the diagram keeps its edit and its history.
    Answers::next = {2};
    SendMessageA(w, WM_CLOSE, 0, 0);
    pump(30);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_TRUE(view_obj_get(later));
    EXPECT_TRUE(file_is_changed());
    msg_set_hooks(old);
}

TEST_F(TextWin, ClosingUnchangedWindowsStoresAndAsksNothing) {
    // An object window neither edited nor moved adds no step, with the diagram changed elsewhere,
    // and Redo stays.
    Key k = obj("Idea", 0, "words");
    Key other = obj("Other", 0, "");
    activate(k);
    SendMessageA(tw(), WM_CLOSE, 0, 0);   // the window's place is stored
    {
        marked_obj_ = {other};
        UndoStep step;
        Obj o = *view_obj_get(other);
        o.id = "Renamed";
        view_obj_put(o);
        step.commit("Rename");
        marked_obj_.clear();
    }
    SendMessageA(win_, WM_COMMAND, CMD_UNDO, 0);
    ASSERT_TRUE(view_can_redo());
    activate(k);
    file_mark_changed();
    const uint64_t state = view_undo_state();
    SendMessageA(tw(), WM_CLOSE, 0, 0);
    pump(30);
    EXPECT_EQ(view_undo_state(), state);
    EXPECT_EQ(view_redo_name(), "Rename");

    // A file window saved by Ctrl+S closes without asking; typing into it leaves the diagram alone.
    file_clear_changed();
    std::string name = path("Notes Mixed.txt");
    std::ofstream(name) << "first";
    ASSERT_TRUE(shell_hooks_.open_text_file(name));
    HWND w = tw();
    SetFocus(w);
    pump(20);
    press_keys("ab");
    EXPECT_FALSE(file_is_changed());
    SendMessageA(win_, WM_COMMAND, CMD_SAVE, 0);
    EXPECT_EQ(Boxes::notes.back(), "File " + name + " is saved to disk");
    SendMessageA(w, WM_CLOSE, 0, 0);
    pump(30);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_TRUE(Boxes::questions.empty());

    // Save As keeps the name as typed.
    ASSERT_TRUE(shell_hooks_.open_text_file(name));
    w = tw();
    SetFocus(w);
    pump(20);
    when_dialog("Save as Filename:", [&](HWND d) {
        SetDlgItemTextA(d, 0x47c, path("Copy Of Notes.txt").c_str());
        SendMessageA(d, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(d, IDOK)));
    });
    SendMessageA(win_, WM_COMMAND, CMD_SAVE_AS, 0);
    pump(100);
    char title[MAX_PATH] = {};
    GetWindowTextA(w, title, sizeof title);
    EXPECT_NE(std::string(title).find("Copy Of Notes.txt"), std::string::npos) << title;
}

// Ctrl+S of a file window on a full disk gives the reason, as the document's save does; the text
// stays in the window and the file on disk as it was.
TEST_F(TextWin, SavingToAFullDiskSaysSoAndKeepsTheText) {
    std::string name = path("notes.txt");
    std::ofstream(name) << "first";
    ASSERT_TRUE(shell_hooks_.open_text_file(name));
    HWND w = tw();
    SetFocus(w);
    pump(20);
    press_keys("xyz");
    file_save_fail_writes(ERROR_DISK_FULL, 2);
    SendMessageA(win_, WM_COMMAND, CMD_SAVE, 0);
    file_save_fail_writes(0);
    char reason[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_DISK_FULL, 0, reason,
                   sizeof reason, nullptr);
    std::string want = reason;
    while (!want.empty() && (want.back() == '\n' || want.back() == '\r' || want.back() == '.')) want.pop_back();
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_EQ(Boxes::errors[0], "Saving " + name + "\n" + want);
    EXPECT_EQ(text(w), "xyzfirst");
    std::ifstream in(name);
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), "first");
}

// The dictionary setting names a folder: the dictionary editor says so instead of an unrelated
// reason, and opens nothing.
TEST_F(TextWin, ADictionarySettingNamingAFolderSaysSo) {
    std::string folder = path("dictionaries");
    CreateDirectoryA(folder.c_str(), nullptr);
    file_setting_set_text("CustDictionary", folder);
    SendMessageA(win_, WM_COMMAND, CMD_DICT_EDITOR, 0);
    pump(30);
    file_setting_set_text("CustDictionary", "");
    EXPECT_TRUE(tw_inst_.empty());
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_NE(Boxes::errors[0].find(folder + " is a folder, not a file."), std::string::npos) << Boxes::errors[0];
}

// Upper Case and Lower Case in a plain text window take the accented letters too.
TEST_F(TextWin, CaseCommandsChangeAccentedLetters) {
    std::string name = path("accents.txt");
    std::ofstream(name, std::ios::binary) << "Caf\xe9 na\xefve \xe9t\xe9 \xfc" "ber \xe6sir";
    ASSERT_TRUE(shell_hooks_.open_text_file(name));
    HWND w = tw();
    SetFocus(w);
    pump(20);
    SendMessageA(win_, WM_COMMAND, CMD_SELECT_ALL, 0);
    SendMessageA(win_, WM_COMMAND, CMD_UPPER_CASE, 0);
    EXPECT_EQ(text(w), "CAF\xc9 NA\xcfVE \xc9T\xc9 \xdc" "BER \xc6SIR");
    SendMessageA(win_, WM_COMMAND, CMD_LOWER_CASE, 0);
    EXPECT_EQ(text(w), "caf\xe9 na\xefve \xe9t\xe9 \xfc" "ber \xe6sir");
    Boxes::answer = 2;
}

// A window closed while minimised keeps the place it had before, and adds no step when it opened
// there; Esc and Ctrl+F4 close a focused text window from the keyboard.
TEST_F(TextWin, MinimisedCloseKeepsThePlaceAndKeysClose) {
    Key k = obj("Other", 0, "words");
    activate(k);
    SendMessageA(tw(), WM_CLOSE, 0, 0);   // the window's place is stored
    pump(30);
    const int32_t place = view_obj_get(k)->geom;
    ASSERT_NE(place, 0);
    activate(k);
    ShowWindow(tw(), SW_MINIMIZE);
    pump(20);
    ASSERT_TRUE(IsIconic(tw()));
    const uint64_t state = view_undo_state();
    SendMessageA(tw(), WM_CLOSE, 0, 0);
    pump(30);
    EXPECT_TRUE(tw_inst_.empty());
    EXPECT_EQ(view_obj_get(k)->geom, place);
    EXPECT_EQ(view_undo_state(), state);

    // Esc in the focused window closes it, as View's Close TextBox, TextWindows (Esc) does.
    activate(k);
    HWND w = tw();
    SetFocus(w);
    pump(20);
    ASSERT_EQ(GetFocus(), w);
    wt::key(VK_ESCAPE);
    pump(30);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_TRUE(tw_inst_.empty());

    // Ctrl+F4 closes the focused window only.
    Key second = obj("Second", 0, "more");
    menu_check(CMD_MULTI_WINDOWS, 1);
    activate(second);
    activate(k);
    menu_check(CMD_MULTI_WINDOWS, 0);
    ASSERT_EQ(tw_inst_.size(), 2u);
    w = tw();
    SetFocus(w);
    pump(20);
    wt::key_with(VK_CONTROL, VK_F4);
    pump(30);
    EXPECT_FALSE(IsWindow(w));
    ASSERT_EQ(tw_inst_.size(), 1u);
    EXPECT_EQ(tw_inst_[0].key, second);
}

// An object's window closed by its close box stores the text and leaves the object marked, so
// the arrow keys go on moving it.
TEST_F(TextWin, ClosingAnObjectsWindowLeavesTheObjectMarked) {
    Key k = obj("Alpha", 0, "words");
    Key other = obj("Other", 0, "", 900, -100);
    activate(k);
    HWND w = tw();
    ASSERT_TRUE(w);
    type(w, "more ");
    SendMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0);
    pump(30);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(view_undo_name(), "Change Text");
    EXPECT_NE(view_obj_get(k)->ext, "words");
    EXPECT_EQ(marked_obj_, std::vector<Key>{k});
    SetFocus(view_inst_);
    const int x = view_obj_get(k)->x;
    wt::key(VK_RIGHT);
    EXPECT_EQ(view_obj_get(k)->x, x + 10);
    EXPECT_EQ(view_obj_get(other)->x, 900);
}

TEST_F(TextWin, CheckWhileTypingOnlyForKeysTypedIntoTheWindow) {
    menu_check(CMD_CHECK_TYPING, 1);
    Key k = obj("Notes", 0, "wrods first");
    // Enter on the diagram opens the window; the key-up then reaches the window, and checks nothing.
    marked_obj_ = {k};
    SetFocus(view_inst_);
    pump(10);
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 1);
    pump(50);
    HWND w = tw();
    ASSERT_TRUE(w);
    ASSERT_EQ(GetFocus(), w);
    PostMessageA(GetFocus(), WM_KEYUP, VK_RETURN, 0xC0000001);
    pump(20);
    EXPECT_EQ(text(w), "wrods first");

    // Words before punctuation are checked; each field keeps the caret after what was typed.
    SendMessageA(w, WM_KEYDOWN, VK_END, 0);
    press_keys(" teh, cat. hte;");
    EXPECT_EQ(text(w), std::string("wrods first \x0bteh\x0e\x0f, cat. \x0bhte\x0e\x0f;"));
    EXPECT_EQ(fe_model(w)->caret(), text(w).size());
    press_key('\r');
    EXPECT_EQ(text(w), std::string("wrods first \x0bteh\x0e\x0f, cat. \x0bhte\x0e\x0f;\r\n"));

    // A read-only text is never changed.
    SendMessageA(w, WM_CLOSE, 0, 0);
    pump(30);
    Obj o = *view_obj_get(k);
    o.flags |= 8;
    o.ext = "locked wrods";
    view_obj_put(o);
    activate(k);
    w = tw();
    SetFocus(w);
    SendMessageA(w, WM_KEYDOWN, VK_END, 0);
    press_key(' ');
    EXPECT_EQ(text(w), "locked wrods");
    menu_check(CMD_CHECK_TYPING, 0);
}

TEST_F(TextWin, HelpTopicsAndScrollRange) {
    static std::vector<int> topics;
    topics.clear();
    auto old = help_context_hook_;
    help_context_hook_ = [](int n) { topics.push_back(n); };
    Key k = obj("Wide", 0, std::string(20, 'w') + "\r\n" + std::string(600, 'm'));
    Obj o = *view_obj_get(k);
    o.flags = 0;   // no word wrap
    view_obj_put(o);
    activate(k);
    HWND w = tw();
    for (int code : {4, 5, 9}) SendMessageA(w, WM_VORN_USER, static_cast<WPARAM>(3), code);
    help_context_hook_ = old;
    EXPECT_EQ(topics, (std::vector<int>{125, 57}));

    // The horizontal range reaches the end of the longest line, and no further.
    SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(w, SB_HORZ, &si);
    POINT end = fe_point_of(w, 22 + 600);
    RECT c;
    GetClientRect(w, &c);
    EXPECT_GT(si.nMax, 2000);
    EXPECT_NEAR(si.nMax, end.x, 12);
    SendMessageA(w, WM_HSCROLL, SB_PAGERIGHT, 0);
    for (int i = 0; i < 200; ++i) SendMessageA(w, WM_HSCROLL, SB_PAGERIGHT, 0);
    GetScrollInfo(w, SB_HORZ, &si);
    EXPECT_EQ(si.nPos, si.nMax - static_cast<int>(si.nPage) + 1);
}

// ---- The executor, with the platform behind its seam.

struct FakePlatform {
    static inline std::vector<std::string> calls;
    static inline int select = 1;
    static ActionPlatform install() {
        calls.clear();
        ActionPlatform old = action_platform();
        ActionPlatform& p = action_platform();
        p.run_program = [](const std::string& c) { calls.push_back("run " + c); return true; };
        p.shell_open = [](const std::string& f) { calls.push_back("open " + f); return 2; };
        p.play_sound = [](const std::string& n) { calls.push_back("play " + n); };
        p.dde_execute = [](const std::string& s, const std::string& t, const std::string& c, const std::string&) {
            calls.push_back("exec " + s + "|" + t + "|" + c);
            return true;
        };
        p.dde_request = [](const std::string& s, const std::string& t, const std::string& i, std::string* r) {
            calls.push_back("req " + s + "|" + t + "|" + i);
            *r = "42";
            return true;
        };
        p.help_file = [](const std::string& f, const std::string& k) { calls.push_back("help " + f + "|" + k); };
        p.select_line = [](const std::string&, const std::vector<std::string>& l) {
            calls.push_back("select " + std::to_string(l.size()));
            return select;
        };
        return old;
    }
};

class ActionWin : public TextWin {
protected:
    void SetUp() override {
        TextWin::SetUp();
        old_platform_ = FakePlatform::install();
    }
    void TearDown() override {
        action_platform() = old_platform_;
        menu_check(CMD_SLIDESHOW, 0);
        TextWin::TearDown();
    }
    ActionPlatform old_platform_;
};

TEST_F(ActionWin, CodesReachThePlatformAsWritten) {
    struct { int code; const char* ext; const char* call; } cases[] = {
        {8, "notepad.exe a.txt", "run notepad.exe a.txt"},
        {39, "report.doc", "open report.doc"},
        {24, "Exclamation", "play Exclamation"},
        {29, "Word c:\\a.doc", "exec Word|System|[FileOpen .Name=\"c:\\a.doc\"]"},
        {31, "Srv Sheet 1 [calc]", "exec Srv|Sheet 1|[calc]"},
        {32, "Srv Sheet [A1]", "req Srv|Sheet|[A1]"},
    };
    for (auto& c : cases) {
        FakePlatform::calls.clear();
        action_do(c.code, 0, c.ext);
        ASSERT_EQ(FakePlatform::calls.size(), 1u) << c.code;
        EXPECT_EQ(FakePlatform::calls[0], c.call);
    }
    EXPECT_EQ(Boxes::notes.back(), "42");  // the DDE answer
    ASSERT_FALSE(Boxes::errors.empty());     // the shell's error 2 for code 39
    EXPECT_NE(Boxes::errors[0].find("Opening File (report.doc)"), std::string::npos);

    // A slideshow lets only the moves between places run.
    menu_check(CMD_SLIDESHOW, 1);
    FakePlatform::calls.clear();
    EXPECT_TRUE(action_do(8, 0, "x.exe"));
    EXPECT_TRUE(FakePlatform::calls.empty());
}

TEST_F(ActionWin, ObjectsChangeThemselves) {
    // The object pop-up menu's Activate runs the object it was opened on.
    Key t = obj("T", 34, "=1");
    popup_menu_inst_ = PopupSource{static_cast<int16_t>(t), 0};
    SendMessageA(win_, WM_COMMAND, CMD_ACTIVATE_OBJECT, 0);
    EXPECT_EQ(view_obj_get(t)->ext, "=0");
    EXPECT_FALSE(popup_menu_inst_);
    Key one = obj("S", 36, "only line");
    action_do(36, one, "");
    ASSERT_FALSE(Boxes::notes.empty());
    EXPECT_EQ(Boxes::notes.back(), "Contents should have more than 1 line");
    EXPECT_EQ(view_obj_get(one)->id, "   ");
    Key s = obj("S", 36, "red\ngreen\nblue\n");
    action_do(36, s, "");
    std::string id = view_obj_get(s)->id;
    EXPECT_TRUE(id == "red" || id == "green" || id == "blue") << id;
    Key pick = obj("P", 12, "alpha\nbeta\ngamma");
    FakePlatform::select = 1;
    EXPECT_TRUE(action_do(30, pick, ""));
    EXPECT_EQ(view_obj_get(pick)->id, "beta");
    EXPECT_FALSE(action_do(44, pick, "two"));
    EXPECT_EQ(Boxes::notes.back(), "Action Extension must be numeric");
}

TEST_F(ActionWin, RecursionStopsAndLevelsAreReached) {
    // An ID that names itself and two clusters that name each other end without a crash.
    Key loop = obj("Loop", 15, "Loop");
    EXPECT_FALSE(action_do(15, loop, "Loop"));
    Key a = obj("A", 16, ""), b = obj("B", 16, "");
    view_link_add(Link{a, b, 0, 0, 0, 0, ""});
    view_link_add(Link{b, a, 0, 0, 0, 0, ""});
    EXPECT_TRUE(action_do(16, a, ""));
    // Go to level 3 and the object with that ID; no such object fails.
    Obj distant;
    distant.id = "Far";
    distant.level = 3;
    distant.x = 500;
    distant.y = -200;
    distant.shape = 161;
    view_obj_put(distant);
    EXPECT_TRUE(action_do(11, 0, "3 Far"));
    EXPECT_FALSE(action_do(11, 0, "2 Far"));
    // A sub-level jump leaves a return point.
    Key g = obj("Gate", 25, "3 Far");
    EXPECT_TRUE(action_do(25, g, "3 Far"));
    ASSERT_FALSE(gosub_.empty());
    EXPECT_EQ(gosub_.front().object_id, "Gate");
}

// A document from the web archive starts no program, opens nothing through the shell, opens no
// help file (they carry macros) and sends no DDE before a yes, and No is the default answer.
// The program's own Help menu and local documents are not asked about.
TEST_F(ActionWin, RiskyActionsOfWebDocumentsAskFirst) {
    const std::string archive = path("archive"), page = archive + "\\127.0.0.1 page.vrn";
    CreateDirectoryA(archive.c_str(), nullptr);
    file_setting_set_text("URLlog", archive);
    struct Case {
        int code;
        const char* ext;
    } cases[] = {{8, "notepad.exe"},
                 {2, "a.bat"},
                 {3, "a.bat"},
                 {4, "a.bat"},
                 {39, "a.bat"},
                 {29, "progman c:\\a.txt"},
                 {31, "progman progman [CreateGroup(X)]"},
                 {32, "progman progman [Groups]"},
                 {37, "evil.hlp"}};
    for (auto& c : cases) obj(std::to_string(c.code), c.code, c.ext);
    obj("safe", 34, "=0");
    std::string err;
    ASSERT_TRUE(view_save_file(page, &err)) << err;
    ASSERT_EQ(file_open_document(page), 1);
    for (auto& c : cases) {
        SCOPED_TRACE(c.code);
        Key k = view_obj_find_id(std::to_string(c.code))->key;
        Boxes::questions.clear();
        Boxes::default_no = 0;
        FakePlatform::calls.clear();
        Boxes::answer = 2;
        activate(k);
        EXPECT_TRUE(FakePlatform::calls.empty());
        ASSERT_EQ(Boxes::questions.size(), 1u);
        EXPECT_EQ(Boxes::questions[0].find("This document came from the web."), Boxes::questions[0].find(": ") + 2);
        EXPECT_EQ(Boxes::default_no, 1);
        Boxes::answer = 1;
        activate(k);
        EXPECT_EQ(FakePlatform::calls.size(), 1u);
    }
    Boxes::questions.clear();
    activate(view_obj_find_id("safe")->key);
    SendMessageA(win_, WM_COMMAND, CMD_HELP_WEB, 0);
    EXPECT_TRUE(Boxes::questions.empty());
    ASSERT_FALSE(FakePlatform::calls.empty());
    EXPECT_EQ(FakePlatform::calls.back(), "open http://www.example.com/");
    view_doc() = Document();
    file_set_current_name(path("local.vrn"));
    FakePlatform::calls.clear();
    activate(obj("run", 8, "tool.exe"));
    EXPECT_EQ(FakePlatform::calls, std::vector<std::string>{"run tool.exe"});
    EXPECT_TRUE(Boxes::questions.empty());
}

// With the real message box the question's default button is No, so Enter declines.
int box_default_ = 0;
void CALLBACK answer_with_enter(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = FindWindowA("#32770", "Run Program");
    if (!box) return;
    KillTimer(nullptr, id);
    box_default_ = GetDlgCtrlID(GetFocus());
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageA(GetFocus(), WM_KEYUP, VK_RETURN, 0xC01C0001);
}

TEST_F(ActionWin, EnterDeclinesAWebDocumentsProgram) {
    const std::string archive = path("archive");
    CreateDirectoryA(archive.c_str(), nullptr);
    file_setting_set_text("URLlog", archive);
    file_set_current_name(archive + "\\host page.vrn");
    MsgHooks recorder = msg_set_hooks({});
    vorn_install_message_boxes();
    box_default_ = 0;
    SetTimer(nullptr, 0, 50, answer_with_enter);
    activate(obj("run", 8, "notepad.exe"));
    msg_set_hooks(recorder);
    EXPECT_EQ(box_default_, IDNO);
    EXPECT_TRUE(FakePlatform::calls.empty());
}

// A sub-document jump keeps its return point only when the document opened: a failed one leaves
// no "(Sub 1)" in the title, for this document or later ones.
TEST_F(ActionWin, OnlyASubDocumentJumpThatOpensKeepsItsReturnPoint) {
    auto title = [&] {
        char t[512] = {};
        GetWindowTextA(win_, t, sizeof t);
        return std::string(t);
    };
    obj("Inside", 12, "");
    save_doc("inner.vrn");
    view_doc() = Document();
    file_set_current_name(path("first.vrn"));
    Key lost = obj("Lost", 40, "missing.vrn");
    Key gate = obj("Gate", 40, path("inner.vrn"));
    save_doc("first.vrn");
    activate(lost);
    EXPECT_TRUE(gosub_.empty());
    EXPECT_EQ(title().find("(Sub"), std::string::npos) << title();
    activate(gate);
    EXPECT_TRUE(view_obj_find_id("Inside"));
    ASSERT_EQ(gosub_.size(), 1u);
    EXPECT_EQ(gosub_.front().object_id, "Gate");
    EXPECT_NE(title().find("(Sub 1)"), std::string::npos) << title();
}

TEST_F(ActionWin, TrainingCardsOpenTheirSampleDocuments) {
    SendMessageA(win_, WM_TCARD, HELP_TCARD_DATA, 104);
    pump(30);
    EXPECT_NE(util_lower(file_current_name()).find("sample04.vrn"), std::string::npos);
    EXPECT_TRUE(view_obj_find_id("Hypertext"));
    std::string before = file_current_name();
    SendMessageA(win_, WM_TCARD, HELP_TCARD_DATA, 150);  // no card of that number
    EXPECT_EQ(file_current_name(), before);
}

TEST_F(ActionWin, CloneShowsTheTextOfTheSameIdInAnotherDocument) {
    obj("Start", 12, "line one\nsaid \"hi\"");
    save_doc("other.vrn");
    view_doc() = Document();
    Key k = obj("Start", 7, "other.vrn");
    EXPECT_TRUE(action_do(7, k, "other.vrn"));
    ASSERT_FALSE(tw_inst_.empty());
    EXPECT_EQ(tw_inst_.back().mode, 3);
    EXPECT_EQ(text(tw_inst_.back().win), "line one\nsaid \"hi\"");
    tw_close_all();
    DeleteFileA(file_temp_name().c_str());
    Key lost = obj("Nobody", 7, "other.vrn");
    EXPECT_FALSE(action_do(7, lost, "other.vrn"));
    ASSERT_FALSE(Boxes::errors.empty());
    EXPECT_NE(Boxes::errors.back().find("ID not found in other.vrn"), std::string::npos);
    // A file that stops reading before the ID says so and where, rather than that the ID is missing.
    std::ofstream(path("damaged.vrn"), std::ios::binary) << "j_(1,\"Other\",1,0,0,3,0,161,20,1,0,0,\"x\")\r\n"
                                                            "j_(2,\"Oops\",1,0,0\r\n"
                                                            "j_(3,\"Start\",1,0,300,3,0,161,20,1,0,0,\"found\")\r\n";
    activate(obj("Start", 7, "damaged.vrn"));
    EXPECT_TRUE(tw_inst_.empty());
    ASSERT_FALSE(Boxes::errors.empty());
    EXPECT_EQ(Boxes::errors.back().rfind("Loading ", 0), 0u) << Boxes::errors.back();
    EXPECT_NE(Boxes::errors.back().find("damaged.vrn\nline 2:"), std::string::npos) << Boxes::errors.back();
}

HANDLE wait_event_ = nullptr;
void CALLBACK set_wait_event(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    SetEvent(wait_event_);
}

// A started program is waited for while the window's messages keep running: the child here
// ends only when a message the test posts has been handled during the wait.
TEST_F(ActionWin, ProgramsAreWaitedForWithoutFreezing) {
    if (const char* ev = std::getenv("VORN_WAIT_EVENT")) {  // the child
        HANDLE h = OpenEventA(SYNCHRONIZE, FALSE, ev);
        ASSERT_TRUE(h);
        EXPECT_EQ(WaitForSingleObject(h, 20000), WAIT_OBJECT_0);
        CloseHandle(h);
        return;
    }
    action_platform() = old_platform_;  // the real process start
    HANDLE ev = CreateEventA(nullptr, TRUE, FALSE, "VornActionWaitTest");
    SetEnvironmentVariableA("VORN_WAIT_EVENT", "VornActionWaitTest");
    wait_event_ = ev;
    // Set from a timer, which only fires while the wait pumps messages.
    SetTimer(nullptr, 0, 10, set_wait_event);
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string cmd = std::string("\"") + exe + "\" --gtest_filter=ActionWin.ProgramsAreWaitedForWithoutFreezing";
    EXPECT_TRUE(action_do(8, 0, cmd));
    EXPECT_EQ(WaitForSingleObject(ev, 0), WAIT_OBJECT_0);
    SetEnvironmentVariableA("VORN_WAIT_EVENT", nullptr);
    CloseHandle(ev);
}

// While it waits, a click meant for the diagram is dropped; File > Exit ends the wait and the
// program though the started program still runs.
std::vector<Key> marked_during_wait_;
void CALLBACK click_then_exit(HWND, UINT, UINT_PTR id, DWORD) {
    static int step = 0;
    if (++step == 1) {
        PostMessageA(view_inst_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
        PostMessageA(view_inst_, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        return;
    }
    KillTimer(nullptr, id);
    step = 0;
    marked_during_wait_ = marked_obj_;
    PostMessageA(main_inst_, WM_COMMAND, CMD_EXIT, 0);
}

TEST_F(ActionWin, ExitDuringAProgramsWaitEndsTheWait) {
    action_platform() = old_platform_;
    HANDLE ev = CreateEventA(nullptr, TRUE, FALSE, "VornActionExitTest");
    SetEnvironmentVariableA("VORN_WAIT_EVENT", "VornActionExitTest");
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    // The child waits for the event, which is set only after the test.
    Key k = obj("Run", 8, std::string("\"") + exe + "\" --gtest_filter=ActionWin.ProgramsAreWaitedForWithoutFreezing");
    file_clear_changed();
    marked_during_wait_.clear();
    SetTimer(nullptr, 0, 300, click_then_exit);
    DWORD start = GetTickCount();
    activate(k);
    EXPECT_LT(GetTickCount() - start, 10000u);
    EXPECT_EQ(marked_during_wait_, std::vector<Key>{k});
    EXPECT_FALSE(IsWindow(win_));
    SetEvent(ev);
    SetEnvironmentVariableA("VORN_WAIT_EVENT", nullptr);
    CloseHandle(ev);
}

}  // namespace

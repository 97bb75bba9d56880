// Rich-text windows, their dialogs, Insert Text, Find Objects and Find Links under Wine, driven
// through the main window's commands, the windows' own messages and object activation.
#include <windows.h>
#include <commctrl.h>
#include <richedit.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "bars/listview_win.h"
#include "bars/sbar.h"
#include "base/dlg_win.h"
#include "base/globals_win.h"
#include "base/palette.h"
#include "base/util.h"
#include "base/shell_hooks_win.h"
#include "document/doc_util.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"
#include "document/view_io.h"
#include "resources/dlgs_ids.h"
#include "resources/help_ids.h"
#include "resources/ideas_tools_ids.h"
#include "resources/ids.h"
#include "resources/rich_ids.h"
#include "services/help_win.h"
#include "text/finders.h"
#include "text/insert_win.h"
#include "text/rich.h"
#include "text/rich_win.h"
#include "text/tw_win.h"
#include "win/win_test_util.h"

namespace {

using wt::Boxes;
using wt::pump;

// Modal dialogs are driven from a timer that finds them by title.
struct Driver {
    const char* title;
    std::function<void(HWND)> run;
};
std::vector<Driver> drivers_;
std::vector<std::string> driven_;
void CALLBACK drive_timer(HWND, UINT, UINT_PTR id, DWORD) {
    if (drivers_.empty()) {
        KillTimer(nullptr, id);
        return;
    }
    HWND dlg = FindWindowA("#32770", drivers_.front().title);
    if (!dlg || !IsWindowVisible(dlg)) return;
    Driver d = std::move(drivers_.front());
    drivers_.erase(drivers_.begin());
    driven_.push_back(d.title);
    d.run(dlg);
}
void when_dialog(const char* title, std::function<void(HWND)> d) {
    drivers_.push_back({title, std::move(d)});
    SetTimer(nullptr, 0, 40, drive_timer);
}
void click_button(HWND dlg, int id) { SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id))); }

std::string read_file(const std::string& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

std::string edit_text(HWND edit) {
    GETTEXTLENGTHEX gl{GTL_NUMCHARS, CP_ACP};
    LRESULT n = SendMessageA(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0);
    std::string buf(static_cast<size_t>(n) + 1, '\0');
    GETTEXTEX gt{static_cast<DWORD>(buf.size()), GT_DEFAULT, CP_ACP, nullptr, nullptr};
    LRESULT got = SendMessageA(edit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt), reinterpret_cast<LPARAM>(buf.data()));
    buf.resize(static_cast<size_t>(got));
    return buf;
}

CHARRANGE sel_of(HWND edit) {
    CHARRANGE r{};
    SendMessageA(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    return r;
}

void select(HWND edit, LONG a, LONG b) {
    CHARRANGE r{a, b};
    SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
}

DWORD effects_at(HWND edit, LONG a, LONG b) {
    select(edit, a, b);
    CHARFORMATA cf{};
    cf.cbSize = sizeof cf;
    SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    return cf.dwEffects & cf.dwMask;
}

class RichWin : public wt::MainWindowTest {
protected:
    RichWin() : MainWindowTest("vorn_rich_win_test", SW_SHOWNOACTIVATE) {}
    void SetUp() override {
        MainWindowTest::SetUp();
        view_doc() = Document();
        view_undo_clear();
        file_set_current_name((dir_ / "first.vrn").string());
        file_clear_changed();
        drivers_.clear();
        driven_.clear();
        rich_find_settings() = {};
    }
    void TearDown() override {
        for (HWND d : {dlg_find_modeless(IDD_INSERT_TEXT), dlg_find_modeless(IDD_FIND_OBJECTS)})
            if (d) DestroyWindow(d);
        Boxes::answer = 2;
        tw_close_all();
        for (const auto& t : std::vector<TwInst>(tw_inst_)) DestroyWindow(t.win);
        insert_set_file("");
        drivers_.clear();
        pump(20);
        MainWindowTest::TearDown();
    }
    Key obj(const std::string& id, int action, const std::string& ext, int flags = 1, int level = 1) {
        Obj o;
        o.id = id;
        o.level = level;
        o.x = 100;
        o.y = -100;
        o.action = action;
        o.shape = 161;
        o.flags = flags;
        o.ext = ext;
        return *view_obj_put(o);
    }
    void activate(Key k) {
        marked_obj_ = {k};
        SendMessageA(view_inst_, WM_KEYDOWN, VK_RETURN, 0);
        pump(40);
    }
    void command(int id) {
        SendMessageA(win_, WM_COMMAND, id, 0);
        pump(30);
    }
    HWND rich() const {
        for (auto it = tw_inst_.rbegin(); it != tw_inst_.rend(); ++it)
            if (it->mode == 7) return it->win;
        return nullptr;
    }
    HWND edit() const { return rich_control(rich()); }
    void type(const std::string& s) {
        for (char c : s) SendMessageA(edit(), WM_CHAR, static_cast<unsigned char>(c), 0);
    }
};

TEST_F(RichWin, ObjectTextFormattedClosedReopenedAndUndone) {
    Key k = obj("Plan", 42, "");
    activate(k);
    ASSERT_NE(rich(), nullptr);
    EXPECT_EQ(tw_inst_.back().key, k);
    EXPECT_EQ(focused_tw_.win, rich());
    EXPECT_EQ(focused_tw_.kind, 7);
    char title[64] = {};
    GetWindowTextA(rich(), title, sizeof title);
    EXPECT_STREQ(title, "Plan");
    type("Bold {start} caf\xE9");
    select(edit(), 0, 4);
    SendMessageA(rich(), WM_COMMAND, IDM_RICH_BOLD, 0);  // the pop-up menu's Bold
    EXPECT_TRUE(effects_at(edit(), 0, 4) & CFE_BOLD);
    EXPECT_FALSE(effects_at(edit(), 6, 10) & CFE_BOLD);
    wt::shot(win_, "rich_object");
    command(CMD_CLOSE_WINDOWS);
    EXPECT_EQ(rich(), nullptr);
    EXPECT_EQ(view_undo_name(), "Change RichText");
    auto o = view_obj_get(k);
    ASSERT_TRUE(o);
    EXPECT_EQ(o->ext.rfind("{\\rtf", 0), 0u);
    EXPECT_NE(o->ext.find("\\b"), std::string::npos);
    EXPECT_EQ(view_obj_richtext(k).value_or(""), "Bold {start} caf\xE9");  // the plain copy follows
    EXPECT_NE(file_is_changed(), 0);

    activate(k);  // reopened: the formatting is back
    ASSERT_NE(rich(), nullptr);
    EXPECT_EQ(edit_text(edit()), "Bold {start} caf\xE9");
    EXPECT_TRUE(effects_at(edit(), 0, 4) & CFE_BOLD);
    command(CMD_CLOSE_WINDOWS);

    command(CMD_UNDO);
    EXPECT_EQ(view_obj_get(k)->ext, "");
    EXPECT_FALSE(view_obj_richtext(k));
}

// Shift+F10 and the Menu key open the window's menu below the caret, and its items act on the
// selection from the keyboard alone.
TEST_F(RichWin, TheKeyboardOpensTheMenuBelowTheCaret) {
    activate(obj("Plan", 42, ""));
    ASSERT_NE(rich(), nullptr);
    type("Plain start");
    select(edit(), 0, 5);
    SetFocus(edit());
    wt::MenuSeen seen = wt::popup_menu_of([] { wt::key(VK_APPS); });
    EXPECT_EQ(seen.first, 10738u);  // Cut
    POINTL caret{};
    SendMessageA(edit(), EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&caret), 5);
    POINT at{caret.x, caret.y};
    ClientToScreen(edit(), &at);
    EXPECT_LE(std::abs(seen.rect.left - at.x), 2) << seen.rect.left << " for " << at.x;
    EXPECT_GT(seen.rect.top, at.y);
    EXPECT_LE(seen.rect.top, at.y + 40) << seen.rect.top << " for " << at.y;
    EXPECT_FALSE(effects_at(edit(), 0, 5) & CFE_BOLD);

    seen = wt::popup_menu_of([] { wt::key_with(VK_SHIFT, VK_F10); }, 'B');  // Bold
    EXPECT_EQ(seen.first, 10738u);
    EXPECT_TRUE(effects_at(edit(), 0, 5) & CFE_BOLD);
    EXPECT_FALSE(effects_at(edit(), 6, 11) & CFE_BOLD);
}

TEST_F(RichWin, UnchangedCloseStoresNothingAndMovingStoresGeometry) {
    Key k = obj("Quiet", 42, "");
    activate(k);
    ASSERT_NE(rich(), nullptr);
    const uint64_t before = view_undo_state();
    command(CMD_CLOSE_WINDOWS);
    EXPECT_EQ(view_undo_state(), before);
    EXPECT_EQ(view_obj_get(k)->geom, 0);

    activate(k);
    RECT r = wt::rect_in(rich(), win_);
    MoveWindow(rich(), r.left + 40, r.top + 24, r.right - r.left, r.bottom - r.top, TRUE);
    command(CMD_CLOSE_WINDOWS);
    EXPECT_EQ(view_undo_name(), "Change RichText");
    EXPECT_NE(view_obj_get(k)->geom, 0);
    EXPECT_EQ(view_obj_get(k)->ext, "");  // the text was not touched

    // Typed into and closed by its close box: stored, and the object is still the marked one.
    activate(k);
    type("words");
    SendMessageA(rich(), WM_SYSCOMMAND, SC_CLOSE, 0);
    pump(30);
    EXPECT_EQ(rich(), nullptr);
    EXPECT_EQ(view_undo_name(), "Change RichText");
    EXPECT_EQ(marked_obj_, std::vector<Key>{k});
}

TEST_F(RichWin, SecondOpenOfAFocusedWindowFailsAndOtherwiseComesForward) {
    Key k = obj("Twice", 42, "");
    HWND w = rich_open(k, "Twice", 0);
    ASSERT_TRUE(w);
    SetFocus(rich_control(w));
    EXPECT_EQ(rich_open(k, "Twice", 0), nullptr);
    SetFocus(win_);
    EXPECT_EQ(rich_open(k, "Twice", 0), w);
    int n = 0;
    for (auto& t : tw_inst_) n += t.key == k;
    EXPECT_EQ(n, 1);
}

TEST_F(RichWin, FileWindowKeepsTextOnCancelAndFailedSave) {
    const std::string name = path("notes.rtf");
    std::ofstream(name, std::ios::binary) << "{\\rtf1\\ansi Hello}";
    ASSERT_TRUE(shell_hooks_.open_rich_file(name));
    HWND w = rich();
    ASSERT_TRUE(w);
    EXPECT_EQ(tw_inst_.back().key, 0);
    EXPECT_EQ(edit_text(edit()), "Hello");
    SendMessageA(edit(), WM_KEYDOWN, VK_END, 0);
    type(" {world} \\ \xE9t\xE9");
    Boxes::answer = 3;  // Cancel
    SendMessageA(w, WM_CLOSE, 0, 0);
    ASSERT_TRUE(IsWindow(w));
    EXPECT_NE(SendMessageA(edit(), EM_GETMODIFY, 0, 0), 0);
    ASSERT_EQ(Boxes::questions.size(), 1u);
    EXPECT_EQ(Boxes::questions[0], "Save File: File " + name + " has been changed, save it?");

    // A write that fails keeps the window and its changes too.
    std::filesystem::create_directories(dir_ / "locked.rtf");
    SetWindowTextA(w, path("locked.rtf").c_str());
    Boxes::answer = 1;
    SendMessageA(w, WM_CLOSE, 0, 0);
    ASSERT_TRUE(IsWindow(w));
    EXPECT_EQ(Boxes::errors.size(), 1u);
    EXPECT_NE(SendMessageA(edit(), EM_GETMODIFY, 0, 0), 0);

    SetWindowTextA(w, name.c_str());
    SendMessageA(w, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(w));
    std::string saved = read_file(name);
    EXPECT_NE(saved.find("Hello"), std::string::npos);
    EXPECT_NE(saved.find("\\{world\\}"), std::string::npos);

    // Read back by a fresh window: the same text.
    ASSERT_TRUE(shell_hooks_.open_rich_file(name));
    EXPECT_EQ(edit_text(edit()), "Hello {world} \\ \xE9t\xE9");
}

TEST_F(RichWin, SaveCommandsOfFileWindows) {
    ASSERT_TRUE(rich_open(0, path("untitled.rtf"), 0));
    type("new text");
    EXPECT_EQ(edit_text(edit()), "new text");  // a new file starts empty
    // Save As onto the reserved name is refused.
    when_dialog("Save as Filename:", [&](HWND dlg) {
        SetDlgItemTextA(dlg, 0x47c, path("untitled.rtf").c_str());  // the file name box
        click_button(dlg, IDOK);
    });
    command(CMD_SAVE_AS);
    pump(100);
    ASSERT_EQ(Boxes::notes.size(), 1u);
    EXPECT_EQ(Boxes::notes[0], "Cannot save as untitled.rtf");

    HWND w = rich();
    SetWindowTextA(w, path("kept.rtf").c_str());
    command(CMD_SAVE);  // Ctrl+S of the focused rich window saves its file, not the diagram
    EXPECT_NE(read_file(path("kept.rtf")).find("new text"), std::string::npos);
    EXPECT_EQ(SendMessageA(edit(), EM_GETMODIFY, 0, 0), 0);
    EXPECT_FALSE(std::filesystem::exists(path("first.vrn")));
}

TEST_F(RichWin, FindNextWalksForwardAndBackward) {
    Key k = obj("Find", 42, "");
    activate(k);
    type("cat dog cat dog cat");
    select(edit(), 0, 0);
    rich_find_settings() = {"cat", 10116, false, false};
    std::vector<LONG> seen;
    for (int i = 0; i < 3; ++i) {
        command(CMD_FIND_NEXT);
        seen.push_back(sel_of(edit()).cpMin);
    }
    EXPECT_EQ(seen, (std::vector<LONG>{8, 16, 16}));
    EXPECT_EQ(Boxes::notes, (std::vector<std::string>{"Text not found: cat"}));
    rich_find_settings().direction = 10117;
    seen.clear();
    for (int i = 0; i < 2; ++i) {
        command(CMD_FIND_NEXT);
        seen.push_back(sel_of(edit()).cpMin);
    }
    EXPECT_EQ(seen, (std::vector<LONG>{8, 0}));
}

TEST_F(RichWin, FindTextDialogSearchesBackwardFromTheCursor) {
    Key k = obj("Find", 42, "");
    activate(k);
    type("one two one two");
    select(edit(), 12, 12);
    when_dialog("Find Text", [](HWND dlg) {
        EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_RF_CURSOR), BST_CHECKED);
        SetDlgItemTextA(dlg, IDC_RF_TEXT, "one");
        CheckRadioButton(dlg, IDC_RF_FORWARD, IDC_RF_BACKWARD, IDC_RF_BACKWARD);
        wt::shot(dlg, "rich_find_text");
        click_button(dlg, IDOK);
    });
    command(CMD_FIND_TEXT);
    EXPECT_EQ(driven_.size(), 1u);
    EXPECT_EQ(sel_of(edit()).cpMin, 8);
    EXPECT_EQ(rich_find_settings().text, "one");
    EXPECT_EQ(rich_find_settings().direction, IDC_RF_BACKWARD);
    EXPECT_TRUE(Boxes::notes.empty());
}

TEST_F(RichWin, ParagraphDialogBulletsIndentsAndBadNumbers) {
    Key k = obj("Para", 42, "");
    activate(k);
    type("a line");
    when_dialog("Richtext Format", [](HWND dlg) {
        CheckDlgButton(dlg, IDC_RP_BULLET, BST_CHECKED);
        click_button(dlg, IDC_RP_BULLET);
        EXPECT_EQ(dlg_get_text(dlg, IDC_RP_LEFT), "0.25");
        EXPECT_EQ(dlg_get_text(dlg, IDC_RP_FIRST), "-0.25");
        SetDlgItemTextA(dlg, IDC_RP_RIGHT, "0.5");
        CheckRadioButton(dlg, IDC_RP_ALIGN_LEFT, IDC_RP_ALIGN_RIGHT, IDC_RP_ALIGN_CENTER);
        wt::shot(dlg, "rich_paragraph");
        click_button(dlg, IDOK);
    });
    SendMessageA(rich(), WM_COMMAND, IDM_RICH_PARAGRAPH, 0);
    PARAFORMAT pf{};
    pf.cbSize = sizeof pf;
    SendMessageA(edit(), EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    EXPECT_EQ(pf.wNumbering, PFN_BULLET);
    EXPECT_EQ(pf.dxStartIndent, 0);
    EXPECT_EQ(pf.dxOffset, 360);
    EXPECT_EQ(pf.dxRightIndent, 720);
    EXPECT_EQ(pf.wAlignment, PFA_CENTER);

    when_dialog("Richtext Format", [](HWND dlg) {
        EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_RP_ALIGN_CENTER), BST_CHECKED);
        SetDlgItemTextA(dlg, IDC_RP_LEFT, "wide");
        click_button(dlg, IDOK);  // refused: the dialog stays
        EXPECT_TRUE(IsWindow(dlg));
        click_button(dlg, IDCANCEL);
    });
    SendMessageA(rich(), WM_COMMAND, IDM_RICH_PARAGRAPH, 0);
    SendMessageA(edit(), EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
    EXPECT_EQ(pf.dxOffset, 360);
    EXPECT_EQ(pf.wAlignment, PFA_CENTER);
}

TEST_F(RichWin, MenuCommandsReachTheFocusedRichWindow) {
    Key k = obj("Cmds", 42, "");
    activate(k);
    SendMessageA(edit(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("pear\rapple\rfig"));
    command(CMD_SELECT_ALL);
    command(CMD_SORT);
    EXPECT_EQ(edit_text(edit()), "apple\rfig\rpear");
    select(edit(), 0, 5);
    command(CMD_UPPER_CASE);
    EXPECT_EQ(edit_text(edit()).substr(0, 5), "APPLE");
    command(CMD_UNDO);  // the control's own undo, not the diagram's
    EXPECT_EQ(edit_text(edit()).substr(0, 5), "apple");
    command(CMD_REPLACE_TEXT);
    EXPECT_EQ(Boxes::notes, (std::vector<std::string>{"Function not available"}));
    // Re-color paints the selection in the toolbar's colour and leaves the caret after it.
    ASSERT_TRUE(tbar_set_current_color(4));
    select(edit(), 0, 5);
    SendMessageA(rich(), WM_COMMAND, IDM_RICH_RECOLOR, 0);
    EXPECT_EQ(sel_of(edit()).cpMin, 5);
    select(edit(), 1, 3);
    CHARFORMATA cf{};
    cf.cbSize = sizeof cf;
    SendMessageA(edit(), EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    EXPECT_EQ(cf.crTextColor, tbar_color_or(4, 0));
    tbar_palette_reset();
    SendMessageA(rich(), WM_VORN_USER, 4, 0);  // menu state
    EXPECT_EQ(GetMenuState(GetMenu(win_), CMD_SAVE, MF_BYCOMMAND) & MF_GRAYED, static_cast<UINT>(MF_GRAYED));
}

TEST_F(RichWin, InsertTextAtTheCaretNeverIntoReadOnly) {
    Key k = obj("Ins", 42, "");
    activate(k);
    type("ab");
    select(edit(), 1, 1);
    command(CMD_INSERT_TEXT);
    HWND dlg = dlg_find_modeless(IDD_INSERT_TEXT);
    ASSERT_TRUE(dlg);
    command(CMD_INSERT_TEXT);  // a second opening leaves one dialog
    EXPECT_EQ(dlg_find_modeless(IDD_INSERT_TEXT), dlg);
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_INS_ANSI), BST_CHECKED);
    HWND list = GetDlgItem(dlg, IDC_INS_LIST);
    ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 224);
    SendMessageA(list, LB_SETCURSEL, 255 - 0xE9, 0);  // the row of é
    click_button(dlg, IDC_INS_INSERT);
    click_button(dlg, IDC_INS_OPEN);
    EXPECT_EQ(edit_text(edit()), "a\xE9(b");
    // Misc holds the date.
    CheckRadioButton(dlg, IDC_INS_OPER, IDC_INS_ANSI, IDC_INS_MISC);
    click_button(dlg, IDC_INS_MISC);
    LRESULT row = SendMessageA(list, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("DATE today"));
    ASSERT_GE(row, 0);
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    click_button(dlg, IDC_INS_INSERT);
    SYSTEMTIME st;
    GetLocalTime(&st);
    std::string date = std::to_string(st.wYear) + "-" + std::to_string(st.wMonth) + "-" + std::to_string(st.wDay);
    EXPECT_NE(edit_text(edit()).find(date), std::string::npos);
    wt::shot(dlg, "rich_insert_text");
    click_button(dlg, IDCANCEL);
    pump(20);
    EXPECT_EQ(dlg_find_modeless(IDD_INSERT_TEXT), nullptr);
    command(CMD_CLOSE_WINDOWS);

    // Reopened, Misc is shown again; a read-only window takes nothing.
    Key ro = obj("Locked", 42, "", 1 | 8);
    activate(ro);
    ASSERT_TRUE(rich_read_only(rich()));
    command(CMD_INSERT_TEXT);
    dlg = dlg_find_modeless(IDD_INSERT_TEXT);
    ASSERT_TRUE(dlg);
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_INS_MISC), BST_CHECKED);
    SendMessageA(GetDlgItem(dlg, IDC_INS_LIST), LB_SETCURSEL, 0, 0);
    click_button(dlg, IDC_INS_INSERT);
    EXPECT_EQ(edit_text(edit()), "");
    command(CMD_CLOSE_WINDOWS);
    click_button(dlg, IDC_INS_CLOSE);
    EXPECT_EQ(Boxes::notes, (std::vector<std::string>{"No Textwindow selected"}));
}

// Runs of a text: plain, bold, plain again (positions of the control).
void format_runs(HWND edit) {
    SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("plain start BOLD plain end"));
    select(edit, 12, 16);
    CHARFORMATA cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_BOLD;
    cf.dwEffects = CFE_BOLD;
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
}

void expect_runs(HWND edit, const char* where) {
    EXPECT_EQ(edit_text(edit), "plain start BOLD plain end") << where;
    EXPECT_FALSE(effects_at(edit, 0, 11) & CFE_BOLD) << where;
    EXPECT_TRUE(effects_at(edit, 12, 16) & CFE_BOLD) << where;
    EXPECT_FALSE(effects_at(edit, 17, 26) & CFE_BOLD) << where;
}

TEST_F(RichWin, FormattingReadsBackAsWritten) {
    Key k = obj("Runs", 42, "");
    activate(k);
    format_runs(edit());
    command(CMD_CLOSE_WINDOWS);
    const std::string stored = view_obj_get(k)->ext;
    EXPECT_NE(stored.back(), '\0');
    for (int round = 0; round < 2; ++round) {   // and once more after storing what was read
        activate(k);
        expect_runs(edit(), "object");
        SendMessageA(edit(), EM_SETMODIFY, TRUE, 0);
        command(CMD_CLOSE_WINDOWS);
    }

    // A saved ".rtf" file, reopened.
    const std::string name = path("runs.rtf");
    ASSERT_TRUE(rich_open(0, path("untitled.rtf"), 0));
    format_runs(edit());
    SetWindowTextA(rich(), name.c_str());
    command(CMD_SAVE);
    command(CMD_CLOSE_WINDOWS);
    const std::string saved = read_file(name);
    ASSERT_FALSE(saved.empty());
    EXPECT_NE(saved.back(), '\0');
    ASSERT_TRUE(shell_hooks_.open_rich_file(name));
    expect_runs(edit(), "file");
}

TEST_F(RichWin, CaseChangeKeepsBoldAndItalic) {
    Key k = obj("Case", 42, "");
    activate(k);
    format_runs(edit());
    select(edit(), 17, 22);
    CHARFORMATA cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_ITALIC;
    cf.dwEffects = CFE_ITALIC;
    SendMessageA(edit(), EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    select(edit(), 6, 26);
    command(CMD_UPPER_CASE);
    EXPECT_EQ(edit_text(edit()), "plain START BOLD PLAIN END");
    EXPECT_EQ(sel_of(edit()).cpMin, 6);
    EXPECT_EQ(sel_of(edit()).cpMax, 26);
    EXPECT_TRUE(effects_at(edit(), 12, 16) & CFE_BOLD);
    EXPECT_TRUE(effects_at(edit(), 17, 22) & CFE_ITALIC);
    EXPECT_FALSE(effects_at(edit(), 17, 22) & CFE_BOLD);
    EXPECT_FALSE(effects_at(edit(), 6, 11) & (CFE_BOLD | CFE_ITALIC));
    select(edit(), 0, 26);
    command(CMD_LOWER_CASE);
    EXPECT_EQ(edit_text(edit()), "plain start bold plain end");
    EXPECT_TRUE(effects_at(edit(), 12, 16) & CFE_BOLD);
    EXPECT_TRUE(effects_at(edit(), 17, 22) & CFE_ITALIC);
}

// Memory that runs out while the control hands its text over never saves half of it: the file
// stays as it was, the window keeps its changes, and the user is told.
TEST_F(RichWin, SaveWithoutMemoryLeavesTheFileAndTheChanges) {
    const std::string name = path("long.rtf");
    std::ofstream(name, std::ios::binary) << "{\\rtf1\\ansi Hello}";
    const std::string before = read_file(name);
    ASSERT_TRUE(shell_hooks_.open_rich_file(name));
    SetFocus(edit());
    {
        // A paste larger than any free block the heap has kept.
        std::string pasted;
        for (int n = 0; n < 120000; ++n) pasted += "A long line of pasted text, seventy characters of it, and a break.\r\n";
        SendMessageA(edit(), EM_SETSEL, -1, -1);
        SendMessageA(edit(), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(pasted.c_str()));
    }
    ASSERT_NE(SendMessageA(edit(), EM_GETMODIFY, 0, 0), 0);
    {
        wt::AddressSpaceTaken taken;
        command(CMD_SAVE);
    }
    EXPECT_TRUE(IsWindow(rich()));
    EXPECT_NE(SendMessageA(edit(), EM_GETMODIFY, 0, 0), 0);
    EXPECT_TRUE(read_file(name) == before) << "the file changed";
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_NE(Boxes::errors[0].find("not enough memory"), std::string::npos) << Boxes::errors[0];
}

TEST_F(RichWin, TooLargeFilesAreRefusedByName) {
    const std::string name = path("huge.rtf");
    {
        std::ofstream f(name, std::ios::binary);
        f << "{\\rtf1\\ansi ";
        std::string line(99, 'x');
        for (size_t n = 0; n * 100 <= kRichMaxFileBytes; ++n) f << line << "\n";
        f << "}";
    }
    EXPECT_FALSE(shell_hooks_.open_rich_file(name));
    EXPECT_EQ(rich(), nullptr);
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_NE(Boxes::errors[0].find(name), std::string::npos);
    EXPECT_NE(Boxes::errors[0].find("2.0 MB"), std::string::npos) << Boxes::errors[0];
}

// A compact file under the size limit whose paragraphs the control could not hold, and an
// object's rich text of that kind, are refused by what they would cost; the document and its
// unsaved change stay.
TEST_F(RichWin, TextsTheControlCannotHoldAreRefusedAndTheDocumentStays) {
    std::string rtf = "{\\rtf1\\ansi ";
    for (int k = 0; k < 280000; ++k) rtf += "p0\\par ";
    rtf += "}";
    ASSERT_LT(rtf.size(), kRichMaxFileBytes);
    const std::string name = path("paras.rtf");
    std::ofstream(name, std::ios::binary) << rtf;
    Key k = obj("Heavy", 42, rtf);
    file_mark_changed();
    EXPECT_FALSE(shell_hooks_.open_rich_file(name));
    activate(k);
    EXPECT_EQ(rich(), nullptr);
    ASSERT_EQ(Boxes::errors.size(), 2u);
    EXPECT_EQ(Boxes::errors[0].rfind(name + " is too large for a rich text window: its 280001 paragraphs", 0), 0u)
        << Boxes::errors[0];
    EXPECT_EQ(Boxes::errors[1].rfind("Heavy is too large for a rich text window", 0), 0u) << Boxes::errors[1];
    EXPECT_EQ(view_obj_get(k)->ext, rtf);
    EXPECT_NE(file_is_changed(), 0);
}

TEST_F(RichWin, ActivateIdFindsRichTextsByWhatTheyShow) {
    obj("Notes", 42, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard\\f0 the \\b budget\\b0  for May\\par}");
    obj("Other", 0, "no match");
    EXPECT_FALSE(tw_activate_id(nullptr, "fonttbl"));
    EXPECT_EQ(rich(), nullptr);
    EXPECT_TRUE(tw_activate_id(nullptr, "budget for"));
    ASSERT_NE(rich(), nullptr);
    EXPECT_EQ(sel_of(edit()).cpMin, 4);
    EXPECT_EQ(sel_of(edit()).cpMax, 14);
}

TEST_F(RichWin, InsertTextRefusesAMissingSnippetFile) {
    insert_set_file(path("nowhere.kba"));
    command(CMD_INSERT_TEXT);
    EXPECT_EQ(dlg_find_modeless(IDD_INSERT_TEXT), nullptr);
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_NE(Boxes::errors[0].find("nowhere.kba"), std::string::npos);
}

// ---- Find Links.

class Finders : public RichWin {
protected:
    void links3() {
        a_ = obj("Alpha", 12, "");
        b_ = obj("Beta", 12, "");
        c_ = obj("Gamma", 12, "", 1, 2);
        for (auto [f, t, label] : {std::tuple{a_, b_, "causes"}, {b_, c_, "feeds"}, {c_, a_, "returns"}}) {
            Link l;
            l.from = f;
            l.to = t;
            l.label = label;
            view_link_add(l);
        }
        file_clear_changed();
    }
    static int rows(HWND dlg, int list) { return lv_item_count(GetDlgItem(dlg, list)); }
    Key a_ = 0, b_ = 0, c_ = 0;
};

TEST_F(Finders, FindLinksFiltersAndChangesTheChosenLink) {
    links3();
    int all = -1, filtered = -1;
    when_dialog("Find Links", [&](HWND dlg) {
        all = rows(dlg, IDC_FL_LIST);
        SetDlgItemTextA(dlg, IDC_FL_FILTER, "gamma not feeds");
        filtered = rows(dlg, IDC_FL_LIST);
        wt::shot(dlg, "rich_find_links");
        HWND host = GetDlgItem(dlg, IDC_FL_LIST);
        click_button(dlg, IDC_FL_CHANGE);  // nothing chosen yet
        lv_select_items(host, {3}, true);  // the third link, though it is the only row shown
        when_dialog("Link Properties", [](HWND props) {
            SetDlgItemTextA(props, IDC_LINK_LABEL, "comes back");
            click_button(props, IDOK);
        });
        click_button(dlg, IDC_FL_CHANGE);
        EXPECT_EQ(rows(dlg, IDC_FL_LIST), 1);  // rebuilt with the new label
        EXPECT_EQ(lv_get_item(GetDlgItem(dlg, IDC_FL_LIST), 3).sub_texts[1], "comes back");
        // F1 on the list: the list view hands WM_HELP up to its host, which opens the list's topic.
        HELPINFO hi = {sizeof hi, HELPINFO_WINDOW, 0, GetWindow(host, GW_CHILD), 0, {0, 0}};
        SendMessageA(static_cast<HWND>(hi.hItemHandle), WM_HELP, 0, reinterpret_cast<LPARAM>(&hi));
        ASSERT_NE(help_viewer_window(), nullptr);
        char title[128] = {};
        GetDlgItemTextA(help_viewer_window(), IDC_HELP_TITLE, title, sizeof title);
        EXPECT_STREQ(title, "Find Objects and Find Links");
        DestroyWindow(help_viewer_window());
        click_button(dlg, IDCANCEL);
    });
    command(CMD_FIND_LINKS);
    EXPECT_EQ(driven_, (std::vector<std::string>{"Find Links", "Link Properties"}));
    EXPECT_EQ(all, 3);
    EXPECT_EQ(filtered, 1);
    EXPECT_EQ(Boxes::notes, (std::vector<std::string>{"No link selected"}));
    EXPECT_EQ(view_link_get(c_, a_)->label, "comes back");
    EXPECT_EQ(view_link_get(a_, b_)->label, "causes");
}

TEST_F(Finders, ActionsOpenFindLinksChecklistsAndRichText) {
    links3();
    Key finder = obj("Links", 21, "");
    when_dialog("Find Links", [](HWND dlg) { click_button(dlg, IDCANCEL); });
    activate(finder);
    EXPECT_EQ(driven_, (std::vector<std::string>{"Find Links"}));
    Key list = obj("Ideas", 19, "brainstm.l");
    activate(list);
    HWND cl = dlg_find_modeless(IDD_CLIST);
    EXPECT_TRUE(cl);
    if (cl) DestroyWindow(cl);
    Key rt = obj("Rich", 42, "");
    activate(rt);
    ASSERT_TRUE(rich());
    EXPECT_EQ(tw_inst_.back().key, rt);
}

// ---- Find Objects.

TEST_F(Finders, FindObjectsKeepsUnsavedEditsAndReadsTheFolder) {
    links3();
    // Other documents of the folder, one of them broken.
    for (int i = 0; i < 3; ++i) {
        Document d;
        Obj o;
        o.key = 1;
        o.id = "Far " + std::to_string(i);
        o.level = 1;
        o.x = 40 * i;
        o.ext = "elsewhere";
        d.add_obj(o);
        std::string err;
        ASSERT_TRUE(view_write_replace(path(("other" + std::to_string(i) + ".vrn").c_str()), view_document_text(d), &err));
    }
    std::ofstream(path("broken.vrn")) << "j_(1,\"x\" this is no record\n";
    Key fresh = obj("Unsaved idea", 12, "typed just now");
    ASSERT_NE(file_is_changed(), 0);

    command(CMD_FIND_OBJECTS);
    HWND dlg = dlg_find_modeless(IDD_FIND_OBJECTS);
    ASSERT_TRUE(dlg);
    EXPECT_EQ(rows(dlg, IDC_FO_LIST), 4);
    EXPECT_EQ(dlg_get_text(dlg, IDC_FO_TOTAL), "Total items = 4");
    SetDlgItemTextA(dlg, IDC_FO_FILTER, "UNSAVED");
    EXPECT_EQ(rows(dlg, IDC_FO_LIST), 1);
    EXPECT_TRUE(view_obj_get(fresh));  // typing in the filter never reloads the document
    EXPECT_NE(file_is_changed(), 0);

    SetDlgItemTextA(dlg, IDC_FO_FILTER, "");
    CheckDlgButton(dlg, IDC_FO_GLOBAL, BST_CHECKED);
    click_button(dlg, IDC_FO_GLOBAL);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_FO_PATH)));
    EXPECT_EQ(rows(dlg, IDC_FO_LIST), 7);
    EXPECT_EQ(dlg_get_text(dlg, IDC_FO_TOTAL), "Total items = 7   (1 file could not be read)");
    EXPECT_TRUE(view_obj_get(fresh));
    EXPECT_EQ(view_doc().objs.size(), 4u);
    wt::shot(dlg, "rich_find_objects");

    CheckDlgButton(dlg, IDC_FO_CAUSES, BST_CHECKED);
    click_button(dlg, IDC_FO_CAUSES);
    EXPECT_EQ(rows(dlg, IDC_FO_LIST), 3);
    CheckDlgButton(dlg, IDC_FO_CAUSES, BST_UNCHECKED);
    click_button(dlg, IDC_FO_CAUSES);

    // A row of another file asks to save the open document first; Cancel stays here.
    HWND host = GetDlgItem(dlg, IDC_FO_LIST);
    int far_row = 0;
    for (int id = 1; id <= 7; ++id)
        if (lv_get_item(host, id).text == "Far 1") far_row = id;
    ASSERT_NE(far_row, 0);
    Boxes::answer = 3;
    lv_select_items(host, {far_row}, true);
    pump(60);
    EXPECT_EQ(Boxes::questions.size(), 1u);
    EXPECT_TRUE(view_obj_get(fresh));
    EXPECT_EQ(file_current_name(), path("first.vrn"));

    // Sorting: the first click on ID is ascending.
    NMLISTVIEW nm{};
    HWND lv = lv_control_handle(host);
    nm.hdr = {lv, static_cast<UINT_PTR>(GetDlgCtrlID(lv)), LVN_COLUMNCLICK};
    nm.iSubItem = 0;
    SendMessageA(host, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
    char first[64] = {};
    ListView_GetItemText(lv, 0, 0, first, sizeof first);
    EXPECT_STREQ(first, "Alpha");
    SendMessageA(host, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
    ListView_GetItemText(lv, 0, 0, first, sizeof first);
    EXPECT_STREQ(first, "Unsaved idea");

    // A row of this document scrolls to its object, with nothing loaded.
    Boxes::answer = 2;
    int gamma_row = 0;
    for (int id = 1; id <= 7; ++id)
        if (lv_get_item(host, id).text == "Gamma") gamma_row = id;
    lv_select_items(host, {far_row}, false);
    lv_select_items(host, {gamma_row}, true);
    pump(60);
    EXPECT_EQ(Boxes::questions.size(), 1u);
    EXPECT_TRUE(view_obj_get(fresh));
    click_button(dlg, IDCANCEL);
    pump(20);
    EXPECT_EQ(dlg_find_modeless(IDD_FIND_OBJECTS), nullptr);
}

TEST_F(Finders, FindObjectsShowsWhatRichTextsAndFieldsSay) {
    obj("Notes", 42, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard\\f0 Budget \\b review\\b0\\par}");
    obj("Plan", 0, std::string("See \x0bthe goal\x0e" "15Goal\x0f now"));
    command(CMD_FIND_OBJECTS);
    HWND dlg = dlg_find_modeless(IDD_FIND_OBJECTS);
    ASSERT_TRUE(dlg);
    HWND host = GetDlgItem(dlg, IDC_FO_LIST);
    auto contents = [&] {
        std::vector<std::string> out;
        for (int id = 1; id <= 2; ++id)
            if (auto it = lv_get_item(host, id); !it.text.empty()) out.push_back(it.text + "|" + it.sub_texts[3]);
        return out;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(contents(), (V{"Notes|Budget review", "Plan|See the goal now"}));
    SetDlgItemTextA(dlg, IDC_FO_FILTER, "fonttbl");
    EXPECT_EQ(rows(dlg, IDC_FO_LIST), 0);
    SetDlgItemTextA(dlg, IDC_FO_FILTER, "the goal now");
    EXPECT_EQ(rows(dlg, IDC_FO_LIST), 1);
    SetDlgItemTextA(dlg, IDC_FO_FILTER, "");   // the dialog keeps its filter for the next opening
    click_button(dlg, IDCANCEL);
}

TEST_F(Finders, FindObjectsVisitsAnotherDocument) {
    Document d;
    Obj o;
    o.key = 5;
    o.id = "Remote";
    o.level = 1;
    d.add_obj(o);
    std::string err;
    ASSERT_TRUE(view_write_replace(path("second.vrn"), view_document_text(d), &err));
    obj("Local", 12, "");
    ASSERT_TRUE(view_save_file(path("first.vrn"), &err)) << err;
    command(CMD_FIND_OBJECTS);
    HWND dlg = dlg_find_modeless(IDD_FIND_OBJECTS);
    ASSERT_TRUE(dlg);
    CheckDlgButton(dlg, IDC_FO_GLOBAL, BST_CHECKED);
    click_button(dlg, IDC_FO_GLOBAL);
    HWND host = GetDlgItem(dlg, IDC_FO_LIST);
    ASSERT_EQ(rows(dlg, IDC_FO_LIST), 2);
    int remote = lv_get_item(host, 1).text == "Remote" ? 1 : 2;
    lv_select_items(host, {remote}, true);
    pump(100);
    EXPECT_EQ(util_lower(file_current_name()), util_lower(path("second.vrn")));
    EXPECT_TRUE(view_obj_find_id("Remote"));
}

// Global over another folder: a file there with the open document's name is another document;
// its rows show and act on its own objects.
TEST_F(Finders, FindObjectsGlobalTellsSameNamedFilesOfAnotherFolderApart) {
    std::string err;
    obj("Wrong", 12, "");
    obj("Other", 12, "");
    ASSERT_TRUE(view_save_file(path("doc3.vrn"), &err)) << err;
    file_set_current_name(path("doc3.vrn"));
    CreateDirectoryA(path("other").c_str(), nullptr);
    Document d;
    for (auto [key, id] : {std::pair<Key, const char*>{1, "Elsewhere"}, {7, "Seventh"}}) {
        Obj o;
        o.key = key;
        o.id = id;
        o.level = 1;
        o.action = 12;
        d.add_obj(o);
    }
    ASSERT_TRUE(view_write_replace(path("other\\doc3.vrn"), view_document_text(d), &err));
    command(CMD_FIND_OBJECTS);
    HWND dlg = dlg_find_modeless(IDD_FIND_OBJECTS);
    ASSERT_TRUE(dlg);
    CheckDlgButton(dlg, IDC_FO_GLOBAL, BST_CHECKED);
    click_button(dlg, IDC_FO_GLOBAL);
    SetDlgItemTextA(dlg, IDC_FO_PATH, path("other\\*.vrn").c_str());
    HWND host = GetDlgItem(dlg, IDC_FO_LIST);
    ASSERT_EQ(rows(dlg, IDC_FO_LIST), 4);
    int seventh = 0;
    for (int id = 1; id <= 4; ++id)
        if (lv_get_item(host, id).text == "Seventh") seventh = id;
    ASSERT_NE(seventh, 0);
    EXPECT_EQ(lv_get_item(host, seventh).sub_texts[kFindObjFileColumn - 2], "doc3.vrn");
    lv_select_items(host, {seventh}, true);
    pump(100);
    EXPECT_EQ(util_lower(file_current_name()), util_lower(path("other\\doc3.vrn")));
    EXPECT_TRUE(view_obj_find_id("Seventh"));
    EXPECT_FALSE(view_obj_find_id("Wrong"));
}

// Global over the open document's own folder, however the path spells it: the document is
// listed once, with its unsaved edits, and choosing one of its rows reloads nothing.
TEST_F(Finders, FindObjectsGlobalKnowsTheOpenDocumentHoweverItsFolderIsSpelt) {
    std::string err;
    obj("Saved", 12, "");
    const std::string doc = path("Long name.vrn");
    ASSERT_TRUE(view_save_file(doc, &err)) << err;
    file_set_current_name(doc);
    Key fresh = obj("Unsaved idea", 12, "");
    const std::string dir = dir_.string(), leaf = dir_.filename().string();
    char short_dir[MAX_PATH] = {}, short_doc[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameA(dir.c_str(), short_dir, MAX_PATH), 0u);
    ASSERT_NE(GetShortPathNameA(doc.c_str(), short_doc, MAX_PATH), 0u);
    ASSERT_NE(util_lower(short_dir), util_lower(dir));
    std::string upper = dir, slashes = dir;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return static_cast<char>(toupper(c)); });
    std::replace(slashes.begin(), slashes.end(), '\\', '/');
    command(CMD_FIND_OBJECTS);
    HWND dlg = dlg_find_modeless(IDD_FIND_OBJECTS);
    ASSERT_TRUE(dlg);
    CheckDlgButton(dlg, IDC_FO_GLOBAL, BST_CHECKED);
    click_button(dlg, IDC_FO_GLOBAL);
    HWND host = GetDlgItem(dlg, IDC_FO_LIST);
    auto check = [&](const std::string& folder) {
        SetDlgItemTextA(dlg, IDC_FO_PATH, (folder + "*.vrn").c_str());
        ASSERT_EQ(rows(dlg, IDC_FO_LIST), 2) << folder;
        int saved = lv_get_item(host, 1).text == "Saved" ? 1 : 2;
        lv_select_items(host, {saved}, true);
        pump(60);
        lv_select_items(host, {saved}, false);
        EXPECT_TRUE(Boxes::questions.empty()) << folder;
        EXPECT_TRUE(view_obj_get(fresh)) << folder;
    };
    for (const std::string& folder : {dir + "\\", upper + "\\", dir + "\\.\\", dir + "\\..\\" + leaf + "\\",
                                      slashes + "/", std::string(short_dir) + "\\"})
        check(folder);
    // The document known by its short name.
    file_set_current_name(short_doc);
    check(dir + "\\");
    EXPECT_EQ(file_current_name(), short_doc);
    click_button(dlg, IDCANCEL);
}

}  // namespace

namespace {

class FindObjectsSort : public RichWin {
protected:
    // Clicks the header of the list's first column.
    static void click_id_header(HWND dlg) {
        HWND host = GetDlgItem(dlg, IDC_FO_LIST);
        HWND lv = lv_control_handle(host);
        NMLISTVIEW nm{};
        nm.hdr = {lv, static_cast<UINT_PTR>(GetDlgCtrlID(lv)), LVN_COLUMNCLICK};
        SendMessageA(host, WM_NOTIFY, nm.hdr.idFrom, reinterpret_cast<LPARAM>(&nm));
    }
    static std::string first_row(HWND dlg) {
        char buf[64] = {};
        ListView_GetItemText(lv_control_handle(GetDlgItem(dlg, IDC_FO_LIST)), 0, 0, buf, sizeof buf);
        return buf;
    }
};

TEST_F(FindObjectsSort, FiveHundredRowsSortButNotOneMore) {
    for (int i = 0; i < 500; ++i) obj("N" + std::to_string(1000 + i), 12, "");
    command(CMD_FIND_OBJECTS);
    HWND dlg = dlg_find_modeless(IDD_FIND_OBJECTS);
    ASSERT_TRUE(dlg);
    click_id_header(dlg);
    click_id_header(dlg);  // descending
    EXPECT_EQ(first_row(dlg), "N1499");
    EXPECT_TRUE(Boxes::notes.empty());
    DestroyWindow(dlg);

    obj("N0999", 12, "");
    command(CMD_FIND_OBJECTS);
    dlg = dlg_find_modeless(IDD_FIND_OBJECTS);
    ASSERT_TRUE(dlg);
    click_id_header(dlg);
    click_id_header(dlg);
    EXPECT_EQ(first_row(dlg), "N0999");  // as listed: not sorted
    EXPECT_EQ(Boxes::notes, (std::vector<std::string>(2, "Use Filter to reduce number of items to <500 before sorting")));
    DestroyWindow(dlg);
}

// Typing a row's first letters in a long list picks that row, and its object is shown.
TEST_F(FindObjectsSort, TypingARowsNameShowsItsObject) {
    for (int i = 0; i < 600; ++i) obj("N" + std::to_string(1000 + i), 12, "", 1, 1 + i % 3);
    command(CMD_FIND_OBJECTS);
    HWND dlg = dlg_find_modeless(IDD_FIND_OBJECTS);
    ASSERT_TRUE(dlg);
    HWND host = GetDlgItem(dlg, IDC_FO_LIST);
    EXPECT_EQ(first_row(dlg), "N1000");
    EXPECT_EQ(sbar_view_state().level, 1);
    SetFocus(lv_control_handle(host));
    for (UINT vk : {'N', '1', '4', '0', '1'}) wt::key(vk);
    pump(60);
    const std::vector<int> picked = lv_get_selected(host);
    ASSERT_EQ(picked.size(), 1u);
    EXPECT_EQ(lv_get_item(host, picked[0]).text, "N1401");
    EXPECT_EQ(sbar_view_state().level, 3);
    DestroyWindow(dlg);
}

}  // namespace

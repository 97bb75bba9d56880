#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/dlg_win.h"
#include "base/file.h"
#include "base/settings.h"
#include "base/spell.h"
#include "document/undo.h"
#include "document/view.h"
#include "resources/ids.h"
#include "resources/spell_ids.h"
#include "text/fieldedit_win.h"
#include "text/spellcheck_win.h"
#include "text/tw_win.h"
#include "win/win_test_util.h"

namespace {

using wt::Boxes;
using wt::pump;

// A plain edit control stands in for a hypertext window.
HWND fake_tw_ = nullptr;
const SpellTwAccess kFakeAccess{
    [] { return fake_tw_; },
    [](HWND w) {
        std::string s(static_cast<size_t>(GetWindowTextLengthA(w)) + 1, '\0');
        s.resize(static_cast<size_t>(GetWindowTextA(w, s.data(), static_cast<int>(s.size()))));
        return s;
    },
    [](HWND w) {
        DWORD a = 0, b = 0;
        SendMessageA(w, EM_GETSEL, reinterpret_cast<WPARAM>(&a), reinterpret_cast<LPARAM>(&b));
        return static_cast<size_t>(b);
    },
    [](HWND w, size_t from, size_t to) { SendMessageA(w, EM_SETSEL, from, to); },
    [](HWND w, size_t from, size_t to, const std::string& t) {
        SendMessageA(w, EM_SETSEL, from, to);
        SendMessageA(w, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(t.c_str()));
        return true;
    },
};

class SpellCheck : public wt::MainWindowTest {
protected:
    SpellCheck() : MainWindowTest("vorn_spell_check_test", SW_SHOWNOACTIVATE) {}
    void SetUp() override {
        MainWindowTest::SetUp();
        view_doc() = Document();
        file_set_current_name((dir_ / "plan.vrn").string());
        file_setting_set_text("CustDictionary", path("cust.kba"));
        spell_dict(0);
        real_access_ = spell_check_tw_access();
    }
    void TearDown() override {
        if (HWND d = spell_check_window()) SendMessageA(d, WM_COMMAND, IDCANCEL, 0);
        spell_check_set_tw_access(real_access_);
        tw_close_all();
        if (fake_tw_) DestroyWindow(fake_tw_);
        fake_tw_ = nullptr;
        MainWindowTest::TearDown();
    }
    Key obj(const std::string& id, const std::string& ext, int action = 0) {
        Obj o;
        o.id = id;
        o.ext = ext;
        o.level = 1;
        o.action = action;
        return *view_obj_put(o);
    }
    HWND open() {
        SendMessageA(win_, WM_COMMAND, CMD_SPELL_CHECK, 0);
        pump(20);
        dlg_ = spell_check_window();
        EXPECT_NE(dlg_, nullptr);
        return dlg_;
    }
    void press(int id) {
        SendDlgItemMessageA(dlg_, id, BM_CLICK, 0, 0);
        pump(10);
    }
    std::string field(int id) { return dlg_get_text(dlg_, id); }
    bool enabled(int id) { return IsWindowEnabled(GetDlgItem(dlg_, id)) != 0; }
    void correct(const std::string& text) {
        SetDlgItemTextA(dlg_, IDC_SPELL_CORRECTION, text.c_str());   // the user's edit: EN_CHANGE
        pump(10);
    }
    std::string ext(Key k) { return view_obj_ext(k).value_or("(none)"); }
    // A new opening forgets which texts were checked.
    void dlg_close_and_reopen() {
        press(IDCANCEL);
        open();
    }

    HWND dlg_ = nullptr;
    SpellTwAccess real_access_;
};

TEST_F(SpellCheck, DocumentScopeOpensEachTextInItsWindowAndEnds) {
    Key a = obj("A", "The cat sat on teh mat");
    Key b = obj("B", "hello wrldx");
    obj("C", "zzqx zzqx", 5);   // another action: not a text to check
    obj("D", "qqq");            // three characters or fewer
    Key e = obj("E", "fine words only");
    Key f = obj("F", "last word wrng");
    open();
    EXPECT_EQ(field(IDC_SPELL_STATUS), "Press Start button");
    press(IDC_SPELL_DOCUMENT);
    press(IDC_SPELL_START);
    // The first text's window is open with the word selected in it.
    ASSERT_EQ(tw_inst_.size(), 1u);
    EXPECT_EQ(tw_inst_[0].key, a);
    HWND w = tw_inst_[0].win;
    EXPECT_EQ(fe_model(w)->selection(), "teh");
    EXPECT_EQ(field(IDC_SPELL_WORD), "teh");
    EXPECT_EQ(field(IDC_SPELL_STATUS), "Word not found");
    EXPECT_FALSE(enabled(IDC_SPELL_CHANGE));
    correct("the");
    EXPECT_TRUE(enabled(IDC_SPELL_CHANGE));
    // Change edits the text the user sees; the finished text is stored as its window closes, and
    // the next object's window waits for "Cont...".
    press(IDC_SPELL_CHANGE);
    EXPECT_FALSE(IsWindow(w));
    EXPECT_EQ(ext(a), "The cat sat on the mat");
    EXPECT_EQ(view_undo_name(), "Change Text");
    EXPECT_EQ(field(IDC_SPELL_STATUS), "Check successful");
    EXPECT_EQ(field(IDC_SPELL_START), "Cont...");
    EXPECT_TRUE(enabled(IDC_SPELL_START));
    ASSERT_EQ(tw_inst_.size(), 1u);
    EXPECT_EQ(tw_inst_[0].key, b);
    press(IDC_SPELL_START);
    EXPECT_EQ(field(IDC_SPELL_WORD), "wrldx");
    EXPECT_EQ(fe_model(tw_inst_[0].win)->selection(), "wrldx");
    press(IDC_SPELL_ALLOW_LEARN);
    // E has nothing to report: F follows at once.
    ASSERT_EQ(tw_inst_.size(), 1u);
    EXPECT_EQ(tw_inst_[0].key, f);
    EXPECT_EQ(ext(b), "hello wrldx");
    press(IDC_SPELL_START);
    EXPECT_EQ(field(IDC_SPELL_WORD), "wrng");   // the last word is checked too
    correct("wrong");
    press(IDC_SPELL_CHANGE_LEARN);
    EXPECT_EQ(ext(f), "last word wrong");
    EXPECT_EQ(ext(e), "fine words only");
    EXPECT_TRUE(tw_inst_.empty());
    EXPECT_EQ(field(IDC_SPELL_STATUS), "Check successful");
    EXPECT_FALSE(enabled(IDC_SPELL_START));
    EXPECT_EQ(Boxes::notes, std::vector<std::string>{"Document completed"});

    std::ifstream in(path("cust.kba"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "wrldx\nwrong\n");
    // Learned words count after the dictionaries are loaded afresh, as at the next start.
    press(IDCANCEL);
    EXPECT_EQ(spell_check_window(), nullptr);
    spell_dict(0);
    EXPECT_TRUE(spell_word_ok("wrldx"));
    EXPECT_FALSE(spell_word_ok("wrldy"));
}

TEST_F(SpellCheck, ChangeLeavesTextsEditedSinceTheWordWasShown) {
    obj("A", "one teh two");
    open();
    press(IDC_SPELL_DOCUMENT);
    press(IDC_SPELL_START);
    ASSERT_EQ(field(IDC_SPELL_WORD), "teh");
    ASSERT_EQ(tw_inst_.size(), 1u);
    HWND w = tw_inst_[0].win;
    fe_model(w)->set_text("new text: one teh two");
    fe_changed(w);
    correct("the");
    press(IDC_SPELL_CHANGE);       // the word moved: shown again where it stands now
    EXPECT_EQ(fe_model(w)->text(), "new text: one teh two");
    EXPECT_EQ(field(IDC_SPELL_WORD), "teh");
    correct("the");
    press(IDC_SPELL_CHANGE);
    EXPECT_TRUE(tw_inst_.empty());
    EXPECT_EQ(field(IDC_SPELL_START), "&Start");

    // A read-only text is shown but never changed.
    Key r = obj("R", "locked teh text");
    Obj o = *view_obj_get(r);
    o.flags = 1 | 8;
    view_obj_put(o);
    dlg_close_and_reopen();
    press(IDC_SPELL_DOCUMENT);
    press(IDC_SPELL_START);
    ASSERT_EQ(field(IDC_SPELL_WORD), "teh");
    ASSERT_EQ(tw_inst_.size(), 1u);
    EXPECT_EQ(tw_inst_[0].key, r);
    correct("the");
    press(IDC_SPELL_CHANGE);
    EXPECT_EQ(fe_model(tw_inst_[0].win)->text(), "locked teh text");
    EXPECT_EQ(Boxes::errors, std::vector<std::string>{"The text is read-only"});
}

TEST_F(SpellCheck, TextwindowScopeAndVariants) {
    open();
    press(IDC_SPELL_TEXTWINDOW);
    press(IDC_SPELL_START);
    EXPECT_EQ(Boxes::errors, std::vector<std::string>{"No textwindow opened or empty textwindow"});
    EXPECT_TRUE(enabled(IDC_SPELL_START));

    fake_tw_ = CreateWindowA("EDIT", "Colour the the ABCD 1999 colour on mxt", WS_POPUP | ES_MULTILINE, 0, 0, 300, 100,
                             nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    spell_check_set_tw_access(kFakeAccess);
    press(IDC_SPELL_US);
    press(IDC_SPELL_START);
    EXPECT_EQ(field(IDC_SPELL_WORD), "Colour");
    press(IDC_SPELL_ALLOW);
    EXPECT_EQ(field(IDC_SPELL_WORD), "the");
    EXPECT_EQ(field(IDC_SPELL_STATUS), "Repeated word");
    press(IDC_SPELL_ALLOW);
    EXPECT_EQ(field(IDC_SPELL_WORD), "mxt");   // colour was allowed, and the last word is checked
    correct("mat");
    press(IDC_SPELL_CHANGE);
    EXPECT_EQ(kFakeAccess.text(fake_tw_), "Colour the the ABCD 1999 colour on mat");
    EXPECT_EQ(field(IDC_SPELL_STATUS), "Check successful");

    press(IDC_SPELL_UK);
    EXPECT_EQ(view_param_get(320), 1);
    EXPECT_TRUE(spell_word_ok("colour"));
    EXPECT_FALSE(spell_word_ok("color"));
    SendMessageA(fake_tw_, EM_SETSEL, 0, 0);
    press(IDC_SPELL_START);
    EXPECT_EQ(field(IDC_SPELL_WORD), "the");    // colour passes in UK English
}

}  // namespace

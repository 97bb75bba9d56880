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
#include "text/spellcheck_win.h"
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
    SpellCheck() : MainWindowTest("vorn_spell_check_test") {}
    void SetUp() override {
        MainWindowTest::SetUp();
        view_doc() = Document();
        file_set_current_name((dir_ / "plan.vrn").string());
        file_setting_set_text("CustDictionary", path("cust.kba"));
        spell_dict(0);
    }
    void TearDown() override {
        if (HWND d = spell_check_window()) SendMessageA(d, WM_COMMAND, IDCANCEL, 0);
        spell_check_set_tw_access({});
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
};

TEST_F(SpellCheck, DocumentScopeVisitsEachTextOnceAndEnds) {
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
    EXPECT_EQ(field(IDC_SPELL_WORD), "teh");
    EXPECT_EQ(field(IDC_SPELL_STATUS), "Word not found");
    EXPECT_FALSE(enabled(IDC_SPELL_CHANGE));
    correct("the");
    EXPECT_TRUE(enabled(IDC_SPELL_CHANGE));
    press(IDC_SPELL_CHANGE);
    EXPECT_EQ(ext(a), "The cat sat on the mat");
    EXPECT_EQ(view_undo_name(), "Spell Check");
    EXPECT_EQ(field(IDC_SPELL_WORD), "wrldx");   // on into the next object's text
    press(IDC_SPELL_ALLOW_LEARN);
    EXPECT_EQ(ext(b), "hello wrldx");
    // E has nothing to report; F's last word is checked too.
    EXPECT_EQ(field(IDC_SPELL_WORD), "wrng");
    correct("wrong");
    press(IDC_SPELL_CHANGE_LEARN);
    EXPECT_EQ(ext(f), "last word wrong");
    EXPECT_EQ(ext(e), "fine words only");
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
    Key a = obj("A", "one teh two");
    open();
    press(IDC_SPELL_DOCUMENT);
    press(IDC_SPELL_START);
    ASSERT_EQ(field(IDC_SPELL_WORD), "teh");
    Obj o = *view_obj_get(a);
    o.ext = "new text: one teh two";
    view_obj_put(o);
    correct("the");
    press(IDC_SPELL_CHANGE);       // the word moved: shown again where it stands now
    EXPECT_EQ(ext(a), "new text: one teh two");
    EXPECT_EQ(field(IDC_SPELL_WORD), "teh");
    correct("the");
    press(IDC_SPELL_CHANGE);
    EXPECT_EQ(ext(a), "new text: one the two");

    // A read-only text is shown but never changed.
    Obj r = *view_obj_get(a);
    r.ext = "locked teh text";
    r.flags = 1 | 8;
    view_obj_put(r);
    dlg_close_and_reopen();
    press(IDC_SPELL_DOCUMENT);
    press(IDC_SPELL_START);
    ASSERT_EQ(field(IDC_SPELL_WORD), "teh");
    correct("the");
    press(IDC_SPELL_CHANGE);
    EXPECT_EQ(ext(a), "locked teh text");
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

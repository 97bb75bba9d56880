#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/tip_win.h"
#include "resources/ids.h"
#include "win/program_dir.h"

namespace {

std::vector<std::string> errors_;
void rec(const std::string& t) { errors_.push_back(t); }

INT_PTR CALLBACK plain_eh(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

class ShellDialogs : public testing::Test {
protected:
    void SetUp() override {
        errors_.clear();
        old_ = msg_set_hooks({rec, rec, nullptr});
        dlg_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SNAP), nullptr, plain_eh, 0);
        ASSERT_NE(dlg_, nullptr);
    }
    void TearDown() override {
        if (IsWindow(dlg_)) DestroyWindow(dlg_);
        msg_set_hooks(old_);
    }
    HWND add_control(const char* cls, int id, DWORD style, int x, int y, int w, int h) {
        return CreateWindowA(cls, "", WS_CHILD | WS_VISIBLE | style, x, y, w, h, dlg_,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }
    MsgHooks old_;
    HWND dlg_ = nullptr;
};

TEST_F(ShellDialogs, OpenRecordsAndRememberedRectanglesStayOnTheWorkArea) {
    const int id = 10999;
    dlg_on_create(dlg_, id, 1);
    EXPECT_EQ(dlg_find_modeless(id), dlg_);
    // The user left the dialog far off screen (another monitor, another resolution).
    SetWindowPos(dlg_, nullptr, 5000, 4000, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT before;
    GetWindowRect(dlg_, &before);
    dlg_on_destroy(dlg_, id, 1);
    EXPECT_EQ(dlg_find_modeless(id), nullptr);
    DestroyWindow(dlg_);

    dlg_ = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SNAP), nullptr, plain_eh, 0);
    dlg_on_create(dlg_, id, 0);
    EXPECT_EQ(dlg_find_modeless(id), nullptr);  // modal ones are kept apart
    ASSERT_EQ(modaldlg_inst_.size(), 1u);
    RECT r, work = dlg_work_area();
    GetWindowRect(dlg_, &r);
    EXPECT_GE(r.left, work.left);
    EXPECT_LE(r.right, work.right);
    EXPECT_LE(r.bottom, work.bottom);
    EXPECT_EQ(r.right - r.left, before.right - before.left);  // size kept
    dlg_on_destroy(dlg_, id, 0);
    EXPECT_TRUE(modaldlg_inst_.empty());
}

TEST_F(ShellDialogs, ControlStateHelpers) {
    for (int id = 20001; id <= 20004; ++id) add_control("BUTTON", id, BS_AUTOCHECKBOX, 0, (id - 20001) * 12, 40, 10);
    dlg_set_checks(dlg_, 20001, 0b1010, 20001, 20004);
    EXPECT_EQ(dlg_is_checked(dlg_, 20001), 0);
    EXPECT_EQ(dlg_is_checked(dlg_, 20002), 1);
    EXPECT_EQ(dlg_is_checked(dlg_, 20003), 0);
    EXPECT_EQ(dlg_is_checked(dlg_, 20004), 1);
    // A base above the first id: negative bit numbers are off, never undefined shifts.
    dlg_set_checks(dlg_, 20001, 0xFFFFFFFFu, 20003, 20004);
    EXPECT_EQ(dlg_is_checked(dlg_, 20001), 0);
    EXPECT_EQ(dlg_is_checked(dlg_, 20004), 1);

    HWND list = add_control("LISTBOX", 20010, LBS_NOTIFY, 0, 60, 80, 60);
    HWND combo = add_control("COMBOBOX", 20011, CBS_DROPDOWNLIST, 90, 60, 80, 100);
    EXPECT_EQ(dlg_lbox_sel(dlg_, 20010), 0);
    for (const char* s : {"a", "b", "c"}) {
        SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
        SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    }
    SendMessageA(list, LB_SETCURSEL, 2, 0);
    SendMessageA(combo, CB_SETCURSEL, 1, 0);
    EXPECT_EQ(dlg_lbox_sel(dlg_, 20010), 2);
    EXPECT_EQ(dlg_lbox_sel(dlg_, 20011), 1);
    EXPECT_EQ(dlg_get_text(dlg_, 29999), "");
}

TEST_F(ShellDialogs, StretchingNeverMakesAControlTooSmall) {
    MoveWindow(dlg_, 0, 0, 300, 200, TRUE);
    add_control("EDIT", 20030, 0, 10, 10, 50, 20);
    RECT cl;
    GetClientRect(dlg_, &cl);
    dlg_stretch_control(dlg_, 20030, 20, 0);
    RECT r;
    GetWindowRect(GetDlgItem(dlg_, 20030), &r);
    EXPECT_EQ(r.right - r.left, cl.right - 20 - 10);
    EXPECT_EQ(r.bottom - r.top, 20);  // bottom margin 0: height kept
    dlg_stretch_control(dlg_, 20030, cl.right, 0);  // would be negative
    GetWindowRect(GetDlgItem(dlg_, 20030), &r);
    EXPECT_EQ(r.right - r.left, 80);
}

TEST_F(ShellDialogs, NumberListsAndErrorTexts) {
    EXPECT_EQ(dlg_num_strings(10, 30, 10), (std::vector<std::string>{"10", "20", "30"}));
    EXPECT_EQ(dlg_num_strings(5, 1, -2), (std::vector<std::string>{"5", "3", "1"}));
    EXPECT_EQ(dlg_num_strings(7, 9, 0), (std::vector<std::string>{"7"}));  // no endless list
    EXPECT_TRUE(dlg_num_strings(1, 9, -1).empty());

    file_set_progdir(wt::program_dir());  // "error.txt" ships beside the program
    dlg_error_msg("Bad value in %s", "Plot", 1031);
    dlg_error_msg("Bad value in %s", "Plot", 4242);
    ASSERT_EQ(errors_.size(), 2u);
    EXPECT_EQ(errors_[0].rfind("Bad value in Plot ErrNo=1031 ", 0), 0u) << errors_[0];
    EXPECT_GT(errors_[0].size(), std::string("Bad value in Plot ErrNo=1031 ").size());
    // A number error.txt does not know still comes with words (the system's, or a general phrase).
    EXPECT_EQ(errors_[1].rfind("Bad value in Plot ErrNo=4242 ", 0), 0u) << errors_[1];
    EXPECT_GT(errors_[1].size(), std::string("Bad value in Plot ErrNo=4242 ").size() + 5);
}

TEST_F(ShellDialogs, TooltipsRespectSuspendAndPreferences) {
    RECT area{0, 0, 2000, 2000};
    tip_request(area, "Title", "Text");
    EXPECT_TRUE(tip_pending());
    tip_hide();
    EXPECT_FALSE(tip_pending());
    tip_suspend();
    tip_request(area, "Title", "Text");
    EXPECT_FALSE(tip_pending());
    tip_resume();
    TipPrefs p = tip_prefs_get();
    TipPrefs off = p;
    off.a = 0;
    tip_prefs_set(off);
    tip_request(area, "Title", "Text");
    EXPECT_FALSE(tip_pending());
    tip_prefs_set(p);
    // Out-of-range preferences are kept in range.
    TipPrefs wild = p;
    wild.c = 500;
    wild.e = -3;
    tip_prefs_set(wild);
    EXPECT_EQ(tip_prefs_get().c, 60);
    EXPECT_EQ(tip_prefs_get().e, 0);
    tip_prefs_set(p);
}

}  // namespace

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "app/vorn6_win.h"
#include "base/commands_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/settings_win.h"
#include "base/shell_hooks_win.h"
#include "document/doc_util.h"
#include "document/view.h"
#include "ideas/compute_win.h"
#include "resources/ideas_ids.h"
#include "resources/ids.h"
#include "view/view_win.h"
#include "win/win_test_util.h"

namespace fs = std::filesystem;

namespace {

using wt::Boxes;
using wt::pump;

// Runs `drive` on the Compute dialog once it is up, from a timer of the dialog's message loop.
std::function<void(HWND)> drive_;
void CALLBACK drive_timer(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = FindWindowA("#32770", "Compute");
    if (!dlg || !drive_) return;
    KillTimer(nullptr, id);
    auto d = std::move(drive_);
    drive_ = nullptr;
    d(dlg);
}

class IdeasCompute : public wt::MainWindowTest {
protected:
    IdeasCompute() : MainWindowTest("vorn_ideas_compute_test") {}
    void SetUp() override {
        MainWindowTest::SetUp();
        saved_hooks_ = shell_hooks_;
        view_doc() = Document();
        file_set_current_name((dir_ / "plan.vrn").string());
    }
    void TearDown() override {
        close_main();
        shell_hooks_ = saved_hooks_;
        MainWindowTest::TearDown();
    }
    ShellHooks saved_hooks_;

    Key obj(const std::string& id, const std::string& ext, int y = 0) {
        Obj o;
        o.id = id;
        o.ext = ext;
        o.level = 1;
        o.y = y;
        return *view_obj_put(o);
    }
    void link(Key a, Key b, const std::string& label) {
        Link l;
        l.from = a;
        l.to = b;
        l.label = label;
        view_link_add(l);
    }
    std::string value(Key k) {
        const std::string* v = view_doc().value(k);
        return v ? *v : "(none)";
    }

};

TEST_F(IdeasCompute, DialogStoresItsChoicesAndRecomputes) {
    Key a = obj("A", "=2+3");
    Key b = obj("B", "=A*2");
    Key t = obj("T", "=sum()");
    link(a, t, "");
    Key e1 = obj("E1", ""), e2 = obj("E2", "");
    Link l;
    l.from = e1;
    l.to = e2;
    l.flags = 0x00030004;  // marked critical by an earlier run; arrowheads above
    view_link_add(l);
    view_text_param_set(26, "");

    bool seen = false;
    drive_ = [&](HWND dlg) {
        seen = true;
        EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_COMPUTE_AUTO), BST_CHECKED);
        EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_COMPUTE_LIST, LB_GETCOUNT, 0, 0), 3);
        EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_COMPUTE_LIST, LB_GETCURSEL, 0, 0), 0);
        char item[64] = {};
        SendDlgItemMessageA(dlg, IDC_COMPUTE_LIST, LB_GETTEXT, 2, reinterpret_cast<LPARAM>(item));
        EXPECT_STREQ(item, "Critical Path");
        CheckRadioButton(dlg, IDC_COMPUTE_AUTO, IDC_COMPUTE_MANUAL, IDC_COMPUTE_MANUAL);
        SendDlgItemMessageA(dlg, IDC_COMPUTE_LIST, LB_SETCURSEL, 1, 0);
        SetDlgItemTextA(dlg, IDC_COMPUTE_FORMAT, "8.2");
        // VORN_SHOT keeps the dialog up a while for a screenshot from outside.
        pump(GetEnvironmentVariableA("VORN_SHOT", nullptr, 0) ? 12000 : 50);
        SendMessageA(dlg, WM_COMMAND, IDOK, 0);
    };
    SetTimer(nullptr, 0, 30, drive_timer);
    task_menu_cmd(CMD_COMPUTE);
    EXPECT_TRUE(seen);
    EXPECT_EQ(view_param_get(69), 1);
    EXPECT_EQ(view_param_get(209), 1);
    EXPECT_EQ(view_text_param_get(26), "8.2");
    // OK removed the old critical mark, then Recompute computed the objects.
    EXPECT_EQ(view_doc().links.back().flags, 0x00030000);
    EXPECT_EQ(value(a), "5");
    EXPECT_EQ(value(b), "10");
    EXPECT_EQ(value(t), "5");
    EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors.front();
}

TEST_F(IdeasCompute, CancelChangesNothing) {
    view_param_set(209, 2);
    drive_ = [](HWND dlg) {
        EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_COMPUTE_LIST, LB_GETCURSEL, 0, 0), 2);
        SendDlgItemMessageA(dlg, IDC_COMPUTE_LIST, LB_SETCURSEL, 0, 0);
        SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    };
    SetTimer(nullptr, 0, 30, drive_timer);
    task_menu_cmd(CMD_COMPUTE);
    EXPECT_EQ(view_param_get(209), 2);
}

TEST_F(IdeasCompute, RecomputeCriticalPathWritesIdsReportAndMarks) {
    view_param_set(209, 2);
    Key a = obj("Start", "", 0), b = obj("Mid", "", 30), c = obj("End", "", 60);
    link(a, b, "12 days");
    link(b, c, "8");
    task_menu_cmd(CMD_RECOMPUTE);
    EXPECT_EQ(view_obj_id(a).value_or(""), "Start[ES=0  LC=0]");
    EXPECT_EQ(view_obj_id(c).value_or(""), "End[ES=20  LC=20]");
    EXPECT_EQ(view_doc().links[0].flags & 4, 4);
    std::ifstream in(dir_ / "plan.txt", std::ios::binary);
    ASSERT_TRUE(in.good());
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(ss.str().rfind("EVENT1               EVENT2", 0), 0u);
    EXPECT_NE(ss.str().find("Start[ES=0  LC=0]"), std::string::npos);
    EXPECT_TRUE(file_is_changed());
    EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors.front();
    if (GetEnvironmentVariableA("VORN_SHOT", nullptr, 0)) {
        ShowWindow(win_, SW_SHOWMAXIMIZED);
        view_scroll_to(1200, 60, 2);
        pump(12000);
    }
}

TEST_F(IdeasCompute, CycleGivesOneMessageAndAutoRecomputeRuns) {
    view_param_set(209, 1);
    view_param_set(69, 0);
    Key a = obj("A", "=B+1");
    obj("B", "=A+1");
    Key c = obj("C", "=7");
    EXPECT_TRUE(view_auto_recompute());
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_NE(Boxes::errors[0].find("circular reference"), std::string::npos);
    EXPECT_EQ(value(a), "(none)");
    EXPECT_EQ(value(c), "(none)");  // after the error the pass gives no more values
    view_obj_put([&] { Obj o = *view_obj_get(a); o.ext = "=2"; return o; }());
    Boxes::errors.clear();
    view_auto_recompute();
    EXPECT_TRUE(Boxes::errors.empty());
    EXPECT_EQ(value(a), "2");
    EXPECT_EQ(value(c), "7");
}

}  // namespace

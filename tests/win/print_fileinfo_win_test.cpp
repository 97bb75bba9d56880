// File > Information: the report's figures, the title and goal it edits, and a document left
// unchanged by merely looking.
#include <windows.h>

#include <functional>

#include "app/file_win.h"
#include "document/view.h"
#include "resources/ids.h"
#include "resources/print_ids.h"
#include "win_test_util.h"

using namespace wt;

namespace {

// Runs `act` on the modal dialog titled `title` once it is up (from inside its message loop).
std::function<void(HWND)> pending_;
std::string pending_title_;

void CALLBACK on_timer(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = FindWindowA("#32770", pending_title_.c_str());
    if (!dlg || !pending_) return;
    KillTimer(nullptr, id);
    auto act = std::move(pending_);
    pending_ = nullptr;
    act(dlg);
}

std::string text_of(HWND w) {
    char buf[4096] = {};
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

class FileInfo : public MainWindowTest {
protected:
    FileInfo() : MainWindowTest("vorn-info-test") {}

    // Opens File > Information through the menu command and lets `act` work the dialog.
    void with_dialog(std::function<void(HWND)> act) {
        pending_ = std::move(act);
        pending_title_ = "File Information";
        SetTimer(nullptr, 0, 30, on_timer);
        SendMessageA(win_, WM_COMMAND, CMD_INFO, 0);
        pump(20);
        EXPECT_FALSE(pending_) << "the dialog never came up";
        pending_ = nullptr;
    }
    Key put(const char* id, int x) { return *view_obj_put(view_obj_new(id, x, 0, 1)); }
};

TEST_F(FileInfo, ReportShowsTrueFiguresAndLeavesTheDocumentUnchanged) {
    Key a = put("Alpha", 0);
    Key b = put("Beta", 200);
    put("Gamma", 400);
    Link l;
    l.from = a;
    l.to = b;
    view_link_add(l);
    std::string name = path("facts.vrn");
    ASSERT_TRUE(file_save_document(name));
    ASSERT_EQ(file_open_document(name), 1);
    ASSERT_FALSE(file_is_changed());
    WIN32_FILE_ATTRIBUTE_DATA fa{};
    ASSERT_TRUE(GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &fa));
    FILETIME local;
    SYSTEMTIME t;
    FileTimeToLocalFileTime(&fa.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &t);
    char stamp[64];
    snprintf(stamp, sizeof stamp, "Last Updated = %04d-%02d-%02d  %02d:%02d:%02d", t.wYear, t.wMonth, t.wDay, t.wHour,
             t.wMinute, t.wSecond);

    std::string report, goal_first;
    int goals = 0;
    with_dialog([&](HWND dlg) {
        shot(dlg, "file-info");
        report = text_of(GetDlgItem(dlg, IDC_INFO_REPORT));
        goals = static_cast<int>(SendDlgItemMessageA(dlg, IDC_INFO_GOAL, CB_GETCOUNT, 0, 0));
        char buf[64] = {};
        SendDlgItemMessageA(dlg, IDC_INFO_GOAL, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(buf));
        goal_first = buf;
        SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_NE(report.find("Filename = " + file_current_name() + "\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("Vorn2001 Rel 1.0 Format\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find(stamp), std::string::npos) << report;
    EXPECT_NE(report.find("File Size = " + std::to_string(fa.nFileSizeLow) + " bytes"), std::string::npos) << report;
    EXPECT_NE(report.find("No. of Objects = 3\r\nNo. of Links = 1\r\nNo. of Shapes = 0\r\n"), std::string::npos) << report;
    EXPECT_NE(report.find("Linked Pictures:  None"), std::string::npos) << report;
    EXPECT_EQ(goals, 4);
    EXPECT_EQ(goal_first, "<Unknown>           0");
    EXPECT_FALSE(file_is_changed()) << "filling the report is no edit";
}

TEST_F(FileInfo, OkStoresTitleAndGoalAndUnknownClearsTheGoal) {
    put("Zeta", 0);
    Key b = put("Beta", 200);
    file_clear_changed();
    with_dialog([&](HWND dlg) {
        SetDlgItemTextA(dlg, IDC_INFO_TITLE, "Spring plan");
        // Sorted: <Unknown>, Beta, Zeta.
        SendDlgItemMessageA(dlg, IDC_INFO_GOAL, CB_SETCURSEL, 1, 0);
        SendMessageA(dlg, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(view_text_param_get(22), "Spring plan");
    EXPECT_EQ(view_param_get(343), b);
    EXPECT_NE(text_of(win_).find("Spring plan"), std::string::npos) << text_of(win_);
    EXPECT_TRUE(file_is_changed());

    int sel = -1;
    with_dialog([&](HWND dlg) {
        sel = static_cast<int>(SendDlgItemMessageA(dlg, IDC_INFO_GOAL, CB_GETCURSEL, 0, 0));
        SendDlgItemMessageA(dlg, IDC_INFO_GOAL, CB_SETCURSEL, 0, 0);
        SendMessageA(dlg, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(sel, 1) << "the goal chosen before is selected";
    EXPECT_EQ(view_param_get(343), 0);
}

TEST_F(FileInfo, CloseChangesNothingAndADeletedGoalShowsUnknown) {
    Key a = put("Gone", 0);
    view_param_set(343, a);
    view_obj_remove(a);
    file_clear_changed();
    int sel = -1;
    with_dialog([&](HWND dlg) {
        sel = static_cast<int>(SendDlgItemMessageA(dlg, IDC_INFO_GOAL, CB_GETCURSEL, 0, 0));
        SetDlgItemTextA(dlg, IDC_INFO_TITLE, "Not kept");
        SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(sel, 0);
    EXPECT_EQ(view_text_param_get(22), "");
    EXPECT_FALSE(file_is_changed());
}

}  // namespace

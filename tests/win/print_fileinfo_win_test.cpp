// File > Information: the report's figures, the title and goal it edits, and a document left
// unchanged by merely looking.
#include <windows.h>

#include <fstream>
#include <functional>

#include "app/file_win.h"
#include "base/file.h"
#include "document/view.h"
#include "elements/obj_tables.h"
#include "print_unix.h"
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

// The format line tells the file as it was read, until a save writes the current format; a
// linked picture that is gone is listed, marked missing.
TEST_F(FileInfo, FormatIsTheFilesAndMissingPicturesAreListed) {
    HostDir host("vorn-info-pictures");
    ASSERT_TRUE(host.run("convert rose: rose.png"));
    for (const std::string& f : {host.dos("rose.png"), std::string("gone.png")}) {
        Obj o = view_obj_new("Picture", 0, 0, 1);
        o.shape = kShapePictureFile;
        view_obj_set_bin(*view_obj_put(o), kShapePictureFile, f);
    }
    const std::string name = path("old.vrn");
    ASSERT_TRUE(file_save_document(name));
    // The same document as an older release wrote it: no format setting.
    std::string text = read_text(name);
    const size_t at = text.find("p_(350,");
    ASSERT_NE(at, std::string::npos) << text;
    text.erase(at, text.find('\n', at) + 1 - at);
    std::ofstream(name, std::ios::binary) << text;
    ASSERT_EQ(file_open_document(name), 1);
    auto report = [&] {
        std::string r;
        with_dialog([&](HWND dlg) {
            r = text_of(GetDlgItem(dlg, IDC_INFO_REPORT));
            SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
        });
        return r;
    };
    std::string r = report();
    EXPECT_NE(r.find("\r\nVorn98 or 99 Format\r\n"), std::string::npos) << r;
    EXPECT_NE(file_lower(r).find(file_lower("Linked Pictures: \r\n  " + host.dos("rose.png") + "\r\n  gone.png (missing)\r\n")),
              std::string::npos)
        << r;
    file_mark_changed();  // an edit, so that Save writes the file
    SendMessageA(win_, WM_COMMAND, CMD_SAVE, 0);
    pump(20);
    r = report();
    EXPECT_NE(r.find("\r\nVorn2001 Rel 1.0 Format\r\n"), std::string::npos) << r;
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

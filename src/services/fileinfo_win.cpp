#include "services/fileinfo_win.h"

#include <vector>

#include "bars/tbar_win.h"
#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/shell_hooks_win.h"
#include "base/trap_win.h"
#include "base/util.h"
#include "document/doc_util.h"
#include "document/view.h"
#include "resources/ids.h"
#include "resources/print_ids.h"
#include "services/fileinfo.h"

namespace {

struct InfoInit {
    std::string title, report;
    std::vector<std::string> goals;
    size_t goal_sel = 0;
    InfoValues result;
};
// True while the dialog fills its report, whose change notifications are not the user's.
bool filling_ = false;

void read_file_facts(InfoFacts& f) {
    WIN32_FILE_ATTRIBUTE_DATA a{};
    if (!GetFileAttributesExA(f.name.c_str(), GetFileExInfoStandard, &a)) return;
    FILETIME local{};
    SYSTEMTIME t{};
    if (!FileTimeToLocalFileTime(&a.ftLastWriteTime, &local) || !FileTimeToSystemTime(&local, &t)) return;
    f.dated = true;
    f.year = t.wYear;
    f.month = t.wMonth;
    f.day = t.wDay;
    f.hour = t.wHour;
    f.minute = t.wMinute;
    f.second = t.wSecond;
    f.size = (static_cast<uint64_t>(a.nFileSizeHigh) << 32) | a.nFileSizeLow;
}

std::string crlf(const std::string& s) { return util_replace_all(s, "\n", "\r\n"); }

void on_init(HWND win, InfoInit* init) {
    SetWindowLongPtrA(win, DWLP_USER, reinterpret_cast<LONG_PTR>(init));
    dlg_fixed_font(win, IDC_INFO_GOAL);
    dlg_on_create(win, IDD_FILE_INFO, 0);
    filling_ = true;
    SetDlgItemTextA(win, IDC_INFO_TITLE, init->title.c_str());
    for (const auto& l : init->goals)
        SendDlgItemMessageA(win, IDC_INFO_GOAL, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(l.c_str()));
    SendDlgItemMessageA(win, IDC_INFO_GOAL, CB_SETCURSEL, init->goal_sel, 0);
    SetDlgItemTextA(win, IDC_INFO_REPORT, crlf(init->report).c_str());
    filling_ = false;
}

void on_size(HWND win) {
    dlg_stretch_control(win, IDC_INFO_TITLE, 29, 0);
    dlg_stretch_control(win, IDC_INFO_REPORT, 29, 65);
    for (int id : {IDOK, IDCANCEL, IDC_INFO_SOURCE}) dlg_align_bottom(win, id, 35);
    InvalidateRect(win, nullptr, TRUE);
}

INT_PTR CALLBACK dlg_file_info_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    auto* init = reinterpret_cast<InfoInit*>(GetWindowLongPtrA(win, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG: on_init(win, reinterpret_cast<InfoInit*>(lp)); return TRUE;
    case WM_SIZE: on_size(win); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_INFO_REPORT:
            if (HIWORD(wp) == EN_CHANGE && !filling_) file_mark_changed();
            return TRUE;
        case IDOK: {
            init->result.title = dlg_get_text(win, IDC_INFO_TITLE);
            LRESULT s = SendDlgItemMessageA(win, IDC_INFO_GOAL, CB_GETCURSEL, 0, 0);
            if (s >= 0 && static_cast<size_t>(s) < init->goals.size()) init->result.goal_line = init->goals[static_cast<size_t>(s)];
            EndDialog(win, IDOK);
            return TRUE;
        }
        case IDCANCEL: EndDialog(win, IDCANCEL); return TRUE;
        case IDC_INFO_SOURCE: EndDialog(win, IDC_INFO_SOURCE); return TRUE;
        default: break;
        }
        break;
    case WM_DESTROY: dlg_on_destroy(win, IDD_FILE_INFO, 0); break;
    default: break;
    }
    return FALSE;
}

void cmd_info() { info_dialog(); }

}  // namespace

void info_apply(const InfoValues& v) {
    view_text_param_set(22, v.title);
    if (shell_hooks_.set_title) shell_hooks_.set_title(file_current_name());
    view_param_set(343, info_goal_key(v.goal_line));
    tbar_refresh();
}

void info_dialog() {
    InfoInit init;
    init.title = view_text_param_get(22);
    InfoFacts f;
    f.name = file_current_name();
    if (f.name.empty()) return;
    f.version = view_doc().file_version;
    // An untitled document has no file to describe, whatever lies under its name.
    if (file_is_untitled()) f.name = kUntitled;
    else read_file_facts(f);
    for (int k = 0; k < 5; ++k) f.counts[static_cast<size_t>(k)] = view_send_user(1, k + 1);
    f.pictures = view_attached_files(1);
    init.report = info_report(f);
    init.goals = info_goal_lines(util_obj_list_lines());
    init.goal_sel = util_obj_line_pos(static_cast<Key>(view_param_get(343)), init.goals);
    INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FILE_INFO), main_inst_, trap_dlg<dlg_file_info_eh>,
                                reinterpret_cast<LPARAM>(&init));
    if (r == IDOK) info_apply(init.result);
    else if (r == IDC_INFO_SOURCE) task_menu_cmd(CMD_SOURCE_EDITOR);
}

void info_register() { cmd_register({CMD_INFO, cmd_info}); }

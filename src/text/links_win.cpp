#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "bars/listview_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/globals_win.h"
#include "base/trap_win.h"
#include "base/util_win.h"
#include "document/globals.h"
#include "document/view.h"
#include "elements/elements_dlg_win.h"
#include "resources/rich_ids.h"
#include "text/finders.h"
#include "text/finders_win.h"

namespace {

std::string filter_;
int sortseq_ = -4;

bool on_note(const LvNotification& n, HWND host);

void build(HWND dlg) {
    HWND host = GetDlgItem(dlg, IDC_FL_LIST);
    if (!host) return;
    static const std::vector<LvColumn> columns = {{"From", 80},  {"To", 80},    {"Link Label", 80}, {"Color", 40},
                                                  {"Shape", 60}, {"Style", 50}, {"Level", 40}};
    lv_create(host, kLvReport, {LVS_SHOWSELALWAYS, LVS_AUTOARRANGE, LVS_SORTASCENDING, LVS_SINGLESEL}, columns,
              links_rows(view_doc(), filter_), 11231, 11231, on_note);
    SendMessageA(lv_control_handle(host), LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
}

bool compare(HWND host, int id1, int id2, LPARAM column, bool* before) {
    const int c = static_cast<int>(column);
    auto a = lv_sort_key(lv_get_item(host, id1), c), b = lv_sort_key(lv_get_item(host, id2), c);
    *before = finder_before(a.value_or(""), b.value_or(""), finder_ascending(sortseq_, c));
    return true;
}

void change_link(HWND dlg) {
    HWND host = GetDlgItem(dlg, IDC_FL_LIST);
    auto sel = lv_get_selected(host);
    if (sel.size() != 1) {
        msg_note("No link selected");
        return;
    }
    const Link* l = links_nth(view_doc(), sel[0]);
    if (!l) return;
    marked_link_ = {{l->from, l->to}};
    link_properties(main_inst_);
    build(dlg);
}

bool on_note(const LvNotification& n, HWND host) {
    switch (n.kind) {
    case kLvColumnClick:
        sortseq_ = finder_toggle_bit(sortseq_, n.column);
        lv_sort(host, n.column, compare);
        return false;
    case kLvDblClk:
        if (HWND dlg = GetParent(host)) PostMessageA(dlg, WM_COMMAND, IDC_FL_CHANGE, 0);
        return false;
    default: return false;
    }
}

LRESULT CALLBACK host_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    return lv_host_proc(win, msg, wp, lp, "links_lv");
}

INT_PTR CALLBACK dlg_links_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        dlg_on_create(win, IDD_FIND_LINKS, 0);
        sortseq_ = -4;
        SetDlgItemTextA(win, IDC_FL_FILTER, filter_.c_str());
        build(win);
        {
            RECT c;
            GetClientRect(win, &c);
            SendMessageA(win, WM_SIZE, 0, MAKELPARAM(c.right, c.bottom));
        }
        return TRUE;
    case WM_SIZE:
        if (HWND host = GetDlgItem(win, IDC_FL_LIST)) {
            RECT c;
            GetClientRect(win, &c);
            MoveWindow(host, 5, 35, std::max<int>(c.right - 15, 10), std::max<int>(c.bottom - 55, 10), TRUE);
        }
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_FL_FILTER:
            // Setting the kept filter when the dialog opens changes nothing to list again.
            if (HIWORD(wp) == EN_CHANGE && dlg_get_text(win, IDC_FL_FILTER) != filter_) {
                filter_ = dlg_get_text(win, IDC_FL_FILTER);
                build(win);
            }
            return TRUE;
        case IDC_FL_CHANGE: change_link(win); return TRUE;
        case IDCANCEL: EndDialog(win, 2); return TRUE;
        }
        break;
    case WM_DESTROY: dlg_on_destroy(win, IDD_FIND_LINKS, 0); break;
    }
    return FALSE;
}

}  // namespace

bool links_open(HWND parent) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = trap_wnd<host_eh>;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "listview_link";
        wc.hCursor = util_system_cursor(IDC_ARROW);
        registered = RegisterClassA(&wc) != 0;
    }
    return DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FIND_LINKS), parent, trap_dlg<dlg_links_eh>, 0) == 1;
}

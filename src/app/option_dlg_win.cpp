#include "app/option_dlg_win.h"

#include <commctrl.h>

#include "bars/listview_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/settings.h"
#include "base/trap_win.h"
#include "base/util_win.h"
#include "document/view.h"
#include "resources/ids.h"

namespace {

struct PasswordArgs {
    std::string file, password;
};

INT_PTR CALLBACK password_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        auto* a = reinterpret_cast<PasswordArgs*>(lp);
        SetWindowLongPtrA(win, DWLP_USER, lp);
        dlg_on_create(win, IDD_PASSWORD, 0);
        std::string t = "The same password scrambles \"" + file_name_part(a->file) +
                        "\" and unscrambles it again. This only hides the text from a casual look; it "
                        "does not protect the file.";
        SetDlgItemTextA(win, IDC_PASSWORD_TEXT, t.c_str());
        SendDlgItemMessageA(win, IDC_PASSWORD_EDIT, EM_LIMITTEXT, 255, 0);
        return TRUE;
    }
    case WM_COMMAND:
        return dlg_ok_cancel(win, wp, [](HWND win) {
            auto* a = reinterpret_cast<PasswordArgs*>(GetWindowLongPtrA(win, DWLP_USER));
            a->password = dlg_get_text(win, IDC_PASSWORD_EDIT);
            if (file_crypt_key(a->password)) return true;
            MessageBoxA(win, "Please enter a password.", "Note", MB_OK | MB_ICONINFORMATION);
            SetFocus(GetDlgItem(win, IDC_PASSWORD_EDIT));
            return false;
        });
    case WM_DESTROY: dlg_on_destroy(win, IDD_PASSWORD, 0); break;
    }
    return FALSE;
}

// ---- Files settings: the list of file names kept in the settings store.

struct FileSetting {
    const char* name;
    const char* label;
    std::string (*def)();
};
const FileSetting kFileSettings[] = {
    {"HomeFile", "Home file", [] { return file_progdir_path(kHomeFileName); }},
    {"TempFile", "Temporary file", [] { return file_progdir_path("vorn.tmp"); }},
    {"Checklist", "Checklists", [] { return std::string("clist.kba"); }},
    {"ChecklistUser", "User checklists", [] { return std::string("userlist.kba"); }},
    {"Question", "Questions", [] { return file_progdir_path("question.kba"); }},
    {"CustDictionary", "Custom dictionary", [] { return file_progdir_path("custdict.kba"); }},
    {"URLlog", "Web archive", [] { return file_progdir_path("url"); }},
};

// A click on a row edits its file name; the list's own label editing does the rest, and an
// empty name is refused.
bool files_note(const LvNotification& n, HWND host) {
    switch (n.kind) {
    case kLvClick: {
        HWND lv = lv_control_handle(host);
        LVHITTESTINFO hit = {};
        hit.pt = {n.x, n.y};
        int row = static_cast<int>(SendMessageA(lv, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
        if (row >= 0) SendMessageA(lv, LVM_EDITLABELA, static_cast<WPARAM>(row), 0);
        return false;
    }
    case kLvEndLabelEdit: return n.text.empty();
    case kLvBeginDrag: case kLvBeginRDrag: return true;  // the rows have no other list to go to
    default: return false;
    }
}

LRESULT CALLBACK listview_filesettings(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    // Tabbing to the list gives the keys to the list itself.
    if (msg == WM_SETFOCUS) {
        if (HWND lv = GetWindow(win, GW_CHILD)) SetFocus(lv);
        return 0;
    }
    return lv_host_proc(win, msg, wp, lp, "filesettings_lv");
}

INT_PTR CALLBACK files_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: {
        dlg_on_create(win, IDD_FILES, 0);
        HWND host = GetDlgItem(win, IDC_FILES_LIST);
        RECT r;
        GetClientRect(host, &r);
        const int file_w = r.right * 7 / 10;
        std::vector<LvItem> rows;
        int id = 0;
        for (const auto& f : kFileSettings) {
            LvItem it;
            it.id = ++id;
            it.text = file_setting_get_text(f.name, f.def());
            it.sub_texts = {f.label};
            rows.push_back(std::move(it));
        }
        lv_create(host, kLvReport, {LVS_SHOWSELALWAYS, LVS_EDITLABELS, LVS_AUTOARRANGE, LVS_SINGLESEL},
                  {{"File", file_w}, {"Used for", r.right - file_w - 4}}, rows, 11231, 11231, files_note);
        SendMessageA(lv_control_handle(host), LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
        return TRUE;
    }
    case WM_COMMAND:
        return dlg_ok_cancel(win, wp, [](HWND win) {
            HWND host = GetDlgItem(win, IDC_FILES_LIST);
            int id = 0;
            for (const auto& f : kFileSettings) {
                std::string v = lv_get_item(host, ++id).text;
                if (!v.empty() && v != file_setting_get_text(f.name, f.def())) file_setting_set_text(f.name, v);
            }
            return true;
        });
    case WM_DESTROY: dlg_on_destroy(win, IDD_FILES, 0); break;
    }
    return FALSE;
}

}  // namespace

bool dlg_password(HWND parent, const std::string& file_name, std::string* password) {
    PasswordArgs a{file_name, {}};
    INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PASSWORD), parent, trap_dlg<password_eh>,
                                reinterpret_cast<LPARAM>(&a));
    if (r != IDOK) return false;
    *password = a.password;
    return true;
}

void dlg_files_open(HWND parent) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = trap_wnd<listview_filesettings>;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "listview_filesettings";
        wc.hCursor = util_system_cursor(IDC_ARROW);
        RegisterClassA(&wc);
        registered = true;
    }
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FILES), parent, trap_dlg<files_eh>, 0);
}

INT_PTR CALLBACK dlg_snap_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        dlg_on_create(win, IDD_SNAP, 0);
        CheckDlgButton(win, IDC_SNAP_ON, view_param_get(203) == 1 ? BST_CHECKED : BST_UNCHECKED);
        return TRUE;
    case WM_COMMAND:
        return dlg_ok_cancel(win, wp, [](HWND win) {
            int on = dlg_is_checked(win, IDC_SNAP_ON);
            if (on != (view_param_get(203) == 1)) view_param_set_undoable(203, on);
            return true;
        });
    case WM_DESTROY: dlg_on_destroy(win, IDD_SNAP, 0); break;
    }
    return FALSE;
}

void dlg_snap_open(HWND parent) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SNAP), parent, trap_dlg<dlg_snap_eh>, 0);
}

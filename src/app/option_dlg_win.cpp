#include "app/option_dlg_win.h"

#include <commctrl.h>

#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/settings.h"
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

LRESULT CALLBACK listview_filesettings(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: {
        RECT r;
        GetClientRect(win, &r);
        InitCommonControls();
        HWND lv = CreateWindowExA(0, WC_LISTVIEWA, "",
                                  WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS |
                                      LVS_EDITLABELS,
                                  0, 0, r.right, r.bottom, win, reinterpret_cast<HMENU>(1), GetModuleHandleA(nullptr),
                                  nullptr);
        ListView_SetExtendedListViewStyle(lv, LVS_EX_FULLROWSELECT);
        LVCOLUMNA c = {};
        c.mask = LVCF_TEXT | LVCF_WIDTH;
        c.cx = r.right * 7 / 10;
        c.pszText = const_cast<char*>("File");
        SendMessageA(lv, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&c));
        c.cx = r.right - c.cx - 4;
        c.pszText = const_cast<char*>("Used for");
        SendMessageA(lv, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&c));
        return 0;
    }
    case WM_SIZE:
        MoveWindow(GetDlgItem(win, 1), 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return 0;
    case WM_SETFOCUS: SetFocus(GetDlgItem(win, 1)); return 0;
    case WM_NOTIFY: {
        auto* h = reinterpret_cast<NMHDR*>(lp);
        if (h->code == LVN_ENDLABELEDITA) {
            auto* d = reinterpret_cast<NMLVDISPINFOA*>(lp);
            return d->item.pszText && d->item.pszText[0] ? TRUE : FALSE;  // an empty name is refused
        }
        if (h->code == NM_CLICK) {
            auto* ia = reinterpret_cast<NMITEMACTIVATE*>(lp);
            if (ia->iItem >= 0) SendMessageA(h->hwndFrom, LVM_EDITLABELA, ia->iItem, 0);
        }
        return 0;
    }
    }
    return DefWindowProcA(win, msg, wp, lp);
}

HWND files_list(HWND dlg) { return GetDlgItem(GetDlgItem(dlg, IDC_FILES_LIST), 1); }

INT_PTR CALLBACK files_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: {
        dlg_on_create(win, IDD_FILES, 0);
        HWND lv = files_list(win);
        int row = 0;
        for (const auto& f : kFileSettings) {
            std::string v = file_setting_get_text(f.name, f.def());
            LVITEMA it = {};
            it.mask = LVIF_TEXT;
            it.iItem = row;
            it.pszText = v.data();
            SendMessageA(lv, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&it));
            it.iSubItem = 1;
            it.pszText = const_cast<char*>(f.label);
            SendMessageA(lv, LVM_SETITEMTEXTA, row, reinterpret_cast<LPARAM>(&it));
            ++row;
        }
        return TRUE;
    }
    case WM_COMMAND:
        return dlg_ok_cancel(win, wp, [](HWND win) {
            HWND lv = files_list(win);
            int row = 0;
            for (const auto& f : kFileSettings) {
                char buf[MAX_PATH + 1] = {};
                LVITEMA it = {};
                it.iSubItem = 0;
                it.pszText = buf;
                it.cchTextMax = sizeof buf;
                SendMessageA(lv, LVM_GETITEMTEXTA, row++, reinterpret_cast<LPARAM>(&it));
                if (buf[0] && buf != file_setting_get_text(f.name, f.def())) file_setting_set_text(f.name, buf);
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
    INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PASSWORD), parent, password_eh,
                                reinterpret_cast<LPARAM>(&a));
    if (r != IDOK) return false;
    *password = a.password;
    return true;
}

void dlg_files_open(HWND parent) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = listview_filesettings;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "listview_filesettings";
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        RegisterClassA(&wc);
        registered = true;
    }
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FILES), parent, files_eh, 0);
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
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SNAP), parent, dlg_snap_eh, 0);
}

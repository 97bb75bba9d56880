#include "shell/dlg_win.h"

#include <commctrl.h>

#include <map>

#include "bars/tbar.h"
#include "elements/font.h"
#include "resources/ids.h"
#include "shell/error.h"
#include "shell/file.h"
#include "shell/globals_win.h"
#include "shell/settings.h"
#include "shell/tip_win.h"
#include "view/view.h"

namespace {

constexpr int kIconBrowser = 10552;
std::map<int, RECT> remembered_;

void erase_dlg(std::vector<DlgInst>& list, HWND win) {
    for (auto it = list.begin(); it != list.end();)
        it = it->win == win ? list.erase(it) : it + 1;
}

RECT control_rect(HWND win, int id) {
    RECT r{};
    HWND c = GetDlgItem(win, id);
    if (!c) return r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, win, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// OK applies the dialog and closes it, unless `apply` refuses; Cancel closes it. False for other
// commands.
bool ok_cancel(HWND win, WPARAM wp, bool (*apply)(HWND)) {
    int id = LOWORD(wp);
    if (id != IDOK && id != IDCANCEL) return false;
    if (id == IDOK && !apply(win)) return true;
    EndDialog(win, id);
    return true;
}

void set_font(HWND win, int id, HFONT f) {
    if (HWND c = GetDlgItem(win, id)) SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
}

}  // namespace

RECT dlg_work_area() {
    RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

void dlg_on_create(HWND win, int dlg_id, int mode) {
    tip_hide();
    auto it = remembered_.find(dlg_id);
    if (it != remembered_.end() && dlg_id != kIconBrowser) {
        RECT w = dlg_work_area();
        Rect r = rect_clamp_to({it->second.left, it->second.top, it->second.right, it->second.bottom},
                               {w.left, w.top, w.right, w.bottom});
        SetWindowPos(win, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    auto& list = mode == 1 ? modelessdlg_inst_ : modaldlg_inst_;
    erase_dlg(list, win);
    list.push_back({win, dlg_id});
}

void dlg_on_destroy(HWND win, int dlg_id, int mode) {
    RECT r;
    if (GetWindowRect(win, &r)) remembered_[dlg_id] = r;
    erase_dlg(modelessdlg_inst_, win);
    erase_dlg(modaldlg_inst_, win);
}

void dlg_error_msg(const std::string& fmt, const std::string& text, int err_no) {
    tip_hide();
    std::string table;
    if (err_no != 0) {
        // Read quietly: a missing "error.txt" only drops the explanation.
        std::ifstream in(file_progdir_path("error.txt"), std::ios::binary);
        if (in) table.assign(std::istreambuf_iterator<char>(in), {});
    }
    msg_error(error_message_text(fmt, text, err_no, table));
}

std::vector<std::string> dlg_num_strings(int from, int to, int step) {
    std::vector<std::string> out;
    if (step == 0) return {std::to_string(from)};
    for (long long v = from; step > 0 ? v <= to : v >= to; v += step) out.push_back(std::to_string(v));
    return out;
}

int dlg_lbox_sel(HWND win, int id) {
    HWND c = GetDlgItem(win, id);
    if (!c) return 0;
    char cls[32] = {};
    GetClassNameA(c, cls, sizeof cls);
    LRESULT r = lstrcmpiA(cls, "ComboBox") == 0 ? SendMessageA(c, CB_GETCURSEL, 0, 0) : SendMessageA(c, LB_GETCURSEL, 0, 0);
    return r < 0 ? 0 : static_cast<int>(r);
}

int dlg_is_checked(HWND win, int id) { return IsDlgButtonChecked(win, id) == BST_CHECKED ? 1 : 0; }

void dlg_set_checks(HWND win, int first, unsigned bits, int base, int last) {
    for (int id = first; id <= last; ++id) {
        int bit = id - base;
        bool on = bit >= 0 && bit < 32 && ((bits >> bit) & 1u);
        CheckDlgButton(win, id, on ? BST_CHECKED : BST_UNCHECKED);
    }
}

std::string dlg_get_text(HWND win, int id) {
    HWND c = GetDlgItem(win, id);
    if (!c) return {};
    int n = GetWindowTextLengthA(c);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    n = GetWindowTextA(c, s.data(), n + 1);
    s.resize(static_cast<size_t>(n < 0 ? 0 : n));
    return s;
}

void dlg_enable(HWND win, int id, int on) {
    if (HWND c = GetDlgItem(win, id)) EnableWindow(c, on ? TRUE : FALSE);
}

void dlg_fill_rect(int colour_index, HWND, HDC dc, const RECT& r) {
    HBRUSH b = CreateSolidBrush(tbar_color_or(colour_index));
    FillRect(dc, &r, b);
    DeleteObject(b);
}

void dlg_fixed_font(HWND win, int id) {
    static HFONT f = nullptr;
    if (!f) {
        HDC dc = GetDC(nullptr);
        int h = -MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72);
        ReleaseDC(nullptr, dc);
        f = CreateFontA(h, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, FIXED_PITCH | FF_MODERN, "Courier New");
    }
    set_font(win, id, f);
}

void dlg_text_font(HWND win, int id) {
    // One font per dialog control would leak; the text font changes rarely, so keep the last.
    static HFONT f = nullptr;
    static FontDesc last;
    FontDesc d = text_font(kFontHypertext, 1);
    if (!f || !(d == last)) {
        LOGFONTA lf = {};
        lf.lfHeight = d.height;
        lf.lfWidth = d.width;
        lf.lfWeight = d.weight;
        lf.lfItalic = d.italic;
        lf.lfUnderline = d.underline;
        lf.lfCharSet = d.charset;
        lf.lfPitchAndFamily = d.pitch_family;
        lstrcpynA(lf.lfFaceName, d.face_name().c_str(), LF_FACESIZE);
        HFONT nf = CreateFontIndirectA(&lf);
        if (!nf) return;
        f = nf;  // the previous font may still be in use by open dialogs
        last = d;
    }
    set_font(win, id, f);
}

void dlg_stretch_control(HWND win, int id, int mr, int mb) {
    HWND c = GetDlgItem(win, id);
    if (!c) return;
    RECT cl, r = control_rect(win, id);
    GetClientRect(win, &cl);
    int w = r.right - r.left, h = r.bottom - r.top;
    if (mr > 0) w = cl.right - mr - r.left;
    if (mb > 0) h = cl.bottom - mb - r.top;
    if (w < 80) w = 80;
    if (h < 80 && mb > 0) h = 80;
    SetWindowPos(c, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {
// Moves control `id` to `m` pixels from the client area's right edge, or from its bottom edge.
void align(HWND win, int id, int m, bool right) {
    HWND c = GetDlgItem(win, id);
    if (!c) return;
    RECT cl, r = control_rect(win, id);
    GetClientRect(win, &cl);
    int x = right ? cl.right - m - (r.right - r.left) : r.left, y = right ? r.top : cl.bottom - m - (r.bottom - r.top);
    SetWindowPos(c, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Sizes the dialog to end `d` dialog units beyond control `id`'s left edge, or its top edge.
void fit(HWND win, int id, int d, bool width) {
    RECT du{0, 0, d, d}, w, r = control_rect(win, id);
    MapDialogRect(win, &du);
    GetWindowRect(win, &w);
    POINT p{r.left, r.top};
    ClientToScreen(win, &p);
    int cx = width ? p.x - w.left + du.right : w.right - w.left, cy = width ? w.bottom - w.top : p.y - w.top + du.bottom;
    SetWindowPos(win, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

void dlg_align_right(HWND win, int id, int m) { align(win, id, m, true); }
void dlg_align_bottom(HWND win, int id, int m) { align(win, id, m, false); }
void dlg_fit_width(HWND win, int id, int d) { fit(win, id, d, true); }
void dlg_fit_height(HWND win, int id, int d) { fit(win, id, d, false); }

void dlg_set_height(HWND win, int h) {
    RECT w;
    GetWindowRect(win, &w);
    SetWindowPos(win, nullptr, 0, 0, w.right - w.left, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void dlg_keep_on_screen(HWND win) {
    RECT w;
    GetWindowRect(win, &w);
    int x = w.left < 4 ? 4 : w.left, y = w.top < 22 ? 22 : w.top;
    if (x != w.left || y != w.top) SetWindowPos(win, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void dlg_copy_lbox(HWND win, int id) {
    HWND c = GetDlgItem(win, id);
    if (!c) return;
    int n = static_cast<int>(SendMessageA(c, LB_GETCOUNT, 0, 0));
    int selected = static_cast<int>(SendMessageA(c, LB_GETSELCOUNT, 0, 0));
    if (selected == LB_ERR) selected = SendMessageA(c, LB_GETCURSEL, 0, 0) == LB_ERR ? 0 : 1;
    std::string text;
    bool first = true;
    for (int k = 0; k < n; ++k) {
        bool sel = SendMessageA(c, LB_GETSEL, k, 0) > 0;
        if (selected > 0 && !sel) continue;
        int len = static_cast<int>(SendMessageA(c, LB_GETTEXTLEN, k, 0));
        if (len < 0) continue;
        std::string item(static_cast<size_t>(len) + 1, '\0');
        SendMessageA(c, LB_GETTEXT, k, reinterpret_cast<LPARAM>(item.data()));
        item.resize(static_cast<size_t>(len));
        if (!first) text += "\r\n";
        text += item;
        first = false;
    }
    if (!OpenClipboard(win)) return;
    EmptyClipboard();
    if (HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        memcpy(GlobalLock(g), text.c_str(), text.size() + 1);
        GlobalUnlock(g);
        if (!SetClipboardData(CF_TEXT, g)) GlobalFree(g);
    }
    CloseClipboard();
}

// ---- Password.

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
        return ok_cancel(win, wp, [](HWND win) {
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
        return ok_cancel(win, wp, [](HWND win) {
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
        return ok_cancel(win, wp, [](HWND win) {
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

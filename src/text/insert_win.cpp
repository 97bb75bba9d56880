#include "text/insert_win.h"

#include <shellapi.h>

#include <vector>

#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/trap_win.h"
#include "base/util_win.h"
#include "document/view_io.h"
#include "elements/font.h"
#include "elements/font_win.h"
#include "resources/ids.h"
#include "resources/rich_ids.h"
#include "text/insert_text.h"
#include "text/tw_win.h"

namespace {

std::vector<std::pair<int, std::string>> e_;  // the snippets of the open dialog
int prev_insert_type_ = 4;
std::string file_override_;
HFONT list_font_ = nullptr;

std::string snippet_file() { return file_override_.empty() ? file_progdir_path("insert.kba") : file_override_; }

void fill(HWND win, int type) {
    HWND list = GetDlgItem(win, IDC_INS_LIST);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const auto& [t, text] : e_)
        if (t == type) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

std::string selected_row(HWND win) {
    HWND list = GetDlgItem(win, IDC_INS_LIST);
    LRESULT i = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (i < 0) return {};
    LRESULT n = SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (n <= 0) return {};
    std::string buf(static_cast<size_t>(n) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf.data()));
    buf.resize(static_cast<size_t>(n));
    return buf;
}

std::string chosen(HWND win) {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return insert_expand(insert_snippet(selected_row(win)),
                         {st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond});
}

void copy_text(HWND win, const std::string& text) {
    if (!OpenClipboard(win)) return;
    EmptyClipboard();
    if (HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        if (void* p = GlobalLock(h)) {
            memcpy(p, text.c_str(), text.size() + 1);
            GlobalUnlock(h);
            if (!SetClipboardData(CF_TEXT, h)) GlobalFree(h);
        } else {
            GlobalFree(h);
        }
    }
    CloseClipboard();
}

void start_charmap() {
    char dir[MAX_PATH] = {};
    GetWindowsDirectoryA(dir, MAX_PATH);
    std::string base = dir;
    if (!base.empty() && base.back() != '\\') base += '\\';
    std::string exe = base + "charmap.exe";
    if (!file_exists(exe)) exe = base + "system32\\charmap.exe";
    if (!file_exists(exe)) {
        msg_error("Cannot find charmap.exe");
        return;
    }
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWDEFAULT;
    PROCESS_INFORMATION pi{};
    std::string cmd = "\"" + exe + "\"";
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        msg_error("Cannot find charmap.exe");
        return;
    }
    // The program waits for the character map, but keeps painting meanwhile.
    while (MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, INFINITE, QS_ALLINPUT) != WAIT_OBJECT_0) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(m.wParam));
                util_close_process(pi);
                return;
            }
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    util_close_process(pi);
}

INT_PTR CALLBACK dlg_insert_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        FontDesc f = text_font(3, 1);
        SetDlgItemTextA(win, IDC_INS_FONT, ("Curr Font: " + f.face_name()).c_str());
        LOGFONTA lf = font_logfont(f);
        if (list_font_) DeleteObject(list_font_);
        list_font_ = CreateFontIndirectA(&lf);
        if (list_font_) SendDlgItemMessageA(win, IDC_INS_LIST, WM_SETFONT, reinterpret_cast<WPARAM>(list_font_), FALSE);
        dlg_on_create(win, IDD_INSERT_TEXT, 1);
        CheckRadioButton(win, IDC_INS_OPER, IDC_INS_ANSI, IDC_INS_INSERT + prev_insert_type_);
        fill(win, prev_insert_type_);
        return TRUE;
    }
    case WM_SIZE:
        dlg_stretch_control(win, IDC_INS_FONT, 19, 0);
        dlg_stretch_control(win, IDC_INS_LIST, 19, 30);
        return FALSE;
    case WM_COMMAND: {
        const int id = LOWORD(wp);
        switch (id) {
        case IDC_INS_OPER: case IDC_INS_FUNC: case IDC_INS_MISC: case IDC_INS_ANSI:
            if (HIWORD(wp) == BN_CLICKED) {
                prev_insert_type_ = id - IDC_INS_INSERT;
                fill(win, prev_insert_type_);
            }
            return TRUE;
        case IDC_INS_LIST:
            if (HIWORD(wp) == LBN_DBLCLK) tw_insert_text(chosen(win));
            return TRUE;
        case IDC_INS_INSERT: tw_insert_text(chosen(win)); return TRUE;
        case IDC_INS_COPY: copy_text(win, chosen(win)); return TRUE;
        case IDC_INS_OPEN: tw_insert_text("("); return TRUE;
        case IDC_INS_CLOSE: tw_insert_text(")"); return TRUE;
        case IDC_INS_CHAR:
            DestroyWindow(win);
            start_charmap();
            return TRUE;
        case IDCANCEL: DestroyWindow(win); return TRUE;
        }
        break;
    }
    case WM_VORN_REPLACED: return dlg_stay_open(win);  // it types into text windows, not the document
    case WM_DESTROY:
        dlg_on_destroy(win, IDD_INSERT_TEXT, 1);
        e_.clear();
        break;
    case WM_NCDESTROY:
        if (list_font_) DeleteObject(list_font_);
        list_font_ = nullptr;
        break;
    }
    return FALSE;
}

void open_command() { tw_insert_dialog_open(main_inst_); }

}  // namespace

bool tw_insert_dialog_open(HWND parent) {
    if (dlg_find_modeless(IDD_INSERT_TEXT)) return false;
    const std::string path = snippet_file();
    std::string text;
    std::vector<std::pair<int, std::string>> rows;
    int line = 0;
    bool missing = false;
    if (!view_read_whole(path, text, &missing)) {
        dlg_error_msg("Loading %s", path, missing ? 2 : static_cast<int>(GetLastError()));
        return false;
    }
    if (!insert_parse(text, &rows, &line)) {
        dlg_error_msg("Loading %s", path + " (line " + std::to_string(line) + ")");
        return false;
    }
    e_.clear();
    for (const std::string& a : insert_ansi_rows()) e_.emplace_back(4, a);
    e_.insert(e_.end(), rows.begin(), rows.end());
    HWND win = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_INSERT_TEXT), parent, trap_dlg<dlg_insert_eh>, 0);
    if (!win) {
        e_.clear();
        return false;
    }
    ShowWindow(win, SW_SHOW);
    // Painted at once: it opens over a window that may be busy.
    RedrawWindow(win, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    return true;
}

void insert_set_file(const std::string& path) { file_override_ = path; }

void insert_register() { cmd_register({CMD_INSERT_TEXT, open_command}); }

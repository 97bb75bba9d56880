#include "ideas/randwords_win.h"

#include "bars/sbar.h"
#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/settings.h"
#include "base/trap_win.h"
#include "base/util.h"
#include "document/view.h"
#include "ideas/clist_win.h"
#include "ideas/randwords.h"
#include "resources/ideas_tools_ids.h"
#include "resources/ids.h"
#include "view/view_cmd.h"
#include "view/view_win.h"

namespace {

RwordSettings prev_;

// Folded, the window ends a little below the words; unfolded, a little below the second
// checklist. Measured from the controls, so no part of a settings row is left showing.
void show_settings(HWND win, bool show) {
    RECT w, c, last, margin{0, 0, 0, 6};
    GetWindowRect(win, &w);
    GetClientRect(win, &c);
    GetWindowRect(GetDlgItem(win, show ? IDC_RWORDS_LIST2 : IDC_RWORDS_WORDS), &last);
    MapWindowPoints(nullptr, win, reinterpret_cast<POINT*>(&last), 2);
    MapDialogRect(win, &margin);
    const int frame = (w.bottom - w.top) - (c.bottom - c.top);
    SetWindowPos(win, nullptr, 0, 0, w.right - w.left, frame + last.bottom + margin.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool settings_shown(HWND win) {
    RECT c, box;
    GetClientRect(win, &c);
    GetWindowRect(GetDlgItem(win, IDC_RWORDS_USE2), &box);
    MapWindowPoints(nullptr, win, reinterpret_cast<POINT*>(&box), 2);
    return box.bottom <= c.bottom;
}

// A random line of the chosen checklist; nullopt when it cannot be read.
std::optional<std::string> word_of(HWND win, int k) {
    if (!dlg_is_checked(win, IDC_RWORDS_USE1 + k)) return std::string();
    auto file = clist_file_of(dlg_get_text(win, IDC_RWORDS_LIST1 + k));
    if (!file || !file_exists(*file)) return std::nullopt;
    auto text = clist_read_list(*file);
    if (!text) return std::nullopt;
    // An empty checklist gives no word rather than failing the draw.
    return clist_random_line(*text, clist_default_random()).value_or("");
}

void on_next(HWND win) {
    auto a = word_of(win, 0);
    auto b = a ? word_of(win, 1) : std::nullopt;
    if (!a || !b) return;
    SetDlgItemTextA(win, IDC_RWORDS_WORDS, rwords_join(*a, *b).c_str());
    show_settings(win, false);
}

void on_promote(HWND win) {
    std::string words = dlg_get_text(win, IDC_RWORDS_WORDS);
    if (words.empty()) return;
    POINT p{};
    GetCursorPos(&p);
    if (view_inst_) ScreenToClient(view_inst_, &p);
    RECT r{0, 0, 640, 480};
    if (view_inst_) GetClientRect(view_inst_, &r);
    // The mouse sits on the dialog's button: keep the object in sight.
    if (!PtInRect(&r, p)) p = {r.right / 2, r.bottom / 2};
    view_obj_from_text(0, {words}, view_mapping().to_logical({p.x, p.y}), sbar_view_state().level);
    view_repaint();
}

void on_copy(HWND win) {
    std::string words = dlg_get_text(win, IDC_RWORDS_WORDS);
    if (!OpenClipboard(win)) return;
    EmptyClipboard();
    if (HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, words.size() + 1)) {
        memcpy(GlobalLock(h), words.c_str(), words.size() + 1);
        GlobalUnlock(h);
        if (!SetClipboardData(CF_TEXT, h)) GlobalFree(h);
    }
    CloseClipboard();
}

void on_init(HWND win) {
    dlg_on_create(win, IDD_RWORDS, 0);
    auto words = clist_words();
    for (int k = 0; k < 2; ++k) {
        CheckDlgButton(win, IDC_RWORDS_USE1 + k, prev_.use[k] ? BST_CHECKED : BST_UNCHECKED);
        HWND cb = GetDlgItem(win, IDC_RWORDS_LIST1 + k);
        for (const auto& d : words) SendMessageA(cb, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(d.c_str()));
        if (prev_.sel[k] < static_cast<int>(words.size())) SendMessageA(cb, CB_SETCURSEL, prev_.sel[k], 0);
    }
}

}  // namespace

INT_PTR CALLBACK dlg_random_words_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: on_init(win); return TRUE;
    case WM_COMMAND: {
        int id = LOWORD(wp);
        switch (id) {
        case IDC_RWORDS_NEXT: on_next(win); return TRUE;
        case IDC_RWORDS_PROMOTE: on_promote(win); return TRUE;
        case IDC_RWORDS_COPY: on_copy(win); return TRUE;
        case IDC_RWORDS_TOGGLE: show_settings(win, !settings_shown(win)); return TRUE;
        case IDC_RWORDS_USE1:
        case IDC_RWORDS_USE2: prev_.use[id - IDC_RWORDS_USE1] = dlg_is_checked(win, id) ? 1 : 0; return TRUE;
        case IDC_RWORDS_LIST1:
        case IDC_RWORDS_LIST2:
            if (HIWORD(wp) == CBN_SELCHANGE) {
                int sel = static_cast<int>(SendDlgItemMessageA(win, id, CB_GETCURSEL, 0, 0));
                if (sel >= 0) prev_.sel[id - IDC_RWORDS_LIST1] = sel;
            }
            return TRUE;
        case IDCANCEL: EndDialog(win, IDCANCEL); return TRUE;
        default: break;
        }
        break;
    }
    case WM_SIZE: dlg_stretch_control(win, IDC_RWORDS_WORDS, 24, 0); break;
    case WM_DESTROY:
        // Saved in its expanded form.
        show_settings(win, true);
        dlg_on_destroy(win, IDD_RWORDS, 0);
        file_setting_set_list("RWord", rwords_list(prev_));
        break;
    default: break;
    }
    return FALSE;
}

void rwords_open() {
    util_random_seed();
    // A value of the wrong form gives the defaults, as every setting does.
    prev_ = rwords_parse(file_setting_get_list("RWord", {1, 0, 0, 0})).value_or(RwordSettings{});
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_RWORDS), main_inst_, trap_dlg<dlg_random_words_eh>, 0);
}

void rwords_init() {
    static const Command commands[] = {{CMD_RANDOM_WORDS, rwords_open}};
    cmd_register_all(commands);
}

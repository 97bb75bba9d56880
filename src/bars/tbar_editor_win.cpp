#include "bars/tbar_editor_win.h"

#include <optional>
#include <vector>

#include "bars/bars_win.h"
#include "bars/tbar.h"
#include "bars/tbar_editor.h"
#include "bars/tbar_win.h"
#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/settings.h"
#include "base/trap_win.h"
#include "resources/bartools_ids.h"
#include "resources/ids.h"

namespace {

constexpr int kItemHeight = 26;

// What Cancel puts back: the style, and where the user had put the toolbar (the editor leaves
// it there unless told otherwise).
struct Before {
    int style = 1;
    int orient = kTbarTop;
};

int current_orientation() {
    if (menu_checked(kTbarCmdNone)) return kTbarNone;
    return menu_checked(kTbarCmdLeft) ? kTbarLeft : kTbarTop;
}

void check_orientation(HWND win, int orient) {
    CheckDlgButton(win, IDC_TBE_TOP, orient == kTbarTop ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(win, IDC_TBE_LEFT, orient == kTbarLeft ? BST_CHECKED : BST_UNCHECKED);
}

// The button list selects what the toolbar shows.
void select_shown(HWND win) {
    HWND list = GetDlgItem(win, IDC_TBE_BUTTONS);
    SendMessageA(list, LB_SETSEL, FALSE, -1);
    for (int b : tbar_model().shown()) SendMessageA(list, LB_SETSEL, TRUE, b);
    InvalidateRect(GetDlgItem(win, IDC_TBE_BITMAP), nullptr, TRUE);
}

std::vector<int> selected_buttons(HWND win) {
    HWND list = GetDlgItem(win, IDC_TBE_BUTTONS);
    int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    std::vector<int> out;
    for (int i = 0; i < n; ++i)
        if (SendMessageA(list, LB_GETSEL, i, 0) > 0) out.push_back(i);
    return out;
}

// Layout s on the side it was stored with, or on `side`.
void apply_layout(HWND win, int s, std::optional<int> side = {}) {
    tbar_set_style(s);
    const auto& styles = tbar_model().styles();
    int orient = side ? *side : s >= 0 && s < static_cast<int>(styles.size()) ? styles[s].orientation : kTbarTop;
    tbar_set_orientation(tbar_command_of_orient(orient));
    tbar_refresh();
    if (win) {
        select_shown(win);
        check_orientation(win, orient);
    }
}

void init(HWND win, LPARAM lp) {
    const Before& before = dlg_keep_state<Before>(win, lp);
    dlg_on_create(win, IDD_TBAR_EDITOR, 0);
    for (const TbarStyle& s : tbar_model().styles())
        SendDlgItemMessageA(win, IDC_TBE_STYLES, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.name.c_str()));
    for (const TbarButton& b : tbar_buttons())
        SendDlgItemMessageA(win, IDC_TBE_BUTTONS, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(b.label));
    SendDlgItemMessageA(win, IDC_TBE_STYLES, LB_SETCURSEL, static_cast<WPARAM>(before.style), 0);
    select_shown(win);
    check_orientation(win, current_orientation());
}

void accept(HWND win) {
    LRESULT sel = SendDlgItemMessageA(win, IDC_TBE_STYLES, LB_GETCURSEL, 0, 0);
    std::optional<int> style;
    if (sel >= 0) style = static_cast<int>(sel);
    for (const auto& [name, value] : tbar_editor_accept(tbar_model(), style, selected_buttons(win), current_orientation()))
        file_setting_set_list(name, value);
    if (style) tbar_set_style(*style);
}

void draw_item(const DRAWITEMSTRUCT& d) {
    if (d.itemID == static_cast<UINT>(-1)) return;
    const TbarButton* b = tbar_button(static_cast<int>(d.itemID));
    if (!b) return;
    bool sel = d.itemState & ODS_SELECTED;
    RECT r = d.rcItem;
    bars_fill(d.hDC, r, GetSysColor(sel ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    bars_draw_face(d.hDC, b->bitmap, r.left + 2, r.top + 1, kItemHeight - 2, kItemHeight - 2);
    SetBkMode(d.hDC, TRANSPARENT);
    SetTextColor(d.hDC, GetSysColor(sel ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    RECT t = {r.left + kItemHeight + 6, r.top, r.right, r.bottom};
    DrawTextA(d.hDC, b->label, -1, &t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (d.itemState & ODS_FOCUS) DrawFocusRect(d.hDC, &r);
}

// The "Bitmap" preview: the faces of the chosen buttons in a row.
void draw_preview(HWND win, const DRAWITEMSTRUCT& d) {
    bars_fill(d.hDC, d.rcItem, GetSysColor(COLOR_BTNFACE));
    int x = d.rcItem.left, size = d.rcItem.bottom - d.rcItem.top;
    for (int b : selected_buttons(win)) {
        if (x + size > d.rcItem.right) break;
        bars_draw_face(d.hDC, tbar_button(b)->bitmap, x, d.rcItem.top, size, size);
        x += size;
    }
}

void on_command(HWND win, int id, int code) {
    switch (id) {
    case IDC_TBE_STYLES:
        if (code == LBN_SELCHANGE) {
            LRESULT s = SendDlgItemMessageA(win, IDC_TBE_STYLES, LB_GETCURSEL, 0, 0);
            if (s >= 0) apply_layout(win, static_cast<int>(s));
        }
        break;
    case IDC_TBE_BUTTONS:
        if (code == LBN_SELCHANGE) {
            tbar_show_buttons(selected_buttons(win));
            InvalidateRect(GetDlgItem(win, IDC_TBE_BITMAP), nullptr, TRUE);
        }
        break;
    case IDC_TBE_TOP: tbar_set_orientation(kTbarCmdTop); break;
    case IDC_TBE_LEFT: tbar_set_orientation(kTbarCmdLeft); break;
    case IDOK:
        accept(win);
        EndDialog(win, IDOK);
        break;
    case IDCANCEL:
        if (const Before* b = dlg_state<Before>(win)) apply_layout(nullptr, b->style, b->orient);
        EndDialog(win, IDCANCEL);
        break;
    }
}

void editor_cmd() { tbar_editor(main_inst_); }

}  // namespace

INT_PTR CALLBACK dlg_toolbar_editor_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        switch (msg) {
        case WM_INITDIALOG: init(win, lp); return TRUE;
        case WM_MEASUREITEM: reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = kItemHeight; return TRUE;
        case WM_DRAWITEM: {
            const auto& d = *reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
            if (d.CtlID == IDC_TBE_BUTTONS) draw_item(d);
            else if (d.CtlID == IDC_TBE_BITMAP) draw_preview(win, d);
            return TRUE;
        }
        case WM_COMMAND: on_command(win, LOWORD(wp), HIWORD(wp)); return TRUE;
        case WM_DESTROY:
            dlg_on_destroy(win, IDD_TBAR_EDITOR, 0);
            break;
        }
    } catch (...) {
        bars_trap();
    }
    return FALSE;
}

bool tbar_editor(HWND parent) {
    Before before{tbar_get_style(), current_orientation()};
    apply_layout(nullptr, before.style, before.orient);
    return DialogBoxParamA(bars_instance(), MAKEINTRESOURCEA(IDD_TBAR_EDITOR), parent, trap_dlg<dlg_toolbar_editor_eh>,
                           dlg_state_param(before)) == IDOK;
}

void tbar_editor_init() { cmd_register({CMD_TBAR_EDITOR, editor_cmd}); }

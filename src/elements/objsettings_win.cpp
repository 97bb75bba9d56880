// Object Defaults, Cluster Settings and Sequence Settings: document settings that steer how
// objects are drawn, arranged in clusters and numbered.
#include <windows.h>

#include <array>
#include <string>

#include "base/dlg_win.h"
#include "base/error.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/trap_win.h"
#include "base/util.h"
#include "document/doc_util.h"
#include "document/view.h"
#include "elements/elements_dlg_win.h"
#include "elements/obj_dialog.h"
#include "resources/dlgs_ids.h"
#include "resources/ids.h"

namespace {

HINSTANCE inst() { return app_inst_ ? app_inst_ : GetModuleHandleA(nullptr); }
int combo_sel(HWND win, int id) { return static_cast<int>(SendDlgItemMessageA(win, id, CB_GETCURSEL, 0, 0)); }

void fill_combo(HWND win, int id, const std::vector<std::string>& items, int sel) {
    HWND c = GetDlgItem(win, id);
    SendMessageA(c, CB_RESETCONTENT, 0, 0);
    for (const auto& t : items) SendMessageA(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t.c_str()));
    SendMessageA(c, CB_SETCURSEL, sel, 0);
}
void fill_combo(HWND win, int id, const ListShow& s) { fill_combo(win, id, s.items, s.sel); }

void check(HWND win, int id, bool on) { CheckDlgButton(win, id, on ? BST_CHECKED : BST_UNCHECKED); }

void refresh_toolbar() {
    if (elements_dlg_hooks_.tbar_refresh) elements_dlg_hooks_.tbar_refresh();
}

void draw_colour_item(const DRAWITEMSTRUCT& di) {
    if (di.itemID == static_cast<UINT>(-1)) return;
    RECT r = di.rcItem;
    FillRect(di.hDC, &r, GetSysColorBrush((di.itemState & ODS_SELECTED) ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    InflateRect(&r, -2, -2);
    if (di.itemID < 32) {
        dlg_fill_rect(static_cast<int>(di.itemID), di.hwndItem, di.hDC, r);
    } else {
        char text[16] = {};
        SendMessageA(di.hwndItem, CB_GETLBTEXT, di.itemID, reinterpret_cast<LPARAM>(text));
        SetBkMode(di.hDC, TRANSPARENT);
        DrawTextA(di.hDC, text, -1, &r, DT_SINGLELINE | DT_VCENTER);
    }
}

// ---- Object Defaults.

constexpr std::array<int, 7> kResetCodes = {228, 97, 225, 227, 365, 68, 76};

struct DefaultsDlg {
    ListShow depth, bar, symbol, icon, style, rich, sep;
    uint64_t undo_state = 0;  // the history before the first live change
    std::array<int32_t, 7> reset_para{};  // kResetCodes' values on opening
};

const ListShow* def_list(const DefaultsDlg& d, int id) {
    switch (id) {
    case IDC_ODEF_DEPTH: return &d.depth;
    case IDC_ODEF_BAR: return &d.bar;
    case IDC_ODEF_SYMBOL: return &d.symbol;
    case IDC_ODEF_ICON: return &d.icon;
    case IDC_ODEF_ICON_STYLE: return &d.style;
    }
    return nullptr;
}

// A list of obj0_listbox_ changed: its setting takes the new value at once, as an undoable step.
void live_change(HWND win, const DefaultsDlg& d, int id) {
    const Obj0ListRow* row = obj0_listbox_row(id);
    const ListShow* shown = def_list(d, id);
    if (!row || !shown) return;
    int pos = combo_sel(win, id);
    int32_t v = pos + row->offset;
    // Back on the entry of a value the list does not have: that value as it was on opening.
    if (shown->keeps_stored(pos))
        for (size_t k = 0; k < kResetCodes.size(); ++k)
            if (kResetCodes[k] == row->setting) v = d.reset_para[k];
    if (view_param_get(row->setting) == v) return;
    view_param_set_undoable(row->setting, v);
    view_repaint();
}

void check_change(HWND win, int id, int code) {
    int v = dlg_is_checked(win, id);
    if (view_param_get(code) == v) return;
    view_param_set_undoable(code, v);
    view_repaint();
}

bool defaults_ok(HWND win) {
    DefaultsDlg& d = *dlg_state<DefaultsDlg>(win);
    // The live changes become the one step OK makes.
    view_undo_back_to(d.undo_state);
    auto keep_or = [&](int id, const ListShow& s, int code, int value) {
        int pos = combo_sel(win, id);
        view_param_set(code, s.keeps_stored(pos) ? view_param_get(code) : value);
    };
    {
        UndoStep step;
        keep_or(IDC_ODEF_DEPTH, d.depth, 228, combo_sel(win, IDC_ODEF_DEPTH));
        keep_or(IDC_ODEF_BAR, d.bar, 97, objdef_width_ok(combo_sel(win, IDC_ODEF_BAR)));
        keep_or(IDC_ODEF_SYMBOL, d.symbol, 225, objdef_width_ok(combo_sel(win, IDC_ODEF_SYMBOL)));
        keep_or(IDC_ODEF_ICON, d.icon, 227, objdef_width_ok(combo_sel(win, IDC_ODEF_ICON)));
        view_param_set(68, dlg_is_checked(win, IDC_ODEF_NO_PROTRUDE));
        view_param_set(76, dlg_is_checked(win, IDC_ODEF_BLACK_ID));
        keep_or(IDC_ODEF_RICH_COLOUR, d.rich, 359, combo_sel(win, IDC_ODEF_RICH_COLOUR));
        keep_or(IDC_ODEF_ICON_STYLE, d.style, 365, combo_sel(win, IDC_ODEF_ICON_STYLE));
        step.commit("Change Para");
    }
    int sep = combo_sel(win, IDC_ODEF_SEPARATOR);
    if (!d.sep.keeps_stored(sep)) {
        TipPrefs p = tip_prefs_get();
        p.e = sep;
        tip_prefs_set(p);
    }
    view_repaint();
    return true;
}

INT_PTR CALLBACK dlg_object_defaults_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        DefaultsDlg& d = dlg_keep_state<DefaultsDlg>(win, lp);
        dlg_on_create(win, IDD_OBJ_DEFAULTS, 0);
        fill_combo(win, IDC_ODEF_DEPTH, d.depth);
        fill_combo(win, IDC_ODEF_BAR, d.bar);
        fill_combo(win, IDC_ODEF_SYMBOL, d.symbol);
        fill_combo(win, IDC_ODEF_ICON, d.icon);
        fill_combo(win, IDC_ODEF_ICON_STYLE, d.style);
        fill_combo(win, IDC_ODEF_RICH_COLOUR, d.rich);
        fill_combo(win, IDC_ODEF_SEPARATOR, d.sep);
        check(win, IDC_ODEF_NO_PROTRUDE, view_param_get(68) != 0);
        check(win, IDC_ODEF_BLACK_ID, view_param_get(76) != 0);
        return TRUE;
    }
    case WM_COMMAND: {
        DefaultsDlg* d = dlg_state<DefaultsDlg>(win);
        if (!d) return FALSE;
        int id = LOWORD(wp), code = HIWORD(wp);
        if (code == CBN_SELCHANGE) live_change(win, *d, id);
        else if (id == IDC_ODEF_NO_PROTRUDE && code == BN_CLICKED) check_change(win, id, 68);
        else if (id == IDC_ODEF_BLACK_ID && code == BN_CLICKED) check_change(win, id, 76);
        if (id == IDCANCEL) {
            // Undo must never bring back what was cancelled.
            view_undo_back_to(d->undo_state);
            for (size_t k = 0; k < kResetCodes.size(); ++k) view_param_set(kResetCodes[k], d->reset_para[k]);
            view_repaint();
        }
        return dlg_ok_cancel(win, wp, defaults_ok) ? TRUE : FALSE;
    }
    case WM_DESTROY: dlg_on_destroy(win, IDD_OBJ_DEFAULTS, 0); return FALSE;
    }
    return FALSE;
}

// ---- Cluster Settings.

struct ClusterDlg {
    ListShow vert, horz;
};

bool cluster_ok(HWND win) {
    const ClusterDlg& d = *dlg_state<ClusterDlg>(win);
    int v = combo_sel(win, IDC_CLU_VERT), h = combo_sel(win, IDC_CLU_HORZ);
    UndoStep step;
    if (!d.vert.keeps_stored(v)) view_param_set(213, v - 20);
    if (!d.horz.keeps_stored(h)) view_param_set(214, h - 20);
    view_send_user(32, 0);
    step.commit("Change Para");
    refresh_toolbar();
    return true;
}

INT_PTR CALLBACK dlg_cluster_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        const ClusterDlg& d = dlg_keep_state<ClusterDlg>(win, lp);
        dlg_on_create(win, IDD_CLUSTER, 0);
        fill_combo(win, IDC_CLU_VERT, d.vert);
        fill_combo(win, IDC_CLU_HORZ, d.horz);
        return TRUE;
    }
    case WM_COMMAND:
        if (!dlg_state<ClusterDlg>(win)) return FALSE;
        return dlg_ok_cancel(win, wp, cluster_ok) ? TRUE : FALSE;
    case WM_DESTROY: dlg_on_destroy(win, IDD_CLUSTER, 0); return FALSE;
    }
    return FALSE;
}

// ---- Sequence Settings.

struct SequenceDlg {
    std::vector<std::string> lines;  // "(Undefined)", then the object lines, sorted
    int start = 0;
    ListShow colour, min_dist, direction;
    bool testing = false;
};

int radio(HWND win, int first, int n, int stored) {
    for (int k = 0; k < n; ++k)
        if (IsDlgButtonChecked(win, first + k) == BST_CHECKED) return k;
    return stored;
}
void check_radio(HWND win, int first, int n, int value) {
    for (int k = 0; k < n; ++k) check(win, first + k, k == value);
}

bool sequence_ok(HWND win) {
    const SequenceDlg& d = *dlg_state<SequenceDlg>(win);
    int sel = combo_sel(win, IDC_SEQ_START);
    std::optional<int> key = sel > 0 && sel < static_cast<int>(d.lines.size()) ? seq_key_of_line(d.lines[sel]) : std::nullopt;
    if (!key) {
        msg_note("Choose the Starting ID the numbering begins with");
        SetFocus(GetDlgItem(win, IDC_SEQ_START));
        return false;
    }
    UndoStep step;
    view_param_set(216, *key);
    view_param_set(223, radio(win, IDC_SEQ_ALL_COLOURS, 2, view_param_get(223)));
    int c = combo_sel(win, IDC_SEQ_COLOUR), m = combo_sel(win, IDC_SEQ_MIN_DIST), dir = combo_sel(win, IDC_SEQ_DIRECTION);
    if (!d.colour.keeps_stored(c)) view_param_set(224, c);
    if (!d.min_dist.keeps_stored(m)) view_param_set(317, m - 6);
    if (!d.direction.keeps_stored(dir)) view_param_set(318, dir);
    view_param_set(110, radio(win, IDC_SEQ_CLOCKWISE, 2, view_param_get(110)));
    view_param_set(211, radio(win, IDC_SEQ_SIDE_R, 4, view_param_get(211)));
    view_param_set(226, radio(win, IDC_SEQ_ALL_LEVELS, 2, view_param_get(226)));
    view_send_user(33, 1);
    step.commit("Change Para");
    refresh_toolbar();
    return true;
}

// Shows the numbers the stored settings give, with the buttons held still meanwhile.
void sequence_test(HWND win) {
    SequenceDlg& d = *dlg_state<SequenceDlg>(win);
    if (d.testing) return;
    d.testing = true;
    for (int id : {IDOK, IDCANCEL, IDC_SEQ_TEST}) dlg_enable(win, id, 0);
    int was = menu_checked(CMD_SEQ_SHOW);
    menu_check(CMD_SEQ_SHOW, 1);
    view_send_user(33, 1);
    MSG m;
    while (PeekMessageA(&m, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&m);
    if (view_inst_) UpdateWindow(view_inst_);
    menu_check(CMD_SEQ_SHOW, was);
    for (int id : {IDOK, IDCANCEL, IDC_SEQ_TEST}) dlg_enable(win, id, 1);
    d.testing = false;
}

INT_PTR CALLBACK dlg_object_sequence_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        const SequenceDlg& d = dlg_keep_state<SequenceDlg>(win, lp);
        dlg_fixed_font(win, IDC_SEQ_START);
        dlg_on_create(win, IDD_SEQUENCE, 0);
        fill_combo(win, IDC_SEQ_START, d.lines, d.start);
        fill_combo(win, IDC_SEQ_COLOUR, d.colour);
        fill_combo(win, IDC_SEQ_MIN_DIST, d.min_dist);
        fill_combo(win, IDC_SEQ_DIRECTION, d.direction);
        check_radio(win, IDC_SEQ_ALL_COLOURS, 2, view_param_get(223));
        check_radio(win, IDC_SEQ_ALL_LEVELS, 2, view_param_get(226));
        check_radio(win, IDC_SEQ_CLOCKWISE, 2, view_param_get(110));
        check_radio(win, IDC_SEQ_SIDE_R, 4, view_param_get(211));
        return TRUE;
    }
    case WM_MEASUREITEM: reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = 14; return TRUE;
    case WM_DRAWITEM: draw_colour_item(*reinterpret_cast<DRAWITEMSTRUCT*>(lp)); return TRUE;
    case WM_COMMAND:
        if (!dlg_state<SequenceDlg>(win)) return FALSE;
        if (LOWORD(wp) == IDC_SEQ_TEST) {
            sequence_test(win);
            return TRUE;
        }
        if (LOWORD(wp) == IDC_SEQ_HELP) {
            if (elements_dlg_hooks_.help_context) elements_dlg_hooks_.help_context(71);
            return TRUE;
        }
        return dlg_ok_cancel(win, wp, sequence_ok) ? TRUE : FALSE;
    case WM_DESTROY:
        dlg_on_destroy(win, IDD_SEQUENCE, 0);
        view_send_user(33, 0);
        return FALSE;
    }
    return FALSE;
}

}  // namespace

void obj_defaults_dialog(HWND parent) {
    DefaultsDlg d;
    d.depth = objdef_depth_show(view_param_get(228));
    d.bar = objdef_width_show(view_param_get(97));
    d.symbol = objdef_width_show(view_param_get(225));
    d.icon = objdef_width_show(view_param_get(227));
    d.style = objdef_pick_show(obj_icon_style_names(), view_param_get(365));
    d.rich = objdef_pick_show(objdef_richtext_colours_, view_param_get(359));
    d.sep = objdef_pick_show(objdef_id_separators_, tip_prefs_get().e);
    for (size_t k = 0; k < kResetCodes.size(); ++k) d.reset_para[k] = view_param_get(kResetCodes[k]);
    d.undo_state = view_undo_state();
    DialogBoxParamA(inst(), MAKEINTRESOURCEA(IDD_OBJ_DEFAULTS), parent, trap_dlg<dlg_object_defaults_eh>,
                    dlg_state_param(d));
}

void obj_cluster_settings(HWND parent) {
    ClusterDlg d{cluster_vert_show(view_param_get(213)), cluster_horz_show(view_param_get(214))};
    DialogBoxParamA(inst(), MAKEINTRESOURCEA(IDD_CLUSTER), parent, trap_dlg<dlg_cluster_eh>, dlg_state_param(d));
}

void obj_sequence_settings(HWND parent) {
    SequenceDlg d;
    d.lines = util_sort_strings(util_obj_list_lines());
    d.lines.insert(d.lines.begin(), "(Undefined)");
    const int start = view_param_get(216);
    for (size_t k = 1; k < d.lines.size(); ++k)
        if (start != 0 && seq_key_of_line(d.lines[k]) == start) d.start = static_cast<int>(k);
    d.colour = list_show(dlg_num_strings(0, 31, 1), view_param_get(224) >= 0 && view_param_get(224) < 32
                                                        ? std::optional<int>(view_param_get(224))
                                                        : std::nullopt,
                         std::to_string(view_param_get(224)));
    d.min_dist = seq_min_dist_show(view_param_get(317));
    d.direction = seq_direction_show(view_param_get(318));
    DialogBoxParamA(inst(), MAKEINTRESOURCEA(IDD_SEQUENCE), parent, trap_dlg<dlg_object_sequence_eh>,
                    dlg_state_param(d));
}

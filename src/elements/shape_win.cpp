#include "elements/shape_win.h"

#include <cstdint>
#include <string>
#include <vector>

#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/trap_win.h"
#include "base/util.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"
#include "elements/elements_dlg_win.h"
#include "elements/point_win.h"
#include "elements/shape.h"
#include "elements/shape_edit.h"
#include "resources/ids.h"
#include "resources/shapes_ids.h"

namespace {

constexpr int kCloneAfter = 100;  // Shape Properties ends this way when Clone was pressed

HINSTANCE inst() { return app_inst_ ? app_inst_ : GetModuleHandleA(nullptr); }
HWND owner() { return main_inst_ ? main_inst_ : view_inst_; }

std::vector<int> kind_codes() {
    std::vector<int> out;
    for (const auto& k : shape_kind_names()) out.push_back(k.code);
    return out;
}

void combo_add(HWND win, int id, const std::string& s) {
    SendDlgItemMessageA(win, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
}
void combo_numbers(HWND win, int id, int from, int to) {
    for (const auto& s : dlg_num_strings(from, to, 1)) combo_add(win, id, s);
}
// -1 selects nothing.
void combo_select(HWND win, int id, int pos) { SendDlgItemMessageA(win, id, CB_SETCURSEL, pos, 0); }
int combo_pos(HWND win, int id) {
    return static_cast<int>(SendDlgItemMessageA(win, id, CB_GETCURSEL, 0, 0));
}
void check(HWND win, int id, bool on) { CheckDlgButton(win, id, on ? BST_CHECKED : BST_UNCHECKED); }

std::optional<int32_t> edit_int(HWND win, int id) { return util_str_to_int(dlg_get_text(win, id)); }

bool the_marked_shape(Shape& s) {
    if (marked_shape_.empty()) return false;
    auto r = view_shape_get(marked_shape_.front());
    if (!r || r->key == 0) return false;
    s = *r;
    return true;
}

// ---- Shape Properties

struct PropsDlg {
    Key key = 0;
};
Key props_key(HWND win) { return dlg_state<PropsDlg>(win)->key; }

void props_enable_curve(HWND win) {
    int pos = combo_pos(win, IDC_SHAPE_KIND);
    const auto& kinds = shape_kind_names();
    bool arc = pos >= 0 && static_cast<size_t>(pos) < kinds.size() && shape_has_curvature(kinds[pos].code);
    dlg_enable(win, IDC_SHAPE_CURVE, arc);
}

void props_init(HWND win, LPARAM lp) {
    const Key key = dlg_keep_state<PropsDlg>(win, lp).key;
    dlg_on_create(win, IDD_SHAPE_PROPS, 0);
    auto s = view_shape_get(key);
    if (!s) {
        EndDialog(win, IDCANCEL);
        return;
    }
    SetWindowTextA(win, ("Shape Properties [#" + std::to_string(key) + "]").c_str());
    ShapeForm f = shape_form_of(*s, kind_codes());
    for (const auto& k : shape_kind_names()) combo_add(win, IDC_SHAPE_KIND, k.name);
    combo_select(win, IDC_SHAPE_KIND, f.kind_pos);
    for (const char* n : shape_fill_names()) combo_add(win, IDC_SHAPE_FILL, n);
    combo_select(win, IDC_SHAPE_FILL, f.fill_pos);
    combo_numbers(win, IDC_SHAPE_LEVEL, -250, 250);
    combo_select(win, IDC_SHAPE_LEVEL, f.level_pos);
    combo_numbers(win, IDC_SHAPE_CURVE, 0, 64);
    combo_select(win, IDC_SHAPE_CURVE, f.curve_pos);
    shape_colour_list_fill(win, IDC_SHAPE_COLOUR, f.colour_pos);
    CheckRadioButton(win, IDC_SHAPE_THIN, IDC_SHAPE_THICK, f.thick ? IDC_SHAPE_THICK : IDC_SHAPE_THIN);
    static const int line_ids[] = {IDC_SHAPE_SOLID, IDC_SHAPE_DASHED, IDC_SHAPE_DOTTED};
    if (f.line >= 0) CheckRadioButton(win, IDC_SHAPE_DOTTED, IDC_SHAPE_SOLID, line_ids[f.line]);
    check(win, IDC_SHAPE_GROUP, f.group);
    check(win, IDC_SHAPE_ROTATE, f.rotate);
    CheckRadioButton(win, IDC_SHAPE_GLOBAL, IDC_SHAPE_AS_ABOVE, f.global ? IDC_SHAPE_GLOBAL : IDC_SHAPE_AS_ABOVE);
    SetDlgItemInt(win, IDC_SHAPE_LEFT, static_cast<UINT>(s->left), TRUE);
    SetDlgItemInt(win, IDC_SHAPE_TOP, static_cast<UINT>(s->top), TRUE);
    SetDlgItemInt(win, IDC_SHAPE_RIGHT, static_cast<UINT>(s->right), TRUE);
    SetDlgItemInt(win, IDC_SHAPE_BOTTOM, static_cast<UINT>(s->bottom), TRUE);
    props_enable_curve(win);
}

bool props_apply(HWND win) {
    auto old = view_shape_get(props_key(win));
    if (!old) return true;
    ShapeForm f = shape_form_of(*old, kind_codes());
    auto l = edit_int(win, IDC_SHAPE_LEFT), t = edit_int(win, IDC_SHAPE_TOP);
    auto r = edit_int(win, IDC_SHAPE_RIGHT), b = edit_int(win, IDC_SHAPE_BOTTOM);
    if (!l || !t || !r || !b) {
        msg_note("Left, Top, Right and Bot must be whole numbers.");
        return false;
    }
    f.left = *l, f.top = *t, f.right = *r, f.bottom = *b;
    f.kind_pos = combo_pos(win, IDC_SHAPE_KIND);
    f.fill_pos = combo_pos(win, IDC_SHAPE_FILL);
    f.level_pos = combo_pos(win, IDC_SHAPE_LEVEL);
    f.curve_pos = combo_pos(win, IDC_SHAPE_CURVE);
    f.colour_pos = combo_pos(win, IDC_SHAPE_COLOUR);
    f.thick = dlg_is_checked(win, IDC_SHAPE_THICK);
    f.line = dlg_is_checked(win, IDC_SHAPE_DOTTED) ? 2 : dlg_is_checked(win, IDC_SHAPE_DASHED) ? 1
             : dlg_is_checked(win, IDC_SHAPE_SOLID) ? 0 : -1;
    f.rotate = dlg_is_checked(win, IDC_SHAPE_ROTATE);
    f.global = dlg_is_checked(win, IDC_SHAPE_GLOBAL);
    Shape s = shape_form_apply(*old, f, kind_codes());
    if (s != *old) {
        UndoStep step;
        view_shape_put(s);
        step.commit("Change Shape");
    }
    view_repaint();
    return true;
}

void props_flip(HWND win, bool left_right) {
    if (auto s = view_shape_get(props_key(win))) {
        UndoStep step;
        view_shape_put(shape_flipped(*s, left_right));
        step.commit(left_right ? "Flip L-R" : "Flip U-D");
    }
    view_unmark_all();
    view_repaint();
    EndDialog(win, IDOK);
}

// ---- Shape Defaults

// A line style clicked restyles the marked shapes at once; Cancel takes that back.
struct DefaultsDlg {
    uint64_t undo_state = 0;
};

void defaults_init(HWND win, LPARAM lp) {
    dlg_keep_state<DefaultsDlg>(win, lp).undo_state = view_undo_state();
    dlg_on_create(win, IDD_SHAPE_DEFAULTS, 0);
    int c = view_param_get(204);
    shape_colour_list_fill(win, IDC_SHAPE_DEF_COLOUR, c >= 0 && c <= 31 ? c : -1);
    CheckRadioButton(win, IDC_SHAPE_DEF_DOTTED, IDC_SHAPE_DEF_SOLID, shape_line_para());
}

bool defaults_apply(HWND win) {
    int c = combo_pos(win, IDC_SHAPE_DEF_COLOUR);
    if (c >= 0) view_param_set(204, c);
    for (int id : {IDC_SHAPE_DEF_DOTTED, IDC_SHAPE_DEF_DASHED, IDC_SHAPE_DEF_SOLID})
        if (dlg_is_checked(win, id)) shape_set_line_para(id);
    view_repaint();  // which also brings the toolbar in line
    return true;
}

// ---- Clone a Shape

void clone_init(HWND win) {
    dlg_on_create(win, IDD_SHAPE_CLONE, 0);
    combo_numbers(win, IDC_CLONE_COUNT, 1, 100);
    combo_select(win, IDC_CLONE_COUNT, 0);
    SetDlgItemInt(win, IDC_CLONE_XSHIFT, 30, TRUE);
    SetDlgItemInt(win, IDC_CLONE_YSHIFT, static_cast<UINT>(-30), TRUE);
    SetDlgItemInt(win, IDC_CLONE_XEXPAND, 0, TRUE);
    SetDlgItemInt(win, IDC_CLONE_YEXPAND, 0, TRUE);
}

bool clone_apply(HWND win) {
    auto xs = edit_int(win, IDC_CLONE_XSHIFT), ys = edit_int(win, IDC_CLONE_YSHIFT);
    auto xe = edit_int(win, IDC_CLONE_XEXPAND), ye = edit_int(win, IDC_CLONE_YEXPAND);
    if (!xs || !ys || !xe || !ye) {
        msg_note("Shifts and expansions must be whole numbers.");
        return false;
    }
    Shape s;
    if (!the_marked_shape(s)) return true;
    auto copies = shape_clones(s, combo_pos(win, IDC_CLONE_COUNT) + 1, *xs, *ys, *xe, *ye);
    if (!copies) {
        msg_note("The copies would lie outside the diagram.");
        return false;
    }
    UndoStep step;
    for (const Shape& c : *copies)
        if (!view_shape_put(c)) break;
    step.commit("Clone Shape");
    view_repaint();
    return true;
}

// ---- The menu

void same_as(int mode) {
    if (marked_shape_.empty()) {
        msg_note("Mark one or more Shapes");
        return;
    }
    if (view_inst_) {
        if (HCURSOR c = LoadCursorA(inst(), MAKEINTRESOURCEA(IDC_SAME_AS_CURSOR))) SetCursor(c);
        SetCapture(view_inst_);
    }
    same_as_ = SameAs{3, mode};
}

void gravity() {
    if (menu_toggle(CMD_GRAVITY) == 1 && view_param_get(203) == 1) {
        view_param_set(203, 0);
        msg_note("Shape Snap is now O");
    }
}

// The document keeps the state; the check mark follows it.
void show_xy() {
    int on = view_param_get(222) != 0 ? 0 : 1;
    menu_check(CMD_SHOW_XY, on);
    view_param_set(222, on);
    view_repaint();
}

// Pop-up items act on what the pop-up was opened for.
void popup_shape_properties() {
    if (popup_menu_inst_) {
        Key k = static_cast<Key>(popup_menu_inst_->a);
        if (k != 0 && view_shape_get(k)) marked_shape_ = {k};
    }
    shape_properties();
}

void popup_point_properties() {
    if (popup_menu_inst_) point_properties(owner(), popup_menu_inst_->a, popup_menu_inst_->b);
}

}  // namespace

void shape_colour_list_fill(HWND win, int id, int selected) {
    for (int i = 0; i < 32; ++i) combo_add(win, id, std::to_string(i));
    combo_select(win, id, selected);
}

bool shape_colour_list_draw(const DRAWITEMSTRUCT* d) {
    if (d->CtlType != ODT_COMBOBOX) return false;
    RECT r = d->rcItem;
    FillRect(d->hDC, &r, GetSysColorBrush((d->itemState & ODS_SELECTED) ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (static_cast<int>(d->itemID) >= 0) {
        RECT sw = r;
        InflateRect(&sw, -2, -2);
        dlg_fill_rect(static_cast<int>(d->itemID), d->hwndItem, d->hDC, sw);
        FrameRect(d->hDC, &sw, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    if (d->itemState & ODS_FOCUS) DrawFocusRect(d->hDC, &r);
    return true;
}

INT_PTR CALLBACK dlg_shape_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: props_init(win, lp); return TRUE;
    case WM_MEASUREITEM: reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = 14; return TRUE;
    case WM_DRAWITEM: return shape_colour_list_draw(reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
    case WM_COMMAND:
        if (!dlg_state<PropsDlg>(win)) break;
        switch (LOWORD(wp)) {
        case IDC_SHAPE_KIND:
            if (HIWORD(wp) == CBN_SELCHANGE) props_enable_curve(win);
            return TRUE;
        case IDC_SHAPE_FLIP_LR: props_flip(win, true); return TRUE;
        case IDC_SHAPE_FLIP_UD: props_flip(win, false); return TRUE;
        case IDC_SHAPE_CLONE: EndDialog(win, kCloneAfter); return TRUE;
        case IDOK:
            if (props_apply(win)) {
                EndDialog(win, IDOK);
                if (view_inst_) SetFocus(view_inst_);
            }
            return TRUE;
        case IDCANCEL:
            view_unmark_all();
            view_repaint();
            EndDialog(win, IDCANCEL);
            return TRUE;
        default: break;
        }
        break;
    case WM_DESTROY: dlg_on_destroy(win, IDD_SHAPE_PROPS, 0); break;
    default: break;
    }
    return FALSE;
}

INT_PTR CALLBACK dlg_shape_defaults_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: defaults_init(win, lp); return TRUE;
    case WM_MEASUREITEM: reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = 14; return TRUE;
    case WM_DRAWITEM: return shape_colour_list_draw(reinterpret_cast<const DRAWITEMSTRUCT*>(lp));
    case WM_COMMAND: {
        int id = LOWORD(wp);
        if ((id == IDC_SHAPE_DEF_DOTTED || id == IDC_SHAPE_DEF_DASHED || id == IDC_SHAPE_DEF_SOLID) &&
            HIWORD(wp) == BN_CLICKED) {
            // The marked shapes take the line style at once.
            if (!marked_shape_.empty()) {
                ShapeLineBits b = shape_line_bits(id);
                view_send_user(24, b.a + 2 * b.b);
                view_repaint();
            }
            return TRUE;
        }
        if (id == IDCANCEL) {
            if (const DefaultsDlg* d = dlg_state<DefaultsDlg>(win); d && view_undo_back_to(d->undo_state)) view_repaint();
        }
        if (dlg_ok_cancel(win, wp, defaults_apply)) return TRUE;
        break;
    }
    case WM_DESTROY: dlg_on_destroy(win, IDD_SHAPE_DEFAULTS, 0); break;
    default: break;
    }
    return FALSE;
}

INT_PTR CALLBACK dlg_clone_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: clone_init(win); return TRUE;
    case WM_COMMAND:
        if (dlg_ok_cancel(win, wp, clone_apply)) return TRUE;
        break;
    case WM_DESTROY: dlg_on_destroy(win, IDD_SHAPE_CLONE, 0); break;
    default: break;
    }
    return FALSE;
}

bool shape_properties() {
    Shape s;
    if (!the_marked_shape(s)) return false;
    // The region marker and the Handle have no entry in the kind list.
    if (s.kind == kShapeHandle || s.kind == kShapeRegion) return false;
    PropsDlg d{s.key};
    INT_PTR r = DialogBoxParamA(inst(), MAKEINTRESOURCEA(IDD_SHAPE_PROPS), owner(), trap_dlg<dlg_shape_eh>, dlg_state_param(d));
    if (r == kCloneAfter) shape_clone(owner());
    return r != -1;
}

void shape_defaults(HWND parent) {
    DefaultsDlg d;
    DialogBoxParamA(inst(), MAKEINTRESOURCEA(IDD_SHAPE_DEFAULTS), parent, trap_dlg<dlg_shape_defaults_eh>,
                    dlg_state_param(d));
}

void shape_clone(HWND parent) {
    Shape s;
    if (!the_marked_shape(s)) return;
    DialogBoxParamA(inst(), MAKEINTRESOURCEA(IDD_SHAPE_CLONE), parent, trap_dlg<dlg_clone_eh>, 0);
}

bool shape_menu(int id) {
    switch (id) {
    case CMD_SHAPE_DEFAULTS: shape_defaults(owner()); return true;
    case CMD_GROUP: view_send_user(31, 1); return true;
    case CMD_UNGROUP: view_send_user(31, 0); return true;
    case CMD_SAME_SIZE: case CMD_SAME_HEIGHT: case CMD_SAME_WIDTH: same_as(id - CMD_SAME_SIZE); return true;
    case CMD_GRAVITY: gravity(); return true;
    case CMD_PLOT_POINTS: point_plot(owner()); return true;
    case CMD_CLEAR_POINTS: point_clear(owner()); return true;
    case CMD_SHOW_POINTS: menu_toggle(CMD_SHOW_POINTS); view_repaint(); return true;
    case CMD_SHOW_XY: show_xy(); return true;
    default: return false;
    }
}

void shapes_init() {
    static const Command commands[] = {
        {CMD_SHAPE_DEFAULTS, [] { shape_menu(CMD_SHAPE_DEFAULTS); }},
        {CMD_GROUP, [] { shape_menu(CMD_GROUP); }},
        {CMD_UNGROUP, [] { shape_menu(CMD_UNGROUP); }},
        {CMD_SAME_SIZE, [] { shape_menu(CMD_SAME_SIZE); }},
        {CMD_SAME_HEIGHT, [] { shape_menu(CMD_SAME_HEIGHT); }},
        {CMD_SAME_WIDTH, [] { shape_menu(CMD_SAME_WIDTH); }},
        {CMD_GRAVITY, [] { shape_menu(CMD_GRAVITY); }},
        {CMD_PLOT_POINTS, [] { shape_menu(CMD_PLOT_POINTS); }},
        {CMD_CLEAR_POINTS, [] { shape_menu(CMD_CLEAR_POINTS); }},
        {CMD_SHOW_POINTS, [] { shape_menu(CMD_SHOW_POINTS); }},
        {CMD_SHOW_XY, [] { shape_menu(CMD_SHOW_XY); }},
        {IDM_POP_SHAPE_PROPS, popup_shape_properties},
        {IDM_POP_POINT_PROPS, popup_point_properties},
    };
    cmd_register_all(commands);
    // Ctrl+click on a shape or a point.
    elements_set_props_dialog(3, shape_props_dialog);
    elements_set_props_dialog(4, point_props_dialog);
}

void shape_props_dialog(HWND, int a, int) {
    marked_shape_ = {static_cast<Key>(a)};
    view_repaint();
    shape_properties();
}

void point_props_dialog(HWND parent, int x, int y) { point_properties(parent, x, y); }

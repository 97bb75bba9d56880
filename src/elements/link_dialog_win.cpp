// Link Properties (every field of the marked link, one undoable "Change Link" step) and Link
// Defaults (the label and link options of the document).
#include <windows.h>

#include <cstdlib>
#include <string>

#include "base/dlg_win.h"
#include "base/error.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/trap_win.h"
#include "document/doc_util.h"
#include "document/globals.h"
#include "document/view.h"
#include "elements/elements_dlg_win.h"
#include "elements/link_dialog.h"
#include "elements/link_win.h"
#include "resources/dlgs_ids.h"

namespace {

struct LinkDlg {
    Link stored;
    LinkLook look;
    ListShow from_end, to_end, route, style, colour, pos, tail, head;
    int curve_sel = 0;
    bool changed = false;
};

LinkDlg* dlg_of(HWND win) { return reinterpret_cast<LinkDlg*>(GetWindowLongPtrA(win, DWLP_USER)); }
int combo_sel(HWND win, int id) { return static_cast<int>(SendDlgItemMessageA(win, id, CB_GETCURSEL, 0, 0)); }

void fill_combo(HWND win, int id, const std::vector<std::string>& items, int sel) {
    HWND c = GetDlgItem(win, id);
    SendMessageA(c, CB_RESETCONTENT, 0, 0);
    for (const auto& t : items) SendMessageA(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t.c_str()));
    SendMessageA(c, CB_SETCURSEL, sel, 0);
}
void fill_combo(HWND win, int id, const ListShow& s) { fill_combo(win, id, s.items, s.sel); }

// From and To: every object's line, sorted, each keeping its key.
void fill_objects(HWND win, int id, Key select) {
    HWND c = GetDlgItem(win, id);
    for (const Obj& o : view_doc().objs) {
        std::string line = util_obj_list_line(o);
        LRESULT at = SendMessageA(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        if (at < 0) continue;
        SendMessageA(c, CB_SETITEMDATA, static_cast<WPARAM>(at), o.key);
        if (o.key == select) SendMessageA(c, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    }
}

Key chosen_key(HWND win, int id, Key stored) {
    int sel = combo_sel(win, id);
    if (sel < 0) return stored;
    return static_cast<Key>(SendDlgItemMessageA(win, id, CB_GETITEMDATA, static_cast<WPARAM>(sel), 0));
}

int chosen_route(HWND win, const LinkDlg& d) {
    return link_list_chosen(LinkList::Route, d.route, combo_sel(win, IDC_LINK_ROUTE), d.look.route);
}

void refresh_curve(HWND win, const LinkDlg& d) {
    int route = chosen_route(win, d);
    int keep = combo_sel(win, IDC_LINK_CURVE);
    auto items = link_curve_items(route);
    fill_combo(win, IDC_LINK_CURVE, items, keep < 0 ? d.curve_sel : std::min(keep, static_cast<int>(items.size()) - 1));
    const auto* r = link_route_by_code(route);
    dlg_enable(win, IDC_LINK_CURVE, r && r->curve_state == 13);
}

// The chosen radio of a group of n from `first`; -1 when none is checked.
int radio(HWND win, int first, int n) {
    for (int k = 0; k < n; ++k)
        if (IsDlgButtonChecked(win, first + k) == BST_CHECKED) return k;
    return -1;
}

void check_radio(HWND win, int first, int n, int value) {
    for (int k = 0; k < n; ++k) CheckDlgButton(win, first + k, k == value ? BST_CHECKED : BST_UNCHECKED);
}

void init(HWND win, LinkDlg& d) {
    SetWindowLongPtrA(win, DWLP_USER, reinterpret_cast<LONG_PTR>(&d));
    dlg_fixed_font(win, IDC_LINK_FROM);
    dlg_fixed_font(win, IDC_LINK_TO);
    dlg_on_create(win, IDD_LINK, 0);
    fill_objects(win, IDC_LINK_FROM, d.stored.from);
    fill_objects(win, IDC_LINK_TO, d.stored.to);
    fill_combo(win, IDC_LINK_FROM_END, d.from_end);
    fill_combo(win, IDC_LINK_TO_END, d.to_end);
    fill_combo(win, IDC_LINK_ROUTE, d.route);
    fill_combo(win, IDC_LINK_STYLE, d.style);
    fill_combo(win, IDC_LINK_COLOUR, d.colour);
    fill_combo(win, IDC_LINK_POS, d.pos);
    fill_combo(win, IDC_LINK_TAIL_KIND, d.tail);
    fill_combo(win, IDC_LINK_HEAD_KIND, d.head);
    fill_combo(win, IDC_LINK_LABEL, link_relation_words(), -1);
    SetDlgItemTextA(win, IDC_LINK_LABEL, d.stored.label.c_str());
    refresh_curve(win, d);
    CheckDlgButton(win, IDC_LINK_TILT, d.look.tilt ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(win, IDC_LINK_MULTILINE, d.look.multiline ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(win, IDC_LINK_NOSEQ, d.look.no_sequence ? BST_CHECKED : BST_UNCHECKED);
    check_radio(win, IDC_LINK_TAIL0, 3, d.look.tail_count);
    check_radio(win, IDC_LINK_HEAD0, 3, d.look.head_count);
    check_radio(win, IDC_LINK_SRC0, 2, d.look.colour_source);
    check_radio(win, IDC_LINK_THIN, 2, d.look.thick ? 1 : 0);
}

bool link_exists(Key from, Key to) { return view_link_get(from, to).has_value(); }

bool apply(HWND win) {
    LinkDlg& d = *dlg_of(win);
    const Key from = chosen_key(win, IDC_LINK_FROM, d.stored.from), to = chosen_key(win, IDC_LINK_TO, d.stored.to);
    switch (link_ends_check(d.stored.from, d.stored.to, from, to, link_exists(from, to))) {
    case LinkEnds::SameObject: msg_note("From and To must be two different objects"); return false;
    case LinkEnds::Exists:
        msg_note("A link from " + view_obj_id(from).value_or("") + " to " + view_obj_id(to).value_or("") +
                 " already exists");
        return false;
    case LinkEnds::Ok: break;
    }
    auto old = view_link_get(d.stored.from, d.stored.to);
    if (!old) return true;  // gone meanwhile
    LinkLook k = link_unpack(*old);
    k.from_end = link_list_chosen(LinkList::EndPos, d.from_end, combo_sel(win, IDC_LINK_FROM_END), k.from_end);
    k.to_end = link_list_chosen(LinkList::EndPos, d.to_end, combo_sel(win, IDC_LINK_TO_END), k.to_end);
    const int old_route = k.route;
    k.route = chosen_route(win, d);
    k.style = link_list_chosen(LinkList::Style, d.style, combo_sel(win, IDC_LINK_STYLE), k.style);
    k.colour = link_list_chosen(LinkList::Colour, d.colour, combo_sel(win, IDC_LINK_COLOUR), k.colour);
    k.label_pos = link_list_chosen(LinkList::LabelPos, d.pos, combo_sel(win, IDC_LINK_POS), k.label_pos);
    k.tail_kind = link_list_chosen(LinkList::Arrow, d.tail, combo_sel(win, IDC_LINK_TAIL_KIND), k.tail_kind);
    k.head_kind = link_list_chosen(LinkList::Arrow, d.head, combo_sel(win, IDC_LINK_HEAD_KIND), k.head_kind);
    int curve = combo_sel(win, IDC_LINK_CURVE);
    // An option beyond the route's list stays while neither the route nor the option changed.
    if (curve >= 0 && !(k.route == old_route && curve == d.curve_sel)) k.curve_option = curve;
    k.tilt = IsDlgButtonChecked(win, IDC_LINK_TILT) == BST_CHECKED;
    k.multiline = IsDlgButtonChecked(win, IDC_LINK_MULTILINE) == BST_CHECKED;
    k.no_sequence = IsDlgButtonChecked(win, IDC_LINK_NOSEQ) == BST_CHECKED;
    if (int r = radio(win, IDC_LINK_TAIL0, 3); r >= 0) k.tail_count = r;
    if (int r = radio(win, IDC_LINK_HEAD0, 3); r >= 0) k.head_count = r;
    if (int r = radio(win, IDC_LINK_SRC0, 2); r >= 0) k.colour_source = r;
    if (int r = radio(win, IDC_LINK_THIN, 2); r >= 0) k.thick = r == 1;

    Link l = *old;
    l.from = from;
    l.to = to;
    l.label = dlg_get_text(win, IDC_LINK_LABEL);
    link_pack(l, k);
    {
        UndoStep step;
        view_link_put(d.stored.from, d.stored.to, l);
        step.commit("Change Link");
    }
    marked_link_ = {{from, to}};
    if (IsDlgButtonChecked(win, IDC_LINK_DEFAULT) == BST_CHECKED) {
        LinkDefaults def;
        def.label = l.label;
        def.tilt = k.tilt;
        def.multiline = k.multiline;
        def.colour_source = k.colour_source;
        def.label_pos = k.label_pos;
        def.route = k.route;
        if (const auto* s = link_style_by_code(k.style)) def.style_pos = s->pos;
        def.tail_kind = k.tail_kind;
        def.head_kind = k.head_kind;
        def.tail_count = k.tail_count;
        def.head_count = k.head_count;
        def.curve_option = k.curve_option;
        def.from_end = k.from_end;
        def.to_end = k.to_end;
        def.no_sequence = k.no_sequence;
        link_defaults_set(def);
        if (elements_dlg_hooks_.toolbox_press) {
            elements_dlg_hooks_.toolbox_press(5, k.route);
            elements_dlg_hooks_.toolbox_press(6, k.thick ? 1 : 0);
        }
        view_param_set(362, k.thick ? 1 : 0);
    }
    d.changed = true;
    return true;
}

// ---- Owner-drawn lists.

void draw_route(HDC dc, int route, int top) {
    const int l = 5, r = 25, t = top + 2, b = top + 12, m = (t + b) / 2, c = (l + r) / 2;
    auto line = [&](std::initializer_list<POINT> pts) { Polyline(dc, pts.begin(), static_cast<int>(pts.size())); };
    switch (route) {
    case kRouteDouble: line({{l, m - 1}, {r, m - 1}}); line({{l, m + 2}, {r, m + 2}}); break;
    case kRouteVH: line({{l, t}, {l, b}, {r, b}}); break;
    case kRouteHV: line({{l, b}, {r, b}, {r, t}}); break;
    case kRouteVHV: line({{l, t}, {l, m}, {r, m}, {r, b}}); break;
    case kRouteHVH: line({{l, b}, {c, b}, {c, t}, {r, t}}); break;
    // Half ellipses that stay inside the item: the upper half for Curve 1 and Arc, the lower for Curve 2.
    case kRouteCurve1: Arc(dc, l, t, r, 2 * b - t, r, b, l, b); break;
    case kRouteCurve2: Arc(dc, l, 2 * t - b, r, b, l, t, r, t); break;
    case kRouteArc: Arc(dc, l, m, r, 2 * b - m, r, b, l, b); break;
    case kRouteTapered: {
        POINT p[] = {{l, m - 3}, {r, m}, {l, m + 3}};
        Polygon(dc, p, 3);
        break;
    }
    case kRouteSlopeHorz: line({{l, t}, {c, b}, {r, b}}); break;
    case kRouteHorzSlope: line({{l, b}, {c, b}, {r, t}}); break;
    default: line({{l, m}, {r, m}}); break;
    }
}

void draw_arrow(HDC dc, int kind, int top, COLORREF ink) {
    const int m = top + 7;
    POINT shaft[] = {{10, m}, {40, m}};
    Polyline(dc, shaft, 2);
    HBRUSH solid = CreateSolidBrush(ink);
    HGDIOBJ ob = SelectObject(dc, kind == kArrowSolidTriangle || kind == kArrowSolidDiamond ? solid : GetStockObject(WHITE_BRUSH));
    switch (kind) {
    case kArrowOpen: {
        POINT a[] = {{30, m - 4}, {40, m}, {30, m + 4}};
        Polyline(dc, a, 3);
        break;
    }
    case kArrowCross: {
        POINT a[] = {{34, m - 4}, {34, m + 5}};
        Polyline(dc, a, 2);
        break;
    }
    case kArrowSolidTriangle: case kArrowTriangle: {
        POINT a[] = {{30, m - 4}, {40, m}, {30, m + 4}};
        Polygon(dc, a, 3);
        break;
    }
    case kArrowSolidDiamond: case kArrowDiamond: {
        POINT a[] = {{20, m}, {30, m - 4}, {40, m}, {30, m + 4}};
        Polygon(dc, a, 4);
        break;
    }
    default: break;
    }
    SelectObject(dc, ob);
    DeleteObject(solid);
}

void draw_item(const DRAWITEMSTRUCT& di) {
    if (di.itemID == static_cast<UINT>(-1)) return;
    char text[64] = {};
    SendMessageA(di.hwndItem, CB_GETLBTEXT, di.itemID, reinterpret_cast<LPARAM>(text));
    const bool sel = di.itemState & ODS_SELECTED;
    RECT r = di.rcItem;
    FillRect(di.hDC, &r, GetSysColorBrush(sel ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const COLORREF ink = GetSysColor(sel ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
    SetTextColor(di.hDC, ink);
    SetBkMode(di.hDC, TRANSPARENT);
    const int n = static_cast<int>(di.itemID);
    if (di.CtlID == IDC_LINK_COLOUR && n < 32) {
        InflateRect(&r, -2, -2);
        dlg_fill_rect(n, di.hwndItem, di.hDC, r);
        return;
    }
    HPEN pen = CreatePen(PS_SOLID, 1, ink);
    HGDIOBJ op = SelectObject(di.hDC, pen);
    SetViewportOrgEx(di.hDC, r.left, 0, nullptr);
    const auto* route = di.CtlID == IDC_LINK_ROUTE ? link_route_by_pos(n) : nullptr;
    const bool arrow = (di.CtlID == IDC_LINK_TAIL_KIND || di.CtlID == IDC_LINK_HEAD_KIND) && n < kArrowKindCount;
    if (route) {
        draw_route(di.hDC, route->code, r.top);
        TextOutA(di.hDC, 30, r.top + 1, route->name, static_cast<int>(strlen(route->name)));
    } else if (arrow) {
        draw_arrow(di.hDC, n, r.top, ink);
    } else {
        // A value the list has no entry for: its number.
        TextOutA(di.hDC, 4, r.top + 1, text, static_cast<int>(strlen(text)));
    }
    SetViewportOrgEx(di.hDC, 0, 0, nullptr);
    SelectObject(di.hDC, op);
    DeleteObject(pen);
}

INT_PTR CALLBACK dlg_link_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: init(win, *reinterpret_cast<LinkDlg*>(lp)); return TRUE;
    case WM_MEASUREITEM: {
        auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        mi->itemWidth = 100;
        mi->itemHeight = 15;
        return TRUE;
    }
    case WM_DRAWITEM: draw_item(*reinterpret_cast<DRAWITEMSTRUCT*>(lp)); return TRUE;
    case WM_COMMAND: {
        LinkDlg* d = dlg_of(win);
        if (!d) return FALSE;
        if (LOWORD(wp) == IDC_LINK_ROUTE && HIWORD(wp) == CBN_SELCHANGE) refresh_curve(win, *d);
        return dlg_ok_cancel(win, wp, apply) ? TRUE : FALSE;
    }
    case WM_DESTROY: dlg_on_destroy(win, IDD_LINK, 0); return FALSE;
    }
    return FALSE;
}

// ---- Link Defaults.

INT_PTR CALLBACK dlg_link_defaults_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        dlg_on_create(win, IDD_LINK_DEFAULTS, 0);
        CheckDlgButton(win, IDC_LDEF_OPAQUE, view_param_get(73) ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(win, IDC_LDEF_TILT, view_param_get(74) == 0 ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(win, IDC_LDEF_LENGTH, view_param_get(215) ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(win, IDC_LDEF_LABEL, tip_prefs_get().d ? BST_CHECKED : BST_UNCHECKED);
        return TRUE;
    case WM_COMMAND:
        return dlg_ok_cancel(win, wp, [](HWND w) {
            const int tilt = dlg_is_checked(w, IDC_LDEF_TILT);
            UndoStep step;
            view_param_set(73, dlg_is_checked(w, IDC_LDEF_OPAQUE));
            view_param_set(74, 1 - tilt);
            view_param_set(215, dlg_is_checked(w, IDC_LDEF_LENGTH));
            step.commit("Change Para");
            TipPrefs p = tip_prefs_get();
            p.d = dlg_is_checked(w, IDC_LDEF_LABEL);
            tip_prefs_set(p);
            if (elements_dlg_hooks_.tbar_refresh) elements_dlg_hooks_.tbar_refresh();
            view_repaint();
            return true;
        }) ? TRUE : FALSE;
    case WM_DESTROY: dlg_on_destroy(win, IDD_LINK_DEFAULTS, 0); return FALSE;
    }
    return FALSE;
}

}  // namespace

bool link_properties(HWND parent) {
    if (marked_link_.empty()) return false;
    const MarkedLink m = marked_link_.front();
    view_unmark_all();
    marked_link_ = {m};
    auto l = view_link_get(m.from, m.to);
    if (!l) return false;
    if (l->route() == kRouteTemporary) {
        msg_error("Cannot change Temporary Link");
        view_unmark_all();
        return false;
    }
    LinkDlg d;
    d.stored = *l;
    d.look = link_unpack(*l);
    d.from_end = link_list_show(LinkList::EndPos, d.look.from_end);
    d.to_end = link_list_show(LinkList::EndPos, d.look.to_end);
    d.route = link_list_show(LinkList::Route, d.look.route);
    d.style = link_list_show(LinkList::Style, d.look.style);
    d.colour = link_list_show(LinkList::Colour, d.look.colour);
    d.pos = link_list_show(LinkList::LabelPos, d.look.label_pos);
    d.tail = link_list_show(LinkList::Arrow, d.look.tail_kind);
    d.head = link_list_show(LinkList::Arrow, d.look.head_kind);
    d.curve_sel = link_curve_sel(d.look.route, d.look.curve_option);
    view_repaint();
    DialogBoxParamA(app_inst_ ? app_inst_ : GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_LINK), parent, trap_dlg<dlg_link_eh>,
                    reinterpret_cast<LPARAM>(&d));
    view_unmark_all();
    view_repaint();
    return d.changed;
}

void link_defaults_dialog(HWND parent) {
    DialogBoxParamA(app_inst_ ? app_inst_ : GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_LINK_DEFAULTS), parent,
                    trap_dlg<dlg_link_defaults_eh>, 0);
}

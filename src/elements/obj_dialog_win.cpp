// Object Properties: every field of one object in one modal dialog, stored as one undoable
// "Change Object" step.
#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/palette.h"
#include "base/trap_win.h"
#include "document/globals.h"
#include "document/view.h"
#include "document/view_io.h"
#include "elements/action_args.h"
#include "elements/elements_dlg_win.h"
#include "elements/font_win.h"
#include "elements/icon.h"
#include "elements/obj.h"
#include "elements/obj_dialog.h"
#include "elements/obj_win.h"
#include "resources/dlgs_ids.h"

namespace {

struct ObjDlg {
    Key key = 0;
    Obj stored;
    ListShow action, level, size, shape, cluster, colour;
    HFONT id_font = nullptr;
    bool changed = false;
};

void fill_combo(HWND win, int id, const ListShow& s) {
    HWND c = GetDlgItem(win, id);
    SendMessageA(c, CB_RESETCONTENT, 0, 0);
    for (const auto& t : s.items) SendMessageA(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t.c_str()));
    SendMessageA(c, CB_SETCURSEL, s.sel, 0);
}

int combo_sel(HWND win, int id) { return static_cast<int>(SendDlgItemMessageA(win, id, CB_GETCURSEL, 0, 0)); }

ObjDlg* dlg_of(HWND win) { return reinterpret_cast<ObjDlg*>(GetWindowLongPtrA(win, DWLP_USER)); }

int chosen(HWND win, int id, ObjList list, const ListShow& s, int stored) {
    return obj_list_chosen(list, s, combo_sel(win, id), stored);
}

int chosen_action(HWND win, const ObjDlg& d) { return chosen(win, IDC_OBJ_ACTION, ObjList::Action, d.action, d.stored.action); }

// The shape as chosen; "Icon..." is the current icon, or the object's own icon when the browser
// left none current.
int chosen_shape(HWND win, const ObjDlg& d) {
    int s = chosen(win, IDC_OBJ_SHAPE, ObjList::Shape, d.shape, d.stored.shape);
    if (s != kShapeIconRow) return s;
    int icon = icon_current_get().value_or(0);
    if (icon > 0) return icon;
    return d.stored.shape > kLastShapeCode ? d.stored.shape : kInitialIcon;
}

void set_id_font(HWND win, ObjDlg& d) {
    HFONT f = font_create(IsDlgButtonChecked(win, IDC_OBJ_ALT_FONT) == BST_CHECKED ? kFontObjectAlt : kFontObject, 1);
    SendDlgItemMessageA(win, IDC_OBJ_ID, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
    if (d.id_font) DeleteObject(d.id_font);
    d.id_font = f;
}

void refresh_buttons(HWND win, const ObjDlg& d) {
    dlg_enable(win, IDC_OBJ_ACTION_BROWSE, action_prime_file_get(chosen_action(win, d)).has_value());
    int s = chosen(win, IDC_OBJ_SHAPE, ObjList::Shape, d.shape, d.stored.shape);
    dlg_enable(win, IDC_OBJ_SHAPE_BROWSE, s == kShapePictureFile);
}

std::string filter_text(const PrimeFile& f) {
    std::string s;
    for (const auto& [name, mask] : f.filters) s += name + '\0' + mask + '\0';
    return s + '\0';
}

bool open_file(HWND owner, const std::string& filter, const std::string& dir, const char* title, std::string* out) {
    char file[MAX_PATH] = {};
    OPENFILENAMEA of{};
    of.lStructSize = sizeof of;
    of.hwndOwner = owner;
    of.lpstrFilter = filter.c_str();
    of.lpstrFile = file;
    of.nMaxFile = MAX_PATH;
    of.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
    of.lpstrTitle = title;
    of.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameA(&of)) return false;
    *out = file;
    return true;
}

void browse_action(HWND win, const ObjDlg& d) {
    auto files = action_prime_file_get(chosen_action(win, d));
    if (!files) return;
    std::string name;
    if (!open_file(win, filter_text(*files), file_dir_of(dlg_get_text(win, IDC_OBJ_ACTION_EXT)), "Select File", &name)) return;
    SetDlgItemTextA(win, IDC_OBJ_ACTION_EXT, file_lower(name).c_str());
}

void browse_picture(HWND win) {
    std::string name;
    static const char kPictures[] = "Pictures\0*.bmp;*.emf;*.wmf;*.ico\0All Files(*.*)\0*.*\0";
    bool ok = elements_dlg_hooks_.picture_browse
                  ? elements_dlg_hooks_.picture_browse(win, "", "", &name)
                  : open_file(win, std::string(kPictures, sizeof kPictures), file_dir_of(""), "Select Picture", &name);
    if (ok) SetDlgItemTextA(win, IDC_OBJ_SHAPE_EXT, name.c_str());
}

void init(HWND win, ObjDlg& d) {
    SetWindowLongPtrA(win, DWLP_USER, reinterpret_cast<LONG_PTR>(&d));
    const Obj& o = d.stored;
    char title[64];
    std::snprintf(title, sizeof title, "Object Properties [#%u]", static_cast<unsigned>(d.key));
    SetWindowTextA(win, title);
    SetDlgItemTextA(win, IDC_OBJ_ID, o.id.c_str());
    fill_combo(win, IDC_OBJ_ACTION, d.action);
    SetDlgItemTextA(win, IDC_OBJ_ACTION_EXT, obj_action_needs_ext(o.action) ? o.ext.c_str() : "");
    fill_combo(win, IDC_OBJ_LEVEL, d.level);
    fill_combo(win, IDC_OBJ_SIZE, d.size);
    fill_combo(win, IDC_OBJ_SHAPE, d.shape);
    SetDlgItemTextA(win, IDC_OBJ_SHAPE_EXT, view_obj_bin(d.key, 2).name.c_str());
    fill_combo(win, IDC_OBJ_CLUSTER, d.cluster);
    SetDlgItemInt(win, IDC_OBJ_X, static_cast<UINT>(o.x), TRUE);
    SetDlgItemInt(win, IDC_OBJ_Y, static_cast<UINT>(o.y), TRUE);
    fill_combo(win, IDC_OBJ_COLOUR, d.colour);
    for (const FlagRow& r : obj_flag_boxes_)
        CheckDlgButton(win, r.checkbox, obj_flag_checked(static_cast<uint32_t>(o.flags), r) ? BST_CHECKED : BST_UNCHECKED);
    set_id_font(win, d);
    dlg_on_create(win, IDD_OBJECT, 0);
    refresh_buttons(win, d);
}

void layout(HWND win) {
    dlg_align_right(win, IDC_OBJ_ACTION_BROWSE, 20);
    dlg_align_right(win, IDC_OBJ_SHAPE_BROWSE, 20);
    dlg_stretch_control(win, IDC_OBJ_ACTION_EXT, 95, 0);
    dlg_stretch_control(win, IDC_OBJ_SHAPE_EXT, 95, 0);
    dlg_stretch_control(win, IDC_OBJ_ID, 20, 0);
    InvalidateRect(win, nullptr, TRUE);
}

// Writes the hypertext into file `name` (appending to what is there); false with the reason shown.
bool move_text_to_file(const std::string& name, const std::string& text, bool append) {
    auto path = file_resolve(name);
    if (!path) return false;
    std::string content;
    if (append && !view_read_whole(*path, content)) {
        dlg_error_msg("Loading %s", *path);
        return false;
    }
    std::string err;
    if (!view_write_replace(*path, content + text, &err)) {
        dlg_error_msg("Saving %s", *path + (err.empty() ? "" : ": " + err));
        return false;
    }
    return true;
}

// OK: checks first, then the whole change as one step. False keeps the dialog open.
bool apply(HWND win) {
    ObjDlg& d = *dlg_of(win);
    // The range every move keeps, so that nothing placed here wraps when moved.
    auto coord = [](std::optional<int32_t> v) { return v && *v >= -kCoordMax ? v : std::nullopt; };
    auto x = coord(obj_parse_whole(dlg_get_text(win, IDC_OBJ_X))), y = coord(obj_parse_whole(dlg_get_text(win, IDC_OBJ_Y)));
    if (!x || !y) {
        msg_error("X and Y must be whole numbers from " + std::to_string(-kCoordMax) + " to " + std::to_string(kCoordMax));
        SetFocus(GetDlgItem(win, x ? IDC_OBJ_Y : IDC_OBJ_X));
        return false;
    }
    const Obj* now = view_doc().obj(d.key);
    if (!now) return true;  // gone meanwhile: nothing to store
    const Obj old = *now;
    const int shape = chosen_shape(win, d);
    const int action = chosen_action(win, d);
    const int size = chosen(win, IDC_OBJ_SIZE, ObjList::Size, d.size, old.size);
    const int level = chosen(win, IDC_OBJ_LEVEL, ObjList::Level, d.level, old.level);
    const int colour = chosen(win, IDC_OBJ_COLOUR, ObjList::Colour, d.colour, old.colour);
    const int cluster = chosen(win, IDC_OBJ_CLUSTER, ObjList::Cluster, d.cluster, view_obj_cluster(d.key));
    const std::string id = dlg_get_text(win, IDC_OBJ_ID);
    const std::string ext1 = dlg_get_text(win, IDC_OBJ_ACTION_EXT);
    const std::string shape_ext = dlg_get_text(win, IDC_OBJ_SHAPE_EXT);

    if (shape == kShapePicture && old.shape != kShapePicture) {
        msg_error("Cannot change shape to embedded Picture");
        return false;
    }
    if (obj_action_needs_ext(action) && ext1.empty()) {
        msg_error("Action Extension cannot be empty");
        SetFocus(GetDlgItem(win, IDC_OBJ_ACTION_EXT));
        return false;
    }
    if (shape == kShapePictureFile && shape_ext.empty()) {
        msg_error("Shape Extension cannot be empty");
        SetFocus(GetDlgItem(win, IDC_OBJ_SHAPE_EXT));
        return false;
    }
    obj_id_dup_warn(id, old.id);

    uint32_t flags = static_cast<uint32_t>(old.flags);
    for (const FlagRow& r : obj_flag_boxes_) flags = obj_flag_with(flags, r, IsDlgButtonChecked(win, r.checkbox) == BST_CHECKED);

    std::string ext = old.ext;
    auto path = ext1.empty() ? std::nullopt : file_resolve(ext1);
    switch (obj_ext_rule(old.action, old.ext, action, ext1, path && file_exists(*path))) {
    case ExtRule::EmptyName: msg_note("Extension cannot be empty"); return false;
    case ExtRule::WriteFile:
    case ExtRule::AppendFile:
        if (!move_text_to_file(ext1, old.ext, path && file_exists(*path))) return false;
        ext = ext1;
        break;
    case ExtRule::ToRtf: ext = obj_text_to_rtf(old.ext); break;
    case ExtRule::FromRtf: ext = view_obj_richtext(d.key).value_or(obj_rtf_plain(old.ext)); break;
    case ExtRule::KeepOld: break;
    case ExtRule::StoreNew: ext = ext1; break;
    case ExtRule::Ask:
        if (msg_ask_yes_no_cancel(obj_contents_changed_text(old.ext), "Contents Changed") != 1) return false;
        ext = ext1;
        break;
    }

    Obj o = old;
    o.id = id;
    o.level = level;
    o.x = *x;
    o.y = *y;
    o.colour = colour;
    o.action = action;
    o.shape = shape;
    o.size = size;
    o.flags = static_cast<int32_t>(flags);
    o.ext = ext;
    {
        UndoStep step;
        view_obj_set_cluster(d.key, cluster);
        view_obj_put(o);
        view_obj_set_bin(d.key, shape, shape_ext);
        // Laying the cluster out again belongs to the same step; so do the values and the chart
        // that Auto mode works out for the changed object, which Undo takes back with it.
        view_send_user(32, d.key);
        view_auto_recompute();
        step.commit("Change Object");
    }
    if (IsDlgButtonChecked(win, IDC_OBJ_DEFAULT) == BST_CHECKED) {
        obj_defaults_set(o.id, o.action, o.size, flags & 0xFFFF);
        if (elements_dlg_hooks_.toolbox_press) elements_dlg_hooks_.toolbox_press(4, shape);
    }
    d.changed = true;
    return true;
}

void draw_colour_item(const DRAWITEMSTRUCT& di) {
    if (di.itemID == static_cast<UINT>(-1)) return;
    char text[32] = {};
    SendMessageA(di.hwndItem, CB_GETLBTEXT, di.itemID, reinterpret_cast<LPARAM>(text));
    RECT r = di.rcItem;
    FillRect(di.hDC, &r, GetSysColorBrush((di.itemState & ODS_SELECTED) ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    InflateRect(&r, -2, -2);
    int index = std::atoi(text);
    if (index >= 0 && index < 32 && di.itemID < 32) {
        dlg_fill_rect(index, di.hwndItem, di.hDC, r);
    } else {
        // A colour the palette does not have: its number.
        SetBkMode(di.hDC, TRANSPARENT);
        DrawTextA(di.hDC, text, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    }
}

INT_PTR CALLBACK dlg_object_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: init(win, *reinterpret_cast<ObjDlg*>(lp)); return TRUE;
    case WM_MEASUREITEM: {
        auto* mi = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
        if (mi->CtlID == IDC_OBJ_COLOUR) mi->itemHeight = 14;
        return TRUE;
    }
    case WM_DRAWITEM:
        if (wp == IDC_OBJ_COLOUR) draw_colour_item(*reinterpret_cast<DRAWITEMSTRUCT*>(lp));
        return TRUE;
    case WM_SIZE: layout(win); return TRUE;
    case WM_COMMAND: {
        ObjDlg* d = dlg_of(win);
        if (!d) return FALSE;
        int id = LOWORD(wp), code = HIWORD(wp);
        if (id == IDC_OBJ_ACTION && code == CBN_SELCHANGE) {
            refresh_buttons(win, *d);
        } else if (id == IDC_OBJ_SHAPE && code == CBN_SELCHANGE) {
            refresh_buttons(win, *d);
            auto s = obj_list_value(ObjList::Shape, combo_sel(win, IDC_OBJ_SHAPE));
            if (s == kShapeIconRow) icon_browse(win);
            else if (s == kShapePictureFile) browse_picture(win);
        } else if (id == IDC_OBJ_ACTION_BROWSE) {
            browse_action(win, *d);
        } else if (id == IDC_OBJ_SHAPE_BROWSE) {
            browse_picture(win);
        } else if (id == IDC_OBJ_ALT_FONT && code == BN_CLICKED) {
            set_id_font(win, *d);
        }
        return dlg_ok_cancel(win, wp, apply) ? TRUE : FALSE;
    }
    case WM_DESTROY:
        dlg_on_destroy(win, IDD_OBJECT, 0);
        if (ObjDlg* d = dlg_of(win); d && d->id_font) {
            DeleteObject(d->id_font);
            d->id_font = nullptr;
        }
        return FALSE;
    }
    return FALSE;
}

}  // namespace

bool obj_properties(HWND parent) {
    if (marked_obj_.empty()) return false;
    ObjDlg d;
    d.key = marked_obj_.front();
    auto o = view_doc().obj(d.key);
    if (!o) return false;
    d.stored = *o;
    d.action = obj_list_show(ObjList::Action, o->action);
    d.level = obj_list_show(ObjList::Level, o->level);
    d.size = obj_list_show(ObjList::Size, o->size);
    d.shape = obj_list_show(ObjList::Shape, o->shape);
    d.cluster = obj_list_show(ObjList::Cluster, view_obj_cluster(d.key));
    d.colour = obj_list_show(ObjList::Colour, o->colour);
    if (o->shape > kLastShapeCode) icon_current_set(o->shape);
    DialogBoxParamA(app_inst_ ? app_inst_ : GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_OBJECT), parent,
                    trap_dlg<dlg_object_eh>, reinterpret_cast<LPARAM>(&d));
    view_unmark_all();
    view_repaint();
    return d.changed;
}

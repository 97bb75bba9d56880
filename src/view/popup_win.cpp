// The diagram's right-click pop-up menus: each command takes the item the menu was opened on
// (popup_menu_inst_), makes it the selection and runs the diagram's own operation or the main
// command that does the same.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "bars/sbar.h"
#include "base/commands_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/palette.h"
#include "base/shell_hooks_win.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"
#include "elements/obj.h"
#include "resources/ids.h"
#include "view/slideshow_win.h"
#include "view/view_cmd.h"
#include "view/view_win.h"

namespace {

std::optional<PopupSource> take() {
    auto src = popup_menu_inst_;
    popup_menu_inst_.reset();
    return src;
}

Key key_of(int32_t v) { return static_cast<Key>(v); }

std::optional<Obj> take_object() {
    auto src = take();
    if (!src) return std::nullopt;
    auto o = view_obj_get(key_of(src->a));
    if (!o) return std::nullopt;
    view_unmark_all();
    obj_mark_one(o->key);
    return o;
}

std::optional<Shape> take_shape() {
    auto src = take();
    if (!src) return std::nullopt;
    auto s = view_shape_get(key_of(src->a));
    if (!s) return std::nullopt;
    view_unmark_all();
    marked_shape_ = {s->key};
    return s;
}

std::optional<MarkedLink> take_link() {
    auto src = take();
    if (!src) return std::nullopt;
    MarkedLink l{key_of(src->a), key_of(src->b)};
    if (!view_link_get(l.from, l.to)) return std::nullopt;
    view_unmark_all();
    marked_link_ = {l};
    return l;
}

int colour_now() { return tbar_current_color().index; }

void recolour_marked() {
    view_recolour(colour_now());
    view_invalidate();
}

// ---- Object.

void obj_rename() {
    if (auto o = take_object()) view_open_textbox(1, o->key, 0, false);
}
void obj_recolour() {
    if (take_object()) recolour_marked();
}
void obj_centralize() {
    if (auto o = take_object()) view_scroll_to(o->x, o->y, o->level);
}
// The object's own text window, beside those already open.
void obj_subwindow() {
    if (auto o = take_object()) {
        if (shell_hooks_.tw_open) shell_hooks_.tw_open(o->key, "", 1);
    }
}
void obj_cut() { if (take_object()) task_menu_cmd(CMD_CUT); }
void obj_copy() { if (take_object()) task_menu_cmd(CMD_COPY); }
void obj_delete() { if (take_object()) task_menu_cmd(CMD_DELETE); }

void obj_level(int delta) {
    auto o = take_object();
    if (!o) return;
    const int level = std::clamp(o->level + delta, kLowestLevel, kHighestLevel);
    if (level == o->level) {
        MessageBeep(MB_OK);
        return;
    }
    UndoStep step;
    o->level = level;
    view_obj_put(*o);
    step.commit("Lev Down/Up");
    view_unmark_all();
    view_invalidate();
}
void obj_down() { obj_level(1); }
void obj_up() { obj_level(-1); }

void front_back(bool front, int kind) {
    view_front_back(front, kind);
    view_invalidate();
}
void obj_front() { if (take_object()) front_back(true, 1); }
void obj_behind() { if (take_object()) front_back(false, 1); }

// ---- Shape.

void shape_recolour() { if (take_shape()) recolour_marked(); }
void shape_centralize() {
    if (auto s = take_shape()) view_scroll_to((s->left + s->right) / 2, (s->top + s->bottom) / 2, s->level);
}
void shape_cut() { if (take_shape()) task_menu_cmd(CMD_CUT); }
void shape_copy() { if (take_shape()) task_menu_cmd(CMD_COPY); }
void shape_delete() { if (take_shape()) task_menu_cmd(CMD_DELETE); }
void shape_front() { if (take_shape()) front_back(true, 3); }
void shape_behind() { if (take_shape()) front_back(false, 3); }

// ---- Link.

void link_change_label() {
    if (auto l = take_link()) view_open_textbox(2, l->from, l->to, false);
}
void link_recolour() { if (take_link()) recolour_marked(); }

bool clipboard_put_text(const std::string& text) {
    if (!OpenClipboard(main_inst_)) return false;
    EmptyClipboard();
    bool ok = false;
    if (HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        std::memcpy(GlobalLock(g), text.c_str(), text.size() + 1);
        GlobalUnlock(g);
        ok = SetClipboardData(CF_TEXT, g) != nullptr;
        if (!ok) GlobalFree(g);
    }
    CloseClipboard();
    return ok;
}

std::optional<std::string> clipboard_text() {
    if (!IsClipboardFormatAvailable(CF_TEXT) || !OpenClipboard(main_inst_)) return std::nullopt;
    std::optional<std::string> text;
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(GlobalLock(h))) {
            // The block may be larger than the text, and is not trusted to hold a terminator.
            text = std::string(p, strnlen(p, GlobalSize(h)));
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return text;
}

void link_copy_label() {
    if (auto l = take_link())
        if (auto link = view_link_get(l->from, l->to)) clipboard_put_text(link->label);
}

void link_paste_label() {
    auto l = take_link();
    if (!l) return;
    auto text = clipboard_text();
    if (!text) return;
    // A copied line usually brings its line break along.
    while (!text->empty() && (text->back() == '\n' || text->back() == '\r')) text->pop_back();
    auto link = view_link_get(l->from, l->to);
    UndoStep step;
    link->label = *text;
    view_link_put(l->from, l->to, *link);
    step.commit("Paste Label");
    view_invalidate();
}

void link_reverse() {
    auto l = take_link();
    if (!l) return;
    if (view_link_get(l->to, l->from)) {
        msg_note("A link in the other direction exists already");
        return;
    }
    auto link = view_link_get(l->from, l->to);
    view_invalidate();
    UndoStep step;
    std::swap(link->from, link->to);
    // The two ends' positions change places with the ends.
    const int32_t ends = link->end_positions;
    link->end_positions = (ends & ~0xFFFF) | ((ends & 0xFF) << 8) | ((ends >> 8) & 0xFF);
    view_link_put(l->from, l->to, *link);
    marked_link_ = {{l->to, l->from}};
    step.commit("Reverse Link");
    view_invalidate();
}

void link_follow() {
    auto l = take_link();
    if (!l) return;
    if (auto o = view_obj_get(l->to)) view_scroll_to(o->x, o->y, o->level);
}

void link_activate_label() {
    auto l = take_link();
    if (!l) return;
    auto link = view_link_get(l->from, l->to);
    if (auto o = view_obj_find_id(link->label)) view_obj_run_action(o->key);
}
void link_delete() { if (take_link()) task_menu_cmd(CMD_DELETE); }

// ---- Background: every command forgets the clicked place first.

void bg_recolour() {
    take();
    UndoStep step;
    view_param_set(1, colour_now());
    step.commit("Change Para");
    view_invalidate();
}
// Where the user right-clicked, as its help topic says.
void bg_paste() {
    take();
    view_paste_at(view_popup_point());
}
void bg_centre_origin() { take(); task_menu_cmd(CMD_CENTRALIZE); }
void bg_fit() { take(); task_menu_cmd(CMD_ZOOM_FIT); }
void bg_centre_cursor() {
    auto src = take();
    if (!src) return;
    view_scroll_to(src->a, src->b, sbar_view_state().level);
}
void bg_up() { take(); task_menu_cmd(CMD_LEVEL_UP); }
void bg_down() { take(); task_menu_cmd(CMD_LEVEL_DOWN); }
void bg_clear() { take(); task_menu_cmd(CMD_CLEAR_LEVEL); }

// ---- Point: A and B are its X and Y on the current level.

void point_change(bool recolour) {
    auto src = take();
    if (!src) return;
    const int level = sbar_view_state().level;
    UndoStep step;
    auto p = view_point_remove(level, src->a, src->b);
    if (!p) return;
    if (recolour) view_point_add(level, p->x, p->y, p->style, static_cast<int32_t>(tbar_current_color().colour));
    step.commit(recolour ? "Re-color" : "Delete");
    view_invalidate_rect(20, {p->x, p->y, p->x, p->y});
}
void point_recolour() { point_change(true); }
void point_delete() { point_change(false); }

// ---- Slideshow: the main command of the same name.

void show_up() { take(); task_menu_cmd(CMD_LEVEL_UP); }
void show_down() { take(); task_menu_cmd(CMD_LEVEL_DOWN); }
void show_exit() { take(); task_menu_cmd(CMD_CLOSE_WINDOWS); }
void show_next() { take(); task_menu_cmd(CMD_SLIDE_NEXT); }
void show_blank() {
    take();
    if (shell_hooks_.open_document) shell_hooks_.open_document(file_progdir_path("blank.vrn"));
}
void show_back() { take(); task_menu_cmd(CMD_BACK); }
void show_forward() { take(); task_menu_cmd(CMD_FORWARD); }

bool opened() { return popup_menu_inst_.has_value(); }
bool can(int id) { return menu_command_available(id); }
bool opened_paste() { return opened() && can(CMD_PASTE); }
bool opened_clear() { return opened() && can(CMD_CLEAR_LEVEL); }
bool opened_back() { return opened() && can(CMD_BACK); }
bool opened_forward() { return opened() && can(CMD_FORWARD); }

const Command kCommands[] = {
    {10773, obj_rename, opened},        {10774, obj_recolour, opened},   {10775, obj_centralize, opened},
    {10777, obj_cut, opened},           {10778, obj_copy, opened},       {10779, obj_delete, opened},
    {10776, obj_subwindow, opened},
    {10780, obj_down, opened},          {10781, obj_up, opened},         {10782, obj_front, opened},
    {10783, obj_behind, opened},
    {10786, shape_recolour, opened},    {10787, shape_centralize, opened}, {10788, shape_cut, opened},
    {10789, shape_copy, opened},        {10790, shape_delete, opened},   {10791, shape_front, opened},
    {10792, shape_behind, opened},
    {10795, link_change_label, opened}, {10798, link_recolour, opened},  {10802, link_delete, opened},
    {10796, link_copy_label, opened},   {10797, link_paste_label, opened}, {10799, link_reverse, opened},
    {10800, link_follow, opened},       {10801, link_activate_label, opened},
    {10805, bg_recolour, opened},       {10806, bg_paste, opened_paste}, {10807, bg_centre_origin, opened},
    {10808, bg_fit, opened},            {10809, bg_centre_cursor, opened}, {10810, bg_up, opened},
    {10811, bg_down, opened},           {10812, bg_clear, opened_clear},
    {10769, point_recolour, opened},    {10770, point_delete, opened},
    {10815, show_back, opened_back},    {10816, show_forward, opened_forward},
    {10818, show_up, opened},           {10819, show_down, opened},      {10820, show_exit, opened},
    {10814, show_next, opened},         {10817, show_blank, opened},
};

}  // namespace

void view_popup_register_commands() { cmd_register_all(kCommands); }

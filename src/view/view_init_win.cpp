// The view at start-up: its main-menu commands and the diagram window; and what follows the
// loading of a document.
#include "bars/bars_win.h"
#include "bars/sbar.h"
#include "bars/status.h"
#include "bars/tbar_win.h"
#include "base/commands_win.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/settings.h"
#include "base/shell_hooks_win.h"
#include "base/trap_win.h"
#include "base/util.h"
#include "base/util_win.h"
#include "document/clip.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"
#include "elements/font.h"
#include "elements/link.h"
#include "elements/obj.h"
#include "elements/obj_win.h"
#include "resources/ids.h"
#include "view/dialogs_hooks_win.h"
#include "view/slideshow_win.h"
#include "view/textbox_win.h"
#include "view/view_cmd.h"
#include "view/view_init_win.h"
#include "view/view_win.h"

namespace {

const char kViewClass[] = "vornview";

bool undo_enabled() { return view_can_undo(); }
bool redo_enabled() { return view_can_redo(); }

void after_history_step() {
    marked_obj_.clear();
    marked_link_.clear();
    marked_shape_.clear();
    view_invalidate();
}

// In Auto mode the computed values follow the document back and forth, so none drawn is stale.
// A chart belongs to the steps themselves: drawing it again would be a new step.
void recompute_after_history_step() {
    if (view_param_get(209) == 1) view_auto_recompute();
}

void run_undo() {
    if (!view_undo()) return;
    recompute_after_history_step();
    after_history_step();
}

void run_redo() {
    if (!view_redo()) return;
    recompute_after_history_step();
    after_history_step();
}

void run_connect() { view_connect_marked(); }

// Esc: the text box, the text windows, a drag and the marks all go.
void run_close_windows() {
    textbox_cancel();
    if (shell_hooks_.close_text_windows) shell_hooks_.close_text_windows();
    view_escape();
}

bool two_marked() { return marked_obj_.size() == 2; }

// Back after a jump into a sub-level or another document: the newest return point brings back
// its document, the level of the object that jumped and the scroll origin of that moment.
bool gosub_back() {
    auto g = view_gosub_pop();
    if (!g) return false;
    auto cur = file_current();
    if (!g->document.empty() && (!cur || util_lower(cur->full) != util_lower(g->document))) {
        if (!shell_hooks_.open_document || shell_hooks_.open_document(g->document) != 1) return true;
    }
    const Obj* o = view_doc().obj(g->object_key);
    view_unmark_all();
    sbar_set_origin(o ? o->level : sbar_view_state().level, g->scroll_x, g->scroll_y);
    if (shell_hooks_.set_title) shell_hooks_.set_title("");
    view_invalidate();
    return true;
}

const Command kCommands[] = {
    {CMD_UNDO, run_undo, undo_enabled},
    {CMD_REDO, run_redo, redo_enabled},
    {CMD_CONNECT, run_connect, two_marked},
    {CMD_CLOSE_WINDOWS, run_close_windows},
};

}  // namespace

void view_init() {
    cmd_register_all(kCommands);
    view_doc_register_commands();
    view_popup_register_commands();
    view_menu_register_commands();
    view_slideshow_register_commands();
    shell_hooks_.gosub_back = gosub_back;
    bars_view_hooks_.layout = view_layout;
    bars_view_hooks_.scroll_to = view_scroll_to;
    bars_view_hooks_.level_step = view_level_step;
    bars_view_hooks_.place_at_cursor = view_place_at_cursor;
    view_install_element_dialogs();
}

void view_after_load() {
    // The box edits an item of the document that was there before.
    textbox_close();
    // Pictures of the document left go with it; a reload reads the files as they are now.
    obj_picture_cache_clear();
    view_levels_shown_reset();
    font_init_defaults();
    Document& d = view_doc();
    const bool changed = d.changed;
    view_tools_apply(view_tools_of(d));
    // The link defaults are the program's; the document's own parts of them (style, counts)
    // and the pressed route button are applied again.
    link_defaults_set(link_defaults_get());
    tbar_user_cmd(11, 0);
    status_update(2, 0);
    menu_check(CMD_SHOW_XY, d.param(222) != 0 ? 1 : 0);
    // Taking the document's zoom, colour and tools is not an edit.
    d.changed = changed;
    view_invalidate();
}

HWND view_create_window(HWND main) {
    HINSTANCE inst = app_inst_ ? app_inst_ : GetModuleHandleA(nullptr);
    // New objects take the default action the user chose in an earlier run.
    obj_defaults_set("Idea", menu_setting_get(menu_setting::DefaultAction), 15, 1);
    WNDCLASSA wc{};
    if (!GetClassInfoA(inst, kViewClass, &wc)) {
        wc = {};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = trap_wnd<win_view_eh>;
        wc.hInstance = inst;
        wc.hCursor = util_system_cursor(IDC_ARROW);
        wc.lpszClassName = kViewClass;
        RegisterClassA(&wc);
    }
    // Made where it belongs: a move after it is made costs a round of messages and requests.
    const Rc r = view_place_in(main);
    HWND win = CreateWindowExA(WS_EX_ACCEPTFILES, kViewClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                               r.left, r.top, r.right - r.left, r.bottom - r.top, main, nullptr, inst, nullptr);
    return win;
}

// The view at start-up: its main-menu commands and the diagram window.
#include <string>

#include "resources/ids.h"
#include "shell/commands_win.h"
#include "shell/globals.h"
#include "shell/globals_win.h"
#include "shell/wiring_win.h"
#include "view/undo.h"
#include "view/view.h"
#include "view/view_win.h"

namespace {

const char kViewClass[] = "vornview";

// The Edit menu shows the step it would undo or redo ("&Undo Move Object\tCtrl+Z"); the text is
// brought up to date when the menu asks whether the item is enabled.
void label_item(int id, const char* verb, const std::string& name, const char* accel) {
    HMENU m = main_inst_ ? GetMenu(main_inst_) : nullptr;
    if (!m) return;
    std::string text = std::string("&") + verb + (name.empty() ? "" : " " + name) + "\t" + accel;
    MENUITEMINFOA mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_STRING;
    mi.dwTypeData = text.data();
    SetMenuItemInfoA(m, static_cast<UINT>(id), FALSE, &mi);
}

bool undo_enabled() {
    label_item(CMD_UNDO, "Undo", view_undo_name(), "Ctrl+Z");
    return view_can_undo();
}

bool redo_enabled() {
    label_item(CMD_REDO, "Redo", view_redo_name(), "Ctrl+Y");
    return view_can_redo();
}

void after_history_step() {
    marked_obj_.clear();
    marked_link_.clear();
    marked_shape_.clear();
    view_invalidate();
}

void run_undo() {
    if (view_undo()) after_history_step();
}

void run_redo() {
    if (view_redo()) after_history_step();
}

void run_connect() { view_connect_marked(); }

bool two_marked() { return marked_obj_.size() == 2; }

const Command kCommands[] = {
    {CMD_UNDO, run_undo, undo_enabled},
    {CMD_REDO, run_redo, redo_enabled},
    {CMD_CONNECT, run_connect, two_marked},
};

}  // namespace

void view_init() {
    cmd_register_all(kCommands);
}

HWND view_create_window(HWND main) {
    HINSTANCE inst = app_inst_ ? app_inst_ : GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    if (!GetClassInfoA(inst, kViewClass, &wc)) {
        wc = {};
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = win_view_eh;
        wc.hInstance = inst;
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = kViewClass;
        RegisterClassA(&wc);
    }
    HWND win = CreateWindowExA(WS_EX_ACCEPTFILES, kViewClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                               0, 0, 100, 100, main, nullptr, inst, nullptr);
    if (win) view_layout();
    return win;
}

#include "bars/bars_glue_win.h"

#include "shell/commands_win.h"
#include "shell/globals_win.h"

namespace {
HMENU main_menu() { return main_inst_ ? GetMenu(main_inst_) : nullptr; }
}  // namespace

bool bars_menu_checked(int id) {
    HMENU m = main_menu();
    if (!m) return false;
    UINT s = GetMenuState(m, id, MF_BYCOMMAND);
    return s != 0xFFFFFFFF && (s & MF_CHECKED);
}

void bars_menu_check(int id, bool on) {
    if (HMENU m = main_menu()) CheckMenuItem(m, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void bars_menu_check_radio(int first, int last, int sel) {
    if (sel < first || sel > last) return;
    for (int id = first; id <= last; ++id) bars_menu_check(id, id == sel);
}

bool bars_menu_enabled(int id) {
    const Command* c = cmd_find(id);
    return c && (!c->enabled || c->enabled());
}

void bars_run_menu_cmd(int id) {
    if (main_inst_) SendMessageA(main_inst_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

void bars_tip_request(const RECT&, const std::string&, const std::string&) {}
void bars_tip_hide() {}

int bars_send_user(int code, int param) {
    if (!view_inst_) return 0;
    return static_cast<int>(SendMessageA(view_inst_, WM_APP + 1, code, param));
}

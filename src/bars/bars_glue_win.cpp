#include "bars/bars_glue_win.h"

#include "shell/menu_win.h"
#include "shell/tip_win.h"
#include "view/view_win.h"

bool bars_menu_checked(int id) { return menu_checked(id) != 0; }
void bars_menu_check(int id, bool on) { menu_check(id, on ? 1 : 0); }
void bars_menu_check_radio(int first, int last, int sel) { menu_check_radio(first, last, sel); }
bool bars_menu_enabled(int id) { return menu_command_available(id); }
void bars_run_menu_cmd(int id) { task_menu_cmd(id); }
void bars_tip_request(HWND win, RECT area, const std::string& title, const std::string& text) {
    MapWindowPoints(win, nullptr, reinterpret_cast<POINT*>(&area), 2);
    tip_request(area, title, text);
}
void bars_tip_hide() { tip_hide(); }
int bars_send_user(int code, int param) { return view_send_user(code, param); }

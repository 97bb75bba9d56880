#include "bars/bars_glue_win.h"
#include "bars/status_win.h"
#include "resources/ids.h"
#include "shell/commands_win.h"
#include "shell/globals_win.h"
#include "shell/wiring_win.h"

namespace {

void statusbar_onoff() {
    bool on = !bars_menu_checked(CMD_STATUSBAR);
    bars_menu_check(CMD_STATUSBAR, on);
    if (status_inst_) ShowWindow(status_inst_, on ? SW_SHOW : SW_HIDE);
    if (main_inst_) {
        RECT c;
        GetClientRect(main_inst_, &c);
        SendMessageA(main_inst_, WM_SIZE, SIZE_RESTORED, MAKELPARAM(c.right, c.bottom));
    }
}

const Command kCommands[] = {
    {CMD_STATUSBAR, statusbar_onoff},
};

}  // namespace

void bars_init() { cmd_register_all(kCommands); }

void bars_create_status(HWND main) {
    status_create(main);
    if (status_inst_ && !bars_menu_checked(CMD_STATUSBAR)) ShowWindow(status_inst_, SW_HIDE);
}

void bars_create_toolbar(HWND) {}
void bars_create_toolbox(HWND) {}

void bars_layout(HWND) { status_layout(); }

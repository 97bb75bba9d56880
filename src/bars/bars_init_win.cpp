#include "bars/bars_init_win.h"
#include "bars/doc_tools.h"
#include "bars/sbar_win.h"
#include "bars/status.h"
#include "bars/status_win.h"
#include "bars/tbar.h"
#include "bars/tbar_editor_win.h"
#include "bars/tbar_win.h"
#include "bars/ticker_win.h"
#include "bars/toolbox.h"
#include "bars/toolbox_win.h"
#include "base/commands_win.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/settings.h"
#include "base/tip_win.h"
#include "document/doc_util.h"
#include "document/view.h"
#include "elements/icon.h"
#include "elements/link.h"
#include "resources/ids.h"

namespace {

void resize_main() {
    if (!main_inst_) return;
    RECT c;
    GetClientRect(main_inst_, &c);
    SendMessageA(main_inst_, WM_SIZE, SIZE_RESTORED, MAKELPARAM(c.right, c.bottom));
}

void statusbar_onoff() {
    menu_check(CMD_STATUSBAR, !menu_checked(CMD_STATUSBAR));
    resize_main();
}

void tbar_left() { tbar_set_orientation(CMD_TBAR_LEFT); }
void tbar_top() { tbar_set_orientation(CMD_TBAR_TOP); }
void tbar_none() { tbar_set_orientation(CMD_TBAR_NONE); }
void palette1() { tbar_palette_cmd(CMD_PALETTE1); }
void palette2() { tbar_palette_cmd(CMD_PALETTE2); }

void invert() {
    menu_check(CMD_INVERT, !menu_checked(CMD_INVERT));
    tbar_user_cmd(11, 1);
    view_repaint();
}

// After an edit the buttons follow the commands' state and the counts are fresh.
void after_change() {
    tbar_refresh();
    status_update(kStCounts, 0);
}

int icon_get() { return icon_current_get().value_or(201); }

// New links take the route of the toolbox's pressed link button.
int route_current() { return toolbox_current(5).value_or(0); }
void route_press(int route) {
    if (toolbox_press(5, route) && toolbox_inst_) InvalidateRect(toolbox_inst_, nullptr, FALSE);
}

// Status Display: hints for what lies under the pointer, or the pointer's place.
void check_status_display() {
    menu_check_radio(CMD_SHOW_COMMANDS, CMD_SHOW_MOUSE_POS,
                     status_shows_position() ? CMD_SHOW_MOUSE_POS : CMD_SHOW_COMMANDS);
}
void status_display(bool position) {
    status_set_shows_position(position);
    check_status_display();
    if (!position) status_update(kStText, 6);  // the next move over the diagram shows its hint
}
void show_commands() { status_display(false); }
void show_position() { status_display(true); }

const Command kCommands[] = {
    {CMD_STATUSBAR, statusbar_onoff}, {CMD_TBAR_LEFT, tbar_left}, {CMD_TBAR_TOP, tbar_top},
    {CMD_TBAR_NONE, tbar_none},       {CMD_PALETTE1, palette1},   {CMD_PALETTE2, palette2},
    {CMD_INVERT, invert},             {CMD_TOOLBOX, toolbox_menu_cmd},
    {CMD_SHOW_COMMANDS, show_commands}, {CMD_SHOW_MOUSE_POS, show_position},
};

}  // namespace

void bars_init() {
    bars_install_document_hooks();
    cmd_register_all(kCommands);
    sbar_register_commands();
    file_set_tbar_refresh_hook(after_change);
    toolbox_set_icon_hooks(icon_get, icon_current_set);
    link_defaults_route_hooks(route_current, route_press);
    ticker_init();
    tbar_editor_init();
}

void bars_create_status(HWND main) {
    status_create(main);
    check_status_display();
}

void bars_create_toolbar(HWND main) {
    tbar_set_style(menu_setting_get(menu_setting::Layout));
    tbar_create(main);
}

void bars_create_toolbox(HWND) { toolbox_onoff(view_inst_); }

void bars_layout(HWND) {
    if (status_inst_) ShowWindow(status_inst_, menu_checked(CMD_STATUSBAR) ? SW_SHOWNA : SW_HIDE);
    status_layout();
    tbar_place();
    if (view_inst_) {
        ShowScrollBar(view_inst_, SB_BOTH, menu_checked(CMD_SCROLLBARS));
        sbar_show();
    }
}

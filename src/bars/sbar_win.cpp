#include "bars/sbar_win.h"

#include <string>

#include "bars/bars_win.h"
#include "bars/sbar.h"
#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/tip_win.h"
#include "base/trap_win.h"
#include "base/util.h"
#include "resources/bars_ids.h"
#include "resources/ids.h"

namespace {

void zoom_fit() { view_send_user(36, 0); }
void zoom_expand() { sbar_cmd(kSbarZoom, kSbExpand, 0); }
void zoom_contract() { sbar_cmd(kSbarZoom, kSbContract, 0); }
void zoom_100() { sbar_cmd(kSbarZoom, kSbSet, 100); }
void centralize() {
    if (bars_view_hooks_.scroll_to) bars_view_hooks_.scroll_to(0, 0, sbar_view_state().level);
}
void level_step(int step) {
    if (bars_view_hooks_.level_step) bars_view_hooks_.level_step(step);
}
void level_up() { level_step(-1); }
void level_down() { level_step(1); }

void zoom_to() {
    int percent = sbar_zoom_dialog(main_inst_);
    if (percent > 0) sbar_cmd(kSbarZoom, kSbSet, percent);
}

void scrollbars_onoff() {
    bool on = !menu_checked(CMD_SCROLLBARS);
    menu_check(CMD_SCROLLBARS, on);
    if (view_inst_) ShowScrollBar(view_inst_, SB_BOTH, on);
    sbar_show();
    if (bars_view_hooks_.layout) bars_view_hooks_.layout();
}

INT_PTR CALLBACK dlg_zoom_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        dlg_on_create(win, IDD_ZOOM, 0);
        SetDlgItemInt(win, IDC_ZOOM_PERCENT, sbar_view_state().zoom, FALSE);
        SendDlgItemMessageA(win, IDC_ZOOM_PERCENT, EM_SETSEL, 0, -1);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            auto v = util_str_to_int(dlg_get_text(win, IDC_ZOOM_PERCENT));
            if (!v || *v < 1 || *v > 275) {
                // Only what the view can show is accepted.
                MessageBeep(MB_ICONEXCLAMATION);
                SetFocus(GetDlgItem(win, IDC_ZOOM_PERCENT));
                SendDlgItemMessageA(win, IDC_ZOOM_PERCENT, EM_SETSEL, 0, -1);
                return TRUE;
            }
            EndDialog(win, *v);
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            EndDialog(win, 0);
            return TRUE;
        }
        break;
    case WM_DESTROY: dlg_on_destroy(win, IDD_ZOOM, 0); break;
    }
    return FALSE;
}

const Command kCommands[] = {
    {CMD_ZOOM_FIT, zoom_fit},     {CMD_ZOOM_EXPAND, zoom_expand},   {CMD_ZOOM_CONTRACT, zoom_contract},
    {CMD_CENTRALIZE, centralize}, {CMD_ZOOM_100, zoom_100},         {CMD_ZOOM_TO, zoom_to},
    {CMD_LEVEL_UP, level_up},     {CMD_LEVEL_DOWN, level_down},     {CMD_SCROLLBARS, scrollbars_onoff},
};

}  // namespace

void sbar_show() {
    if (!view_inst_ || !menu_checked(CMD_SCROLLBARS)) return;
    ViewState s = sbar_view_state();
    SetScrollRange(view_inst_, SB_HORZ, ViewPosition::kOriginMin, ViewPosition::kOriginMax, FALSE);
    SetScrollRange(view_inst_, SB_VERT, ViewPosition::kOriginMin, ViewPosition::kOriginMax, FALSE);
    SetScrollPos(view_inst_, SB_HORZ, s.x0, TRUE);
    SetScrollPos(view_inst_, SB_VERT, s.y0, TRUE);
}

int sbar_zoom_dialog(HWND parent) {
    INT_PTR r = DialogBoxParamA(bars_instance(), MAKEINTRESOURCEA(IDD_ZOOM), parent, trap_dlg<dlg_zoom_eh>, 0);
    return r > 0 ? static_cast<int>(r) : 0;
}

void sbar_register_commands() { cmd_register_all(kCommands); }

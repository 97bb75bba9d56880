// Main-menu commands of the diagram's levels: Level..., Clear..., Shift... and Seq# Show/Hide.
#include <windows.h>

#include <algorithm>
#include <string>

#include "bars/sbar.h"
#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/trap_win.h"
#include "base/util.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"
#include "resources/diag_ids.h"
#include "resources/ids.h"
#include "view/view_cmd.h"
#include "view/view_win.h"
#include "view/viewgeom.h"

namespace {

HINSTANCE instance() { return app_inst_ ? app_inst_ : GetModuleHandleA(nullptr); }
int current_level() { return sbar_view_state().level; }

// ---- Level...

bool level_apply(HWND win) {
    auto v = util_str_to_int(dlg_get_text(win, IDC_LEVEL_EDIT));
    if (!v || *v < -250 || *v > 250) {
        MessageBeep(MB_ICONEXCLAMATION);
        SetFocus(GetDlgItem(win, IDC_LEVEL_EDIT));
        SendDlgItemMessageA(win, IDC_LEVEL_EDIT, EM_SETSEL, 0, -1);
        return false;
    }
    SetWindowLongPtrA(win, DWLP_USER, static_cast<LONG_PTR>(*v + 1000));
    return true;
}

INT_PTR CALLBACK dlg_level_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: {
        dlg_on_create(win, IDD_LEVEL, 0);
        SetDlgItemInt(win, IDC_LEVEL_EDIT, static_cast<UINT>(current_level()), TRUE);
        auto [low, high] = level_range(view_doc());
        std::string used = "Levels in use: " + std::to_string(low) + " to " + std::to_string(high);
        SetDlgItemTextA(win, IDC_LEVEL_RANGE, used.c_str());
        SendDlgItemMessageA(win, IDC_LEVEL_EDIT, EM_SETSEL, 0, -1);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            if (level_apply(win)) EndDialog(win, GetWindowLongPtrA(win, DWLP_USER));
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            EndDialog(win, 0);
            return TRUE;
        }
        break;
    case WM_DESTROY: dlg_on_destroy(win, IDD_LEVEL, 0); break;
    }
    return FALSE;
}

void run_level() {
    INT_PTR r = DialogBoxParamA(instance(), MAKEINTRESOURCEA(IDD_LEVEL), main_inst_, trap_dlg<dlg_level_eh>, 0);
    if (r <= 0) return;
    int level = static_cast<int>(r) - 1000;
    if (level == current_level()) return;
    view_unmark_all();
    sbar_cmd(kSbarLevel, kSbSet, level);
    view_invalidate();
}

// ---- Clear...

void run_clear_level() {
    int level = current_level();
    if (!msg_ask_yes_no("Clear every Object, Link, Shape and Point of level " + std::to_string(level) + "?",
                        "Clear Level"))
        return;
    if (!view_clear_level(level)) return;
    view_invalidate();
}

// ---- Seq# Show/Hide

void run_seq_show() {
    int on = menu_toggle(CMD_SEQ_SHOW);
    view_send_user(33, on);
    view_invalidate();
}

// ---- Shift...

int held_arrow = 0;
WNDPROC button_proc = nullptr;

// An arrow's step is a few pixels at the zoom of the moment, so one click shows.
constexpr int kShiftStepPixels = 4;

bool shift_once(int id, int step) {
    if (id >= IDC_SHIFT_LEFT && id <= IDC_SHIFT_RIGHT) step *= view_mapping().units(kShiftStepPixels);
    if (!view_shift(id, step, current_level())) return false;
    view_invalidate();
    return true;
}

// A level button: one undo step; the view goes along with a level it moved.
void shift_level(int id) {
    const int level = current_level();
    UndoStep undo;
    if (!shift_once(id, 1)) return;
    undo.commit("Shift");
    if (id == IDC_SHIFT_LEVEL_UP || id == IDC_SHIFT_LEVEL_DOWN)
        sbar_cmd(kSbarLevel, kSbSet, id == IDC_SHIFT_LEVEL_UP ? level - 1 : level + 1);
    view_invalidate();
}

// The arrows move on mouse-down and keep moving, faster, while held.
LRESULT CALLBACK shift_arrow_eh(HWND b, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) {
        LRESULT r = CallWindowProcA(button_proc, b, msg, wp, lp);  // pressed look and capture
        held_arrow = GetDlgCtrlID(b);
        int step = 1;
        // However long the button is held, the moves are one undo step.
        UndoStep undo;
        while (held_arrow && IsWindow(b) && GetCapture() == b) {
            shift_once(held_arrow, step);
            UpdateWindow(view_inst_);
            DWORD until = GetTickCount() + static_cast<DWORD>(100 / step);
            MSG m;
            while (held_arrow && static_cast<int>(until - GetTickCount()) > 0) {
                while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
                    if (m.message == WM_QUIT) {
                        held_arrow = 0;
                        PostQuitMessage(static_cast<int>(m.wParam));
                        break;
                    }
                    TranslateMessage(&m);
                    DispatchMessageA(&m);
                }
                if (held_arrow) MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
            }
            step = std::min(6, step + 1);
        }
        held_arrow = 0;
        undo.commit("Shift");
        return r;
    }
    if (msg == WM_LBUTTONUP || msg == WM_CAPTURECHANGED) held_arrow = 0;
    return CallWindowProcA(button_proc, b, msg, wp, lp);
}

INT_PTR CALLBACK dlg_global_shift_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        for (int id : {IDC_SHIFT_RIGHT, IDC_SHIFT_UP, IDC_SHIFT_LEFT, IDC_SHIFT_DOWN}) {
            HWND b = GetDlgItem(win, id);
            WNDPROC old = reinterpret_cast<WNDPROC>(
                SetWindowLongPtrA(b, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(trap_wnd<shift_arrow_eh>)));
            if (!button_proc) button_proc = old;
        }
        dlg_on_create(win, IDD_SHIFT, 0);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_SHIFT_LEVEL_UP: case IDC_SHIFT_LEVEL_DOWN: case IDC_SHIFT_INSERT: case IDC_SHIFT_DELETE:
            shift_level(LOWORD(wp));
            return TRUE;
        case IDCANCEL: EndDialog(win, 0); return TRUE;
        default: break;
        }
        break;
    case WM_DESTROY: dlg_on_destroy(win, IDD_SHIFT, 0); break;
    }
    return FALSE;
}

// The duplicate-ID warning of the text box and Object Properties reads this check mark; the
// menu settings keep it from run to run.
void run_warn_dupl() { menu_toggle(CMD_WARN_DUPL); }

void run_shift() { DialogBoxParamA(instance(), MAKEINTRESOURCEA(IDD_SHIFT), main_inst_, trap_dlg<dlg_global_shift_eh>, 0); }

const Command kCommands[] = {
    {CMD_LEVEL, run_level},
    {CMD_CLEAR_LEVEL, run_clear_level},
    {CMD_SEQ_SHOW, run_seq_show},
    {CMD_SHIFT, run_shift},
    {CMD_WARN_DUPL, run_warn_dupl},
};

}  // namespace

void view_menu_register_commands() { cmd_register_all(kCommands); }

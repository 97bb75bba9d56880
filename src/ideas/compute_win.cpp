#include "ideas/compute_win.h"

#include <optional>
#include <string>

#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/eval_format.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/trap_win.h"
#include "document/undo.h"
#include "document/view.h"
#include "ideas/eval.h"
#include "ideas/pert.h"
#include "resources/ideas_ids.h"
#include "resources/ids.h"

namespace {

const char* const kComputations[] = {"No Computation", "Compute Objects", "Critical Path"};

// What OK takes from the dialog; applied once the dialog is gone.
struct ComputeChoice {
    int manual = 0;
    int mode = 0;
    std::string format;
};

ComputeChoice* choice_of(HWND win) { return reinterpret_cast<ComputeChoice*>(GetWindowLongPtrA(win, DWLP_USER)); }

void on_init(HWND win, LPARAM lp) {
    SetWindowLongPtrA(win, DWLP_USER, lp);
    dlg_on_create(win, IDD_COMPUTE, 0);
    CheckRadioButton(win, IDC_COMPUTE_AUTO, IDC_COMPUTE_MANUAL,
                     view_param_get(69) == 1 ? IDC_COMPUTE_MANUAL : IDC_COMPUTE_AUTO);
    HWND list = GetDlgItem(win, IDC_COMPUTE_LIST);
    for (const char* s : kComputations) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s));
    int mode = view_param_get(209);
    SendMessageA(list, LB_SETCURSEL, (mode >= 0 && mode <= 2) ? mode : 0, 0);
    SetDlgItemTextA(win, IDC_COMPUTE_FORMAT, view_text_param_get(26).c_str());
}

void on_ok(HWND win) {
    std::string format = dlg_get_text(win, IDC_COMPUTE_FORMAT);
    if (!eval_format_valid(format)) {
        msg_note("Decimal Point Format takes a width and a number of decimals, such as 8.2, 8.2f, .2f or %8.2f "
                 "(f fixed, e with exponent, g general).");
        HWND edit = GetDlgItem(win, IDC_COMPUTE_FORMAT);
        SetFocus(edit);
        SendMessageA(edit, EM_SETSEL, 0, -1);
        return;
    }
    ComputeChoice& c = *choice_of(win);
    c.manual = dlg_is_checked(win, IDC_COMPUTE_MANUAL) ? 1 : 0;
    c.mode = dlg_lbox_sel(win, IDC_COMPUTE_LIST);
    c.format = format;
    EndDialog(win, IDOK);
}

std::optional<double> eval_hook(const std::string& text, Key key) {
    auto r = eval_expression(text, key);
    if (!r) return std::nullopt;
    return r->value;
}

}  // namespace

INT_PTR CALLBACK dlg_compute_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        on_init(win, lp);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK: on_ok(win); return TRUE;
        case IDCANCEL: EndDialog(win, IDCANCEL); return TRUE;
        case IDC_COMPUTE_LIST:
            if (HIWORD(wp) == LBN_DBLCLK) on_ok(win);
            return TRUE;
        default: break;
        }
        break;
    case WM_DESTROY: dlg_on_destroy(win, IDD_COMPUTE, 0); break;
    default: break;
    }
    return FALSE;
}

void dlg_compute_open(HWND parent) {
    ComputeChoice c;
    INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_COMPUTE), parent,
                                trap_dlg<dlg_compute_eh>, reinterpret_cast<LPARAM>(&c));
    if (r != IDOK) return;
    // The choices, the removal of the old critical marks and the Recompute they lead to are one
    // step. Recompute runs once the dialog is gone, so its messages have the main window as owner.
    UndoStep step;
    view_param_set(69, c.manual);
    pert_recompute(9);
    view_param_set(209, c.mode);
    view_text_param_set(26, c.format);
    task_menu_cmd(CMD_RECOMPUTE);
    step.commit("Compute");
}

void compute_recompute_command() { pert_recompute(view_param_get(209)); }

namespace {
void recompute_after_edit() { pert_recompute(view_param_get(209), PertRun::after_edit); }
}  // namespace

void compute_init() {
    static const Command commands[] = {
        {CMD_COMPUTE, [] { dlg_compute_open(main_inst_); }},
        {CMD_RECOMPUTE, compute_recompute_command},
    };
    cmd_register_all(commands);
    view_set_eval_hook(eval_hook);
    view_set_recompute_hook(recompute_after_edit);
}

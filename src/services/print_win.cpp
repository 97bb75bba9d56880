#include "services/print_win.h"

#include <commdlg.h>

#include <optional>
#include <vector>

#include "bars/sbar.h"
#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/trap_win.h"
#include "document/view.h"
#include "elements/draw_win.h"
#include "resources/bars_ids.h"
#include "resources/ids.h"
#include "resources/print_ids.h"
#include "services/help_win.h"
#include "services/print.h"
#include "view/view_win.h"

namespace {

// The default printer as the last Print dialog found it, with our own copy of its DEVMODE.
struct Printer {
    bool loaded = false;
    std::string driver, device;
    std::vector<BYTE> devmode;
    int orientation = 1;
    int page_w = -1, page_h = -1;  // -1: not measured since the last change
};
Printer printer_;

void printer_load() {
    printer_ = Printer{};
    printer_.loaded = true;
    PRINTDLGA pd{};
    pd.lStructSize = sizeof pd;
    pd.Flags = PD_RETURNDEFAULT;
    if (PrintDlgA(&pd)) {
        if (pd.hDevNames) {
            if (auto* dn = static_cast<DEVNAMES*>(GlobalLock(pd.hDevNames))) {
                const char* base = reinterpret_cast<const char*>(dn);
                printer_.driver = base + dn->wDriverOffset;
                printer_.device = base + dn->wDeviceOffset;
                GlobalUnlock(pd.hDevNames);
            }
        }
        if (pd.hDevMode) {
            if (auto* dm = static_cast<DEVMODEA*>(GlobalLock(pd.hDevMode))) {
                const BYTE* p = reinterpret_cast<const BYTE*>(dm);
                printer_.devmode.assign(p, p + dm->dmSize + dm->dmDriverExtra);
                GlobalUnlock(pd.hDevMode);
            }
        }
    }
    if (pd.hDevMode) GlobalFree(pd.hDevMode);
    if (pd.hDevNames) GlobalFree(pd.hDevNames);
}

DEVMODEA* devmode() {
    return printer_.devmode.size() >= sizeof(DEVMODEA) ? reinterpret_cast<DEVMODEA*>(printer_.devmode.data()) : nullptr;
}

HDC printer_dc(bool info_only) {
    if (!printer_.loaded) printer_load();
    if (printer_.device.empty()) return nullptr;
    const char* driver = printer_.driver.empty() ? nullptr : printer_.driver.c_str();
    return info_only ? CreateICA(driver, printer_.device.c_str(), nullptr, devmode())
                     : CreateDCA(driver, printer_.device.c_str(), nullptr, devmode());
}

bool page_hook(int& w, int& h) { return print_page_size(w, h); }

// ---- The dialog.

// The preview's white paper is painted from the dialog's check box; the document's background
// settings stay as they are, so a save while the dialog is open keeps them.
struct OrigBg {
    int invert;
    ViewState view;
};
std::optional<OrigBg> orig_bg_;
HWND print_dlg_ = nullptr;

int current_zoom() { return sbar_view_state().zoom; }

void set_zoom(int percent) { sbar_cmd(kSbarZoom, kSbSet, percent); }

void select_scale(HWND win) {
    SendDlgItemMessageA(win, IDC_PRINT_SCALE, CB_SETCURSEL, static_cast<WPARAM>(current_zoom() - 1), 0);
}

void fill_combo(HWND win, int id, const std::vector<std::string>& items, int sel) {
    for (const auto& s : items) SendDlgItemMessageA(win, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
    SendDlgItemMessageA(win, id, CB_SETCURSEL, static_cast<WPARAM>(sel), 0);
}

void update_print_button(HWND win) {
    int w = 0, h = 0;
    EnableWindow(GetDlgItem(win, IDC_PRINT_PRINT), print_page_size(w, h) && h > 0);
}

void save_settings(HWND win) {
    view_param_set(118, current_zoom());
    view_param_set(119, IsDlgButtonChecked(win, IDC_PRINT_PORTRAIT) == BST_CHECKED ? 1 : 0);
}

void restore(HWND win) {
    if (!orig_bg_) {
        view_invalidate();
        return;
    }
    OrigBg o = *orig_bg_;
    orig_bg_.reset();
    set_zoom(o.view.zoom);
    sbar_cmd(kSbarX0, kSbSet, o.view.x0);
    sbar_cmd(kSbarY0, kSbSet, o.view.y0);
    bool invert = IsDlgButtonChecked(win, IDC_PRINT_INVERT) == BST_CHECKED;
    if (invert != (o.invert != 0)) task_menu_cmd(CMD_INVERT);
    else view_invalidate();
}

void close_dialog(HWND win) { DestroyWindow(win); }

void on_init(HWND win) {
    print_dlg_ = win;
    dlg_on_create(win, IDD_PRINT, 1);
    const Document& d = view_doc();
    orig_bg_ = OrigBg{menu_checked(CMD_INVERT) ? 1 : 0, sbar_view_state()};
    CheckRadioButton(win, IDC_PRINT_PORTRAIT, IDC_PRINT_LANDSCAPE,
                     d.param(119) == 1 ? IDC_PRINT_PORTRAIT : IDC_PRINT_LANDSCAPE);
    CheckDlgButton(win, IDC_PRINT_INVERT, orig_bg_->invert ? BST_CHECKED : BST_UNCHECKED);
    CheckDlgButton(win, IDC_PRINT_WHITE, BST_CHECKED);
    fill_combo(win, IDC_PRINT_SCALE, dlg_num_strings(1, kPrintScaleMax, 1), -1);
    fill_combo(win, IDC_PRINT_COPIES, dlg_num_strings(1, kPrintCopiesMax, 1), 0);
    std::vector<std::string> parts;
    for (int k = 0; k < kPrintPartsCount; ++k) parts.emplace_back(print_parts_name(k));
    fill_combo(win, IDC_PRINT_PARTS, parts, 0);
    int scale = d.param(118);
    if (scale < 10) view_send_user(36, 1);
    else set_zoom(scale);
    select_scale(win);
    update_print_button(win);
    view_invalidate();
}

// A typed scale waits for a pause, Enter or leaving the box: "300" would otherwise pass
// through 3 % and 30 % on its way.
constexpr UINT_PTR kScaleTimer = 1;
constexpr UINT kScalePauseMs = 700;
bool scale_typed_ = false;

// Applies a typed scale; false (after the error) when it is no scale. The box then shows the
// zoom in force.
bool apply_typed_scale(HWND win) {
    KillTimer(win, kScaleTimer);
    if (!scale_typed_) return true;
    scale_typed_ = false;
    std::string text = dlg_get_text(win, IDC_PRINT_SCALE);
    // An emptied box is a keystroke on the way to a number, not an error.
    if (text.find_first_not_of(' ') == std::string::npos) return true;
    auto z = print_parse_scale(text);
    if (z) {
        set_zoom(*z);
        view_invalidate();
    }
    select_scale(win);
    if (!z) msg_error("Must be 1 to 275");
    return z.has_value();
}

void on_scale_typed(HWND win) {
    scale_typed_ = true;
    SetTimer(win, kScaleTimer, kScalePauseMs, nullptr);
}

bool focus_in_scale(HWND win) {
    HWND scale = GetDlgItem(win, IDC_PRINT_SCALE), f = GetFocus();
    return f && (f == scale || IsChild(scale, f));
}

void on_orientation(HWND win, int orientation) {
    print_set_orientation(orientation);
    MSG m;
    while (PeekMessageA(&m, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&m);
    update_print_button(win);
    view_invalidate();
}

void on_fit(HWND win) {
    if (sbar_level_span() > 0) {
        msg_note("Fit does not work for multi-level diagram");
        return;
    }
    view_send_user(36, 1);
    select_scale(win);
}

void on_print(HWND win) {
    if (!apply_typed_scale(win)) return;
    int copies = static_cast<int>(SendDlgItemMessageA(win, IDC_PRINT_COPIES, CB_GETCURSEL, 0, 0)) + 1;
    int parts = static_cast<int>(SendDlgItemMessageA(win, IDC_PRINT_PARTS, CB_GETCURSEL, 0, 0));
    try {
        print_job(copies < 1 ? 1 : copies, parts < 0 ? 0 : parts);
    } catch (const VornError& e) {
        // The dialog stays open; its restore happens when the user closes it.
        dlg_error_msg("Printing %s", file_current_name(), e.code);
        return;
    }
    save_settings(win);
    restore(win);
    close_dialog(win);
}

void on_command(HWND win, int id, int code) {
    switch (id) {
    case IDC_PRINT_INVERT: task_menu_cmd(CMD_INVERT); break;
    case IDC_PRINT_WHITE: view_invalidate(); break;
    case IDC_PRINT_PARTS:
        if (code == CBN_SELCHANGE) view_invalidate();
        break;
    case IDC_PRINT_SCALE:
        if (code == CBN_SELCHANGE) {
            LRESULT s = SendDlgItemMessageA(win, IDC_PRINT_SCALE, CB_GETCURSEL, 0, 0);
            if (s != CB_ERR) {
                set_zoom(static_cast<int>(s) + 1);
                view_invalidate();
            }
        } else if (code == CBN_EDITCHANGE) {
            on_scale_typed(win);
        } else if (code == CBN_KILLFOCUS) {
            apply_typed_scale(win);
        }
        break;
    case IDC_PRINT_PORTRAIT:
    case IDC_PRINT_LANDSCAPE:
        if (code == BN_CLICKED) on_orientation(win, id == IDC_PRINT_PORTRAIT ? 0 : 1);
        break;
    case IDC_PRINT_FIT: on_fit(win); break;
    case IDC_PRINT_HELP: help_show(104); break;
    case IDC_PRINT_PRINT: on_print(win); break;
    case IDOK:
        // Enter in the Scale box takes the scale and leaves the preview open.
        if (focus_in_scale(win)) {
            apply_typed_scale(win);
            break;
        }
        if (!apply_typed_scale(win)) break;
        save_settings(win);
        restore(win);
        close_dialog(win);
        break;
    case IDCANCEL:
        restore(win);
        close_dialog(win);
        break;
    default: break;
    }
}

INT_PTR CALLBACK dlg_print_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        switch (msg) {
        case WM_INITDIALOG: on_init(win); return TRUE;
        case WM_COMMAND: on_command(win, LOWORD(wp), HIWORD(wp)); return TRUE;
        case WM_TIMER:
            if (wp == kScaleTimer) apply_typed_scale(win);
            return TRUE;
        case WM_CLOSE:
            restore(win);
            close_dialog(win);
            return TRUE;
        case WM_VORN_REPLACED:
            // Its choices belong to the document it was opened for: the view is put back as it
            // was and the new document opens with its own.
            restore(win);
            close_dialog(win);
            return TRUE;
        case WM_DESTROY:
            // Closed with the main window or a new document: the view is left as it was found.
            if (orig_bg_) restore(win);
            dlg_on_destroy(win, IDD_PRINT, 1);
            KillTimer(win, kScaleTimer);
            scale_typed_ = false;
            print_dlg_ = nullptr;
            view_invalidate();
            return TRUE;
        default: break;
        }
    } catch (const VornError& e) {
        dlg_error_msg("%s", e.text, e.code);
    }
    return FALSE;
}

void cmd_print() { print_command(main_inst_); }

// Ends a failed job so the printer takes the next one.
[[noreturn]] void job_failed(HDC dc, bool started, int code) {
    if (started) AbortDoc(dc);
    DeleteDC(dc);
    vorn_raise(code);
}

}  // namespace

void print_set_orientation(int orientation) {
    if (!printer_.loaded) printer_load();
    printer_.orientation = orientation ? 1 : 0;
    if (DEVMODEA* dm = devmode()) {
        dm->dmOrientation = printer_.orientation ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
        dm->dmFields |= DM_ORIENTATION;
    }
    printer_.page_w = printer_.page_h = -1;
}

int print_orientation() { return printer_.orientation; }

bool print_page_layout(PrintPageLayout& out) {
    out = {};
    HDC ic = printer_dc(true);
    if (!ic) return false;
    out.w = GetDeviceCaps(ic, HORZRES);
    out.h = GetDeviceCaps(ic, VERTRES);
    out.phys_w = GetDeviceCaps(ic, PHYSICALWIDTH);
    out.phys_h = GetDeviceCaps(ic, PHYSICALHEIGHT);
    out.off_x = GetDeviceCaps(ic, PHYSICALOFFSETX);
    out.off_y = GetDeviceCaps(ic, PHYSICALOFFSETY);
    DeleteDC(ic);
    if (out.phys_w <= 0 || out.phys_h <= 0) {
        out.phys_w = out.w;
        out.phys_h = out.h;
    }
    return out.w > 0 && out.h > 0;
}

bool print_page_size(int& w, int& h) {
    if (printer_.page_w < 0) {
        PrintPageLayout lay;
        print_page_layout(lay);
        printer_.page_w = lay.w;
        printer_.page_h = lay.h;
    }
    w = printer_.page_w;
    h = printer_.page_h;
    return w > 0 && h > 0;
}

void print_job(int copies, int parts) {
    auto cur = file_current();
    if (!cur) return;
    const std::string title = cur->full;
    for (const PrintJobPage& j : print_job_sequence(copies, parts)) {
        HDC dc = printer_dc(false);
        if (!dc) vorn_raise(6182);
        DOCINFOA di{};
        di.cbSize = sizeof di;
        di.lpszDocName = title.c_str();
        if (StartDocA(dc, &di) <= 0) job_failed(dc, false, 6184);
        if (StartPage(dc) <= 0) job_failed(dc, true, 6181);
        view_draw(-1, dc, j.at.factor, j.at.x, j.at.y);
        if (EndPage(dc) <= 0) job_failed(dc, true, 6183);
        if (EndDoc(dc) <= 0) job_failed(dc, true, 6183);
        DeleteDC(dc);
    }
}

void print_command(HWND parent) {
    if (menu_checked(CMD_SLIDESHOW)) task_menu_cmd(CMD_CLOSE_WINDOWS);
    if (dlg_find_modeless(IDD_PRINT) || dlg_find_modeless(IDD_ZOOM)) return;
    for (const DlgInst& d : modaldlg_inst_)
        if (d.dlg_id == IDD_ZOOM) return;
    printer_load();
    print_set_orientation(1 - view_param_get(119));
    view_invalidate();
    if (HWND dlg = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PRINT), parent, trap_dlg<dlg_print_eh>, 0)) {
        ShowWindow(dlg, SW_SHOW);
        RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
}

void print_register() {
    cmd_register({CMD_PRINT, cmd_print});
    draw_set_printer_page_hook(page_hook);
}

// Find Text, Richtext Format and the font dialog of the rich windows.
#include <windows.h>
#include <commdlg.h>
#include <richedit.h>

#include "base/dlg_win.h"
#include "base/error.h"
#include "base/globals_win.h"
#include "base/trap_win.h"
#include "resources/rich_ids.h"
#include "text/rich.h"
#include "text/rich_win.h"

namespace {

constexpr int kAlignIds[][2] = {{IDC_RP_ALIGN_LEFT, PFA_LEFT}, {IDC_RP_ALIGN_RIGHT, PFA_RIGHT}, {IDC_RP_ALIGN_CENTER, PFA_CENTER}};

CHARRANGE selection(HWND edit) {
    CHARRANGE r{0, 0};
    SendMessageA(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    return r;
}

long text_length(HWND edit) {
    GETTEXTLENGTHEX gl{GTL_NUMCHARS | GTL_PRECISE, CP_ACP};
    return static_cast<long>(SendMessageA(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0));
}

void search(HWND edit, const RichRange& range, const RichFindSettings& s) {
    if (s.text.empty()) return;
    FINDTEXTA ft{};
    ft.chrg.cpMin = range.min;
    ft.chrg.cpMax = range.max;
    ft.lpstrText = s.text.c_str();
    const int flags = rich_find_flags(s.direction != IDC_RF_BACKWARD, s.match_case, s.whole_word);
    LRESULT pos = SendMessageA(edit, EM_FINDTEXT, static_cast<WPARAM>(flags), reinterpret_cast<LPARAM>(&ft));
    if (pos < 0) {
        msg_note("Text not found: " + s.text);
        return;
    }
    SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(pos), pos);
    SetFocus(edit);
}

struct FindDlg {
    RichFindSettings s;
    int origin = IDC_RF_CURSOR;
};

INT_PTR CALLBACK dlg_find_text_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        auto* d = reinterpret_cast<FindDlg*>(lp);
        SetWindowLongPtrA(win, DWLP_USER, lp);
        dlg_on_create(win, IDD_RICH_FIND, 0);
        SetDlgItemTextA(win, IDC_RF_TEXT, d->s.text.c_str());
        CheckDlgButton(win, IDC_RF_CASE, d->s.match_case ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(win, IDC_RF_WHOLE, d->s.whole_word ? BST_CHECKED : BST_UNCHECKED);
        CheckRadioButton(win, IDC_RF_FORWARD, IDC_RF_BACKWARD, d->s.direction == IDC_RF_BACKWARD ? IDC_RF_BACKWARD : IDC_RF_FORWARD);
        CheckRadioButton(win, IDC_RF_ALL, IDC_RF_SELECTION, d->origin);
        SendDlgItemMessageA(win, IDC_RF_TEXT, EM_SETSEL, 0, -1);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            auto* d = reinterpret_cast<FindDlg*>(GetWindowLongPtrA(win, DWLP_USER));
            d->s.text = dlg_get_text(win, IDC_RF_TEXT);
            d->s.match_case = dlg_is_checked(win, IDC_RF_CASE) != 0;
            d->s.whole_word = dlg_is_checked(win, IDC_RF_WHOLE) != 0;
            d->s.direction = dlg_is_checked(win, IDC_RF_BACKWARD) ? IDC_RF_BACKWARD : IDC_RF_FORWARD;
            d->origin = dlg_is_checked(win, IDC_RF_ALL) ? IDC_RF_ALL : dlg_is_checked(win, IDC_RF_SELECTION) ? IDC_RF_SELECTION : IDC_RF_CURSOR;
            EndDialog(win, 1);
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            EndDialog(win, 2);
            return TRUE;
        }
        break;
    case WM_DESTROY: dlg_on_destroy(win, IDD_RICH_FIND, 0); break;
    }
    return FALSE;
}

struct ParaDlg {
    PARAFORMAT pf{};
};

void set_real(HWND win, int id, double v) { SetDlgItemTextA(win, id, rich_format_inches(v).c_str()); }

INT_PTR CALLBACK dlg_indent_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        auto* d = reinterpret_cast<ParaDlg*>(lp);
        SetWindowLongPtrA(win, DWLP_USER, lp);
        dlg_on_create(win, IDD_RICH_PARA, 0);
        RichIndents in = rich_para_to_inches({d->pf.dxStartIndent, d->pf.dxRightIndent, d->pf.dxOffset});
        set_real(win, IDC_RP_LEFT, in.left);
        set_real(win, IDC_RP_RIGHT, in.right);
        set_real(win, IDC_RP_FIRST, in.first);
        CheckDlgButton(win, IDC_RP_BULLET, d->pf.wNumbering ? BST_CHECKED : BST_UNCHECKED);
        for (auto& a : kAlignIds)
            if (a[1] == d->pf.wAlignment) CheckRadioButton(win, IDC_RP_ALIGN_LEFT, IDC_RP_ALIGN_RIGHT, a[0]);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_RP_BULLET:
            if (HIWORD(wp) == BN_CLICKED && dlg_is_checked(win, IDC_RP_BULLET)) {
                SetDlgItemTextA(win, IDC_RP_LEFT, "0.25");
                SetDlgItemTextA(win, IDC_RP_FIRST, "-0.25");
            }
            return TRUE;
        case IDOK: {
            auto* d = reinterpret_cast<ParaDlg*>(GetWindowLongPtrA(win, DWLP_USER));
            auto l = rich_parse_real(dlg_get_text(win, IDC_RP_LEFT));
            auto r = rich_parse_real(dlg_get_text(win, IDC_RP_RIGHT));
            auto f = rich_parse_real(dlg_get_text(win, IDC_RP_FIRST));
            if (!l || !r || !f) {
                // Nothing is changed; the user can correct the number.
                msg_note("Indents must be numbers of inches");
                return TRUE;
            }
            RichPara p = rich_inches_to_para({*l, *r, *f});
            PARAFORMAT& pf = d->pf;
            pf = PARAFORMAT{};
            pf.cbSize = sizeof pf;
            pf.dwMask = 63;
            pf.wNumbering = dlg_is_checked(win, IDC_RP_BULLET) ? PFN_BULLET : 0;
            pf.dxStartIndent = p.start;
            pf.dxRightIndent = p.right;
            pf.dxOffset = p.offset;
            pf.wAlignment = PFA_LEFT;
            for (auto& a : kAlignIds)
                if (dlg_is_checked(win, a[0])) pf.wAlignment = static_cast<WORD>(a[1]);
            EndDialog(win, 1);
            return TRUE;
        }
        case IDCANCEL: EndDialog(win, 2); return TRUE;
        }
        break;
    case WM_DESTROY: dlg_on_destroy(win, IDD_RICH_PARA, 0); break;
    }
    return FALSE;
}

}  // namespace

RichFindSettings& rich_find_settings() {
    static RichFindSettings s;
    return s;
}

void rich_find_dialog(HWND win) {
    HWND edit = rich_control(win);
    if (!edit) return;
    CHARRANGE sel = selection(edit);
    FindDlg d{rich_find_settings(), sel.cpMax > sel.cpMin ? IDC_RF_SELECTION : IDC_RF_CURSOR};
    if (DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_RICH_FIND), main_inst_, trap_dlg<dlg_find_text_eh>,
                        reinterpret_cast<LPARAM>(&d)) != 1)
        return;
    if (!IsWindow(edit)) return;
    rich_find_settings() = d.s;
    search(edit, rich_find_range(d.origin, d.s.direction != IDC_RF_BACKWARD, sel.cpMin, sel.cpMax, text_length(edit)), d.s);
}

void rich_find_next(HWND win) {
    HWND edit = rich_control(win);
    if (!edit) return;
    const RichFindSettings& s = rich_find_settings();
    CHARRANGE sel = selection(edit);
    search(edit, rich_find_next_range(s.direction != IDC_RF_BACKWARD, sel.cpMin, text_length(edit)), s);
}

void rich_para_dialog(HWND win) {
    HWND edit = rich_control(win);
    if (!edit) return;
    ParaDlg d;
    d.pf.cbSize = sizeof d.pf;
    SendMessageA(edit, EM_GETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&d.pf));
    if (DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_RICH_PARA), main_inst_, trap_dlg<dlg_indent_eh>,
                        reinterpret_cast<LPARAM>(&d)) != 1)
        return;
    if (IsWindow(edit)) SendMessageA(edit, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&d.pf));
}

void rich_font_dialog(HWND win) {
    HWND edit = rich_control(win);
    if (!edit) return;
    CHARFORMATA cf{};
    cf.cbSize = sizeof cf;
    SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    HDC dc = GetDC(nullptr);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    LOGFONTA lf{};
    lf.lfHeight = rich_height_of_twips(cf.yHeight, dpi);
    lf.lfWeight = (cf.dwEffects & CFE_BOLD) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (cf.dwEffects & CFE_ITALIC) ? 1 : 0;
    lf.lfCharSet = cf.bCharSet;
    lf.lfPitchAndFamily = cf.bPitchAndFamily;
    lstrcpynA(lf.lfFaceName, cf.szFaceName, LF_FACESIZE);
    CHOOSEFONTA c{};
    c.lStructSize = sizeof c;
    c.hwndOwner = main_inst_;
    c.lpLogFont = &lf;
    c.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS;
    if (!ChooseFontA(&c) || !IsWindow(edit)) return;
    CHARFORMATA out{};
    out.cbSize = sizeof out;
    out.dwMask = 0xF800001Fu;
    out.dwEffects = (lf.lfWeight > 500 ? CFE_BOLD : 0) | (lf.lfItalic ? CFE_ITALIC : 0) |
                    (lf.lfUnderline ? CFE_UNDERLINE : 0) | (lf.lfStrikeOut ? CFE_STRIKEOUT : 0);
    out.yHeight = rich_twips_of_height(lf.lfHeight, dpi);
    out.crTextColor = c.rgbColors;
    out.bCharSet = lf.lfCharSet;
    out.bPitchAndFamily = lf.lfPitchAndFamily;
    lstrcpynA(out.szFaceName, lf.lfFaceName, LF_FACESIZE);
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&out));
}

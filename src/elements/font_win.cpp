#include "elements/font_win.h"

#include <commdlg.h>

#include <array>
#include <cstring>
#include <optional>
#include <vector>

#include "base/dlg_win.h"
#include "base/globals_win.h"
#include "base/trap_win.h"
#include "document/view.h"
#include "resources/links_ids.h"

namespace {

constexpr int kInsertTextDlg = 10397;

bool choose_font(HWND owner, LOGFONTA* lf) {
    CHOOSEFONTA cf{};
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = owner;
    cf.lpLogFont = lf;
    cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT;
    return ChooseFontA(&cf) != 0;
}

FontChooser g_chooser = &choose_font;

// The open dialog's fonts: chosen and not yet applied (one per slot at most), and those its rows
// are shown in.
struct FontDlg {
    std::array<std::optional<FontDesc>, kFontSlots> temp;
    std::array<HFONT, kFontSlots> row_fonts{};
};

int screen_dpi() {
    HDC dc = GetDC(nullptr);
    int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}

void show_row(HWND win, int slot, const FontDesc& d) {
    FontDlg& st = *dlg_state<FontDlg>(win);
    HWND edit = GetDlgItem(win, IDC_FONT_EDIT0 + slot);
    LOGFONTA lf = font_logfont(d);
    HFONT f = CreateFontIndirectA(&lf);
    SendMessageA(edit, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
    if (st.row_fonts[slot]) DeleteObject(st.row_fonts[slot]);
    st.row_fonts[slot] = f;
    SetWindowTextA(edit, font_row_text(d, screen_dpi()).c_str());
    InvalidateRect(edit, nullptr, TRUE);
}

void on_init(HWND win) {
    dlg_make_state<FontDlg>(win);
    dlg_on_create(win, IDD_FONT, 0);
    for (int s = 0; s < kFontSlots; ++s) show_row(win, s, text_font(s, 1));
    const auto checks = font_underline_checks();
    for (int i = 0; i < 3; ++i) CheckDlgButton(win, IDC_FONT_UNDERLINE0 + i, checks[i] ? BST_CHECKED : BST_UNCHECKED);
}

void on_change(HWND win, int slot) {
    auto& temp = dlg_state<FontDlg>(win)->temp;
    LOGFONTA lf = font_logfont(temp[slot] ? *temp[slot] : text_font(slot, 1));
    if (!g_chooser(win, &lf)) return;
    temp[slot] = font_from_logfont(lf);
    show_row(win, slot, *temp[slot]);
}

void on_ok(HWND win) {
    std::vector<FontChoice> chosen;
    const auto& temp = dlg_state<FontDlg>(win)->temp;
    for (int s = 0; s < kFontSlots; ++s)
        if (temp[s]) chosen.push_back({s, *temp[s]});
    bool underline[3];
    for (int i = 0; i < 3; ++i) underline[i] = IsDlgButtonChecked(win, IDC_FONT_UNDERLINE0 + i) == BST_CHECKED;
    font_apply(chosen, underline, screen_dpi());
    EndDialog(win, IDOK);
    view_repaint();
}

void on_destroy(HWND win) {
    dlg_on_destroy(win, IDD_FONT, 0);
    for (HFONT f : dlg_state<FontDlg>(win)->row_fonts)
        if (f) DeleteObject(f);
    dlg_drop_state<FontDlg>(win);
}

}  // namespace

LOGFONTA font_logfont(const FontDesc& d) {
    LOGFONTA lf{};
    lf.lfHeight = d.height;
    lf.lfWidth = d.width;
    lf.lfEscapement = d.escapement;
    lf.lfOrientation = d.orientation;
    lf.lfWeight = d.weight;
    lf.lfItalic = d.italic;
    lf.lfUnderline = d.underline;
    lf.lfStrikeOut = d.strikeout;
    lf.lfCharSet = d.charset;
    lf.lfOutPrecision = d.out_precision;
    lf.lfClipPrecision = d.clip_precision;
    lf.lfQuality = d.quality;
    lf.lfPitchAndFamily = d.pitch_family;
    static_assert(sizeof lf.lfFaceName == 32);
    std::memcpy(lf.lfFaceName, d.face.data(), 31);
    lf.lfFaceName[31] = 0;
    return lf;
}

FontDesc font_from_logfont(const LOGFONTA& lf) {
    FontDesc d;
    d.height = lf.lfHeight;
    d.width = lf.lfWidth;
    d.escapement = lf.lfEscapement;
    d.orientation = lf.lfOrientation;
    d.weight = lf.lfWeight;
    d.italic = lf.lfItalic;
    d.underline = lf.lfUnderline;
    d.strikeout = lf.lfStrikeOut;
    d.charset = lf.lfCharSet;
    d.out_precision = lf.lfOutPrecision;
    d.clip_precision = lf.lfClipPrecision;
    d.quality = lf.lfQuality;
    d.pitch_family = lf.lfPitchAndFamily;
    std::memcpy(d.face.data(), lf.lfFaceName, 31);
    d.face[31] = 0;
    return d;
}

HFONT font_create(int slot, int mode) {
    LOGFONTA lf = font_logfont(text_font(slot, mode));
    return CreateFontIndirectA(&lf);
}

void font_set_chooser(FontChooser chooser) { g_chooser = chooser ? chooser : &choose_font; }

void font_dialog(HWND parent) {
    if (dlg_find_modeless(kInsertTextDlg)) return;
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FONT), parent, trap_dlg<dlg_font_eh>, 0);
}

INT_PTR CALLBACK dlg_font_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    if (msg != WM_INITDIALOG && !dlg_state<FontDlg>(win)) return FALSE;
    switch (msg) {
    case WM_INITDIALOG:
        on_init(win);
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wp);
        if (id >= IDC_FONT_CHANGE0 && id < IDC_FONT_CHANGE0 + kFontSlots) {
            on_change(win, id - IDC_FONT_CHANGE0);
            return TRUE;
        }
        if (id == IDOK) {
            on_ok(win);
            return TRUE;
        }
        if (id == IDCANCEL) {
            EndDialog(win, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    case WM_DESTROY:
        on_destroy(win);
        return FALSE;
    default:
        return FALSE;
    }
}

void dlg_text_font(HWND win, int id) {
    // One font per dialog control would leak; the text font changes rarely, so keep the last.
    static HFONT f = nullptr;
    static FontDesc last;
    FontDesc d = text_font(kFontHypertext, 1);
    if (!f || !(d == last)) {
        LOGFONTA lf = {};
        lf.lfHeight = d.height;
        lf.lfWidth = d.width;
        lf.lfWeight = d.weight;
        lf.lfItalic = d.italic;
        lf.lfUnderline = d.underline;
        lf.lfCharSet = d.charset;
        lf.lfPitchAndFamily = d.pitch_family;
        lstrcpynA(lf.lfFaceName, d.face_name().c_str(), LF_FACESIZE);
        HFONT nf = CreateFontIndirectA(&lf);
        if (!nf) return;
        f = nf;  // the previous font may still be in use by open dialogs
        last = d;
    }
    if (HWND c = GetDlgItem(win, id)) SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
}

#include "text/fieldedit_win.h"

#include <commdlg.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <set>

#include "base/globals_win.h"
#include "base/trap_win.h"
#include "base/util_win.h"

namespace {

struct FieldEdit {
    TextModel model;
    FieldEditHandler handler = nullptr;
    HFONT font = nullptr, link_font = nullptr;
    bool read_only = false, wrap = false, keywords = false, text_is_content = false;
    std::array<int, 256> widths{};
    int line_h = 16, tab = 64, ascent = 12;
    Layout layout;
    uint64_t laid_out = ~0ull;
    int laid_wrap = -1;
    int top_row = 0, left_x = 0;  // scroll position: first row shown, pixels scrolled right
    int widest = 0;               // the longest row's width, unwrapped
    bool dragging = false, focused = false;
    // Find dialog state.
    HWND find_dlg = nullptr;
    FINDREPLACEA fr{};
    char find_what[256] = {}, replace_with[256] = {};
    bool searched = false;
};

constexpr int kMargin = 3;
UINT find_msg_ = 0;
UINT clip_format_ = 0;

FieldEdit* get(HWND win) {
    if (!win || !IsWindow(win)) return nullptr;
    char cls[32] = {};
    GetClassNameA(win, cls, sizeof cls);
    if (std::strcmp(cls, kFieldEditClass) != 0) return nullptr;
    return reinterpret_cast<FieldEdit*>(GetWindowLongPtrA(win, 0));
}

int text_width(const FieldEdit& e, RECT c) { return std::max(40, static_cast<int>(c.right - c.left) - 2 * kMargin); }

void relayout(HWND win, FieldEdit& e) {
    RECT c;
    GetClientRect(win, &c);
    int wrap = e.wrap ? text_width(e, c) : 0;
    if (e.laid_out == e.model.version() && wrap == e.laid_wrap) return;
    e.layout = layout_rows(e.model.text(), e.widths, wrap, e.tab);
    e.widest = wrap ? 0 : layout_widest(e.model.text(), e.layout, e.widths, e.tab);
    e.laid_out = e.model.version();
    e.laid_wrap = wrap;
}

int visible_rows(HWND win, const FieldEdit& e) {
    RECT c;
    GetClientRect(win, &c);
    return std::max(1, static_cast<int>(c.bottom - c.top) / e.line_h);
}

void update_scrollbars(HWND win, FieldEdit& e) {
    SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0, 0, 0, 0, 0};
    si.nMax = static_cast<int>(e.layout.starts.size()) - 1;
    si.nPage = static_cast<UINT>(visible_rows(win, e));
    si.nPos = e.top_row;
    SetScrollInfo(win, SB_VERT, &si, TRUE);
    RECT c;
    GetClientRect(win, &c);
    SCROLLINFO sh{sizeof sh, SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0, e.wrap ? 0 : e.widest + 2 * kMargin,
                  static_cast<UINT>(c.right), e.left_x, 0};
    SetScrollInfo(win, SB_HORZ, &sh, TRUE);
}

void place_caret(HWND win, FieldEdit& e) {
    if (!e.focused) return;
    relayout(win, e);
    POINT p = fe_point_of(win, e.model.caret());
    SetCaretPos(p.x, p.y);
}

void ensure_visible(HWND win, FieldEdit& e) {
    relayout(win, e);
    int r = static_cast<int>(e.layout.row_of(e.model.caret()));
    int rows = visible_rows(win, e);
    if (r < e.top_row) e.top_row = r;
    else if (r >= e.top_row + rows) e.top_row = r - rows + 1;
    if (!e.wrap) {
        RECT c;
        GetClientRect(win, &c);
        int x = layout_x(e.model.text(), e.layout, e.model.caret(), e.widths, e.tab);
        int w = text_width(e, c);
        if (x < e.left_x) e.left_x = std::max(0, x - w / 4);
        else if (x > e.left_x + w - 4) e.left_x = x - w * 3 / 4;
    }
    update_scrollbars(win, e);
}

void refresh(HWND win, FieldEdit& e) {
    ensure_visible(win, e);
    InvalidateRect(win, nullptr, FALSE);
    place_caret(win, e);
}

void measure(HWND win, FieldEdit& e) {
    HDC dc = GetDC(win);
    HGDIOBJ old = SelectObject(dc, e.font);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    e.line_h = std::max(1, static_cast<int>(tm.tmHeight + tm.tmExternalLeading));
    e.ascent = tm.tmAscent;
    INT w[256] = {};
    if (!GetCharWidth32A(dc, 0, 255, w)) GetCharWidthA(dc, 0, 255, w);
    for (int k = 0; k < 256; ++k) e.widths[k] = w[k];
    for (int k = 0; k < 32; ++k) e.widths[k] = 0;
    e.tab = std::max(1, 8 * std::max(1, static_cast<int>(tm.tmAveCharWidth)));
    SelectObject(dc, old);
    ReleaseDC(win, dc);
    e.laid_out = ~0ull;
}

// The control's own copies of a font and of its underlined form for fields.
void set_font(FieldEdit& e, LOGFONTA lf) {
    if (!lf.lfFaceName[0]) {
        lf.lfHeight = -12;
        std::strcpy(lf.lfFaceName, "Courier New");
    }
    if (e.font) DeleteObject(e.font);
    if (e.link_font) DeleteObject(e.link_font);
    e.font = CreateFontIndirectA(&lf);
    lf.lfUnderline = TRUE;
    e.link_font = CreateFontIndirectA(&lf);
}

bool is_word_byte(unsigned char ch) { return std::isalnum(ch) || ch == '_'; }

const std::set<std::string>& keywords() {
    static const std::set<std::string> k = {
        "and",    "array", "begin",  "break", "case",   "char",  "class",  "const",    "continue", "default",
        "do",     "double", "else",  "end",   "enum",   "false", "float",  "for",      "function", "goto",
        "if",     "int",   "long",   "not",   "or",     "procedure", "program", "record", "repeat", "return",
        "short",  "static", "string", "struct", "switch", "then", "to",    "true",     "type",     "until",
        "var",    "void",  "while",  "with",
    };
    return k;
}

void paint(HWND win, FieldEdit& e, HDC dc) {
    relayout(win, e);
    RECT c;
    GetClientRect(win, &c);
    const std::string& t = e.model.text();
    const size_t a = e.model.sel_start(), b = e.model.sel_end();
    HGDIOBJ old = SelectObject(dc, e.font);
    const COLORREF bg = GetSysColor(e.read_only ? COLOR_3DFACE : COLOR_WINDOW), fg = GetSysColor(COLOR_WINDOWTEXT);
    const COLORREF sel_bg = GetSysColor(COLOR_HIGHLIGHT), sel_fg = GetSysColor(COLOR_HIGHLIGHTTEXT);
    const COLORREF link = RGB(0, 0, 192), kw = RGB(0, 0, 160);
    HBRUSH bgb = CreateSolidBrush(bg);
    FillRect(dc, &c, bgb);
    DeleteObject(bgb);
    SetBkMode(dc, OPAQUE);
    const int rows = visible_rows(win, e) + 1;
    const size_t nrows = e.layout.starts.size();
    for (int k = 0; k < rows; ++k) {
        size_t r = static_cast<size_t>(e.top_row + k);
        if (r >= nrows) break;
        const int y = k * e.line_h;
        size_t s = e.layout.starts[r], end = e.layout.row_end(t, r);
        // Field state at the row start.
        bool field = e.layout.starts_hidden[r] != 0, hidden = (e.layout.starts_hidden[r] & 1) != 0;
        int x = kMargin - e.left_x;
        size_t i = s;
        size_t kw_end = 0;
        while (i < end) {
            char ch = t[i];
            if (ch == kFieldStart) { field = true; hidden = false; ++i; continue; }
            if (ch == kFieldSep && field) { hidden = true; ++i; continue; }
            if (ch == kFieldEnd && field) { field = hidden = false; ++i; continue; }
            if (hidden || ch == kFieldStart || ch == kFieldSep || ch == kFieldEnd) { ++i; continue; }
            // A run of shown characters with one look.
            const bool selected = i >= a && i < b;
            bool is_kw = false;
            if (e.keywords && !field) {
                if (i < kw_end) is_kw = true;
                else if (is_word_byte(static_cast<unsigned char>(ch)) && (i == 0 || !is_word_byte(static_cast<unsigned char>(t[i - 1])))) {
                    size_t j = i;
                    while (j < end && is_word_byte(static_cast<unsigned char>(t[j]))) ++j;
                    std::string w = t.substr(i, j - i);
                    for (char& cc : w) cc = static_cast<char>(std::tolower(static_cast<unsigned char>(cc)));
                    if (keywords().count(w)) { is_kw = true; kw_end = j; }
                }
            }
            size_t j = i;
            std::string run;
            while (j < end) {
                char cj = t[j];
                if (cj == kFieldStart || cj == kFieldSep || cj == kFieldEnd || cj == '\t') break;
                if ((j >= a && j < b) != selected) break;
                if (e.keywords && !field && ((j < kw_end) != is_kw)) break;
                run += cj;
                ++j;
            }
            if (ch == '\t') {
                int w = e.tab - (x - kMargin + e.left_x) % e.tab;
                if (selected) {
                    RECT tr{x, y, x + w, y + e.line_h};
                    HBRUSH sb = CreateSolidBrush(sel_bg);
                    FillRect(dc, &tr, sb);
                    DeleteObject(sb);
                }
                x += w;
                ++i;
                continue;
            }
            SelectObject(dc, field ? e.link_font : e.font);
            SetTextColor(dc, selected ? sel_fg : field ? link : is_kw ? kw : fg);
            SetBkColor(dc, selected ? sel_bg : bg);
            int w = 0;
            for (char cc : run) w += e.widths[static_cast<unsigned char>(cc)];
            if (x + w >= 0 && x < c.right) TextOutA(dc, x, y, run.data(), static_cast<int>(run.size()));
            x += w;
            i = j;
        }
        // A selected line end shows as a little block.
        size_t next = r + 1 < nrows ? e.layout.starts[r + 1] : t.size();
        if (end < next && end >= a && end < b) {
            RECT tr{x, y, x + 6, y + e.line_h};
            HBRUSH sb = CreateSolidBrush(sel_bg);
            FillRect(dc, &tr, sb);
            DeleteObject(sb);
        }
    }
    SelectObject(dc, old);
}

void on_paint(HWND win, FieldEdit& e) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(win, &ps);
    RECT c;
    GetClientRect(win, &c);
    // Double-buffered: no flicker while typing.
    HDC mem = CreateCompatibleDC(dc);
    HBITMAP bmp = CreateCompatibleBitmap(dc, std::max(1L, c.right), std::max(1L, c.bottom));
    HGDIOBJ ob = SelectObject(mem, bmp);
    paint(win, e, mem);
    BitBlt(dc, 0, 0, c.right, c.bottom, mem, 0, 0, SRCCOPY);
    SelectObject(mem, ob);
    DeleteObject(bmp);
    DeleteDC(mem);
    EndPaint(win, &ps);
}

void move_caret(HWND win, FieldEdit& e, size_t c, bool extend) {
    e.model.set_caret(c, extend);
    refresh(win, e);
}

// The caret on row r at the caret's present x (up, down, page keys).
size_t caret_on_row(HWND win, FieldEdit& e, int r) {
    relayout(win, e);
    int rows = static_cast<int>(e.layout.starts.size());
    r = std::clamp(r, 0, rows - 1);
    int x = layout_x(e.model.text(), e.layout, e.model.caret(), e.widths, e.tab);
    return layout_hit(e.model.text(), e.layout, static_cast<size_t>(r), x, e.widths, e.tab);
}

void type(HWND win, FieldEdit& e, const std::string& s) {
    if (e.read_only) {
        MessageBeep(0);
        return;
    }
    e.model.insert_text(s, true);
    refresh(win, e);
}

bool on_key(HWND win, FieldEdit& e, UINT vk) {
    const bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
    TextModel& m = e.model;
    relayout(win, e);
    const int row = static_cast<int>(e.layout.row_of(m.caret()));
    switch (vk) {
    case VK_LEFT: move_caret(win, e, ctrl ? m.word_left(m.caret()) : !shift && m.has_selection() ? m.sel_start() : m.prev_stop(m.caret()), shift); return true;
    case VK_RIGHT: move_caret(win, e, ctrl ? m.word_right(m.caret()) : !shift && m.has_selection() ? m.sel_end() : m.next_stop(m.caret()), shift); return true;
    case VK_UP: move_caret(win, e, row == 0 ? 0 : caret_on_row(win, e, row - 1), shift); return true;
    case VK_DOWN:
        move_caret(win, e, row + 1 >= static_cast<int>(e.layout.starts.size()) ? m.size() : caret_on_row(win, e, row + 1), shift);
        return true;
    case VK_PRIOR: case VK_NEXT: {
        int page = std::max(1, visible_rows(win, e) - 1) * (vk == VK_PRIOR ? -1 : 1);
        size_t c = caret_on_row(win, e, row + page);
        e.top_row = std::clamp(e.top_row + page, 0, std::max(0, static_cast<int>(e.layout.starts.size()) - 1));
        move_caret(win, e, c, shift);
        return true;
    }
    case VK_HOME: move_caret(win, e, ctrl ? 0 : e.layout.starts[static_cast<size_t>(row)], shift); return true;
    case VK_END: move_caret(win, e, ctrl ? m.size() : e.layout.row_end(m.text(), static_cast<size_t>(row)), shift); return true;
    case VK_DELETE:
        if (shift) fe_cut(win);
        else fe_delete(win);
        return true;
    case VK_INSERT:
        if (ctrl) fe_copy(win);
        else if (shift) fe_paste(win);
        return true;
    default: break;
    }
    if (ctrl) {
        switch (vk) {
        case 'A': fe_select_all(win); return true;
        case 'C': fe_copy(win); return true;
        case 'X': fe_cut(win); return true;
        case 'V': fe_paste(win); return true;
        case 'Z': fe_undo(win); return true;
        case 'Y': fe_redo(win); return true;
        default: break;
        }
    }
    return false;
}

void on_char(HWND win, FieldEdit& e, unsigned char ch) {
    if (ch == '\b') {
        if (e.read_only) return;
        e.model.delete_back();
        refresh(win, e);
        return;
    }
    if (ch == '\r') return type(win, e, "\r\n");
    if (ch == '\t') return type(win, e, "\t");
    if (ch < 32) return;  // control characters, field markers among them, are never typed
    type(win, e, std::string(1, static_cast<char>(ch)));
}

void on_scroll(HWND win, FieldEdit& e, int bar, int code) {
    if (bar == SB_VERT) {
        int rows = static_cast<int>(e.layout.starts.size()), page = visible_rows(win, e);
        int pos = e.top_row;
        SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
        GetScrollInfo(win, SB_VERT, &si);
        switch (code) {
        case SB_LINEUP: --pos; break;
        case SB_LINEDOWN: ++pos; break;
        case SB_PAGEUP: pos -= page; break;
        case SB_PAGEDOWN: pos += page; break;
        case SB_THUMBTRACK: case SB_THUMBPOSITION: pos = si.nTrackPos; break;
        case SB_TOP: pos = 0; break;
        case SB_BOTTOM: pos = rows; break;
        default: return;
        }
        e.top_row = std::clamp(pos, 0, std::max(0, rows - page));
    } else {
        int pos = e.left_x;
        SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
        GetScrollInfo(win, SB_HORZ, &si);
        switch (code) {
        case SB_LINELEFT: pos -= 16; break;
        case SB_LINERIGHT: pos += 16; break;
        case SB_PAGELEFT: pos -= 200; break;
        case SB_PAGERIGHT: pos += 200; break;
        case SB_THUMBTRACK: case SB_THUMBPOSITION: pos = si.nTrackPos; break;
        default: return;
        }
        RECT c;
        GetClientRect(win, &c);
        e.left_x = std::clamp(pos, 0, std::max(0, e.widest + 2 * kMargin + 1 - static_cast<int>(c.right)));
    }
    update_scrollbars(win, e);
    InvalidateRect(win, nullptr, FALSE);
    place_caret(win, e);
}

void do_find(HWND win, FieldEdit& e, const FINDREPLACEA& fr) {
    e.searched = true;
    TextModel& m = e.model;
    const bool down = fr.Flags & FR_DOWN, mc = fr.Flags & FR_MATCHCASE, whole = fr.Flags & FR_WHOLEWORD;
    if (fr.Flags & FR_REPLACEALL) {
        if (e.read_only) return;
        size_t n = m.replace_all(fr.lpstrFindWhat, fr.lpstrReplaceWith ? fr.lpstrReplaceWith : "", mc, whole);
        refresh(win, e);
        if (n == 0) MessageBoxA(fr.hwndOwner, (std::string("Cannot find \"") + fr.lpstrFindWhat + "\"").c_str(), "Find",
                               MB_OK | MB_ICONINFORMATION);
        return;
    }
    if ((fr.Flags & FR_REPLACE) && !e.read_only && m.has_selection()) {
        // Replace the current match, then find the next.
        std::string sel = m.selection(), what = fr.lpstrFindWhat;
        bool same = mc ? sel == what : lstrcmpiA(sel.c_str(), what.c_str()) == 0;
        if (same) {
            m.insert_text(fr.lpstrReplaceWith ? fr.lpstrReplaceWith : "");
        }
    }
    size_t from = down ? m.sel_end() : m.sel_start();
    if (down && !m.has_selection() && false) from = m.caret();
    auto p = m.find(fr.lpstrFindWhat, from, down, mc, whole);
    if (!p) {
        MessageBoxA(e.find_dlg ? e.find_dlg : win, (std::string("Cannot find \"") + fr.lpstrFindWhat + "\"").c_str(),
                    "Find", MB_OK | MB_ICONINFORMATION);
        return;
    }
    m.select(*p, *p + std::strlen(fr.lpstrFindWhat));
    refresh(win, e);
}

LRESULT CALLBACK fe_proc(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    FieldEdit* ep = reinterpret_cast<FieldEdit*>(GetWindowLongPtrA(win, 0));
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        SetWindowLongPtrA(win, 0, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        return DefWindowProcA(win, msg, wp, lp);
    }
    if (!ep) return DefWindowProcA(win, msg, wp, lp);
    if (ep->handler) {
        LRESULT r = 0;
        if (ep->handler(win, msg, wp, lp, &r)) return r;
    }
    // The handler may have destroyed the window.
    ep = reinterpret_cast<FieldEdit*>(GetWindowLongPtrA(win, 0));
    if (!ep) return DefWindowProcA(win, msg, wp, lp);
    FieldEdit& e = *ep;
    if (msg == find_msg_ && find_msg_) {
        auto* fr = reinterpret_cast<FINDREPLACEA*>(lp);
        if (fr->Flags & FR_DIALOGTERM) {
            for (size_t k = 0; k < modelessdlg_inst_.size(); ++k)
                if (modelessdlg_inst_[k].win == e.find_dlg) modelessdlg_inst_.erase(modelessdlg_inst_.begin() + static_cast<long>(k));
            e.find_dlg = nullptr;
            return 0;
        }
        do_find(win, e, *fr);
        return 0;
    }
    switch (msg) {
    case WM_PAINT: on_paint(win, e); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_SIZE:
        e.laid_out = ~0ull;
        relayout(win, e);
        update_scrollbars(win, e);
        InvalidateRect(win, nullptr, FALSE);
        break;
    case WM_SETFOCUS:
        e.focused = true;
        CreateCaret(win, nullptr, 2, e.line_h);
        place_caret(win, e);
        ShowCaret(win);
        return 0;
    case WM_KILLFOCUS:
        e.focused = false;
        DestroyCaret();
        return 0;
    case WM_LBUTTONDOWN: {
        SetFocus(win);
        size_t c = fe_hit(win, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        move_caret(win, e, c, (wp & MK_SHIFT) != 0);
        e.dragging = true;
        SetCapture(win);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (e.dragging && GetCapture() == win) {
            size_t c = fe_hit(win, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
            if (c != e.model.caret()) move_caret(win, e, c, true);
        }
        return 0;
    case WM_LBUTTONUP:
        e.dragging = false;
        if (GetCapture() == win) ReleaseCapture();
        return 0;
    case WM_CAPTURECHANGED: e.dragging = false; return 0;
    case WM_LBUTTONDBLCLK: {
        size_t c = fe_hit(win, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        if (auto w = e.model.word_at(c)) {
            e.model.select(w->first, w->second);
            refresh(win, e);
        }
        return 0;
    }
    case WM_MOUSEWHEEL: {
        int d = GET_WHEEL_DELTA_WPARAM(wp);
        for (int k = 0; k < 3; ++k) on_scroll(win, e, SB_VERT, d > 0 ? SB_LINEUP : SB_LINEDOWN);
        return 0;
    }
    case WM_VSCROLL: on_scroll(win, e, SB_VERT, LOWORD(wp)); return 0;
    case WM_HSCROLL: on_scroll(win, e, SB_HORZ, LOWORD(wp)); return 0;
    case WM_KEYDOWN:
        if (on_key(win, e, static_cast<UINT>(wp))) return 0;
        break;
    case WM_CHAR: on_char(win, e, static_cast<unsigned char>(wp)); return 0;
    case WM_GETDLGCODE: return DLGC_WANTALLKEYS | DLGC_WANTCHARS | DLGC_WANTARROWS | DLGC_WANTTAB;
    case WM_GETTEXTLENGTH: return static_cast<LRESULT>(e.model.size());
    case WM_SETTEXT:
        if (!e.text_is_content) break;
        e.model.set_text(lp ? reinterpret_cast<const char*>(lp) : "");
        e.top_row = e.left_x = 0;
        refresh(win, e);
        return TRUE;
    case WM_GETTEXT: {
        if (!e.text_is_content) break;
        if (wp == 0 || !lp) return 0;
        size_t n = std::min(e.model.size(), static_cast<size_t>(wp) - 1);
        std::memcpy(reinterpret_cast<char*>(lp), e.model.text().data(), n);
        reinterpret_cast<char*>(lp)[n] = '\0';
        return static_cast<LRESULT>(n);
    }
    case EM_GETSEL: {
        auto a = static_cast<DWORD>(e.model.sel_start()), b = static_cast<DWORD>(e.model.sel_end());
        if (wp) *reinterpret_cast<DWORD*>(wp) = a;
        if (lp) *reinterpret_cast<DWORD*>(lp) = b;
        return a > 0xFFFF || b > 0xFFFF ? -1 : MAKELRESULT(a, b);
    }
    case EM_SETSEL: {
        // A start of -1 only drops the selection; an end of -1 is the end of the text.
        const auto start = static_cast<int>(wp), end = static_cast<int>(lp);
        if (start < 0) e.model.set_caret(e.model.caret());
        else e.model.select(static_cast<size_t>(start), end < 0 ? e.model.size() : static_cast<size_t>(end));
        InvalidateRect(win, nullptr, FALSE);
        place_caret(win, e);
        return 0;
    }
    case EM_SCROLLCARET: refresh(win, e); return TRUE;
    case EM_GETLINECOUNT: relayout(win, e); return static_cast<LRESULT>(e.layout.starts.size());
    case WM_COPY: fe_copy(win); return 0;
    case WM_CUT: fe_cut(win); return 0;
    case WM_PASTE: fe_paste(win); return 0;
    case WM_SETFONT: {
        LOGFONTA lf{};
        if (!wp || !GetObjectA(reinterpret_cast<HFONT>(wp), sizeof lf, &lf)) return 0;
        set_font(e, lf);
        measure(win, e);
        if (lp) refresh(win, e);
        return 0;
    }
    case WM_NCDESTROY: {
        if (e.find_dlg && IsWindow(e.find_dlg)) DestroyWindow(e.find_dlg);
        for (size_t k = 0; k < modelessdlg_inst_.size(); ++k)
            if (modelessdlg_inst_[k].win == e.find_dlg) modelessdlg_inst_.erase(modelessdlg_inst_.begin() + static_cast<long>(k));
        DeleteObject(e.font);
        DeleteObject(e.link_font);
        SetWindowLongPtrA(win, 0, 0);
        delete ep;
        break;
    }
    default: break;
    }
    return DefWindowProcA(win, msg, wp, lp);
}

void register_class() {
    static bool done = false;
    if (done) return;
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = trap_wnd<fe_proc>;
    wc.cbWndExtra = sizeof(void*);
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = util_system_cursor(IDC_IBEAM);
    wc.lpszClassName = kFieldEditClass;
    RegisterClassA(&wc);
    find_msg_ = RegisterWindowMessageA(FINDMSGSTRINGA);
    clip_format_ = RegisterClipboardFormatA("Vorn Hypertext");
    done = true;
}

}  // namespace

HWND fe_create(const FieldEditCreate& c) {
    register_class();
    auto* e = new FieldEdit;
    e->model.set_text(c.text);
    e->handler = c.handler;
    e->read_only = c.read_only;
    e->wrap = c.wrap;
    e->keywords = c.keywords;
    e->text_is_content = c.text_is_content;
    set_font(*e, c.font);
    HWND win = CreateWindowExA(WS_EX_CLIENTEDGE, kFieldEditClass, c.title.c_str(), c.style | WS_VSCROLL | WS_HSCROLL,
                               c.rect.left, c.rect.top, c.rect.right - c.rect.left, c.rect.bottom - c.rect.top, c.parent,
                               nullptr, GetModuleHandleA(nullptr), e);
    if (!win) {
        DeleteObject(e->font);
        DeleteObject(e->link_font);
        delete e;
        return nullptr;
    }
    measure(win, *e);
    relayout(win, *e);
    update_scrollbars(win, *e);
    return win;
}

TextModel* fe_model(HWND win) {
    FieldEdit* e = get(win);
    return e ? &e->model : nullptr;
}

void fe_changed(HWND win) {
    if (FieldEdit* e = get(win)) refresh(win, *e);
}

void fe_set_wrap(HWND win, bool wrap) {
    if (FieldEdit* e = get(win)) {
        e->wrap = wrap;
        e->left_x = 0;
        refresh(win, *e);
    }
}

bool fe_read_only(HWND win) {
    FieldEdit* e = get(win);
    return e && e->read_only;
}

void fe_copy(HWND win) {
    FieldEdit* e = get(win);
    if (!e || !e->model.has_selection() || !OpenClipboard(win)) return;
    EmptyClipboard();
    auto put = [](UINT fmt, const std::string& s) {
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, s.size() + 1);
        if (!h) return;
        std::memcpy(GlobalLock(h), s.c_str(), s.size() + 1);
        GlobalUnlock(h);
        if (!SetClipboardData(fmt, h)) GlobalFree(h);
    };
    std::string sel = e->model.selection();
    put(CF_TEXT, strip_fields(sel));
    // Our own windows get the fields back.
    if (clip_format_ && sel != strip_fields(sel)) put(clip_format_, sel);
    CloseClipboard();
}

void fe_cut(HWND win) {
    FieldEdit* e = get(win);
    if (!e || e->read_only || !e->model.has_selection()) return;
    fe_copy(win);
    e->model.insert_text("");
    refresh(win, *e);
}

bool fe_clipboard_has_text() { return IsClipboardFormatAvailable(CF_TEXT) != 0; }

void fe_paste(HWND win) {
    FieldEdit* e = get(win);
    if (!e || e->read_only || !OpenClipboard(win)) return;
    std::string s;
    UINT fmt = clip_format_ && IsClipboardFormatAvailable(clip_format_) ? clip_format_ : CF_TEXT;
    if (HANDLE h = GetClipboardData(fmt)) {
        if (const char* p = static_cast<const char*>(GlobalLock(h))) {
            s.assign(p, strnlen(p, GlobalSize(h)));
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    if (s.empty()) return;
    e->model.insert_text(s);
    refresh(win, *e);
}

void fe_delete(HWND win) {
    FieldEdit* e = get(win);
    if (!e || e->read_only) return;
    e->model.delete_forward();
    refresh(win, *e);
}

void fe_undo(HWND win) {
    if (FieldEdit* e = get(win); e && !e->read_only && e->model.undo()) refresh(win, *e);
}

void fe_redo(HWND win) {
    if (FieldEdit* e = get(win); e && !e->read_only && e->model.redo()) refresh(win, *e);
}

void fe_select_all(HWND win) {
    if (FieldEdit* e = get(win)) {
        e->model.select(0, e->model.size());
        refresh(win, *e);
    }
}

void fe_insert(HWND win, const std::string& s) {
    if (FieldEdit* e = get(win); e && !e->read_only) {
        e->model.insert_text(s);
        refresh(win, *e);
    }
}

void fe_find_dialog(HWND win, bool replace) {
    FieldEdit* e = get(win);
    if (!e) return;
    if (e->find_dlg && IsWindow(e->find_dlg)) DestroyWindow(e->find_dlg);
    if (e->model.has_selection() && e->model.sel_end() - e->model.sel_start() < sizeof e->find_what - 1) {
        std::string sel = strip_fields(e->model.selection());
        if (sel.find('\n') == std::string::npos) lstrcpynA(e->find_what, sel.c_str(), sizeof e->find_what);
    }
    e->fr = {};
    e->fr.lStructSize = sizeof e->fr;
    e->fr.hwndOwner = win;
    e->fr.Flags = FR_DOWN;
    e->fr.lpstrFindWhat = e->find_what;
    e->fr.wFindWhatLen = sizeof e->find_what;
    e->fr.lpstrReplaceWith = e->replace_with;
    e->fr.wReplaceWithLen = sizeof e->replace_with;
    e->find_dlg = replace ? ReplaceTextA(&e->fr) : FindTextA(&e->fr);
    if (e->find_dlg) modelessdlg_inst_.push_back({e->find_dlg, replace ? 1 : 0});
}

void fe_find_next(HWND win) {
    FieldEdit* e = get(win);
    if (!e) return;
    if (!e->searched || !e->find_what[0]) return fe_find_dialog(win, false);
    FINDREPLACEA fr = e->fr;
    fr.Flags &= ~static_cast<DWORD>(FR_REPLACE | FR_REPLACEALL);
    fr.Flags |= FR_FINDNEXT;
    do_find(win, *e, fr);
}

std::pair<size_t, size_t> fe_row_col(HWND win) {
    FieldEdit* e = get(win);
    if (!e) return {1, 1};
    auto [r, c] = e->model.row_col(e->model.caret());
    return {r + 1, c + 1};
}

size_t fe_hit(HWND win, int x, int y) {
    FieldEdit* e = get(win);
    if (!e) return 0;
    relayout(win, *e);
    int r = e->top_row + (y < 0 ? -1 : y / e->line_h);
    if (r < 0) return 0;
    if (r >= static_cast<int>(e->layout.starts.size())) return e->model.size();
    return layout_hit(e->model.text(), e->layout, static_cast<size_t>(r), x - kMargin + e->left_x, e->widths, e->tab);
}

POINT fe_point_of(HWND win, size_t c) {
    FieldEdit* e = get(win);
    if (!e) return {0, 0};
    relayout(win, *e);
    int r = static_cast<int>(e->layout.row_of(std::min(c, e->model.size())));
    int x = layout_x(e->model.text(), e->layout, c, e->widths, e->tab);
    return {kMargin + x - e->left_x, (r - e->top_row) * e->line_h};
}

int fe_row_height(HWND win) {
    FieldEdit* e = get(win);
    return e ? e->line_h : 0;
}

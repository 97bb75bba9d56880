#include "base/tip_win.h"

#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/trap_win.h"
#include "base/util_win.h"
#include "resources/ids.h"

namespace {

constexpr UINT_PTR kShowTimer = 1, kWatchTimer = 2;
constexpr UINT kShowDelayMs = 400, kWatchMs = 150;
const char kTipClass[] = "vorn_tip";

struct Pending {
    RECT area{};
    std::string title, text;
    bool armed = false;
} pending_;
bool suspended_ = false;
bool shown_ = false;

LRESULT CALLBACK tip_win_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);

HWND tip_window() {
    if (tip_inst_ && IsWindow(tip_inst_)) return tip_inst_;
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = trap_wnd<tip_win_eh>;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = util_system_cursor(IDC_ARROW);
        wc.hbrBackground = GetSysColorBrush(COLOR_INFOBK);
        wc.lpszClassName = kTipClass;
        wc.style = CS_SAVEBITS;
        RegisterClassA(&wc);
        registered = true;
    }
    tip_inst_ = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kTipClass, "", WS_POPUP | WS_BORDER, 0, 0, 10, 10,
                                main_inst_, nullptr, GetModuleHandleA(nullptr), nullptr);
    return tip_inst_;
}

HFONT tip_font(bool bold) {
    static HFONT normal = nullptr, heavy = nullptr;
    HFONT& f = bold ? heavy : normal;
    if (!f)
        f = CreateFontA(-12, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
    return f;
}

SIZE text_extent(HDC dc, const std::string& s, bool bold, RECT* out) {
    RECT r{0, 0, 320, 0};
    HGDIOBJ old = SelectObject(dc, tip_font(bold));
    DrawTextA(dc, s.c_str(), static_cast<int>(s.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    if (out) *out = r;
    return {r.right - r.left, r.bottom - r.top};
}

void show_now() {
    HWND w = tip_window();
    if (!w) return;
    POINT cur;
    GetCursorPos(&cur);
    if (!PtInRect(&pending_.area, cur)) return;
    HDC dc = GetDC(w);
    SIZE t = pending_.title.empty() ? SIZE{0, 0} : text_extent(dc, pending_.title, true, nullptr);
    SIZE b = pending_.text.empty() ? SIZE{0, 0} : text_extent(dc, pending_.text, false, nullptr);
    ReleaseDC(w, dc);
    int width = (t.cx > b.cx ? t.cx : b.cx) + 10, height = t.cy + b.cy + 8;
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    int x = cur.x + 2, y = pending_.area.bottom + 2;
    if (y + height > work.bottom) y = pending_.area.top - height - 2;
    if (x + width > work.right) x = work.right - width;
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
    SetWindowPos(w, HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(w, nullptr, TRUE);
    shown_ = true;
    SetTimer(w, kWatchTimer, kWatchMs, nullptr);
}

void paint(HWND w) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
    RECT r;
    int y = 4;
    if (!pending_.title.empty()) {
        SIZE s = text_extent(dc, pending_.title, true, &r);
        OffsetRect(&r, 5, y);
        HGDIOBJ old = SelectObject(dc, tip_font(true));
        DrawTextA(dc, pending_.title.c_str(), -1, &r, DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old);
        y += s.cy;
    }
    if (!pending_.text.empty()) {
        text_extent(dc, pending_.text, false, &r);
        OffsetRect(&r, 5, y);
        HGDIOBJ old = SelectObject(dc, tip_font(false));
        DrawTextA(dc, pending_.text.c_str(), -1, &r, DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old);
    }
    EndPaint(w, &ps);
}

LRESULT CALLBACK tip_win_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_TIMER:
        if (wp == kShowTimer) {
            KillTimer(win, kShowTimer);
            pending_.armed = false;
            show_now();
        } else if (wp == kWatchTimer) {
            POINT cur;
            GetCursorPos(&cur);
            if (!PtInRect(&pending_.area, cur)) tip_hide();
        }
        return 0;
    case WM_PAINT: paint(win); return 0;
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_NCHITTEST: return HTTRANSPARENT;
    case WM_DESTROY:
        if (tip_inst_ == win) tip_inst_ = nullptr;
        shown_ = pending_.armed = false;
        return 0;
    }
    return DefWindowProcA(win, msg, wp, lp);
}

}  // namespace

void tip_request(const RECT& screen_area, const std::string& title, const std::string& text) {
    tip_hide();
    if (suspended_ || menu_checked(CMD_SLIDESHOW) || !tip_prefs_get().a) return;
    HWND w = tip_window();
    if (!w) return;
    pending_.area = screen_area;
    pending_.title = title;
    pending_.text = text;
    pending_.armed = true;
    SetTimer(w, kShowTimer, kShowDelayMs, nullptr);
}

void tip_hide() {
    if (tip_inst_ && IsWindow(tip_inst_)) {
        KillTimer(tip_inst_, kShowTimer);
        KillTimer(tip_inst_, kWatchTimer);
        if (shown_) ShowWindow(tip_inst_, SW_HIDE);
    }
    shown_ = pending_.armed = false;
}

void tip_suspend() {
    suspended_ = true;
    tip_hide();
}

void tip_resume() { suspended_ = false; }
bool tip_visible() { return shown_; }
bool tip_pending() { return pending_.armed; }

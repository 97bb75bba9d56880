#include "services/about_win.h"

#include <string>

#include <algorithm>

#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/trap_win.h"
#include "base/util_win.h"

namespace {

constexpr char kClass[] = "VornAbout";
constexpr char kPicture[] = "about.bmp";
constexpr COLORREF kBand = RGB(28, 78, 112);
constexpr COLORREF kCorner = RGB(240, 176, 48);
constexpr int kAboutDlgId = 11015;  // its entry among the modeless windows

HWND about_ = nullptr;

struct AboutState {
    HFONT small = nullptr, big = nullptr;
    bool told = false;  // the missing picture is reported once, not on every repaint
};

HFONT font_of_size(HWND win, int points, int weight) {
    HDC dc = GetDC(win);
    int h = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(win, dc);
    return CreateFontA(h, 0, 0, 0, weight, 0, 0, 0, DEFAULT_CHARSET, 0, 0, CLEARTYPE_QUALITY, 0, "Arial");
}

void fill(HDC dc, int l, int t, int r, int b, COLORREF c) {
    RECT rc{l, t, r, b};
    HBRUSH br = CreateSolidBrush(c);
    FillRect(dc, &rc, br);
    DeleteObject(br);
}

void paint(HWND win, HDC dc, AboutState& s) {
    std::string path = file_progdir_path(kPicture);
    auto bmp = static_cast<HBITMAP>(LoadImageA(nullptr, path.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE));
    if (bmp) {
        BITMAP bm{};
        GetObjectA(bmp, sizeof bm, &bm);
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, bmp);
        BitBlt(dc, 55, 110, bm.bmWidth, bm.bmHeight, mem, 0, 0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
        DeleteObject(bmp);
    } else if (!s.told) {
        s.told = true;
        PostMessageA(win, WM_APP, 0, 0);
    }
    fill(dc, 0, 0, 55, 55, kCorner);
    fill(dc, 0, 55, 55, 318, kBand);
    fill(dc, 0, 316, 269, 356, kBand);
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, s.big);
    SetTextColor(dc, kBand);
    TextOutA(dc, 64, 14, "Vorn", 4);
    TextOutA(dc, 140, 58, "Rel 3.2", 7);
    SelectObject(dc, s.small);
    SetTextColor(dc, RGB(255, 255, 255));
    std::string built = std::string("Built ") + __DATE__;
    TextOutA(dc, 8, 328, built.c_str(), static_cast<int>(built.size()));
    SelectObject(dc, old);
}

LRESULT CALLBACK about_proc(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    auto* s = reinterpret_cast<AboutState*>(GetWindowLongPtrA(win, GWLP_USERDATA));
    switch (msg) {
    case WM_CREATE: {
        s = new AboutState;
        SetWindowLongPtrA(win, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));
        s->small = font_of_size(win, 8, FW_NORMAL);
        s->big = font_of_size(win, 20, FW_BOLD);
        HWND ok = CreateWindowExA(0, "BUTTON", "O K", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 207, 325,
                                  53, 22, win, reinterpret_cast<HMENU>(IDOK), GetModuleHandleA(nullptr), nullptr);
        SendMessageA(ok, WM_SETFONT, reinterpret_cast<WPARAM>(s->small), FALSE);
        SendMessageA(win, WM_SETFONT, reinterpret_cast<WPARAM>(s->big), FALSE);
        return 0;
    }
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL) DestroyWindow(win);
        return 0;
    // Listed with the modeless dialogs, the main loop's dialog keys reach it: Enter presses
    // the default button, Esc sends IDCANCEL.
    case DM_GETDEFID: return MAKELRESULT(IDOK, DC_HASDEFID);
    case WM_KEYDOWN:
        if (wp == VK_ESCAPE || wp == VK_RETURN) DestroyWindow(win);
        return 0;
    case WM_DESTROY:
        modelessdlg_inst_.erase(std::remove_if(modelessdlg_inst_.begin(), modelessdlg_inst_.end(),
                                               [&](const DlgInst& d) { return d.win == win; }),
                                modelessdlg_inst_.end());
        if (about_ == win) about_ = nullptr;
        return 0;
    case WM_APP: {
        std::string path = file_progdir_path(kPicture);
        msg_error("Cannot display " + path);
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(win, &ps);
        if (s) paint(win, dc, *s);
        EndPaint(win, &ps);
        return 0;
    }
    case WM_NCDESTROY:
        if (s) {
            DeleteObject(s->small);
            DeleteObject(s->big);
            delete s;
            SetWindowLongPtrA(win, GWLP_USERDATA, 0);
        }
        break;
    }
    return DefWindowProcA(win, msg, wp, lp);
}

}  // namespace

HWND about_window(HWND parent) {
    if (about_ && IsWindow(about_)) {
        SetForegroundWindow(about_);
        SetWindowPos(about_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        SetFocus(GetDlgItem(about_, IDOK));
        return about_;
    }
    static bool registered = false;
    if (!registered) {
        registered = true;
        WNDCLASSA wc{};
        wc.lpfnWndProc = trap_wnd<about_proc>;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = util_system_cursor(IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
        wc.lpszClassName = kClass;
        RegisterClassA(&wc);
    }
    // The picture, bands and button are placed in a 269 x 356 area; the frame goes around it.
    DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, ex = WS_EX_DLGMODALFRAME;
    RECT r{0, 0, 269, 356};
    AdjustWindowRectEx(&r, style, FALSE, ex);
    HWND w = CreateWindowExA(ex, kClass, "About", style, 200, 31, r.right - r.left, r.bottom - r.top, parent, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    if (w) {
        about_ = w;
        modelessdlg_inst_.push_back({w, kAboutDlgId});
        SetFocus(GetDlgItem(w, IDOK));
    }
    return w;
}

#include "bars/bars_win.h"

#include <exception>
#include <map>
#include <string>

#include "base/error.h"
#include "base/globals_win.h"
#include "base/tip_win.h"
#include "base/util_win.h"

HINSTANCE bars_instance() { return app_inst_ ? app_inst_ : GetModuleHandleA(nullptr); }

void bars_fill(HDC dc, const RECT& r, COLORREF c) {
    HBRUSH b = CreateSolidBrush(c);
    FillRect(dc, &r, b);
    DeleteObject(b);
}

namespace {
struct Face {
    const BITMAPINFO* info = nullptr;
    const void* bits = nullptr;
};

// A button face straight from the program's resources: no bitmap object, no memory DC, nothing
// to load or free.
Face face(int id) {
    static std::map<int, Face> faces;
    auto it = faces.find(id);
    if (it != faces.end()) return it->second;
    Face f;
    HINSTANCE inst = bars_instance();
    HRSRC r = FindResourceA(inst, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(2));  // RT_BITMAP
    HGLOBAL g = r ? LoadResource(inst, r) : nullptr;
    const auto* info = g ? static_cast<const BITMAPINFO*>(LockResource(g)) : nullptr;
    const DWORD size = r ? SizeofResource(inst, r) : 0;
    if (info && size >= sizeof(BITMAPINFOHEADER) && info->bmiHeader.biSize >= sizeof(BITMAPINFOHEADER) &&
        info->bmiHeader.biSize < size) {
        const BITMAPINFOHEADER& h = info->bmiHeader;
        DWORD colours = h.biClrUsed ? h.biClrUsed : h.biBitCount <= 8 ? 1u << h.biBitCount : 0;
        if (h.biCompression == BI_BITFIELDS && h.biSize == sizeof(BITMAPINFOHEADER)) colours = 3;
        const size_t offset = h.biSize + colours * sizeof(RGBQUAD);
        if (offset < size) f = {info, reinterpret_cast<const BYTE*>(info) + offset};
    }
    return faces[id] = f;
}

void hline(HDC dc, int x1, int x2, int y, COLORREF c) {
    RECT r = {x1, y, x2, y + 1};
    bars_fill(dc, r, c);
}
void vline(HDC dc, int x, int y1, int y2, COLORREF c) {
    RECT r = {x, y1, x + 1, y2};
    bars_fill(dc, r, c);
}
}  // namespace

bool bars_draw_face(HDC dc, int id, int x, int y, int w, int h) {
    const Face f = face(id);
    if (!f.info) return false;
    const BITMAPINFOHEADER& b = f.info->bmiHeader;
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, x, y, w, h, 0, 0, b.biWidth, b.biHeight < 0 ? -b.biHeight : b.biHeight, f.bits, f.info,
                  DIB_RGB_COLORS, SRCCOPY);
    return true;
}

void bars_edge(HDC dc, const RECT& r, bool sunken) {
    COLORREF tl = sunken ? 0x000000 : 0xFFFFFF, br = sunken ? 0xFFFFFF : 0x808080;
    hline(dc, r.left, r.right, r.top, tl);
    vline(dc, r.left, r.top, r.bottom, tl);
    hline(dc, r.left, r.right, r.bottom - 1, br);
    vline(dc, r.right - 1, r.top, r.bottom, br);
}

HFONT bars_font(HWND win, int points) {
    HDC dc = GetDC(win);
    int h = -MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(win, dc);
    return CreateFontA(h, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "MS Sans Serif");
}

int bars_popup(int id, HWND owner, int x, int y, PopupSource source, void (*prepare)(HMENU)) {
    HMENU m = LoadMenuA(bars_instance(), MAKEINTRESOURCEA(id));
    if (!m) return 0;
    POINT p = {x, y};
    ClientToScreen(owner, &p);
    tip_hide();  // a tooltip left standing would cover the menu
    popup_menu_inst_ = source;
    int cmd = 0;
    if (HMENU sub = GetSubMenu(m, 0)) {
        if (prepare) prepare(sub);
        cmd = TrackPopupMenu(sub, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, p.x,
                             p.y, 0, owner, nullptr);
    }
    popup_menu_inst_.reset();
    DestroyMenu(m);
    return cmd;
}

HWND bars_create_child(const char* cls, WNDPROC eh, const char* title, DWORD style, int x, int y, int w, int h,
                       HWND parent) {
    HINSTANCE inst = bars_instance();
    WNDCLASSA wc = {};
    if (!GetClassInfoA(inst, cls, &wc)) {
        wc.lpfnWndProc = eh;
        wc.hInstance = inst;
        wc.hCursor = util_system_cursor(IDC_ARROW);
        wc.lpszClassName = cls;
        RegisterClassA(&wc);
    }
    return CreateWindowA(cls, title, style, x, y, w, h, parent, nullptr, inst, nullptr);
}

void bars_trap() {
    try {
        throw;
    } catch (const VornDeclined&) {
        // The user said no: nothing to report.
    } catch (const VornError& e) {
        msg_error(e.text.empty() ? "Error " + std::to_string(e.code) : e.text + " ErrNo=" + std::to_string(e.code));
    } catch (const std::exception& e) {
        msg_error(e.what());
    } catch (...) {
        msg_error("Unexpected error");
    }
}

void bars_tip_request(HWND win, RECT area, const std::string& title, const std::string& text) {
    MapWindowPoints(win, nullptr, reinterpret_cast<POINT*>(&area), 2);
    tip_request(area, title, text);
}

BarsViewHooks bars_view_hooks_;

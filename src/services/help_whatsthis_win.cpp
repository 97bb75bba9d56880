#include "services/help_whatsthis_win.h"

#include <windowsx.h>

#include "base/trap_win.h"
#include "base/util_win.h"
#include "resources/ids.h"

namespace {

constexpr char kOldProc[] = "VornWhatsThisProc";
constexpr UINT kWhatsThisItem = 10725;

HWND active_ = nullptr;

// Help on the control under screen point p (the dialog itself between its controls), the way
// F1 asks for it: WM_HELP, which the dialog passes to its owner.
void help_at(HWND dlg, POINT p) {
    POINT c = p;
    ScreenToClient(dlg, &c);
    HWND ctl = RealChildWindowFromPoint(dlg, c);
    if (!ctl || !IsChild(dlg, ctl)) ctl = dlg;
    HELPINFO hi{};
    hi.cbSize = sizeof hi;
    hi.iContextType = HELPINFO_WINDOW;
    hi.iCtrlId = ctl == dlg ? 0 : GetDlgCtrlID(ctl);
    hi.hItemHandle = ctl;
    hi.dwContextId = GetWindowContextHelpId(ctl);
    hi.MousePos = p;
    SendMessageA(ctl, WM_HELP, 0, reinterpret_cast<LPARAM>(&hi));
}

bool offer_whats_this(HWND dlg, HWND ctl, POINT p) {
    HMENU res = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDM_POP_WHATSTHIS));
    if (!res) return false;
    if (p.x == -1 && p.y == -1) {  // from the keyboard: below the control
        RECT r;
        GetWindowRect(ctl, &r);
        p = {r.left + 8, r.bottom};
    }
    UINT cmd = TrackPopupMenu(GetSubMenu(res, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | TPM_NONOTIFY, p.x, p.y, 0,
                              dlg, nullptr);
    DestroyMenu(res);
    if (cmd != kWhatsThisItem) return true;
    RECT r;
    GetWindowRect(ctl, &r);
    help_at(dlg, {(r.left + r.right) / 2, (r.top + r.bottom) / 2});
    return true;
}

LRESULT CALLBACK dialog_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    auto old = reinterpret_cast<WNDPROC>(GetPropA(dlg, kOldProc));
    switch (msg) {
    case WM_NCLBUTTONDOWN:
        if (wp != HTHELP) break;
        help_whatsthis_run(dlg);
        return 0;
    case WM_SYSCOMMAND:
        if ((wp & 0xFFF0) != SC_CONTEXTHELP) break;
        help_whatsthis_run(dlg);
        return 0;
    case WM_CONTEXTMENU: {
        // Edit boxes keep their own menu; other controls offer their help.
        HWND ctl = reinterpret_cast<HWND>(wp);
        if (ctl != dlg && IsChild(dlg, ctl) && GetDlgCtrlID(ctl) > 0 && offer_whats_this(dlg, ctl, {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)}))
            return 0;
        break;
    }
    case WM_NCDESTROY:
        RemovePropA(dlg, kOldProc);
        if (old) SetWindowLongPtrA(dlg, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(old));
        break;
    }
    return old ? CallWindowProcA(old, dlg, msg, wp, lp) : DefDlgProcA(dlg, msg, wp, lp);
}

// Our own dialogs with a caption get the button; the system's (file, colour, message boxes)
// never start through the program's dialog procedures and are left as they are.
void attach(HWND dlg) {
    char cls[16] = {};
    GetClassNameA(dlg, cls, sizeof cls);
    const LONG style = GetWindowLongA(dlg, GWL_STYLE);
    if (lstrcmpiA(cls, "#32770") != 0 || GetPropA(dlg, kOldProc) ||
        reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(dlg, GWLP_HINSTANCE)) != GetModuleHandleA(nullptr) ||
        (style & WS_CAPTION) != WS_CAPTION || (style & (WS_CHILD | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)))
        return;
    LONG_PTR old = SetWindowLongPtrA(dlg, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(trap_wnd<dialog_proc>));
    SetPropA(dlg, kOldProc, reinterpret_cast<HANDLE>(old));
    SetWindowLongA(dlg, GWL_EXSTYLE, GetWindowLongA(dlg, GWL_EXSTYLE) | WS_EX_CONTEXTHELP);
    SetWindowPos(dlg, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void help_whatsthis_install() { trap_set_dialog_start(attach); }

HWND help_whatsthis_dialog() { return active_; }

bool help_whatsthis_run(HWND dlg) {
    if (active_ || !IsWindow(dlg)) return false;
    active_ = dlg;
    HCURSOR question = util_system_cursor(reinterpret_cast<LPCSTR>(IDC_HELP));
    SetCapture(dlg);
    SetCursor(question);
    bool asked = false;
    MSG m;
    while (GetCapture() == dlg) {
        BOOL got = GetMessageA(&m, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0) PostQuitMessage(static_cast<int>(m.wParam));
            break;
        }
        if (m.message == WM_LBUTTONDOWN || m.message == WM_NCLBUTTONDOWN) {
            POINT p{GET_X_LPARAM(m.lParam), GET_Y_LPARAM(m.lParam)};
            if (m.message == WM_LBUTTONDOWN) ClientToScreen(m.hwnd, &p);
            ReleaseCapture();
            help_at(dlg, p);
            asked = true;
            break;
        }
        if (m.message == WM_RBUTTONDOWN || m.message == WM_NCRBUTTONDOWN ||
            (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE))
            break;
        // Other input waits for the mode to end; painting and timers go on.
        if ((m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST) || (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST)) {
            if (m.message == WM_MOUSEMOVE) SetCursor(question);
            continue;
        }
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    if (GetCapture() == dlg) ReleaseCapture();
    active_ = nullptr;
    return asked;
}

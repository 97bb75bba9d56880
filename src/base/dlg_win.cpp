#include "base/dlg_win.h"

#include <commctrl.h>

#include <algorithm>
#include <deque>
#include <map>

#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/palette.h"
#include "base/settings.h"
#include "base/tip_win.h"
#include "base/trap_win.h"
#include "resources/ids.h"

namespace {

constexpr int kIconBrowser = 10552;
std::map<int, RECT> remembered_;

void erase_dlg(std::vector<DlgInst>& list, HWND win) {
    for (auto it = list.begin(); it != list.end();)
        it = it->win == win ? list.erase(it) : it + 1;
}

RECT control_rect(HWND win, int id) {
    RECT r{};
    HWND c = GetDlgItem(win, id);
    if (!c) return r;
    GetWindowRect(c, &r);
    MapWindowPoints(nullptr, win, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// Each step belongs to the main window it came for; another window's never runs.
struct Waiting {
    HWND main;
    std::function<void()> step;
};
std::deque<Waiting> waiting_;
UINT_PTR wait_timer_ = 0;
bool running_waiting_ = false;

void run_waiting();

void CALLBACK waiting_tick(HWND, UINT, UINT_PTR, DWORD) { run_waiting(); }

void run_waiting() {
    if (running_waiting_) return;
    running_waiting_ = true;
    while (!waiting_.empty() && !dlg_document_held()) {
        Waiting w = std::move(waiting_.front());
        waiting_.pop_front();
        if (w.main == main_inst_) trap_run(w.step);
    }
    running_waiting_ = false;
    if (waiting_.empty() && wait_timer_) {
        KillTimer(nullptr, wait_timer_);
        wait_timer_ = 0;
    } else if (!waiting_.empty() && !wait_timer_) {
        // A thread timer: every message loop, a modal one's too, runs it.
        wait_timer_ = SetTimer(nullptr, 0, 150, trap_timer<waiting_tick>);
    }
}

// The windows a modal dialog (or a box) took the input from, to give it back when it ends.
struct Held {
    HWND by;
    std::vector<HWND> windows;
};
std::vector<Held> held_;

// Disables the main window and the modeless dialogs that take input now, but `keep`.
std::vector<HWND> hold_others(HWND keep) {
    std::vector<HWND> out, candidates{main_inst_};
    for (const DlgInst& d : modelessdlg_inst_) candidates.push_back(d.win);
    for (HWND w : candidates) {
        if (!w || w == keep || !IsWindow(w) || !IsWindowEnabled(w)) continue;
        EnableWindow(w, FALSE);
        out.push_back(w);
    }
    return out;
}

void give_back(const std::vector<HWND>& windows) {
    for (HWND w : windows)
        if (IsWindow(w)) EnableWindow(w, TRUE);
}

void release_hold(HWND by) {
    for (auto it = held_.begin(); it != held_.end(); ++it) {
        if (it->by != by) continue;
        std::vector<HWND> windows = std::move(it->windows);
        held_.erase(it);
        give_back(windows);
        return;
    }
}

}  // namespace

HWND dlg_box_owner() {
    for (auto it = modaldlg_inst_.rbegin(); it != modaldlg_inst_.rend(); ++it)
        if (IsWindow(it->win) && IsWindowEnabled(it->win)) return it->win;
    HWND active = GetActiveWindow();
    if (active && IsWindowEnabled(active)) return active;
    if (!main_inst_) return nullptr;
    HWND popup = GetLastActivePopup(main_inst_);
    return popup && IsWindowEnabled(popup) ? popup : main_inst_;
}

DlgBoxHold::DlgBoxHold() : owner_(dlg_box_owner()), held_(hold_others(owner_)) {}

DlgBoxHold::~DlgBoxHold() { give_back(held_); }

void dlg_document_replaced() {
    std::vector<HWND> open;
    for (const DlgInst& d : modelessdlg_inst_) open.push_back(d.win);
    bool closed = false;
    for (HWND w : open) {
        if (IsWindow(w) && SendMessageA(w, WM_VORN_REPLACED, 0, 0) != 1 && IsWindow(w)) DestroyWindow(w);
        closed = closed || !IsWindow(w);
    }
    // A tool closed in the middle of an open can leave its picture on the diagram (seen under
    // Wine) until something else repaints it.
    if (closed && main_inst_) RedrawWindow(main_inst_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

INT_PTR dlg_stay_open(HWND win) {
    SetWindowLongPtrA(win, DWLP_MSGRESULT, 1);
    return TRUE;
}

bool dlg_program_held() { return main_inst_ && !IsWindowEnabled(main_inst_); }

bool dlg_document_held() {
    return !modaldlg_inst_.empty() || msg_box_depth() > 0 || (main_inst_ && !IsWindowEnabled(main_inst_)) ||
           (textbox_inst_.win && IsWindow(textbox_inst_.win));
}

void dlg_when_document_free(std::function<void()> step) {
    waiting_.push_back({main_inst_, std::move(step)});
    run_waiting();
}

size_t dlg_document_waiting() { return waiting_.size(); }

bool dlg_ok_cancel(HWND win, WPARAM wp, bool (*apply)(HWND)) {
    int id = LOWORD(wp);
    if (id != IDOK && id != IDCANCEL) return false;
    bool ok = id != IDOK;
    if (!ok) trap_run([&] { ok = apply(win); });
    if (!ok) return true;
    EndDialog(win, id);
    return true;
}

namespace {

void set_font(HWND win, int id, HFONT f) {
    if (HWND c = GetDlgItem(win, id)) SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
}

}  // namespace

RECT dlg_work_area() {
    RECT r{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

void dlg_on_create(HWND win, int dlg_id, int mode) {
    tip_hide();
    auto it = remembered_.find(dlg_id);
    if (it != remembered_.end() && dlg_id != kIconBrowser) {
        RECT w = dlg_work_area();
        Rect r = rect_clamp_to({it->second.left, it->second.top, it->second.right, it->second.bottom},
                               {w.left, w.top, w.right, w.bottom});
        SetWindowPos(win, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    auto& list = mode == 1 ? modelessdlg_inst_ : modaldlg_inst_;
    erase_dlg(list, win);
    list.push_back({win, dlg_id});
    // Its owner is disabled by the dialog box itself.
    if (mode == 0 && std::none_of(held_.begin(), held_.end(), [&](const Held& h) { return h.by == win; }))
        held_.push_back({win, hold_others(win)});
}

void dlg_on_destroy(HWND win, int dlg_id, int mode) {
    RECT r;
    if (GetWindowRect(win, &r)) remembered_[dlg_id] = r;
    erase_dlg(modelessdlg_inst_, win);
    erase_dlg(modaldlg_inst_, win);
    release_hold(win);
}

std::string dlg_error_text(const std::string& fmt, const std::string& text, int err_no) {
    std::string table, system;
    if (err_no != 0) {
        // Read quietly: a missing "error.txt" only drops the explanation.
        std::ifstream in(file_progdir_path("error.txt"), std::ios::binary);
        if (in) table.assign(std::istreambuf_iterator<char>(in), {});
        char buf[512] = {};
        if (FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, static_cast<DWORD>(err_no),
                           0, buf, sizeof buf, nullptr))
            system = buf;
        while (!system.empty() && (system.back() == '\n' || system.back() == '\r' || system.back() == ' '))
            system.pop_back();
    }
    return error_message_text(fmt, text, err_no, table, system);
}

void dlg_error_msg(const std::string& fmt, const std::string& text, int err_no) {
    tip_hide();
    msg_error(dlg_error_text(fmt, text, err_no));
}

std::vector<std::string> dlg_num_strings(int from, int to, int step) {
    std::vector<std::string> out;
    if (step == 0) return {std::to_string(from)};
    for (long long v = from; step > 0 ? v <= to : v >= to; v += step) out.push_back(std::to_string(v));
    return out;
}

int dlg_lbox_sel(HWND win, int id) {
    HWND c = GetDlgItem(win, id);
    if (!c) return 0;
    char cls[32] = {};
    GetClassNameA(c, cls, sizeof cls);
    LRESULT r = lstrcmpiA(cls, "ComboBox") == 0 ? SendMessageA(c, CB_GETCURSEL, 0, 0) : SendMessageA(c, LB_GETCURSEL, 0, 0);
    return r < 0 ? 0 : static_cast<int>(r);
}

int dlg_is_checked(HWND win, int id) { return IsDlgButtonChecked(win, id) == BST_CHECKED ? 1 : 0; }

void dlg_set_checks(HWND win, int first, unsigned bits, int base, int last) {
    for (int id = first; id <= last; ++id) {
        int bit = id - base;
        bool on = bit >= 0 && bit < 32 && ((bits >> bit) & 1u);
        CheckDlgButton(win, id, on ? BST_CHECKED : BST_UNCHECKED);
    }
}

std::string dlg_get_text(HWND win, int id) {
    HWND c = GetDlgItem(win, id);
    if (!c) return {};
    int n = GetWindowTextLengthA(c);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    n = GetWindowTextA(c, s.data(), n + 1);
    s.resize(static_cast<size_t>(n < 0 ? 0 : n));
    return s;
}

void dlg_enable(HWND win, int id, int on) {
    if (HWND c = GetDlgItem(win, id)) EnableWindow(c, on ? TRUE : FALSE);
}

void dlg_fill_rect(int colour_index, HWND, HDC dc, const RECT& r) {
    HBRUSH b = CreateSolidBrush(tbar_color_or(colour_index));
    FillRect(dc, &r, b);
    DeleteObject(b);
}

void dlg_fixed_font(HWND win, int id) {
    static HFONT f = nullptr;
    if (!f) {
        HDC dc = GetDC(nullptr);
        int h = -MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72);
        ReleaseDC(nullptr, dc);
        f = CreateFontA(h, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, FIXED_PITCH | FF_MODERN, "Courier New");
    }
    set_font(win, id, f);
}

void dlg_stretch_control(HWND win, int id, int mr, int mb) {
    HWND c = GetDlgItem(win, id);
    if (!c) return;
    RECT cl, r = control_rect(win, id);
    GetClientRect(win, &cl);
    int w = r.right - r.left, h = r.bottom - r.top;
    if (mr > 0) w = cl.right - mr - r.left;
    if (mb > 0) h = cl.bottom - mb - r.top;
    if (w < 80) w = 80;
    if (h < 80 && mb > 0) h = 80;
    SetWindowPos(c, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {
// Moves control `id` to `m` pixels from the client area's right edge, or from its bottom edge.
void align(HWND win, int id, int m, bool right) {
    HWND c = GetDlgItem(win, id);
    if (!c) return;
    RECT cl, r = control_rect(win, id);
    GetClientRect(win, &cl);
    int x = right ? cl.right - m - (r.right - r.left) : r.left, y = right ? r.top : cl.bottom - m - (r.bottom - r.top);
    SetWindowPos(c, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Sizes the dialog to end `d` dialog units beyond control `id`'s left edge, or its top edge.
void fit(HWND win, int id, int d, bool width) {
    RECT du{0, 0, d, d}, w, r = control_rect(win, id);
    MapDialogRect(win, &du);
    GetWindowRect(win, &w);
    POINT p{r.left, r.top};
    ClientToScreen(win, &p);
    int cx = width ? p.x - w.left + du.right : w.right - w.left, cy = width ? w.bottom - w.top : p.y - w.top + du.bottom;
    SetWindowPos(win, nullptr, 0, 0, cx, cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}
}  // namespace

void dlg_align_right(HWND win, int id, int m) { align(win, id, m, true); }
void dlg_align_bottom(HWND win, int id, int m) { align(win, id, m, false); }
void dlg_fit_width(HWND win, int id, int d) { fit(win, id, d, true); }
void dlg_fit_height(HWND win, int id, int d) { fit(win, id, d, false); }

void dlg_set_height(HWND win, int h) {
    RECT w;
    GetWindowRect(win, &w);
    SetWindowPos(win, nullptr, 0, 0, w.right - w.left, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void dlg_keep_on_screen(HWND win) {
    RECT w;
    GetWindowRect(win, &w);
    int x = w.left < 4 ? 4 : w.left, y = w.top < 22 ? 22 : w.top;
    if (x != w.left || y != w.top) SetWindowPos(win, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void dlg_copy_lbox(HWND win, int id) {
    HWND c = GetDlgItem(win, id);
    if (!c) return;
    int n = static_cast<int>(SendMessageA(c, LB_GETCOUNT, 0, 0));
    int selected = static_cast<int>(SendMessageA(c, LB_GETSELCOUNT, 0, 0));
    if (selected == LB_ERR) selected = SendMessageA(c, LB_GETCURSEL, 0, 0) == LB_ERR ? 0 : 1;
    std::string text;
    bool first = true;
    for (int k = 0; k < n; ++k) {
        bool sel = SendMessageA(c, LB_GETSEL, k, 0) > 0;
        if (selected > 0 && !sel) continue;
        int len = static_cast<int>(SendMessageA(c, LB_GETTEXTLEN, k, 0));
        if (len < 0) continue;
        std::string item(static_cast<size_t>(len) + 1, '\0');
        SendMessageA(c, LB_GETTEXT, k, reinterpret_cast<LPARAM>(item.data()));
        item.resize(static_cast<size_t>(len));
        if (!first) text += "\r\n";
        text += item;
        first = false;
    }
    if (!OpenClipboard(win)) return;
    EmptyClipboard();
    if (HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        memcpy(GlobalLock(g), text.c_str(), text.size() + 1);
        GlobalUnlock(g);
        if (!SetClipboardData(CF_TEXT, g)) GlobalFree(g);
    }
    CloseClipboard();
}

// ---- Password.

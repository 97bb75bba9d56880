#include "bars/dragdrop_win.h"

#include <algorithm>
#include <map>
#include <optional>

#include "base/trap_win.h"
#include "base/util_win.h"
#include "bars/bars_win.h"

namespace {

std::map<HWND, WNDPROC> dd_info_;   // message windows and their previous handlers
std::map<HWND, DdCallback> dd_cb_;  // drop targets
HWND dd_drag_win_ = nullptr;
std::optional<std::string> dd_str_;

LRESULT CALLBACK dd_handler(HWND win, UINT msg, WPARAM wp, LPARAM lp);

HWND message_window(HWND w) {
    return dd_hwnd(dd_message_window(
        dd_win(w), [](DdWin x) { return dd_win(GetParent(dd_hwnd(x))); },
        [](DdWin x) { return dd_info_.count(dd_hwnd(x)) != 0; }));
}

// A handle of a destroyed target may name another window by now: its callback goes with it.
bool takes_drops(LPARAM lp) {
    auto w = reinterpret_cast<HWND>(lp);
    auto it = dd_cb_.find(w);
    if (it == dd_cb_.end()) return false;
    if (IsWindow(w)) return true;
    dd_cb_.erase(it);
    return false;
}

// The three steps of the protocol; false as soon as a step is not answered.
bool send_text(HWND to, HWND target, const std::string& text) {
    const LRESULT ok = static_cast<LRESULT>(kDdAnswer);
    auto t = reinterpret_cast<LPARAM>(target);
    if (SendMessageA(to, WM_USER, kDdBegin, t) != ok) return false;
    for (const std::string& piece : dd_split_pieces(text)) {
        ATOM a = GlobalAddAtomA(piece.c_str());
        if (!a) return false;
        LRESULT r = SendMessageA(to, WM_USER, kDdPiece, a);
        GlobalDeleteAtom(a);
        if (r != ok) return false;
    }
    return SendMessageA(to, WM_USER, kDdEnd, t) == ok;
}

bool step(HWND source, POINT pt, int button, const std::string& data, bool drop) {
    POINT s = pt;
    ClientToScreen(source, &s);
    HWND under = WindowFromPoint(s);
    DWORD pid = 0;
    if (under) GetWindowThreadProcessId(under, &pid);
    // Windows of other programs get nothing.
    if (pid != GetCurrentProcessId()) under = nullptr;
    HWND prev = dd_drag_win_;
    dd_drag_win_ = drop ? nullptr : under;
    bool ok = false;
    for (const DdSend& d : dd_drag_sequence(dd_win(prev), dd_win(under), drop)) {
        HWND target = dd_hwnd(d.target);
        if (!IsWindow(target)) continue;
        DdMess m{d.kind, d.target, dd_win(source), 0, 0, 0, data};
        if (d.kind == kDdOver || d.kind == kDdDrop) {
            POINT c = s;
            ScreenToClient(target, &c);
            m.x = c.x;
            m.y = c.y;
            m.button = button;
        }
        bool sent = send_text(message_window(target), target, dd_mess_text(m));
        if (d.kind == kDdOver || d.kind == kDdDrop) ok = sent;
    }
    return ok;
}

LRESULT CALLBACK dd_handler(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    auto it = dd_info_.find(win);
    WNDPROC prev = it != dd_info_.end() ? it->second : DefWindowProcA;
    if (msg == WM_USER) {
        const auto answer = static_cast<LRESULT>(kDdAnswer);
        if (wp == kDdBegin && takes_drops(lp)) {
            dd_str_ = "";
            return answer;
        }
        if (wp == kDdPiece && dd_str_) {
            char buf[256] = {};
            UINT n = GlobalGetAtomNameA(static_cast<ATOM>(lp), buf, sizeof buf);
            if (std::optional<std::string> p = dd_piece_decode(std::string_view(buf, n))) {
                *dd_str_ += *p;
                return answer;
            }
            dd_str_.reset();
        } else if (wp == kDdEnd && takes_drops(lp) && dd_str_) {
            std::string text = std::move(*dd_str_);
            dd_str_.reset();
            std::optional<DdMess> m = dd_mess_parse(text);
            auto target = reinterpret_cast<HWND>(lp);
            if (m && dd_hwnd(m->target) == target) {
                DdCallback cb = dd_cb_[target];
                try {
                    cb(*m);
                } catch (...) {
                    bars_trap();
                }
                return answer;
            }
        }
    } else if (msg == WM_NCDESTROY) {
        dd_info_.erase(win);
        dd_cb_.erase(win);
        SetWindowLongPtrA(win, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prev));
        if (dd_drag_win_ == win) dd_drag_win_ = nullptr;
    }
    return CallWindowProcA(prev, win, msg, wp, lp);
}

}  // namespace

void dd_register(HWND win, DdCallback cb) {
    if (!win || !cb) return;
    HWND mw = message_window(win);
    if (!dd_info_.count(mw)) {
        auto old = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(mw, GWLP_WNDPROC));
        dd_info_[mw] = old;
        SetWindowLongPtrA(mw, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(trap_wnd<dd_handler>));
    }
    dd_cb_[win] = cb;
}

void dd_unregister(HWND win) {
    dd_cb_.erase(win);
    if (dd_drag_win_ == win) dd_drag_win_ = nullptr;
}

bool dd_drag_over(HWND source, POINT pt, int button, const std::string& data) {
    return step(source, pt, button, data, false);
}

bool dd_drop(HWND source, POINT pt, int button, const std::string& data) {
    return step(source, pt, button, data, true);
}

namespace {

// The row-drag cursor (11231) is drawn here: cursor images of several resource files would
// share image numbers and clash when linked.
HCURSOR row_drag_cursor() {
    static const char* const arrow[] = {"X", "XX", "X.X", "X..X", "X...X", "X....X", "X.....X", "X......X",
                                        "X.......X", "X........X", "X.....XXXX", "X..X..X", "X.X X..X", "XX  X..X",
                                        "X    X..X", "     X..X", "      XX"};
    char g[32][33];
    for (auto& row : g) {
        std::fill(row, row + 32, ' ');
        row[32] = 0;
    }
    for (int y = 0; y < 17; ++y)
        for (int x = 0; arrow[y][x]; ++x)
            if (arrow[y][x] != ' ') g[y][x] = arrow[y][x];
    for (int y = 19; y < 26; ++y)
        for (int x = 10; x < 30; ++x) g[y][x] = (y == 19 || y == 25 || x == 10 || x == 29 || (y == 22 && x > 12 && x < 27)) ? 'X' : '.';
    BYTE and_mask[128] = {}, xor_mask[128] = {};
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            BYTE bit = static_cast<BYTE>(0x80 >> (x % 8));
            if (g[y][x] == ' ') and_mask[y * 4 + x / 8] |= bit;
            if (g[y][x] == '.') xor_mask[y * 4 + x / 8] |= bit;
        }
    return CreateCursor(bars_instance(), 0, 0, 32, 32, and_mask, xor_mask);
}

}  // namespace

void dd_set_cursor(HWND, int id) {
    static std::map<int, HCURSOR> cursors;
    HCURSOR& c = cursors[id];
    if (!c) c = LoadCursorA(bars_instance(), MAKEINTRESOURCEA(id));
    if (!c && id == 11231) c = row_drag_cursor();
    if (!c) c = util_system_cursor(IDC_NO);
    if (GetCursor() != c) SetCursor(c);
}

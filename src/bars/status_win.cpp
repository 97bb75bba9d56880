#include "bars/status_win.h"

#include <windowsx.h>

#include "bars/bars_win.h"
#include "bars/repeat_win.h"
#include "bars/status.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/tip_win.h"
#include "base/trap_win.h"
#include "base/util_win.h"
#include "document/globals.h"
#include "resources/ids.h"

namespace {

const char kClass[] = "vornstatus";

StatusTicker no_ticker;
StatusTicker* ticker_ = &no_ticker;

HFONT font_ = nullptr;
bool lbuttondown_ = false;
int but_depressed_ = 0;
struct Depressed { int field = 0; RECT rect{}; } last_depressed_;

class WinStatusHost : public StatusHost {
public:
    void redraw(int field) override { status_draw_field(field); }
    bool slideshow() const override { return menu_checked(CMD_SLIDESHOW); }
    bool ticker_paused() const override { return ticker_->paused(); }
} host_;

int bar_width(HWND win) {
    RECT r;
    GetClientRect(win, &r);
    return r.right;
}

RECT to_rect(const Rc& r) { return {r.left, r.top, r.right, r.bottom}; }

void draw_field(HDC dc, int field, int bw) {
    RECT r = to_rect(status_model().field_rect(field, bw));
    if (r.right <= r.left) return;
    bars_fill(dc, r, kBarGrey);
    if (field == kStMessage) {
        RECT inner = {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1};
        ticker_->draw(dc, inner);
    } else {
        HGDIOBJ old = SelectObject(dc, font_);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, 0);
        RECT t = {r.left + 5, r.top, r.right - 1, r.bottom};
        std::string s = status_model().field_text(field, host_);
        DrawTextA(dc, s.c_str(), static_cast<int>(s.size()), &t, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX | DT_END_ELLIPSIS);
        SelectObject(dc, old);
    }
    bool sunken = lbuttondown_ && but_depressed_ == field && field != kStMessage;
    bars_edge(dc, r, sunken);
}

void run_repeating(HWND win, int field) {
    int cmd = 0;
    switch (field) {
    case kStExpand: cmd = CMD_ZOOM_EXPAND; break;
    case kStContract: cmd = CMD_ZOOM_CONTRACT; break;
    case kStLevelUp: cmd = CMD_LEVEL_UP; break;
    case kStLevelDown: cmd = CMD_LEVEL_DOWN; break;
    default: return;
    }
    hold_repeat(win, lbuttondown_, [cmd] {
        task_menu_cmd(cmd);
        return true;
    });
}

void on_lbutton_down(HWND win, int x) {
    int field = status_model().field_at(x, bar_width(win));
    if (!field) return;
    SetCapture(win);
    lbuttondown_ = true;
    but_depressed_ = field;
    last_depressed_ = {field, to_rect(status_model().field_rect(field, bar_width(win)))};
    if (view_inst_) SetFocus(view_inst_);
    tip_hide();
    status_draw_field(field);
    run_repeating(win, field);
}

// Ends a press: the field is drawn raised again.
int end_press() {
    int field = but_depressed_;
    lbuttondown_ = false;
    but_depressed_ = 0;
    last_depressed_ = {};
    if (field) status_draw_field(field);
    return field;
}

void click_action(int field) {
    switch (field) {
    case kStScale: task_menu_cmd(CMD_ZOOM_TO); break;
    case kStCounts: task_menu_cmd(CMD_FIND_OBJECTS); break;
    case kStLevel: task_menu_cmd(CMD_LEVEL); break;
    case kStMessage: {
        bool was_running = !ticker_->paused();
        ticker_->pause();
        ticker_->show_detail();
        if (was_running) ticker_->resume();
        break;
    }
    case kStPause:
        if (ticker_->paused()) ticker_->resume();
        else ticker_->pause();
        status_draw_field(kStPause);
        break;
    }
}

void on_lbutton_up() {
    if (!lbuttondown_) return;
    // Capture-change notifications from the release must not end the press a second time.
    int field = end_press();
    ReleaseCapture();
    tip_hide();
    click_action(field);
}

// The pop-up's Status Display items show which of the two the field shows.
void check_status_display(HMENU m) {
    const bool pos = status_shows_position();
    CheckMenuItem(m, 10733, MF_BYCOMMAND | (pos ? MF_UNCHECKED : MF_CHECKED));
    CheckMenuItem(m, 10734, MF_BYCOMMAND | (pos ? MF_CHECKED : MF_UNCHECKED));
}

void on_rbutton_down(HWND win, int x, int y) {
    tip_hide();
    bool was_running = !ticker_->paused();
    if (was_running) ticker_->pause();
    int cmd = bars_popup(IDM_POP_STATUS, win, x, y - 160, PopupSource{kPopupStatus, 0}, check_status_display);
    if (was_running) ticker_->resume();
    if (cmd) task_menu_cmd(cmd);
}

void on_mouse_move(HWND win, int x) {
    int bw = bar_width(win);
    int field = status_model().field_at(x, bw);
    const StatusFieldRow* row = status_model().row(field);
    if (!row) {
        tip_hide();
        return;
    }
    RECT r = to_rect(status_model().field_rect(field, bw));
    bars_tip_request(win, r, row->label, row->tooltip);
}

void on_paint(HWND win) {
    bars_paint(win, [](HDC dc, const RECT& c) {
        for (const auto& row : status_model().rows()) draw_field(dc, row.field, c.right);
    });
}

}  // namespace

void status_set_ticker(StatusTicker* t) { ticker_ = t ? t : &no_ticker; }

void status_draw_field(int field) {
    if (!status_inst_) return;
    HDC dc = GetDC(status_inst_);
    draw_field(dc, field, bar_width(status_inst_));
    ReleaseDC(status_inst_, dc);
}

LRESULT CALLBACK win_status_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        switch (msg) {
        case WM_CREATE:
            status_inst_ = win;
            status_set_host(&host_);
            if (!font_) font_ = bars_font(win, 9);
            ticker_->created(win);
            return 0;
        case WM_PAINT: on_paint(win); return 0;
        case WM_NCPAINT: return 0;  // no frame to draw
        case WM_ERASEBKGND: return 1;
        case WM_LBUTTONDOWN: on_lbutton_down(win, GET_X_LPARAM(lp)); return 0;
        case WM_LBUTTONUP: on_lbutton_up(); return 0;
        case WM_CAPTURECHANGED:
            if (lbuttondown_ && reinterpret_cast<HWND>(lp) != win) end_press();
            return 0;
        case WM_RBUTTONDOWN: on_rbutton_down(win, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return 0;
        case WM_MOUSEMOVE: on_mouse_move(win, GET_X_LPARAM(lp)); return 0;
        case WM_TIMER: ticker_->timer(win, wp); return 0;
        case WM_DESTROY:
            if (status_inst_ == win) {
                status_inst_ = nullptr;
                status_set_host(nullptr);
            }
            lbuttondown_ = false;
            return 0;
        }
    } catch (...) {
        bars_trap();
    }
    return DefWindowProcA(win, msg, wp, lp);
}

namespace {

Rc status_place(HWND parent) {
    RECT c{};
    GetClientRect(parent, &c);
    return status_model().layout(c.right, c.bottom, menu_checked(CMD_TBAR_LEFT));
}

}  // namespace

HWND status_create(HWND parent) {
    // Made where it belongs: a move after it is made costs a round of messages and requests.
    const Rc r = status_place(parent);
    return bars_create_child(kClass, trap_wnd<win_status_eh>, "Status", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, r.left, r.top,
                             r.right - r.left, r.bottom - r.top, parent);
}

void status_layout() {
    if (!status_inst_) return;
    const Rc r = status_place(GetParent(status_inst_));
    util_place_window(status_inst_, r.left, r.top, r.right - r.left, r.bottom - r.top);
    InvalidateRect(status_inst_, nullptr, FALSE);
}

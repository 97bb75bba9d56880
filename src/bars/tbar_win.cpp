#include "bars/tbar_win.h"

#include <windowsx.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>

#include "bars/bars_win.h"
#include "bars/help_context.h"
#include "bars/status_win.h"
#include "bars/tbar.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/settings.h"
#include "base/tip_win.h"
#include "base/trap_win.h"
#include "base/util_win.h"
#include "document/globals.h"
#include "document/view.h"
#include "resources/ids.h"

namespace {

const char kClass[] = "vorntbar";
constexpr int kB = TbarModel::kButton;

int orient0_ = kTbarTop;
struct Pressed { int pos; RECT rect; };
std::optional<Pressed> but_pressed_;
std::set<int> but_disabled_;  // positions
HFONT font_ = nullptr;

bool on_left() { return orient0_ == kTbarLeft; }

RECT to_rect(const Rc& r) { return {r.left, r.top, r.right, r.bottom}; }

void draw_button(HDC dc, int pos) {
    const auto& shown = tbar_model().shown();
    if (pos < 0 || pos >= tbar_model().buttons_fitting()) return;
    const TbarButton* b = tbar_button(shown[pos]);
    RECT r = to_rect(TbarModel::button_rect(pos, on_left()));
    bool down = (but_pressed_ && but_pressed_->pos == pos) || but_disabled_.count(pos);
    int d = down ? 1 : 0;
    bars_fill(dc, r, kBarGrey);
    if (!bars_draw_face(dc, b->bitmap, r.left + 2 + d, r.top + 2 + d, kB - 4, kB - 4)) {
        // A face missing from the resources still shows what the button does.
        HGDIOBJ old = SelectObject(dc, font_);
        SetBkMode(dc, TRANSPARENT);
        RECT t = {r.left + 1 + d, r.top + 1 + d, r.right - 1 + d, r.bottom - 1 + d};
        DrawTextA(dc, b->label, -1, &t, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        SelectObject(dc, old);
    }
    if (down) {
        RECT top = {r.left, r.top, r.right, r.top + 2}, left = {r.left, r.top, r.left + 2, r.bottom};
        bars_fill(dc, top, 0x404040);
        bars_fill(dc, left, 0x404040);
        RECT bottom = {r.left, r.bottom - 1, r.right, r.bottom}, right = {r.right - 1, r.top, r.right, r.bottom};
        bars_fill(dc, bottom, 0xFFFFFF);
        bars_fill(dc, right, 0xFFFFFF);
    } else {
        bars_edge(dc, r, false);
    }
}

void draw_strip(HDC dc) {
    const TbarModel& m = tbar_model();
    bool left = on_left();
    int half = tbar_palette_half();
    IndexColour cur = tbar_current_color();
    for (int cell = 0; cell < 16; ++cell) {
        RECT r = to_rect(m.cell_rect(cell, left));
        r.right += 1;
        r.bottom += 1;
        Colour c = tbar_color_or(tbar_cell_color_index(half, cell));
        bars_fill(dc, r, c);
        HBRUSH frame = CreateSolidBrush(c == cur.colour ? 0xFFFFFF : 0x000000);
        FrameRect(dc, &r, frame);
        DeleteObject(frame);
    }
    RECT a = to_rect(m.cell_rect(16, left)), b = to_rect(m.cell_rect(17, left));
    RECT sw = {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right) + 1, std::max(a.bottom, b.bottom) + 1};
    bars_fill(dc, sw, cur.colour);
    HBRUSH frame = CreateSolidBrush(0);
    FrameRect(dc, &sw, frame);
    DeleteObject(frame);
    std::string n = std::to_string(cur.index);
    HGDIOBJ old = SelectObject(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, tbar_text_color(0, cur.index));
    DrawTextA(dc, n.c_str(), -1, &sw, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SetTextColor(dc, 0);
    SelectObject(dc, old);
}

void set_orientation(int command) {
    menu_check_radio(kTbarCmdLeft, kTbarCmdNone, command);
    orient0_ = tbar_orient_of_command(command);
}

void with_dc(void (*fn)(HDC, int), int arg) {
    // A hidden bar is painted whole when it is shown.
    if (!tbar_inst_ || !IsWindowVisible(tbar_inst_)) return;
    HDC dc = GetDC(tbar_inst_);
    fn(dc, arg);
    ReleaseDC(tbar_inst_, dc);
}

void repaint_button(int pos) { with_dc([](HDC dc, int p) { draw_button(dc, p); }, pos); }
void repaint_strip() { with_dc([](HDC dc, int) { draw_strip(dc); }, 0); }

void choose_cell(int cell) {
    if (cell < 16) {
        int index = tbar_cell_color_index(tbar_palette_half(), cell);
        tbar_set_current_color(index);
        view_send_user(11, index);
    } else {
        view_send_user(11, tbar_current_color().index);
    }
    repaint_strip();
}

void on_lbutton_down(HWND win, int x, int y) {
    tip_hide();
    SetCapture(win);
    TbarModel::Hit h = tbar_model().hit(x, y, on_left());
    if (h.kind == TbarModel::Hit::Button && !but_disabled_.count(h.index)) {
        but_pressed_ = Pressed{h.index, to_rect(TbarModel::button_rect(h.index, on_left()))};
        repaint_button(h.index);
    } else if (h.kind == TbarModel::Hit::Cell) {
        choose_cell(h.index);
    }
    if (view_inst_) SetFocus(view_inst_);
}

void on_lbutton_up(int x, int y) {
    std::optional<Pressed> p = but_pressed_;
    but_pressed_.reset();
    if (GetCapture() == tbar_inst_) ReleaseCapture();
    if (!p) return;
    repaint_button(p->pos);
    POINT pt = {x, y};
    if (PtInRect(&p->rect, pt)) {
        const auto& shown = tbar_model().shown();
        if (p->pos < static_cast<int>(shown.size())) task_menu_cmd(tbar_button(shown[p->pos])->command);
    }
    tbar_refresh();
}

void on_rbutton_up(HWND win, int x, int y) {
    TbarModel::Hit h = tbar_model().hit(x, y, on_left());
    if (h.kind == TbarModel::Hit::None) return;
    bool button = h.kind == TbarModel::Hit::Button;
    int cmd = bars_popup(IDM_POP_WHATSTHIS, win, x, y + 16, PopupSource{kPopupToolbar, button ? 1 : 2});
    if (cmd == 10725) help_context(button ? 33 : 23);
}

void on_mouse_move(HWND win, int x, int y) {
    if (but_pressed_) return;
    TbarModel::Hit h = tbar_model().hit(x, y, on_left());
    RECT r;
    std::string title, text;
    if (h.kind == TbarModel::Hit::Button) {
        const TbarButton* b = tbar_button(tbar_model().shown()[h.index]);
        r = to_rect(TbarModel::button_rect(h.index, on_left()));
        title = b->label;
        text = b->tooltip;
    } else if (h.kind == TbarModel::Hit::Cell && h.index < 16) {
        r = to_rect(tbar_model().cell_rect(h.index, on_left()));
        TipText t = tbar_cell_tip(tbar_palette_half(), h.index);
        title = t.title;
        text = t.text;
    } else {
        tip_hide();
        return;
    }
    bars_tip_request(win, r, title, text);
}

void on_paint(HWND win) {
    bars_paint(win, [](HDC dc, const RECT&) {
        for (int p = 0; p < tbar_model().buttons_fitting(); ++p) draw_button(dc, p);
        draw_strip(dc);
    });
}

// WM_CLIPBOARDUPDATE and its listener calls, declared only for newer Windows than the headers
// are set to.
constexpr UINT kClipboardUpdate = 0x031D;
void clipboard_listen(HWND win, bool on) {
    using Fn = BOOL(WINAPI*)(HWND);
    HMODULE user = GetModuleHandleA("user32.dll");
    auto f = user ? reinterpret_cast<Fn>(reinterpret_cast<void*>(
                        GetProcAddress(user, on ? "AddClipboardFormatListener" : "RemoveClipboardFormatListener")))
                  : nullptr;
    if (f) f(win);
}

// The orientation command the menu holds when the bar is made; both None and Left checked
// means the top.
int start_orient_command() {
    int orient = (menu_checked(kTbarCmdLeft) ? 1 : 0) + 2 * (menu_checked(kTbarCmdNone) ? 1 : 0);
    return tbar_command_of_orient(orient > 2 ? kTbarTop : orient);
}

void on_create(HWND win) {
    tbar_inst_ = win;
    if (!font_) font_ = bars_font(win, 8);
    tbar_model().set_style(tbar_model().style());
    but_disabled_.clear();
    // The palette half restored with the menu settings, else the first.
    tbar_palette_cmd(menu_checked(10989) ? 10989 : 10988);
    // The main window is being made: it lays out its bars when it is first sized. The bar was
    // made in its place with the orientation the menu holds; this takes the room it has.
    tbar_place();
    status_layout();
    // Paste follows the clipboard, whoever changes it.
    clipboard_listen(win, true);
    tbar_refresh();
}

// Button positions of the commands whose state the toolbar follows.
constexpr int kFollowed[][2] = {
    {11174, 10831}, {11193, 10829}, {11180, 10830}, {11118, 10844},
    {11080, 10845}, {11184, 10847}, {11185, 10848}, {11175, 10849}, {11081, 10919},
};

}  // namespace

LRESULT CALLBACK win_toolbar_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        switch (msg) {
        case WM_CREATE: on_create(win); return 0;
        case WM_PAINT: on_paint(win); return 0;
        case WM_NCPAINT: return 0;  // no frame to draw
        case WM_ERASEBKGND: return 1;
        case WM_LBUTTONDOWN: on_lbutton_down(win, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return 0;
        case WM_LBUTTONUP: on_lbutton_up(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return 0;
        case WM_CAPTURECHANGED:
            if (but_pressed_ && reinterpret_cast<HWND>(lp) != win) {
                int pos = but_pressed_->pos;
                but_pressed_.reset();
                repaint_button(pos);
            }
            return 0;
        case WM_RBUTTONUP: on_rbutton_up(win, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return 0;
        case WM_MOUSEMOVE: on_mouse_move(win, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return 0;
        case kClipboardUpdate: tbar_refresh(); return 0;
        case WM_DESTROY:
            clipboard_listen(win, false);
            if (tbar_inst_ == win) tbar_inst_ = nullptr;
            but_pressed_.reset();
            return 0;
        }
    } catch (...) {
        bars_trap();
    }
    return DefWindowProcA(win, msg, wp, lp);
}

HWND tbar_create(HWND parent) {
    std::vector<std::vector<int>> stored;
    for (int n = 1; n <= 4; ++n)
        stored.push_back(file_setting_get_list("Toolbar" + std::to_string(n), tbar_user_layout_default()));
    tbar_model().load_user_layouts(stored);
    // Made where it belongs: a move after it is made costs a round of messages and requests.
    set_orientation(start_orient_command());
    RECT c{};
    GetClientRect(parent, &c);
    const Rc r = TbarModel::place(orient0_, c.right, c.bottom);
    return bars_create_child(kClass, trap_wnd<win_toolbar_eh>, "Toolbar", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, r.left, r.top,
                             r.right, r.bottom, parent);
}

int tbar_get_style() { return tbar_model().style(); }

void tbar_set_style(int no) {
    tbar_model().set_style(no);
    menu_setting_set(menu_setting::Layout, tbar_model().style());
    but_disabled_.clear();
    but_pressed_.reset();
    if (tbar_inst_) {
        tbar_refresh();
        InvalidateRect(tbar_inst_, nullptr, FALSE);
    }
}

void tbar_show_buttons(const std::vector<int>& buttons) {
    tbar_model().show_buttons(buttons);
    but_disabled_.clear();
    but_pressed_.reset();
    if (tbar_inst_) {
        tbar_refresh();
        InvalidateRect(tbar_inst_, nullptr, FALSE);
    }
}

void tbar_set_orientation(int command) {
    set_orientation(command);
    // The main window's size event places the view, the toolbar and the status bar.
    if (main_inst_) {
        RECT c;
        GetClientRect(main_inst_, &c);
        SendMessageA(main_inst_, WM_SIZE, SIZE_RESTORED, MAKELPARAM(c.right, c.bottom));
    }
    tbar_place();
    status_layout();
    if (tbar_inst_) InvalidateRect(tbar_inst_, nullptr, FALSE);
}

void tbar_palette_cmd(int command) {
    menu_check_radio(10988, 10989, command);
    tbar_set_palette_half(command - 10987);
    repaint_strip();
}

void tbar_place() {
    if (!tbar_inst_) return;
    RECT c;
    GetClientRect(GetParent(tbar_inst_), &c);
    Rc r = TbarModel::place(orient0_, c.right, c.bottom);
    // What of the bar lies inside the main window's client area.
    tbar_model().set_room(on_left() ? c.bottom - r.top : c.right - r.left);
    util_place_window(tbar_inst_, r.left, r.top, r.right, r.bottom);
    InvalidateRect(tbar_inst_, nullptr, FALSE);
}

void tbar_refresh() {
    const auto& shown = tbar_model().shown();
    for (int pos = 0; pos < static_cast<int>(shown.size()); ++pos) {
        const TbarButton* b = tbar_button(shown[pos]);
        for (const auto& f : kFollowed) {
            if (f[0] != b->bitmap) continue;
            bool disabled = !menu_command_available(f[1]);
            if (disabled == (but_disabled_.count(pos) != 0)) break;
            if (disabled) but_disabled_.insert(pos);
            else but_disabled_.erase(pos);
            repaint_button(pos);
            break;
        }
    }
}

void tbar_user_cmd(int code, int param) {
    if (code != 11) return;
    if (param == 0) {
        tbar_set_current_color(view_doc().param(310));
    } else if (param == 1) {
        tbar_invert_palette();
    }
    repaint_strip();
}

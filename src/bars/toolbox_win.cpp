#include "bars/toolbox_win.h"

#include <windowsx.h>

#include <algorithm>
#include <map>
#include <optional>

#include "bars/bars_win.h"
#include "bars/help_context.h"
#include "bars/toolbox.h"
#include "base/error.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/settings.h"
#include "base/tip_win.h"
#include "base/trap_win.h"
#include "base/util_win.h"
#include "document/globals.h"
#include "document/view.h"
#include "elements/obj.h"
#include "resources/bars_ids.h"
#include "resources/ids.h"

namespace {

const char kClass[] = "vornshapebar";

std::optional<ToolboxPlace>& prev_pos_ = toolbox_prev_pos();
std::optional<int> but_captured_;
bool lbuttondown_ = false;
struct Dragging {
    POINT start;      // screen point of the press
    RECT outline;     // last outline drawn, parent client coordinates
    bool drawn = false;
};
std::optional<Dragging> dragging_;
std::map<int, HBITMAP> bitmaps_;

int orient() { return prev_pos_ ? prev_pos_->orient : 1; }

HBITMAP bitmap(int id) {
    auto it = bitmaps_.find(id);
    if (it != bitmaps_.end()) return it->second;
    auto b = static_cast<HBITMAP>(LoadImageA(bars_instance(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    bitmaps_[id] = b;
    return b;
}

RECT cell_rect(int pos) {
    Pt o = toolbox_cell_origin(pos, orient(), false);
    return {o.x - 1, o.y - 1, o.x - 1 + kToolCellW, o.y - 1 + kToolCellH};
}

void draw_cell(HDC dc, int pos) {
    const ToolboxModel& m = toolbox_model();
    const ToolRow* r = m.row_at(pos);
    RECT cell = cell_rect(pos);
    bars_fill(dc, cell, kBarGrey);
    if (!r) return;
    bool pressed = m.depressed(r->group) == pos;
    Pt o = toolbox_cell_origin(pos, orient(), pressed);
    if (HBITMAP bm = bitmap(r->bitmap)) {
        HDC mem = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(mem, bm);
        BITMAP info;
        GetObjectA(bm, sizeof info, &info);
        BitBlt(dc, o.x, o.y, std::min<int>(info.bmWidth, kToolCellW - 2), std::min<int>(info.bmHeight, kToolCellH - 2), mem, 0,
               0, SRCCOPY);
        SelectObject(mem, old);
        DeleteDC(mem);
    }
    if (r->bitmap != kToolUnusedBitmap) bars_edge(dc, cell, pressed);
}

void repaint_cell(HWND win, int pos) {
    if (pos < 1 || pos > 36) return;
    HDC dc = GetDC(win);
    draw_cell(dc, pos);
    ReleaseDC(win, dc);
}

void on_paint(HWND win) {
    bars_paint(win, [](HDC dc, const RECT&) {
        for (int pos = 1; pos <= 36; ++pos) draw_cell(dc, pos);
    });
}

void save_place(const ToolboxPlace& p) {
    prev_pos_ = p;
    file_setting_set_list("Toolbox", {p.x, p.y, p.orient});
}

// Where the window would go inside its parent, kept fully visible.
ToolboxPlace clamped(HWND parent, ToolboxPlace p) {
    RECT c;
    GetClientRect(parent, &c);
    return toolbox_place_clamp(p, c.right, c.bottom);
}

RECT window_in_parent(HWND win);

void place_window(HWND win) {
    ToolboxPlace p = clamped(GetParent(win), prev_pos_.value_or(ToolboxPlace{}));
    Rc r = toolbox_window_rect(p.x, p.y, p.orient);
    RECT now = window_in_parent(win);
    if (now.left == r.left && now.top == r.top && now.right == r.right && now.bottom == r.bottom) return;
    // A tooltip would go on naming the button that was under the pointer.
    tip_hide();
    MoveWindow(win, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
}

// Drag outline, drawn inverting in the parent.
void draw_outline(HWND win, const RECT& r) {
    HWND parent = GetParent(win);
    HDC dc = GetDCEx(parent, nullptr, DCX_CACHE);
    int old = SetROP2(dc, R2_NOT);
    HGDIOBJ pen = SelectObject(dc, GetStockObject(BLACK_PEN));
    HGDIOBJ brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
    SelectObject(dc, brush);
    SelectObject(dc, pen);
    SetROP2(dc, old);
    ReleaseDC(parent, dc);
}

RECT window_in_parent(HWND win) {
    RECT r;
    GetWindowRect(win, &r);
    MapWindowPoints(nullptr, GetParent(win), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void drag_move(HWND win) {
    POINT p;
    GetCursorPos(&p);
    RECT r = window_in_parent(win);
    OffsetRect(&r, p.x - dragging_->start.x, p.y - dragging_->start.y);
    if (dragging_->drawn) draw_outline(win, dragging_->outline);
    draw_outline(win, r);
    dragging_->outline = r;
    dragging_->drawn = true;
    SetCursor(LoadCursorA(bars_instance(), MAKEINTRESOURCEA(IDC_TOOLBOX_MOVE)));
}

void drag_end(HWND win, bool apply) {
    Dragging d = *dragging_;
    dragging_.reset();
    if (d.drawn) draw_outline(win, d.outline);
    if (!apply) return;
    POINT p;
    GetCursorPos(&p);
    RECT r = window_in_parent(win);
    ToolboxPlace np{r.left + p.x - d.start.x, r.top + p.y - d.start.y, orient()};
    save_place(clamped(GetParent(win), np));
    place_window(win);
}

bool pointer_outside(HWND win) {
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(win, &p);
    RECT c;
    GetClientRect(win, &c);
    return !PtInRect(&c, p);
}

void on_lbutton_down(HWND win, int x, int y) {
    int pos = toolbox_position_at(x, y, orient());
    const ToolRow* r = toolbox_model().row_at(pos);
    if (!r || r->bitmap == kToolUnusedBitmap) return;
    tip_hide();
    SetCapture(win);
    if (r->group == kTgControl && r->code == 18) {
        POINT s = {x, y};
        ClientToScreen(win, &s);
        dragging_ = Dragging{s, {}, false};
        return;
    }
    lbuttondown_ = true;
    but_captured_ = pos;
    std::optional<int> before = toolbox_model().depressed(r->group);
    toolbox_model().press_position(pos);
    if (before) repaint_cell(win, *before);
    repaint_cell(win, pos);
}

void release_outside(int group) {
    if (create_obj_later_) return;
    if (group == kTgObject) {
        ObjDefaults d = obj_defaults_get();
        if (bars_view_hooks_.place_at_cursor && bars_view_hooks_.place_at_cursor(d.text, d.action, d.size, d.flags))
            view_repaint();
    } else if (const char* note = toolbox_note(group)) {
        msg_note(note);
    }
}

void on_lbutton_up(HWND win) {
    if (dragging_) {
        // Placed first: releasing the capture reports a lost capture, which cancels a drag.
        drag_end(win, true);
        if (GetCapture() == win) ReleaseCapture();
        return;
    }
    std::optional<int> pos = but_captured_;
    but_captured_.reset();
    lbuttondown_ = false;
    if (GetCapture() == win) ReleaseCapture();
    if (!pos) return;
    const ToolRow* row = toolbox_model().row_at(*pos);
    if (!row) return;
    int group = row->group;
    ToolMarks marks{!marked_obj_.empty(), !marked_link_.empty(), !marked_shape_.empty()};
    ToolPick p = toolbox_model().pick(*pos, marks, toolbox_icon_current());
    if (p.mark_changed) view_mark_changed();
    if (p.redraw) InvalidateRect(win, nullptr, FALSE);
    if (p.close) {
        DestroyWindow(win);
        return;
    }
    if (p.rotate) {
        ToolboxPlace cur = prev_pos_.value_or(ToolboxPlace{});
        RECT r = window_in_parent(win);
        save_place({r.left, r.top, 1 - cur.orient});
        DestroyWindow(win);
        task_menu_cmd(CMD_TOOLBOX);
        return;
    }
    if (p.user_code) view_send_user(p.user_code, p.user_param);
    if (p.menu_cmd) task_menu_cmd(p.menu_cmd);
    if (p.goes_on && IsWindow(win) && pointer_outside(win)) release_outside(group);
}

void on_capture_lost(HWND win) {
    if (dragging_) drag_end(win, false);
    lbuttondown_ = false;
}

void on_mouse_move(HWND win, int x, int y) {
    if (dragging_) {
        drag_move(win);
        return;
    }
    if (lbuttondown_) {
        if (pointer_outside(win)) SetCursor(LoadCursorA(bars_instance(), MAKEINTRESOURCEA(IDC_TOOLBOX_PLACE)));
        else SetCursor(util_system_cursor(IDC_ARROW));
        return;
    }
    int pos = toolbox_position_at(x, y, orient());
    const ToolRow* r = toolbox_model().row_at(pos);
    if (!r || r->bitmap == kToolUnusedBitmap) {
        tip_hide();
        return;
    }
    bars_tip_request(win, cell_rect(pos), toolbox_model().title(*r), r->tooltip);
}

void on_rbutton_up(HWND win, int x, int y) {
    tip_hide();
    int cmd = bars_popup(IDM_POP_WHATSTHIS, win, x, y,
                         PopupSource{kPopupToolbox, toolbox_position_at(x, y, orient())});
    if (cmd == 10725) help_context(100);
}

void on_create(HWND win) {
    toolbox_inst_ = win;
    toolbox_set_open(true);
    place_window(win);
}

void on_destroy(HWND win) {
    if (toolbox_inst_ == win) toolbox_inst_ = nullptr;
    toolbox_set_open(false);
    dragging_.reset();
    but_captured_.reset();
    lbuttondown_ = false;
    RECT r = window_in_parent(win);
    // The place is kept as it is (no drift across closing and opening).
    save_place({std::max<int>(r.left, 0), std::max<int>(r.top, 0), orient()});
    menu_check(CMD_TOOLBOX, false);
    view_repaint();
}

}  // namespace

LRESULT CALLBACK win_shapebar_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    try {
        switch (msg) {
        case WM_CREATE: on_create(win); return 0;
        case WM_PAINT: on_paint(win); return 0;
        case WM_ERASEBKGND: return 1;
        case WM_LBUTTONDOWN: on_lbutton_down(win, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return 0;
        case WM_LBUTTONUP: on_lbutton_up(win); return 0;
        case WM_MOUSEMOVE: on_mouse_move(win, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return 0;
        case WM_CAPTURECHANGED:
            if (reinterpret_cast<HWND>(lp) != win) on_capture_lost(win);
            return 0;
        case WM_RBUTTONUP: on_rbutton_up(win, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return 0;
        case WM_KEYDOWN:
        case WM_KEYUP:
        case WM_CHAR:
            // The toolbox has no keys of its own: the diagram gets them.
            if (view_inst_) return SendMessageA(view_inst_, msg, wp, lp);
            return 0;
        case WM_DESTROY: on_destroy(win); return 0;
        }
    } catch (...) {
        bars_trap();
    }
    return DefWindowProcA(win, msg, wp, lp);
}

HWND toolbox_onoff(HWND parent) {
    if (toolbox_inst_) return toolbox_inst_;
    if (!parent) return nullptr;
    if (!prev_pos_) prev_pos_ = toolbox_place_from(file_setting_get_list("Toolbox", toolbox_place_default()));
    return bars_create_child(kClass, trap_wnd<win_shapebar_eh>, "Shapebar", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_CLIPSIBLINGS, 100,
                             80, 569, 43, parent);
}

void toolbox_keep_visible() {
    if (toolbox_inst_ && !dragging_) place_window(toolbox_inst_);
}

void toolbox_menu_cmd() {
    bool on = !menu_checked(CMD_TOOLBOX);
    menu_check(CMD_TOOLBOX, on);
    if (on) toolbox_onoff(view_inst_);
    else if (toolbox_inst_) DestroyWindow(toolbox_inst_);
}

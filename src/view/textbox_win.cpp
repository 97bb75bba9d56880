#include "view/textbox_win.h"

#include <string>
#include <vector>

#include "bars/status.h"
#include "bars/tbar_win.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/tip_win.h"
#include "base/trap_win.h"
#include "document/globals.h"
#include "document/view.h"
#include "elements/draw_win.h"
#include "elements/font_win.h"
#include "elements/link.h"
#include "elements/link_label.h"
#include "elements/obj.h"
#include "elements/obj_win.h"
#include "elements/textbox.h"
#include "resources/ids.h"
#include "view/view_cmd.h"
#include "view/view_win.h"

namespace {

constexpr const char* kClass = "vorntextbox";

struct Box {
    int mode = 0;
    Key k1 = 0, k2 = 0;
    bool is_new = false;
    HWND edit = nullptr;
    HFONT font = nullptr;
    WNDPROC edit_proc = nullptr;
    std::string default_text;
    std::string opened_text;
};

Box* box_of(HWND win) { return reinterpret_cast<Box*>(GetWindowLongPtrA(win, GWLP_USERDATA)); }

std::string edit_text(HWND edit) {
    const int n = GetWindowTextLengthA(edit);
    std::string s(static_cast<size_t>(n) + 1, '\0');
    GetWindowTextA(edit, s.data(), n + 1);
    s.resize(static_cast<size_t>(n));
    return s;
}

int close_seconds() {
    const int c = tip_prefs_get().c;
    return c < 3 ? 3 : c > 60 ? 60 : c;
}

// Enter commits; the character it would type is swallowed so the edit does not beep.
LRESULT CALLBACK edit_eh(HWND edit, UINT msg, WPARAM wp, LPARAM lp) {
    HWND win = GetParent(edit);
    Box* b = box_of(win);
    if (msg == WM_KEYDOWN && wp == VK_RETURN) {
        SendMessageA(win, WM_TEXTBOX_USER, 3, 0);
        return 0;
    }
    // Esc belongs to the diagram's Close command, which also closes this box.
    if (msg == WM_KEYDOWN && wp == VK_ESCAPE) {
        task_menu_cmd(CMD_CLOSE_WINDOWS);
        return 0;
    }
    if (msg == WM_CHAR && (wp == '\r' || wp == 27)) return 0;
    return b && b->edit_proc ? CallWindowProcA(b->edit_proc, edit, msg, wp, lp) : DefWindowProcA(edit, msg, wp, lp);
}

// Text widths of object IDs in the font the view draws them with, in diagram units.
int view_text_width(std::string_view s, int slot) {
    HDC dc = GetDC(view_inst_);
    if (!dc) return 0;
    view_apply_mapping(dc, view_mapping());
    HFONT f = font_create(slot, 4);
    HGDIOBJ old = SelectObject(dc, f);
    SIZE sz{};
    GetTextExtentPoint32A(dc, s.data(), static_cast<int>(s.size()), &sz);
    SelectObject(dc, old);
    DeleteObject(f);
    ReleaseDC(view_inst_, dc);
    return sz.cx;
}

// The view's rectangle in the box parent's client coordinates.
Rc view_rect(HWND parent) {
    RECT r{};
    if (view_inst_) {
        GetWindowRect(view_inst_, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        // Anchors are in the view's client pixels; its border is not part of them.
        POINT o{0, 0};
        ClientToScreen(view_inst_, &o);
        ScreenToClient(parent, &o);
        return {o.x, o.y, r.right, r.bottom};
    }
    GetClientRect(parent, &r);
    return {r.left, r.top, r.right, r.bottom};
}

bool on_create(HWND win, Box* b) {
    HWND parent = GetParent(win);
    Pt anchor;
    int min_w = 80, slot = kFontObject;
    std::string current;
    if (b->mode == 1) {
        auto o = view_obj_get(b->k1);
        if (!o || !view_doc().obj(b->k1)) return false;
        anchor = draw_lp_to_dp_x({o->x, o->y}).value_or(Pt{o->x, o->y});
        current = o->id;
        b->default_text = obj_defaults_get().text;
    } else {
        auto l = view_link_get(b->k1, b->k2);
        if (!l) return false;
        min_w = 60;
        slot = kFontLinkLabel;
        if (auto pt = link_label_pt_get(b->k1, b->k2)) {
            anchor = pt->label;
        } else {
            RECT c{};
            GetClientRect(view_inst_ ? view_inst_ : parent, &c);
            anchor = {c.right / 2, c.bottom / 2};
        }
        current = l->label;
        b->default_text = link_defaults_get().label;
    }
    b->font = font_create(slot, 1);
    b->edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL, 0, 0, 10, 10,
                              win, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kTextboxEditId)),
                              GetModuleHandleA(nullptr), nullptr);
    if (!b->edit) return false;
    SendMessageA(b->edit, WM_SETFONT, reinterpret_cast<WPARAM>(b->font), FALSE);

    HDC dc = GetDC(win);
    HGDIOBJ old = SelectObject(dc, b->font);
    SIZE sz{};
    GetTextExtentPoint32A(dc, current.data(), static_cast<int>(current.size()), &sz);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(win, dc);
    const int w = textbox_width(sz.cx, min_w);
    const int h = tm.tmHeight + tm.tmExternalLeading + 4;  // room for the edit's border
    const Rc r = textbox_rect(anchor, view_rect(parent), w, h);
    MoveWindow(win, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
    MoveWindow(b->edit, 0, 0, w, h + 1, FALSE);

    b->edit_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(b->edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(trap_wnd<edit_eh>)));
    SetWindowTextA(b->edit, current.c_str());
    SendMessageA(b->edit, EM_SETSEL, 0, 99);
    b->opened_text = current;

    textbox_inst_ = {win, b->mode, b->k1, b->k2};
    KillTimer(win, kTextboxTimer);
    SetTimer(win, kTextboxTimer, static_cast<UINT>(close_seconds()) * 1000u, nullptr);
    return true;
}

void commit_object(HWND win, Box* b) {
    const auto o = view_obj_get(b->k1);
    if (!o || !view_doc().obj(b->k1)) return;  // gone: the box stays open
    const std::string text = edit_text(b->edit);
    const char sep = textbox_separator(tip_prefs_get().e);
    obj_id_dup_warn(textbox_split_id(text, sep).front(), o->id);
    const int slot = (o->flags & 0x2) ? kFontObjectAlt : kFontObject;
    const Key key = b->k1;
    auto r = textbox_commit_object(key, text, sep, b->is_new, b->default_text,
                                   [slot](std::string_view s) { return view_text_width(s, slot); });
    if (!r.ok) return;
    view_invalidate();
    DestroyWindow(win);
    if (!r.rest.empty()) view_obj_from_text(key, r.rest);
    status_update(2, 0);
}

void commit_label(HWND win, Box* b) {
    auto r = textbox_commit_label(b->k1, b->k2, edit_text(b->edit));
    if (!r.ok) return;
    if (r.recompute) view_auto_recompute();
    view_invalidate();
    DestroyWindow(win);
}

void on_timer(HWND win, Box* b) {
    KillTimer(win, kTextboxTimer);
    if (edit_text(b->edit) != b->default_text) return;  // typed into: stays open, no timer
    const bool drop = b->mode == 1 && b->is_new;
    const Key key = b->k1;
    DestroyWindow(win);
    if (drop && textbox_drop_new(key)) {
        view_invalidate();
        status_update(2, 0);
    }
}

void on_finish(HWND win, Box* b) {
    if (b->mode != 1) return;
    obj_mark_one(b->k1);
    view_send_user(5, 0);
    view_invalidate();
    DestroyWindow(win);
}

void copy_text(HWND win, Box* b) {
    const std::string s = edit_text(b->edit);
    if (!OpenClipboard(win)) return;
    EmptyClipboard();
    if (HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, s.size() + 1)) {
        if (void* p = GlobalLock(h)) {
            memcpy(p, s.c_str(), s.size() + 1);
            GlobalUnlock(h);
            if (!SetClipboardData(CF_TEXT, h)) GlobalFree(h);
        } else {
            GlobalFree(h);
        }
    }
    CloseClipboard();
}

void paste_text(HWND win, Box* b) {
    if (!OpenClipboard(win)) return;
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        if (const char* p = static_cast<const char*>(GlobalLock(h))) {
            SetWindowTextA(b->edit, p);
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
}

void register_class() {
    static bool done = false;
    if (done) return;
    WNDCLASSA wc{};
    wc.lpfnWndProc = trap_wnd<win_textbox_eh>;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_IBEAM);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClass;
    done = RegisterClassA(&wc) != 0;
}

}  // namespace

bool textbox_open(HWND parent, int mode, Key k1, Key k2, bool is_new) {
    if (mode == 0) return true;
    if (mode != 1 && mode != 2) return false;
    textbox_hand_over();
    register_class();
    tip_suspend();
    tip_hide();
    Box* b = new Box;
    b->mode = mode;
    b->k1 = k1;
    b->k2 = k2;
    b->is_new = is_new && mode == 1;
    HWND win = CreateWindowExA(0, kClass, "", WS_CHILD | WS_CLIPSIBLINGS, 0, 0, 0, 0, parent, nullptr,
                               GetModuleHandleA(nullptr), b);
    if (!win) {
        // A box that could not be placed (its object or link is gone) cleans up after itself.
        tip_resume();
        return false;
    }
    SetWindowPos(win, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    SetFocus(box_of(win)->edit);
    return true;
}

void textbox_close() {
    if (textbox_inst_.win && IsWindow(textbox_inst_.win)) DestroyWindow(textbox_inst_.win);
    textbox_inst_ = {};
}

void textbox_hand_over() {
    HWND win = textbox_inst_.win;
    if (!win || !IsWindow(win)) return;
    SendMessageA(win, WM_TEXTBOX_USER, 3, 0);
    textbox_close();
}

bool textbox_holds_change() {
    HWND win = textbox_inst_.win;
    Box* b = win && IsWindow(win) ? box_of(win) : nullptr;
    return b && b->edit && edit_text(b->edit) != b->opened_text;
}

void textbox_cancel() {
    HWND win = textbox_inst_.win;
    Box* b = win && IsWindow(win) ? box_of(win) : nullptr;
    const bool drop = b && b->mode == 1 && b->is_new;
    const Key key = b ? b->k1 : 0;
    textbox_close();
    // A new object that was never named goes again, as when the box times out.
    if (drop && textbox_drop_new(key)) {
        view_invalidate();
        status_update(2, 0);
    }
}

LRESULT CALLBACK win_textbox_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    Box* b = box_of(win);
    switch (msg) {
    case WM_NCCREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        SetWindowLongPtrA(win, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
        return DefWindowProcA(win, msg, wp, lp);
    }
    case WM_CREATE:
        return b && on_create(win, b) ? 0 : -1;
    case WM_TEXTBOX_USER:
        if (!b || !b->edit) return 0;
        switch (wp) {
        case 3:
            if (b->mode == 1) commit_object(win, b);
            else commit_label(win, b);
            break;
        case 5: on_finish(win, b); break;
        case 47: paste_text(win, b); break;
        case 48: copy_text(win, b); break;
        default: break;
        }
        return 0;
    case WM_TIMER:
        if (wp == kTextboxTimer && b && b->edit) on_timer(win, b);
        return 0;
    case WM_COMMAND:
        // The first key typed makes Save available.
        if (HIWORD(wp) == EN_CHANGE) tbar_refresh();
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        BeginPaint(win, &ps);
        EndPaint(win, &ps);
        if (b && b->edit) SetFocus(b->edit);
        return 0;
    }
    case WM_DESTROY:
        if (textbox_inst_.win == win) textbox_inst_ = {};
        // The keys go back to the diagram the box was typed over.
        if (HWND f = GetFocus(); f && (f == win || IsChild(win, f))) view_focus();
        // However the box of a new object ends, the next object may be placed.
        if (b && b->is_new) create_obj_later_.reset();
        KillTimer(win, kTextboxTimer);
        tip_resume();
        return 0;
    case WM_NCDESTROY:
        if (b) {
            if (b->font) DeleteObject(b->font);
            delete b;
            SetWindowLongPtrA(win, GWLP_USERDATA, 0);
        }
        return DefWindowProcA(win, msg, wp, lp);
    default:
        return DefWindowProcA(win, msg, wp, lp);
    }
}

#include "text/tw_frame_win.h"

#include <shellapi.h>

#include <algorithm>

#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "document/view_io.h"
#include "elements/draw_win.h"
#include "resources/ids.h"
#include "text/tw.h"

namespace {

// The object's position in the main window's client coordinates.
POINT object_point(const Obj& o) {
    POINT p{0, 0};
    if (auto d = draw_lp_to_dp_x({o.x, o.y})) p = {d->x, d->y};
    if (view_inst_ && main_inst_) MapWindowPoints(view_inst_, main_inst_, &p, 1);
    return p;
}

}  // namespace

RECT tw_rect_in_main(HWND win) {
    // A minimised window keeps the place it had before: the strip it shows now is no place to
    // open it at again.
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (IsIconic(win) && GetParent(win) == main_inst_ && GetWindowPlacement(win, &wp)) return wp.rcNormalPosition;
    RECT r;
    GetWindowRect(win, &r);
    MapWindowPoints(nullptr, main_inst_, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT tw_place_window(const Obj& o, int def_w, int def_h) {
    RECT client{0, 0, 640, 480};
    if (main_inst_) GetClientRect(main_inst_, &client);
    POINT p = object_point(o);
    TwRect r = tw_place(tw_unpack_geometry(o.geom), p.x, p.y, def_w, def_h, client.right, client.bottom);
    draw_open_effect({p.x, p.y}, {r.left, r.top, r.right, r.bottom}, 1);
    return {r.left, r.top, r.right, r.bottom};
}

void tw_close_effect(HWND win, const Obj& o) {
    RECT r = tw_rect_in_main(win);
    POINT p = object_point(o);
    ShowWindow(win, SW_HIDE);
    draw_open_effect({p.x, p.y}, {r.left, r.top, r.right, r.bottom}, 0);
}

std::string tw_title(HWND win) {
    char buf[MAX_PATH + 64] = {};
    GetWindowTextA(win, buf, sizeof buf);
    return buf;
}

bool tw_write_file(const std::string& name, std::string_view data) {
    std::string error;
    if (view_write_replace(name, data, &error)) return true;
    // The reason the save gave (a full disk says so), as the document's own save shows it.
    msg_error(error.empty() ? "Saving " + name : error);
    return false;
}

void tw_print_file(std::string_view data) {
    std::string file = file_progdir_path("temp_printfile.rtf");
    DeleteFileA(file.c_str());
    if (!tw_write_file(file, data)) return;
    auto r = reinterpret_cast<INT_PTR>(ShellExecuteA(main_inst_, "print", file.c_str(), "", "", SW_SHOWNORMAL));
    if (r >= 0 && r <= 31) dlg_error_msg("Opening File (%s)", file, 10000 + static_cast<int>(r));
}

bool tw_close_key(HWND win, WPARAM vk) {
    if (vk == VK_ESCAPE && main_inst_) {
        // What the View menu's Close TextBox, TextWindows names Esc for, as from the diagram.
        PostMessageA(main_inst_, WM_COMMAND, CMD_CLOSE_WINDOWS, 0);
        return true;
    }
    if (vk == VK_F4 && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0) {
        PostMessageA(win, WM_CLOSE, 0, 0);
        return true;
    }
    return false;
}

POINT tw_keyboard_menu_point(HWND edit, POINT p) {
    // A caret scrolled out of sight still gets its menu on the window.
    RECT c;
    GetClientRect(edit, &c);
    p.x = std::clamp(p.x, c.left, std::max(c.left, c.right - 1));
    p.y = std::clamp(p.y, c.top, std::max(c.top, c.bottom - 1));
    ClientToScreen(edit, &p);
    return p;
}

TwMenuKey tw_menu_key(UINT msg, WPARAM vk) {
    if (msg == WM_SYSKEYDOWN && vk == VK_F10 && GetKeyState(VK_SHIFT) < 0) return TwMenuKey::open;
    if (vk != VK_APPS) return TwMenuKey::none;
    if (msg == WM_KEYDOWN) return TwMenuKey::open;
    return msg == WM_KEYUP ? TwMenuKey::swallow : TwMenuKey::none;
}

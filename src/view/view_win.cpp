// The diagram window: window procedure, layout, repaint requests, the view position's window
// side and user commands.
#include "view/slideshow_win.h"
#include "view/view_cmd.h"
#include "view/view_win.h"

#include <windowsx.h>
#include <shellapi.h>

#include <algorithm>
#include <string>

#include "bars/sbar.h"
#include "bars/tbar.h"
#include "bars/tbar_win.h"
#include "bars/toolbox.h"
#include "bars/toolbox_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/globals_win.h"
#include "base/shell_hooks_win.h"
#include "base/util_win.h"
#include "base/menu_win.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"
#include "elements/bg_dialog_win.h"
#include "elements/draw_win.h"
#include "elements/obj.h"
#include "resources/ids.h"
#include "view/textbox_win.h"

namespace {

// Every mapping asks for it (each paint, each move of the mouse), and each asking is a round trip
// to the system: kept until the display changes.
int screen_w_ = 0;

int screen_width_now() {
    if (screen_w_ <= 0) screen_w_ = std::max(1, GetSystemMetrics(SM_CXSCREEN));
    return screen_w_;
}

PropertiesHook g_properties = nullptr;
std::string g_report;  // an error met while painting, shown after the paint
constexpr UINT WM_VIEW_REPORT = WM_APP + 0x102;

// The window side of the view position: scrolling and repainting the diagram window.
class ViewSbarHost : public SbarHost {
public:
    void repaint_all() override { view_invalidate(); }
    void scroll_window(const Rc& strip, int dx, int dy) override {
        if (!view_inst_) return;
        RECT r{strip.left, strip.top, strip.right, strip.bottom};
        InvalidateRect(view_inst_, &r, FALSE);
        if (dx || dy) ScrollWindowEx(view_inst_, dx, dy, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE);
    }
    void set_scroll_pos(int axis, int pos) override {
        if (view_inst_ && menu_checked(CMD_SCROLLBARS)) SetScrollPos(view_inst_, axis == 0 ? SB_HORZ : SB_VERT, pos, TRUE);
    }
    void mark_changed() override { view_mark_changed(); }
    void status(int field, int value) override {
        SbarHost::status(field, value);
        if (field == 8) bg_dialog_follow_level();
    }
    int screen_width() const override { return screen_width_now(); }
    Sz client_size() const override {
        RECT r{};
        if (view_inst_) GetClientRect(view_inst_, &r);
        return {r.right, r.bottom};
    }
    bool windows_force_full_repaint() const override {
        return toolbox_inst_ != nullptr || dlg_find_modeless(10380) != nullptr;
    }
};
ViewSbarHost g_host;

void apply_view_mapping(HDC dc) { view_apply_mapping(dc, view_mapping()); }

std::optional<Pt> dp_to_lp(Pt p) { return view_mapping().to_logical(p); }

// Zoom and origin that show every object of the current level in the window, or with
// `for_print` 1 in the printed page's frame.
int fit_view(int for_print) {
    ViewState st = sbar_view_state();
    FitFrame box;
    for (const auto& b : view_painted_objects())
        if (b.level == st.level) box.add(b.rect);
    // Only objects in the window are painted; the others count by their places.
    for (const auto& o : view_doc().objs)
        if (o.level == st.level) box.add(int64_t{o.x} - 100, int64_t{o.y} + 60, int64_t{o.x} + 100, int64_t{o.y} - 60);
    if (box.empty) return -1;
    ViewMapping m = view_mapping();
    int w = m.client_w, h = m.client_h;
    // The frame keeps its size in the window at every zoom, centred as the diagram will be.
    if (auto f = for_print == 1 ? view_print_frame() : std::nullopt) {
        Rc d = m.to_device_rect(*f);
        w = std::abs(d.right - d.left);
        h = std::abs(d.bottom - d.top);
    }
    sbar_cmd(kSbarZoom, kSbSet, fit_zoom_percent(box, 40, w, h));
    const Pt centre = fit_centre(box);
    view_scroll_to(centre.x, centre.y, st.level);
    return 0;
}

LRESULT on_user(int code, int param) {
    switch (code) {
    case 5:
        create_obj_later_.reset();
        view_invalidate();
        return 0;
    case 36: return fit_view(param);
    case 53: return view_obj_run_action(static_cast<Key>(param)) ? 0 : -1;
    default: break;
    }
    if (auto reply = view_user_command(code, param)) return *reply;
    return -1;
}

void on_drop_files(HWND win, HDROP drop) {
    POINT at{};
    DragQueryPoint(drop, &at);
    Pt lp = view_mapping().to_logical({at.x, at.y});
    UINT n = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    // Dropped files become objects that open their file (action 39); the user's object
    // defaults stay as they are for objects made afterwards.
    int level = sbar_view_state().level;
    UndoStep step;
    bool any = false;
    std::string refused;
    for (UINT i = 0; i < n; ++i) {
        // Whole and wide: a name the code page cannot spell is taken by its short form or refused.
        std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + 1, L'\0');
        name.resize(DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
        if (name.empty()) continue;
        auto ansi = util_ansi_path(name);
        if (!ansi) {
            refused += "\n" + util_ansi_shown(name);
            continue;
        }
        std::string path = *ansi;
        std::string id = path.substr(path.find_last_of("\\/") + 1);
        Pt p = drop_position(lp, static_cast<int>(i));
        Obj o = view_obj_new(id, p.x, p.y, level);
        o.action = 39;
        o.ext = path;
        if (view_obj_put(o)) any = true;
    }
    DragFinish(drop);
    if (any) {
        step.commit("Create Object");
        view_invalidate();
    }
    if (!refused.empty())
        msg_error("Cannot take these files: their names have characters outside the code page or are too long, "
                  "and there is no short name to use instead:" + refused);
}

void on_scroll(int axis, UINT code, int pos) {
    int sub = 0;
    switch (code) {
    case SB_LINEUP: sub = kSbLineUp; break;
    case SB_LINEDOWN: sub = kSbLineDown; break;
    case SB_PAGEUP: sub = kSbPageUp; break;
    case SB_PAGEDOWN: sub = kSbPageDown; break;
    case SB_THUMBPOSITION: sub = kSbThumbPos; break;
    case SB_THUMBTRACK: sub = kSbThumbTrack; break;
    default: return;
    }
    sbar_cmd(axis, sub, pos);
}

// No user clicks or types into a diagram whose main window a modal dialog or a box holds:
// such input came from elsewhere and would change the document under the dialog.
bool foreign_input(UINT msg) {
    switch (msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN: case WM_RBUTTONUP: case WM_KEYDOWN:
    case WM_CHAR: case WM_MOUSEWHEEL:
        return dlg_program_held();
    default: return false;
    }
}

LRESULT dispatch(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    if (foreign_input(msg)) return 0;
    switch (msg) {
    case WM_CREATE:
        view_inst_ = win;
        sbar_set_host(&g_host);
        draw_set_view_mapping(apply_view_mapping);
        obj_set_dp_to_lp(dp_to_lp);
        view_set_repaint_hook(view_invalidate);
        return 0;
    case WM_DESTROY:
        KillTimer(win, kViewAutoscrollTimer);
        if (view_inst_ == win) {
            view_inst_ = nullptr;
            sbar_set_host(nullptr);
            draw_set_view_mapping(nullptr);
            obj_set_dp_to_lp(nullptr);
            view_set_repaint_hook(nullptr);
        }
        return 0;
    case WM_NCPAINT: return 0;     // no frame to draw
    case WM_ERASEBKGND: return 1;  // the paint pass fills everything
    case WM_PAINT: view_on_paint(win); return 0;
    case WM_RENDERFORMAT:
    case WM_RENDERALLFORMATS:
    case WM_DESTROYCLIPBOARD: view_clip_owner_message(win, msg, wp); return 0;
    case WM_PRINTCLIENT: {
        RECT r;
        GetClientRect(win, &r);
        HDC dc = reinterpret_cast<HDC>(wp);
        int saved = SaveDC(dc);
        ViewMapping m = view_mapping();
        view_apply_mapping(dc, m);
        view_paint_dc(dc, m, r);
        RestoreDC(dc, saved);
        return 0;
    }
    case WM_SIZE:
        toolbox_keep_visible();
        view_invalidate();
        return 0;
    case WM_SETFOCUS:
        // Edit commands belong to the diagram again, not to the text window that had them.
        focused_tw_ = {};
        return 0;
    case WM_LBUTTONDOWN: view_mouse_down(win, GET_X_LPARAM(lp), GET_Y_LPARAM(lp), static_cast<UINT>(wp)); return 0;
    case WM_MOUSEMOVE: view_mouse_move(win, GET_X_LPARAM(lp), GET_Y_LPARAM(lp), static_cast<UINT>(wp)); return 0;
    case WM_LBUTTONUP: view_mouse_up(win, GET_X_LPARAM(lp), GET_Y_LPARAM(lp), static_cast<UINT>(wp)); return 0;
    case WM_LBUTTONDBLCLK: view_mouse_dbl(win, GET_X_LPARAM(lp), GET_Y_LPARAM(lp), static_cast<UINT>(wp)); return 0;
    case WM_RBUTTONUP: view_mouse_right(win, GET_X_LPARAM(lp), GET_Y_LPARAM(lp), static_cast<UINT>(wp)); return 0;
    case WM_CONTEXTMENU: view_context_menu(win, GET_X_LPARAM(lp), GET_Y_LPARAM(lp)); return 0;
    case WM_CAPTURECHANGED: view_mouse_capture_lost(win); return 0;
    case WM_CANCELMODE: view_mouse_capture_lost(win); break;
    case WM_TIMER:
        if (wp == kViewAutoscrollTimer) view_mouse_timer(win);
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lp) == HTCLIENT && view_mouse_set_cursor(win)) return TRUE;
        break;
    case WM_KEYDOWN:
        if (view_key(win, static_cast<UINT>(wp))) return 0;
        break;
    // The pop-up menu keys are taken here, down and up: the system's own handling of Shift+F10
    // would also enter the menu bar when the key goes up.
    case WM_SYSKEYDOWN:
        if (wp == VK_F10 && GetKeyState(VK_SHIFT) < 0) {
            view_context_menu(win, -1, -1);
            return 0;
        }
        break;
    case WM_KEYUP:
        if (wp == VK_APPS) return 0;
        break;
    case WM_MOUSEWHEEL:
        sbar_cmd(kSbarWheel, GET_WHEEL_DELTA_WPARAM(wp) >= 0 ? 1 : 0, 0);
        return 0;
    case WM_HSCROLL: on_scroll(0, LOWORD(wp), static_cast<short>(HIWORD(wp))); return 0;
    case WM_VSCROLL: on_scroll(1, LOWORD(wp), static_cast<short>(HIWORD(wp))); return 0;
    case WM_DROPFILES: {
        // Dropped while a dialog holds the document (Object Defaults' Cancel would take the new
        // objects back for good): they come once it is free again.
        HDROP drop = reinterpret_cast<HDROP>(wp);
        dlg_when_document_free([win, drop] { on_drop_files(win, drop); });
        return 0;
    }
    case WM_VIEW_REPORT:
        if (!g_report.empty()) {
            std::string text;
            text.swap(g_report);
            msg_error(text);
        }
        return 0;
    case WM_VIEW_USER: return on_user(static_cast<int>(wp), static_cast<int>(lp));
    default: break;
    }
    return DefWindowProcA(win, msg, wp, lp);
}

}  // namespace

LRESULT CALLBACK win_view_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    // Errors that stop an operation end here and never cross into the system. A paint never
    // shows a box: its error is reported once the paint is over.
    std::string error;
    try {
        return dispatch(win, msg, wp, lp);
    } catch (const VornDeclined&) {
        return msg == WM_VIEW_USER ? -1 : 0;  // the user said no: nothing to report
    } catch (const VornError& e) {
        error = e.text.empty() ? "Error " + std::to_string(e.code) : e.text + " (" + std::to_string(e.code) + ")";
    } catch (const std::exception& e) {
        error = e.what();
    }
    if (msg == WM_PAINT) {
        ValidateRect(win, nullptr);
        static std::string pending;
        if (pending != error) {
            pending = error;
            PostMessageA(win, WM_VIEW_REPORT, 0, 0);
        }
        g_report = error;
        return 0;
    }
    msg_error(error);
    return msg == WM_VIEW_USER ? -1 : 0;
}

Rc view_place_in(HWND main) {
    RECT c{};
    GetClientRect(main, &c);
    // A show gives the diagram every pixel of the screen.
    if (slideshow_running()) return {0, 0, c.right, c.bottom};
    return view_layout_rect(c.right, c.bottom, menu_checked(CMD_TBAR_LEFT), menu_checked(CMD_TBAR_TOP),
                            menu_checked(CMD_STATUSBAR));
}

void view_layout() {
    if (!view_inst_ || !main_inst_) return;
    const Rc r = view_place_in(main_inst_);
    util_place_window(view_inst_, r.left, r.top, r.right - r.left, r.bottom - r.top);
}

void view_display_changed() {
    screen_w_ = 0;
    view_invalidate();
}

void view_invalidate() {
    if (view_inst_) InvalidateRect(view_inst_, nullptr, FALSE);
    if (toolbox_inst_) InvalidateRect(toolbox_inst_, nullptr, FALSE);
    // Whatever changed what the diagram shows (an edit, marks, Undo) may change what the
    // toolbar's buttons can do.
    tbar_refresh();
}

void view_invalidate_rect(int margin, const Rc& logical) {
    if (!view_inst_) return;
    Rc d = view_mapping().to_device_rect(logical);
    RECT r{d.left - margin, d.top - margin, d.right + margin + 1, d.bottom + margin + 1};
    InvalidateRect(view_inst_, &r, FALSE);
}

void view_invalidate_marked() {
    if (!view_inst_) return;
    const auto& boxes = view_painted_objects();
    int level = sbar_view_state().level;
    for (Key k : marked_obj_)
        if (const ObjBox* b = box_of(boxes, k, level)) view_invalidate_rect(16, b->rect);
    for (Key k : marked_shape_)
        if (auto s = view_shape_get(k)) view_invalidate_rect(16, shape_rect(*s));
    for (const auto& l : view_painted_links())
        for (const auto& ml : marked_link_)
            if (l.from == ml.from && l.to == ml.to && !l.pts.empty()) {
                Rc r{l.pts.front().x, l.pts.front().y, l.pts.front().x, l.pts.front().y};
                for (Pt p : l.pts) r = united(r, Rc{p.x, p.y, p.x, p.y});
                view_invalidate_rect(16, r);
            }
}

void view_focus() {
    if (view_inst_) SetFocus(view_inst_);
}

void view_wait_cursor(bool on) {
    SetCursor(util_system_cursor(on ? IDC_WAIT : IDC_ARROW));
}

void view_scroll_to(int x, int y, int level) {
    ViewMapping m = view_mapping();
    Pt o = origin_for_centre(m, {x, y});
    sbar_set_origin(level, o.x, o.y);
    view_invalidate();
}

Key view_place_at_cursor(const std::string& text, int action, int size, int flags) {
    POINT p{};
    GetCursorPos(&p);
    if (view_inst_) ScreenToClient(view_inst_, &p);
    Pt lp = view_mapping().to_logical({p.x, p.y});
    Obj o = view_obj_new(text, lp.x, lp.y, sbar_view_state().level);
    o.action = action;
    o.size = size;
    o.flags = flags;
    UndoStep step;
    auto key = view_obj_put(o);
    if (!key) return 0;
    step.commit("Create Object");
    view_unmark_all();
    obj_mark_one(*key);
    view_invalidate();
    // The new object's ID is typed in place.
    create_obj_later_ = o.shape;
    if (!view_open_textbox(1, *key, 0, true)) create_obj_later_.reset();
    return *key;
}

ViewMapping view_mapping() {
    ViewMapping m;
    RECT r{0, 0, 640, 480};
    if (view_inst_) GetClientRect(view_inst_, &r);
    m.client_w = r.right;
    m.client_h = r.bottom;
    m.screen_w = screen_width_now();
    ViewState st = sbar_view_state();
    m.pos = {st.x0, st.y0, st.level, std::max(1, st.zoom)};
    return m;
}

void view_apply_mapping(HDC dc, const ViewMapping& m) {
    ViewMapping::Gdi g = m.gdi();
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetWindowExtEx(dc, g.window_ext_x, g.window_ext_y, nullptr);
    SetViewportExtEx(dc, g.viewport_ext_x, g.viewport_ext_y, nullptr);
    SetViewportOrgEx(dc, g.viewport_org_x, g.viewport_org_y, nullptr);
}

void view_set_properties_hook(PropertiesHook hook) { g_properties = hook; }
int view_tool(int group, int fallback) { return toolbox_current(group).value_or(fallback); }

bool view_open_properties(HWND parent, int kind, int a, int b) {
    if (!g_properties) return false;
    g_properties(parent, kind, a, b);
    return true;
}

bool view_open_textbox(int mode, Key a, Key b, bool is_new) {
    return textbox_open(main_inst_ ? main_inst_ : view_inst_, mode, a, b, is_new);
}

bool view_obj_run_action(Key key) {
    auto o = view_obj_get(key);
    return o && shell_hooks_.action_do && shell_hooks_.action_do(o->action, key, o->ext);
}

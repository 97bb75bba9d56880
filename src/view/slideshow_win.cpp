#include "view/slideshow_win.h"

#include <string>

#include "bars/sbar.h"
#include "base/commands_win.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/shell_hooks_win.h"
#include "base/tip_win.h"
#include "document/view.h"
#include "elements/bg_transition.h"
#include "resources/ids.h"
#include "view/slideshow.h"
#include "view/textbox_win.h"
#include "view/view_win.h"

namespace {

// What a full-screen show changed, to be put back when it ends.
struct Saved {
    LONG style = 0, ex_style = 0;
    WINDOWPLACEMENT placement{};
    bool tbar_left = false, tbar_top = false, status = false, scrollbars = false;
    bool tbar_shown = false, toolbox_shown = false;
    bool effects = false, effects_saved = false;
};

bool running_ = false;
Saved saved_;
Key last_ = 0;
std::string last_doc_;
Command close_windows_{};  // Esc's own work, done after the show has ended
MainNativeHook prev_native_ = nullptr;

void enter_full_screen(HWND main) {
    Saved& s = saved_;
    s.style = GetWindowLongA(main, GWL_STYLE);
    s.ex_style = GetWindowLongA(main, GWL_EXSTYLE);
    s.placement.length = sizeof s.placement;
    GetWindowPlacement(main, &s.placement);
    s.tbar_left = menu_checked(CMD_TBAR_LEFT);
    s.tbar_top = menu_checked(CMD_TBAR_TOP);
    s.status = menu_checked(CMD_STATUSBAR);
    s.scrollbars = menu_checked(CMD_SCROLLBARS);
    s.tbar_shown = tbar_inst_ && IsWindowVisible(tbar_inst_);
    s.toolbox_shown = toolbox_inst_ && IsWindowVisible(toolbox_inst_);
    // With these unchecked the layout gives the diagram the whole window.
    for (int id : {CMD_TBAR_LEFT, CMD_TBAR_TOP, CMD_STATUSBAR, CMD_SCROLLBARS}) menu_check(id, 0);
    if (tbar_inst_) ShowWindow(tbar_inst_, SW_HIDE);
    if (toolbox_inst_) ShowWindow(toolbox_inst_, SW_HIDE);
    menu_bar_show(false);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoA(MonitorFromWindow(main, MONITOR_DEFAULTTOPRIMARY), &mi);
    const RECT& r = mi.rcMonitor;
    SetWindowLongA(main, GWL_STYLE, (s.style & ~(WS_CAPTION | WS_THICKFRAME | WS_MAXIMIZE | WS_MINIMIZE)) | WS_POPUP);
    SetWindowLongA(main, GWL_EXSTYLE, s.ex_style & ~(WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE));
    SetWindowPos(main, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_FRAMECHANGED | SWP_NOACTIVATE);
    SendMessageA(main, WM_SIZE, SIZE_RESTORED, MAKELPARAM(r.right - r.left, r.bottom - r.top));
}

void leave_full_screen(HWND main) {
    const Saved& s = saved_;
    menu_check(CMD_TBAR_LEFT, s.tbar_left);
    menu_check(CMD_TBAR_TOP, s.tbar_top);
    menu_check(CMD_STATUSBAR, s.status);
    menu_check(CMD_SCROLLBARS, s.scrollbars);
    menu_bar_show(true);
    SetWindowLongA(main, GWL_STYLE, s.style & ~(WS_MAXIMIZE | WS_MINIMIZE));
    SetWindowLongA(main, GWL_EXSTYLE, s.ex_style);
    SetWindowPos(main, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    WINDOWPLACEMENT p = s.placement;
    // A hidden window stays hidden.
    if (!(s.style & WS_VISIBLE)) p.showCmd = SW_HIDE;
    SetWindowPlacement(main, &p);
    if (tbar_inst_ && s.tbar_shown) ShowWindow(tbar_inst_, SW_SHOWNA);
    if (toolbox_inst_ && s.toolbox_shown) ShowWindow(toolbox_inst_, SW_SHOWNA);
    RECT c;
    GetClientRect(main, &c);
    SendMessageA(main, WM_SIZE, SIZE_RESTORED, MAKELPARAM(c.right, c.bottom));
    RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void run_start() {
    if (running_) slideshow_stop();
    else slideshow_start(false);
}
void run_full_screen() {
    if (running_) slideshow_stop();
    slideshow_start(true);
}
void run_close_windows() {
    if (running_) slideshow_stop();
    if (close_windows_.run) close_windows_.run();
}

// Closing or logging off during a show first gives the window its bars back, so that the
// settings written then are the user's own.
bool main_native(HWND win, UINT msg, WPARAM wp, LPARAM lp, LRESULT* r) {
    if ((msg == WM_CLOSE || (msg == WM_ENDSESSION && wp)) && running_) slideshow_stop();
    return prev_native_ && prev_native_(win, msg, wp, lp, r);
}

}  // namespace

bool slideshow_running() { return running_; }

void slideshow_start(bool effects_off) {
    if (running_ || !main_inst_) return;
    textbox_hand_over();
    tip_hide();
    view_unmark_all();
    saved_ = {};
    saved_.effects = slideshow_effects_on();
    saved_.effects_saved = effects_off;
    if (effects_off) slideshow_effects_set(false);
    running_ = true;
    last_ = 0;
    last_doc_.clear();
    menu_check(CMD_SLIDESHOW, 1);
    enter_full_screen(main_inst_);
    if (IsWindowVisible(main_inst_)) SetForegroundWindow(main_inst_);
    view_focus();
    view_invalidate();
}

void slideshow_stop() {
    if (!running_) return;
    running_ = false;
    menu_check(CMD_SLIDESHOW, 0);
    if (saved_.effects_saved) slideshow_effects_set(saved_.effects);
    if (main_inst_) leave_full_screen(main_inst_);
    last_ = 0;
    view_invalidate();
}

void slideshow_next_object() {
    auto cur = file_current();
    std::string doc = cur ? cur->full : std::string();
    if (doc != last_doc_) {
        last_doc_ = doc;
        last_ = 0;
    }
    auto k = slideshow_next(sbar_view_state().level, last_);
    if (!k) {
        MessageBeep(MB_OK);
        return;
    }
    last_ = *k;
    const Obj* o = view_doc().obj(*k);
    view_scroll_to(o->x, o->y, o->level);
    view_invalidate();
    UpdateWindow(view_inst_);
    view_obj_run_action(*k);
}

void view_slideshow_register_commands() {
    if (const Command* c = cmd_find(CMD_CLOSE_WINDOWS)) close_windows_ = *c;
    static const Command commands[] = {
        {CMD_SLIDESHOW, run_start},
        {CMD_FULL_SCREEN, run_full_screen},
        {CMD_SLIDE_NEXT, slideshow_next_object, slideshow_running},
        {CMD_CLOSE_WINDOWS, run_close_windows},
    };
    cmd_register_all(commands);
    shell_chain_native(main_native, prev_native_);
}

#include "app/vorn6_win.h"

#include <shellapi.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/dde_win.h"
#include "app/ddecmd.h"
#include "app/file_win.h"
#include "app/wiring_win.h"
#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/settings_win.h"
#include "base/shell_hooks_win.h"
#include "base/tip_win.h"
#include "base/trap_win.h"
#include "base/util.h"
#include "base/util_win.h"
#include "document/doc_util.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"
#include "document/view_io.h"
#include "resources/ids.h"

namespace {

const char kClass[] = "vorn6";
const char kTitle[] = "Vorn Idea Processor";

std::string start_arg_;
bool uninstall_run_ = false;

// ---- Message boxes.

// Each box belongs to the window it interrupts (a running dialog, not the main window under
// it), and nothing else takes input while it shows. Long paths and addresses are broken into
// lines, or the box grows wider than the screen.
int show_box(const std::string& t, const std::string& title, UINT style) {
    tip_hide();
    DlgBoxHold hold;
    return MessageBoxA(hold.owner(), msg_break_long_words(t).c_str(), title.c_str(), style | MB_TASKMODAL);
}
void box_note(const std::string& t) { show_box(t, "Note", MB_OK | MB_ICONINFORMATION); }
void box_error(const std::string& t) { show_box(t, "Error", MB_OK | MB_ICONHAND); }
int box_ask(const std::string& t, const std::string& title, bool with_cancel) {
    int r = show_box(t, title, (with_cancel ? MB_YESNOCANCEL : MB_YESNO) | MB_ICONQUESTION);
    return r == IDYES ? 1 : r == IDNO ? 2 : 3;
}
bool box_ask_default_no(const std::string& t, const std::string& title) {
    return show_box(t, title, MB_YESNO | MB_DEFBUTTON2 | MB_ICONWARNING) == IDYES;
}

// ---- Start-up pieces.

std::string program_dir() {
    char buf[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, buf, MAX_PATH);
    return file_dir_part(buf);
}

// The first argument of the command line, without quotes.
std::string first_arg(const char* cmd_line) {
    std::string s = cmd_line ? cmd_line : "";
    size_t p = s.find_first_not_of(" \t");
    if (p == std::string::npos) return {};
    if (s[p] == '"') {
        size_t q = s.find('"', p + 1);
        return s.substr(p + 1, q == std::string::npos ? std::string::npos : q - p - 1);
    }
    size_t q = s.find_first_of(" \t", p);
    return s.substr(p, q == std::string::npos ? std::string::npos : q - p);
}

// Where the window was left, fitted to the work area; nothing when no place is kept.
std::optional<Placement> kept_placement() {
    auto p = placement_get();
    if (!p) return std::nullopt;
    RECT w = dlg_work_area();
    p->r = placement_fit(p->r, {w.left, w.top, w.right, w.bottom});
    return p;
}

void apply_placement(HWND win, const Placement& p, int show) {
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    GetWindowPlacement(win, &wp);
    const RECT normal = {p.r.left, p.r.top, p.r.right, p.r.bottom};
    const bool maximize = p.show == SW_SHOWMAXIMIZED && show != SW_HIDE;
    // Made in its place (the usual case): placing it again is a round of position messages for
    // nothing.
    if (!maximize && EqualRect(&wp.rcNormalPosition, &normal)) return;
    wp.rcNormalPosition = normal;
    wp.showCmd = maximize ? SW_SHOWMAXIMIZED : SW_HIDE;
    SetWindowPlacement(win, &wp);
}

void save_placement(HWND win) {
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    if (!GetWindowPlacement(win, &wp)) return;
    Placement p;
    p.show = wp.showCmd == SW_SHOWMAXIMIZED ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    p.r = {wp.rcNormalPosition.left, wp.rcNormalPosition.top, wp.rcNormalPosition.right, wp.rcNormalPosition.bottom};
    placement_set(p);
}

// True when the run starts on an untitled document: nothing named to open, no home document.
bool starts_untitled() { return start_arg_.empty() && !file_exists(file_home_name()); }

void open_start_document() {
    if (!start_arg_.empty()) {
        std::string name = start_arg_;
        if (util_lower(name.substr(0, 7)) != "http://") {
            char full[MAX_PATH] = {};
            if (GetFullPathNameA(start_arg_.c_str(), MAX_PATH, full, nullptr)) name = full;
        }
        if (file_open_by_ext(name)) return;
    }
    std::string home = file_home_name();
    if (file_exists(home) && file_open_document(home) == 1) return;
    file_new_document(file_progdir_path());
}

// ---- Commands.

void run_command(int id) {
    if (focused_tw_.win && !IsWindow(focused_tw_.win)) focused_tw_ = {};
    if (focused_tw_.win && menu_is_forwarded(id)) {
        auto fwd = focused_tw_.kind == 7 ? shell_hooks_.rich_forward_menu : shell_hooks_.tw_forward_menu;
        if (fwd && fwd(id) == 0) return;
    }
    if (const Command* c = cmd_find(id)) {
        if (c->enabled && !c->enabled()) return;
        last_cmd_ = id;
        c->run();
        return;
    }
    if (shell_hooks_.help_menu_dispatch) shell_hooks_.help_menu_dispatch(id);
}

void update_edit_labels(HMENU menu) {
    auto label = [&](int id, const char* base, const std::string& action, const char* key) {
        std::string t = std::string(base) + (action.empty() ? "" : " " + util_replace_all(action, "&", "&&")) + "\t" + key;
        if (GetMenuState(menu, static_cast<UINT>(id), MF_BYCOMMAND) != 0xFFFFFFFFu)
            ModifyMenuA(menu, static_cast<UINT>(id), MF_BYCOMMAND | MF_STRING, static_cast<UINT_PTR>(id), t.c_str());
    };
    // A focused editor sets its own texts ("Undo Text") after this.
    label(CMD_UNDO, "&Undo", focused_tw_.win ? "" : view_undo_name(), "Ctrl+Z");
    label(CMD_REDO, "&Redo", focused_tw_.win ? "" : view_redo_name(), "Ctrl+Y");
}

void on_init_menu_popup(HMENU popup) {
    if (GetMenuState(popup, CMD_EXIT, MF_BYCOMMAND) != 0xFFFFFFFFu) file_recent_menu_update(popup);
    if (GetMenuState(popup, CMD_UNDO, MF_BYCOMMAND) != 0xFFFFFFFFu) update_edit_labels(popup);
    menu_apply_state(popup, false);
    if (focused_tw_.win && IsWindow(focused_tw_.win)) SendMessageA(focused_tw_.win, WM_VORN_USER, 4, 0);
}

// ---- Window events.

bool on_create(HWND win) {
    std::string arg = util_lower(start_arg_);
    if (arg == "/u") {
        uninstall_run_ = true;
        if (shell_hooks_.setup_uninstall) shell_hooks_.setup_uninstall(win);
        else MessageBoxA(win, "Uninstall is not available in this version.", "Note", MB_OK | MB_ICONINFORMATION);
        return false;
    }
    dde_server_start(win);
    main_inst_ = win;
    // The check marks come first so that each bar finds its own state when it is built.
    menu_settings_load();
    file_recent_load();
    bars_create_status(win);
    bars_create_toolbar(win);
    HWND v = view_create_window(win);
    if (v && !view_inst_) view_inst_ = v;
    if (menu_checked(CMD_TOOLBOX)) bars_create_toolbox(win);
    return true;
}

// ---- Keyboard focus: the diagram has it whenever the main window has it, so that arrows and
// Enter work after any dialog, box or text box without a click first.

HWND focus_child_ = nullptr;  // the main window's child that had the focus when it was left

// The child that takes the focus when the main window gets it, or null.
HWND focus_target(HWND win) {
    HWND back = focus_child_;
    focus_child_ = nullptr;
    // A child left with the focus gets it back while it is still there (an open text box);
    // otherwise the diagram.
    if (back && IsWindow(back) && IsChild(win, back) && IsWindowVisible(back) && IsWindowEnabled(back)) return back;
    return view_inst_ && IsWindowEnabled(view_inst_) ? view_inst_ : nullptr;
}

// True when the focus went straight to a child: the default would hand it to the main window
// first, one more round of focus messages (and input-method traffic) for nothing.
bool on_activate(HWND win, WPARAM wp) {
    if (LOWORD(wp) == WA_INACTIVE) {
        HWND f = GetFocus();
        focus_child_ = f && IsChild(win, f) ? f : nullptr;
        return false;
    }
    if (HIWORD(wp)) return false;  // minimized: the default keeps the focus off it
    HWND target = focus_target(win);
    if (!target) return false;
    SetFocus(target);
    return true;
}

void on_set_focus(HWND win) {
    if (HWND target = focus_target(win)) SetFocus(target);
}

void on_size(HWND win) {
    tip_hide();  // whatever it describes may have moved
    bars_layout(win);
    view_layout();
}

bool on_close(HWND win) {
    if (file_ask_save(true) == 3) return false;
    save_placement(win);
    menu_settings_save();
    file_recent_save();
    tip_hide();
    if (shell_hooks_.help_quit) shell_hooks_.help_quit();
    dde_server_stop();
    KillTimer(win, kBackupTimer);
    DestroyWindow(win);
    return true;
}

// ---- Documents opened over DDE: one at a time, never under a box, a modal dialog or a menu,
// so that a question always concerns the document it names.

constexpr UINT_PTR kDdeRetryTimer = 0x4B02;
// A burst of requests is one run: those that come before it has been quiet this long join it.
constexpr UINT_PTR kDdeReportTimer = 0x4B03;
constexpr UINT kDdeQuietMs = 300;
bool dde_opening_ = false;
bool in_menu_loop_ = false;

// One run asks each question at most once, shows each note once and gathers its errors into
// one box at its end: a flood of requests never becomes a flood of boxes.
struct DdeAnswer {
    std::string question;
    int answer;
    size_t request;  // the request that asked it
};
struct DdeRun {
    bool active = false;
    size_t request = 0;  // requests taken so far
    std::vector<DdeAnswer> answers;
    std::vector<std::string> shown, errors;
    std::vector<DdeFailure> failures;
};
DdeRun run_;
MsgHooks outer_boxes_;

void run_note(const std::string& t) {
    if (std::find(run_.shown.begin(), run_.shown.end(), t) != run_.shown.end()) return;
    run_.shown.push_back(t);
    if (outer_boxes_.note) outer_boxes_.note(t);
}
void run_error(const std::string& t) { run_.errors.push_back(t); }
// A question met again by a later request concerns the same document or window, still unsaved:
// its answer stands. Every other question is asked, even one worded alike within one request
// (two windows of files with one name).
int run_ask(const std::string& t, const std::string& title, bool with_cancel) {
    const std::string q = title + "\n" + t;
    for (const auto& a : run_.answers)
        if (a.question == q && a.request != run_.request) return a.answer;
    const int a = outer_boxes_.ask ? outer_boxes_.ask(t, title, with_cancel) : 2;
    run_.answers.push_back({q, a, run_.request});
    return a;
}

bool dde_may_open_now() {
    return !dde_opening_ && !in_menu_loop_ && msg_box_depth() == 0 && modaldlg_inst_.empty() && main_inst_ &&
           IsWindowEnabled(main_inst_);
}

void on_dde_open() {
    if (!dde_pending() || !main_inst_) return;
    if (!dde_may_open_now()) {
        SetTimer(main_inst_, kDdeRetryTimer, 200, nullptr);
        return;
    }
    KillTimer(main_inst_, kDdeRetryTimer);
    KillTimer(main_inst_, kDdeReportTimer);
    dde_opening_ = true;
    if (!run_.active) run_ = {true};
    outer_boxes_ = msg_set_hooks({});
    MsgHooks run = outer_boxes_;
    run.note = run_note;
    run.error = run_error;
    run.ask = run_ask;
    msg_set_hooks(run);
    while (auto name = dde_next_name()) {
        if (!main_inst_) break;
        if (IsIconic(main_inst_)) ShowWindow(main_inst_, SW_RESTORE);
        SetForegroundWindow(main_inst_);
        const size_t before = run_.errors.size();
        ++run_.request;
        trap_run([&] { file_open_by_ext(*name); });
        if (run_.errors.size() > before) run_.failures.push_back({*name, run_.errors[before]});
    }
    msg_set_hooks(outer_boxes_);
    dde_opening_ = false;
    if (main_inst_) SetTimer(main_inst_, kDdeReportTimer, kDdeQuietMs, nullptr);
}

void on_dde_report() {
    if (!main_inst_) return;
    KillTimer(main_inst_, kDdeReportTimer);
    // Never a box over another box, a dialog or a menu: the report waits for them.
    if (!dde_may_open_now()) {
        SetTimer(main_inst_, kDdeReportTimer, 200, nullptr);
        return;
    }
    if (dde_pending()) {
        on_dde_open();  // more came: the run goes on
        return;
    }
    DdeRun done = std::move(run_);
    run_ = {};
    if (!done.failures.empty()) msg_error(dde_failure_report(done.failures));
}

}  // namespace

LRESULT CALLBACK task_win_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    if (shell_hooks_.main_native) {
        LRESULT r = 0;
        bool handled = false;
        trap_run([&] { handled = shell_hooks_.main_native(win, msg, wp, lp, &r); });
        if (handled) return r;
    }
    switch (msg) {
    case WM_CREATE: {
        bool ok = true;
        trap_run([&] { ok = on_create(win); });
        return ok ? 0 : -1;
    }
    case WM_SIZE: trap_run([&] { on_size(win); }); return 0;
    case WM_DISPLAYCHANGE: trap_run(view_display_changed); break;
    case WM_ACTIVATE:
        if (on_activate(win, wp)) return 0;
        break;  // the default gives the window the focus
    case WM_SETFOCUS: on_set_focus(win); return 0;
    case WM_COMMAND:
        // Controls' notifications are their dialogs' business. While a modal dialog or a box
        // holds the program no user can choose a command here: one that arrives came from
        // elsewhere and would reach the document under the dialog.
        if (dlg_program_held() && !menu_command_from_program()) return 0;
        if (lp == 0 || HIWORD(wp) == 0) trap_run([&] { run_command(LOWORD(wp)); });
        return 0;
    case WM_INITMENUPOPUP:
        if (!HIWORD(lp)) trap_run([&] { on_init_menu_popup(reinterpret_cast<HMENU>(wp)); });
        return 0;
    case WM_TIMER:
        if (wp == kBackupTimer) trap_run(file_backup_tick);
        if (wp == kDdeRetryTimer) on_dde_open();
        if (wp == kDdeReportTimer) trap_run(on_dde_report);
        return 0;
    case WM_ENTERMENULOOP: in_menu_loop_ = true; break;
    case WM_EXITMENULOOP: in_menu_loop_ = false; break;
    case WM_VORN_DDE_OPEN: on_dde_open(); return 0;
    case WM_DDE_INITIATE: dde_on_initiate(win, wp, lp); return 0;
    case WM_VORN_DDE_OTHER: msg_note("Running more than 1 Vorn"); return 0;
    case WM_CLOSE: trap_run([&] { on_close(win); }); return 0;
    case WM_QUERYENDSESSION: {
        bool ok = true;
        trap_run([&] { ok = file_ask_save(true) != 3; });
        return ok;
    }
    case WM_ENDSESSION:
        if (wp) {
            trap_run([&] {
                save_placement(win);
                menu_settings_save();
                file_recent_save();
                dde_server_stop();
            });
        }
        return 0;
    case WM_DESTROY:
        dde_server_stop();
        if (main_inst_ == win) {
            main_inst_ = nullptr;
            PostQuitMessage(0);
        }
        return 0;
    }
    return DefWindowProcA(win, msg, wp, lp);
}

void vorn_install_message_boxes() { msg_set_hooks({box_note, box_error, box_ask, box_ask_default_no}); }

void vorn_register(HINSTANCE inst) {
    static bool done = false;
    if (done) return;
    done = true;
    app_inst_ = inst;
    // Tests and benchmarks run this code from their own directory and name the program's first.
    if (file_progdir_path().empty()) file_set_progdir(program_dir());
    util_random_seed();
    view_on_changed(file_note_edit);
    // Every open modeless dialog and tool follows the document it works on.
    view_on_replaced(dlg_document_replaced);
    // The title's "*" follows every change of the mark, whoever makes it.
    file_set_mark_hook([] { file_set_title(); });
    trap_set_hooks({view_undo_state, view_undo_back_to});
    file_register_commands();
    elements_init();
    view_init();
    bars_init();
    text_init();
    ideas_init();
    services_init();
    shell_hooks_.open_document = file_open_document;
    shell_hooks_.ask_save = [] { return file_ask_save(); };
    shell_hooks_.reload_document = file_reload_document;
    shell_hooks_.set_title = [](const std::string& name) { file_set_title(name); };

    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = trap_wnd<task_win_eh>;
    wc.hInstance = inst;
    wc.hIcon = LoadIconA(inst, MAKEINTRESOURCEA(IDI_MAIN));
    // The caption's icon is drawn from the icon's own small image: left to the system, it is
    // scaled down from the large one at every start. Not shared: a shared load may hand back
    // the large one already loaded.
    wc.hIconSm = static_cast<HICON>(LoadImageA(inst, MAKEINTRESOURCEA(IDI_MAIN), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
    wc.hCursor = util_system_cursor(IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    wc.lpszMenuName = MAKEINTRESOURCEA(IDM_MAIN);
    wc.lpszClassName = kClass;
    RegisterClassExA(&wc);
}

HWND vorn_create_main(HINSTANCE inst, const char* cmd_line, int show) {
    vorn_register(inst);
    start_arg_ = first_arg(cmd_line);
    uninstall_run_ = false;
    // The window, its bars and the first document read a dozen settings.
    SettingsReadOnce settings_read_once;
    // Made where it was left: placing it then moves nothing (a move lays out every bar and the
    // diagram again) unless the work area does not start at the screen's corner.
    const auto place = kept_placement();
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, w = kMainWidth, h = kMainHeight;
    if (place) {
        x = place->r.left;
        y = place->r.top;
        w = place->r.right - place->r.left;
        h = place->r.bottom - place->r.top;
    }
    // An untitled document is made before the window shows, so that what it sets (tools, the
    // toolbar's buttons, the status bar) is painted once, and the window is made with its
    // caption. A document that is opened may have something to say, over the window it will
    // show in.
    const bool untitled = starts_untitled();
    const std::string caption = untitled ? file_title_text("", false, "", 0) : kTitle;
    HWND win = CreateWindowA(kClass, caption.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, x, y, w, h, nullptr, nullptr,
                             inst, nullptr);
    if (!win) return nullptr;
    if (place) apply_placement(win, *place, show);
    file_set_title();
    if (untitled) trap_run(open_start_document);
    if (!(show == SW_HIDE) && !IsWindowVisible(win)) ShowWindow(win, show);
    if (!untitled) trap_run(open_start_document);
    UpdateWindow(win);
    dde_server_ready();
    if (shell_hooks_.setup_check) trap_run([&] { shell_hooks_.setup_check(win); });
    return win;
}

bool vorn_accel_applies(const MSG& m) {
    if (m.message != WM_KEYDOWN && m.message != WM_SYSKEYDOWN && m.message != WM_CHAR && m.message != WM_SYSCHAR)
        return true;
    // While a window holds the mouse the accelerator would swallow Esc without a command: the
    // window doing the drag gets the key and cancels it.
    if (m.message == WM_KEYDOWN && m.wParam == VK_ESCAPE && GetCapture()) return false;
    char cls[32] = {};
    GetClassNameA(m.hwnd, cls, sizeof cls);
    bool edit = lstrcmpiA(cls, "Edit") == 0 || _strnicmp(cls, "RichEdit", 8) == 0 || lstrcmpA(cls, "VornText") == 0;
    if (!edit) return true;
    bool fkey = m.message == WM_KEYDOWN && m.wParam >= VK_F1 && m.wParam <= VK_F24;
    bool alt = m.message == WM_SYSKEYDOWN || m.message == WM_SYSCHAR;
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    bool text_window = false;
    for (const auto& t : tw_inst_)
        if (t.win && (t.win == m.hwnd || IsChild(t.win, m.hwnd))) text_window = true;
    if (focused_tw_.win && (focused_tw_.win == m.hwnd || IsChild(focused_tw_.win, m.hwnd))) text_window = true;
    // Text windows take the Ctrl commands through the forwarding rule; plain keys (Del, Esc,
    // PgUp, PgDn) always stay with the edit control.
    if (text_window) return fkey || alt || ctrl;
    // From the text box, Save, Open and New take what it holds with them; its other Ctrl keys
    // edit its text.
    const bool in_box = textbox_inst_.win && (textbox_inst_.win == m.hwnd || IsChild(textbox_inst_.win, m.hwnd));
    if (in_box && ctrl && m.message == WM_KEYDOWN && (m.wParam == 'S' || m.wParam == 'O' || m.wParam == 'N'))
        return true;
    return fkey || alt;
}

void vorn_route_message(MSG& m, HACCEL acc) {
    for (size_t k = 0; k < modelessdlg_inst_.size(); ++k) {
        HWND d = modelessdlg_inst_[k].win;
        if (d && IsWindow(d) && IsDialogMessageA(d, &m)) return;
    }
    if (main_inst_ && acc && vorn_accel_applies(m) && TranslateAcceleratorA(main_inst_, acc, &m)) return;
    TranslateMessage(&m);
    DispatchMessageA(&m);
}

int vorn_main(HINSTANCE inst, const char* cmd_line, int show) {
    try {
        // The common controls (list views only) are registered where a list is made: the
        // window and its bars are the program's own, and start-up does not wait for that DLL.
        // The tests run the program on a key of their own, never on the user's settings.
        const char* key = std::getenv("VORN_SETTINGS_KEY");
        settings_use_registry(key && *key ? key : kSettingsKey);
        vorn_install_message_boxes();
        HWND win = vorn_create_main(inst, cmd_line, show);
        if (!win) return uninstall_run_ ? 0 : 1;
        HACCEL acc = LoadAcceleratorsA(inst, MAKEINTRESOURCEA(IDA_MAIN));
        MSG m;
        while (GetMessageA(&m, nullptr, 0, 0) > 0) {
            trap_run([&] { vorn_route_message(m, acc); });
        }
        return static_cast<int>(m.wParam);
    } catch (const std::exception& e) {
        MessageBoxA(nullptr, e.what(), "Error", MB_OK | MB_ICONHAND);
        return 1;
    }
}

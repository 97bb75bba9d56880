#include "services/action_win.h"

#include <ddeml.h>
#include <shellapi.h>

#include <algorithm>
#include <functional>

#include "bars/sbar.h"
#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/shell_hooks_win.h"
#include "base/trap_win.h"
#include "base/util.h"
#include "base/util_win.h"
#include "document/globals.h"
#include "document/view.h"
#include "elements/action_args.h"
#include "elements/obj.h"
#include "resources/ids.h"
#include "resources/text_ids.h"
#include "services/web_win.h"
#include "view/textbox_win.h"
#include "view/view_cmd.h"
#include "view/view_win.h"

namespace {

int depth_ = 0;  // nested activations (Activate ID, clusters)

// ---- The platform as the program uses it.

void pump_once() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(m.wParam));
            return;
        }
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

// Input meant for the diagram while a started program runs: the user waits for the program,
// but menus, system keys and painting go on, so the program can still be closed.
bool diagram_input(const MSG& m) {
    bool input = (m.message >= WM_KEYFIRST && m.message <= WM_KEYLAST && m.message != WM_SYSKEYDOWN &&
                  m.message != WM_SYSKEYUP && m.message != WM_SYSCHAR) ||
                 (m.message >= WM_MOUSEFIRST && m.message <= WM_MOUSELAST);
    return input && view_inst_ && (m.hwnd == view_inst_ || IsChild(view_inst_, m.hwnd));
}

bool run_program_default(const std::string& command_line) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWDEFAULT;
    PROCESS_INFORMATION pi{};
    std::string cmd = command_line;
    if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    // Exit ends the wait: the WM_QUIT is posted again for the main loop, which then ends.
    bool quit = false;
    while (!quit && MsgWaitForMultipleObjects(1, &pi.hProcess, FALSE, INFINITE, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(m.wParam));
                quit = true;
                break;
            }
            if (diagram_input(m)) continue;
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    util_close_process(pi);
    return true;
}

int shell_open_default(const std::string& file) {
    return static_cast<int>(reinterpret_cast<INT_PTR>(ShellExecuteA(main_inst_, "open", file.c_str(), "", "", SW_SHOWNORMAL)));
}

HDDEDATA CALLBACK dde_client_cb(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

struct DdeClient {
    DWORD inst = 0;
    HCONV conv = nullptr;
    DdeClient() { DdeInitializeA(&inst, dde_client_cb, APPCMD_CLIENTONLY, 0); }
    ~DdeClient() {
        if (conv) DdeDisconnect(conv);
        if (inst) DdeUninitialize(inst);
    }
    bool connect(const std::string& service, const std::string& topic) {
        if (!inst) return false;
        HSZ s = DdeCreateStringHandleA(inst, service.c_str(), CP_WINANSI);
        HSZ t = DdeCreateStringHandleA(inst, topic.c_str(), CP_WINANSI);
        conv = DdeConnect(inst, s, t, nullptr);
        DdeFreeStringHandle(inst, s);
        DdeFreeStringHandle(inst, t);
        return conv != nullptr;
    }
};

bool dde_execute_default(const std::string& service, const std::string& topic, const std::string& command,
                         const std::string& connect_error) {
    DdeClient c;
    if (!c.connect(service, topic)) {
        dlg_error_msg(connect_error, topic == "System" ? service : topic, 0);
        return false;
    }
    HDDEDATA r = DdeClientTransaction(reinterpret_cast<LPBYTE>(const_cast<char*>(command.c_str())),
                                      static_cast<DWORD>(command.size() + 1), c.conv, nullptr, 0, XTYP_EXECUTE, 5000, nullptr);
    if (!r) {
        dlg_error_msg("Executing command %s", command, 0);
        return false;
    }
    pump_once();
    return true;
}

bool dde_request_default(const std::string& service, const std::string& topic, const std::string& item,
                         std::string* reply) {
    DdeClient c;
    if (!c.connect(service, topic)) {
        dlg_error_msg("Connecting %s", topic, 0);
        return false;
    }
    HSZ hi = DdeCreateStringHandleA(c.inst, item.c_str(), CP_WINANSI);
    HDDEDATA r = DdeClientTransaction(nullptr, 0, c.conv, hi, CF_TEXT, XTYP_REQUEST, 5000, nullptr);
    DdeFreeStringHandle(c.inst, hi);
    if (!r) {
        dlg_error_msg("Requesting Item %s", item, 0);
        return false;
    }
    DWORD n = 0;
    if (LPBYTE p = DdeAccessData(r, &n)) {
        reply->assign(reinterpret_cast<const char*>(p), strnlen(reinterpret_cast<const char*>(p), n));
        DdeUnaccessData(r);
    }
    DdeFreeDataHandle(r);
    pump_once();
    return true;
}

void help_file_default(const std::string& file, const std::string& keyword) {
    std::string f = file.empty() ? file_progdir_path("vornmain.hlp") : file;
    if (keyword.empty()) WinHelpA(main_inst_, f.c_str(), HELP_CONTENTS, 0);
    else WinHelpA(main_inst_, f.c_str(), HELP_KEY, reinterpret_cast<ULONG_PTR>(keyword.c_str()));
}

struct SelectId {
    const std::vector<std::string>& lines;
    int result = -1;
};

INT_PTR CALLBACK select_id_eh(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        dlg_on_create(dlg, IDD_SELECT_ID, 0);
        for (const auto& l : dlg_keep_state<SelectId>(dlg, lp).lines)
            SendDlgItemMessageA(dlg, IDC_SELECT_ID_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(l.c_str()));
        SendDlgItemMessageA(dlg, IDC_SELECT_ID_LIST, LB_SETCURSEL, 0, 0);
        return TRUE;
    case WM_COMMAND: {
        SelectId* st = dlg_state<SelectId>(dlg);
        if (!st) return FALSE;
        if (LOWORD(wp) == IDOK || (LOWORD(wp) == IDC_SELECT_ID_LIST && HIWORD(wp) == LBN_DBLCLK)) {
            st->result = static_cast<int>(SendDlgItemMessageA(dlg, IDC_SELECT_ID_LIST, LB_GETCURSEL, 0, 0));
            EndDialog(dlg, IDOK);
        } else if (LOWORD(wp) == IDCANCEL) {
            st->result = -1;
            EndDialog(dlg, IDCANCEL);
        }
        return TRUE;
    }
    case WM_DESTROY: dlg_on_destroy(dlg, IDD_SELECT_ID, 0); return FALSE;
    default: return FALSE;
    }
}

int select_line_default(const std::string&, const std::vector<std::string>& lines) {
    SelectId st{lines};
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SELECT_ID), main_inst_, trap_dlg<select_id_eh>,
                    dlg_state_param(st));
    return st.result;
}

// ---- Steps shared by several codes.

void repaint_object(Key key, int margin) {
    if (auto r = obj_rect(key)) view_invalidate_rect(margin, *r);
    else view_invalidate();
}

bool goto_rule(const std::string& target, int level) {
    if (target.empty() || target == " ") {
        view_scroll_to(0, 0, level);
        return true;
    }
    std::string id = target.substr(1);
    for (const Obj& o : view_doc().objs) {
        if (o.id == id && o.level == level) {
            view_scroll_to(o.x, o.y, level);
            return true;
        }
    }
    return false;
}

// Where a jump into a sub-level or sub-document returns to, taken before the jump and kept only
// when the jump succeeds.
struct ReturnPoint {
    Key key = 0;
    std::string id, document;
    int x = 0, y = 0;
};

ReturnPoint return_point(Key key) {
    ViewState vs = sbar_view_state();
    return {key, view_obj_id(key).value_or(""), file_current_name(), vs.x0, vs.y0};
}

void push_return(const ReturnPoint& r) {
    view_gosub_push(r.key, r.id, r.document, r.x, r.y);
    if (shell_hooks_.set_title) shell_hooks_.set_title("");
}

bool trusted_ = false;  // the program's own request (the Help menu), not a document's

bool from_web() {
    auto cur = file_current();
    return cur && http_in_archive(cur->dir);
}

// A document from the web archive starts programs, opens files with the shell and sends DDE
// only when the user agrees; a stray Enter answers No.
bool web_allows(const std::string& question, const std::string& title) {
    return trusted_ || !from_web() || msg_ask_default_no("This document came from the web. " + question, title);
}

std::optional<std::string> located(const std::string& ext) {
    return file_resolve(action_split_doc_arg(ext).file);
}

// `opened` runs once the document is open, which for one from the web is when it has arrived; the
// open one is asked about then, once, edits made during the download with the rest.
bool open_document(const std::string& ext, const std::function<void()>& opened = {}) {
    if (ext.rfind("http://", 0) == 0 && ext.find(".vrn", 7) != std::string::npos && shell_hooks_.open_url) {
        DocArg d = action_split_doc_arg(ext);
        return http_open_url(d.file.substr(7), d.id.empty() ? "" : " " + d.id, d.level, 1, opened);
    }
    DocArg d = action_split_doc_arg(ext);
    auto name = file_vrn_name(util_lower(d.file));
    if (!name) return false;
    // A web document names its neighbours on the same server.
    if (from_web() && name->find(':') == std::string::npos)
        return http_open_relative(file_current_name(), *name, d.id.empty() ? "" : " " + d.id, d.level, opened);
    auto path = file_resolve(*name);
    if (!path || !shell_hooks_.open_document || shell_hooks_.open_document(*path) != 1) return false;
    if (opened) opened();
    return goto_rule(d.id.empty() ? "" : " " + d.id, d.level);
}

bool clone_from_file(Key key, const std::string& ext) {
    auto name = file_vrn_name(util_lower(ext));
    if (!name) return false;
    auto path = file_resolve(*name);
    if (!path) return false;
    auto text = file_read_text(*path);
    if (!text) return false;
    std::string unreadable;
    auto found = action_clone_text(*text, view_obj_id(key).value_or(""), &unreadable);
    if (!found && !unreadable.empty()) {
        msg_error("Loading " + *path + "\n" + unreadable);
        return false;
    }
    if (!found) {
        dlg_error_msg("ID not found in %s", ext, 0);
        return false;
    }
    std::string tmp = file_temp_name(), error;
    if (!view_write_replace(tmp, *found, &error)) {
        dlg_error_msg("Saving %s", tmp, 0);
        return false;
    }
    return shell_hooks_.tw_open && shell_hooks_.tw_open(0, tmp, 3);
}

std::string contents_or_file(const std::string& text) {
    if (!action_contents_is_file(text)) return text;
    if (auto path = file_resolve(text))
        if (auto t = file_read_text(*path)) return *t;
    return text;
}

bool set_id(Key key, const std::string& id) {
    auto o = view_obj_get(key);
    if (!o) return false;
    o->id = id;
    view_obj_put(*o);
    repaint_object(key, 5 * static_cast<int>(id.size()));
    return true;
}

bool select_id(Key key) {
    auto text = view_obj_richtext(key);
    if (!text) return false;
    auto lines = action_lines(contents_or_file(*text));
    if (lines.empty() || !action_platform().select_line) return false;
    int k = action_platform().select_line("Select ID", lines);
    if (k < 0 || static_cast<size_t>(k) >= lines.size()) return false;
    return set_id(key, lines[static_cast<size_t>(k)]);
}

bool spin(Key key) {
    auto o = view_obj_get(key);
    if (!o) return false;
    auto lines = action_lines(contents_or_file(o->ext));
    if (lines.size() < 2) {
        msg_note("Contents should have more than 1 line");
        return set_id(key, "   ");
    }
    return set_id(key, lines[static_cast<size_t>(util_random_int(static_cast<int>(lines.size())))]);
}

bool toggle(Key key) {
    auto o = view_obj_get(key);
    if (!o) return false;
    view_clear_value(key);
    o->ext = action_toggle_text(o->ext);
    view_obj_put(*o);
    task_menu_cmd(CMD_RECOMPUTE);
    return true;
}

bool play_file(const std::string& ext) {
    std::string name = ext;
    if (action_sound_kind(ext) == SoundKind::File) {
        auto path = file_resolve(ext);
        if (!path) return false;
        name = *path;
    }
    if (action_platform().play_sound) action_platform().play_sound(name);
    return true;
}

bool dde(int code, const std::string& ext) {
    auto d = action_dde_split(code, ext);
    auto& p = action_platform();
    if (!d) {
        dlg_error_msg(code == 29 ? "Connecting to %s" : "Connecting %s", ext, 0);
        return false;
    }
    if (code == 29) {
        d->topic = "System";
        d->command = "[FileOpen .Name=\"" + d->command + "\"]";
    }
    if (!web_allows("Send \"" + d->command + "\" to " + d->service + " (" + d->topic + ")?", "DDE")) return false;
    if (code != 32)
        return p.dde_execute && p.dde_execute(d->service, d->topic, d->command, code == 29 ? "Connecting to %s" : "Connecting %s");
    std::string reply;
    if (!p.dde_request || !p.dde_request(d->service, d->topic, d->command, &reply)) return false;
    if (!reply.empty()) msg_note(reply);
    return true;
}

bool help(const std::string& ext) {
    auto& p = action_platform();
    if (!p.help_file) return false;
    if (util_lower(ext).find(".hlp") == std::string::npos) {
        p.help_file("", ext);
        return true;
    }
    DocArg d = action_split_doc_arg(ext);
    // Help files can carry macros that start programs.
    if (!web_allows("Open the help file \"" + d.file + "\"?", "Help File")) return false;
    p.help_file(d.file, d.id);
    return true;
}

bool run_program(const std::string& ext) {
    if (!web_allows("Run the program \"" + ext + "\"?", "Run Program")) return false;
    if (!action_platform().run_program || !action_platform().run_program(ext)) {
        dlg_error_msg("Opening File (%s)", ext, 10002);
        return false;
    }
    return true;
}

bool run_object(Key key) {
    auto o = view_obj_get(key);
    return o && action_do(o->action, key, o->ext);
}

bool execute(int code, Key key, const std::string& ext) {
    switch (code) {
    case 0: return shell_hooks_.tw_open && shell_hooks_.tw_open(key, "", 1);
    case 1: {
        auto path = located(ext);
        return path && shell_hooks_.tw_open && shell_hooks_.tw_open(0, *path, 3);
    }
    case 2: case 3: case 4: case 39: {
        if (!web_allows("Open \"" + ext + "\"?", "Open File")) return false;
        int r = action_platform().shell_open ? action_platform().shell_open(ext) : 0;
        if (r >= 0 && r <= 31) dlg_error_msg("Opening File (%s)", ext, 10000 + r);
        return true;
    }
    case 6: return open_document(ext);
    case 7: return clone_from_file(key, ext);
    case 8: return run_program(ext);
    case 9: task_menu_cmd(CMD_LEVEL_DOWN); return true;
    case 10: task_menu_cmd(CMD_LEVEL_UP); return true;
    case 11: {
        DocArg d = action_split_doc_arg("dummy.vrn " + ext);
        return goto_rule(d.id.empty() ? "" : " " + d.id, d.level);
    }
    case 14: task_menu_cmd(CMD_HOME); return true;
    case 15: {
        auto f = view_obj_find_id(ext);
        return f && run_object(f->key);
    }
    case 16:
        for (Key other : view_link_from(key)) run_object(other);
        return true;
    case 17: return sbar_cmd(11, 23, 0);
    case 18: return sbar_cmd(11, 22, 0);
    case 20: task_menu_cmd(CMD_EXIT); return true;
    case 23: task_menu_cmd(CMD_BACK); return true;
    case 25: {
        DocArg d = action_split_doc_arg("dummy.vrn " + ext);
        ReturnPoint back = return_point(key);
        if (!goto_rule(d.id.empty() ? "" : " " + d.id, d.level)) return false;
        push_return(back);
        return true;
    }
    case 26: task_menu_cmd(CMD_CLOSE_WINDOWS); return true;
    case 27: task_menu_cmd(CMD_ANALYZER); return true;
    case 24: return play_file(ext);
    case 29: case 31: case 32: return dde(code, ext);
    case 30: return select_id(key);
    case 33: task_menu_cmd(CMD_GENERATOR); return true;
    case 34: return toggle(key);
    case 35: task_menu_cmd(CMD_RECOMPUTE); return true;
    case 36: return spin(key);
    case 37: return help(ext);
    case 38: {
        auto path = located(ext);
        return path && shell_hooks_.tw_open && shell_hooks_.tw_open(0, *path, 6);
    }
    case 40: {
        if (!view_obj_get(key)) return false;
        ReturnPoint back = return_point(key);
        return open_document(ext, [back] { push_return(back); });
    }
    case 41:
        if (!view_obj_get(key)) return false;
        obj_mark_one(key);
        view_invalidate();
        return textbox_open(main_inst_, 1, key, 0);
    case 43:
        if (!view_toggle_color(key)) return false;
        repaint_object(key, 10);
        return true;
    case 44: {
        auto n = util_str_to_int(ext);
        if (!n) {
            msg_note("Action Extension must be numeric");
            return false;
        }
        view_toggle_level(*n);
        view_invalidate();
        return true;
    }
    case 19: return shell_hooks_.clist_open_file && shell_hooks_.clist_open_file(ext);
    case 21:
        if (!view_obj_get(key) || !shell_hooks_.links_open) return false;
        if (std::find(marked_obj_.begin(), marked_obj_.end(), key) == marked_obj_.end()) marked_obj_.push_back(key);
        shell_hooks_.links_open(view_inst_ ? view_inst_ : main_inst_);
        return true;
    case 42: {
        auto o = view_obj_get(key);
        return o && shell_hooks_.rich_open && shell_hooks_.rich_open(key, o->id, 0);
    }
    default: return false;  // 12 No Action among them
    }
}

// Activate of the object pop-up menu (the object it was opened on), or of the marked object.
void activate_command() {
    Key key = 0;
    if (popup_menu_inst_) {
        key = static_cast<Key>(popup_menu_inst_->a);
        popup_menu_inst_.reset();
    } else if (marked_obj_.size() == 1) {
        key = marked_obj_.front();
    }
    if (key) run_object(key);
}

bool can_activate() { return popup_menu_inst_ || marked_obj_.size() == 1; }

MainNativeHook prev_native_ = nullptr;

bool main_native(HWND win, UINT msg, WPARAM wp, LPARAM lp, LRESULT* r) {
    if (msg == WM_TCARD && wp == HELP_TCARD_DATA) {
        // A card may replace the document: it waits for the dialog or box the help was used beside.
        dlg_when_document_free([n = static_cast<int>(lp)] { action_tcard_open(n); });
        *r = 0;
        return true;
    }
    return prev_native_ && prev_native_(win, msg, wp, lp, r);
}

}  // namespace

bool action_goto_rule(const std::string& target, int level) { return goto_rule(target, level); }

ActionPlatform& action_platform() {
    static ActionPlatform p{run_program_default, shell_open_default,  util_play_sound,    dde_execute_default,
                            dde_request_default, help_file_default, select_line_default};
    return p;
}

bool action_do(int code, Key key, const std::string& ext) {
    if (menu_checked(CMD_SLIDESHOW) && !action_allowed_in_slideshow(code)) return true;
    // An ID that names itself, or clusters that name each other, end here.
    if (depth_ >= kActionDepthLimit) return false;
    if ((code == 0 || code == 1 || code == 42) && !menu_checked(CMD_MULTI_WINDOWS)) task_menu_cmd(CMD_CLOSE_WINDOWS);
    ++depth_;
    bool ok = false;
    try {
        ok = execute(code, key, ext);
    } catch (...) {
        --depth_;
        throw;
    }
    --depth_;
    return ok;
}

bool action_do_trusted(int code, const std::string& ext) {
    bool was = trusted_;
    trusted_ = true;
    bool ok = false;
    try {
        ok = action_do(code, 0, ext);
    } catch (...) {
        trusted_ = was;
        throw;
    }
    trusted_ = was;
    return ok;
}

void action_tcard_open(int number) {
    if (number >= 100 && number <= 199) {
        std::string doc = action_tcard_document(number);
        if (!doc.empty() && shell_hooks_.open_document) shell_hooks_.open_document(file_progdir_path(doc));
    } else if (int command = action_tcard_command(number)) {
        task_menu_cmd(command);
    }
}

void action_register() {
    shell_hooks_.action_do = action_do;
    shell_chain_native(main_native, prev_native_);
    cmd_register({CMD_ACTIVATE_OBJECT, activate_command, can_activate});
}

#include "services/web_win.h"

#include <algorithm>
#include <cstring>
#include <functional>

#include "bars/status.h"
#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/file_save.h"
#include "base/globals_win.h"
#include "base/settings.h"
#include "base/shell_hooks_win.h"
#include "base/trap_win.h"
#include "base/util.h"
#include "base/util_win.h"
#include "document/document.h"
#include "resources/ids.h"
#include "resources/web_ids.h"
#include "services/action_win.h"
#include "services/web_client_win.h"
#include "view/view_win.h"

namespace {

struct TrackRequest {
    HttpRequest request;
    std::string url, target;
    int level = 1, mode = 0;
    int conn = 0;
    int hops = 0;  // redirections followed to get here
    std::string host;    // where the connection goes: the server, or the proxy
    std::string server;  // the address's own server, which made the answer
    bool proxy = false;
    std::function<void()> opened;  // run once the document is open
};

std::vector<TrackRequest> track_request_;
std::vector<HttpAuth> track_authen_;
bool on_archive_ = false;
HWND openweb_ = nullptr;
MainNativeHook prev_native_ = nullptr;

// The Status field names the oldest download while any is waiting, then shows what it did before.
struct StatusBefore {
    bool saved = false;
    int key = 0;
    std::string text;
};
StatusBefore status_before_;

void show_pending() {
    std::string url;
    if (http_request_pending(&url)) {
        if (!status_before_.saved) status_before_ = {true, status_model().text_key(), status_model().status_text()};
        status_show("Downloading " + url);
    } else if (status_before_.saved) {
        if (status_model().text_key() == 0) {
            if (status_before_.key == 0) status_show(status_before_.text.empty() ? " " : status_before_.text);
            else status_update(1, status_before_.key);
        }
        status_before_ = {};
    }
}

HttpSetting setting() { return http_setting_from(settings_parse_list(file_setting_get_text("HTTP", ""))); }

bool ensure_archive_dir(const std::string& dir) {
    DWORD a = GetFileAttributesA(dir.c_str());
    if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) return true;
    if (CreateDirectoryA(dir.c_str(), nullptr)) return true;
    msg_note("Cannot create subdirectory: " + dir);
    return false;
}

std::string archive_path(const std::string& url) { return http_archive_dir() + "\\" + http_archive_name(url); }

std::string shortened(const std::string& url) { return url.size() > 100 ? url.substr(0, 100) + "..." : url; }

struct Sent {
    bool sent = false;        // sent now, or the same request is already waiting
    std::string problem;      // why nothing could be sent, for the user
};

Sent send_request(const std::string& url_in, const std::string& target, int level, int mode, int hops,
                  const std::function<void()>& opened) {
    std::string url = http_clean_address(url_in);
    HttpSetting s = setting();
    const std::string server = file_setting_get_text("Server", ""), bypass = file_setting_get_text("ProxyBypass", "");
    auto route = http_route(url, s, server, bypass);
    if (!route) return {false, http_route_problem(url, s, server, bypass)};
    if (!http_archive_name_fits(http_archive_dir(), url))
        return {false, "The address " + shortened(url) + " is too long to be kept in the archive folder " + http_archive_dir() +
                           ". Nothing was sent."};
    if (!main_inst_) return {};
    HttpRequest q = http_build_request(*route, s, http_find_credentials(track_authen_, url));
    for (const auto& t : track_request_)
        if (t.url == url && t.target == target && t.level == level && t.mode == mode && t.request == q) return {true, ""};
    std::string host = route->port == 80 ? route->host : route->host + ":" + std::to_string(route->port);
    // Through the proxy the origin server names itself in the target.
    std::string origin = route->proxy ? url.substr(0, url.find('/')) : host;
    TrackRequest t{q, url, target, level, mode, 0, hops, host, origin, route->proxy, opened};
    t.conn = web_send(main_inst_, route->host, route->port, http_serialize(q, origin));
    track_request_.push_back(std::move(t));
    if (openweb_) dlg_enable(openweb_, IDC_WEB_STOP, 1);
    show_pending();
    return {true, ""};
}

// Opens a ".vrn" copy and shows its target; any other file stays in the archive, which a
// download that was asked for says.
bool open_stored(const std::string& path, const std::string& target, int level, const std::string& downloaded_url = "") {
    if (file_ext(path) != ".vrn") {
        view_invalidate();
        if (!downloaded_url.empty())
            msg_note(shortened(downloaded_url) + " is not a document (\".vrn\"). It was kept in the archive as " + path + ".");
        else
            msg_note(path + " is not a document (\".vrn\"); only documents are opened.");
        return false;
    }
    if (!shell_hooks_.open_document || shell_hooks_.open_document(path) != 1) return false;
    action_goto_rule(target, level);
    return true;
}

std::string record_path(const std::string& dir) { return dir + "\\" + kHttpArchiveRecord; }

std::vector<std::string> read_record(const std::string& dir) {
    if (!file_exists(record_path(dir))) return {};
    return http_record_names(file_read_text(record_path(dir)).value_or(""));
}

// The record of names the archive wrote; a failure to note one only keeps that file from
// being cleared.
void record_name(const std::string& dir, const std::string& name) {
    auto names = read_record(dir);
    auto more = http_record_add(names, name);
    std::string reason;
    if (more.size() != names.size()) file_write_replace(record_path(dir), http_record_text(more), &reason);
}

// What a 200 answer holds: a body as stored, not empty, and for a ".vrn" name a document that
// reads whole; otherwise the reason it is refused, with what arrived.
std::string refusal(const TrackRequest& t, const WebEvent& e) {
    std::string coding = http_body_coding(e.header("Content-Encoding").value_or(""), e.header("Transfer-Encoding").value_or(""));
    if (!coding.empty())
        return "The answer from " + t.server + " came compressed (" + coding + "), though it was asked for as stored.";
    if (e.body.empty()) return "The answer for " + t.url + " is empty: " + t.server + " sent no document.";
    if (file_ext(http_archive_name(t.url)) != ".vrn") return "";
    Document d;
    LoadError err;
    if (Document::from_text(e.body, d, err)) return "";
    const std::string type = e.header("Content-Type").value_or("");
    return "The answer for " + t.url + " is not a document" +
           (err.line ? " (line " + std::to_string(err.line) + ": " + err.message + ")" : "") + ": " +
           std::to_string(e.body.size()) + " bytes" + (type.empty() ? "" : " of " + type.substr(0, 80)) + " arrived.";
}

void store_answer(const TrackRequest& t, const WebEvent& e) {
    if (std::string why = refusal(t, e); !why.empty()) {
        msg_error(why + (file_exists(archive_path(t.url)) ? "\nThe copy kept earlier stays as it was."
                                                          : "\nNothing was kept in the archive."));
        return;
    }
    std::string dir = http_archive_dir();
    if (!ensure_archive_dir(dir)) return;
    std::string path = archive_path(t.url), reason;
    if (path.size() >= MAX_PATH || !file_write_replace(path, e.body, &reason)) {
        dlg_error_msg("Saving %s", path, 0);
        return;
    }
    record_name(dir, http_archive_name(t.url));
    if (openweb_) http_list_archive(openweb_);
    if (open_stored(path, t.target, t.level, t.url) && t.opened) t.opened();
}

void handle_event(const WebEvent& e) {
    auto it = std::find_if(track_request_.begin(), track_request_.end(), [&](const TrackRequest& t) { return t.conn == e.conn; });
    if (it == track_request_.end()) return;  // stopped
    TrackRequest t = *it;
    track_request_.erase(it);
    if (openweb_ && track_request_.empty()) dlg_enable(openweb_, IDC_WEB_STOP, 0);
    show_pending();
    if (e.error) {
        msg_error(http_error_text(e.error, t.proxy ? t.host + " (the proxy server)" : t.host));
        return;
    }
    switch (e.status) {
    case 200: store_answer(t, e); return;
    case 301:
    case 302:
    case 303:
    case 307:
    case 308: {
        auto loc = e.header("Location");
        if (!loc) break;
        auto to = http_redirect_address(t.url, *loc);
        if (!to) {
            msg_note("Cannot follow the redirection of " + t.url + " to " + *loc);
            return;
        }
        if (t.hops >= kHttpMaxRedirects) {
            msg_note("Too many redirections: " + t.url + " was not opened.");
            return;
        }
        if (Sent r = send_request(*to, t.target, t.level, t.mode, t.hops + 1, t.opened); !r.problem.empty())
            msg_note("Cannot follow the redirection of " + t.url + " to " + *loc + "\n" + r.problem);
        return;
    }
    case 401:
        // Refused credentials are not offered again; Cancel ends the download, OK sends it
        // again with the new ones.
        if (const HttpAuth* a = http_find_credentials(track_authen_, t.url); a && !t.request.headers.empty()) {
            std::string prefix = a->prefix;
            track_authen_.erase(std::remove_if(track_authen_.begin(), track_authen_.end(),
                                               [&](const HttpAuth& x) { return x.prefix == prefix; }),
                                track_authen_.end());
        }
        if (http_password_dialog(main_inst_, t.url)) send_request(t.url, t.target, t.level, t.mode, t.hops, t.opened);
        return;
    case 407:
        msg_note("The proxy server " + t.host + " asks for a password (status 407). Logging on to a proxy is not offered; " +
                 t.url + " was not opened.");
        return;
    default: break;
    }
    msg_note(http_status_note(e.status, e.reason, t.url, e.header("Content-Type").value_or(""), e.body));
}

// A finished answer may replace the document or ask something: it waits while a dialog, a box
// or the text box holds the document (still counted as pending, and Stop still forgets it).
void on_event(WebEvent e) {
    dlg_when_document_free([e = std::move(e)] { handle_event(e); });
}

bool main_native(HWND win, UINT msg, WPARAM wp, LPARAM lp, LRESULT* r) {
    if (web_is_layer_message(msg, wp)) {
        if (auto e = web_event_step(msg, wp, lp)) on_event(std::move(*e));
        *r = 0;
        return true;
    }
    if (msg == WM_DESTROY && win == main_inst_) {
        track_request_.clear();
        web_close_all();
    }
    return prev_native_ && prev_native_(win, msg, wp, lp, r);
}

bool open_url_hook(const std::string& name) {
    std::string url = name;
    while (util_lower(url.substr(0, 7)) == "http://") url.erase(0, 7);
    return http_open_url(url, "", 1, 0);
}

// ---- Open from Web.

// False when there was no address to open.
bool run_open(HWND win) {
    bool web = dlg_is_checked(win, IDC_WEB_ARCHIVE) == 0;
    TypedAddress a = http_typed_address(dlg_get_text(win, IDC_WEB_URL), web);
    for (const auto& n : a.notes) msg_note(n);
    if (a.address.empty()) return false;
    on_archive_ = false;
    if (web) {
        // A refused address keeps the dialog open to be mended.
        if (!http_open_url(a.address, "", 1, 1)) return false;
    } else {
        on_archive_ = true;
        http_open_archived(a.address, "", 1);
    }
    return true;
}

void on_list_select(HWND win) {
    HWND list = GetDlgItem(win, IDC_WEB_LIST);
    int sel = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
    if (sel < 0) return;
    int n = static_cast<int>(SendMessageA(list, LB_GETTEXTLEN, static_cast<WPARAM>(sel), 0));
    std::string text(static_cast<size_t>(std::max(n, 0)) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(sel), reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::strlen(text.c_str()));
    SetDlgItemTextA(win, IDC_WEB_URL, text.c_str());
}

void on_fold(HWND win) {
    RECT r;
    GetWindowRect(win, &r);
    if (r.bottom - r.top > 100) dlg_set_height(win, 60);
    else dlg_fit_height(win, IDC_WEB_LISTALL, 100);
}

void prune_credentials() {
    track_authen_.erase(std::remove_if(track_authen_.begin(), track_authen_.end(), [](const HttpAuth& a) { return a.keep == 0; }),
                        track_authen_.end());
}

INT_PTR CALLBACK dlg_openweb_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        openweb_ = win;
        dlg_on_create(win, IDD_OPENWEB, 1);
        CheckRadioButton(win, IDC_WEB_ONWEB, IDC_WEB_ARCHIVE, http_source_choice());
        http_list_archive(win);
        // Typing at once types the address: on a button it would press buttons by their letters.
        SetFocus(GetDlgItem(win, IDC_WEB_URL));
        return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK:
            if (run_open(win) && IsWindow(win)) DestroyWindow(win);
            return TRUE;
        case IDCANCEL: DestroyWindow(win); return TRUE;
        case IDC_WEB_LIST:
            if (HIWORD(wp) == LBN_SELCHANGE) on_list_select(win);
            if (HIWORD(wp) == LBN_DBLCLK) {
                on_list_select(win);
                run_open(win);
            }
            return TRUE;
        case IDC_WEB_LISTALL: http_list_archive(win); return TRUE;
        case IDC_WEB_ADVANCED: http_options_dialog(win); return TRUE;
        case IDC_WEB_STOP:
            for (const auto& t : track_request_) web_close(t.conn);
            track_request_.clear();
            dlg_enable(win, IDC_WEB_STOP, 0);
            show_pending();
            return TRUE;
        case IDC_WEB_FOLD: on_fold(win); return TRUE;
        default: break;
        }
        break;
    case WM_SIZE:
        dlg_stretch_control(win, IDC_WEB_URL, 24, 0);
        dlg_stretch_control(win, IDC_WEB_LIST, 24, 48);
        break;
    case WM_MOVE: dlg_keep_on_screen(win); break;
    case WM_VORN_REPLACED: return dlg_stay_open(win);  // it fetches documents, whichever is open
    case WM_DESTROY:
        prune_credentials();
        dlg_on_destroy(win, IDD_OPENWEB, 1);
        openweb_ = nullptr;
        break;
    default: break;
    }
    return FALSE;
}

// ---- Advance Options.

struct Options {
    std::string server, port, bypass;
    int days = 0, use_proxy = 0;
};
Options options_;

void enable_proxy_fields(HWND win) {
    int on = dlg_is_checked(win, IDC_WEB_USE_PROXY);
    for (int id : {IDC_WEB_SERVER, IDC_WEB_PORT, IDC_WEB_BYPASS}) dlg_enable(win, id, on);
}

INT_PTR CALLBACK dlg_proxy_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: {
        dlg_on_create(win, IDD_WEB_OPTIONS, 0);
        HttpSetting s = setting();
        CheckDlgButton(win, IDC_WEB_USE_PROXY, s.use_proxy == 1 ? BST_CHECKED : BST_UNCHECKED);
        SetDlgItemTextA(win, IDC_WEB_SERVER, file_setting_get_text("Server", "").c_str());
        SetDlgItemTextA(win, IDC_WEB_PORT, std::to_string(s.port).c_str());
        SetDlgItemTextA(win, IDC_WEB_BYPASS, file_setting_get_text("ProxyBypass", "").c_str());
        SetDlgItemTextA(win, IDC_WEB_ARCHIVE_DIR, http_archive_dir().c_str());
        HWND days = GetDlgItem(win, IDC_WEB_DAYS);
        for (int d = 0; d <= 100; ++d) SendMessageA(days, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_string(d).c_str()));
        SendMessageA(days, CB_SETCURSEL, static_cast<WPARAM>(s.days), 0);
        enable_proxy_fields(win);
        return TRUE;
    }
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_WEB_USE_PROXY: enable_proxy_fields(win); return TRUE;
        case IDC_WEB_CLEAR: {
            int days = std::max(0, static_cast<int>(SendDlgItemMessageA(win, IDC_WEB_DAYS, CB_GETCURSEL, 0, 0)));
            if (!msg_ask_yes_no("Archived files older than " + std::to_string(days) + " days will be deleted. Proceed?\n\nFolder: " +
                                    http_archive_dir(),
                                "Clear Archive"))
                return TRUE;
            std::string report = http_clear_archive(days);
            // Files the archive did not write stay, so the list is made again.
            if (HWND parent = GetParent(win); parent == openweb_ && openweb_) http_list_archive(openweb_);
            msg_note(report);
            return TRUE;
        }
        case IDOK:
            options_.server = dlg_get_text(win, IDC_WEB_SERVER);
            options_.port = dlg_get_text(win, IDC_WEB_PORT);
            options_.bypass = dlg_get_text(win, IDC_WEB_BYPASS);
            options_.days = std::max(0, static_cast<int>(SendDlgItemMessageA(win, IDC_WEB_DAYS, CB_GETCURSEL, 0, 0)));
            options_.use_proxy = dlg_is_checked(win, IDC_WEB_USE_PROXY) ? 1 : 0;
            EndDialog(win, IDOK);
            return TRUE;
        case IDCANCEL: EndDialog(win, IDCANCEL); return TRUE;
        default: break;
        }
        break;
    case WM_SIZE:
        for (int id : {IDC_WEB_PROXY_GROUP, IDC_WEB_ARCHIVE_GROUP}) dlg_stretch_control(win, id, 24, 0);
        for (int id : {IDC_WEB_SERVER, IDC_WEB_ARCHIVE_DIR, IDC_WEB_BYPASS}) dlg_stretch_control(win, id, 34, 0);
        break;
    case WM_DESTROY: dlg_on_destroy(win, IDD_WEB_OPTIONS, 0); break;
    default: break;
    }
    return FALSE;
}

// ---- The password dialog.

HttpAuth password_;

INT_PTR CALLBACK dlg_authentication_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG:
        dlg_on_create(win, IDD_WEB_PASSWORD, 0);
        SetDlgItemTextA(win, IDC_WEB_AUTH_URL, reinterpret_cast<const char*>(lp));
        CheckDlgButton(win, IDC_WEB_KEEP, BST_CHECKED);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDOK:
            password_ = {dlg_get_text(win, IDC_WEB_AUTH_URL), dlg_get_text(win, IDC_WEB_USER), dlg_get_text(win, IDC_WEB_PASSWORD),
                         dlg_is_checked(win, IDC_WEB_KEEP) ? 1 : 0};
            EndDialog(win, IDOK);
            return TRUE;
        case IDCANCEL: EndDialog(win, IDCANCEL); return TRUE;
        default: break;
        }
        break;
    case WM_DESTROY: dlg_on_destroy(win, IDD_WEB_PASSWORD, 0); break;
    default: break;
    }
    return FALSE;
}

void cmd_open_from_web() { http_open_from_web(main_inst_); }

}  // namespace

// ---- The module.

std::string http_archive_dir() {
    std::string d = file_setting_get_text("URLlog", "");
    if (d.empty()) d = file_progdir_path("url");
    while (d.size() > 3 && (d.back() == '\\' || d.back() == '/')) d.pop_back();
    return d;
}

bool http_in_archive(const std::string& path) { return !path.empty() && util_path_within(path, http_archive_dir()); }

int http_source_choice() { return on_archive_ ? IDC_WEB_ARCHIVE : IDC_WEB_ONWEB; }

bool http_open_url(const std::string& url, const std::string& target, int level, int mode, const std::function<void()>& opened) {
    Sent r = send_request(url, target, level, mode, 0, opened);
    if (!r.problem.empty()) msg_note(r.problem);
    return r.sent;
}

bool http_open_relative(const std::string& archived_path, const std::string& name, const std::string& target, int level,
                        const std::function<void()>& opened) {
    std::string rel = name;
    std::replace(rel.begin(), rel.end(), '\\', '/');
    // The copy's long name holds its address, whatever spelling it was opened by.
    std::string copy = util_canonical_path(archived_path);
    auto url = http_redirect_address(http_url_from_archive_name(file_name_part(copy.empty() ? archived_path : copy)), rel);
    return url && http_open_url(*url, target, level, 1, opened);
}

bool http_request_pending(std::string* url) {
    if (track_request_.empty()) return false;
    if (url) *url = track_request_.front().url;
    return true;
}

void http_open_from_web(HWND parent) {
    ensure_archive_dir(http_archive_dir());
    if (openweb_) {
        SetForegroundWindow(openweb_);
        return;
    }
    CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_OPENWEB), parent, trap_dlg<dlg_openweb_eh>, 0);
    if (!openweb_) return;
    ShowWindow(openweb_, SW_SHOW);
    // Without a window manager the new dialog would wait for its first paint.
    RedrawWindow(openweb_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

bool http_open_archived(const std::string& url, const std::string& target, int level) {
    std::string path = archive_path(http_clean_address(url));
    on_archive_ = true;
    open_stored(path, target, level);
    return true;
}

void http_list_archive(HWND dlg) {
    bool all = dlg_is_checked(dlg, IDC_WEB_LISTALL) != 0;
    dlg_enable(dlg, IDC_WEB_STOP, track_request_.empty() ? 0 : 1);
    std::vector<std::string> names;
    WIN32_FIND_DATAA f;
    HANDLE h = FindFirstFileA((http_archive_dir() + (all ? "\\*.*" : "\\*.vrn")).c_str(), &f);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!(f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(f.cFileName);
        } while (FindNextFileA(h, &f));
        FindClose(h);
    }
    HWND list = GetDlgItem(dlg, IDC_WEB_LIST);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    for (const auto& n : http_archive_listing(names, all)) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(n.c_str()));
}

std::string http_clear_archive(int days) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const int32_t today = util_day_number(now.wYear, now.wMonth, now.wDay);
    const std::string dir = http_archive_dir();
    std::vector<ArchiveFile> files;
    WIN32_FIND_DATAA f;
    HANDLE h = FindFirstFileA((dir + "\\*.*").c_str(), &f);
    if (h == INVALID_HANDLE_VALUE) return "No file was deleted: the archive folder " + dir + " is empty or missing.";
    do {
        if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        FILETIME local;
        SYSTEMTIME st;
        FileTimeToLocalFileTime(&f.ftLastWriteTime, &local);
        FileTimeToSystemTime(&local, &st);
        files.push_back({f.cFileName, util_day_number(st.wYear, st.wMonth, st.wDay)});
    } while (FindNextFileA(h, &f));
    FindClose(h);
    auto record = read_record(dir);
    ArchiveClear plan = http_archive_clear_plan(record, files, today, days);
    size_t failed = 0;
    for (const auto& n : plan.remove)
        if (!DeleteFileA((dir + "\\" + n).c_str())) {
            plan.record.push_back(n);
            ++failed;
        }
    std::string reason;
    if (plan.record.empty()) DeleteFileA(record_path(dir).c_str());
    else if (plan.record.size() != record.size()) file_write_replace(record_path(dir), http_record_text(plan.record), &reason);
    return http_clear_report(plan, failed, days);
}

void http_options_dialog(HWND parent) {
    if (DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_WEB_OPTIONS), parent, trap_dlg<dlg_proxy_eh>, 0) != IDOK) return;
    // The greyed proxy fields of a proxy that is off are kept as they are, not checked.
    PortCheck p = options_.use_proxy ? http_check_port(options_.server, options_.port) : PortCheck{setting().port, ""};
    if (!p.note.empty()) {
        msg_note(p.note);
        return;
    }
    file_setting_set_text("Server", options_.server);
    file_setting_set_text("ProxyBypass", options_.bypass);
    file_setting_set_list("HTTP", {p.port, 1, 0, options_.days, options_.use_proxy});
}

bool http_password_dialog(HWND parent, const std::string& url) {
    if (DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_WEB_PASSWORD), parent, trap_dlg<dlg_authentication_eh>,
                        reinterpret_cast<LPARAM>(url.c_str())) != IDOK)
        return false;
    track_authen_.erase(std::remove_if(track_authen_.begin(), track_authen_.end(),
                                       [](const HttpAuth& a) { return a.prefix == password_.prefix; }),
                        track_authen_.end());
    track_authen_.push_back(password_);
    return true;
}

HWND http_openweb_window() { return openweb_; }
const std::vector<HttpAuth>& http_credentials() { return track_authen_; }
void http_forget_credentials() { track_authen_.clear(); }
size_t http_pending_count() { return track_request_.size(); }

void web_register() {
    static const Command commands[] = {{CMD_OPEN_WEB, cmd_open_from_web}};
    cmd_register_all(commands);
    shell_hooks_.open_url = open_url_hook;
    shell_chain_native(main_native, prev_native_);
}

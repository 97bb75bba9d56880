#include "ideas/clist_win.h"

#include <algorithm>

#include "bars/help_context.h"
#include "bars/ticker.h"
#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/file_save.h"
#include "base/globals_win.h"
#include "base/settings.h"
#include "base/trap_win.h"
#include "base/util.h"
#include "document/doc_util.h"
#include "document/globals.h"
#include "document/view.h"
#include "resources/ideas_tools_ids.h"
#include "resources/ids.h"
#include "view/view_cmd.h"

void clist_editor_open(HWND parent);

namespace {

struct State {
    std::optional<ClistIndex> index;
    std::string index_path;
    bool index_unread = false;  // the file is there but could not be read: never written over
    bool checks_loaded = false;
    std::vector<ClistChecks> checks;
    std::vector<std::string> checks_changed;  // checklists whose ticks this run changed, unwritten
    std::string checks_path;
    std::string curr_file;
    std::vector<std::pair<std::string, int>> back;  // oldest first
    int prev_list = -1;
    HWND dlg = nullptr;
    bool editing = false;  // the Checklist Editor holds unsaved edits of the loaded index
    int title_lists = 0;   // checklists listed when the shown one was chosen
    std::vector<std::pair<std::string, size_t>> damage_told;  // file (lower case), its text's hash
};
State st_;

// Lines that do not read stay in the file, so the user's ticks and lists are never lost to a typo.
const char kKeptAsItWas[] = "what did not read stays in the file as it was.";

// The dialog, the editor and the other tools read the index and the ticks again and again: the
// damage of a file is told once as the file stands, and again once it was written since.
void tell_damage(const std::string& path, const std::string& text, const std::string& err) {
    const std::string key = util_lower(path);
    const size_t hash = std::hash<std::string>{}(text);
    auto told = std::find_if(st_.damage_told.begin(), st_.damage_told.end(), [&](const auto& t) { return t.first == key; });
    if (err.empty()) {
        if (told != st_.damage_told.end()) st_.damage_told.erase(told);
        return;
    }
    if (told != st_.damage_told.end() && told->second == hash) return;
    if (told != st_.damage_told.end()) told->second = hash;
    else st_.damage_told.emplace_back(key, hash);
    dlg_error_msg("Loading %s", path + " (" + err + ")\nThe other lines were read; " + kKeptAsItWas);
}

std::string checks_file() { return st_.checks_path.empty() ? file_progdir_path("vorn2001.chk") : st_.checks_path; }

int32_t today() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    return util_day_number(t.wYear, t.wMonth, t.wDay);
}

std::vector<std::string> lbox_items(HWND win, int id) {
    std::vector<std::string> out;
    int n = static_cast<int>(SendDlgItemMessageA(win, id, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        int len = static_cast<int>(SendDlgItemMessageA(win, id, LB_GETTEXTLEN, i, 0));
        std::string s(static_cast<size_t>(std::max(len, 0)) + 1, '\0');
        SendDlgItemMessageA(win, id, LB_GETTEXT, i, reinterpret_cast<LPARAM>(s.data()));
        s.resize(static_cast<size_t>(std::max(len, 0)));
        out.push_back(std::move(s));
    }
    return out;
}

std::vector<int> selected(HWND win) {
    int n = static_cast<int>(SendDlgItemMessageA(win, IDC_CLIST_ITEMS, LB_GETSELCOUNT, 0, 0));
    std::vector<int> out(static_cast<size_t>(std::max(n, 0)));
    if (n > 0) SendDlgItemMessageA(win, IDC_CLIST_ITEMS, LB_GETSELITEMS, n, reinterpret_cast<LPARAM>(out.data()));
    std::sort(out.begin(), out.end());
    return out;
}

void update_title(HWND win) {
    int n = static_cast<int>(SendDlgItemMessageA(win, IDC_CLIST_ITEMS, LB_GETCOUNT, 0, 0));
    int sel = static_cast<int>(SendDlgItemMessageA(win, IDC_CLIST_ITEMS, LB_GETSELCOUNT, 0, 0));
    SetWindowTextA(win, clist_title(st_.title_lists, st_.curr_file, std::max(sel, 0), std::max(n, 0)).c_str());
    dlg_enable(win, IDC_CLIST_PROMOTE, sel > 0);
}

void record_checks(HWND win) {
    if (!st_.curr_file.empty()) clist_set_checks(st_.curr_file, selected(win));
}

void show_file(HWND win, const std::string& file) {
    st_.curr_file = util_lower(file);
    st_.title_lists = std::max(static_cast<int>(SendDlgItemMessageA(win, IDC_CLIST_LISTS, LB_GETCOUNT, 0, 0)), 0);
    HWND items = GetDlgItem(win, IDC_CLIST_ITEMS);
    SendMessageA(items, WM_SETREDRAW, FALSE, 0);
    SendMessageA(items, LB_RESETCONTENT, 0, 0);
    for (const auto& s : clist_read_items(st_.curr_file))
        SendMessageA(items, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
    if (const ClistChecks* c = clist_find_checks(clist_checks(), st_.curr_file))
        for (int i : c->items) SendMessageA(items, LB_SETSEL, TRUE, i);
    SendMessageA(items, LB_SETTOPINDEX, 0, 0);
    SendMessageA(items, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(items, nullptr, TRUE);
    dlg_enable(win, IDC_CLIST_BACK, !st_.back.empty());
    const ClistEntry* e = clist_index().by_file(st_.curr_file);
    for (int i = 0; i < 16; ++i) {
        bool star = e && (e->topics >> i) & 1u;
        SetDlgItemTextA(win, IDC_CLIST_TOPIC1 + i, clist_topic_label(clist_index(), i + 1, star).c_str());
    }
    update_title(win);
}

void build(HWND win) {
    ClistIndex& idx = clist_index();
    uint32_t filter = static_cast<uint32_t>(view_param_get(15)) & 0xFFFFu;
    CheckRadioButton(win, IDC_CLIST_STANDARD, IDC_CLIST_USER, view_param_get(16) == 1 ? IDC_CLIST_USER : IDC_CLIST_STANDARD);
    dlg_set_checks(win, IDC_CLIST_TOPIC1, filter, IDC_CLIST_TOPIC1, IDC_CLIST_TOPIC16);
    for (int i = 0; i < 16; ++i) {
        SetDlgItemTextA(win, IDC_CLIST_TOPIC1 + i, clist_topic_label(idx, i + 1, false).c_str());
        dlg_enable(win, IDC_CLIST_TOPIC1 + i, clist_topic_enabled(idx, i + 1));
    }
    HWND lists = GetDlgItem(win, IDC_CLIST_LISTS);
    SendMessageA(lists, LB_RESETCONTENT, 0, 0);
    for (const auto& d : clist_filter(idx, filter)) SendMessageA(lists, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(d.c_str()));
    int n = static_cast<int>(SendMessageA(lists, LB_GETCOUNT, 0, 0));
    int at = st_.prev_list >= 0 ? st_.prev_list : 0;
    if (at < n) SendMessageA(lists, LB_SETCURSEL, at, 0);
    int sel = static_cast<int>(SendMessageA(lists, LB_GETCURSEL, 0, 0));
    if (sel >= 0) {
        auto desc = lbox_items(win, IDC_CLIST_LISTS)[static_cast<size_t>(sel)];
        if (const ClistEntry* e = idx.by_desc(desc)) {
            show_file(win, e->file);
            return;
        }
    }
    st_.curr_file.clear();
    SendDlgItemMessageA(win, IDC_CLIST_ITEMS, LB_RESETCONTENT, 0, 0);
    dlg_enable(win, IDC_CLIST_BACK, !st_.back.empty());
    update_title(win);
}

uint32_t filter_from_boxes(HWND win) {
    uint32_t f = 0;
    for (int i = 0; i < 16; ++i)
        if (dlg_is_checked(win, IDC_CLIST_TOPIC1 + i)) f |= 1u << i;
    return f;
}

void on_list_pick(HWND win) {
    int sel = dlg_lbox_sel(win, IDC_CLIST_LISTS);
    if (sel < 0) return;
    auto desc = lbox_items(win, IDC_CLIST_LISTS)[static_cast<size_t>(sel)];
    if (const ClistEntry* e = clist_index().by_desc(desc)) {
        record_checks(win);
        show_file(win, e->file);
    }
}

void on_item_pick(HWND win) {
    int caret = static_cast<int>(SendDlgItemMessageA(win, IDC_CLIST_ITEMS, LB_GETCARETINDEX, 0, 0));
    auto items = lbox_items(win, IDC_CLIST_ITEMS);
    if (caret >= 0 && caret < static_cast<int>(items.size()) &&
        SendDlgItemMessageA(win, IDC_CLIST_ITEMS, LB_GETSEL, caret, 0) > 0) {
        if (const ClistEntry* e = clist_link(clist_index(), items[static_cast<size_t>(caret)])) {
            std::string target = e->file;
            // The link itself is not a tick.
            SendDlgItemMessageA(win, IDC_CLIST_ITEMS, LB_SETSEL, FALSE, caret);
            record_checks(win);
            st_.back.emplace_back(st_.curr_file, caret);
            show_file(win, target);
            return;
        }
    }
    update_title(win);
}

void on_back(HWND win) {
    if (st_.back.empty()) return;
    auto [file, pos] = st_.back.front();
    st_.back.erase(st_.back.begin());
    record_checks(win);
    show_file(win, file);
    SendDlgItemMessageA(win, IDC_CLIST_ITEMS, LB_SETTOPINDEX, pos, 0);
}

void on_promote(HWND win) {
    if (marked_obj_.empty()) {
        msg_note("Mark an Object first");
        return;
    }
    auto items = lbox_items(win, IDC_CLIST_ITEMS);
    std::vector<std::string> lines;
    for (int i : selected(win)) lines.push_back(items[static_cast<size_t>(i)]);
    std::reverse(lines.begin(), lines.end());
    view_obj_from_text(marked_obj_.front(), lines);
    view_repaint();
    SendDlgItemMessageA(win, IDC_CLIST_ITEMS, LB_SETSEL, FALSE, -1);
    update_title(win);
}

void rebuild(HWND win) {
    dlg_on_destroy(win, IDD_CLIST, 1);
    dlg_on_create(win, IDD_CLIST, 1);
    build(win);
}

void close_dialog(HWND win) {
    st_.prev_list = dlg_lbox_sel(win, IDC_CLIST_LISTS);
    record_checks(win);
    clist_write_check_states();
    DestroyWindow(win);
}

void on_command(HWND win, int id, int code) {
    switch (id) {
    case IDC_CLIST_LISTS:
        if (code == LBN_SELCHANGE) on_list_pick(win);
        break;
    case IDC_CLIST_ITEMS:
        if (code == LBN_SELCHANGE) on_item_pick(win);
        break;
    case IDC_CLIST_STANDARD:
    case IDC_CLIST_USER: {
        int want = id == IDC_CLIST_USER ? 1 : 0;
        if (view_param_get(16) == want) break;
        record_checks(win);
        view_param_set_undoable(16, want);
        file_mark_changed();
        clist_drop_index();
        view_param_set(15, static_cast<int32_t>(filter_from_boxes(win)));
        rebuild(win);
        break;
    }
    case IDC_CLIST_BACK: on_back(win); break;
    case IDC_CLIST_PROMOTE: on_promote(win); break;
    case IDC_CLIST_RANDOM:
        if (!st_.curr_file.empty()) status_post_message(-2, 0, st_.curr_file, 0);
        break;
    case IDC_CLIST_SELECT_ALL:
        SendDlgItemMessageA(win, IDC_CLIST_ITEMS, LB_SETSEL, TRUE, -1);
        record_checks(win);
        update_title(win);
        break;
    case IDC_CLIST_CLEAR:
        SendDlgItemMessageA(win, IDC_CLIST_ITEMS, LB_SETSEL, FALSE, -1);
        record_checks(win);
        clist_write_check_states();
        if (!st_.curr_file.empty()) show_file(win, st_.curr_file);
        break;
    case IDC_CLIST_COPY: dlg_copy_lbox(win, IDC_CLIST_ITEMS); break;
    case IDC_CLIST_ADVANCE:
        close_dialog(win);
        clist_editor_open(main_inst_);
        break;
    case IDC_CLIST_WIDER: dlg_fit_width(win, IDC_CLIST_NARROWER, 184); break;
    case IDC_CLIST_NARROWER: dlg_fit_width(win, IDC_CLIST_WIDER, 20); break;
    case IDC_CLIST_HELP: help_context(79); break;
    case IDCANCEL: close_dialog(win); break;
    default:
        if (id >= IDC_CLIST_TOPIC1 && id <= IDC_CLIST_TOPIC16) {
            record_checks(win);
            view_param_set(15, static_cast<int32_t>(filter_from_boxes(win)));
            file_mark_changed();
            rebuild(win);
        }
        break;
    }
}

}  // namespace

INT_PTR CALLBACK dlg_clist_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        st_.dlg = win;
        dlg_on_create(win, IDD_CLIST, 1);
        clist_index();
        // Ticks another running copy wrote since are shown; this run's unwritten ones stay.
        if (st_.checks_changed.empty()) st_.checks_loaded = false;
        clist_checks();
        util_random_seed();
        build(win);
        return TRUE;
    case WM_COMMAND: on_command(win, LOWORD(wp), HIWORD(wp)); return TRUE;
    case WM_CLOSE: close_dialog(win); return TRUE;
    case WM_VORN_REPLACED:
        // The topics shown and the index used are the new document's.
        record_checks(win);
        build(win);
        return dlg_stay_open(win);
    case WM_SIZE: dlg_stretch_control(win, IDC_CLIST_ITEMS, 0, 30); break;
    case WM_DESTROY:
        dlg_on_destroy(win, IDD_CLIST, 1);
        st_.dlg = nullptr;
        clist_drop_index();
        break;
    default: break;
    }
    return FALSE;
}

std::string clist_index_path() {
    bool user = view_param_get(16) == 1;
    std::string name = file_setting_get_text(user ? "ChecklistUser" : "Checklist", user ? "userlist.kba" : "clist.kba");
    return name.find(':') != std::string::npos ? name : file_progdir_path(name);
}

ClistIndex& clist_index() {
    // Each document names its own index: another document's stays loaded no longer.
    std::string path = clist_index_path();
    if (st_.index && st_.index_path != path && !st_.editing) st_.index.reset();
    if (!st_.index) {
        st_.index.emplace();
        st_.index_path = path;
        file_create_if_missing(st_.index_path, "");
        auto text = file_read_text(st_.index_path);
        st_.index_unread = !text;
        std::string err;
        if (text && clist_parse_index(*text, *st_.index, &err)) err.clear();
        if (text) tell_damage(st_.index_path, *text, err);
    }
    return *st_.index;
}

void clist_drop_index() { st_.index.reset(); }

void clist_release_index() {
    if (!st_.dlg && !st_.editing) st_.index.reset();
}

void clist_set_editing(bool on) { st_.editing = on; }

std::vector<ClistChecks>& clist_checks() {
    if (!st_.checks_loaded) {
        st_.checks_loaded = true;
        std::string name = checks_file();
        st_.checks.clear();
        if (file_exists(name)) {
            std::string err;
            auto text = file_read_text(name);
            if (text && clist_parse_checks(*text, st_.checks, &err)) err.clear();
            if (text) tell_damage(name, *text, err);
        }
    }
    return st_.checks;
}

void clist_set_checks(const std::string& file, const std::vector<int>& items) {
    const ClistChecks* had = clist_find_checks(clist_checks(), file);
    if (had ? had->items == items : items.empty()) return;
    clist_record_checks(clist_checks(), file, today(), items);
    if (std::find(st_.checks_changed.begin(), st_.checks_changed.end(), util_lower(file)) == st_.checks_changed.end())
        st_.checks_changed.push_back(util_lower(file));
}

void clist_forget_checks(const std::string& file) { clist_set_checks(file, {}); }

bool clist_write_check_states() {
    if (st_.checks_changed.empty()) return true;
    // Another running copy may have written ticks of other checklists since: the file is read
    // again and only the checklists changed here are replaced.
    const std::string name = checks_file();
    std::vector<ClistChecks> disk;
    std::vector<std::string> damaged;
    if (file_exists(name)) {
        auto text = file_read_text(name);
        if (!text) return false;  // told by the read; a file that did not read is not written over
        clist_parse_checks(*text, disk, nullptr, &damaged);
    }
    auto merged = clist_merge_checks(std::move(disk), clist_checks(), st_.checks_changed);
    std::string reason;
    if (!file_write_replace(name, clist_write_checks(merged, damaged), &reason)) {
        dlg_error_msg("Saving %s", name);
        return false;
    }
    st_.checks = std::move(merged);
    st_.checks_changed.clear();
    return true;
}

bool clist_index_unread() { return st_.index && st_.index_unread; }

std::string& clist_curr_file() { return st_.curr_file; }

void clist_set_checks_path(const std::string& path) {
    st_.checks_path = path;
    st_.checks_loaded = false;
    st_.checks.clear();
    st_.checks_changed.clear();
}

std::optional<std::string> clist_read_list(const std::string& path, bool tell_cut) {
    auto text = file_read_part(path, kFileListCap, false);
    if (!text) return text;
    WIN32_FILE_ATTRIBUTE_DATA fa{};
    if (tell_cut && GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &fa)) {
        unsigned long long size = (static_cast<unsigned long long>(fa.nFileSizeHigh) << 32) | fa.nFileSizeLow;
        if (size > kFileListCap) msg_note(clist_cut_note(path, size, kFileListCap));
    }
    return clist_list_text(std::move(*text));
}

std::optional<std::string> clist_list_path(const std::string& file) {
    if (file.find(':') != std::string::npos) return file_exists(file) ? std::optional(file) : std::nullopt;
    for (const std::string& p : {file_full_path(file_dir_part(clist_index_path()), file), file_progdir_path(file)})
        if (file_exists(p)) return p;
    return std::nullopt;
}

std::vector<std::string> clist_read_items(const std::string& file) {
    if (file.find(':') != std::string::npos && !file_exists(file)) {
        file_create_if_missing(file, "");
        return {};
    }
    std::optional<std::string> text;
    if (auto p = clist_list_path(file)) text = clist_read_list(*p, true);
    if (!text) return {file + " not found"};
    return clist_items(*text);
}

std::vector<std::string> clist_words() {
    std::vector<std::string> out;
    for (const auto& e : clist_index().entries) out.push_back(e.desc);
    return out;
}

std::optional<std::string> clist_file_of(const std::string& desc) {
    const ClistEntry* e = clist_index().by_desc(desc);
    if (!e) return std::nullopt;
    if (auto p = clist_list_path(e->file)) return p;
    return e->file.find(':') != std::string::npos ? e->file : file_progdir_path(e->file);
}

void clist_open(HWND parent) {
    if (dlg_find_modeless(IDD_CLIST) || st_.dlg) return;
    CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CLIST), parent, trap_dlg<dlg_clist_eh>, 0);
    if (!st_.dlg) return;
    ShowWindow(st_.dlg, SW_SHOW);
    RedrawWindow(st_.dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void clist_open_file(const std::string& file) {
    const int32_t old_filter = view_param_get(15), old_index = view_param_get(16);
    const bool was_changed = file_is_changed() != 0;
    view_param_set(15, 0);
    std::string name = util_lower(file);
    auto try_name = [&](const std::string& n) {
        for (int attempt = 0; attempt < 2; ++attempt) {
            clist_drop_index();
            if (const ClistEntry* e = clist_index().by_file(n)) {
                auto all = clist_filter(clist_index(), 0);
                auto it = std::find(all.begin(), all.end(), e->desc);
                st_.prev_list = static_cast<int>(it - all.begin());
                clist_open(main_inst_);
                return true;
            }
            if (attempt == 0) view_param_set(16, view_param_get(16) == 1 ? 0 : 1);
        }
        return false;
    };
    if (try_name(name)) return;
    if (name.find(':') != std::string::npos && try_name(file_name_part(name))) return;
    // A lookup that found nothing leaves the document as it was.
    view_param_set(15, old_filter);
    view_param_set(16, old_index);
    clist_drop_index();
    if (!was_changed) file_clear_changed();
    msg_note("Cannot find " + file + " in Checklist Index file");
}

void clist_init() {
    static const Command commands[] = {{CMD_CHECKLISTS, [] { clist_open(main_inst_); }}};
    cmd_register_all(commands);
}

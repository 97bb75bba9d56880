#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <map>

#include "bars/listview_win.h"
#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/shell_hooks_win.h"
#include "base/trap_win.h"
#include "base/util.h"
#include "base/util_win.h"
#include "document/view.h"
#include "document/view_io.h"
#include "resources/ids.h"
#include "resources/rich_ids.h"
#include "text/finders.h"
#include "text/finders_win.h"
#include "view/view_win.h"

namespace {

struct Filter {
    FindObjFilter f;
    std::string path;
    bool global = false;
};
Filter filter_;
int count_ = 0;
int skipped_ = 0;
int sortseq_ = -4;
bool filling_ = false;

// Other documents of the folder, read once while the dialog is open and again when they change
// on disk. They never touch the open document.
struct Cached {
    FILETIME written{};
    bool read = false, ok = false;
    Document doc;
};
std::map<std::string, Cached> cache_;
// The full name of the document each row comes from, by row id ("" for an untitled one): files
// of the same name in two folders are two documents.
std::map<int, std::string> row_path_;

std::string folder_of(const std::string& path) {
    size_t p = path.find_last_of("\\/");
    return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}

std::string current_dir() {
    if (auto cur = file_current(); cur && !cur->dir.empty()) {
        std::string d = cur->dir;
        if (d.back() != '\\' && d.back() != '/') d += '\\';
        return d;
    }
    return file_progdir_path();
}

std::string current_file() { return util_lower(file_name_part(file_current_name())); }

std::string path_pattern() {
    if (filter_.path.empty()) filter_.path = current_dir() + "*.vrn";
    return filter_.path;
}

// The document named `path`, from the cache; null when it cannot be read.
const Document* other_document(const std::string& path, const FILETIME& written) {
    Cached& c = cache_[util_lower(path)];
    if (!c.read || CompareFileTime(&c.written, &written) != 0) {
        c.read = true;
        c.written = written;
        c.doc = Document();
        std::string error;
        c.ok = view_read_document(path, c.doc, &error);
        (void)view_take_load_note();
    }
    return c.ok ? &c.doc : nullptr;
}

std::vector<LvItem> collect() {
    count_ = 0;
    skipped_ = 0;
    row_path_.clear();
    std::vector<LvItem> rows = findobj_rows(view_doc(), filter_.f, current_file(), &count_);
    const std::string open_path = file_is_untitled() ? std::string() : file_current_name();
    for (const LvItem& it : rows) row_path_[it.id] = open_path;
    if (!filter_.global) return rows;
    const std::string pattern = path_pattern();
    const std::string dir = folder_of(pattern);
    struct Found {
        std::string name;
        FILETIME written;
    };
    std::vector<Found> files;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(pattern.c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) files.push_back({fd.cFileName, fd.ftLastWriteTime});
        } while (FindNextFileA(h, &fd));
        FindClose(h);
    }
    // Folder order differs between file systems; name order is the same everywhere.
    std::sort(files.begin(), files.end(), [](const Found& a, const Found& b) { return util_lower(a.name) < util_lower(b.name); });
    // The pattern may spell the open document's folder in another way (case, "." or "..",
    // slashes, short names, another drive letter), and the document's name may be a short one;
    // the file system decides.
    const std::string open_full = util_canonical_path(file_current_name());
    const std::string self = open_full.empty() ? current_file() : util_lower(file_name_part(open_full));
    const std::string here = dir.empty() ? "." : dir;
    const bool same_folder = util_path_within(here, current_dir()) && util_path_within(current_dir(), here);
    for (const Found& f : files) {
        const std::string lower = util_lower(f.name);
        if (same_folder && lower == self) continue;  // the open document, with its unsaved edits, is listed above
        const Document* d = other_document(dir + f.name, f.written);
        if (!d) {
            ++skipped_;
            continue;
        }
        auto more = findobj_rows(*d, filter_.f, lower, &count_);
        for (const LvItem& it : more) row_path_[it.id] = dir + f.name;
        rows.insert(rows.end(), std::make_move_iterator(more.begin()), std::make_move_iterator(more.end()));
    }
    return rows;
}

void show_total(HWND dlg) {
    std::string t = findobj_total_line(count_);
    if (skipped_) t += "   (" + std::to_string(skipped_) + (skipped_ == 1 ? " file" : " files") + " could not be read)";
    SetDlgItemTextA(dlg, IDC_FO_TOTAL, t.c_str());
}

bool on_note(const LvNotification& n, HWND host);

void fill(HWND dlg) {
    HWND host = GetDlgItem(dlg, IDC_FO_LIST);
    if (!host || filling_) return;
    filling_ = true;
    view_wait_cursor(true);
    static const std::vector<LvColumn> columns = {{"ID", 120},     {"Shape", 50}, {"Color", 40}, {"Level", 40},
                                                  {"Content", 180}, {"File", 60},  {"Ref", 50}};
    std::vector<LvItem> rows = collect();
    lv_create(host, kLvReport, {LVS_SHOWSELALWAYS, LVS_AUTOARRANGE, LVS_SORTASCENDING, LVS_SINGLESEL}, columns, std::move(rows), 11231,
              11231, on_note);
    SendMessageA(lv_control_handle(host), LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    view_wait_cursor(false);
    show_total(dlg);
    filling_ = false;
}

bool compare(HWND host, int id1, int id2, LPARAM column, bool* before) {
    const int c = static_cast<int>(column);
    auto a = lv_sort_key(lv_get_item(host, id1), c), b = lv_sort_key(lv_get_item(host, id2), c);
    *before = finder_before(a.value_or(""), b.value_or(""), finder_ascending(sortseq_, c));
    return true;
}

// Shows the row's object: in the open document at once, in another after opening it (which asks
// to save the open one first). False when the object cannot be shown.
bool visit(HWND host, int id) {
    LvItem it = lv_get_item(host, id);
    if (it.sub_texts.size() < kFindObjRefColumn - 1) return false;
    auto key = util_str_to_int(it.sub_texts[kFindObjRefColumn - 2]);
    auto from = row_path_.find(id);
    if (!key || from == row_path_.end()) return false;
    const std::string& path = from->second;
    const bool open_one = path.empty() ? file_is_untitled() : util_same_file(path, file_current_name());
    if (!open_one) {
        if (path.empty() || !shell_hooks_.open_document || shell_hooks_.open_document(path) != 1) return false;
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(m.wParam));
                return false;
            }
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    auto o = view_obj_get(static_cast<Key>(*key));
    if (!o) return false;
    view_scroll_to(o->x, o->y, o->level);
    return true;
}

bool on_note(const LvNotification& n, HWND host) {
    switch (n.kind) {
    case kLvColumnClick:
        if (count_ > kFindObjSortLimit) {
            msg_note("Use Filter to reduce number of items to <500 before sorting");
            return false;
        }
        sortseq_ = finder_toggle_bit(sortseq_, n.column);
        lv_sort(host, n.column, compare);
        return false;
    case kLvItemSelected:
        if (n.on == 1 && !filling_) {
            int id = n.id;
            // The list may be rebuilt by what the visit does; it runs after this notification.
            PostMessageA(GetParent(host), WM_APP + 1, static_cast<WPARAM>(id), 0);
        }
        return false;
    case kLvRClick: {
        auto f = lv_get_focused(host);
        if (f.empty()) return false;
        PostMessageA(GetParent(host), WM_APP + 2, static_cast<WPARAM>(f[0]), 0);
        return false;
    }
    default: return false;
    }
}

LRESULT CALLBACK host_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    return lv_host_proc(win, msg, wp, lp, "findobj_lv");
}

void layout(HWND win) {
    RECT c;
    GetClientRect(win, &c);
    dlg_stretch_control(win, IDC_FO_PATH, 25, 0);
    if (HWND host = GetDlgItem(win, IDC_FO_LIST))
        MoveWindow(host, 5, 55, std::max<int>(c.right - 15, 10), std::max<int>(c.bottom - 75, 10), TRUE);
    if (HWND t = GetDlgItem(win, IDC_FO_TOTAL)) MoveWindow(t, 5, std::max<int>(c.bottom - 17, 0), std::max<int>(c.right - 10, 10), 15, TRUE);
}

INT_PTR CALLBACK dlg_find_objects_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        sortseq_ = -4;
        dlg_on_create(win, IDD_FIND_OBJECTS, 1);
        // The controls show the filter the list follows.
        filling_ = true;
        SetDlgItemTextA(win, IDC_FO_FILTER, filter_.f.text.c_str());
        filling_ = false;
        CheckDlgButton(win, IDC_FO_CAUSES, filter_.f.causes ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(win, IDC_FO_EFFECTS, filter_.f.effects ? BST_CHECKED : BST_UNCHECKED);
        CheckDlgButton(win, IDC_FO_GLOBAL, BST_UNCHECKED);
        SetDlgItemTextA(win, IDC_FO_PATH, path_pattern().c_str());
        EnableWindow(GetDlgItem(win, IDC_FO_PATH), FALSE);
        layout(win);
        fill(win);
        return TRUE;
    case WM_SIZE: layout(win); return FALSE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_FO_FILTER:
            if (HIWORD(wp) == EN_CHANGE && !filling_) {
                filter_.f.text = util_lower(dlg_get_text(win, IDC_FO_FILTER));
                fill(win);
            }
            return TRUE;
        case IDC_FO_PATH:
            if (HIWORD(wp) == EN_CHANGE && !filling_ && filter_.global) {
                filter_.path = dlg_get_text(win, IDC_FO_PATH);
                fill(win);
            }
            return TRUE;
        case IDC_FO_GLOBAL:
            filter_.global = dlg_is_checked(win, IDC_FO_GLOBAL) != 0;
            EnableWindow(GetDlgItem(win, IDC_FO_PATH), filter_.global);
            fill(win);
            return TRUE;
        case IDC_FO_CAUSES:
            filter_.f.causes = dlg_is_checked(win, IDC_FO_CAUSES) != 0;
            fill(win);
            return TRUE;
        case IDC_FO_EFFECTS:
            filter_.f.effects = dlg_is_checked(win, IDC_FO_EFFECTS) != 0;
            fill(win);
            return TRUE;
        case IDCANCEL: DestroyWindow(win); return TRUE;
        }
        break;
    case WM_APP + 1: case WM_APP + 2: {
        HWND host = GetDlgItem(win, IDC_FO_LIST);
        const int id = static_cast<int>(wp);
        LvItem it;
        try {
            it = lv_get_item(host, id);
        } catch (...) {
            return TRUE;  // the row went with a refill
        }
        if (!visit(host, id) || msg != WM_APP + 2) return TRUE;
        auto key = util_str_to_int(it.sub_texts[kFindObjRefColumn - 2]);
        if (auto o = key ? view_obj_get(static_cast<Key>(*key)) : std::nullopt; o && shell_hooks_.action_do)
            shell_hooks_.action_do(o->action, o->key, o->ext);
        return TRUE;
    }
    case WM_VORN_REPLACED:
        // Lists the new document once it is open under its own name.
        PostMessageA(win, WM_APP + 3, 0, 0);
        return dlg_stay_open(win);
    case WM_APP + 3: fill(win); return TRUE;
    case WM_DESTROY:
        filter_.path.clear();
        filter_.global = false;
        cache_.clear();
        row_path_.clear();
        dlg_on_destroy(win, IDD_FIND_OBJECTS, 1);
        view_invalidate();
        break;
    }
    return FALSE;
}

}  // namespace

void findobj_open() {
    if (dlg_find_modeless(IDD_FIND_OBJECTS)) return;
    static bool registered = false;
    if (!registered) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = trap_wnd<host_eh>;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "listview_obj";
        wc.hCursor = util_system_cursor(IDC_ARROW);
        registered = RegisterClassA(&wc) != 0;
    }
    HWND win = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FIND_OBJECTS), main_inst_,
                                  trap_dlg<dlg_find_objects_eh>, 0);
    if (!win) return;
    ShowWindow(win, SW_SHOW);
    // Painted at once: it opens over a window that may be busy.
    RedrawWindow(win, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void finders_register() {
    static const Command kCommands[] = {
        {CMD_FIND_OBJECTS, findobj_open},
        {CMD_FIND_LINKS, [] { links_open(view_inst_ ? view_inst_ : main_inst_); }},
    };
    cmd_register_all(kCommands);
    shell_hooks_.links_open = [](HWND parent) { return links_open(parent); };
}

#include <windows.h>

#include "bars/help_context.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/file_save.h"
#include "base/globals_win.h"
#include "base/shell_hooks_win.h"
#include "base/trap_win.h"
#include "base/util.h"
#include "ideas/clist_win.h"
#include "resources/ideas_tools_ids.h"

void clist_editor_open(HWND parent);

namespace {

std::string chosen_;                  // file shown in the editor
ClistIndex at_open_;                  // the index as the editor found it
std::vector<std::string> deleted_;    // checklists whose ticks go with Save Changes
bool filling_ = false;

std::string combo_sel(HWND win) {
    HWND cb = GetDlgItem(win, IDC_CLED_FILE);
    int sel = static_cast<int>(SendMessageA(cb, CB_GETCURSEL, 0, 0));
    if (sel < 0) return {};
    char buf[MAX_PATH + 1] = {};
    SendMessageA(cb, CB_GETLBTEXT, sel, reinterpret_cast<LPARAM>(buf));
    return buf;
}

void show_chosen(HWND win) {
    filling_ = true;
    const ClistEntry* e = clist_index().by_file(chosen_);
    SetDlgItemTextA(win, IDC_CLED_DESC, e ? e->desc.c_str() : "");
    for (int i = 0; i < 16; ++i) CheckDlgButton(win, IDC_CLED_TOPIC1 + i, e && ((e->topics >> i) & 1u) ? BST_CHECKED : BST_UNCHECKED);
    filling_ = false;
}

void build(HWND win) {
    filling_ = true;
    ClistIndex& idx = clist_index();
    HWND cb = GetDlgItem(win, IDC_CLED_FILE);
    SendMessageA(cb, CB_RESETCONTENT, 0, 0);
    int at = 0, n = 0;
    for (const auto& e : idx.entries) {
        SendMessageA(cb, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(e.file.c_str()));
        if (e.file == chosen_) at = n;
        ++n;
    }
    SendMessageA(cb, CB_SETCURSEL, at, 0);
    chosen_ = combo_sel(win);
    for (int i = 0; i < 16; ++i) SetDlgItemTextA(win, IDC_CLED_NAME1 + i, clist_topic_label(idx, i + 1, false).c_str());
    filling_ = false;
    show_chosen(win);
}

// Edits replace the record where it stands, so the order of the index (and the positions Random
// Words remembers) stays.
void store_edits(HWND win) {
    if (filling_ || chosen_.empty()) return;
    for (auto& e : clist_index().entries)
        if (e.file == chosen_) {
            e.desc = dlg_get_text(win, IDC_CLED_DESC);
            uint32_t t = 0;
            for (int i = 0; i < 16; ++i)
                if (dlg_is_checked(win, IDC_CLED_TOPIC1 + i)) t |= 1u << i;
            e.topics = t;
        }
}

INT_PTR CALLBACK add_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: dlg_on_create(win, IDD_CLIST_ADD, 0); return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            std::string file = util_lower(dlg_get_text(win, IDC_CLADD_FILE));
            std::string desc = dlg_get_text(win, IDC_CLADD_DESC);
            ClistIndex& idx = clist_index();
            if (file.find_first_not_of(' ') == std::string::npos) {
                msg_error("Enter a file name");
                return TRUE;
            }
            if (desc.find_first_not_of(' ') == std::string::npos) {
                msg_error("Enter a description");
                return TRUE;
            }
            if (idx.by_file(file)) {
                dlg_error_msg("Filename %s already exists", file);
                return TRUE;
            }
            if (idx.by_desc(desc)) {
                dlg_error_msg("File description %s already exists", desc);
                return TRUE;
            }
            // The file first: an entry never names a file that could not be made.
            std::string full = file.find(':') != std::string::npos ? file : file_progdir_path(file);
            if (!file_create_if_missing(full, "")) return TRUE;
            idx.entries.insert(idx.entries.begin(), {file, desc, 0, 0});
            idx.add_default_topics();
            EndDialog(win, IDOK);
            return TRUE;
        }
        if (LOWORD(wp) == IDCANCEL) {
            EndDialog(win, IDCANCEL);
            return TRUE;
        }
        break;
    case WM_DESTROY: dlg_on_destroy(win, IDD_CLIST_ADD, 0); break;
    default: break;
    }
    return FALSE;
}

// Items that link to a renamed checklist name its new description, in every list of the index.
void follow_renames() {
    std::vector<std::pair<std::string, std::string>> renames;
    for (const auto& was : at_open_.entries)
        if (const ClistEntry* e = clist_index().by_file(was.file); e && e->desc != was.desc) renames.emplace_back(was.desc, e->desc);
    if (renames.empty()) return;
    for (const auto& e : clist_index().entries) {
        auto path = clist_file_of(e.desc);
        if (!path || !file_exists(*path)) continue;
        auto text = file_read_text(*path);
        auto renamed = text ? clist_rename_links(*text, renames) : std::nullopt;
        std::string reason;
        if (renamed && !file_write_replace(*path, *renamed, &reason)) dlg_error_msg("Saving %s", *path);
    }
}

bool save(HWND win) {
    store_edits(win);
    ClistIndex& idx = clist_index();
    std::string which;
    if (auto fault = clist_entry_fault(idx, &which)) {
        msg_error(*fault);
        chosen_ = which;
        build(win);
        SetFocus(GetDlgItem(win, IDC_CLED_DESC));
        return false;
    }
    std::string path = clist_index_path();
    if (clist_index_unread()) {
        msg_error(path + " could not be read, so it is not written over: nothing was saved.");
        return false;
    }
    for (int i = 0; i < 16; ++i) idx.set_topic(i + 1, dlg_get_text(win, IDC_CLED_NAME1 + i));
    std::string reason;
    if (!file_write_replace(path, clist_write_index(idx), &reason)) {
        dlg_error_msg("Saving %s", path);
        return false;
    }
    follow_renames();
    for (const auto& file : deleted_) clist_forget_checks(file);
    deleted_.clear();
    clist_write_check_states();
    return true;
}

// Edits not yet saved: checklists added, removed or described anew, topic names retyped.
bool has_edits(HWND win) {
    store_edits(win);
    if (clist_index().entries != at_open_.entries) return true;
    for (int i = 0; i < 16; ++i)
        if (dlg_get_text(win, IDC_CLED_NAME1 + i) != clist_topic_label(at_open_, i + 1, false)) return true;
    return false;
}

void on_command(HWND win, int id, int code) {
    switch (id) {
    case IDC_CLED_FILE:
        if (code == CBN_SELCHANGE) {
            chosen_ = combo_sel(win);
            show_chosen(win);
        }
        break;
    case IDC_CLED_DESC:
        if (code == EN_CHANGE) store_edits(win);
        break;
    case IDC_CLED_ADD:
        if (DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CLIST_ADD), win, trap_dlg<add_eh>, 0) == IDOK) {
            chosen_ = clist_index().entries.front().file;
            clist_curr_file() = chosen_;
            build(win);
        }
        break;
    case IDC_CLED_DELETE:
        if (!chosen_.empty() && msg_ask_yes_no_cancel("Delete " + chosen_ + " ?", "Delete Checklist") == 1) {
            std::erase_if(clist_index().entries, [](const ClistEntry& e) { return e.file == chosen_; });
            deleted_.push_back(chosen_);
            chosen_.clear();
            build(win);
        }
        break;
    case IDC_CLED_EDIT:
        if (!chosen_.empty()) {
            // The file the checklist reads, beside the index that names it.
            auto found = clist_list_path(chosen_);
            std::string file = chosen_;
            if (!found) {
                msg_note("File not found: " + file);
                break;
            }
            if (has_edits(win)) {
                int a = msg_ask_yes_no_cancel("Save the changes to the checklist index before editing " + file + "?",
                                              "Checklist Editor");
                if (a == 3 || (a == 1 && !save(win))) break;
            }
            EndDialog(win, IDCANCEL);
            clist_drop_index();
            // Its item positions may change.
            clist_forget_checks(file);
            clist_write_check_states();
            if (shell_hooks_.tw_open) shell_hooks_.tw_open(0, *found, 3);
        }
        break;
    case IDC_CLED_HELP: help_context(124); break;
    case IDOK:
        if (save(win)) EndDialog(win, IDOK);
        break;
    case IDCANCEL:
        clist_drop_index();
        EndDialog(win, IDCANCEL);
        break;
    default:
        if (id >= IDC_CLED_TOPIC1 && id <= IDC_CLED_TOPIC16) store_edits(win);
        break;
    }
}

INT_PTR CALLBACK dlg_checklist_editor_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        dlg_on_create(win, IDD_CLIST_EDITOR, 0);
        clist_set_editing(true);
        deleted_.clear();
        chosen_ = clist_curr_file();
        at_open_ = clist_index();
        build(win);
        return TRUE;
    case WM_COMMAND: on_command(win, LOWORD(wp), HIWORD(wp)); return TRUE;
    case WM_CLOSE: on_command(win, IDCANCEL, 0); return TRUE;
    case WM_DESTROY:
        clist_set_editing(false);
        dlg_on_destroy(win, IDD_CLIST_EDITOR, 0);
        break;
    default: break;
    }
    return FALSE;
}

}  // namespace

void clist_editor_open(HWND parent) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CLIST_EDITOR), parent, trap_dlg<dlg_checklist_editor_eh>, 0);
}

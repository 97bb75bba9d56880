// The Checklist dialog and the checklist services other idea tools use.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "ideas/clist.h"

// Idea > Checklists; nothing when the dialog is open.
void clist_open(HWND parent);
// Opens the dialog on checklist `file`, switching index when the other one holds it.
void clist_open_file(const std::string& file);
// Descriptions of the checklists of the document's index, in index order.
std::vector<std::string> clist_words();
// The full path of the checklist with this description; nullopt when none has it.
std::optional<std::string> clist_file_of(const std::string& desc);
// The text of a list file (UTF-8 read as Windows-1252), at most its first kFileListCap bytes;
// nullopt when unreadable. With `tell_cut`, a note says when the file was longer.
std::optional<std::string> clist_read_list(const std::string& path, bool tell_cut = false);
// Where checklist `file` lies: as named when it holds a drive, else beside the index, else in the
// program's folder; nullopt when it is in none of them.
std::optional<std::string> clist_list_path(const std::string& file);
// The items of checklist `file` ("<file> not found" when it is nowhere).
std::vector<std::string> clist_read_items(const std::string& file);
// The loaded index (read on first use) and dropping it.
ClistIndex& clist_index();
void clist_drop_index();
// Drops the loaded index unless the Checklist dialog or the editor is working on it.
void clist_release_index();
// The editor's unsaved edits keep the loaded index whatever the document names.
void clist_set_editing(bool on);
// Full path of the index file of setting 16.
std::string clist_index_path();
// The check states (loaded on first use), changing them, and writing them: the file is read
// again first and only the checklists whose ticks this run changed are replaced.
std::vector<ClistChecks>& clist_checks();
void clist_set_checks(const std::string& file, const std::vector<int>& items);
void clist_forget_checks(const std::string& file);
bool clist_write_check_states();
// The index file is there but could not be read: it must not be written over.
bool clist_index_unread();
// The checklist shown now.
std::string& clist_curr_file();
// Tests point the check-state file elsewhere ("" restores "vorn2001.chk" in the program's folder).
void clist_set_checks_path(const std::string& path);
// Registers the Checklists command.
void clist_init();

INT_PTR CALLBACK dlg_clist_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);

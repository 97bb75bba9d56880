// FILE, Win32 side: the save question, the open and save dialogs, the File-menu commands, the
// window title and the ".bak" timer.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "document/view_io.h"

// Runs before anything saves the document, replaces it or ends the program: the text box and
// the text windows hand over what they hold, as Enter or their own Save would. Leaving, every
// text window closes by its closing rules; otherwise objects' windows store their texts and stay.
// False when one could not (it said why): the action stops.
bool file_hand_over(bool leaving);
// The hand-over, then "File %s has been changed, save it?" when the document changed; Yes saves.
// 1 yes (saved), 2 no or nothing to save, 3 cancel (also when the hand-over or saving failed).
int file_ask_save(bool leaving = false);
// Title from `name` (the current document when empty), the changed mark, setting 22 and depth.
void file_set_title(const std::string& name = {});
// Windows directory, lower-case, trailing backslash.
std::string file_windows_dir();
// ".vrn" (and ".ide", or no extension) as the document, ".txt" in a text window, ".rtf" in the
// rich-text editor, "http://" through the web client; false for other names.
bool file_open_by_ext(const std::string& name);
// Asks to save, then opens `name` as the current document: 1 on success, 0 when cancelled or
// the file could not be read (the open document is kept).
int file_open_document(const std::string& name);
// Closes the text windows and the text box, then loads `name` into the view. A file that does
// not load is reported, with `if_refused` after the reason.
bool file_load_document(const std::string& name, const std::string& if_refused = {});
// Reads the current document again from its file, asking nothing; false (reported with
// `if_refused`) when it does not load, and the document stays as it was with its history.
bool file_reload_document(const std::string& if_refused);
// Saves the current document under `name` (".bk2" first when the Backup setting asks).
bool file_save_document(const std::string& name);
// Starts an empty "untitled.vrn" in `dir` (the program directory when empty).
void file_new_document(const std::string& dir = {});
// Encrypts or decrypts `name` in place with `password` (through a temporary file); *outcome
// says which, or that a document the password does not open was left untouched.
bool file_crypt_file(const std::string& name, const std::string& password, std::string* error,
                     CryptOutcome* outcome = nullptr);

// Registers the File-menu commands and the Option > Files / Snap dialogs.
void file_register_commands();
// (Re)starts the ".bak" timer on the main window from the Backup setting.
void file_backup_timer_start(HWND main);
// The timer's id, and its tick.
constexpr UINT_PTR kBackupTimer = 0x4B01;
void file_backup_tick();
// Writes recent files merged with those another running copy stored.
void file_recent_save();
// Lists the recent files between Information and Exit of the File menu, as many as there are.
void file_recent_menu_update(HMENU file_menu);
// Current recent list (newest first).
const std::vector<std::string>& file_recent_list();
void file_recent_load();

// The program's small settings dialogs: password, Files, Snap.
#pragma once

#include <windows.h>

#include <string>

// Asks for the password of Encrypt/Decrypt File; false when cancelled.
bool dlg_password(HWND parent, const std::string& file_name, std::string* password);
// Option > Files: the file names the program keeps in the settings store.
void dlg_files_open(HWND parent);
// Option > Snap: shape snap on or off (document setting 203).
void dlg_snap_open(HWND parent);
INT_PTR CALLBACK dlg_snap_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);

// The Insert Text dialog: snippets, characters and dates for the focused text or rich window.
#pragma once

#include <windows.h>

#include <string>

// Opens the dialog; false when it is open already or "insert.kba" cannot be read.
bool tw_insert_dialog_open(HWND parent);
// Tests read the snippets from elsewhere ("" for the program's folder).
void insert_set_file(const std::string& path);
void insert_register();

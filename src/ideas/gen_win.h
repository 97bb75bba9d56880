// The Generate Ideas dialog (F9).
#pragma once

#include <windows.h>

void gen_open(HWND parent);
void gen_init();

INT_PTR CALLBACK dlg_generate_ideas_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);

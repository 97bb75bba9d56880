// The Random Words dialog (F8).
#pragma once

#include <windows.h>

void rwords_open();
void rwords_init();

INT_PTR CALLBACK dlg_random_words_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);

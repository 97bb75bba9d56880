// The Analyzer window: a chosen analysis of the document's or one object's text.
#pragma once

#include <windows.h>

void analyze_open();
INT_PTR CALLBACK dlg_analyze_text_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK analyze_handler(HWND win, UINT msg, WPARAM wp, LPARAM lp);
// Registers the menu command and the output area's window class.
void analyze_init();

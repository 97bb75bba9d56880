// The Questions dialog and the random question the ticker and the advisor ask.
#pragma once

#include <windows.h>

#include <string>

void quest_open();
// A random question about the idea of text setting 30 ("" now and then, as the list allows).
std::string quest_random_question();
void quest_init();

INT_PTR CALLBACK dlg_questions_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);

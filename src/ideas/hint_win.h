// The advisor on the message ticker: a pass when the ticker is idle, the response to a message
// and the Previous Answers dialog.
#pragma once

#include <windows.h>

#include "ideas/hint.h"

Advisor& hint_advisor();
// One pass; false when nothing was posted.
bool hint_load_params();
// The response to rule `id`'s message; false for an id not in the table.
bool hint_show_detail(int id);
void hint_previous_answers(HWND parent);
void hint_init();

INT_PTR CALLBACK dlg_answers_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);

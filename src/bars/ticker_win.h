// The message ticker in the status bar's Message field, its pop-up commands and the Preference
// dialog.
#pragma once

#include <windows.h>

#include <string>

// Registers the ticker with the status bar and its commands with the main menu.
void ticker_init();

// 1 when the ticker was running (and is now paused), 0 when it was already paused.
int status_ticker_pause();
void status_ticker_resume();
bool status_ticker_paused();
// The running one-shot timer, 0 while paused (tests drive the ticks with it).
UINT_PTR status_ticker_timer_id();

// The Preference dialog; false when cancelled.
bool status_preference_dlg(HWND parent);
INT_PTR CALLBACK dlg_messgpref_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);

// Writes the history to "message.txt" in the program's directory (replacing it whole); false
// when it could not be written.
bool ticker_save_history();
// Keeps the history in `path` instead (tests keep the program directory clean); "" restores it.
void ticker_set_history_file(const std::string& path);
std::string ticker_history_file();

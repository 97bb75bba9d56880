// The DDE server "Vorn" (topics "System" and "Open"): other programs, the Windows shell among
// them, open documents in the running copy with [open("name")].
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// The service answers through `main`, which passes WM_DDE_INITIATE to dde_on_initiate;
// requests are handed to it with WM_VORN_DDE_OPEN.
void dde_server_start(HWND main);
void dde_on_initiate(HWND win, WPARAM wp, LPARAM lp);
// The window is up: shortly after, ask whether another copy runs (WM_VORN_DDE_OTHER).
void dde_server_ready();
// Ends every conversation and any check still asking.
void dde_server_stop();
// Message posted to the main window when names arrived; the main window takes them one at a
// time with dde_next_name when no box or modal dialog is showing.
constexpr UINT WM_VORN_DDE_OPEN = WM_APP + 0x120;
// Posted to the main window when another process answered on "Vorn"/"System".
constexpr UINT WM_VORN_DDE_OTHER = WM_APP + 0x121;
bool dde_pending();
std::optional<std::string> dde_next_name();

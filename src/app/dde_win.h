// The DDE server "Vorn" (topics "System" and "Open"): other programs, the Windows shell among
// them, open documents in the running copy with [open("name")].
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// Starts registering the service, refusing self-connections, on a thread of its own; false
// when that could not start. Requests are handed to `main` with WM_VORN_DDE_OPEN.
bool dde_server_start(HWND main);
// Waits until the service is registered, then has the server ask whether another copy runs;
// false when DDE failed.
bool dde_server_wait();
// Unregisters the service and ends DDE.
void dde_server_stop();
// Message posted to the main window when names arrived; the main window takes them one at a
// time with dde_next_name when no box or modal dialog is showing.
constexpr UINT WM_VORN_DDE_OPEN = WM_APP + 0x120;
// Posted to the main window when another process answered on "Vorn"/"System" after the service
// started.
constexpr UINT WM_VORN_DDE_OTHER = WM_APP + 0x121;
bool dde_pending();
std::optional<std::string> dde_next_name();

// The DDE server "Vorn" (topics "System" and "Open"): other programs, the Windows shell among
// them, open documents in the running copy with [open("name")].
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// Initialises DDE refusing self-connections and registers the service; false when DDE failed.
bool dde_server_start(HWND main);
// True when another copy answers on "Vorn"/"System".
bool dde_other_instance_running();
// Unregisters the service and ends DDE.
void dde_server_stop();
// Message posted to the main window when names arrived; the main window takes them one at a
// time with dde_next_name when no box or modal dialog is showing.
constexpr UINT WM_VORN_DDE_OPEN = WM_APP + 0x120;
bool dde_pending();
std::optional<std::string> dde_next_name();

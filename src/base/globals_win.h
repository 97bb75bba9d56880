// Global records of window handles, held by the shell for all windows.
#pragma once

#include <windows.h>

#include <vector>

#include "base/key.h"

// The user event (e_user) every window of the program understands: wParam code, lParam parameter.
constexpr UINT WM_VORN_USER = WM_APP + 0x101;
// Sends user command (code, param) to the diagram window and gives its reply (-1 without one).
int view_send_user(int code, int param);

extern HINSTANCE app_inst_;
extern HWND main_inst_;
extern HWND view_inst_;
extern HWND tbar_inst_;
extern HWND status_inst_;
extern HWND toolbox_inst_;  // non-null while the toolbox is shown
extern HWND tip_inst_;

// The open in-place text box: Mode 1 object ID (k1 = key), 2 link label (k1 -> k2).
struct TextBoxInst { HWND win = nullptr; int mode = 0; Key k1 = 0, k2 = 0; };
extern TextBoxInst textbox_inst_;

// Open text windows: mode 1 object, 2 source editor, 3 text file, 5 dictionary, 6 action file, 7 rich.
struct TwInst { HWND win; Key key; int mode; };
extern std::vector<TwInst> tw_inst_;
// The editor that last had the focus (kind 1 text window, 7 rich text); win null when none.
struct FocusedTw { HWND win = nullptr; int kind = 0; };
extern FocusedTw focused_tw_;

struct DlgInst { HWND win; int dlg_id; };
extern std::vector<DlgInst> modelessdlg_inst_;
extern std::vector<DlgInst> modaldlg_inst_;

// The open modeless dialog with this resource id, or null.
HWND dlg_find_modeless(int dlg_id);

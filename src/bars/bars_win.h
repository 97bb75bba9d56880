// Drawing and window helpers shared by the toolbar, the status bar and the toolbox.
#pragma once

#include <windows.h>

constexpr COLORREF kBarGrey = 0xC0C0C0;

// What opened a pop-up menu (first field of popup_menu_inst_).
enum PopupOwner : short { kPopupToolbar = 1, kPopupStatus = 2, kPopupToolbox = 3 };

HINSTANCE bars_instance();
void bars_fill(HDC dc, const RECT& r, COLORREF c);
// Raised: white left and top, grey bottom and right; sunken: black left and top, white bottom
// and right.
void bars_edge(HDC dc, const RECT& r, bool sunken);
// The bars' font of `points` size.
HFONT bars_font(HWND win, int points);
// Shows sub-menu 0 of menu resource `id` at screen (x, y); the chosen command or 0.
int bars_popup(int id, HWND owner, int x, int y);
// Inside a catch block: reports the error that stopped a window event.
void bars_trap();

// Drawing and window helpers shared by the toolbar, the status bar and the toolbox.
#pragma once

#include <windows.h>

#include <string>

#include "document/globals.h"

constexpr COLORREF kBarGrey = 0xC0C0C0;

// What opened a pop-up menu (first field of popup_menu_inst_).
enum PopupOwner : short { kPopupToolbar = 1, kPopupStatus = 2, kPopupToolbox = 3 };

HINSTANCE bars_instance();
void bars_fill(HDC dc, const RECT& r, COLORREF c);
// Draws bitmap resource `id` stretched to (x, y, w, h); false when there is no such bitmap.
bool bars_draw_face(HDC dc, int id, int x, int y, int w, int h);
// Paints the window: the client area grey, then `draw` with the DC and the client rectangle.
template <class Draw>
void bars_paint(HWND win, Draw draw) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(win, &ps);
    RECT c;
    GetClientRect(win, &c);
    bars_fill(dc, c, kBarGrey);
    draw(dc, c);
    EndPaint(win, &ps);
}
// Raised: white left and top, grey bottom and right; sunken: black left and top, white bottom
// and right.
void bars_edge(HDC dc, const RECT& r, bool sunken);
// The bars' font of `points` size.
HFONT bars_font(HWND win, int points);
// Shows sub-menu 0 of menu resource `id` at client point (x, y) of `owner`, with popup_menu_inst_
// naming `source` meanwhile; `prepare` may set its check marks first. The chosen command or 0.
int bars_popup(int id, HWND owner, int x, int y, PopupSource source, void (*prepare)(HMENU) = nullptr);
// Registers window class `cls` (once) and creates a child window of it.
HWND bars_create_child(const char* cls, WNDPROC eh, const char* title, DWORD style, int x, int y, int w, int h,
                       HWND parent);
// Inside a catch block: reports the error that stopped a window event.
void bars_trap();

// Tooltip for a rectangle of `win`'s client area.
void bars_tip_request(HWND win, RECT area, const std::string& title, const std::string& text);

// What the bars ask of the diagram window above them; the view fills these in at start-up.
struct BarsViewHooks {
    void (*layout)() = nullptr;
    void (*scroll_to)(int x, int y, int level) = nullptr;
    void (*level_step)(int step) = nullptr;
    // A new object at the mouse position; its key, 0 when none.
    Key (*place_at_cursor)(const std::string& text, int action, int size, int flags) = nullptr;
};
extern BarsViewHooks bars_view_hooks_;

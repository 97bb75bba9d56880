// The diagram window: its window procedure, painting, mouse editing and the operations other
// windows use to repaint it, convert its coordinates and send it user commands.
#pragma once

#include <windows.h>

#include <string>

#include "base/globals_win.h"
#include "view/viewgeom.h"

class Document;

// User commands reach the view as this private message: wParam = code, lParam = parameter,
// the result is the reply. (WM_USER stays free for drag and drop between windows.)
constexpr UINT WM_VIEW_USER = WM_VORN_USER;
// Autoscroll while dragging near an edge.
constexpr UINT_PTR kViewAutoscrollTimer = 0x5601;
constexpr UINT kViewAutoscrollMs = 150;

LRESULT CALLBACK win_view_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);

// After a document was loaded or a new one started: the text box closes, the document's fonts,
// zoom, drawing colour and tools take effect, the status counts are refreshed, and the diagram
// is repainted. The document stays unchanged.
void view_after_load();

// Places the diagram window in the main window's client area (toolbar and status bar checks).
void view_layout();
// Where view_layout puts it in `main`'s client area.
Rc view_place_in(HWND main);

void view_invalidate();
// The screen's size changed: zooms are taken against the new width.
void view_display_changed();
void view_invalidate_marked();
// Repaints a diagram rectangle grown by `margin` pixels.
void view_invalidate_rect(int margin, const Rc& logical);
void view_focus();
void view_wait_cursor(bool on);
// Shows `level` with diagram point (x, y) at the window centre.
void view_scroll_to(int x, int y, int level);
// A new object of the toolbox's current kind at the mouse position; its key, 0 when none.
Key view_place_at_cursor(const std::string& text, int action, int size, int flags);

// The mapping of the diagram window as the view position now says (client size, zoom ...).
ViewMapping view_mapping();
// Gives dc the diagram mapping of the view window (MM_ANISOTROPIC, y upward).
void view_apply_mapping(HDC dc, const ViewMapping& m);

// One paint routine for the screen and images: paints the diagram of mapping `m` into dc
// (which must already carry that mapping), limited to the device rectangle `clip`.
// `printer`: a page of a print run (no-print objects left out, pictures by the printer's path).
void view_paint_dc(HDC dc, const ViewMapping& m, const RECT& clip, bool printer = false);
// A picture of `part` (objects, links and shapes of level m.pos.level, pictures from its own
// attachments) as the window shows them, without background, lower levels or marks; all of it
// is drawn whatever the size of dc. What the window's last paint recorded stays.
void view_paint_part(HDC dc, const ViewMapping& m, const Document& part);

// Printing (mode -1): paints the diagram onto page dc, the print-preview frame's centre on
// (x x page width, y x page height) and a part of the frame (its width / columns / factor,
// its height / rows / factor) filling the page. False for another mode or a page of no size.
bool view_draw(int mode, HDC dc, int factor, double x, double y);
// The printed page's frame over the window (the Print dialog's Parts), in diagram units;
// nullopt without a printer.
std::optional<Rc> view_print_frame();

// The clipboard owner's messages: the picture of what was copied is made when asked for.
void view_clip_owner_message(HWND win, UINT msg, WPARAM wp);

// WM_PAINT: double-buffered, limited to the update region.
void view_on_paint(HWND win);
// The back buffer's device context for one paint of a window of w x h pixels: a fresh one when
// the last paint never ended, so nothing it left (clip, mapping, objects) reaches this one.
HDC view_paint_begin(HDC screen, int w, int h);

// What the last paint put where, for hit tests between paints.
const std::vector<ObjBox>& view_painted_objects();
const std::vector<LinkPath>& view_painted_links();

// Drag feedback drawn over the diagram by the paint pass (device pixels).
struct ViewOverlay {
    enum Kind { None, Band, Line, Frame } kind = None;
    Pt a, b;  // diagram units
};
void view_set_overlay(const ViewOverlay& o);

// Mouse editing (view_mouse_win.cpp).
void view_mouse_down(HWND win, int x, int y, UINT keys);
void view_mouse_move(HWND win, int x, int y, UINT keys);
void view_mouse_up(HWND win, int x, int y, UINT keys);
void view_mouse_dbl(HWND win, int x, int y, UINT keys);
void view_mouse_right(HWND win, int x, int y, UINT keys);
// WM_CONTEXTMENU: at a screen point as a right click there; from the keyboard (-1, -1: Shift+F10,
// the Menu key) the pop-up menu of the marked item.
void view_context_menu(HWND win, int screen_x, int screen_y);
void view_mouse_timer(HWND win);
void view_mouse_capture_lost(HWND win);
bool view_mouse_set_cursor(HWND win);
bool view_mouse_dragging();
// Keys: arrows move marked items or scroll, Del deletes, Esc unmarks, PgUp/PgDn change level.
bool view_key(HWND win, UINT vk);

// The right-click pop-up menus' commands.
void view_popup_register_commands();
// Level..., Clear..., Shift... and Seq# Show/Hide of the main menu.
void view_menu_register_commands();

// Esc in the diagram: a drag ends without its effect and nothing stays marked.
void view_escape();

// Pastes the clipboard with its middle at diagram point lp (the background pop-up's Paste).
void view_paste_at(Pt lp);
// Where the last right click in the diagram was, in diagram units.
Pt view_popup_point();

// Edit steps shared by mouse and keys.
Pt view_move_marked(int dx, int dy, bool record);
bool view_delete_marked();
bool view_connect_marked();
void view_level_step(int step);

// Installed by the properties dialogs when they exist: Ctrl+click opens them.
// Kind 1 object, 2 link, 3 shape (a and b: keys), 4 point (a and b: its x and y).
using PropertiesHook = void (*)(HWND parent, int kind, int a, int b);
void view_set_properties_hook(PropertiesHook hook);
// The toolbox's current tool of a group, `fallback` when none.
int view_tool(int group, int fallback);
// Through the hook above; false when nobody installed one.
bool view_open_properties(HWND parent, int kind, int a, int b);
bool view_open_textbox(int mode, Key a, Key b, bool is_new);
// Runs object `key`'s own action through the executor the services install (user command 53,
// Enter on the marked object, a click in a slideshow); false when nothing was done.
bool view_obj_run_action(Key key);

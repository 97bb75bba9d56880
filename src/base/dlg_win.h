// DLG: helpers every dialog uses.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// On a dialog's creation: hides the tooltip, moves it to the rectangle remembered for `dlg_id`
// (kept on the work area; never for the Icon Browser 10552), records it as open (mode 1
// modeless, 0 modal).
void dlg_on_create(HWND win, int dlg_id, int mode);
// On its destruction: remembers its rectangle and removes its open record.
void dlg_on_destroy(HWND win, int dlg_id, int mode);
// True while the open document must stay in place: a modal dialog or message box runs, the main
// window is disabled under another modal loop (a file dialog), or the in-place text box is open.
bool dlg_document_held();
// Runs `step` (which may replace the document: a finished download, a training card) now when
// nothing holds the document, else once nothing does; waiting steps run in the order they came.
void dlg_when_document_free(std::function<void()> step);
// How many steps wait.
size_t dlg_document_waiting();
// Error box with format(fmt, text); a non-zero err_no adds the number and its words (its
// "error.txt" line, else the system's text for it).
void dlg_error_msg(const std::string& fmt, const std::string& text, int err_no = 0);
// The text of that box.
std::string dlg_error_text(const std::string& fmt, const std::string& text, int err_no);
// "From", "From+Step", ... up to To; Step 0 gives From alone.
std::vector<std::string> dlg_num_strings(int from, int to, int step);
int dlg_lbox_sel(HWND win, int id);
int dlg_is_checked(HWND win, int id);
// Check box id (first..last) := bit (id - base) of bits.
void dlg_set_checks(HWND win, int first, unsigned bits, int base, int last);
std::string dlg_get_text(HWND win, int id);
void dlg_enable(HWND win, int id, int on);
// Fills `r` of `win` with palette colour `colour_index` (owner-drawn swatches).
void dlg_fill_rect(int colour_index, HWND win, HDC dc, const RECT& r);
void dlg_fixed_font(HWND win, int id);
// Right / bottom edge `mr` / `mb` pixels inside the dialog (0 leaves it); never narrower or
// lower than 80 pixels.
void dlg_stretch_control(HWND win, int id, int mr, int mb);
void dlg_align_right(HWND win, int id, int m);
void dlg_align_bottom(HWND win, int id, int m);
// Outer width := left of control + d (dialog units); outer height := top of control + d.
void dlg_fit_width(HWND win, int id, int d);
void dlg_fit_height(HWND win, int id, int d);
void dlg_set_height(HWND win, int h);
// Left at least 4, top at least 22.
void dlg_keep_on_screen(HWND win);
// Clipboard := the selected items of list `id` (all when none is selected), CR LF between.
void dlg_copy_lbox(HWND win, int id);

// The work area of the monitor (for clamping remembered rectangles).
RECT dlg_work_area();
// OK applies the dialog and closes it, unless `apply` refuses or throws (the error is reported);
// Cancel closes it. False for other commands.
bool dlg_ok_cancel(HWND win, WPARAM wp, bool (*apply)(HWND));

// The hypertext editor control: a window over a TextModel that shows fields as underlined text
// (their markers and hidden texts take no room), with caret, selection by mouse and keys,
// scrolling, word wrap, clipboard, the find and replace dialogs, and keyword colouring.
#pragma once

#include <windows.h>

#include <string>

#include "text/text_model.h"

constexpr char kFieldEditClass[] = "VornText";

// Called for every message before the control's own handling; true when handled (*result is
// then returned).
using FieldEditHandler = bool (*)(HWND win, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);

struct FieldEditCreate {
    HWND parent = nullptr;
    RECT rect{};
    std::string title;
    DWORD style = 0;  // window styles besides WS_VSCROLL | WS_HSCROLL
    LOGFONTA font{};
    bool read_only = false;
    bool wrap = false;
    bool keywords = false;  // colour program keywords
    std::string text;
    FieldEditHandler handler = nullptr;
    // A child editor of another window: WM_SETTEXT and WM_GETTEXT are its text, not its title.
    bool text_is_content = false;
};

// Besides its own operations below, the control answers the system edit control's EM_GETSEL,
// EM_SETSEL, EM_SCROLLCARET, EM_GETLINECOUNT, WM_COPY, WM_CUT, WM_PASTE and WM_SETFONT.
HWND fe_create(const FieldEditCreate& c);

// The text of a control; null when `win` is none.
TextModel* fe_model(HWND win);
// After changing the model directly: lays out again, scrolls the caret into view, repaints.
void fe_changed(HWND win);
void fe_set_wrap(HWND win, bool wrap);
bool fe_read_only(HWND win);

// Edit operations as the menu commands run them.
void fe_cut(HWND win);
void fe_copy(HWND win);
void fe_paste(HWND win);
bool fe_clipboard_has_text();
// Del: the selection or the character after the caret.
void fe_delete(HWND win);
void fe_undo(HWND win);
void fe_redo(HWND win);
void fe_select_all(HWND win);
// Find, Find Next (the last search again; the dialog when there was none), Replace.
void fe_find_dialog(HWND win, bool replace);
void fe_find_next(HWND win);
// Inserts at the caret (over the selection) as one undo step.
void fe_insert(HWND win, const std::string& s);
// Caret row and column, 1-based.
std::pair<size_t, size_t> fe_row_col(HWND win);
// The caret position nearest to a client point.
size_t fe_hit(HWND win, int x, int y);
// Client point of a caret position (top of its row).
POINT fe_point_of(HWND win, size_t c);
// Height of a row in pixels.
int fe_row_height(HWND win);

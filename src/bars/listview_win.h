// The list-view wrapper: turns an empty host control of a dialog into a "SysListView32" whose
// rows are addressed by the owner's item ids. The owner registers the host's window class,
// calls lv_create from its dialog's creation code and passes every event its host does not
// answer to lv_handle_event. Operations on a window that is no wrapped host raise error 9000;
// an unknown item id raises 9001 (get, delete) or 9000 (the others); a column below 1, 9004.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "bars/listview.h"

// The owner's notification callback: true when it has taken the notification (the control's
// default is then refused: no selection change, no label edit, no drag, no stored edit).
using LvCallback = bool (*)(const LvNotification& n, HWND host);
// The owner's comparison: `*before` true when id1 sorts before id2; false when it failed.
using LvCompare = bool (*)(HWND host, int id1, int id2, LPARAM param, bool* before);

// View modes.
constexpr int kLvLargeIcons = 0, kLvReport = 1, kLvSmallIcons = 2, kLvList = 3;

// A list with a sort style keeps its rows itself and hands the control only what it draws: it
// opens at once with tens of thousands of rows, but sends no item-changing notifications.
void lv_create(HWND host, int view_mode, const std::vector<unsigned>& style_flags, const std::vector<LvColumn>& columns,
               std::vector<LvItem> items, int drop_cursor, int no_drop_cursor, LvCallback callback);
// The host's default event handling; true when the event was handled, with its result.
bool lv_handle_event(HWND host, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result);
// A host's whole window procedure: F1 on the list opens help keyword `help_key`, the rest goes to
// lv_handle_event and then to the default window procedure.
LRESULT lv_host_proc(HWND host, UINT msg, WPARAM wp, LPARAM lp, const char* help_key);
HWND lv_control_handle(HWND host);

LvItem lv_get_item(HWND host, int id);
void lv_put_item(HWND host, const LvItem& item);
void lv_insert_item(HWND host, const LvItem& item);
void lv_delete_item(HWND host, int id);
// Deletes every row and forgets their ids.
void lv_clear(HWND host);
std::vector<int> lv_get_selected(HWND host);
std::vector<int> lv_get_focused(HWND host);
void lv_select_items(HWND host, const std::vector<int>& ids, bool on);
void lv_focus_item(HWND host, int id, bool on);
// (item id or 65535, the control's hit-test flags)
std::pair<int, unsigned> lv_hit_test(HWND host, int x, int y);
int lv_item_count(HWND host);
int lv_rows_per_page(HWND host);
int lv_get_view_mode(HWND host);
void lv_set_view_mode(HWND host, int mode);
std::vector<unsigned> lv_get_style(HWND host);
void lv_set_style(HWND host, const std::vector<unsigned>& flags);
LvColumn lv_get_column(HWND host, int column);
void lv_set_column(HWND host, int column, const LvColumn& c);
void lv_insert_column(HWND host, int column, const LvColumn& c);
void lv_delete_column(HWND host, int column);
std::pair<COLORREF, COLORREF> lv_get_colors(HWND host);
void lv_set_colors(HWND host, COLORREF text, COLORREF background);
// 0 default, 1 align left, 2 align top, 5 snap to grid.
void lv_arrange(HWND host, int how);
void lv_ensure_visible(HWND host, int id);
POINT lv_get_item_position(HWND host, int id);
void lv_set_item_position(HWND host, int id, POINT p);
// Direction 0x100 above, 0x200 below, 0x400 to the left, 0x800 to the right; 65535 when none.
int lv_next_item(HWND host, int id, int direction);

void lv_sort(HWND host, LPARAM param, LvCompare compare);
// By the text of `column` (1 is the first), keeping the first and last rows in place; unsorted
// restores the order of insertion.
void lv_text_sort(HWND host, LvSortOrder dir, int column, int keep_first, int keep_last);

std::string lv_get_drag_text(HWND host);
void lv_set_drag_text(HWND host, const std::string& text);

// The list-view wrapper's portable part: items and notifications as owners see them, style
// flags, item-change mapping, the text sort's comparison and the dragged item's text form.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bars/dragdrop.h"

constexpr int kLvNoItem = 65535;

// Item state flags (the control's own bits).
enum LvState : int { kLvFocused = 1, kLvSelected = 2, kLvCut = 4, kLvDropHilited = 8 };

struct LvItem {
    int id = 0;
    std::string text;
    int normal_bitmap = 0, small_bitmap = 0;
    std::vector<int> states;
    std::vector<std::string> sub_texts;  // columns 2, 3, ...
    bool operator==(const LvItem&) const = default;
};

enum class LvAlign { left, right, center };
struct LvColumn {
    std::string title;
    int width = 100;
    LvAlign align = LvAlign::left;
};

enum class LvSortOrder { ascending, descending, unsorted };

// Notification members, numbered as owners match them.
enum LvNote : int {
    kLvOutOfMemory = 1, kLvSetFocus, kLvKillFocus, kLvReturn, kLvClick, kLvDblClk, kLvRClick, kLvRDblClk,
    kLvKeyDown, kLvItemSelecting, kLvItemSelected, kLvItemFocusing, kLvItemFocused, kLvColumnClick,
    kLvBeginLabelEdit, kLvEndLabelEdit, kLvBeginDrag, kLvDragOver, kLvDrop, kLvBeginRDrag, kLvRDragOver,
    kLvRDrop
};
struct LvNotification {
    LvNote kind = kLvClick;
    std::vector<int> ids;   // Return
    int x = 0, y = 0;       // Click .. RDblClk, the drag members
    int key = 0;            // KeyDown
    int id = kLvNoItem;     // item members, label edits, drags
    int on = 0;             // item members
    int column = 0;         // ColumnClick, from 1
    std::string text;       // EndLabelEdit
    DdWin source = 0;       // drag members: the host the item comes from
    std::string data;       // drag members: the dragged item's text
};

// ---- Style flags.
// Bits the wrapper changes after creation. The owner-data bit (0x1000) would turn the list
// virtual and cannot change on a live control, so it is not among them.
constexpr unsigned kLvStyleMask = 0x2BBC;
constexpr unsigned kLvAlignLeft = 0x800, kLvSortAscending = 0x10, kLvSortDescending = 0x20;
// The flags set in `style` under the mask; 0 stands for align top.
std::vector<unsigned> lv_style_list(unsigned style);
// `style` with its changeable bits replaced by `flags`: a member of an exclusive pair named in
// `flags` wins over the other member held by `style`.
unsigned lv_style_apply(unsigned style, const std::vector<unsigned>& flags);
// 1, 2, 4, 8 as set in `bits`.
std::vector<int> lv_state_flags(unsigned bits);
unsigned lv_state_bits(const std::vector<int>& flags);

// ---- Item changes: the member for a change of state bits, or none.
struct LvChange {
    LvNote kind;
    int on;
    bool operator==(const LvChange&) const = default;
};
std::optional<LvChange> lv_item_change(bool changing, unsigned old_state, unsigned new_state);

// ---- Sorting.
// Case-blind (A-Z only) byte comparison: <0, 0, >0.
int lv_key_compare(std::string_view a, std::string_view b);
// Rows p1, p2 (from 1) of n; the first keep_first and last keep_last rows keep their places.
int lv_text_compare(int p1, int p2, int n, int keep_first, int keep_last, const std::optional<std::string>& key1,
                    const std::optional<std::string>& key2, LvSortOrder dir);
// The sort key of column `column` (1 is the text), or none when the item has no such text.
std::optional<std::string> lv_sort_key(const LvItem& item, int column);
// Insertion order restored: `order` holds the ids newest first; the older id sorts first.
int lv_unsort_compare(const std::vector<int>& order, int id1, int id2);

// ---- The dragged item in text form, with the list's drag text.
std::string lv_item_text(const LvItem& item, const std::string& drag_text);
struct LvDragged {
    LvItem item;
    std::string drag_text;
};
std::optional<LvDragged> lv_item_parse(std::string_view text);

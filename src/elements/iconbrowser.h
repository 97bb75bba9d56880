// The Icon Browser's arithmetic: which icons a category filter lists, where each sits in the
// grid of 28-pixel cells (8 down each of 9 columns, 72 to a page), the centre crop of a
// clipboard image and the next free user icon number. Portable.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <vector>

#include "elements/icon.h"

constexpr int kIconCell = 28;
constexpr int kIconRows = 8, kIconCols = 9, kIconsPerPage = kIconRows * kIconCols;

// Built-in rows that carry every bit of `mask`, in catalogue order, then the user icons of
// `user` (existing files) when the mask allows User Defined.
std::vector<int> iconbr_list(const std::vector<IconRow>& catalogue, size_t builtin_rows, uint16_t mask,
                             const std::set<int>& user);
// Top-left pixel of list position `index` on `page` (nullopt when not on that page).
std::optional<std::pair<int, int>> iconbr_cell(int index, int page);
// The list position under grid pixel (x, y) on `page`; nullopt outside the grid or the list.
std::optional<int> iconbr_index_at(int x, int y, int page, int count);
// Page 2 is offered above 72 icons; the page shown falls back to 0 when it is not.
bool iconbr_page2(int count);
int iconbr_page_for(int count, int page);
// The span [from, from + len) of a side of `size` pixels that the 28-pixel box shows.
std::pair<int, int> iconbr_crop(int size);
// The first number from 1001 whose file does not exist; nullopt when 1001-1128 are all taken.
template <class Exists> std::optional<int> iconbr_free_slot(Exists exists) {
    for (int n = kFirstUserIcon; n <= kLastUserIcon; ++n)
        if (!exists(n)) return n;
    return std::nullopt;
}

#include "elements/iconbrowser.h"

std::vector<int> iconbr_list(const std::vector<IconRow>& catalogue, size_t builtin_rows, uint16_t mask,
                             const std::set<int>& user) {
    std::vector<int> out;
    for (size_t i = 0; i < builtin_rows && i < catalogue.size(); ++i) {
        const IconRow& r = catalogue[i];
        if ((r.categories & mask) == mask && r.number < 1000) out.push_back(r.number);
    }
    // User icons carry only the User Defined category.
    if ((kIconUser & mask) == mask)
        for (int n : user)
            if (icon_is_user(n)) out.push_back(n);
    return out;
}

std::optional<std::pair<int, int>> iconbr_cell(int index, int page) {
    int k = index - page * kIconsPerPage;
    if (k < 0 || k >= kIconsPerPage) return std::nullopt;
    return std::pair{(k / kIconRows) * kIconCell + 1, (k % kIconRows) * kIconCell + 1};
}

std::optional<int> iconbr_index_at(int x, int y, int page, int count) {
    if (x < 0 || y < 0) return std::nullopt;
    int col = x / kIconCell, row = y / kIconCell;
    if (col >= kIconCols || row >= kIconRows) return std::nullopt;
    int index = page * kIconsPerPage + col * kIconRows + row;
    if (index >= count) return std::nullopt;
    return index;
}

bool iconbr_page2(int count) { return count > kIconsPerPage; }
int iconbr_page_for(int count, int page) { return iconbr_page2(count) ? page : 0; }

std::pair<int, int> iconbr_crop(int size) {
    int d = (size - kIconCell) / 2;
    if (d > 0) return {d, kIconCell};
    return {0, size};
}

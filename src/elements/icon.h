// The icon catalogue: built-in icons by number with their bitmap resources and categories,
// user icons "icon" + N + ".bmp" beside the program, the current icon, and reading bitmaps from
// untrusted bytes. Portable; icon_win.h turns numbers into bitmaps.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/canvas.h"

struct IconRow {
    int number;
    int bitmap;           // bitmap resource id
    uint16_t categories;  // IconCategory bits
};

enum IconCategory : uint16_t {
    kIconInformation = 1, kIconChart = 2, kIconArrows = 4, kIconComputer = 8, kIconPeople = 16,
    kIconSmart = 32, kIconUser = 64,
};
constexpr int kIconCategoryCount = 7;
extern const char* const icon_category_names_[kIconCategoryCount];

constexpr int kIconFallbackBitmap = 11156;
constexpr int kIconPlaceholderBitmap = 11189;
constexpr int kFirstUserIcon = 1001, kLastUserIcon = 1128;
constexpr int kInitialIcon = 201;

// The catalogue in its order; the Icon Browser may append placeholder rows while it is open.
extern std::vector<IconRow> icon_;
extern const size_t kIconCatalogueRows;

// The first row with this number, or null.
const IconRow* icon_find(int number);
// Where icon_bitmap takes a number from: the resource of its row (numbers below 1000 with a
// row), else the user file.
std::optional<int> icon_resource_of(int number);

bool icon_is_user(int number);
std::string icon_user_file_name(int number);  // "icon1001.bmp"
// 1001-1128 from a file name such as "ICON1005.BMP"; nullopt for anything else.
std::optional<int> icon_user_number(std::string_view file_name);

// icon0_: the current icon (initially 201; 0 while the browser offers the clipboard image).
std::optional<int> icon_current_get();
void icon_current_set(int number);

// A bitmap from the bytes of a .bmp file, or from a packed DIB (a bitmap resource). Anything
// malformed, truncated or absurdly large gives nullopt. The result is normalised to a 40-byte
// header, masks (for bit-field bitmaps), colour table, pixels.
std::optional<Dib> icon_read_bmp(std::string_view file);
std::optional<Dib> icon_read_packed_dib(std::string_view packed);

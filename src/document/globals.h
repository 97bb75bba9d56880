// Global records shared by all windows that need no window handles (portable).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/document.h"

struct MarkedLink {
    Key from = 0, to = 0;
    bool operator==(const MarkedLink&) const = default;
};

// Pending same-as mode (Kind 3 = shapes; Mode 0 size, 1 height, 2 width).
struct SameAs { int kind = 0, mode = 0; };

// A return point of a jump into another document; newest first in `gosub_`.
struct Gosub {
    Key object_key = 0;
    std::string object_id;
    int depth = 0;
    std::string document;
    int scroll_x = 0, scroll_y = 0;
};

// What opened the current pop-up menu: two fields whose meaning the opener chooses (keys, or a
// point's coordinates, which need all 32 bits).
struct PopupSource { int32_t a = 0, b = 0; };

extern std::vector<Key> marked_obj_;
extern std::vector<MarkedLink> marked_link_;
extern std::vector<Key> marked_shape_;
extern std::vector<int> marked_para_;
extern std::optional<int> create_obj_later_;
extern std::optional<SameAs> same_as_;
extern std::vector<Gosub> gosub_;
extern std::optional<PopupSource> popup_menu_inst_;
// The last main-menu command run (for Repeat); 0 before any.
extern int last_cmd_;

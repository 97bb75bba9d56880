// What Link Properties decides without a window: list contents and positions for the codes of
// a link, the curve option shown for a route, and whether new ends may be taken. Portable.
#pragma once

#include <optional>

#include "base/key.h"
#include "elements/link.h"
#include "elements/obj_dialog.h"

enum class LinkList { EndPos, Route, Style, Colour, LabelPos, Arrow };
ListShow link_list_show(LinkList list, int code);
std::optional<int> link_list_value(LinkList list, int pos);
int link_list_chosen(LinkList list, const ListShow& shown, int pos, int stored);

// The Curve list of a route and the option shown: beyond the list, its last entry.
std::vector<std::string> link_curve_items(int route_code);
int link_curve_sel(int route_code, int option);

enum class LinkEnds { Ok, SameObject, Exists };
// New ends (from, to) for the link old_from -> old_to; `taken` says whether another link
// already joins from -> to.
LinkEnds link_ends_check(Key old_from, Key old_to, Key from, Key to, bool taken);

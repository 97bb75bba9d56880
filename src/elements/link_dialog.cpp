#include "elements/link_dialog.h"

#include <algorithm>

namespace {

std::vector<std::string> numbers(int from, int to) {
    std::vector<std::string> v;
    for (int n = from; n <= to; ++n) v.push_back(std::to_string(n));
    return v;
}

}  // namespace

ListShow link_list_show(LinkList list, int code) {
    std::vector<std::string> items;
    std::optional<int> pos;
    switch (list) {
    case LinkList::EndPos:
        for (int k = 0; k < kLinkEndPosCount; ++k) items.push_back(link_end_pos_name(k));
        if (code >= 0 && code < kLinkEndPosCount) pos = code;
        break;
    case LinkList::Route:
        for (const auto& r : link_routes()) items.push_back(r.text);
        if (const auto* r = link_route_by_code(code)) pos = r->pos;
        break;
    case LinkList::Style:
        for (const auto& s : link_styles()) items.push_back(s.name);
        if (const auto* s = link_style_by_code(code)) pos = s->pos;
        break;
    case LinkList::Colour:
        items = numbers(0, 31);
        if (code >= 0 && code < 32) pos = code;
        break;
    case LinkList::LabelPos:
        items = {"Above", "Center", "Below"};
        for (auto& s : numbers(1, 100)) items.push_back(s);
        if (code == kLabelAbove || code == kLabelCenter || code == kLabelBelow || (code >= 1 && code <= 100))
            pos = link_label_pos_index(code);
        break;
    case LinkList::Arrow:
        for (int k = 0; k < kArrowKindCount; ++k) items.push_back(link_arrow_text(k));
        if (code >= 0 && code < kArrowKindCount) pos = code;
        break;
    }
    return list_show(std::move(items), pos, std::to_string(code));
}

std::optional<int> link_list_value(LinkList list, int pos) {
    switch (list) {
    case LinkList::EndPos: return pos >= 0 && pos < kLinkEndPosCount ? std::optional<int>(pos) : std::nullopt;
    case LinkList::Route:
        if (const auto* r = link_route_by_pos(pos)) return r->code;
        return std::nullopt;
    case LinkList::Style:
        if (const auto* s = link_style_by_pos(pos)) return s->code;
        return std::nullopt;
    case LinkList::Colour: return pos >= 0 && pos < 32 ? std::optional<int>(pos) : std::nullopt;
    case LinkList::LabelPos: return pos >= 0 && pos < 103 ? std::optional<int>(link_label_pos_code(pos)) : std::nullopt;
    case LinkList::Arrow: return pos >= 0 && pos < kArrowKindCount ? std::optional<int>(pos) : std::nullopt;
    }
    return std::nullopt;
}

int link_list_chosen(LinkList list, const ListShow& shown, int pos, int stored) {
    if (shown.keeps_stored(pos)) return stored;
    return link_list_value(list, pos).value_or(stored);
}

std::vector<std::string> link_curve_items(int route_code) {
    std::vector<std::string> v;
    if (const auto* r = link_route_by_code(route_code))
        for (const char* o : r->options) v.push_back(o);
    return v;
}

int link_curve_sel(int route_code, int option) {
    int n = static_cast<int>(link_curve_items(route_code).size());
    if (n == 0) return 0;
    return std::clamp(option, 0, n - 1);
}

LinkEnds link_ends_check(Key old_from, Key old_to, Key from, Key to, bool taken) {
    if (from == to) return LinkEnds::SameObject;
    if (from == old_from && to == old_to) return LinkEnds::Ok;
    return taken ? LinkEnds::Exists : LinkEnds::Ok;
}

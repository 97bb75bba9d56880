#include "bars/listview.h"

#include <algorithm>

#include "base/record.h"

std::vector<unsigned> lv_style_list(unsigned style) {
    std::vector<unsigned> out;
    for (unsigned bit = 1; bit <= 0x8000; bit <<= 1)
        if ((kLvStyleMask & bit) && (style & bit)) out.push_back(bit);
    if (!(style & kLvAlignLeft)) out.push_back(0);
    return out;
}

unsigned lv_style_apply(unsigned style, const std::vector<unsigned>& flags) {
    auto named = [&](unsigned f) { return std::find(flags.begin(), flags.end(), f) != flags.end(); };
    unsigned bits = 0;
    for (unsigned f : flags) bits |= f & kLvStyleMask;
    // The pairs first: what the new list names wins over what the style held.
    if (named(0)) bits &= ~kLvAlignLeft;
    if (named(kLvSortAscending)) bits &= ~kLvSortDescending;
    return (style & ~kLvStyleMask) | bits;
}

std::vector<int> lv_state_flags(unsigned bits) {
    std::vector<int> out;
    for (int f : {kLvFocused, kLvSelected, kLvCut, kLvDropHilited})
        if (bits & static_cast<unsigned>(f)) out.push_back(f);
    return out;
}

unsigned lv_state_bits(const std::vector<int>& flags) {
    unsigned b = 0;
    for (int f : flags) b |= static_cast<unsigned>(f);
    return b;
}

std::optional<LvChange> lv_item_change(bool changing, unsigned old_state, unsigned new_state) {
    auto changed = [&](unsigned bit, LvNote note) -> std::optional<LvChange> {
        bool was = old_state & bit, is = new_state & bit;
        if (was == is) return std::nullopt;
        return LvChange{note, is ? 1 : 0};
    };
    if (auto c = changed(kLvSelected, changing ? kLvItemSelecting : kLvItemSelected)) return c;
    return changed(kLvFocused, changing ? kLvItemFocusing : kLvItemFocused);
}

int lv_key_compare(std::string_view a, std::string_view b) {
    auto low = [](char c) {
        auto u = static_cast<unsigned char>(c);
        return u >= 'A' && u <= 'Z' ? u + 32 : u;
    };
    size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        unsigned x = low(a[i]), y = low(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int lv_text_compare(int p1, int p2, int n, int keep_first, int keep_last, const std::optional<std::string>& key1,
                    const std::optional<std::string>& key2, LvSortOrder dir) {
    int d = n - keep_last + 1;
    if (p1 <= keep_first && p2 <= keep_first) return p1 < p2 ? -1 : 1;
    if (p1 >= d && p2 >= d) return p1 < p2 ? -1 : 1;
    if (p1 <= keep_first) return -1;
    if (p2 <= keep_first) return 1;
    if (p1 >= d) return 1;
    if (p2 >= d) return -1;
    if (!key1 || !key2) return 0;
    int c = lv_key_compare(*key1, *key2);
    if (c == 0) return 0;
    bool smaller = c < 0;
    return dir == LvSortOrder::descending ? (smaller ? 1 : -1) : (smaller ? -1 : 1);
}

std::optional<std::string> lv_sort_key(const LvItem& item, int column) {
    if (column == 1) return item.text;
    if (column < 2 || column - 2 >= static_cast<int>(item.sub_texts.size())) return std::nullopt;
    return item.sub_texts[static_cast<size_t>(column - 2)];
}

int lv_unsort_compare(const std::vector<int>& order, int id1, int id2) {
    auto pos = [&](int id) { return std::find(order.begin(), order.end(), id) - order.begin(); };
    // Newer ids stand earlier in `order` and sort after older ones.
    return pos(id1) < pos(id2) ? 1 : -1;
}

std::string lv_item_text(const LvItem& item, const std::string& drag_text) {
    std::vector<rec::Value> states, subs;
    for (int s : item.states) states.emplace_back(s);
    for (const auto& t : item.sub_texts) subs.emplace_back(t);
    rec::Record r{"lv_item",
                  {item.id, item.text, item.normal_bitmap, item.small_bitmap, rec::Value::list(std::move(states)),
                   rec::Value::list(std::move(subs)), drag_text}};
    std::string out;
    rec::write(out, r);
    return out;
}

std::optional<LvDragged> lv_item_parse(std::string_view text) {
    std::vector<rec::Record> recs;
    if (!rec::parse_all(text, recs) || recs.size() != 1) return std::nullopt;
    const rec::Record& r = recs[0];
    using K = rec::Kind;
    const K want[] = {K::Int, K::Str, K::Int, K::Int, K::List, K::List, K::Str};
    if (r.name != "lv_item" || r.args.size() != 7) return std::nullopt;
    for (size_t i = 0; i < 7; ++i)
        if (r.args[i].kind != want[i]) return std::nullopt;
    LvDragged d;
    d.item.id = static_cast<int>(r.args[0].i);
    d.item.text = r.args[1].s;
    d.item.normal_bitmap = static_cast<int>(r.args[2].i);
    d.item.small_bitmap = static_cast<int>(r.args[3].i);
    for (const auto& v : r.args[4].items) {
        if (v.kind != K::Int) return std::nullopt;
        d.item.states.push_back(static_cast<int>(v.i));
    }
    for (const auto& v : r.args[5].items) {
        if (v.kind != K::Str) return std::nullopt;
        d.item.sub_texts.push_back(v.s);
    }
    d.drag_text = r.args[6].s;
    return d;
}

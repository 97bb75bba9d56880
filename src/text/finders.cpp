#include "text/finders.h"

#include <unordered_set>

#include "base/hypertext.h"
#include "base/util.h"
#include "elements/link.h"
#include "elements/obj_tables.h"
#include "text/rich.h"

std::string links_level_text(int from_level, int to_level) {
    if (from_level == to_level) return std::to_string(from_level);
    return std::to_string(from_level) + " x " + std::to_string(to_level);
}

std::vector<std::string> links_columns(const Document& d, const Link& l) {
    const Obj* a = d.obj(l.from);
    const Obj* b = d.obj(l.to);
    const int la = a ? a->level : 0, lb = b ? b->level : 0;
    return {a ? a->id : std::string(),
            b ? b->id : std::string(),
            l.label,
            util_two_digits(l.label_pos_colour % 65536),
            link_route_name(l.kind / 256).value_or(""),
            link_style_name(l.kind % 256).value_or(""),
            links_level_text(la, lb)};
}

std::vector<LvItem> links_rows(const Document& d, std::string_view filter) {
    const SearchExpr e = util_split_search_expr(util_lower(filter));
    std::vector<LvItem> rows;
    int n = 0;
    for (const Link& l : d.links) {
        ++n;
        auto c = links_columns(d, l);
        // The colour digits come last in the matched text, after the level.
        std::string text = c[0] + " " + c[1] + " " + c[2] + " " + c[4] + " " + c[5] + " " + c[6] + " " + c[3];
        if (!util_match_search_expr(e, util_lower(text))) continue;
        LvItem it;
        it.id = n;
        it.text = c[0];
        it.sub_texts.assign(c.begin() + 1, c.end());
        rows.push_back(std::move(it));
    }
    return rows;
}

const Link* links_nth(const Document& d, int n) {
    if (n < 1 || static_cast<size_t>(n) > d.links.size()) return nullptr;
    return &d.links[static_cast<size_t>(n - 1)];
}

std::vector<LvItem> findobj_rows(const Document& d, const FindObjFilter& f, const std::string& file, int* count) {
    std::unordered_set<Key> sources, targets;
    if (f.causes || f.effects)
        for (const Link& l : d.links) {
            sources.insert(l.from);
            targets.insert(l.to);
        }
    std::vector<LvItem> rows;
    for (const Obj& o : d.objs) {
        if (f.effects && !sources.count(o.key)) continue;
        if (f.causes && !targets.count(o.key)) continue;
        // What the reader sees of the text: no RTF source, no field markers or hidden texts.
        std::string content = o.action == 42 ? rich_plain_text(o.ext) : tw_strip_hyperlinks(o.ext);
        if (!f.text.empty() && util_lower(o.id + content).find(f.text) == std::string::npos) continue;
        LvItem it;
        it.id = ++*count;
        it.text = o.id;
        it.normal_bitmap = it.small_bitmap = 11030;
        it.sub_texts = {obj_shape_name(o.shape).value_or(""), util_two_digits(o.colour), std::to_string(o.level),
                        std::move(content), file, std::to_string(o.key)};
        rows.push_back(std::move(it));
    }
    return rows;
}

std::string findobj_total_line(int count) { return "Total items = " + std::to_string(count); }

int finder_toggle_bit(int bits, int column) {
    return static_cast<int>(static_cast<unsigned>(bits) ^ (1u << (column & 31)));
}

bool finder_ascending(int bits, int column) { return (static_cast<unsigned>(bits) >> (column & 31)) & 1u; }

bool finder_before(std::string_view a, std::string_view b, bool ascending) {
    const std::string x = util_lower(a), y = util_lower(b);
    return ascending ? x < y : y < x;
}

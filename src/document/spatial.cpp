#include "document/spatial.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace {

constexpr int kCellShift = 11;            // cells of 2048 diagram units
constexpr int64_t kWideReach = 1 << 16;   // items reaching further are met by every query

int32_t cell(int64_t v) { return static_cast<int32_t>(v >> kCellShift); }

int32_t clamp_reach(int64_t r) { return static_cast<int32_t>(std::clamp<int64_t>(r, 0, int64_t{1} << 30)); }

// Items stand where they are painted.
int32_t painted(int32_t v) { return std::clamp(v, -kPaintedCoordMax, kPaintedCoordMax); }

}  // namespace

void SpatialGrid::build(std::vector<Item> items) {
    items_ = std::move(items);
    cells_.clear();
    rows_.clear();
    wide_.clear();
    reach_ = 0;
    cells_.reserve(items_.size());
    for (uint32_t k = 0; k < items_.size(); ++k) {
        const Item& it = items_[k];
        if (it.r > kWideReach) {
            wide_.push_back(k);
            continue;
        }
        reach_ = std::max<int64_t>(reach_, it.r);
        cells_.push_back({it.level, cell(it.y), cell(it.x), k});
    }
    std::sort(cells_.begin(), cells_.end(), [](const Entry& a, const Entry& b) {
        return std::tie(a.level, a.cy, a.cx, a.item) < std::tie(b.level, b.cy, b.cx, b.item);
    });
    for (uint32_t k = 0; k < cells_.size(); ++k)
        if (rows_.empty() || rows_.back().level != cells_[k].level || rows_.back().cy != cells_[k].cy)
            rows_.push_back({cells_[k].level, cells_[k].cy, k});
}

bool SpatialGrid::update(const std::vector<Item>& items) {
    if (items.size() != items_.size()) return false;
    // An edit moves a few items; a cell's entries are sorted, so each move out of its cell
    // shifts the tail of the table: past a few of those, sorting again is quicker.
    constexpr size_t kMaxChanged = 4096, kMaxMoves = 32;
    std::vector<uint32_t> changed;
    size_t moves = 0;
    for (uint32_t k = 0; k < items.size(); ++k) {
        const Item &a = items_[k], &b = items[k];
        if (a.level == b.level && a.x == b.x && a.y == b.y && a.r == b.r && a.id == b.id) continue;
        if (a.id != b.id || (a.r > kWideReach) != (b.r > kWideReach)) return false;
        if (a.r <= kWideReach && (a.level != b.level || cell(a.x) != cell(b.x) || cell(a.y) != cell(b.y))) ++moves;
        changed.push_back(k);
        if (changed.size() > kMaxChanged || moves > kMaxMoves) return false;
    }
    auto key = [](const Entry& e) { return std::tie(e.level, e.cy, e.cx, e.item); };
    bool shifted = false;
    for (uint32_t k : changed) {
        const Item &a = items_[k], &b = items[k];
        if (b.r <= kWideReach) {
            reach_ = std::max<int64_t>(reach_, b.r);
            Entry from{a.level, cell(a.y), cell(a.x), k}, to{b.level, cell(b.y), cell(b.x), k};
            if (key(from) != key(to)) {
                auto at = std::lower_bound(cells_.begin(), cells_.end(), from, [&](const Entry& x, const Entry& y) { return key(x) < key(y); });
                if (at == cells_.end() || key(*at) != key(from)) return false;  // not as built: never expected
                cells_.erase(at);
                cells_.insert(std::upper_bound(cells_.begin(), cells_.end(), to, [&](const Entry& x, const Entry& y) { return key(x) < key(y); }), to);
                shifted = true;
            }
        }
        items_[k] = b;
    }
    if (shifted) {
        rows_.clear();
        for (uint32_t k = 0; k < cells_.size(); ++k)
            if (rows_.empty() || rows_.back().level != cells_[k].level || rows_.back().cy != cells_[k].cy)
                rows_.push_back({cells_[k].level, cells_[k].cy, k});
    }
    return true;
}

void SpatialGrid::query(int32_t level, int64_t x1, int64_t y1, int64_t x2, int64_t y2,
                        std::vector<uint32_t>& out) const {
    out.clear();
    if (x1 > x2) std::swap(x1, x2);
    if (y1 > y2) std::swap(y1, y2);
    auto meets = [&](const Item& it) {
        return it.level == level && int64_t{it.x} + it.r >= x1 && int64_t{it.x} - it.r <= x2 && int64_t{it.y} + it.r >= y1 &&
               int64_t{it.y} - it.r <= y2;
    };
    for (uint32_t k : wide_)
        if (meets(items_[k])) out.push_back(items_[k].id);
    // Cells whose points can reach the rectangle.
    const int32_t cy1 = cell(std::max<int64_t>(y1 - reach_, INT32_MIN)), cy2 = cell(std::min<int64_t>(y2 + reach_, INT32_MAX));
    const int32_t cx1 = cell(std::max<int64_t>(x1 - reach_, INT32_MIN)), cx2 = cell(std::min<int64_t>(x2 + reach_, INT32_MAX));
    auto row = std::lower_bound(rows_.begin(), rows_.end(), std::pair{level, cy1},
                                [](const Row& r, std::pair<int32_t, int32_t> v) { return std::tie(r.level, r.cy) < std::tie(v.first, v.second); });
    for (; row != rows_.end() && row->level == level && row->cy <= cy2; ++row) {
        const uint32_t end = (row + 1 == rows_.end()) ? static_cast<uint32_t>(cells_.size()) : (row + 1)->first;
        auto from = std::lower_bound(cells_.begin() + row->first, cells_.begin() + end, cx1,
                                     [](const Entry& e, int32_t cx) { return e.cx < cx; });
        for (auto e = from; e != cells_.begin() + end && e->cx <= cx2; ++e)
            if (meets(items_[e->item])) out.push_back(items_[e->item].id);
    }
    // In stored order. When much of the level is in view, marking each found item and reading
    // the marks in order is far quicker than sorting (a million objects at Zoom Fit).
    if (out.size() < 4096 || out.size() * 8 < items_.size()) {
        std::sort(out.begin(), out.end());
        return;
    }
    const uint32_t top = *std::max_element(out.begin(), out.end());
    std::vector<bool> found(size_t{top} + 1, false);
    for (uint32_t id : out) found[id] = true;
    out.clear();
    for (uint32_t id = 0; id <= top; ++id)
        if (found[id]) out.push_back(id);
}

int32_t spatial_obj_reach(const Obj& o, int64_t char_units, int64_t pad) {
    // The text of an object is its ID, or its ID with its value: room for both.
    int64_t text = (static_cast<int64_t>(std::min(o.id.size(), kPaintedTextMax)) + 40) * char_units / 2;
    return clamp_reach(text + 5 * std::min<int64_t>(std::abs(int64_t{o.size}), kPaintedSizeMax) + pad);
}

std::vector<SpatialGrid::Item> LevelIndex::object_items(const Document& d) const {
    std::vector<SpatialGrid::Item> items;
    items.reserve(d.objs.size());
    for (uint32_t k = 0; k < d.objs.size(); ++k) {
        const Obj& o = d.objs[k];
        items.push_back({o.level, painted(o.x), painted(o.y), spatial_obj_reach(o, char_units_, pad_), k});
    }
    return items;
}

std::vector<SpatialGrid::Item> LevelIndex::link_items(const Document& d) const {
    std::vector<SpatialGrid::Item> items;
    items.reserve(d.links.size());
    for (uint32_t k = 0; k < d.links.size(); ++k) {
        const Link& l = d.links[k];
        const Obj* a = d.obj(l.from);
        const Obj* b = d.obj(l.to);
        if (!a || !b || a->level != b->level) continue;
        // A link runs between its objects; curves bulge up to half their length off the chord,
        // and arrowheads, labels and the objects' own size stick out.
        const int64_t ax = painted(a->x), ay = painted(a->y), bx = painted(b->x), by = painted(b->y);
        int64_t dx = bx - ax, dy = by - ay;
        int64_t length = static_cast<int64_t>(std::hypot(static_cast<double>(dx), static_cast<double>(dy)));
        int64_t r = std::max(std::abs(dx), std::abs(dy)) / 2 + length / 2 + 400 + static_cast<int64_t>(l.label.size()) * char_units_;
        items.push_back({a->level, static_cast<int32_t>((ax + bx) / 2), static_cast<int32_t>((ay + by) / 2),
                         clamp_reach(r), k});
    }
    return items;
}

void LevelIndex::refresh(const Document& d, int64_t char_units, int64_t pad) {
    if (revision_ == d.revision && n_objs_ == d.objs.size() && n_links_ == d.links.size() && char_units_ == char_units &&
        pad_ == pad)
        return;
    // An edit of a large document changes a few records: those move in the index, which is
    // far quicker than making it again (a key step or an undo in a million objects).
    const bool same_shape = builds_ > 0 && n_objs_ == d.objs.size() && n_links_ == d.links.size() &&
                            char_units_ == char_units && pad_ == pad;
    revision_ = d.revision;
    n_objs_ = d.objs.size();
    n_links_ = d.links.size();
    char_units_ = char_units;
    pad_ = pad;
    auto objs = object_items(d);
    auto links = link_items(d);
    if (same_shape && objs_.update(objs) && links_.update(links)) return;
    ++builds_;
    objs_.build(std::move(objs));
    links_.build(std::move(links));
}

const std::vector<uint32_t>& LevelIndex::objects(const Document& d, int32_t level, int64_t x1, int64_t y1, int64_t x2,
                                                 int64_t y2, int64_t char_units, int64_t pad) {
    refresh(d, char_units, pad);
    objs_.query(level, x1, y1, x2, y2, out_);
    return out_;
}

const std::vector<uint32_t>& LevelIndex::links(const Document& d, int32_t level, int64_t x1, int64_t y1, int64_t x2,
                                               int64_t y2, int64_t char_units, int64_t pad) {
    refresh(d, char_units, pad);
    links_.query(level, x1, y1, x2, y2, out_);
    return out_;
}

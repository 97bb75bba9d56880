// Where the objects and links of each level lie, so the paint pass and hit tests cost what is
// on screen rather than what is in the document. Portable.
#pragma once

#include <cstdint>
#include <vector>

#include "document/document.h"

// Items on a grid of square cells per level. An item is a point with a reach: the square
// (x - r, y - r) - (x + r, y + r) holds all it paints. Items of a very large reach are kept
// apart and met by every query.
class SpatialGrid {
public:
    struct Item {
        int32_t level = 0, x = 0, y = 0;
        int32_t r = 0;
        uint32_t id = 0;
    };
    void build(std::vector<Item> items);
    // Takes `items` (the same number, by the same ids) in place of the ones held, moving only
    // those that changed; false, with nothing changed, when so many moved that build() is the
    // quicker way.
    bool update(const std::vector<Item>& items);
    // The ids of the items of `level` whose square meets the rectangle (any corner order), rising.
    void query(int32_t level, int64_t x1, int64_t y1, int64_t x2, int64_t y2, std::vector<uint32_t>& out) const;
    size_t size() const { return cells_.size() + wide_.size(); }

private:
    struct Entry {
        int32_t level, cy, cx;
        uint32_t item;  // index into items_
    };
    struct Row {
        int32_t level, cy;
        uint32_t first;  // first entry of the row
    };
    std::vector<Item> items_;
    std::vector<Entry> cells_;  // sorted by level, row, column
    std::vector<Row> rows_;     // one per occupied row, sorted
    std::vector<uint32_t> wide_;
    int64_t reach_ = 0;  // largest reach of an item on the grid
};

// The current document's objects (ids: positions in objs) and links (positions in links) of
// every level, made again when the document changed since it was last asked. `char_units` is
// the widest character of the object fonts in diagram units; `pad` is what figures and handles
// add around an object, both as the painter reckons them.
class LevelIndex {
public:
    // Objects of `level` that may paint into the rectangle, in stored order.
    const std::vector<uint32_t>& objects(const Document& d, int32_t level, int64_t x1, int64_t y1, int64_t x2,
                                         int64_t y2, int64_t char_units, int64_t pad);
    // Links between two objects of `level` that may paint into the rectangle, in stored order.
    const std::vector<uint32_t>& links(const Document& d, int32_t level, int64_t x1, int64_t y1, int64_t x2,
                                       int64_t y2, int64_t char_units, int64_t pad);
    // How often the index was made (tests see that an unchanged document is not indexed again).
    int builds() const { return builds_; }

private:
    void refresh(const Document& d, int64_t char_units, int64_t pad);
    std::vector<SpatialGrid::Item> object_items(const Document& d) const;
    std::vector<SpatialGrid::Item> link_items(const Document& d) const;
    SpatialGrid objs_, links_;
    uint64_t revision_ = 0;
    size_t n_objs_ = 0, n_links_ = 0;
    int64_t char_units_ = -1, pad_ = -1;
    std::vector<uint32_t> out_;
    int builds_ = 0;
};

// Object texts are painted up to this many characters: no screen shows more of one line, and
// a text of megabytes must not cost a repaint its length.
constexpr size_t kPaintedTextMax = 4096;
// Places are painted within these bounds (what GDI draws at every zoom); a size beyond the
// largest an object can have is no size at all and paints as the default one. The records keep
// their values.
constexpr int32_t kPaintedCoordMax = 1 << 22;
constexpr int32_t kPaintedSizeMax = 500;
constexpr int32_t kPaintedSizeDefault = 15;

// The reach of an object as the index reckons it: half its widest text, its figure and `pad`.
int32_t spatial_obj_reach(const Obj& o, int64_t char_units, int64_t pad);

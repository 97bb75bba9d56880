#include "document/clip.h"

#include <algorithm>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "document/globals.h"
#include "document/view.h"

namespace {

// Marked keys as a table: 20,000 marked objects must not mean 20,000 searches per record.
class KeySet {
public:
    explicit KeySet(const std::vector<Key>& keys) : in_(65536, false) {
        for (Key k : keys) in_[k] = true;
    }
    bool has(Key k) const { return in_[k]; }
private:
    std::vector<bool> in_;
};

// Hands out free keys in rising order without scanning the whole key range for each one.
class KeyPool {
public:
    template <class Vec>
    explicit KeyPool(const Vec& records) : used_(65536, false) {
        used_[0] = true;
        for (const auto& r : records) used_[r.key] = true;
    }
    std::optional<Key> take() {
        while (next_ < 65536 && used_[next_]) ++next_;
        if (next_ >= 65536) return std::nullopt;
        used_[next_] = true;
        return static_cast<Key>(next_);
    }
    size_t free() const {
        size_t n = 0;
        for (uint32_t k = next_; k < 65536; ++k) n += !used_[k];
        return n;
    }
private:
    std::vector<bool> used_;
    uint32_t next_ = 1;
};

std::string too_many_objects(size_t wanted, size_t free) {
    return "Nothing was pasted: " + std::to_string(wanted - free) + " of the " + std::to_string(wanted) +
           " objects do not fit, as every object needs a key of its own and " + std::to_string(free) +
           (free == 1 ? " is" : " are") + " free";
}

uint32_t le32(std::string_view s, size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(s[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(s[at + 3])) << 24;
}
uint16_t le16(std::string_view s, size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1]) << 8);
}
void put32(std::string& s, uint32_t v) {
    for (int k = 0; k < 4; ++k) s.push_back(static_cast<char>((v >> (8 * k)) & 0xFF));
}

const char kHex[] = "0123456789abcdef";

Obj new_obj(const std::string& id, Pt at, int level) { return view_obj_new(id, at.x, at.y, level); }

// Marks the objects just appended to the document from place `first` on.
void mark_appended(const std::vector<Key>& keys, size_t first) {
    marked_obj_.clear();
    marked_obj_.reserve(keys.size());
    for (size_t i = 0; i < keys.size(); ++i) marked_obj_.push_back(keys[i], static_cast<uint32_t>(first + i));
}

// Pasted pictures are embedded in the document (attachment kind 1) under this shape.
constexpr int32_t kEmbeddedPictureShape = 173;

}  // namespace

Document view_clip_part() {
    const Document& d = view_doc();
    const KeySet objs(marked_obj_), shapes(marked_shape_);
    Document part;
    part.params.clear();
    const std::vector<uint32_t> places = view_marked_places();
    part.objs.reserve(places.size());
    for (uint32_t at : places) part.objs.push_back(d.objs[at]);
    for (const Link& l : d.links)
        if (objs.has(l.from) && objs.has(l.to)) part.links.push_back(l);
    for (const Shape& s : d.shapes)
        if (shapes.has(s.key) && s.kind != kRegionShapeKind) part.shapes.push_back(s);
    for (const auto& c : d.clusters)
        if (objs.has(c.first)) part.clusters.push_back(c);
    for (const auto& t : d.drop_texts)
        if (objs.has(t.first)) part.drop_texts.push_back(t);
    for (const Attachment& b : d.bins)
        if (objs.has(b.key)) part.bins.push_back(b);
    return part;
}

std::string view_clip_text() {
    Document part = view_clip_part();
    if (part.objs.empty() && part.shapes.empty()) return {};
    return part.to_text();
}

void view_clip_add_look(Document& part) {
    const Document& d = view_doc();
    part.params = d.params;
    part.text_params = d.text_params;
    std::vector<Key> keys;
    for (const Obj& o : part.objs) keys.push_back(o.key);
    const KeySet objs(keys);
    for (const auto& v : d.values)
        if (objs.has(v.first)) part.set_value(v.first, v.second);
}

std::string view_clip_ids() {
    std::string out;
    for (uint32_t at : view_marked_places()) {
        out += view_doc().objs[at].id;
        out += "\r\n";
    }
    return out;
}

std::optional<std::vector<Key>> view_clip_paste(std::string_view text, int level, int dx, int dy,
                                                std::string* error) {
    Document part;
    LoadError err;
    if (!Document::from_text(text, part, err) || (part.objs.empty() && part.shapes.empty())) {
        if (error) *error = "The clipboard holds no diagram part";
        return std::nullopt;
    }
    {
        // The part keeps its shape: it stops at the edge of the coordinate range.
        CoordSpan span;
        for (const Obj& o : part.objs) span.add(o);
        for (const Shape& s : part.shapes) span.add(s);
        Pt m = span.room(dx, dy);
        dx = m.x;
        dy = m.y;
    }
    Document& d = view_doc();
    shape_groups_renumber(part.shapes, d.shapes);
    KeyPool obj_keys(d.objs), shape_keys(d.shapes);
    // Every object needs a key of its own, also where the part's keys repeat: without room for
    // all of them nothing is pasted.
    if (const size_t free = obj_keys.free(); part.objs.size() > free) {
        if (error) *error = free == 0 ? std::string("No more objects can be added: every key is in use")
                                      : too_many_objects(part.objs.size(), free);
        return std::nullopt;
    }
    std::vector<Key> remap(65536, 0);
    std::vector<Obj> objs;
    std::vector<Shape> shapes;
    objs.reserve(part.objs.size());
    for (Obj& o : part.objs) {
        auto k = obj_keys.take();
        // Links and texts of a repeated key belong to its first object, as lookups go.
        if (!remap[o.key]) remap[o.key] = *k;
        o.key = *k;
        o.level = level;
        o.x += dx;
        o.y += dy;
        objs.push_back(std::move(o));
    }
    part.objs.clear();
    for (Shape s : part.shapes) {
        if (s.kind == kRegionShapeKind) continue;
        auto k = shape_keys.take();
        if (!k) {
            if (error) *error = "No more shapes can be added: every key is in use";
            return std::nullopt;
        }
        s.key = *k;
        s.level = level;
        s.left += dx;
        s.right += dx;
        s.top += dy;
        s.bottom += dy;
        shapes.push_back(s);
    }

    UndoStep step("Paste");
    std::vector<Key> keys;
    keys.reserve(objs.size());
    const size_t first = d.objs.size();
    for (Obj& o : objs) {
        keys.push_back(o.key);
        d.add_obj(std::move(o));
    }
    for (Link l : part.links) {
        if (!remap[l.from] || !remap[l.to]) continue;
        l.from = remap[l.from];
        l.to = remap[l.to];
        d.links.push_back(std::move(l));
    }
    marked_shape_.clear();
    for (const Shape& s : shapes) {
        d.shapes.push_back(s);
        marked_shape_.push_back(s.key);
    }
    // The pasted objects are new: their clusters are appended, not looked up one by one.
    for (const auto& [k, c] : part.clusters)
        if (remap[k] && c != 0) d.clusters.emplace_back(remap[k], c);
    for (const auto& [k, t] : part.drop_texts)
        if (remap[k]) d.drop_texts.emplace_back(remap[k], t);
    for (Attachment b : part.bins) {
        if (!remap[b.key]) continue;
        b.key = remap[b.key];
        d.bins.push_back(std::move(b));
    }
    view_mark_changed();
    step.commit("Paste");
    mark_appended(keys, first);
    marked_link_.clear();
    view_repaint();
    return keys;
}

namespace {

struct Box {
    int64_t l, b, r, t;  // l <= r, b <= t
};
Box box_of(const Rc& c) {
    return {std::min<int64_t>(c.left, c.right), std::min<int64_t>(c.top, c.bottom), std::max<int64_t>(c.left, c.right),
            std::max<int64_t>(c.top, c.bottom)};
}
bool overlap(const Box& a, int64_t dx, int64_t dy, const Box& b) {
    return a.l + dx <= b.r && b.l <= a.r + dx && a.b + dy <= b.t && b.b <= a.t + dy;
}

// Rectangles by the cells of a grid they cover, so that each rectangle of a part of thousands
// is tested against its neighbours only, not against every item of the level.
class BoxGrid {
public:
    explicit BoxGrid(const std::vector<Box>& boxes) : boxes_(boxes) {
        int64_t extent = 0;
        for (const Box& b : boxes) extent += (b.r - b.l) + (b.t - b.b);
        cell_ = std::max<int64_t>(64, boxes.empty() ? 64 : 2 * extent / (2 * static_cast<int64_t>(boxes.size())) + 1);
        for (uint32_t i = 0; i < boxes.size(); ++i) {
            const Box& b = boxes[i];
            if (cells(b) > kMaxCells) {
                wide_.push_back(i);
                continue;
            }
            for (int64_t y = at(b.b); y <= at(b.t); ++y)
                for (int64_t x = at(b.l); x <= at(b.r); ++x) cells_[key(x, y)].push_back(i);
        }
    }
    bool hits(const Box& a, int64_t dx, int64_t dy) const {
        for (uint32_t i : wide_)
            if (overlap(a, dx, dy, boxes_[i])) return true;
        const Box s{a.l + dx, a.b + dy, a.r + dx, a.t + dy};
        if (cells(s) > kMaxCells) {
            for (const Box& b : boxes_)
                if (overlap(a, dx, dy, b)) return true;
            return false;
        }
        for (int64_t y = at(s.b); y <= at(s.t); ++y)
            for (int64_t x = at(s.l); x <= at(s.r); ++x) {
                auto it = cells_.find(key(x, y));
                if (it == cells_.end()) continue;
                for (uint32_t i : it->second)
                    if (overlap(a, dx, dy, boxes_[i])) return true;
            }
        return false;
    }

private:
    static constexpr int64_t kMaxCells = 64;
    int64_t at(int64_t v) const { return v >= 0 ? v / cell_ : -((-v + cell_ - 1) / cell_); }
    int64_t cells(const Box& b) const { return (at(b.r) - at(b.l) + 1) * (at(b.t) - at(b.b) + 1); }
    static uint64_t key(int64_t x, int64_t y) { return static_cast<uint64_t>(x) * 0x9E3779B97F4A7C15ull ^ static_cast<uint64_t>(y); }
    const std::vector<Box>& boxes_;
    int64_t cell_ = 64;
    std::vector<uint32_t> wide_;
    std::unordered_map<uint64_t, std::vector<uint32_t>> cells_;
};

}  // namespace

Pt view_clip_clear_offset(const std::vector<Rc>& part, const std::vector<Rc>& taken, int step, int tries) {
    step = std::max(1, step);
    std::vector<Box> p, t;
    for (const Rc& r : part) p.push_back(box_of(r));
    for (const Rc& r : taken) t.push_back(box_of(r));
    const BoxGrid taken_grid(t);
    auto clear = [&](int64_t k) {
        for (const Box& a : p)
            if (taken_grid.hits(a, k * step, -k * step)) return false;
        return true;
    };
    auto at = [&](int64_t k) {
        return Pt{static_cast<int>(std::min<int64_t>(k * step, kCoordMax)), static_cast<int>(std::max<int64_t>(-k * step, -kCoordMax))};
    };
    for (int64_t k = 0; k < tries; ++k)
        if (clear(k)) return at(k);
    // Crowded all around: at least off the original, whose place the part itself has.
    if (p.empty()) return {};
    Box all = p.front();
    for (const Box& a : p) all = {std::min(all.l, a.l), std::min(all.b, a.b), std::max(all.r, a.r), std::max(all.t, a.t)};
    const int64_t k = std::min(all.r - all.l, all.t - all.b) / step + 1;
    return at(std::max<int64_t>(k, 1));
}

Pt view_clip_offset_to(std::string_view text, Pt at) {
    Document part;
    LoadError err;
    if (!Document::from_text(text, part, err)) return {};
    CoordSpan span;
    for (const Obj& o : part.objs) span.add(o);
    for (const Shape& s : part.shapes)
        if (s.kind != kRegionShapeKind) span.add(s);
    if (span.x_lo > span.x_hi) return {};
    const int64_t dx = at.x - (span.x_lo + span.x_hi) / 2, dy = at.y - (span.y_lo + span.y_hi) / 2;
    return span.room(dx, dy);
}

std::vector<std::string> view_split_lines(std::string_view text) {
    std::vector<std::string> out;
    size_t k = 0;
    while (k <= text.size()) {
        size_t e = text.find_first_of("\r\n", k);
        if (e == std::string_view::npos) e = text.size();
        out.emplace_back(text.substr(k, e - k));
        if (e + 1 < text.size() && text[e] == '\r' && text[e + 1] == '\n') ++e;
        k = e + 1;
    }
    while (!out.empty() && out.back().empty()) out.pop_back();
    return out;
}

std::vector<Key> view_paste_lines(const std::vector<std::string>& lines, Pt at, int level) {
    size_t wanted = 0;
    for (const std::string& raw : lines) wanted += raw.find_first_not_of(" \t") != std::string::npos;
    if (wanted == 0) return {};
    Document& d = view_doc();
    KeyPool obj_keys(d.objs);
    if (const size_t free = obj_keys.free(); wanted > free) {
        view_note(free == 0 ? std::string("No more objects can be added: every key is in use")
                            : too_many_objects(wanted, free));
        return {};
    }
    const int step_y = std::max(60, view_cluster_vert_spacing());
    std::vector<Key> keys;
    keys.reserve(wanted);
    UndoStep step("Paste");
    const size_t first = d.objs.size();
    int64_t row = 0;
    for (const std::string& raw : lines) {
        size_t b = raw.find_first_not_of(" \t");
        if (b == std::string::npos) continue;
        size_t e = raw.find_last_not_of(" \t");
        // The column stops at the lower edge of the coordinate range.
        const int y = static_cast<int>(std::max<int64_t>(-kCoordMax, int64_t{at.y} - int64_t{step_y} * row));
        Obj o = new_obj(raw.substr(b, e - b + 1), {at.x, y}, level);
        o.key = *obj_keys.take();
        keys.push_back(o.key);
        d.add_obj(std::move(o));
        ++row;
    }
    view_mark_changed();
    step.commit("Paste");
    mark_appended(keys, first);
    marked_link_.clear();
    marked_shape_.clear();
    view_repaint();
    return keys;
}

std::string view_bmp_from_dib(std::string_view dib) {
    if (dib.size() < 12) return {};
    const uint32_t header = le32(dib, 0);
    uint32_t colours = 0, entry = 4, bits = 0, masks = 0;
    if (header == 12) {
        bits = le16(dib, 10);
        entry = 3;
        if (bits <= 8) colours = 1u << bits;
    } else if (header == 40 || header == 52 || header == 56 || header == 108 || header == 124) {
        if (dib.size() < 40) return {};
        bits = le16(dib, 14);
        const uint32_t compression = le32(dib, 16);
        colours = le32(dib, 32);
        if (colours == 0 && bits <= 8) colours = 1u << bits;
        // BI_BITFIELDS with the short header: three masks follow it.
        if (header == 40 && (compression == 3 || compression == 6)) masks = compression == 3 ? 12 : 16;
    } else {
        return {};
    }
    if (bits == 0 || bits > 32 || colours > 65536) return {};
    const uint64_t offset = 14ull + header + masks + static_cast<uint64_t>(colours) * entry;
    if (offset - 14 > dib.size()) return {};
    std::string out = "BM";
    put32(out, static_cast<uint32_t>(14 + dib.size()));
    put32(out, 0);
    put32(out, static_cast<uint32_t>(offset));
    out.append(dib);
    return out;
}

std::optional<Key> view_paste_picture(std::string_view bmp, Pt at, int level) {
    // An enhanced metafile starts with its header record (type 1) and " EMF" at byte 40.
    const bool emf = bmp.size() >= 88 && bmp.substr(0, 4) == std::string_view("\x01\0\0\0", 4) &&
                     bmp.substr(40, 4) == " EMF";
    if (!emf && (bmp.size() < 2 || bmp.substr(0, 2) != "BM")) return std::nullopt;
    Obj o = new_obj("Picture", at, level);
    o.shape = kEmbeddedPictureShape;
    o.action = 0;
    UndoStep step;
    auto key = view_obj_put(o);
    if (!key) return std::nullopt;
    // The embedded picture: the .bmp file's bytes as hex digits (the document file is text).
    Attachment b;
    b.key = *key;
    b.kind = 1;
    b.a = 0;
    b.b = static_cast<int32_t>(bmp.size());
    b.data.reserve(bmp.size() * 2);
    for (unsigned char c : bmp) {
        b.data.push_back(kHex[c >> 4]);
        b.data.push_back(kHex[c & 15]);
    }
    view_obj_put_bin(b);
    step.commit("Paste");
    marked_obj_ = {*key};
    marked_link_.clear();
    marked_shape_.clear();
    view_repaint();
    return key;
}

bool view_clip_delete(const char* name) {
    if (marked_obj_.empty() && marked_shape_.empty() && marked_link_.empty()) return false;
    Document& d = view_doc();
    const std::vector<uint32_t> places = view_marked_places();
    UndoStep step(name);
    // One pass over each record kind, whatever the number marked.
    std::vector<uint32_t> pairs;
    pairs.reserve(marked_link_.size());
    for (const MarkedLink& l : marked_link_) pairs.push_back(uint32_t{l.from} << 16 | l.to);
    std::sort(pairs.begin(), pairs.end());
    size_t n = std::erase_if(d.links, [&](const Link& l) {
        return std::binary_search(pairs.begin(), pairs.end(), uint32_t{l.from} << 16 | l.to);
    });
    const KeySet shapes(marked_shape_);
    n += std::erase_if(d.shapes, [&](const Shape& s) { return shapes.has(s.key); });
    n += d.remove_objs_at(places);
    if (n) view_mark_changed();
    step.commit(name);
    marked_obj_.clear();
    marked_link_.clear();
    marked_shape_.clear();
    view_repaint();
    return true;
}

void view_select_all(int level) {
    const Document& d = view_doc();
    marked_obj_.clear();
    marked_shape_.clear();
    marked_link_.clear();
    std::vector<bool> on_level(65536, false);
    for (size_t i = 0; i < d.objs.size(); ++i)
        if (const Obj& o = d.objs[i]; o.level == level) {
            marked_obj_.push_back(o.key, static_cast<uint32_t>(i));
            on_level[o.key] = true;
        }
    std::vector<uint32_t> seen;  // each pair once
    for (const Link& l : d.links)
        if (on_level[l.from] && on_level[l.to] && l.route() != 16) seen.push_back(uint32_t{l.from} << 16 | l.to);
    std::vector<uint32_t> sorted = seen;
    std::sort(sorted.begin(), sorted.end());
    std::vector<bool> taken(sorted.size(), false);
    for (uint32_t pair : seen) {
        size_t at = static_cast<size_t>(std::lower_bound(sorted.begin(), sorted.end(), pair) - sorted.begin());
        if (taken[at]) continue;
        taken[at] = true;
        marked_link_.push_back({static_cast<Key>(pair >> 16), static_cast<Key>(pair & 0xFFFF)});
    }
    for (const Shape& s : d.shapes)
        if (s.level == level && s.kind != kRegionShapeKind) marked_shape_.push_back(s.key);
    view_repaint();
}

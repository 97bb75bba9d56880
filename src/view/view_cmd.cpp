#include "view/view_cmd.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <set>

#include "bars/sbar.h"
#include "bars/tbar.h"
#include "bars/toolbox.h"
#include "document/doc_util.h"
#include "document/view.h"
#include "elements/link.h"
#include "elements/obj.h"

namespace {

constexpr uint32_t kNoPrintSeq = 0x0200;
constexpr int32_t kShapeGrouped = kShapeGroupBit;
constexpr int32_t kShapeThick = 0x2;
constexpr int32_t kShapeDashed = 0x4;
constexpr int32_t kShapeDotted = 0x8;

int round_half_away(double v) { return static_cast<int>(std::lround(v)); }

bool marked(const std::vector<Key>& list, Key k) {
    return std::find(list.begin(), list.end(), k) != list.end();
}

bool link_marked(const Link& l) {
    for (const MarkedLink& m : marked_link_)
        if (m.from == l.from && m.to == l.to) return true;
    return false;
}

bool anything_marked() { return !marked_obj_.empty() || !marked_link_.empty() || !marked_shape_.empty(); }

// Applies f to every marked object, link and shape record; closes one step under `name`.
template <class FO, class FL, class FS>
int change_marked(const char* name, FO fo, FL fl, FS fs) {
    if (!anything_marked()) return -1;
    Document& d = view_doc();
    UndoStep step;
    bool changed = false;
    for (uint32_t at : view_marked_places()) {
        Obj& o = d.objs[at];
        Obj before = o;
        fo(o);
        changed = changed || !(before == o);
    }
    // A marked pair names every link between those objects the user sees as one.
    for (Link& l : d.links) {
        if (!link_marked(l)) continue;
        Link before = l;
        fl(l);
        changed = changed || !(before == l);
    }
    for (Shape& s : d.shapes) {
        if (!marked(marked_shape_, s.key)) continue;
        Shape before = s;
        fs(s);
        changed = changed || !(before == s);
    }
    if (changed) view_mark_changed();
    step.commit(name);
    view_repaint();
    return 0;
}

auto no_obj = [](Obj&) {};
auto no_link = [](Link&) {};
auto no_shape = [](Shape&) {};

int current_level() { return sbar_view_state().level; }

}  // namespace

int view_count(int what) {
    const Document& d = view_doc();
    switch (what) {
    case 1: return static_cast<int>(d.objs.size());
    case 2: return static_cast<int>(std::count_if(d.links.begin(), d.links.end(),
                                                  [](const Link& l) { return l.route() != 16; }));
    case 3: return static_cast<int>(std::count_if(d.shapes.begin(), d.shapes.end(),
                                                  [](const Shape& s) { return s.kind != kRegionShapeKind; }));
    case 4: return static_cast<int>(std::count_if(d.clusters.begin(), d.clusters.end(),
                                                  [](const auto& c) { return c.second != 0; }));
    case 5: return static_cast<int>(d.points.size());
    default: return 0;
    }
}

int view_recolour(int index) {
    if (index < 0 || index > 31) return -1;
    return change_marked(
        "Re-color", [&](Obj& o) { o.colour = index; },
        [&](Link& l) {
            uint32_t u = static_cast<uint32_t>(l.label_pos_colour);
            l.label_pos_colour = static_cast<int32_t>((u & 0xFFFF0000u) | static_cast<uint32_t>(index));
        },
        [&](Shape& s) { s.colour_curve = (s.colour_curve & 0xFF00) | index; });
}

int view_set_marked_property(int code, int v) {
    switch (code) {
    case 16:
        if (v <= 0) return -1;
        return change_marked("Change Object", [&](Obj& o) { o.shape = v; }, no_link, no_shape);
    case 17:
        if (v < 0 || v > 255) return -1;
        return change_marked("Change Link", no_obj, [&](Link& l) { l.kind = v * 256 + (l.kind & 0xFF); }, no_shape);
    case 18:
        if (v <= 0) return -1;
        return change_marked("Change Shape", no_obj, no_link, [&](Shape& s) { s.kind = v; });
    case 19:
        if (v < 1 || v > 8) return -1;
        return change_marked("Change Shape", no_obj, no_link, [&](Shape& s) {
            s.style = (s.style & 0xFE) | ((v - 1) << 8) | (v > 1 ? 0x1 : 0);
        });
    case 23:
        if (v != 0 && v != 1) return -1;
        return change_marked(
            "Change Line", no_obj,
            [&](Link& l) { l.flags = v ? (l.flags | kLinkThick) : (l.flags & ~kLinkThick); },
            [&](Shape& s) { s.style = v ? (s.style | kShapeThick) : (s.style & ~kShapeThick); });
    case 24:
        if (v < 0 || v > 2) return -1;
        return change_marked("Change Shape", no_obj, no_link, [&](Shape& s) {
            s.style = (s.style & ~(kShapeDashed | kShapeDotted)) | (v == 1 ? kShapeDashed : v == 2 ? kShapeDotted : 0);
        });
    case 50:
        if (v <= 0) return -1;
        return change_marked("Change Object", [&](Obj& o) { o.flags |= v; }, no_link, no_shape);
    default:
        return -1;
    }
}

int view_group_shapes(bool group) {
    if (marked_shape_.size() < 2) {
        view_note("First mark 2 or more Shapes");
        return -1;
    }
    // Each Group makes a group of its own; marked members of older groups join it.
    const int32_t number = group ? shape_group_free(view_doc().shapes) : 0;
    return change_marked(group ? "Group" : "Ungroup", no_obj, no_link, [&](Shape& s) {
        s.style = group ? (s.style | kShapeGrouped) : (s.style & ~kShapeGrouped);
        s.group = number;
    });
}

std::vector<Key> view_with_groups(const std::vector<Key>& shapes) {
    return shape_with_groups(view_doc().shapes, shapes);
}

int view_front_back(bool front, int kind) {
    Document& d = view_doc();
    auto reorder = [&](auto& vec, const std::vector<Key>& keys) {
        auto is_marked = [&](const auto& r) { return marked(keys, r.key); };
        // Painted in stored order: the front is the end.
        if (front) std::stable_partition(vec.begin(), vec.end(), [&](const auto& r) { return !is_marked(r); });
        else std::stable_partition(vec.begin(), vec.end(), is_marked);
    };
    UndoStep step;
    if (kind == 1) {
        if (marked_obj_.empty()) return -1;
        // The marked objects themselves (keys may repeat), and their marks follow them.
        const std::vector<uint32_t> places = view_marked_places();
        if (places.empty()) return -1;
        std::vector<bool> in(d.objs.size(), false);
        for (uint32_t at : places) in[at] = true;
        std::vector<Obj> out;
        out.reserve(d.objs.size());
        auto take = [&](bool marked_ones) {
            for (size_t i = 0; i < d.objs.size(); ++i)
                if (in[i] == marked_ones) out.push_back(std::move(d.objs[i]));
        };
        take(!front);
        take(front);
        const size_t first = front ? d.objs.size() - places.size() : 0;
        d.objs = std::move(out);
        d.touch_objs();
        marked_obj_.clear();
        for (size_t i = 0; i < places.size(); ++i)
            marked_obj_.push_back(d.objs[first + i].key, static_cast<uint32_t>(first + i));
        const bool stayed = places.front() == first && places.back() - places.front() + 1 == places.size();
        if (!stayed) view_mark_changed();
    } else if (kind == 3) {
        if (marked_shape_.empty()) return -1;
        auto before = d.shapes;
        reorder(d.shapes, marked_shape_);
        if (before != d.shapes) view_mark_changed();
    } else {
        return -1;
    }
    step.commit("Front/Back");
    view_repaint();
    return 0;
}

// ---- Clusters --------------------------------------------------------------------------------


Pt view_cluster_place(int code, int index, int count, Pt c, int vert, int horz) {
    if (count <= 0) return c;
    const double pi = std::numbers::pi;
    // Larger clusters get more room so members do not overlap.
    const double grow = std::max(1.0, count / 6.0);
    // Clockwise from the top.
    const double angle = pi / 2 - 2 * pi * index / count;
    const double mid = (count - 1) / 2.0;
    switch (code) {
    case 1:
        return {c.x + round_half_away(horz * grow * std::cos(angle)), c.y + round_half_away(vert * grow * std::sin(angle))};
    case 2: {
        double r = std::max(horz, vert) * grow;
        return {c.x + round_half_away(r * std::cos(angle)), c.y + round_half_away(r * std::sin(angle))};
    }
    case 7: {
        double r = std::max(horz, vert) * grow * (index % 2 ? 0.55 : 1.0);
        return {c.x + round_half_away(r * std::cos(angle)), c.y + round_half_away(r * std::sin(angle))};
    }
    case 3: return {c.x + horz, c.y + round_half_away((mid - index) * vert)};
    case 4: return {c.x - horz, c.y + round_half_away((mid - index) * vert)};
    case 5: return {c.x + round_half_away((index - mid) * horz), c.y - vert};
    case 6: return {c.x + round_half_away((index - mid) * horz), c.y + vert};
    default: return c;
    }
}

namespace {

bool layout_one(Document& d, Key key) {
    const Obj* centre = d.obj(key);
    if (!centre) return false;
    int code = d.cluster(key);
    if (code == 0 || code == 8) return false;  // manual and arbitrary keep their places
    std::vector<Key> members;
    for (const Link& l : d.links)
        if (l.from == key && l.to != key && d.obj(l.to) &&
            std::find(members.begin(), members.end(), l.to) == members.end())
            members.push_back(l.to);
    Pt c{centre->x, centre->y};
    int vert = view_cluster_vert_spacing(), horz = view_cluster_horz_spacing();
    bool changed = false;
    for (size_t i = 0; i < members.size(); ++i) {
        Pt p = view_cluster_place(code, static_cast<int>(i), static_cast<int>(members.size()), c, vert, horz);
        Obj* m = d.obj(members[i]);
        if (m->x != p.x || m->y != p.y) {
            m->x = p.x;
            m->y = p.y;
            changed = true;
        }
    }
    return changed;
}

}  // namespace

int view_layout_clusters(Key key) {
    Document& d = view_doc();
    UndoStep step;
    bool changed = false;
    if (key != 0) {
        if (!d.obj(key)) return -1;
        changed = layout_one(d, key);
    } else {
        std::vector<Key> centres;
        for (const auto& [k, code] : d.clusters)
            if (code != 0) centres.push_back(k);
        for (Key k : centres) changed = layout_one(d, k) || changed;
    }
    if (changed) view_mark_changed();
    step.commit("Cluster");
    view_repaint();
    return 0;
}

// ---- Sequence --------------------------------------------------------------------------------

std::vector<Key> view_sequence_order(int level) {
    const Document& d = view_doc();
    const bool one_colour = d.param(223) == 1;
    const int colour = d.param(224);
    const bool one_level = d.param(226) == 1;
    const int min_dist = std::max(0, 50 * (d.param(317) + 6));
    const int direction = d.param(318);
    const Key start = static_cast<Key>(d.param(216));

    std::vector<const Obj*> items;
    const Obj* first = nullptr;
    for (const Obj& o : d.objs) {
        if (o.flags & kNoPrintSeq) continue;
        if (one_colour && o.colour != colour) continue;
        if (one_level && o.level != level) continue;
        if (o.key == start && start != 0 && !first) first = &o;
        else items.push_back(&o);
    }

    auto by_rows = [&](bool rows_on_y, bool primary_desc, bool secondary_desc) {
        auto prim = [&](const Obj* o) { return rows_on_y ? o->y : o->x; };
        auto sec = [&](const Obj* o) { return rows_on_y ? o->x : o->y; };
        std::stable_sort(items.begin(), items.end(), [&](const Obj* a, const Obj* b) {
            return primary_desc ? prim(a) > prim(b) : prim(a) < prim(b);
        });
        // Objects within the minimum distance of a row's first object share its row.
        for (size_t k = 0; k < items.size();) {
            size_t end = k + 1;
            while (end < items.size() && std::abs(prim(items[end]) - prim(items[k])) <= min_dist) ++end;
            std::stable_sort(items.begin() + k, items.begin() + end, [&](const Obj* a, const Obj* b) {
                return secondary_desc ? sec(a) > sec(b) : sec(a) < sec(b);
            });
            k = end;
        }
    };
    switch (direction) {
    case 0: by_rows(true, true, false); break;    // LT to RB
    case 1: by_rows(true, true, true); break;     // RT to LB
    case 2: by_rows(true, false, true); break;    // RB to LT
    case 3: by_rows(true, false, false); break;   // LB to RT
    case 4: by_rows(false, false, true); break;   // Left to Right
    case 5: by_rows(false, true, true); break;    // Right to Left
    case 6: by_rows(true, true, false); break;    // Top to Bot
    case 7: by_rows(true, false, false); break;   // Bot to Top
    default: {
        // None: round the starting object (else the middle), from the starting side, in the
        // turning sense; nearer objects first at equal angles.
        double cx = 0, cy = 0;
        if (first) {
            cx = first->x;
            cy = first->y;
        } else if (!items.empty()) {
            for (const Obj* o : items) { cx += o->x; cy += o->y; }
            cx /= static_cast<double>(items.size());
            cy /= static_cast<double>(items.size());
        }
        const double pi = std::numbers::pi;
        const double side = (d.param(211) & 3) * pi / 2;
        const bool clockwise = d.param(110) == 0;
        auto turn = [&](const Obj* o) {
            double a = std::atan2(o->y - cy, o->x - cx) - side;
            if (clockwise) a = -a;
            a = std::fmod(a, 2 * pi);
            if (a < 0) a += 2 * pi;
            if (a > 2 * pi - 1e-9) a = 0;
            return a;
        };
        auto dist = [&](const Obj* o) { return std::hypot(o->x - cx, o->y - cy); };
        std::stable_sort(items.begin(), items.end(), [&](const Obj* a, const Obj* b) {
            double ta = turn(a), tb = turn(b);
            if (std::abs(ta - tb) > 1e-9) return ta < tb;
            return dist(a) < dist(b);
        });
        break;
    }
    }
    std::vector<Key> out;
    out.reserve(items.size() + 1);
    if (first) out.push_back(first->key);
    for (const Obj* o : items) out.push_back(o->key);
    return out;
}

int view_sequence(bool show) {
    if (!show) {
        view_repaint();
        return 0;
    }
    Document& d = view_doc();
    std::vector<SeqEntry> seq;
    int n = 0;
    for (Key k : view_sequence_order(current_level())) seq.push_back(SeqEntry{k, ++n, ""});
    if (seq != d.seq) {
        UndoStep step;
        d.seq = std::move(seq);
        view_mark_changed();
        step.commit("Sequence");
    }
    view_repaint();
    return 0;
}

// ---- Chart level -----------------------------------------------------------------------------

namespace {
ChartHook chart_hook = nullptr;
}

void view_set_chart_hook(ChartHook hook) { chart_hook = hook; }

void view_unmark_level(int level) {
    Document& d = view_doc();
    auto gone = [&](Key k) {
        const Obj* o = d.obj(k);
        return !o || o->level == level;
    };
    marked_obj_.erase_keys_if(gone);
    std::erase_if(marked_link_, [&](const MarkedLink& l) { return gone(l.from) || gone(l.to); });
    std::erase_if(marked_shape_, [&](Key k) { return !d.shape(k); });
}

int view_chart_level() {
    Document& d = view_doc();
    UndoStep step;
    if (chart_hook) chart_hook(d);
    // Keys of level 2 may have been given to the new scale objects: no mark stays there.
    view_unmark_level(2);
    view_mark_changed();
    step.commit("Chart");
    view_repaint();
    return 0;
}

// ---- Dispatch --------------------------------------------------------------------------------

std::optional<int> view_user_command(int code, int param) {
    switch (code) {
    case 1: return view_count(param);
    case 9: return view_front_back(false, param);
    case 10: return view_front_back(true, param);
    case 11: return view_recolour(param);
    case 16: case 17: case 18: case 19: case 23: case 24: case 50:
        return view_set_marked_property(code, param);
    case 27: return view_chart_level();
    case 31: return view_group_shapes(param != 0);
    case 32: return view_layout_clusters(static_cast<Key>(param));
    case 33: return view_sequence(param == 1);
    default: return std::nullopt;
    }
}

// ---- Shift -----------------------------------------------------------------------------------

bool view_shift(int button, int step, int level) {
    Document& d = view_doc();
    // Everything moves together, as far as the coordinate range lets it.
    auto move_all = [&](int64_t want_x, int64_t want_y) {
        CoordSpan span;
        for (const Obj& o : d.objs) span.add(o);
        for (const Shape& s : d.shapes) span.add(s);
        for (const PlotPoint& p : d.points) span.add(p);
        const Pt m = span.room(want_x, want_y);
        if (!m.x && !m.y) {
            view_note("The diagram is at the edge of its area: it cannot move further");
            return false;
        }
        const int dx = m.x, dy = m.y;
        for (Obj& o : d.objs) { o.x += dx; o.y += dy; }
        for (Shape& s : d.shapes) { s.left += dx; s.right += dx; s.top += dy; s.bottom += dy; }
        for (PlotPoint& p : d.points) { p.x += dx; p.y += dy; }
        return true;
    };
    // Every item's level through f; a level's own settings (its figure pattern) go with it.
    auto relevel = [&](auto f) {
        for (Obj& o : d.objs) o.level = f(o.level);
        for (Shape& s : d.shapes) s.level = f(s.level);
        for (PlotPoint& p : d.points) p.level = f(p.level);
        std::map<int, int32_t> moved;
        auto it = d.params.lower_bound(kLevelSettings + kLowestLevel);
        while (it != d.params.end() && it->first <= kLevelSettings + kHighestLevel) {
            moved[kLevelSettings + f(it->first - kLevelSettings)] = it->second;
            it = d.params.erase(it);
        }
        d.params.merge(moved);
    };
    switch (button) {
    case 10421: if (!move_all(-int64_t{step}, 0)) return false; break;
    case 10424: if (!move_all(step, 0)) return false; break;
    case 10422: if (!move_all(0, step)) return false; break;
    case 10423: if (!move_all(0, -int64_t{step})) return false; break;
    case 10425:
    case 10426: {
        if (step <= 0) return false;
        // Up is toward smaller numbers, as Level Up goes. The level moves among the others:
        // those it passes close up behind it, nothing merges.
        const int to = button == 10425 ? level - step : level + step;
        if (to < kLowestLevel || to > kHighestLevel) {
            view_note("Levels run from " + std::to_string(kLowestLevel) + " to " + std::to_string(kHighestLevel));
            return false;
        }
        relevel([&](int l) {
            if (l == level) return to;
            if (to > level && l > level && l <= to) return l - 1;
            if (to < level && l < level && l >= to) return l + 1;
            return l;
        });
        break;
    }
    case 10427: {
        const bool full = std::any_of(d.objs.begin(), d.objs.end(), [](const Obj& o) { return o.level >= kHighestLevel; }) ||
                          std::any_of(d.shapes.begin(), d.shapes.end(), [](const Shape& s) { return s.level >= kHighestLevel; }) ||
                          std::any_of(d.points.begin(), d.points.end(), [](const PlotPoint& p) { return p.level >= kHighestLevel; }) ||
                          d.param(kLevelSettings + kHighestLevel) != 0;
        if (level >= kHighestLevel || full) {
            view_note("Level " + std::to_string(kHighestLevel) + " is in use: no level can be inserted");
            return false;
        }
        relevel([&](int l) { return l > level ? l + 1 : l; });
        break;
    }
    case 10428: {
        bool used = std::any_of(d.objs.begin(), d.objs.end(), [&](const Obj& o) { return o.level == level; }) ||
                    std::any_of(d.shapes.begin(), d.shapes.end(), [&](const Shape& s) {
                        return s.level == level && s.kind != kRegionShapeKind;
                    }) ||
                    std::any_of(d.points.begin(), d.points.end(), [&](const PlotPoint& p) { return p.level == level; });
        if (used) {
            view_note("Level " + std::to_string(level) + " is not empty");
            return false;
        }
        d.params.erase(kLevelSettings + level);
        relevel([&](int l) { return l > level ? l - 1 : l; });
        break;
    }
    default:
        return false;
    }
    view_mark_changed();
    return true;
}

// ---- Promote ---------------------------------------------------------------------------------

namespace {

// Where objects of a level lie: as last painted, else as their text suggests, so new objects can
// be put where they cover nothing.
class Room {
public:
    explicit Room(int level) {
        int chars = 0, width = 0;
        for (const ObjRectEntry& e : obj_rect_each()) {
            if (e.level != level) continue;
            painted_[e.key] = Rc{e.l, e.t, e.r, e.b};
            if (const Obj* o = view_doc().obj(e.key); o && !o->id.empty()) {
                chars += static_cast<int>(o->id.size());
                width += std::max(0, e.r - e.l - 30);
            }
        }
        if (chars > 0) char_w_ = std::clamp(width / chars, 3, 40);
        for (const Obj& o : view_doc().objs)
            if (o.level == level) taken_.push_back(box(o.key, o.id, {o.x, o.y}));
    }
    // The box an object of this text takes at p.
    Rc box(Key key, const std::string& id, Pt p) const {
        if (auto it = painted_.find(key); key && it != painted_.end()) return it->second;
        int hw = static_cast<int>(std::min<size_t>(id.size(), 200)) * char_w_ / 2 + 15;
        return Rc{p.x - hw, p.y + kHalfHeight, p.x + hw, p.y - kHalfHeight};
    }
    // `p`, or the first point below it, `step` at a time, where `id` covers nothing; then taken.
    Pt place(const std::string& id, Pt p, int step) {
        for (int tries = 0; tries < 500 && covers(box(0, id, p)); ++tries) p.y -= step;
        taken_.push_back(box(0, id, p));
        return p;
    }

private:
    static constexpr int kHalfHeight = 20, kGap = 12;
    bool covers(const Rc& b) const {
        for (const Rc& t : taken_)
            if (b.left < t.right + kGap && t.left < b.right + kGap && b.bottom < t.top + kGap && t.bottom < b.top + kGap)
                return true;
        return false;
    }
    std::map<Key, Rc> painted_;
    std::vector<Rc> taken_;
    int char_w_ = 8;
};

}  // namespace

std::vector<Key> view_obj_from_text(Key key, const std::vector<std::string>& lines, Pt at, int level) {
    std::vector<Key> made;
    Document& d = view_doc();
    auto make = [&](const std::string& id, int x, int y, int lev) -> std::optional<Key> {
        return view_obj_put(view_obj_new(id, x, y, lev));
    };
    auto strip = [](std::string s) {
        while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' ' || s.back() == '\t')) s.pop_back();
        size_t b = s.find_first_not_of(" \t");
        return b == std::string::npos ? std::string() : s.substr(b);
    };
    if (key == 0) {
        if (lines.size() != 1 || strip(lines[0]).empty()) return made;
        Pt spot = Room(level).place(strip(lines[0]), at, 60);
        UndoStep step;
        if (auto k = make(strip(lines[0]), spot.x, spot.y, level)) made.push_back(*k);
        step.commit("Create Object");
        view_repaint();
        return made;
    }
    const Obj* parent = d.obj(key);
    if (!parent) return made;
    const Obj p = *parent;
    // Below the children the object already has, in a column to its right.
    int existing = 0;
    for (const Link& l : d.links) existing += l.from == key;
    const int horz = view_cluster_horz_spacing();
    const int vert = std::max(60, view_cluster_vert_spacing());
    const LinkDefaults ld = link_defaults_get();
    const bool thick = view_param_get(362) == 1;
    Room room(p.level);
    UndoStep step;
    int row = existing;
    for (const std::string& raw : lines) {
        std::string id = strip(raw);
        if (id.empty()) continue;
        Pt spot = room.place(id, {p.x + horz, p.y - vert * row}, vert);
        auto k = make(id, spot.x, spot.y, p.level);
        if (!k) break;  // no key left: the user was told
        row = (p.y - spot.y) / vert + 1;
        made.push_back(*k);
        view_link_add(link_from_defaults(key, *k, ld, thick, view_new_item_colour().index));
    }
    step.commit("Promote");
    view_repaint();
    return made;
}

// ---- Return points ---------------------------------------------------------------------------

void view_gosub_push(Key key, const std::string& id, const std::string& document, int scroll_x, int scroll_y) {
    Gosub g;
    g.object_key = key;
    g.object_id = id;
    g.depth = gosub_.empty() ? 1 : gosub_.front().depth + 1;
    g.document = document;
    g.scroll_x = scroll_x;
    g.scroll_y = scroll_y;
    gosub_.insert(gosub_.begin(), g);
}

std::optional<Gosub> view_gosub_pop() {
    if (gosub_.empty()) return std::nullopt;
    Gosub g = gosub_.front();
    gosub_.erase(gosub_.begin());
    return g;
}

int view_gosub_depth() { return gosub_.empty() ? 0 : gosub_.front().depth; }

// ---- Levels ----------------------------------------------------------------------------------

bool view_clear_level(int level) {
    Document& d = view_doc();
    std::vector<Key> keys;
    for (const Obj& o : d.objs)
        if (o.level == level) keys.push_back(o.key);
    auto on_level_shape = [&](const Shape& s) { return s.level == level; };
    auto on_level_point = [&](const PlotPoint& p) { return p.level == level; };
    bool any = !keys.empty() || std::any_of(d.shapes.begin(), d.shapes.end(), on_level_shape) ||
               std::any_of(d.points.begin(), d.points.end(), on_level_point);
    if (!any) return false;
    UndoStep step;
    for (Key k : keys) view_obj_remove(k);
    std::erase_if(d.shapes, on_level_shape);
    std::erase_if(d.points, on_level_point);
    view_mark_changed();
    step.commit("Clear Level");
    auto gone = [&](Key k) { return !d.obj(k); };
    marked_obj_.erase_keys_if(gone);
    std::erase_if(marked_link_, [&](const MarkedLink& l) { return gone(l.from) || gone(l.to); });
    std::erase_if(marked_shape_, [&](Key k) { return !d.shape(k); });
    view_repaint();
    return true;
}

namespace {
std::map<Key, int> colour_before_toggle;
std::set<int> hidden_levels;
}  // namespace

bool view_toggle_color(Key key) {
    Document& d = view_doc();
    Obj* o = d.obj(key);
    if (!o) return false;
    const int now = tbar_current_color().index;
    int next = now;
    auto it = colour_before_toggle.find(key);
    if (o->colour == now && it != colour_before_toggle.end()) {
        next = it->second;
        colour_before_toggle.erase(it);
    } else if (o->colour != now) {
        colour_before_toggle[key] = o->colour;
    }
    if (next == o->colour) return false;
    UndoStep step;
    o->colour = next;
    view_mark_changed();
    step.commit("Re-color");
    view_repaint();
    return true;
}

void view_toggle_level(int level) {
    if (!hidden_levels.erase(level)) hidden_levels.insert(level);
    view_repaint();
}

bool view_level_hidden(int level) { return !hidden_levels.empty() && hidden_levels.count(level) != 0; }

void view_levels_shown_reset() {
    hidden_levels.clear();
    colour_before_toggle.clear();
}

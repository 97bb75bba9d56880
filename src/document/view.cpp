#include "document/view.h"

#include <algorithm>
#include <cstdlib>

#include "base/eval_format.h"
#include "base/util.h"
#include "document/globals.h"

namespace {

ChangedHook changed_hook = nullptr;
EvalHook eval_hook = nullptr;
NoteHook note_hook = nullptr;
RecomputeHook recompute_hook = nullptr;
RepaintHook repaint_hook = nullptr;
NewObjHook new_obj_hook = nullptr;
bool painting = false;
bool changed_pending = false;  // an open change marked the document changed

constexpr int kCountObjects = 341;
constexpr int kCountLinks = 342;

}  // namespace

Document& view_doc() {
    static Document doc;
    return doc;
}

void view_on_changed(ChangedHook hook) { changed_hook = hook; }
void view_set_eval_hook(EvalHook hook) { eval_hook = hook; }
void view_set_note_hook(NoteHook hook) { note_hook = hook; }
void view_set_recompute_hook(RecomputeHook hook) { recompute_hook = hook; }
void view_set_repaint_hook(RepaintHook hook) { repaint_hook = hook; }
void view_set_new_obj_hook(NewObjHook hook) { new_obj_hook = hook; }

Obj view_obj_new(const std::string& id, int32_t x, int32_t y, int32_t level) {
    Obj o;
    if (new_obj_hook) {
        o = new_obj_hook();
    } else {
        o.shape = 161;
    }
    o.key = 0;
    o.id = id;
    o.level = level;
    o.x = x;
    o.y = y;
    return o;
}

void view_note(const std::string& text) {
    if (note_hook) note_hook(text);
}

void view_repaint() {
    if (repaint_hook) repaint_hook();
}

void view_mark_changed() {
    view_doc().changed = true;
    view_doc().bump();
    if (view_edit_open()) {
        changed_pending = true;
        return;
    }
    if (changed_hook) changed_hook();
}

void view_changed_flush() {
    if (!changed_pending || view_edit_open()) return;
    changed_pending = false;
    if (changed_hook) changed_hook();
}

void view_set_painting(bool on) { painting = on; }
bool view_painting() { return painting; }

// ---- Objects ---------------------------------------------------------------------------------

std::optional<Obj> view_obj_get(Key key) {
    if (key == 0) return Obj{};
    if (const Obj* o = view_doc().obj(key)) return *o;
    return std::nullopt;
}

std::optional<Key> view_obj_put(const Obj& o) {
    Document& d = view_doc();
    if (o.key != 0) {
        if (Obj* old = d.obj(o.key)) {
            if (*old == o) return o.key;
            *old = o;
            view_mark_changed();
            return o.key;
        }
        d.add_obj(o);
        view_mark_changed();
        return o.key;
    }
    auto key = d.free_obj_key();
    if (!key) {
        view_note("No more objects can be added: every key is in use");
        return std::nullopt;
    }
    Obj n = o;
    n.key = *key;
    d.add_obj(std::move(n));
    view_mark_changed();
    return key;
}

std::optional<std::string> view_obj_id(Key key) {
    if (const Obj* o = view_doc().obj(key)) return o->id;
    return std::nullopt;
}

std::optional<std::string> view_obj_ext(Key key) {
    if (const Obj* o = view_doc().obj(key)) return o->ext;
    return std::nullopt;
}

std::vector<ObjRef> view_obj_each() {
    std::vector<ObjRef> out;
    out.reserve(view_doc().objs.size());
    for (const Obj& o : view_doc().objs) out.push_back({o.key, o.id});
    return out;
}

std::optional<ObjFound> view_obj_find_id(const std::string& id) {
    for (const Obj& o : view_doc().objs)
        if (o.id == id) return ObjFound{o.key, o.action, o.ext};
    return std::nullopt;
}

std::optional<std::string> view_obj_richtext(Key key) {
    const Obj* o = view_doc().obj(key);
    if (!o) return std::nullopt;
    std::string text;
    if (o->action == 0 || o->action == 12) {
        text = o->ext;
    } else if (o->action == 42) {
        for (const auto& [k, t] : view_doc().drop_texts)
            if (k == key) { text = t; break; }
    } else {
        return std::nullopt;
    }
    if (text.empty()) return std::nullopt;
    return text;
}

bool view_obj_remove(Key key) {
    Document& d = view_doc();
    if (!d.obj(key)) return false;
    d.remove_obj(key);
    view_mark_changed();
    return true;
}

int32_t view_obj_cluster(Key key) { return view_doc().cluster(key); }

void view_obj_set_cluster(Key key, int32_t code) {
    if (view_doc().cluster(key) == code) return;
    view_doc().set_cluster(key, code);
    view_mark_changed();
}

BinInfo view_obj_bin(Key key, int32_t kind) {
    for (const Attachment& b : view_doc().bins)
        if (b.key == key && b.kind == kind) return {b.name, b.a, b.b};
    return {};
}

void view_obj_put_bin(const Attachment& b) {
    auto& bins = view_doc().bins;
    for (Attachment& old : bins) {
        if (old.key == b.key && old.kind == b.kind) {
            if (old == b) return;
            old = b;
            view_mark_changed();
            return;
        }
    }
    bins.push_back(b);
    view_mark_changed();
}

void view_obj_set_bin(Key key, int32_t shape, const std::string& shape_ext) {
    if (shape == 169) {
        view_obj_put_bin(Attachment{key, 2, shape_ext, 0, 0, ""});
        return;
    }
    auto& bins = view_doc().bins;
    size_t n = std::erase_if(bins, [key](const Attachment& b) { return b.key == key && b.kind == 2; });
    if (n) view_mark_changed();
}

std::optional<double> view_obj_value(Key key) {
    Document& d = view_doc();
    if (const std::string* v = d.value(key)) return util_str_to_num(*v);
    const Obj* o = d.obj(key);
    if (!o || (o->action != 0 && o->action != 34)) return std::nullopt;
    if (!o->ext.empty() && o->ext[0] == '=') {
        if (painting || !eval_hook) return std::nullopt;
        std::string formula = o->ext.substr(1);
        auto r = eval_hook(formula, key);
        if (!r) return std::nullopt;
        // The object may have moved in memory while the calculator read the document.
        d.set_value(key, fmt_exact(*r));
        return r;
    }
    // Read as the calculator reads numbers: no hex, "inf" or "nan".
    auto n = util_str_to_num(o->ext);
    if (!n) return std::nullopt;
    if (!painting) {
        std::string text = o->ext;
        while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
        d.set_value(key, text);
    }
    return n;
}

void view_recompute() {
    if (eval_hook) eval_hook("Reset~", 0);
    Document& d = view_doc();
    d.values.clear();
    std::vector<Key> keys;
    keys.reserve(d.objs.size());
    for (const Obj& o : d.objs) keys.push_back(o.key);
    for (Key k : keys) view_obj_value(k);
}

bool view_auto_recompute() {
    if (view_param_get(69) != 0) return false;
    if (recompute_hook) recompute_hook();
    else view_recompute();
    return true;
}

void view_clear_value(Key key) { view_doc().clear_value(key); }

// ---- Links -----------------------------------------------------------------------------------

std::optional<Link> view_link_get(Key from, Key to) {
    if (Link* l = view_doc().link(from, to)) return *l;
    return std::nullopt;
}

bool view_link_put(Key old_from, Key old_to, const Link& l) {
    Link* old = view_doc().link(old_from, old_to);
    if (!old) return false;
    if (*old == l) return true;
    *old = l;
    for (MarkedLink& m : marked_link_)
        if (m.from == old_from && m.to == old_to) m = {l.from, l.to};
    view_mark_changed();
    return true;
}

bool view_link_add(const Link& l) {
    Document& d = view_doc();
    if (!d.obj(l.from) || !d.obj(l.to)) return false;
    d.links.push_back(l);
    view_mark_changed();
    return true;
}

bool view_link_remove(Key from, Key to) {
    auto& links = view_doc().links;
    auto it = std::find_if(links.begin(), links.end(),
                           [&](const Link& l) { return l.from == from && l.to == to; });
    if (it == links.end()) return false;
    links.erase(it);
    view_mark_changed();
    return true;
}

std::vector<Link> view_link_each() {
    std::vector<Link> out;
    out.reserve(view_doc().links.size());
    for (const Link& l : view_doc().links)
        if (l.route() != 16) out.push_back(l);
    return out;
}

std::vector<Key> view_link_from(Key key) {
    std::vector<Key> out;
    for (const Link& l : view_doc().links) {
        if (l.from == key) out.push_back(l.to);
        else if (l.to == key) out.push_back(l.from);
    }
    return out;
}

bool view_link_touching(Key key) {
    for (const Link& l : view_doc().links)
        if (l.from == key || l.to == key) return true;
    return false;
}

// ---- Shapes and points -----------------------------------------------------------------------

std::optional<Shape> view_shape_get(Key key) {
    Document& d = view_doc();
    if (key == 0) {
        for (const Shape& s : d.shapes)
            if (s.kind == kRegionShapeKind) return s;
        return std::nullopt;
    }
    if (Shape* s = d.shape(key)) return *s;
    return std::nullopt;
}

std::optional<Key> view_shape_put(const Shape& s) {
    Document& d = view_doc();
    if (s.key != 0) {
        if (Shape* old = d.shape(s.key)) {
            if (*old == s) return s.key;
            *old = s;
        } else {
            d.shapes.push_back(s);
        }
        view_mark_changed();
        return s.key;
    }
    auto key = d.free_shape_key();
    if (!key) {
        view_note("No more shapes can be added: every key is in use");
        return std::nullopt;
    }
    Shape n = s;
    n.key = *key;
    d.shapes.push_back(n);
    view_mark_changed();
    return key;
}

bool view_shape_remove(Key key) {
    auto& shapes = view_doc().shapes;
    size_t n = std::erase_if(shapes, [key](const Shape& s) { return s.key == key; });
    if (!n) return false;
    view_mark_changed();
    return true;
}

void view_point_add(int32_t level, int32_t x, int32_t y, int32_t style, int32_t colour) {
    view_doc().points.push_back(PlotPoint{style, level, x, y, colour});
    view_mark_changed();
}

std::optional<PlotPoint> view_point_remove(int32_t level, int32_t x, int32_t y) {
    auto& pts = view_doc().points;
    auto it = std::find_if(pts.begin(), pts.end(), [&](const PlotPoint& p) {
        return p.level == level && p.x == x && p.y == y;
    });
    if (it == pts.end()) return std::nullopt;
    PlotPoint p = *it;
    pts.erase(it);
    view_mark_changed();
    return p;
}

size_t view_clear_points(int32_t style, int32_t colour_filter, int32_t current) {
    size_t n = std::erase_if(view_doc().points, [&](const PlotPoint& p) {
        if (style != 0 && p.style != style) return false;
        if (colour_filter == 1 && p.colour != current) return false;
        return true;
    });
    if (n) view_mark_changed();
    return n;
}

// ---- Settings --------------------------------------------------------------------------------

int32_t view_param_get(int code) { return view_doc().param(code); }

void view_param_set(int code, int32_t v) {
    if (!view_doc().set_param(code, v)) return;
    // The status bar keeps its counts here; counting is not an edit.
    if (code == kCountObjects || code == kCountLinks) return;
    view_mark_changed();
}

void view_param_set_undoable(int code, int32_t v) {
    view_unmark_all();
    marked_para_.push_back(code);
    view_edit(7);
    view_param_set(code, v);
    view_undo_record("Change Para");
    marked_para_.clear();
}

std::string view_text_param_get(int code) { return view_doc().text_param(code); }

void view_text_param_set(int code, const std::string& t) {
    if (view_doc().set_text_param(code, t)) view_mark_changed();
}

// ---- Marking ---------------------------------------------------------------------------------

void CoordSpan::add(int64_t x, int64_t y) {
    x_lo = std::min(x_lo, x);
    x_hi = std::max(x_hi, x);
    y_lo = std::min(y_lo, y);
    y_hi = std::max(y_hi, y);
}

void CoordSpan::add(const Shape& s) {
    add(s.left, s.top);
    add(s.right, s.bottom);
}

Pt CoordSpan::room(int64_t dx, int64_t dy) const {
    if (x_lo > x_hi) return {static_cast<int>(std::clamp<int64_t>(dx, -kCoordMax, kCoordMax)),
                             static_cast<int>(std::clamp<int64_t>(dy, -kCoordMax, kCoordMax))};
    // An item already past the edge (a hand-made file) never makes the move go backwards.
    auto fit = [](int64_t d, int64_t lo, int64_t hi) {
        return static_cast<int>(std::clamp(d, std::min<int64_t>(0, -kCoordMax - lo), std::max<int64_t>(0, kCoordMax - hi)));
    };
    return {fit(dx, x_lo, x_hi), fit(dy, y_lo, y_hi)};
}

Pt view_move_items(const std::vector<uint32_t>& objs, const std::vector<Key>& shapes, int level, int dx, int dy) {
    Document& d = view_doc();
    CoordSpan span;
    auto on_level = [&](uint32_t at) { return at < d.objs.size() && d.objs[at].level == level; };
    for (uint32_t at : objs)
        if (on_level(at)) span.add(d.objs[at]);
    for (Key k : shapes)
        if (const Shape* s = d.shape(k); s && s->level == level) span.add(*s);
    const Pt m = span.room(dx, dy);
    if (!m.x && !m.y) return m;
    bool moved = false;
    for (uint32_t at : objs)
        if (on_level(at)) {
            d.objs[at].x += m.x;
            d.objs[at].y += m.y;
            moved = true;
        }
    if (moved) view_mark_changed();
    for (Key k : shapes)
        if (auto s = view_shape_get(k); s && s->level == level) {
            s->left += m.x;
            s->right += m.x;
            s->top += m.y;
            s->bottom += m.y;
            view_shape_put(*s);
        }
    return m;
}

namespace {
std::vector<uint32_t> marked_places(const Document& d) {
    const size_t n = d.objs.size(), m = marked_obj_.size();
    auto place_of = [&](size_t i) -> int64_t {
        const uint32_t at = marked_obj_.place(i);
        if (at < n && d.objs[at].key == marked_obj_[i]) return at;
        return d.obj_index(marked_obj_[i]);
    };
    std::vector<uint32_t> out;
    if (m * 16 < n) {
        out.reserve(m);
        for (size_t i = 0; i < m; ++i)
            if (int64_t at = place_of(i); at >= 0) out.push_back(static_cast<uint32_t>(at));
        std::sort(out.begin(), out.end());
        out.erase(std::unique(out.begin(), out.end()), out.end());
        return out;
    }
    // Many marked (Select All of a large level): a table of the document's objects, not a sort.
    std::vector<bool> in(n, false);
    size_t count = 0;
    for (size_t i = 0; i < m; ++i)
        if (int64_t at = place_of(i); at >= 0 && !in[static_cast<size_t>(at)]) {
            in[static_cast<size_t>(at)] = true;
            ++count;
        }
    out.reserve(count);
    for (size_t at = 0; at < n; ++at)
        if (in[at]) out.push_back(static_cast<uint32_t>(at));
    return out;
}
}  // namespace

std::vector<uint32_t> view_marked_places() {
    const Document& d = view_doc();
    // Painting asks at every paint: the answer is kept while the marks and the document stay.
    static struct {
        uint64_t marks = UINT64_MAX, revision = 0;
        const Document* doc = nullptr;
        size_t objs = 0;
        std::vector<uint32_t> places;
    } kept;
    if (kept.marks == marked_obj_.version() && kept.doc == &d && kept.revision == d.revision && kept.objs == d.objs.size())
        return kept.places;
    kept = {marked_obj_.version(), d.revision, &d, d.objs.size(), marked_places(d)};
    return kept.places;
}


namespace {
// Whether entry i of the marks names the object at `place`, of key `key`.
bool names(size_t i, Key key, uint32_t place) {
    if (marked_obj_[i] != key) return false;
    const Document& d = view_doc();
    const uint32_t at = marked_obj_.place(i);
    if (at == place) return true;
    const bool at_valid = at < d.objs.size() && d.objs[at].key == key;
    return !at_valid && d.obj_index(key) == static_cast<int64_t>(place);
}
}  // namespace

bool view_obj_marked(Key key, uint32_t place) {
    for (size_t i = 0; i < marked_obj_.size(); ++i)
        if (names(i, key, place)) return true;
    return false;
}

void view_obj_unmark(Key key, uint32_t place) {
    for (size_t i = marked_obj_.size(); i-- > 0;)
        if (names(i, key, place)) marked_obj_.erase_at(i);
}

void view_unmark_all() {
    marked_obj_.clear();
    marked_link_.clear();
    marked_shape_.clear();
    marked_para_.clear();
    // The temporary region is not a document edit.
    std::erase_if(view_doc().shapes, [](const Shape& s) { return s.kind == kRegionShapeKind; });
    view_repaint();
}

std::string view_obj_value_text(const Document& d, const Obj& o) {
    const std::string* stored = d.value(o.key);
    if (!stored) return {};
    std::optional<double> v = util_str_to_num(*stored);
    if (!v) return {};
    std::string value = eval_format_value(*v, d.text_param(26));
    // The format pads to a width; an ID text has no use for the padding.
    value.erase(0, std::min(value.size(), value.find_first_not_of(' ')));
    value.erase(value.find_last_not_of(' ') + 1);
    if (value == o.id) return {};
    return o.id + " = " + value;
}

int view_cluster_vert_spacing() { return 5 * (view_param_get(213) + 20); }
int view_cluster_horz_spacing() { return 100 + 10 * (view_param_get(214) + 20); }

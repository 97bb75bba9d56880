#include "document/undo.h"

#include <deque>
#include <new>
#include <optional>
#include <tuple>
#include <type_traits>
#include <utility>

#include "base/error.h"
#include "document/globals.h"
#include "document/view.h"

namespace {

// Heap bytes a record owns beyond its own size, for the history's budget.
size_t extra_bytes(const Obj& o) { return o.id.capacity() + o.ext.capacity(); }
size_t extra_bytes(const Link& l) { return l.label.capacity(); }
size_t extra_bytes(const SeqEntry& s) { return s.text.capacity(); }
size_t extra_bytes(const Attachment& b) { return b.name.capacity() + b.data.capacity(); }
size_t extra_bytes(const std::pair<Key, std::string>& p) { return p.second.capacity(); }
template <class T> size_t extra_bytes(const T&) { return 0; }

// The fields of the large record kinds: a step that edits records in place (a move, a new
// colour) keeps only the fields it changed, so 100 steps of 20,000 objects stay small.
auto fields(Obj& o) {
    return std::tie(o.key, o.id, o.level, o.x, o.y, o.colour, o.action, o.shape, o.size, o.flags, o.geom, o.extra, o.ext);
}
auto fields(Link& l) { return std::tie(l.from, l.to, l.flags, l.kind, l.label_pos_colour, l.end_positions, l.label); }
auto fields(Shape& s) {
    return std::tie(s.key, s.kind, s.level, s.colour_curve, s.style, s.left, s.top, s.right, s.bottom, s.group);
}
template <class T> constexpr bool kHasFields = requires(T& t) { fields(t); };

// Changed fields of records edited in place: per record its position and a mask of the fields,
// then per changed field its value before and after (numbers and texts in their own lists).
struct FieldEdits {
    std::vector<uint32_t> pos;
    std::vector<uint16_t> mask;
    std::vector<int32_t> nums;
    std::vector<std::string> texts;
    bool undone = false;  // the records hold the "before" values

    size_t bytes() const {
        size_t n = pos.size() * 4 + mask.size() * 2 + nums.size() * 4 + texts.size() * sizeof(std::string);
        for (const std::string& t : texts) n += t.capacity();
        return n;
    }

    template <class T>
    void add(uint32_t at, T before, T after) {
        uint16_t m = 0;
        auto b = fields(before), a = fields(after);
        for_fields(b, a, [&](int i, auto& x, auto& y) {
            if (x == y) return;
            m |= static_cast<uint16_t>(1u << i);
            put(std::move(x));
            put(std::move(y));
        });
        pos.push_back(at);
        mask.push_back(m);
    }

    // Checks (check) or sets the records' changed fields; the one pass keeps the cursors simple.
    template <class T>
    bool visit(std::vector<T>& v, bool check) {
        size_t ni = 0, ti = 0;
        const int from = undone ? 0 : 1, to = undone ? 1 : 0;
        for (size_t e = 0; e < pos.size(); ++e) {
            if (pos[e] >= v.size()) return false;
            auto f = fields(v[pos[e]]);
            bool ok = true;
            for_fields(f, f, [&](int i, auto& x, auto&) {
                if (!(mask[e] & (1u << i))) return;
                using F = std::decay_t<decltype(x)>;
                if constexpr (std::is_same_v<F, std::string>) {
                    if (check) ok = ok && x == texts[ti + from];
                    else x = texts[ti + to];
                    ti += 2;
                } else {
                    if (check) ok = ok && x == static_cast<F>(nums[ni + from]);
                    else x = static_cast<F>(nums[ni + to]);
                    ni += 2;
                }
            });
            if (!ok) return false;
        }
        if (!check) undone = !undone;
        return true;
    }

private:
    void put(std::string t) { texts.push_back(std::move(t)); }
    template <class N> void put(N n) { nums.push_back(static_cast<int32_t>(n)); }

    template <class A, class F, size_t... I>
    static void for_fields_at(A& a, A& b, F&& f, std::index_sequence<I...>) {
        (f(static_cast<int>(I), std::get<I>(a), std::get<I>(b)), ...);
    }
    template <class A, class F>
    static void for_fields(A& a, A& b, F&& f) {
        for_fields_at(a, b, f, std::make_index_sequence<std::tuple_size_v<A>>{});
    }
};

// What one step changed in a record vector: runs of the vector as the step left it, each with
// what stood there before. Applying it turns one state into the other and keeps the way back,
// so one patch serves undo and redo. A run is checked before it is applied: a vector changed
// outside any step (or by an edit that could not be recorded) is never patched blindly.
template <class T>
struct Patch {
    struct Run {
        size_t pos = 0;       // where the run starts in the vector it applies to
        std::vector<T> now;   // what stands there now
        std::vector<T> then;  // what it becomes
    };
    std::vector<Run> runs;
    FieldEdits edits;  // in place of runs when records were only edited in place

    bool empty() const { return runs.empty() && edits.pos.empty(); }
    size_t bytes() const {
        size_t n = runs.size() * sizeof(Run) + edits.bytes();
        for (const Run& r : runs) {
            n += (r.now.size() + r.then.size()) * sizeof(T);
            for (const T& t : r.now) n += extra_bytes(t);
            for (const T& t : r.then) n += extra_bytes(t);
        }
        return n;
    }

    // The patch that turns `after` back into `before`, taking what it keeps out of `before`
    // (the copy made when the change opened): the records a step removed cost no second copy.
    // One pass: elements that match are kept; where they differ, the side with more left over
    // lost or gained elements, else one replaced the other. Deletions, appends and edits in
    // place come out as small as they are.
    static Patch make(std::vector<T>&& before, const std::vector<T>& after) {
        Patch p;
        if (after.empty()) {
            // Everything went (Select All, Delete): the copy itself is the way back.
            if (!before.empty()) p.runs.push_back(Run{0, {}, std::move(before)});
            return p;
        }
        size_t i = 0, j = 0;
        const size_t bn = before.size(), an = after.size();
        Run* open = nullptr;
        while (i < bn || j < an) {
            if (i < bn && j < an && before[i] == after[j]) {
                open = nullptr;
                ++i;
                ++j;
                continue;
            }
            if (!open) {
                p.runs.push_back(Run{j, {}, {}});
                open = &p.runs.back();
            }
            size_t rb = bn - i, ra = an - j;
            if (rb > ra) {
                open->then.push_back(std::move(before[i++]));
            } else if (ra > rb) {
                open->now.push_back(after[j++]);
            } else {
                open->then.push_back(std::move(before[i++]));
                open->now.push_back(after[j++]);
            }
        }
        if constexpr (kHasFields<T>) {
            bool in_place = true;
            for (const Run& r : p.runs) in_place = in_place && r.now.size() == r.then.size();
            if (in_place && !p.runs.empty()) {
                Patch q;
                for (Run& r : p.runs)
                    for (size_t k = 0; k < r.now.size(); ++k)
                        q.edits.add(static_cast<uint32_t>(r.pos + k), std::move(r.then[k]), std::move(r.now[k]));
                return q;
            }
        }
        return p;
    }

    // Checks every run against `v`; false leaves `v` as it was.
    bool fits(std::vector<T>& v) {
        if constexpr (kHasFields<T>) {
            if (!edits.pos.empty()) return edits.visit(v, true);
        }
        for (const Run& r : runs) {
            if (r.pos > v.size() || r.now.size() > v.size() - r.pos) return false;
            for (size_t k = 0; k < r.now.size(); ++k)
                if (!(v[r.pos + k] == r.now[k])) return false;
        }
        return true;
    }

    // Applies the patch to `v` (which fits) and turns itself into the patch back.
    void apply(std::vector<T>& v) {
        if constexpr (kHasFields<T>) {
            if (!edits.pos.empty()) {
                edits.visit(v, false);
                return;
            }
        }
        bool same_sizes = true;
        for (const Run& r : runs) same_sizes = same_sizes && r.now.size() == r.then.size();
        if (same_sizes) {
            // Edits in place (moves, recolouring): no other element is touched.
            // The records of `now` stand in `v` as fitted: `then` goes in, `now` and `then`
            // change roles.
            for (Run& r : runs) {
                for (size_t k = 0; k < r.now.size(); ++k) v[r.pos + k] = r.then[k];
                std::swap(r.now, r.then);
            }
            return;
        }
        std::vector<T> out;
        out.reserve(v.size());
        size_t s = 0;
        for (Run& r : runs) {
            for (; s < r.pos; ++s) out.push_back(std::move(v[s]));
            size_t at = out.size();
            out.insert(out.end(), r.then.begin(), r.then.end());
            s += r.now.size();
            std::swap(r.now, r.then);
            r.pos = at;
        }
        for (; s < v.size(); ++s) out.push_back(std::move(v[s]));
        v = std::move(out);
    }
};

size_t copy_bytes(const std::string& s) { return s.size(); }
template <class M> size_t copy_bytes(const M& m) { return m.size() * 48; }

// Settings are few and records carried as text change only as a whole: a step keeps the whole
// map or text when it changed.
template <class M>
struct WholeCopy {
    std::optional<M> other;
    bool empty() const { return !other; }
    size_t bytes() const { return other ? copy_bytes(*other) : 0; }
    static WholeCopy make(M&& before, const M& after) {
        return before == after ? WholeCopy{} : WholeCopy{std::move(before)};
    }
    bool fits(M&) const { return true; }
    void apply(M& m) {
        if (other) std::swap(*other, m);
    }
};

// The temporary region shape is not part of any step: it comes and goes with marking.
std::vector<Shape> lasting_shapes(const std::vector<Shape>& v) {
    std::vector<Shape> out;
    out.reserve(v.size());
    for (const Shape& s : v)
        if (s.kind != kRegionShapeKind) out.push_back(s);
    return out;
}

struct Changes {
    Patch<Obj> objs;
    Patch<Link> links;
    Patch<Shape> shapes;
    WholeCopy<std::map<int, int32_t>> params;
    WholeCopy<std::map<int, std::string>> text_params;
    Patch<std::pair<Key, std::string>> values;
    WholeCopy<std::string> x_records;
    Patch<PlotPoint> points;
    Patch<SeqEntry> seq;
    Patch<std::pair<Key, int32_t>> clusters;
    Patch<std::pair<Key, std::string>> drop_texts;
    Patch<Attachment> bins;
    WholeCopy<std::string> unknown;
};

// Applies f(change, member of document a, member of document b) to every record kind but shapes
// and computed values, which have rules of their own.
template <class A, class B, class F>
void each_kind(Changes& c, A& a, B& b, F f) {
    f(c.objs, a.objs, b.objs);
    f(c.links, a.links, b.links);
    f(c.params, a.params, b.params);
    f(c.text_params, a.text_params, b.text_params);
    f(c.x_records, a.x_records, b.x_records);
    f(c.points, a.points, b.points);
    f(c.seq, a.seq, b.seq);
    f(c.clusters, a.clusters, b.clusters);
    f(c.drop_texts, a.drop_texts, b.drop_texts);
    f(c.bins, a.bins, b.bins);
    f(c.unknown, a.unknown, b.unknown);
}

struct Step {
    std::string name;
    Changes changes;
    size_t bytes = 0;
    uint64_t serial = 0;  // the state this step leads to
};

constexpr size_t kMaxSteps = 100;
// The program is 32-bit: history must stay modest, yet hold 100 moves of 20,000 objects.
constexpr size_t kMaxBytes = 64u << 20;

int depth = 0;
// The document as the open change found it; nullopt when it could not be copied.
std::optional<Document> before;
bool open_failed = false;
std::deque<Step> undo_stack, redo_stack;
size_t total_bytes = 0;
uint64_t next_serial = 0, base_serial = 0;  // base: the state below the oldest step

// Older steps give way; the newest stays whatever its size, as what it keeps was in the
// document a moment before.
void trim() {
    while (undo_stack.size() > 1 && (undo_stack.size() > kMaxSteps || total_bytes > kMaxBytes)) {
        total_bytes -= undo_stack.front().bytes;
        base_serial = undo_stack.front().serial;
        undo_stack.pop_front();
    }
}

void drop_redo() {
    for (const Step& s : redo_stack) total_bytes -= s.bytes;
    redo_stack.clear();
}

void forget(const std::string& why) {
    undo_stack.clear();
    redo_stack.clear();
    total_bytes = 0;
    base_serial = ++next_serial;
    view_note(why);
}

// The changes between the copy taken when the change opened and the document now; what the
// step keeps is taken out of the copy.
Changes diff(Document& b, const Document& d) {
    Changes c;
    each_kind(c, b, d, [](auto& change, auto& then, const auto& now) {
        change = std::decay_t<decltype(change)>::make(std::move(then), now);
    });
    c.shapes = Patch<Shape>::make(lasting_shapes(b.shapes), lasting_shapes(d.shapes));
    c.values = Patch<std::pair<Key, std::string>>::make(std::move(b.values), d.values);
    return c;
}

bool any(Changes& c) {
    bool found = !c.shapes.empty() || !c.values.empty();
    Document& d = view_doc();
    each_kind(c, d, d, [&](auto& change, auto&, auto&) { found = found || !change.empty(); });
    return found;
}

size_t bytes_of(Changes& c) {
    size_t n = sizeof(Changes) + c.shapes.bytes() + c.values.bytes();
    Document& d = view_doc();
    each_kind(c, d, d, [&](auto& change, auto&, auto&) { n += change.bytes(); });
    return n;
}

// Applies a step's changes to the document, keeping the way back in the step. False when the
// document is not in the state the step left it in (nothing is changed then).
bool apply(Changes& c) {
    Document& d = view_doc();
    std::erase_if(d.shapes, [](const Shape& s) { return s.kind == kRegionShapeKind; });
    bool fits = c.shapes.fits(d.shapes);
    each_kind(c, d, d, [&](auto& change, auto& live, auto&) { fits = fits && change.fits(live); });
    if (!fits) return false;
    each_kind(c, d, d, [](auto& change, auto& live, auto&) { change.apply(live); });
    c.shapes.apply(d.shapes);
    // Computed values are worked out again when they no longer match.
    if (c.values.fits(d.values)) c.values.apply(d.values);
    else d.values.clear();
    d.touch_objs();
    return true;
}

}  // namespace

void view_edit(int, const char* name) {
    if (depth++ > 0) return;
    before.reset();
    open_failed = false;
    try {
        before.emplace(view_doc());
    } catch (const std::bad_alloc&) {
        before.reset();
        // Nothing is changed yet: the user chooses between the change without Undo and none.
        const std::string what = name ? "\"" + std::string(name) + "\"" : std::string("this change");
        if (!msg_ask_default_no("There is not enough memory to keep " + what +
                                    " for Undo.\n\nGo on? It cannot be undone.", "Undo")) {
            --depth;
            throw VornDeclined();
        }
        undo_stack.clear();
        redo_stack.clear();
        total_bytes = 0;
        base_serial = ++next_serial;
        open_failed = true;
    }
}

static void close_change(const std::string* name) {
    Document& d = view_doc();
    if (open_failed) {
        // The user chose to go on without Undo.
        open_failed = false;
        base_serial = ++next_serial;
        return;
    }
    if (!before) return;
    try {
        Step step;
        step.changes = diff(*before, d);
        before.reset();
        if (!any(step.changes)) return;
        // A change that stopped half way is kept as a step of its own: the history must lead
        // back through every change it made.
        step.name = name ? *name : "Edit";
        step.bytes = bytes_of(step.changes);
        drop_redo();
        const bool crowds_out = step.bytes > kMaxBytes && !undo_stack.empty();
        total_bytes += step.bytes;
        step.serial = ++next_serial;
        undo_stack.push_back(std::move(step));
        trim();
        if (crowds_out)
            view_note("\"" + undo_stack.back().name +
                      "\" is kept for Undo; there is no room left for earlier changes, which can no longer be undone");
    } catch (const std::bad_alloc&) {
        before.reset();
        forget("Not enough memory to keep this change for Undo; earlier changes can no longer be undone");
    }
}

void view_undo_record(const std::string& name) {
    if (depth == 0) return;
    if (--depth > 0) return;
    close_change(&name);
    view_changed_flush();
}

void view_edit_cancel() {
    if (depth == 0) return;
    if (--depth > 0) return;
    close_change(nullptr);
    view_changed_flush();
}

bool view_edit_open() { return depth > 0; }

bool view_can_undo() { return !undo_stack.empty(); }
bool view_can_redo() { return !redo_stack.empty(); }
std::string view_undo_name() { return undo_stack.empty() ? std::string() : undo_stack.back().name; }
std::string view_redo_name() { return redo_stack.empty() ? std::string() : redo_stack.back().name; }

// Takes the newest step of `from`, applies it and keeps it on `to`.
static bool replay(std::deque<Step>& from, std::deque<Step>& to) {
    if (from.empty() || depth > 0) return false;
    Step s = std::move(from.back());
    from.pop_back();
    if (!apply(s.changes)) {
        total_bytes -= s.bytes;
        forget("The document was changed in a way Undo cannot follow; the Undo history is cleared");
        return false;
    }
    to.push_back(std::move(s));
    // Marks may name items the step removed.
    marked_obj_.clear();
    marked_link_.clear();
    marked_shape_.clear();
    view_mark_changed();
    view_repaint();
    return true;
}

bool view_undo() { return replay(undo_stack, redo_stack); }
bool view_redo() { return replay(redo_stack, undo_stack); }

void view_undo_clear() {
    undo_stack.clear();
    redo_stack.clear();
    total_bytes = 0;
    base_serial = ++next_serial;
    depth = 0;
    before.reset();
    open_failed = false;
}

uint64_t view_undo_state() { return undo_stack.empty() ? base_serial : undo_stack.back().serial; }

bool view_undo_back_to(uint64_t state) {
    if (depth > 0) return false;
    bool undone = false;
    // Serials only grow, so every step above `state` came after it.
    while (!undo_stack.empty() && undo_stack.back().serial > state) {
        if (!view_undo()) return false;
        undone = true;
    }
    if (undone) drop_redo();
    return view_undo_state() == state;
}

void view_redo_clear() {
    drop_redo();
}

#include "document/undo.h"

#include <deque>
#include <optional>
#include <tuple>

#include "document/globals.h"
#include "document/view.h"

namespace {

// The document's record vectors, each kept only when a step changed it. Undo and redo swap the
// kept vectors with the document's, so one copy serves both directions.
struct Records {
    std::optional<std::vector<Obj>> objs;
    std::optional<std::vector<Link>> links;
    std::optional<std::vector<Shape>> shapes;
    std::optional<std::map<int, int32_t>> params;
    std::optional<std::map<int, std::string>> text_params;
    std::optional<std::vector<std::pair<Key, std::string>>> values;
    std::optional<std::vector<rec::Record>> x_records;
    std::optional<std::vector<PlotPoint>> points;
    std::optional<std::vector<SeqEntry>> seq;
    std::optional<std::vector<std::pair<Key, int32_t>>> clusters;
    std::optional<std::vector<std::pair<Key, std::string>>> drop_texts;
    std::optional<std::vector<Attachment>> bins;
    std::optional<std::vector<rec::Record>> unknown;
};

// Applies f(records member, document member) to every record kind.
template <class R, class D, class F>
void each_kind(R& r, D& d, F f) {
    f(r.objs, d.objs);
    f(r.links, d.links);
    f(r.shapes, d.shapes);
    f(r.params, d.params);
    f(r.text_params, d.text_params);
    f(r.values, d.values);
    f(r.x_records, d.x_records);
    f(r.points, d.points);
    f(r.seq, d.seq);
    f(r.clusters, d.clusters);
    f(r.drop_texts, d.drop_texts);
    f(r.bins, d.bins);
    f(r.unknown, d.unknown);
}

size_t approx_bytes(const Records& r) {
    size_t n = 0;
    auto add = [&](const auto& opt, const auto&) {
        if (opt) n += opt->size() * sizeof(typename std::decay_t<decltype(*opt)>::value_type) + 64;
    };
    Document dummy;
    each_kind(r, dummy, add);
    if (r.objs)
        for (const Obj& o : *r.objs) n += o.id.capacity() + o.ext.capacity();
    if (r.bins)
        for (const Attachment& b : *r.bins) n += b.data.capacity();
    return n;
}

struct Step {
    std::string name;
    Records rec;
    size_t bytes = 0;
    uint64_t serial = 0;  // the state this step leads to
};

constexpr size_t kMaxSteps = 100;
constexpr size_t kMaxBytes = 48u << 20;  // the program is 32-bit: history must stay modest

int depth = 0;
Records open_copy;
std::deque<Step> undo_stack, redo_stack;
size_t total_bytes = 0;
uint64_t next_serial = 0, base_serial = 0;  // base: the state below the oldest step

void trim() {
    while (!undo_stack.empty() && (undo_stack.size() > kMaxSteps || total_bytes > kMaxBytes)) {
        total_bytes -= undo_stack.front().bytes;
        base_serial = undo_stack.front().serial;
        undo_stack.pop_front();
    }
}

void drop_redo() {
    for (const Step& s : redo_stack) total_bytes -= s.bytes;
    redo_stack.clear();
}

void swap_in(Records& r) {
    Document& d = view_doc();
    each_kind(r, d, [](auto& opt, auto& live) {
        if (opt) std::swap(*opt, live);
    });
    d.touch_objs();
    // Marks may name items the swap removed.
    marked_obj_.clear();
    marked_link_.clear();
    marked_shape_.clear();
    view_mark_changed();
    view_repaint();
}

}  // namespace

void view_edit(int) {
    if (depth++ > 0) return;
    Document& d = view_doc();
    open_copy = Records{};
    each_kind(open_copy, d, [](auto& opt, const auto& live) { opt = live; });
}

void view_undo_record(const std::string& name) {
    if (depth == 0) return;
    if (--depth > 0) return;
    Document& d = view_doc();
    Step step;
    step.name = name;
    bool any = false;
    each_kind(open_copy, d, [&](auto& opt, const auto& live) {
        if (opt && *opt == live) opt.reset();
        if (opt) any = true;
    });
    if (!any) {
        open_copy = Records{};
        return;
    }
    step.rec = std::move(open_copy);
    open_copy = Records{};
    step.bytes = approx_bytes(step.rec);
    drop_redo();
    total_bytes += step.bytes;
    step.serial = ++next_serial;
    undo_stack.push_back(std::move(step));
    trim();
}

void view_edit_cancel() {
    if (depth == 0) return;
    if (--depth == 0) open_copy = Records{};
}

bool view_edit_open() { return depth > 0; }

bool view_can_undo() { return !undo_stack.empty(); }
bool view_can_redo() { return !redo_stack.empty(); }
std::string view_undo_name() { return undo_stack.empty() ? std::string() : undo_stack.back().name; }
std::string view_redo_name() { return redo_stack.empty() ? std::string() : redo_stack.back().name; }

// Takes the newest step of `from`, swaps its records in and keeps it on `to`.
static bool replay(std::deque<Step>& from, std::deque<Step>& to) {
    if (from.empty() || depth > 0) return false;
    Step s = std::move(from.back());
    from.pop_back();
    swap_in(s.rec);
    to.push_back(std::move(s));
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
    open_copy = Records{};
}

uint64_t view_undo_state() { return undo_stack.empty() ? base_serial : undo_stack.back().serial; }

void view_redo_clear() {
    drop_redo();
}

#include "ideas/pert.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "base/error.h"
#include "base/eval_format.h"
#include "base/file.h"
#include "base/util.h"
#include "document/undo.h"
#include "document/view.h"
#include "ideas/eval.h"
#include "view/view_cmd.h"

namespace {

constexpr const char* kHeader =
    "EVENT1               EVENT2                    DUR       ES       EC       LS       LC    FLOAT";
constexpr int32_t kCriticalBit = 4;
constexpr int32_t kChartLevel = 2;

struct Activity {
    Key from, to;
    double dur;
    int32_t colour_field;  // the link's fifth field
    uint32_t occurrence;   // how many activities with the same ends come before this one
    double flt = -1;
};

struct Network {
    std::vector<Activity> acts;
    std::vector<Key> events;
};

uint32_t pair_key(Key from, Key to) { return (uint32_t(from) << 16) | to; }

Network build_network(const Document& doc, PertHost& host) {
    Network net;
    std::unordered_map<uint32_t, uint32_t> seen;
    bool capped_any = false;
    for (const Link& l : doc.links) {
        if (l.route() == 16) continue;
        bool capped = false;
        double d = pert_label_duration(l.label, &capped);
        capped_any = capped_any || capped;
        uint32_t occ = seen[pair_key(l.from, l.to)]++;
        net.acts.push_back({l.from, l.to, d, l.label_pos_colour, occ});
    }
    // Once a run: a plan of many long activities would otherwise bring a box for each.
    if (capped_any) host.note("Max Duration is 1000.0");
    std::vector<uint8_t> end(65536, 0);
    for (const auto& a : net.acts) end[a.from] = end[a.to] = 1;
    for (const Obj& o : doc.objs)
        if (end[o.key] == 1) {
            net.events.push_back(o.key);
            end[o.key] = 2;
        }
    // Ends of links whose objects are gone still take part.
    for (const auto& a : net.acts)
        for (Key k : {a.from, a.to})
            if (end[k] == 1) {
                net.events.push_back(k);
                end[k] = 2;
            }
    return net;
}

// Finds free keys from 1 upward, once per run rather than once per new record. Keys in
// `reserved` are never given out: the ends of the network being computed keep theirs, also
// where a link names an object that is gone.
class KeyPool {
public:
    template <class C>
    KeyPool(const C& records, const std::vector<Key>& reserved) : used_(65536, false) {
        used_[0] = true;
        for (const auto& r : records) used_[r.key] = true;
        for (Key k : reserved) used_[k] = true;
    }
    std::optional<Key> next() {
        while (cursor_ < 65536 && used_[cursor_]) ++cursor_;
        if (cursor_ >= 65536) return std::nullopt;
        used_[cursor_] = true;
        return static_cast<Key>(cursor_);
    }

private:
    std::vector<bool> used_;
    uint32_t cursor_ = 1;
};

int32_t clamp32(double v) {
    v = std::round(v);
    return static_cast<int32_t>(std::clamp(v, -2147483648.0, 2147483647.0));
}

class Chart {
public:
    Chart(Document& doc, const std::vector<Key>& reserved)
        : doc_(doc), objs_(doc.objs, reserved), shapes_(doc.shapes, {}) {}

    // Slot R, or the next of R + 40, R + 80 ... that is neither 0 nor 40 nor used.
    int64_t slot(int64_t r) {
        auto it = next_.find(r);
        int64_t s = it == next_.end() ? r : it->second;
        while (s == 0 || s == 40 || used_.count(s)) s += 40;
        used_.insert(s);
        next_[r] = s + 40;
        max_slot_ = any_ ? std::max(max_slot_, s) : s;
        any_ = true;
        return s;
    }
    int64_t max_slot() const { return max_slot_; }

    void bar(int64_t s, int32_t colour, double es, double lc, double dur, const std::string& text) {
        int32_t left = clamp32(10 * es), right = clamp32(10 * lc);
        if (left == right) right = left + 1;
        shape(colour, 0, left, s, right);
        shape(colour, 1025, left, s, clamp32(10 * (es + dur)));
        auto key = take(objs_);
        if (!key) return;
        Obj o;
        o.key = *key;
        o.id = text.substr(0, 95);
        o.level = kChartLevel;
        o.x = -1000;
        o.y = clamp32(static_cast<double>(s - 8));
        o.colour = colour;
        o.action = 12;
        o.shape = 170;
        o.size = 10;
        o.flags = 0;
        doc_.add_obj(std::move(o));
    }

    bool out_of_keys() const { return out_of_keys_; }

private:
    Document& doc_;
    KeyPool objs_, shapes_;
    std::unordered_map<int64_t, int64_t> next_;
    std::unordered_set<int64_t> used_;
    int64_t max_slot_ = 0;
    bool any_ = false;
    bool out_of_keys_ = false;

    std::optional<Key> take(KeyPool& pool) {
        auto k = pool.next();
        if (!k) out_of_keys_ = true;
        return k;
    }

    void shape(int32_t colour, int32_t style, int32_t left, int64_t s, int32_t right) {
        auto key = take(shapes_);
        if (!key) return;
        Shape sh;
        sh.key = *key;
        sh.kind = 1;
        sh.level = kChartLevel;
        sh.colour_curve = colour;
        sh.style = style;
        sh.left = left;
        sh.top = clamp32(static_cast<double>(s));
        sh.right = right;
        sh.bottom = clamp32(static_cast<double>(s - 40));
        doc_.shapes.push_back(sh);
    }
};

// Objects and bars as the chart makes them. Whatever else lies on the chart level is the
// user's, which a run never clears unasked.
bool chart_made(const Obj& o) {
    if (o.action != 12 || o.shape != 170 || o.size != 10 || o.flags != 0 || !o.ext.empty()) return false;
    if (o.x == -1000) return true;  // the text of a row
    return o.y == -20 && o.x >= 0 && o.x <= 4000 && o.x % 200 == 0 && o.id == std::to_string(o.x / 10);
}

bool chart_made(const Shape& s) { return s.kind == 1 && (s.style == 0 || s.style == 1025) && s.top - s.bottom == 40; }

struct ChartLevel {
    std::vector<Key> plan;  // events of the network being computed
    bool foreign = false;   // anything else the chart did not make
};

ChartLevel chart_level_content(const Document& doc, const Network& net) {
    std::vector<uint8_t> on(65536, 0);  // 1 on the chart level, 2 an event there
    for (const Obj& o : doc.objs)
        if (o.level == kChartLevel) on[o.key] = 1;
    for (Key k : net.events)
        if (on[k]) on[k] = 2;
    ChartLevel c;
    for (const Obj& o : doc.objs) {
        if (o.level != kChartLevel) continue;
        if (on[o.key] == 2) c.plan.push_back(o.key);
        else if (!chart_made(o)) c.foreign = true;
    }
    auto any_on = [&](const auto& records, auto key_of) {
        return std::any_of(records.begin(), records.end(), [&](const auto& r) { return on[key_of(r)] != 0; });
    };
    auto first = [](const auto& r) { return r.first; };
    auto key = [](const auto& r) { return r.key; };
    // The chart links nothing and gives its objects no value, cluster, text or picture.
    c.foreign = c.foreign || any_on(doc.links, [](const Link& l) { return l.from; }) ||
                any_on(doc.links, [](const Link& l) { return l.to; }) || any_on(doc.values, first) ||
                any_on(doc.clusters, first) || any_on(doc.drop_texts, first) || any_on(doc.seq, key) ||
                any_on(doc.bins, key);
    for (const Shape& s : doc.shapes)
        c.foreign = c.foreign || (s.level == kChartLevel && !chart_made(s));
    for (const PlotPoint& p : doc.points) c.foreign = c.foreign || p.level == kChartLevel;
    return c;
}

std::string bare_id(const std::string& id) {
    std::string s = id == "\n" ? std::string() : id;
    if (size_t p = s.find("[ES="); p != std::string::npos) s.resize(p);
    return s;
}

// Level 2 is given over to the chart, but never at the price of the plan or of what the user
// keeps there: events of the plan on it keep the chart away, anything else is cleared only
// after a yes.
bool may_draw_chart(const Document& doc, const Network& net, PertHost& host) {
    ChartLevel c = chart_level_content(doc, net);
    if (!c.plan.empty()) {
        std::string ids;
        for (size_t k = 0; k < c.plan.size() && k < 3; ++k) ids += (k ? ", " : "") + bare_id(doc.obj(c.plan[k])->id);
        if (c.plan.size() > 3) ids += ", ...";
        host.note("The chart was not drawn: it goes on level 2, which holds events of the plan (" + ids +
                  "). Move them to another level to have the chart.");
        return false;
    }
    return !c.foreign || host.ask("Level 2 holds objects the critical path chart did not make. Clear level 2 and "
                                  "draw the chart there?");
}

bool ends_with_vrn(const std::string& name) {
    if (name.size() < 4) return false;
    return util_lower(name.substr(name.size() - 4)) == ".vrn";
}

// Walks back from an event the forward pass never reached to one that lies on a cycle.
Key event_on_cycle(const std::vector<int>& indeg, const std::vector<std::vector<uint32_t>>& in,
                   const Network& net, const std::vector<int32_t>& index) {
    size_t start = 0;
    while (start < indeg.size() && indeg[start] == 0) ++start;
    std::vector<uint8_t> seen(net.events.size(), 0);
    size_t e = start;
    while (!seen[e]) {
        seen[e] = 1;
        for (uint32_t a : in[e]) {
            size_t p = static_cast<size_t>(index[net.acts[a].from]);
            if (indeg[p] > 0) {
                e = p;
                break;
            }
        }
    }
    return net.events[e];
}

PertResult critical_path(Document& doc, PertHost& host) {
    Network net = build_network(doc, host);
    if (net.acts.empty()) {
        host.error("Not a PERT project, no activity found");
        return PertResult::Unchanged;
    }
    const size_t n = net.events.size();
    std::vector<int32_t> index(65536, -1);
    for (size_t k = 0; k < n; ++k) index[net.events[k]] = static_cast<int32_t>(k);
    std::vector<std::vector<uint32_t>> in(n), out(n);
    for (uint32_t a = 0; a < net.acts.size(); ++a) {
        out[index[net.acts[a].from]].push_back(a);
        in[index[net.acts[a].to]].push_back(a);
    }
    size_t ends = 0, end = 0;
    for (size_t k = 0; k < n; ++k)
        if (!in[k].empty() && out[k].empty()) {
            ++ends;
            end = k;
        }
    if (ends >= 2) {
        host.error("Cannot have multiple (" + std::to_string(ends) + ") end nodes");
        return PertResult::Unchanged;
    }

    // Forward pass in topological order; what it never reaches lies on or behind a cycle.
    std::vector<int> indeg(n);
    std::vector<size_t> order;
    order.reserve(n);
    for (size_t k = 0; k < n; ++k) {
        indeg[k] = static_cast<int>(in[k].size());
        if (indeg[k] == 0) order.push_back(k);
    }
    for (size_t q = 0; q < order.size(); ++q)
        for (uint32_t a : out[order[q]]) {
            size_t t = static_cast<size_t>(index[net.acts[a].to]);
            if (--indeg[t] == 0) order.push_back(t);
        }
    if (ends == 0 || order.size() < n) {
        Key k = event_on_cycle(indeg, in, net, index);
        const Obj* o = doc.obj(k);
        host.error("Cannot compute the critical path: the activities form a cycle through " +
                   (o ? o->id : std::to_string(k)));
        return PertResult::Unchanged;
    }

    std::vector<double> es(n, 0), lc(n, 0);
    for (size_t k : order) {
        double v = 0;
        for (uint32_t a : in[k]) {
            double c = es[index[net.acts[a].from]] + net.acts[a].dur;
            if (c > v) v = c;
        }
        es[k] = v;
    }
    const double t = es[end];
    if (t <= 10.0) host.error("Duration too short = " + fmt_g(t));
    for (size_t q = order.size(); q-- > 0;) {
        size_t k = order[q];
        double v = t;
        for (uint32_t a : out[k]) {
            double c = lc[index[net.acts[a].to]] - net.acts[a].dur;
            if (c < v) v = c;
        }
        lc[k] = v;
    }

    const bool chart_drawn = may_draw_chart(doc, net, host);
    if (chart_drawn) host.prepare_chart(doc, net.events);

    const double threshold = 0.01 * doc.param(75) + 0.0001;
    for (auto& a : net.acts) a.flt = lc[index[a.to]] - es[index[a.from]] - a.dur;

    for (size_t k = 0; k < n; ++k) {
        Obj* o = doc.obj(net.events[k]);
        if (!o) continue;  // a link end whose object is gone
        o->id = bare_id(o->id) + "[ES=" + fmt_g(es[k]) + "  LC=" + fmt_g(lc[k]) + "]";
    }

    const std::string name = host.document_name();
    if (ends_with_vrn(name)) {
        std::string report = std::string(kHeader) + "\r\n";
        std::optional<Chart> chart;
        if (chart_drawn) chart.emplace(doc, net.events);
        auto id_of = [&](Key k) {
            const Obj* o = doc.obj(k);
            return o ? o->id : std::string();
        };
        auto y_of = [&](Key k) -> int64_t {
            const Obj* o = doc.obj(k);
            return o ? o->y : 0;
        };
        for (const auto& a : net.acts) {
            const double es_from = es[index[a.from]], lc_to = lc[index[a.to]];
            const bool crit = a.flt < threshold;
            std::string row = fmt_text_col(id_of(a.from), 20) + " " + fmt_text_col(id_of(a.to), 20);
            // Six digits, not two: a plan of more than 99 days would read 1e+02 for 106.
            for (double v : {a.dur, es_from, es_from + a.dur, lc_to - a.dur, lc_to, a.flt})
                row.append(" ").append(fmt_g_width(v, 8, 6));
            row += crit ? " CP" : " ";
            report += row + "\r\n";
            if (!chart) continue;
            int64_t r = (y_of(a.from) + y_of(a.to)) / 2 / 30 * 40;
            int32_t colour = crit ? 4 : a.colour_field % 65536;
            chart->bar(chart->slot(r), colour, es_from, lc_to, a.dur, row);
        }
        if (chart) {
            chart->bar(chart->max_slot() + 60, doc.param(5), 0, 0, 0, kHeader);
            if (chart->out_of_keys()) host.note("The chart is incomplete: every key is in use");
        }
        // A report that cannot be written is reported; the links are marked all the same.
        host.write_report(name.substr(0, name.size() - 4) + ".txt", report);
    }

    // Each activity marks its own link.
    std::unordered_map<uint32_t, std::vector<size_t>> links;
    for (size_t k = 0; k < doc.links.size(); ++k)
        if (doc.links[k].route() != 16) links[pair_key(doc.links[k].from, doc.links[k].to)].push_back(k);
    for (const auto& a : net.acts) {
        auto it = links.find(pair_key(a.from, a.to));
        if (it == links.end() || a.occurrence >= it->second.size()) continue;
        Link& l = doc.links[it->second[a.occurrence]];
        l.flags = (l.flags & ~kCriticalBit) | (a.flt < threshold ? kCriticalBit : 0);
    }
    doc.touch_objs();
    doc.changed = true;
    return PertResult::Changed;
}

PertResult clear_marks(Document& doc) {
    bool changed = false;
    for (Link& l : doc.links) {
        if (l.route() == 16 || !(l.flags & kCriticalBit)) continue;
        l.flags &= ~kCriticalBit;
        changed = true;
    }
    if (!changed) return PertResult::Unchanged;
    doc.changed = true;
    return PertResult::Changed;
}

}  // namespace

void PertHost::prepare_chart(Document& doc, const std::vector<Key>& reserved) { pert_chart_level(doc, reserved); }
bool PertHost::ask(const std::string&) { return false; }

double pert_label_duration(std::string_view label, bool* capped) {
    if (capped) *capped = false;
    std::string_view first = util_split_token(label).token;
    if (first == ".") {
        std::string zero = std::string("0").append(label);
        std::string_view num = util_split_token(zero).token;
        auto v = util_str_to_num(num);
        return v ? *v : 0.0;
    }
    if (first.empty() || first[0] < '0' || first[0] > '9') return 0.0;
    auto v = util_str_to_num(first);
    if (v && *v < 1000.01) return *v;
    if (capped) *capped = true;
    return 1000.0;
}

void pert_chart_level(Document& doc) { pert_chart_level(doc, {}); }

void pert_chart_level(Document& doc, const std::vector<Key>& reserved) {
    std::vector<uint8_t> gone(65536, 0);
    for (const Obj& o : doc.objs)
        if (o.level == kChartLevel) gone[o.key] = 1;
    auto by_key = [&](const auto& r) { return gone[r.first] != 0; };
    std::erase_if(doc.objs, [&](const Obj& o) { return gone[o.key] != 0; });
    std::erase_if(doc.links, [&](const Link& l) { return gone[l.from] || gone[l.to]; });
    std::erase_if(doc.values, by_key);
    std::erase_if(doc.clusters, by_key);
    std::erase_if(doc.drop_texts, by_key);
    std::erase_if(doc.seq, [&](const SeqEntry& s) { return gone[s.key] != 0; });
    std::erase_if(doc.bins, [&](const Attachment& b) { return gone[b.key] != 0; });
    std::erase_if(doc.shapes, [](const Shape& s) { return s.level == kChartLevel; });
    std::erase_if(doc.points, [](const PlotPoint& p) { return p.level == kChartLevel; });
    doc.touch_objs();
    doc.set_param(10000 + kChartLevel, 15);
    KeyPool pool(doc.objs, reserved);
    for (int v = 0; v <= 400; v += 20) {
        auto key = pool.next();
        if (!key) break;
        Obj o;
        o.key = *key;
        o.id = std::to_string(v);
        o.level = kChartLevel;
        o.x = 10 * v;
        o.y = -20;
        o.colour = doc.param(5);
        o.action = 12;
        o.shape = 170;
        o.size = 10;
        o.flags = 0;
        doc.add_obj(std::move(o));
    }
    doc.changed = true;
}

PertResult pert_recompute(Document& doc, int mode, PertHost& host) {
    switch (mode) {
    case 0: return PertResult::Unchanged;
    case 1: host.recompute_objects(); return PertResult::Unchanged;
    case 2: return critical_path(doc, host);
    case 9: return clear_marks(doc);
    default: return PertResult::Failed;
    }
}

// ---- the program

namespace {

constexpr char kTitle[] = "Critical Path";

// The report goes beside the document under the document's name: a file of that name which is
// not an earlier report is the user's, and is replaced only after a yes.
bool report_may_replace(const std::string& name, PertHost& host) {
    if (!file_exists(name)) return true;
    auto head = file_read_part(name, 4096, false);
    if (head && head->rfind(kHeader, 0) == 0) {
        std::string_view rest = std::string_view(*head).substr(std::string_view(kHeader).size());
        if (rest.empty() || rest[0] == '\r' || rest[0] == '\n') return true;
    }
    return host.ask(name + " exists and is not a report of the critical path. Replace it with the report?");
}

// Notes shown and questions answered no, kept so that the runs after edits do not say them
// again for as long as each comes up run after run: a no stands, and nothing is written over
// the user's file. A run with an error may stop before its notes and questions: it forgets none.
// A run asked for by the user, and another document, start afresh.
struct Said {
    std::unordered_set<std::string> before, now;
};
Said said_;

void forget_said() { said_.before.clear(); }

struct ProgramHost : PertHost {
    explicit ProgramHost(PertRun run) {
        view_on_replaced(forget_said);  // here, as the native tests run this without start-up
        if (run == PertRun::command) said_.before.clear();
        said_.now.clear();
    }
    ~ProgramHost() override {
        if (failed_) said_.before.insert(said_.now.begin(), said_.now.end());
        else said_.before.swap(said_.now);
    }

    void note(const std::string& text) override {
        said_.now.insert(text);
        if (!said_.before.count(text)) msg_note(text);
    }
    void error(const std::string& text) override {
        failed_ = true;
        msg_error(text);
    }
    bool ask(const std::string& text) override {
        if (!said_.before.count(text) && msg_ask_default_no(text, kTitle)) return true;
        said_.now.insert(text);
        return false;
    }
    std::string document_name() override { return file_current_name(); }
    bool write_report(const std::string& name, const std::string& text) override {
        if (!report_may_replace(name, *this)) return false;
        auto out = file_open_output(name);  // says "Opening ..." when it fails
        if (!out) return false;
        out->write(text.data(), static_cast<std::streamsize>(text.size()));
        out->close();
        if (!*out) {
            msg_error("Saving " + name);
            return false;
        }
        return true;
    }
    void prepare_chart(Document& doc, const std::vector<Key>& reserved) override {
        pert_chart_level(doc, reserved);
        view_unmark_level(2);
    }
    void recompute_objects() override { eval_recompute(); }

private:
    bool failed_ = false;
};

}  // namespace

bool pert_recompute(int mode, PertRun run) {
    ProgramHost host(run);
    // The chart and the times and marks written after it are one undoable step; so is the
    // removal of the marks.
    std::optional<UndoStep> step;
    if (mode == 2 || mode == 9) step.emplace();
    PertResult r = pert_recompute(view_doc(), mode, host);
    if (step) step->commit(mode == 2 ? "Chart" : "Compute");
    if (r == PertResult::Changed) view_mark_changed();
    if (r != PertResult::Failed) view_repaint();
    return r != PertResult::Failed;
}

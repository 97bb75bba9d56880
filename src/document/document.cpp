#include "document/document.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <set>
#include <unordered_map>

namespace {

struct IntDefault { int code; int32_t value; };
constexpr IntDefault kIntDefaults[] = {
    {1, 2}, {5, 15}, {21, 100}, {23, 8}, {50, 1}, {51, 1}, {59, 1}, {74, 1},
    {80, 1}, {218, 30}, {219, 50}, {310, 2}, {311, 161}, {352, 1},
};

const char* text_default(int code) {
    switch (code) {
    case 2: case 13: case 15: return "Arial";
    case 12: case 14: return "Times New Roman";
    case 25: return "1.1.1.1.1";
    default: return nullptr;
    }
}

void put_int(std::string& out, int64_t v) {
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

// Appends "name(" ... ")\r\n" pieces without building records, so saving stays fast.
struct Line {
    std::string& out;
    bool first = true;
    Line(std::string& o, const char* name) : out(o) { out += name; out.push_back('('); }
    ~Line() { out += ")\r\n"; }
    void sep() { if (!first) out.push_back(','); first = false; }
    Line& i(int64_t v) { sep(); put_int(out, v); return *this; }
    Line& s(std::string_view v) { sep(); rec::write_string(out, v); return *this; }
};

enum class RecordKind { Obj, Link, Shape, ShapeGroup, Param, TextParam, Value, X, Point, Seq, Cluster, DropText, Bin, Other };
constexpr size_t kRecordKinds = 14;

struct KindName {
    std::string_view name;
    RecordKind kind;
    size_t shortest;  // characters of the shortest well-formed record
};
constexpr KindName kKindNames[] = {
    {"j_", RecordKind::Obj, 31},      {"b_", RecordKind::Link, 18},     {"s_", RecordKind::Shape, 21},
    {"p_", RecordKind::Param, 7},     {"q_", RecordKind::TextParam, 8}, {"f_", RecordKind::Value, 8},
    {"x_", RecordKind::X, 4},         {"xy_", RecordKind::Point, 14},   {"obj_seq_", RecordKind::Seq, 16},
    {"c_", RecordKind::Cluster, 7},   {"drop_text_", RecordKind::DropText, 16}, {"bin_", RecordKind::Bin, 19},
    {"shape_group_", RecordKind::ShapeGroup, 17},
};

const KindName* kind_name(std::string_view name) {
    for (const KindName& k : kKindNames)
        if (k.name == name) return &k;
    return nullptr;
}

RecordKind kind_of(std::string_view name) {
    const KindName* k = kind_name(name);
    return k ? k->kind : RecordKind::Other;
}

// Field checks for the reader: each names what was wrong for the error line.
struct Fields {
    const rec::RecordView& rv;
    LoadError& err;
    bool ok = true;

    bool fail(const std::string& msg) {
        if (ok) { err.line = rv.line; err.message = msg; }
        ok = false;
        return false;
    }
    bool arity(size_t n) {
        if (rv.arity() != n)
            return fail(std::string(rv.name) + " needs " + std::to_string(n) + " fields, not " +
                        std::to_string(rv.arity()));
        return true;
    }
    int32_t i(size_t n) {
        if (!ok) return 0;
        const auto& f = rv.arg(n);
        if (f.kind != rec::Kind::Int || f.i < INT32_MIN || f.i > INT32_MAX) {
            fail("field " + std::to_string(n + 1) + " of " + std::string(rv.name) + " must be a whole number");
            return 0;
        }
        return static_cast<int32_t>(f.i);
    }
    Key key(size_t n) {
        if (!ok) return 0;
        const auto& f = rv.arg(n);
        if (f.kind != rec::Kind::Int || f.i < 0 || f.i > 65535) {
            fail("field " + std::to_string(n + 1) + " of " + std::string(rv.name) + " must be a key 0 to 65535");
            return 0;
        }
        return static_cast<Key>(f.i);
    }
    std::string s(size_t n) {
        if (!ok) return {};
        const auto& f = rv.arg(n);
        if (f.kind != rec::Kind::Str) {
            fail("field " + std::to_string(n + 1) + " of " + std::string(rv.name) + " must be a text");
            return {};
        }
        return f.escaped ? decode(f.raw) : std::string(f.raw);
    }

    static int hex(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return 0;
    }
    // The reader has checked the escapes; this copies the runs between them whole, which keeps
    // loading texts with many escapes fast.
    static std::string decode(std::string_view raw) {
        std::string out;
        out.reserve(raw.size());
        size_t k = 0;
        while (k < raw.size()) {
            size_t b = raw.find('\\', k);
            if (b == std::string_view::npos || b + 1 >= raw.size()) {
                out.append(raw.substr(k));
                break;
            }
            out.append(raw.substr(k, b - k));
            char e = raw[b + 1];
            k = b + 2;
            switch (e) {
            case 'n': out.push_back('\n'); break;
            case 'r': out.push_back('\r'); break;
            case 't': out.push_back('\t'); break;
            case 'x':
                if (k + 1 < raw.size()) {
                    out.push_back(static_cast<char>(hex(raw[k]) * 16 + hex(raw[k + 1])));
                    k += 2;
                }
                break;
            default: out.push_back(e); break;
            }
        }
        return out;
    }
};

}  // namespace

uint64_t Document::next_revision() {
    static uint64_t last = 0;
    return ++last;
}

Document::Document() {
    params[1] = 1;
    params[350] = kFormatVersion;
}

void Document::rebuild_index() const {
    index_.assign(65536, 0);
    for (size_t k = 0; k < objs.size(); ++k) {
        // First object wins for duplicate keys, as lookups in stored order do.
        if (!index_[objs[k].key]) index_[objs[k].key] = static_cast<int32_t>(k + 1);
    }
    index_valid_ = true;
    indexed_size_ = objs.size();
}

Obj& Document::add_obj(Obj o) {
    objs.push_back(std::move(o));
    bump();
    if (index_valid_ && indexed_size_ + 1 == objs.size()) {
        int32_t& slot = index_[objs.back().key];
        if (!slot) slot = static_cast<int32_t>(objs.size());
        indexed_size_ = objs.size();
    }
    return objs.back();
}

int Document::obj_index(Key key) const {
    if (!index_valid_ || indexed_size_ != objs.size()) rebuild_index();
    int k = index_[key] - 1;
    // The index may be stale when callers changed keys in place; check and rebuild once.
    if (k >= 0 && (k >= static_cast<int>(objs.size()) || objs[k].key != key)) {
        rebuild_index();
        k = index_[key] - 1;
    }
    return k;
}

Obj* Document::obj(Key key) {
    int k = obj_index(key);
    return k < 0 ? nullptr : &objs[k];
}

const Obj* Document::obj(Key key) const {
    int k = obj_index(key);
    return k < 0 ? nullptr : &objs[k];
}

std::optional<Key> Document::free_obj_key() const {
    std::vector<bool> used(65536, false);
    for (const auto& o : objs) used[o.key] = true;
    for (uint32_t k = 1; k < 65536; ++k)
        if (!used[k]) return static_cast<Key>(k);
    return std::nullopt;
}

std::optional<Key> Document::free_shape_key() const {
    std::vector<bool> used(65536, false);
    for (const auto& s : shapes) used[s.key] = true;
    for (uint32_t k = 1; k < 65536; ++k)
        if (!used[k]) return static_cast<Key>(k);
    return std::nullopt;
}

namespace {
bool grouped(const Shape& s) { return (s.style & kShapeGroupBit) != 0; }
}  // namespace

int32_t shape_group_free(const std::vector<Shape>& shapes) {
    std::vector<int32_t> used;
    for (const Shape& s : shapes)
        if (grouped(s) && s.group > 0) used.push_back(s.group);
    std::sort(used.begin(), used.end());
    int32_t n = 1;
    for (int32_t g : used) {
        if (g > n) break;
        if (g == n) ++n;
    }
    return n;
}

std::vector<Key> shape_with_groups(const std::vector<Shape>& shapes, const std::vector<Key>& keys) {
    std::vector<uint8_t> in(65536, 0);
    for (Key k : keys) in[k] = 1;
    std::set<std::pair<int32_t, int32_t>> groups;  // level, number
    for (const Shape& s : shapes)
        if (in[s.key] && grouped(s)) groups.emplace(s.level, s.group);
    std::vector<Key> out = keys;
    if (groups.empty()) return out;
    for (const Shape& s : shapes)
        if (!in[s.key] && grouped(s) && groups.count({s.level, s.group})) {
            in[s.key] = 1;
            out.push_back(s.key);
        }
    return out;
}

void shape_groups_renumber(std::vector<Shape>& added, const std::vector<Shape>& existing) {
    if (std::none_of(added.begin(), added.end(), grouped)) return;
    std::vector<Shape> all = existing;
    std::map<std::pair<int32_t, int32_t>, int32_t> given;  // (level, old number) -> new number
    for (Shape& s : added) {
        if (!grouped(s)) continue;
        auto [it, fresh] = given.try_emplace({s.level, s.group}, 0);
        if (fresh) {
            it->second = shape_group_free(all);
            Shape mark;
            mark.style = kShapeGroupBit;
            mark.group = it->second;
            all.push_back(mark);
        }
        s.group = it->second;
    }
}

Shape* Document::shape(Key key) {
    for (auto& s : shapes)
        if (s.key == key) return &s;
    return nullptr;
}

Link* Document::link(Key from, Key to) {
    for (auto& l : links)
        if (l.from == from && l.to == to) return &l;
    return nullptr;
}

std::optional<int32_t> Document::default_param(int code) {
    for (const auto& d : kIntDefaults)
        if (d.code == code) return d.value;
    return std::nullopt;
}

std::optional<std::string> Document::default_text_param(int code) {
    if (const char* t = text_default(code)) return std::string(t);
    return std::nullopt;
}

int32_t Document::param(int code) const {
    auto it = params.find(code);
    if (it != params.end()) return it->second;
    return default_param(code).value_or(0);
}

std::string Document::text_param(int code) const {
    auto it = text_params.find(code);
    if (it != text_params.end()) return it->second;
    return default_text_param(code).value_or("");
}

int32_t Document::shown_param(int code) const {
    auto it = shown_params.find(code);
    return it != shown_params.end() ? it->second : param(code);
}

std::string Document::shown_text_param(int code) const {
    auto it = shown_text_params.find(code);
    return it != shown_text_params.end() ? it->second : text_param(code);
}

bool Document::set_param(int code, int32_t v) {
    if (param(code) == v) return false;
    auto d = default_param(code);
    if (d && *d == v) params.erase(code);
    else params[code] = v;
    return true;
}

bool Document::set_text_param(int code, std::string_view t) {
    if (text_param(code) == t) return false;
    auto d = default_text_param(code);
    if (d && *d == t) text_params.erase(code);
    else text_params[code] = std::string(t);
    return true;
}

const std::string* Document::value(Key key) const {
    if (values.size() < 16) {
        for (const auto& v : values)
            if (v.first == key) return &v.second;
        return nullptr;
    }
    // Painting asks for the value of every object shown: a search per object would make a
    // repaint of a computed level quadratic. The table is made again after any edit.
    if (value_index_revision_ != revision || value_index_edits_ != value_edits_ || value_index_size_ != values.size() ||
        value_index_data_ != values.data()) {
        value_index_.assign(65536, 0);
        for (size_t k = values.size(); k-- > 0;) value_index_[values[k].first] = static_cast<int32_t>(k + 1);
        value_index_revision_ = revision;
        value_index_edits_ = value_edits_;
        value_index_size_ = values.size();
        value_index_data_ = values.data();
    }
    int32_t k = value_index_[key] - 1;
    if (k >= 0 && values[static_cast<size_t>(k)].first == key) return &values[static_cast<size_t>(k)].second;
    if (k < 0) return nullptr;
    for (const auto& v : values)  // changed behind the table's back
        if (v.first == key) return &v.second;
    return nullptr;
}

void Document::set_value(Key key, std::string text) {
    ++value_edits_;
    for (auto& v : values)
        if (v.first == key) { v.second = std::move(text); return; }
    values.emplace_back(key, std::move(text));
}

void Document::clear_value(Key key) {
    ++value_edits_;
    std::erase_if(values, [key](const auto& v) { return v.first == key; });
}

int32_t Document::cluster(Key key) const {
    for (const auto& c : clusters)
        if (c.first == key) return c.second;
    return 0;
}

void Document::set_cluster(Key key, int32_t code) {
    std::erase_if(clusters, [key](const auto& c) { return c.first == key; });
    if (code != 0) clusters.emplace_back(key, code);
}

void Document::remove_obj(Key key) {
    std::erase_if(objs, [key](const Obj& o) { return o.key == key; });
    std::erase_if(links, [key](const Link& l) { return l.from == key || l.to == key; });
    clear_value(key);
    std::erase_if(clusters, [key](const auto& c) { return c.first == key; });
    std::erase_if(seq, [key](const SeqEntry& s) { return s.key == key; });
    std::erase_if(drop_texts, [key](const auto& d) { return d.first == key; });
    std::erase_if(bins, [key](const Attachment& b) { return b.key == key; });
    touch_objs();
}

size_t Document::remove_objs_at(const std::vector<uint32_t>& places) {
    std::vector<bool> out(objs.size(), false);
    std::vector<bool> gone(65536, false);
    for (uint32_t at : places)
        if (at < objs.size()) {
            out[at] = true;
            gone[objs[at].key] = true;
        }
    size_t kept = 0;
    for (size_t i = 0; i < objs.size(); ++i) {
        if (out[i]) continue;
        if (kept != i) objs[kept] = std::move(objs[i]);
        ++kept;
    }
    const size_t n = objs.size() - kept;
    objs.resize(kept);
    if (!n) return 0;
    // A key another object still holds keeps its records.
    for (const Obj& o : objs) gone[o.key] = false;
    std::erase_if(links, [&](const Link& l) { return gone[l.from] || gone[l.to]; });
    std::erase_if(values, [&](const auto& v) { return gone[v.first]; });
    std::erase_if(clusters, [&](const auto& c) { return gone[c.first]; });
    std::erase_if(seq, [&](const SeqEntry& s) { return gone[s.key]; });
    std::erase_if(drop_texts, [&](const auto& d) { return gone[d.first]; });
    std::erase_if(bins, [&](const Attachment& b) { return gone[b.key]; });
    touch_objs();
    return n;
}

std::string Document::to_text() const {
    std::string out;
    // Room for the whole text up front: growing a string of many megabytes copies it each time.
    size_t size = 4096 + shapes.size() * 64 + points.size() * 40 + x_records.size() + unknown.size();
    for (const Obj& o : objs) size += 72 + o.id.size() + o.ext.size();
    for (const Link& l : links) size += 48 + l.label.size();
    for (const Attachment& b : bins) size += 48 + b.name.size() + b.data.size();
    out.reserve(size + size / 16);
    for (const auto& o : objs)
        Line(out, "j_").i(o.key).s(o.id).i(o.level).i(o.x).i(o.y).i(o.colour).i(o.action).i(o.shape)
            .i(o.size).i(o.flags).i(o.geom).i(o.extra).s(o.ext);
    for (const auto& l : links)
        Line(out, "b_").i(l.from).i(l.to).i(l.flags).i(l.kind).i(l.label_pos_colour).i(l.end_positions).s(l.label);
    for (const auto& s : shapes)
        Line(out, "s_").i(s.key).i(s.kind).i(s.level).i(s.colour_curve).i(s.style).i(s.left).i(s.top)
            .i(s.right).i(s.bottom);
    // Other readers keep a record they do not know and see the group bit alone.
    for (const auto& s : shapes)
        if ((s.style & kShapeGroupBit) && s.group != 0) Line(out, "shape_group_").i(s.key).i(s.group);
    for (const auto& [code, v] : params) Line(out, "p_").i(code).i(code == 350 ? kFormatVersion : v);
    for (const auto& [code, t] : text_params) Line(out, "q_").i(code).s(t);
    for (const auto& [key, t] : values) Line(out, "f_").i(key).s(t);
    out += x_records;
    for (const auto& p : points) Line(out, "xy_").i(p.style).i(p.level).i(p.x).i(p.y).i(p.colour);
    for (const auto& s : seq) Line(out, "obj_seq_").i(s.key).i(s.number).s(s.text);
    for (const auto& [key, c] : clusters) Line(out, "c_").i(key).i(c);
    for (const auto& [key, t] : drop_texts) Line(out, "drop_text_").i(key).s(t);
    for (const auto& b : bins) Line(out, "bin_").i(b.key).i(b.kind).s(b.name).i(b.a).i(b.b).s(b.data);
    out += unknown;
    return out;
}

bool Document::from_text(std::string_view text, Document& out, LoadError& err) {
    out = Document();
    out.params.clear();
    {
        // Room for every record kind up front, counted from the names: vectors grown by doubling
        // hold up to twice what they need, and a document's memory should stay near its size.
        // Lines too short to be a record of their kind are not counted, so that a broken file
        // cannot ask for more than a sound one of its size.
        std::array<size_t, kRecordKinds> n{};
        size_t x_bytes = 0, other_bytes = 0;
        for (size_t p = 0; p < text.size();) {
            size_t nl = text.find('\n', p);
            std::string_view line = text.substr(p, nl == std::string_view::npos ? std::string_view::npos : nl - p);
            size_t b = line.find_first_not_of(" \t");
            if (b != std::string_view::npos) {
                size_t e = b;
                while (e < line.size() && (std::isalnum(static_cast<unsigned char>(line[e])) || line[e] == '_')) ++e;
                const KindName* k = kind_name(line.substr(b, e - b));
                const size_t len = line.size() - b - (line.back() == '\r');
                if (!k) other_bytes += len + 2;  // kept with a CR LF
                else if (len >= k->shortest) ++n[static_cast<size_t>(k->kind)];
                if (k && k->kind == RecordKind::X) x_bytes += len + 2;
            }
            if (nl == std::string_view::npos) break;
            p = nl + 1;
        }
        auto count = [&](RecordKind k) { return n[static_cast<size_t>(k)]; };
        out.objs.reserve(count(RecordKind::Obj));
        out.links.reserve(count(RecordKind::Link));
        out.shapes.reserve(count(RecordKind::Shape));
        out.values.reserve(count(RecordKind::Value));
        out.points.reserve(count(RecordKind::Point));
        out.seq.reserve(count(RecordKind::Seq));
        out.clusters.reserve(count(RecordKind::Cluster));
        out.drop_texts.reserve(count(RecordKind::DropText));
        out.bins.reserve(count(RecordKind::Bin));
        out.x_records.reserve(x_bytes);
        out.unknown.reserve(other_bytes);
    }
    std::vector<std::pair<Key, int32_t>> groups;  // applied once every shape is read
    rec::Reader rd(text);
    // Records carried as text are checked but not taken apart.
    rd.set_fields_wanted([](std::string_view name) {
        RecordKind k = kind_of(name);
        return k != RecordKind::X && k != RecordKind::Other;
    });
    rec::RecordView rv;
    while (rd.next(rv)) {
        Fields f{rv, err};
        switch (kind_of(rv.name)) {
        case RecordKind::Obj: {
            if (!f.arity(13)) return false;
            Obj o;
            o.key = f.key(0);
            o.id = f.s(1);
            o.level = f.i(2); o.x = f.i(3); o.y = f.i(4); o.colour = f.i(5); o.action = f.i(6);
            o.shape = f.i(7); o.size = f.i(8); o.flags = f.i(9); o.geom = f.i(10); o.extra = f.i(11);
            o.ext = f.s(12);
            if (!f.ok) return false;
            out.objs.push_back(std::move(o));
            break;
        }
        case RecordKind::Link: {
            if (!f.arity(7)) return false;
            Link l;
            l.from = f.key(0); l.to = f.key(1);
            l.flags = f.i(2); l.kind = f.i(3); l.label_pos_colour = f.i(4); l.end_positions = f.i(5);
            l.label = f.s(6);
            if (!f.ok) return false;
            out.links.push_back(std::move(l));
            break;
        }
        case RecordKind::Shape: {
            if (!f.arity(9)) return false;
            Shape s;
            s.key = f.key(0);
            s.kind = f.i(1); s.level = f.i(2); s.colour_curve = f.i(3); s.style = f.i(4);
            s.left = f.i(5); s.top = f.i(6); s.right = f.i(7); s.bottom = f.i(8);
            if (!f.ok) return false;
            out.shapes.push_back(s);
            break;
        }
        case RecordKind::ShapeGroup: {
            if (!f.arity(2)) return false;
            Key k = f.key(0);
            int32_t g = f.i(1);
            if (!f.ok) return false;
            groups.emplace_back(k, g);
            break;
        }
        case RecordKind::Param: {
            if (!f.arity(2)) return false;
            int code = f.i(0);
            int32_t v = f.i(1);
            if (!f.ok) return false;
            out.params[code] = v;
            break;
        }
        case RecordKind::TextParam: {
            if (!f.arity(2)) return false;
            int code = f.i(0);
            std::string t = f.s(1);
            if (!f.ok) return false;
            out.text_params[code] = std::move(t);
            break;
        }
        case RecordKind::Value: {
            if (!f.arity(2)) return false;
            Key k = f.key(0);
            std::string t = f.s(1);
            if (!f.ok) return false;
            out.values.emplace_back(k, std::move(t));
            break;
        }
        case RecordKind::X: {
            out.x_records += rd.raw_line();
            out.x_records += "\r\n";
            break;
        }
        case RecordKind::Point: {
            if (!f.arity(5)) return false;
            PlotPoint p{f.i(0), f.i(1), f.i(2), f.i(3), f.i(4)};
            if (!f.ok) return false;
            out.points.push_back(p);
            break;
        }
        case RecordKind::Seq: {
            if (!f.arity(3)) return false;
            SeqEntry s{f.key(0), f.i(1), f.s(2)};
            if (!f.ok) return false;
            out.seq.push_back(std::move(s));
            break;
        }
        case RecordKind::Cluster: {
            if (!f.arity(2)) return false;
            Key k = f.key(0);
            int32_t c = f.i(1);
            if (!f.ok) return false;
            out.clusters.emplace_back(k, c);
            break;
        }
        case RecordKind::DropText: {
            if (!f.arity(2)) return false;
            Key k = f.key(0);
            std::string t = f.s(1);
            if (!f.ok) return false;
            out.drop_texts.emplace_back(k, std::move(t));
            break;
        }
        case RecordKind::Bin: {
            if (!f.arity(6)) return false;
            Attachment b;
            b.key = f.key(0); b.kind = f.i(1); b.name = f.s(2); b.a = f.i(3); b.b = f.i(4); b.data = f.s(5);
            if (!f.ok) return false;
            out.bins.push_back(std::move(b));
            break;
        }
        case RecordKind::Other:
            out.unknown += rd.raw_line();
            out.unknown += "\r\n";
            break;
        }
    }
    if (rd.failed()) {
        err.line = rd.error().line;
        err.message = rd.error().message;
        return false;
    }
    if (!groups.empty()) {
        std::unordered_map<Key, Shape*> by_key;
        for (Shape& s : out.shapes) by_key.emplace(s.key, &s);
        for (auto [k, g] : groups)
            if (auto it = by_key.find(k); it != by_key.end()) it->second->group = g;
    }
    // Settings stored at their default values are dropped, as a save would.
    for (auto it = out.params.begin(); it != out.params.end();) {
        auto d = default_param(it->first);
        it = (d && *d == it->second) ? out.params.erase(it) : std::next(it);
    }
    int32_t version = out.param(350);
    if (version > kNewestReadableVersion) {
        err.line = 0;
        err.message = "Incompatible Vorn file version";
        return false;
    }
    // Older formats are brought up to date; every accepted one is written back as the current.
    out.file_version = version;
    if (version != kFormatVersion) out.params[350] = kFormatVersion;
    out.changed = false;
    out.index_valid_ = false;
    return true;
}

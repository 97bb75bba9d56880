#include "ideas/clist.h"

#include <algorithm>
#include <cstdio>

#include "base/letters.h"
#include "base/util.h"

RandomInt clist_default_random() { return [](int n) { return util_random_int(n); }; }

const ClistEntry* ClistIndex::by_file(std::string_view file) const {
    std::string low = util_lower(file);
    for (const auto& e : entries)
        if (e.file == low) return &e;
    return nullptr;
}

const ClistEntry* ClistIndex::by_desc(std::string_view desc) const {
    for (const auto& e : entries)
        if (e.desc == desc) return &e;
    return nullptr;
}

std::string ClistIndex::topic_name(int n) const {
    for (const auto& t : topics)
        if (t.first == n) return t.second;
    return {};
}

void ClistIndex::set_topic(int n, const std::string& name) {
    for (auto& t : topics)
        if (t.first == n) {
            t.second = name;
            return;
        }
    topics.emplace_back(n, name);
}

void ClistIndex::add_default_topics() {
    for (int n : {1, 2}) {
        bool has = std::any_of(topics.begin(), topics.end(), [n](const auto& t) { return t.first == n; });
        if (!has) topics.emplace_back(n, "Topic " + std::to_string(n));
    }
}

namespace {

bool is_int(const rec::Value& v) { return v.kind == rec::Kind::Int; }
bool is_str(const rec::Value& v) { return v.kind == rec::Kind::Str; }

}  // namespace

namespace {

// Reads the lines that read; false with the first that did not in `err`.
bool parse_lines(std::string_view text, std::vector<rec::Record>& recs, std::vector<std::string>& damaged,
                 std::string* err) {
    rec::ParseError pe;
    if (rec::parse_keeping(text, recs, damaged, &pe)) return true;
    if (err) *err = "line " + std::to_string(pe.line) + ": " + pe.message;
    return false;
}

void write_damaged(std::string& out, const std::vector<std::string>& damaged) {
    for (const auto& line : damaged) out += line + "\r\n";
}

}  // namespace

bool clist_parse_index(std::string_view text, ClistIndex& out, std::string* err) {
    out = {};
    std::vector<rec::Record> recs;
    const bool whole = parse_lines(text, recs, out.damaged, err);
    for (auto& r : recs) {
        const auto& a = r.args;
        if (r.name == "index_" && a.size() == 4 && is_str(a[0]) && is_str(a[1]) && is_int(a[2]) && is_int(a[3])) {
            out.entries.push_back({util_lower(a[0].s), a[1].s, static_cast<uint32_t>(a[2].i) & 0xFFFFu,
                                   static_cast<int32_t>(a[3].i)});
        } else if (r.name == "topic_" && a.size() == 2 && is_int(a[0]) && is_str(a[1]) && a[0].i >= 1 && a[0].i <= 16) {
            out.set_topic(static_cast<int>(a[0].i), a[1].s);
        } else {
            out.others.push_back(std::move(r));
        }
    }
    return whole;
}

std::string clist_write_index(const ClistIndex& idx) {
    std::string out;
    for (const auto& e : idx.entries)
        rec::write(out, {"index_", {e.file, e.desc, static_cast<int>(e.topics), static_cast<int>(e.extra)}});
    for (const auto& t : idx.topics) rec::write(out, {"topic_", {t.first, t.second}});
    for (const auto& r : idx.others) rec::write(out, r);
    write_damaged(out, idx.damaged);
    return out;
}

std::string clist_topic_label(const ClistIndex& idx, int n, bool star) {
    std::string name = idx.topic_name(n);
    if (name.empty()) name = "Topic " + std::to_string(n);
    return star ? "*" + name : name;
}

bool clist_topic_enabled(const ClistIndex& idx, int n) { return idx.topic_name(n) != " "; }

std::vector<std::string> clist_filter(const ClistIndex& idx, uint32_t filter) {
    std::vector<std::string> out;
    for (const auto& e : idx.entries)
        if ((e.topics & filter) == filter) out.push_back(e.desc);
    return util_sort_strings(std::move(out));
}

std::string clist_list_text(std::string raw) {
    const bool marked = raw.compare(0, 3, "\xEF\xBB\xBF") == 0;
    if (!marked && std::all_of(raw.begin(), raw.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }))
        return raw;
    if (auto text = letters_from_utf8(raw)) return std::move(*text);
    return raw;
}

std::string clist_cut_note(const std::string& file, unsigned long long bytes, size_t cap) {
    char size[32];
    std::snprintf(size, sizeof size, "%.1f MB", static_cast<double>(bytes) / 1e6);
    return file + " holds " + size + ": only its lines in the first " + std::to_string(cap / (1 << 20)) +
           " MB are used.";
}

std::vector<std::string> clist_items(std::string_view text) {
    std::vector<std::string> out;
    size_t at = 0;
    while (at < text.size()) {
        size_t e = text.find('\n', at);
        if (e == std::string_view::npos) e = text.size();
        std::string line(text.substr(at, e - at));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        out.push_back(std::move(line));
        at = e + 1;
    }
    return out;
}

const ClistEntry* clist_link(const ClistIndex& idx, std::string_view item) {
    while (!item.empty() && item.back() == ']') item.remove_suffix(1);
    if (item.empty()) return nullptr;
    return idx.by_desc(item);
}

bool clist_parse_checks(std::string_view text, std::vector<ClistChecks>& out, std::string* err,
                        std::vector<std::string>* damaged) {
    out.clear();
    std::vector<rec::Record> recs;
    std::vector<std::string> bad;
    const bool whole = parse_lines(text, recs, bad, err);
    if (damaged) *damaged = std::move(bad);
    for (const auto& r : recs) {
        const auto& a = r.args;
        if (r.name != "checks_" || a.size() != 3 || !is_str(a[0]) || !is_int(a[1]) || a[2].kind != rec::Kind::List)
            continue;
        ClistChecks c{util_lower(a[0].s), static_cast<int32_t>(a[1].i), {}};
        for (const auto& v : a[2].items)
            if (is_int(v) && v.i >= 0 && v.i < 1000000) c.items.push_back(static_cast<int>(v.i));
        if (!c.items.empty()) out.push_back(std::move(c));
    }
    return whole;
}

std::string clist_write_checks(const std::vector<ClistChecks>& checks, const std::vector<std::string>& damaged) {
    std::string out;
    for (const auto& c : checks) {
        if (c.items.empty()) continue;
        std::vector<rec::Value> items(c.items.begin(), c.items.end());
        rec::write(out, {"checks_", {c.file, c.day, rec::Value::list(std::move(items))}});
    }
    write_damaged(out, damaged);
    return out;
}

std::vector<ClistChecks> clist_merge_checks(std::vector<ClistChecks> disk, const std::vector<ClistChecks>& ours,
                                            const std::vector<std::string>& changed) {
    for (const auto& file : changed) {
        clist_drop_checks(disk, file);
        if (const ClistChecks* c = clist_find_checks(ours, file); c && !c->items.empty()) disk.push_back(*c);
    }
    return disk;
}

const ClistChecks* clist_find_checks(const std::vector<ClistChecks>& checks, std::string_view file) {
    std::string low = util_lower(file);
    for (const auto& c : checks)
        if (c.file == low) return &c;
    return nullptr;
}

void clist_drop_checks(std::vector<ClistChecks>& checks, std::string_view file) {
    std::string low = util_lower(file);
    std::erase_if(checks, [&](const ClistChecks& c) { return c.file == low; });
}

void clist_record_checks(std::vector<ClistChecks>& checks, const std::string& file, int32_t day,
                         const std::vector<int>& items) {
    clist_drop_checks(checks, file);
    checks.push_back({util_lower(file), day, items});
    std::erase_if(checks, [](const ClistChecks& c) { return c.items.empty(); });
}

std::string clist_title(int lists, const std::string& file, int selected, int count) {
    if (file.empty()) return "Checklist - none selected";
    return std::to_string(lists) + " Checklists - " + file + " Selected " + std::to_string(selected) + " of " +
           std::to_string(count) + " items";
}

std::optional<std::string> clist_random_line(std::string_view text, const RandomInt& rnd) {
    if (text.empty()) return std::nullopt;
    size_t n = std::min<size_t>(text.size(), 0x7FFFFFFF);
    size_t at = static_cast<size_t>(std::clamp(rnd(static_cast<int>(n)), 0, static_cast<int>(n) - 1));
    size_t start = 0;
    if (at > 0) {
        size_t p = text.rfind('\n', at - 1);
        start = p == std::string_view::npos ? 0 : p + 1;
    }
    size_t e = text.find('\n', at);
    std::string line(text.substr(start, e == std::string_view::npos ? std::string_view::npos : e - start));
    while (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

std::optional<std::string> clist_rename_links(std::string_view text, const std::vector<std::pair<std::string, std::string>>& renames) {
    std::string out;
    bool changed = false;
    size_t at = 0;
    while (at < text.size()) {
        size_t e = text.find('\n', at);
        size_t end = e == std::string_view::npos ? text.size() : e;
        std::string_view line = text.substr(at, end - at);
        std::string_view cr = !line.empty() && line.back() == '\r' ? "\r" : "";
        line.remove_suffix(cr.size());
        std::string_view item = line;
        while (!item.empty() && item.back() == ']') item.remove_suffix(1);
        auto r = std::find_if(renames.begin(), renames.end(), [&](const auto& p) { return !item.empty() && item == p.first; });
        if (r != renames.end()) {
            out += r->second;
            out += line.substr(item.size());
            changed = true;
        } else {
            out += line;
        }
        out += cr;
        if (e != std::string_view::npos) out += '\n';
        at = end + 1;
    }
    if (!changed) return std::nullopt;
    return out;
}

std::optional<std::string> clist_entry_fault(const ClistIndex& idx, std::string* which) {
    for (size_t i = 0; i < idx.entries.size(); ++i) {
        const std::string& d = idx.entries[i].desc;
        if (which) *which = idx.entries[i].file;
        if (d.find_first_not_of(' ') == std::string::npos) return std::string("Enter a description");
        for (size_t j = 0; j < i; ++j)
            if (idx.entries[j].desc == d) return "File description " + d + " already exists";
    }
    return std::nullopt;
}

#include "document/outline.h"

#include <algorithm>
#include <cstdio>

#include "base/file.h"
#include "base/hypertext.h"
#include "base/util.h"
#include "document/view.h"

namespace {

bool is_style(char c) {
    return c == '1' || c == 'A' || c == 'a' || c == 'I' || c == 'i' || c == 'o' || c == '*' || c == '~';
}

std::string roman(int n, bool upper) {
    static const struct { int v; const char* s; } table[] = {
        {1000, "m"}, {900, "cm"}, {500, "d"}, {400, "cd"}, {100, "c"}, {90, "xc"},
        {50, "l"}, {40, "xl"}, {10, "x"}, {9, "ix"}, {5, "v"}, {4, "iv"}, {1, "i"}};
    if (n <= 0 || n >= 4000) return std::to_string(n);
    std::string out;
    for (const auto& t : table)
        while (n >= t.v) { out += t.s; n -= t.v; }
    if (upper)
        for (char& c : out) c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string letters(int n, char base) {
    // 1 a, 26 z, 27 aa ...
    std::string out;
    while (n > 0) {
        --n;
        out.insert(out.begin(), static_cast<char>(base + n % 26));
        n /= 26;
    }
    return out;
}

std::string render(char style, int n) {
    switch (style) {
    case '1': return std::to_string(n);
    case 'A': return letters(n, 'A');
    case 'a': return letters(n, 'a');
    case 'I': return roman(n, true);
    case 'i': return roman(n, false);
    case 'o': return "o";
    case '*': return "*";
    default: return {};
    }
}

struct LevelFormat {
    char style;
    std::string prefix, suffix;  // brackets and dashes around the numeral
    std::string joiner;          // text between the previous numeral and this one
};

std::vector<LevelFormat> parse_format(std::string_view f) {
    std::vector<LevelFormat> out;
    std::string between;
    for (size_t k = 0; k < f.size(); ++k) {
        char c = f[k];
        if (is_style(c)) {
            LevelFormat s{c, {}, {}, between};
            // Opening marks right before the numeral belong to it.
            size_t p = between.size();
            while (p > 0 && std::string_view("(<[-").find(between[p - 1]) != std::string_view::npos) --p;
            s.prefix = between.substr(p);
            out.push_back(s);
            between.clear();
        } else {
            between.push_back(c);
            if (!out.empty() && std::string_view(")>]").find(c) != std::string_view::npos &&
                between.size() == out.back().suffix.size() + 1)
                out.back().suffix.push_back(c);
        }
    }
    return out;
}

struct OutlineItem {
    const Obj* obj;
    std::vector<int> path;
};

}  // namespace

std::string view_outline_label(std::string_view format, const std::vector<int>& path) {
    auto levels = parse_format(format);
    if (levels.empty() || path.empty()) return {};
    auto level_at = [&](size_t d) -> const LevelFormat& { return levels[std::min(d, levels.size() - 1)]; };
    // A dot or dash between the first two numerals numbers items by their whole path.
    bool cumulative = levels.size() > 1 && !levels[1].joiner.empty() &&
                      levels[1].joiner.find_first_not_of(".-") == std::string::npos;
    if (cumulative) {
        std::string out;
        for (size_t d = 0; d < path.size(); ++d) {
            const LevelFormat& s = level_at(d);
            if (s.style == '~') continue;
            if (!out.empty()) out += d < levels.size() ? s.joiner : levels.back().joiner;
            out += render(s.style, path[d]);
        }
        return out;
    }
    const LevelFormat& s = level_at(path.size() - 1);
    if (s.style == '~') return {};
    return s.prefix + render(s.style, path.back()) + s.suffix;
}

std::string view_write_outline(int kind, int filter) {
    const Document& d = view_doc();
    auto keep = [&](const Obj& o) { return filter < 0 || o.colour == filter; };
    std::string out;
    auto line = [&](std::string_view s) {
        out.append(s);
        out.push_back('\n');
    };
    switch (kind) {
    case 2:
        for (const SeqEntry& s : d.seq)
            if (const Obj* o = d.obj(s.key); o && keep(*o)) line(o->id);
        return out;
    case 3:
        for (const Obj& o : d.objs)
            if (keep(o)) line(o.id);
        return out;
    case 4: {
        std::vector<bool> linked(65536, false);
        for (const Link& l : d.links) linked[l.from] = linked[l.to] = true;
        for (const Obj& o : d.objs)
            if (keep(o) && !linked[o.key]) line(o.id);
        return out;
    }
    default: break;
    }

    // Outline: children along the links, in link order; each object once.
    std::vector<std::vector<const Obj*>> children(65536);
    std::vector<bool> has_parent(65536, false), shown(65536, false);
    for (const Link& l : d.links) {
        const Obj* from = d.obj(l.from);
        const Obj* to = d.obj(l.to);
        if (!from || !to || l.from == l.to || !keep(*from) || !keep(*to)) continue;
        children[l.from].push_back(to);
        has_parent[l.to] = true;
    }
    const std::string format = d.text_param(25);
    std::vector<int> path;
    auto emit = [&](const Obj& o) {
        std::string label = view_outline_label(format, path);
        // Deep chains stay readable: indentation stops growing at some depth.
        std::string indent(2 * std::min<size_t>(path.size() - 1, 16), ' ');
        line(indent + (label.empty() ? "" : label + " ") + o.id);
        auto text = view_obj_richtext(o.key);
        if (!text) return;
        std::string t = *text;
        std::erase(t, '\r');
        size_t start = 0;
        while (start <= t.size()) {
            size_t end = t.find('\n', start);
            if (end == std::string::npos) end = t.size();
            if (end > start) line(indent + "  " + t.substr(start, end - start));
            start = end + 1;
        }
    };
    struct Frame {
        const Obj* obj;
        size_t next = 0;
        int count = 0;  // children numbered so far
    };
    std::vector<Frame> stack;
    int root_no = 0;
    auto walk = [&](const Obj& root) {
        shown[root.key] = true;
        path.assign(1, ++root_no);
        emit(root);
        stack.assign(1, Frame{&root});
        while (!stack.empty()) {
            Frame& f = stack.back();
            const auto& kids = children[f.obj->key];
            while (f.next < kids.size() && shown[kids[f.next]->key]) ++f.next;
            if (f.next == kids.size()) {
                stack.pop_back();
                path.pop_back();
                continue;
            }
            const Obj* kid = kids[f.next++];
            shown[kid->key] = true;
            path.push_back(++f.count);
            emit(*kid);
            stack.push_back(Frame{kid});
        }
    };
    for (const Obj& o : d.objs)
        if (keep(o) && !has_parent[o.key] && !shown[o.key]) walk(o);
    // Objects only reachable around a cycle start trees of their own.
    for (const Obj& o : d.objs)
        if (keep(o) && !shown[o.key]) walk(o);
    return out;
}

std::vector<std::string> view_seq_listing() {
    std::vector<std::string> out;
    for (const SeqEntry& s : view_doc().seq) {
        std::string id = view_obj_id(s.key).value_or("");
        id.resize(20, ' ');
        out.push_back(id + std::to_string(s.key));
    }
    return out;
}

std::vector<std::string> view_attached_files(int kind) {
    const Document& d = view_doc();
    std::vector<std::string> names;
    for (const Attachment& b : d.bins)
        if (b.kind == 2 && !b.name.empty()) names.push_back(b.name);
    if (d.param(7) == 8 && !d.text_param(23).empty()) names.push_back(d.text_param(23));
    std::vector<std::string> out, seen;
    const std::string dir = file_dir_part(file_current_name());
    for (const std::string& n : names) {
        std::string full = file_full_path(dir, n);
        if (!file_exists(full)) {
            // The report lists a picture it cannot find; mail cannot attach it.
            if (kind == 1) out.push_back(n + " (missing)");
            continue;
        }
        // One file named twice (in other case) is sent once; the three kinds stay in step.
        bool dup = false;
        for (const std::string& s : seen) dup = dup || util_compare_nocase(s, full) == 0;
        if (dup) continue;
        seen.push_back(full);
        out.push_back(kind == 2 ? full : kind == 3 ? file_name_part(full) : n);
    }
    return out;
}

std::string view_rtf_escape(std::string_view s) {
    std::string out;
    out.reserve(s.size() + 16);
    for (unsigned char c : s) {
        if (c == '\r') continue;
        if (c == '\\' || c == '{' || c == '}') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
        } else if (c == '\n') {
            out += "\\par\n";
        } else if (c == '\t') {
            out += "\\tab ";
        } else if (c >= 128 || c < 32) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\'%02x", c);
            out += buf;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

std::string view_rtf_text() {
    std::string out = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 ";
    out += view_rtf_escape(view_text_param_get(13));
    out += ";}}\n\\f0\\fs20 ";
    // A draft is read as a document: a field shows its text, never its markers or its hidden action.
    out += view_rtf_escape(tw_strip_hyperlinks(view_write_outline(1, -1)));
    out += "}\n";
    return out;
}

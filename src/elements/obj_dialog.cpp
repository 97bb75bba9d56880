#include "elements/obj_dialog.h"

#include <cctype>
#include <charconv>

namespace {

std::vector<std::string> numbers(int from, int to, int step) {
    std::vector<std::string> v;
    for (int n = from; n <= to; n += step) v.push_back(std::to_string(n));
    return v;
}

std::vector<std::string> size_items() {
    std::vector<std::string> v;
    for (int p = 0; p < kSizeListCount; ++p) v.push_back(obj_size_text(p));
    return v;
}

// Position of an offset list (position = value + offset), an extra entry when outside.
ListShow offset_show(std::vector<std::string> items, int value, int offset) {
    long long pos = static_cast<long long>(value) + offset;
    auto p = pos < 0 || pos >= static_cast<long long>(items.size()) ? std::nullopt : std::optional<int>(static_cast<int>(pos));
    return list_show(std::move(items), p, std::to_string(value));
}

}  // namespace

ListShow list_show(std::vector<std::string> items, std::optional<int> pos, const std::string& extra_text) {
    ListShow s;
    s.items = std::move(items);
    if (pos && *pos >= 0 && *pos < static_cast<int>(s.items.size())) {
        s.sel = *pos;
    } else {
        s.items.push_back(extra_text);
        s.sel = static_cast<int>(s.items.size()) - 1;
        s.extra = true;
    }
    return s;
}

ListShow obj_list_show(ObjList list, int v) {
    switch (list) {
    case ObjList::Action: return list_show(obj_action_names(), obj_action_pos_of(v), "Action " + std::to_string(v));
    case ObjList::Level: return offset_show(numbers(-250, 250, 1), v, 250);
    case ObjList::Size:
        return list_show(size_items(), v >= 0 && v <= 500 ? std::optional<int>(obj_size_pos(v)) : std::nullopt,
                         std::to_string(v));
    case ObjList::Shape: return list_show(obj_shape_names(), obj_shape_pos_of(v), "Shape " + std::to_string(v));
    case ObjList::Cluster: return list_show(obj_cluster_names(), obj_cluster_pos_of(v), "Cluster " + std::to_string(v));
    case ObjList::Colour: return offset_show(numbers(0, 31, 1), v, 0);
    }
    return {};
}

std::optional<int> obj_list_value(ObjList list, int pos) {
    switch (list) {
    case ObjList::Action: return obj_action_code_at(pos);
    case ObjList::Level: return pos >= 0 && pos <= 500 ? std::optional<int>(pos - 250) : std::nullopt;
    case ObjList::Size: return pos >= 0 && pos < kSizeListCount ? std::optional<int>(obj_size_at(pos)) : std::nullopt;
    case ObjList::Shape: return obj_shape_code_at(pos);
    case ObjList::Cluster: return obj_cluster_code_at(pos);
    case ObjList::Colour: return pos >= 0 && pos < 32 ? std::optional<int>(pos) : std::nullopt;
    }
    return std::nullopt;
}

int obj_list_chosen(ObjList list, const ListShow& shown, int pos, int stored) {
    if (shown.keeps_stored(pos)) return stored;
    return obj_list_value(list, pos).value_or(stored);
}

bool obj_flag_checked(uint32_t flags, const FlagRow& r) { return ((flags & r.bit) != 0) == r.checked_when_set; }

uint32_t obj_flag_with(uint32_t flags, const FlagRow& r, bool checked) {
    return checked == r.checked_when_set ? flags | r.bit : flags & ~r.bit;
}

std::optional<int32_t> obj_parse_whole(std::string_view t) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!t.empty() && blank(t.front())) t.remove_prefix(1);
    while (!t.empty() && blank(t.back())) t.remove_suffix(1);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    if (t.empty()) return std::nullopt;
    int32_t v = 0;
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), v);
    if (ec != std::errc() || end != t.data() + t.size()) return std::nullopt;
    return v;
}

ExtRule obj_ext_rule(int a0, const std::string& e0, int a1, const std::string& e1, bool file_exists) {
    if (a0 == 0 && a1 == 1) {
        if (e1.empty()) return ExtRule::EmptyName;
        return file_exists ? ExtRule::AppendFile : ExtRule::WriteFile;
    }
    if (a0 == 0 && a1 == 42) return ExtRule::ToRtf;
    if (a0 == 42 && a1 == 0) return ExtRule::FromRtf;
    if (e1.empty()) return ExtRule::KeepOld;
    if (e0.empty() || e0 == "\r\n" || e0 == "\n" || e0 == "\r\n\r\n" || e0 == "\n\n") return ExtRule::StoreNew;
    if (e1 == e0) return ExtRule::KeepOld;
    return ExtRule::Ask;
}

std::string obj_text_to_rtf(std::string_view text) {
    std::string out = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\f0\\fs20 ";
    static const char hex[] = "0123456789abcdef";
    for (size_t i = 0; i < text.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r') {
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += "\\par ";
        } else if (c == '\n') {
            out += "\\par ";
        } else if (c == '\t') {
            out += "\\tab ";
        } else if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c >= 0x80) {
            out += "\\'";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    out += "}";
    return out;
}

std::string obj_contents_changed_text(const std::string& e0) {
    std::string s = e0.substr(0, 20) + "... to be changed?";
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    return s;
}

// ---- Object Defaults.

ListShow objdef_depth_show(int v) {
    std::vector<std::string> items{"Variable"};
    for (auto& s : numbers(1, 100, 1)) items.push_back(s);
    return offset_show(std::move(items), v, 0);
}

ListShow objdef_width_show(int v) {
    std::vector<std::string> items{"Variable"};
    for (auto& s : numbers(25, 2000, 5)) items.push_back(s);
    std::optional<int> pos;
    if (v >= 0 && v <= 4) pos = 0;
    else if (v >= 5 && v <= 400) pos = v - 4;
    return list_show(std::move(items), pos, std::to_string(v));
}

int objdef_width_live(int pos) { return pos + 4; }
int objdef_width_ok(int pos) { return pos == 0 ? 0 : pos + 4; }

ListShow objdef_pick_show(const std::vector<std::string>& items, int v) { return offset_show(items, v, 0); }

const std::vector<std::string> objdef_richtext_colours_ = {"White", "Object", "Backgrd1", "Backgrd2", "Backgrd3"};
const std::vector<std::string> objdef_id_separators_ = {";", ".", ":", "/", "\\", "|"};

// ---- Cluster and Sequence Settings.

ListShow cluster_vert_show(int v) { return offset_show(numbers(0, 500, 5), v, 20); }
ListShow cluster_horz_show(int v) { return offset_show(numbers(100, 750, 10), v, 20); }
ListShow seq_min_dist_show(int v) { return offset_show(numbers(0, 1000, 50), v, 6); }

const std::vector<std::string> seq_directions_ = {"LT to RB", "RT to LB", "RB to LT", "LB to RT", "Left to Right",
                                                  "Right to Left", "Top to Bot", "Bot to Top", "None"};

ListShow seq_direction_show(int v) { return offset_show(seq_directions_, v, 0); }

std::optional<int> seq_key_of_line(std::string_view line) {
    if (line.size() <= 20) return std::nullopt;
    std::string_view t = line.substr(20);
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    auto v = obj_parse_whole(t);
    if (!v || *v <= 0 || *v > 0xFFFF) return std::nullopt;
    return *v;
}

std::string obj_rtf_plain(std::string_view r) {
    std::string out;
    int depth = 0, skip_below = -1;  // groups of fonts, colours and "\*" destinations are not text
    auto hexv = [](char c) { return c >= '0' && c <= '9' ? c - '0' : (c | 0x20) >= 'a' && (c | 0x20) <= 'f' ? (c | 0x20) - 'a' + 10 : -1; };
    for (size_t i = 0; i < r.size(); ++i) {
        char c = r[i];
        if (c == '{') {
            ++depth;
            if (skip_below < 0 && (r.substr(i, 9) == "{\\fonttbl" || r.substr(i, 10) == "{\\colortbl" ||
                                   r.substr(i, 11) == "{\\stylesheet" || r.substr(i, 3) == "{\\*"))
                skip_below = depth;
            continue;
        }
        if (c == '}') {
            if (depth == skip_below) skip_below = -1;
            --depth;
            continue;
        }
        const bool text = skip_below < 0;
        if (c == '\r' || c == '\n') continue;
        if (c != '\\') {
            if (text) out += c;
            continue;
        }
        if (i + 1 >= r.size()) break;
        char n = r[i + 1];
        if (n == '\\' || n == '{' || n == '}') {
            if (text) out += n;
            ++i;
        } else if (n == '\'' && i + 3 < r.size() && hexv(r[i + 2]) >= 0 && hexv(r[i + 3]) >= 0) {
            if (text) out += static_cast<char>(hexv(r[i + 2]) * 16 + hexv(r[i + 3]));
            i += 3;
        } else {
            size_t j = i + 1;
            while (j < r.size() && std::isalpha(static_cast<unsigned char>(r[j]))) ++j;
            std::string_view word = r.substr(i + 1, j - i - 1);
            while (j < r.size() && (r[j] == '-' || std::isdigit(static_cast<unsigned char>(r[j])))) ++j;
            if (j < r.size() && r[j] == ' ') ++j;
            if (text && (word == "par" || word == "line")) out += "\r\n";
            if (text && word == "tab") out += '\t';
            i = j - 1;
        }
    }
    return out;
}

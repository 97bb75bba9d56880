#include "services/help.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <set>

#include "base/util.h"

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

// Numbers separated by blanks or commas; false on anything else.
bool parse_numbers(std::string_view s, std::vector<int>& out) {
    size_t i = 0;
    while (i < s.size()) {
        if (s[i] == ' ' || s[i] == ',' || s[i] == '\t') {
            ++i;
            continue;
        }
        int v = 0;
        auto [p, ec] = std::from_chars(s.data() + i, s.data() + s.size(), v);
        if (ec != std::errc() || v < 0) return false;
        out.push_back(v);
        i = static_cast<size_t>(p - s.data());
    }
    return true;
}

std::string caption_key(std::string_view s) {
    std::string r;
    for (char c : s)
        if (c != '&') r += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    while (!r.empty() && (r.back() == '.' || r.back() == ' ')) r.pop_back();
    return r;
}

void finish(HelpTopic& t, std::string& para) {
    std::string_view p = trim(para);
    if (!p.empty()) {
        if (!t.body.empty()) t.body += "\r\n\r\n";
        t.body += p;
    }
    para.clear();
}

bool contains(const std::string& hay_lower, const std::string& word) { return hay_lower.find(word) != std::string::npos; }

}  // namespace

HelpBook help_parse(std::string_view text) {
    HelpBook book;
    std::set<int> seen, seen_popups;
    bool popup = false;
    HelpTopic* cur = nullptr;
    std::string para;
    bool skipping = false;  // inside a topic whose heading was refused
    int line_no = 0;
    auto error = [&](const std::string& what) { book.errors.push_back("line " + std::to_string(line_no) + ": " + what); };
    auto claim = [&](int n) {
        if (!(popup ? seen_popups : seen).insert(n).second) {
            error("context number " + std::to_string(n) + " used twice");
            return false;
        }
        return true;
    };
    while (!text.empty()) {
        size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ++line_no;
        if (!line.empty() && line.front() == '#') continue;
        if (!line.empty() && line.front() == '@') {
            size_t sp = line.find(' ');
            std::string_view word = line.substr(1, sp == std::string_view::npos ? line.npos : sp - 1);
            std::string_view rest = sp == std::string_view::npos ? std::string_view{} : trim(line.substr(sp + 1));
            if (word == "topic" || word == "popup") {
                popup = word == "popup";
                if (cur) finish(*cur, para);
                cur = nullptr;
                skipping = true;
                int n = -1;
                auto [p, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), n);
                std::string_view title = trim(rest.substr(static_cast<size_t>(p - rest.data())));
                if (ec != std::errc() || n < 0 || title.empty()) {
                    error("a topic needs a number and a title");
                    continue;
                }
                if (!claim(n)) continue;
                auto& list = popup ? book.popups : book.topics;
                list.push_back({});
                cur = &list.back();
                cur->id = n;
                cur->title = title;
                skipping = false;
                continue;
            }
            if (!cur) {
                if (!skipping) error("@" + std::string(word) + " before the first topic");
                continue;
            }
            std::vector<int> nums;
            if (word == "also" || word == "see") {
                if (!parse_numbers(rest, nums)) {
                    error("not a list of numbers");
                    continue;
                }
                for (int n : nums)
                    if (word == "see") cur->see.push_back(n);
                    else if (claim(n)) cur->also.push_back(n);
            } else if (word == "keys") {
                while (!rest.empty()) {
                    size_t semi = rest.find(';');
                    if (auto k = trim(rest.substr(0, semi)); !k.empty()) cur->keys.emplace_back(k);
                    rest = semi == std::string_view::npos ? std::string_view{} : rest.substr(semi + 1);
                }
            } else if (word == "window") {
                if (!rest.empty()) cur->windows.emplace_back(rest);
            } else if (word == "card") {
                int n = -1;
                auto [p, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), n);
                std::string_view label = trim(rest.substr(static_cast<size_t>(p - rest.data())));
                if (ec != std::errc() || n < 100 || n > 299 || label.empty()) error("a card needs a number from 100 to 299 and a label");
                else cur->cards.push_back({n, std::string(label)});
            } else {
                error("unknown line @" + std::string(word));
            }
            continue;
        }
        if (!cur) {
            if (!skipping && !trim(line).empty()) error("text before the first topic");
            continue;
        }
        if (trim(line).empty()) {
            finish(*cur, para);
        } else if (line.front() == ' ' || line.front() == '-') {
            // Indented and list lines keep their own line.
            if (!para.empty()) para += "\r\n";
            para += line;
        } else {
            if (!para.empty()) para += ' ';
            para += trim(line);
        }
    }
    if (cur) finish(*cur, para);
    // Links to topics that do not exist would open the contents; report them.
    for (auto& t : book.topics)
        for (int s : t.see)
            if (!help_find(book, s)) book.errors.push_back("topic " + std::to_string(t.id) + " links to missing " + std::to_string(s));
    return book;
}

const HelpTopic* help_find(const HelpBook& book, int n) {
    for (auto& t : book.topics)
        if (t.id == n || std::find(t.also.begin(), t.also.end(), n) != t.also.end()) return &t;
    return nullptr;
}

const HelpTopic* help_find_popup(const HelpBook& book, int n) {
    for (auto& t : book.popups)
        if (t.id == n || std::find(t.also.begin(), t.also.end(), n) != t.also.end()) return &t;
    return nullptr;
}

namespace {
const HelpTopic* by_keyword(const std::vector<HelpTopic>& list, std::string_view key) {
    std::string k = util_lower(trim(key));
    if (k.empty()) return nullptr;
    for (auto& t : list)
        for (auto& tk : t.keys)
            if (util_lower(tk) == k) return &t;
    return nullptr;
}
}  // namespace

const HelpTopic* help_popup_by_keyword(const HelpBook& book, std::string_view key) { return by_keyword(book.popups, key); }

const HelpTopic* help_resolve(const HelpBook& book, int n) {
    if (auto t = help_find(book, n)) return t;
    if (auto t = help_find(book, 0)) return t;
    return book.topics.empty() ? nullptr : &book.topics.front();
}

const HelpTopic* help_by_keyword(const HelpBook& book, std::string_view key) { return by_keyword(book.topics, key); }

const HelpTopic* help_by_window(const HelpBook& book, std::string_view caption) {
    std::string c = caption_key(caption);
    if (c.empty()) return nullptr;
    for (auto& t : book.topics)
        for (auto& w : t.windows)
            if (caption_key(w) == c) return &t;
    return nullptr;
}

std::vector<HelpIndexEntry> help_index(const HelpBook& book, std::string_view prefix) {
    std::string p = util_lower(trim(prefix));
    std::vector<HelpIndexEntry> out;
    auto add = [&](const std::string& k, int id) {
        if (util_lower(k).compare(0, p.size(), p) == 0) out.push_back({k, id});
    };
    for (auto& t : book.topics) {
        add(t.title, t.id);
        for (auto& k : t.keys)
            if (util_lower(k) != util_lower(t.title)) add(k, t.id);
    }
    std::stable_sort(out.begin(), out.end(), [](const HelpIndexEntry& a, const HelpIndexEntry& b) {
        return util_lower(a.key) < util_lower(b.key);
    });
    return out;
}

std::vector<int> help_search(const HelpBook& book, std::string_view query) {
    std::vector<std::string> words;
    std::string w;
    for (char c : std::string(query) + " ") {
        if (std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '\'') {
            w += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        } else if (!w.empty()) {
            words.push_back(w);
            w.clear();
        }
    }
    if (words.empty()) return {};
    std::vector<int> in_title, in_text;
    for (auto& t : book.topics) {
        std::string title = util_lower(t.title);
        std::string all = title + "\n" + util_lower(t.body);
        for (auto& k : t.keys) all += "\n" + util_lower(k);
        if (!std::all_of(words.begin(), words.end(), [&](const std::string& x) { return contains(all, x); })) continue;
        bool t_hit = std::any_of(words.begin(), words.end(), [&](const std::string& x) { return contains(title, x); });
        (t_hit ? in_title : in_text).push_back(t.id);
    }
    in_title.insert(in_title.end(), in_text.begin(), in_text.end());
    return in_title;
}

namespace {

struct Range {
    int first, last, topic;
    bool step;  // topic + (id - first)
};
constexpr Range kRanges[] = {
    {10635, 10650, 32, false},  {10601, 10616, 37, false},  {10578, 10582, 283, true}, {10583, 10587, 80, false},
    {10561, 10566, 108, false}, {10402, 10405, 122, false}, {10059, 10060, 321, false}, {10529, 10534, 217, false},
    {10330, 10333, 194, false}, {10177, 10181, 255, false}, {10182, 10185, 319, false},
};

struct Row {
    int control, topic;
};
constexpr Row kControls[] = {
    {1, 11},      {2, 12},      {10056, 320}, {10057, 322}, {10058, 325}, {10061, 356}, {10062, 357}, {10063, 358},
    {10033, 323}, {10035, 324}, {10039, 331}, {10041, 332}, {10042, 333}, {10043, 355}, {10045, 359},
};

}  // namespace

int help_topic_of_control(int id) {
    for (auto& r : kRanges)
        if (id >= r.first && id <= r.last) return r.step ? r.topic + (id - r.first) : r.topic;
    for (auto& r : kControls)
        if (r.control == id) return r.topic;
    return 0;
}

std::vector<int> help_control_topics() {
    std::set<int> s;
    for (auto& r : kRanges)
        for (int id = r.first; id <= r.last; ++id) s.insert(help_topic_of_control(id));
    for (auto& r : kControls) s.insert(r.topic);
    return {s.begin(), s.end()};
}

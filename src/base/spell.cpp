#include "base/spell.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <system_error>
#include <unordered_set>

#include "base/error.h"
#include "base/file.h"
#include "base/file_save.h"
#include "base/record.h"
#include "base/settings.h"
#include "base/util.h"

namespace fs = std::filesystem;

namespace {

struct ViewHash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const noexcept {
        uint64_t h = 1469598103934665603ull;
        for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
        return static_cast<size_t>(h ^ (h >> 29));
    }
};
using ViewSet = std::unordered_set<std::string_view, ViewHash, std::equal_to<>>;
using TextSet = std::unordered_set<std::string, ViewHash, std::equal_to<>>;

// The blank-separated words of `text` from `from` on (views into `text`).
void add_words(ViewSet& set, std::string_view text, size_t from) {
    size_t i = from;
    while (i < text.size()) {
        while (i < text.size() && text[i] == ' ') ++i;
        size_t j = i;
        while (j < text.size() && text[j] != ' ') ++j;
        if (j > i) set.insert(text.substr(i, j - i));
        i = j;
    }
}

// Lines of `text` without CR and surrounding blanks, lower-cased when asked.
void add_lines(TextSet& set, std::string_view text, bool lower) {
    size_t i = 0;
    while (i < text.size()) {
        size_t j = text.find('\n', i);
        if (j == std::string_view::npos) j = text.size();
        std::string_view line = text.substr(i, j - i);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        if (!line.empty()) set.insert(lower ? util_lower(line) : std::string(line));
        i = j + 1;
    }
}

int block_slot(std::string_view two) {
    if (two.size() != 2 || two[0] < 'a' || two[0] > 'z' || two[1] < 'a' || two[1] > 'z') return -1;
    return (two[0] - 'a') * 26 + (two[1] - 'a');
}

struct Block {
    bool indexed = false, read = false;
    uint32_t offset = 0, length = 0;
    std::string text;
    ViewSet words;
};

struct Ending {
    std::string suffix, repl;
};

struct Dict {
    bool cust_loaded = false, com_loaded = false;
    TextSet custdict, comwords;
    std::string langwords_text;
    ViewSet langwords;
    std::vector<Ending> endings;
    std::vector<std::string> prefixes;
    std::map<int, std::string> msgs;
    std::array<Block, 26 * 26> blocks;
    FILE* spell_file = nullptr;
    bool rebuilt = false;   // the index was built in this load; never rebuild it twice
    std::string scratch;

    void close_file() {
        if (spell_file) std::fclose(spell_file);
        spell_file = nullptr;
    }
};

Dict& dict() {
    static Dict d;
    return d;
}
TextSet& allowed() {
    static TextSet s;
    return s;
}
SpellLanguageHook language_hook = nullptr;

std::optional<std::string> read_quiet(const std::string& name) {
    FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) return std::nullopt;
    std::string s;
    char buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) s.append(buf, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    if (!ok) return std::nullopt;
    return s;
}

void set_index(Dict& d, const std::vector<SpellIndexEntry>& index) {
    for (Block& b : d.blocks) b = Block{};
    for (const auto& e : index) {
        int slot = block_slot(e.prefix);
        if (slot < 0) continue;
        d.blocks[slot].indexed = true;
        d.blocks[slot].offset = e.offset;
        d.blocks[slot].length = e.length;
    }
}

void build_index(Dict& d) {
    std::string txt = file_progdir_path("spell.txt");
    auto text = read_quiet(txt);
    auto index = spell_build_index(text ? *text : std::string());
    set_index(d, index);
    d.rebuilt = true;
    // An unreadable list must not leave an empty index on disk that later loads would trust.
    if (!text) return;
    std::string out;
    for (const auto& e : index)
        rec::write(out, rec::Record{"i_", {rec::Value(e.prefix), rec::Value(static_cast<int64_t>(e.offset)),
                                           rec::Value(static_cast<int64_t>(e.length))}});
    // A program directory that cannot be written keeps the index in memory for this load.
    std::string reason;
    file_write_replace(file_progdir_path("spell.kba"), out, &reason);
}

bool read_index(Dict& d) {
    auto text = read_quiet(file_progdir_path("spell.kba"));
    if (!text) return false;
    std::vector<rec::Record> recs;
    if (!rec::parse_all(*text, recs)) return false;
    std::vector<SpellIndexEntry> index;
    for (const auto& r : recs) {
        if (r.name != "i_" || r.args.size() != 3 || r.args[0].kind != rec::Kind::Str ||
            r.args[1].kind != rec::Kind::Int || r.args[2].kind != rec::Kind::Int || r.args[1].i < 0 ||
            r.args[2].i < 0 || r.args[1].i > UINT32_MAX || r.args[2].i > UINT32_MAX)
            return false;
        index.push_back({r.args[0].s, static_cast<uint32_t>(r.args[1].i), static_cast<uint32_t>(r.args[2].i)});
    }
    set_index(d, index);
    return true;
}

bool index_stale() {
    std::error_code e1, e2;
    auto tk = fs::last_write_time(fs::path(file_progdir_path("spell.kba")), e1);
    auto tt = fs::last_write_time(fs::path(file_progdir_path("spell.txt")), e2);
    return e1 || (!e2 && tk < tt);
}

bool read_raw(Dict& d, Block& b) {
    b.text.assign(b.length, '\0');
    return d.spell_file && std::fseek(d.spell_file, static_cast<long>(b.offset), SEEK_SET) == 0 &&
           std::fread(b.text.data(), 1, b.length, d.spell_file) == b.length;
}

// The block's words, read once per load; an index that does not fit the file is rebuilt once.
const ViewSet& block_words(Dict& d, int slot) {
    Block& b = d.blocks[slot];
    if (b.read) return b.words;
    auto fits = [&](const Block& x) {
        return x.text.size() >= 2 && x.text[0] == 'A' + slot / 26 && x.text[1] == 'A' + slot % 26;
    };
    if (b.indexed && (!read_raw(d, b) || !fits(b)) && !d.rebuilt && d.spell_file) {
        build_index(d);
        if (d.blocks[slot].indexed) read_raw(d, d.blocks[slot]);
    }
    Block& c = d.blocks[slot];
    c.read = true;
    if (!c.indexed || !fits(c)) c.text.clear();
    c.words.clear();
    add_words(c.words, c.text, 2);
    return c.words;
}

void load_custom(Dict& d) {
    std::string name = spell_custdict_name();
    file_create_if_missing(name, "");
    if (auto text = read_quiet(name)) add_lines(d.custdict, *text, true);
    d.cust_loaded = true;
}

void load_rules(Dict& d) {
    d.com_loaded = true;
    auto com = file_read_text(file_progdir_path("comwords.txt"));
    if (!com) return;
    add_lines(d.comwords, *com, false);

    if (index_stale() || !read_index(d)) build_index(d);
    std::string txt = file_progdir_path("spell.txt");
    d.spell_file = std::fopen(txt.c_str(), "rb");
    if (!d.spell_file) msg_error("Loading " + txt);

    auto root = file_read_text(file_progdir_path("root.kba"));
    if (!root) return;
    std::vector<rec::Record> recs;
    rec::ParseError err;
    if (!rec::parse_all(*root, recs, &err)) {
        msg_error("Loading " + file_progdir_path("root.kba") + " (line " + std::to_string(err.line) + ")");
        return;
    }
    auto str = [](const rec::Record& r, size_t n) {
        return n < r.args.size() && r.args[n].kind == rec::Kind::Str ? r.args[n].s : std::string();
    };
    std::vector<std::string> variant;
    std::string variant_key;
    int lang = language_hook ? language_hook() : 0;
    for (const auto& r : recs) {
        if (r.name == "b_" && r.args.size() == 1) {
            // An empty prefix would make the word its own remainder.
            if (!str(r, 0).empty()) d.prefixes.push_back(str(r, 0));
        } else if (r.name == "e_" && r.args.size() == 2) {
            d.endings.push_back({str(r, 0), str(r, 1)});
        } else if (r.name == "msg_" && r.args.size() == 2 && r.args[0].kind == rec::Kind::Int) {
            d.msgs[static_cast<int>(r.args[0].i)] = str(r, 1);
        } else if (r.name == "lang_para_" && r.args.size() == 7 && r.args[0].kind == rec::Kind::Int &&
                   r.args[0].i == lang && variant_key.empty()) {
            variant_key = str(r, 1);
            for (size_t k = 2; k < 7; ++k) variant.push_back(str(r, k));
        }
    }
    int slot = block_slot(variant_key);
    if (slot < 0 || !d.blocks[slot].indexed) return;
    block_words(d, slot);
    d.langwords_text = d.blocks[slot].text;
    add_words(d.langwords, d.langwords_text, 2);
    static const char* const kTen[] = {"ise", "ize", "ised", "ized", "ises", "izes", "ising", "izing", "isation", "ization"};
    std::erase_if(d.endings, [](const Ending& e) {
        for (const char* t : kTen)
            if (e.suffix == t) return true;
        return false;
    });
    std::vector<Ending> front;
    for (auto it = variant.rbegin(); it != variant.rend(); ++it) {
        if (it->empty()) continue;
        front.push_back({*it, ""});
        front.push_back({*it, "y"});
    }
    d.endings.insert(d.endings.begin(), front.begin(), front.end());
}

bool ends_with(std::string_view s, std::string_view suffix) {
    return s.size() >= suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Some ending rule turns `rest` into a word of `set`.
bool found_with_endings(Dict& d, const ViewSet& set, std::string_view rest) {
    if (set.empty()) return false;
    for (const Ending& e : d.endings) {
        if (!ends_with(rest, e.suffix)) continue;
        d.scratch.assign(rest.substr(0, rest.size() - e.suffix.size()));
        d.scratch += e.repl;
        if (!d.scratch.empty() && set.count(std::string_view(d.scratch))) return true;
    }
    return false;
}

// A word of the main or the variant list, by the ending rules.
bool listed(Dict& d, std::string_view w) {
    // Blanks separate the list's words: a word holding one is never in it.
    if (w.size() < 3 || w.find(' ') != std::string_view::npos) return false;
    int slot = block_slot(w.substr(0, 2));
    if (slot >= 0 && d.blocks[slot].indexed && found_with_endings(d, block_words(d, slot), w.substr(2))) return true;
    return found_with_endings(d, d.langwords, w);
}

// The usual slips inside the part after the prefix (a letter wrong, two swapped, a double letter
// written single or a single one doubled) turn a "derivation" into a listed word: it is a
// misspelling of that word (supercede, supersede), not a new word.
bool slip_of_listed(Dict& d, std::string_view w, size_t from) {
    std::string t;
    for (size_t i = from; i < w.size(); ++i) {
        t.assign(w);
        for (char c = 'a'; c <= 'z'; ++c) {
            if (c == w[i]) continue;
            t[i] = c;
            if (listed(d, t)) return true;
        }
        t.assign(w);
        if (i + 1 < w.size() && w[i] != w[i + 1]) {
            std::swap(t[i], t[i + 1]);
            if (listed(d, t)) return true;
            t.assign(w);
        }
        bool doubled = i + 1 < w.size() && w[i] == w[i + 1];
        if (doubled ? listed(d, t.erase(i, 1)) : listed(d, t.insert(i, 1, w[i]))) return true;
    }
    return false;
}

// A prefix before a listed word of three letters or more (or before another prefixed word), that
// is not a slip of a listed word. Function words take no prefix: "untill" and "reall" are no
// derivations of till and all.
bool derived(Dict& d, std::string_view w, int depth) {
    for (const std::string& p : d.prefixes) {
        if (w.size() < p.size() + 3 || w.compare(0, p.size(), p) != 0) continue;
        std::string_view rest = w.substr(p.size());
        if (d.comwords.count(rest)) continue;
        if (!listed(d, rest) && !(depth < 8 && derived(d, rest, depth + 1))) continue;
        if (depth == 0 && slip_of_listed(d, w, p.size())) continue;
        return true;
    }
    return false;
}

bool word_ok(Dict& d, std::string_view w) {
    for (char c : w)
        if (c >= '0' && c <= '9') return true;
    // Editors that keep apostrophes inside words (don't, Alice's) get each part tested, as the
    // dialog's tokeniser splits them.
    size_t q = w.find_first_of("'\x92");
    if (q != std::string_view::npos) return word_ok(d, w.substr(0, q)) && word_ok(d, w.substr(q + 1));
    if (w.size() < 3) return true;
    if (d.comwords.count(w) || listed(d, w)) return true;
    if (allowed().count(w) || d.custdict.count(w)) return true;
    return derived(d, w, 0);
}

}  // namespace

std::vector<SpellIndexEntry> spell_build_index(std::string_view text) {
    std::array<int64_t, 26 * 26> first;
    first.fill(-1);
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        char a = text[i], b = text[i + 1];
        if (a >= 'A' && a <= 'Z' && b >= 'A' && b <= 'Z') {
            int slot = (a - 'A') * 26 + (b - 'A');
            if (first[slot] < 0) first[slot] = static_cast<int64_t>(i);
        }
    }
    std::vector<std::pair<int64_t, int>> starts;
    for (int s = 0; s < 26 * 26; ++s)
        if (first[s] >= 0) starts.push_back({first[s], s});
    std::vector<SpellIndexEntry> out;
    std::vector<std::pair<int64_t, int>> by_pos = starts;
    std::sort(by_pos.begin(), by_pos.end());
    std::array<int64_t, 26 * 26> end;
    for (size_t k = 0; k < by_pos.size(); ++k) {
        int64_t e = k + 1 < by_pos.size() ? by_pos[k + 1].first : static_cast<int64_t>(text.size());
        while (e > by_pos[k].first && (text[e - 1] == '\n' || text[e - 1] == '\r')) --e;
        end[by_pos[k].second] = e;
    }
    for (auto [pos, s] : starts) {
        std::string p{static_cast<char>('a' + s / 26), static_cast<char>('a' + s % 26)};
        out.push_back({p, static_cast<uint32_t>(pos), static_cast<uint32_t>(end[s] - pos)});
    }
    return out;
}

void spell_set_language_hook(SpellLanguageHook hook) { language_hook = hook; }

std::string spell_custdict_name() {
    std::string name = file_setting_get_text("CustDictionary", "");
    if (name.empty()) return file_progdir_path("custdict.kba");
    return file_full_path(file_progdir_path(), name);
}

void spell_dict(int mode) {
    Dict& d = dict();
    switch (mode) {
    case 0:
        d.close_file();
        d = Dict{};
        break;
    case 1:
        if (!d.cust_loaded) load_custom(d);
        if (!d.com_loaded) load_rules(d);
        break;
    case 3: build_index(d); break;
    default: break;
    }
}

bool spell_word_ok(std::string_view word) {
    spell_dict(1);
    return word_ok(dict(), word);
}

void spell_learn(std::string_view word) {
    std::string name = spell_custdict_name();
    std::optional<std::string> old = read_quiet(name);
    // A dictionary that exists but cannot be read is never replaced by the new word alone.
    std::error_code ec;
    if (!old && fs::exists(fs::path(name), ec)) {
        msg_error(file_failed_text("Loading %s", name));
        return;
    }
    std::string text = old.value_or(std::string());
    std::string eol = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    if (!text.empty()) text += eol;
    text += word;
    text += eol;
    std::string reason;
    if (!file_write_replace(name, text, &reason)) msg_error("Saving " + name + (reason.empty() ? "" : ": " + reason));
    if (dict().cust_loaded) dict().custdict.insert(util_lower(word));
}

// Lower-cased: a word allowed at the start of a sentence is allowed everywhere.
void spell_allow(std::string_view word) { allowed().insert(util_lower(word)); }
void spell_allow_clear() { allowed().clear(); }

std::string spell_msg(int status) {
    spell_dict(1);
    auto it = dict().msgs.find(status);
    return it == dict().msgs.end() ? std::string() : it->second;
}

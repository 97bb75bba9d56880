#include "ideas/analyze_kinds.h"

#include <algorithm>
#include <vector>

#include "base/letters.h"
#include "base/util.h"

namespace {

// The pieces ending in ". ", the full stop kept. Text after the last ". " is a piece only when it
// ends in a full stop itself: a text's last sentence has no blank after it. `piece` returns
// false to stop.
template <class Piece> void each_sentence(std::string_view t, Piece piece) {
    size_t pos = 0;
    while (pos < t.size()) {
        size_t stop = t.find(". ", pos);
        if (stop == std::string_view::npos) {
            size_t end = t.find_last_not_of(" \r\n");
            if (end != std::string_view::npos && end >= pos && t[end] == '.') piece(t.substr(pos, end + 1 - pos), pos == 0);
            return;
        }
        if (!piece(t.substr(pos, stop + 1 - pos), pos == 0)) return;
        pos = stop + 1;
    }
}

// Tokens between two looks at the sink by the kinds that may write nothing for long.
constexpr int kTokensPerLook = 256;

void replace_all(std::string& s, std::string_view from, std::string_view to) {
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
}

}  // namespace

void analyze_sentences(std::string_view text, const AnalyzeSink& out) {
    each_sentence(text, [&](std::string_view p, bool) {
        size_t lead = p.find_first_not_of(' ');
        std::string line(lead == std::string_view::npos ? std::string_view() : p.substr(lead));
        return out(line + '\n');
    });
}

void analyze_clauses(std::string_view text, const AnalyzeSink& out) {
    each_sentence(text, [&](std::string_view p, bool first) {
        std::string s(first ? p : p.substr(1));
        s += '\n';
        replace_all(s, ", ", ",\n    ");
        replace_all(s, "- ", ",\n    - ");
        return out(s);
    });
}

void analyze_hypertext(std::string_view t, const AnalyzeSink& out) {
    for (;;) {
        size_t open = t.find('\x0b'), close = t.find('\x0f');
        if (open == std::string_view::npos || close == std::string_view::npos) return;
        // A close before the open is a stray marker: an empty piece, and the text moves on.
        std::string piece(open < close ? t.substr(open + 1, close - open) : std::string_view());
        for (char& c : piece) {
            if (c == '\x0e') c = '[';
            else if (c == '\x0f') c = ']';
        }
        replace_all(piece, "[]", "");
        if (!out(piece + "\n")) return;
        t = t.substr(close + 1);
    }
}

void analyze_numerics(std::string_view text, const AnalyzeSink& out) {
    std::string t(text);
    t += ' ';
    size_t pos = 0;
    while (pos + 1 < t.size()) {
        if (t[pos] < '0' || t[pos] > '9') {
            ++pos;
            continue;
        }
        std::string snip = t.substr(pos, 50);
        for (char& c : snip)
            if (c == '\n') c = ' ';
        if (!out(snip + "...\n")) return;
        pos = t.find(' ', pos) + 1;
    }
}

void analyze_plain(std::string_view text, const AnalyzeSink& out) {
    constexpr size_t kPiece = 1 << 14;
    for (size_t at = 0; at < text.size(); at += kPiece)
        if (!out(text.substr(at, kPiece))) return;
}

std::string analyze_first_sentence(std::string_view text) {
    size_t stop = text.find('.');
    if (stop != std::string_view::npos) return std::string(text.substr(0, stop + 1));
    return std::string(text.substr(0, 80));
}

namespace {

std::string lower(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

// A title before a name: its full stop ends no sentence, and it is no name itself.
bool is_title(std::string_view word) {
    for (std::string_view t : {"mr", "mrs", "ms", "dr", "prof"})
        if (util_lower(word) == t) return true;
    return false;
}

// Whether the token at `tok` (a view into `text`) is the first word of a sentence or a line:
// looking back past blanks, quotes and opening brackets, the text starts or a sentence ends. A
// quotation opening just before it starts one too ("He said, "It works."").
bool sentence_start(std::string_view text, std::string_view tok) {
    size_t i = static_cast<size_t>(tok.data() - text.data());
    if (i > 0 && (text[i - 1] == '"' || text[i - 1] == '\x93')) return true;
    while (i > 0 && std::string_view(" \t\r\"'([\x0b\x0e\x0f").find(text[i - 1]) != std::string_view::npos) --i;
    if (i == 0) return true;
    if (std::string_view(".!?:\n").find(text[i - 1]) == std::string_view::npos) return false;
    if (text[i - 1] != '.') return true;
    size_t w = i - 1;
    while (w > 0 && is_word_letter(static_cast<unsigned char>(text[w - 1]))) --w;
    return !is_title(text.substr(w, i - 1 - w));
}

bool word_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           static_cast<unsigned char>(c) >= 128;
}

}  // namespace

void analyze_proper_nouns(std::string_view text, const NameTest& is_name, const AnalyzeSink& out) {
    int n = 0;
    for (TokenSplit t = util_split_token(text); !t.token.empty(); t = util_split_token(t.rest)) {
        auto c = static_cast<unsigned char>(t.token[0]);
        if (to_lower_1252(c) != c && is_name(t.token, sentence_start(text, t.token))) {
            if (!out(std::string(t.token) + "\n")) return;
        } else if (++n % kTokensPerLook == 0 && !out({})) {
            return;
        }
    }
}

ProperNames analyze_parse_names(std::string_view text, std::string_view common_words) {
    ProperNames names;
    for (const auto& line : util_split_fields(text, '\n')) {
        std::string w = line;
        if (!w.empty() && w.back() == '\r') w.pop_back();
        if (w.empty()) continue;
        if (w.back() == '*') names.inside_sentence.insert(w.substr(0, w.size() - 1));
        else names.always.insert(w);
    }
    for (const auto& line : util_split_fields(common_words, '\n')) {
        std::string w = util_lower(line);
        if (!w.empty() && w.back() == '\r') w.pop_back();
        if (!w.empty()) names.common.insert(w);
    }
    return names;
}

bool analyze_is_name(const ProperNames& names, std::string_view token, bool sentence_start,
                     const std::function<bool(std::string_view lower)>& known) {
    std::string low = util_lower(token);
    if (names.common.count(low) || is_title(low)) return false;
    if (names.always.count(low)) return true;
    bool capitals = token.size() > 1 && std::none_of(token.begin(), token.end(), [](char c) {
        return is_lower_letter(static_cast<unsigned char>(c));
    });
    if (!sentence_start && !capitals && names.inside_sentence.count(low)) return true;
    return !known(low);
}

void analyze_abstract(std::string_view text, std::string_view common, const AnalyzeSink& out) {
    for (TokenSplit t = util_split_token(text); !t.token.empty(); t = util_split_token(t.rest)) {
        std::string_view tok = t.token;
        bool more = true;
        if (tok == "," || tok == "." || tok == ";") more = out(tok);
        else if (tok == "-" || tok == "=") continue;
        else if (common.find(lower(tok)) != std::string_view::npos) more = out(".");
        else more = out(" " + std::string(tok));
        if (!more) return;
    }
}

std::string analyze_checklist_lines(std::string_view file_text) {
    std::string out;
    out.reserve(file_text.size() + 1);
    for (size_t i = 0; i < file_text.size(); ++i) {
        char c = file_text[i];
        if (c == '\r') {
            if (i + 1 < file_text.size() && file_text[i + 1] == '\n') continue;
            c = '\n';
        }
        out += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return out + '\n';
}

void analyze_checklist_words(std::string_view cl, std::string_view text, const AnalyzeSink& out) {
    // A token is a checklist word when a line of the checklist ends with it: every line reversed
    // and sorted, the reversed token begins one of them. One look per token, however long the list.
    std::vector<std::string> ends;
    for (size_t at = 0, lf; (lf = cl.find('\n', at)) != std::string_view::npos; at = lf + 1)
        ends.emplace_back(cl.rbegin() + static_cast<std::ptrdiff_t>(cl.size() - lf),
                          cl.rbegin() + static_cast<std::ptrdiff_t>(cl.size() - at));
    std::sort(ends.begin(), ends.end());
    auto listed = [&](const std::string& low) {
        std::string rev(low.rbegin(), low.rend());
        auto it = std::lower_bound(ends.begin(), ends.end(), rev);
        return it != ends.end() && it->compare(0, rev.size(), rev) == 0;
    };
    std::string_view rest = text;
    for (TokenSplit t = util_split_token(rest); !t.token.empty(); t = util_split_token(rest)) {
        size_t at = static_cast<size_t>(t.token.data() - rest.data());
        std::string piece(rest.substr(0, at));
        std::string l = lower(t.token);
        if (listed(l)) {
            for (char& c : l)
                if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            piece += l;
        } else {
            piece += t.token;
        }
        if (!out(piece)) return;
        rest = t.rest;
    }
    out(rest);
}

void analyze_checklist_freq(std::string_view cl, std::string_view text, const AnalyzeSink& out) {
    std::string t = lower(text);
    struct Item {
        std::string text;
        long long count = 0;
    };
    std::vector<Item> items;
    for (const auto& line : util_split_fields(cl, '\n'))
        if (!line.empty()) items.push_back({line, 0});
    std::reverse(items.begin(), items.end());  // checklist order
    for (auto& it : items) {
        // Counted where it begins a word: at the start, after a blank, a line feed or a bracket.
        for (size_t at = t.find(it.text); at != std::string::npos; at = t.find(it.text, at + 1))
            if (at == 0 || !word_char(t[at - 1])) ++it.count;
        if (!out({})) return;
    }
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.count > b.count; });
    for (const auto& it : items)
        if (!out(it.text + "  " + std::to_string(it.count) + "\n")) return;
}

#include "ideas/analyze_kinds.h"

#include <vector>

namespace {

// The pieces ending in ". ", the full stop kept. Text after the last ". " is a piece only when it
// ends in a full stop itself: a text's last sentence has no blank after it.
template <class Piece> void each_sentence(std::string_view t, Piece piece) {
    size_t pos = 0;
    while (pos < t.size()) {
        size_t stop = t.find(". ", pos);
        if (stop == std::string_view::npos) {
            size_t end = t.find_last_not_of(" \r\n");
            if (end != std::string_view::npos && end >= pos && t[end] == '.') piece(t.substr(pos, end + 1 - pos), pos == 0);
            return;
        }
        piece(t.substr(pos, stop + 1 - pos), pos == 0);
        pos = stop + 1;
    }
}

void replace_all(std::string& s, std::string_view from, std::string_view to) {
    for (size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
}

}  // namespace

std::string analyze_sentences(std::string_view text) {
    std::string out;
    each_sentence(text, [&](std::string_view p, bool) {
        size_t lead = p.find_first_not_of(' ');
        if (lead != std::string_view::npos) out.append(p.substr(lead));
        out += '\n';
    });
    return out;
}

std::string analyze_clauses(std::string_view text) {
    std::string out;
    each_sentence(text, [&](std::string_view p, bool first) {
        std::string s(first ? p : p.substr(1));
        s += '\n';
        replace_all(s, ", ", ",\n    ");
        replace_all(s, "- ", ",\n    - ");
        out += s;
    });
    return out;
}

std::string analyze_hypertext(std::string_view t) {
    std::string out;
    for (;;) {
        size_t open = t.find('\x0b'), close = t.find('\x0f');
        if (open == std::string_view::npos || close == std::string_view::npos) return out;
        // A close before the open is a stray marker: an empty piece, and the text moves on.
        std::string piece(open < close ? t.substr(open + 1, close - open) : std::string_view());
        for (char& c : piece) {
            if (c == '\x0e') c = '[';
            else if (c == '\x0f') c = ']';
        }
        replace_all(piece, "[]", "");
        out += piece + "\n";
        t = t.substr(close + 1);
    }
}

std::string analyze_numerics(std::string_view text) {
    std::string t(text);
    t += ' ';
    std::string out;
    size_t pos = 0;
    while (pos + 1 < t.size()) {
        if (t[pos] < '0' || t[pos] > '9') {
            ++pos;
            continue;
        }
        std::string snip = t.substr(pos, 50);
        for (char& c : snip)
            if (c == '\n') c = ' ';
        out += snip + "...\n";
        pos = t.find(' ', pos) + 1;
    }
    return out;
}

std::string analyze_first_sentence(std::string_view text) {
    size_t stop = text.find('.');
    if (stop != std::string_view::npos) return std::string(text.substr(0, stop + 1));
    return std::string(text.substr(0, 80));
}

#include <algorithm>

#include "base/util.h"

namespace {

std::string lower(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

bool word_char(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           static_cast<unsigned char>(c) >= 128;
}

}  // namespace

std::string analyze_proper_nouns(std::string_view text, const std::function<bool(std::string_view)>& known) {
    std::string out;
    for (TokenSplit t = util_split_token(text); !t.token.empty(); t = util_split_token(t.rest)) {
        char c = t.token[0];
        if (c >= 'A' && c <= 'Z' && !known(lower(t.token))) out += std::string(t.token) + "\n";
    }
    return out;
}

std::string analyze_abstract(std::string_view text, std::string_view common) {
    std::string out;
    for (TokenSplit t = util_split_token(text); !t.token.empty(); t = util_split_token(t.rest)) {
        std::string_view tok = t.token;
        if (tok == "," || tok == "." || tok == ";") out += tok;
        else if (tok == "-" || tok == "=") continue;
        else if (common.find(lower(tok)) != std::string_view::npos) out += '.';
        else out += " " + std::string(tok);
    }
    return out;
}

std::string analyze_checklist_words(std::string_view cl, std::string_view text) {
    std::string out;
    std::string_view rest = text;
    for (TokenSplit t = util_split_token(rest); !t.token.empty(); t = util_split_token(rest)) {
        size_t at = static_cast<size_t>(t.token.data() - rest.data());
        out.append(rest.substr(0, at));
        std::string l = lower(t.token);
        if (cl.find(l + "\n") != std::string_view::npos) {
            for (char& c : l)
                if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
            out += l;
        } else {
            out += t.token;
        }
        rest = t.rest;
    }
    out.append(rest);
    return out;
}

std::string analyze_checklist_freq(std::string_view cl, std::string_view text) {
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
    }
    std::stable_sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.count > b.count; });
    std::string out;
    for (const auto& it : items) out += it.text + "  " + std::to_string(it.count) + "\n";
    return out;
}

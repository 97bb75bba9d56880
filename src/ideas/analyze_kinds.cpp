#include "ideas/analyze_kinds.h"

#include <vector>

namespace {

// The pieces ending in ". ", the full stop kept; text after the last ". " is no piece.
template <class Piece> void each_sentence(std::string_view t, Piece piece) {
    size_t pos = 0;
    while (pos < t.size()) {
        size_t stop = t.find(". ", pos);
        if (stop == std::string_view::npos) return;
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

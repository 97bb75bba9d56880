#include "text/spellstep.h"

#include "base/letters.h"
#include "base/util.h"

namespace {

constexpr std::string_view kDelimiters = ",.!@#$%^&*()_+|{}:<>?-=[];'/";
constexpr char kFieldHidden = 14, kFieldEnd = 15;

bool word_char(unsigned char c) { return is_word_letter(c) || (c >= '0' && c <= '9') || c == '_'; }

}  // namespace

bool spell_token_skipped(std::string_view token) {
    if (token.empty()) return false;
    if (util_str_to_int(token)) return true;
    if (token.size() == 1 && kDelimiters.find(token[0]) != std::string_view::npos) return true;
    for (unsigned char c : token)
        if (is_lower_letter(c)) return false;
    return true;
}

size_t spell_step_start(std::string_view text, size_t caret) {
    // A caret at the end has nothing after it.
    if (caret > text.size()) return text.size() + 1;
    size_t c = caret < 1 ? 1 : caret;
    if (!word_char(static_cast<unsigned char>(text[c - 1]))) return c;
    while (c > 1 && word_char(static_cast<unsigned char>(text[c - 2]))) --c;
    return c;
}

SpellFound spell_find_next(std::string_view text, size_t from, std::string& prev_word,
                           bool (*ok)(std::string_view)) {
    SpellFound f;
    size_t start = from < 1 ? 0 : from - 1;
    if (start >= text.size()) {
        f.pos = text.size() + 1;
        return f;
    }
    std::string_view rest = text.substr(start);
    for (;;) {
        TokenSplit t = util_split_token(rest);
        rest = t.rest;
        if (t.token.empty()) {
            f = SpellFound{text.size() + 1, {}, kSpellEnd};
            return f;
        }
        if (t.token[0] == kFieldHidden) {
            size_t end = rest.find(kFieldEnd);
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
            continue;
        }
        if (spell_token_skipped(t.token)) continue;
        f.pos = text.size() - rest.size() - t.token.size() + 1;
        f.word = std::string(t.token);
        bool repeated = f.word == prev_word;
        prev_word = f.word;
        if (repeated) {
            f.status = kSpellRepeated;
            return f;
        }
        if (!ok(util_lower(f.word))) {
            f.status = kSpellRejected;
            return f;
        }
    }
}

bool spell_replace_at(std::string& text, size_t pos, std::string_view word, std::string_view repl) {
    if (pos < 1 || pos - 1 > text.size() || text.compare(pos - 1, word.size(), word) != 0) return false;
    text.replace(pos - 1, word.size(), repl);
    return true;
}

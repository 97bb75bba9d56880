// The Spell Check dialog's word stepper (portable): where the next word to report stands.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Status of a reported word.
enum SpellStatus { kSpellRepeated = 1, kSpellEnd = 2, kSpellRejected = 3 };

struct SpellFound {
    size_t pos = 0;      // 1-based position of the word in the text
    std::string word;    // as it stands in the text; empty at the end
    int status = kSpellEnd;
};

// Tokens never reported: integers, single delimiter characters, words without a lower-case
// letter (ABCD).
bool spell_token_skipped(std::string_view token);

// 1-based start of the word under the 1-based caret position, or the caret itself when it
// stands on a blank or a delimiter character; past the end, the end.
size_t spell_step_start(std::string_view text, size_t caret);

// The next word from 1-based position `from` that repeats the word before it (case kept) or
// that `ok` rejects in lower case; `prev_word` carries the previous word across steps. The
// hidden text of a hypertext field (between bytes 14 and 15) is never checked.
SpellFound spell_find_next(std::string_view text, size_t from, std::string& prev_word,
                           bool (*ok)(std::string_view));

// The text with `word` at 1-based `pos` replaced by `repl`, or false when the text no longer
// holds that word there (it was edited since the word was shown).
bool spell_replace_at(std::string& text, size_t pos, std::string_view word, std::string_view repl);

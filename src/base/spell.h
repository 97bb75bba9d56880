// SPELL: the word test and its dictionaries (portable). It sits on the ground floor because
// the text windows, the Spell Check dialog, the word index and the Analyzer all test words.
//
// Files of the program directory: "spell.txt" (main word list, one line per two-letter prefix
// block), "spell.kba" (its prefix index, rebuilt when missing, older than the list or not
// matching it), "root.kba" (ending and prefix rules, spelling variants, dialog texts),
// "comwords.txt" (common words); and the custom dictionary named by the setting
// "CustDictionary" (default program directory + "custdict.kba").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// 0 clears the loaded dictionaries (not the allowed words), 1 loads what is not loaded yet,
// 3 rebuilds spell.kba from spell.txt.
void spell_dict(int mode);
// The word as it should be compared (callers lower-case it). Loads on first use.
bool spell_word_ok(std::string_view word);
// Appends the word to the custom dictionary (written through a temporary file) and accepts it
// from now on.
void spell_learn(std::string_view word);

// Words the user allowed in the Spell Check dialog; kept apart from the dictionaries so that a
// text window closing (which clears them) does not forget them.
void spell_allow(std::string_view word);
void spell_allow_clear();

// The spelling variant: 0 US, 1 UK English. The document keeps it; the text floor installs a
// reader at start-up. Unset: 0.
using SpellLanguageHook = int (*)();
void spell_set_language_hook(SpellLanguageHook hook);

// The status text of root.kba for a dialog status (1 repeated, 2 end of text, 3 not found).
std::string spell_msg(int status);
// Full name of the custom dictionary.
std::string spell_custdict_name();

// One block of spell.txt: its two letters in lower case, byte offset and length without the
// line end.
struct SpellIndexEntry {
    std::string prefix;
    uint32_t offset = 0, length = 0;
    bool operator==(const SpellIndexEntry&) const = default;
};
// Every block of the text, each starting where its upper-case pair first occurs; in prefix
// order.
std::vector<SpellIndexEntry> spell_build_index(std::string_view text);

// INDEX: a text turned into a sorted word list for the Analyzer (portable).
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Mode 1: words by frequency, each item the five digits of 30000 - count then the word;
// mode 2: by length, 30000 - length then the word; mode 3: the words the spell checker rejects.
// Words are lower-cased, of two characters or more, and none that occurs in comwords.txt.
// Fails for another mode, or when comwords.txt cannot be read (the file layer reports it).
bool word_index(int mode, std::string_view text, std::vector<std::string>& result);

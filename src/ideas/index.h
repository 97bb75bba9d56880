// INDEX: a text turned into a sorted word list for the Analyzer (portable).
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Mode 1: words by frequency, each item a key of kWordIndexDigits digits (which sort as text from
// the largest count down) then the word; mode 2: by length, the same way; mode 3: the words the
// spell checker rejects.
// Words are lower-cased, of two characters or more, and none that occurs in comwords.txt.
// Fails for another mode, or when comwords.txt cannot be read (the file layer reports it).
bool word_index(int mode, std::string_view text, std::vector<std::string>& result);
constexpr size_t kWordIndexDigits = 10;
// The count (or length) and the word of an item of mode 1 or 2.
long long word_index_number(std::string_view item);
std::string_view word_index_word(std::string_view item);

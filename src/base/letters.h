// Letters of Windows-1252, the code page of every text the program keeps. One table for every
// place that splits text into words: the tokeniser (spell check stepper, word index, Analyzer,
// calculator names), the editor's word moves and check while typing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// A letter: a-z, A-Z, the accented letters (é, ü, ß, ÿ ...), Š, Œ, Ž, š, œ, ž, Ÿ, ƒ. Quotes,
// dashes, the ellipsis, symbols, × and ÷ are not.
bool is_word_letter(unsigned char c);
// A lower-case letter (a-z, ß, à-ÿ except ÷, š, œ, ž, ƒ).
bool is_lower_letter(unsigned char c);
// The lower-case letter of a capital (É -> é, Š -> š, Ÿ -> ÿ); any other byte unchanged.
unsigned char to_lower_1252(unsigned char c);
// The capital of a lower-case letter (é -> É, š -> Š, ÿ -> Ÿ); ß and any other byte unchanged.
unsigned char to_upper_1252(unsigned char c);

// UTF-8 text (as other editors write it) in Windows-1252. A character the code page lacks, and
// a byte that is no part of a well-formed character, become '?'; `unmapped` counts them.
std::string utf8_to_1252(std::string_view in, size_t* unmapped = nullptr);

// Letters of Windows-1252, the code page of every text the program keeps. One table for every
// place that splits text into words: the tokeniser (spell check stepper, word index, Analyzer,
// calculator names), the editor's word moves and check while typing.
#pragma once

#include <cstddef>
#include <optional>
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

// The Windows-1252 byte of a Unicode character; -1 for one the code page lacks.
int letters_1252_of(unsigned long code_point);
// A UTF-8 text (a byte-order mark before it dropped) in Windows-1252, "?" for characters the
// code page lacks (counted in `unmapped`); nullopt when `text` is not UTF-8.
std::optional<std::string> letters_from_utf8(std::string_view text, size_t* unmapped = nullptr);
// A UTF-16 text after its byte-order mark (FF FE or FE FF, which tells the byte order) in
// Windows-1252, "?" for characters the code page lacks (counted in `unmapped`); nullopt when
// `text` has no such mark or is not UTF-16.
std::optional<std::string> letters_from_utf16(std::string_view text, size_t* unmapped = nullptr);

// The Analyzer's text kinds that cut the text into pieces (portable): sentences, clauses,
// hypertext fields and numbers. Each gives the output text, LF-separated.
#pragma once

#include <string>
#include <string_view>

std::string analyze_sentences(std::string_view text);
std::string analyze_clauses(std::string_view text);
std::string analyze_hypertext(std::string_view text);
std::string analyze_numerics(std::string_view text);
// Up to and including the first full stop; else the first 80 characters.
std::string analyze_first_sentence(std::string_view text);

#include <functional>

// Capitalised tokens whose lower-case form `known` rejects, one a line, each time they occur.
std::string analyze_proper_nouns(std::string_view text, const std::function<bool(std::string_view)>& known);
// The text with every token found in `common` (lower-cased, anywhere in it) as a full stop.
std::string analyze_abstract(std::string_view text, std::string_view common);
// The text with every token that ends a line of the lower-case checklist `cl` in capitals.
std::string analyze_checklist_words(std::string_view cl, std::string_view text);
// Each checklist item with how often it begins a word of the text, most frequent first.
std::string analyze_checklist_freq(std::string_view cl, std::string_view text);

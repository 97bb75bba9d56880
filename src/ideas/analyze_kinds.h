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

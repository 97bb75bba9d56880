// The Analyzer's text kinds (portable): sentences, clauses, hypertext fields, numbers, proper
// nouns, the abstract and the checklist kinds. Each hands its output to a sink piece by piece
// (LF-separated lines), so a long run shows as it goes and ends when the sink says stop.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>

#include "ideas/analyze.h"

void analyze_sentences(std::string_view text, const AnalyzeSink& out);
void analyze_clauses(std::string_view text, const AnalyzeSink& out);
void analyze_hypertext(std::string_view text, const AnalyzeSink& out);
void analyze_numerics(std::string_view text, const AnalyzeSink& out);
// Capitalised tokens that `is_name` takes for a name, one a line, each time they occur. It is
// told whether the token begins a sentence (or a line), where any word is capitalised.
using NameTest = std::function<bool(std::string_view token, bool sentence_start)>;
void analyze_proper_nouns(std::string_view text, const NameTest& is_name, const AnalyzeSink& out);

// The names file: a lower-cased word a line, "*" after one that is an ordinary word as well; and
// the common words (comwords.txt, a word a line), which are never names.
struct ProperNames {
    std::unordered_set<std::string> always;         // a name wherever it stands
    std::unordered_set<std::string> inside_sentence;  // a name only when not beginning a sentence
    std::unordered_set<std::string> common;
};
ProperNames analyze_parse_names(std::string_view text, std::string_view common_words = {});
// A capitalised token is a name when the names say so, or when `known` rejects its lower case.
// Common words and titles (Mr, Dr ...) never are; a word in capitals throughout is one only
// when it is a name wherever it stands (a heading or a licence's capitals say nothing).
bool analyze_is_name(const ProperNames& names, std::string_view token, bool sentence_start,
                     const std::function<bool(std::string_view lower)>& known);
// The text with every token found in `common` (lower-cased, anywhere in it) as a full stop.
void analyze_abstract(std::string_view text, std::string_view common, const AnalyzeSink& out);
// A checklist file's text as the checklist kinds read it: A to Z lower-cased, line ends as line
// feeds (a file saved with CR LF reads as one saved with LF), a line feed after the last line.
std::string analyze_checklist_lines(std::string_view file_text);
// The text with every token that ends a line of the lower-case checklist `cl` in capitals.
void analyze_checklist_words(std::string_view cl, std::string_view text, const AnalyzeSink& out);
// Each checklist item with how often it begins a word of the text, most frequent first.
void analyze_checklist_freq(std::string_view cl, std::string_view text, const AnalyzeSink& out);
// The text itself, in pieces.
void analyze_plain(std::string_view text, const AnalyzeSink& out);

// Up to and including the first full stop; else the first 80 characters.
std::string analyze_first_sentence(std::string_view text);

// Questions (portable): question templates by category, filled with an idea and filtered.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "ideas/clist.h"

struct QuestTemplate {
    unsigned bits = 0;  // Event 1, Thing 2, Person 4, Place 8, Descr 16, Misc 32
    std::string tag;    // the flags after the sixth character
    std::string text;
};

// Reads q_(Flags, Template) records; records with malformed flags are left out. False on a
// broken file.
bool quest_parse(std::string_view text, std::vector<QuestTemplate>& out, std::string* err = nullptr);

// "", "a " / "an ", "the " for article 0, 1, 2 before an idea starting with `first`.
std::string quest_article(int article, char first);
// The idea in capitals behind its article; "[    ]" for an empty idea.
std::string quest_idea_text(const std::string& idea, int article);

struct Question {
    std::string text;
    std::string tag;
};
// Every template sharing a bit with `mask` (all when 0), with the idea put in place of "%s".
std::vector<Question> quest_questions(const std::vector<QuestTemplate>& qs, const std::string& idea, unsigned mask);
// The filter word: the filter up to its first blank, a single blank for an empty filter.
std::string quest_filter_word(const std::string& filter);
// The questions whose text followed by their tag holds the filter word.
std::vector<std::string> quest_list(const std::vector<QuestTemplate>& qs, const std::string& idea_text, unsigned mask,
                                    const std::string& filter);
// One random question about `idea` ("[    ]" when empty); "" only when no template fits.
std::string quest_random(const std::vector<QuestTemplate>& qs, const std::string& idea, unsigned mask,
                         const RandomInt& rnd);

extern const char* const kQuestFilters[10];

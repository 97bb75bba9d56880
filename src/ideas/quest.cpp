#include "ideas/quest.h"

#include <cctype>

#include "base/record.h"
#include "base/util.h"

const char* const kQuestFilters[10] = {"", "Where", "What", "When", "How", "Why", "Who", "(P) Plus", "(M) Minus", "(I) Interesting"};

bool quest_parse(std::string_view text, std::vector<QuestTemplate>& out, std::string* err) {
    out.clear();
    std::vector<rec::Record> recs;
    rec::ParseError pe;
    if (!rec::parse_all(text, recs, &pe)) {
        if (err) *err = "line " + std::to_string(pe.line) + ": " + pe.message;
        return false;
    }
    for (const auto& r : recs) {
        if (r.name != "q_" || r.args.size() != 2 || r.args[0].kind != rec::Kind::Str || r.args[1].kind != rec::Kind::Str)
            continue;
        const std::string& flags = r.args[0].s;
        if (flags.size() < 6) continue;
        unsigned bits = 0;
        bool ok = true;
        for (int i = 0; i < 6; ++i) {
            if (flags[i] == '1') bits |= 1u << i;
            else if (flags[i] != '0') ok = false;
        }
        if (ok) out.push_back({bits, flags.substr(6), r.args[1].s});
    }
    return true;
}

std::string quest_article(int article, char first) {
    if (article == 2) return "the ";
    if (article != 1) return "";
    return std::string("aeiouAEIOU").find(first) != std::string::npos && first ? "an " : "a ";
}

std::string quest_idea_text(const std::string& idea, int article) {
    if (idea.empty()) return quest_article(article, 0) + "[    ]";
    std::string up = idea;
    for (char& c : up) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return quest_article(article, idea[0]) + up;
}

std::vector<Question> quest_questions(const std::vector<QuestTemplate>& qs, const std::string& idea, unsigned mask) {
    std::vector<Question> out;
    for (const auto& q : qs) {
        if (mask != 0 && (mask & q.bits) == 0) continue;
        // Literal replacement: a "%" in a template or an idea is only text.
        out.push_back({util_replace_all(q.text, "%s", idea), q.tag});
    }
    return out;
}

std::string quest_filter_word(const std::string& filter) {
    if (filter.empty()) return " ";
    return filter.substr(0, filter.find(' '));
}

std::vector<std::string> quest_list(const std::vector<QuestTemplate>& qs, const std::string& idea_text, unsigned mask,
                                    const std::string& filter) {
    std::string w = quest_filter_word(filter);
    std::vector<std::string> out;
    for (auto& q : quest_questions(qs, idea_text, mask))
        if ((q.text + q.tag).find(w) != std::string::npos) out.push_back(std::move(q.text));
    return out;
}

std::string quest_random(const std::vector<QuestTemplate>& qs, const std::string& idea, unsigned mask,
                         const RandomInt& rnd) {
    auto all = quest_questions(qs, idea.empty() ? "[    ]" : idea, mask);
    if (all.empty()) return "";
    int r = rnd(static_cast<int>(all.size()));
    if (r < 0 || r >= static_cast<int>(all.size())) return "";
    return all[static_cast<size_t>(r)].text;
}

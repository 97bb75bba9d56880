#include "ideas/hint.h"

#include <algorithm>

#include "base/util.h"

namespace {

const char* const kGoals = "Just browsing\nAnalyze\nSell\nDesign\nExplain\nInform\nDecide";
const char* const kTypes = "Unknown\nEssay\nFlowchart\nManual\nPlan\nReport\nReview\nSummary\nThesis\nModel";
const char* const kAudience = "Unknown\nBeginners\nMixed\nProfessionals";

}  // namespace

const std::vector<HintRule>& hint_rule_table() {
    static const std::vector<HintRule> t = {
        {7001, 101, {331, 0}, 5, 3, 50, 331, "What's your Goal?", kGoals},
        {7002, 203, {6020, 1, 331, 0}, 1, 3, 10, 1, "Do not work on system file", "Create your files in another directory"},
        {7003, 101, {6006, 0}, 6, 3, 15, 0, "Proverb: ", "proverb.l"},
        {7004, 101, {6001, 1}, 1, 1, 20, 6, "See Proverbs?", "proverb.l"},
        {7005, 101, {6006, 0}, 6, 1, 30, 0, "Quote: ", "quote.l"},
        {7006, 101, {6001, 1}, 1, 1, 30, 6, "See Quotations?", "quote.l"},
        {7100, 201, {6001, 0, 330, 0}, 5, 3, 50, 330, "What type of Project?", kTypes},
        {7102, 201, {6001, 0, 332, 0}, 5, 3, 50, 332, "Who are your Audience?", kAudience},
        {7103, 201, {6001, 0, 333, 0}, 4, 3, 20, 333, "No. of Objects expected?", "Enter the expected number of Objects."},
        {7104, 204, {6001, 0, 341, 20}, 4, 3, 50, 333, "No. of Objects expected?", "Revise the expected number of Objects."},
        {7114, 201, {6001, 0, 342, 0}, 1, 2, 50, 0, "Add some links.", ""},
        {7115, 201, {6001, 0, 6002, 0}, 1, 2, 50, 1, "Try using Icons.", "Icons is a better means of communication."},
        {7200, 205, {330, 0, 341, 4}, 1, 2, 50, 1, "Do not worry about sequence", "At this stage, you need not consider sequence."},
        {7201, 203, {6006, 0, 330, 6, 7}, 1, 2, 100, 1, "Work on the easier tasks first.", "One idea may lead to another."},
        {7251, 205, {6004, 0, 341, 10}, 1, 2, 50, 6, "Try adding a Goal Object.", "goal.l"},
        {7253, 205, {6006, 0, 6004, 10}, 1, 2, 100, 6, "Expand your goal statement.", "goal.l"},
        {7254, 204, {6006, 1, 6004, 20}, 1, 1, 100, 6, "Review your goal statement.", "goal.l"},
        {7255, 204, {6006, 2, 6004, 20}, 1, 1, 100, 6, "Is your goal achieved?", "goal.l"},
        {7301, 101, {330, 3}, 1, 2, 20, 6, "See Writing Manual checklist.", "manual.l"},
        {7302, 101, {330, 2}, 1, 2, 20, 6, "See Diagramming checklist.", "diagram.l"},
        {7303, 101, {330, 2}, 1, 2, 20, 6, "See types of diagrams.", "ldiagram.l"},
        {7304, 101, {330, 7}, 1, 2, 20, 6, "See Summarizing checklist.", "summary.l"},
        {7305, 101, {330, 4}, 1, 2, 20, 6, "See Formulating Goal checklist.", "goal.l"},
        {7306, 101, {330, 8}, 1, 2, 20, 6, "See Solving Problem checklist.", "problem.l"},
        {7320, 102, {330, 1, 4, 5, 6, 7}, 1, 2, 20, 6, "What's the motive?", "motive.l"},
        {7321, 102, {330, 1, 4, 5, 6, 9}, 1, 2, 20, 6, "Try analogies for ideas.", "analogy.l"},
        {7322, 204, {6001, 0, 341, 4}, 1, 1, 100, 6, "Review your goal statement.", "goal.l"},
        {7401, 101, {334, 0}, 1, 3, 20, 8, "Display questions?", ""},
        {7402, 204, {6006, 0, 334, 0}, 8, 3, 20, 8, "Display questions?", ""},
        {7403, 101, {6006, 0}, 1, 1, 50, 6, "Generic questions?", "w5h.l"},
        {7501, 204, {6001, 0, 1, 12}, 1, 1, 100, 1, "Use darker background color to reduce eye strain",
         "Prolong glare can cause eye strain. Try using dark blue or black."},
        {7601, 201, {6001, 1, 6009, 1}, 7, 1, 10, 0, "", ""},
        {7602, 205, {6001, 1, 341, 5}, 1, 1, 10, 1, "Tell me more.", "Do not evaluate your ideas at this stage."},
        {7603, 205, {6001, 1, 341, 5}, 1, 1, 10, 1, "Please go on.", "Keep your text short at this stage."},
        {7650, 201, {6001, 1, 6006, 0}, 1, 2, 100, 1, "Write in point form initially.",
         "Points can be easily changed, but not full sentences."},
        {7651, 205, {6001, 1, 332, 3}, 1, 2, 50, 1, "Any terms need explanation?", "Add a Glossary to explain technical/new terms."},
        {7652, 201, {6001, 1, 6006, 2}, 1, 2, 100, 1, "Maintain continuity between sentences", ""},
        {7653, 201, {6001, 1, 6006, 2}, 1, 2, 100, 1, "Is the 1st paragraph interesting?", "First paragraph should be attention catching."},
        {7750, 101, {6006, 1}, 1, 2, 50, 0, "Focus on the interesting ideas.", ""},
        {7850, 101, {6006, 2}, 1, 2, 50, 0, "Any outstanding issues?", ""},
        {7851, 204, {6006, 2, 6004, 10}, 1, 2, 100, 6, "Are your objectives met?", "goal.l"},
    };
    return t;
}

int hint_progress_stage(int objects, int expected) {
    if (objects < 10 && expected > 10) return std::min(2, objects / (expected / 3));
    return 0;
}

std::optional<std::string> hint_list_line(const std::string& text, const RandomInt& rnd) {
    if (text.empty()) return std::nullopt;
    for (int attempt = 0; attempt < 10; ++attempt) {
        size_t at = static_cast<size_t>(std::clamp(rnd(static_cast<int>(std::min<size_t>(text.size(), 0x7FFFFFFF))), 0,
                                                   static_cast<int>(text.size()) - 1));
        size_t lf = text.find('\n', at);
        if (lf == std::string::npos) continue;
        size_t end = text.find('\n', lf + 1);
        if (end == std::string::npos) continue;
        std::string line = text.substr(lf + 1, end - lf - 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] != ' ') return line;
    }
    return std::nullopt;
}

std::string hint_choice(const std::string& choices, int i) {
    auto lines = clist_items(choices);
    return i >= 0 && i < static_cast<int>(lines.size()) ? lines[static_cast<size_t>(i)] : std::string();
}

const HintRule* Advisor::rule(int id) const {
    for (const auto& r : rules_)
        if (r.id == id) return &r;
    return nullptr;
}

void Advisor::remove_rule(int id) {
    std::erase_if(rules_, [id](const HintRule& r) { return r.id == id; });
    std::erase_if(answers_, [id](const auto& a) { return a.first == id; });
}

std::optional<int> Advisor::fact(int id) const {
    auto it = facts_.find(id);
    if (it == facts_.end()) return std::nullopt;
    return it->second.first;
}

void Advisor::set_fact(int id, int value, const HintEnv* env) {
    auto it = facts_.find(id);
    if (it != facts_.end() && it->second.first == value) return;
    facts_[id] = {value, time_};
    if (id < 5000 && env && env->set_setting) env->set_setting(id, value);
}

void Advisor::log_answer(int id, int answer) {
    std::erase_if(answers_, [id](const auto& a) { return a.first == id; });
    answers_.insert(answers_.begin(), {id, answer});
}

std::optional<std::string> Advisor::take_elaborate() {
    if (elaborate_.empty()) return std::nullopt;
    std::string t = elaborate_.front();
    elaborate_.pop_front();
    return t;
}

std::vector<std::string> Advisor::answer_lines() const {
    std::vector<std::string> out;
    for (const auto& [id, answer] : answers_) {
        const HintRule* r = rule(id);
        if (!r) continue;
        std::string a = r->present == 5 ? hint_choice(r->detail, answer) : std::to_string(answer);
        out.push_back(r->text + ": [" + a + "]");
    }
    return out;
}

void Advisor::refresh(const std::vector<int>& hint, const HintEnv& env) {
    // Mirrored settings are read, not written back: their values come from the document.
    auto mirror = [&](int id) { set_fact(id, env.setting ? env.setting(id) : 0); };
    set_fact(6005, time_);
    for (int id : {1, 330, 331, 332, 333, 334, 341, 342}) mirror(id);
    set_fact(6006, hint_progress_stage(env.setting ? env.setting(341) : 0, env.setting ? env.setting(333) : 0));
    set_fact(6001, env.text_window_open ? 1 : 0);
    set_fact(6002, 0);
    set_fact(6004, env.goal_length);
    set_fact(6009, elaborate_.empty() ? 0 : 1);
    set_fact(6010, hint.size() > 2 ? hint[2] : 0);
    if (env.doc_in_progdir) set_fact(6020, *env.doc_in_progdir ? 1 : 0);
}

bool Advisor::holds(const HintRule& r, int& score) const {
    const auto& o = r.ops;
    score = -32767;
    auto value = [&](size_t i, int& v) {
        if (i >= o.size()) return false;
        auto it = facts_.find(o[i]);
        if (it == facts_.end()) return false;
        v = it->second.first;
        score = std::max(score, it->second.second);
        return true;
    };
    auto is = [&](size_t i) {
        int v;
        return value(i, v) && i + 1 < o.size() && v == o[i + 1];
    };
    auto one_of = [&](size_t i, size_t from) {
        int v;
        if (!value(i, v)) return false;
        return std::find(o.begin() + static_cast<long>(std::min(from, o.size())), o.end(), v) != o.end();
    };
    auto none_of = [&](size_t i, size_t from) {
        int v;
        if (!value(i, v)) return false;
        return std::find(o.begin() + static_cast<long>(std::min(from, o.size())), o.end(), v) == o.end();
    };
    auto compare = [&](size_t i, bool greater) {
        int v;
        if (!value(i, v) || i + 1 >= o.size()) return false;
        return greater ? v > o[i + 1] : v < o[i + 1];
    };
    switch (r.cond) {
    case 101: return is(0);
    case 102: return one_of(0, 1);
    case 103: return none_of(0, 1);
    case 201: return is(0) && is(2);
    case 202: return is(0) && one_of(2, 3);
    case 203: return is(0) && none_of(2, 3);
    case 204: return is(0) && compare(2, true);
    case 205: return is(0) && compare(2, false);
    case 301: return is(0) && is(2) && is(4);
    default: return false;
    }
}

std::optional<int> Advisor::pass(const std::vector<int>& hint, const HintEnv& env, const RandomInt& rnd) {
    if (hint.size() != 6) return std::nullopt;
    ++time_;
    refresh(hint, env);
    if (hint[3] == 0)
        std::erase_if(fired_, [&](const auto& f) {
            const HintRule* r = rule(f.first);
            return !r || time_ >= f.second + r->rearm;
        });
    std::vector<std::pair<int, int>> hot;  // last gathered first
    if (fact(6020))
        for (int tier = 3; tier >= 1 && hot.empty(); --tier)
            for (const auto& r : rules_) {
                if (r.tier != tier || (*fact(6020) == 1 && r.id >= 7010) || fired_.count(r.id)) continue;
                int score;
                if (holds(r, score)) hot.insert(hot.begin(), {r.id, score});
            }
    if (hot.empty()) return std::nullopt;
    int best = -32767;
    for (const auto& h : hot) best = std::max(best, h.second);
    std::vector<int> top;
    for (const auto& h : hot)
        if (h.second == best) top.push_back(h.first);
    int pick = top[static_cast<size_t>(std::max(rnd(100), 0) % static_cast<int>(top.size()))];
    fired_[pick] = time_;
    return pick;
}

// The advisor (portable): a fixed table of rules over facts about the run, one pass per message
// the ticker needs, the answers the user gave.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ideas/clist.h"

struct HintRule {
    int id = 0;
    int cond = 0;             // 101 .. 301
    std::vector<int> ops;
    int present = 0;          // 1 message, 4 number, 5 choice, 6 list line, 7 elaborate, 8 question
    int tier = 1;
    int rearm = 0;
    int target = 0;           // the answer's fact, or what the detail is
    std::string text;
    std::string detail;       // choices (one per line), detail text or list file
};
const std::vector<HintRule>& hint_rule_table();

// What a pass reads of the program.
struct HintEnv {
    std::function<int(int code)> setting;       // document settings
    std::function<void(int code, int v)> set_setting;
    bool text_window_open = false;
    int goal_length = 0;
    std::optional<bool> doc_in_progdir;         // nullopt while no document is current
};

class Advisor {
public:
    Advisor() : rules_(hint_rule_table()) {}

    // One pass: refreshes the facts, gathers and picks a rule; nullopt when none fires or `hint`
    // is not six integers.
    std::optional<int> pass(const std::vector<int>& hint, const HintEnv& env, const RandomInt& rnd);
    const HintRule* rule(int id) const;
    void remove_rule(int id);

    std::optional<int> fact(int id) const;
    void set_fact(int id, int value, const HintEnv* env = nullptr);
    int pass_number() const { return time_; }

    void log_answer(int id, int answer);
    const std::vector<std::pair<int, int>>& answers() const { return answers_; }  // newest first
    void add_elaborate(const std::string& text) { elaborate_.push_back(text); }
    std::optional<std::string> take_elaborate();
    // "text: [answer]" lines of the Previous Answers list.
    std::vector<std::string> answer_lines() const;

private:
    bool holds(const HintRule& r, int& score) const;
    void refresh(const std::vector<int>& hint, const HintEnv& env);

    std::vector<HintRule> rules_;
    std::map<int, std::pair<int, int>> facts_;  // id -> (value, pass)
    std::map<int, int> fired_;
    std::vector<std::pair<int, int>> answers_;
    std::deque<std::string> elaborate_;
    int time_ = 0;
};

// Progress stage from objects O and expected objects E.
int hint_progress_stage(int objects, int expected);
// A line of a list file for a kind-6 rule: up to ten draws, the line after the next line feed
// that ends in a line feed, is not empty and does not start with a blank.
std::optional<std::string> hint_list_line(const std::string& text, const RandomInt& rnd);
// The i-th line of a choice list ("" when out of range).
std::string hint_choice(const std::string& choices, int i);

// The commands other programs may send to the running program over DDE (portable parsing), and
// the queue their open requests wait in until the program is free to open them.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Accepts only one or more groups `[open("name")]` (blanks between groups allowed); the names
// must be non-empty and free of quotes and control characters. Anything else: nullopt.
std::optional<std::vector<std::string>> dde_parse_open(std::string_view cmd);

// True for the names an open request can open: documents (".vrn", ".ide", no extension), text
// (".txt"), rich text (".rtf") and "http://" addresses. Others are refused, not ignored.
bool dde_opens(std::string_view name);

// Open requests in arrival order. A name already waiting is not added again, and a flood stops
// at kMax waiting names.
class DdeQueue {
public:
    static constexpr size_t kMax = 64;
    // False when the queue is full (the request is refused).
    bool push(const std::string& name);
    std::optional<std::string> pop();
    bool empty() const { return names_.empty(); }
    size_t size() const { return names_.size(); }

private:
    std::deque<std::string> names_;
};

// What a burst of open requests failed on: each name with the error it met, in order.
struct DdeFailure {
    std::string name, error;
};
// The one error box of a burst: a single failure as it was; more as a list, one line each
// (the error's lines joined, the name in front unless the error names it), at most kShown
// lines and then how many more.
std::string dde_failure_report(const std::vector<DdeFailure>& failures);
constexpr size_t kDdeReportShown = 15;

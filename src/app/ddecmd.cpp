#include "app/ddecmd.h"

#include "base/file.h"
#include "base/util.h"

std::optional<std::vector<std::string>> dde_parse_open(std::string_view cmd) {
    constexpr std::string_view head = "[open(\"", tail = "\")]";
    std::vector<std::string> out;
    // Some clients send a terminating NUL or line end with the command.
    while (!cmd.empty() && (cmd.back() == '\0' || cmd.back() == '\r' || cmd.back() == '\n' || cmd.back() == ' '))
        cmd.remove_suffix(1);
    size_t p = 0;
    while (p < cmd.size()) {
        while (p < cmd.size() && cmd[p] == ' ') ++p;
        if (p >= cmd.size()) break;
        if (cmd.substr(p, head.size()) != head) return std::nullopt;
        p += head.size();
        size_t q = cmd.find('"', p);
        if (q == std::string_view::npos || cmd.substr(q, tail.size()) != tail) return std::nullopt;
        std::string_view name = cmd.substr(p, q - p);
        if (name.empty() || name.size() > 259) return std::nullopt;
        for (unsigned char c : name)
            if (c < 32 || c == 127) return std::nullopt;
        out.emplace_back(name);
        p = q + tail.size();
    }
    if (out.empty()) return std::nullopt;
    return out;
}

bool dde_opens(std::string_view name) {
    if (util_lower(name.substr(0, 7)) == "http://") return true;
    std::string ext = file_ext(name);
    return ext.empty() || ext == "." || ext == ".vrn" || ext == ".ide" || ext == ".txt" || ext == ".rtf";
}

bool DdeQueue::push(const std::string& name) {
    for (const std::string& n : names_)
        if (util_compare_nocase(n, name) == 0) return true;
    if (names_.size() >= kMax) return false;
    names_.push_back(name);
    return true;
}

std::optional<std::string> DdeQueue::pop() {
    if (names_.empty()) return std::nullopt;
    std::string n = std::move(names_.front());
    names_.pop_front();
    return n;
}

std::string dde_failure_report(const std::vector<DdeFailure>& failures) {
    if (failures.empty()) return {};
    if (failures.size() == 1) return failures[0].error;
    std::string out = std::to_string(failures.size()) + " documents could not be opened:";
    for (size_t k = 0; k < failures.size() && k < kDdeReportShown; ++k) {
        const DdeFailure& f = failures[k];
        std::string line = util_replace_all(util_replace_all(f.error, "\r", ""), "\n", ": ");
        if (util_lower(line).find(util_lower(f.name)) == std::string::npos) line = f.name + ": " + line;
        out += "\n" + line;
    }
    if (failures.size() > kDdeReportShown)
        out += "\n... and " + std::to_string(failures.size() - kDdeReportShown) + " more";
    return out;
}

#include "app/ddecmd.h"

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

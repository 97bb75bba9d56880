// The commands other programs may send to the running program over DDE (portable parsing).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Accepts only one or more groups `[open("name")]` (blanks between groups allowed); the names
// must be non-empty and free of quotes and control characters. Anything else: nullopt.
std::optional<std::vector<std::string>> dde_parse_open(std::string_view cmd);

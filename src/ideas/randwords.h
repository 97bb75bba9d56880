// Random Words (portable): the settings "RWord" and how the two words are joined.
#pragma once

#include <optional>
#include <string>
#include <vector>

struct RwordSettings {
    int use[2] = {1, 0};
    int sel[2] = {0, 0};
};
// [Use1, Sel1, Use2, Sel2]; nullopt unless exactly four integers.
std::optional<RwordSettings> rwords_parse(const std::vector<int>& list);
std::vector<int> rwords_list(const RwordSettings& s);
// "a + b", or the one that is not empty.
std::string rwords_join(const std::string& a, const std::string& b);

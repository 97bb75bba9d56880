#include "ideas/index.h"

#include <algorithm>
#include <cstdio>
#include <unordered_map>

#include "base/file.h"
#include "base/spell.h"
#include "base/util.h"

namespace {

// Five digits so that the items sort as text and the Analyzer reads five characters; counts
// and lengths of 30000 and more share the smallest key instead of turning negative.
std::string key(size_t n) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%05d", 30000 - static_cast<int>(std::min<size_t>(n, 29999)));
    return buf;
}

}  // namespace

bool word_index(int mode, std::string_view text, std::vector<std::string>& result) {
    result.clear();
    if (mode < 1 || mode > 3) return false;
    std::string low = util_lower(text);
    std::unordered_map<std::string_view, size_t> counts;
    std::string_view rest = low;
    for (;;) {
        TokenSplit t = util_split_token(rest);
        if (t.token.empty()) break;
        if (t.token.size() >= 2) ++counts[t.token];
        rest = t.rest;
    }
    auto com = file_read_text(file_progdir_path("comwords.txt"));
    if (!com) return false;
    for (const auto& [word, count] : counts) {
        // A plain substring test: a word inside a longer common word is left out too.
        if (com->find(word) != std::string::npos) continue;
        switch (mode) {
        case 1: result.push_back(key(count) + std::string(word)); break;
        case 2: result.push_back(key(word.size()) + std::string(word)); break;
        default:
            if (!spell_word_ok(word)) result.emplace_back(word);
            break;
        }
    }
    result = util_sort_strings(std::move(result));
    return true;
}

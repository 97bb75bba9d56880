#include "ideas/index.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>

#include "base/file.h"
#include "base/spell.h"
#include "base/util.h"

namespace {

// The complement of the count in a fixed number of digits, so that the items sort as text from
// the largest count down; any count a text can hold fits.
constexpr long long kKeyTop = 9'999'999'999;
std::string key(size_t n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%010lld", kKeyTop - static_cast<long long>(n));
    return buf;
}

}  // namespace

long long word_index_number(std::string_view item) {
    if (item.size() < kWordIndexDigits) return 0;
    return kKeyTop - std::atoll(std::string(item.substr(0, kWordIndexDigits)).c_str());
}

std::string_view word_index_word(std::string_view item) {
    return item.size() < kWordIndexDigits ? std::string_view() : item.substr(kWordIndexDigits);
}

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

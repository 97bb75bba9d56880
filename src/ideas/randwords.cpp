#include "ideas/randwords.h"

std::optional<RwordSettings> rwords_parse(const std::vector<int>& list) {
    if (list.size() != 4) return std::nullopt;
    RwordSettings s;
    for (int k = 0; k < 2; ++k) {
        s.use[k] = list[2 * k] != 0 ? 1 : 0;
        s.sel[k] = list[2 * k + 1] < 0 ? 0 : list[2 * k + 1];
    }
    return s;
}

std::vector<int> rwords_list(const RwordSettings& s) { return {s.use[0], s.sel[0], s.use[1], s.sel[1]}; }

std::string rwords_join(const std::string& a, const std::string& b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return a + " + " + b;
}

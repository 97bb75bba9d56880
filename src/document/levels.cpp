#include "document/levels.h"

#include <algorithm>

#include "document/view.h"

std::pair<int, int> level_range(const Document& doc) {
    bool any = false;
    int lo = 1, hi = 1;
    auto take = [&](int l) {
        if (!any) { lo = hi = l; any = true; }
        lo = std::min(lo, l);
        hi = std::max(hi, l);
    };
    for (const auto& o : doc.objs) take(o.level);
    for (const auto& s : doc.shapes)
        if (s.kind != kRegionShapeKind) take(s.level);
    return {lo, hi};
}

int level_on_open(const Document& doc) {
    auto [lo, hi] = level_range(doc);
    return std::clamp(1, lo, hi);
}

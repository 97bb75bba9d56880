#include "view/slideshow.h"

#include <algorithm>

#include "document/view.h"
#include "view/view_cmd.h"

std::vector<Key> slideshow_order(int level) {
    const Document& d = view_doc();
    std::vector<const SeqEntry*> seq;
    for (const SeqEntry& s : d.seq)
        if (d.obj(s.key)) seq.push_back(&s);
    if (seq.empty()) return view_sequence_order(level);
    std::stable_sort(seq.begin(), seq.end(), [](const SeqEntry* a, const SeqEntry* b) { return a->number < b->number; });
    std::vector<Key> keys;
    for (const SeqEntry* s : seq)
        if (std::find(keys.begin(), keys.end(), s->key) == keys.end()) keys.push_back(s->key);
    return keys;
}

std::optional<Key> slideshow_next(int level, Key last) {
    auto order = slideshow_order(level);
    if (order.empty()) return std::nullopt;
    auto it = std::find(order.begin(), order.end(), last);
    if (last == 0 || it == order.end()) return order.front();
    if (++it == order.end()) return std::nullopt;
    return *it;
}

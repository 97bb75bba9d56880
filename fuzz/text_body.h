// The text model under any sequence of edits: the first bytes are the starting text, the rest
// drive caret moves, typing, deletes, fields, case, find and undo. A first byte of 255 in an
// input of more than 4 KB makes all but the last 512 bytes the starting text: a large text
// under a few hundred edits anywhere in it, checked every 16 edits. Afterwards every field marker
// belongs to a whole field, the caret lies in the text, rows are in order and undoing every step
// gives the starting text back.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "text/text_model.h"

namespace fuzz_text {

inline void check(const TextModel& m) {
    const std::string& t = m.text();
    size_t markers = std::count_if(t.begin(), t.end(), [](char c) { return c == 11 || c == 14 || c == 15; });
    if (markers != 3 * fields_of(t).size()) std::abort();
    if (strip_fields(t).find_first_of(std::string_view("\x0b\x0e\x0f", 3)) != std::string::npos) std::abort();
    if (m.caret() > t.size() || m.anchor() > t.size()) std::abort();
}

inline void run(const uint8_t* data, size_t size) {
    if (size == 0) return;
    const bool big = data[0] == 255 && size > 4096;
    const size_t split = big ? size - 1 - 512 : std::min<size_t>(data[0], size - 1);
    TextModel m(std::string(reinterpret_cast<const char*>(data + 1), split));
    const std::string start = m.text();
    std::array<int, 256> widths{};
    widths.fill(7);
    for (size_t i = 1 + split; i + 1 < size; i += 2) {
        const uint8_t op = data[i], arg = data[i + 1];
        const size_t at = big ? arg * (m.size() + 1) / 256 : m.size() ? arg % (m.size() + 1) : 0;
        switch (op % 14) {
        case 0: m.set_caret(at, op & 0x80); break;
        case 1: m.insert_text(std::string(1, static_cast<char>(arg)), true); break;
        case 2: m.insert_text(std::string("\r\n")); break;
        case 3: m.delete_forward(); break;
        case 4: m.delete_back(); break;
        case 5: m.make_field(std::string(1, static_cast<char>(arg))); break;
        case 6: m.set_caret(at); m.delete_field_at_caret(); break;
        case 7: m.change_case(arg & 1); break;
        case 8: m.set_caret(arg & 1 ? m.next_stop(m.caret()) : m.prev_stop(m.caret()), op & 0x80); break;
        case 9: m.set_caret(arg & 1 ? m.word_right(m.caret()) : m.word_left(m.caret())); break;
        case 10: m.undo(); break;
        case 11: m.redo(); break;
        case 12: m.replace_all(std::string(1, static_cast<char>(arg)), "xy", false, arg & 2); break;
        case 13: m.select(at, m.size() ? data[i] % (m.size() + 1) : 0); m.insert_text(std::string(1, static_cast<char>(arg))); break;
        }
        if (!big || (i - split) % 32 == 1) check(m);
    }
    check(m);
    Layout l = layout_rows(m.text(), widths, 60, 56);
    if (!std::is_sorted(l.starts.begin(), l.starts.end()) || l.starts.back() > m.size()) std::abort();
    for (size_t r = 0; r < l.starts.size(); ++r) layout_hit(m.text(), l, r, 30, widths, 56);
    while (m.undo()) {}
    if (m.text() != start) std::abort();
}

}  // namespace fuzz_text

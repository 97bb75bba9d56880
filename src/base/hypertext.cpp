#include "base/hypertext.h"

std::string tw_strip_hyperlinks(std::string_view t) {
    std::string out;
    out.reserve(t.size());
    size_t i = 0;
    while (i < t.size()) {
        size_t s = t.find('\x0b', i);
        if (s == std::string_view::npos) break;
        size_t sep = t.find_first_of(std::string_view("\x0b\x0e", 2), s + 1);
        size_t end = sep == std::string_view::npos || t[sep] != '\x0e'
                         ? std::string_view::npos
                         : t.find_first_of(std::string_view("\x0b\x0f", 2), sep + 1);
        if (end == std::string_view::npos || t[end] != '\x0f') {
            // No whole field starts here: the marker stays as it is.
            size_t next = sep != std::string_view::npos && t[sep] == '\x0b' ? sep : s + 1;
            if (end != std::string_view::npos && t[end] == '\x0b') next = end;
            out.append(t.substr(i, next - i));
            i = next;
            continue;
        }
        out.append(t.substr(i, s - i));
        out.append(t.substr(s + 1, sep - s - 1));
        i = end + 1;
    }
    out.append(t.substr(i));
    return out;
}

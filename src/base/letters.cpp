#include "base/letters.h"

bool is_word_letter(unsigned char c) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
    switch (c) {
    case 0x83: case 0x8A: case 0x8C: case 0x8E: case 0x9A: case 0x9C: case 0x9E: case 0x9F: return true;
    case 0xD7: case 0xF7: return false;
    default: return c >= 0xC0;
    }
}

bool is_lower_letter(unsigned char c) {
    if (c >= 'a' && c <= 'z') return true;
    switch (c) {
    case 0x83: case 0x9A: case 0x9C: case 0x9E: case 0xDF: return true;
    case 0xF7: return false;
    default: return c >= 0xE0;
    }
}

unsigned char to_lower_1252(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
    if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 16);
    if (c == 0x9F) return 0xFF;
    return c;
}

unsigned char to_upper_1252(unsigned char c) {
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
    if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<unsigned char>(c - 16);
    if (c == 0xFF) return 0x9F;
    return c;
}

int letters_1252_of(unsigned long cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    static constexpr unsigned short kHigh[32] = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    for (int k = 0; k < 32; ++k)
        if (kHigh[k] && kHigh[k] == cp) return 0x80 + k;
    return -1;
}

std::optional<std::string> letters_from_utf8(std::string_view t, size_t* unmapped) {
    if (t.substr(0, 3) == "\xEF\xBB\xBF") t.remove_prefix(3);
    size_t lacking = 0;
    std::string out;
    out.reserve(t.size());
    for (size_t i = 0; i < t.size();) {
        auto c = static_cast<unsigned char>(t[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
            continue;
        }
        const size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c <= 0xDF ? 2 : 0;
        if (n == 0 || (n == 3 && c > 0xEF) || i + n > t.size()) return std::nullopt;
        unsigned long cp = c & (0xFF >> (n + 1));
        for (size_t k = 1; k < n; ++k) {
            auto d = static_cast<unsigned char>(t[i + k]);
            if ((d & 0xC0) != 0x80) return std::nullopt;
            cp = cp << 6 | (d & 0x3F);
        }
        // Overlong forms and surrogates are no UTF-8.
        if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
            return std::nullopt;
        int b = letters_1252_of(cp);
        lacking += b < 0;
        out += b < 0 ? '?' : static_cast<char>(b);
        i += n;
    }
    if (unmapped) *unmapped = lacking;
    return out;
}

std::optional<std::string> letters_from_utf16(std::string_view t, size_t* unmapped) {
    const bool little = t.substr(0, 2) == "\xFF\xFE";
    if (!little && t.substr(0, 2) != "\xFE\xFF") return std::nullopt;
    t.remove_prefix(2);
    if (t.size() % 2) return std::nullopt;
    auto unit = [&](size_t i) {
        const auto a = static_cast<unsigned char>(t[i]), b = static_cast<unsigned char>(t[i + 1]);
        return little ? static_cast<unsigned long>(b << 8 | a) : static_cast<unsigned long>(a << 8 | b);
    };
    size_t lacking = 0;
    std::string out;
    out.reserve(t.size() / 2);
    for (size_t i = 0; i < t.size(); i += 2) {
        unsigned long cp = unit(i);
        if (cp >= 0xDC00 && cp <= 0xDFFF) return std::nullopt;
        if (cp >= 0xD800 && cp <= 0xDBFF) {
            // A character beyond the first 65,536 comes as two units; none is in the code page.
            if (i + 2 >= t.size() || unit(i + 2) < 0xDC00 || unit(i + 2) > 0xDFFF) return std::nullopt;
            i += 2;
            cp = 0x10000;
        }
        const int b = letters_1252_of(cp);
        lacking += b < 0;
        out += b < 0 ? '?' : static_cast<char>(b);
    }
    if (unmapped) *unmapped = lacking;
    return out;
}

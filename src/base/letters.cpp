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

namespace {

// Code points of the bytes 0x80-0x9F of Windows-1252; 0 where the code page has none.
constexpr char16_t kHigh1252[32] = {
    0x20AC, 0, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0, 0x017D, 0,
    0, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0, 0x017E, 0x0178,
};

int byte_of(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int k = 0; k < 32; ++k)
        if (kHigh1252[k] && kHigh1252[k] == cp) return 0x80 + k;
    return -1;
}

}  // namespace

std::string utf8_to_1252(std::string_view in, size_t* unmapped) {
    std::string out;
    out.reserve(in.size());
    size_t bad = 0;
    for (size_t k = 0; k < in.size();) {
        const auto b = static_cast<unsigned char>(in[k]);
        int len = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
        char32_t cp = len == 1 ? b : len == 2 ? (b & 0x1F) : len == 3 ? (b & 0x0F) : (b & 0x07);
        bool ok = len > 0 && k + static_cast<size_t>(len) <= in.size();
        for (int j = 1; ok && j < len; ++j) {
            const auto c = static_cast<unsigned char>(in[k + static_cast<size_t>(j)]);
            ok = (c & 0xC0) == 0x80;
            cp = (cp << 6) | (c & 0x3F);
        }
        // Overlong forms and surrogates are no characters.
        constexpr char32_t kLeast[5] = {0, 0, 0x80, 0x800, 0x10000};
        ok = ok && cp >= kLeast[len] && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
        const int byte = ok ? byte_of(cp) : -1;
        if (byte < 0) ++bad;
        out.push_back(byte < 0 ? '?' : static_cast<char>(byte));
        k += ok ? static_cast<size_t>(len) : 1;
    }
    if (unmapped) *unmapped = bad;
    return out;
}

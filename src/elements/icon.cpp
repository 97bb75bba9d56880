#include "elements/icon.h"

#include <cctype>
#include <cstring>

#include "base/util.h"

const char* const icon_category_names_[kIconCategoryCount] = {
    "Information", "Chart", "Arrows", "Computer", "People", "Smart Icons", "User Defined",
};

namespace {
const IconRow kCatalogue[] = {
    {201, 11156, 17}, {202, 11127, 17}, {203, 11145, 33}, {204, 11117, 1}, {212, 11122, 1}, {216, 11157, 1},
    {214, 11124, 1}, {223, 11090, 1}, {225, 11039, 41}, {205, 11151, 33}, {206, 11091, 1}, {207, 11179, 1},
    {208, 11178, 1}, {209, 11102, 1}, {210, 11110, 1}, {211, 11152, 1}, {213, 11130, 1}, {215, 11172, 1},
    {217, 11097, 17}, {218, 11113, 1}, {219, 11112, 1}, {220, 11148, 1}, {221, 11187, 1}, {222, 11100, 1},
    {224, 11040, 33}, {225, 11029, 1}, {226, 11025, 3}, {227, 11024, 3}, {251, 11147, 3}, {252, 11109, 3},
    {267, 11085, 3}, {253, 11134, 3}, {254, 11133, 3}, {258, 11116, 3}, {259, 11081, 3}, {255, 11135, 3},
    {256, 11131, 3}, {265, 11088, 3}, {260, 11192, 3}, {261, 11188, 3}, {262, 11181, 3}, {263, 11168, 3},
    {264, 11183, 3}, {266, 11191, 3}, {268, 11185, 3}, {269, 11175, 3}, {270, 11035, 3}, {271, 11032, 3},
    {272, 11028, 3}, {301, 11161, 4}, {302, 11165, 4}, {303, 11164, 4}, {304, 11162, 4}, {305, 11160, 4},
    {306, 11163, 4}, {308, 11166, 4}, {309, 11171, 4}, {310, 11170, 4}, {311, 11138, 4}, {314, 11132, 36},
    {312, 11193, 4}, {313, 11176, 36}, {351, 11182, 9}, {353, 11114, 9}, {354, 11105, 8}, {355, 11125, 8},
    {356, 11119, 8}, {357, 11149, 9}, {358, 11139, 9}, {359, 11095, 9}, {360, 11108, 9}, {361, 11155, 9},
    {363, 11034, 9}, {362, 11144, 9}, {401, 11086, 16}, {402, 11123, 16}, {418, 11023, 16}, {403, 11111, 16},
    {404, 11121, 17}, {407, 11104, 16}, {408, 11093, 16}, {415, 11146, 25}, {406, 11101, 16}, {416, 11079, 16},
    {405, 11137, 17}, {419, 11022, 17}, {420, 11021, 17}, {421, 11020, 17}, {422, 11019, 17}, {423, 11018, 17},
    {409, 11087, 17}, {410, 11107, 17}, {411, 11084, 17}, {412, 11129, 17}, {413, 11159, 17}, {414, 11158, 17},
    {417, 11033, 16}, {901, 11128, 0}, {928, 11184, 0}, {918, 11092, 0}, {902, 11143, 0}, {903, 11154, 0},
    {904, 11153, 0}, {905, 11082, 0}, {906, 11115, 0}, {907, 11099, 3}, {929, 11031, 33}, {908, 11126, 1},
    {909, 11094, 1}, {910, 11142, 0}, {924, 11141, 1}, {911, 11098, 0}, {912, 11120, 0}, {927, 11036, 0},
    {913, 11089, 0}, {914, 11083, 1}, {926, 11186, 1}, {915, 11118, 5}, {925, 11080, 5}, {916, 11106, 1},
    {922, 11150, 0}, {917, 11096, 0}, {920, 11167, 0}, {923, 11103, 0}, {919, 11173, 9}, {921, 11136, 1},
    {930, 11027, 0}, {931, 11026, 0},
};

int icon0_ = kInitialIcon;

void put32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = static_cast<uint8_t>(x >> (8 * i));
}

// `head` holds the info header (and what follows it in a packed DIB); `pixels_at` is where
// the pixel rows start within `all`, or npos to take them right after the colour table.
std::optional<Dib> read_dib(std::string_view all, size_t head, size_t pixels_at) {
    if (all.size() < head + 40) return std::nullopt;
    uint32_t hsize = util_le32(all, head);
    if (hsize < 40 || hsize > 256 || all.size() < head + hsize) return std::nullopt;
    int32_t w = static_cast<int32_t>(util_le32(all, head + 4));
    int32_t h = static_cast<int32_t>(util_le32(all, head + 8));
    uint16_t planes = util_le16(all, head + 12), bpp = util_le16(all, head + 14);
    uint32_t comp = util_le32(all, head + 16), used = util_le32(all, head + 32);
    if (planes != 1 || w <= 0 || h == 0 || w > 16384 || h > 16384 || h < -16384) return std::nullopt;
    if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32) return std::nullopt;
    // Plain rows, or bit fields for 16/32-bit; compressed forms are refused.
    if (!(comp == 0 || (comp == 3 && (bpp == 16 || bpp == 32)))) return std::nullopt;
    uint32_t colours = 0;
    if (bpp <= 8) {
        uint32_t most = 1u << bpp;
        if (used > most) return std::nullopt;
        colours = used ? used : most;
    } else if (used > 256) {
        return std::nullopt;
    } else {
        colours = used;
    }
    size_t masks_at = head + hsize;
    bool masks_outside = comp == 3 && hsize == 40;
    size_t table_at = masks_at + (masks_outside ? 12 : 0);
    size_t table_end = table_at + static_cast<size_t>(colours) * 4;
    if (all.size() < table_end) return std::nullopt;
    uint32_t ah = static_cast<uint32_t>(h < 0 ? -h : h);
    size_t stride = ((static_cast<size_t>(w) * bpp + 31) / 32) * 4;
    size_t bits = stride * ah;
    size_t px = pixels_at == std::string_view::npos ? table_end : pixels_at;
    if (px < table_end || px > all.size() || all.size() - px < bits) return std::nullopt;

    Dib d;
    d.width = w;
    d.height = static_cast<int>(ah);
    size_t extra = comp == 3 ? 12 : 0;
    d.packed.assign(40 + extra + colours * 4 + bits, 0);
    std::memcpy(d.packed.data(), all.data() + head, 40);
    put32(d.packed, 0, 40);
    put32(d.packed, 20, static_cast<uint32_t>(bits));
    if (comp == 3) {
        // Masks follow a 40-byte header, or sit inside a longer one at the same offset.
        std::memcpy(d.packed.data() + 40, all.data() + head + 40, 12);
    }
    std::memcpy(d.packed.data() + 40 + extra, all.data() + table_at, colours * 4);
    put32(d.packed, 32, colours);
    std::memcpy(d.packed.data() + 40 + extra + colours * 4, all.data() + px, bits);
    return d;
}

}  // namespace

std::vector<IconRow> icon_(std::begin(kCatalogue), std::end(kCatalogue));
const size_t kIconCatalogueRows = std::size(kCatalogue);

const IconRow* icon_find(int number) {
    for (const auto& r : icon_)
        if (r.number == number) return &r;
    return nullptr;
}

std::optional<int> icon_resource_of(int number) {
    if (number >= 1000) return std::nullopt;
    const IconRow* r = icon_find(number);
    if (!r) return std::nullopt;
    return r->bitmap;
}

bool icon_is_user(int number) { return number >= kFirstUserIcon && number <= kLastUserIcon; }

std::string icon_user_file_name(int number) { return "icon" + std::to_string(number) + ".bmp"; }

std::optional<int> icon_user_number(std::string_view name) {
    if (name.size() != 12) return std::nullopt;
    std::string low(name);
    for (char& c : low) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (low.compare(0, 4, "icon") != 0 || low.compare(8, 4, ".bmp") != 0) return std::nullopt;
    int n = 0;
    for (int i = 4; i < 8; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(low[i]))) return std::nullopt;
        n = n * 10 + (low[i] - '0');
    }
    if (!icon_is_user(n)) return std::nullopt;
    return n;
}

std::optional<int> icon_current_get() {
    if (icon0_ == 0) return std::nullopt;
    return icon0_;
}

void icon_current_set(int number) { icon0_ = number; }

std::optional<Dib> icon_read_bmp(std::string_view f) {
    if (f.size() < 14 + 40 || f[0] != 'B' || f[1] != 'M') return std::nullopt;
    uint32_t off = util_le32(f, 10);
    return read_dib(f, 14, off);
}

std::optional<Dib> icon_read_packed_dib(std::string_view p) { return read_dib(p, 0, std::string_view::npos); }

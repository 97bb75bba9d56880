// The icon catalogue, user icon names, the current icon and reading bitmaps from untrusted bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "elements/icon.h"

namespace {

std::string bmp(int32_t w, int32_t h, uint16_t bpp, uint32_t comp = 0, uint32_t used = 0, size_t pixel_bytes = SIZE_MAX,
                uint32_t header = 40) {
    size_t colours = bpp <= 8 ? (used ? used : (1u << bpp)) : used;
    size_t masks = (comp == 3 && header == 40) ? 12 : 0;
    size_t stride = ((static_cast<size_t>(w < 0 ? 0 : w) * bpp + 31) / 32) * 4;
    size_t bits = pixel_bytes == SIZE_MAX ? stride * static_cast<size_t>(h < 0 ? -h : h) : pixel_bytes;
    size_t off = 14 + header + masks + colours * 4;
    std::string s(off + bits, '\0');
    auto put32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i)); };
    auto put16 = [&](size_t at, uint16_t v) { s[at] = static_cast<char>(v); s[at + 1] = static_cast<char>(v >> 8); };
    s[0] = 'B'; s[1] = 'M';
    put32(2, static_cast<uint32_t>(s.size()));
    put32(10, static_cast<uint32_t>(off));
    put32(14, header);
    put32(18, static_cast<uint32_t>(w));
    put32(22, static_cast<uint32_t>(h));
    put16(26, 1);
    put16(28, bpp);
    put32(30, comp);
    put32(46, used);
    for (size_t i = 0; i < bits; ++i) s[off + i] = static_cast<char>(i * 7);
    return s;
}

TEST(IconCatalogue, WhereEachNumberComesFrom) {
    struct { int number; std::optional<int> resource; } cases[] = {
        {201, 11156}, {225, 11039}, {929, 11031}, {203, 11145}, {500, std::nullopt}, {307, std::nullopt},
        {1005, std::nullopt}, {0, std::nullopt}, {-4, std::nullopt},
    };
    for (auto c : cases) EXPECT_EQ(icon_resource_of(c.number), c.resource) << c.number;
}

TEST(IconCatalogue, UserIconNames) {
    EXPECT_EQ(icon_user_file_name(1005), "icon1005.bmp");
    struct { const char* name; std::optional<int> n; } cases[] = {
        {"icon1005.bmp", 1005}, {"ICON1128.BMP", 1128}, {"Icon1001.Bmp", 1001}, {"icon1000.bmp", std::nullopt},
        {"icon1129.bmp", std::nullopt}, {"icon10a5.bmp", std::nullopt}, {"icon1005.bmpx", std::nullopt},
        {"xcon1005.bmp", std::nullopt}, {"", std::nullopt},
    };
    for (auto c : cases) EXPECT_EQ(icon_user_number(c.name), c.n) << c.name;
}

TEST(IconBmp, AcceptsWellFormedBitmaps) {
    struct { int32_t w, h; uint16_t bpp; uint32_t comp, used, header; } cases[] = {
        {28, 28, 24, 0, 0, 40}, {3, -5, 24, 0, 0, 40}, {7, 2, 1, 0, 0, 40}, {9, 3, 4, 0, 0, 40}, {5, 5, 8, 0, 16, 40},
        {4, 4, 32, 3, 0, 40}, {4, 4, 16, 3, 0, 40}, {4, 4, 24, 0, 0, 124}, {2, 2, 32, 3, 0, 108},
    };
    for (auto c : cases) {
        auto d = icon_read_bmp(bmp(c.w, c.h, c.bpp, c.comp, c.used, SIZE_MAX, c.header));
        ASSERT_TRUE(d) << c.w << "x" << c.h << "@" << c.bpp;
        EXPECT_EQ(d->width, c.w);
        EXPECT_EQ(d->height, std::abs(c.h));
        EXPECT_EQ(d->packed[0], 40);  // always a plain header
        size_t stride = ((static_cast<size_t>(c.w) * c.bpp + 31) / 32) * 4;
        size_t colours = c.bpp <= 8 ? (c.used ? c.used : (1u << c.bpp)) : c.used;
        EXPECT_EQ(d->packed.size(), 40 + (c.comp == 3 ? 12 : 0) + colours * 4 + stride * std::abs(c.h));
        // The pixel rows are carried over unchanged.
        EXPECT_EQ(d->packed.back(), static_cast<uint8_t>((stride * std::abs(c.h) - 1) * 7));
    }
}

TEST(IconBmp, RefusesBrokenInput) {
    std::string good = bmp(4, 4, 24);
    std::vector<std::pair<const char*, std::string>> bad = {
        {"empty", ""},
        {"not BM", "XM" + good.substr(2)},
        {"truncated pixels", good.substr(0, good.size() - 1)},
        {"truncated header", good.substr(0, 30)},
        {"odd depth", bmp(4, 4, 7)},
        {"zero width", bmp(0, 4, 24)},
        {"zero height", bmp(4, 0, 24)},
        {"huge", bmp(100000, 1, 1, 0, 0, 16)},
        {"rle", bmp(4, 4, 8, 1)},
        {"too many colours", bmp(4, 4, 8, 0, 300)},
        {"bit fields on 24-bit", bmp(4, 4, 24, 3)},
        {"core header", bmp(4, 4, 24, 0, 0, SIZE_MAX, 12)},
    };
    std::string far = good;
    far[10] = static_cast<char>(0xFF); far[11] = static_cast<char>(0xFF);
    bad.push_back({"pixels beyond the end", far});
    std::string inside = good;
    inside[10] = 20;  // pixel offset inside the header
    bad.push_back({"pixels inside the header", inside});
    for (auto& [what, bytes] : bad) EXPECT_FALSE(icon_read_bmp(bytes)) << what;
    EXPECT_FALSE(icon_read_packed_dib(good.substr(14, 20)));
    EXPECT_TRUE(icon_read_packed_dib(good.substr(14)));
}

TEST(IconArtwork, EveryCatalogueBitmapIsShippedAndReadable) {
    namespace fs = std::filesystem;
    fs::path dir = fs::path(VORN_SOURCE_DIR) / "src/resources/elements_bmp";
    std::ifstream rc(fs::path(VORN_SOURCE_DIR) / "src/resources/elements_icons.rc");
    std::stringstream script;
    script << rc.rdbuf();
    std::set<int> ids;
    for (size_t i = 0; i < kIconCatalogueRows; ++i) ids.insert(icon_[i].bitmap);
    ids.insert(kIconPlaceholderBitmap);
    for (int id : ids) {
        std::ifstream f(dir / (std::to_string(id) + ".bmp"), std::ios::binary);
        ASSERT_TRUE(f) << id;
        std::string bytes((std::istreambuf_iterator<char>(f)), {});
        auto d = icon_read_bmp(bytes);
        ASSERT_TRUE(d) << id;
        EXPECT_EQ(d->width, 28) << id;
        EXPECT_EQ(d->height, 28) << id;
        EXPECT_NE(script.str().find(std::to_string(id) + " BITMAP"), std::string::npos) << id;
    }
}

}  // namespace

// Picture codecs and operations: formats by extension, BMP and PCX against ImageMagick and
// netpbm (skipped where those tools are missing), refused broken files, pixel operations and the
// 8-bit quantiser.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/error.h"
#include "base/pict.h"

namespace {

namespace fs = std::filesystem;

bool have_tool(const char* name) {
    std::string cmd = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void spit(const fs::path& p, const std::string& s) {
    std::ofstream out(p, std::ios::binary);
    out << s;
}
void spit(const fs::path& p, const std::vector<uint8_t>& v) { spit(p, std::string(v.begin(), v.end())); }

// Binary PPM (P6, maxval 255) as netpbm and ImageMagick write it.
std::optional<Image> read_ppm(const std::string& s) {
    std::istringstream in(s);
    std::string magic;
    int w = 0, h = 0, maxv = 0;
    in >> magic >> w >> h >> maxv;
    if (magic != "P6" || maxv != 255 || w <= 0 || h <= 0) return std::nullopt;
    in.get();
    Image img(w, h, 0);
    for (auto& c : img.px) {
        unsigned char rgb[3];
        if (!in.read(reinterpret_cast<char*>(rgb), 3)) return std::nullopt;
        c = uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2];
    }
    return img;
}

std::string ppm_of(const Image& img) {
    std::string s = "P6\n" + std::to_string(img.width) + " " + std::to_string(img.height) + "\n255\n";
    for (uint32_t c : img.px) {
        s.push_back(char(c >> 16));
        s.push_back(char(c >> 8));
        s.push_back(char(c));
    }
    return s;
}

// A photo-like picture: smooth gradients with a little texture, thousands of colours.
Image photo(int w, int h) {
    Image img(w, h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int r = x * 255 / std::max(1, w - 1), g = y * 255 / std::max(1, h - 1);
            int b = int(128 + 100 * std::sin(x / 7.0) * std::cos(y / 5.0)) + (x * 7 + y * 3) % 5;
            img.at(x, y) = uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
        }
    return img;
}

// A picture of `n` distinct flat colours in bands.
Image bands(int w, int h, int n) {
    Image img(w, h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int k = (x + y * 3) % n;
            img.at(x, y) = uint32_t(k * 37 % 256) << 16 | uint32_t(k * 91 % 256) << 8 | uint32_t(k * 53 % 256);
        }
    return img;
}

int max_channel_error(const Image& a, const Image& b) {
    int worst = 0;
    for (size_t i = 0; i < a.px.size(); ++i)
        for (int s = 0; s < 24; s += 8)
            worst = std::max(worst, std::abs(int(a.px[i] >> s & 255) - int(b.px[i] >> s & 255)));
    return worst;
}

class Scratch : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("pict_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                           "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }
    int run(const std::string& cmd) { return std::system(("cd '" + dir.string() + "' && " + cmd + " 2>/dev/null").c_str()); }
    fs::path dir;
};

}  // namespace

TEST(PictFormat, ExtensionsChooseTheFormatInAnyCase) {
    struct Row {
        const char* name;
        std::optional<int> code;
    } rows[] = {
        {"a.bmp", kPictBmp},        {"A.BMP", kPictBmp},          {"photo.JPEG", kPictJpeg},
        {"x.jfif", kPictJpeg},      {"x.Jpe", kPictJpeg},         {"x.jpg", kPictJpeg},
        {"scan.tiff", kPictTiff},   {"scan.TIF", kPictTiff},      {"p.pcx", kPictPcx},
        {"p.png", kPictPng},        {"anim.gif", kPictGif},       {"c:\\dir.v1\\pic.png", kPictPng},
        {"icon.ico", std::nullopt}, {"clip.wmf", std::nullopt},   {"noext", std::nullopt},
        {"a.gif.txt", std::nullopt}, {"c:\\dir.png\\file", std::nullopt}, {"trailing.", std::nullopt},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(pict_format_of(r.name), r.code);
        if (!r.code) {
            try {
                pict_format_code(r.name);
                ADD_FAILURE() << "no error raised";
            } catch (const VornError& e) {
                EXPECT_EQ(e.code, kPictErrFormat);
            }
        }
    }
}

TEST(PictBmp, WrittenFileReadsBackAsTheSamePackedBitmap) {
    for (auto img : {photo(33, 17), bands(5, 3, 4), Image(1, 1, 0x123456)}) {
        SCOPED_TRACE(img.width);
        auto dib = image_to_dib24(img);
        auto file = bmp_file_bytes(dib.data(), dib.size());
        ASSERT_EQ(file.size(), dib.size() + 14);
        EXPECT_EQ(file[2] | file[3] << 8 | file[4] << 16, int(file.size()));
        EXPECT_EQ(file[10], 54);
        auto back = bmp_parse(std::string(file.begin(), file.end()));
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, dib);
        auto again = image_from_dib(*back);
        ASSERT_TRUE(again);
        EXPECT_EQ(again->px, img.px);
    }
    // An 8-bit bitmap with its palette is kept as it is, not widened.
    auto q = pict_quantize(bands(7, 5, 9));
    auto dib8 = indexed_to_dib8(q);
    auto file = bmp_file_bytes(dib8.data(), dib8.size());
    auto back = bmp_parse(std::string(file.begin(), file.end()));
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, dib8);
    // Trailing bytes of a memory block bigger than the bitmap are not written.
    dib8.resize(dib8.size() + 100, 0xEE);
    EXPECT_EQ(bmp_file_bytes(dib8.data(), dib8.size()).size(), file.size());
}

// Every bitmap kind ImageMagick writes decodes to the same pixels as its PPM.
TEST_F(Scratch, BmpKindsMatchImageMagick) {
    if (!have_tool("convert")) GTEST_SKIP() << "ImageMagick is not installed";
    spit(dir / "src.ppm", ppm_of(photo(37, 21)));
    spit(dir / "few.ppm", ppm_of(bands(37, 21, 14)));
    spit(dir / "two.ppm", ppm_of(bands(37, 21, 2)));
    struct Row {
        const char* src;
        const char* args;
    } rows[] = {
        {"src.ppm", "-type TrueColor BMP3:out.bmp"},
        {"src.ppm", "-type TrueColor BMP2:out.bmp"},        // core header
        {"src.ppm", "-type TrueColor BMP:out.bmp"},         // V5 header
        {"src.ppm", "-type TrueColorAlpha BMP:out.bmp"},    // 32-bit bit fields
        {"src.ppm", "-define bmp:subtype=RGB565 BMP:out.bmp"},
        {"few.ppm", "-type Palette -compress None BMP3:out.bmp"},
        {"few.ppm", "-type Palette -compress RLE BMP3:out.bmp"},
        {"few.ppm", "-colors 16 -type Palette -depth 4 BMP3:out.bmp"},
        {"two.ppm", "-type Bilevel BMP3:out.bmp"},
        {"src.ppm", "-flip -define bmp:top-down=true BMP3:out.bmp"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.args);
        ASSERT_EQ(run(std::string("convert ") + r.src + " " + r.args), 0);
        ASSERT_EQ(run("convert out.bmp -depth 8 ref.ppm"), 0);
        auto ref = read_ppm(slurp(dir / "ref.ppm"));
        ASSERT_TRUE(ref);
        auto dib = bmp_parse(slurp(dir / "out.bmp"));
        ASSERT_TRUE(dib);
        auto img = image_from_dib(*dib);
        ASSERT_TRUE(img);
        ASSERT_EQ(img->width, ref->width);
        ASSERT_EQ(img->height, ref->height);
        EXPECT_LE(max_channel_error(*img, *ref), 0);
    }
}

// TIFF files as ImageMagick and netpbm write them pass whole; cut anywhere inside their strips,
// tiles or directories they are refused before a decoder sees them.
TEST_F(Scratch, TiffStripsAndTilesMustLieInsideTheFile) {
    if (!have_tool("convert")) GTEST_SKIP() << "ImageMagick is not installed";
    struct Row {
        const char* make;
    } rows[] = {
        {"convert rose: -resize 300x200! -compress LZW out.tif"},
        {"convert rose: -resize 300x200! -compress None -define tiff:endian=msb out.tif"},
        {"convert rose: -resize 300x200! -compress Zip -define tiff:tile-geometry=64x64 out.tif"},
        {"convert rose: -resize 300x200! -compress LZW -define tiff:rows-per-strip=7 out.tif"},
        {"convert rose: rose: -compress LZW out.tif"},  // two pages
        {"convert rose: ppm:- | pnmtotiff -lzw > out.tif"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.make);
        if (std::string(r.make).find("pnmtotiff") != std::string::npos && !have_tool("pnmtotiff")) continue;
        ASSERT_EQ(run(r.make), 0);
        const std::string whole = slurp(dir / "out.tif");
        ASSERT_GT(whole.size(), 1000u);
        EXPECT_TRUE(pict_tiff_whole(whole));
        for (size_t cut : {whole.size() / 2, whole.size() - 1, size_t(100), size_t(9), size_t(6)})
            EXPECT_FALSE(pict_tiff_whole(whole.substr(0, cut))) << "cut at " << cut;
    }
    // Bytes that are no TIFF are left to their decoder; BigTIFF and a loop of directories are not.
    EXPECT_TRUE(pict_tiff_whole("\x89PNG\r\n\x1a\n"));
    EXPECT_TRUE(pict_tiff_whole(""));
    EXPECT_FALSE(pict_tiff_whole(std::string("II+\0\x08\0\0\0\0\0\0\0\0\0\0\0", 16)));
    EXPECT_FALSE(pict_tiff_whole(std::string("II*\0\x08\0\0\0\0\0\x08\0\0\0", 14)));
}

TEST(PictBmp, BrokenFilesAreRefused) {
    auto good = [] {
        auto dib = image_to_dib24(photo(8, 4));
        auto f = bmp_file_bytes(dib.data(), dib.size());
        return std::string(f.begin(), f.end());
    };
    auto set32 = [](std::string s, size_t at, uint32_t v) {
        for (int k = 0; k < 4; ++k) s[at + size_t(k)] = char(v >> (8 * k));
        return s;
    };
    auto set16 = [](std::string s, size_t at, uint32_t v) {
        s[at] = char(v), s[at + 1] = char(v >> 8);
        return s;
    };
    ASSERT_TRUE(bmp_parse(good()));
    struct Row {
        const char* what;
        std::string bytes;
    } rows[] = {
        {"empty", ""},
        {"no magic", "XY" + good().substr(2)},
        {"cut in the pixels", good().substr(0, good().size() - 1)},
        {"cut in the header", good().substr(0, 30)},
        {"huge width", set32(good(), 18, 0x7FFFFFFF)},
        {"width times height overflows", set32(set32(good(), 18, 70000), 22, 70000)},
        {"negative width", set32(good(), 18, uint32_t(-8))},
        {"zero height", set32(good(), 22, 0)},
        {"unknown header size", set32(good(), 14, 41)},
        {"header size past the end", set32(good(), 14, 124)},
        {"planes not 1", set16(good(), 26, 2)},
        {"bit depth 7", set16(good(), 28, 7)},
        {"colour table past the end", set32(set16(good(), 28, 8), 46, 256)},
        {"JPEG compression", set32(good(), 30, 4)},
        {"top-down RLE", set32(set32(set16(good(), 28, 8), 30, 1), 22, uint32_t(-4))},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_FALSE(bmp_parse(r.bytes));
    }
    // A pixel offset past the end falls back to the pixels after the table, which are complete.
    EXPECT_TRUE(bmp_parse(set32(good(), 10, 0x7FFFFFF0)));
}

// A header naming more pixels than the limit is told apart from a broken file, with its size;
// sizes within the limit, negative heights and other formats are left to the readers.
TEST(PictLimit, HeadersOverThePixelLimitGiveTheirSize) {
    auto bmp = [](int32_t w, int32_t h, uint32_t header = 40) {
        std::string s(54, '\0');
        s[0] = 'B', s[1] = 'M';
        auto put32 = [&](size_t at, uint32_t v) {
            for (int k = 0; k < 4; ++k) s[at + size_t(k)] = char(v >> (8 * k));
        };
        put32(14, header);
        if (header == 12) {
            s[18] = char(w), s[19] = char(w >> 8), s[20] = char(h), s[21] = char(h >> 8);
        } else {
            put32(18, uint32_t(w));
            put32(22, uint32_t(h));
        }
        return s;
    };
    std::string pcx(128, '\0');
    pcx[0] = 0x0A;
    pcx[8] = char(0x3F), pcx[9] = char(0x1F);    // x 0..7999
    pcx[10] = char(0x6F), pcx[11] = char(0x17);  // y 0..5999
    using Size = std::optional<std::pair<uint64_t, uint64_t>>;
    struct Row {
        const char* what;
        int format;
        std::string bytes;
        Size size;
    } rows[] = {
        {"8000 x 6000 bitmap", kPictBmp, bmp(8000, 6000), std::pair<uint64_t, uint64_t>{8000, 6000}},
        {"top-down", kPictBmp, bmp(8000, -6000), std::pair<uint64_t, uint64_t>{8000, 6000}},
        {"core header", kPictBmp, bmp(65535, 65535, 12), std::pair<uint64_t, uint64_t>{65535, 65535}},
        {"at the limit", kPictBmp, bmp(8192, 4096), std::nullopt},
        {"negative width", kPictBmp, bmp(-8000, 6000), std::nullopt},
        {"no magic", kPictBmp, "XY" + bmp(8000, 6000).substr(2), std::nullopt},
        {"cut header", kPictBmp, bmp(8000, 6000).substr(0, 20), std::nullopt},
        {"8000 x 6000 PCX", kPictPcx, pcx, std::pair<uint64_t, uint64_t>{8000, 6000}},
        {"a PNG is GDI+'s to measure", kPictPng, bmp(8000, 6000), std::nullopt},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(pict_header_too_large(r.format, r.bytes), r.size);
    }
    EXPECT_EQ(pict_too_large_text(8000, 6000), "8000 x 6000 pixels, more than the 33,554,432 a picture may have");
}

// Runs of an RLE bitmap that run off the picture or end early leave the rest black, never write
// outside it.
TEST(PictBmp, RleRunsStayInsideThePicture) {
    std::string f = "BM" + std::string(12, '\0');
    std::vector<uint8_t> dib(40, 0);
    auto put32 = [&](size_t at, uint32_t v) {
        for (int k = 0; k < 4; ++k) dib[at + size_t(k)] = uint8_t(v >> (8 * k));
    };
    const std::vector<uint8_t> bits = {200, 1,  0, 2, 250, 250, 0, 0, 3, 2,  0, 3, 1,
                                       2,   1,  0, 0, 0,   5,   1, 2, 3, 4, 5, 0, 0, 1};
    put32(0, 40), put32(4, 4), put32(8, 3), put32(16, 1), put32(20, uint32_t(bits.size())), put32(32, 3);
    dib[12] = 1, dib[14] = 8;
    const uint8_t table[] = {0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0};
    dib.insert(dib.end(), table, table + 12);
    dib.insert(dib.end(), bits.begin(), bits.end());
    f += std::string(dib.begin(), dib.end());
    auto back = bmp_parse(f);
    ASSERT_TRUE(back);
    auto img = image_from_dib(*back);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->width, 4);
    EXPECT_EQ(img->at(0, 2), 0xFF0000u);  // bottom row: the 200-pixel run cut at the edge
    EXPECT_EQ(img->at(3, 2), 0xFF0000u);
}

TEST_F(Scratch, PcxWrittenHereReadsPixelExactInNetpbm) {
    if (!have_tool("pcxtoppm")) GTEST_SKIP() << "netpbm is not installed";
    for (auto img : {photo(41, 23), bands(64, 2, 3), Image(1, 1, 0xC0C0C0), photo(300, 7)}) {
        SCOPED_TRACE(img.width);
        spit(dir / "ours.pcx", pcx_encode(img));
        ASSERT_EQ(run("pcxtoppm ours.pcx > back.ppm"), 0);
        auto back = read_ppm(slurp(dir / "back.ppm"));
        ASSERT_TRUE(back);
        EXPECT_EQ(back->width, img.width);
        EXPECT_EQ(back->px, img.px);
        auto ours = pcx_decode(slurp(dir / "ours.pcx"));
        ASSERT_TRUE(ours);
        EXPECT_EQ(ours->px, img.px);
    }
    if (have_tool("identify")) {
        EXPECT_EQ(run("identify ours.pcx >/dev/null"), 0);
    }
}

// netpbm chooses 1-bit planes for up to 16 colours, an 8-bit palette up to 256, else 24-bit.
TEST_F(Scratch, PcxFromNetpbmLoadsPixelExact) {
    if (!have_tool("ppmtopcx")) GTEST_SKIP() << "netpbm is not installed";
    struct Row {
        Image img;
        const char* args;
    } rows[] = {
        {photo(45, 19), ""},
        {bands(45, 19, 200), ""},
        {bands(45, 19, 12), ""},
        {bands(45, 19, 2), ""},
        {bands(45, 19, 12), "-packed"},
        {bands(45, 19, 4), "-packed"},
        {bands(45, 19, 200), "-8bit"},
        {bands(45, 19, 3), "-24bit"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.args);
        spit(dir / "in.ppm", ppm_of(r.img));
        ASSERT_EQ(run(std::string("ppmtopcx ") + r.args + " in.ppm > in.pcx"), 0);
        auto img = pcx_decode(slurp(dir / "in.pcx"));
        ASSERT_TRUE(img);
        EXPECT_EQ(img->width, r.img.width);
        EXPECT_EQ(img->px, r.img.px);
    }
}

TEST(PictPcx, BrokenFilesAreRefused) {
    const auto enc = pcx_encode(photo(20, 10));
    const std::string good(enc.begin(), enc.end());
    ASSERT_TRUE(pcx_decode(good));
    auto set = [&](size_t at, std::initializer_list<uint8_t> b) {
        std::string s = good;
        for (uint8_t v : b) s[at++] = char(v);
        return s;
    };
    struct Row {
        const char* what;
        std::string bytes;
    } rows[] = {
        {"short header", good.substr(0, 100)},
        {"not PCX", set(0, {0x0B})},
        {"unknown encoding", set(2, {7})},
        {"data cut short", good.substr(0, good.size() - 5)},
        {"xmax below xmin", set(4, {50, 0})},
        {"huge size", set(8, {0xFF, 0xFF, 0xFF, 0xFF})},
        {"bytes per line too few", set(66, {2, 0})},
        {"bytes per line zero", set(66, {0, 0})},
        {"5 planes", set(65, {5})},
        {"3 bits", set(3, {3})},
        {"run at the end", good.substr(0, 128) + std::string(1, char(0xC5))},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_FALSE(pcx_decode(r.bytes));
    }
}

TEST(PictOps, BrightnessContrastAndGrayClampEachChannel) {
    Image img(4, 1, 0);
    img.px = {0x000000, 0xFFFFFF, 0x80407F, 0x10F080};
    struct Row {
        Image out;
        std::vector<uint32_t> want;
    } rows[] = {
        {pict_brightness(img, 50), {0x7F7F7F, 0xFFFFFF, 0xFFBFFE, 0x8FFFFF}},
        {pict_brightness(img, -100), {0, 0, 0, 0}},
        {pict_brightness(img, 0), img.px},
        {pict_contrast(img, 0), img.px},
        {pict_contrast(img, 48), {0x000000, 0xFFFFFF, 0x80037F, 0x00FF80}},
        {pict_contrast(img, -48), {0x7B7B7B, 0x858585, 0x807E80, 0x7C8480}},
        {pict_gray(img), {0x000000, 0xFFFFFF, 0x5A5A5A, 0xA0A0A0}},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].out.px, rows[i].want);
    }
}

TEST(PictOps, ResizeAveragesAreasAndNeverReachesZero) {
    // A 2x2 checker of black and white halves to mid gray everywhere.
    Image checker(400, 300, 0);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) checker.at(x, y) = (x + y) % 2 ? 0xFFFFFF : 0;
    Image half = pict_resize(checker, 200, 150);
    ASSERT_EQ(half.width, 200);
    ASSERT_EQ(half.height, 150);
    for (uint32_t c : half.px) ASSERT_EQ(c, 0x808080u);
    // Thirds: each cell covers whole and partial source pixels.
    Image row(3, 1, 0);
    row.px = {0x000000, 0x0000FF, 0x0000FF};
    EXPECT_EQ(pict_resize(row, 2, 1).px, (std::vector<uint32_t>{0x000055, 0x0000FF}));
    // Enlarging repeats pixels.
    EXPECT_EQ(pict_resize(row, 6, 1).px,
              (std::vector<uint32_t>{0, 0, 0xFF, 0xFF, 0xFF, 0xFF}));
    Image tiny = pict_resize(checker, 0, -3);
    EXPECT_EQ(tiny.width, 1);
    EXPECT_EQ(tiny.height, 1);
}

TEST(PictOps, ShadowListGivesAPictureWithItsShadowBelowRight) {
    Image red(10, 6, 0xFF0000);
    auto top = std::make_shared<const Image>(red);
    Image out = pict_apply(red, {pict_op_brightness(-50), pict_op_level(100), pict_op_shadow(-5, -5, top, 90)});
    ASSERT_EQ(out.width, 15);
    ASSERT_EQ(out.height, 11);
    EXPECT_EQ(out.at(0, 0), 0xFF0000u);      // the picture itself, unchanged
    EXPECT_EQ(out.at(9, 5), 0xFF0000u);
    EXPECT_EQ(out.at(14, 0), 0xFFFFFFu);     // outside both: white
    EXPECT_EQ(out.at(0, 10), 0xFFFFFFu);
    const uint32_t s = out.at(14, 10);       // the shadow: darker than white, reddish
    EXPECT_LT(s & 0xFF, 0x40u);
    EXPECT_GT(s >> 16, s & 0xFF);
    try {
        pict_apply(red, {PictOp{99}});
        ADD_FAILURE();
    } catch (const VornError& e) {
        EXPECT_EQ(e.code, kPictErrOperation);
    }
}

TEST(PictQuantize, FewColoursExactManyColoursClose) {
    Image few = bands(31, 17, 256);
    auto q = pict_quantize(few);
    ASSERT_LE(q.palette.size(), 256u);
    for (size_t i = 0; i < few.px.size(); ++i) ASSERT_EQ(q.palette[q.index[i]], few.px[i]);

    Image ph = photo(160, 120);
    auto p = pict_quantize(ph);
    EXPECT_EQ(p.palette.size(), 256u);
    auto back = image_from_dib(indexed_to_dib8(p));
    ASSERT_TRUE(back);
    EXPECT_LE(max_channel_error(*back, ph), 48);
    double sum = 0;
    for (size_t i = 0; i < ph.px.size(); ++i)
        for (int s = 0; s < 24; s += 8) sum += std::abs(int(back->px[i] >> s & 255) - int(ph.px[i] >> s & 255));
    EXPECT_LT(sum / (ph.px.size() * 3.0), 10.0);  // no dithering: flat bands stay flat

    Image one(3, 3, 0x010203);
    auto o = pict_quantize(one);
    EXPECT_EQ(o.palette, std::vector<uint32_t>{0x010203});
}

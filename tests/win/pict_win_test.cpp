// Pictures under the platform: every format saved and loaded back, refused names and broken
// files, pictures of objects in each format, the Picture Browser and Capture Picture driven
// through the main window's commands.
#include <windows.h>

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "base/pict.h"
#include "base/pict_win.h"
#include "document/view.h"
#include "elements/obj_tables.h"
#include "elements/obj_win.h"
#include "resources/ids.h"
#include "resources/pict_ids.h"
#include "services/pictbrowse_win.h"
#include "view/view_win.h"
#include "win/win_test_util.h"

namespace {

namespace fs = std::filesystem;
using wt::Boxes;
using wt::pump;

Image photo(int w, int h) {
    Image img(w, h, 0);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int r = x * 255 / std::max(1, w - 1), g = y * 255 / std::max(1, h - 1);
            int b = int(128 + 100 * std::sin(x / 7.0) * std::cos(y / 5.0));
            img.at(x, y) = uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
        }
    return img;
}

double mean_error(const Image& a, const Image& b) {
    double sum = 0;
    for (size_t i = 0; i < a.px.size(); ++i)
        for (int s = 0; s < 24; s += 8) sum += std::abs(int(a.px[i] >> s & 255) - int(b.px[i] >> s & 255));
    return sum / (a.px.size() * 3.0);
}

Image load_image(const std::string& path) {
    HGLOBAL h = pict_load(path);
    auto dib = pict_dib(h);
    GlobalFree(h);
    auto img = image_from_dib(dib);
    EXPECT_TRUE(img);
    return img ? *img : Image();
}

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

int error_of(const std::function<void()>& f) {
    try {
        f();
    } catch (const VornError& e) {
        return e.code;
    }
    return 0;
}

class PictFiles : public testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / "vorn_pict_files";
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::string path(const char* n) const { return (dir / n).string(); }
    fs::path dir;
};

}  // namespace

// Lossless formats come back exactly, JPEG closely, GIF from 8-bit pixels within its palette's
// reach; the old file is replaced only by a whole new one.
TEST_F(PictFiles, EveryFormatSavesAndLoadsBack) {
    const Image src = photo(97, 61);
    HGLOBAL pic = pict_from_dib(image_to_dib24(src));
    struct Row {
        const char* name;
        double max_mean;
    } rows[] = {{"p.bmp", 0}, {"p.pcx", 0}, {"p.png", 0}, {"p.tif", 0}, {"P.TIFF", 0},
                {"p.jpg", 6}, {"p.jpeg", 6}, {"p.gif", 10}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        pict_save(pic, path(r.name));
        Image back = load_image(path(r.name));
        ASSERT_EQ(back.width, src.width);
        ASSERT_EQ(back.height, src.height);
        EXPECT_LE(mean_error(back, src), r.max_mean);
        EXPECT_FALSE(fs::exists(path(r.name) + ".~tmp"));
    }
    EXPECT_EQ(slurp(dir / "p.gif").substr(0, 4), "GIF8");
    // A second save over the file replaces it.
    HGLOBAL small = pict_from_dib(image_to_dib24(Image(3, 2, 0x00FF00)));
    pict_save(small, path("p.png"));
    EXPECT_EQ(load_image(path("p.png")).px, std::vector<uint32_t>(6, 0x00FF00));
    GlobalFree(small);
    GlobalFree(pic);
}

TEST_F(PictFiles, BadNamesAndBrokenFilesRaiseTheirErrors) {
    HGLOBAL pic = pict_from_dib(image_to_dib24(Image(4, 4, 0)));
    std::ofstream(path("junk.png"), std::ios::binary) << "not a picture at all";
    std::ofstream(path("junk.bmp"), std::ios::binary) << "BM but nothing else";
    std::ofstream(path("junk.pcx"), std::ios::binary) << std::string(200, '\x0A');
    struct Row {
        const char* what;
        std::function<void()> f;
        int code;
    } rows[] = {
        {"icon name", [&] { GlobalFree(pict_load(path("a.ico"))); }, kPictErrFormat},
        {"metafile name", [&] { pict_save(pic, path("a.wmf")); }, kPictErrFormat},
        {"no extension", [&] { pict_save(pic, path("noext")); }, kPictErrFormat},
        {"missing file", [&] { GlobalFree(pict_load(path("none.bmp"))); }, kPictErrOpen},
        {"broken bmp", [&] { GlobalFree(pict_load(path("junk.bmp"))); }, kPictErrNotPicture},
        {"broken pcx", [&] { GlobalFree(pict_load(path("junk.pcx"))); }, kPictErrNotPicture},
        {"broken png", [&] { GlobalFree(pict_load(path("junk.png"))); }, kPictErrNotPicture},
        {"folder missing", [&] { pict_save(pic, path("no\\such\\dir.bmp")); }, kPictErrCreate},
        {"unknown operation", [&] { GlobalFree(pict_transform(pic, {PictOp{77}})); }, kPictErrOperation},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(error_of(r.f), r.code);
    }
    GlobalFree(pic);
}

// Object pictures go through the same loader: each format gives its pixels to the painter, a
// broken file gives none (and is reported once, later, outside the paint).
TEST_F(PictFiles, ObjectPicturesLoadInEveryFormat) {
    HGLOBAL pic = pict_from_dib(image_to_dib24(Image(20, 10, 0xFF0000)));
    for (const char* n : {"o.bmp", "o.pcx", "o.png", "o.gif", "o.tif", "o.jpg"}) {
        SCOPED_TRACE(n);
        pict_save(pic, path(n));
        auto d = obj_picture_bitmap(0, path(n));
        ASSERT_TRUE(d);
        EXPECT_EQ(d->width, 20);
        EXPECT_EQ(d->height, 10);
        auto img = image_from_dib(d->packed);
        ASSERT_TRUE(img);
        const uint32_t c = img->at(10, 5);
        EXPECT_GT(c >> 16 & 255, 0xE0u);
        EXPECT_LT(c & 0xFFFF, 0x2020u);
    }
    auto old = Boxes::install();
    std::ofstream(path("bad.jpg"), std::ios::binary) << "xx";
    EXPECT_FALSE(obj_picture_bitmap(0, path("bad.jpg")));
    pump(50);
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_NE(Boxes::errors[0].find("bad.jpg"), std::string::npos);
    msg_set_hooks(old);
    obj_picture_cache_clear();
    GlobalFree(pic);
}

// The pixel operations through the picture handle: a new picture, the source unchanged.
TEST_F(PictFiles, TransformGivesANewPictureAndKeepsTheSource) {
    HGLOBAL pic = pict_from_dib(image_to_dib24(Image(400, 300, 0x406080)));
    const auto before = pict_dib(pic);
    HGLOBAL out = pict_transform(pic, {pict_op_brightness(0), pict_op_contrast(0), pict_op_size(200, 150), pict_op_gray()});
    EXPECT_EQ(pict_dib(pic), before);
    auto img = image_from_dib(pict_dib(out));
    ASSERT_TRUE(img);
    EXPECT_EQ(img->width, 200);
    EXPECT_EQ(img->height, 150);
    EXPECT_EQ(img->at(100, 75), 0x5A5A5Au);
    GlobalFree(out);
    GlobalFree(pic);
}

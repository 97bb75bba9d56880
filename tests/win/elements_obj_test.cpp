// Objects painted with GDI into memory bitmaps on a y-up diagram mapping: pixels, upright
// bitmaps and text, icon bitmaps from resources and user files with their reports, picture
// files, handle use over many repaints, and a picture of every kind of object.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "document/view.h"
#include "elements/canvas_win.h"
#include "elements/draw_win.h"
#include "elements/icon_win.h"
#include "elements/obj_paint.h"
#include "elements/obj_win.h"
#include "win/win_test_util.h"

namespace {

// Maps 4 diagram units to a pixel, y upward, origin in the middle.
struct Surface : wt::MemBitmap {
    Surface(int width, int height, int units_per_px = 4)
        : MemBitmap(width, height, width / 2, height / 2, 1000, 1000 * units_per_px) {}
};

std::string exe_dir() {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    return s.substr(0, s.find_last_of("\\/") + 1);
}

std::string bmp_file(int w, int h, COLORREF top, COLORREF bottom) {
    int stride = (w * 3 + 3) & ~3;
    std::string s(54 + stride * h, '\0');
    BITMAPFILEHEADER fh{0x4D42, static_cast<DWORD>(s.size()), 0, 0, 54};
    BITMAPINFOHEADER ih{40, w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    memcpy(s.data(), &fh, 14);
    memcpy(s.data() + 14, &ih, 40);
    for (int y = 0; y < h; ++y) {  // bottom-up rows
        COLORREF c = y < h / 2 ? bottom : top;
        for (int x = 0; x < w; ++x) {
            uint8_t* p = reinterpret_cast<uint8_t*>(s.data()) + 54 + y * stride + x * 3;
            p[0] = GetBValue(c); p[1] = GetGValue(c); p[2] = GetRValue(c);
        }
    }
    return s;
}

// A 32 x 32 icon file: a green square with a transparent border.
std::string ico_file() {
    const int n = 32;
    std::string s;
    auto put = [&](const void* p, size_t k) { s.append(static_cast<const char*>(p), k); };
    uint16_t dir[3] = {0, 1, 1};
    put(dir, 6);
    uint32_t image = 40 + n * n * 4 + n * 4;
    struct { uint8_t w, h, colours, reserved; uint16_t planes, bpp; uint32_t size, offset; } e{n, n, 0, 0, 1, 32, image, 22};
    put(&e, 16);
    BITMAPINFOHEADER ih{40, n, 2 * n, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    put(&ih, 40);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            bool in = x >= 4 && x < 28 && y >= 4 && y < 28;
            uint8_t px[4] = {0, static_cast<uint8_t>(in ? 160 : 0), 0, static_cast<uint8_t>(in ? 255 : 0)};
            put(px, 4);
        }
    for (int y = 0; y < n; ++y) {
        uint8_t row[4];
        for (int b = 0; b < 4; ++b) {
            uint8_t m = 0;
            for (int k = 0; k < 8; ++k) {
                int x = b * 8 + k;
                bool in = x >= 4 && x < 28 && y >= 4 && y < 28;
                if (!in) m |= 0x80 >> k;
            }
            row[b] = m;
        }
        put(row, 4);
    }
    return s;
}

void write(const std::string& path, const std::string& bytes) {
    std::ofstream f(path, std::ios::binary);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void make_emf(const std::string& path) {
    HDC m = CreateEnhMetaFileA(nullptr, path.c_str(), nullptr, nullptr);  // frame from the content
    HBRUSH b = CreateSolidBrush(RGB(0, 0, 200));
    RECT r{0, 0, 200, 100};
    FillRect(m, &r, b);
    Ellipse(m, 40, 10, 160, 90);
    DeleteObject(b);
    DeleteEnhMetaFile(CloseEnhMetaFile(m));
}

// A bitmap, a metafile and an icon file named objtest.* in `dir`, none of them cached yet.
void write_pictures(const std::string& dir) {
    write(dir + "objtest.bmp", bmp_file(20, 10, RGB(0, 200, 0), RGB(200, 0, 0)));
    make_emf(dir + "objtest.emf");
    write(dir + "objtest.ico", ico_file());
    obj_picture_cache_clear();
}

using wt::pump;

std::vector<std::string> errors_seen;

class ObjWin : public ::testing::Test {
protected:
    MsgHooks old_;
    void SetUp() override {
        file_set_progdir(exe_dir());
        obj_win_install();
        errors_seen.clear();
        MsgHooks h;
        h.error = [](const std::string& t) { errors_seen.push_back(t); };
        h.note = [](const std::string& t) { errors_seen.push_back(t); };
        old_ = msg_set_hooks(h);
    }
    void TearDown() override {
        msg_set_hooks(old_);
        file_set_progdir(wt::program_dir());
    }
    // The program directory is left as the build made it.
    static void TearDownTestSuite() {
        obj_picture_cache_clear();  // a cached metafile keeps its file open
        for (const char* n : {"objtest.bmp", "objtest.emf", "objtest.ico"}) DeleteFileA((exe_dir() + n).c_str());
    }
};

ObjEnv env_with(std::map<int, int32_t> params = {}) {
    ObjEnv env;
    env.param = [params](int code) {
        auto it = params.find(code);
        return it == params.end() ? 0 : it->second;
    };
    env.value = [](Key k) -> std::optional<double> {
        if (k == 50) return 0.0;
        if (k == 51) return 0.5;
        if (k == 52) return 1.0;
        if (k == 53) return 0.8;
        return std::nullopt;
    };
    env.now = [] { return ObjClock{24, 10, 10}; };
    env.device_measure = 600;
    return env;
}

void select_object(GdiCanvas& c, int colour, bool transparent = false) {
    Font f;
    f.height = 40;
    c.set_font(f);
    c.set_pen({1, 0, 0});
    c.set_brush(transparent ? Brush{1, 0xFFFFFF} : Brush{2, obj_palette_colour(colour)});
    c.set_text_colour(0);
}

ObjDrawArgs object(int shape, int x, int y, std::string_view text, GdiCanvas& c, int colour = 11) {
    ObjDrawArgs a;
    a.shape = shape;
    a.key = static_cast<Key>(shape);
    a.x = x;
    a.y = y;
    a.text = text;
    a.text_w = text.empty() ? 0 : c.text_extent(text).cx;
    a.line_h = 71;
    a.colour = colour;
    return a;
}

TEST_F(ObjWin, SquareFillsAndHighlightsOnYUpMapping) {
    Surface s(200, 200);
    {
        GdiCanvas c(s.dc);
        select_object(c, 4);
        ObjDrawArgs a = object(166, 0, 0, "", c, 4);
        obj_draw(c, env_with(), a);
    }
    // D = 120 units = 30 pixels about the centre (100, 100).
    EXPECT_EQ(s.at(100, 100), RGB(255, 0, 0));
    EXPECT_EQ(s.at(70, 100), RGB(255, 255, 255));  // lit left edge
    EXPECT_EQ(s.at(100, 70), RGB(255, 255, 255));  // lit top edge
    EXPECT_EQ(s.at(100, 129), RGB(0, 0, 0));       // bottom edge in black
    EXPECT_EQ(s.at(60, 100), RGB(255, 255, 255));  // outside
}

TEST_F(ObjWin, BitmapsAndTextStayUpright) {
    Surface s(200, 200);
    auto dib = icon_read_bmp(bmp_file(2, 2, RGB(255, 0, 0), RGB(0, 0, 255)));
    ASSERT_TRUE(dib);
    {
        GdiCanvas c(s.dc);
        c.draw_dib(*dib, {-100, 100, 100, -100}, kRopSrcCopy);
        Font f;
        f.height = 60;
        c.set_font(f);
        c.set_text_colour(0);
        c.draw_text({-300, -150, 300, -350}, "WWW", kDtSingleLine | kDtCenter | kDtVCenter);
    }
    EXPECT_EQ(s.at(100, 80), RGB(255, 0, 0));   // top half red
    EXPECT_EQ(s.at(100, 120), RGB(0, 0, 255));  // bottom half blue
    // The text lies inside its rectangle (device rows 137-187), not above or below it.
    EXPECT_GT(s.count_not(RGB(255, 255, 255), 25, 138, 175, 187), 20);
    EXPECT_EQ(s.count_not(RGB(255, 255, 255), 0, 126, 200, 136), 0);
    EXPECT_EQ(s.count_not(RGB(255, 255, 255), 0, 190, 200, 200), 0);
}

TEST_F(ObjWin, IconBitmapsFromResourcesFilesAndFallback) {
    auto fallback = icon_resource_dib(kIconFallbackBitmap);
    ASSERT_TRUE(fallback);
    EXPECT_EQ(fallback->width, 28);
    EXPECT_EQ(icon_bitmap(201), fallback);
    EXPECT_EQ(icon_bitmap(225), icon_resource_dib(11039));
    for (size_t i = 0; i < kIconCatalogueRows; ++i) ASSERT_TRUE(icon_resource_dib(icon_[i].bitmap)) << icon_[i].bitmap;
    ASSERT_TRUE(icon_resource_dib(kIconPlaceholderBitmap));

    // A number below 1000 without a row is looked for as a file; missing, it is reported once.
    DeleteFileA((exe_dir() + "icon500.bmp").c_str());
    EXPECT_EQ(icon_bitmap(500), fallback);
    EXPECT_EQ(icon_bitmap(500), fallback);
    pump(100);
    ASSERT_EQ(errors_seen.size(), 1u);
    EXPECT_NE(errors_seen[0].find("Loading"), std::string::npos);
    EXPECT_NE(errors_seen[0].find("icon500.bmp"), std::string::npos);
    Sleep(1100);
    icon_bitmap(500);
    pump(100);
    EXPECT_EQ(errors_seen.size(), 1u);

    std::string user = exe_dir() + "icon1005.bmp";
    write(user, bmp_file(5, 7, RGB(1, 2, 3), RGB(4, 5, 6)));
    auto u = icon_bitmap(1005);
    EXPECT_EQ(u->width, 5);
    EXPECT_EQ(u->height, 7);
    DeleteFileA(user.c_str());
    Sleep(1100);
    EXPECT_EQ(icon_bitmap(1005), fallback);
    pump(100);
    ASSERT_EQ(errors_seen.size(), 2u);
    EXPECT_NE(errors_seen[1].find("icon1005.bmp"), std::string::npos);

    // A broken file is refused, not painted.
    write(user, "BM not really a bitmap");
    Sleep(1100);
    EXPECT_EQ(icon_bitmap(1005), fallback);
    DeleteFileA(user.c_str());
}

TEST_F(ObjWin, PictureFilesLoadOnceAndReportOnce) {
    std::string dir = exe_dir();
    write_pictures(dir);
    auto b = obj_picture_bitmap(1, dir + "objtest.bmp");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->width, 20);
    EXPECT_EQ(obj_picture_bitmap(1, dir + "OBJTEST.BMP"), b);
    auto m = obj_picture_metafile(1, dir + "objtest.emf");
    ASSERT_TRUE(m);
    EXPECT_GT(m->width, 0);
    EXPECT_NE(obj_picture_icon(dir + "objtest.ico"), nullptr);
    EXPECT_FALSE(obj_picture_bitmap(1, dir + "nothing-here.bmp"));
    EXPECT_FALSE(obj_picture_bitmap(1, dir + "nothing-here.bmp"));
    EXPECT_FALSE(obj_picture_metafile(1, dir + "objtest.bmp"));
    pump(100);
    ASSERT_EQ(errors_seen.size(), 1u);
    EXPECT_NE(errors_seen[0].find("nothing-here.bmp"), std::string::npos);
}

void paint_all_kinds(GdiCanvas& c, const std::string& dir) {
    ObjEnv env = env_with({{227, 24}, {97, 30}, {225, 40}});
    env.device_measure = 150;  // a metafile the size of a few objects
    const int shapes[] = {161, 160, 170, 162, 164, 166, 163, 172, 167, 183, 184, 185, 186, 187, 188};
    int x = -1900, y = 1650;
    for (int shape : shapes) {
        select_object(c, shape % 2 ? 13 : 29);
        ObjDrawArgs a = object(shape, x, y, "Idea", c, shape % 2 ? 13 : 29);
        a.marked = shape == 164;
        obj_draw(c, env, a);
        x += 520;
        if (x > 1900) { x = -1900; y -= 520; }
    }
    // Fixed widths, a deep box, a transparent object, size 0.
    x = -1900;
    y -= 520;
    const std::string deep(700, 'x');
    struct { int shape, colour; const char* text; bool fixed; } odd[] = {
        {161, 12, "Deep", false}, {160, 14, "Fixed width bar text", true}, {170, 4, "Sym", true}};
    for (auto o : odd) {
        select_object(c, o.colour);
        ObjDrawArgs a = object(o.shape, x, y, o.text, c, o.colour);
        a.fixed = o.fixed;
        if (o.shape == 161) a.picture_name = deep;
        obj_draw(c, env, a);
        x += 520;
    }
    select_object(c, 9, true);
    obj_draw(c, env, object(162, x, y, "Clear", c, 9));
    x += 520;
    obj_draw(c, env, object(166, x, y - 0, "", c, 9));
    ObjDrawArgs zero = object(164, x + 300, y, "Zero", c, 9);
    zero.size = 0;
    obj_draw(c, env, zero);

    // Live icons with values, and icons with text beside.
    y -= 560;
    x = -1900;
    struct { int icon; Key key; bool fixed; } live[] = {
        {203, 1, false}, {205, 1, false}, {224, 53, false}, {929, 50, false}, {929, 51, false}, {929, 52, false},
        {201, 1, true}, {918, 1, false},
    };
    for (auto l : live) {
        select_object(c, 15);
        ObjDrawArgs a = object(l.icon, x, y, "Live", c, 0);
        a.key = l.key;
        a.fixed = l.fixed;
        a.picture_name = l.icon == 203 ? "2" : "";
        obj_draw(c, env, a);
        x += l.fixed ? 700 : 480;
    }
    // Pictures: bitmap, metafile, icon file, a missing file (icon 208).
    y -= 600;
    x = -1500;
    const char* pics[] = {"objtest.bmp", "objtest.emf", "objtest.ico", "missing.bmp"};
    for (const char* p : pics) {
        std::string name = dir + p;
        select_object(c, 15);
        ObjDrawArgs a = object(169, x, y, p, c, 0);
        a.picture_name = name;
        obj_draw(c, env, a);
        x += 900;
    }
    // Every catalogue icon, small.
    y -= 700;
    x = -1950;
    for (size_t i = 0; i < kIconCatalogueRows; ++i) {
        select_object(c, 15);
        ObjDrawArgs a = object(icon_[i].number, x, y, "", c, 0);
        a.size = 5;
        obj_draw(c, env, a);
        x += 120;
        if (x > 1950) { x = -1950; y -= 130; }
    }
}

// Every kind of object paints, and repainting them holds no more GDI objects.
TEST_F(ObjWin, EveryKindPaintsWithoutHandleGrowth) {
    std::string dir = exe_dir();
    write_pictures(dir);
    Surface s(400, 300, 12);
    auto paint = [&] {
        obj_rect_cache_clear();
        GdiCanvas c(s.dc);
        paint_all_kinds(c, dir);
    };
    paint();
    EXPECT_GT(objrect_.size(), 150u);
    pump(50);  // the missing picture is reported after the paint
    EXPECT_EQ(errors_seen.size(), 1u);
    if (const char* shots = std::getenv("VORN_SHOTS")) s.save(std::string(shots) + "\\elements_objects.bmp");
    const long before = wt::gdi_objects();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 1000; ++i) paint();
    const long after = wt::gdi_objects();
    EXPECT_EQ(GdiCanvas::live_objects(), 0);
    EXPECT_LE(after, before);

    // A painter sweeping many colours keeps a bounded set of objects.
    GdiCanvas c(s.dc);
    for (int i = 0; i < 500; ++i) {
        c.set_pen({1, 0, static_cast<Colour>(i)});
        c.set_brush({2, static_cast<Colour>(i)});
        c.fill_rect({0, 0, 10, 10}, static_cast<Colour>(i * 3));
    }
    EXPECT_LE(c.held_objects(), 200u);
}

void y_up_mapping(HDC dc) {
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, 4000, 4000, nullptr);
    SetViewportExtEx(dc, 1000, -1000, nullptr);
    SetViewportOrgEx(dc, 100, 50, nullptr);
}

struct TestWindow {
    HWND win;
    explicit TestWindow(HMENU menu = nullptr) {
        win = CreateWindowExA(0, "STATIC", "objects", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, menu,
                              GetModuleHandleA(nullptr), nullptr);
    }
    ~TestWindow() { DestroyWindow(win); }
};

TEST_F(ObjWin, ConversionsGoThroughTheViewMapping) {
    TestWindow view;
    HWND old_view = view_inst_;
    view_inst_ = view.win;
    draw_set_view_mapping(y_up_mapping);
    EXPECT_EQ(draw_lp_to_dp_x({0, 0}), (Pt{100, 50}));
    EXPECT_EQ(draw_lp_to_dp_x({400, 400}), (Pt{200, -50}));
    EXPECT_EQ(draw_lp_to_dp_rect({-400, 400, 400, -400}), (Rc{0, -50, 200, 150}));
    EXPECT_EQ(draw_dp_to_lp_x({200, 150}), (Pt{400, -400}));

    // obj_rect converts a device rectangle of the cache back through the same mapping.
    obj_rect_cache_clear();
    ObjRectEntry e;
    e.key = 77;
    e.l = -1; e.t = 1; e.r = 1; e.b = -1;
    e.device = {0, -50, 200, 150};
    e.kind = 0;
    obj_rect_append(e);
    EXPECT_EQ(obj_rect(77), (Rc{-400, 400, 400, -400}));
    obj_rect_cache_clear();

    draw_set_view_mapping(nullptr);
    view_inst_ = nullptr;
    EXPECT_FALSE(draw_lp_to_dp_x({0, 0}));
    view_inst_ = old_view;
}

TEST_F(ObjWin, OpeningEffectLeavesTheWindowAsItWas) {
    TestWindow main;
    ShowWindow(main.win, SW_SHOW);
    UpdateWindow(main.win);
    HWND old_main = main_inst_;
    main_inst_ = main.win;
    HDC dc = GetDC(main.win);
    COLORREF before = GetPixel(dc, 150, 100);
    draw_open_effect({150, 100}, {20, 20, 280, 180}, 1);
    draw_open_effect({150, 100}, {20, 20, 280, 180}, 0);
    EXPECT_EQ(GetPixel(dc, 150, 100), before);
    EXPECT_EQ(GetPixel(dc, 150 - 117, 100), GetPixel(dc, 5, 5));  // on the largest frame: erased
    EXPECT_EQ(GetROP2(dc), R2_COPYPEN);
    ReleaseDC(main.win, dc);
    main_inst_ = old_main;
    // Without a print dialog there is no page frame.
    Surface s(50, 50);
    PreviewMapping p = draw_preview_mapping(s.dc, 1);
    EXPECT_EQ(p.frame, (Rc{}));
    EXPECT_EQ(p.parts_x, 1);
}

TEST_F(ObjWin, DuplicateIdNoteFollowsTheMenuSwitch) {
    HMENU menu = CreateMenu();
    AppendMenuA(menu, MF_STRING | MF_CHECKED, 10916, "W&arn Dupl ID On/Off");
    TestWindow main(menu);
    HWND old_main = main_inst_;
    main_inst_ = main.win;
    Document& doc = view_doc();
    auto kept = doc.objs;
    Obj o;
    o.key = 4001;
    o.id = "Taken";
    doc.objs.push_back(o);
    doc.touch_objs();

    obj_id_dup_warn("Taken", "Other");
    ASSERT_EQ(errors_seen.size(), 1u);
    EXPECT_EQ(errors_seen[0], "Taken already exists (warn only)");
    CheckMenuItem(menu, 10916, MF_BYCOMMAND | MF_UNCHECKED);
    obj_id_dup_warn("Taken", "Other");
    EXPECT_EQ(errors_seen.size(), 1u);

    doc.objs = kept;
    doc.touch_objs();
    main_inst_ = old_main;
}

}  // namespace

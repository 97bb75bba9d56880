// Pictures under the platform: every format saved and loaded back, refused names and broken
// files, pictures of objects in each format, the Picture Browser and Capture Picture driven
// through the main window's commands.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "base/pict.h"
#include "base/pict_win.h"
#include "base/util_win.h"
#include "document/globals.h"
#include "document/view.h"
#include "elements/obj_tables.h"
#include "elements/obj_win.h"
#include "resources/ids.h"
#include "resources/pict_ids.h"
#include "services/pictbrowse.h"
#include "services/pictbrowse_win.h"
#include "view/view_win.h"
#include "win/print_unix.h"
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
        {"folder missing for a PNG", [&] { pict_save(pic, path("no\\such\\dir.png")); }, kPictErrCreate},
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

namespace {

// Runs `drive` on the first visible dialog whose title starts with `title`, from a timer of its
// modal loop.
std::function<void(HWND)> drive_;
std::string drive_title_;

BOOL CALLBACK find_dialog(HWND w, LPARAM lp) {
    char cls[16] = {}, title[128] = {};
    GetClassNameA(w, cls, sizeof cls);
    GetWindowTextA(w, title, sizeof title);
    if (std::string(cls) == "#32770" && IsWindowVisible(w) && std::string(title).rfind(drive_title_, 0) == 0) {
        *reinterpret_cast<HWND*>(lp) = w;
        return FALSE;
    }
    return TRUE;
}

void CALLBACK drive_timer(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), find_dialog, reinterpret_cast<LPARAM>(&dlg));
    if (!dlg || !drive_) return;
    KillTimer(nullptr, id);
    auto d = std::move(drive_);
    drive_ = nullptr;
    d(dlg);
}

void on_dialog(const char* title, std::function<void(HWND)> f) {
    drive_title_ = title;
    drive_ = std::move(f);
    SetTimer(nullptr, 0, 30, drive_timer);
}

std::vector<std::string> list_items(HWND dlg, int id) {
    std::vector<std::string> out;
    const int n = int(SendDlgItemMessageA(dlg, id, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        char buf[MAX_PATH] = {};
        SendDlgItemMessageA(dlg, id, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(buf));
        out.push_back(buf);
    }
    return out;
}

void choose_combo(HWND dlg, int id, int index) {
    SendDlgItemMessageA(dlg, id, CB_SETCURSEL, WPARAM(index), 0);
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

void press(HWND dlg, int id) {
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

std::optional<Image> clipboard_picture(HWND owner) {
    std::optional<Image> out;
    if (!OpenClipboard(owner)) return out;
    if (HANDLE h = GetClipboardData(CF_DIB)) {
        const size_t n = GlobalSize(h);
        if (const auto* p = static_cast<const uint8_t*>(GlobalLock(h))) {
            out = image_from_dib(p, n);
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return out;
}

class PictWindow : public wt::MainWindowTest {
protected:
    PictWindow() : MainWindowTest("vorn_pict_window", SW_SHOW) {}
    void write_picture(const char* name, uint32_t colour, int w = 64, int h = 40) {
        HGLOBAL pic = pict_from_dib(image_to_dib24(Image(w, h, colour)));
        pict_save(pic, path(name));
        GlobalFree(pic);
    }
};

}  // namespace

// Insert Picture: the browser opens on the remembered file's folder with its extension, lists only
// pictures (in lower case) under "*.*", offers its choices only with a file listed, shows
// thumbnails (a broken file crossed, no message), and the fourth thumbnail picked chooses the file
// three places after the selection.
TEST_F(PictWindow, BrowserListsPicturesAndInsertPlacesThePick) {
    fs::create_directories(dir_ / "sub");
    write_picture("a.png", 0xFF0000);
    write_picture("B.JPG", 0x00FF00, 200, 50);
    write_picture("c.gif", 0x0000FF, 30, 90);
    write_picture("d.pcx", 0xFFFF00);
    std::ofstream(path("broken.png"), std::ios::binary) << "no picture";
    std::ofstream(path("notes.txt")) << "text";
    gbrows_set_default_file(path("a.png"));
    std::vector<std::string> first, all, dirs;
    std::vector<bool> enabled_on_none, enabled_on_all;
    auto choices = [](HWND dlg) {
        std::vector<bool> on;
        for (int id : {IDOK, IDC_GB_COPY, IDC_GB_PASTE}) on.push_back(IsWindowEnabled(GetDlgItem(dlg, id)) != FALSE);
        return on;
    };
    on_dialog("Picture Browser", [&](HWND dlg) {
        first = list_items(dlg, IDC_GB_FILES);
        choose_combo(dlg, IDC_GB_EXT, 1);  // "*.bmp": none here
        enabled_on_none = choices(dlg);
        choose_combo(dlg, IDC_GB_EXT, 0);  // "*.*"
        all = list_items(dlg, IDC_GB_FILES);
        dirs = list_items(dlg, IDC_GB_DIRS);
        enabled_on_all = choices(dlg);
        HWND strip = GetDlgItem(dlg, IDC_GB_STRIP);
        RECT rc;
        GetClientRect(strip, &rc);
        const int cell = rc.bottom - rc.top;
        pump(100);
        wt::shot(dlg, "picture_browser");
        wt::click(strip, 3 * cell + cell / 2, cell / 2);
        press(dlg, IDOK);
    });
    const size_t objects_before = view_doc().objs.size();
    SendMessageA(win_, WM_COMMAND, CMD_INSERT_PICTURE, 0);
    pump(50);
    EXPECT_EQ(first, (std::vector<std::string>{"a.png", "broken.png"}));
    EXPECT_EQ(all, (std::vector<std::string>{"a.png", "b.jpg", "broken.png", "c.gif", "d.pcx"}));
    ASSERT_FALSE(dirs.empty());
    EXPECT_EQ(dirs.back(), "sub");
    // Insert, Copy and Paste need a file to act on.
    EXPECT_EQ(enabled_on_none, (std::vector<bool>{false, false, false}));
    EXPECT_EQ(enabled_on_all, (std::vector<bool>{true, true, true}));
    EXPECT_TRUE(Boxes::errors.empty());
    ASSERT_EQ(view_doc().objs.size(), objects_before + 1);
    ASSERT_EQ(marked_obj_.size(), 1u);
    EXPECT_EQ(view_obj_get(marked_obj_[0])->shape, kShapePictureFile);
    EXPECT_EQ(view_obj_bin(marked_obj_[0], 2).name, gbrows_lower(path("c.gif")));
    std::string def;
    ASSERT_TRUE(gbrows_default_file(&def));
    EXPECT_EQ(def, gbrows_lower(path("c.gif")));
}

// However large or small the browser is made, its four buttons stay whole below the thumbnail
// strip, also when the next browse opens at the size kept.
TEST_F(PictWindow, BrowserButtonsStayVisibleAtEverySize) {
    write_picture("one.png", 0x336699);
    gbrows_set_default_file(path("one.png"));
    auto buttons_clear = [](HWND dlg, const char* when) {
        RECT cl;
        GetClientRect(dlg, &cl);
        const RECT strip = wt::rect_in(GetDlgItem(dlg, IDC_GB_STRIP), dlg);
        for (int id : {IDOK, IDC_GB_COPY, IDC_GB_PASTE, IDCANCEL}) {
            const RECT b = wt::rect_in(GetDlgItem(dlg, id), dlg);
            EXPECT_GE(b.top, strip.bottom) << when << " button " << id;
            EXPECT_LE(b.bottom, cl.bottom) << when << " button " << id;
            EXPECT_TRUE(IsWindowVisible(GetDlgItem(dlg, id))) << when;
        }
    };
    RECT opened{}, big{};
    on_dialog("Picture Browser", [&](HWND dlg) {
        GetWindowRect(dlg, &opened);
        buttons_clear(dlg, "as opened");
        SetWindowPos(dlg, nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER);
        pump(50);
        wt::shot(dlg, "picture_browser_large");
        buttons_clear(dlg, "enlarged");
        GetWindowRect(dlg, &big);
        press(dlg, IDCANCEL);
    });
    gbrows_browse(win_, "", dir_.string());
    EXPECT_EQ(big.right - big.left, 900);
    on_dialog("Picture Browser", [&](HWND dlg) {
        RECT r;
        GetWindowRect(dlg, &r);
        EXPECT_EQ(r.bottom - r.top, 700) << "the size is kept";
        buttons_clear(dlg, "reopened");
        // Never smaller than it was made.
        SetWindowPos(dlg, nullptr, 0, 0, 100, 100, SWP_NOMOVE | SWP_NOZORDER);
        pump(50);
        GetWindowRect(dlg, &r);
        EXPECT_GE(r.bottom - r.top, opened.bottom - opened.top);
        buttons_clear(dlg, "shrunk");
        press(dlg, IDCANCEL);
    });
    gbrows_browse(win_, "", dir_.string());
}

// Edit > Paste takes a metafile another program put on the clipboard, enhanced or old-style, as
// the picture of a new object.
TEST_F(PictWindow, PasteTakesMetafilesAsPictures) {
    auto enhanced = [] { return wt::filled_metafile(RGB(0, 0, 200), 300, 150); };
    auto old_style = [] {
        HDC m = CreateMetaFileA(nullptr);
        Rectangle(m, 0, 0, 200, 100);
        HMETAFILE mf = CloseMetaFile(m);
        HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, sizeof(METAFILEPICT));
        auto* p = static_cast<METAFILEPICT*>(GlobalLock(g));
        *p = {MM_ANISOTROPIC, 5000, 2500, mf};
        GlobalUnlock(g);
        return g;
    };
    struct Row {
        const char* what;
        UINT format;
        std::function<HANDLE()> make;
    } rows[] = {{"enhanced", CF_ENHMETAFILE, [&] { return HANDLE(enhanced()); }},
                {"old-style", CF_METAFILEPICT, [&] { return HANDLE(old_style()); }}};
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        ASSERT_TRUE(OpenClipboard(win_));
        EmptyClipboard();
        SetClipboardData(r.format, r.make());
        CloseClipboard();
        const size_t before = view_doc().objs.size();
        SendMessageA(win_, WM_COMMAND, CMD_PASTE, 0);
        wt::pump(50);
        EXPECT_TRUE(Boxes::notes.empty()) << Boxes::notes[0];
        ASSERT_EQ(view_doc().objs.size(), before + 1);
        ASSERT_EQ(marked_obj_.size(), 1u);
        auto m = obj_picture_metafile(marked_obj_[0], "");
        ASSERT_TRUE(m);
        EXPECT_GT(m->width, 0);
        EXPECT_GT(m->height, 0);
    }
}

// Names the code page cannot spell, made at test time (a picture by ImageMagick among them): the
// browser lists and inserts such a file by its short name, and a drop takes it so too, as it
// takes a path longer than MAX_PATH; a name with no form the program can open is refused with a
// message naming it. No object ever names a cut or "?"-spelt path.
TEST_F(PictWindow, WideNamesAreTakenByTheirShortNamesOrRefused) {
    if (!wt::unix_tool("convert")) GTEST_SKIP() << "ImageMagick is not installed";
    wt::HostDir host("vorn-wide-names");
    ASSERT_TRUE(host.run("convert rose: rose.png"));
    const std::wstring wdir = util_wide(dir_.string());
    const std::wstring japanese = wdir + L"\\\u65e5\u672c.png";
    ASSERT_TRUE(CopyFileW(util_wide(host.dos("rose.png")).c_str(), japanese.c_str(), FALSE));
    // Made by hand: std::filesystem reads narrow names as UTF-8, not in the code page.
    const std::string cafe = dir_.string() + "\\caf\xe9.png";
    HGLOBAL pic = pict_from_dib(image_to_dib24(Image(64, 40, 0x336699)));
    pict_save(pic, cafe);
    GlobalFree(pic);
    gbrows_set_default_file(cafe);
    std::vector<std::string> files;
    on_dialog("Picture Browser", [&](HWND dlg) {
        files = list_items(dlg, IDC_GB_FILES);
        for (size_t i = 0; i < files.size(); ++i)
            if (files[i] != "caf\xe9.png") {
                SendDlgItemMessageA(dlg, IDC_GB_FILES, LB_SETCURSEL, WPARAM(i), 0);
                SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_GB_FILES, LBN_SELCHANGE),
                             reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDC_GB_FILES)));
            }
        press(dlg, IDOK);
    });
    SendMessageA(win_, WM_COMMAND, CMD_INSERT_PICTURE, 0);
    pump(100);
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(std::count(files.begin(), files.end(), "caf\xe9.png"), 1) << testing::PrintToString(files);
    for (const std::string& f : files) EXPECT_EQ(f.find('?'), std::string::npos) << f;
    ASSERT_EQ(marked_obj_.size(), 1u);
    const std::string inserted = view_obj_bin(marked_obj_[0], 2).name;
    EXPECT_NE(GetFileAttributesA(inserted.c_str()), INVALID_FILE_ATTRIBUTES) << inserted;
    EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors[0];

    // Dropped: the same file, one in folders past MAX_PATH, one with a Latin-1 name kept as it
    // is, and one that has no short name (it does not exist).
    std::wstring deep = L"\\\\?\\" + wdir;
    // Folders past MAX_PATH are gone again at the end: the fixture's clean-up cannot reach them.
    struct Deep {
        std::vector<std::wstring> dirs;
        std::wstring file;
        ~Deep() {
            DeleteFileW(file.c_str());
            for (auto it = dirs.rbegin(); it != dirs.rend(); ++it) RemoveDirectoryW(it->c_str());
        }
    } made;
    for (wchar_t c : {L'1', L'2', L'3', L'4', L'5'}) {
        deep += L"\\d" + std::wstring(60, c);
        ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
        made.dirs.push_back(deep);
    }
    made.file = deep + L"\\target_file_name.txt";
    const std::wstring far_file = deep.substr(4) + L"\\target_file_name.txt";
    ASSERT_GT(far_file.size(), size_t(MAX_PATH));
    ASSERT_TRUE(CopyFileW(util_wide(host.dos("rose.png")).c_str(), (deep + L"\\target_file_name.txt").c_str(), FALSE));
    const std::wstring ghost = wdir + L"\\ghost \u2603.txt";
    std::wstring names;
    for (const std::wstring& n : {japanese, far_file, util_wide(cafe), ghost}) names += n + L'\0';
    names += L'\0';
    HGLOBAL mem = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
    auto* df = static_cast<DROPFILES*>(GlobalLock(mem));
    df->pFiles = sizeof(DROPFILES);
    df->pt = {50, 50};
    df->fWide = TRUE;
    std::memcpy(df + 1, names.data(), names.size() * sizeof(wchar_t));
    GlobalUnlock(mem);
    const size_t before = view_doc().objs.size();
    SendMessageA(view_inst_, WM_DROPFILES, reinterpret_cast<WPARAM>(mem), 0);
    pump(50);
    ASSERT_EQ(view_doc().objs.size(), before + 3);
    for (size_t i = before; i < before + 3; ++i) {
        const Obj& o = view_doc().objs[i];
        EXPECT_LT(o.ext.size(), size_t(MAX_PATH)) << o.ext;
        EXPECT_NE(GetFileAttributesA(o.ext.c_str()), INVALID_FILE_ATTRIBUTES) << o.ext;
        EXPECT_EQ(o.ext.find('?'), std::string::npos) << o.ext;
    }
    EXPECT_EQ(view_doc().objs[before + 2].ext, cafe);
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_NE(Boxes::errors[0].find("ghost ?.txt"), std::string::npos) << Boxes::errors[0];
}

// Copy puts the highlighted picture, whatever its format, on the clipboard as a bitmap.
TEST_F(PictWindow, BrowserCopyPutsAnyFormatOnTheClipboard) {
    write_picture("only.pcx", 0x336699, 33, 22);
    gbrows_set_default_file(path("only.pcx"));
    on_dialog("Picture Browser", [&](HWND dlg) { press(dlg, IDC_GB_COPY); });
    BrowseResult r = gbrows_browse(win_, "", dir_.string());
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.file, gbrows_lower(path("only.pcx")));
    auto img = clipboard_picture(win_);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->width, 33);
    EXPECT_EQ(img->at(5, 5), 0x336699u);
}

// Capture Picture: the whole diagram window at half size on the clipboard; a PNG on the Desktop;
// "Marked region" without one gives its note and nothing else.
TEST_F(PictWindow, CaptureReachesTheClipboardAndAFile) {
    RECT vr;
    GetWindowRect(view_inst_, &vr);
    const int w = vr.right - vr.left - 4, h = vr.bottom - vr.top - 4;
    on_dialog("Capture Picture", [&](HWND dlg) {
        press(dlg, IDC_CAP_MORE);
        choose_combo(dlg, IDC_CAP_REDUCTION, 50);
        pump(50);
        wt::shot(dlg, "capture_picture");
        press(dlg, IDOK);
    });
    SendMessageA(win_, WM_COMMAND, CMD_CAPTURE, 0);
    auto img = clipboard_picture(win_);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->width, gbrows_round_half_away(w * 0.5));
    EXPECT_EQ(img->height, gbrows_round_half_away(h * 0.5));
    // The diagram's background colour fills the middle of the picture.
    const COLORREF bk = wt::pixel(view_inst_, 50, 50);
    const uint32_t mid = img->at(img->width / 2, img->height / 2);
    EXPECT_EQ(mid, uint32_t(GetRValue(bk)) << 16 | uint32_t(GetGValue(bk)) << 8 | GetBValue(bk));

    char desk[MAX_PATH] = {};
    const std::string desktop = reg_get(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                                        "Desktop", "").text;
    ASSERT_FALSE(desktop.empty());
    const std::string out = desktop + "\\vorn_capture_test.png";
    DeleteFileA(out.c_str());
    (void)desk;
    on_dialog("Capture Picture", [&](HWND dlg) {
        CheckRadioButton(dlg, IDC_CAP_CLIPBOARD, IDC_CAP_PREVIEW, IDC_CAP_DESKTOP);
        press(dlg, IDC_CAP_DESKTOP);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_CAP_FORMAT)));
        SetDlgItemTextA(dlg, IDC_CAP_NAME, "vorn_capture_test.png");
        CheckDlgButton(dlg, IDC_CAP_GRAY, BST_CHECKED);
        press(dlg, IDOK);
    });
    SendMessageA(win_, WM_COMMAND, CMD_CAPTURE, 0);
    Image saved = load_image(out);
    EXPECT_EQ(saved.width, w);
    EXPECT_EQ(saved.height, h);
    const uint32_t c = saved.at(w / 2, h / 2);
    EXPECT_EQ(c >> 16 & 255, c & 255);  // gray
    DeleteFileA(out.c_str());

    Boxes::notes.clear();
    on_dialog("Capture Picture", [&](HWND dlg) {
        CheckRadioButton(dlg, IDC_CAP_WINDOW, IDC_CAP_REGION, IDC_CAP_REGION);
        press(dlg, IDOK);
    });
    SendMessageA(win_, WM_COMMAND, CMD_CAPTURE, 0);
    EXPECT_EQ(Boxes::notes, std::vector<std::string>{"Mark region to be captured and try again"});
}

// Acquire: the test source's picture arrives through the source manager, goes to the clipboard and
// is pasted into the diagram as a picture object.
TEST_F(PictWindow, TwainAcquirePastesTheSourcesPicture) {
    char exe[MAX_PATH] = {}, windir[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    GetWindowsDirectoryA(windir, MAX_PATH);
    const fs::path built = fs::path(exe).parent_path() / "vorn_test_source.ds";
    if (!fs::exists(built)) GTEST_SKIP() << "the test source was not built";
    // The source manager looks for its sources in the system's TWAIN folder, by this name.
    const fs::path source = fs::path(windir) / "twain_32" / "sane.ds";
    const fs::path kept = source.string() + ".vorn-test";
    std::error_code ec;
    fs::remove(source.string() + ".vorn-old", ec);
    fs::create_directories(source.parent_path(), ec);
    const bool had = fs::exists(source);
    if (had) fs::rename(source, kept, ec);
    ASSERT_FALSE(ec) << ec.message();
    // Whatever happens, the system's own file comes back.
    struct Restore {
        fs::path source, kept;
        bool had;
        ~Restore() {
            std::error_code e;
            // A source still loaded cannot be deleted here, but it can be moved aside.
            if (!fs::remove(source, e)) fs::rename(source, source.string() + ".vorn-old", e);
            if (had) fs::rename(kept, source, e);
            HKEY k;
            if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", 0, KEY_SET_VALUE, &k) == ERROR_SUCCESS) {
                RegDeleteValueA(k, "sane.ds");
                RegCloseKey(k);
            }
        }
    } restore{source, kept, had};
    fs::copy_file(built, source, ec);
    ASSERT_FALSE(ec) << ec.message();
    // Under Wine its built-in stand-in must not be preferred to our file (ignored on Windows).
    HKEY k;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\DllOverrides", 0, nullptr, 0, KEY_SET_VALUE, nullptr, &k,
                        nullptr) == ERROR_SUCCESS) {
        RegSetValueExA(k, "sane.ds", 0, REG_SZ, reinterpret_cast<const BYTE*>("native"), 7);
        RegCloseKey(k);
    }
    ASSERT_TRUE(twain_is_available());
    const size_t before = view_doc().objs.size();
    SendMessageA(win_, WM_COMMAND, CMD_TWAIN_ACQUIRE, 0);
    pump(100);
    EXPECT_TRUE(Boxes::errors.empty()) << (Boxes::errors.empty() ? "" : Boxes::errors[0]);
    EXPECT_EQ(view_doc().objs.size(), before + 1);
    auto img = clipboard_picture(win_);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->width, 40);
    EXPECT_EQ(img->height, 30);
    EXPECT_EQ(img->at(1, 1), 0xF08020u);
    EXPECT_EQ(img->at(1, 28), 0x008080u);
    wt::shot(win_, "twain_acquire");
}

namespace {

// Runs a shell command of the host when the program runs under Wine with the host's tools
// (ImageMagick, netpbm); its output comes back through a file. Nullopt elsewhere.
std::optional<std::string> host_shell(const std::string& dir_unix, const std::string& dir_win, const std::string& cmd) {
    const std::string done = dir_win + "\\host.done";
    DeleteFileA(done.c_str());
    std::string line = "/bin/sh -c \"cd " + dir_unix + " && { " + cmd + " ; } > host.out 2>&1; touch host.done\"";
    STARTUPINFOA si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return std::nullopt;
    util_close_process(pi);
    // Host processes give no handle to wait on: the marker file says when it is finished.
    for (int i = 0; i < 300 && GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(50);
    if (GetFileAttributesA(done.c_str()) == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return slurp(fs::path(dir_win) / "host.out");
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

}  // namespace

// Files written here open in ImageMagick with their size and colours (lossless formats exact,
// JPEG and GIF within a mean error of 3 % and 4 %); netpbm reads our PCX pixel-exact, and its own
// PCX files (24-bit, 256 and 16 colours) load here pixel-exact.
TEST(PictHostTools, WrittenFilesOpenInImageMagickAndNetpbm) {
    const std::string unix_dir = wt::host_tmp("vorn_pict_cmp");
    const std::string win_dir = "Z:" + unix_dir;
    if (!CreateDirectoryA(win_dir.c_str(), nullptr)) GTEST_SKIP() << "no host file system under Z:";
    struct Cleanup {
        std::string d;
        ~Cleanup() {
            std::error_code e;
            fs::remove_all(d, e);
        }
    } cleanup{win_dir};
    auto probe = host_shell(unix_dir, win_dir, "for t in identify compare pcxtoppm ppmtopcx; do command -v $t; done | wc -l");
    if (!probe || probe->find('4') == std::string::npos) GTEST_SKIP() << "ImageMagick or netpbm is not reachable: " << probe.value_or("-");

    const Image src = photo(120, 80);
    std::ofstream(win_dir + "\\src.ppm", std::ios::binary) << ppm_of(src);
    HGLOBAL pic = pict_from_dib(image_to_dib24(src));
    struct Row {
        const char* name;
        const char* magick;
        double max_mae;
    } rows[] = {{"p.bmp", "BMP3", 0}, {"p.png", "PNG", 0}, {"p.tif", "TIFF", 0}, {"p.pcx", "PCX", 0},
                {"p.jpg", "JPEG", 0.03}, {"p.gif", "GIF", 0.04}};
    std::string cmd;
    for (const auto& r : rows) {
        pict_save(pic, win_dir + "\\" + r.name);
        cmd += std::string("identify -format '%m %w %h|' ") + r.name + "; compare -metric MAE " + r.name +
               " src.ppm null: ; echo; ";
    }
    GlobalFree(pic);
    cmd += "pcxtoppm p.pcx > back.ppm && cmp -s back.ppm src.ppm && echo PCX-SAME; "
           "ppmtopcx src.ppm > n24.pcx; convert src.ppm -colors 200 q256.ppm; ppmtopcx q256.ppm > n256.pcx; "
           "convert src.ppm -colors 12 q16.ppm; ppmtopcx q16.ppm > n16.pcx; echo END";
    auto out = host_shell(unix_dir, win_dir, cmd);
    ASSERT_TRUE(out);
    std::istringstream lines(*out);
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        std::string line;
        std::getline(lines, line);
        EXPECT_EQ(line.rfind(std::string(r.magick) + " 120 80|", 0), 0u) << line;
        const size_t open = line.find('(');
        ASSERT_NE(open, std::string::npos) << line;
        EXPECT_LE(std::stod(line.substr(open + 1)), r.max_mae) << line;
    }
    EXPECT_NE(out->find("PCX-SAME"), std::string::npos) << *out;
    ASSERT_NE(out->find("END"), std::string::npos) << *out;
    for (const char* n : {"n24", "n256", "n16"}) {
        SCOPED_TRACE(n);
        Image ours = load_image(win_dir + "\\" + n + ".pcx");
        const std::string ref_name = std::string(n) == "n24" ? "src.ppm" : std::string("q") + (n + 1) + ".ppm";
        const std::string ref = slurp(fs::path(win_dir) / ref_name);
        ASSERT_EQ(ours.width, 120);
        ASSERT_EQ(ours.height, 80);
        const size_t at = ref.size() - size_t(120 * 80 * 3);
        bool same = true;
        for (size_t i = 0; i < ours.px.size() && same; ++i) {
            const uint32_t c = uint32_t(uint8_t(ref[at + 3 * i])) << 16 | uint32_t(uint8_t(ref[at + 3 * i + 1])) << 8 |
                               uint8_t(ref[at + 3 * i + 2]);
            same = c == ours.px[i];
        }
        EXPECT_TRUE(same);
    }
}

// Pictures of objects in a running program: files made by ImageMagick at test time, a store that
// follows the files and the document, and how the program is linked for large pictures.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <vector>

#include "app/file_win.h"
#include "base/file.h"
#include "document/globals.h"
#include "document/view.h"
#include "elements/obj_tables.h"
#include "elements/obj_win.h"
#include "print_unix.h"
#include "resources/ids.h"
#include "view/view_win.h"
#include "win_test_util.h"

using namespace wt;

namespace {

class ObjectPictures : public MainWindowTest {
protected:
    ObjectPictures() : MainWindowTest("vorn-object-pictures", SW_SHOWNORMAL) {}

    void SetUp() override {
        MainWindowTest::SetUp();
        if (!unix_tool("convert")) GTEST_SKIP() << "ImageMagick is not installed";
    }
    void command(int id) {
        SendMessageA(win_, WM_COMMAND, id, 0);
        pump(100);
    }
    // Picture objects naming `files`, in a row across the middle of the window, saved and opened
    // as the current document.
    void picture_document(const std::vector<std::string>& files) {
        int x = -300 * static_cast<int>(files.size() - 1) / 2;
        for (const std::string& f : files) {
            Obj o = view_obj_new("Picture", x, 0, 1);
            o.shape = kShapePictureFile;
            Key k = *view_obj_put(o);
            view_obj_set_bin(k, kShapePictureFile, f);
            x += 300;
        }
        const std::string name = path("pictures.vrn");
        ASSERT_TRUE(file_save_document(name));
        ASSERT_EQ(file_open_document(name), 1);
        pump(100);
    }
    // The mean colour of the middle ninth of the first picture object as the window shows it.
    COLORREF shown() {
        view_invalidate();
        UpdateWindow(view_inst_);
        pump(50);
        const auto& objs = view_painted_objects();
        if (objs.empty()) return CLR_INVALID;
        Rc d = normalised_device(objs[0].rect);
        long r = 0, g = 0, b = 0, n = 0;
        HDC dc = GetDC(view_inst_);
        for (int y = d.top + (d.bottom - d.top) / 3; y < d.bottom - (d.bottom - d.top) / 3; ++y)
            for (int x = d.left + (d.right - d.left) / 3; x < d.right - (d.right - d.left) / 3; ++x, ++n) {
                COLORREF c = GetPixel(dc, x, y);
                r += GetRValue(c);
                g += GetGValue(c);
                b += GetBValue(c);
            }
        ReleaseDC(view_inst_, dc);
        if (n == 0) return CLR_INVALID;
        return RGB(r / n, g / n, b / n);
    }
    static Rc normalised_device(const Rc& lr) {
        Rc d = view_mapping().to_device_rect(lr);
        return {std::min(d.left, d.right), std::min(d.top, d.bottom), std::max(d.left, d.right),
                std::max(d.top, d.bottom)};
    }
};

bool reddish(COLORREF c) { return GetRValue(c) > GetBValue(c) + 30; }
bool bluish(COLORREF c) { return GetBValue(c) > GetRValue(c) + 30; }

}  // namespace

// A picture file rewritten on disk shows its new pixels after Reload, and without one once a
// second has passed; a new document lets go of every picture kept for the old one.
TEST_F(ObjectPictures, PicturesFollowTheirFilesAndGoWithTheDocument) {
    HostDir host("vorn-object-pictures");
    ASSERT_TRUE(host.run("convert rose: -scale 400% rose.png"));
    picture_document({host.dos("rose.png")});
    COLORREF first = shown();
    EXPECT_TRUE(reddish(first)) << std::hex << first;
    EXPECT_GT(obj_picture_cache_size(), 0u);

    ASSERT_TRUE(host.run("convert rose: -scale 400% -negate rose.png"));
    command(CMD_RELOAD);
    COLORREF reloaded = shown();
    EXPECT_TRUE(bluish(reloaded)) << std::hex << reloaded;

    // No reload: the file is looked at again on a repaint a second later.
    ASSERT_TRUE(host.run("convert rose: -scale 300% rose.png"));
    pump(1100);
    COLORREF repainted = shown();
    EXPECT_TRUE(reddish(repainted)) << std::hex << repainted;

    command(CMD_NEW);
    EXPECT_EQ(obj_picture_cache_size(), 0u);
    EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors[0];
}

// A sound photo with more pixels than the program reads is told as such, with its size and the
// limit, not as a file that holds no picture.
TEST_F(ObjectPictures, APictureOverThePixelLimitIsToldWithItsSize) {
    HostDir host("vorn-big-picture");
    ASSERT_TRUE(host.run("convert -size 8000x6000 xc:'#406080' -quality 60 big.jpg"));
    picture_document({host.dos("big.jpg")});
    pump(100);
    ASSERT_EQ(Boxes::errors.size(), 1u);
    const std::string& e = Boxes::errors[0];
    EXPECT_NE(e.find("big.jpg"), std::string::npos) << e;
    EXPECT_NE(e.find("8000 x 6000 pixels"), std::string::npos) << e;
    EXPECT_NE(e.find("33,554,432"), std::string::npos) << e;
    EXPECT_NE(e.find("ErrNo=6105 The picture has more pixels"), std::string::npos) << e;
}

// Ten pictures of a document that will not load (hostile files and a missing one) are told in
// one box, each under its full path.
TEST_F(ObjectPictures, BrokenPicturesOfADocumentShareOneBox) {
    HostDir host("vorn-broken-pictures");
    ASSERT_TRUE(host.run("cp /usr/share/common-licenses/GPL-3 licence.png && convert rose: r.jpg && head -c 300 r.jpg > "
                         "cut.jpg && convert rose: r.png && head -c 100 r.png > cut.png && : > empty.bmp && "
                         "head -c 300 /bin/sh > sh.pcx && head -c 300 /bin/sh > sh.tif && head -c 300 /bin/sh > sh.ico && "
                         "head -c 300 /bin/sh > sh.wmf && head -c 300 /bin/sh > sh.emf"));
    std::vector<std::string> files;
    for (const char* n : {"licence.png", "cut.jpg", "cut.png", "empty.bmp", "sh.pcx", "sh.tif", "sh.ico", "sh.wmf", "sh.emf"})
        files.push_back(host.dos(n));
    files.push_back("gone.png");
    picture_document(files);
    pump(200);
    ASSERT_EQ(Boxes::errors.size(), 1u);
    const std::string e = Boxes::errors[0];
    EXPECT_EQ(e.rfind("10 pictures could not be loaded:", 0), 0u) << e;
    for (size_t k = 0; k + 1 < files.size(); ++k) EXPECT_NE(e.find(files[k]), std::string::npos) << files[k];
    EXPECT_NE(e.find(path("gone.png")), std::string::npos) << e;
    // Every line has words after its number.
    for (size_t at = e.find("ErrNo="); at != std::string::npos; at = e.find("ErrNo=", at + 1)) {
        size_t blank = e.find(' ', at);
        ASSERT_NE(blank, std::string::npos);
        EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(e[blank + 1]))) << e.substr(at, 40);
    }
    // Repaints say nothing more; opening the document again, after another, tells it all again.
    view_invalidate();
    pump(200);
    EXPECT_EQ(Boxes::errors.size(), 1u);
    command(CMD_NEW);
    command(CMD_FILE1);
    EXPECT_EQ(file_current_name(), path("pictures.vrn"));
    pump(200);
    ASSERT_EQ(Boxes::errors.size(), 2u);
    EXPECT_EQ(Boxes::errors[1], e);
}

namespace {

// The view's pixels as the screen shows them.
std::vector<uint32_t> view_pixels() {
    view_invalidate();
    UpdateWindow(view_inst_);
    pump(50);
    RECT c;
    GetClientRect(view_inst_, &c);
    MemBitmap copy(c.right, c.bottom, 0, 0);
    SetMapMode(copy.dc, MM_TEXT);
    SetViewportOrgEx(copy.dc, 0, 0, nullptr);
    HDC dc = GetDC(view_inst_);
    BitBlt(copy.dc, 0, 0, c.right, c.bottom, dc, 0, 0, SRCCOPY);
    ReleaseDC(view_inst_, dc);
    GdiFlush();
    return {copy.bits, copy.bits + size_t(c.right) * size_t(c.bottom)};
}

std::string record_path(const std::string& p) {
    std::string out;
    for (char c : p) out += c == '\\' ? std::string("\\\\") : std::string(1, c);
    return out;
}

}  // namespace

// A picture cut short (an LZW TIFF whose second half is missing, as an interrupted copy leaves
// it) is told and drawn as a broken picture, never handed to the system's decoder; the window
// keeps painting the next document as it did before, even after a paint that never ended.
TEST_F(ObjectPictures, ACutTiffIsRefusedAndNoPaintHarmsTheNext) {
    HostDir host("vorn-cut-tiff");
    ASSERT_TRUE(host.run("convert rose: -resize 300x200! -compress LZW whole.tif && "
                         "head -c $(( $(stat -c %s whole.tif) / 2 )) whole.tif > half.tif"));
    const std::string plan = path("plan.vrn"), cut = path("cut.vrn");
    std::ofstream(plan, std::ios::binary) << "j_(1,\"Objects\",1,-300,100,0,0,161,5,1,0,0,\"\")\r\n"
                                             "j_(2,\"Second\",1,300,-100,0,0,162,5,1,0,0,\"\")\r\n"
                                             "b_(1,2,0,0,0,0,\"to\")\r\np_(350,20110)\r\n";
    std::ofstream(cut, std::ios::binary) << "j_(1,\"B1\",1,0,0,15,0,169,5,1,0,0,\"\")\r\n"
                                            "bin_(1,2,\"" + record_path(host.dos("half.tif")) + "\",0,0,\"\")\r\n"
                                            "p_(350,20110)\r\n";
    ASSERT_EQ(file_open_document(plan), 1);
    const std::vector<uint32_t> before = view_pixels();

    ASSERT_EQ(file_open_document(cut), 1);
    const std::vector<uint32_t> broken = view_pixels();
    pump(100);
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_NE(Boxes::errors[0].find(host.dos("half.tif")), std::string::npos) << Boxes::errors[0];
    EXPECT_NE(Boxes::errors[0].find("ErrNo=6101"), std::string::npos) << Boxes::errors[0];
    ASSERT_EQ(view_painted_objects().size(), 1u);
    EXPECT_EQ(broken.front(), before.front()) << "the background is painted";

    // A paint the system abandoned: its DC left clipped and mirrored eight times over.
    HDC screen = GetDC(view_inst_);
    HDC left = view_paint_begin(screen, 100, 100);
    SetMapMode(left, MM_ANISOTROPIC);
    SetWindowExtEx(left, 1, 1, nullptr);
    SetViewportExtEx(left, -8, 8, nullptr);
    IntersectClipRect(left, 0, 0, 3, 3);
    SaveDC(left);
    ReleaseDC(view_inst_, screen);

    ASSERT_EQ(file_open_document(plan), 1);
    EXPECT_TRUE(view_pixels() == before) << "the same document paints as it did before";
}

// An object opening a file no program takes is told in words, not by a bare number.
TEST_F(ObjectPictures, AFileNoProgramOpensIsToldInWords) {
    HostDir host("vorn-no-program");
    ASSERT_TRUE(host.run("convert rose: rose.zzq9"));
    Obj o = view_obj_new("Open it", 0, 0, 1);
    o.action = 39;
    o.ext = host.dos("rose.zzq9");
    marked_obj_ = {*view_obj_put(o)};
    view_invalidate();
    pump(50);
    SetFocus(view_inst_);
    SendMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
    SendMessageA(GetFocus(), WM_KEYUP, VK_RETURN, 0);
    pump(200);
    ASSERT_EQ(Boxes::errors.size(), 1u);
    const std::string& e = Boxes::errors[0];
    EXPECT_EQ(e.rfind("Opening File (", 0), 0u) << e;
    const size_t at = e.find("ErrNo=100");
    ASSERT_NE(at, std::string::npos) << e;
    const size_t blank = e.find(' ', at);
    ASSERT_NE(blank, std::string::npos) << e;
    EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(e[blank + 1]))) << e;
}

// A 32-bit program gets 4 GB of address space only when its image says it can use it.
TEST(ProgramImage, IsLinkedLargeAddressAware) {
    const std::string exe = file_progdir_path("vorn2001.exe");
    HANDLE f = CreateFileA(exe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE) << exe;
    IMAGE_DOS_HEADER dos{};
    IMAGE_NT_HEADERS32 nt{};
    DWORD got = 0;
    ReadFile(f, &dos, sizeof dos, &got, nullptr);
    SetFilePointer(f, dos.e_lfanew, nullptr, FILE_BEGIN);
    ReadFile(f, &nt, sizeof nt, &got, nullptr);
    CloseHandle(f);
    ASSERT_EQ(nt.Signature, IMAGE_NT_SIGNATURE);
    EXPECT_EQ(nt.FileHeader.Machine, IMAGE_FILE_MACHINE_I386);
    EXPECT_TRUE(nt.FileHeader.Characteristics & IMAGE_FILE_LARGE_ADDRESS_AWARE);
}

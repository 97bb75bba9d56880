// Copy and Cut in the diagram put a metafile picture of the marked items on the clipboard for
// other programs, through Ctrl+C, Ctrl+X and Ctrl+V as the message loop sees them.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>

#include "app/vorn6_win.h"
#include "bars/sbar.h"
#include "document/clip.h"
#include "document/globals.h"
#include "document/view.h"
#include "elements/obj_win.h"
#include "resources/ids.h"
#include "view/view_win.h"
#include "win/win_test_util.h"

namespace {

using wt::pump;

constexpr COLORREF kShapeColour = RGB(0, 255, 255);  // palette colour 13

// Where a colour lies in a picture: how many pixels and their bounding box.
struct Patch {
    int n = 0;
    RECT r{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
};

// A white bitmap of w x h pixels in MM_TEXT.
struct Pixels : wt::MemBitmap {
    Pixels(int w, int h) : MemBitmap(w, h, 0, 0) { SetMapMode(dc, MM_TEXT); }
    Patch find(COLORREF c) const {
        GdiFlush();
        Patch p;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                if (px(x, y) != c) continue;
                ++p.n;
                p.r = {std::min<LONG>(p.r.left, x), std::min<LONG>(p.r.top, y), std::max<LONG>(p.r.right, x),
                       std::max<LONG>(p.r.bottom, y)};
            }
        return p;
    }
};

class CopyPicture : public wt::MainWindowTest {
protected:
    CopyPicture() : MainWindowTest("vorn_copy_picture_test", SW_SHOWNORMAL) {}
    void SetUp() override {
        MainWindowTest::SetUp();
        sbar_set_origin(1, 0, 0);
        sbar_cmd(kSbarZoom, kSbSet, 100);
        // Marked: two objects, the link between them and a shape; unmarked: an object between them.
        a_ = add("Alpha", -800, 400, 2);
        b_ = add("Beta", 800, -400, 12);
        c_ = add("Gamma", 800, 400, 4);
        view_link_add(Link{a_, b_, 0, 0, 0, 0, ""});
        Shape s;
        s.kind = 1;
        s.level = 1;
        s.colour_curve = 13;
        s.left = -900;
        s.top = -250;
        s.right = -500;
        s.bottom = -450;
        marked_obj_ = {a_, b_};
        marked_shape_ = {view_shape_put(s).value_or(0)};
        paint();
    }
    void TearDown() override {
        marked_obj_.clear();
        marked_link_.clear();
        marked_shape_.clear();
        MainWindowTest::TearDown();
    }
    Key add(const char* id, int x, int y, int colour) {
        Obj o = view_obj_new(id, x, y, 1);
        o.shape = 161;
        o.colour = colour;
        return view_obj_put(o).value_or(0);
    }
    void paint() {
        InvalidateRect(view_inst_, nullptr, FALSE);
        UpdateWindow(view_inst_);
    }
    void ctrl_key(UINT vk) { wt::ctrl_key(vk, view_inst_); }
    // The window's pixels as they are now.
    std::unique_ptr<Pixels> screen() {
        RECT c;
        GetClientRect(view_inst_, &c);
        auto p = std::make_unique<Pixels>(c.right, c.bottom);
        HDC dc = GetDC(view_inst_);
        BitBlt(p->dc, 0, 0, c.right, c.bottom, dc, 0, 0, SRCCOPY);
        ReleaseDC(view_inst_, dc);
        return p;
    }
    COLORREF colour_at(const Pixels& p, Key k) {
        Pt d = view_mapping().to_device({view_doc().obj(k)->x, view_doc().obj(k)->y + 20});
        return p.at(d.x, d.y);
    }
    // The clipboard's enhanced metafile, a copy the caller owns; null when there is none.
    static HENHMETAFILE clipboard_picture() {
        if (!OpenClipboard(nullptr)) return nullptr;
        auto h = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
        HENHMETAFILE copy = h ? CopyEnhMetaFileA(h, nullptr) : nullptr;
        CloseClipboard();
        return copy;
    }
    // The picture played at one pixel of the screen for each of its own.
    static std::unique_ptr<Pixels> play(HENHMETAFILE emf) {
        ENHMETAHEADER h{};
        GetEnhMetaFileHeader(emf, sizeof h, &h);
        HDC ref = GetDC(nullptr);
        const int w = MulDiv(h.rclFrame.right - h.rclFrame.left, GetDeviceCaps(ref, HORZRES), 100 * GetDeviceCaps(ref, HORZSIZE));
        const int ht = MulDiv(h.rclFrame.bottom - h.rclFrame.top, GetDeviceCaps(ref, VERTRES), 100 * GetDeviceCaps(ref, VERTSIZE));
        ReleaseDC(nullptr, ref);
        if (w <= 0 || ht <= 0 || w > 4000 || ht > 4000) return nullptr;
        auto p = std::make_unique<Pixels>(w, ht);
        RECT all{0, 0, w, ht};
        PlayEnhMetaFile(p->dc, emf, &all);
        return p;
    }

    Key a_ = 0, b_ = 0, c_ = 0;
};

}  // namespace

TEST_F(CopyPicture, CopyPutsThePictureOfTheMarkedItemsBesideItsOwnFormat) {
    auto before = screen();
    const COLORREF fill_a = colour_at(*before, a_), fill_b = colour_at(*before, b_), fill_c = colour_at(*before, c_);
    const Patch shape_on_screen = before->find(kShapeColour);
    ASSERT_GT(shape_on_screen.n, 0) << "the shape's colour is not on screen";

    ctrl_key('C');
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatA("Vorn Diagram")));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
    EXPECT_TRUE(IsClipboardFormatAvailable(CF_ENHMETAFILE));
    HENHMETAFILE emf = clipboard_picture();
    ASSERT_NE(emf, nullptr);
    auto pic = play(emf);
    DeleteEnhMetaFile(emf);
    // Older programs take the old-style metafile made from it.
    ASSERT_TRUE(OpenClipboard(nullptr));
    HANDLE old_style = GetClipboardData(CF_METAFILEPICT);
    const auto* mp = old_style ? static_cast<const METAFILEPICT*>(GlobalLock(old_style)) : nullptr;
    EXPECT_TRUE(mp && mp->hMF && mp->xExt > 0 && mp->yExt > 0);
    if (mp) GlobalUnlock(old_style);
    CloseClipboard();
    ASSERT_TRUE(pic);
    if (const char* dir = std::getenv("VORN_SHOTS")) pic->save(std::string(dir) + "\\copy_picture.bmp");

    // Each marked item lies in the picture as on screen, all moved by the same step (give or
    // take the pixel a played rectangle's right and bottom edges add).
    const Patch a_screen = before->find(fill_a), a_pic = pic->find(fill_a);
    ASSERT_GT(a_pic.n, 0);
    const int dx = a_pic.r.left - a_screen.r.left, dy = a_pic.r.top - a_screen.r.top;
    for (COLORREF c : {fill_a, fill_b, kShapeColour}) {
        SCOPED_TRACE(c);
        const Patch s = before->find(c), p = pic->find(c);
        EXPECT_NEAR(p.r.left - s.r.left, dx, 2);
        EXPECT_NEAR(p.r.top - s.r.top, dy, 2);
        EXPECT_NEAR(p.r.right - s.r.right, dx, 2);
        EXPECT_NEAR(p.r.bottom - s.r.bottom, dy, 2);
    }
    // The picture is the marked items' bounding box, with a small margin.
    const Patch b_screen = before->find(fill_b);
    const LONG left = std::min({a_screen.r.left, b_screen.r.left, shape_on_screen.r.left});
    const LONG right = std::max({a_screen.r.right, b_screen.r.right, shape_on_screen.r.right});
    EXPECT_GE(left + dx, 0);
    EXPECT_LE(left + dx, 8);
    EXPECT_GE(pic->w - 1 - (right + dx), 0);
    EXPECT_LE(pic->w - 1 - (right + dx), 8);
    // The link between them is drawn; the unmarked object and the handles are not.
    Pt ma = view_mapping().to_device({-800, 400}), mb = view_mapping().to_device({800, -400});
    EXPECT_TRUE(pic->ink_near((ma.x + mb.x) / 2 + dx, (ma.y + mb.y) / 2 + dy));
    EXPECT_EQ(pic->find(fill_c).n, 0);
    const RECT& r = a_screen.r;
    EXPECT_TRUE(before->ink_near(r.left - 3, r.top - 3, 1)) << "no handle on screen to leave out";
    EXPECT_FALSE(pic->ink_near(r.left - 3 + dx, r.top - 3 + dy, 1));

    // Paste in the program still takes its own format.
    const size_t objs = view_doc().objs.size();
    ctrl_key('V');
    ASSERT_EQ(view_doc().objs.size(), objs + 2);
    EXPECT_EQ(view_doc().objs[objs].id, "Alpha");
    EXPECT_EQ(view_doc().shapes.size(), 2u);
}

TEST_F(CopyPicture, CutPictureOutlivesTheWindowAndPastesBackAsAPicture) {
    // A marked picture object too, its metafile embedded in the document.
    const std::string bytes = wt::filled_metafile_bytes(RGB(255, 0, 255));
    const Key picture = view_paste_picture(bytes, {0, -300}, 1).value_or(0);
    marked_obj_ = {a_, b_, picture};
    paint();
    auto before = screen();
    const COLORREF fill_a = colour_at(*before, a_);
    ASSERT_GT(before->find(RGB(255, 0, 255)).n, 0);

    ctrl_key('X');
    ASSERT_EQ(view_doc().obj(a_), nullptr);
    ASSERT_EQ(view_doc().obj(picture), nullptr);

    // Made only now, from what was cut, and after the program's window is gone.
    close_main();
    HENHMETAFILE emf = clipboard_picture();
    ASSERT_NE(emf, nullptr);
    auto pic = play(emf);
    ASSERT_TRUE(pic);
    EXPECT_GT(pic->find(fill_a).n, 0);
    EXPECT_GT(pic->find(RGB(255, 0, 255)).n, 0) << "the embedded picture is gone from the document, not from the copy";

    // Another program's copy holds only the picture: Paste makes an object showing it.
    open_main();
    ASSERT_TRUE(OpenClipboard(win_));
    EmptyClipboard();
    SetClipboardData(CF_ENHMETAFILE, emf);
    CloseClipboard();
    ENHMETAHEADER h{};
    GetEnhMetaFileHeader(emf, sizeof h, &h);
    const size_t objs = view_doc().objs.size();
    ctrl_key('V');
    ASSERT_EQ(view_doc().objs.size(), objs + 1);
    ASSERT_EQ(marked_obj_.size(), 1u);
    EXPECT_EQ(view_doc().obj(marked_obj_[0])->shape, 173);
    auto m = obj_picture_metafile(marked_obj_[0], "");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->width, h.rclFrame.right - h.rclFrame.left);
    EXPECT_EQ(m->height, h.rclFrame.bottom - h.rclFrame.top);
}

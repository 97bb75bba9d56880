// Backgrounds under Wine: fills and patterns checked by pixels on the view's y-up mapping, and
// the Background dialog driven through the main window's command and its controls.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "app/file_win.h"
#include "base/globals_win.h"
#include "base/palette.h"
#include "document/undo.h"
#include "document/view.h"
#include "document/view_io.h"
#include "elements/bg.h"
#include "elements/bg_transition.h"
#include "elements/bg_transition_win.h"
#include "elements/bg_win.h"
#include "elements/canvas_win.h"
#include "elements/net.h"
#include "resources/bg_ids.h"
#include "resources/ids.h"
#include "resources/pict_ids.h"
#include "services/pictbrowse_win.h"
#include "bars/sbar.h"
#include "view/view_win.h"
#include "win/print_unix.h"
#include "win/win_test_util.h"

namespace {

using wt::Boxes;

class Backgrounds : public wt::MainWindowTest {
protected:
    Backgrounds() : MainWindowTest("vorn_bg_test") {}
    void SetUp() override {
        MainWindowTest::SetUp();
        view_doc() = Document();
        view_undo_clear();
        tbar_palette_reset();
    }
    void TearDown() override {
        if (HWND d = dlg_find_modeless(IDD_BACKGROUND)) DestroyWindow(d);
        wt::MainWindowTest::TearDown();
    }
    HWND open_dialog() {
        SendMessageA(win_, WM_COMMAND, CMD_BACKGROUND, 0);
        wt::pump(20);
        return dlg_find_modeless(IDD_BACKGROUND);
    }
    static void select(HWND dlg, int id, int pos) {
        SendDlgItemMessageA(dlg, id, CB_SETCURSEL, pos, 0);
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
    }
    static void press(HWND dlg, int id) { SendDlgItemMessageA(dlg, id, BM_CLICK, 0, 0); }
    // The document's background painted at 100 % into a 400 x 300 bitmap, origin in the middle.
    static void paint(const wt::MemBitmap& bm) {
        GdiCanvas c(bm.dc);
        bg_paint_doc(c, view_doc(), {0, 0, bm.w, bm.h});
        bg_paint_level(c, view_doc(), 1);
    }
};

bool close_to(COLORREF a, Colour b, int tolerance = 2) {
    for (int shift : {0, 8, 16})
        if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > tolerance)
            return false;
    return true;
}

TEST_F(Backgrounds, FillsAndPatternsByPixel) {
    Colour back = *tbar_color(2), blend = *tbar_color(0), pattern = *tbar_color(15);
    // A client larger than the biggest blend box, the diagram origin at (850, 650).
    struct Case {
        int fill, figure;
        int x, y;
        Colour expect;
    } cases[] = {
        {0, 0, 5, 5, back},                                          // plain
        {1, 0, 850, 2, bg_mix(back, 0.002, blend, 0.998)},           // linear: top is the second colour
        {1, 0, 850, 1297, bg_mix(back, 29 * 0.0333333 + 0.002, blend, 1 - (29 * 0.0333333 + 0.002))},
        {4, 0, 850, 650, bg_mix(back, 1 - 9 * 0.1, blend, 9 * 0.1)},  // ellipse blend: innermost
        {4, 0, 2, 2, back},                                          // outside the largest ellipse
        {6, 0, 100, 650, bg_mix(back, 1 - 0.1, blend, 0.1)},         // circles as wide as the box...
        {5, 0, 60, 650, back},                                       // ...or as high
        {0, 6, 850, 650, pattern},                                   // dotted grid: a dot at the origin
        {0, 6, 851, 651, back},
        {0, 2, 650, 650, pattern},                                   // rectangles are outlined...
        {0, 2, 700, 650, back},                                      // ...not filled
        {0, 4, 1249, 127, pattern},                                  // the world map is filled (Asia)
        {99, 0, 5, 5, 0xFFFFFF},                                     // an unknown fill paints nothing
    };
    for (const auto& k : cases) {
        view_doc().set_param(1, 2);
        view_doc().set_param(3, 0);
        view_doc().set_param(5, 15);
        view_doc().set_param(7, k.fill);
        view_doc().set_param(10001, k.figure);
        wt::MemBitmap bm(1700, 1300, 850, 650);
        paint(bm);
        EXPECT_TRUE(close_to(bm.at(k.x, k.y), k.expect)) << k.fill << "/" << k.figure << " at " << k.x << "," << k.y
                                                         << ": " << std::hex << bm.at(k.x, k.y);
    }
}

TEST_F(Backgrounds, RepeatingPictureTilesAndAMissingOneLeavesThePlainColour) {
    // A 3 x 2 red bitmap file.
    std::string file = path("tile.bmp");
    {
        wt::MemBitmap src(3, 2, 0, 0);
        RECT r{0, 0, 3, 2};
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        SetMapMode(src.dc, MM_TEXT);
        FillRect(src.dc, &r, red);
        DeleteObject(red);
        src.save(file);
    }
    view_doc().set_param(1, 2);
    view_doc().set_param(7, kBgPicture);
    view_doc().set_text_param(23, file);
    wt::MemBitmap bm(400, 300, 200, 150);
    paint(bm);
    EXPECT_EQ(bm.at(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(bm.at(399, 299), RGB(255, 0, 0));  // the last column and row cover the edge
    // A repeating icon never chosen tiles the fallback picture and reports nothing.
    view_doc().set_param(7, kBgIcon);
    wt::MemBitmap icons(400, 300, 200, 150);
    paint(icons);
    EXPECT_GT(icons.count_not(*tbar_color(2), 0, 0, 400, 300), 1000);
    wt::pump(30);  // load failures are reported after the paint
    EXPECT_TRUE(Boxes::errors.empty());
    EXPECT_TRUE(Boxes::notes.empty());
    view_doc().set_param(7, kBgPicture);
    view_doc().set_text_param(23, path("missing.bmp"));
    wt::MemBitmap plain(400, 300, 200, 150);
    paint(plain);
    EXPECT_TRUE(close_to(plain.at(10, 10), *tbar_color(2)));
}

// Private memory committed in the process.
double committed() {
    double n = 0;
    MEMORY_BASIC_INFORMATION mi;
    for (char* p = nullptr; VirtualQuery(p, &mi, sizeof mi) == sizeof mi; p = static_cast<char*>(mi.BaseAddress) + mi.RegionSize) {
        if (mi.State == MEM_COMMIT && mi.Type == MEM_PRIVATE) n += static_cast<double>(mi.RegionSize);
        if (static_cast<char*>(mi.BaseAddress) + mi.RegionSize < p) break;
    }
    return n;
}

// A repeating picture one pixel wide and 131,070 high (a 512 KB file) tiles the window as the
// picture would, without holding a hundred megabytes to do it.
TEST_F(Backgrounds, AVeryTallThinRepeatingPictureTilesInLittleMemory) {
    wt::HostDir host("vorn-tall-tile");
    if (!wt::unix_tool("ppmmake")) GTEST_SKIP() << "netpbm is not installed";
    // 100 red rows over 130,970 blue ones (ImageMagick refuses a side this long).
    ASSERT_TRUE(host.run("ppmmake red 1 100 > top.ppm && ppmmake blue 1 130970 > rest.ppm && "
                         "pnmcat -tb top.ppm rest.ppm | ppmtobmp -bpp 24 > tall.bmp"));
    view_doc().set_param(7, kBgPicture);
    view_doc().set_text_param(23, host.dos("tall.bmp"));
    const double before = committed();
    wt::MemBitmap bm(400, 300, 200, 150);
    paint(bm);
    const double grown = committed() - before;
    EXPECT_LT(grown, 30e6) << "bytes";
    // Every column shows the picture: its red rows on top, then blue.
    for (int x : {0, 1, 7, 8, 200, 399}) {
        EXPECT_EQ(bm.at(x, 0), RGB(255, 0, 0)) << x;
        EXPECT_EQ(bm.at(x, 99), RGB(255, 0, 0)) << x;
        EXPECT_EQ(bm.at(x, 100), RGB(0, 0, 255)) << x;
        EXPECT_EQ(bm.at(x, 299), RGB(0, 0, 255)) << x;
    }
    wt::pump(30);
    EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors.front();
}

TEST_F(Backgrounds, DialogPreviewsAndCancelPutsBackWithoutMarking) {
    int32_t back = view_param_get(1);
    HWND dlg = open_dialog();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(open_dialog(), dlg);  // a second command keeps the one dialog
    char caption[64] = {};
    GetDlgItemTextA(dlg, IDC_BG_LEVEL_GROUP, caption, sizeof caption);
    EXPECT_STREQ(caption, "Lev 1 Pattern");
    select(dlg, IDC_BG_FILL, 4);
    select(dlg, IDC_BG_BACK, 5);
    select(dlg, IDC_BG_FIGURE, 2);
    press(dlg, IDC_BG_OBJECTS_BEHIND);
    EXPECT_EQ(view_doc().shown_param(7), 4);  // shown at once, not yet the document's
    EXPECT_EQ(view_doc().shown_param(1), 5);
    EXPECT_EQ(view_doc().shown_param(10001), 1);
    EXPECT_EQ(view_doc().shown_param(59), 0);
    EXPECT_EQ(view_param_get(7), 0);
    EXPECT_FALSE(view_doc().changed);
    press(dlg, IDCANCEL);
    wt::pump(20);
    EXPECT_EQ(dlg_find_modeless(IDD_BACKGROUND), nullptr);
    EXPECT_EQ(view_doc().shown_param(7), 0);
    EXPECT_EQ(view_doc().shown_param(1), back);
    EXPECT_EQ(view_doc().shown_param(10001), 0);
    EXPECT_EQ(view_doc().shown_param(59), 1);
    EXPECT_FALSE(view_doc().changed);
    EXPECT_FALSE(view_can_undo());
}

TEST_F(Backgrounds, DialogOkIsOneUndoableStep) {
    HWND dlg = open_dialog();
    ASSERT_NE(dlg, nullptr);
    select(dlg, IDC_BG_FILL, 1);
    select(dlg, IDC_BG_BLEND, 7);
    select(dlg, IDC_BG_LIGHT, 3);
    press(dlg, IDOK);
    wt::pump(20);
    EXPECT_EQ(dlg_find_modeless(IDD_BACKGROUND), nullptr);
    EXPECT_TRUE(view_doc().changed);
    EXPECT_EQ(view_undo_name(), "Change Para");
    EXPECT_EQ(view_param_get(3), 7);
    ASSERT_TRUE(view_undo());
    EXPECT_EQ(view_param_get(7), 0);
    EXPECT_EQ(view_param_get(3), 0);
    EXPECT_EQ(view_param_get(363), 0);
    EXPECT_FALSE(view_can_undo());
}

TEST_F(Backgrounds, OkWithARepeatingPictureNeedsAFile) {
    HWND dlg = open_dialog();
    ASSERT_NE(dlg, nullptr);
    select(dlg, IDC_BG_FILL, 8);
    press(dlg, IDOK);
    wt::pump(20);
    EXPECT_NE(std::find(Boxes::notes.begin(), Boxes::notes.end(), "Picture file must be specified"), Boxes::notes.end());
    EXPECT_EQ(dlg_find_modeless(IDD_BACKGROUND), dlg);
    SetDlgItemTextA(dlg, IDC_BG_PICTURE, "Back.BMP");
    press(dlg, IDOK);  // OK takes the name even before the typing pause is over
    wt::pump(20);
    EXPECT_EQ(dlg_find_modeless(IDD_BACKGROUND), nullptr);
    EXPECT_EQ(view_param_get(7), 8);
    EXPECT_EQ(view_text_param_get(23), "back.bmp");
}

// A picture name is tried once the typing pauses, never half typed; one that does not load
// shows as the plain colour while the name is being typed, so no box takes the next keys, and
// is reported once the field is left. The group caption follows a level change at once.
TEST_F(Backgrounds, TypedPictureNameIsTriedAfterAPause) {
    HWND dlg = open_dialog();
    ASSERT_NE(dlg, nullptr);
    select(dlg, IDC_BG_FILL, 8);
    HWND edit = GetDlgItem(dlg, IDC_BG_PICTURE);
    SetFocus(edit);
    const std::string typed = path("No such.bmp");
    for (char ch : typed) {
        SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(ch), 0);
        wt::pump(20);
    }
    EXPECT_EQ(view_doc().shown_text_param(23), "");
    wt::pump(1000);
    EXPECT_EQ(view_doc().shown_text_param(23), file_lower(typed));
    wt::MemBitmap bm(400, 300, 200, 150);
    paint(bm);
    wt::pump(50);
    EXPECT_TRUE(close_to(bm.at(10, 10), *tbar_color(view_param_get(1))));
    EXPECT_TRUE(Boxes::errors.empty());

    sbar_cmd(kSbarLevel, kSbSet, 3);
    char caption[64] = {};
    GetDlgItemTextA(dlg, IDC_BG_LEVEL_GROUP, caption, sizeof caption);
    EXPECT_STREQ(caption, "Lev 3 Pattern");
    sbar_cmd(kSbarLevel, kSbSet, 1);

    press(dlg, IDOK);
    for (int k = 0; k < 2; ++k) {
        wt::MemBitmap again(400, 300, 200, 150);
        paint(again);
        wt::pump(50);
    }
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_EQ(Boxes::errors[0].rfind("Loading " + file_lower(typed), 0), 0u) << Boxes::errors[0];
}

// The dialog belongs to the document it was opened for: reloading it or making a new one closes
// it, and nothing it showed reaches the document that follows.
TEST_F(Backgrounds, AnotherDocumentClosesTheDialog) {
    std::string err, file = path("fill.vrn");
    view_doc().set_param(7, 2);
    view_doc().set_param(1, 5);
    ASSERT_TRUE(view_save_file(file, &err)) << err;
    ASSERT_EQ(file_open_document(file), 1);
    auto left_alone = [&](const char* how, int fill, int back) {
        // Were it still open, its Cancel would write its opening values into this document.
        if (HWND d = dlg_find_modeless(IDD_BACKGROUND)) press(d, IDCANCEL);
        wt::pump(20);
        EXPECT_EQ(view_param_get(7), fill) << how;
        EXPECT_EQ(view_param_get(1), back) << how;
        EXPECT_FALSE(view_doc().changed) << how;
        EXPECT_FALSE(view_can_undo()) << how;
    };
    HWND dlg = open_dialog();
    ASSERT_NE(dlg, nullptr);
    select(dlg, IDC_BG_FILL, 6);
    SendMessageA(win_, WM_COMMAND, CMD_RELOAD, 0);
    wt::pump(20);
    EXPECT_FALSE(IsWindow(dlg));
    left_alone("reload", 2, 5);

    dlg = open_dialog();
    ASSERT_NE(dlg, nullptr);
    select(dlg, IDC_BG_BACK, 9);
    SendMessageA(win_, WM_COMMAND, CMD_NEW, 0);
    wt::pump(20);
    EXPECT_FALSE(IsWindow(dlg));
    left_alone("new", 0, Document().param(1));
}

// A lower level whose pattern is "Invisible" is left out of the views of the levels above it;
// on its own level it is drawn as any other.
TEST_F(Backgrounds, InvisibleLowerLevelIsLeftOut) {
    Obj o = view_obj_new("Below", 0, 0, 2);
    o.shape = 161;
    ASSERT_TRUE(view_obj_put(o));
    view_doc().set_param(366, 2);  // the current level and the one below
    auto ink = [](int level) {
        sbar_set_origin(level, 0, 0);
        ViewMapping m = view_mapping();
        wt::MemBitmap bm(m.client_w, m.client_h, 0, 0);
        view_apply_mapping(bm.dc, m);
        view_paint_dc(bm.dc, m, RECT{0, 0, m.client_w, m.client_h});
        return bm.count_not(bm.at(1, 1), 0, 0, m.client_w, m.client_h);
    };
    EXPECT_GT(ink(1), 50);
    view_doc().set_param(10002, kBgInvisible);
    EXPECT_EQ(ink(1), 0);
    EXPECT_GT(ink(2), 50);
    view_doc().set_param(366, 0);
}

// Browse starts in the folder of the name typed in the dialog, showing every file.
std::string browser_path_;
LRESULT browser_ext_ = -1;
void CALLBACK look_at_browser(HWND, UINT, UINT_PTR id, DWORD) {
    HWND d = FindWindowA("#32770", "Picture Browser");
    if (!d) return;
    KillTimer(nullptr, id);
    char t[MAX_PATH] = {};
    GetDlgItemTextA(d, IDC_GB_PATH, t, sizeof t);
    browser_path_ = t;
    browser_ext_ = SendDlgItemMessageA(d, IDC_GB_EXT, CB_GETCURSEL, 0, 0);
    SendDlgItemMessageA(d, IDCANCEL, BM_CLICK, 0, 0);
}

TEST_F(Backgrounds, BrowseStartsInTheFolderOfTheTypedName) {
    std::filesystem::create_directories(dir_ / "pics");
    std::string tile = (dir_ / "pics" / "tile.bmp").string();
    wt::MemBitmap(4, 4, 0, 0).save(tile);
    gbrows_set_default_file(path("remembered.png"));
    HWND dlg = open_dialog();
    ASSERT_NE(dlg, nullptr);
    SetDlgItemTextA(dlg, IDC_BG_PICTURE, tile.c_str());
    browser_path_.clear();
    SetTimer(nullptr, 0, 30, look_at_browser);
    press(dlg, IDC_BG_BROWSE);
    EXPECT_EQ(file_lower(browser_path_), file_lower((dir_ / "pics").string()));
    EXPECT_EQ(browser_ext_, 0) << "\"*.*\"";
    press(dlg, IDCANCEL);
}

// No network session ever opens: its three menu items stay greyed and do nothing.
TEST_F(Backgrounds, NetworkItemsStayGreyedAndTheQueryAnswersNo) {
    EXPECT_FALSE(net_session_active());
    HMENU bar = GetMenu(win_);
    for (int k = 0, n = GetMenuItemCount(bar); k < n; ++k)
        SendMessageA(win_, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(bar, k)), k);
    long windows = wt::thread_windows();
    for (int id : {CMD_OPEN_HOLD, CMD_NET_SESSION, CMD_NET_SETTINGS}) {
        EXPECT_TRUE(GetMenuState(bar, id, MF_BYCOMMAND) & MF_GRAYED) << id;
        SendMessageA(win_, WM_COMMAND, id, 0);
    }
    wt::pump(20);
    EXPECT_EQ(wt::thread_windows(), windows);
    EXPECT_FALSE(view_doc().changed);
    EXPECT_FALSE(net_session_active());
}

HWND found_dialog_ = nullptr;
void CALLBACK find_slideshow(HWND, UINT, UINT_PTR id, DWORD) {
    HWND d = FindWindowA(nullptr, "Slideshow Settings");
    if (!d) return;
    KillTimer(nullptr, id);
    found_dialog_ = d;
    // "Disable all Effects" twice leaves the switch as it was; the effect and sound go in on OK.
    SendDlgItemMessageA(d, IDC_SLIDE_DISABLE, BM_CLICK, 0, 0);
    EXPECT_TRUE(slideshow_effects_on());
    SendDlgItemMessageA(d, IDC_SLIDE_DISABLE, BM_CLICK, 0, 0);
    EXPECT_FALSE(slideshow_effects_on());
    SendDlgItemMessageA(d, IDC_SLIDE_EFFECT, CB_SETCURSEL, 2, 0);
    SetDlgItemTextA(d, IDC_SLIDE_SOUND, "chime.wav");
    SendDlgItemMessageA(d, IDOK, BM_CLICK, 0, 0);
}

TEST_F(Backgrounds, SlideshowSettingsStoreTheEffectAndSoundOnOk) {
    slideshow_effects_set(false);
    found_dialog_ = nullptr;
    SetTimer(nullptr, 0, 30, find_slideshow);
    SendMessageA(win_, WM_COMMAND, CMD_SLIDESHOW_SETTINGS, 0);
    ASSERT_NE(found_dialog_, nullptr);
    EXPECT_EQ(view_param_get(61), 1);  // "Downwards"
    EXPECT_EQ(view_text_param_get(24), "chime.wav");
    EXPECT_EQ(view_undo_name(), "Change Para");
    EXPECT_FALSE(slideshow_effects_on());
}

TEST_F(Backgrounds, TransitionWipesToBlackOnlyWhileEffectsAreOn) {
    HWND w = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 60, 40, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(w, nullptr);
    auto whiten = [w] {
        HDC dc = GetDC(w);
        RECT r{0, 0, 60, 40};
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        ReleaseDC(w, dc);
        GdiFlush();
    };
    wt::pump(50);
    for (int effect : {4, 1, 6, 9}) {
        whiten();
        slideshow_effects_set(false);
        bg_transition(w, effect);
        EXPECT_EQ(wt::pixel(w, 30, 20), RGB(255, 255, 255)) << effect;
        slideshow_effects_set(true);
        bg_transition(w, effect);
        EXPECT_EQ(wt::pixel(w, 30, 20), RGB(0, 0, 0)) << effect;
        EXPECT_EQ(wt::pixel(w, 59, 39), RGB(0, 0, 0)) << effect;
    }
    slideshow_effects_set(false);
    DestroyWindow(w);
}

// Leaving a document plays its closing effect over the diagram window before the next one shows.
TEST_F(Backgrounds, OpeningAnotherDocumentPlaysTheClosingEffectOfTheOneLeft) {
    std::string err, next = path("next.vrn");
    ASSERT_TRUE(view_save_file(next, &err)) << err;
    HWND w = CreateWindowExA(WS_EX_TOOLWINDOW, "STATIC", "", WS_POPUP | WS_VISIBLE, 0, 0, 60, 40, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(w, nullptr);
    wt::pump(50);
    HWND view = view_inst_;
    view_inst_ = w;  // the transition's target, so its pixels can be read
    HDC dc = GetDC(w);
    RECT r{0, 0, 60, 40};
    FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    GdiFlush();
    view_doc().set_param(61, 2);  // Upwards
    slideshow_effects_set(true);
    EXPECT_TRUE(file_load_document(next));
    COLORREF c = GetPixel(dc, 30, 5);
    ReleaseDC(w, dc);
    view_inst_ = view;
    slideshow_effects_set(false);
    DestroyWindow(w);
    EXPECT_EQ(c, RGB(0, 0, 0));
    EXPECT_EQ(view_param_get(61), 0);  // the document opened
}

}  // namespace

// The printed page's background: the document's blend while no Print dialog is open; with one
// open its plain colour, or white when its "White Background" box is checked.
TEST_F(Backgrounds, PrintedPageIsPlainAndWhiteWhenAsked) {
    view_doc().set_param(7, kBgLinear);
    view_doc().set_param(1, 4);
    view_doc().set_param(3, 0);
    const Colour back = *tbar_color(4), blend = *tbar_color(0);
    struct Page {
        wt::MemBitmap bm{400, 300, 0, 0};
        Page() {
            SetMapMode(bm.dc, MM_TEXT);
            SetViewportOrgEx(bm.dc, 0, 0, nullptr);
        }
    };
    auto corners = [](const wt::MemBitmap& bm) {
        return std::vector<COLORREF>{bm.at(2, 2), bm.at(397, 2), bm.at(2, 297), bm.at(397, 297), bm.at(200, 150)};
    };
    {
        Page page;
        ASSERT_TRUE(view_draw(-1, page.bm.dc, 1, 0.5, 0.5));
        auto c = corners(page.bm);
        EXPECT_NE(c[0], c[2]) << "a blend changes from top to bottom";
        EXPECT_FALSE(close_to(c[0], back) && close_to(c[2], back));
        (void)blend;
    }
    HWND print = CreateWindowExA(0, "STATIC", "Print", WS_POPUP, 0, 0, 200, 100, win_, nullptr, GetModuleHandleA(nullptr), nullptr);
    HWND white = CreateWindowExA(0, "BUTTON", "White Background", WS_CHILD | BS_AUTOCHECKBOX, 0, 0, 150, 20, print,
                                 reinterpret_cast<HMENU>(10382), GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(white, nullptr);
    modelessdlg_inst_.push_back({print, 10380});
    for (bool on_white : {true, false}) {
        SendMessageA(white, BM_SETCHECK, on_white ? BST_CHECKED : BST_UNCHECKED, 0);
        Page page;
        ASSERT_TRUE(view_draw(-1, page.bm.dc, 1, 0.5, 0.5));
        for (COLORREF c : corners(page.bm)) EXPECT_TRUE(close_to(c, on_white ? 0xFFFFFF : back, 0)) << std::hex << c;
    }
    std::erase_if(modelessdlg_inst_, [&](const DlgInst& d) { return d.win == print; });
    DestroyWindow(print);
}

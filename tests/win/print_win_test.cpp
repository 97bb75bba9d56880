// File > Print through the real print path: the modeless dialog and its preview settings, and
// jobs on the default printer. With tests/servers/print.sh started, the default printer is a
// cups-pdf queue: every job arrives as a PDF in /tmp/vorn-print/pdf, read with pdfinfo and
// rasterised with pdftoppm.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <sstream>
#include <vector>

#include "app/file_win.h"
#include "app/vorn6_win.h"
#include "base/dlg_win.h"
#include "base/menu_win.h"
#include "document/globals.h"
#include "document/view.h"
#include "elements/obj_tables.h"
#include "print_unix.h"
#include "resources/ids.h"
#include "resources/print_ids.h"
#include "services/print_win.h"
#include "view/view_win.h"
#include "win_test_util.h"

using namespace wt;

namespace {

const char kPdfDir[] = "/tmp/vorn-print/pdf";

class Print : public MainWindowTest {
protected:
    Print() : MainWindowTest("vorn-print-test", SW_SHOWNORMAL) {}

    HWND open() {
        SendMessageA(win_, WM_COMMAND, CMD_PRINT, 0);
        pump(50);
        return dlg_find_modeless(IDD_PRINT);
    }
    static void click(HWND dlg, int id) {
        SendMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0);
        pump(20);
    }
    static void choose(HWND dlg, int id, int index) {
        HWND c = GetDlgItem(dlg, id);
        SendMessageA(c, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(c));
        pump(20);
    }
    // Keys as the program's message loop takes them, to the window with the focus.
    static void route(UINT msg, WPARAM wp) {
        MSG m{GetFocus(), msg, wp, 1, GetTickCount(), {}};
        vorn_route_message(m, nullptr);
    }
    static void key(WPARAM vk) {
        route(WM_KEYDOWN, vk);
        route(WM_KEYUP, vk);
        pump(20);
    }
    // Typing over the Scale box's text, a key at a time, quicker than the pause.
    static void type_keys(HWND dlg, const char* text) {
        SetFocus(GetDlgItem(dlg, IDC_PRINT_SCALE));
        SendMessageA(GetFocus(), EM_SETSEL, 0, -1);
        if (!*text) route(WM_CHAR, VK_BACK);
        for (const char* c = text; *c; ++c) {
            route(WM_CHAR, static_cast<unsigned char>(*c));
            pump(30);
        }
        pump(20);
    }
    Key put(const char* id, int x, int y) {
        Obj o = view_obj_new(id, x, y, 1);
        o.size = 3;
        return *view_obj_put(o);
    }
    // A diagram whose left and right halves differ, saved and opened as the current document.
    void diagram() {
        Key a = put("Left top", -600, 300);
        Key b = put("Left", -700, -200);
        Key c = put("Right", 650, 0);
        Link l;
        l.from = a;
        l.to = b;
        view_link_add(l);
        l.to = c;
        view_link_add(l);
        std::string name = path("plan.vrn");
        ASSERT_TRUE(file_save_document(name));
        ASSERT_EQ(file_open_document(name), 1);
        pump(50);
    }
};

bool have_printer() {
    int w = 0, h = 0;
    return print_page_size(w, h);
}

// ---- What the dialog does to the view and the document.

TEST_F(Print, NewDocumentOpensLandscapeFittedAndUnchanged) {
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    EXPECT_TRUE(IsWindowVisible(dlg));
    shot(dlg, "print-dialog");
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_PRINT_LANDSCAPE), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_PRINT_PORTRAIT), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_PRINT_WHITE), BST_CHECKED);
    EXPECT_EQ(print_orientation(), 1);
    EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_PRINT_COPIES, CB_GETCOUNT, 0, 0), 50);
    EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_PRINT_SCALE, CB_GETCOUNT, 0, 0), 275);
    EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_PRINT_PARTS, CB_GETCOUNT, 0, 0), 5);
    EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_PRINT_SCALE, CB_GETCURSEL, 0, 0), sbar_view_state().zoom - 1);
    // A second Print command while it is open opens nothing more.
    SendMessageA(win_, WM_COMMAND, CMD_PRINT, 0);
    pump(20);
    int open_prints = 0;
    for (const auto& d : modelessdlg_inst_) open_prints += d.dlg_id == IDD_PRINT;
    EXPECT_EQ(open_prints, 1);
    // Looking at the preview is no edit of the document.
    EXPECT_FALSE(file_is_changed());
    click(dlg, IDCANCEL);
    EXPECT_EQ(dlg_find_modeless(IDD_PRINT), nullptr);
    EXPECT_FALSE(file_is_changed());
}

// A typed scale is taken after a pause, on Enter or on leaving the box, never keystroke by
// keystroke; a bad one is refused and the box shows the zoom in force.
TEST_F(Print, TypedScaleIsTakenOnPauseEnterOrLeavingAndRefusedOutsideOneTo275) {
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    const int start = sbar_view_state().zoom;
    type_keys(dlg, "300");
    EXPECT_EQ(sbar_view_state().zoom, start) << "no zoom of 3 or 30 on the way";
    EXPECT_TRUE(Boxes::errors.empty());
    pump(900);
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_EQ(Boxes::errors[0], "Must be 1 to 275");
    EXPECT_EQ(sbar_view_state().zoom, start);
    EXPECT_EQ(dlg_get_text(dlg, IDC_PRINT_SCALE), std::to_string(start));

    Boxes::errors.clear();
    type_keys(dlg, "150");
    key(VK_RETURN);
    EXPECT_EQ(sbar_view_state().zoom, 150);
    EXPECT_EQ(dlg_find_modeless(IDD_PRINT), dlg) << "Enter in the box keeps the preview";
    struct Case {
        const char* text;
        int errors;
    } cases[] = {{"0", 1}, {"abc", 1}, {"", 0}, {"276", 1}};
    for (const auto& c : cases) {
        Boxes::errors.clear();
        type_keys(dlg, c.text);
        pump(900);
        EXPECT_EQ(static_cast<int>(Boxes::errors.size()), c.errors) << c.text;
        EXPECT_EQ(sbar_view_state().zoom, 150) << c.text;
    }
    // Leaving the box takes what it holds.
    Boxes::errors.clear();
    type_keys(dlg, "120");
    SetFocus(GetDlgItem(dlg, IDC_PRINT_COPIES));
    pump(20);
    EXPECT_EQ(sbar_view_state().zoom, 120);
    // OK takes a scale still waiting for its pause.
    type_keys(dlg, "90");
    click(dlg, IDOK);
    EXPECT_EQ(dlg_find_modeless(IDD_PRINT), nullptr);
    EXPECT_EQ(view_param_get(118), 90);
    EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors[0];
}

TEST_F(Print, OkKeepsScaleAndOrientationForTheNextOpening) {
    const int zoom_before = sbar_view_state().zoom;
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    choose(dlg, IDC_PRINT_SCALE, 79);
    EXPECT_EQ(sbar_view_state().zoom, 80);
    click(dlg, IDC_PRINT_PORTRAIT);
    EXPECT_EQ(print_orientation(), 0);
    click(dlg, IDOK);
    EXPECT_EQ(dlg_find_modeless(IDD_PRINT), nullptr);
    EXPECT_EQ(view_param_get(118), 80);
    EXPECT_EQ(view_param_get(119), 1);
    // The view is back as it was before the preview.
    EXPECT_EQ(sbar_view_state().zoom, zoom_before);

    dlg = open();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(sbar_view_state().zoom, 80);
    EXPECT_EQ(IsDlgButtonChecked(dlg, IDC_PRINT_PORTRAIT), BST_CHECKED);
    EXPECT_EQ(print_orientation(), 0);
    click(dlg, IDCANCEL);
}

TEST_F(Print, CancelPutsBackInversionAndZoom) {
    const bool inverted = menu_checked(CMD_INVERT) != 0;
    const ViewState before = sbar_view_state();
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    for (int k = 0; k < 3; ++k) click(dlg, IDC_PRINT_INVERT);
    EXPECT_NE(menu_checked(CMD_INVERT) != 0, inverted);
    choose(dlg, IDC_PRINT_SCALE, 199);
    click(dlg, IDCANCEL);
    EXPECT_EQ(menu_checked(CMD_INVERT) != 0, inverted);
    EXPECT_EQ(sbar_view_state().zoom, before.zoom);
    EXPECT_EQ(sbar_view_state().x0, before.x0);
    EXPECT_EQ(sbar_view_state().y0, before.y0);
    EXPECT_EQ(view_param_get(118), 0);  // Cancel stores nothing
}

TEST_F(Print, WhitePaperIsThePreviewsAndNeverReachesTheSavedDocument) {
    view_param_set(1, 3);
    view_param_set(7, 2);
    const std::string name = path("coloured.vrn");
    ASSERT_TRUE(file_save_document(name));
    ASSERT_EQ(file_open_document(name), 1);
    RECT cl;
    GetClientRect(view_inst_, &cl);
    auto corner = [&] { return pixel(view_inst_, cl.right - 3, cl.bottom - 3); };
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(corner(), 0xFFFFFFu);
    click(dlg, IDC_PRINT_WHITE);  // off: the document's own colour
    const COLORREF own = corner();
    EXPECT_NE(own, 0xFFFFFFu);
    click(dlg, IDC_PRINT_WHITE);  // on again
    EXPECT_EQ(corner(), 0xFFFFFFu);
    // Saving while the preview shows keeps the document's background.
    view_param_set(3, 5);
    SendMessageA(win_, WM_COMMAND, CMD_SAVE, 0);
    pump(20);
    const std::string saved = read_text(name);
    EXPECT_NE(saved.find("p_(1,3)"), std::string::npos) << saved;
    EXPECT_NE(saved.find("p_(7,2)"), std::string::npos) << saved;
    EXPECT_EQ(view_param_get(1), 3);
    EXPECT_EQ(view_param_get(7), 2);
    click(dlg, IDCANCEL);
    EXPECT_EQ(corner(), own) << "the view shows the document's background again";
}

TEST_F(Print, PortraitInTheDialogLeavesTheSystemDefaultPrinterAlone) {
    if (!have_printer()) GTEST_SKIP() << "no printer (tests/servers/print.sh start)";
    auto default_orientation = [] {
        PRINTDLGA pd{};
        pd.lStructSize = sizeof pd;
        pd.Flags = PD_RETURNDEFAULT;
        short o = 0;
        if (PrintDlgA(&pd) && pd.hDevMode) {
            o = static_cast<DEVMODEA*>(GlobalLock(pd.hDevMode))->dmOrientation;
            GlobalUnlock(pd.hDevMode);
        }
        if (pd.hDevMode) GlobalFree(pd.hDevMode);
        if (pd.hDevNames) GlobalFree(pd.hDevNames);
        return o;
    };
    const short before = default_orientation();
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    int lw = 0, lh = 0, pw = 0, ph = 0;
    ASSERT_TRUE(print_page_size(lw, lh));
    click(dlg, IDC_PRINT_PORTRAIT);
    ASSERT_TRUE(print_page_size(pw, ph));
    EXPECT_GT(lw, lh);
    EXPECT_LT(pw, ph);
    click(dlg, IDC_PRINT_LANDSCAPE);
    click(dlg, IDCANCEL);
    EXPECT_EQ(default_orientation(), before);
}

// ---- Real jobs on the PDF printer.

std::vector<std::string> pdf_files() {
    std::vector<std::string> out;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((dos_path(kPdfDir) + "\\*.pdf").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return out;
    do out.push_back(fd.cFileName);
    while (FindNextFileA(h, &fd));
    FindClose(h);
    return out;
}

// A PDF page rasterised to grey levels.
struct Raster {
    int w = 0, h = 0;
    std::vector<unsigned char> grey;
};

Raster rasterise(const std::string& pdf, const std::string& work, int dpi = 40) {
    Raster r;
    std::string out = work + "/page";
    if (!run_unix("pdftoppm -r " + std::to_string(dpi) + " -gray -singlefile \"" + std::string(kPdfDir) + "/" + pdf +
                  "\" " + out))
        return r;
    std::string data = read_text(dos_path(out + ".pgm"));
    std::istringstream in(data);
    std::string magic;
    int maxv = 0;
    in >> magic >> r.w >> r.h >> maxv;
    in.get();
    if (magic != "P5" || r.w <= 0 || r.h <= 0) return Raster{};
    r.grey.resize(static_cast<size_t>(r.w) * r.h);
    in.read(reinterpret_cast<char*>(r.grey.data()), static_cast<std::streamsize>(r.grey.size()));
    return r;
}

// Cells of a grid over a rectangle that hold ink.
using Grid = std::vector<bool>;
constexpr int kGx = 24, kGy = 16;

template <class Dark> Grid ink_grid(int x0, int y0, int w, int h, Dark dark) {
    Grid g(kGx * kGy, false);
    for (int gy = 0; gy < kGy; ++gy)
        for (int gx = 0; gx < kGx; ++gx) {
            int n = 0, total = 0;
            for (int y = y0 + gy * h / kGy; y < y0 + (gy + 1) * h / kGy; ++y)
                for (int x = x0 + gx * w / kGx; x < x0 + (gx + 1) * w / kGx; ++x, ++total) n += dark(x, y);
            g[static_cast<size_t>(gy * kGx + gx)] = total > 0 && n * 100 > total * 2;
        }
    return g;
}

int agreement_percent(const Grid& a, const Grid& b) {
    int same = 0;
    for (size_t k = 0; k < a.size(); ++k) same += a[k] == b[k];
    return same * 100 / static_cast<int>(a.size());
}

// The PDFs of the jobs started since `before`, in job order, once `count` of them are there and
// the queue is empty (the backend writes each file while its job runs). `work` is made for it.
std::vector<std::string> wait_for_pdfs(const std::set<std::string>& before, size_t count, const std::string& work) {
    std::vector<std::string> fresh;
    for (int k = 0; k < 600 && fresh.size() < count; ++k) {
        pump(100);
        fresh.clear();
        for (auto& f : pdf_files())
            if (!before.count(f)) fresh.push_back(f);
    }
    run_unix("mkdir -p " + work);
    for (int k = 0; k < 300; ++k) {
        run_unix("lpstat -o > " + work + "/queue 2>&1");
        if (read_text(dos_path(work + "/queue")).empty()) break;
        pump(100);
    }
    std::sort(fresh.begin(), fresh.end(), [](const std::string& a, const std::string& b) {
        // cups-pdf names each file after the job; the job number orders them.
        auto job = [](const std::string& s) { return std::atoi(s.c_str() + s.rfind("job_") + 4); };
        return job(a) < job(b);
    });
    return fresh;
}

// The printable area of a rasterised page, in raster pixels.
struct PrintableArea {
    int x0, y0, w, h;
};
PrintableArea printable_area(const Raster& r, const PrintPageLayout& lay) {
    return {r.w * lay.off_x / lay.phys_w, r.h * lay.off_y / lay.phys_h, r.w * lay.w / lay.phys_w,
            r.h * lay.h / lay.phys_h};
}
bool dark(const Raster& r, int x, int y) { return r.grey[static_cast<size_t>(y * r.w + x)] < 200; }
Grid printed_grid(const Raster& r, const PrintPageLayout& lay) {
    const PrintableArea a = printable_area(r, lay);
    return ink_grid(a.x0, a.y0, a.w, a.h, [&](int x, int y) { return dark(r, x, y); });
}

// The page the open dialog would print now, drawn by the same paint routine on a memory page a
// quarter of the printer's size each way: its ink grid and its inked pixels.
struct ExpectedPage {
    PrintPageLayout lay{};
    Grid grid;
    int ink = 0;
};
ExpectedPage expected_page() {
    ExpectedPage e;
    if (!print_page_layout(e.lay)) return e;
    MemBitmap m(e.lay.w / 4, e.lay.h / 4, 0, 0);
    SetMapMode(m.dc, MM_TEXT);
    if (!view_draw(-1, m.dc, 1, 0.5, 0.5)) return e;
    GdiFlush();
    e.grid = ink_grid(0, 0, m.w, m.h, [&](int px, int py) { return m.px(px, py) != 0xFFFFFF; });
    e.ink = m.ink_count();
    return e;
}

// Presses Print in the dialog and gives the one page that arrives, rasterised at `dpi`.
Raster print_one_page(HWND dlg, const std::string& work, std::string* pdf = nullptr, int dpi = 40) {
    std::set<std::string> before;
    for (auto& f : pdf_files()) before.insert(f);
    SendMessageA(GetDlgItem(dlg, IDC_PRINT_PRINT), BM_CLICK, 0, 0);
    std::vector<std::string> fresh = wait_for_pdfs(before, 1, work);
    if (fresh.size() != 1) return {};
    if (pdf) *pdf = fresh[0];
    return rasterise(fresh[0], work, dpi);
}

TEST_F(Print, TwoPartLandscapePrintArrivesAsTwoLandscapePagesShowingTheDiagram) {
    if (!have_printer()) GTEST_SKIP() << "no printer (tests/servers/print.sh start)";
    if (!unix_tool("pdfinfo") || !unix_tool("pdftoppm")) GTEST_SKIP() << "poppler-utils not installed";
    diagram();
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    click(dlg, IDC_PRINT_LANDSCAPE);
    choose(dlg, IDC_PRINT_PARTS, 1);  // "2x1"
    shot(win_, "print-preview-2x1");

    // What each page should show: the same paint routine onto a page-shaped memory bitmap.
    PrintPageLayout lay{};
    ASSERT_TRUE(print_page_layout(lay));
    std::vector<Grid> expected;
    for (int page = 1; page <= 2; ++page) {
        const double x = page == 1 ? 1.0 : 0.0;
        MemBitmap m(lay.w / 4, lay.h / 4, 0, 0);
        SetMapMode(m.dc, MM_TEXT);
        ASSERT_TRUE(view_draw(-1, m.dc, 1, x, 0.5));
        GdiFlush();
        expected.push_back(ink_grid(0, 0, m.w, m.h, [&](int px, int py) { return m.px(px, py) != 0xFFFFFF; }));
    }
    EXPECT_NE(expected[0], expected[1]) << "the two halves of the diagram differ";

    std::set<std::string> before;
    for (auto& f : pdf_files()) before.insert(f);
    click(dlg, IDC_PRINT_PRINT);
    EXPECT_EQ(dlg_find_modeless(IDD_PRINT), nullptr) << "a good print closes the dialog";
    EXPECT_TRUE(Boxes::errors.empty()) << (Boxes::errors.empty() ? "" : Boxes::errors[0]);

    // Each page of each copy is a job of its own: two PDFs.
    const std::string work = host_tmp("vorn-print/work");
    std::vector<std::string> fresh = wait_for_pdfs(before, 2, work);
    ASSERT_EQ(fresh.size(), 2u);
    for (size_t k = 0; k < fresh.size(); ++k) {
        ASSERT_TRUE(run_unix("pdfinfo \"" + std::string(kPdfDir) + "/" + fresh[k] + "\" > " + work + "/info"));
        std::string info = read_text(dos_path(work + "/info"));
        EXPECT_NE(info.find("Pages:           1"), std::string::npos) << info;
        EXPECT_NE(info.find("plan.vrn"), std::string::npos) << "titled with the document: " << info;
        Raster r = rasterise(fresh[k], work);
        ASSERT_GT(r.w, 0);
        EXPECT_GT(r.w, r.h) << "landscape page " << k + 1;
        // The printable area of the page, then the same grid as the expected page.
        Grid got = printed_grid(r, lay);
        int ink = static_cast<int>(std::count(got.begin(), got.end(), true));
        EXPECT_GT(ink, 4) << "page " << k + 1 << " carries the diagram";
        EXPECT_GE(agreement_percent(got, expected[k]), 90) << "page " << k + 1;
        EXPECT_LT(agreement_percent(got, expected[1 - k]), agreement_percent(got, expected[k])) << "page " << k + 1;
    }
    run_unix("rm -rf " + work);
}

// Pixels that differ between two rasters of one size (grey levels more than 64 apart).
int raster_difference(const Raster& a, const Raster& b) {
    if (a.w != b.w || a.h != b.h) return -1;
    int n = 0;
    for (size_t k = 0; k < a.grey.size(); ++k) n += std::abs(int(a.grey[k]) - int(b.grey[k])) > 64;
    return n;
}

// Objects, a shape and a link marked on screen: their page is the page printed with nothing
// marked.
TEST_F(Print, PrintedPagesCarryNoSelectionHandles) {
    if (!have_printer()) GTEST_SKIP() << "no printer (tests/servers/print.sh start)";
    if (!unix_tool("pdftoppm")) GTEST_SKIP() << "poppler-utils not installed";
    diagram();
    Shape s;
    s.kind = 1;
    s.level = 1;
    s.left = -200;
    s.top = 500;
    s.right = 300;
    s.bottom = 250;
    view_shape_put(s);
    view_param_set(118, 60);  // both prints at one scale and place
    const std::string work = host_tmp("vorn-print/work");
    auto print_page = [&] {
        HWND dlg = open();
        EXPECT_NE(dlg, nullptr);
        return print_one_page(dlg, work, nullptr, 75);
    };
    SendMessageA(win_, WM_COMMAND, CMD_SELECT_ALL, 0);
    pump(20);
    ASSERT_FALSE(marked_obj_.empty());
    ASSERT_FALSE(marked_shape_.empty());
    marked_link_ = {{view_doc().links[0].from, view_doc().links[0].to}};
    view_invalidate();
    const Raster marked = print_page();
    view_unmark_all();
    const Raster plain = print_page();
    ASSERT_GT(plain.w, 0);
    EXPECT_EQ(raster_difference(marked, plain), 0);
    EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors[0];
    run_unix("rm -rf " + work);
}

// Auto Fit for printing fits the page's frame, not the window: in portrait under a wide window
// every object lies inside the frame, and the printed page shows all of it as the screen does,
// with nothing cut at its edges.
TEST_F(Print, AutoFitInPortraitPutsEveryObjectOnThePage) {
    if (!have_printer()) GTEST_SKIP() << "no printer (tests/servers/print.sh start)";
    MoveWindow(win_, 0, 0, 1200, 500, TRUE);
    pump(50);
    put("West", -4000, 0);
    put("East", 4000, 100);
    put("Top", 0, 900);
    put("Bottom", 300, -900);
    const std::string name = path("wide.vrn");
    ASSERT_TRUE(file_save_document(name));
    ASSERT_EQ(file_open_document(name), 1);
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    click(dlg, IDC_PRINT_PORTRAIT);
    click(dlg, IDC_PRINT_FIT);
    pump(50);
    shot(win_, "print-autofit-portrait");
    auto frame = view_print_frame();
    ASSERT_TRUE(frame);
    const Rc f = normalised(*frame);
    EXPECT_LT(f.right - f.left, f.top - f.bottom) << "a portrait frame";
    ASSERT_EQ(view_painted_objects().size(), 4u);
    for (const auto& o : view_painted_objects()) EXPECT_TRUE(inside(o.rect, f)) << "object " << o.key;
    EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_PRINT_SCALE, CB_GETCURSEL, 0, 0), sbar_view_state().zoom - 1);

    if (!unix_tool("pdftoppm")) GTEST_SKIP() << "poppler-utils not installed";
    const ExpectedPage expected = expected_page();
    ASSERT_FALSE(expected.grid.empty());
    const std::string work = host_tmp("vorn-print/work");
    Raster r = print_one_page(dlg, work);
    ASSERT_GT(r.w, 0);
    EXPECT_LT(r.w, r.h) << "a portrait page";
    EXPECT_GE(agreement_percent(printed_grid(r, expected.lay), expected.grid), 90);
    const PrintableArea a = printable_area(r, expected.lay);
    int edge_ink = 0;
    for (int y = a.y0; y < a.y0 + a.h; ++y)
        for (int x = a.x0; x < a.x0 + a.w; ++x)
            if (x < a.x0 + 2 || x >= a.x0 + a.w - 2 || y < a.y0 + 2 || y >= a.y0 + a.h - 2) edge_ink += dark(r, x, y);
    EXPECT_EQ(edge_ink, 0) << "nothing cut at the page's edges";
    run_unix("rm -rf " + work);
}

// The size cups took in for a job (its "job-k-octets" in the job's control file), in KB.
int job_kbytes(const std::string& pdf) {
    const int job = std::atoi(pdf.c_str() + pdf.rfind("job_") + 4);
    char name[32];
    std::snprintf(name, sizeof name, "/var/spool/cups/c%05d", job);
    const std::string c = read_text(dos_path(name));
    const size_t at = c.find("job-k-octets");
    if (at == std::string::npos || at + 18 > c.size()) return -1;
    int v = 0;
    for (size_t k = at + 14; k < at + 18; ++k) v = v << 8 | static_cast<unsigned char>(c[k]);
    return v;
}

// A photo far larger than its place on paper is sent at the page's resolution: the job stays
// small, and the page still shows the photo where the screen does.
TEST_F(Print, LargePicturesAreSentAtThePagesResolution) {
    if (!have_printer()) GTEST_SKIP() << "no printer (tests/servers/print.sh start)";
    if (!unix_tool("pdftoppm") || !unix_tool("convert")) GTEST_SKIP() << "poppler-utils or ImageMagick not installed";
    HostDir host("vorn-print-photo");
    // Noise: no printer driver or PDF writer can squeeze it, so the job's size is its pixels'.
    ASSERT_TRUE(host.run("convert -size 3000x2000 xc: +noise Random -depth 8 noise.png"));
    Obj o = view_obj_new("Photo", 0, 0, 1);
    o.shape = kShapePictureFile;
    view_obj_set_bin(*view_obj_put(o), kShapePictureFile, host.dos("noise.png"));
    const std::string name = path("photo.vrn");
    ASSERT_TRUE(file_save_document(name));
    ASSERT_EQ(file_open_document(name), 1);
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    choose(dlg, IDC_PRINT_SCALE, 2);
    const ExpectedPage expected = expected_page();
    ASSERT_GT(expected.ink, 0);
    const std::string work = host_tmp("vorn-print/work");
    std::string pdf;
    Raster r = print_one_page(dlg, work, &pdf);
    ASSERT_GT(r.w, 0);
    // The photo covers `ink` pixels of a page a quarter of the printer's size each way: the job
    // may carry 16 times that in 3-byte pixels, with room for the page's own bytes.
    const int kb = job_kbytes(pdf);
    EXPECT_GT(kb, 0);
    EXPECT_LT(kb, (16 * 3 * 2 * expected.ink) / 1024 + 500);
    EXPECT_GE(agreement_percent(printed_grid(r, expected.lay), expected.grid), 90);
    EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors[0];
    run_unix("rm -rf " + work);
}

TEST_F(Print, AJobThePrinterRefusesIsReportedAndTheNextPrintWorks) {
    if (!have_printer()) GTEST_SKIP() << "no printer (tests/servers/print.sh start)";
    if (!unix_tool("lpstat")) GTEST_SKIP() << "cups-client not installed";
    diagram();
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    ASSERT_TRUE(run_unix("cupsreject VornPDF"));
    click(dlg, IDC_PRINT_PRINT);
    run_unix("cupsaccept VornPDF");
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_NE(Boxes::errors[0].find("ErrNo=618"), std::string::npos) << Boxes::errors[0];
    // The dialog stays for another try; nothing was stored yet.
    ASSERT_EQ(dlg_find_modeless(IDD_PRINT), dlg);
    EXPECT_EQ(view_param_get(118), 0);
    std::set<std::string> before;
    for (auto& f : pdf_files()) before.insert(f);
    Boxes::errors.clear();
    click(dlg, IDC_PRINT_PRINT);
    EXPECT_TRUE(Boxes::errors.empty()) << (Boxes::errors.empty() ? "" : Boxes::errors[0]);
    EXPECT_EQ(dlg_find_modeless(IDD_PRINT), nullptr);
    size_t fresh = 0;
    for (int k = 0; k < 600 && fresh == 0; ++k) {
        pump(100);
        fresh = 0;
        for (auto& f : pdf_files()) fresh += !before.count(f);
    }
    EXPECT_EQ(fresh, 1u);
}

TEST_F(Print, AutoFitFitsOneLevelAndRefusesSeveral) {
    put("West", -5000, 0);
    put("East", 5000, 0);
    HWND dlg = open();
    ASSERT_NE(dlg, nullptr);
    choose(dlg, IDC_PRINT_SCALE, 274);
    click(dlg, IDC_PRINT_FIT);
    EXPECT_TRUE(Boxes::notes.empty());
    const int fitted = sbar_view_state().zoom;
    EXPECT_LT(fitted, 275);
    EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_PRINT_SCALE, CB_GETCURSEL, 0, 0), fitted - 1);
    // Two levels shown at once: fitting one of them would cut the other.
    view_doc().set_param(366, 2);
    choose(dlg, IDC_PRINT_SCALE, 49);
    click(dlg, IDC_PRINT_FIT);
    ASSERT_EQ(Boxes::notes.size(), 1u);
    EXPECT_EQ(Boxes::notes[0], "Fit does not work for multi-level diagram");
    EXPECT_EQ(sbar_view_state().zoom, 50);
    view_doc().set_param(366, 0);
    click(dlg, IDCANCEL);
}

}  // namespace

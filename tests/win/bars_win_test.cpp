#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/vorn6_win.h"
#include "app/wiring_win.h"
#include "bars/bars_win.h"
#include "bars/repeat_win.h"
#include "bars/sbar.h"
#include "bars/status.h"
#include "bars/tbar.h"
#include "bars/tbar_win.h"
#include "bars/toolbox.h"
#include "base/commands_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/settings.h"
#include "base/settings_win.h"
#include "document/globals.h"
#include "document/view.h"
#include "resources/ids.h"
#include "view/view_win.h"
#include "win/win_test_util.h"

namespace {

using wt::Boxes;
using wt::click;
using wt::pixel;
using wt::pump;
using wt::rect_in;
using wt::shot;

int counter_ = 0;
void count_cmd() { ++counter_; }
bool never() { return false; }

class BarsMain : public wt::MainWindowTest {
protected:
    BarsMain() : MainWindowTest("vorn_bars_test", SW_SHOWNORMAL) {}
    void SetUp() override {
        counter_ = 0;
        marked_obj_.clear();
        marked_link_.clear();
        marked_shape_.clear();
        MainWindowTest::SetUp();
    }
    void TearDown() override {
        MainWindowTest::TearDown();
        // Commands the tests replaced get their owners back.
        view_init();
        bars_init();
    }
    void restart() {
        close_main();
        open_main();
    }
    RECT client() const {
        RECT c;
        GetClientRect(win_, &c);
        return c;
    }
};

TEST_F(BarsMain, ToolbarOrientationsPlaceTheBarsAndTheView) {
    ASSERT_TRUE(tbar_inst_ && status_inst_ && view_inst_);
    RECT c = client();
    task_menu_cmd(CMD_TBAR_TOP);
    pump(30);
    RECT t = rect_in(tbar_inst_, win_), s = rect_in(status_inst_, win_), v = rect_in(view_inst_, win_);
    EXPECT_EQ(t.left, 1);
    EXPECT_EQ(t.right - t.left, c.right);
    EXPECT_EQ(t.bottom - t.top, 28);
    EXPECT_EQ(s.left, 1);
    EXPECT_EQ(s.bottom, c.bottom);
    EXPECT_EQ(s.bottom - s.top, 17);
    EXPECT_EQ(v.top, 29);
    EXPECT_EQ(v.left, 1);
    EXPECT_TRUE(menu_checked(CMD_TBAR_TOP));
    EXPECT_FALSE(menu_checked(CMD_TBAR_LEFT));
    shot(win_, "toolbar_top");

    task_menu_cmd(CMD_TBAR_LEFT);
    pump(30);
    t = rect_in(tbar_inst_, win_), s = rect_in(status_inst_, win_), v = rect_in(view_inst_, win_);
    EXPECT_EQ(t.right - t.left, 28);
    EXPECT_EQ(s.left, 29);
    EXPECT_EQ(v.left, 29);
    EXPECT_EQ(v.top, 1);
    shot(win_, "toolbar_left");

    task_menu_cmd(CMD_TBAR_NONE);
    pump(30);
    t = rect_in(tbar_inst_, win_);
    EXPECT_EQ(t.right - t.left, 1);
    EXPECT_EQ(t.bottom - t.top, 1);
    shot(win_, "toolbar_none");
}

TEST_F(BarsMain, ColourCellsChooseTheDrawingColour) {
    task_menu_cmd(CMD_TBAR_TOP);
    tbar_set_style(3);  // Viewing: the strip starts at x = 168
    task_menu_cmd(CMD_PALETTE2);
    pump(30);
    click(tbar_inst_, 168 + 2 * 12 + 4, 14 + 4);  // column 2, row 1
    EXPECT_EQ(tbar_current_color().index, 21);
    EXPECT_EQ(pixel(tbar_inst_, 168 + 6, 4), tbar_color(16).value());
    // The swatch shows the current colour.
    EXPECT_EQ(pixel(tbar_inst_, 168 + 8 * 12 + 3, 3), tbar_color(21).value());
    task_menu_cmd(CMD_INVERT);
    EXPECT_EQ(pixel(tbar_inst_, 168 + 6, 4), 0xFFFFFFu - 0x3f3f3fu);
    EXPECT_EQ(pixel(tbar_inst_, 168 + 8 * 12 + 3, 3), tbar_color(21).value());
    task_menu_cmd(CMD_INVERT);
    EXPECT_FALSE(tbar_palette_inverted());
    task_menu_cmd(CMD_PALETTE1);
}

// On the left of a window too short for every button, the toolbar keeps its colour strip whole:
// the last colour and the swatch show and choose, and the buttons that fit still work.
TEST_F(BarsMain, ALeftToolbarKeepsItsWholePaletteInASmallWindow) {
    tbar_set_style(1);  // 18 buttons
    MoveWindow(win_, 0, 0, 792, 573, TRUE);
    task_menu_cmd(CMD_PALETTE1);
    task_menu_cmd(CMD_TBAR_LEFT);
    pump(30);
    RECT bar;
    GetClientRect(tbar_inst_, &bar);
    const RECT c = client();
    const int room = std::min<int>(bar.bottom, c.bottom - rect_in(tbar_inst_, win_).top);
    ASSERT_LT(room, 18 * 28 + TbarModel::kStripLength) << "the window leaves room for every button";
    const Rc last = tbar_model().cell_rect(15, true), swatch = tbar_model().cell_rect(17, true);
    EXPECT_LE(swatch.bottom + 1, room);
    EXPECT_EQ(pixel(tbar_inst_, last.left + 4, last.top + 4), tbar_color(15).value());
    click(tbar_inst_, last.left + 4, last.top + 4);
    EXPECT_EQ(tbar_current_color().index, 15);
    EXPECT_EQ(pixel(tbar_inst_, swatch.left + 3, swatch.top + 3), tbar_color(15).value());
    // Only the buttons that would push it out are left out.
    EXPECT_EQ(tbar_model().buttons_fitting(), (room - TbarModel::kStripLength) / 28);
    shot(win_, "toolbar_left_small");
    task_menu_cmd(CMD_PALETTE1);
    tbar_set_current_color(2);
    task_menu_cmd(CMD_TBAR_TOP);
}

TEST_F(BarsMain, ButtonsRunTheirCommandOnlyWhenReleasedOnThem) {
    task_menu_cmd(CMD_TBAR_TOP);
    tbar_set_style(1);
    cmd_register({CMD_CENTRALIZE, count_cmd});  // position 12 of Standard Horz
    cmd_register({CMD_UNDO, count_cmd, never});  // position 2, nothing to undo
    tbar_refresh();
    pump(20);
    click(tbar_inst_, 12 * 28 + 10, 10);
    EXPECT_EQ(counter_, 1);
    SendMessageA(tbar_inst_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12 * 28 + 10, 10));
    SendMessageA(tbar_inst_, WM_LBUTTONUP, 0, MAKELPARAM(11 * 28 + 10, 10));
    EXPECT_EQ(counter_, 1);
    click(tbar_inst_, 2 * 28 + 10, 10);
    EXPECT_EQ(counter_, 1);
    EXPECT_EQ(pixel(tbar_inst_, 2 * 28, 0), 0x404040u);  // disabled looks pressed
    cmd_register({CMD_UNDO, count_cmd});
    tbar_refresh();
    EXPECT_EQ(pixel(tbar_inst_, 2 * 28, 0), 0xFFFFFFu);
    click(tbar_inst_, 2 * 28 + 10, 10);
    EXPECT_EQ(counter_, 2);
    counter_ = 1;
    // A lost capture ends the press without a command.
    SendMessageA(tbar_inst_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12 * 28 + 10, 10));
    ReleaseCapture();
    SendMessageA(tbar_inst_, WM_LBUTTONUP, 0, MAKELPARAM(12 * 28 + 10, 10));
    EXPECT_EQ(counter_, 1);
}

TEST_F(BarsMain, StatusBarShowsCountsZoomAndLevel) {
    Obj o;
    o.id = "A";
    view_obj_put(o);
    view_doc().changed = false;
    status_update(kStCounts, 0);
    EXPECT_EQ(status_model().field_text(kStCounts, StatusHost()), "1:0");
    EXPECT_FALSE(view_doc().changed);
    // An edit refreshes the counts.
    view_obj_put(o);
    EXPECT_EQ(status_model().field_text(kStCounts, StatusHost()), "2:0");
    task_menu_cmd(CMD_ZOOM_EXPAND);
    EXPECT_EQ(sbar_view_state().zoom, 110);
    EXPECT_EQ(status_model().mag(), 110);
    task_menu_cmd(CMD_ZOOM_100);
    EXPECT_EQ(status_model().mag(), 100);
    task_menu_cmd(CMD_LEVEL_DOWN);
    EXPECT_EQ(sbar_view_state().level, 2);
    EXPECT_EQ(status_model().level(), 2);
    task_menu_cmd(CMD_LEVEL_UP);
    EXPECT_EQ(status_model().level(), 1);
    status_show("Counting done");
    shot(win_, "status_bar");
    EXPECT_EQ(status_model().status_text(), "Counting done");
}

TEST_F(BarsMain, ScrollBarsFollowTheViewPosition) {
    bool was = menu_checked(CMD_SCROLLBARS);
    if (!was) task_menu_cmd(CMD_SCROLLBARS);
    pump(30);
    EXPECT_TRUE(GetWindowLongA(view_inst_, GWL_STYLE) & WS_HSCROLL);
    EXPECT_TRUE(GetWindowLongA(view_inst_, GWL_STYLE) & WS_VSCROLL);
    int lo = 0, hi = 0;
    GetScrollRange(view_inst_, SB_HORZ, &lo, &hi);
    EXPECT_EQ(lo, -2000);
    EXPECT_EQ(hi, 2000);
    ASSERT_TRUE(sbar_set_origin(1, 0, 0));
    SendMessageA(view_inst_, WM_HSCROLL, SB_LINEDOWN, 0);
    EXPECT_EQ(sbar_view_state().x0, 40);
    EXPECT_EQ(GetScrollPos(view_inst_, SB_HORZ), 40);
    SendMessageA(view_inst_, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 300), 0);
    EXPECT_EQ(sbar_view_state().y0, 300);
    EXPECT_EQ(GetScrollPos(view_inst_, SB_VERT), 300);
    task_menu_cmd(CMD_ZOOM_EXPAND);
    EXPECT_EQ(sbar_view_state().x0, 44);
    EXPECT_EQ(GetScrollPos(view_inst_, SB_VERT), 330);
    shot(win_, "scrollbars");
    task_menu_cmd(CMD_SCROLLBARS);
    pump(30);
    EXPECT_FALSE(GetWindowLongA(view_inst_, GWL_STYLE) & WS_HSCROLL);
    task_menu_cmd(CMD_ZOOM_100);
    sbar_set_origin(1, 0, 0);
}

// Answers the Zoom dialog once it shows.
const char* zoom_answer_ = "";
void CALLBACK answer_zoom(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = FindWindowA(nullptr, "Zoom");
    if (!dlg) return;
    SetDlgItemTextA(dlg, 10122, zoom_answer_);
    SendMessageA(dlg, WM_COMMAND, IDOK, 0);
    // A refused value keeps the dialog open; then it is cancelled.
    if (IsWindowVisible(dlg)) {
        KillTimer(nullptr, id);
        SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    }
}

TEST_F(BarsMain, ZoomDialogTakesOnlyWhatTheViewCanShow) {
    struct Case { const char* text; int want; } cases[] = {{"250", 250}, {"276", 250}, {"0", 250}, {"abc", 250}, {"1", 1}};
    for (const auto& c : cases) {
        zoom_answer_ = c.text;
        UINT_PTR t = SetTimer(nullptr, 0, 50, answer_zoom);
        task_menu_cmd(CMD_ZOOM_TO);
        KillTimer(nullptr, t);
        EXPECT_EQ(sbar_view_state().zoom, c.want) << c.text;
    }
    task_menu_cmd(CMD_ZOOM_100);
}

TEST_F(BarsMain, HeldStatusButtonRepeatsUntilReleaseOrCaptureLoss) {
    RECT sc;
    GetClientRect(status_inst_, &sc);
    int x = sc.right - 150 - 10;  // Expand
    cmd_register({CMD_ZOOM_EXPAND, count_cmd});
    // A click: the release is already waiting, the command runs once.
    PostMessageA(status_inst_, WM_LBUTTONUP, 0, MAKELPARAM(x, 5));
    SendMessageA(status_inst_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 5));
    EXPECT_EQ(counter_, 1);
    // Held: it repeats; losing the capture ends the loop.
    counter_ = 0;
    static COLORREF edge_held;
    edge_held = 0x123456;
    cmd_register({CMD_ZOOM_EXPAND, [] {
                      if (++counter_ == 4) {
                          RECT c;
                          GetClientRect(status_inst_, &c);
                          edge_held = pixel(status_inst_, c.right - 150 - 19, 0);
                          ReleaseCapture();
                      }
                  }});
    SendMessageA(status_inst_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 5));
    EXPECT_EQ(counter_, 4);
    EXPECT_NE(GetCapture(), status_inst_);
    // Sunken while held, raised again after.
    EXPECT_EQ(edge_held, 0x000000u);
    EXPECT_EQ(pixel(status_inst_, sc.right - 150 - 19, 0), 0xFFFFFFu);
    EXPECT_EQ(pixel(status_inst_, sc.right - 150 - 17, 2), 0xC0C0C0u);
}

TEST_F(BarsMain, ToolboxOpensPicksAndRemembersItsPlace) {
    task_menu_cmd(CMD_TOOLBOX);
    pump(30);
    ASSERT_NE(toolbox_inst_, nullptr);
    EXPECT_EQ(GetParent(toolbox_inst_), view_inst_);
    RECT r = rect_in(toolbox_inst_, view_inst_);
    EXPECT_EQ(r.right - r.left, 452);  // lying horizontally by default
    EXPECT_EQ(r.bottom - r.top, 46);
    shot(win_, "toolbox");
    Pt bar = toolbox_cell_origin(6, 1, false);
    click(toolbox_inst_, bar.x + 8, bar.y + 8);
    EXPECT_EQ(toolbox_current(kTgObject), 160);
    EXPECT_TRUE(Boxes::notes.empty() && Boxes::errors.empty());
    Pt route = toolbox_cell_origin(27, 1, false);
    click(toolbox_inst_, route.x + 8, route.y + 8);
    EXPECT_EQ(toolbox_current(kTgRoute), 3);
    // Toggle shows the shapes.
    Pt toggle = toolbox_cell_origin(1, 1, false);
    click(toolbox_inst_, toggle.x + 8, toggle.y + 8);
    EXPECT_FALSE(toolbox_model().objects_shown());
    shot(win_, "toolbox_shapes");
    click(toolbox_inst_, toggle.x + 8, toggle.y + 8);
    // Rotate stands it up and stores the new orientation.
    Pt rotate = toolbox_cell_origin(4, 1, false);
    click(toolbox_inst_, rotate.x + 8, rotate.y + 8);
    pump(30);
    ASSERT_NE(toolbox_inst_, nullptr);
    r = rect_in(toolbox_inst_, view_inst_);
    EXPECT_EQ(r.right - r.left, 52);
    EXPECT_EQ(file_setting_get_list("Toolbox", {}), (std::vector<int>{r.left, r.top, 0}));
    EXPECT_TRUE(menu_checked(CMD_TOOLBOX));
    // It is open again after a restart.
    restart();
    ASSERT_NE(toolbox_inst_, nullptr);
    EXPECT_EQ(rect_in(toolbox_inst_, view_inst_).right - rect_in(toolbox_inst_, view_inst_).left, 52);
    Pt close = toolbox_cell_origin(2, 0, false);
    click(toolbox_inst_, close.x + 8, close.y + 8);
    EXPECT_EQ(toolbox_inst_, nullptr);
    EXPECT_FALSE(menu_checked(CMD_TOOLBOX));
}

// Presses a toolbox cell and lets go over the middle of the diagram.
void drop_outside(int pos) {
    Pt c = toolbox_cell_origin(pos, toolbox_prev_pos()->orient, false);
    SendMessageA(toolbox_inst_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(c.x + 8, c.y + 8));
    RECT v;
    GetWindowRect(view_inst_, &v);
    SetCursorPos((v.left + v.right) / 2, (v.top + v.bottom) / 2 + 60);
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(toolbox_inst_, &p);
    SendMessageA(toolbox_inst_, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
}

TEST_F(BarsMain, ReleasingAToolOverTheDiagramPlacesOrExplains) {
    task_menu_cmd(CMD_TOOLBOX);
    pump(30);
    ASSERT_NE(toolbox_inst_, nullptr);
    if (!toolbox_model().objects_shown()) toolbox_model().toggle();
    size_t before = view_doc().objs.size();
    drop_outside(23);  // Straight link, nothing marked
    EXPECT_EQ(Boxes::notes, (std::vector<std::string>{"To create a Link, first mark two Objects."}));
    EXPECT_EQ(view_doc().objs.size(), before);
    Boxes::notes.clear();
    drop_outside(5);  // Box
    ASSERT_EQ(view_doc().objs.size(), before + 1);
    EXPECT_EQ(view_doc().objs.back().shape, 161);
    EXPECT_TRUE(Boxes::notes.empty() && Boxes::errors.empty());
    // While a new object waits for its text nothing more is placed.
    create_obj_later_ = 1;
    drop_outside(5);
    EXPECT_EQ(view_doc().objs.size(), before + 1);
    create_obj_later_.reset();
    task_menu_cmd(CMD_TOOLBOX);
}

TEST_F(BarsMain, PicksRestyleTheMarkedItems) {
    Obj o;
    o.id = "Marked";
    o.level = 1;
    o.shape = 161;
    auto key = view_obj_put(o);
    ASSERT_TRUE(key);
    marked_obj_ = {*key};
    task_menu_cmd(CMD_TOOLBOX);
    pump(30);
    ASSERT_NE(toolbox_inst_, nullptr);
    if (!toolbox_model().objects_shown()) toolbox_model().toggle();
    Pt diamond = toolbox_cell_origin(10, toolbox_prev_pos()->orient, false);
    click(toolbox_inst_, diamond.x + 8, diamond.y + 8);
    EXPECT_EQ(view_obj_get(*key)->shape, 163);
    EXPECT_EQ(toolbox_current(kTgObject), 163);
    // A colour cell recolours it too.
    task_menu_cmd(CMD_TBAR_TOP);
    task_menu_cmd(CMD_PALETTE1);
    pump(30);
    int off = tbar_model().strip_offset();
    click(tbar_inst_, off + 3 * 12 + 4, 4);  // column 3, row 0: colour 6
    EXPECT_EQ(tbar_current_color().index, 6);
    EXPECT_EQ(view_obj_get(*key)->colour, 6);
    view_invalidate();
    shot(win_, "restyled");
    // Keys typed in the toolbox reach the diagram: Esc unmarks.
    ASSERT_FALSE(marked_obj_.empty());
    SendMessageA(toolbox_inst_, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(marked_obj_.empty());
    task_menu_cmd(CMD_TOOLBOX);
    marked_obj_.clear();
}

void CALLBACK ok_shape_defaults(HWND, UINT, UINT_PTR id, DWORD) {
    HWND d = FindWindowA("#32770", "Shape Defaults");
    if (!d) return;
    KillTimer(nullptr, id);
    SendDlgItemMessageA(d, IDOK, BM_CLICK, 0, 0);
}

TEST_F(BarsMain, ShapeDefaultsOkBringsTheToolbarInLine) {
    task_menu_cmd(CMD_TBAR_TOP);
    tbar_set_style(1);
    cmd_register({CMD_UNDO, count_cmd, never});
    tbar_refresh();
    pump(20);
    ASSERT_EQ(pixel(tbar_inst_, 2 * 28, 0), 0x404040u);
    cmd_register({CMD_UNDO, count_cmd});  // the menu offers it; the toolbar has not been told
    SetTimer(nullptr, 0, 30, ok_shape_defaults);
    SendMessageA(win_, WM_COMMAND, CMD_SHAPE_DEFAULTS, 0);
    EXPECT_EQ(pixel(tbar_inst_, 2 * 28, 0), 0xFFFFFFu);
}

TEST_F(BarsMain, LayoutAndOrientationSurviveARestart) {
    task_menu_cmd(CMD_TBAR_TOP);
    tbar_set_style(2);
    restart();
    EXPECT_EQ(tbar_get_style(), 2);
    EXPECT_TRUE(menu_checked(CMD_TBAR_TOP));
    EXPECT_EQ(rect_in(tbar_inst_, win_).bottom - rect_in(tbar_inst_, win_).top, 28);
    // A new document has nothing to undo or redo: those buttons start disabled.
    EXPECT_EQ(pixel(tbar_inst_, 2 * 28, 0), 0x404040u);
    EXPECT_EQ(pixel(tbar_inst_, 3 * 28, 0), 0x404040u);
    EXPECT_EQ(pixel(tbar_inst_, 0, 0), 0xFFFFFFu);
}

// ---- The repeat helper on its own.

bool held_ = false;
LRESULT CALLBACK repeat_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_LBUTTONUP) held_ = false;
    return DefWindowProcA(w, m, wp, lp);
}

class HoldRepeat : public testing::Test {
protected:
    void SetUp() override {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = repeat_proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "barsrepeattest";
        RegisterClassA(&wc);
        win = CreateWindowA("barsrepeattest", "", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, wc.hInstance,
                            nullptr);
        SetCapture(win);
        held_ = true;
    }
    void TearDown() override {
        ReleaseCapture();
        if (IsWindow(win)) DestroyWindow(win);
    }
    HWND win = nullptr;
};

TEST_F(HoldRepeat, StopsOnReleaseCaptureLossDestructionAndQuit) {
    // Runs the loop with the button held; `stop` ends it from inside after step n.
    auto run = [&](void (*stop)(HWND), int at) {
        int n = 0;
        held_ = true;
        SetCapture(win);
        hold_repeat(win, held_, [&] {
            if (++n == at) stop(win);
            return true;
        });
        return n;
    };
    PostMessageA(win, WM_LBUTTONUP, 0, 0);
    EXPECT_EQ(run(nullptr, 0), 1);
    EXPECT_EQ(run([](HWND) { ReleaseCapture(); }, 3), 3);
    EXPECT_EQ(run([](HWND w) { DestroyWindow(w); }, 2), 2);

    win = CreateWindowA("barsrepeattest", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    PostQuitMessage(3);
    EXPECT_EQ(run(nullptr, 0), 0);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(m.wParam, 3u);
}

}  // namespace

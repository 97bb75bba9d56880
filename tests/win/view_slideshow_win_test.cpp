// The slideshow in the real main window (Start Slideshow, Full Screen Show, F4, Esc, closing
// during a show) and the Shift dialog's level buttons and held arrows, driven by the messages a
// user's keys, menus and mouse send.
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "app/vorn6_win.h"
#include "bars/sbar.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/settings.h"
#include "document/undo.h"
#include "document/view.h"
#include "elements/bg_transition.h"
#include "resources/diag_ids.h"
#include "resources/ids.h"
#include "view/slideshow_win.h"
#include "view/view_win.h"
#include "win/win_test_util.h"

namespace {

using wt::pump;

class Slideshow : public wt::MainWindowTest {
protected:
    Slideshow() : MainWindowTest("vorn_slideshow_test", SW_SHOWNORMAL) {}
    void SetUp() override {
        MainWindowTest::SetUp();
        view_doc() = Document();
        view_undo_clear();
        sbar_set_origin(1, 0, 0);
        sbar_cmd(kSbarZoom, kSbSet, 100);
    }
    void TearDown() override {
        slideshow_stop();
        slideshow_effects_set(false);
        MainWindowTest::TearDown();
    }
    Key add(const char* id, int x, int y, int level = 1, int action = 12) {
        Obj o = view_obj_new(id, x, y, level);
        o.action = action;
        return view_obj_put(o).value_or(0);
    }
    void command(int id) {
        SendMessageA(win_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        pump(30);
    }
    // During a show the diagram has the keyboard.
    void key(UINT vk) {
        EXPECT_EQ(GetFocus(), view_inst_);
        wt::key(vk);
    }
    // Where object `k` is on screen, relative to the diagram window's centre.
    Pt off_centre(Key k) {
        const Obj* o = view_doc().obj(k);
        ViewMapping m = view_mapping();
        Pt d = m.to_device({o->x, o->y});
        return {d.x - m.client_w / 2, d.y - m.client_h / 2};
    }
};

TEST_F(Slideshow, FullScreenWithoutBarsUntilEscPutsEverythingBack) {
    RECT before;
    GetWindowRect(win_, &before);
    const bool status = menu_checked(CMD_STATUSBAR), tbar_top = menu_checked(CMD_TBAR_TOP);
    const bool tbar_left = menu_checked(CMD_TBAR_LEFT);
    ASSERT_NE(GetMenu(win_), nullptr);

    command(CMD_SLIDESHOW);
    ASSERT_TRUE(slideshow_running());
    EXPECT_TRUE(menu_checked(CMD_SLIDESHOW));  // read while the menu bar is away
    EXPECT_EQ(GetMenu(win_), nullptr);
    EXPECT_FALSE(GetWindowLongA(win_, GWL_STYLE) & WS_CAPTION);
    RECT r, v;
    GetWindowRect(win_, &r);
    EXPECT_EQ(r.right - r.left, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(r.bottom - r.top, GetSystemMetrics(SM_CYSCREEN));
    GetWindowRect(view_inst_, &v);
    EXPECT_EQ(v.right - v.left, r.right - r.left) << "the diagram fills the screen";
    EXPECT_EQ(v.bottom - v.top, r.bottom - r.top);
    EXPECT_FALSE(IsWindowVisible(tbar_inst_));
    EXPECT_FALSE(status_inst_ && IsWindowVisible(status_inst_));
    wt::shot(win_, "slideshow-full-screen");

    key(VK_ESCAPE);
    EXPECT_FALSE(slideshow_running());
    EXPECT_FALSE(menu_checked(CMD_SLIDESHOW));
    EXPECT_NE(GetMenu(win_), nullptr);
    EXPECT_TRUE(GetWindowLongA(win_, GWL_STYLE) & WS_CAPTION);
    GetWindowRect(win_, &r);
    EXPECT_EQ(r.left, before.left);
    EXPECT_EQ(r.right, before.right);
    EXPECT_EQ(r.bottom, before.bottom);
    EXPECT_EQ(menu_checked(CMD_STATUSBAR), status);
    EXPECT_EQ(menu_checked(CMD_TBAR_TOP), tbar_top);
    EXPECT_EQ(menu_checked(CMD_TBAR_LEFT), tbar_left);
    EXPECT_EQ(IsWindowVisible(tbar_inst_) != 0, tbar_top || tbar_left);
}

TEST_F(Slideshow, NextStepsThroughTheSequenceAndRunsEachAction) {
    Key a = add("First", -2000, 1500), b = add("Second", 2500, -1500), down = add("Down", 0, -3000, 1, 9);
    add("Below", 0, 0, 2);
    view_doc().seq = {SeqEntry{b, 2, ""}, SeqEntry{a, 1, ""}, SeqEntry{down, 3, ""}};
    EXPECT_FALSE(menu_command_available(CMD_SLIDE_NEXT)) << "Next belongs to a running show";
    command(CMD_SLIDESHOW);
    struct Step { Key k; int level_after; };
    for (Step s : {Step{a, 1}, Step{b, 1}, Step{down, 2}}) {
        if (s.k == down) {
            // The last one runs its action: Level Down.
            key(VK_F4);
            EXPECT_EQ(sbar_view_state().level, 2);
            continue;
        }
        key(VK_F4);
        Pt off = off_centre(s.k);
        EXPECT_LE(std::abs(off.x), 2) << s.k;
        EXPECT_LE(std::abs(off.y), 2) << s.k;
        EXPECT_EQ(sbar_view_state().level, s.level_after);
    }
    // Past the last object Next stays where it is.
    ViewState at_end = sbar_view_state();
    key(VK_F4);
    EXPECT_EQ(sbar_view_state().level, at_end.level);
    EXPECT_EQ(sbar_view_state().x0, at_end.x0);
    key(VK_ESCAPE);
    EXPECT_FALSE(slideshow_running());
}

TEST_F(Slideshow, FullScreenShowKeepsEffectsOffAndGivesTheSwitchBack) {
    slideshow_effects_set(true);
    command(CMD_FULL_SCREEN);
    ASSERT_TRUE(slideshow_running());
    EXPECT_FALSE(slideshow_effects_on());
    command(CMD_CLOSE_WINDOWS);
    EXPECT_FALSE(slideshow_running());
    EXPECT_TRUE(slideshow_effects_on());
    // Start Slideshow leaves the switch alone.
    command(CMD_SLIDESHOW);
    EXPECT_TRUE(slideshow_effects_on());
    command(CMD_SLIDESHOW);
    EXPECT_FALSE(slideshow_running());
}

TEST_F(Slideshow, ClosingDuringAShowStoresTheUsersOwnBars) {
    ASSERT_TRUE(menu_checked(CMD_STATUSBAR));
    command(CMD_SLIDESHOW);
    ASSERT_FALSE(menu_checked(CMD_STATUSBAR));
    close_main();
    EXPECT_FALSE(slideshow_running());
    auto menu = file_setting_get_list_n("Menu", menu_setting_default());
    EXPECT_EQ(menu[menu_setting::Statusbar], 1);
}

// ---- Shift dialog

HWND shift_dialog_ = nullptr;
std::vector<int> shift_presses_;
std::vector<Key> shift_watch_;

HWND find_shift() {
    for (const DlgInst& d : modaldlg_inst_)
        if (d.dlg_id == IDD_SHIFT) return d.win;
    return nullptr;
}

void CALLBACK press_level_buttons(HWND, UINT, UINT_PTR id, DWORD) {
    HWND d = find_shift();
    if (!d) return;
    KillTimer(nullptr, id);
    shift_dialog_ = d;
    for (int b : shift_presses_) SendDlgItemMessageA(d, b, BM_CLICK, 0, 0);
    SendDlgItemMessageA(d, IDCANCEL, BM_CLICK, 0, 0);
}

DWORD held_ms_ = 0;
bool lose_capture_ = false;

void CALLBACK release_arrow(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND b = GetDlgItem(shift_dialog_, IDC_SHIFT_RIGHT);
    if (lose_capture_) ReleaseCapture();
    else SendMessageA(b, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

void CALLBACK hold_arrow(HWND, UINT, UINT_PTR id, DWORD) {
    HWND d = find_shift();
    if (!d) return;
    KillTimer(nullptr, id);
    shift_dialog_ = d;
    SetTimer(nullptr, 0, held_ms_, release_arrow);
    // Returns when the button is let go.
    SendDlgItemMessageA(d, IDC_SHIFT_RIGHT, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendDlgItemMessageA(d, IDCANCEL, BM_CLICK, 0, 0);
}

TEST_F(Slideshow, ShiftLevelButtonsInsertDeleteAndMoveAsUndoableSteps) {
    Key one = add("One", 0, 0, 1), two = add("Two", 0, 0, 2), three = add("Three", 0, 0, 3);
    auto levels = [&] {
        return std::vector<int>{view_doc().obj(one)->level, view_doc().obj(two)->level, view_doc().obj(three)->level};
    };
    // Each level's figure pattern is its own and goes where the level goes.
    for (int l : {1, 2, 3}) view_doc().set_param(10000 + l, 10 + l);
    auto patterns = [&] {
        std::vector<int> p;
        for (int l : levels()) p.push_back(view_param_get(10000 + l));
        return p;
    };
    const std::vector<int> own = {11, 12, 13};
    view_doc().changed = false;
    sbar_set_origin(2, 0, 0);
    // Insert below level 2, then delete that empty level: back where it began, two steps.
    shift_presses_ = {IDC_SHIFT_INSERT};
    SetTimer(nullptr, 0, 30, press_level_buttons);
    command(CMD_SHIFT);
    ASSERT_NE(shift_dialog_, nullptr);
    EXPECT_EQ(levels(), (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(patterns(), own);
    EXPECT_EQ(view_param_get(10003), 0) << "the new level has none";
    EXPECT_EQ(view_undo_name(), "Shift");
    EXPECT_TRUE(view_doc().changed);
    sbar_set_origin(3, 0, 0);
    shift_presses_ = {IDC_SHIFT_DELETE};
    SetTimer(nullptr, 0, 30, press_level_buttons);
    command(CMD_SHIFT);
    EXPECT_EQ(levels(), (std::vector<int>{1, 2, 3}));
    // A level that is not empty stays, with a note and no step.
    wt::Boxes::notes.clear();
    shift_presses_ = {IDC_SHIFT_DELETE};
    sbar_set_origin(2, 0, 0);
    SetTimer(nullptr, 0, 30, press_level_buttons);
    command(CMD_SHIFT);
    EXPECT_EQ(levels(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(wt::Boxes::notes.size(), 1u);
    // Up twice: level 2 goes to the top and the view goes with it.
    shift_presses_ = {IDC_SHIFT_LEVEL_UP, IDC_SHIFT_LEVEL_UP};
    SetTimer(nullptr, 0, 30, press_level_buttons);
    command(CMD_SHIFT);
    EXPECT_EQ(levels(), (std::vector<int>{2, 0, 3}));
    EXPECT_EQ(sbar_view_state().level, 0);
    shift_presses_ = {IDC_SHIFT_LEVEL_DOWN};
    SetTimer(nullptr, 0, 30, press_level_buttons);
    command(CMD_SHIFT);
    EXPECT_EQ(levels(), (std::vector<int>{2, 1, 3})) << "down again, into the gap it left";
    EXPECT_EQ(sbar_view_state().level, 1);
    EXPECT_EQ(patterns(), own);
    EXPECT_EQ(view_param_get(10000), 0);

    for (auto expect : {std::vector<int>{2, 0, 3}, std::vector<int>{2, 1, 3}, std::vector<int>{1, 2, 3},
                        std::vector<int>{1, 2, 4}, std::vector<int>{1, 2, 3}}) {
        ASSERT_TRUE(view_undo());
        EXPECT_EQ(levels(), expect);
        EXPECT_EQ(patterns(), own);
    }
    EXPECT_FALSE(view_can_undo());
}

TEST_F(Slideshow, HeldShiftArrowRepeatsFasterAndStopsOnReleaseOrLostCapture) {
    Key k = add("Moved", 0, 0);
    for (bool lose : {false, true}) {
        view_undo_clear();
        const int x0 = view_doc().obj(k)->x;
        lose_capture_ = lose;
        held_ms_ = 400;
        shift_dialog_ = nullptr;
        SetTimer(nullptr, 0, 30, hold_arrow);
        command(CMD_SHIFT);
        ASSERT_NE(shift_dialog_, nullptr);
        const int unit = view_mapping().units(4);
        const int moved = view_doc().obj(k)->x - x0;
        // 100 + 50 + 33 + 25 + 20 ms of pauses before 400 ms: steps 1 to 5 at least, growing.
        EXPECT_GE(moved, (1 + 2 + 3 + 4) * unit) << (lose ? "capture lost" : "released");
        EXPECT_LE(moved, (1 + 2 + 3 + 4 + 5 + 6 * 40) * unit);
        pump(200);
        EXPECT_EQ(view_doc().obj(k)->x - x0, moved) << "nothing moves after the button is let go";
        EXPECT_EQ(view_undo_name(), "Shift");
        ASSERT_TRUE(view_undo());
        EXPECT_EQ(view_doc().obj(k)->x, x0);
        EXPECT_FALSE(view_can_undo()) << "the whole hold was one step";
    }
}

// One click moves the diagram once, by one step that shows at any zoom: four pixels.
TEST_F(Slideshow, ShiftClickMovesOnceByOneVisibleStep) {
    Key k = add("Moved", 0, 0);
    lose_capture_ = false;
    held_ms_ = 1;
    for (int zoom : {100, 10, 275}) {
        sbar_cmd(kSbarZoom, kSbSet, zoom);
        const int x0 = view_doc().obj(k)->x;
        SetTimer(nullptr, 0, 30, hold_arrow);
        command(CMD_SHIFT);
        const double px = (view_doc().obj(k)->x - x0) * view_mapping().scale();
        EXPECT_GE(px, 3.5) << zoom << "%";
        EXPECT_LE(px, 4.5) << zoom << "%";
    }
    sbar_cmd(kSbarZoom, kSbSet, 100);
}

}  // namespace

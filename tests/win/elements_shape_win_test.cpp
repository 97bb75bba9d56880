// Shapes and points under Wine: half ellipses and rotated triangles checked by pixels on the
// view's y-up mapping, the Shape menu and its dialogs driven through the main window's
// commands, Plot Points and Clear Points.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

#include "bars/sbar.h"
#include "bars/toolbox.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/palette.h"
#include "base/settings.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"
#include "elements/canvas_win.h"
#include "elements/point.h"
#include "elements/shape.h"
#include "resources/ids.h"
#include "resources/shapes_ids.h"
#include "view/view_win.h"
#include "win/win_test_util.h"

namespace {

using wt::Boxes;

// A filled shape on a 400 x 400 bitmap, one unit a pixel, the diagram origin in the middle.
struct Drawn : wt::MemBitmap {
    Drawn(int kind, int rotate, int x1, int y1, int x2, int y2) : MemBitmap(400, 400, 200, 200) {
        {
            GdiCanvas c(dc);
            Shape s;
            s.kind = kind;
            s.style = (rotate ? kShapeRotate : 0) | kShapeFilled | (1 << 8);
            s.left = x1, s.top = y1, s.right = x2, s.bottom = y2;
            shape_paint(c, s, 0);
        }
        GdiFlush();
    }
    bool at(int x, int y) const { return ink(200 + x, 200 - y); }
};

TEST(ShapePixels, HalfEllipsesLieOnTheSideTheirCornersSay) {
    struct Case {
        int kind, x1, y1, x2, y2;
        Pt inside, outside;
    } cases[] = {
        {10, -100, 100, 100, 0, {0, 60}, {0, -60}},     // curve up through Top
        {10, -100, -100, 100, 0, {0, -60}, {0, 60}},    // flipped: down
        {10, 0, 0, 27, 37, {13, 8}, {13, 66}},          // product -999: still down
        {11, 0, -100, 100, 100, {60, 0}, {-60, 0}},     // curve right through X2
        {11, 0, -100, -100, 100, {-60, 0}, {60, 0}},    // flipped: left
    };
    for (const auto& c : cases) {
        Drawn d(c.kind, 0, c.x1, c.y1, c.x2, c.y2);
        EXPECT_TRUE(d.at(c.inside.x, c.inside.y)) << c.kind << " " << c.x1 << "," << c.y1;
        EXPECT_FALSE(d.at(c.outside.x, c.outside.y)) << c.kind << " " << c.x1 << "," << c.y1;
    }
}

TEST(ShapePixels, RotatedTrianglesAndSemiEllipsesTurn) {
    Drawn t1(5, 1, -100, 100, 100, -100);  // apex at the left, flat side on the right
    EXPECT_TRUE(t1.at(80, 70));
    EXPECT_TRUE(t1.at(-80, 0));
    EXPECT_FALSE(t1.at(-80, 70));
    Drawn t2(6, 1, -100, 100, 100, -100);  // apex down
    EXPECT_TRUE(t2.at(0, -80));
    EXPECT_FALSE(t2.at(-80, -80));
    EXPECT_TRUE(t2.at(-80, 90));
    Drawn s1(10, 1, -100, 100, 100, 0);  // SemiEllipse1 turned: flat side on x = 100, curve left
    EXPECT_TRUE(s1.at(60, 50));
    EXPECT_FALSE(s1.at(140, 50));
}

// Runs `drive` on the dialog titled `title` once it is up.
std::function<void(HWND)> drive_;
std::string title_;
bool driven_ = false;
void CALLBACK drive_timer(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dlg = FindWindowA("#32770", title_.c_str());
    if (!dlg || !drive_) return;
    KillTimer(nullptr, id);
    driven_ = true;
    auto d = std::move(drive_);
    drive_ = nullptr;
    d(dlg);
}

class ShapeMenu : public wt::MainWindowTest {
protected:
    ShapeMenu() : MainWindowTest("vorn_shape_menu_test") {}
    void SetUp() override {
        MainWindowTest::SetUp();
        view_doc() = Document();
        view_undo_clear();
        marked_shape_.clear();
        same_as_.reset();
        popup_menu_inst_.reset();
        tbar_palette_reset();
        sbar_set_origin(1, 0, 0);
        sbar_cmd(kSbarZoom, kSbSet, 100);
        had_history_ = std::filesystem::exists(file_progdir_path("message.txt"));
    }
    bool had_history_ = false;
    void TearDown() override {
        marked_shape_.clear();
        same_as_.reset();
        popup_menu_inst_.reset();
        wt::MainWindowTest::TearDown();
        // The advisor may post to the ticker while a dialog is up; its history stays out of
        // the program directory.
        if (!had_history_) std::filesystem::remove(file_progdir_path("message.txt"));
    }
    void command(int id) { SendMessageA(win_, WM_COMMAND, id, 0); }
    // The command, with `drive` acting on its dialog.
    void with_dialog(int id, const std::string& title, std::function<void(HWND)> drive) {
        title_ = title;
        drive_ = std::move(drive);
        driven_ = false;
        SetTimer(nullptr, 0, 30, drive_timer);
        command(id);
        EXPECT_TRUE(driven_) << title;
        drive_ = nullptr;
    }
    Key shape(int kind, int l, int t, int r, int b) {
        Shape s;
        s.kind = kind;
        s.level = 1;
        s.left = l, s.top = t, s.right = r, s.bottom = b;
        return *view_shape_put(s);
    }
    Key formula(const std::string& id, const std::string& f) {
        Obj o;
        o.id = id;
        o.level = 1;
        o.ext = f;
        return *view_obj_put(o);
    }
    static void set(HWND dlg, int id, const char* text) { SetDlgItemTextA(dlg, id, text); }
    static void select(HWND dlg, int id, int pos) {
        SendDlgItemMessageA(dlg, id, CB_SETCURSEL, pos, 0);
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
    }
    static void press(HWND dlg, int id) { SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
};

TEST_F(ShapeMenu, PropertiesKeepWhatTheirListsCannotShowAndUndo) {
    Key k = shape(1, 0, 100, 200, 0);
    Shape before = *view_shape_get(k);
    before.level = 300;  // no entry in the level list
    before.style = kShapeDashed | kShapeDotted | kShapeGroup;
    view_shape_put(before);
    view_undo_clear();
    marked_shape_ = {k};
    with_dialog(IDM_POP_SHAPE_PROPS, "Shape Properties [#" + std::to_string(k) + "]", [](HWND dlg) {
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_SHAPE_CURVE)));
        select(dlg, IDC_SHAPE_KIND, 12);  // Arc1
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_SHAPE_CURVE)));
        select(dlg, IDC_SHAPE_CURVE, 40);
        set(dlg, IDC_SHAPE_RIGHT, "12x");
        press(dlg, IDOK);  // refused with a note, the dialog stays
        EXPECT_TRUE(IsWindow(dlg));
        set(dlg, IDC_SHAPE_RIGHT, "-500");
        CheckDlgButton(dlg, IDC_SHAPE_ROTATE, BST_CHECKED);
        press(dlg, IDOK);
    });
    EXPECT_EQ(Boxes::notes.size(), 1u);
    Shape after = *view_shape_get(k);
    EXPECT_EQ(after.kind, kShapeArc1);
    EXPECT_EQ(after.level, 300);
    EXPECT_EQ(after.colour_curve, 40 << 8);
    EXPECT_EQ(after.right, -500);
    EXPECT_EQ(after.style, kShapeDashed | kShapeDotted | kShapeGroup | kShapeRotate);
    EXPECT_EQ(view_undo_name(), "Change Shape");
    view_undo();
    EXPECT_EQ(*view_shape_get(k), before);

    // Flip L-R twice gives the record back; each flip is a step of its own.
    for (int i = 0; i < 2; ++i) {
        marked_shape_ = {k};
        with_dialog(IDM_POP_SHAPE_PROPS, "Shape Properties [#" + std::to_string(k) + "]",
                    [](HWND dlg) { press(dlg, IDC_SHAPE_FLIP_LR); });
        EXPECT_EQ(view_shape_get(k)->left, i == 0 ? before.right : before.left);
    }
    EXPECT_EQ(view_undo_name(), "Flip L-R");
}

TEST_F(ShapeMenu, CloneFromPropertiesMakesShiftedGrownCopiesInOneStep) {
    Key k = shape(3, 0, 100, 200, 0);
    marked_shape_ = {k};
    with_dialog(IDM_POP_SHAPE_PROPS, "Shape Properties [#" + std::to_string(k) + "]", [](HWND dlg) {
        // Clone a Shape opens once Shape Properties is gone.
        title_ = "Clone a Shape";
        drive_ = [](HWND clone) {
            select(clone, IDC_CLONE_COUNT, 2);
            set(clone, IDC_CLONE_XEXPAND, "10");
            press(clone, IDOK);
        };
        SetTimer(nullptr, 0, 30, drive_timer);
        press(dlg, IDC_SHAPE_CLONE);
    });
    ASSERT_EQ(view_doc().shapes.size(), 4u);
    const Shape& c2 = view_doc().shapes[2];
    // Copy 2: moved by 2 x (30, -30), twenty units wider on each side than the plain shift.
    EXPECT_EQ((Rc{c2.left, c2.top, c2.right, c2.bottom}), (Rc{40, 40, 280, -60}));
    EXPECT_EQ(view_undo_name(), "Clone Shape");
    view_undo();
    EXPECT_EQ(view_doc().shapes.size(), 1u);
}

TEST_F(ShapeMenu, MenuCommandsGroupGravitySameAsAndDefaults) {
    Key a = shape(1, 0, 100, 200, 0);
    Key b = shape(1, 400, 300, 500, 0);
    marked_shape_ = {a};
    command(CMD_GROUP);
    ASSERT_EQ(Boxes::notes.size(), 1u);
    EXPECT_EQ(Boxes::notes[0], "First mark 2 or more Shapes");

    view_param_set(203, 1);
    command(CMD_GRAVITY);
    EXPECT_EQ(menu_checked(CMD_GRAVITY), 1);
    EXPECT_EQ(view_param_get(203), 0);
    EXPECT_EQ(Boxes::notes.back(), "Shape Snap is now O");
    view_param_set(203, 1);
    command(CMD_GRAVITY);  // off: only the check mark
    EXPECT_EQ(view_param_get(203), 1);

    command(CMD_SHOW_XY);
    EXPECT_EQ(view_param_get(222), menu_checked(CMD_SHOW_XY));

    // Same Height: a pick cursor waits for a click on the model shape.
    marked_shape_.clear();
    command(CMD_SAME_HEIGHT);
    EXPECT_EQ(Boxes::notes.back(), "Mark one or more Shapes");
    EXPECT_FALSE(same_as_);
    marked_shape_ = {a};
    command(CMD_SAME_HEIGHT);
    ASSERT_TRUE(same_as_);
    EXPECT_EQ(GetCapture(), view_inst_);
    Pt model = view_mapping().to_device({450, 150});
    SendMessageA(view_inst_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(model.x, model.y));
    SendMessageA(view_inst_, WM_LBUTTONUP, 0, MAKELPARAM(model.x, model.y));
    EXPECT_EQ(view_shape_get(a)->top - view_shape_get(a)->bottom, 300);
    EXPECT_EQ(view_shape_get(a)->right, 200);

    // Shape Defaults: a line-style click restyles the marked shape at once; OK keeps colour
    // and line style for what comes next.
    marked_shape_ = {b};
    with_dialog(CMD_SHAPE_DEFAULTS, "Shape Defaults", [](HWND dlg) {
        CheckRadioButton(dlg, IDC_SHAPE_DEF_DOTTED, IDC_SHAPE_DEF_SOLID, IDC_SHAPE_DEF_DASHED);
        press(dlg, IDC_SHAPE_DEF_DASHED);
        select(dlg, IDC_SHAPE_DEF_COLOUR, 7);
        press(dlg, IDOK);
    });
    EXPECT_EQ(view_shape_get(b)->style & (kShapeDashed | kShapeDotted), kShapeDashed);
    EXPECT_EQ(view_param_get(204), 7);
    EXPECT_EQ(shape_line_para(), IDC_SHAPE_DEF_DASHED);
    shape_set_line_para(IDC_SHAPE_DEF_SOLID);
}

// Two Group commands make two groups: a click marks one group, a drag moves it alone, and a
// clone of a grouped shape belongs to no group.
TEST_F(ShapeMenu, AClickAndADragTakeOnlyTheirOwnGroup) {
    Key rect = shape(1, -300, 200, -200, 100), ell = shape(3, -100, 200, 0, 100);
    Key dia = shape(4, 100, 200, 200, 100), tri = shape(5, 300, 200, 400, 100);
    auto at = [](int x, int y) {
        Pt d = view_mapping().to_device({x, y});
        return MAKELPARAM(d.x, d.y);
    };
    auto click = [&](int x, int y, WPARAM keys = 0) {
        SendMessageA(view_inst_, WM_LBUTTONDOWN, MK_LBUTTON | keys, at(x, y));
        SendMessageA(view_inst_, WM_LBUTTONUP, keys, at(x, y));
    };
    click(-250, 150);
    click(-50, 150, MK_SHIFT);
    command(CMD_GROUP);
    click(150, 150);
    click(350, 150, MK_SHIFT);
    command(CMD_GROUP);
    click(-250, 150);
    EXPECT_EQ(marked_shape_, (std::vector<Key>{rect, ell}));

    // Dragged 100 pixels right at 100 %: the first group moves, the second stays.
    SendMessageA(view_inst_, WM_LBUTTONDOWN, MK_LBUTTON, at(-250, 150));
    SendMessageA(view_inst_, WM_MOUSEMOVE, MK_LBUTTON, at(-200, 150));
    SendMessageA(view_inst_, WM_MOUSEMOVE, MK_LBUTTON, at(-150, 150));
    SendMessageA(view_inst_, WM_LBUTTONUP, 0, at(-150, 150));
    const int moved = view_shape_get(rect)->left - -300;
    EXPECT_GT(moved, 0);
    EXPECT_EQ(view_shape_get(ell)->left, -100 + moved);
    EXPECT_EQ(view_shape_get(dia)->left, 100);
    EXPECT_EQ(view_shape_get(tri)->left, 300);

    // Clone of the grouped diamond.
    click(150, 150);
    with_dialog(IDM_POP_SHAPE_PROPS, "Shape Properties [#" + std::to_string(dia) + "]", [](HWND dlg) {
        title_ = "Clone a Shape";
        drive_ = [](HWND clone) { press(clone, IDOK); };
        SetTimer(nullptr, 0, 30, drive_timer);
        press(dlg, IDC_SHAPE_CLONE);
    });
    ASSERT_EQ(view_doc().shapes.size(), 5u);
    const Shape& copy = view_doc().shapes.back();
    EXPECT_EQ(copy.style & kShapeGroup, 0);
    click(110, 190);  // on the diamond, clear of its copy
    EXPECT_EQ(marked_shape_, (std::vector<Key>{dia, tri}));
}

// A shape just drawn is left unmarked, so picking the next tool on the Shapebar does not
// turn it into the new kind.
TEST_F(ShapeMenu, TheNextToolDoesNotRekindTheShapeJustDrawn) {
    task_menu_cmd(CMD_TOOLBOX);
    wt::pump(30);
    ASSERT_NE(toolbox_inst_, nullptr);
    auto tool = [](int pos) {
        Pt c = toolbox_cell_origin(pos, 1, false);
        wt::click(toolbox_inst_, c.x + 8, c.y + 8);
    };
    tool(1);  // Toggle: the shapes
    tool(7);  // Rectangle
    ASSERT_EQ(toolbox_current(kTgShape), 1);
    SendMessageA(view_inst_, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 200));
    SendMessageA(view_inst_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(150, 230));
    SendMessageA(view_inst_, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(200, 260));
    SendMessageA(view_inst_, WM_LBUTTONUP, 0, MAKELPARAM(200, 260));
    ASSERT_EQ(view_doc().shapes.size(), 1u);
    EXPECT_EQ(view_doc().shapes[0].kind, 1);
    EXPECT_EQ(view_undo_name(), "Create Shape");
    tool(9);  // Ellipse
    EXPECT_EQ(toolbox_current(kTgShape), 3);
    EXPECT_EQ(view_doc().shapes[0].kind, 1);
    EXPECT_EQ(view_undo_name(), "Create Shape");
    tool(1);
    Pt close = toolbox_cell_origin(2, 1, false);
    wt::click(toolbox_inst_, close.x + 8, close.y + 8);
    EXPECT_EQ(toolbox_inst_, nullptr);
}

TEST_F(ShapeMenu, PlotsAParabolaAndClearsOneColour) {
    formula("x", "=J-21");
    formula("y", "=(J-21)*(J-21)");
    file_setting_set_text("Plot", "[0,1,10]");  // malformed: the defaults show
    auto plot = [&](int colour) {
        tbar_set_current_color(colour);
        with_dialog(CMD_PLOT_POINTS, "Plot Points", [](HWND dlg) {
            EXPECT_EQ(GetDlgItemInt(dlg, IDC_PLOT_N, nullptr, TRUE), 10u);
            set(dlg, IDC_PLOT_N, "41");
            set(dlg, IDC_PLOT_XFROM, "-20");
            set(dlg, IDC_PLOT_XTO, "20");
            set(dlg, IDC_PLOT_YFROM, "0");
            set(dlg, IDC_PLOT_YTO, "399");
            CheckDlgButton(dlg, IDC_PLOT_FRAME, BST_CHECKED);
            press(dlg, IDOK);
        });
        file_setting_set_text("Plot", "[0,1,10]");
    };
    plot(4);
    const auto& pts = view_doc().points;
    ASSERT_EQ(pts.size(), 39u);  // y = 400 at both ends is outside 0 .. 399
    EXPECT_EQ((Pt{pts[0].x, pts[0].y}), (Pt{-19, 361}));
    EXPECT_EQ((Pt{pts[19].x, pts[19].y}), (Pt{0, 0}));
    EXPECT_EQ(pts[0].colour, static_cast<int32_t>(*tbar_color(4)));
    ASSERT_EQ(view_doc().shapes.size(), 1u);
    EXPECT_EQ(view_doc().shapes[0].top, 399);
    EXPECT_EQ(view_doc().shapes[0].bottom, 0);
    EXPECT_EQ(view_undo_name(), "Plot Points");

    plot(9);
    ASSERT_EQ(pts.size(), 78u);
    with_dialog(CMD_CLEAR_POINTS, "Clear Points", [](HWND dlg) {
        CheckRadioButton(dlg, IDC_CLEAR_ALL_COLOURS, IDC_CLEAR_CUR_COLOUR, IDC_CLEAR_CUR_COLOUR);
        press(dlg, IDOK);
    });
    ASSERT_EQ(pts.size(), 39u);
    for (const auto& p : pts) EXPECT_EQ(p.colour, static_cast<int32_t>(*tbar_color(4)));
    view_undo();
    EXPECT_EQ(pts.size(), 78u);
}

// A J whose formula fails is skipped and the plot goes on, with one box for the plot; a plot
// whose values all fall outside the ranges leaves the document unchanged.
TEST_F(ShapeMenu, PlotSkipsTheJThatFailsAndAnEmptyPlotChangesNothing) {
    formula("xdiv", "=100/(J-5)");
    formula("yj", "=J*10");
    view_undo_clear();
    auto plot = [&](const char* y_from, const char* y_to) {
        with_dialog(CMD_PLOT_POINTS, "Plot Points", [&](HWND dlg) {
            set(dlg, IDC_PLOT_N, "20");
            set(dlg, IDC_PLOT_XFROM, "-1000");
            set(dlg, IDC_PLOT_XTO, "1000");
            set(dlg, IDC_PLOT_YFROM, y_from);
            set(dlg, IDC_PLOT_YTO, y_to);
            press(dlg, IDOK);
            if (IsWindow(dlg)) press(dlg, IDCANCEL);
        });
    };
    plot("-1000", "1000");
    const auto& pts = view_doc().points;
    ASSERT_EQ(pts.size(), 19u);
    EXPECT_EQ((Pt{pts[3].x, pts[3].y}), (Pt{-100, 40}));
    EXPECT_EQ((Pt{pts[4].x, pts[4].y}), (Pt{100, 60}));  // J = 6 follows J = 4
    EXPECT_EQ((Pt{pts[18].x, pts[18].y}), (Pt{7, 200}));
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_EQ(Boxes::errors[0], "In Variable xdiv, div by zero");

    view_undo_clear();
    view_doc().changed = false;
    plot("100000", "100001");
    EXPECT_EQ(pts.size(), 19u);
    EXPECT_FALSE(view_doc().changed);
    EXPECT_FALSE(view_can_undo());
}

// Too many points are refused with a note; a long plot shows its progress in the caption and
// Cancel stops it with nothing stored; the dialog stays for another try.
HWND plot_dlg_ = nullptr;
std::string progress_caption_;
void CALLBACK cancel_plot(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    char t[64] = {};
    GetWindowTextA(plot_dlg_, t, sizeof t);
    progress_caption_ = t;
    SendDlgItemMessageA(plot_dlg_, IDCANCEL, BM_CLICK, 0, 0);
}
// Escape pressed on the keyboard: down and up to the window with the focus, through the queue
// the plot's own loop reads.
void CALLBACK escape_plot(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND to = GetFocus();
    EXPECT_NE(to, nullptr) << "nothing has the focus while the plot runs";
    PostMessageA(to, WM_KEYDOWN, VK_ESCAPE, 1);
    PostMessageA(to, WM_KEYUP, VK_ESCAPE, static_cast<LPARAM>(0xC0000001u));
}

TEST_F(ShapeMenu, PlotBoundsNAndALongPlotStopsOnCancel) {
    formula("x", "=J/10000");
    formula("y", "=J/20000");
    view_undo_clear();
    view_doc().changed = false;
    with_dialog(CMD_PLOT_POINTS, "Plot Points", [&](HWND dlg) {
        set(dlg, IDC_PLOT_N, "100000000");
        press(dlg, IDOK);
        EXPECT_EQ(Boxes::notes, std::vector<std::string>{"The number of points must be from 1 to 1000000."});
        EXPECT_TRUE(IsWindow(dlg));
        set(dlg, IDC_PLOT_N, "1000000");
        plot_dlg_ = dlg;
        progress_caption_.clear();
        SetTimer(nullptr, 0, 700, cancel_plot);
        press(dlg, IDOK);
        EXPECT_TRUE(IsWindow(dlg)) << "Cancel stopped the plot, not the dialog";
        EXPECT_EQ(wt::text_of(dlg), "Plot Points");
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDOK)));
        // Escape stops it as Cancel does.
        SetFocus(GetDlgItem(dlg, IDOK));
        SetTimer(nullptr, 0, 700, escape_plot);
        const DWORD started = GetTickCount();
        press(dlg, IDOK);
        EXPECT_LT(GetTickCount() - started, 5000u);
        EXPECT_TRUE(IsWindow(dlg));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDOK)));
        press(dlg, IDCANCEL);
    });
    EXPECT_EQ(progress_caption_.rfind("Plot Points ", 0), 0u) << progress_caption_;
    EXPECT_NE(progress_caption_.find('%'), std::string::npos) << progress_caption_;
    EXPECT_TRUE(view_doc().points.empty());
    EXPECT_FALSE(view_can_undo());
    EXPECT_FALSE(view_doc().changed);
}

// Memory running out in the middle of a plot stops it with a message; the program and the
// document stay as they were. The test takes the free address space itself.
TEST_F(ShapeMenu, PlotThatRunsOutOfMemoryLeavesTheDocument) {
    formula("x", "=0");
    formula("y", "=0");
    with_dialog(CMD_PLOT_POINTS, "Plot Points", [&](HWND dlg) {
        set(dlg, IDC_PLOT_N, "1000000");
        CheckDlgButton(dlg, IDC_PLOT_FRAME, BST_CHECKED);
        {
            wt::AddressSpaceTaken taken;
            press(dlg, IDOK);
        }
        EXPECT_TRUE(IsWindow(dlg));
        press(dlg, IDCANCEL);
    });
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_NE(Boxes::errors[0].find("not enough memory"), std::string::npos) << Boxes::errors[0];
    EXPECT_TRUE(view_doc().points.empty());
    EXPECT_TRUE(view_doc().shapes.empty());
    EXPECT_FALSE(view_can_undo());
}

TEST_F(ShapeMenu, PointPropertiesMoveAndRestyleOnePointKeepingItsColour) {
    view_point_add(1, 9010, 9020, 1, 0x00FF00);
    view_point_add(1, 30, 40, 1, 0x0000FF);
    view_undo_clear();
    // Ctrl+click on the point opens its properties (far from what earlier tests painted).
    title_ = "Point Properties";
    driven_ = false;
    drive_ = [](HWND dlg) {
        EXPECT_EQ(SendDlgItemMessageA(dlg, IDC_POINT_STYLE, CB_GETCURSEL, 0, 0), 0);
        select(dlg, IDC_POINT_STYLE, 4);  // Square
        set(dlg, IDC_POINT_X, "-7");
        press(dlg, IDOK);
    };
    SetTimer(nullptr, 0, 30, drive_timer);
    Pt d = view_mapping().to_device({9010, 9020});
    SendMessageA(view_inst_, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(d.x, d.y));
    SendMessageA(view_inst_, WM_LBUTTONUP, MK_CONTROL, MAKELPARAM(d.x, d.y));
    EXPECT_TRUE(driven_);
    const auto& pts = view_doc().points;
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_EQ(pts[1], (PlotPoint{5, 1, -7, 9020, 0x00FF00}));
    EXPECT_TRUE(view_doc().changed);
    view_undo();
    EXPECT_EQ(pts[0], (PlotPoint{1, 1, 9010, 9020, 0x00FF00}));
}

// Ctrl+click finds a point far out by its own coordinates, not their low 16 bits.
TEST_F(ShapeMenu, CtrlClickOpensAPointBeyondSixteenBits) {
    sbar_cmd(kSbarZoom, kSbSet, 1);
    view_point_add(1, 40000, -30000, 1, 0x00FF00);
    view_point_add(1, 40000 - 65536, -30000 + 65536, 1, 0x0000FF);  // same low 16 bits, far off
    view_undo_clear();
    title_ = "Point Properties";
    driven_ = false;
    drive_ = [](HWND dlg) {
        EXPECT_EQ(GetDlgItemInt(dlg, IDC_POINT_X, nullptr, TRUE), 40000u);
        EXPECT_EQ(static_cast<int>(GetDlgItemInt(dlg, IDC_POINT_Y, nullptr, TRUE)), -30000);
        set(dlg, IDC_POINT_X, "40100");
        press(dlg, IDOK);
    };
    SetTimer(nullptr, 0, 30, drive_timer);
    Pt d = view_mapping().to_device({40000, -30000});
    RECT c;
    GetClientRect(view_inst_, &c);
    ASSERT_TRUE(d.x > 0 && d.y > 0 && d.x < c.right && d.y < c.bottom) << d.x << "," << d.y;
    SendMessageA(view_inst_, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, MAKELPARAM(d.x, d.y));
    SendMessageA(view_inst_, WM_LBUTTONUP, MK_CONTROL, MAKELPARAM(d.x, d.y));
    EXPECT_TRUE(driven_);
    const auto& pts = view_doc().points;
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_EQ(pts[1], (PlotPoint{1, 1, 40100, -30000, 0x00FF00}));
    EXPECT_EQ(pts[0].x, 40000 - 65536);
}

// The first item of the pop-up menu on screen, read when it is up; then the menu is closed.
UINT popup_first_item_ = 0;
void CALLBACK read_and_close_menu(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (HWND m = FindWindowA("#32768", nullptr))
        if (auto menu = reinterpret_cast<HMENU>(SendMessageA(m, 0x01E1 /* MN_GETHMENU */, 0, 0)))
            popup_first_item_ = GetMenuItemID(menu, 0);
    EndMenu();
}

// The point pop-up's commands act on the right-clicked point at any coordinate; a point hidden
// by Show/Hide Points is no longer hit, so its menu does not open.
TEST_F(ShapeMenu, PointPopupActsOnTheClickedPointFarOutAndNotOnHiddenOnes) {
    sbar_cmd(kSbarZoom, kSbSet, 1);
    view_point_add(1, 40000, -30000, 1, 0x00FF00);
    view_point_add(1, 40000 - 65536, -30000 + 65536, 1, 0x0000FF);  // same low 16 bits, far off
    view_point_add(1, -40000, 30000, 1, 0xFF0000);
    view_undo_clear();
    const auto& pts = view_doc().points;
    auto right_click = [&](Pt p, int command) {
        Pt d = view_mapping().to_device(p);
        RECT c;
        GetClientRect(view_inst_, &c);
        ASSERT_TRUE(d.x > 0 && d.y > 0 && d.x < c.right && d.y < c.bottom) << d.x << "," << d.y;
        popup_first_item_ = 0;
        SetTimer(nullptr, 0, 50, read_and_close_menu);
        SendMessageA(view_inst_, WM_RBUTTONUP, 0, MAKELPARAM(d.x, d.y));
        wt::pump(20);
        if (command) SendMessageA(win_, WM_COMMAND, command, 0);
    };

    right_click({40000, -30000}, 10770);  // Delete
    EXPECT_EQ(popup_first_item_, 10768u);
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_EQ(pts[0].x, 40000 - 65536);
    EXPECT_EQ(view_undo_name(), "Delete");

    tbar_set_current_color(4);
    right_click({-40000, 30000}, 10769);  // Re-color
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_EQ(pts[0], (PlotPoint{1, 1, 40000 - 65536, -30000 + 65536, 0x0000FF}));
    EXPECT_EQ(pts[1], (PlotPoint{1, 1, -40000, 30000, static_cast<int32_t>(*tbar_color(4))}));

    title_ = "Point Properties";
    driven_ = false;
    drive_ = [](HWND dlg) {
        EXPECT_EQ(static_cast<int>(GetDlgItemInt(dlg, IDC_POINT_X, nullptr, TRUE)), 40000 - 65536);
        set(dlg, IDC_POINT_Y, "36000");
        press(dlg, IDOK);
    };
    SetTimer(nullptr, 0, 30, drive_timer);
    right_click({40000 - 65536, -30000 + 65536}, IDM_POP_POINT_PROPS);
    EXPECT_TRUE(driven_);
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_EQ(pts[1], (PlotPoint{1, 1, 40000 - 65536, 36000, 0x0000FF}));

    command(CMD_SHOW_POINTS);  // hide them
    right_click({-40000, 30000}, 0);
    EXPECT_NE(popup_first_item_, 0u);
    EXPECT_NE(popup_first_item_, 10768u) << "the hidden point's menu opened";
    command(CMD_SHOW_POINTS);
}

}  // namespace

// The diagram window under Wine: real windows, real messages, painting checked by pixels.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>

#include "app/file_win.h"
#include "app/wiring_win.h"
#include "bars/sbar.h"
#include "bars/tbar.h"
#include "bars/toolbox.h"
#include "base/commands_win.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "document/doc_util.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"
#include "elements/draw_win.h"
#include "elements/link_label.h"
#include "elements/obj.h"
#include "elements/obj_tables.h"
#include "resources/ids.h"
#include "view/view_win.h"
#include "win/win_test_util.h"

namespace {

LRESULT CALLBACK parent_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

HMENU make_menu(bool left, bool top, bool status) {
    HMENU bar = CreateMenu();
    HMENU tools = CreatePopupMenu();
    AppendMenuA(tools, MF_STRING | (left ? MF_CHECKED : 0), CMD_TBAR_LEFT, "On Left");
    AppendMenuA(tools, MF_STRING | (top ? MF_CHECKED : 0), CMD_TBAR_TOP, "On Top");
    AppendMenuA(tools, MF_STRING | (status ? MF_CHECKED : 0), CMD_STATUSBAR, "Statusbar");
    AppendMenuA(tools, MF_STRING, CMD_SHOW_POINTS, "Show/Hide Points");
    AppendMenuA(tools, MF_STRING, CMD_UNDO, "&Undo\tCtrl+Z");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(tools), "Tools");
    return bar;
}

class ViewWin : public testing::Test {
protected:
    HWND parent = nullptr;
    HWND view = nullptr;

    void SetUp() override {
        view_doc() = Document();
        view_doc().set_param(1, 15);  // white background
        marked_obj_.clear();
        marked_link_.clear();
        marked_shape_.clear();
        create_obj_later_.reset();
        focused_tw_ = {};
        view_undo_clear();
        sbar_set_origin(1, 0, 0);
        sbar_cmd(kSbarZoom, kSbSet, 100);
        WNDCLASSA wc{};
        wc.lpfnWndProc = parent_proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "viewtestparent";
        RegisterClassA(&wc);
        parent = CreateWindowA("viewtestparent", "view test", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 820, 640,
                               nullptr, make_menu(false, true, true), wc.hInstance, nullptr);
        main_inst_ = parent;
        view = view_create_window(parent);
        ShowWindow(parent, SW_SHOWNOACTIVATE);
        paint();
    }
    void TearDown() override {
        DestroyWindow(parent);
        main_inst_ = nullptr;
        marked_obj_.clear();
        marked_link_.clear();
        marked_shape_.clear();
    }

    void paint() {
        InvalidateRect(view, nullptr, FALSE);
        UpdateWindow(view);
    }
    Key add(const std::string& id, int x, int y, int shape = 161, int size = 15, int colour = 4) {
        Obj o;
        o.id = id;
        o.level = 1;
        o.x = x;
        o.y = y;
        o.shape = shape;
        o.size = size;
        o.colour = colour;
        auto k = view_obj_put(o);
        EXPECT_TRUE(k.has_value());
        return k.value_or(0);
    }
    void link(Key a, Key b, const char* label = "") {
        Link l;
        l.from = a;
        l.to = b;
        l.label = label;
        view_link_add(l);
    }
    Key shape(int l, int t, int r, int b) {
        Shape s;
        s.kind = 1;
        s.level = 1;
        s.left = l;
        s.top = t;
        s.right = r;
        s.bottom = b;
        return view_shape_put(s).value();
    }
    static const Command* command(int id) {
        if (!cmd_find(id)) view_init();
        return cmd_find(id);
    }
    Pt dev(Pt lp) { return view_mapping().to_device(lp); }
    LPARAM at(Pt d) { return MAKELPARAM(d.x, d.y); }
    void down(Pt d, WPARAM keys = MK_LBUTTON) { SendMessageA(view, WM_LBUTTONDOWN, keys, at(d)); }
    void move(Pt d, WPARAM keys = MK_LBUTTON) { SendMessageA(view, WM_MOUSEMOVE, keys, at(d)); }
    void up(Pt d, WPARAM keys = 0) { SendMessageA(view, WM_LBUTTONUP, keys, at(d)); }
    void drag(Pt from, Pt to, WPARAM keys = 0) {
        down(from, MK_LBUTTON | keys);
        move({(from.x + to.x) / 2, (from.y + to.y) / 2}, MK_LBUTTON | keys);
        move(to, MK_LBUTTON | keys);
        up(to, keys);
        paint();
    }
    Rc rect_of_obj(Key k) {
        for (const auto& b : view_painted_objects())
            if (b.key == k) return b.rect;
        ADD_FAILURE() << "object " << k << " not painted";
        return {};
    }
    // The window's pixels as the paint pass draws them.
    COLORREF pixel(Pt d) {
        HDC screen = GetDC(view);
        HDC mem = CreateCompatibleDC(screen);
        RECT c;
        GetClientRect(view, &c);
        HBITMAP bmp = CreateCompatibleBitmap(screen, c.right, c.bottom);
        HGDIOBJ old = SelectObject(mem, bmp);
        SendMessageA(view, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT);
        COLORREF px = GetPixel(mem, d.x, d.y);
        SelectObject(mem, old);
        DeleteObject(bmp);
        DeleteDC(mem);
        ReleaseDC(view, screen);
        return px;
    }
};

}  // namespace

TEST_F(ViewWin, CreatesTheWindowAndFollowsTheMenuInItsLayout) {
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view_inst_, view);
    char cls[32] = {};
    GetClassNameA(view, cls, sizeof cls);
    EXPECT_STREQ(cls, "vornview");
    RECT pc, vr;
    GetClientRect(parent, &pc);
    struct Case { bool left, top, status; };
    for (Case c : {Case{false, true, true}, Case{true, false, false}, Case{false, false, true}}) {
        HMENU old = GetMenu(parent);
        SetMenu(parent, make_menu(c.left, c.top, c.status));
        DestroyMenu(old);
        GetClientRect(parent, &pc);
        view_layout();
        GetWindowRect(view, &vr);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&vr), 2);
        EXPECT_EQ((Rc{vr.left, vr.top, vr.right, vr.bottom}), view_layout_rect(pc.right, pc.bottom, c.left, c.top, c.status));
    }
}

// Zoom Fit on objects at the edges of the coordinate range: the smallest zoom, never the largest
// on one of them.
TEST_F(ViewWin, ZoomFitAtTheCoordinateLimitGivesTheSmallestZoom) {
    add("East", 2147483600, 0);
    add("West", -2147483600, 0);
    add("North", 0, 2147483600);
    add("Mid", 0, 0);
    paint();
    ASSERT_EQ(view_send_user(36, 0), 0);  // what Zoom Fit sends the view
    paint();
    EXPECT_EQ(sbar_view_state().zoom, 1);
    Pt mid = view_mapping().to_device({0, 0});
    RECT c;
    GetClientRect(view, &c);
    EXPECT_NEAR(mid.x, c.right / 2, 2) << "centred between East and West";
}

TEST_F(ViewWin, PaintsObjectsLinksAndHandlesWhereTheMappingSays) {
    view_doc().set_param(1, 15);
    Key a = add("Alpha", -300, 0);
    Key b = add("Beta", 300, 0);
    link(a, b);
    paint();
    Rc ra = rect_of_obj(a);
    Pt corner = dev({ra.left, ra.top});
    Pt centre = dev({(ra.left + ra.right) / 2, ra.top - 4});
    // Background white; inside the box the object colour; the link runs between the boxes.
    EXPECT_EQ(pixel({3, 3}), RGB(255, 255, 255));
    EXPECT_NE(pixel(centre), RGB(255, 255, 255));
    EXPECT_NE(pixel(dev({0, 0})), RGB(255, 255, 255));
    // A marked object gets its handles: the corner handle is white inside a black frame.
    marked_obj_ = {a};
    paint();
    EXPECT_EQ(pixel(corner), RGB(255, 255, 255));
    // Objects of a level above are not painted; those of the level below show behind the
    // current one but are not hit.
    auto o = view_obj_get(b);
    o->level = 0;
    view_obj_put(*o);
    paint();
    EXPECT_EQ(pixel(dev({300, 0})), RGB(255, 255, 255));
    o->level = 2;
    view_obj_put(*o);
    paint();
    EXPECT_NE(pixel(dev({300, 0})), RGB(255, 255, 255));
    EXPECT_EQ(object_at(view_painted_objects(), 1, {300, 0}), std::nullopt);
}

TEST_F(ViewWin, ClickMarksDragMovesAsOneUndoableStep) {
    Key a = add("Alpha", 0, 0);
    Key b = add("Beta", 400, 0);
    paint();
    Pt c = dev({0, 0});
    down(c);
    up(c);
    EXPECT_EQ(marked_obj_, (std::vector<Key>{a}));
    // Shift+click adds, a plain click on a marked object keeps both for a group move.
    Pt cb = dev({400, 0});
    down(cb, MK_LBUTTON | MK_SHIFT);
    up(cb, MK_SHIFT);
    EXPECT_EQ(marked_obj_, (std::vector<Key>{a, b}));
    drag(c, {c.x + 80, c.y - 40});
    auto oa = view_obj_get(a), ob = view_obj_get(b);
    int dx = view_mapping().to_logical({c.x + 80, 0}).x - view_mapping().to_logical({c.x, 0}).x;
    EXPECT_NEAR(oa->x, dx, 2);
    EXPECT_GT(oa->y, 0);  // up on screen is up in the diagram
    EXPECT_EQ(ob->x - 400, oa->x);
    EXPECT_EQ(view_undo_name(), "Move Object");
    ASSERT_TRUE(view_undo());
    EXPECT_EQ(view_obj_get(a)->x, 0);
    EXPECT_EQ(view_obj_get(b)->x, 400);
    EXPECT_FALSE(view_can_undo());
}

TEST_F(ViewWin, ClickWithoutDragChangesNothingAndVoidClickUnmarks) {
    Key a = add("Alpha", 0, 0);
    paint();
    view_doc().changed = false;
    Pt c = dev({0, 0});
    down(c);
    move({c.x + 2, c.y + 1});  // within the click tolerance
    up({c.x + 2, c.y + 1});
    EXPECT_EQ(view_obj_get(a)->x, 0);
    EXPECT_FALSE(view_can_undo());
    EXPECT_FALSE(view_doc().changed);
    down({5, 5});
    up({5, 5});
    EXPECT_TRUE(marked_obj_.empty());
}

TEST_F(ViewWin, RubberBandMarksWhatLiesWhollyInside) {
    Key a = add("A", -200, 0);
    Key b = add("B", 200, 0);
    add("Far", 200, 600);
    paint();
    Rc ra = rect_of_obj(a), rb = rect_of_obj(b);
    drag(dev({ra.left - 20, ra.top + 20}), dev({rb.right + 20, rb.bottom - 20}));
    EXPECT_EQ(marked_obj_, (std::vector<Key>{a, b}));
    // A band that cuts through an object leaves it out.
    drag(dev({ra.left - 20, ra.top + 20}), dev({(rb.left + rb.right) / 2, rb.bottom - 20}));
    EXPECT_EQ(marked_obj_, (std::vector<Key>{a}));
    EXPECT_FALSE(view_can_undo());
}

TEST_F(ViewWin, DragFromTheRimConnectsAndConnectCommandNeedsTwo) {
    Key a = add("Alpha", -300, 0);
    Key b = add("Beta", 300, 0);
    paint();
    Rc ra = rect_of_obj(a);
    Pt rim = dev({ra.left + 2, (ra.top + ra.bottom) / 2});
    drag(rim, dev({300, 0}));
    EXPECT_TRUE(view_link_get(a, b).has_value());
    EXPECT_EQ(view_obj_get(a)->x, -300);  // not moved
    EXPECT_EQ(view_undo_name(), "Create Link");
    // Dropping on the void or on the object itself creates nothing.
    drag(rim, {5, 5});
    drag(rim, dev({-300, 0}));
    EXPECT_EQ(view_link_each().size(), 1u);

    const Command* connect = command(CMD_CONNECT);
    ASSERT_NE(connect, nullptr);
    marked_obj_ = {b, a};
    EXPECT_TRUE(connect->enabled());
    connect->run();
    EXPECT_TRUE(view_link_get(b, a).has_value());
    marked_obj_ = {a};
    EXPECT_FALSE(connect->enabled());
}

TEST_F(ViewWin, HandlesResizeObjectsAndShapes) {
    Key a = add("Alpha", 0, 0, 162);  // ellipse: size drives the width
    paint();
    marked_obj_ = {a};
    paint();
    Rc r = rect_of_obj(a);
    drag(dev({r.right, (r.top + r.bottom) / 2}), dev({r.right + 100, (r.top + r.bottom) / 2}));
    EXPECT_GT(view_obj_get(a)->size, 15);
    EXPECT_EQ(view_undo_name(), "Resize Object");

    Key sk = shape(-500, -200, -300, -400);
    marked_obj_.clear();
    marked_shape_ = {sk};
    paint();
    drag(dev({-300, -400}), dev({-200, -450}));
    auto moved = view_shape_get(sk);
    EXPECT_NEAR(moved->right, -200, 3);
    EXPECT_NEAR(moved->bottom, -450, 3);
    EXPECT_EQ(moved->left, -500);
    EXPECT_EQ(view_undo_name(), "Resize Shape");
}

TEST_F(ViewWin, DoubleClickInTheVoidCreatesAnObject) {
    Pt p = dev({100, -100});
    SendMessageA(view, WM_LBUTTONDBLCLK, MK_LBUTTON, at(p));
    ASSERT_EQ(view_doc().objs.size(), 1u);
    const Obj& o = view_doc().objs[0];
    EXPECT_EQ(o.id, "Idea");
    EXPECT_EQ(o.shape, 161);
    EXPECT_NEAR(o.x, 100, 2);
    EXPECT_NEAR(o.y, -100, 2);
    EXPECT_EQ(marked_obj_, (std::vector<Key>{o.key}));
    EXPECT_EQ(view_undo_name(), "Create Object");
    view_undo();
    EXPECT_TRUE(view_doc().objs.empty());
}

TEST_F(ViewWin, FitCommandShowsEveryObject) {
    Key a = add("A", 0, 0);
    Key b = add("B", 3000, 2000);
    EXPECT_EQ(view_send_user(1, 1), 2);  // the window passes the document's commands on
    paint();
    EXPECT_EQ(view_send_user(36, 0), 0);
    paint();
    RECT c;
    GetClientRect(view, &c);
    for (Key k : {a, b}) {
        Rc r = view_mapping().to_device_rect(rect_of_obj(k));
        EXPECT_GE(r.left, 0);
        EXPECT_LE(r.right, c.right);
        EXPECT_GE(r.top, 0);
        EXPECT_LE(r.bottom, c.bottom);
    }
}

TEST_F(ViewWin, KeysMoveScrollUnmarkAndChangeLevel) {
    Key a = add("A", 0, 0);
    paint();
    marked_obj_ = {a};
    SendMessageA(view, WM_KEYDOWN, VK_RIGHT, 0);
    SendMessageA(view, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(view_obj_get(a)->x, 10);
    EXPECT_EQ(view_obj_get(a)->y, 10);
    SendMessageA(view, WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_TRUE(marked_obj_.empty());
    int x0 = sbar_view_state().x0;
    SendMessageA(view, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(view_obj_get(a)->x, 10);
    EXPECT_EQ(sbar_view_state().x0, x0 + 40);
    SendMessageA(view, WM_KEYDOWN, VK_NEXT, 0);
    EXPECT_EQ(sbar_view_state().level, 2);
    SendMessageA(view, WM_KEYDOWN, VK_PRIOR, 0);
    EXPECT_EQ(sbar_view_state().level, 1);
}

TEST_F(ViewWin, LosingTheCaptureEndsADrag) {
    Key a = add("A", 0, 0);
    paint();
    Pt c = dev({0, 0});
    down(c);
    move({c.x + 50, c.y});
    int x_after_first = view_obj_get(a)->x;
    EXPECT_GT(x_after_first, 0);
    ReleaseCapture();  // another window takes the mouse
    SendMessageA(view, WM_CAPTURECHANGED, 0, 0);
    EXPECT_FALSE(view_mouse_dragging());
    move({c.x + 150, c.y});
    EXPECT_EQ(view_obj_get(a)->x, x_after_first);
    EXPECT_EQ(view_undo_name(), "Move Object");
}

TEST_F(ViewWin, FocusTakesEditCommandsBackFromTextWindows) {
    focused_tw_ = {parent, 1};
    SendMessageA(view, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(focused_tw_.win, nullptr);
}

TEST_F(ViewWin, DroppedFilesBecomeObjectsThatOpenThem) {
    const char files[] = "C:\\docs\\plan.txt\0C:\\docs\\notes.vrn\0";
    HGLOBAL mem = GlobalAlloc(GHND, sizeof(DROPFILES) + sizeof files);
    auto* df = static_cast<DROPFILES*>(GlobalLock(mem));
    df->pFiles = sizeof(DROPFILES);
    Pt p = dev({100, 100});
    df->pt = {p.x, p.y};
    std::memcpy(reinterpret_cast<char*>(df) + sizeof(DROPFILES), files, sizeof files);
    GlobalUnlock(mem);
    int default_action = obj_defaults_get().action;
    SendMessageA(view, WM_DROPFILES, reinterpret_cast<WPARAM>(mem), 0);
    EXPECT_EQ(obj_defaults_get().action, default_action);
    ASSERT_EQ(view_doc().objs.size(), 2u);
    EXPECT_EQ(view_doc().objs[0].id, "plan.txt");
    EXPECT_EQ(view_doc().objs[0].action, 39);
    EXPECT_EQ(view_doc().objs[0].ext, "C:\\docs\\plan.txt");
    EXPECT_EQ(view_doc().objs[1].ext, "C:\\docs\\notes.vrn");
    EXPECT_NE(view_doc().objs[0].x, view_doc().objs[1].x);
    view_undo();
    EXPECT_TRUE(view_doc().objs.empty());
}

namespace {
void CALLBACK close_menu(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    EndMenu();
}
}  // namespace

TEST_F(ViewWin, RightClickRecordsWhatThePopupActsOn) {
    Key a = add("A", 0, 0);
    paint();
    struct Case { Pt lp; int16_t a; bool marks; };
    for (Case c : {Case{{0, 0}, static_cast<int16_t>(a), true}, Case{{700, -700}, 700, false}}) {
        popup_menu_inst_.reset();
        marked_obj_.clear();
        SetTimer(nullptr, 0, 100, close_menu);
        SendMessageA(view, WM_RBUTTONUP, 0, at(dev(c.lp)));
        ASSERT_TRUE(popup_menu_inst_.has_value());
        EXPECT_NEAR(popup_menu_inst_->a, c.a, 2);
        EXPECT_EQ(!marked_obj_.empty(), c.marks);
    }
}

TEST_F(ViewWin, ThousandRepaintsHoldNoMoreGdiObjects) {
    Key a = add("A", 0, 0);
    link(a, add("B", 300, 200), "leads to");
    marked_obj_ = {a};
    paint();
    const long before = wt::gdi_objects(), windows = wt::thread_windows();
    ASSERT_GT(before, 0);
    for (int i = 0; i < 1000; ++i) paint();
    EXPECT_LE(wt::gdi_objects(), before + 2);
    EXPECT_EQ(wt::thread_windows(), windows);
}

TEST_F(ViewWin, SameSizeTakesTheClickedShapesMeasures) {
    Key a = shape(-800, 400, -600, 300);
    Key flipped = shape(-200, 400, -400, 300);  // drawn right to left
    Key model = shape(400, 400, 800, 0);
    paint();
    struct Case { int mode; int w, h; const char* name; };
    for (Case c : {Case{1, 200, 400, "Same Height"}, Case{2, 400, 100, "Same Width"}, Case{0, 400, 400, "Same Size"}}) {
        for (auto [k, l, r] : {std::tuple{a, -800, -600}, std::tuple{flipped, -200, -400}}) {
            auto s = view_shape_get(k);
            s->left = l;
            s->right = r;
            s->top = 400;
            s->bottom = 300;
            view_shape_put(*s);
        }
        marked_shape_ = {a, flipped};
        same_as_ = SameAs{3, c.mode};
        Pt p = dev({600, 200});
        down(p);
        up(p);
        EXPECT_FALSE(same_as_.has_value());
        auto sa = view_shape_get(a), sf = view_shape_get(flipped);
        EXPECT_EQ(sa->left, -800);
        EXPECT_EQ(sa->top, 400);
        EXPECT_EQ(sa->right - sa->left, c.w) << c.name;
        EXPECT_EQ(sa->top - sa->bottom, c.h) << c.name;
        EXPECT_EQ(sf->left - sf->right, c.w) << c.name;  // keeps its direction
        EXPECT_EQ(view_undo_name(), c.name);
    }
    // A click on the void ends the mode without changing anything.
    same_as_ = SameAs{3, 0};
    down({5, 5});
    up({5, 5});
    EXPECT_FALSE(same_as_.has_value());
    EXPECT_EQ(view_shape_get(model)->right, 800);
}

TEST_F(ViewWin, LevelSettingsFollowTheLevelsInUse) {
    add("A", 0, 0);
    Obj deep;
    deep.id = "Deep";
    deep.level = 4;
    view_obj_put(deep);
    view_doc().changed = false;
    paint();
    EXPECT_EQ(view_doc().param(50), 1);
    EXPECT_EQ(view_doc().param(51), 4);
    EXPECT_FALSE(view_doc().changed);
}

TEST_F(ViewWin, PropertyCommandsReachTheMarkedItems) {
    Key a = add("A", 0, 0, 161, 15, 4);
    EXPECT_EQ(view_send_user(11, 7), -1);  // nothing marked
    marked_obj_ = {a};
    EXPECT_EQ(view_send_user(11, 7), 0);
    EXPECT_EQ(view_obj_get(a)->colour, 7);
    EXPECT_EQ(view_send_user(16, 162), 0);
    EXPECT_EQ(view_obj_get(a)->shape, 162);
    // Undo through the Edit menu command takes back one step and clears the marking.
    const Command* undo = command(CMD_UNDO);
    ASSERT_NE(undo, nullptr);
    EXPECT_TRUE(undo->enabled());
    undo->run();
    EXPECT_EQ(view_obj_get(a)->shape, 161);
    EXPECT_EQ(view_obj_get(a)->colour, 7);
    EXPECT_TRUE(marked_obj_.empty());
}

TEST_F(ViewWin, DraggingNearTheEdgeScrollsUntilTheCaptureGoes) {
    paint();
    RECT c;
    GetClientRect(view, &c);
    Pt start{c.right / 2, c.bottom / 2};
    down(start);  // void: a rubber band
    Pt edge{c.right - 3, c.bottom / 2};
    move(edge);
    POINT sp{edge.x, edge.y};
    ClientToScreen(view, &sp);
    SetCursorPos(sp.x, sp.y);
    int x0 = sbar_view_state().x0;
    SendMessageA(view, WM_TIMER, kViewAutoscrollTimer, 0);
    EXPECT_EQ(sbar_view_state().x0, x0 + 40);  // one line toward the edge
    ReleaseCapture();
    SendMessageA(view, WM_CAPTURECHANGED, 0, 0);
    SendMessageA(view, WM_TIMER, kViewAutoscrollTimer, 0);
    EXPECT_EQ(sbar_view_state().x0, x0 + 40);
    EXPECT_FALSE(view_mouse_dragging());
}

TEST_F(ViewWin, WheelScrollsAndLabelsMoveByDrag) {
    // A notch toward the user scrolls one line on the axis last used.
    ViewState s0 = sbar_view_state();
    SendMessageA(view, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    ViewState s1 = sbar_view_state();
    EXPECT_EQ((s1.x0 - s0.x0) + (s1.y0 - s0.y0), 40);
    sbar_set_origin(1, 0, 0);

    Key a = add("A", -600, 0);
    Key b = add("B", 600, 0);
    link(a, b, "causes");
    paint();
    auto pt = link_label_pt_get(a, b);
    ASSERT_TRUE(pt.has_value());
    // The label is drawn 60 units above its cached point.
    Pt label_dev = pt->label;
    label_dev.y -= static_cast<int>(60 * view_mapping().scale());
    int before = view_link_get(a, b)->label_pos_colour;
    drag(label_dev, {label_dev.x + 30, label_dev.y - 40});
    EXPECT_NE(view_link_get(a, b)->label_pos_colour, before);
    EXPECT_EQ(view_undo_name(), "Move Label");
    EXPECT_EQ(view_obj_get(a)->x, -600);
}

TEST_F(ViewWin, HandleToolMarksARegionWithoutChangingTheDocument) {
    Key a = add("A", 0, 0);
    paint();
    view_doc().changed = false;
    Rc ra = rect_of_obj(a);
    // Without the toolbox a band only marks.
    drag(dev({ra.left - 40, ra.top + 40}), dev({ra.right + 40, ra.bottom - 40}));
    EXPECT_FALSE(view_shape_get(0).has_value());
    toolbox_set_open(true);
    if (toolbox_model().objects_shown()) toolbox_model().toggle();
    toolbox_press(1, 0);
    drag(dev({ra.left - 40, ra.top + 40}), dev({ra.right + 40, ra.bottom - 40}));
    auto region = view_shape_get(0);
    toolbox_model().toggle();
    toolbox_set_open(false);
    ASSERT_TRUE(region.has_value());
    EXPECT_EQ(region->kind, kRegionShapeKind);
    EXPECT_NEAR(region->left, ra.left - 40, 8);
    EXPECT_EQ(marked_obj_, (std::vector<Key>{a}));
    EXPECT_FALSE(view_doc().changed);
    view_unmark_all();
    EXPECT_FALSE(view_shape_get(0).has_value());
}

namespace {

// A memory bitmap standing in for a printer page.
struct Page {
    HDC dc = nullptr;
    HBITMAP bmp = nullptr;
    HGDIOBJ old = nullptr;
    Page(int w, int h) {
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bmp = CreateCompatibleBitmap(screen, w, h);
        old = SelectObject(dc, bmp);
        ReleaseDC(nullptr, screen);
        RECT r{0, 0, w, h};
        FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    ~Page() {
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
    bool red(int x, int y) const {
        COLORREF c = GetPixel(dc, x, y);
        return GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60;
    }
    bool white(int x, int y) const { return GetPixel(dc, x, y) == RGB(255, 255, 255); }
};

}  // namespace

TEST_F(ViewWin, PrintedPagesShowTheirPartOfTheDiagram) {
    // A red ellipse without text at the middle of the window.
    Key k = add("", 0, 0, 162, 100, 4);
    Obj o = *view_obj_get(k);
    o.flags |= 0x0100;
    view_obj_put(o);
    struct Case { int factor; double x, y; Pt red, white; };
    const Case cases[] = {
        {1, 0.5, 0.5, {200, 150}, {5, 5}},      // one page: the frame's centre in the middle
        {1, 1.0, 0.5, {395, 150}, {200, 150}},  // left half of a frame two pages wide
        {1, 0.0, 0.5, {4, 150}, {200, 150}},    // its right half
        {2, 1.0, 1.0, {390, 290}, {100, 100}},  // top left quarter, twice as large
    };
    for (const Case& c : cases) {
        Page page(400, 300);
        ASSERT_TRUE(view_draw(-1, page.dc, c.factor, c.x, c.y));
        EXPECT_TRUE(page.red(c.red.x, c.red.y)) << c.factor << " " << c.x << "," << c.y;
        EXPECT_TRUE(page.white(c.white.x, c.white.y)) << c.factor << " " << c.x << "," << c.y;
    }
    // The ellipse is as wide on a one-page print as on the frame: about 1210 of its units.
    Page page(400, 300);
    ASSERT_TRUE(view_draw(-1, page.dc, 1, 0.5, 0.5));
    int left = 200, right = 200;
    while (left > 0 && page.red(left - 1, 150)) --left;
    while (right < 399 && page.red(right + 1, 150)) ++right;
    PageFrame f = view_preview_frame(view_mapping(), 400, 300, 0);
    double expect = 1210.0 * 400 / (normalised(f.frame).right - normalised(f.frame).left);
    EXPECT_NEAR(right - left, expect, 6);

    EXPECT_FALSE(view_draw(0, page.dc, 1, 0.5, 0.5));
    // The window paints its own mapping again afterwards.
    paint();
    EXPECT_EQ(object_at(view_painted_objects(), 1, {0, 0}), k);
}

TEST_F(ViewWin, SavedZoomColourAndToolsComeBackWithTheDocument) {
    char dir[MAX_PATH] = {};
    GetTempPathA(sizeof dir, dir);
    std::string name = std::string(dir) + "vorn_view_tools.vrn";
    add("A", 0, 0);
    sbar_cmd(kSbarZoom, kSbSet, 150);
    tbar_set_current_color(5);
    toolbox_press(kTgObject, 163);
    toolbox_press(kTgWeight, 1);
    ASSERT_TRUE(file_save_document(name));

    file_new_document();
    EXPECT_EQ(sbar_view_state().zoom, 100);
    EXPECT_EQ(tbar_current_color().index, 2);
    EXPECT_EQ(toolbox_current(kTgObject), 161);

    ASSERT_EQ(file_open_document(name), 1);
    EXPECT_EQ(sbar_view_state().zoom, 150);
    EXPECT_EQ(tbar_current_color().index, 5);
    EXPECT_EQ(toolbox_current(kTgObject), 163);
    EXPECT_EQ(toolbox_current(kTgWeight), 1);
    EXPECT_FALSE(view_doc().changed);
    EXPECT_EQ(file_is_changed(), 0);
    EXPECT_FALSE(view_can_undo());

    file_new_document();
    DeleteFileA(name.c_str());
}

TEST_F(ViewWin, ConversionsOutsidePaintingFollowTheViewsZoomAndScroll) {
    struct Case { int zoom, x0, y0; };
    for (Case c : {Case{100, 0, 0}, Case{37, 120, -45}, Case{275, -300, 200}}) {
        sbar_cmd(kSbarZoom, kSbSet, c.zoom);
        sbar_set_origin(1, c.x0, c.y0);
        for (Pt lp : {Pt{0, 0}, Pt{1234, -567}, Pt{-4000, 3000}}) {
            auto d = draw_lp_to_dp_x(lp);
            ASSERT_TRUE(d.has_value());
            Pt want = view_mapping().to_device(lp);
            EXPECT_NEAR(d->x, want.x, 1) << c.zoom;
            EXPECT_NEAR(d->y, want.y, 1) << c.zoom;
            auto back = draw_dp_to_lp_x(*d);
            ASSERT_TRUE(back.has_value());
            EXPECT_NEAR(back->x, lp.x, 1 + 4 * 100 / c.zoom);
        }
    }
}

namespace {

// A 32-bit top-down bitmap in a memory DC of its own, in pixels.
struct Pixels {
    int w, h;
    HDC dc;
    HBITMAP bmp;
    HGDIOBJ old;
    uint32_t* bits = nullptr;
    Pixels(int w_, int h_) : w(w_), h(h_) {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        dc = CreateCompatibleDC(nullptr);
        bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        old = SelectObject(dc, bmp);
    }
    ~Pixels() {
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
    Pixels(const Pixels&) = delete;
    Pixels& operator=(const Pixels&) = delete;
    uint32_t at(int x, int y) const { return bits[y * w + x] & 0xFFFFFF; }
};

}  // namespace

// A crowded level, far out of zoom and up close: what the window shows (the paint pass sets the
// pixels of small figures itself) against every figure drawn by GDI, the picture WM_PRINTCLIENT
// gets. Boxes (some with depth), ellipses, diamonds, circles, bars (some of fixed width),
// squares and symbols, filled and transparent, some less than a pixel across, handles on a third
// of them, links straight and curved, some marked.
TEST_F(ViewWin, CrowdedLevelShowsWhatDrawingEveryFigureGives) {
    Document d;
    const int n = 40000, per_row = 250;
    const int shapes[] = {161, 161, 170, 162, 163, 164, 160, 166};
    for (int i = 0; i < n; ++i) {
        Obj o;
        o.key = static_cast<Key>(i + 1);
        o.id = "Idea " + std::to_string(i);
        o.level = 1;
        o.x = (i % per_row) * 300 - 30000 + (i * 37) % 150;
        o.y = 20000 - (i / per_row) * 200 + (i * 53) % 90;
        o.shape = shapes[i % 8];
        o.size = i % 13 ? 5 + i % 30 : 1;
        o.colour = i % 32;
        if (i % 11 == 0) o.flags |= kFlagTransparent;
        if (i % 9 == 0) o.flags |= kFlagFixedWidth;
        if (i % 5 == 0) o.ext = std::string(60 + i % 200, 'h');
        d.objs.push_back(std::move(o));
        if (i + 1 < n) d.links.push_back(Link{static_cast<Key>(i + 1), static_cast<Key>(i + 2), 0, (i % 3) * 256, 0, 0, ""});
    }
    d.touch_objs();
    d.set_param(1, 15);
    d.set_param(97, 40);
    view_doc() = std::move(d);
    for (int i = 0; i < n; i += 3) marked_obj_.push_back(static_cast<Key>(i + 1));
    for (int i = 0; i < 3000; i += 2) marked_link_.push_back({static_cast<Key>(i + 1), static_cast<Key>(i + 2)});

    RECT c;
    GetClientRect(view, &c);
    struct View { const char* what; int zoom; };
    for (View v : {View{"Zoom Fit", 0}, View{"100 %", 100}, View{"25 %", 25}}) {
        if (v.zoom) {
            sbar_cmd(kSbarZoom, kSbSet, v.zoom);
            sbar_set_origin(1, -5000, 15000);
        } else {
            ASSERT_EQ(view_send_user(36, 0), 0);
        }
        paint();
        wt::shot(view, (std::string("crowded level ") + (v.zoom ? std::to_string(v.zoom) : "fit")).c_str());
        Pixels shown(c.right, c.bottom), every(c.right, c.bottom);
        HDC screen = GetDC(view);
        BitBlt(shown.dc, 0, 0, c.right, c.bottom, screen, 0, 0, SRCCOPY);
        ReleaseDC(view, screen);
        SendMessageA(view, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(every.dc), PRF_CLIENT);
        GdiFlush();
        int differ = 0, ink = 0;
        for (int y = 0; y < c.bottom; ++y)
            for (int x = 0; x < c.right; ++x) {
                differ += shown.at(x, y) != every.at(x, y);
                ink += every.at(x, y) != 0xFFFFFF;
            }
        const int area = c.right * c.bottom;
        EXPECT_LE(differ, area / 100) << v.what << ": " << differ << " of " << area << " pixels differ";
        EXPECT_GT(ink, area / 10) << v.what << ": the crowd is not in view";
    }
}

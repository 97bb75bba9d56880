// Documents at size and at the extremes in the real main window: edits of 20,000 marked objects
// through the menu and keys, and objects at the far ends of the coordinate range.
#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <string>
#include <vector>

#include "app/file_win.h"
#include "bars/sbar.h"
#include "bars/tbar.h"
#include "base/globals_win.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"
#include "document/view_io.h"
#include "resources/ids.h"
#include "view/view_win.h"
#include "win/win_test_util.h"

namespace {

class ViewSize : public wt::MainWindowTest {
protected:
    ViewSize() : MainWindowTest("vorn_view_size_test") {}

    void show(Document d) {
        d.set_param(1, 15);  // white background
        view_doc() = std::move(d);
        view_undo_clear();
        view_after_load();
        sbar_cmd(kSbarZoom, kSbSet, 100);
        sbar_set_origin(1, 0, 0);
        pixel({0, 0});  // a paint: what lies where is known
    }
    void command(int id) { SendMessageA(win_, WM_COMMAND, id, 0); }
    COLORREF pixel(Pt lp) {
        Pt d = view_mapping().to_device(lp);
        HDC screen = GetDC(view_inst_);
        HDC mem = CreateCompatibleDC(screen);
        RECT c;
        GetClientRect(view_inst_, &c);
        HBITMAP bmp = CreateCompatibleBitmap(screen, c.right, c.bottom);
        HGDIOBJ old = SelectObject(mem, bmp);
        SendMessageA(view_inst_, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT);
        COLORREF px = GetPixel(mem, d.x, d.y);
        SelectObject(mem, old);
        DeleteObject(bmp);
        DeleteDC(mem);
        ReleaseDC(view_inst_, screen);
        return px;
    }
};

Obj object(Key key, std::string id, int x, int y, int size = 15, int colour = 4) {
    Obj o;
    o.key = key;
    o.id = std::move(id);
    o.level = 1;
    o.x = x;
    o.y = y;
    o.shape = 161;
    o.size = size;
    o.colour = colour;
    return o;
}

}  // namespace

TEST_F(ViewSize, TwentyThousandMarkedObjectsMoveDeleteAndComeBackInOneStepEach) {
    const int kN = 20000;
    Document d;
    for (int i = 0; i < kN; ++i) d.objs.push_back(object(static_cast<Key>(i + 1), "Idea " + std::to_string(i), (i % 200) * 300, -(i / 200) * 200));
    for (int i = 1; i < kN; ++i) d.links.push_back(Link{static_cast<Key>(i), static_cast<Key>(i + 1), 0, 0, 0, 0, ""});
    show(std::move(d));

    command(CMD_SELECT_ALL);
    ASSERT_EQ(marked_obj_.size(), 20000u);
    SendMessageA(view_inst_, WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(view_doc().objs[19999].x, 199 * 300 + 10);
    EXPECT_EQ(view_undo_name(), "Move Object");
    command(CMD_UNDO);
    EXPECT_EQ(view_doc().objs[19999].x, 199 * 300);
    EXPECT_EQ(view_doc().objs[0].x, 0);

    command(CMD_SELECT_ALL);
    command(CMD_DELETE);
    EXPECT_TRUE(view_doc().objs.empty());
    EXPECT_TRUE(view_doc().links.empty());
    command(CMD_UNDO);
    EXPECT_EQ(view_doc().objs.size(), 20000u);
    EXPECT_EQ(view_doc().links.size(), 19999u);
    command(CMD_REDO);
    EXPECT_TRUE(view_doc().objs.empty());
    EXPECT_TRUE(wt::Boxes::notes.empty()) << wt::Boxes::notes.front();
}

// Zooms are taken against the screen's width, which the view keeps: a change of the display,
// as the system announces it to the main window, repaints the diagram against the new width.
class DisplayChange : public wt::MainWindowTest {
protected:
    DisplayChange() : MainWindowTest("vorn_display_change_test", SW_SHOWNORMAL) {}
};

TEST_F(DisplayChange, ReachesTheDiagram) {
    wt::pump(50);
    ValidateRect(view_inst_, nullptr);
    RECT r;
    ASSERT_FALSE(GetUpdateRect(view_inst_, &r, FALSE));
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    SendMessageA(win_, WM_DISPLAYCHANGE, 32, MAKELPARAM(w, h));
    EXPECT_TRUE(GetUpdateRect(view_inst_, &r, FALSE));
    EXPECT_EQ(view_mapping().screen_w, w);
}

// Far-out places and a size no object can have: the neighbours stay visible, the records keep
// their values.
TEST_F(ViewSize, ObjectsAtTheExtremesLeaveTheirNeighboursVisible) {
    Document d;
    d.objs.push_back(object(1, "A", -600, 0));
    d.objs.push_back(object(2, "B", 600, 0));
    d.objs.push_back(object(3, "Far", INT_MAX, INT_MIN, 15, 2));
    d.objs.push_back(object(4, "Huge", 0, -300, INT_MAX, 2));
    d.objs.push_back(object(5, "Negative", 0, 300, INT_MIN, 2));
    d.links.push_back(Link{1, 3, 0, 0, 0, 0, ""});
    show(std::move(d));

    const COLORREF white = RGB(255, 255, 255), own = tbar_color_or(4, 0) & 0xFFFFFF;
    Rc a{}, b{};
    for (const auto& box : view_painted_objects()) {
        if (box.key == 1) a = box.rect;
        if (box.key == 2) b = box.rect;
    }
    ASSERT_NE(a.right, a.left);
    ASSERT_NE(b.right, b.left);
    // Inside each neighbour, left of its text, the neighbour's own colour.
    EXPECT_EQ(pixel({a.left + 12, (a.top + a.bottom) / 2}), own);
    EXPECT_EQ(pixel({b.left + 12, (b.top + b.bottom) / 2}), own);
    // Between them and above, the background.
    EXPECT_EQ(pixel({-300, 150}), white);
    EXPECT_EQ(pixel({300, -150}), white);
    EXPECT_EQ(view_obj_get(3)->x, INT_MAX);
    EXPECT_EQ(view_obj_get(4)->size, INT_MAX);
}

namespace {

// The main window shown, so that keys reach the diagram through the focus.
class RepeatedKeys : public wt::MainWindowTest {
protected:
    RepeatedKeys() : MainWindowTest("vorn_repeated_keys_test", SW_SHOWNORMAL) {}
};

// What a file holds as objects, in stored order.
std::vector<Obj> objects_in_file(const std::string& name) {
    std::string text, err;
    Document d;
    LoadError le;
    EXPECT_TRUE(view_read_whole(name, text, nullptr));
    EXPECT_TRUE(Document::from_text(text, d, le)) << le.message;
    return d.objs;
}

}  // namespace

// A document of more objects than keys, as old files may be, over 64 MB: Select All and an arrow
// move every object once, Cut removes them all and stays undoable, a Paste that cannot key them
// all pastes nothing, and the saved file holds every object as it was moved.
TEST_F(RepeatedKeys, EveryMarkedObjectMovesAndComesBackFromACutAndIsSaved) {
    const int kN = 70000;
    std::vector<Obj> objs;
    {
        Document d;
        for (int i = 0; i < kN; ++i) {
            Obj o = object(static_cast<Key>(i % 65535 + 1), "Idea " + std::to_string(i), (i % 300) * 300, -(i / 300) * 200);
            o.ext.assign(1000, static_cast<char>('a' + i % 26));
            d.objs.push_back(std::move(o));
        }
        d.links.push_back(Link{1, 2, 0, 0, 0, 0, ""});
        objs = d.objs;
        std::ofstream(path("many.vrn"), std::ios::binary) << d.to_text();
    }
    ASSERT_EQ(file_open_document(path("many.vrn")), 1);
    ASSERT_EQ(view_doc().objs.size(), size_t{kN});
    ASSERT_EQ(view_doc().objs[65535].key, 1);  // keys repeat

    SetFocus(view_inst_);
    wt::key_with(VK_CONTROL, 'A');
    wt::key(VK_RIGHT);
    for (Obj& o : objs) o.x += 10;
    EXPECT_TRUE(view_doc().objs == objs) << "each object moves once";

    wt::key_with(VK_CONTROL, 'X');
    EXPECT_TRUE(view_doc().objs.empty());
    EXPECT_EQ(view_undo_name(), "Cut");
    ASSERT_EQ(wt::Boxes::notes.size(), 1u);  // the move gave way to it
    EXPECT_NE(wt::Boxes::notes[0].find("\"Cut\""), std::string::npos) << wt::Boxes::notes[0];

    wt::key_with(VK_CONTROL, 'V');
    ASSERT_EQ(wt::Boxes::notes.size(), 2u);
    EXPECT_NE(wt::Boxes::notes[1].find("4465 of the 70000 objects do not fit"), std::string::npos) << wt::Boxes::notes[1];
    EXPECT_TRUE(view_doc().objs.empty());

    wt::key_with(VK_CONTROL, 'Z');
    EXPECT_TRUE(view_doc().objs == objs);
    ASSERT_TRUE(file_save_document(path("saved.vrn")));
    const std::vector<Obj> saved = objects_in_file(path("saved.vrn"));
    ASSERT_EQ(saved.size(), objs.size());
    for (size_t i = 0; i < saved.size(); ++i)
        if (!(saved[i] == objs[i])) FAIL() << "object " << i << " (" << saved[i].id << ") differs";
    EXPECT_TRUE(wt::Boxes::errors.empty());
}

// With no memory to keep the step, Delete asks first, No being the default: No keeps every
// object, Yes deletes them without Undo. (The copy Undo needs is larger than the heap has
// room for without more address space.)
TEST_F(RepeatedKeys, DeleteWithoutMemoryForUndoAsksFirst) {
    const size_t kN = 120000;
    Document d;
    for (size_t i = 0; i < kN; ++i) d.objs.push_back(object(static_cast<Key>(i % 65535 + 1), "Idea " + std::to_string(i), static_cast<int>(i % 400) * 300, -static_cast<int>(i / 400) * 200));
    view_use_document(std::move(d));
    view_after_load();
    SetFocus(view_inst_);
    wt::key_with(VK_CONTROL, 'A');
    for (int answer : {2, 1}) {
        wt::Boxes::answer = answer;
        {
            wt::AddressSpaceTaken taken;
            SendMessageA(GetFocus(), WM_KEYDOWN, VK_DELETE, 1);
        }
        wt::pump(20);
        ASSERT_EQ(wt::Boxes::questions.size(), answer == 2 ? 1u : 2u);
        EXPECT_NE(wt::Boxes::questions.back().find("\"Delete\""), std::string::npos) << wt::Boxes::questions.back();
        EXPECT_EQ(wt::Boxes::default_no, answer == 2 ? 1 : 2);
        EXPECT_EQ(view_doc().objs.size(), answer == 2 ? kN : 0u);
        EXPECT_FALSE(view_can_undo());
    }
    EXPECT_TRUE(wt::Boxes::errors.empty()) << wt::Boxes::errors.front();
    EXPECT_TRUE(wt::Boxes::notes.empty()) << wt::Boxes::notes.front();
}

// The link, object and slideshow pop-up menus' commands, each chosen after a real right click
// on the diagram: labels through the clipboard, reversing, following and activating links, an
// object's own text window and the slideshow's blank page.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "app/file_win.h"
#include "app/vorn6_win.h"
#include "bars/sbar.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"
#include "resources/ids.h"
#include "view/slideshow_win.h"
#include "view/view_win.h"
#include "win/win_test_util.h"

namespace {

using wt::Boxes;
using wt::pump;

void CALLBACK close_menu(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    EndMenu();
}

// The pop-up menu that was open: its first command and where it stood on the screen.
struct OpenMenu {
    UINT first = 0;
    RECT rect{};
} open_menu_;

// Ends any menu, the menu bar's too, until it is killed, so no key can leave a test waiting.
void CALLBACK note_and_close_menu(HWND, UINT, UINT_PTR, DWORD) {
    if (HWND w = FindWindowA("#32768", nullptr); w && !open_menu_.first) {
        auto menu = reinterpret_cast<HMENU>(SendMessageA(w, 0x01E1 /* MN_GETHMENU */, 0, 0));
        open_menu_.first = menu ? GetMenuItemID(menu, 0) : 0;
        GetWindowRect(w, &open_menu_.rect);
    }
    EndMenu();
}

class PopupCommands : public wt::MainWindowTest {
protected:
    PopupCommands() : MainWindowTest("vorn_popup_test", SW_SHOWNORMAL) {}
    void SetUp() override {
        MainWindowTest::SetUp();
        view_doc() = Document();
        view_undo_clear();
        sbar_set_origin(1, 0, 0);
        sbar_cmd(kSbarZoom, kSbSet, 100);
        a_ = add("Source", -600, 0);
        b_ = add("Target", 600, 0);
        view_link_add(Link{a_, b_, 0, 0, 0, 0x0102, "Target"});
        view_doc().changed = false;
        view_undo_clear();
        paint();
    }
    void TearDown() override {
        slideshow_stop();
        SendMessageA(win_, WM_COMMAND, CMD_CLOSE_WINDOWS, 0);  // the text windows
        popup_menu_inst_.reset();
        marked_link_.clear();
        marked_obj_.clear();
        MainWindowTest::TearDown();
    }
    Key add(const char* id, int x, int y, int level = 1, int action = 12) {
        Obj o = view_obj_new(id, x, y, level);
        o.shape = 161;
        o.action = action;
        return view_obj_put(o).value_or(0);
    }
    void paint() {
        InvalidateRect(view_inst_, nullptr, FALSE);
        UpdateWindow(view_inst_);
    }
    // A pop-up item chosen after a right click on diagram point p.
    void popup(Pt p, int id) {
        Pt d = view_mapping().to_device(p);
        SetTimer(nullptr, 0, 50, close_menu);
        SendMessageA(view_inst_, WM_RBUTTONUP, 0, MAKELPARAM(d.x, d.y));
        ASSERT_TRUE(popup_menu_inst_.has_value());
        SendMessageA(win_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
        pump(20);
        paint();
    }
    void on_link(int id) { popup({0, 0}, id); }
    static void put_clipboard(const char* text) {
        ASSERT_TRUE(OpenClipboard(main_inst_));
        EmptyClipboard();
        if (text) {
            HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, std::strlen(text) + 1);
            std::memcpy(GlobalLock(g), text, std::strlen(text) + 1);
            GlobalUnlock(g);
            SetClipboardData(CF_TEXT, g);
        }
        CloseClipboard();
    }
    static std::string clipboard() {
        std::string t;
        if (!OpenClipboard(main_inst_)) return t;
        if (HANDLE h = GetClipboardData(CF_TEXT)) {
            t = static_cast<const char*>(GlobalLock(h));
            GlobalUnlock(h);
        }
        CloseClipboard();
        return t;
    }
    Pt off_centre(Key k) {
        const Obj* o = view_doc().obj(k);
        ViewMapping m = view_mapping();
        Pt d = m.to_device({o->x, o->y});
        return {d.x - m.client_w / 2, d.y - m.client_h / 2};
    }
    Key a_ = 0, b_ = 0;
};

TEST_F(PopupCommands, LabelsGoToAndComeFromTheClipboardAsOneStep) {
    put_clipboard(nullptr);
    on_link(10796);  // Copy Label
    EXPECT_EQ(clipboard(), "Target");
    EXPECT_FALSE(view_can_undo());

    put_clipboard("Next step\r\n");
    on_link(10797);  // Paste Label
    EXPECT_EQ(view_link_get(a_, b_)->label, "Next step");
    EXPECT_EQ(view_undo_name(), "Paste Label");
    EXPECT_TRUE(view_doc().changed);
    ASSERT_TRUE(view_undo());
    EXPECT_EQ(view_link_get(a_, b_)->label, "Target");
    EXPECT_FALSE(view_can_undo());

    // No text on the clipboard: nothing changes and no step is kept.
    put_clipboard(nullptr);
    on_link(10797);
    EXPECT_EQ(view_link_get(a_, b_)->label, "Target");
    EXPECT_FALSE(view_can_undo());
}

TEST_F(PopupCommands, ReverseSwapsTheEndsAndTheirPositionsUnlessAReverseLinkExists) {
    on_link(10799);
    ASSERT_FALSE(view_link_get(a_, b_).has_value());
    auto back = view_link_get(b_, a_);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(back->end_positions, 0x0201);
    EXPECT_EQ(back->label, "Target");
    ASSERT_EQ(marked_link_.size(), 1u);
    EXPECT_EQ(marked_link_[0].from, b_);
    EXPECT_EQ(view_undo_name(), "Reverse Link");
    ASSERT_TRUE(view_undo());
    EXPECT_EQ(view_link_get(a_, b_)->end_positions, 0x0102);
    EXPECT_FALSE(view_link_get(b_, a_).has_value());

    // With b -> a present as well, reversing would make two links the same way.
    view_link_add(Link{b_, a_, 0, 0, 0, 0, ""});
    view_undo_clear();
    Boxes::notes.clear();
    on_link(10799);
    EXPECT_EQ(Boxes::notes.size(), 1u);
    EXPECT_TRUE(view_link_get(a_, b_).has_value());
    EXPECT_FALSE(view_can_undo());
}

TEST_F(PopupCommands, FollowAndActivateLabelGoWhereTheLinkPoints) {
    on_link(10800);  // Follow Link
    Pt off = off_centre(b_);
    EXPECT_LE(std::abs(off.x), 2);
    EXPECT_LE(std::abs(off.y), 2);
    sbar_set_origin(1, 0, 0);
    paint();

    // The label names object "Target"; give it the Level Down action.
    Obj t = *view_obj_get(b_);
    t.action = 9;
    view_obj_put(t);
    paint();
    on_link(10801);  // Activate Label
    EXPECT_EQ(sbar_view_state().level, 2);

    sbar_set_origin(1, 0, 0);
    Link l = *view_link_get(a_, b_);
    l.label = "Nobody";
    view_link_put(a_, b_, l);
    paint();
    on_link(10801);
    EXPECT_EQ(sbar_view_state().level, 1);
    EXPECT_TRUE(Boxes::errors.empty());
}

TEST_F(PopupCommands, ALinkGoneSinceTheMenuOpenedIsLeftAlone) {
    Pt d = view_mapping().to_device({0, 0});
    SetTimer(nullptr, 0, 50, close_menu);
    SendMessageA(view_inst_, WM_RBUTTONUP, 0, MAKELPARAM(d.x, d.y));
    ASSERT_TRUE(popup_menu_inst_.has_value());
    view_link_remove(a_, b_);
    view_undo_clear();
    for (int id : {10796, 10797, 10799, 10800, 10801}) {
        popup_menu_inst_ = PopupSource{static_cast<int16_t>(a_), static_cast<int16_t>(b_)};
        SendMessageA(win_, WM_COMMAND, MAKEWPARAM(id, 0), 0);
    }
    EXPECT_FALSE(view_can_undo());
    EXPECT_TRUE(view_doc().links.empty());
    EXPECT_TRUE(Boxes::errors.empty());
}

TEST_F(PopupCommands, LevelMovesStopAtTheLastLevels) {
    for (int edge : {250, -250}) {
        sbar_set_origin(edge, 0, 0);
        Key k = add("Edge", 0, 0, edge);
        paint();
        view_undo_clear();
        popup({0, 0}, edge > 0 ? 10780 : 10781);  // Down 1 Level / Up 1 Level
        EXPECT_EQ(view_obj_get(k)->level, edge);
        EXPECT_FALSE(view_can_undo());
        popup({0, 0}, edge > 0 ? 10781 : 10780);  // the other way is fine
        EXPECT_EQ(view_obj_get(k)->level, edge > 0 ? 249 : -249);
        EXPECT_EQ(view_undo_name(), "Lev Down/Up");
    }
}

TEST_F(PopupCommands, CreateSubwindowOpensTheObjectsOwnText) {
    popup({-600, 0}, 10776);
    ASSERT_FALSE(tw_inst_.empty());
    EXPECT_EQ(tw_inst_.back().key, a_);
    EXPECT_EQ(tw_inst_.back().mode, 1);
}

// Shift+F10 and the Menu key open the marked item's own menu on it, as a right click on it
// would, and its commands act on that item; with nothing marked, the background's menu.
TEST_F(PopupCommands, TheKeyboardOpensTheMarkedItemsMenu) {
    SetFocus(view_inst_);
    auto by_keyboard = [&](UINT held, UINT vk) {
        open_menu_ = {};
        popup_menu_inst_.reset();
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, note_and_close_menu);
        if (held) wt::key_with(held, vk);
        else wt::key(vk);
        pump(100);
        KillTimer(nullptr, timer);
    };
    auto at_point = [](const RECT& r, Pt d) {
        POINT p{d.x, d.y};
        ClientToScreen(view_inst_, &p);
        return std::abs(r.left - p.x) <= 2 && std::abs(r.top - p.y) <= 2;
    };
    // The marked object's menu, at the object: Rename ID opens its box.
    marked_obj_ = {b_};
    by_keyboard(VK_SHIFT, VK_F10);
    EXPECT_EQ(open_menu_.first, 12000u);
    const ObjBox* box = box_of(view_painted_objects(), b_, 1);
    ASSERT_NE(box, nullptr);
    const Pt at = view_mapping().to_device({box->rect.left / 2 + box->rect.right / 2, box->rect.top / 2 + box->rect.bottom / 2});
    EXPECT_TRUE(at_point(open_menu_.rect, at)) << open_menu_.rect.left << "," << open_menu_.rect.top;
    ASSERT_TRUE(popup_menu_inst_.has_value());
    SendMessageA(win_, WM_COMMAND, 10773, 0);
    ASSERT_NE(textbox_inst_.win, nullptr);
    EXPECT_EQ(textbox_inst_.k1, b_);
    SendMessageA(win_, WM_COMMAND, CMD_CLOSE_WINDOWS, 0);
    SetFocus(view_inst_);

    // The marked link's, halfway between its two objects (not at an end): Reverse turns it.
    marked_obj_.clear();
    marked_link_ = {{a_, b_}};
    by_keyboard(0, VK_APPS);
    EXPECT_EQ(open_menu_.first, 10794u);
    POINT halfway{view_mapping().to_device({0, 0}).x, view_mapping().to_device({0, 0}).y};
    ClientToScreen(view_inst_, &halfway);
    EXPECT_LE(std::abs(open_menu_.rect.left - halfway.x), 20) << open_menu_.rect.left << " for " << halfway.x;
    EXPECT_LE(std::abs(open_menu_.rect.top - halfway.y), 2) << open_menu_.rect.top << " for " << halfway.y;
    ASSERT_TRUE(popup_menu_inst_.has_value());
    SendMessageA(win_, WM_COMMAND, 10799, 0);
    EXPECT_TRUE(view_link_get(b_, a_));
    EXPECT_FALSE(view_link_get(a_, b_));

    // Nothing marked: the background's, in the middle of the window.
    marked_link_.clear();
    by_keyboard(0, VK_APPS);
    EXPECT_EQ(open_menu_.first, 10804u);
    RECT c;
    GetClientRect(view_inst_, &c);
    EXPECT_TRUE(at_point(open_menu_.rect, {c.right / 2, c.bottom / 2}));
}

TEST_F(PopupCommands, SlideshowMenuStepsAndShowsTheBlankPage) {
    view_doc().seq = {SeqEntry{b_, 1, ""}};
    SendMessageA(win_, WM_COMMAND, CMD_SLIDESHOW, 0);
    ASSERT_TRUE(slideshow_running());
    paint();
    popup({-600, 0}, 10814);  // Next
    Pt off = off_centre(b_);
    EXPECT_LE(std::abs(off.x), 2);
    popup({600, 0}, 10817);  // Blank Screen
    ASSERT_TRUE(file_current().has_value());
    EXPECT_EQ(file_name_part(file_current()->full), "blank.vrn");
    EXPECT_TRUE(view_doc().objs.empty());
    EXPECT_EQ(view_param_get(1), 0) << "a black page";
    EXPECT_TRUE(Boxes::errors.empty());
    EXPECT_TRUE(slideshow_running());
}

}  // namespace

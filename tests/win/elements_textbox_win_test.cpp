// The in-place text box as a real window: typing, Enter, the close timer and undo.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/globals_win.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"
#include "elements/font_win.h"
#include "elements/link_label.h"
#include "elements/textbox.h"
#include "view/textbox_win.h"
#include "win/win_test_util.h"

namespace {

class TextboxWin : public ::testing::Test {
protected:
    HWND main = nullptr;
    HWND saved_view = nullptr;

    void SetUp() override {
        view_doc() = Document();
        view_undo_clear();
        marked_obj_.clear();
        marked_link_.clear();
        font_init_defaults();
        link_label_cache_clear();
        main = CreateWindowExA(0, "STATIC", "main", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 640, 480,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(main, nullptr);
        saved_view = view_inst_;
        view_inst_ = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 1, 1, 600, 400, main,
                                     nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    void TearDown() override {
        textbox_close();
        DestroyWindow(main);
        view_inst_ = saved_view;
    }

    Key create_new() {
        Obj o;
        o.id = "Idea";
        o.x = 100;
        o.y = -50;
        o.shape = 163;
        UndoStep step;
        Key k = *view_obj_put(o);
        step.commit("Create Object");
        return k;
    }
    Key existing(const std::string& id) {
        Obj o;
        o.id = id;
        o.shape = 161;
        Key k = *view_obj_put(o);
        view_undo_clear();
        return k;
    }
    HWND edit() const { return GetDlgItem(textbox_inst_.win, kTextboxEditId); }
    std::string edit_text() const {
        char buf[256] = {};
        GetWindowTextA(edit(), buf, sizeof buf);
        return buf;
    }
    void type_and_enter(const char* text) {
        SetWindowTextA(edit(), text);
        SendMessageA(edit(), WM_KEYDOWN, VK_RETURN, 0);
    }
    void fire_timer() { SendMessageA(textbox_inst_.win, WM_TIMER, kTextboxTimer, 0); }
};

}  // namespace

TEST_F(TextboxWin, NewObjectNamedInPlaceUndoesWithItsCreation) {
    Key k = create_new();
    ASSERT_TRUE(textbox_open(main, 1, k, 0, true));
    ASSERT_NE(textbox_inst_.win, nullptr);
    EXPECT_EQ(textbox_inst_.mode, 1);
    EXPECT_EQ(textbox_inst_.k1, k);
    EXPECT_EQ(GetParent(textbox_inst_.win), main);
    EXPECT_EQ(edit_text(), "Idea");
    type_and_enter("Market");
    EXPECT_EQ(textbox_inst_.win, nullptr);
    EXPECT_EQ(view_obj_id(k).value(), "Market");
    EXPECT_EQ(view_undo_name(), "Create Object");
}

TEST_F(TextboxWin, RenamingToIdeaKeepsTheObjectByEnterAndByTimer) {
    Key k = existing("Budget");
    ASSERT_TRUE(textbox_open(main, 1, k, 0, false));
    type_and_enter("Idea");
    EXPECT_EQ(view_obj_id(k).value(), "Idea");
    EXPECT_EQ(view_undo_name(), "Rename ID");
    view_undo();
    EXPECT_EQ(view_obj_id(k).value(), "Budget");

    Key idea = existing("Idea");
    ASSERT_TRUE(textbox_open(main, 1, idea, 0, false));
    fire_timer();  // text still the default: the box closes, the object stays
    EXPECT_EQ(textbox_inst_.win, nullptr);
    EXPECT_TRUE(view_obj_get(idea));
}

TEST_F(TextboxWin, CloseTimerDropsOnlyAnUntouchedNewObject) {
    Key k = create_new();
    ASSERT_TRUE(textbox_open(main, 1, k, 0, true));
    fire_timer();
    EXPECT_EQ(textbox_inst_.win, nullptr);
    EXPECT_FALSE(view_obj_get(k) && view_doc().obj(k));

    k = create_new();
    ASSERT_TRUE(textbox_open(main, 1, k, 0, true));
    SetWindowTextA(edit(), "Half typed");
    fire_timer();  // typed into: stays open
    EXPECT_NE(textbox_inst_.win, nullptr);
    EXPECT_EQ(view_obj_id(k).value(), "Idea");
}

TEST_F(TextboxWin, LabelChangedInPlaceIsOneStep) {
    Key a = existing("A"), b = existing("B");
    Link l;
    l.from = a;
    l.to = b;
    l.label = "old";
    view_link_add(l);
    view_undo_clear();
    ASSERT_TRUE(textbox_open(main, 2, a, b, false));
    EXPECT_EQ(textbox_inst_.mode, 2);
    EXPECT_EQ(edit_text(), "old");
    type_and_enter("leads to");
    EXPECT_EQ(textbox_inst_.win, nullptr);
    EXPECT_EQ(view_link_get(a, b)->label, "leads to");
    EXPECT_EQ(view_undo_name(), "Change Label");
}

TEST_F(TextboxWin, BoxesForMissingItemsDoNotOpenAndOneBoxAtATime) {
    EXPECT_FALSE(textbox_open(main, 1, 77, 0, false));
    EXPECT_FALSE(textbox_open(main, 2, 1, 2, false));
    EXPECT_EQ(textbox_inst_.win, nullptr);
    EXPECT_TRUE(textbox_open(main, 0, 0, 0, false));
    Key a = existing("A"), b = existing("B");
    ASSERT_TRUE(textbox_open(main, 1, a, 0, false));
    HWND first = textbox_inst_.win;
    ASSERT_TRUE(textbox_open(main, 1, b, 0, false));
    EXPECT_FALSE(IsWindow(first));
    EXPECT_EQ(textbox_inst_.k1, b);
}

TEST_F(TextboxWin, Screenshot) {
    ShowWindow(main, SW_SHOW);
    Obj o;
    o.id = "Marketing plan";
    o.x = 200;
    o.y = 150;
    Key k = *view_obj_put(o);
    ASSERT_TRUE(textbox_open(main, 1, k, 0, false));
    RECT r;
    GetWindowRect(textbox_inst_.win, &r);
    EXPECT_GE(r.right - r.left, 80);
    EXPECT_LE(r.right - r.left, 300);
    wt::shot(main, "textbox");
}

TEST_F(TextboxWin, FieldsAfterTheSeparatorGoToTheView) {
    Key k = existing("Idea");
    ASSERT_TRUE(textbox_open(main, 1, k, 0, false));
    type_and_enter("Plan;Budget");
    EXPECT_EQ(view_obj_id(k).value(), "Plan");
    ASSERT_EQ(view_doc().objs.size(), 2u);
    EXPECT_EQ(view_doc().objs[1].id, "Budget");
    ASSERT_EQ(view_doc().links.size(), 1u);
    EXPECT_EQ(view_doc().links[0].from, k);
}

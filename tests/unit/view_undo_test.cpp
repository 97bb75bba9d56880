#include <gtest/gtest.h>

#include "document/view.h"
#include "view_fixture.h"

namespace {

void add(Key key, int x) {
    Obj o;
    o.key = key;
    o.id = "o" + std::to_string(key);
    o.x = x;
    view_obj_put(o);
}

void move(Key key, int x) {
    view_edit(7);
    Obj o = *view_obj_get(key);
    o.x = x;
    view_obj_put(o);
    view_undo_record("Move Object");
}

}  // namespace

TEST_F(ViewFixture, UndoAndRedoSwapTheChangeBack) {
    add(1, 10);
    view_edit(7);
    view_link_add(Link{1, 1, 0, 0, 0, 0, "self"});
    view_param_set(21, 150);
    view_undo_record("Create Link");
    move(1, 50);
    EXPECT_EQ(view_undo_name(), "Move Object");

    ASSERT_TRUE(view_undo());
    EXPECT_EQ(view_obj_get(1)->x, 10);
    EXPECT_EQ(view_undo_name(), "Create Link");
    EXPECT_EQ(view_redo_name(), "Move Object");
    ASSERT_TRUE(view_undo());
    EXPECT_TRUE(view_doc().links.empty());
    EXPECT_EQ(view_param_get(21), 100);
    EXPECT_FALSE(view_undo());

    ASSERT_TRUE(view_redo());
    ASSERT_TRUE(view_redo());
    EXPECT_EQ(view_obj_get(1)->x, 50);
    EXPECT_EQ(view_doc().links.size(), 1u);
    EXPECT_FALSE(view_redo());
    EXPECT_TRUE(view_doc().changed);
}

TEST_F(ViewFixture, UndoKeepsTheKeyIndexCurrent) {
    add(1, 0);
    view_edit(7);
    view_doc().remove_obj(1);
    add(2, 0);
    view_undo_record("Delete");
    EXPECT_FALSE(view_obj_get(1));
    view_undo();
    EXPECT_TRUE(view_obj_get(1));
    EXPECT_FALSE(view_obj_get(2));
}

TEST_F(ViewFixture, NestedChangesJoinTheOuterOne) {
    add(1, 0);
    view_edit(7);
    move(1, 5);   // a worker that opens its own change inside the caller's
    move(1, 9);
    view_undo_record("Front/Back");
    EXPECT_EQ(view_undo_name(), "Front/Back");
    view_undo();
    EXPECT_EQ(view_obj_get(1)->x, 0);
    EXPECT_FALSE(view_can_undo());
}

TEST_F(ViewFixture, StepsThatAreNotStepsLeaveNoHistory) {
    add(1, 0);
    view_undo_record("Create Object");  // no open change: nothing happens
    EXPECT_FALSE(view_can_undo());
    view_edit(7);
    view_undo_record("Nothing");        // nothing changed
    EXPECT_FALSE(view_can_undo());
    {
        UndoStep step;                  // left without commit (an error on the way)
        Obj o = *view_obj_get(1);
        o.x = 3;
        view_obj_put(o);
    }
    EXPECT_FALSE(view_edit_open());
    EXPECT_FALSE(view_can_undo());
}

TEST_F(ViewFixture, NewStepDropsRedoAndHistoryIsBounded) {
    add(1, 0);
    move(1, 1);
    view_undo();
    move(1, 2);
    EXPECT_FALSE(view_can_redo());
    for (int i = 0; i < 300; ++i) move(1, 100 + i);
    int n = 0;
    while (view_undo()) ++n;
    EXPECT_GE(n, 20);
    EXPECT_LE(n, 100);
    EXPECT_GT(view_obj_get(1)->x, 2);  // the oldest steps were dropped
}

TEST_F(ViewFixture, ChangeParaIsOneUndoableStep) {
    marked_obj_ = {1};
    view_param_set_undoable(16, 1);
    EXPECT_TRUE(marked_obj_.empty());
    EXPECT_TRUE(marked_para_.empty());
    EXPECT_EQ(view_undo_name(), "Change Para");
    view_undo();
    EXPECT_EQ(view_param_get(16), 0);
}

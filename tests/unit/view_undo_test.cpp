#include <gtest/gtest.h>

#include <algorithm>

#include "document/clip.h"
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

void add_in_step(Key key) {
    UndoStep step;
    add(key, 0);
    step.commit("Create Object");
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
    // What it did is a step of its own, so the history still leads back.
    EXPECT_FALSE(view_edit_open());
    EXPECT_EQ(view_undo_name(), "Edit");
    view_undo();
    EXPECT_EQ(view_obj_get(1)->x, 0);
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

namespace {

// n objects on level 1, each linked to the next, with a cluster, a value and a shape each tenth.
void big_document(int n) {
    Document d;
    for (int i = 0; i < n; ++i) {
        Obj o;
        o.key = static_cast<Key>(i % 65535 + 1);
        o.id = "Idea " + std::to_string(i);
        o.level = 1;
        o.x = i * 10;
        o.y = -i;
        d.objs.push_back(std::move(o));
        if (i > 0 && i < 65535) d.links.push_back(Link{static_cast<Key>(i), static_cast<Key>(i + 1), 0, 0, 0, 0, "l"});
        if (i % 10 == 0 && i < 65535) {
            d.clusters.emplace_back(static_cast<Key>(i + 1), 1);
            d.values.emplace_back(static_cast<Key>(i + 1), std::to_string(i));
            d.shapes.push_back(Shape{static_cast<Key>(i / 10 + 1), 3, 1, 5, 0, i, 10, i + 5, 0});
        }
    }
    d.touch_objs();
    view_doc() = std::move(d);
    view_undo_clear();
}

void mark_every(int step, int n) {
    marked_obj_.clear();
    for (int i = 0; i < n; i += step) marked_obj_.push_back(static_cast<Key>(i + 1));
}

void move_marked(int dx) {
    UndoStep step;
    for (Key k : marked_obj_)
        if (auto o = view_obj_get(k)) {
            o->x += dx;
            view_obj_put(*o);
        }
    step.commit("Move Object");
}

}  // namespace

// Each edit of a large document undoes to exactly the document before it and redoes to exactly
// the one after it.
TEST_F(ViewFixture, StepsOfLargeEditsUndoAndRedoExactly) {
    struct Case {
        const char* name;
        void (*edit)();
    } cases[] = {
        {"move a third", [] { mark_every(3, 5000); move_marked(10); }},
        {"delete a third", [] { mark_every(3, 5000); view_clip_delete(); }},
        {"paste all", [] {
             mark_every(1, 5000);
             std::string text = view_clip_text();
             view_clip_paste(text, 2, 0, 0, nullptr);
         }},
        {"delete and recolour in one step", [] {
             UndoStep step;
             view_doc().remove_obj(7);
             view_doc().objs[100].colour = 5;
             view_doc().objs.back().id = "renamed";
             step.commit("Both");
         }},
        {"reorder", [] {
             UndoStep step;
             std::rotate(view_doc().objs.begin(), view_doc().objs.begin() + 500, view_doc().objs.end());
             view_doc().touch_objs();
             step.commit("Front/Back");
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        big_document(5000);
        const std::string before = view_doc().to_text();
        c.edit();
        const std::string after = view_doc().to_text();
        ASSERT_NE(before, after);
        ASSERT_TRUE(view_undo());
        EXPECT_TRUE(view_doc().to_text() == before);
        ASSERT_TRUE(view_redo());
        EXPECT_TRUE(view_doc().to_text() == after);
    }
}

TEST_F(ViewFixture, MoveInAMillionObjectDocumentUndoes) {
    big_document(1000000);
    marked_obj_ = {500};
    move_marked(25);
    EXPECT_EQ(view_doc().objs[499].x, 4990 + 25);
    ASSERT_TRUE(view_undo());
    EXPECT_EQ(view_doc().objs[499].x, 4990);
    EXPECT_TRUE(notes.empty());
}

TEST_F(ViewFixture, HundredStepsOfTwentyThousandObjectsAreKept) {
    big_document(20000);
    mark_every(1, 20000);
    for (int i = 0; i < 100; ++i) move_marked(1);
    int n = 0;
    while (view_undo()) ++n;
    EXPECT_EQ(n, 100);
    EXPECT_EQ(view_doc().objs[19999].x, 199990);
    EXPECT_TRUE(notes.empty());
}

// The newest step is kept whatever its size; the earlier ones give way, and the user is told
// so under the step's own name.
TEST_F(ViewFixture, StepLargerThanTheHistoryIsKeptAlone) {
    Document d;
    d.objs.push_back(Obj{1, "big"});
    d.objs.push_back(Obj{2, "small"});
    view_doc() = d;
    move(1, 5);
    view_doc().objs[0].ext.assign(80u << 20, 'x');  // more than the whole history may hold
    view_doc().bump();
    const std::string full = view_doc().to_text();
    view_select_all(0);
    ASSERT_TRUE(view_clip_delete("Cut"));
    EXPECT_TRUE(view_doc().objs.empty());
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("\"Cut\""), std::string::npos) << notes[0];
    EXPECT_EQ(view_undo_name(), "Cut");
    ASSERT_TRUE(view_undo());
    EXPECT_TRUE(view_doc().to_text() == full);
    EXPECT_FALSE(view_can_undo());  // the move gave way
    ASSERT_TRUE(view_redo());
    EXPECT_TRUE(view_doc().objs.empty());

    // Alone in the history, a large step needs no note; it gives way to the next step.
    notes.clear();
    view_undo();
    view_undo_clear();
    view_select_all(0);
    view_clip_delete();
    EXPECT_TRUE(notes.empty());
    add_in_step(3);
    ASSERT_TRUE(view_undo());
    EXPECT_TRUE(view_doc().objs.empty());
    EXPECT_FALSE(view_can_undo());
}

// Changes no step recorded: the temporary region shape comes and goes, computed values are
// worked out again; anything else that no longer matches clears the history with a note rather
// than patching the wrong records.
TEST_F(ViewFixture, UndoFollowsOnlyTheDocumentItRecorded) {
    add(1, 0);
    add(2, 0);
    Shape region{0, kRegionShapeKind, 0, 0, 0, 0, 10, 10, 0};
    view_edit(7);
    view_doc().shapes.push_back(region);
    view_obj_set_cluster(2, 3);
    view_doc().set_value(1, "7");
    view_undo_record("Cluster");
    view_doc().shapes.clear();            // the region went with the marks
    view_doc().set_value(1, "8");         // recomputed
    ASSERT_TRUE(view_undo());
    EXPECT_EQ(view_obj_cluster(2), 0);
    EXPECT_EQ(view_doc().value(1), nullptr);
    EXPECT_TRUE(notes.empty());

    ASSERT_TRUE(view_redo());
    view_doc().clusters[0].second = 5;    // changed behind the history's back
    EXPECT_FALSE(view_undo());
    EXPECT_FALSE(view_can_undo());
    EXPECT_FALSE(view_can_redo());
    EXPECT_EQ(notes.size(), 1u);
    EXPECT_EQ(view_obj_cluster(2), 5);
}

TEST_F(ViewFixture, ShellHearsOfAChangeOncePerStep) {
    big_document(1000);
    mark_every(1, 1000);
    reset_changed();
    move_marked(5);
    EXPECT_EQ(changed_calls, 1);
    view_clip_delete();
    EXPECT_EQ(changed_calls, 2);
}

// Values are looked up through a table once there are many; every way they change is seen.
TEST_F(ViewFixture, ValuesAreFoundAfterEveryKindOfChange) {
    Document& d = view_doc();
    for (int k = 1; k <= 100; ++k) d.set_value(static_cast<Key>(k), std::to_string(k));
    ASSERT_NE(d.value(50), nullptr);
    EXPECT_EQ(*d.value(50), "50");
    d.clear_value(50);
    d.set_value(200, "x");  // as many as before, in the same storage
    EXPECT_EQ(d.value(50), nullptr);
    ASSERT_NE(d.value(200), nullptr);
    EXPECT_EQ(*d.value(200), "x");
    d.values.clear();
    d.values.emplace_back(7, "seven");  // as a load does
    for (int k = 1000; k < 1040; ++k) d.values.emplace_back(static_cast<Key>(k), "n");
    EXPECT_EQ(*d.value(7), "seven");
    view_edit(7);
    d.values[0] = {300, "y"};
    view_mark_changed();  // as every edit does
    view_undo_record("Edit");
    EXPECT_EQ(d.value(7), nullptr);
    EXPECT_EQ(*d.value(300), "y");
    view_undo();
    EXPECT_EQ(*d.value(7), "seven");
    EXPECT_EQ(d.value(300), nullptr);
}

TEST_F(ViewFixture, BackToAStateTakesBackOnlyLaterStepsForGood) {
    add(1, 10);
    move(1, 20);
    const uint64_t mark = view_undo_state();
    EXPECT_TRUE(view_undo_back_to(mark));  // nothing since: nothing taken back
    EXPECT_EQ(view_obj_get(1)->x, 20);
    for (int x : {30, 40, 50}) move(1, x);
    ASSERT_TRUE(view_undo_back_to(mark));
    EXPECT_EQ(view_obj_get(1)->x, 20);
    EXPECT_EQ(view_undo_state(), mark);
    EXPECT_FALSE(view_can_redo());  // Redo must not bring them back
    EXPECT_EQ(view_undo_name(), "Move Object");

    // A history trimmed past the mark cannot reach it, and no step before the mark is touched.
    const uint64_t early = view_undo_state();
    for (int k = 0; k < 120; ++k) move(1, 100 + k);
    EXPECT_FALSE(view_undo_back_to(early));
    EXPECT_FALSE(view_can_undo());
    EXPECT_EQ(view_obj_get(1)->x, 100 + 19);
}

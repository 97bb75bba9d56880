// The in-place text box's portable part: placement arithmetic and the commits with their undo.
#include <gtest/gtest.h>

#include "document/undo.h"
#include "elements/textbox.h"
#include "unit/view_fixture.h"

TEST(Textbox, SeparatorsAndSplitting) {
    const char want[] = {';', '.', ':', '/', '\\', '|'};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(textbox_separator(i), want[i]);
    EXPECT_EQ(textbox_separator(-1), ';');
    EXPECT_EQ(textbox_separator(6), ';');
    using L = std::vector<std::string>;
    EXPECT_EQ(textbox_split_id("Plan;Budget", ';'), (L{"Plan", "Budget"}));
    EXPECT_EQ(textbox_split_id("", ';'), (L{""}));
    EXPECT_EQ(textbox_split_id("a;;b;", ';'), (L{"a", "", "b", ""}));
    EXPECT_EQ(textbox_split_id("v1.2", ';'), (L{"v1.2"}));
    EXPECT_EQ(textbox_split_id("v1.2", '.'), (L{"v1", "2"}));
}

TEST(Textbox, WidthAndPlace) {
    struct Case { int extent, min, want; };
    const Case cases[] = {{20, 80, 80}, {200, 80, 210}, {290, 60, 300}, {400, 60, 300}, {0, 60, 60}};
    for (const auto& k : cases) EXPECT_EQ(textbox_width(k.extent, k.min), k.want) << k.extent;
    const Rc view{29, 29, 829, 629};
    EXPECT_EQ(textbox_rect({100, 200}, view, 120, 16), (Rc{139, 209, 259, 226}));
    // Passing the view's right edge: moved left so that it ends there.
    EXPECT_EQ(textbox_rect({750, 200}, view, 120, 16), (Rc{709, 209, 829, 226}));
}

TEST(Textbox, CentredFiguresAndRecompute) {
    EXPECT_EQ(textbox_centre_shift(161, 40, 100), 30);   // Box
    EXPECT_EQ(textbox_centre_shift(160, 100, 40), -30);  // Bar
    EXPECT_EQ(textbox_centre_shift(163, 40, 100), 0);    // not a centred figure
    struct Case { const char* from; const char* to; bool want; };
    const Case cases[] = {
        {"x", "=a+1", true}, {"x", "12", true}, {"x", "", true}, {"x", "word", false},
        {"12", "12", false}, {"", "", false}, {"3", "3.5", false},
    };
    for (const auto& k : cases) EXPECT_EQ(textbox_label_needs_recompute(k.from, k.to), k.want) << k.to;
}

class TextboxCommit : public ViewFixture {
protected:
    static int measure(std::string_view s) { return 10 * static_cast<int>(s.size()); }

    // As the view makes a new object: its own step, then the box.
    Key create(const std::string& id = "Idea", int shape = 161) {
        Obj o;
        o.id = id;
        o.x = 500;
        o.shape = shape;
        UndoStep step;
        auto key = view_obj_put(o);
        step.commit("Create Object");
        return *key;
    }
    Key existing(const std::string& id) {
        Obj o;
        o.id = id;
        o.x = 500;
        o.shape = 161;
        Key k = *view_obj_put(o);
        view_undo_clear();
        return k;
    }
    size_t objects() const { return view_doc().objs.size(); }
};

TEST_F(TextboxCommit, TypingANewObjectsIdIsOneStepWithItsCreation) {
    Key k = create();
    auto r = textbox_commit_object(k, "Market;Costs", ';', true, "Idea", &measure);
    ASSERT_TRUE(r.ok);
    EXPECT_FALSE(r.dropped);
    EXPECT_EQ(r.rest, std::vector<std::string>{"Costs"});
    EXPECT_EQ(view_obj_id(k).value(), "Market");
    EXPECT_EQ(view_obj_get(k)->x, 500 + (60 - 40) / 2);
    EXPECT_EQ(view_undo_name(), "Create Object");
    ASSERT_TRUE(view_undo());
    EXPECT_EQ(objects(), 0u);
    EXPECT_FALSE(view_can_undo());
    ASSERT_TRUE(view_redo());
    EXPECT_EQ(view_obj_id(k).value(), "Market");
    EXPECT_FALSE(view_can_redo());
}

TEST_F(TextboxCommit, ACreationLeftOpenByTheCallerIsClosedWithTheId) {
    view_edit(7);
    Obj o;
    o.id = "Idea";
    Key k = *view_obj_put(o);
    textbox_commit_object(k, "Goal", ';', true, "Idea", &measure);
    EXPECT_FALSE(view_edit_open());
    EXPECT_EQ(view_undo_name(), "Create Object");
    view_undo();
    EXPECT_EQ(objects(), 0u);
}

TEST_F(TextboxCommit, NewObjectLeftAtTheDefaultTextGoesWithoutAStep) {
    Key k = create();
    auto r = textbox_commit_object(k, "Idea", ';', true, "Idea", &measure);
    EXPECT_TRUE(r.dropped);
    EXPECT_EQ(objects(), 0u);
    EXPECT_FALSE(view_can_undo());

    k = create();
    EXPECT_TRUE(textbox_drop_new(k));  // the close timer
    EXPECT_EQ(objects(), 0u);
    EXPECT_FALSE(textbox_drop_new(k));
    // Nothing is left to take back or to bring back.
    EXPECT_FALSE(view_can_undo());
    EXPECT_FALSE(view_can_redo());
}

TEST_F(TextboxCommit, ANewObjectsIdAfterAnotherEditIsAStepOfItsOwn) {
    Key k = create();
    Key other = existing("Other");
    (void)other;
    {
        UndoStep step;
        Obj o = *view_obj_get(k);
        o.y = 77;
        view_obj_put(o);
        step.commit("Move Object");
    }
    textbox_commit_object(k, "Named", ';', true, "Idea", &measure);
    EXPECT_EQ(view_undo_name(), "Rename ID");
    view_undo();
    EXPECT_EQ(view_obj_id(k).value(), "Idea");
    EXPECT_EQ(view_obj_get(k)->y, 77);  // the move stays
}

TEST_F(TextboxCommit, GoneRecordsLeaveEverythingAsItWas) {
    auto r = textbox_commit_object(42, "x", ';', false, "Idea", &measure);
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(textbox_commit_label(1, 2, "x").ok);
    EXPECT_FALSE(view_can_undo());
}

TEST_F(TextboxCommit, LabelChangeIsOneStep) {
    Key a = existing("A"), b = existing("B");
    Link l;
    l.from = a;
    l.to = b;
    l.label = "old";
    view_link_add(l);
    Link second = l;  // a second link between the same pair keeps its label and place
    second.label = "other";
    view_link_add(second);
    view_undo_clear();
    auto r = textbox_commit_label(a, b, "=A+1");
    ASSERT_TRUE(r.ok);
    EXPECT_TRUE(r.recompute);
    EXPECT_EQ(view_doc().links[0].label, "=A+1");
    EXPECT_EQ(view_doc().links[1].label, "other");
    EXPECT_TRUE(marked_link_.empty());
    EXPECT_EQ(view_undo_name(), "Change Label");
    view_undo();
    EXPECT_EQ(view_doc().links[0].label, "old");
    view_redo();
    EXPECT_EQ(view_doc().links[0].label, "=A+1");
    EXPECT_FALSE(textbox_commit_label(a, b, "=A+1").recompute);
}

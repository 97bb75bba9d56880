#include <gtest/gtest.h>

#include "document/globals.h"
#include "document/view.h"
#include "view_fixture.h"

namespace {

Obj make_obj(Key key, std::string id, int level = 1, int x = 0, int y = 0) {
    Obj o;
    o.key = key;
    o.id = std::move(id);
    o.level = level;
    o.x = x;
    o.y = y;
    return o;
}

}  // namespace

TEST_F(ViewFixture, NewObjectsTakeTheFirstFreeKey) {
    view_obj_put(make_obj(1, "a"));
    view_obj_put(make_obj(3, "c"));
    EXPECT_EQ(view_obj_put(make_obj(0, "b")), Key{2});
    EXPECT_EQ(view_obj_put(make_obj(0, "d")), Key{4});
    EXPECT_EQ(view_obj_id(2), "b");
    EXPECT_EQ(view_obj_get(0)->flags, 1);  // the default record
    EXPECT_FALSE(view_obj_get(9));
}

TEST_F(ViewFixture, NoFreeKeyAddsNothingAndSaysSo) {
    Document& d = view_doc();
    for (uint32_t k = 1; k < 65536; ++k) d.objs.push_back(make_obj(static_cast<Key>(k), "x"));
    d.touch_objs();
    d.changed = false;
    EXPECT_FALSE(view_obj_put(make_obj(0, "one too many")));
    EXPECT_EQ(d.objs.size(), 65535u);
    EXPECT_FALSE(d.changed);
    ASSERT_EQ(notes.size(), 1u);
}

TEST_F(ViewFixture, ChangedMarkOnlyForRealEdits) {
    view_obj_put(make_obj(1, "a"));
    reset_changed();
    view_obj_put(make_obj(1, "a"));          // same record
    view_param_set(341, 12);                 // status counts
    view_param_set(342, 7);
    view_param_set(21, 100);                 // equals the default
    view_text_param_set(25, "1.1.1.1.1");
    view_obj_set_cluster(1, 0);
    view_recompute();
    EXPECT_FALSE(view_doc().changed);
    EXPECT_EQ(changed_calls, 0);
    EXPECT_EQ(view_param_get(341), 12);

    view_param_set(21, 150);
    EXPECT_TRUE(view_doc().changed);
    EXPECT_EQ(changed_calls, 1);
    view_param_set(21, 100);  // back to the default: the record goes
    EXPECT_EQ(view_doc().params.count(21), 0u);
}

TEST_F(ViewFixture, LinkPutReplacesInPlaceAndEachSkipsTemporaryLinks) {
    for (Key k = 1; k <= 3; ++k) view_obj_put(make_obj(k, "o"));
    Link a{1, 2, 0, 0, 0, 0, "first"}, b{1, 2, 0, 0, 0, 0, "second"}, t{2, 3, 0, 16 * 256, 0, 0, "tmp"};
    ASSERT_TRUE(view_link_add(a));
    ASSERT_TRUE(view_link_add(b));
    ASSERT_TRUE(view_link_add(t));
    Link edited = a;
    edited.label = "first, edited";
    ASSERT_TRUE(view_link_put(1, 2, edited));
    EXPECT_EQ(view_link_get(1, 2)->label, "first, edited");
    EXPECT_EQ(view_doc().links[1].label, "second");
    EXPECT_FALSE(view_link_put(3, 1, edited));
    EXPECT_FALSE(view_link_add(Link{1, 99, 0, 0, 0, 0, ""}));

    auto each = view_link_each();
    ASSERT_EQ(each.size(), 2u);
    EXPECT_EQ(view_link_from(2), (std::vector<Key>{1, 1, 3}));
    EXPECT_TRUE(view_link_touching(3));
    EXPECT_FALSE(view_link_touching(4));
}

TEST_F(ViewFixture, ObjectValues) {
    struct Case { int action; const char* ext; const char* stored; std::optional<double> want; };
    const Case cases[] = {
        {0, "=2*3", nullptr, 6.0},
        {34, "12.5\r\n", nullptr, 12.5},
        {0, "plain text", nullptr, std::nullopt},
        {5, "=1+1", nullptr, std::nullopt},       // other actions have no value
        {5, "", "7", 7.0},                        // a stored value counts for every object
        {0, "=fail", nullptr, std::nullopt},
        // Numbers read as the calculator reads them.
        {0, "0x10", nullptr, std::nullopt},
        {34, "inf", nullptr, std::nullopt},
        {0, "1e3\n", nullptr, 1000.0},
        {5, "", "nan", std::nullopt},
    };
    Key key = 1;
    for (const Case& c : cases) {
        Obj o = make_obj(key, "v");
        o.action = c.action;
        o.ext = c.ext;
        view_obj_put(o);
        if (c.stored) view_doc().set_value(key, c.stored);
        reset_changed();
        EXPECT_EQ(view_obj_value(key), c.want) << c.ext;
        EXPECT_FALSE(view_doc().changed) << c.ext;
        ++key;
    }
    EXPECT_EQ(*view_doc().value(1), "6");
    EXPECT_EQ(*view_doc().value(2), "12.5");
}

TEST_F(ViewFixture, ComputedValuesShowAfterTheIdInTheDecimalFormat) {
    struct Case { const char* id; const char* stored; const char* format; const char* want; };
    const Case cases[] = {
        {"Total", "1200", "", "Total = 1200"},
        {"Total", "3.14159", "8.2", "Total = 3.14"},   // fixed notation, padding dropped
        {"Total", "2.5", "-6.1", "Total = 2.5"},
        {"42", "42", "", ""},                          // the value is the ID already
        {"Total", nullptr, "", ""},                    // nothing computed
        {"Total", "oops", "", ""},                     // a damaged value shows nothing
    };
    for (const Case& c : cases) {
        Document d;
        Obj o = make_obj(1, c.id);
        d.objs.push_back(o);
        if (c.stored) d.set_value(1, c.stored);
        d.set_text_param(26, c.format);
        EXPECT_EQ(view_obj_value_text(d, o), c.want) << c.id << " " << (c.stored ? c.stored : "-");
    }
}

TEST_F(ViewFixture, PaintingNeverEvaluatesOrStores) {
    Obj o = make_obj(1, "v");
    o.ext = "=2*3";
    view_obj_put(o);
    view_set_painting(true);
    EXPECT_FALSE(view_obj_value(1));
    view_set_painting(false);
    EXPECT_EQ(eval_calls, 0);
    EXPECT_TRUE(view_doc().values.empty());
    EXPECT_EQ(view_obj_value(1), 6.0);
    EXPECT_EQ(eval_calls, 1);
}

TEST_F(ViewFixture, RecomputeResetsAndReplacesEveryValue) {
    Obj o = make_obj(1, "v");
    o.ext = "=2*3";
    view_obj_put(o);
    view_doc().set_value(1, "99");
    view_doc().set_value(7, "stale");
    view_recompute();
    EXPECT_EQ(last_eval, "2*3");
    EXPECT_TRUE(saw_reset);
    ASSERT_EQ(view_doc().values.size(), 1u);
    EXPECT_EQ(view_doc().values[0].second, "6");
}

TEST_F(ViewFixture, PointsAndShapes) {
    view_point_add(1, 5, 5, 2, 0xFF);
    view_point_add(1, 6, 6, 3, 0xFF);
    view_point_add(1, 7, 7, 2, 0x00);
    view_point_add(1, 5, 5, 4, 0x10);
    auto p = view_point_remove(1, 5, 5);
    ASSERT_TRUE(p);
    EXPECT_EQ(p->style, 2);  // the first at that place
    EXPECT_EQ(view_clear_points(2, 1, 0xFF), 0u);
    EXPECT_EQ(view_clear_points(0, 1, 0xFF), 1u);
    EXPECT_EQ(view_clear_points(0, 0), 2u);

    Shape s;
    s.kind = 3;
    EXPECT_EQ(view_shape_put(s), Key{1});
    EXPECT_FALSE(view_shape_get(0));
    s.kind = kRegionShapeKind;
    EXPECT_EQ(view_shape_put(s), Key{2});
    EXPECT_EQ(view_shape_get(0)->key, Key{2});
    view_unmark_all();
    EXPECT_FALSE(view_shape_get(0));
    EXPECT_TRUE(view_shape_get(1));
}

TEST_F(ViewFixture, RemovingAnObjectTakesItsRecords) {
    view_obj_put(make_obj(1, "a"));
    view_obj_put(make_obj(2, "b"));
    view_link_add(Link{1, 2, 0, 0, 0, 0, ""});
    view_obj_set_cluster(1, 3);
    marked_obj_ = {1, 2};
    marked_link_ = {{1, 2}};
    // Removing while walking the marked list is what Delete does.
    for (Key k : marked_obj_) view_obj_remove(k);
    for (const MarkedLink& l : marked_link_) view_link_remove(l.from, l.to);
    EXPECT_FALSE(view_obj_get(1));
    EXPECT_TRUE(view_doc().links.empty());
    EXPECT_EQ(view_obj_cluster(1), 0);
    EXPECT_FALSE(view_obj_get(2));
    EXPECT_FALSE(view_obj_find_id("b"));
}

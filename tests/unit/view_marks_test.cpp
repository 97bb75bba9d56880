// Documents of more objects than keys keep repeated keys: every edit of the marked objects must
// act on the objects marked, never on the first object of each key.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/clip.h"
#include "document/view.h"
#include "view/view_cmd.h"
#include "view_fixture.h"

namespace {

// Six objects on level 1, keys 1 2 1 2 1 3 in that order (places 0-5), a link 1 -> 2 and a
// cluster of key 1; one object of key 2 on level 2.
void repeated_keys() {
    Document d;
    const Key keys[] = {1, 2, 1, 2, 1, 3};
    for (int i = 0; i < 6; ++i) {
        Obj o;
        o.key = keys[i];
        o.id = "o" + std::to_string(i);
        o.level = 1;
        o.x = i * 100;
        d.objs.push_back(o);
    }
    Obj other;
    other.key = 2;
    other.id = "other level";
    other.level = 2;
    d.objs.push_back(other);
    d.links.push_back(Link{1, 2, 0, 0, 0, 0, ""});
    d.clusters.emplace_back(1, 4);
    d.touch_objs();
    view_doc() = std::move(d);
    view_undo_clear();
}

std::vector<int> xs() {
    std::vector<int> out;
    for (const Obj& o : view_doc().objs) out.push_back(o.x);
    return out;
}

std::vector<std::string> ids() {
    std::vector<std::string> out;
    for (const Obj& o : view_doc().objs) out.push_back(o.id);
    return out;
}

}  // namespace

TEST_F(ViewFixture, MarksNameObjectsByPlaceWhereKeysRepeat) {
    repeated_keys();
    // A place that no longer holds its key, or none at all, names the first object of the key.
    marked_obj_.push_back(1, 4);
    marked_obj_.push_back(2, 5);
    marked_obj_.push_back(3);
    marked_obj_.push_back(1, 4);  // twice: acts once
    EXPECT_EQ(view_marked_places(), (std::vector<uint32_t>{1, 4, 5}));
    EXPECT_TRUE(view_obj_marked(1, 4));
    EXPECT_FALSE(view_obj_marked(1, 0));
    EXPECT_TRUE(view_obj_marked(2, 1));
    view_obj_unmark(1, 4);
    EXPECT_EQ(view_marked_places(), (std::vector<uint32_t>{1, 5}));

    // Select All marks every object of the level, each by its place.
    view_select_all(1);
    EXPECT_EQ(view_marked_places(), (std::vector<uint32_t>{0, 1, 2, 3, 4, 5}));
}

// Moves, recolours, copies and deletes of the marked objects themselves, each undone exactly.
TEST_F(ViewFixture, EditsActOnTheMarkedObjectsOfRepeatedKeys) {
    repeated_keys();
    const std::string saved = view_doc().to_text();

    view_select_all(1);
    {
        UndoStep step;
        EXPECT_EQ(view_move_items(view_marked_places(), {}, 1, 10, 0), (Pt{10, 0}));
        step.commit("Move Object");
    }
    EXPECT_EQ(xs(), (std::vector<int>{10, 110, 210, 310, 410, 510, 0}));
    view_undo();
    EXPECT_EQ(view_doc().to_text(), saved);

    marked_obj_.clear();
    marked_obj_.push_back(1, 2);
    marked_obj_.push_back(2, 3);
    EXPECT_EQ(view_recolour(9), 0);
    for (size_t i = 0; i < view_doc().objs.size(); ++i)
        EXPECT_EQ(view_doc().objs[i].colour, i == 2 || i == 3 ? 9 : 0) << i;
    view_undo();

    // The copy holds the two marked objects, not the first of their keys.
    marked_obj_.clear();
    marked_obj_.push_back(1, 2);
    marked_obj_.push_back(1, 4);
    EXPECT_EQ(view_clip_ids(), "o2\r\no4\r\n");
    const std::string part = view_clip_text();

    // Deleting them leaves the other object of key 1, and with it the key's link and cluster.
    ASSERT_TRUE(view_clip_delete("Cut"));
    EXPECT_EQ(ids(), (std::vector<std::string>{"o0", "o1", "o3", "o5", "other level"}));
    EXPECT_EQ(view_doc().links.size(), 1u);
    EXPECT_EQ(view_obj_cluster(1), 4);
    EXPECT_EQ(view_undo_name(), "Cut");

    // Pasted back, each object gets a key of its own.
    auto keys = view_clip_paste(part, 1, 0, 0, nullptr);
    ASSERT_TRUE(keys);
    ASSERT_EQ(keys->size(), 2u);
    EXPECT_NE((*keys)[0], (*keys)[1]);
    EXPECT_EQ(view_obj_id((*keys)[1]), "o4");
    view_undo();
    view_undo();
    EXPECT_EQ(view_doc().to_text(), saved);

    // The last objects of a key take its records along.
    marked_obj_.clear();
    for (uint32_t at : {0u, 2u, 4u}) marked_obj_.push_back(1, at);
    view_clip_delete();
    EXPECT_TRUE(view_doc().links.empty());
    EXPECT_EQ(view_obj_cluster(1), 0);

    // Front/Back moves the marked object itself and its mark follows it.
    view_undo();
    marked_obj_.clear();
    marked_obj_.push_back(2, 3);
    EXPECT_EQ(view_front_back(true, 1), 0);
    EXPECT_EQ(view_doc().objs.back().id, "o3");
    EXPECT_EQ(view_marked_places(), (std::vector<uint32_t>{6}));
}

// A paste that cannot key every object says how many do not fit and changes nothing.
TEST_F(ViewFixture, PasteWithoutKeysForAllPastesNothing) {
    Document& d = view_doc();
    for (uint32_t k = 1; k <= 65530; ++k) {
        Obj o;
        o.key = static_cast<Key>(k);
        d.objs.push_back(o);
    }
    d.touch_objs();
    std::string part;
    for (int i = 0; i < 8; ++i) part += "j_(7,\"dup\",1,0,0,0,0,161,0,1,0,0,\"\")\r\n";
    std::string err;
    EXPECT_FALSE(view_clip_paste(part, 1, 0, 0, &err));
    EXPECT_NE(err.find("3 of the 8 objects do not fit"), std::string::npos) << err;
    EXPECT_NE(err.find("and 5 are free"), std::string::npos) << err;

    std::vector<std::string> lines(6, "line");
    lines.insert(lines.begin() + 2, "   ");  // blank lines make no object and need no key
    EXPECT_TRUE(view_paste_lines(lines, {0, 0}, 1).empty());
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("1 of the 6 objects do not fit"), std::string::npos) << notes[0];
    EXPECT_EQ(d.objs.size(), 65530u);
    EXPECT_FALSE(view_can_undo());

    lines.resize(5);
    EXPECT_EQ(view_paste_lines(lines, {0, 0}, 1).size(), 4u);
    EXPECT_EQ(d.objs.size(), 65534u);
}

// Every object read is written back, whatever its key.
TEST_F(ViewFixture, SavingWritesEveryObjectOfRepeatedKeys) {
    repeated_keys();
    Document back;
    LoadError err;
    ASSERT_TRUE(Document::from_text(view_doc().to_text(), back, err)) << err.message;
    EXPECT_EQ(back.objs, view_doc().objs);
}

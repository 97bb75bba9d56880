#include <gtest/gtest.h>

#include <climits>
#include <random>

#include "document/spatial.h"

namespace {

std::vector<uint32_t> brute(const std::vector<SpatialGrid::Item>& items, int32_t level, int64_t x1, int64_t y1,
                            int64_t x2, int64_t y2) {
    std::vector<uint32_t> out;
    for (const auto& it : items)
        if (it.level == level && int64_t{it.x} + it.r >= x1 && int64_t{it.x} - it.r <= x2 && int64_t{it.y} + it.r >= y1 &&
            int64_t{it.y} - it.r <= y2)
            out.push_back(it.id);
    return out;
}

}  // namespace

// The grid finds exactly what a search of every item finds: points spread over the whole
// coordinate range, a few of every reach (some beyond the grid's own), on three levels.
TEST(SpatialGrid, FindsWhatASearchOfEveryItemFinds) {
    std::mt19937 rng(7);
    std::vector<SpatialGrid::Item> items;
    for (uint32_t k = 0; k < 20000; ++k) {
        int32_t span = k % 3 == 0 ? INT32_MAX : 50000;
        std::uniform_int_distribution<int32_t> pos(-span, span);
        int32_t r = k % 97 == 0 ? 1 << 20 : static_cast<int32_t>(rng() % 3000);
        items.push_back({static_cast<int32_t>(k % 3), pos(rng), pos(rng), r, k});
    }
    SpatialGrid g;
    g.build(items);
    std::vector<uint32_t> got;
    struct Query { int32_t level; int64_t x1, y1, x2, y2; } queries[] = {
        {0, -1000, 1000, 1000, -1000},
        {1, -20000, -20000, 20000, 20000},
        {2, 40000, 40000, 60000, 60000},
        {1, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX},
        {0, INT32_MAX - 5000, INT32_MAX - 5000, INT32_MAX, INT32_MAX},
        {5, -100000, -100000, 100000, 100000},
    };
    for (const Query& q : queries) {
        g.query(q.level, q.x1, q.y1, q.x2, q.y2, got);
        EXPECT_EQ(got, brute(items, q.level, std::min(q.x1, q.x2), std::min(q.y1, q.y2), std::max(q.x1, q.x2),
                             std::max(q.y1, q.y2)))
            << q.level << " " << q.x1 << " " << q.y1;
    }
    for (int n = 0; n < 200; ++n) {
        std::uniform_int_distribution<int32_t> pos(-60000, 60000);
        int64_t x = pos(rng), y = pos(rng), w = rng() % 8000, h = rng() % 8000;
        int32_t level = static_cast<int32_t>(rng() % 3);
        g.query(level, x, y, x + w, y - h, got);
        ASSERT_EQ(got, brute(items, level, x, y - h, x + w, y));
    }
}

// Every edit is seen: the index is made again after a move, an insertion and a removal, and
// not again while the document stays as it is.
TEST(LevelIndex, FollowsEveryEditOfTheDocument) {
    Document d;
    for (int i = 0; i < 100; ++i) {
        Obj o;
        o.key = static_cast<Key>(i + 1);
        o.id = "o";
        o.level = 1;
        o.x = i * 1000;
        d.objs.push_back(o);
    }
    d.links.push_back(Link{1, 100, 0, 0, 0, 0, ""});  // runs across the whole row
    d.touch_objs();
    LevelIndex ix;
    auto near = [&](int64_t x) { return ix.objects(d, 1, x - 10, 10, x + 10, -10, 20, 700); };
    EXPECT_EQ(near(5000), (std::vector<uint32_t>{4, 5, 6}));
    EXPECT_EQ(ix.links(d, 1, 50000, 10, 50001, -10, 20, 700), std::vector<uint32_t>{0});
    const int builds = ix.builds();
    near(7000);
    EXPECT_EQ(ix.builds(), builds);

    d.objs[5].x = 90000;  // a move marks the document changed
    d.bump();
    EXPECT_EQ(near(5000), (std::vector<uint32_t>{4, 6}));
    d.add_obj(Obj{200, "new", 1, 5000});
    EXPECT_EQ(near(5000), (std::vector<uint32_t>{4, 6, 100}));
    d.remove_obj(5);
    EXPECT_EQ(near(5000), (std::vector<uint32_t>{5, 99}));
    EXPECT_TRUE(ix.objects(d, 2, -100000, 100000, 100000, -100000, 20, 700).empty());
}

// Objects at the far ends of the coordinate range or of a huge size stand where they are
// painted: clamped, and met only by a query near that place.
TEST(LevelIndex, FarOutObjectsStayWhereThePainterPutsThem) {
    Document d;
    d.objs.push_back(Obj{1, "far", 1, INT32_MAX, INT32_MIN});
    d.objs.push_back(Obj{2, "huge", 1, 0, 0, 0, 0, 161, INT32_MAX});
    d.objs.push_back(Obj{3, std::string(10u << 20, 'x'), 1, 100000, 0});
    d.touch_objs();
    LevelIndex ix;
    auto at = [&](int64_t x, int64_t y) { return ix.objects(d, 1, x - 1, y + 1, x + 1, y - 1, 20, 100); };
    EXPECT_EQ(at(kPaintedCoordMax, -kPaintedCoordMax), std::vector<uint32_t>{0});
    EXPECT_EQ(at(0, 0), std::vector<uint32_t>{1});
    EXPECT_TRUE(at(0, 10000).empty());          // a size out of range paints as the default
    EXPECT_EQ(at(100000 + 40000, 0), std::vector<uint32_t>{2});
    EXPECT_TRUE(at(100000 + 200000, 0).empty()); // the text paints its first characters only
}

// After edits the index answers as one made afresh: objects moved within their cell, across
// cells and levels, grown past their reach, and too many at once for moving them one by one.
TEST(LevelIndex, EditedIndexAnswersAsAFreshOne) {
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> coord(-60000, 60000), step(-3000, 3000), pick(0, 1999), lvl(1, 3);
    Document d;
    for (int i = 0; i < 2000; ++i) {
        Obj o;
        o.key = static_cast<Key>(i + 1);
        o.id = "o" + std::to_string(i);
        o.level = lvl(rng);
        o.x = coord(rng);
        o.y = coord(rng);
        o.size = 15;
        d.objs.push_back(o);
        if (i > 0) d.links.push_back(Link{static_cast<Key>(i), static_cast<Key>(i + 1), 0, 0, 0, 0, ""});
    }
    d.touch_objs();
    LevelIndex kept;
    struct Edit {
        const char* what;
        int count;
        bool far, level, grow;
    };
    const Edit edits[] = {
        {"a key step of one object", 1, false, false, false},
        {"objects moved far", 5, true, false, false},
        {"objects to another level", 3, false, true, false},
        {"an object whose text grows", 1, false, false, true},
        {"a move of a thousand objects", 1000, false, false, false},
    };
    for (const auto& e : edits) {
        for (int round = 0; round < 3; ++round) {
            kept.objects(d, 1, 0, 0, 1, 1, 20, 700);  // indexed before the edit
            for (int n = 0; n < e.count; ++n) {
                Obj& o = d.objs[static_cast<size_t>(pick(rng))];
                o.x = e.far ? coord(rng) : o.x + step(rng);
                o.y = e.far ? coord(rng) : o.y + step(rng);
                if (e.level) o.level = lvl(rng);
                if (e.grow) o.id.append(3000, 'w');
            }
            d.bump();
            LevelIndex fresh;
            for (int q = 0; q < 40; ++q) {
                int level = lvl(rng), x = coord(rng), y = coord(rng);
                EXPECT_EQ(kept.objects(d, level, x, y, x + 9000, y - 9000, 20, 700),
                          fresh.objects(d, level, x, y, x + 9000, y - 9000, 20, 700))
                    << e.what;
                EXPECT_EQ(kept.links(d, level, x, y, x + 9000, y - 9000, 20, 700),
                          fresh.links(d, level, x, y, x + 9000, y - 9000, 20, 700))
                    << e.what;
            }
        }
    }
}

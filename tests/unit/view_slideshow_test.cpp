// The order a slideshow steps through: the stored sequence first, else the sequence settings.
#include <gtest/gtest.h>

#include "document/view.h"
#include "unit/view_fixture.h"
#include "view/slideshow.h"

namespace {

Key add(int x, int y, int level = 1) { return view_obj_put(view_obj_new("o", x, y, level)).value_or(0); }

TEST_F(ViewFixture, SlideshowFollowsTheStoredSequenceThenStops) {
    Key a = add(0, 0), b = add(100, 0), c = add(200, 0);
    // Numbers out of stored order, one entry naming an object that is gone.
    view_doc().seq = {SeqEntry{c, 1, ""}, SeqEntry{999, 2, ""}, SeqEntry{a, 3, ""}, SeqEntry{b, 2, ""}};
    EXPECT_EQ(slideshow_order(1), (std::vector<Key>{c, b, a}));
    struct Case { Key last; std::optional<Key> next; };
    for (Case k : {Case{0, c}, Case{c, b}, Case{b, a}, Case{a, std::nullopt}, Case{999, c}})
        EXPECT_EQ(slideshow_next(1, k.last), k.next) << "after " << k.last;
}

TEST_F(ViewFixture, SlideshowWithoutSequenceReadsTheLevelRowByRow) {
    view_doc().set_param(226, 1);  // one level only
    Key low_right = add(300, -200), top_left = add(-300, 200), top_right = add(300, 200), other = add(0, 0, 2);
    EXPECT_EQ(slideshow_order(1), (std::vector<Key>{top_left, top_right, low_right}));
    EXPECT_EQ(slideshow_order(2), (std::vector<Key>{other}));
    EXPECT_EQ(slideshow_next(3, 0), std::nullopt);
}

}  // namespace

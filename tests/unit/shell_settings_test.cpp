#include <gtest/gtest.h>

#include <climits>

#include "base/settings.h"

namespace {

using V = std::vector<int>;

TEST(ShellSettings, ListTextRoundTripsAndRejectsMalformed) {
    EXPECT_EQ(settings_list_text({80, 1, 0, 1, 0}), "[80,1,0,1,0]");
    EXPECT_EQ(settings_list_text({}), "[]");
    struct Case { const char* text; std::optional<V> want; } cases[] = {
        {"[80,1,0,1,0]", V{80, 1, 0, 1, 0}},
        {" [ -600 , 600 ]\r\n", V{-600, 600}},
        {"[]", V{}},
        {"[+5]", V{5}},
        {"[1,,2]", std::nullopt},
        {"[1,2,]", std::nullopt},
        {"1,2", std::nullopt},
        {"[1;2]", std::nullopt},
        {"[1.5]", std::nullopt},
        {"[4294967296]", std::nullopt},
        {"[", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(settings_parse_list(c.text), c.want) << c.text;
}

class ShellSettingsStore : public testing::Test {
protected:
    void SetUp() override { settings_memory_clear(); }
    void TearDown() override { settings_memory_clear(); }
};

TEST_F(ShellSettingsStore, MalformedOrWrongLengthValuesGiveTheDefault) {
    const V def{0, 1, 0, 0, 0, 0};
    EXPECT_EQ(file_setting_get_list("Hint", def), def);
    file_setting_set_text("Hint", "[3,2,1,0,0,0]");
    EXPECT_EQ(file_setting_get_list_n("Hint", def), (V{3, 2, 1, 0, 0, 0}));
    file_setting_set_text("Hint", "[3,2]");
    EXPECT_EQ(file_setting_get_list("Hint", def), (V{3, 2}));  // callers check the length
    EXPECT_EQ(file_setting_get_list_n("Hint", def), def);
    file_setting_set_text("Hint", "garbage");
    EXPECT_EQ(file_setting_get_list("Hint", def), def);
    file_setting_set_list("Hint", {7});
    EXPECT_EQ(file_setting_get_text("Hint", ""), "[7]");
}

TEST_F(ShellSettingsStore, BackupAndPlacementValues) {
    BackupSetting b = backup_setting_get();
    EXPECT_EQ(b.minutes_less_1, 9);
    EXPECT_FALSE(b.bak);
    EXPECT_TRUE(b.bk2);
    file_setting_set_text("Backup", "[-4,1,0]");  // a negative interval never means "constantly"
    b = backup_setting_get();
    EXPECT_EQ(b.minutes_less_1, 0);
    EXPECT_TRUE(b.bak);
    EXPECT_FALSE(b.bk2);

    EXPECT_FALSE(placement_get());
    placement_set({3, {10, 20, 500, 400}});
    auto p = placement_get();
    ASSERT_TRUE(p);
    EXPECT_EQ(p->show, 3);
    EXPECT_EQ(p->r.right, 500);
    file_setting_set_text("Placement", "[1,2,3]");
    EXPECT_FALSE(placement_get());
}

TEST(ShellSettings, RectanglesAreClampedToTheWorkArea) {
    const Rect area{0, 0, 1280, 1000};
    struct Case { Rect in, want; } cases[] = {
        {{100, 100, 500, 400}, {100, 100, 500, 400}},        // inside: unchanged
        {{3000, 2000, 3400, 2300}, {880, 700, 1280, 1000}},  // off screen right/bottom
        {{-500, -300, -100, -50}, {0, 0, 400, 250}},          // off screen left/top
        {{-10, 0, 2000, 1500}, {0, 0, 1280, 1000}},           // too large: shrunk
        {{50, 60, 50, 60}, {50, 60, 1010, 810}},              // empty: given a size
        // A damaged setting: sizes that overflow 32 bits stay on screen.
        {{INT_MIN, 0, INT_MAX, 500}, {0, 0, 1280, 500}},
        {{INT_MAX, 0, INT_MIN, 100}, {320, 0, 1280, 100}},
        {{INT_MAX - 10, INT_MAX - 10, INT_MAX, INT_MAX}, {1270, 990, 1280, 1000}},
        {{INT_MIN, INT_MIN, INT_MIN, INT_MIN}, {0, 0, 960, 750}},
    };
    for (const auto& c : cases) {
        Rect r = rect_clamp_to(c.in, area);
        EXPECT_EQ(r.left, c.want.left);
        EXPECT_EQ(r.top, c.want.top);
        EXPECT_EQ(r.right, c.want.right);
        EXPECT_EQ(r.bottom, c.want.bottom);
    }
    Rect r = rect_clamp_to({0, 0, 100, 100}, {200, 300, 800, 900});  // area not at the origin
    EXPECT_EQ(r.left, 200);
    EXPECT_EQ(r.top, 300);
}

// A kept main window too small to use opens at the first size, where it was; a usable one as
// it was.
TEST(ShellSettings, AMainWindowTooSmallToUseTakesTheFirstSize) {
    const Rect area{0, 0, 1280, 1000};
    struct Case { Rect in, want; } cases[] = {
        {{100, 100, 105, 105}, {100, 100, 900, 700}},
        {{104, 123, 208, 124}, {104, 123, 904, 723}},                        // a strip 1 pixel high
        {{-99999, -99999, -99990, -99990}, {0, 0, 800, 600}},
        {{1200, 950, 1210, 960}, {480, 400, 1280, 1000}},                    // kept inside the area
        {{50, 60, 50 + kMainMinWidth, 60 + kMainMinHeight}, {50, 60, 50 + kMainMinWidth, 60 + kMainMinHeight}},
        {{50, 60, 1000, 900}, {50, 60, 1000, 900}},
    };
    for (const auto& c : cases) {
        Rect r = placement_fit(c.in, area);
        EXPECT_EQ(r.left, c.want.left);
        EXPECT_EQ(r.top, c.want.top);
        EXPECT_EQ(r.right, c.want.right);
        EXPECT_EQ(r.bottom, c.want.bottom);
    }
    // A screen smaller than the first size: the whole of it.
    Rect r = placement_fit({5, 5, 6, 6}, {0, 0, 640, 480});
    EXPECT_EQ(r.right - r.left, 640);
    EXPECT_EQ(r.bottom - r.top, 480);
}

TEST_F(ShellSettingsStore, RecentFilesKeepFourNewestWithoutDuplicates) {
    std::vector<std::string> l;
    for (const char* f : {"a.vrn", "b.vrn", "c.vrn", "d.vrn", "e.vrn"}) l = recent_files_push(l, f);
    EXPECT_EQ(l, (std::vector<std::string>{"e.vrn", "d.vrn", "c.vrn", "b.vrn"}));
    l = recent_files_push(l, "C.VRN");
    EXPECT_EQ(l, (std::vector<std::string>{"C.VRN", "e.vrn", "d.vrn", "b.vrn"}));
    recent_files_set({"x.vrn"});
    EXPECT_EQ(recent_files_get(), (std::vector<std::string>{"x.vrn"}));
    recent_files_set(l);
    EXPECT_EQ(recent_files_get(), l);
}

}  // namespace

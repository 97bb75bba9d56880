#include <gtest/gtest.h>

#include "elements/action_args.h"
#include "resources/ids.h"
#include "text/tw.h"

namespace {

TEST(TextWindowGeometry, PacksEighthsAndNeverSpillsIntoTheNextField) {
    struct { TwRect in, out; } cases[] = {
        {{100, 45, 400, 225}, {96, 40, 400, 224}},
        {{-30, -5, 7, 9}, {0, 0, 0, 8}},               // negative coordinates count as 0
        {{1100, 30, 2600, 3000}, {1096, 24, 2040, 2040}},  // a big screen clamps, never wraps
    };
    for (auto& c : cases) EXPECT_EQ(tw_unpack_geometry(tw_pack_geometry(c.in)), c.out);
    EXPECT_EQ(tw_pack_geometry({}), 0);
    EXPECT_EQ(tw_pack_geometry({8, 16, 24, 32}), ((1 * 256 + 2) << 16) | (3 * 256 + 4));
}

TEST(TextWindowGeometry, PlacementBesideTheObjectKeptInside) {
    // No stored geometry: 100 left of and 45 below the object, the default size.
    EXPECT_EQ(tw_place({}, 300, 200, 300, 180, 800, 600), (TwRect{200, 245, 500, 425}));
    // Dragged partly off: back inside, top at least 30, 20 above the bottom.
    EXPECT_EQ(tw_place({-50, 10, 250, 190}, 0, 0, 300, 180, 800, 600), (TwRect{0, 30, 300, 210}));
    EXPECT_EQ(tw_place({700, 550, 1000, 730}, 0, 0, 300, 180, 800, 600), (TwRect{500, 400, 800, 580}));
    // A client smaller than the window: the lower bounds win.
    EXPECT_EQ(tw_place({}, 0, 0, 300, 180, 100, 100), (TwRect{0, 30, 300, 210}));
}

TEST(TextWindowClose, RuleTable) {
    struct { bool file, modified, geom_equal; int rule; } cases[] = {
        {true, false, false, 1}, {true, true, false, 3},
        {false, false, true, 2}, {false, false, false, 4},  // moved: stores geometry
        {false, true, true, 4},
    };
    for (auto& c : cases) EXPECT_EQ(tw_close_rule(c.file, c.modified, c.geom_equal), c.rule);
    EXPECT_TRUE(tw_needs_recompute("42\r\n"));
    EXPECT_TRUE(tw_needs_recompute("=a+1"));
    EXPECT_FALSE(tw_needs_recompute("4 apples"));
}

TEST(TextActionArgs, DocumentArgumentForms) {
    struct { const char* ext; DocArg want; } cases[] = {
        {"plan.vrn 3 Goal", {"plan.vrn", 3, "Goal"}},
        {"\"my plans.vrn\" 2", {"my plans.vrn", 2, ""}},
        {"\"my plans.vrn\"", {"my plans.vrn", 1, ""}},
        {"plan", {"plan", 1, ""}},
        {"plan.vrn Goal two", {"plan.vrn", 1, "Goal two"}},
        {"dummy.vrn 4", {"dummy.vrn", 4, ""}},
        {"\"a b.vrn", {"a b.vrn", 1, ""}},  // an unclosed quote takes the rest
    };
    for (auto& c : cases) EXPECT_EQ(action_split_doc_arg(c.ext), c.want) << c.ext;
}

TEST(TextActionArgs, SmallRules) {
    EXPECT_TRUE(action_contents_is_file("names.txt"));
    EXPECT_FALSE(action_contents_is_file("one\ntwo\nthree"));
    EXPECT_FALSE(action_contents_is_file("a.long"));
    EXPECT_EQ(action_toggle_text("=1"), "=0");
    EXPECT_EQ(action_toggle_text("=0"), "=1");
    EXPECT_EQ(action_toggle_text("x"), "=1");
    EXPECT_EQ(action_lines("a\r\nb\nc\n\n"), (std::vector<std::string>{"a", "b", "c"}));
    for (int code : {6, 14, 23, 11, 9, 10, 25, 40}) EXPECT_TRUE(action_allowed_in_slideshow(code));
    for (int code : {0, 8, 39, 24}) EXPECT_FALSE(action_allowed_in_slideshow(code));
    EXPECT_EQ(action_prime_file_get(24)->mask, "*.wav");
    EXPECT_EQ(action_prime_file_get(24)->filters.size(), 5u);
    EXPECT_FALSE(action_prime_file_get(12));
    EXPECT_EQ(action_tcard_document(150), "");
    EXPECT_NE(action_tcard_document(101), "");
    EXPECT_EQ(action_tcard_command(200), 999);
    EXPECT_EQ(action_tcard_command(201), CMD_NEW);
    EXPECT_EQ(action_tcard_command(299), 0);
    EXPECT_EQ(action_tcard_command(150), 0);
    EXPECT_EQ(action_sound_kind("Exclamation"), SoundKind::System);
    EXPECT_EQ(action_sound_kind("song.mid repeat"), SoundKind::Command);
    EXPECT_EQ(action_sound_kind("bell.wav"), SoundKind::File);
}

TEST(TextActionArgs, CloneTakesTheStringOfTheRecordWithThatId) {
    std::string doc = "j_(1,\"Other\",1,0,0,0,0,0,0,1,0,0,\"x\")\n"
                      "j_(2,\"Goal\",1,0,0,0,0,0,0,1,0,0,\"line one\\nsaid \\\"hi\\\"\")\n";
    EXPECT_EQ(action_clone_text(doc, "Goal"), "line one\nsaid \"hi\"");
    EXPECT_EQ(action_clone_text(doc, "None"), std::nullopt);
    // A quoted word before ")" is text, and so is an ID named inside another object's text.
    std::string tricky = "j_(1,\"Note\",1,0,0,0,0,0,0,1,0,0,\"see ,\\\"Cl\\\", here\")\n"
                         "b_(1,2,0,0,0,0,\"Cl\")\n"
                         "j_(2,\"Cl\",1,0,0,0,0,0,0,1,0,0,\"Budget (see \\\"plan\\\")\")\n";
    EXPECT_EQ(action_clone_text(tricky, "Cl"), "Budget (see \"plan\")");
    EXPECT_EQ(action_clone_text(tricky, "Note"), "see ,\"Cl\", here");
    // A damage before the ID hides it: said with its line, unlike an ID that is not there.
    std::string error = "stale";
    EXPECT_EQ(action_clone_text(doc, "None", &error), std::nullopt);
    EXPECT_EQ(error, "");
    std::string damaged = "j_(1,\"Other\",1,0,0,0,0,0,0,1,0,0,\"x\")\nj_(2,\"Cut\",1,0\n" +
                          std::string("j_(3,\"Goal\",1,0,0,0,0,0,0,1,0,0,\"found\")\n");
    EXPECT_EQ(action_clone_text(damaged, "Goal", &error), std::nullopt);
    EXPECT_EQ(error.rfind("line 2: ", 0), 0u) << error;
    EXPECT_EQ(action_clone_text(damaged, "Other", &error), "x");
    EXPECT_EQ(error, "");
}

TEST(TextActionArgs, DdeArguments) {
    EXPECT_EQ(action_dde_split(29, "WinWord c:\\a b.doc"), (DdeArg{"WinWord", "", "c:\\a b.doc"}));
    EXPECT_EQ(action_dde_split(31, "Srv My Topic [cmd(1)][x]"), (DdeArg{"Srv", "My Topic", "[cmd(1)][x]"}));
    EXPECT_EQ(action_dde_split(32, "Srv Topic"), std::nullopt);
}

}  // namespace

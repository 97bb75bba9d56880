// The Picture Browser's paths, patterns and strip, and Capture Picture's names, plans and
// destinations.
#include <gtest/gtest.h>

#include "services/pictbrowse.h"

TEST(PictBrowse, StartingPatternFollowsFilterThenDefaultFile) {
    struct Row {
        const char* filter;
        const char* def;
        int index;
    } rows[] = {
        {"", "hint.bmp", 1},        {".*", "hint.bmp", 0},      {".png", "x.bmp", 8},
        {".PNG", "x.bmp", 8},       {"", "c:\\pics\\A.JPEG", 5}, {"", "c:\\pics.gif\\noext", 0},
        {".txt", "x.tiff", 10},     {"", "", 0},                {"", "clip.WMF", 11},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(std::string(r.filter) + " " + r.def);
        EXPECT_EQ(gbrows_initial_ext_index(r.filter, r.def), r.index);
    }
    // Every picture pattern is listed, however its name is written; nothing else is.
    for (const char* n : {"A.JPG", "b.jpe", "c.tiff", "d.PcX", "e.ico", "f.wmf", "g.gif"}) EXPECT_TRUE(gbrows_is_supported(n)) << n;
    for (const char* n : {"notes.txt", "jpg", "a.jpg.bak", "dir.png\\file", "x.emf"}) EXPECT_FALSE(gbrows_is_supported(n)) << n;
}

TEST(PictBrowse, TreeComponentsAndChosenDirectories) {
    using V = std::vector<std::string>;
    EXPECT_EQ(gbrows_path_components("c:\\pics\\2024\\"), (V{"c:", "pics", "2024"}));
    EXPECT_EQ(gbrows_path_components("c:\\"), (V{"c:"}));
    EXPECT_EQ(gbrows_path_components("\\\\server\\share\\dir"), (V{"\\\\server\\share", "dir"}));
    EXPECT_EQ(gbrows_path_components("relative\\dir"), V{});
    EXPECT_EQ(gbrows_path_components(""), V{});
    struct Row {
        int index, curr;
        const char* name;
        const char* want;
    } rows[] = {
        {0, 2, "c:", "c:\\"},                 // the drive's root
        {1, 2, "pics", "c:\\pics"},           // an ancestor
        {2, 2, "2024", "c:\\pics\\2024"},     // the tree directory itself
        {3, 2, "march", "c:\\pics\\2024\\march"},  // a subdirectory
    };
    for (const auto& r : rows) EXPECT_EQ(gbrows_new_dir("c:\\pics\\2024", r.index, r.curr, r.name), r.want);
    EXPECT_EQ(gbrows_new_dir("\\\\srv\\sh\\a", 0, 1, "x"), "\\\\srv\\sh");
}

TEST(PictBrowse, StripCellsClicksAndFitting) {
    // A strip 200 wide and 50 high shows at most 4 thumbnails.
    EXPECT_EQ(gbrows_strip_layout(200, 50, 10, 0).count, 4);
    EXPECT_EQ(gbrows_strip_layout(200, 50, 10, 8).count, 2);
    EXPECT_EQ(gbrows_strip_layout(200, 50, 10, 10).count, 0);
    EXPECT_EQ(gbrows_strip_layout(200, 0, 10, 0).count, 0);
    EXPECT_EQ(gbrows_strip_layout(30, 50, 10, 0).count, 0);
    EXPECT_EQ(gbrows_click_slot(0, 50), 0);
    EXPECT_EQ(gbrows_click_slot(149, 50), 2);
    EXPECT_EQ(gbrows_click_slot(10, 0), 0);
    struct Row {
        int w, h, cell, slot;
        CellRect want;
    } rows[] = {
        {200, 100, 50, 0, {0, 12, 50, 37}},     // wide: full width, centred height
        {100, 200, 50, 1, {62, 0, 87, 50}},     // tall, second cell
        {10, 10, 50, 0, {0, 0, 50, 50}},        // small pictures grow to the cell
        {3, 1, 50, 0, {0, 16, 50, 33}},         // real scale, kept inside its cell
    };
    for (const auto& r : rows) {
        CellRect c = gbrows_fit_in_cell(r.w, r.h, r.cell, r.slot);
        SCOPED_TRACE(std::to_string(r.w) + "x" + std::to_string(r.h));
        EXPECT_EQ(c.left, r.want.left);
        EXPECT_EQ(c.top, r.want.top);
        EXPECT_EQ(c.right, r.want.right);
        EXPECT_EQ(c.bottom, r.want.bottom);
        EXPECT_GE(c.left, r.slot * r.cell);
        EXPECT_LE(c.right, (r.slot + 1) * r.cell);
    }
    EXPECT_EQ(gbrows_fit_in_cell(0, 10, 50, 0).right, 0);
}

TEST(PictCapture, NamesFormatsAndDestinations) {
    EXPECT_EQ(gbrows_capture_formats(),
              (std::vector<std::string>{".bmp", ".gif", ".jpe", ".jpeg", ".jpg", ".pcx", ".png", ".tif", ".tiff"}));
    EXPECT_EQ(gbrows_capture_filename_for("c:\\docs\\plan.vrn", ".jpg"), "plan.jpg");
    EXPECT_EQ(gbrows_capture_filename_for("c:\\my.docs\\plan.v1.vrn", ".gif"), "plan.v1.gif");
    EXPECT_EQ(gbrows_capture_filename_for("plan", ".png"), "plan.png");
    struct Row {
        int dest;
        const char* name;
        const char* want;
    } rows[] = {
        {10014, "x.bmp", ""},
        {10015, "plan.png", "c:\\users\\me\\Desktop\\plan.png"},
        {10016, "plan.png", "c:\\docs\\plan.png"},
        {10030, "plan.gif", "c:\\prog\\preview.gif"},
    };
    for (const auto& r : rows)
        EXPECT_EQ(gbrows_capture_path(r.dest, r.name, "c:\\users\\me\\Desktop\\", "c:\\docs", "c:\\prog\\"), r.want);
    // Without a Desktop folder or a document nothing is written (never the drive's root).
    EXPECT_EQ(gbrows_capture_path(10015, "plan.png", "", "c:\\docs", "c:\\prog"), "");
    EXPECT_EQ(gbrows_capture_path(10016, "plan.png", "c:\\d", "", "c:\\prog"), "");
}

TEST(PictCapture, AdjustmentPlan) {
    // All defaults: no step at all.
    EXPECT_FALSE(gbrows_adjust_plan(0, 100, 48, false, false, 400, 300));
    struct Row {
        int r, b, c;
        bool gray, shadow;
        int w, h;
        int want_w, want_h, bright, contrast;
    } rows[] = {
        {50, 100, 48, false, false, 400, 300, 200, 150, 0, 0},   // Reduction "50"
        {95, 100, 48, false, false, 200, 100, 10, 5, 0, 0},      // Reduction "5"
        {0, 100, 48, true, false, 400, 300, 400, 300, 0, 0},     // gray alone still adjusts at full size
        {0, 150, 20, false, true, 33, 33, 33, 33, 50, -28},
        {95, 100, 48, false, false, 3, 3, 1, 1, 0, 0},           // never below one pixel
        {90, 100, 48, false, false, 25, 15, 3, 2, 0, 0},         // 2.5 and 1.5 round away from zero
    };
    for (const auto& r : rows) {
        auto p = gbrows_adjust_plan(r.r, r.b, r.c, r.gray, r.shadow, r.w, r.h);
        ASSERT_TRUE(p);
        ASSERT_EQ(p->adjust.size(), 3u);
        EXPECT_EQ(p->adjust[0].tag, 1);
        EXPECT_EQ(p->adjust[0].a, r.bright);
        EXPECT_EQ(p->adjust[1].a, r.contrast);
        EXPECT_EQ(p->adjust[2].tag, 8);
        EXPECT_EQ(p->adjust[2].a, r.want_w);
        EXPECT_EQ(p->adjust[2].b, r.want_h);
        EXPECT_EQ(p->gray, r.gray);
        EXPECT_EQ(p->shadow, r.shadow);
    }
    // The shadow list keeps the picture it lays on top.
    auto top = std::make_shared<const Image>(4, 4, 0x123456);
    auto ops = gbrows_shadow_ops(top);
    ASSERT_EQ(ops.size(), 3u);
    EXPECT_EQ(ops[0].a, -50);
    EXPECT_EQ(ops[2].tag, 11);
    EXPECT_EQ(ops[2].pic, top);
    Image out = pict_apply(Image(4, 4, 0x123456), ops);
    EXPECT_EQ(out.width, 9);
    EXPECT_EQ(out.at(0, 0), 0x123456u);
}

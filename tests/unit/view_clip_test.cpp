#include <gtest/gtest.h>

#include "document/clip.h"
#include "document/export.h"
#include "document/view.h"
#include "view_fixture.h"

namespace {

Key add(const char* id, int x, int level = 1) {
    Obj o;
    o.id = id;
    o.x = x;
    o.level = level;
    return *view_obj_put(o);
}

}  // namespace

TEST_F(ViewFixture, CopyAndPasteRenumbersAndKeepsInnerLinks) {
    Key a = add("a", 0), b = add("b", 100), c = add("c", 200);
    view_link_add(Link{a, b, 0, 0, 0, 0, "inner"});
    view_link_add(Link{b, c, 0, 0, 0, 0, "to an object not copied"});
    view_obj_set_cluster(a, 2);
    view_obj_put_bin(Attachment{b, 1, "", 0, 4, "00ff"});
    Shape s;
    s.kind = 3;
    Key sk = *view_shape_put(s);
    marked_obj_ = {a, b};
    marked_shape_ = {sk};
    std::string text = view_clip_text();
    EXPECT_EQ(text.find("p_("), std::string::npos);  // settings stay with the document
    EXPECT_EQ(view_clip_ids(), "a\r\nb\r\n");

    std::string err;
    auto keys = view_clip_paste(text, 5, 20, -20, &err);
    ASSERT_TRUE(keys) << err;
    ASSERT_EQ(keys->size(), 2u);
    Key na = (*keys)[0], nb = (*keys)[1];
    EXPECT_NE(na, a);
    EXPECT_NE(nb, b);
    EXPECT_EQ(view_obj_get(na)->level, 5);
    EXPECT_EQ(view_obj_get(nb)->x, 120);
    EXPECT_EQ(view_link_get(na, nb)->label, "inner");
    EXPECT_EQ(view_link_from(nb), std::vector<Key>{na});  // the outside link was not copied
    EXPECT_EQ(view_obj_cluster(na), 2);
    EXPECT_EQ(view_obj_bin(nb, 1).b, 4);
    EXPECT_EQ(view_doc().shapes.size(), 2u);
    EXPECT_EQ(marked_obj_, *keys);
    EXPECT_EQ(view_undo_name(), "Paste");
    view_undo();
    EXPECT_EQ(view_doc().objs.size(), 3u);
    EXPECT_EQ(view_doc().shapes.size(), 1u);
}

// The picture of a copied part shows it in the document's settings, with the values of its own
// objects only.
TEST_F(ViewFixture, CopiedPartTakesTheSettingsAndItsOwnValues) {
    Key a = add("a", 0), b = add("b", 100);
    view_doc().set_value(a, "12");
    view_doc().set_value(b, "34");
    view_doc().set_param(52, 30);
    marked_obj_ = {b};
    Document part = view_clip_part();
    ASSERT_EQ(part.objs.size(), 1u);
    EXPECT_NE(part.param(52), 30);
    view_clip_add_look(part);
    EXPECT_EQ(part.param(52), 30);
    EXPECT_EQ(part.value(a), nullptr);
    ASSERT_NE(part.value(b), nullptr);
    EXPECT_EQ(*part.value(b), "34");
}

TEST_F(ViewFixture, PasteRefusesWhatIsNoDiagramAndFullDocuments) {
    std::string err;
    EXPECT_FALSE(view_clip_paste("just some words", 1, 0, 0, &err));
    EXPECT_FALSE(err.empty());
    EXPECT_FALSE(view_clip_paste("p_(1,3)\r\n", 1, 0, 0, &err));

    Document& d = view_doc();
    for (uint32_t k = 1; k < 65535; ++k) {
        Obj o;
        o.key = static_cast<Key>(k);
        d.objs.push_back(o);
    }
    d.touch_objs();
    const std::string two = "j_(1,\"x\",1,0,0,0,0,161,0,1,0,0,\"\")\r\nj_(2,\"y\",1,0,0,0,0,161,0,1,0,0,\"\")\r\n";
    EXPECT_FALSE(view_clip_paste(two, 1, 0, 0, &err));  // one key left, two needed
    EXPECT_EQ(d.objs.size(), 65534u);                   // nothing half pasted
}

TEST_F(ViewFixture, PastedTextLinesBecomeObjects) {
    EXPECT_EQ(view_split_lines("one\r\ntwo\nthree\rfour\r\n\r\n"),
              (std::vector<std::string>{"one", "two", "three", "four"}));
    auto keys = view_paste_lines({"  first ", "", "\t", "second"}, {10, 500}, 3);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(view_obj_id(keys[0]), "first");
    EXPECT_EQ(view_obj_get(keys[1])->level, 3);
    EXPECT_LT(view_obj_get(keys[1])->y, 500);
}

TEST_F(ViewFixture, PicturesFromPackedDibs) {
    // A 1 x 1 pixel, 8-bit DIB: 40-byte header, 256 colours, one padded row.
    std::string dib(40 + 256 * 4 + 4, '\0');
    dib[0] = 40;
    dib[4] = 1;   // width
    dib[8] = 1;   // height
    dib[12] = 1;  // planes
    dib[14] = 8;  // bits
    std::string bmp = view_bmp_from_dib(dib);
    ASSERT_EQ(bmp.size(), 14 + dib.size());
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    const auto off = static_cast<unsigned char>(bmp[10]) | static_cast<unsigned char>(bmp[11]) << 8;
    EXPECT_EQ(off, 14 + 40 + 1024);
    EXPECT_EQ(view_bmp_from_dib(std::string(10, '\0')), "");
    std::string bad = dib;
    bad[0] = 41;  // no such header
    EXPECT_EQ(view_bmp_from_dib(bad), "");
    std::string truncated = dib.substr(0, 100);  // colour table cut off
    EXPECT_EQ(view_bmp_from_dib(truncated), "");

    auto key = view_paste_picture(bmp, {5, 6}, 2);
    ASSERT_TRUE(key);
    EXPECT_EQ(view_obj_get(*key)->shape, 173);
    EXPECT_EQ(view_obj_id(*key), "Picture");
    const Attachment& b = view_doc().bins.at(0);
    EXPECT_EQ(b.kind, 1);
    EXPECT_EQ(b.b, static_cast<int>(bmp.size()));
    EXPECT_EQ(b.data.substr(0, 4), "424d");  // "BM" as hex digits
}

// A paste steps aside until it covers nothing; crowded all around, it at least leaves its
// original uncovered. A paste at a point puts the part's middle there.
TEST_F(ViewFixture, PastePlacesTheCopyClearOfWhatIsThere) {
    const std::vector<Rc> part{{0, 60, 200, -60}};
    EXPECT_EQ(view_clip_clear_offset(part, {}, 40), (Pt{0, 0}));  // its place is free (a Cut)
    EXPECT_EQ(view_clip_clear_offset(part, part, 40), (Pt{160, -160}));
    // Corners either way round are the same rectangle.
    EXPECT_EQ(view_clip_clear_offset({{200, -60, 0, 60}}, part, 40), (Pt{160, -160}));
    std::vector<Rc> crowd;
    for (int x = -5000; x <= 5000; x += 100)
        for (int y = -5000; y <= 5000; y += 100) crowd.push_back({x, y + 60, x + 90, y});
    Pt off = view_clip_clear_offset(part, crowd, 40);
    EXPECT_TRUE(off.x > 200 || off.y < -120) << off.x << "," << off.y;

    Key a = view_obj_put(view_obj_new("a", 100, 0, 1)).value();
    view_obj_put(view_obj_new("b", 300, 200, 1));
    marked_obj_ = {a, static_cast<Key>(a + 1)};
    EXPECT_EQ(view_clip_offset_to(view_clip_text(), {1000, -1000}), (Pt{800, -1100}));
}

TEST_F(ViewFixture, DeleteAndSelectAll) {
    Key a = add("a", 0), b = add("b", 0), c = add("c", 0, 2);
    view_link_add(Link{a, b, 0, 0, 0, 0, ""});
    view_link_add(Link{a, b, 0, 0, 0, 0, "twice"});
    view_link_add(Link{a, c, 0, 0, 0, 0, ""});
    view_select_all(1);
    EXPECT_EQ(marked_obj_, (std::vector<Key>{a, b}));
    EXPECT_EQ(marked_link_.size(), 1u);
    marked_obj_ = {c};
    marked_link_ = {{a, b}};
    EXPECT_TRUE(view_clip_delete());
    EXPECT_TRUE(view_doc().links.empty());  // both a->b links and c's link
    EXPECT_FALSE(view_obj_get(c));
    EXPECT_TRUE(marked_obj_.empty());
    EXPECT_FALSE(view_clip_delete());
    view_undo();
    EXPECT_EQ(view_doc().links.size(), 3u);
}

TEST(ViewExport, HtmlIsEscapedAndLinksOnlyWhatLeadsSomewhere) {
    struct Case { int action; const char* ext; const char* href; };
    const Case cases[] = {
        {0, "http://example.com/a", "http://example.com/a"},  // an address anywhere
        {0, "some hypertext", ""},
        {39, "docs\\plan.txt", "docs/plan.txt"},
        {6, "sub.vrn", "sub.vrn"},
        {12, "sub.vrn", ""},
        {39, "two\nlines", ""},
    };
    for (const Case& c : cases) {
        Obj o;
        o.action = c.action;
        o.ext = c.ext;
        EXPECT_EQ(view_obj_href(o), c.href) << c.ext;
    }
    std::string page = view_html_page("A <b> & \"c\"", "x y.bmp", 100, 50,
                                      {{{1, 2, 3, 4}, "under", ""}, {{0, 0, 9, 9}, "top\"most", "a&b.vrn"}});
    EXPECT_NE(page.find("<title>A &lt;b&gt; &amp; &quot;c&quot;</title>"), std::string::npos);
    EXPECT_NE(page.find("src=\"x y.bmp\" width=\"100\" height=\"50\""), std::string::npos);
    size_t top = page.find("coords=\"0,0,9,9\" href=\"a&amp;b.vrn\" title=\"top&quot;most\"");
    size_t under = page.find("coords=\"1,2,3,4\" nohref title=\"under\"");
    ASSERT_NE(top, std::string::npos) << page;
    ASSERT_NE(under, std::string::npos) << page;
    EXPECT_LT(top, under);  // the object painted last wins in the browser
}

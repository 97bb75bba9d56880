#include <gtest/gtest.h>

#include <vector>

#include "bars/status.h"
#include "document/view.h"

namespace {

struct FakeStatusHost : StatusHost {
    std::vector<int> redrawn;
    bool show_running = false;
    int objs = 3, links = 2;
    void redraw(int field) override { redrawn.push_back(field); }
    bool slideshow() const override { return show_running; }
    int count(int what) const override { return what == 1 ? objs : links; }
};

class Status : public ::testing::Test {
protected:
    FakeStatusHost host;
    StatusModel m;
    void SetUp() override { view_doc() = Document(); }
    void TearDown() override { view_doc() = Document(); }
};

TEST_F(Status, LayoutOfAnEightHundredPixelWindow) {
    Rc bar = m.layout(800, 500, false);
    EXPECT_EQ(bar, (Rc{1, 483, 800, 500}));
    int bw = bar.right - bar.left;
    EXPECT_EQ(m.field_rect(kStMessage, bw), (Rc{bw - 259 - 270, 0, bw - 259, 17}));
    EXPECT_EQ(m.field_rect(kStText, bw), (Rc{bw - 531 - 270, 0, bw - 531, 17}));
    EXPECT_EQ(m.field_rect(kStLevel, bw), (Rc{bw - 65, 0, bw, 17}));
    // Layouts again keep Status and Message at the front, once each.
    bar = m.layout(800, 500, true);
    EXPECT_EQ(bar.left, 29);
    EXPECT_EQ(m.rows().size(), 10u);
    EXPECT_EQ(m.rows()[0].field, kStText);
    EXPECT_EQ(m.rows()[1].field, kStMessage);
    EXPECT_EQ(m.row(kStMessage)->width, (800 - 29 - 259) / 2);
}

TEST_F(Status, NarrowWindowGivesNoNegativeWidths) {
    m.layout(100, 50, true);
    EXPECT_EQ(m.row(kStText)->width, 0);
    EXPECT_EQ(m.row(kStMessage)->width, 0);
}

TEST_F(Status, FieldUnderThePointer) {
    m.layout(800, 500, false);
    int bw = 799;
    struct Case { int d, field; } cases[] = {
        {1, kStLevel}, {65, kStLevel}, {67, kStLevelUp}, {87, kStLevelDown}, {107, kStScale}, {151, kStExpand},
        {171, kStContract}, {191, kStCounts}, {240, kStPause}, {260, kStMessage}, {532, kStText}, {799, kStText},
    };
    for (const auto& c : cases) EXPECT_EQ(m.field_at(bw - c.d, bw), c.field) << c.d;
}

TEST_F(Status, FieldTexts) {
    Document& d = view_doc();
    // The range comes from the records, not from settings 50 and 51 an older file left behind.
    d.set_param(50, 1);
    d.set_param(51, 2);
    d.objs.resize(2);
    for (Obj& o : d.objs) o.level = 1;
    m.update(kStLevel, 1, host);
    EXPECT_EQ(m.field_text(kStLevel, host), "1 of 1");
    d.objs.front().level = 4;
    EXPECT_EQ(m.field_text(kStLevel, host), "1 of 4");
    m.update(kStLevel, 4, host);
    for (Obj& o : d.objs) o.level = 3;
    d.objs.back().level = 5;
    EXPECT_EQ(m.field_text(kStLevel, host), "4 of 3 to 5");
    m.update(kStScale, 90, host);
    EXPECT_EQ(m.field_text(kStScale, host), "90%");
    EXPECT_EQ(m.field_text(kStText, host), "Dynamic");
    m.update(kStText, 8, host);
    EXPECT_EQ(m.field_text(kStText, host), "No text given!!!");
    m.update(kStText, 15, host);
    EXPECT_EQ(m.field_text(kStText, host), "Object: Drag to create Link");
    EXPECT_EQ(m.field_text(kStPause, host), "P");
}

TEST_F(Status, CountsAreKeptWithoutChangingTheDocument) {
    Document& d = view_doc();
    d.changed = false;
    d.set_param(341, 40);  // stale counts from an older file
    m.update(kStCounts, 0, host);
    EXPECT_EQ(m.field_text(kStCounts, host), "3:2");
    EXPECT_FALSE(d.changed);
    EXPECT_EQ(host.redrawn, (std::vector<int>{kStLevel, kStCounts}));
}

TEST_F(Status, UpdatesRedrawOnlyWhatChanged) {
    m.update(kStText, 0, host);  // already key 0
    m.update(7, 1, host);         // not a refreshable field
    EXPECT_TRUE(host.redrawn.empty());
    m.update(kStText, 3, host);
    m.update(kStScale, 110, host);
    EXPECT_EQ(host.redrawn, (std::vector<int>{kStText, kStScale}));
    host.show_running = true;
    m.update(kStScale, 50, host);
    m.show("Busy", host);
    EXPECT_EQ(m.mag(), 110);
    EXPECT_EQ(host.redrawn.size(), 2u);
}

TEST_F(Status, ShowReplacesTheFreeText) {
    m.show("", host);
    EXPECT_TRUE(host.redrawn.empty());
    EXPECT_EQ(m.status_text(), "Dynamic");
    m.show("Saving", host);
    EXPECT_EQ(m.status_text(), "Saving");
    EXPECT_EQ(host.redrawn, (std::vector<int>{kStText}));  // the key stayed 0, the text is new
    m.update(kStText, 2, host);
    m.show("Loaded", host);
    EXPECT_EQ(m.text_key(), 0);
    EXPECT_EQ(m.status_text(), "Loaded");
    m.show("", host);
    EXPECT_EQ(m.status_text(), "Loaded");
}

}  // namespace

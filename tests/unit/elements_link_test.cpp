#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "document/undo.h"
#include "elements/link.h"
#include "unit/view_fixture.h"

TEST(LinkPacking, RoundTripsEveryCodeWithoutTouchingOtherBits) {
    // Bits the dialog never edits: 2, 6, 10, 15, 16 and 25-31.
    const int32_t untouched = static_cast<int32_t>(0xFE000000u | (1u << 2) | (1u << 6) | (1u << 10) |
                                                   (1u << 15) | (1u << 16));
    LinkLook a;
    a.head_count = 2; a.tail_count = 1; a.head_kind = 5; a.tail_kind = 3; a.tilt = true;
    a.colour_source = 1; a.no_sequence = true; a.multiline = true; a.thick = true; a.curve_option = 7;
    a.route = kRouteCurve2; a.style = 4; a.label_pos = 100; a.colour = 31; a.from_end = 15; a.to_end = 10;
    LinkLook b;  // all zero but a grid cell
    b.label_pos = 1;
    LinkLook c = a;
    c.curve_option = 5;  // bits 7 and 14, not 13
    c.head_count = 0;
    for (const LinkLook& look : {a, b, c}) {
        for (int32_t start : {int32_t{0}, untouched, int32_t{-1}}) {
            Link l;
            l.flags = start;
            link_pack(l, look);
            LinkLook back = link_unpack(l);
            // Highlight is not part of the look; label position 0 would read as Above.
            EXPECT_EQ(back, look) << "start " << start;
            EXPECT_EQ(l.flags & untouched, start & untouched) << "start " << start;
        }
    }
}

TEST(LinkPacking, OutOfRangeCountsAndKindsStayInTheirFields) {
    Link l;
    LinkLook k;
    k.head_count = 7;  // would spill into the highlight bit
    k.head_kind = 31;  // would spill into bits 25+
    k.tail_count = 6; k.tail_kind = 17;
    link_pack(l, k);
    EXPECT_EQ(l.flags & kLinkHighlight, 0);
    EXPECT_EQ(static_cast<uint32_t>(l.flags) >> 25, 0u);
}

TEST(LinkPacking, FieldsFiveAndSixAndLegacyPosition) {
    struct Case { int32_t flags, lpc; int pos, colour; };
    const Case cases[] = {
        {0, 36 * 65536 + 7, 36, 7},
        {0, 0 * 65536 + 12, kLabelAbove, 12},          // older document
        {kLinkNoSequence, 12, kLabelBelow, 12},       // older document, bit 9
        {kLinkNoSequence, 46 * 65536, 46, 0},         // bit 9 only matters for position 0
        {0, 100 * 65536 + 31, 100, 31},
    };
    for (const auto& c : cases) {
        PosColour pc = link_unpack_pos_colour(c.flags, c.lpc);
        EXPECT_EQ(pc.pos, c.pos) << c.lpc;
        EXPECT_EQ(pc.colour, c.colour) << c.lpc;
    }
    Link l;
    l.end_positions = 4 * 256 + 9;
    EXPECT_EQ(link_unpack(l).from_end, 9);
    EXPECT_EQ(link_unpack(l).to_end, 4);
}

TEST(LinkTables, LabelPositionListIndexes) {
    const std::pair<int, int> code_index[] = {{36, 0}, {46, 1}, {56, 2}, {1, 3}, {35, 37}, {100, 102}};
    for (auto [code, index] : code_index) {
        EXPECT_EQ(link_label_pos_index(code), index) << code;
        EXPECT_EQ(link_label_pos_code(index), code) << index;
    }
}

TEST(LinkPen, ByStyleThickAndLabel) {
    struct Case { int style; bool thick; const char* label; int width, pen_style; };
    const Case cases[] = {
        {0, false, "", 1, 0}, {1, true, "", 7, 1}, {4, false, "", 1, 4}, {5, true, "", 7, 5},
        {7, false, "12", 12, 0}, {7, true, "3", 3, 0}, {7, false, "abc", 8, 0}, {7, false, "", 8, 0},
        {7, false, "-5", 8, 0},          // no negative widths from a label
        {7, false, "100000", 100, 0},    // nor giant ones
        {7, false, "99999999999", 8, 0},
        {8, false, "", 0, 0}, {8, true, "", 1, 0},
        {6, false, "", 8, 0},
    };
    for (const auto& c : cases) {
        Pen p = link_pen(c.style, c.thick, c.label, 0x123456);
        EXPECT_EQ(p.width, c.width) << c.style << " " << c.label;
        EXPECT_EQ(p.style, c.pen_style) << c.style;
        EXPECT_EQ(p.colour, 0x123456u);
    }
}

class LinkDefaultsTest : public ViewFixture {
protected:
    void TearDown() override {
        link_defaults_set(LinkDefaults{});
        ViewFixture::TearDown();
    }
};

TEST_F(LinkDefaultsTest, SetStoresSettingsAndGetReadsThemBack) {
    LinkDefaults d;
    d.label = "causes"; d.tilt = true; d.colour_source = 1; d.label_pos = 56; d.route = kRouteHV;
    d.style_pos = 6;  // "Variable width", code 7
    d.tail_kind = 2; d.head_kind = 4; d.tail_count = 2; d.head_count = 0; d.curve_option = 1;
    d.from_end = 3; d.to_end = 5; d.no_sequence = true;
    link_defaults_set(d);
    EXPECT_EQ(view_param_get(313), 6);
    EXPECT_EQ(view_param_get(315), 2);
    EXPECT_EQ(view_param_get(316), -1);
    EXPECT_EQ(link_defaults_get(), d);

    Link l = link_from_defaults(3, 9, d, true, 12);
    EXPECT_EQ(std::tie(l.from, l.to, l.label), std::make_tuple(Key{3}, Key{9}, std::string("causes")));
    LinkLook k = link_unpack(l);
    EXPECT_EQ(std::make_tuple(k.style, k.route, k.thick, k.colour), std::make_tuple(7, int{kRouteHV}, true, 12));
    EXPECT_EQ(std::make_tuple(k.head_count, k.tail_count, k.label_pos, k.to_end), std::make_tuple(0, 2, 56, 5));
}


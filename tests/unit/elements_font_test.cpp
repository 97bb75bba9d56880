#include <gtest/gtest.h>

#include "elements/font.h"
#include "unit/view_fixture.h"

class FontTest : public ViewFixture {
protected:
    void SetUp() override {
        ViewFixture::SetUp();
        font_init_defaults();
    }
};

TEST_F(FontTest, NewDocumentSlots) {
    struct Case { int slot; const char* face; int height; };
    const Case cases[] = {
        {kFontObject, "Arial", -13}, {kFontObjectAlt, "Times New Roman", -13},
        {kFontLinkLabel, "Times New Roman", -13}, {kFontHypertext, "Arial", -15},
        {kFontDropText, "Arial", -15},
    };
    for (const auto& k : cases) {
        FontDesc d = text_font(k.slot, 1);
        EXPECT_EQ(d.face_name(), k.face) << k.slot;
        EXPECT_EQ(d.height, k.height) << k.slot;
        EXPECT_EQ(d.weight, 400);
        EXPECT_EQ(d.italic, 0);
        EXPECT_EQ(d.underline, 0);
        EXPECT_EQ(d.charset, 1);
        EXPECT_EQ(d.clip_precision, 0x12);
        // The view's drawing scale.
        EXPECT_EQ(text_font(k.slot, 4).height, 4 * k.height);
        EXPECT_EQ(text_font(k.slot, 0).height, 4 * k.height);
    }
    EXPECT_EQ(text_font(9, 1), text_font(0, 1));
    EXPECT_FALSE(font_lookup(5));
    EXPECT_EQ(font_row_text(text_font(kFontObject, 1), 96), "Arial 10pt");
}

TEST_F(FontTest, SlotsFollowTheDocumentSettings) {
    view_text_param_set(14, "Courier New");
    view_param_set(92, 4);    // 14 pt
    view_param_set(93, 300);  // bold
    view_param_set(94, 1);
    view_param_set(95, 1);
    FontDesc d = text_font(kFontLinkLabel, 1);
    EXPECT_EQ(d.face_name(), "Courier New");
    EXPECT_EQ(d.height, -19);
    EXPECT_EQ(d.weight, 700);
    EXPECT_EQ(d.italic, 1);
    EXPECT_EQ(d.underline, 1);
}

TEST_F(FontTest, LongFaceNamesAreCutToTheField) {
    const std::string face(80, 'x');
    view_text_param_set(2, face);
    font_init_defaults();
    FontDesc d = text_font(kFontObject, 1);
    EXPECT_EQ(d.face_name(), std::string(31, 'x'));
    EXPECT_EQ(d.face[31], '\0');
}

TEST_F(FontTest, DialogOkStoresChosenFontsAndUnderlines) {
    FontChoice bold12;
    bold12.slot = kFontObject;
    bold12.desc = font_make_desc("Georgia", 12, 700, 0, 0);
    bold12.desc.height = -16;  // 12 pt at 96 dpi
    FontChoice italic;
    italic.slot = kFontHypertext;
    italic.desc = font_make_desc("Verdana", 9, 400, 255, 0);
    italic.desc.height = -12;
    reset_changed();
    const bool underline[3] = {false, true, true};
    font_apply({bold12, italic}, underline, 96);
    EXPECT_TRUE(view_doc().changed);
    EXPECT_EQ(view_param_get(52), 2);
    EXPECT_EQ(view_param_get(53), 300);
    EXPECT_EQ(view_text_param_get(2), "Georgia");
    EXPECT_EQ(view_param_get(80), -1);
    EXPECT_EQ(view_param_get(82), 255);
    EXPECT_EQ(view_param_get(55), 0);
    EXPECT_EQ(view_param_get(65), 1);
    EXPECT_EQ(view_param_get(95), 1);
    EXPECT_EQ(text_font(kFontObject, 1).face_name(), "Georgia");
    EXPECT_EQ(text_font(kFontObject, 1).weight, 700);
    EXPECT_EQ(text_font(kFontObjectAlt, 1).underline, 1);
}

TEST_F(FontTest, AnotherDocumentNeverShowsThePreviousFonts) {
    view_param_set(52, 10);
    EXPECT_EQ(text_font(kFontObject, 1).height, font_height(20));
    view_doc() = Document();  // opened without anyone rebuilding the slots
    EXPECT_EQ(text_font(kFontObject, 1).height, -13);
}

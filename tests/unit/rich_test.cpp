// Rich text, Find Objects, Find Links and Insert Text: the portable rules.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "text/finders.h"
#include "text/insert_text.h"
#include "text/rich.h"

namespace fs = std::filesystem;

namespace {

std::string read_file(const fs::path& p) {
    std::ifstream f(p, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
}

bool have_tool(const char* name) {
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

// The text an outside reader makes of an RTF file, in UTF-8, blanks at the ends of lines dropped.
std::string outside_text(const std::string& tool, const fs::path& rtf) {
    const fs::path dir = rtf.parent_path();
    std::string cmd;
    fs::path out;
    if (tool == "unrtf") {
        out = dir / "unrtf.txt";
        cmd = "unrtf --text '" + rtf.string() + "' 2>/dev/null | iconv -f latin1 -t utf-8 > '" + out.string() + "'";
    } else {
        out = dir / (rtf.stem().string() + ".txt");
        cmd = "cd '" + dir.string() + "' && HOME='" + dir.string() + "' soffice --headless --convert-to 'txt:Text (encoded):UTF8' --outdir '" +
              dir.string() + "' '" + rtf.string() + "' >/dev/null 2>&1";
    }
    if (std::system(cmd.c_str()) != 0) return "<tool failed>";
    std::string t = read_file(out);
    if (t.rfind("\xEF\xBB\xBF", 0) == 0) t.erase(0, 3);
    std::string clean;
    for (char c : t)
        if (c != '\r') clean += c;
    return clean;
}

}  // namespace

TEST(RichRtf, EscapesEveryByteThatMeansSomethingInRtf) {
    struct Case {
        const char* text;
        const char* body;
    } cases[] = {
        {"", ""},
        {"plain words", "plain words"},
        {"a\\b{c}d", "a\\\\b\\{c\\}d"},
        {"one\r\ntwo\nthree\rfour", "one\\par two\\par three\\par four"},
        {"caf\xE9 \xC4", "caf\\'e9 \\'c4"},
    };
    for (const auto& c : cases) {
        std::string rtf = rich_text_to_rtf(c.text, "Arial");
        const std::string head = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil Arial;}}\r\n\\pard\\plain\\f0 ";
        EXPECT_EQ(rtf, head + c.body + "\r\n\\par }\r\n") << c.text;
    }
    // A font name with a brace cannot end the font table early.
    EXPECT_NE(rich_text_to_rtf("", "Odd}Font").find("Odd\\}Font;"), std::string::npos);
}

TEST(RichRtf, OutsideReadersKeepTheText) {
    const fs::path dir = fs::temp_directory_path() / ("vorn_rtf_readers_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string text = "Back\\slash {braces} and caf\xE9 na\xEFve\nsecond line";
    const fs::path rtf = dir / "sample.rtf";
    std::ofstream(rtf, std::ios::binary) << rich_text_to_rtf(text, "Times New Roman");
    int checked = 0;
    for (const char* tool : {"unrtf", "soffice"}) {
        if (!have_tool(tool)) continue;
        std::string got = outside_text(tool, rtf);
        EXPECT_NE(got.find("Back\\slash {braces} and caf\xC3\xA9 na\xC3\xAFve"), std::string::npos) << tool << ": " << got;
        EXPECT_NE(got.find("\nsecond line"), std::string::npos) << tool << ": " << got;
        ++checked;
    }
    fs::remove_all(dir);
    if (!checked) GTEST_SKIP() << "neither unrtf nor soffice is installed (scripts/setup installs them)";
}

// What Wine's rich edit control writes for "plain start BOLD plain end" with BOLD in bold (no
// \plain anywhere): the outside readers take only BOLD as bold, as the program's windows do.
TEST(RichRtf, OutsideReadersTakeTheControlsFormattingAsWritten) {
    const std::string rtf =
        "{\\rtf1\\ansi\\ansicpg1252\\uc1\\deff0\\deflang1033\\deflangfe1033{\\fonttbl{\\f0 Arial;}}\r\r\n{\\colortbl;}\r\r\n"
        "{\\*\\generator Wine Riched20 2.0;}\r\r\n\\pard\\sl-240\\slmult1 \\lang1033\\fs24\\f0 plain start \\b BOLD\\b0  plain "
        "end\\par\r\r\n}";
    const fs::path dir = fs::temp_directory_path() / ("vorn_rtf_bold_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "runs.rtf", std::ios::binary) << rtf;
    EXPECT_EQ(rich_plain_text(rtf), "plain start BOLD plain end");
    int checked = 0;
    for (const char* tool : {"unrtf", "soffice"}) {
        if (!have_tool(tool)) continue;
        const std::string d = dir.string();
        std::string cmd = std::string(tool) == "unrtf"
                              ? "unrtf --html '" + d + "/runs.rtf' > '" + d + "/runs.html' 2>/dev/null"
                              : "cd '" + d + "' && HOME='" + d + "' soffice --headless --convert-to html --outdir '" + d + "' '" +
                                    d + "/runs.rtf' >/dev/null 2>&1";
        ASSERT_EQ(std::system(cmd.c_str()), 0) << tool;
        std::string html = read_file(dir / "runs.html");
        size_t bold = html.find("<b>BOLD</b>");
        EXPECT_NE(bold, std::string::npos) << tool << ": " << html;
        EXPECT_EQ(html.find("<b>"), bold) << tool;            // nothing before it is bold
        EXPECT_EQ(html.find("<b>", bold + 1), std::string::npos) << tool;
        ++checked;
    }
    fs::remove_all(dir);
    if (!checked) GTEST_SKIP() << "neither unrtf nor soffice is installed (scripts/setup installs them)";
}

TEST(RichRtf, PlainTextOfDocuments) {
    struct Case { const char* rtf; const char* text; } cases[] = {
        {"", ""},
        {"{\\rtf1\\ansi{\\fonttbl{\\f0\\fswiss Arial;}}{\\colortbl ;\\red255\\green0\\blue0;}"
         "\\pard\\f0\\fs20 plain \\b bold\\b0\\par\r\nnext\\tab line\\par\r\n}",
         "plain bold\r\nnext\tline"},
        {"{\\rtf1{\\*\\generator Riched20 10.0;}caf\\'e9 \\{x\\} a\\\\b}", "caf\xe9 {x} a\\b"},
        {"{\\rtf1\\uc1 x\\u8364?y \\u233\\'e9 \\ldblquote q\\rdblquote}", "x\x80y \xe9 \x93q\x94"},
        // Characters above 255 as a word processor writes them: the code page's own, else the stand-in.
        {"{\\rtf1\\uc1 a\\u8211\\'96 b \\u8220\\'93q\\u8221\\'94 \\u8734?\\uc2 \\u8212--c}", "a\x96 b \x93q\x94 ?\x97" "c"},
        {"{\\rtf1 a{\\pict\\pngblip 89504e47}b{\\*\\unknown zz}c}", "abc"},
        {"{\\rtf1 unclosed \\b", "unclosed "},
        {"{\\rtf1 end\\", "end"},
    };
    for (const auto& c : cases) EXPECT_EQ(rich_plain_text(c.rtf), c.text) << c.rtf;
    EXPECT_EQ(rich_plain_text(rich_text_to_rtf("one\r\ntwo {3}", "Arial")), "one\r\ntwo {3}");
}

// The control's memory follows the paragraphs (and, wrapped, their lengths), not the file's bytes:
// a compact file of short paragraphs is refused where a longer one of few paragraphs is not.
TEST(RichRtf, CostFollowsParagraphsNotBytes) {
    std::string compact = "{\\rtf1 ";
    for (int k = 0; k < 280000; ++k) compact += "p0\\par ";
    compact += "}";
    RichCost many = rich_cost(compact, false);
    EXPECT_EQ(many.paragraphs, 280001u);
    EXPECT_GT(many.bytes, kRichCostBudget);
    EXPECT_LT(compact.size(), kRichMaxFileBytes);

    std::string prose = "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\*\\generator x;}";
    for (int k = 0; k < 2000; ++k) prose += std::string(400, 'w') + "\\par\r\n";
    prose += "}";
    RichCost few = rich_cost(prose, false);
    EXPECT_EQ(few.paragraphs, 2001u);
    EXPECT_LT(few.bytes, kRichCostBudget / 4);
    EXPECT_GT(prose.size(), compact.size() / 3);
    // Wrapped, one long paragraph costs more than many short ones of the same length.
    std::string one = "{\\rtf1 " + std::string(60000, 'w') + "}";
    EXPECT_GT(rich_cost(one, true).bytes, kRichCostBudget);
    EXPECT_LT(rich_cost(one, false).bytes, kRichCostBudget / 100);
    // Table cells and rows are paragraphs of the control too; hidden groups are not.
    EXPECT_EQ(rich_cost("{\\rtf1{\\fonttbl{\\f0\\par x;}}\\trowd a\\cell b\\cell\\row}", false).paragraphs, 4u);
    std::string t = rich_too_costly_text("paras.rtf", many, 100u << 20);
    EXPECT_NE(t.find("paras.rtf is too large for a rich text window: its 280001 paragraphs"), std::string::npos) << t;
    EXPECT_NE(t.find("(those open take 100 MB)"), std::string::npos) << t;
}

TEST(RichRtf, ChunksDeliverTheWholeTextInPieces) {
    RichChunks c("abcdefg");
    char buf[8] = {};
    std::string got;
    std::vector<size_t> sizes;
    for (size_t n; (n = c.take(buf, 3)) != 0;) {
        got.append(buf, n);
        sizes.push_back(n);
    }
    EXPECT_EQ(got, "abcdefg");
    EXPECT_EQ(sizes, (std::vector<size_t>{3, 3, 1}));
    EXPECT_TRUE(c.done());
    EXPECT_EQ(c.take(buf, 3), 0u);  // the end stays the end
}

TEST(RichWindow, BackgroundFollowsSetting359) {
    auto param = [](int code) { return code == 1 ? 7 : code == 3 ? 12 : 0; };
    EXPECT_EQ(rich_background_index(0, 5, param), -1);  // white
    EXPECT_EQ(rich_background_index(1, 5, param), 5);   // the object's colour
    EXPECT_EQ(rich_background_index(2, 5, param), 7);   // setting 1, the background
    EXPECT_EQ(rich_background_index(3, 5, param), 12);  // setting 3
    EXPECT_EQ(rich_background_index(-4, 5, param), -1);
}

TEST(RichFind, RangesSearchTheRightPartInBothDirections) {
    // Selection 10..14 in a text of 40 characters.
    struct Case {
        int origin;
        bool forward;
        RichRange want;
    } cases[] = {
        {kRichOriginAll, true, {0, -1}},        {kRichOriginCursor, true, {10, -1}},
        {kRichOriginSelection, true, {10, 14}}, {kRichOriginAll, false, {40, 0}},
        {kRichOriginCursor, false, {14, 0}},    {kRichOriginSelection, false, {14, 10}},
    };
    for (const auto& c : cases) EXPECT_EQ(rich_find_range(c.origin, c.forward, 10, 14, 40), c.want) << c.origin << c.forward;
    EXPECT_EQ(rich_find_flags(true, false, false), 1);
    EXPECT_EQ(rich_find_flags(false, true, true), 6);
    // Find Next walks on from the caret and never leaves the text.
    EXPECT_EQ(rich_find_next_range(true, 10, 40), (RichRange{11, -1}));
    EXPECT_EQ(rich_find_next_range(true, 40, 40), (RichRange{40, -1}));
    EXPECT_EQ(rich_find_next_range(false, 10, 40), (RichRange{9, 0}));
    EXPECT_EQ(rich_find_next_range(false, 0, 40), (RichRange{0, 0}));
}

TEST(RichParagraph, IndentsInInchesAndTwips) {
    // A bulleted list's hanging indent.
    EXPECT_EQ(rich_inches_to_para({0.25, 0, -0.25}), (RichPara{0, 0, 360}));
    EXPECT_EQ(rich_inches_to_para({1.5, 0.5, 0.25}), (RichPara{2520, 720, -360}));
    for (RichPara p : {RichPara{0, 0, 360}, RichPara{720, 1440, -180}, RichPara{0, 0, 0}}) {
        RichIndents in = rich_para_to_inches(p);
        EXPECT_EQ(rich_inches_to_para(in), p);
    }
    RichIndents in = rich_para_to_inches({0, 0, 360});
    EXPECT_DOUBLE_EQ(in.left, 0.25);
    EXPECT_DOUBLE_EQ(in.first, -0.25);
    EXPECT_EQ(rich_format_inches(-0.25), "-0.25");
    EXPECT_EQ(rich_format_inches(-0.0001), "0.00");
    struct {
        const char* s;
        std::optional<double> v;
    } reals[] = {{"0.25", 0.25}, {" -1 ", -1.0}, {"", std::nullopt}, {"1,5", std::nullopt}, {"abc", std::nullopt},
                 {"1e9", std::nullopt}, {"nan", std::nullopt}};
    for (const auto& r : reals) EXPECT_EQ(rich_parse_real(r.s), r.v) << r.s;
}

TEST(RichFont, HeightsInTwipsEitherSign) {
    EXPECT_EQ(rich_twips_of_height(-16, 96), 240);
    EXPECT_EQ(rich_twips_of_height(16, 96), 240);  // a cell height is no negative size
    EXPECT_EQ(rich_twips_of_height(-16, 0), 240);
    EXPECT_EQ(rich_height_of_twips(240, 96), -16);
    EXPECT_EQ(rich_height_of_twips(200, 120), -17);
}

TEST(RichCommands, SortAndCaseWorkOnTheControlsLineBreaks) {
    EXPECT_EQ(rich_sort_lines("pear\rapple\rFig"), "apple\rFig\rpear");
    EXPECT_EQ(rich_sort_lines("b\r\na\nc"), "a\rb\rc");
    EXPECT_EQ(rich_sort_lines("b\ra\r"), "a\rb\r");
    EXPECT_EQ(rich_split_lines("x\r\n\ny"), (std::vector<std::string>{"x", "", "y"}));
}

TEST(RichCommands, CaseChangeKeepsEveryFormattingCode) {
    const std::string rtf = "{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}}{\\*\\generator Riched20;}\\f0 caf\\'e9 "
                            "\\b bold\\b0  \\i \\'9a\\'ff x\\i0 \\{\\\\ \xf7\\par\r\n}";
    EXPECT_EQ(rich_rtf_change_case(rtf, true),
              "{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}}{\\*\\generator Riched20;}\\f0 CAF\\'c9 "
              "\\b BOLD\\b0  \\i \\'8a\\'9f X\\i0 \\{\\\\ \xf7\\par\r\n}");
    EXPECT_EQ(rich_rtf_change_case(rich_rtf_change_case(rtf, true), false),
              "{\\rtf1{\\fonttbl{\\f0\\fswiss Arial;}}{\\*\\generator Riched20;}\\f0 caf\\'e9 "
              "\\b bold\\b0  \\i \\'9a\\'ff x\\i0 \\{\\\\ \xf7\\par\r\n}");
}

namespace {

Document finder_doc() {
    Document d;
    auto obj = [&](Key k, const char* id, int level, const char* ext, int colour = 3) {
        Obj o;
        o.key = k;
        o.id = id;
        o.level = level;
        o.ext = ext;
        o.colour = colour;
        o.shape = 161;
        d.add_obj(o);
    };
    obj(1, "Alpha", 1, "First IDEA");
    obj(2, "Beta", 1, "second");
    obj(3, "Gamma", 2, "");
    obj(4, "Delta", 1, "lonely");
    auto link = [&](Key a, Key b, const char* label, int colour) {
        Link l;
        l.from = a;
        l.to = b;
        l.label = label;
        l.label_pos_colour = 65536 * 3 + colour;
        d.links.push_back(l);
    };
    link(1, 2, "causes", 5);
    link(2, 3, "leads up", 12);
    link(3, 1, "back", 7);
    return d;
}

std::vector<int> ids(const std::vector<LvItem>& rows) {
    std::vector<int> out;
    for (auto& r : rows) out.push_back(r.id);
    return out;
}

}  // namespace

TEST(FindLinks, RowsFilterAndKeepTheirLinkNumbers) {
    Document d = finder_doc();
    struct Case {
        const char* filter;
        std::vector<int> want;
    } cases[] = {
        {"", {1, 2, 3}},
        {"BETA", {1, 2}},              // both sides lower-cased
        {"alpha and causes", {1}},
        {"alpha or gamma", {1, 2, 3}},
        {"alpha not back", {1}},
        {"1 x 2", {2}},                // level text: from level 1 to level 2
        {"12", {2}},                   // colour digits
        {"05", {1}},
    };
    for (const auto& c : cases) EXPECT_EQ(ids(links_rows(d, c.filter)), c.want) << c.filter;
    auto rows = links_rows(d, "gamma");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].text, "Beta");
    EXPECT_EQ(rows[0].sub_texts[0], "Gamma");
    EXPECT_EQ(rows[0].sub_texts[2], "12");
    EXPECT_EQ(rows[0].sub_texts[5], "1 x 2");
    EXPECT_EQ(rows[1].sub_texts[5], "2 x 1");
    // The hidden first link does not shift the numbers: row 3 is still the third link.
    EXPECT_EQ(links_nth(d, rows[1].id)->label, "back");
    EXPECT_EQ(links_nth(d, 0), nullptr);
    EXPECT_EQ(links_nth(d, 4), nullptr);
}

TEST(FindObjects, RowsByFilterCausesAndEffects) {
    Document d = finder_doc();
    struct Case {
        FindObjFilter f;
        std::vector<std::string> want;
    } cases[] = {
        {{"", false, false}, {"Alpha", "Beta", "Gamma", "Delta"}},
        {{"hafirst", false, false}, {"Alpha"}},  // across the end of the ID and the start of the content
        {{"idea", false, false}, {"Alpha"}},     // upper-case content found by a lower-case filter
        {{"", true, false}, {"Alpha", "Beta", "Gamma"}},
        {{"", false, true}, {"Alpha", "Beta", "Gamma"}},
        {{"a", true, true}, {"Alpha", "Beta", "Gamma"}},
        {{"lonely", true, false}, {}},
    };
    for (const auto& c : cases) {
        int count = 0;
        auto rows = findobj_rows(d, c.f, "doc.vrn", &count);
        std::vector<std::string> got;
        for (auto& r : rows) got.push_back(r.text);
        EXPECT_EQ(got, c.want) << c.f.text;
        EXPECT_EQ(count, static_cast<int>(got.size()));
    }
    int count = 10;  // a second file counts on
    auto rows = findobj_rows(d, {"gamma", false, false}, "other.vrn", &count);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].id, 11);
    EXPECT_EQ(rows[0].sub_texts, (std::vector<std::string>{"Box", "03", "2", "", "other.vrn", "3"}));
    EXPECT_EQ(findobj_total_line(11), "Total items = 11");
}

TEST(FindObjects, RichTextsAndFieldsShownAndFilteredAsTheirPlainText) {
    Document d;
    Obj rich;
    rich.key = 1;
    rich.id = "Notes";
    rich.action = 42;
    rich.ext = "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\pard\\f0 Budget \\b review\\b0\\par}";
    d.add_obj(rich);
    Obj field;
    field.key = 2;
    field.id = "Plan";
    field.ext = "See \x0bthe goal\x0e" "15Goal\x0f now";
    d.add_obj(field);
    auto ids = [&](const char* filter) {
        int count = 0;
        std::vector<std::string> got;
        for (auto& r : findobj_rows(d, {filter, false, false}, "doc.vrn", &count)) got.push_back(r.text + "|" + r.sub_texts[3]);
        return got;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(ids(""), (V{"Notes|Budget review", "Plan|See the goal now"}));
    EXPECT_EQ(ids("budget review"), (V{"Notes|Budget review"}));
    EXPECT_EQ(ids("the goal now"), (V{"Plan|See the goal now"}));
    for (const char* source : {"rtf", "fonttbl", "arial", "15goal", "\x0b"}) EXPECT_TRUE(ids(source).empty()) << source;
}

TEST(Finders, FirstClickOnIdSortsAscendingOthersDescending) {
    int bits = -4;
    bits = finder_toggle_bit(bits, 1);
    EXPECT_TRUE(finder_ascending(bits, 1));
    EXPECT_TRUE(finder_before("apple", "Banana", true));
    bits = finder_toggle_bit(bits, 1);
    EXPECT_FALSE(finder_ascending(bits, 1));
    EXPECT_TRUE(finder_before("Banana", "apple", false));
    EXPECT_FALSE(finder_before("same", "SAME", true));
    EXPECT_FALSE(finder_before("same", "SAME", false));
    for (int c = 2; c <= 7; ++c) EXPECT_FALSE(finder_ascending(finder_toggle_bit(-4, c), c)) << c;
}

TEST(InsertText, AnsiRowsSnippetsAndDates) {
    auto rows = insert_ansi_rows();
    ASSERT_EQ(rows.size(), 224u);
    EXPECT_EQ(rows.front(), "\xFF  (255)");
    EXPECT_EQ(rows.back(), "   (32)");
    EXPECT_EQ(insert_snippet(rows.front()), "\xFF");
    EXPECT_EQ(insert_snippet(rows.back()), "");  // the blank's own row inserts nothing
    EXPECT_EQ(insert_snippet("sqrt( square root"), "sqrt(");
    EXPECT_EQ(insert_snippet("nospace"), "");
    InsertClock t{2001, 7, 4, 9, 5, 0};
    EXPECT_EQ(insert_expand("DATE", t), "2001-7-4");
    EXPECT_EQ(insert_expand("DATE/TIME", t), "2001-7-4  9:5:0");
    EXPECT_EQ(insert_expand("date", t), "date");
}

TEST(InsertText, SnippetFileReadsAndEveryShippedRowInsertsSomething) {
    std::vector<std::pair<int, std::string>> rows;
    int line = 0;
    ASSERT_TRUE(insert_parse(read_file(fs::path(VORN_SOURCE_DIR) / "data" / "insert.kba"), &rows, &line)) << line;
    ASSERT_GT(rows.size(), 20u);
    for (int type = 1; type <= 3; ++type)
        EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [&](auto& r) { return r.first == type; })) << type;
    for (auto& [type, text] : rows) {
        EXPECT_TRUE(type >= 1 && type <= 3) << text;
        EXPECT_FALSE(insert_snippet(text).empty()) << text;
    }
    rows.clear();
    EXPECT_FALSE(insert_parse("e_(1,\"+ add\")\ne_(2,\"broken)\n", &rows, &line));
    EXPECT_EQ(line, 2);
}

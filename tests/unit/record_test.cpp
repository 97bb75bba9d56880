#include <gtest/gtest.h>

#include <fstream>
#include <filesystem>
#include <sstream>

#include "base/record.h"

using rec::Record;
using rec::Value;

namespace {

std::vector<Record> parse(std::string_view text) {
    std::vector<Record> out;
    rec::ParseError err;
    EXPECT_TRUE(rec::parse_all(text, out, &err)) << err.line << ": " << err.message;
    return out;
}

rec::ParseError parse_error(std::string_view text) {
    std::vector<Record> out;
    rec::ParseError err;
    EXPECT_FALSE(rec::parse_all(text, out, &err)) << text;
    return err;
}

}  // namespace

TEST(Record, ReadsFieldKindsBlanksAndLineEnds) {
    auto r = parse("j_(1,\"Idea\",-5,2.5,[1,[2,\"x\"],[]])\r\n\n  p_ ( 1 , 2 )  \nq_()");
    ASSERT_EQ(r.size(), 3u);
    EXPECT_EQ(r[0].name, "j_");
    EXPECT_EQ(r[0].args[0], Value(1));
    EXPECT_EQ(r[0].args[1], Value("Idea"));
    EXPECT_EQ(r[0].args[2], Value(-5));
    EXPECT_EQ(r[0].args[3], Value(2.5));
    EXPECT_EQ(r[0].args[4], Value::list({Value(1), Value::list({Value(2), Value("x")}), Value::list({})}));
    EXPECT_EQ(r[1], (Record{"p_", {Value(1), Value(2)}}));
    EXPECT_TRUE(r[2].args.empty());
}

TEST(Record, StringEscapesRoundTripEveryByte) {
    std::string all;
    for (int c = 1; c < 256; ++c) all.push_back(static_cast<char>(c));
    Record in{"t_", {Value(all), Value("a\"b\\c\r\n\t")}};
    std::string text;
    rec::write(text, in);
    // One physical line: no raw line breaks may leak out of a string.
    EXPECT_EQ(text.find('\n'), text.size() - 1);
    auto out = parse(text);
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0], in);
    // Hypertext markers stay raw so stored texts stay readable.
    std::string ht;
    rec::write_string(ht, std::string("\x0bvis\x0e" "01x\x0f"));
    EXPECT_EQ(ht, "\"\x0bvis\x0e" "01x\x0f\"");
    EXPECT_EQ(rec::escape("\x01"), "\\x01");
}

TEST(Record, WriterPutsNoBlankAfterCommas) {
    std::string text;
    rec::write(text, Record{"b_", {Value(1), Value(2), Value("l"), Value::list({Value(3), Value(4)})}});
    EXPECT_EQ(text, "b_(1,2,\"l\",[3,4])\r\n");
}

TEST(Record, RealsStayRealsAndRoundTrip) {
    for (double d : {2.0, -0.1, 1e300, 3.141592653589793, 1e-7}) {
        std::string text;
        rec::write(text, Record{"f_", {Value(d)}});
        auto r = parse(text);
        ASSERT_EQ(r[0].args[0].kind, rec::Kind::Real) << text;
        EXPECT_EQ(r[0].args[0].r, d) << text;
    }
}

TEST(Record, RejectsMalformedInputWithLineNumber) {
    struct Case { const char* text; uint32_t line; };
    const Case cases[] = {
        {"a(1)\nb(1", 2},                 // unterminated
        {"a(1)\n\nb(\"x)\n", 3},          // string runs into the line end
        {"a(1) junk\n", 1},
        {"(1)\n", 1},
        {"a 1\n", 1},
        {"a(\"\\q\")\n", 1},              // unknown escape
        {"a(\"\\x4\")\n", 1},             // short hex escape
        {"a(99999999999999999999)\n", 1}, // overflow
        {"a(1e999)\n", 1},
        {"a([1,2)\n", 1},
        {"a(1,)\n", 1},
        {"a(-)\n", 1},
        {"a(1)\rb(2)\n", 1},              // lone CR
        {"a(\"x\\", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(parse_error(c.text).line, c.line) << c.text;
}

TEST(Record, DeepNestingIsRefusedNotOverflowed) {
    std::string deep = "a(" + std::string(100000, '[') + std::string(100000, ']') + ")";
    EXPECT_FALSE(parse_error(deep).message.empty());
}

TEST(Record, StreamingReaderGivesRawLineAndViewsWithoutCopies) {
    std::string text = "obj(7,\"plain\",\"esc\\\"aped\")\r\n";
    rec::Reader rd(text);
    rec::RecordView rv;
    ASSERT_TRUE(rd.next(rv));
    EXPECT_EQ(rd.raw_line(), "obj(7,\"plain\",\"esc\\\"aped\")");
    EXPECT_FALSE(rv.arg(1).escaped);
    EXPECT_EQ(rv.arg(1).raw.data(), text.data() + 7);
    EXPECT_EQ(rv.arg(2).text(), "esc\"aped");
    EXPECT_FALSE(rd.next(rv));
    EXPECT_FALSE(rd.failed());
}

// A record carried as text is still checked whole, but its fields cost nothing.
TEST(Record, RecordsWithoutWantedFieldsAreCheckedNotTakenApart) {
    auto only_j = [](std::string_view name) { return name == "j_"; };
    std::string text = "  kept_( 1 , [2,\"x\"] ,3.5e1 )  \r\nj_(1,\"a\")\n";
    rec::Reader rd(text);
    rd.set_fields_wanted(only_j);
    rec::RecordView rv;
    ASSERT_TRUE(rd.next(rv));
    EXPECT_EQ(rv.name, "kept_");
    EXPECT_EQ(rv.arity(), 0u);
    EXPECT_TRUE(rv.fields.empty());
    EXPECT_EQ(rd.raw_line(), "kept_( 1 , [2,\"x\"] ,3.5e1 )");
    ASSERT_TRUE(rd.next(rv));
    ASSERT_EQ(rv.arity(), 2u);
    EXPECT_EQ(rv.arg(1).text(), "a");

    for (std::string_view bad : {"ok()\nkept_(1,\"\\q\")\n", "ok()\nkept_(1,[2)\n", "ok()\nkept_(" "[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[[1]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]]])\n"}) {
        rec::Reader r2(bad);
        r2.set_fields_wanted(only_j);
        while (r2.next(rv)) {}
        EXPECT_TRUE(r2.failed()) << bad;
        EXPECT_EQ(r2.error().line, 2u) << bad;
    }
}

// Inputs the fuzzer found interesting are kept and replayed here: none may crash.
TEST(Record, KeptFuzzCorpusNeverCrashes) {
    namespace fs = std::filesystem;
    fs::path dir = fs::path(VORN_SOURCE_DIR) / "tests/fuzz/record";
    ASSERT_TRUE(fs::exists(dir));
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        std::ifstream f(e.path(), std::ios::binary);
        std::stringstream ss;
        ss << f.rdbuf();
        std::vector<Record> out;
        if (rec::parse_all(ss.str(), out)) {
            std::string text;
            for (const auto& r : out) rec::write(text, r);
            std::vector<Record> again;
            EXPECT_TRUE(rec::parse_all(text, again)) << e.path();
            EXPECT_EQ(again, out) << e.path();
        }
        ++n;
    }
    EXPECT_GT(n, 0);
}

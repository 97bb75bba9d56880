#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include "base/error.h"
#include "base/file.h"
#include "base/settings.h"
#include "base/util.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> errors_;
void record_error(const std::string& t) { errors_.push_back(t); }

class ShellFile : public testing::Test {
protected:
    void SetUp() override {
        errors_.clear();
        old_ = msg_set_hooks({record_error, record_error, nullptr});
        dir_ = fs::temp_directory_path() / ("vorn_file_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                                             "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        settings_memory_clear();
    }
    void TearDown() override {
        msg_set_hooks(old_);
        fs::remove_all(dir_);
        file_set_current_name("");
    }
    std::string path(const char* name) const { return (dir_ / name).string(); }
    void write(const char* name, const std::string& text) const {
        std::ofstream(dir_ / name, std::ios::binary) << text;
    }
    std::string read(const char* name) const {
        std::ifstream in(dir_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    MsgHooks old_;
    fs::path dir_;
};

TEST(ShellFileNames, VrnNameRules) {
    struct Case { const char* in; const char* want; } cases[] = {
        {"c:\\docs\\plan", "c:\\docs\\plan.vrn"},
        {"plan.vrn", "plan.vrn"},
        {"PLAN.VRN", "PLAN.VRN"},
        {"old.ide", "old.vrn"},
        {"c:\\a.b\\plan", "c:\\a.b\\plan.vrn"},  // a dot in a directory is no extension
        {"plan.", "plan.vrn"},
        {"notes.txt", nullptr},
        {"pic.bmp", nullptr},
    };
    for (const auto& c : cases) {
        auto out = file_vrn_name_of(c.in);
        if (c.want) EXPECT_EQ(out, std::string(c.want)) << c.in;
        else EXPECT_FALSE(out) << c.in;
    }
}

TEST(ShellFileNames, PathPieces) {
    EXPECT_EQ(file_dir_part("c:\\x\\y.vrn"), "c:\\x\\");
    EXPECT_EQ(file_dir_part("y.vrn"), "");
    EXPECT_EQ(file_name_part("c:/x/y.vrn"), "y.vrn");
    EXPECT_EQ(file_ext("c:\\x\\Y.VRN"), ".vrn");
    EXPECT_EQ(file_ext("c:\\x.d\\y"), "");
    EXPECT_EQ(file_with_ext("c:\\x\\y.vrn", ".bk2"), "c:\\x\\y.bk2");
    EXPECT_EQ(file_with_ext("c:\\x\\y", ".bak"), "c:\\x\\y.bak");
    EXPECT_EQ(file_full_path("c:\\d\\", "a.txt"), "c:\\d\\a.txt");
    EXPECT_EQ(file_full_path("c:\\d\\", "e:\\a.txt"), "e:\\a.txt");
    EXPECT_EQ(file_lower("C:\\Docs\\\xC9T\xC9.VRN"), "c:\\docs\\\xe9t\xe9.vrn");
}

TEST(ShellFileNames, TitleShowsNameStateTitleAndDepth) {
    EXPECT_EQ(file_title_text("c:\\a.vrn", false, "", 0), "Vorn Idea Processor - [c:\\a.vrn]");
    EXPECT_EQ(file_title_text("", true, "Plan", 2), "Vorn Idea Processor - [untitled.vrn] * - Plan (Sub 2)");
}

TEST_F(ShellFile, CurrentDocumentResolvesRelativeNames) {
    EXPECT_FALSE(file_current());
    file_set_current_name(path("Doc.VRN"));
    auto cur = file_current();
    ASSERT_TRUE(cur);
    EXPECT_EQ(cur->full, path("Doc.VRN"));  // shown in titles: the case stays
    EXPECT_EQ(cur->full.substr(0, cur->dir.size()), cur->dir);
    EXPECT_EQ(file_resolve("Sub.txt"), cur->dir + "Sub.txt");
    EXPECT_FALSE(file_resolve(""));
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0], "Filename is empty");
    EXPECT_FALSE(file_is_untitled());
    // Untitled is what New makes, not a name: a real file may be called so.
    file_set_current_name("c:\\x\\untitled.vrn");
    EXPECT_FALSE(file_is_untitled());
    file_set_current_name("c:\\x\\untitled.vrn", true);
    EXPECT_TRUE(file_is_untitled());
}

TEST_F(ShellFile, ReadTextReportsFailuresAndTreatsUntitledAsEmpty) {
    write("a.txt", std::string("one\0two", 7));
    EXPECT_EQ(file_read_text(path("a.txt")), std::string("one\0two", 7));
    EXPECT_EQ(file_read_text(path("UNTITLED.TXT")), "");
    EXPECT_FALSE(file_read_text(path("missing.txt")));
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0], "Loading " + path("missing.txt"));
}

TEST_F(ShellFile, RandomLineGivesWholeLinesAndFailsOnEmptyFiles) {
    write("lines.txt", "alpha\r\nbeta\n\ngamma");
    std::set<std::string> seen;
    util_random_seed(3);
    for (int k = 0; k < 400; ++k) {
        auto l = file_random_line(path("lines.txt"));
        ASSERT_TRUE(l);
        seen.insert(*l);
    }
    EXPECT_EQ(seen, (std::set<std::string>{"alpha", "beta", "", "gamma"}));
    write("empty.txt", "");
    EXPECT_FALSE(file_random_line(path("empty.txt")));
    EXPECT_FALSE(file_random_line(path("none.txt")));
}

TEST_F(ShellFile, PartReadsKeepWholeLinesAtTheHeadAndTheLastBytesAtTheTail) {
    write("list.l", "one\ntwo\nthree\n");
    EXPECT_EQ(file_read_part(path("list.l"), 100, false), "one\ntwo\nthree\n");
    EXPECT_EQ(file_read_part(path("list.l"), 10, false), "one\ntwo\n");
    EXPECT_EQ(file_read_part(path("list.l"), 2, false), "");
    EXPECT_EQ(file_read_part(path("list.l"), 6, true), "three\n");
    EXPECT_FALSE(file_read_part(path("none.l"), 10, false));
    EXPECT_TRUE(errors_.empty());
    // A random line of a file past the cap comes from its first part.
    std::string big;
    while (big.size() <= kFileListCap) big += "near\n";
    write("big.l", big + "far\n");
    util_random_seed(5);
    for (int k = 0; k < 50; ++k) EXPECT_EQ(file_random_line(path("big.l")), "near");
}

TEST_F(ShellFile, CreateIfMissingKeepsExistingFiles) {
    write("k.txt", "old");
    EXPECT_TRUE(file_create_if_missing(path("k.txt"), "new"));
    EXPECT_EQ(read("k.txt"), "old");
    EXPECT_TRUE(file_create_if_missing(path("n.txt"), "new"));
    EXPECT_EQ(read("n.txt"), "new");
    EXPECT_FALSE(file_create_if_missing(path("no_dir/x.txt"), "x"));
    EXPECT_EQ(errors_.size(), 1u);
}

TEST_F(ShellFile, TimeDaysOfMissingFileIsZeroWithAnError) {
    EXPECT_EQ(file_time_days(path("gone")), 0.0);
    EXPECT_EQ(errors_.size(), 1u);
    write("t.txt", "x");
    double d = file_time_days(path("t.txt"));
    EXPECT_GT(d, util_day_number(2020, 1, 1));
}

TEST(ShellFileHistory, BackAndForwardLikeABrowser) {
    FileHistory h;
    EXPECT_FALSE(h.can_back());
    h.visit("a");
    h.visit("b");
    h.visit("B");  // same document again: no new entry
    h.visit("c");
    EXPECT_EQ(h.back(), "b");
    EXPECT_EQ(h.back(), "a");
    EXPECT_FALSE(h.back());
    EXPECT_EQ(h.forward(), "b");
    h.visit("d");  // drops "c"
    EXPECT_FALSE(h.can_forward());
    EXPECT_EQ(h.items(), (std::vector<std::string>{"a", "b", "d"}));
    EXPECT_EQ(h.back(), "b");
    h.undo_move(-1);  // opening "b" failed: stay on "d"
    EXPECT_EQ(h.pos(), 2u);
}

TEST(ShellFileCrypt, KeyAndRoundTrip) {
    EXPECT_FALSE(file_crypt_key(""));
    EXPECT_EQ(file_crypt_key("AB"), 65 + 66);
    // 257 bytes of 0xFF sum to 65535; one more 0x01 wraps the key to 0, which would do nothing.
    EXPECT_EQ(file_crypt_key(std::string(257, '\xff')), 65535);
    EXPECT_FALSE(file_crypt_key(std::string(257, '\xff') + "\x01"));

    struct Case { std::string plain; uint16_t key; std::string want; } cases[] = {
        {"", 0x1234, ""},
        {std::string("\x00\x00", 2), 0x1234, "\x34\x12"},       // little-endian words
        {std::string("\x00\x00\x00", 3), 0x1234, "\x34\x12\x34"},  // odd byte: low byte of the key
        {"ab", 0x0101, "`c"},
    };
    for (auto& c : cases) {
        std::string d = c.plain;
        file_crypt(d, c.key);
        EXPECT_EQ(d, c.want);
        file_crypt(d, c.key);
        EXPECT_EQ(d, c.plain);  // the same routine both ways
    }
}

}  // namespace

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "base/error.h"
#include "base/file.h"
#include "base/settings.h"
#include "base/spell.h"
#include "ideas/index.h"
#include "text/spellstep.h"

namespace fs = std::filesystem;

namespace {

// A word test that knows a handful of words.
bool known(std::string_view w) {
    for (const char* k : {"the", "cat", "sat", "on", "mat", "hello", "world", "is", "a"})
        if (w == k) return true;
    return w.size() < 3;
}

// Every word a text reports, in order, with statuses, as the dialog meets them step by step.
std::string walk(std::string_view text) {
    std::string out, prev;
    size_t from = 1;
    for (int guard = 0; guard < 100; ++guard) {
        SpellFound f = spell_find_next(text, from, prev, known);
        out += std::to_string(f.status) + ":" + f.word + "@" + std::to_string(f.pos) + " ";
        if (f.status == kSpellEnd) break;
        from = f.pos + f.word.size();
    }
    return out;
}

TEST(SpellStep, WalksTextsToTheEnd) {
    struct Case { const char* text; const char* want; } cases[] = {
        {"the cat sat", "2:@12 "},
        {"the the cat", "1:the@5 2:@12 "},
        {"The the cat", "2:@12 "},                                     // case kept in the repeat test
        {"Hello ABCD 1999 , ; wrld", "3:wrld@21 2:@25 "},              // capitals, integers, delimiters
        {"on the mxt.", "3:mxt@8 2:@12 "},                             // a short last word is checked
        {"the cat", "2:@8 "},
        {"", "2:@1 "},
        {"see \x0bthe mat\x0ezzqx.vrn\x0f here", "3:see@1 3:here@24 2:@28 "},   // hidden field text skipped
        {"the mat\x0eunterminated", "2:@21 "},
        {"cat\r\nthe\tmat qqq", "3:qqq@14 2:@17 "},
        // Windows-1252 quotes and dashes are no part of a word; accented letters are.
        {"\x93wonderfl\x94 \x96 the caf\xe9\x85", "3:wonderfl@2 3:caf\xe9@18 2:@23 "},
        {"\xc9T\xc9 ABCD", "2:@9 "},                                      // capitals with accents
    };
    for (const auto& c : cases) EXPECT_EQ(walk(c.text), c.want) << c.text;
}

TEST(SpellStep, StartAndChange) {
    struct Start { const char* text; size_t caret, want; } starts[] = {
        {"hello world", 3, 1}, {"hello world", 9, 7}, {"hello world", 6, 6}, {"hello world", 99, 12}, {"hello world", 12, 12}, {"hello world", 11, 7},
        {"hello, world", 6, 6}, {"", 5, 1}, {"abc", 0, 1},
    };
    for (const auto& s : starts) EXPECT_EQ(spell_step_start(s.text, s.caret), s.want) << s.text << " " << s.caret;

    std::string t = "the wrld is big";
    EXPECT_TRUE(spell_replace_at(t, 5, "wrld", "world"));
    EXPECT_EQ(t, "the world is big");
    EXPECT_FALSE(spell_replace_at(t, 5, "wrld", "world"));   // edited since: left alone
    EXPECT_FALSE(spell_replace_at(t, 14, "bigger", "x"));
    EXPECT_FALSE(spell_replace_at(t, 99, "x", "y"));
    EXPECT_EQ(t, "the world is big");
}

class WordIndex : public testing::Test {
protected:
    void SetUp() override {
        old_ = msg_set_hooks({[](const std::string&) {}, [](const std::string&) {}, nullptr});
        dir_ = fs::temp_directory_path() / ("vorn_index_" + std::to_string(getpid()));
        fs::create_directories(dir_);
        file_set_progdir(dir_.string() + "/");
        settings_memory_clear();
        std::ofstream(dir_ / "comwords.txt", std::ios::binary) << "the\nthere\nand\n";
        std::ofstream(dir_ / "spell.txt", std::ios::binary) << "CA t \r\nDO g \r\nEL ephant \r\n";
        std::ofstream(dir_ / "root.kba", std::ios::binary) << "e_(\"\",\"\")\r\n";
        spell_dict(0);
    }
    void TearDown() override {
        spell_dict(0);
        msg_set_hooks(old_);
        fs::remove_all(dir_);
    }
    std::vector<std::string> run(int mode, std::string_view text) {
        std::vector<std::string> out;
        EXPECT_TRUE(word_index(mode, text, out));
        return out;
    }
    MsgHooks old_;
    fs::path dir_;
};

// Items as (number, word), read back the way the Analyzer reads them.
using Counted = std::vector<std::pair<long long, std::string>>;
Counted counted(const std::vector<std::string>& items) {
    Counted out;
    for (const auto& it : items) out.emplace_back(word_index_number(it), std::string(word_index_word(it)));
    return out;
}

TEST_F(WordIndex, ListsByModeWithoutCommonWords) {
    const char* text = "The cat and the Cat. Here he is: a dog, her elephant, the CAT; dgo x1 y 42.5!";
    EXPECT_EQ(counted(run(1, text)), (Counted{{3, "cat"}, {1, "42.5"}, {1, "dgo"}, {1, "dog"}, {1, "elephant"}, {1, "is"}, {1, "x1"}}));
    EXPECT_EQ(counted(run(2, text)), (Counted{{8, "elephant"}, {4, "42.5"}, {3, "cat"}, {3, "dgo"}, {3, "dog"}, {2, "is"}, {2, "x1"}}));
    EXPECT_EQ(run(3, text), (std::vector<std::string>{"dgo"}));
    EXPECT_TRUE(run(1, "a b c , . !").empty());
    EXPECT_TRUE(run(1, "").empty());
    std::vector<std::string> out{"stale"};
    EXPECT_FALSE(word_index(4, text, out));
    EXPECT_TRUE(out.empty());
}

TEST_F(WordIndex, AccentedWordsStayWhole) {
    EXPECT_EQ(counted(run(1, "Na\xefve caf\xe9, M\xdcLLER \x93" "caf\xe9\x94")),
              (Counted{{2, "caf\xe9"}, {1, "m\xfcller"}, {1, "na\xefve"}}));
}

// Counts of 30,000 and more keep their value and their place, the largest first.
TEST_F(WordIndex, LargeCountsKeepTheirValueAndOrder) {
    std::string text;
    for (int k = 0; k < 31000; ++k) text += "dog ";
    for (int k = 0; k < 30500; ++k) text += "eel ";
    for (int k = 0; k < 3; ++k) text += "cat ";
    EXPECT_EQ(counted(run(1, text)), (Counted{{31000, "dog"}, {30500, "eel"}, {3, "cat"}}));
}

TEST_F(WordIndex, MissingCommonWordsFails) {
    fs::remove(dir_ / "comwords.txt");
    std::vector<std::string> out;
    EXPECT_FALSE(word_index(1, "cat dog", out));
}

}  // namespace

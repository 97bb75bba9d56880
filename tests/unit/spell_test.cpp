#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <unistd.h>

#include "base/error.h"
#include "base/file.h"
#include "base/settings.h"
#include "base/spell.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> errors_;
int language_ = 0;

// A program directory of its own with small dictionaries written by each test.
class Spell : public testing::Test {
protected:
    void SetUp() override {
        errors_.clear();
        old_ = msg_set_hooks({[](const std::string& t) { errors_.push_back(t); },
                              [](const std::string& t) { errors_.push_back(t); }, nullptr});
        dir_ = fs::temp_directory_path() / ("vorn_spell_" + std::to_string(getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        file_set_progdir(dir_.string() + "/");
        settings_memory_clear();
        language_ = 0;
        spell_set_language_hook([] { return language_; });
        spell_dict(0);
        spell_allow_clear();
    }
    void TearDown() override {
        spell_dict(0);
        spell_set_language_hook(nullptr);
        msg_set_hooks(old_);
        fs::remove_all(dir_);
    }
    void write(const std::string& name, const std::string& text) const {
        std::ofstream(dir_ / name, std::ios::binary) << text;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(dir_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void small_dictionary() {
        write("spell.txt", "CA r t tegory \r\nHA ppy \r\nRE al \r\nWH ich \r\nZX colorize \r\nZZ colour \r\n");
        write("root.kba",
              "b_(\"un\")\r\nb_(\"\")\r\ne_(\"\",\"\")\r\ne_(\"s\",\"\")\r\ne_(\"ize\",\"\")\r\n"
              "lang_para_(0,\"zx\",\"ize\",\"ized\",\"izes\",\"izing\",\"ization\")\r\n"
              "lang_para_(1,\"zz\",\"ise\",\"ised\",\"ises\",\"ising\",\"isation\")\r\n"
              "msg_(3,\"Word not found\")\r\n");
        write("comwords.txt", "the\nwhich\nthere\n");
    }
    MsgHooks old_;
    fs::path dir_;
};

TEST_F(Spell, VerdictsOfEachRule) {
    small_dictionary();
    write("custdict.kba", "Zorblax\r\n");
    struct Case { const char* word; int lang; bool ok; } cases[] = {
        {"x1", 0, true}, {"2nd", 0, true}, {"a4", 0, true}, {"ab", 0, true},   // digits, short words
        {"the", 0, true}, {"hich", 0, false}, {"ther", 0, false},              // common words are whole lines
        {"cat", 0, true}, {"cats", 0, true}, {"cab", 0, false}, {"car", 0, true},
        {"happy", 0, true}, {"unhappy", 0, true}, {"ununhappy", 0, true}, {"unxy", 0, false},
        {"colorize", 0, true}, {"colorize", 1, false}, {"colour", 1, true}, {"colour", 0, false},
        {"realize", 0, true}, {"realise", 0, false}, {"realise", 1, true}, {"realize", 1, false},
        {"categorise", 1, true}, {"categorization", 0, true}, {"categorisation", 0, false},
        {"zorblax", 0, true}, {"orbla", 0, false},                             // custom words are whole lines
        {"ca t", 0, false}, {"", 0, true},
        {"cat's", 0, true}, {"which'll", 0, true}, {"cat\x92s", 0, true}, {"hich's", 0, false}, {"cat'hich", 0, false},
    };
    for (const auto& c : cases) {
        if (c.lang != language_) {
            language_ = c.lang;
            spell_dict(0);
        }
        EXPECT_EQ(spell_word_ok(c.word), c.ok) << c.word << " lang " << c.lang;
    }
    EXPECT_TRUE(errors_.empty());
    EXPECT_EQ(spell_msg(3), "Word not found");
}

TEST_F(Spell, IndexHasNoBlockOrOffsetLimit) {
    // 676 blocks, most of them long, so that later blocks lie far beyond 64 KB.
    std::string txt;
    for (char a = 'A'; a <= 'Z'; ++a)
        for (char b = 'A'; b <= 'Z'; ++b) {
            txt += std::string{a, b};
            for (int k = 0; k < 40; ++k) txt += " x" + std::to_string(k) + "q";
            txt += " end \r\n";
        }
    write("spell.txt", txt);
    write("root.kba", "e_(\"\",\"\")\r\n");
    write("comwords.txt", "");
    ASSERT_GT(txt.size(), 70000u);
    for (const char* w : {"aaend", "mnend", "zzend", "zyend"}) EXPECT_TRUE(spell_word_ok(w)) << w;
    EXPECT_FALSE(spell_word_ok("zzeng"));
    auto index = spell_build_index(txt);
    ASSERT_EQ(index.size(), 676u);
    EXPECT_EQ(txt.substr(index.back().offset, index.back().length + 2), "ZZ" + txt.substr(txt.size() - index.back().length, index.back().length - 2) + "\r\n");
}

TEST_F(Spell, IndexBlocksFromRawBytes) {
    struct Case { const char* text; std::vector<SpellIndexEntry> want; } cases[] = {
        {"AB c \r\nCD e \r\n", {{"ab", 0, 5}, {"cd", 7, 5}}},
        {"AB c \nCD e \n", {{"ab", 0, 5}, {"cd", 6, 5}}},        // LF line ends
        {"AB c \r\nCD e", {{"ab", 0, 5}, {"cd", 7, 4}}},          // no final line end: nothing lost
        {"XY a \r\nAB q \r\n", {{"ab", 7, 5}, {"xy", 0, 5}}},    // prefix order, file positions
        {"", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(spell_build_index(c.text), c.want) << c.text;
}

TEST_F(Spell, IndexRebuiltWhenMissingStaleOrNotFitting) {
    small_dictionary();
    EXPECT_TRUE(spell_word_ok("cat"));
    EXPECT_TRUE(fs::exists(dir_ / "spell.kba"));
    EXPECT_EQ(read("spell.kba").substr(0, 17), "i_(\"ca\",0,14)\r\ni_");

    // A new list whose blocks moved: the old index no longer fits and must not misread.
    spell_dict(0);
    write("spell.txt", "AA rdvark \r\nCA r t tegory \r\nHA ppy \r\nRE al \r\nWH ich \r\nZX colorize \r\n");
    fs::last_write_time(dir_ / "spell.txt", fs::last_write_time(dir_ / "spell.kba") - std::chrono::hours(1));
    EXPECT_TRUE(spell_word_ok("cat"));
    EXPECT_TRUE(spell_word_ok("aardvark"));
    EXPECT_EQ(read("spell.kba").substr(0, 15), "i_(\"aa\",0,10)\r\n");

    spell_dict(0);
    fs::remove(dir_ / "spell.kba");
    EXPECT_TRUE(spell_word_ok("happy"));
    EXPECT_TRUE(fs::exists(dir_ / "spell.kba"));
    EXPECT_TRUE(errors_.empty()) << errors_.front();
}

TEST_F(Spell, MissingFilesDegradeWithMessages) {
    write("comwords.txt", "the\n");
    EXPECT_TRUE(spell_word_ok("the"));
    EXPECT_FALSE(spell_word_ok("cat"));
    ASSERT_FALSE(errors_.empty());
    EXPECT_NE(errors_.front().find("spell.txt"), std::string::npos);
    EXPECT_TRUE(fs::exists(dir_ / "custdict.kba"));   // created empty
}

TEST_F(Spell, LearnedWordsPersistAndAllowedWordsSurviveAClear) {
    small_dictionary();
    write("custdict.kba", "first\n\n\n");
    EXPECT_FALSE(spell_word_ok("frobnicate"));
    spell_learn("frobnicate");
    EXPECT_TRUE(spell_word_ok("frobnicate"));
    EXPECT_EQ(read("custdict.kba"), "first\nfrobnicate\n");
    spell_dict(0);
    EXPECT_TRUE(spell_word_ok("frobnicate"));
    EXPECT_FALSE(fs::exists(dir_ / "custdict.kba.tmp"));

    file_setting_set_text("CustDictionary", (dir_ / "mine.kba").string());
    spell_dict(0);
    EXPECT_FALSE(spell_word_ok("frobnicate"));
    spell_learn("Quux");
    EXPECT_EQ(read("mine.kba"), "Quux\n");
    spell_dict(0);
    EXPECT_TRUE(spell_word_ok("quux"));

    spell_allow("zzyzx");
    spell_dict(0);
    EXPECT_TRUE(spell_word_ok("zzyzx"));
    spell_allow_clear();
    EXPECT_FALSE(spell_word_ok("zzyzx"));
}

// Learn never destroys files: a user's file named like a fixed temporary name is left alone, an
// unreadable dictionary is not rebuilt from the new word alone, and an unreadable word list
// leaves no empty index behind.
TEST_F(Spell, LearnAndIndexWritesKeepUsersFiles) {
    small_dictionary();
    write("custdict.kba", "first\n");
    write("custdict.kba.tmp", "a file of the user's");
    spell_learn("frobnicate");
    EXPECT_EQ(read("custdict.kba"), "first\nfrobnicate\n");
    EXPECT_EQ(read("custdict.kba.tmp"), "a file of the user's");
    for (const auto& e : fs::directory_iterator(dir_)) EXPECT_EQ(e.path().extension() == ".tmp", e.path().filename() == "custdict.kba.tmp");

    // A folder where the dictionary should be: reading fails, nothing is written.
    file_setting_set_text("CustDictionary", (dir_ / "folder.kba").string());
    fs::create_directories(dir_ / "folder.kba");
    errors_.clear();
    spell_learn("quux");
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_NE(errors_[0].find("folder.kba"), std::string::npos);
    EXPECT_TRUE(fs::is_directory(dir_ / "folder.kba"));

    spell_dict(0);
    fs::remove(dir_ / "spell.kba");
    fs::remove(dir_ / "spell.txt");
    fs::create_directories(dir_ / "spell.txt");
    EXPECT_FALSE(spell_word_ok("cat"));
    EXPECT_FALSE(fs::exists(dir_ / "spell.kba"));
}

// The shipped dictionaries, both variants.
TEST_F(Spell, ShippedDictionaries) {
    for (const char* f : {"spell.txt", "root.kba", "comwords.txt"})
        fs::copy_file(fs::path(VORN_SOURCE_DIR) / "data" / f, dir_ / f);
    struct Case { const char* word; bool us, uk; } cases[] = {
        {"color", true, false}, {"colour", false, true}, {"realize", true, false}, {"realise", false, true},
        {"organization", true, false}, {"organisation", false, true}, {"theater", true, false},
        {"centre", false, true}, {"recognizing", true, false}, {"recognising", false, true},
        {"house", true, true}, {"zygote", true, true}, {"aardvark", true, true}, {"running", true, true},
        {"wouldn", true, true}, {"teh", false, false}, {"recieve", false, false}, {"seperate", false, false},
        {"definately", false, false}, {"xylophone", true, true}, {"zzzzzz", false, false},
    };
    for (int lang = 0; lang < 2; ++lang) {
        language_ = lang;
        spell_dict(0);
        for (const auto& c : cases) EXPECT_EQ(spell_word_ok(c.word), lang ? c.uk : c.us) << c.word << " lang " << lang;
    }
    EXPECT_TRUE(errors_.empty());
}

// Common misspellings (every one rejected by hunspell) are rejected here too, their corrections
// pass, and the prefix rule still takes real coinages.
TEST_F(Spell, CommonMisspellingsRejectedPrefixedCoinagesKept) {
    for (const char* f : {"spell.txt", "root.kba", "comwords.txt"})
        fs::copy_file(fs::path(VORN_SOURCE_DIR) / "data" / f, dir_ / f);
    std::ifstream in(fs::path(VORN_SOURCE_DIR) / "tests" / "data" / "misspellings.txt");
    std::string wrong, right;
    int pairs = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream(line) >> wrong >> right;
        // Spellings the word lists themselves hold: a plural, a surname, variants.
        if (wrong == "heros" || wrong == "que" || wrong == "sargent" || wrong == "miniscule" || wrong == "glamourous") continue;
        EXPECT_FALSE(spell_word_ok(wrong)) << wrong;
        EXPECT_TRUE(spell_word_ok(right)) << right;
        ++pairs;
    }
    EXPECT_GT(pairs, 200);
    for (const char* w : {"reimplement", "nonportable", "superfast", "multiuser", "preorder", "unflattering", "reupholster"})
        EXPECT_TRUE(spell_word_ok(w)) << w;
    EXPECT_TRUE(errors_.empty());
}

}  // namespace

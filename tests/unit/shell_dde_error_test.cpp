#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/ddecmd.h"
#include "base/error.h"

namespace {

using Names = std::vector<std::string>;

TEST(ShellDdeCommand, OnlyOpenGroupsAreAccepted) {
    struct Case { std::string cmd; std::optional<Names> want; } cases[] = {
        {"[open(\"c:\\docs\\plan.vrn\")]", Names{"c:\\docs\\plan.vrn"}},
        {std::string("[open(\"a.vrn\")]\0", 15), Names{"a.vrn"}},
        {"[open(\"a.vrn\")] [open(\"b.txt\")]", Names{"a.vrn", "b.txt"}},
        {"[open(\"http://host/x.vrn\")]", Names{"http://host/x.vrn"}},
        {"", std::nullopt},
        {"[open(\"\")]", std::nullopt},
        {"[open(\"a.vrn\")", std::nullopt},
        {"[open(\"a.vrn\")]junk", std::nullopt},
        {"[OPEN(\"a.vrn\")]", std::nullopt},
        {"[run(\"cmd.exe\")]", std::nullopt},
        {"[open(\"a.vrn\")][run(\"x\")]", std::nullopt},
        {"[open(\"a\"b.vrn\")]", std::nullopt},
        {"[open(\"a\nb\")]", std::nullopt},
        {"[open(\"" + std::string(300, 'x') + "\")]", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(dde_parse_open(c.cmd), c.want) << c.cmd;
}

TEST(ShellDdeCommand, OnlyNamesTheProgramOpensAreAcceptedAndAFloodIsBounded) {
    for (const char* n : {"a.vrn", "C:\\Docs\\Plan.VRN", "old.ide", "noext", "notes.txt", "r.rtf", "HTTP://host/x.exe"})
        EXPECT_TRUE(dde_opens(n)) << n;
    for (const char* n : {"setup.exe", "c:\\a.vrn\\run.bat", "picture.bmp", "a.vrn.lnk"}) EXPECT_FALSE(dde_opens(n)) << n;

    DdeQueue q;
    for (int k = 0; k < 700; ++k) EXPECT_TRUE(q.push(k % 2 ? "missing.vrn" : "MISSING.VRN"));
    EXPECT_TRUE(q.push("b.vrn"));
    EXPECT_EQ(q.size(), 2u);
    EXPECT_EQ(q.pop(), "MISSING.VRN");  // the name as it first came
    EXPECT_EQ(q.pop(), "b.vrn");
    EXPECT_FALSE(q.pop());
    for (size_t k = 0; k < DdeQueue::kMax; ++k) EXPECT_TRUE(q.push(std::to_string(k) + ".vrn"));
    EXPECT_FALSE(q.push("one-too-many.vrn"));
    EXPECT_TRUE(q.push("0.vrn"));  // already waiting
    EXPECT_EQ(q.pop(), "0.vrn");
}

TEST(ShellDdeCommand, ABurstsFailuresMakeOneListNamingEachFile) {
    EXPECT_EQ(dde_failure_report({}), "");
    EXPECT_EQ(dde_failure_report({{"c:\\a.vrn", "Cannot find c:\\a.vrn"}}), "Cannot find c:\\a.vrn");
    std::vector<DdeFailure> many{{"C:\\A.vrn", "Cannot find c:\\a.vrn"}, {"c:\\b.vrn", "Loading c:\\b.vrn\r\nline 3: bad"},
                                 {"c:\\c.vrn", "Incompatible Vorn file version"}};
    EXPECT_EQ(dde_failure_report(many), "3 documents could not be opened:\nCannot find c:\\a.vrn\n"
                                        "Loading c:\\b.vrn: line 3: bad\nc:\\c.vrn: Incompatible Vorn file version");
    many.resize(kDdeReportShown + 5, {"x.vrn", "Cannot find x.vrn"});
    std::string r = dde_failure_report(many);
    EXPECT_EQ(std::count(r.begin(), r.end(), '\n'), static_cast<long>(kDdeReportShown) + 1);
    EXPECT_NE(r.find("... and 5 more"), std::string::npos);
}

TEST(ShellErrorText, AppendsNumberAndTextFromTheErrorFile) {
    const std::string file = "1031 A number is too large\r\n  6002 Out of memory\n-5 Negative\n12x Not a line\n";
    EXPECT_EQ(error_text_lookup(file, 6002), "Out of memory");
    EXPECT_EQ(error_text_lookup(file, -5), "Negative");
    EXPECT_EQ(error_text_lookup(file, 12), "");
    EXPECT_EQ(error_message_text("Loading %s", "a.vrn", 0, file), "Loading a.vrn");
    EXPECT_EQ(error_message_text("Loading %s", "a.vrn", 1031, file), "Loading a.vrn ErrNo=1031 A number is too large");
    EXPECT_EQ(error_message_text("50%% %s", "x", 0, ""), "50%% x");
}

// Every message has words: the file's, else the system's, else a general phrase; and an empty
// text before the number leaves no blank at the start.
TEST(ShellErrorText, EveryNumberComesWithWordsAndNoLeadingBlank) {
    const std::string file = "6110 The scanner failed\n";
    EXPECT_EQ(error_message_text("Oops", "", 77, file), "Oops ErrNo=77 Unexpected error");
    EXPECT_EQ(error_message_text("Oops", "", 77, file, "Access denied."), "Oops ErrNo=77 Access denied.");
    EXPECT_EQ(error_message_text("Opening %s", "a", 6110, file, "Other words"), "Opening a ErrNo=6110 The scanner failed");
    EXPECT_EQ(error_message_text("%s", "", 6110, file), "ErrNo=6110 The scanner failed");
}

}  // namespace

TEST(ShellErrorText, LongWordsAreBrokenForTheMessageBox) {
    EXPECT_EQ(msg_break_long_words("short words stay as they are", 8), "short words stay as they are");
    EXPECT_EQ(msg_break_long_words("abcdefghij", 4), "abcd\nefgh\nij");
    // A separator in the second half of the run is where the line breaks.
    EXPECT_EQ(msg_break_long_words("Saving c:\\aa\\bbbbbbbb", 8), "Saving c:\\aa\\\nbbbbbbbb");
    std::string address = "host/" + std::string(2000, 'x') + ".vrn";
    std::string broken = msg_break_long_words("Cannot keep " + address + " here", 64);
    size_t run = 0, longest = 0;
    for (char c : broken) {
        run = (c == ' ' || c == '\n') ? 0 : run + 1;
        longest = std::max(longest, run);
    }
    EXPECT_EQ(longest, 64u);
    broken.erase(std::remove(broken.begin(), broken.end(), '\n'), broken.end());
    EXPECT_EQ(broken, "Cannot keep " + address + " here");
}

// Printing's tiling and job order, the File Information report, what File > Send hands the
// mail client, and what set-up registers and uninstall deletes.
#include <gtest/gtest.h>

#include <set>

#include "services/fileinfo.h"
#include "services/mail.h"
#include "services/print.h"
#include "services/setup.h"

namespace {

// ---- Printing.

TEST(PrintTiling, EveryPageOfEveryPartsChoiceHasItsPlace) {
    for (int parts = 0; parts < kPrintPartsCount; ++parts) {
        const int pages = print_page_count(parts);
        std::set<std::pair<double, double>> seen;
        for (int page = 1; page <= pages; ++page) {
            auto at = print_part_offsets(parts, page);
            ASSERT_TRUE(at) << parts << " page " << page;
            // Pages of one choice never print the same part twice.
            EXPECT_TRUE(seen.insert({at->x, at->y}).second) << parts << " page " << page;
        }
        EXPECT_FALSE(print_part_offsets(parts, pages + 1)) << parts;
        EXPECT_FALSE(print_part_offsets(parts, 0)) << parts;
    }
    EXPECT_EQ(print_page_count(5), 0);
    EXPECT_EQ(print_page_count(-1), 0);
}

TEST(PrintTiling, PagesSplitTheFrameAroundItsCentre) {
    struct Case {
        int parts, page;
        PartOffsets want;
    } cases[] = {
        {0, 1, {1, 0.5, 0.5}},   {1, 1, {1, 1.0, 0.5}},   {1, 2, {1, 0.0, 0.5}},   {2, 1, {1, 0.5, 1.0}},
        {2, 2, {1, 0.5, 0.0}},   {3, 1, {2, 1.0, 1.0}},   {3, 4, {2, 0.0, 0.0}},   {4, 1, {3, 1.5, 1.5}},
        {4, 5, {3, 0.5, 0.5}},   {4, 9, {3, -0.5, -0.5}}, {4, 3, {3, -0.5, 1.5}},
    };
    for (const auto& c : cases) EXPECT_EQ(print_part_offsets(c.parts, c.page), c.want) << c.parts << "/" << c.page;
}

TEST(PrintJobs, CopiesRepeatWholePageRunsInOrder) {
    auto jobs = print_job_sequence(3, 3);  // "2x2", three copies
    ASSERT_EQ(jobs.size(), 12u);
    for (size_t k = 0; k < jobs.size(); ++k) {
        EXPECT_EQ(jobs[k].copy, static_cast<int>(k / 4) + 1);
        EXPECT_EQ(jobs[k].page, static_cast<int>(k % 4) + 1);
        EXPECT_EQ(jobs[k].at.factor, 2);
    }
    EXPECT_EQ(print_job_sequence(2, 4).size(), 18u);
    EXPECT_TRUE(print_job_sequence(0, 0).empty());
    EXPECT_TRUE(print_job_sequence(1, 7).empty());
}

TEST(PrintScale, OnlyWholeNumbersFromOneTo275) {
    struct Case {
        const char* text;
        std::optional<int> want;
    } cases[] = {
        {"1", 1}, {"275", 275}, {" 80 ", 80}, {"080", 80}, {"0", {}}, {"276", {}}, {"300", {}}, {"", {}},
        {"   ", {}}, {"abc", {}}, {"12a", {}}, {"-5", {}}, {"1.5", {}}, {"99999999999", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(print_parse_scale(c.text), c.want) << '"' << c.text << '"';
}

// ---- File information.

TEST(FileInfo, ReleaseLineFromTheFormatVersion) {
    EXPECT_EQ(info_release_line(20110), "Vorn2001 Rel 1.0 Format");
    EXPECT_EQ(info_release_line(0), "Vorn98 or 99 Format");
    EXPECT_EQ(info_release_line(20199), "Vorn2001 Rel 9.9 Format");
    EXPECT_EQ(info_release_line(20023), "Vorn2000 Rel 2.3 Format");
}

TEST(FileInfo, ReportLaysOutDatesCountsAndPictures) {
    InfoFacts f;
    f.name = "c:\\docs\\plan.vrn";
    f.version = 20110;
    f.dated = true;
    f.year = 2001, f.month = 3, f.day = 5, f.hour = 9, f.minute = 7, f.second = 3;
    f.size = 4096;
    f.counts = {12, 7, 2, 1, 0};
    EXPECT_EQ(info_report(f),
              "Filename = c:\\docs\\plan.vrn\nVorn2001 Rel 1.0 Format\nLast Updated = 2001-03-05  09:07:03\n"
              "File Size = 4096 bytes\nNo. of Objects = 12\nNo. of Links = 7\nNo. of Shapes = 2\n"
              "No. of Clusters = 1\nNo. of Points = 0\nLinked Pictures:  None\n");
    f.pictures = {"a.bmp", "pics\\b.jpg"};
    EXPECT_NE(info_report(f).find("Linked Pictures: \n  a.bmp\n  pics\\b.jpg\n"), std::string::npos);
    // A document never saved has no file: no made-up date.
    f.dated = false;
    EXPECT_EQ(info_report(f).find("1980"), std::string::npos);
    EXPECT_NE(info_report(f).find("File Size = 0 bytes"), std::string::npos);
}

TEST(FileInfo, GoalListStartsWithUnknownAndGivesKeysBack) {
    auto lines = info_goal_lines({"beta                17", "Alpha               3", "gamma               250"});
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "<Unknown>           0");
    EXPECT_EQ(lines[1], "Alpha               3");
    EXPECT_EQ(lines[3], "gamma               250");
    struct Case {
        std::string line;
        int32_t key;
    } cases[] = {{lines[0], 0}, {lines[1], 3}, {lines[3], 250}, {"short", 0}, {"", 0},
                 {"an id of exactly 20c", 0}, {"an id of exactly 20c65535", 65535}};
    for (const auto& c : cases) EXPECT_EQ(info_goal_key(c.line), c.key) << c.line;
}

// ---- E-mail.

TEST(Mail, DocumentFirstThenItsFilesInStep) {
    struct Case {
        std::string doc;
        std::vector<std::string> paths, names;
        MailDocuments want;
    } cases[] = {
        {"C:\\Docs\\Plan.VRN", {}, {}, {";", "C:\\Docs\\Plan.VRN", "plan.vrn"}},
        {"c:\\d\\a.vrn",
         {"c:\\d\\p.bmp", "c:\\e\\Q.jpg"},
         {"p.bmp", "Q.jpg"},
         {";", "c:\\d\\a.vrn;c:\\d\\p.bmp;c:\\e\\Q.jpg", "a.vrn;p.bmp;Q.jpg"}},
        // A ';' inside a name would split it: the delimiter changes for both lists.
        {"c:\\x;y\\a.vrn", {"c:\\p.bmp"}, {"p.bmp"}, {"|", "c:\\x;y\\a.vrn|c:\\p.bmp", "a.vrn|p.bmp"}},
        {"c:\\a.vrn", {"c:\\p;1.bmp"}, {"p;1.bmp"}, {"|", "c:\\a.vrn|c:\\p;1.bmp", "a.vrn|p;1.bmp"}},
    };
    for (const auto& c : cases) {
        MailDocuments m = mail_documents(c.doc, c.paths, c.names);
        EXPECT_EQ(m.delimiter, c.want.delimiter) << c.doc;
        EXPECT_EQ(m.paths, c.want.paths) << c.doc;
        EXPECT_EQ(m.names, c.want.names) << c.doc;
    }
}

// ---- Set-up and uninstall.

TEST(Setup, PathsWithBlanksCommasOrParenthesesAreQuoted) {
    struct Case {
        const char* in;
        const char* want;
    } cases[] = {
        {"c:\\vorn\\vorn2001.exe", "c:\\vorn\\vorn2001.exe"},
        {"c:\\program files\\vorn\\vorn2001.exe", "\"c:\\program files\\vorn\\vorn2001.exe\""},
        {"c:\\a,b\\vorn2001.exe", "\"c:\\a,b\\vorn2001.exe\""},
        {"c:\\program files (x86)\\v.exe", "\"c:\\program files (x86)\\v.exe\""},
    };
    for (const auto& c : cases) EXPECT_EQ(setup_quote(c.in), c.want);
}

TEST(Setup, GroupIsMadeEvenWhereTheItemDidNotExist) {
    auto cmds = setup_progman_commands("c:\\program files\\vorn\\vorn2001.exe");
    ASSERT_EQ(cmds.size(), 4u);
    EXPECT_EQ(cmds[0].text, "[CreateGroup(Vorn Group)]");
    EXPECT_EQ(cmds[1].text, "[ShowGroup(Vorn Group,1)]");
    EXPECT_EQ(cmds[2].text, "[DeleteItem(vorn2001)]");
    EXPECT_FALSE(cmds[2].must_succeed);
    EXPECT_EQ(cmds[3].text, "[AddItem(\"c:\\program files\\vorn\\vorn2001.exe\",vorn2001)]");
    EXPECT_TRUE(cmds[3].must_succeed);
    EXPECT_EQ(setup_delete_group_command(), "[DeleteGroup(Vorn Group)]");
}

TEST(Setup, AssociationOpensThroughDdeAndEveryWrittenKeyIsRemoved) {
    auto entries = setup_registry_entries("c:\\vorn\\");
    auto find = [&](const std::string& key, const std::string& value) -> std::string {
        for (const auto& e : entries)
            if (e.key == key && e.value == value) return e.data;
        return "<absent>";
    };
    EXPECT_EQ(find(".vrn", ""), "vornfile");
    EXPECT_EQ(find("vornfile\\shell\\open\\ddeexec", ""), "[open(\"%1\")]");
    EXPECT_EQ(find("vornfile\\shell\\open\\ddeexec\\application", ""), "Vorn");
    EXPECT_EQ(find("vornfile\\shell\\open\\ddeexec\\topic", ""), "System");
    EXPECT_EQ(find("vornfile\\shell\\open\\command", ""), "c:\\vorn\\vorn2001.exe");
    EXPECT_EQ(find("vornfile\\DefaultIcon", ""), "c:\\vorn\\vorn2001.ico");
    EXPECT_EQ(find(kSetupUninstallKey, "UninstallString"), "c:\\vorn\\vorn2001.exe /u");
    EXPECT_EQ(setup_registry_entries("c:\\my apps\\")[6].data, "\"c:\\my apps\\vorn2001.exe\"");
    EXPECT_EQ(setup_registry_entries("c:\\my apps\\")[8].data, "\"c:\\my apps\\vorn2001.exe\" /u");

    auto keys = setup_uninstall_keys("Software\\Quellmark\\Vorn2001\\IniStr");
    std::set<std::string> removed;
    for (size_t k = 0; k < keys.size(); ++k) {
        removed.insert(keys[k].key);
        // A key is deleted only after every key below it (RegDeleteKey refuses a parent).
        for (size_t j = k + 1; j < keys.size(); ++j)
            EXPECT_NE(keys[j].key.rfind(keys[k].key + "\\", 0), 0u) << keys[k].key << " before " << keys[j].key;
    }
    for (const auto& e : entries)
        if (e.key != ".vrn") EXPECT_TRUE(removed.count(e.key)) << e.key;
    EXPECT_FALSE(removed.count(".vrn"));
    EXPECT_TRUE(removed.count("Software\\Quellmark\\Vorn2001"));
}

TEST(Setup, UninstallScriptDeletesOnlyNamedFilesWithQuotedPaths) {
    std::string s = setup_uninstall_script("c:\\program files\\vorn\\", {"vorn2001.exe", "spell.txt", "*.*", "..\\x", ""},
                                           "c:\\temp\\uninstal_vorn2001.bat");
    EXPECT_NE(s.find("del /f /q \"c:\\program files\\vorn\\spell.txt\""), std::string::npos);
    EXPECT_NE(s.find("del /f /q \"c:\\program files\\vorn\\vorn2001.exe\""), std::string::npos);
    EXPECT_NE(s.find("del /f /q \"c:\\temp\\uninstal_vorn2001.bat\""), std::string::npos);
    EXPECT_EQ(s.find('*'), std::string::npos);
    EXPECT_EQ(s.find("..\\x"), std::string::npos);
    EXPECT_EQ(s.find("vorn\\\""), std::string::npos);  // never the bare directory
    // Every line ends in CR LF, so cmd reads the last one too.
    EXPECT_EQ(s.substr(s.size() - 2), "\r\n");
    for (size_t p = s.find('\n'); p != std::string::npos; p = s.find('\n', p + 1)) EXPECT_EQ(s[p - 1], '\r');
}

}  // namespace

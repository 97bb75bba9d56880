#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <set>
#include <string>

#include "bars/doc_tools.h"
#include "bars/ticker_win.h"
#include "ideas/pert.h"
#include "view/view_cmd.h"
#include "win/win_test_util.h"

// The kill test runs this program again as the process it kills.
int save_kill_child(int argc, char** argv);

// The names in the program directory (where the program and its data files are installed).
static std::set<std::string> program_files() {
    std::set<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(wt::program_dir()))
        out.insert(e.path().filename().string());
    return out;
}

// Wine hands back a stale thread handle for a host program; closing one that named the standard
// output silenced every later line of the run while its exit code and report stayed right. The
// test after which the standard output is gone, or names something else, fails the run.
class StdOutputKept : public testing::EmptyTestEventListener {
public:
    StdOutputKept() : out_(GetStdHandle(STD_OUTPUT_HANDLE)), type_(GetFileType(out_)) {}
    void OnTestEnd(const testing::TestInfo& test) override {
        if (lost_ || type_ == FILE_TYPE_UNKNOWN || GetFileType(out_) == type_) return;
        lost_ = true;
        std::fprintf(stderr, "[  FAILED  ] %s.%s closed the standard output\n", test.test_suite_name(), test.name());
    }
    bool lost() const { return lost_; }

private:
    HANDLE out_;
    DWORD type_;
    bool lost_ = false;
};

int main(int argc, char** argv) {
    if (int rc = save_kill_child(argc, argv); rc >= 0) return rc;
    // A test that ends the process still leaves every line written before it.
    setvbuf(stdout, nullptr, _IONBF, 0);
    InitCommonControls();
    // The program's code looks for its data files where the program is, not beside the tests.
    file_set_progdir(wt::program_dir());
    // The hooks between floors that the program installs at start-up, for tests that build
    // only part of it.
    bars_install_document_hooks();
    view_set_chart_hook(pert_chart_level);
    const std::string history = (std::filesystem::temp_directory_path() / "vorn_test_message.txt").string();
    ticker_set_history_file(history);
    SetEnvironmentVariableA("VORN_SETTINGS_KEY", (wt::test_root() + "\\Program\\IniStr").c_str());
    testing::InitGoogleTest(&argc, argv);
    auto* out_kept = new StdOutputKept;  // the listener list owns it
    testing::UnitTest::GetInstance()->listeners().Append(out_kept);
    const std::set<std::string> before = program_files();
    int rc = RUN_ALL_TESTS();
    if (out_kept->lost()) rc = 1;
    // The program the DDE tests start keeps its ticker history beside itself, as it should.
    if (!before.count("message.txt")) DeleteFileA((wt::program_dir() + "message.txt").c_str());
    // Tests write in temporary folders, never beside the program.
    for (const std::string& n : program_files())
        if (!before.count(n)) {
            std::printf("[  FAILED  ] a test left %s in the program directory\n", n.c_str());
            rc = 1;
        }
    DeleteFileA(history.c_str());
    reg_delete_tree(HKEY_CURRENT_USER, wt::test_root());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\Quellmark\\VornTest");  // only when no other run holds keys
    return rc;
}

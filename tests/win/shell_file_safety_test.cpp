// Documents survive a kill in the middle of a save and a full disk.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "app/file_win.h"
#include "base/file.h"
#include "base/file_save.h"
#include "document/doc_util.h"
#include "document/view.h"
#include "document/view_io.h"
#include "resources/ids.h"
#include "win/win_test_util.h"

namespace fs = std::filesystem;

namespace {

using wt::Boxes;
using wt::pump;

std::string doc_text(const char* id) {
    std::string t;
    for (int k = 1; k <= 60; ++k)
        t += "j_(" + std::to_string(k) + ",\"" + id + " " + std::to_string(k) + "\",1," + std::to_string(k * 40) +
             ",0,0,0,161,0,1,0,0,\"\")\r\n";
    return t + "p_(350,20110)\r\n";
}

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

int save_temps(const fs::path& dir) {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir)) n += file_is_save_temp(e.path().filename().string());
    return n;
}

const char kChildFlag[] = "--save-until-killed";

}  // namespace

// The child side of the kill test: saves (or encrypts) its file over and over until it is killed,
// after telling the parent through the event that it has started.
int save_kill_child(int argc, char** argv) {
    if (argc != 5 || std::string(argv[1]) != kChildFlag) return -1;
    const std::string mode = argv[2], target = argv[3];
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[4]);
    const std::string a = doc_text("old"), b = doc_text("new");
    std::string err;
    for (unsigned k = 0;; ++k) {
        if (mode == "save") view_write_replace(target, k % 2 ? a : b, &err);
        else file_crypt_file(target, "secret", &err);
        if (k == 0 && ready) SetEvent(ready);
    }
}

namespace {

// Killed at any moment of a save, the program leaves the document under its name, whole: the
// old content or the new. The temporary files such kills leave go at the next save.
TEST(ShellFileSafety, AKillDuringASaveLeavesTheOldDocumentOrTheNew) {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    const fs::path dir = fs::temp_directory_path() / "vorn_kill_test";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string old_text = doc_text("old"), new_text = doc_text("new");
    std::string crypted = old_text;
    file_crypt(crypted, *file_crypt_key("secret"));

    struct Mode { const char* name; std::string first, second; int kills; } modes[] = {
        {"save", old_text, new_text, 200},
        {"crypt", old_text, crypted, 100},
    };
    const int kParallel = 4;  // children at a time, each on a file of its own
    srand(12345);
    for (const Mode& m : modes) {
        for (int round = 0; round < m.kills / kParallel; ++round) {
            PROCESS_INFORMATION pi[kParallel] = {};
            HANDLE ready[kParallel] = {};
            fs::path target[kParallel];
            for (int c = 0; c < kParallel; ++c) {
                target[c] = dir / ("doc" + std::to_string(c) + ".vrn");
                if (round == 0) std::ofstream(target[c], std::ios::binary) << m.first;
                std::string ev = "vorn_kill_ready_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(c);
                ready[c] = CreateEventA(nullptr, TRUE, FALSE, ev.c_str());
                std::string cmd = "\"" + std::string(exe) + "\" " + kChildFlag + " " + m.name + " \"" +
                                  target[c].string() + "\" " + ev;
                STARTUPINFOA si = {sizeof si};
                ASSERT_TRUE(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi[c]));
            }
            bool started[kParallel] = {};
            for (int c = 0; c < kParallel; ++c) {
                started[c] = WaitForSingleObject(ready[c], 20000) == WAIT_OBJECT_0;
                Sleep(static_cast<DWORD>(rand() % 4));
                TerminateProcess(pi[c].hProcess, 9);
                WaitForSingleObject(pi[c].hProcess, 10000);
                CloseHandle(pi[c].hThread);
                CloseHandle(pi[c].hProcess);
                CloseHandle(ready[c]);
            }
            for (int c = 0; c < kParallel; ++c) {
                ASSERT_TRUE(started[c]) << "the child did not start";
                std::string now = read_file(target[c]);
                ASSERT_TRUE(now == m.first || now == m.second)
                    << m.name << " kill " << round << ": " << (fs::exists(target[c]) ? "damaged" : "missing") << ", "
                    << now.size() << " bytes";
            }
        }
    }
    std::string err;
    ASSERT_TRUE(view_write_replace((dir / "doc0.vrn").string(), new_text, &err)) << err;
    EXPECT_EQ(save_temps(dir), 0);
    fs::remove_all(dir);
}

class ShellFileWindow : public wt::MainWindowTest {
protected:
    ShellFileWindow() : MainWindowTest("vorn_file_safety_test") {}
    void TearDown() override {
        file_save_fail_writes(0);
        MainWindowTest::TearDown();
    }
    void open_doc(const std::string& name, const char* id) {
        std::ofstream(name, std::ios::binary) << doc_text(id);
        ASSERT_EQ(file_open_document(name), 1);
    }
    void command(int id) { SendMessageA(win_, WM_COMMAND, id, 0); }
};

// Ctrl+S on a full disk: the reason is the disk, the file on it stays as it was.
TEST_F(ShellFileWindow, AFullDiskIsReportedAsSuch) {
    std::string a = path("a.vrn");
    open_doc(a, "old");
    command(CMD_SELECT_ALL);
    command(CMD_DELETE);
    ASSERT_TRUE(file_is_changed());
    file_save_fail_writes(ERROR_DISK_FULL, 100);
    command(CMD_SAVE);
    file_save_fail_writes(0);
    char reason[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_DISK_FULL, 0, reason,
                   sizeof reason, nullptr);
    std::string want = reason;
    while (!want.empty() && (want.back() == '\n' || want.back() == '\r' || want.back() == '.')) want.pop_back();
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_EQ(Boxes::errors[0], "Saving " + a + "\n" + want);
    EXPECT_EQ(read_file(a), doc_text("old"));
    EXPECT_TRUE(file_is_changed());
    EXPECT_EQ(save_temps(dir_), 0);
}

// Opening a document when the address space is nearly used up: the message names the file and
// the open document stays. The test takes the free address space itself, so the failure is real.
TEST_F(ShellFileWindow, OutOfMemoryWhileOpeningKeepsTheOpenDocument) {
    std::string a = path("a.vrn"), big = path("big.vrn");
    open_doc(a, "old");
    {
        // About 12 MB: more than the pieces of address space left below can hold together.
        std::ofstream out(big, std::ios::binary);
        const std::string text(200, 'x');
        for (int k = 1; k <= 50000; ++k)
            out << "j_(" << k << ",\"Idea " << k << "\",1," << k % 300 << ",0,3,0,161,20,1,0,0,\"" << text << "\")\r\n";
    }
    int opened = 0;
    {
        wt::AddressSpaceTaken taken;
        opened = file_open_document(big);
    }
    EXPECT_EQ(opened, 0);
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_EQ(Boxes::errors[0], "Loading " + big + "\nThere is not enough memory to open this document");
    EXPECT_EQ(file_lower(file_current_name()), file_lower(a));
    EXPECT_EQ(view_obj_each().size(), 60u);
    // With the memory back the same document opens.
    EXPECT_EQ(file_open_document(big), 1);
    EXPECT_EQ(view_obj_each().size(), 50000u);
}

}  // namespace

#include <windows.h>
#include <ddeml.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/vorn6_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/settings_win.h"
#include "win/win_test_util.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> notes_;
void rec_note(const std::string& t) { notes_.push_back(t); }
int answer_no(const std::string&, const std::string&, bool) { return 2; }

struct FindArgs { DWORD pid; HWND found; };
BOOL CALLBACK list_windows(HWND w, LPARAM lp) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != static_cast<DWORD>(lp)) return TRUE;
    char cls[64] = {}, title[256] = {};
    GetClassNameA(w, cls, sizeof cls);
    GetWindowTextA(w, title, sizeof title);
    std::printf("  window %s \"%s\" visible %d\n", cls, title, IsWindowVisible(w) ? 1 : 0);
    return TRUE;
}

BOOL CALLBACK find_main(HWND w, LPARAM lp) {
    auto* a = reinterpret_cast<FindArgs*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char cls[16] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (pid == a->pid && lstrcmpA(cls, "vorn6") == 0 && IsWindowVisible(w)) {
        a->found = w;
        return FALSE;
    }
    return TRUE;
}

struct BoxSearch { DWORD pid; std::vector<HWND> found; };
BOOL CALLBACK find_box(HWND w, LPARAM lp) {
    auto* b = reinterpret_cast<BoxSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    char cls[16] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (pid == b->pid && lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(w)) b->found.push_back(w);
    return TRUE;
}
std::vector<HWND> process_boxes(DWORD pid) {
    BoxSearch b{pid, {}};
    EnumWindows(find_box, reinterpret_cast<LPARAM>(&b));
    return b.found;
}
BOOL CALLBACK add_text(HWND w, LPARAM lp) {
    char t[512] = {};
    GetWindowTextA(w, t, sizeof t);
    *reinterpret_cast<std::string*>(lp) += std::string(t) + "\n";
    return TRUE;
}
std::string window_texts(HWND w) {
    std::string out;
    EnumChildWindows(w, add_text, reinterpret_cast<LPARAM>(&out));
    return out;
}

HDDEDATA CALLBACK client_cb(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }

std::string window_title(HWND w) {
    char t[512] = {};
    GetWindowTextA(w, t, sizeof t);
    return t;
}

// The program in another process, driven as the Windows shell drives it.
TEST(ShellDde, AnotherProcessOpensDocumentsInTheRunningProgram) {
    fs::path dir = fs::path(wt::program_dir()).parent_path();
    fs::path doc = fs::temp_directory_path() / "vorn_dde_test.vrn";
    std::ofstream(doc, std::ios::binary) << "j_(1,\"Sent by DDE\",0,0,0,0,0,0,0,1,0,0,\"\")\r\np_(350,20110)\r\n";

    std::string cmd = "\"" + (dir / "vorn2001.exe").string() + "\"";
    STARTUPINFOA si = {sizeof si};
    PROCESS_INFORMATION pi = {};
    LARGE_INTEGER f, t0, t1;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t0);
    ASSERT_TRUE(CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.string().c_str(), &si, &pi));
    // A copy left running by a failed assertion would make every later test see a second Vorn.
    struct Reaper {
        PROCESS_INFORMATION pi;
        ~Reaper() {
            if (WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi.hProcess, 1);
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
    } reaper{pi};
    // As the shell does with a program it started: wait until it first waits for input, then
    // connect once. The service must be there by then.
    ASSERT_EQ(WaitForInputIdle(pi.hProcess, 20000), 0u);
    DWORD inst = 0;
    ASSERT_EQ(DdeInitializeA(&inst, client_cb, APPCMD_CLIENTONLY, 0), DMLERR_NO_ERROR);
    HSZ service = DdeCreateStringHandleA(inst, "Vorn", CP_WINANSI);
    HSZ topic = DdeCreateStringHandleA(inst, "System", CP_WINANSI);
    HCONV conv = DdeConnect(inst, service, topic, nullptr);
    ASSERT_NE(conv, nullptr);

    FindArgs fa{pi.dwProcessId, nullptr};
    for (int k = 0; k < 400 && !fa.found; ++k) {
        wt::pump(25);
        EnumWindows(find_main, reinterpret_cast<LPARAM>(&fa));
    }
    QueryPerformanceCounter(&t1);
    if (!fa.found) EnumWindows(list_windows, static_cast<LPARAM>(pi.dwProcessId));
    ASSERT_NE(fa.found, nullptr) << "the program's main window did not appear";
    std::printf("[ info ] process start to visible main window: %.0f ms\n",
                (t1.QuadPart - t0.QuadPart) * 1000.0 / f.QuadPart);

    auto execute = [&](const std::string& text) {
        DWORD result = 0;
        HDDEDATA r = DdeClientTransaction(reinterpret_cast<BYTE*>(const_cast<char*>(text.c_str())),
                                          static_cast<DWORD>(text.size() + 1), conv, nullptr, 0, XTYP_EXECUTE, 5000,
                                          &result);
        return r != nullptr;
    };
    EXPECT_FALSE(execute("[run(\"notepad.exe\")]"));
    EXPECT_FALSE(execute("[open(\"x.vrn\")] [close()]"));
    EXPECT_TRUE(execute("[open(\"" + doc.string() + "\")]"));
    bool opened = false;
    for (int k = 0; k < 200 && !opened; ++k) {
        wt::pump(25);
        opened = window_title(fa.found).find("vorn_dde_test.vrn") != std::string::npos;
    }
    EXPECT_TRUE(opened) << window_title(fa.found);

    // A flood of requests for 700 different missing files: one error box that lists them; the
    // program stays up and keeps its document.
    auto missing = [](int k) {
        return (fs::temp_directory_path() / ("vorn_dde_missing" + std::to_string(k) + ".vrn")).string();
    };
    for (int k = 0; k < 700; ++k) ASSERT_TRUE(execute("[open(\"" + missing(k) + "\")]")) << k;
    std::vector<HWND> boxes;
    for (int k = 0; k < 200 && boxes.empty(); ++k) {
        wt::pump(25);
        boxes = process_boxes(pi.dwProcessId);
    }
    wt::pump(300);
    boxes = process_boxes(pi.dwProcessId);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(window_texts(boxes[0]).find("700 documents could not be opened"), std::string::npos)
        << window_texts(boxes[0]);
    EXPECT_NE(window_texts(boxes[0]).find("Cannot find " + missing(0)), std::string::npos) << window_texts(boxes[0]);
    PostMessageA(boxes[0], WM_COMMAND, IDOK, 0);
    for (int k = 0; k < 40 && !process_boxes(pi.dwProcessId).empty(); ++k) wt::pump(25);
    wt::pump(300);
    EXPECT_TRUE(process_boxes(pi.dwProcessId).empty());
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 0), WAIT_TIMEOUT) << "the program ended";
    EXPECT_NE(window_title(fa.found).find("vorn_dde_test.vrn"), std::string::npos) << window_title(fa.found);
    // A name it would not open is answered as not processed.
    EXPECT_FALSE(execute("[open(\"c:\\setup.exe\")]"));

    DdeDisconnect(conv);
    DdeFreeStringHandle(inst, service);
    DdeFreeStringHandle(inst, topic);
    DdeUninitialize(inst);

    // A second copy notices the first.
    notes_.clear();
    MsgHooks old = msg_set_hooks({rec_note, rec_note, answer_no});
    HWND second = vorn_create_main(GetModuleHandleA(nullptr), "", SW_HIDE);
    ASSERT_NE(second, nullptr);
    // It is told once its window is up.
    for (int k = 0; k < 100 && notes_.empty(); ++k) wt::pump(20);
    ASSERT_FALSE(notes_.empty());
    EXPECT_EQ(notes_[0], "Running more than 1 Vorn");
    SendMessageA(second, WM_CLOSE, 0, 0);
    wt::drain_quit();
    msg_set_hooks(old);

    PostMessageA(fa.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 15000) != WAIT_OBJECT_0) ADD_FAILURE() << "the program did not end on WM_CLOSE";

    // Alone again, a copy does not take its own service for another one; the service it
    // registered still answers.
    notes_.clear();
    msg_set_hooks({rec_note, rec_note, answer_no});
    HWND alone = vorn_create_main(GetModuleHandleA(nullptr), "", SW_HIDE);
    ASSERT_NE(alone, nullptr);
    wt::pump(1500);
    EXPECT_TRUE(notes_.empty()) << notes_[0];
    DWORD probe = 0;
    ASSERT_EQ(DdeInitializeA(&probe, client_cb, APPCMD_CLIENTONLY, 0), DMLERR_NO_ERROR);
    HSZ s2 = DdeCreateStringHandleA(probe, "Vorn", CP_WINANSI), t2 = DdeCreateStringHandleA(probe, "Open", CP_WINANSI);
    HCONV c2 = DdeConnect(probe, s2, t2, nullptr);
    EXPECT_NE(c2, nullptr);
    if (c2) DdeDisconnect(c2);
    DdeFreeStringHandle(probe, s2);
    DdeFreeStringHandle(probe, t2);
    DdeUninitialize(probe);
    SendMessageA(alone, WM_CLOSE, 0, 0);
    wt::drain_quit();
    msg_set_hooks(old);
    // It kept its settings on the tests' key, not on the user's.
    EXPECT_NE(lstrcmpiA(reg_get(HKEY_CURRENT_USER, kSettingsKey, "File1", "").text.c_str(), doc.string().c_str()), 0);
    EXPECT_EQ(lstrcmpiA(reg_get(HKEY_CURRENT_USER, wt::test_root() + "\\Program\\IniStr", "File1", "").text.c_str(),
                        doc.string().c_str()),
              0);
    fs::remove(doc);
}

}  // namespace

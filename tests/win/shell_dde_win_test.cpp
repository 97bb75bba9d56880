#include <windows.h>
#include <dde.h>
#include <ddeml.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
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


// A client that speaks the DDE protocol itself, from a message-only window: what it was answered.
struct RawClient {
    struct Ack {
        HWND server;
        std::string app, topic;
        WORD status;
        UINT_PTR item;
    };
    static inline std::vector<Ack> acks;
    static inline std::vector<HWND> terminated;
    static inline bool initiating = false;
    HWND win = nullptr;

    static std::string atom_text(ATOM a) {
        char buf[256] = {};
        GlobalGetAtomNameA(a, buf, sizeof buf);
        return buf;
    }
    static LRESULT CALLBACK proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_DDE_ACK && initiating) {  // the answer to an initiate, sent while it is sent
            acks.push_back({reinterpret_cast<HWND>(wp), atom_text(LOWORD(lp)), atom_text(HIWORD(lp)), 0, 0});
            GlobalDeleteAtom(LOWORD(lp));
            GlobalDeleteAtom(HIWORD(lp));
            return 0;
        }
        if (msg == WM_DDE_ACK) {
            UINT_PTR lo = 0, hi = 0;
            UnpackDDElParam(WM_DDE_ACK, lp, &lo, &hi);
            FreeDDElParam(WM_DDE_ACK, lp);
            acks.push_back({reinterpret_cast<HWND>(wp), "", "", static_cast<WORD>(lo), hi});
            return 0;
        }
        if (msg == WM_DDE_TERMINATE) {
            terminated.push_back(reinterpret_cast<HWND>(wp));
            return 0;
        }
        return DefWindowProcA(w, msg, wp, lp);
    }
    RawClient() {
        acks.clear();
        terminated.clear();
        WNDCLASSA wc{};
        wc.lpfnWndProc = proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "VornTestDdeClient";
        RegisterClassA(&wc);
        win = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    }
    ~RawClient() { DestroyWindow(win); }
    // Sent to `to` as a client broadcasts it; 0 for a name asks for any.
    void initiate(HWND to, const char* app, const char* topic) {
        ATOM a = app ? GlobalAddAtomA(app) : 0, t = topic ? GlobalAddAtomA(topic) : 0;
        initiating = true;
        SendMessageA(to, WM_DDE_INITIATE, reinterpret_cast<WPARAM>(win), MAKELPARAM(a, t));
        initiating = false;
        if (a) GlobalDeleteAtom(a);
        if (t) GlobalDeleteAtom(t);
    }
    void post_execute(HWND server, const void* text, size_t size) {
        HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
        std::memcpy(GlobalLock(mem), text, size);
        GlobalUnlock(mem);
        PostMessageA(server, WM_DDE_EXECUTE, reinterpret_cast<WPARAM>(win), reinterpret_cast<LPARAM>(mem));
    }
};

class DdeServer : public wt::MainWindowTest {
protected:
    DdeServer() : MainWindowTest("vorn_dde_server") {}
    std::string title() const { return window_title(win_); }
};

// What the service must do itself: answer any-topic initiates once per topic, take a Unicode
// client's command, refuse what it does not serve without ending the conversation, and tell
// its clients when the program closes.
TEST_F(DdeServer, AnswersTheProtocolAndEndsItsConversationsWhenTheProgramCloses) {
    RawClient c;
    ASSERT_NE(c.win, nullptr);
    c.initiate(win_, "Other", nullptr);
    EXPECT_TRUE(RawClient::acks.empty());
    c.initiate(win_, nullptr, nullptr);
    ASSERT_EQ(RawClient::acks.size(), 2u);
    EXPECT_EQ(RawClient::acks[0].app, "Vorn");
    EXPECT_EQ(RawClient::acks[0].topic, "System");
    EXPECT_EQ(RawClient::acks[1].topic, "Open");
    const HWND system = RawClient::acks[0].server, open = RawClient::acks[1].server;
    EXPECT_NE(system, open);

    // A request is refused with its item handed back.
    RawClient::acks.clear();
    ATOM item = GlobalAddAtomA("Topics");
    PostMessageA(system, WM_DDE_REQUEST, reinterpret_cast<WPARAM>(c.win), MAKELPARAM(CF_TEXT, item));
    for (int k = 0; k < 50 && RawClient::acks.empty(); ++k) wt::pump(10);
    ASSERT_EQ(RawClient::acks.size(), 1u);
    EXPECT_EQ(RawClient::acks[0].status & 0x8000, 0);
    EXPECT_EQ(RawClient::acks[0].item, item);
    GlobalDeleteAtom(item);

    // A Unicode client's command opens its document.
    const std::string doc = path("unicode client.vrn");
    std::ofstream(doc, std::ios::binary) << "j_(1,\"Sent in UTF-16\",0,0,0,0,0,0,0,1,0,0,\"\")\r\np_(350,20110)\r\n";
    std::wstring cmd = L"[open(\"" + std::wstring(doc.begin(), doc.end()) + L"\")]";
    RawClient::acks.clear();
    c.post_execute(system, cmd.c_str(), (cmd.size() + 1) * sizeof(wchar_t));
    for (int k = 0; k < 100 && title().find("unicode client.vrn") == std::string::npos; ++k) wt::pump(10);
    EXPECT_NE(title().find("unicode client.vrn"), std::string::npos) << title();
    ASSERT_EQ(RawClient::acks.size(), 1u);
    EXPECT_EQ(RawClient::acks[0].status & 0x8000, 0x8000);
    GlobalFree(reinterpret_cast<HGLOBAL>(RawClient::acks[0].item));  // the commands are the client's
    // An ANSI one's refusal leaves the document as it was.
    const std::string bad = "[run(\"notepad.exe\")]";
    RawClient::acks.clear();
    c.post_execute(open, bad.c_str(), bad.size() + 1);
    for (int k = 0; k < 50 && RawClient::acks.empty(); ++k) wt::pump(10);
    ASSERT_EQ(RawClient::acks.size(), 1u);
    EXPECT_EQ(RawClient::acks[0].status & 0x8000, 0);
    GlobalFree(reinterpret_cast<HGLOBAL>(RawClient::acks[0].item));

    // A conversation the client ends is ended by the server too.
    PostMessageA(open, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(c.win), 0);
    for (int k = 0; k < 50 && RawClient::terminated.empty(); ++k) wt::pump(10);
    ASSERT_EQ(RawClient::terminated.size(), 1u);
    EXPECT_EQ(RawClient::terminated[0], open);
    EXPECT_FALSE(IsWindow(open));
    // Closing the program ends the one left open.
    close_main();
    wt::pump(50);
    ASSERT_EQ(RawClient::terminated.size(), 2u);
    EXPECT_EQ(RawClient::terminated[1], system);
    EXPECT_FALSE(IsWindow(system));
}

}  // namespace

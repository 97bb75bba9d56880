// Programs the program starts: under Wine a host program comes back without a process handle and
// with a stale thread handle, which must not be closed.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/util_win.h"
#include "document/clip.h"
#include "document/globals.h"
#include "document/view.h"
#include "print_unix.h"
#include "resources/ids.h"
#include "view/view_win.h"
#include "win_test_util.h"

using namespace wt;

namespace {

bool clipboard_opens() {
    if (!OpenClipboard(nullptr)) return false;
    CloseClipboard();
    return true;
}

bool handle_open(HANDLE h) {
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != 0;
}

class StartedPrograms : public MainWindowTest {
protected:
    StartedPrograms() : MainWindowTest("vorn-started-programs") {}
};

}  // namespace

TEST(ProcessHandles, AreClosedOnlyWhenTheProcessCameWithThem) {
    // A host program's answer whose stale thread handle names our window station or the standard
    // output, with the low bits set as Wine left them (the plain value Wine refuses to close).
    const HANDLE window_station = GetProcessWindowStation(), out = GetStdHandle(STD_OUTPUT_HANDLE);
    for (HANDLE ours : {window_station, out}) {
        PROCESS_INFORMATION host{};
        host.hThread = reinterpret_cast<HANDLE>(reinterpret_cast<UINT_PTR>(ours) | 2);
        util_close_process(host);
    }
    EXPECT_TRUE(handle_open(window_station));
    EXPECT_TRUE(clipboard_opens());
    if (out) {
        EXPECT_TRUE(handle_open(out));
    }

    char cmd[] = "cmd.exe /c exit 0";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(nullptr, cmd, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi));
    ASSERT_NE(pi.hProcess, nullptr);
    WaitForSingleObject(pi.hProcess, 10000);
    const HANDLE process = pi.hProcess, thread = pi.hThread;
    util_close_process(pi);
    EXPECT_FALSE(handle_open(process));
    EXPECT_FALSE(handle_open(thread));
    EXPECT_EQ(pi.hProcess, nullptr);
}

// An object that runs a host program starts it each time Enter is pressed, without waiting for
// it, and Copy still reaches the clipboard afterwards.
TEST_F(StartedPrograms, AHostProgramRunsAndTheClipboardStillOpens) {
    if (!unix_tool("touch")) GTEST_SKIP() << "no host programs under Wine";
    HostDir host("vorn-started-programs");
    Obj o = view_obj_new("Run it", 0, 0, 1);
    o.action = 8;
    o.ext = "/usr/bin/touch " + host.unix_path + "/ran";
    marked_obj_ = {*view_obj_put(o)};
    for (int run = 0; run < 8; ++run) {
        DeleteFileA(host.dos("ran").c_str());
        SetFocus(view_inst_);
        SendMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
        SendMessageA(GetFocus(), WM_KEYUP, VK_RETURN, 0);
        for (int waited = 0; waited < 100 && GetFileAttributesA(host.dos("ran").c_str()) == INVALID_FILE_ATTRIBUTES; ++waited)
            pump(50);
        ASSERT_NE(GetFileAttributesA(host.dos("ran").c_str()), INVALID_FILE_ATTRIBUTES) << "run " << run;
    }
    EXPECT_TRUE(Boxes::errors.empty()) << Boxes::errors[0];
    EXPECT_TRUE(handle_open(GetProcessWindowStation()));
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    SendMessageA(win_, WM_COMMAND, CMD_COPY, 0);
    pump(50);
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatA(kClipFormatName)));
}

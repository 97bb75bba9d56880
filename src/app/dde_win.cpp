#include "app/dde_win.h"

#include <dde.h>

#include <algorithm>
#include <vector>

#include "app/ddecmd.h"
#include "base/trap_win.h"

namespace {

// The service speaks the DDE protocol itself on the main thread: the main window answers the
// initiate that a client broadcasts to every top-level window, and each conversation gets a
// message-only window of its own. The main window takes those broadcasts anyway, so the service
// costs start-up nothing; DDEML would add a thread with windows, and with them a display
// connection of its own, that a one-CPU machine pays for before the window shows.
HWND main_ = nullptr;
DdeQueue queued_;
std::vector<HWND> convs_;
const char kService[] = "Vorn";
const char* const kTopics[] = {"System", "Open"};
const char kConvClass[] = "VornDdeConv";
const char kCheckClass[] = "VornDdeCheck";
// A command is a few names; anything longer is refused.
constexpr size_t kMaxCommand = 4096;

// The command of a WM_DDE_EXECUTE as ANSI text. A Unicode client sends UTF-16: every command
// starts with an ASCII "[", so its second byte is zero.
std::string command_text(const char* p, size_t size) {
    if (size >= 2 && p[0] && !p[1] && size % 2 == 0) {
        const auto* w = reinterpret_cast<const wchar_t*>(p);
        const int n = static_cast<int>(std::find(w, w + size / 2, L'\0') - w);
        const int len = WideCharToMultiByte(CP_ACP, 0, w, n, nullptr, 0, nullptr, nullptr);
        std::string s(static_cast<size_t>(len), '\0');
        if (len > 0) WideCharToMultiByte(CP_ACP, 0, w, n, s.data(), len, nullptr, nullptr);
        return s;
    }
    return std::string(p, std::find(p, p + size, '\0'));
}

// The status word of the acknowledgement: the names are queued for the main window, which
// opens them one at a time when no box or modal dialog shows.
WORD execute(HGLOBAL mem) {
    const SIZE_T size = mem ? GlobalSize(mem) : 0;
    if (size == 0 || size > 2 * kMaxCommand + 2) return 0;
    const auto* p = static_cast<const char*>(GlobalLock(mem));
    if (!p) return 0;
    const std::string cmd = command_text(p, size);
    GlobalUnlock(mem);
    if (cmd.empty() || cmd.size() >= kMaxCommand) return 0;
    auto names = dde_parse_open(cmd);
    if (!names) return 0;
    // A name the program would not open is refused now, not dropped silently later.
    for (const std::string& n : *names)
        if (!dde_opens(n)) return 0;
    bool all = true;
    for (const std::string& n : *names) all = queued_.push(n) && all;
    if (main_) PostMessageA(main_, WM_VORN_DDE_OPEN, 0, 0);
    return all ? 0x8000 : 0x4000;  // fAck, or fBusy when the queue was full
}

bool post_ack(HWND client, HWND conv, WORD status, UINT_PTR hi) {
    const LPARAM ack = PackDDElParam(WM_DDE_ACK, status, hi);
    if (PostMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(conv), ack)) return true;
    FreeDDElParam(WM_DDE_ACK, ack);
    return false;
}

void forget_conv(HWND conv) { convs_.erase(std::remove(convs_.begin(), convs_.end(), conv), convs_.end()); }

LRESULT CALLBACK conv_proc(HWND conv, UINT msg, WPARAM wp, LPARAM lp) {
    const auto client = reinterpret_cast<HWND>(wp);
    switch (msg) {
    case WM_DDE_EXECUTE: {
        const auto mem = reinterpret_cast<HGLOBAL>(lp);
        // The commands stay the client's; with no client left to free them, they are freed here.
        if (!post_ack(client, conv, execute(mem), reinterpret_cast<UINT_PTR>(mem))) GlobalFree(mem);
        return 0;
    }
    // Nothing is served but commands: requests, advises and pokes are refused, their item
    // handed back in the acknowledgement as the protocol asks.
    case WM_DDE_REQUEST:
    case WM_DDE_UNADVISE: post_ack(client, conv, 0, HIWORD(lp)); return 0;
    case WM_DDE_ADVISE:
    case WM_DDE_POKE: {
        UINT_PTR data = 0, item = 0;
        UnpackDDElParam(msg, lp, &data, &item);
        FreeDDElParam(msg, lp);
        post_ack(client, conv, 0, item);
        return 0;
    }
    case WM_DDE_TERMINATE:
        PostMessageA(client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(conv), 0);
        DestroyWindow(conv);
        return 0;
    case WM_NCDESTROY: forget_conv(conv); break;
    }
    return DefWindowProcA(conv, msg, wp, lp);
}

// A message-only window of class `name` (registered on first use), or null.
HWND message_window(const char* name, WNDPROC proc) {
    const HINSTANCE inst = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    if (!GetClassInfoA(inst, name, &wc)) {
        wc.lpfnWndProc = proc;
        wc.hInstance = inst;
        wc.lpszClassName = name;
        if (!RegisterClassA(&wc)) return nullptr;
    }
    return CreateWindowExA(0, name, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, inst, nullptr);
}

// True for no atom (any name) or an atom naming `name`.
bool atom_names(ATOM a, const char* name) {
    if (!a) return true;
    char buf[256];
    return GlobalGetAtomNameA(a, buf, sizeof buf) && lstrcmpiA(buf, name) == 0;
}

// ---- The other-copy check: any server "Vorn"/"System" outside this process answers it. The
// initiate goes to other processes' top-level windows without waiting on any of them, since a
// window that does not answer must not hold the main window; answers come while the window
// takes its messages, and the check gives up on the rest after a while.
constexpr UINT_PTR kAnswersTimer = 1, kEndTimer = 2;
constexpr UINT kAnswersMs = 1500, kEndMs = 1000;
constexpr UINT kCheckDelayMs = 100;
UINT_PTR check_timer_ = 0;
HWND check_ = nullptr;

struct OtherCopyCheck {
    ATOM app = 0, topic = 0;
    bool done = false;
    int open = 0;  // conversations opened by answers and not yet ended by their server
};

OtherCopyCheck* check_state(HWND win) { return reinterpret_cast<OtherCopyCheck*>(GetWindowLongPtrA(win, GWLP_USERDATA)); }

void drop_names(OtherCopyCheck& c) {
    if (c.app) GlobalDeleteAtom(c.app);
    if (c.topic) GlobalDeleteAtom(c.topic);
    c.app = c.topic = 0;
}

// Stops asking: the note goes out on a first answer, every conversation opened is ended.
void check_finish(HWND win, OtherCopyCheck& c, bool found) {
    if (c.done) return;
    c.done = true;
    KillTimer(win, kAnswersTimer);
    drop_names(c);
    if (found && main_) PostMessageA(main_, WM_VORN_DDE_OTHER, 0, 0);
    if (c.open > 0) SetTimer(win, kEndTimer, kEndMs, nullptr);
    else DestroyWindow(win);
}

LRESULT CALLBACK check_proc(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    OtherCopyCheck* c = check_state(win);
    if (!c) return DefWindowProcA(win, msg, wp, lp);
    switch (msg) {
    case WM_DDE_ACK: {
        // An answer to the initiate: the atoms are the server's, this side frees them.
        GlobalDeleteAtom(LOWORD(lp));
        GlobalDeleteAtom(HIWORD(lp));
        ++c->open;
        PostMessageA(reinterpret_cast<HWND>(wp), WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(win), 0);
        check_finish(win, *c, true);
        return 0;
    }
    case WM_DDE_TERMINATE:
        if (--c->open <= 0 && c->done) DestroyWindow(win);
        return 0;
    case WM_TIMER:
        if (wp == kAnswersTimer) check_finish(win, *c, false);
        else if (wp == kEndTimer) DestroyWindow(win);
        return 0;
    case WM_NCDESTROY:
        drop_names(*c);
        delete c;
        SetWindowLongPtrA(win, GWLP_USERDATA, 0);
        if (check_ == win) check_ = nullptr;
        break;
    }
    return DefWindowProcA(win, msg, wp, lp);
}

BOOL CALLBACK ask_window(HWND w, LPARAM lp) {
    const auto win = reinterpret_cast<HWND>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    OtherCopyCheck* c = check_state(win);
    // This process's own windows would answer for the service this copy offers.
    if (pid != GetCurrentProcessId() && c && !c->done)
        SendNotifyMessageA(w, WM_DDE_INITIATE, reinterpret_cast<WPARAM>(win), MAKELPARAM(c->app, c->topic));
    return TRUE;
}

void CALLBACK start_check(HWND, UINT, UINT_PTR, DWORD) {
    KillTimer(nullptr, check_timer_);
    check_timer_ = 0;
    if (!main_ || check_) return;
    HWND win = message_window(kCheckClass, trap_wnd<check_proc>);
    if (!win) return;
    auto* c = new OtherCopyCheck;
    // The names stay the asker's until the check ends: an answer carries atoms of its own.
    c->app = GlobalAddAtomA(kService);
    c->topic = GlobalAddAtomA(kTopics[0]);
    SetWindowLongPtrA(win, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(c));
    check_ = win;
    SetTimer(win, kAnswersTimer, kAnswersMs, nullptr);
    EnumWindows(ask_window, reinterpret_cast<LPARAM>(win));
}

}  // namespace

void dde_server_start(HWND main) {
    if (!main_) main_ = main;
}

void dde_on_initiate(HWND win, WPARAM wp, LPARAM lp) {
    const auto client = reinterpret_cast<HWND>(wp);
    if (win != main_ || !IsWindow(client) || !atom_names(LOWORD(lp), kService)) return;
    for (const char* topic : kTopics) {
        if (!atom_names(HIWORD(lp), topic)) continue;
        HWND conv = message_window(kConvClass, trap_wnd<conv_proc>);
        if (!conv) return;
        SetWindowLongPtrA(conv, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(client));
        convs_.push_back(conv);
        // The names of the answer are new atoms, which the client frees.
        SendMessageA(client, WM_DDE_ACK, reinterpret_cast<WPARAM>(conv),
                     MAKELPARAM(GlobalAddAtomA(kService), GlobalAddAtomA(topic)));
    }
}

void dde_server_ready() {
    if (main_ && !check_timer_ && !check_) check_timer_ = SetTimer(nullptr, 0, kCheckDelayMs, trap_timer<start_check>);
}

void dde_server_stop() {
    // Each client is told that its conversation ended.
    for (HWND conv : std::vector<HWND>(convs_)) {
        const auto client = reinterpret_cast<HWND>(GetWindowLongPtrA(conv, GWLP_USERDATA));
        PostMessageA(client, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(conv), 0);
        DestroyWindow(conv);
    }
    if (check_timer_) KillTimer(nullptr, check_timer_);
    check_timer_ = 0;
    if (check_) DestroyWindow(check_);
    main_ = nullptr;
}

bool dde_pending() { return !queued_.empty(); }

std::optional<std::string> dde_next_name() { return queued_.pop(); }

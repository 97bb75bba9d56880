#include "app/dde_win.h"

#include <ddeml.h>

#include <mutex>
#include <vector>

#include "app/ddecmd.h"
#include "base/trap_win.h"

namespace {

// The server lives on a thread of its own: registering with DDE takes about as long as painting
// the main window, and the two overlap. DDEML instances belong to their thread, so every DDE call
// of the server is made there; requests reach the main window only through the queue below and
// WM_VORN_DDE_OPEN.
DWORD inst_ = 0;
HSZ service_ = nullptr, topic_system_ = nullptr, topic_open_ = nullptr;
HWND main_ = nullptr;
HANDLE thread_ = nullptr, registered_ = nullptr;
DWORD thread_id_ = 0;
bool started_ = false;
std::mutex queue_lock_;
DdeQueue queued_;
// Posted to the server thread once the main window is up: ask whether another copy runs.
constexpr UINT kCheckOtherCopy = WM_APP + 1;

bool is_our_topic(HSZ topic) {
    return DdeCmpStringHandles(topic, topic_system_) == 0 || DdeCmpStringHandles(topic, topic_open_) == 0;
}

HDDEDATA on_dde(UINT type, HSZ topic, HSZ service, HDDEDATA data) {
    switch (type) {
    case XTYP_CONNECT:
        return reinterpret_cast<HDDEDATA>(
            static_cast<ULONG_PTR>(DdeCmpStringHandles(service, service_) == 0 && is_our_topic(topic)));
    case XTYP_EXECUTE: {
        if (!is_our_topic(topic)) return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
        DWORD size = DdeGetData(data, nullptr, 0, 0);
        if (size == 0 || size > 4096) return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
        std::string cmd(size, '\0');
        DdeGetData(data, reinterpret_cast<BYTE*>(cmd.data()), size, 0);
        auto names = dde_parse_open(cmd);
        if (!names) return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
        // A name the program would not open is refused now, not dropped silently later.
        for (const std::string& n : *names)
            if (!dde_opens(n)) return reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED);
        // Opening may ask questions; that happens in the main window, one name at a time.
        bool all = true;
        {
            std::lock_guard<std::mutex> hold(queue_lock_);
            for (const std::string& n : *names) all = queued_.push(n) && all;
        }
        if (main_) PostMessageA(main_, WM_VORN_DDE_OPEN, 0, 0);
        if (!all) return reinterpret_cast<HDDEDATA>(DDE_FBUSY);
        return reinterpret_cast<HDDEDATA>(DDE_FACK);
    }
    }
    return nullptr;
}

// Called from the system's DDE code, which no exception may cross: a request that cannot be
// taken (memory running out) is refused.
HDDEDATA CALLBACK dde_callback(UINT type, UINT, HCONV, HSZ topic, HSZ service, HDDEDATA data, ULONG_PTR, ULONG_PTR) {
    try {
        return on_dde(type, topic, service, data);
    } catch (...) {
        return type == XTYP_EXECUTE ? reinterpret_cast<HDDEDATA>(DDE_FNOTPROCESSED) : nullptr;
    }
}

bool register_service() {
    if (DdeInitializeA(&inst_, dde_callback, APPCMD_FILTERINITS | CBF_FAIL_SELFCONNECTIONS | CBF_SKIP_ALLNOTIFICATIONS |
                                                 CBF_FAIL_ADVISES | CBF_FAIL_REQUESTS | CBF_FAIL_POKES,
                       0) != DMLERR_NO_ERROR) {
        inst_ = 0;
        return false;
    }
    service_ = DdeCreateStringHandleA(inst_, "Vorn", CP_WINANSI);
    topic_system_ = DdeCreateStringHandleA(inst_, "System", CP_WINANSI);
    topic_open_ = DdeCreateStringHandleA(inst_, "Open", CP_WINANSI);
    return DdeNameService(inst_, service_, nullptr, DNS_REGISTER) != nullptr;
}

void unregister_service() {
    if (!inst_) return;
    DdeNameService(inst_, service_, nullptr, DNS_UNREGISTER);
    DdeFreeStringHandle(inst_, service_);
    DdeFreeStringHandle(inst_, topic_system_);
    DdeFreeStringHandle(inst_, topic_open_);
    DdeUninitialize(inst_);
    inst_ = 0;
    service_ = topic_system_ = topic_open_ = nullptr;
}

// The other-copy check: any DDE server "Vorn"/"System" outside this process answers it. It
// speaks the DDE protocol itself from a message-only window, since DDEML asks each window with no
// time limit, where one window that does not answer would hold the server thread for ever; and
// it passes over this process's own windows, whose service would answer too.
struct OtherCopyCheck {
    DWORD self = GetCurrentProcessId();
    std::vector<HWND> windows;
    std::vector<HWND> servers;  // conversations opened by the answers, to be ended
    int open = 0;               // of those, not yet ended by their server
};

LRESULT CALLBACK check_proc(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    auto* c = reinterpret_cast<OtherCopyCheck*>(GetWindowLongPtrA(win, GWLP_USERDATA));
    if (msg == WM_DDE_ACK && c) {
        // An answer to the initiate: the atoms are the server's, this side frees them.
        GlobalDeleteAtom(LOWORD(lp));
        GlobalDeleteAtom(HIWORD(lp));
        c->servers.push_back(reinterpret_cast<HWND>(wp));
        ++c->open;
        return 0;
    }
    if (msg == WM_DDE_TERMINATE && c) {
        --c->open;
        return 0;
    }
    return DefWindowProcA(win, msg, wp, lp);
}

BOOL CALLBACK list_other_windows(HWND w, LPARAM lp) {
    auto* c = reinterpret_cast<OtherCopyCheck*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid != c->self) c->windows.push_back(w);
    return TRUE;
}

bool other_copy_answers() {
    static const char kClass[] = "VornDdeCheck";
    WNDCLASSA wc{};
    wc.lpfnWndProc = trap_wnd<check_proc>;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);  // fails harmlessly when an earlier check registered it
    HWND win = CreateWindowExA(0, kClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    if (!win) return false;
    OtherCopyCheck c;
    SetWindowLongPtrA(win, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&c));
    EnumWindows(list_other_windows, reinterpret_cast<LPARAM>(&c));
    // The names stay the asker's: an answer carries atoms of its own.
    const ATOM app = GlobalAddAtomA("Vorn"), topic = GlobalAddAtomA("System");
    for (HWND w : c.windows) {
        // A window that does not answer within a second is passed over; a hung one at once.
        DWORD_PTR unused = 0;
        SendMessageTimeoutA(w, WM_DDE_INITIATE, reinterpret_cast<WPARAM>(win), MAKELPARAM(app, topic),
                            SMTO_ABORTIFHUNG, 1000, &unused);
        if (!c.servers.empty()) break;
    }
    GlobalDeleteAtom(app);
    GlobalDeleteAtom(topic);
    const bool found = !c.servers.empty();
    for (HWND s : c.servers) PostMessageA(s, WM_DDE_TERMINATE, reinterpret_cast<WPARAM>(win), 0);
    // Each server ends its side with a terminate of its own; a second is long enough to wait.
    const DWORD until = GetTickCount() + 1000;
    MSG m;
    while (c.open > 0 && static_cast<int>(until - GetTickCount()) > 0) {
        if (!PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        } else if (m.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(m.wParam));  // the program is closing: the loop ends on it
            break;
        } else {
            DispatchMessageA(&m);
        }
    }
    SetWindowLongPtrA(win, GWLP_USERDATA, 0);
    DestroyWindow(win);
    return found;
}

DWORD WINAPI server_thread(void*) {
    MSG m;
    // The queue dde_server_stop posts its quit to. Making it is not waiting for input: a shell
    // that waits until the program is idle to open a document by DDE must find the service.
    PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE | PM_NOYIELD);
    const bool ok = register_service();
    SetEvent(registered_);
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        // Asked after registering, so that two copies starting at once both see each other.
        if (!m.hwnd && m.message == kCheckOtherCopy) {
            if (ok && other_copy_answers() && main_) PostMessageA(main_, WM_VORN_DDE_OTHER, 0, 0);
            continue;
        }
        DispatchMessageA(&m);
    }
    unregister_service();
    return 0;
}

}  // namespace

bool dde_server_start(HWND main) {
    if (thread_) return started_;
    main_ = main;
    registered_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, server_thread, nullptr, 0, &thread_id_);
    started_ = thread_ != nullptr;
    return started_;
}

bool dde_server_wait() {
    if (!started_) return false;
    WaitForSingleObject(registered_, 10000);
    // The window is up: the note about another copy can come now without slowing its showing.
    PostThreadMessageA(thread_id_, kCheckOtherCopy, 0, 0);
    return inst_ != 0;
}

void dde_server_stop() {
    if (!thread_) return;
    // A thread that never got to its message loop still ends: the quit waits in its queue.
    while (!PostThreadMessageA(thread_id_, WM_QUIT, 0, 0) && WaitForSingleObject(thread_, 10) == WAIT_TIMEOUT) {}
    // A check still waiting on a slow window must not keep the program from closing: the
    // thread ends on its own later.
    WaitForSingleObject(thread_, 3000);
    for (HANDLE* h : {&thread_, &registered_}) {
        CloseHandle(*h);
        *h = nullptr;
    }
    started_ = false;
    main_ = nullptr;
}

bool dde_pending() {
    std::lock_guard<std::mutex> hold(queue_lock_);
    return !queued_.empty();
}

std::optional<std::string> dde_next_name() {
    std::lock_guard<std::mutex> hold(queue_lock_);
    return queued_.pop();
}

#include "app/dde_win.h"

#include <ddeml.h>

#include <mutex>

#include "app/ddecmd.h"

namespace {

// The server lives on a thread of its own: registering with DDE takes about as long as painting
// the main window, and the two now overlap. DDEML instances belong to their thread, so every
// DDE call of the server is made there.
DWORD inst_ = 0;
HSZ service_ = nullptr, topic_system_ = nullptr, topic_open_ = nullptr;
HWND main_ = nullptr;
HANDLE thread_ = nullptr, registered_ = nullptr;
DWORD thread_id_ = 0;
bool started_ = false;
std::mutex queue_lock_;
DdeQueue queued_;

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

bool other_copy_answers() {
    HCONV c = DdeConnect(inst_, service_, topic_system_, nullptr);
    if (!c) return false;
    DdeDisconnect(c);
    return true;
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

DWORD WINAPI server_thread(void*) {
    MSG m;
    // The queue dde_server_stop posts its quit to. Making it is not waiting for input: a shell
    // that waits until the program is idle to open a document by DDE must find the service.
    PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE | PM_NOYIELD);
    const bool ok = register_service();
    SetEvent(registered_);
    // Asked after registering, so that two copies starting at once both see each other; asking
    // every window takes longer than showing the main window, which does not wait for it.
    if (ok && other_copy_answers() && main_) PostMessageA(main_, WM_VORN_DDE_OTHER, 0, 0);
    while (GetMessageA(&m, nullptr, 0, 0) > 0) DispatchMessageA(&m);
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
    return inst_ != 0;
}

void dde_server_stop() {
    if (!thread_) return;
    // A thread that never got to its message loop still ends: the quit waits in its queue.
    while (!PostThreadMessageA(thread_id_, WM_QUIT, 0, 0) && WaitForSingleObject(thread_, 10) == WAIT_TIMEOUT) {}
    // Asking whether another copy runs waits on every top-level window; one that does not
    // answer must not keep the program from closing. The thread ends on its own later.
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

#include "app/dde_win.h"

#include <ddeml.h>

#include "app/ddecmd.h"

namespace {

DWORD inst_ = 0;
HSZ service_ = nullptr, topic_system_ = nullptr, topic_open_ = nullptr;
HWND main_ = nullptr;
DdeQueue queued_;

bool is_our_topic(HSZ topic) {
    return DdeCmpStringHandles(topic, topic_system_) == 0 || DdeCmpStringHandles(topic, topic_open_) == 0;
}

HDDEDATA CALLBACK dde_callback(UINT type, UINT, HCONV, HSZ topic, HSZ service, HDDEDATA data, ULONG_PTR, ULONG_PTR) {
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
        // Opening may ask questions; that happens outside this callback, one name at a time.
        bool all = true;
        for (const std::string& n : *names) all = queued_.push(n) && all;
        if (main_) PostMessageA(main_, WM_VORN_DDE_OPEN, 0, 0);
        if (!all) return reinterpret_cast<HDDEDATA>(DDE_FBUSY);
        return reinterpret_cast<HDDEDATA>(DDE_FACK);
    }
    }
    return nullptr;
}

}  // namespace

bool dde_server_start(HWND main) {
    if (inst_) return true;
    main_ = main;
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

bool dde_other_instance_running() {
    if (!inst_) return false;
    HCONV c = DdeConnect(inst_, service_, topic_system_, nullptr);
    if (!c) return false;
    DdeDisconnect(c);
    return true;
}

void dde_server_stop() {
    if (!inst_) return;
    DdeNameService(inst_, service_, nullptr, DNS_UNREGISTER);
    DdeFreeStringHandle(inst_, service_);
    DdeFreeStringHandle(inst_, topic_system_);
    DdeFreeStringHandle(inst_, topic_open_);
    DdeUninitialize(inst_);
    inst_ = 0;
    service_ = topic_system_ = topic_open_ = nullptr;
    main_ = nullptr;
}

bool dde_pending() { return !queued_.empty(); }
std::optional<std::string> dde_next_name() { return queued_.pop(); }

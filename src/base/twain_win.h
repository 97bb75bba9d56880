// The few TWAIN protocol structures and codes the picture layer and the test source use.
#pragma once

#include <windows.h>

#include <cstdint>

#pragma pack(push, 2)
struct TwVersion {
    uint16_t major, minor, language, country;
    char info[34];
};
struct TwIdentity {
    uint32_t id;
    TwVersion version;
    uint16_t protocol_major, protocol_minor;
    uint32_t groups;
    char manufacturer[34], family[34], product[34];
};
struct TwUserInterface {
    uint16_t show_ui, modal_ui;
    HWND parent;
};
struct TwEvent {
    void* event;
    uint16_t message;
};
struct TwPendingXfers {
    uint16_t count;
    uint32_t reserved;
};
#pragma pack(pop)

enum : uint32_t { kTwDgControl = 1, kTwDgImage = 2 };
enum : uint16_t {
    kTwDatEvent = 2, kTwDatIdentity = 3, kTwDatParent = 4, kTwDatPendingXfers = 5, kTwDatUserInterface = 9,
    kTwDatImageNativeXfer = 0x0104,
};
enum : uint16_t {
    kTwMsgGet = 1, kTwMsgGetDefault = 3, kTwMsgGetFirst = 4, kTwMsgReset = 7,
    kTwMsgXferReady = 0x0101, kTwMsgCloseDsReq = 0x0102, kTwMsgCloseDsOk = 0x0103,
    kTwMsgOpenDsm = 0x0301, kTwMsgCloseDsm = 0x0302,
    kTwMsgOpenDs = 0x0401, kTwMsgCloseDs = 0x0402, kTwMsgUserSelect = 0x0403,
    kTwMsgDisableDs = 0x0501, kTwMsgEnableDs = 0x0502, kTwMsgProcessEvent = 0x0601, kTwMsgEndXfer = 0x0701,
};
enum : uint16_t {
    kTwrcSuccess = 0, kTwrcFailure = 1, kTwrcCancel = 3, kTwrcDsEvent = 4, kTwrcNotDsEvent = 5,
    kTwrcXferDone = 6, kTwrcEndOfList = 7,
};

using DsmEntryFn = uint16_t(WINAPI*)(TwIdentity* origin, TwIdentity* dest, uint32_t dg, uint16_t dat, uint16_t msg,
                                     void* data);

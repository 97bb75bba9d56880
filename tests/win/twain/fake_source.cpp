// A TWAIN data source for the tests only: it names itself "Vorn Test Source" and, once enabled,
// delivers one generated 40 x 30 picture through the application's message loop.
#include <windows.h>

#include <cstring>

#include "base/twain_win.h"

namespace {

bool ready_ = false;

HGLOBAL generated_picture() {
    const int w = 40, h = 30, stride = (w * 3 + 3) & ~3;
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(BITMAPINFOHEADER) + size_t(stride) * h);
    if (!mem) return nullptr;
    auto* p = static_cast<uint8_t*>(GlobalLock(mem));
    BITMAPINFOHEADER bi{sizeof bi, w, h, 1, 24, BI_RGB, DWORD(stride * h), 0, 0, 0, 0};
    std::memcpy(p, &bi, sizeof bi);
    // Bottom-up rows: the top half orange, the bottom half teal.
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* px = p + sizeof bi + size_t(y) * stride + size_t(x) * 3;
            const bool top = y >= h / 2;
            px[0] = top ? 0x20 : 0x80, px[1] = top ? 0x80 : 0x80, px[2] = top ? 0xF0 : 0x00;
        }
    GlobalUnlock(mem);
    return mem;
}

}  // namespace

extern "C" __declspec(dllexport) uint16_t WINAPI DS_Entry(TwIdentity* origin, uint32_t dg, uint16_t dat, uint16_t msg,
                                                          void* data) {
    if (dg == kTwDgControl && dat == kTwDatIdentity) {
        if (msg == kTwMsgGet) {
            auto* id = static_cast<TwIdentity*>(data);
            id->version.major = 1;
            lstrcpynA(id->version.info, "1.0", sizeof id->version.info);
            id->protocol_major = 1;
            id->protocol_minor = 9;
            id->groups = kTwDgControl | kTwDgImage;
            lstrcpynA(id->manufacturer, "Quellmark", sizeof id->manufacturer);
            lstrcpynA(id->family, "Tests", sizeof id->family);
            lstrcpynA(id->product, "Vorn Test Source", sizeof id->product);
            return kTwrcSuccess;
        }
        if (msg == kTwMsgOpenDs || msg == kTwMsgCloseDs) return kTwrcSuccess;
    }
    if (dg == kTwDgControl && dat == kTwDatUserInterface) {
        if (msg == kTwMsgEnableDs) {
            ready_ = true;
            // Something must come through the loop for the picture to be announced.
            PostMessageA(static_cast<TwUserInterface*>(data)->parent, WM_NULL, 0, 0);
            return kTwrcSuccess;
        }
        if (msg == kTwMsgDisableDs) {
            ready_ = false;
            return kTwrcSuccess;
        }
    }
    if (dg == kTwDgControl && dat == kTwDatEvent && msg == kTwMsgProcessEvent) {
        auto* ev = static_cast<TwEvent*>(data);
        if (ready_) {
            ready_ = false;
            ev->message = kTwMsgXferReady;
            return kTwrcDsEvent;
        }
        ev->message = 0;
        return kTwrcNotDsEvent;
    }
    if (dg == kTwDgImage && dat == kTwDatImageNativeXfer && msg == kTwMsgGet) {
        *static_cast<HGLOBAL*>(data) = generated_picture();
        return kTwrcXferDone;
    }
    if (dg == kTwDgControl && dat == kTwDatPendingXfers) {
        static_cast<TwPendingXfers*>(data)->count = 0;
        return kTwrcSuccess;
    }
    return kTwrcFailure;
}

#include "bars/repeat_win.h"

#include "bars/status.h"

namespace {

// False when the program is quitting or the window has gone.
bool pump(HWND win) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(m.wParam));
            return false;
        }
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return IsWindow(win) != FALSE;
}

}  // namespace

void hold_repeat(HWND win, const bool& held, const std::function<bool()>& step) {
    RepeatDelay delay;
    auto holding = [&] { return held && GetCapture() == win; };
    bool first = true;
    while (held && IsWindow(win)) {
        if (!pump(win)) return;
        // A click released before the first step still runs it once.
        if (!first && !holding()) return;
        first = false;
        if (!step()) return;
        if (!pump(win) || !holding()) return;
        Sleep(delay.next());
    }
}

#include "shell/vorn6_win.h"

#include "resources/ids.h"

namespace {
const char kClass[] = "vorn6";
const char kTitle[] = "Vorn Idea Processor";
}  // namespace

LRESULT CALLBACK task_win_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcA(win, msg, wp, lp);
}

int vorn_main(HINSTANCE inst, const char* cmd_line, int show) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = task_win_eh;
    wc.hInstance = inst;
    wc.hIcon = LoadIconA(inst, MAKEINTRESOURCEA(IDI_MAIN));
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
    wc.lpszMenuName = MAKEINTRESOURCEA(IDM_MAIN);
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);
    HWND win = CreateWindowA(kClass, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 800, 600,
                             nullptr, nullptr, inst, nullptr);
    ShowWindow(win, show);
    HACCEL acc = LoadAcceleratorsA(inst, MAKEINTRESOURCEA(IDA_MAIN));
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        if (!TranslateAcceleratorA(win, acc, &m)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
    }
    return static_cast<int>(m.wParam);
}

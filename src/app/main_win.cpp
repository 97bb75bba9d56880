#include <windows.h>

#include "app/vorn6_win.h"

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR cmd_line, int show) {
    return vorn_main(inst, cmd_line, show);
}

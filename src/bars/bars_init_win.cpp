#include "shell/wiring_win.h"

void bars_init() {}
void bars_create_status(HWND) {}
void bars_create_toolbar(HWND) {}
void bars_create_toolbox(HWND) {}
void bars_layout(HWND) {}

// The About window: the program's picture, release and build date, and a button to close it.
#pragma once

#include <windows.h>

HWND about_window(HWND parent);

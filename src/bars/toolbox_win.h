// The floating toolbox window "Shapebar" over the diagram window.
#pragma once

#include <windows.h>

// Opens the toolbox on `parent` (the diagram window) at its remembered place.
HWND toolbox_onoff(HWND parent);
// Menu command Toolbox On/Off: flips the check mark; checked opens the toolbox, unchecked
// closes it.
void toolbox_menu_cmd();
// After the diagram window's size changed: the toolbox stands wholly inside it again, its
// remembered place unchanged.
void toolbox_keep_visible();
LRESULT CALLBACK win_shapebar_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);

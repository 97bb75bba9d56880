// The toolbar window "Toolbar": command buttons, the colour strip and the current-colour swatch.
#pragma once

#include <windows.h>

#include <vector>

// Loads the user layouts from the settings store, then creates the toolbar window.
HWND tbar_create(HWND parent);
int tbar_get_style();
void tbar_set_style(int no);
// Shows these buttons without changing the layout (the Toolbar Editor's preview).
void tbar_show_buttons(const std::vector<int>& buttons);
// 10983 on left, 10984 on top, 10985 none.
void tbar_set_orientation(int command);
// 10988 palette 1, 10989 palette 2.
void tbar_palette_cmd(int command);
void tbar_place();
// Brings the buttons' enabled look in line with the commands' state.
void tbar_refresh();
// User command to the toolbar: 11 with 0 takes the current colour from the document (setting
// 310), 11 with 1 inverts the palette.
void tbar_user_cmd(int code, int param);
LRESULT CALLBACK win_toolbar_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);

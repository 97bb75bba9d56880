// The window side of the font slots: descriptions as platform fonts, and the Font dialog
// (main-menu command 10976).
#pragma once

#include <windows.h>

#include "elements/font.h"

LOGFONTA font_logfont(const FontDesc& d);
FontDesc font_from_logfont(const LOGFONTA& lf);
// A new platform font of a slot (mode as text_font); the caller deletes it.
HFONT font_create(int slot, int mode);

// Opens the Font dialog; nothing happens while the insert-text dialog 10397 is open.
void font_dialog(HWND parent);
INT_PTR CALLBACK dlg_font_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);

// The standard font dialog behind "Change...": true with the chosen font. Tests replace it.
using FontChooser = bool (*)(HWND owner, LOGFONTA* lf);
void font_set_chooser(FontChooser chooser);
// Gives dialog control `id` the hypertext font.
void dlg_text_font(HWND win, int id);

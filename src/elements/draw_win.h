// The window side of the drawing helpers: conversions through the view window's mapping, the
// opening animation in the main window and the print-preview frame on the view.
#pragma once

#include <windows.h>

#include <optional>

#include "elements/draw.h"

// The view installs the routine that gives a DC of its window the diagram mapping; without it
// the view's DC is used as it comes.
void draw_set_view_mapping(void (*apply)(HDC));

// Diagram units <-> device pixels of the view window; nullopt when there is no view window.
std::optional<Pt> draw_lp_to_dp_x(Pt p);
std::optional<Pt> draw_dp_to_lp_x(Pt p);
std::optional<Rc> draw_lp_to_dp_rect(const Rc& r);

// A frame travelling between a point (device units) and a window rectangle of the main window:
// direction 1 opens (grows toward r), 0 closes.
void draw_open_effect(Pt p, const Rc& r, int direction);

struct PreviewMapping {
    Rc frame;
    int parts_x = 1, parts_y = 1;
};
// The printed page frame drawn on the view while the Print dialog is open (mode 1). dc carries
// the view's mapping; the frame comes back in diagram units.
PreviewMapping draw_preview_mapping(HDC dc, int mode);
// The printing service installs the page size of the printer it will print on (its own
// orientation); without it the default printer's default page is used.
void draw_set_printer_page_hook(bool (*page)(int& px, int& py));
// That page size in the printer's pixels; false without a printer.
bool draw_printer_page(int& px, int& py);

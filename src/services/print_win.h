// PRINT, Win32 side: the modeless Print dialog with its page preview, and the print jobs on
// the default printer through a private copy of its settings (the system's default printer
// and its orientation are never changed).
#pragma once

#include <windows.h>

#include <string>

// File > Print: opens the Print dialog (nothing when it or the Zoom dialog is open).
void print_command(HWND parent);
// Prints `copies` copies of the diagram tiled as Parts index `parts`, every page a job of its
// own, titled with the current document's name. An error of the printer ends the run at that
// page (the job is aborted, so the next print works) and is raised as VornError 6181-6184.
void print_job(int copies, int parts);

// The private printer settings: orientation 0 portrait, 1 landscape; the page size in the
// printer's pixels (false when there is no printer).
void print_set_orientation(int orientation);
int print_orientation();
bool print_page_size(int& w, int& h);
// The printable area (w x h) within the whole sheet (phys_w x phys_h, its top left margin
// off_x, off_y), in the printer's pixels; false when there is no printer.
struct PrintPageLayout {
    int w = 0, h = 0, phys_w = 0, phys_h = 0, off_x = 0, off_y = 0;
};
bool print_page_layout(PrintPageLayout& out);

// Registers File > Print and the preview's page size.
void print_register();

// The dialogs of plotted points: Plot Points, Clear Points, Point Properties.
#pragma once

#include <windows.h>

// What the point dialogs need from the floors above, installed at start-up.
struct PointHooks {
    int (*current_level)() = nullptr;    // the level the view shows (1 when unset)
    void (*help_context)(int n) = nullptr;
};
void point_set_hooks(const PointHooks& hooks);

void point_plot(HWND parent);
void point_clear(HWND parent);
// Point Properties of the point at (x, y) on the current level; false when there is none.
bool point_properties(HWND parent, int x, int y);

INT_PTR CALLBACK dlg_plot_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK dlg_clear_points_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK dlg_point_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);

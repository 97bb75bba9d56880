// The Shape menu and the shape dialogs: Shape Properties, Shape Defaults, Clone a Shape.
#pragma once

#include <windows.h>

// Runs a Shape menu command; false for ids the menu does not have.
bool shape_menu(int id);
// Shape Properties for the first marked shape; false when none is marked or it cannot be shown.
bool shape_properties();
void shape_defaults(HWND parent);
void shape_clone(HWND parent);

INT_PTR CALLBACK dlg_shape_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK dlg_shape_defaults_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);
INT_PTR CALLBACK dlg_clone_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp);

// Ctrl+click opens these: a shape by key a; a point by its coordinates.
void shape_props_dialog(HWND parent, int a, int b);
void point_props_dialog(HWND parent, int x, int y);

// Registers the Shape menu's commands and the pop-up items of shapes and points.
void shapes_init();

// Owner-drawn colour lists: one swatch per palette entry.
void shape_colour_list_fill(HWND win, int id, int selected);
bool shape_colour_list_draw(const DRAWITEMSTRUCT* d);

// GBROWS: the Picture Browser, Capture Picture and the picture commands of the main menu.
#pragma once

#include <windows.h>

#include <string>

// The remembered picture file; false when there is none.
bool gbrows_default_file(std::string* file);
void gbrows_set_default_file(const std::string& file);

struct BrowseResult {
    std::string file;  // lower-cased full path; empty after Cancel
    int code = 0;      // 1 after Insert, 0 after Copy, Paste or Cancel
};
// Runs the Picture Browser modally, starting in `start_dir` with pattern "*" + filter.
BrowseResult gbrows_browse(HWND owner, const std::string& filter, const std::string& start_dir);

// Capture Picture: the dialog, and its steps for the HTML export and the tests.
void gbrows_capture_dialog(HWND parent);
// 10011 the whole diagram window, 10012 the marked region; null (after a note) without one.
HGLOBAL gbrows_capture_grab(int source);
HGLOBAL gbrows_capture_adjust(int r, bool gray, bool shadow, int b, int c, HGLOBAL pic);
// Delivers the picture (stays the caller's); false when nothing could be delivered.
bool gbrows_capture_store(int dest, const std::string& name, HGLOBAL pic);

// Registers Insert Picture, Acquire, Select Source and Capture Picture, and the browser hook of
// the object and background dialogs (services_init).
void pict_services_register();

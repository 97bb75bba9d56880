// Icon numbers to bitmaps: built-in icons from the program's bitmap resources, user icons from
// "icon" + N + ".bmp" in the program directory, and the fallback bitmap for anything else.
#pragma once

#include <memory>
#include <string>

#include "elements/icon.h"

// Never null: a number that cannot be loaded gives the fallback bitmap. A user icon file that
// is missing or broken is reported once per path and run, after the paint that met it.
std::shared_ptr<const Dib> icon_bitmap(int number);
// A user icon file read as a DIB, or null with the system's error code (files over 64 MB are
// not read). The painter and the Icon Browser take the same files.
std::shared_ptr<const Dib> icon_file_dib(const std::string& path, unsigned long& err);
// A bitmap resource of the program as a DIB, or null.
std::shared_ptr<const Dib> icon_resource_dib(int resource_id);
// Forgets loaded user icons (after the Icon Browser created, changed or deleted one).
void icon_cache_clear();

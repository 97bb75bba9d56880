// Pictures as the windowing layer keeps them: a movable global memory block holding a packed
// device-independent bitmap. Whoever receives one owns it and frees it with GlobalFree. Every
// failure raises a VornError with a code of base/pict.h.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "base/canvas.h"
#include "base/pict.h"

// Starts the platform's imaging library on first need (never for BMP or PCX alone).
void pict_library_reset();
bool pict_library_started();

HGLOBAL pict_from_dib(const std::vector<uint8_t>& dib);
// The packed bitmap of a picture, exactly as long as its header says.
std::vector<uint8_t> pict_dib(HGLOBAL pic);

HGLOBAL pict_load(const std::string& file);
// Writes in the format of the name's extension; the old file stays until the new one is whole.
void pict_save(HGLOBAL pic, const std::string& file);
// A new picture; the source stays the caller's.
HGLOBAL pict_transform(HGLOBAL src, const std::vector<PictOp>& ops);

// For painters: the picture of a file as a Dib, or nullopt with the error code in `err` and,
// when given, the error's text (the file, with the size of one too large) in `what`.
std::optional<Dib> pict_load_dib(const std::string& file, unsigned long& err, std::string* what = nullptr);

// Scanner sources through the TWAIN source manager.
bool twain_is_available();
// True when a source was chosen; false when the user cancelled; raises on failures.
bool twain_select_source(HWND owner);
HGLOBAL twain_acquire(HWND owner);

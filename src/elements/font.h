// FONT: the document's five font slots (object, alternate object, link label, hypertext, drop
// text). Face, size, weight, italic and underline of each slot are document settings; this
// module turns them into font descriptions for every painter and text window. Portable; the
// Font dialog is in font_win.cpp.
//
// Painters: `font_to_canvas(text_font(slot, 4))` on the view (its drawing scale), mode 1 for
// windows that show text at its own size. The view calls `font_init_defaults` for a new or
// opened document.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/canvas.h"

enum FontSlot : int { kFontObject = 0, kFontObjectAlt = 1, kFontLinkLabel = 2, kFontHypertext = 3, kFontDropText = 4 };
constexpr int kFontSlots = 5;

// The platform's font description in its own layout (face at most 31 characters + NUL).
struct FontDesc {
    int32_t height = 0, width = 0, escapement = 0, orientation = 0, weight = 400;
    uint8_t italic = 0, underline = 0, strikeout = 0, charset = 1;
    uint8_t out_precision = 0, clip_precision = 0x12, quality = 0, pitch_family = 0;
    std::array<char, 32> face{};
    std::string face_name() const;
    bool operator==(const FontDesc&) const = default;
};

struct FontParas {
    int slot;
    const char* row;      // the Font dialog's row label
    int face_setting;     // text setting of the face name
    int first_setting;    // size - 10, weight - 400, italic, underline
};
std::span<const FontParas> font_paras();

// -round(points x 1.34)
int font_height(int points);
// A description from a slot's four settings and face; the face is cut to 31 characters.
FontDesc font_make_desc(std::string_view face, int points, int weight, int italic, int underline);

// The slot's description (built from the settings when there is none); mode 1 as stored, any
// other mode with the height multiplied by 4. Slots outside 0..4 give slot 0.
FontDesc text_font(int slot, int mode);
void font_init_defaults();
std::optional<FontDesc> font_lookup(int slot);
void font_ensure(int slot);
// Replaces one slot's description (the Font dialog's OK).
void font_store(int slot, const FontDesc& d);

Font font_to_canvas(const FontDesc& d);

// Points of a description's height at `dpi` pixels per inch, rounded.
int font_points(const FontDesc& d, int dpi);
// A Font dialog row: the face and point size, "Arial 10pt".
std::string font_row_text(const FontDesc& d, int dpi);

// A font chosen with "Change..." and not yet applied.
struct FontChoice {
    int slot = 0;
    FontDesc desc;
};
// The Font dialog's OK: chosen fonts into the slots' settings, the three underline boxes
// (slots 0, 1, 2) into 55, 65 and 95, the document marked changed, all slots rebuilt.
void font_apply(const std::vector<FontChoice>& chosen, const bool underline[3], int dpi);
// The underline boxes as the dialog shows them (stored values above 1 show checked).
std::array<bool, 3> font_underline_checks();

#include "base/palette.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr std::array<Colour, 32> kDefaultPalette = {
    0x000000, 0x800000, 0xff0000, 0x008000, 0x0000ff, 0x000080, 0xff0080, 0xff00ff,
    0x808000, 0x008080, 0x808080, 0xc0c0c0, 0x00ff00, 0xffff00, 0x00ffff, 0xffffff,
    0x3f3f3f, 0xa00050, 0x805f00, 0x3f3f00, 0x4040ff, 0x0000a0, 0xff7f00, 0x7f00ff,
    0xff7f7f, 0x003f7f, 0x3ac2c2, 0x3f7fff, 0x00ff80, 0xffff7f, 0x7fff00, 0x7fffff,
};

struct PaletteState {
    std::array<Colour, 32> color_ = kDefaultPalette;
    int current = 2;  // color0_: the colour itself is always read from the palette
    bool inverted = false;
    int half = 1;
};

PaletteState& pal() {
    static PaletteState p;
    return p;
}

}  // namespace

std::optional<Colour> tbar_color(int index) {
    if (index < 0 || index > 31) return std::nullopt;
    return pal().color_[index];
}

Colour tbar_color_or(int index, Colour fallback) { return tbar_color(index).value_or(fallback); }

IndexColour tbar_current_color() { return {pal().current, pal().color_[pal().current]}; }

bool tbar_set_current_color(int index) {
    if (index < 0 || index > 31) return false;
    pal().current = index;
    return true;
}

Colour tbar_text_color(int flag, int index) {
    bool dark = index < 11 || (index >= 16 && index <= 25);
    return pal().color_[flag == 0 && dark ? 15 : 0];
}

namespace {

// Relative luminance of a colour, 0 (black) to 1 (white), with the screen's gamma undone.
double luminance(Colour x) {
    auto lin = [](unsigned v) {
        double c = v / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * lin(x & 0xFF) + 0.7152 * lin((x >> 8) & 0xFF) + 0.0722 * lin((x >> 16) & 0xFF);
}

}  // namespace

double tbar_contrast(Colour a, Colour b) {
    double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

int tbar_visible_on(int index, int background) {
    auto c = tbar_color(index), bg = tbar_color(background);
    if (!c || !bg || tbar_contrast(*c, *bg) >= kTbarMinContrast) return index;
    // Black or white, whichever stands out more (the palette may be inverted).
    const int black = 0, white = 15;
    return tbar_contrast(*tbar_color(black), *bg) >= tbar_contrast(*tbar_color(white), *bg) ? black : white;
}

void tbar_invert_palette() {
    for (Colour& c : pal().color_) c = ~c & 0xffffff;
    pal().inverted = !pal().inverted;
}

bool tbar_palette_inverted() { return pal().inverted; }

void tbar_palette_reset() { pal() = PaletteState{}; }

int tbar_palette_half() { return pal().half; }
void tbar_set_palette_half(int half) { pal().half = half == 2 ? 2 : 1; }

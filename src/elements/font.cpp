#include "elements/font.h"

#include <cmath>
#include <cstdio>

#include "document/view.h"

namespace {

const FontParas kParas[kFontSlots] = {
    {kFontObject, "Object", 2, 52},
    {kFontObjectAlt, "Object (Alt)", 12, 62},
    {kFontLinkLabel, "Link label", 14, 92},
    {kFontHypertext, "Hypertext", 13, 80},
    {kFontDropText, "Drop text", 15, 352},
};

// The settings a slot's font was made from: a cached font whose settings changed (another
// document was opened) is made again, so no painter ever shows the previous document's fonts.
struct Source {
    std::string face;
    int32_t size = 0, weight = 0, italic = 0, underline = 0;
    bool operator==(const Source&) const = default;
};

struct Cached {
    FontDesc desc;
    Source from;
};
std::array<std::optional<Cached>, kFontSlots> g_logfont;

int valid_slot(int slot) { return slot >= 0 && slot < kFontSlots ? slot : 0; }

Source source(int slot) {
    const FontParas& p = kParas[slot];
    const int b = p.first_setting;
    return {view_text_param_get(p.face_setting), view_param_get(b), view_param_get(b + 1), view_param_get(b + 2),
            view_param_get(b + 3)};
}

Cached build(int slot) {
    Source s = source(slot);
    FontDesc d = font_make_desc(s.face, s.size + 10, s.weight + 400, s.italic, s.underline);
    return {d, std::move(s)};
}

}  // namespace

std::string FontDesc::face_name() const {
    size_t n = 0;
    while (n < face.size() && face[n]) ++n;
    return std::string(face.data(), n);
}

std::span<const FontParas> font_paras() { return kParas; }

int font_height(int points) { return -static_cast<int>(std::lround(points * 1.34)); }

FontDesc font_make_desc(std::string_view face, int points, int weight, int italic, int underline) {
    FontDesc d;
    d.height = font_height(points);
    d.weight = weight;
    d.italic = static_cast<uint8_t>(italic);
    d.underline = static_cast<uint8_t>(underline);
    // The face field holds 31 characters and its terminator; a longer stored name is cut.
    const size_t n = face.size() < d.face.size() - 1 ? face.size() : d.face.size() - 1;
    for (size_t i = 0; i < n; ++i) d.face[i] = face[i];
    return d;
}

void font_ensure(int slot) {
    slot = valid_slot(slot);
    if (!g_logfont[slot] || !(g_logfont[slot]->from == source(slot))) g_logfont[slot] = build(slot);
}

void font_init_defaults() {
    for (int s = 0; s < kFontSlots; ++s) g_logfont[s] = build(s);
}

std::optional<FontDesc> font_lookup(int slot) {
    if (slot < 0 || slot >= kFontSlots || !g_logfont[slot]) return std::nullopt;
    return g_logfont[slot]->desc;
}

void font_store(int slot, const FontDesc& d) {
    slot = valid_slot(slot);
    g_logfont[slot] = Cached{d, source(slot)};
}

FontDesc text_font(int slot, int mode) {
    slot = valid_slot(slot);
    font_ensure(slot);
    FontDesc d = g_logfont[slot]->desc;
    if (mode != 1) d.height *= 4;
    return d;
}

Font font_to_canvas(const FontDesc& d) {
    Font f;
    f.face = d.face_name();
    f.height = d.height;
    f.weight = d.weight;
    f.italic = d.italic != 0;
    f.underline = d.underline != 0;
    f.strikeout = d.strikeout != 0;
    f.escapement = d.escapement;
    f.charset = d.charset;
    return f;
}

int font_points(const FontDesc& d, int dpi) {
    if (dpi <= 0) dpi = 96;
    const double h = d.height < 0 ? -d.height : d.height;
    return static_cast<int>(std::lround(h * 72.0 / dpi));
}

std::string font_row_text(const FontDesc& d, int dpi) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s %dpt", d.face_name().c_str(), font_points(d, dpi));
    return buf;
}

std::array<bool, 3> font_underline_checks() {
    return {view_param_get(55) != 0, view_param_get(65) != 0, view_param_get(95) != 0};
}

void font_apply(const std::vector<FontChoice>& chosen, const bool underline[3], int dpi) {
    for (const FontChoice& c : chosen) {
        const FontParas& p = kParas[valid_slot(c.slot)];
        const int b = p.first_setting;
        view_text_param_set(p.face_setting, c.desc.face_name());
        view_param_set(b, font_points(c.desc, dpi) - 10);
        view_param_set(b + 1, c.desc.weight - 400);
        view_param_set(b + 2, c.desc.italic);
        font_store(p.slot, c.desc);
    }
    view_mark_changed();
    view_param_set(55, underline[0] ? 1 : 0);
    view_param_set(65, underline[1] ? 1 : 0);
    view_param_set(95, underline[2] ? 1 : 0);
    font_init_defaults();
}

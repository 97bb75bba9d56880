#include "elements/shape_edit.h"

#include <climits>
#include <cstdint>
#include <utility>

#include "elements/shape.h"

namespace {

int pos_in(int v, int lo, int hi) { return v >= lo && v <= hi ? v - lo : -1; }

}  // namespace

bool shape_has_curvature(int kind) { return kind == kShapeArc1 || kind == kShapeArc2; }

ShapeForm shape_form_of(const Shape& s, const std::vector<int>& kind_codes) {
    ShapeForm f;
    for (size_t i = 0; i < kind_codes.size(); ++i)
        if (kind_codes[i] == s.kind) f.kind_pos = static_cast<int>(i);
    f.thick = s.style & kShapeThick;
    bool dashed = s.style & kShapeDashed, dotted = s.style & kShapeDotted;
    f.line = dashed && dotted ? -1 : dotted ? 2 : dashed ? 1 : 0;
    f.group = s.style & kShapeGroup;
    f.rotate = s.style & kShapeRotate;
    f.level_pos = pos_in(s.level, -250, 250);
    f.curve_pos = pos_in((s.colour_curve >> 8) & 0xFF, 0, 64);
    f.fill_pos = pos_in(s.style >> 8, 0, 7);
    f.colour_pos = pos_in(s.colour_curve & 0xFF, 0, 31);
    f.global = s.style & kShapeGlobalLine;
    f.left = s.left;
    f.top = s.top;
    f.right = s.right;
    f.bottom = s.bottom;
    return f;
}

Shape shape_form_apply(const Shape& old, const ShapeForm& f, const std::vector<int>& kind_codes) {
    Shape s = old;
    if (f.kind_pos >= 0 && static_cast<size_t>(f.kind_pos) < kind_codes.size())
        s.kind = kind_codes[static_cast<size_t>(f.kind_pos)];
    if (f.level_pos >= 0) s.level = f.level_pos - 250;
    int curve = f.curve_pos >= 0 ? f.curve_pos : (old.colour_curve >> 8) & 0xFF;
    int colour = f.colour_pos >= 0 ? f.colour_pos : old.colour_curve & 0xFF;
    s.colour_curve = 256 * curve + colour;

    int32_t style = old.style & 0xFF;
    int fill = f.fill_pos >= 0 ? f.fill_pos : old.style >> 8;
    style = (style & ~(kShapeFilled | kShapeThick | kShapeRotate | kShapeGlobalLine)) | (fill << 8);
    if (f.fill_pos >= 0 ? f.fill_pos > 0 : (old.style & kShapeFilled)) style |= kShapeFilled;
    if (f.thick) style |= kShapeThick;
    if (f.rotate) style |= kShapeRotate;
    if (f.global) style |= kShapeGlobalLine;
    if (f.line >= 0) {
        style &= ~(kShapeDashed | kShapeDotted);
        if (f.line == 1) style |= kShapeDashed;
        if (f.line == 2) style |= kShapeDotted;
    }
    s.style = style;
    s.left = f.left;
    s.top = f.top;
    s.right = f.right;
    s.bottom = f.bottom;
    return s;
}

Shape shape_flipped(const Shape& s, bool left_right) {
    Shape f = s;
    if (left_right) std::swap(f.left, f.right);
    else std::swap(f.top, f.bottom);
    return f;
}

std::optional<std::vector<Shape>> shape_clones(const Shape& s, int n, int xs, int ys, int xe, int ye) {
    std::vector<Shape> out;
    auto fits = [](int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; };
    for (int64_t i = 1; i <= n; ++i) {
        int64_t l = s.left + i * (int64_t{xs} - xe), t = s.top + i * (int64_t{ys} + ye);
        int64_t r = s.right + i * (int64_t{xs} + xe), b = s.bottom + i * (int64_t{ys} - ye);
        if (!fits(l) || !fits(t) || !fits(r) || !fits(b)) return std::nullopt;
        Shape c = s;
        c.key = 0;
        // A copy joins no group: it would move and delete with shapes the user never grouped it with.
        c.style &= ~kShapeGroup;
        c.group = 0;
        c.left = static_cast<int32_t>(l);
        c.top = static_cast<int32_t>(t);
        c.right = static_cast<int32_t>(r);
        c.bottom = static_cast<int32_t>(b);
        out.push_back(c);
    }
    return out;
}

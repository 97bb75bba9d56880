// SHAPE: free drawings on a level (rectangles, ellipses, lines, arrows, arcs, brackets ...),
// painted from their s_ records. Coordinates are diagram units, y upward; the two corners are
// an ordered pair, so a flipped shape may draw differently. Portable.
#pragma once

#include <cstdint>
#include <vector>

#include "base/canvas.h"
#include "document/document.h"

// Style word bits of s_.
enum ShapeStyle : int32_t {
    kShapeFilled = 0x1, kShapeThick = 0x2, kShapeDashed = 0x4, kShapeDotted = 0x8,
    kShapeRotate = 0x10, kShapeGroup = 0x20, kShapeGlobalLine = 0x40,
};

constexpr int kShapeHandle = 0, kShapeArc2 = 9, kShapeArc1 = 23, kShapeRegion = 25;

// One shape with the pen and brush already selected in c. Rotate 1 draws the rotated partner
// of kinds 5, 6, 10-13, 21 and 22. False (nothing drawn) for kinds without a drawing.
bool shape_draw(Canvas& c, int kind, int rotate, int curvature, int x1, int y1, int x2, int y2);

// The kinds the user can give a shape, in the Shapebar's order, and the fill style names
// (Style div 256 is the position).
struct ShapeKindName {
    int code;
    const char* name;
};
const std::vector<ShapeKindName>& shape_kind_names();
const std::vector<const char*>& shape_fill_names();

// The pen and brush of a shape record; global_colour is setting 204 (palette index).
struct ShapeLook {
    Pen pen;
    Brush brush;
};
ShapeLook shape_look(const Shape& s, int global_colour);

// Pen, brush and drawing of one record, as the view paints it.
bool shape_paint(Canvas& c, const Shape& s, int global_colour);

// The rectangle a shape may paint into, arrowheads, arcs and thick pens included (for repaints
// and culling).
Rc shape_extent(const Shape& s);

// Line style of new shapes: the radio button of Shape Defaults that is chosen (line_para_),
// and the style bits it gives (4 x A + 8 x B).
constexpr int kShapeLineDotted = 10375, kShapeLineDashed = 10376, kShapeLineSolid = 10377;
struct ShapeLineBits {
    int a = 0, b = 0;
};
// The stylebits_ row of a radio id; Solid for any other id.
ShapeLineBits shape_line_bits(int radio_id);
ShapeLineBits shape_line_style();
int shape_line_para();
void shape_set_line_para(int radio_id);

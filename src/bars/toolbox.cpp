#include "bars/toolbox.h"

#include <algorithm>

namespace {

std::vector<ToolRow> initial_rows() {
    return {
        // Objects and links.
        {2, 11217, 0, 19, "Close", "Close Shapebar"},
        {5, 11070, 4, 161, "Box", "Box Object"},
        {6, 11071, 4, 160, "Bar", "Bar Object"},
        {7, 11069, 4, 162, "Ellipse", "Ellipse Object"},
        {8, 11067, 4, 164, "Circle", "Circle Object"},
        {9, 11066, 4, 166, "Square", "Square Object"},
        {10, 11065, 4, 163, "Diamond", "Diamond Object"},
        {11, 11060, 4, 183, "Polygon3", "Polygon3 Object"},
        {12, 11059, 4, 184, "Polygon4", "Polygon4 Object"},
        {13, 11058, 4, 185, "Polygon5", "Polygon5 Object"},
        {14, 11057, 4, 186, "Polygon6", "Polygon6 Object"},
        {15, 11056, 4, 187, "Polygon7", "Polygon7 Object"},
        {16, 11055, 4, 188, "Polygon8", "Polygon8 Object"},
        {17, 11062, 4, 169, "Picture", "Picture Object"},
        {18, 11061, 4, 168, "Icon", "Icon Object"},
        {19, 11064, 4, 172, "Line1", "Line1 Object"},
        {20, 11063, 4, 167, "Line2", "Line2 Object"},
        {21, 11068, 4, 170, "Symbol", "Symbol Object"},
        {22, 11054, 4, 0, "(unused)", ""},
        {23, 11052, 5, 0, "Straight", "Straight Link"},
        {24, 11045, 5, 8, "Double", "Double Link"},
        {25, 11042, 5, 1, "Vert-Horz", "Vert-Horz Link"},
        {26, 11041, 5, 2, "Horz-Vert", "Horz-Vert Link"},
        {27, 11051, 5, 3, "Vert-Horz-Vert", "Vert-Horz-Vert Link"},
        {28, 11050, 5, 4, "Horz-Vert-Horz", "Horz-Vert-Horz Link"},
        {29, 11049, 5, 5, "Curve1", "Curve1 Link"},
        {30, 11048, 5, 6, "Curve2", "Curve2 Link"},
        {31, 11047, 5, 11, "Arc", "Arc Link"},
        {32, 11046, 5, 7, "Taper", "Taper Link"},
        {33, 11044, 5, 9, "Slope-Horz", "Slope-Horz Link"},
        {34, 11043, 5, 10, "Horz-Slope", "Horz-Slope Link"},
        {35, 11038, 6, 0, "Thin", "Thin Line"},
        {36, 11037, 6, 1, "Thick", "Thick Line"},
        // Shapes and points.
        {1, 11053, 0, 0, "Toggle", "Switch betw Objects and Shapes"},
        {3, 11206, 0, 18, "Grabber", "Move Toolbox"},
        {4, 11199, 0, 20, "Rotate", "Rotate Shapebar"},
        {5, 11205, 1, 0, "Handle", "Mark region"},
        {6, 11054, 1, 0, "(unused)", ""},
        {7, 11201, 1, 1, "Rectangle", "Rectangle"},
        {8, 11200, 1, 2, "RoundRect", "Round rectangle"},
        {9, 11209, 1, 3, "Ellipse", "Ellipse"},
        {10, 11213, 1, 4, "Diamond", "Diamond"},
        {11, 11195, 1, 5, "Triang1", "Triangle1"},
        {12, 11194, 1, 6, "Triang2", "Triangle2"},
        {13, 11203, 1, 7, "Line", "Straight line"},
        {14, 11222, 1, 14, "Arrow1", "Arrow1"},
        {15, 11221, 1, 15, "Arrow2", "Arrow2"},
        {16, 11216, 1, 8, "Corner", "Corner"},
        {17, 11219, 1, 21, "Bracket1", "Bracket1"},
        {18, 11218, 1, 22, "Bracket2", "Bracket2"},
        {19, 11223, 1, 23, "Arc1", "Arc with curvature1"},
        {20, 11224, 1, 9, "Arc2", "Arc with curvature2"},
        {21, 11198, 1, 10, "SemiEllipse1", "Semi ellipse1"},
        {22, 11197, 1, 11, "SemiEllipse2", "Semi ellipse2"},
        {23, 11211, 1, 12, "Ellip Line1", "Elliptical line1"},
        {24, 11210, 1, 13, "Ellip Line2", "Elliptical line2"},
        {25, 11212, 1, 16, "Point", "Click - single point, Drag - multiple points"},
        {26, 11208, 1, 24, "Eraser", "Drag to erase points"},
        {27, 11202, 2, 1, "Outline", "Outline style"},
        {28, 11196, 2, 2, "Solid", "Solid style"},
        {29, 11204, 2, 3, "=== hatch", "Horz hatch style"},
        {30, 11169, 2, 4, "|||| hatch", "Vertical hatch style"},
        {31, 11220, 2, 5, "\\\\\\ hatch", "Back hatch style"},
        {32, 11207, 2, 6, "/// hatch", "Forward hatch style"},
        {33, 11215, 2, 7, "+++ hatch", "Cross hatch style"},
        {34, 11214, 2, 8, "xxx hatch", "Diagonal cross hatch style"},
        {27, 11072, 3, 1, "Dots (::)", "Multiple dots"},
        {28, 11078, 3, 7, "Dot (\xB7)", "Single dot"},
        {29, 11077, 3, 2, "Cross(+)", "Cross +"},
        {30, 11076, 3, 3, "Cross(x)", "Cross x"},
        {31, 11074, 3, 5, "Square", "Square"},
        {32, 11075, 3, 4, "Circle(o)", "Circle"},
        {33, 11073, 3, 6, "Triangle", "Triangle"},
        {34, 11054, 3, 0, "(unused)", ""},
    };
}

constexpr int kPointCode = 16, kEraserCode = 24;
constexpr int kPosPoint = 25, kPosEraser = 26, kPosPicture = 17, kPosIcon = 18;

}  // namespace

ToolboxModel::ToolboxModel()
    : but_(initial_rows()), depressed_{{0, kToolNone}, {1, 5}, {2, 27}, {3, 27}, {4, 5}, {5, 23}, {6, 35}} {}

const ToolRow* ToolboxModel::row_at(int pos) const {
    for (const auto& r : but_)
        if (r.pos == pos) return &r;
    return nullptr;
}

const ToolRow* ToolboxModel::row_of(int group, int pos) const {
    for (const auto& r : but_)
        if (r.group == group && r.pos == pos) return &r;
    return nullptr;
}

bool ToolboxModel::objects_shown() const {
    const ToolRow* r = row_at(5);
    return r && r->group == kTgObject;
}

std::optional<int> ToolboxModel::depressed(int group) const {
    auto it = depressed_.find(group);
    if (it == depressed_.end()) return std::nullopt;
    return it->second;
}

void ToolboxModel::move_behind(int group) {
    std::stable_partition(but_.begin(), but_.end(), [group](const ToolRow& r) { return r.group != group; });
}

bool ToolboxModel::press_position(int pos) {
    const ToolRow* r = row_at(pos);
    if (!r || r->bitmap == kToolUnusedBitmap) return false;
    depressed_[r->group] = pos;
    return true;
}

std::optional<int> ToolboxModel::current(int group, bool window_open, int current_icon) const {
    if (group == kTgShape && (!window_open || objects_shown())) return 0;
    auto pos = depressed(group);
    if (!pos) return std::nullopt;
    const ToolRow* r = row_of(group, *pos);
    if (!r) return std::nullopt;
    if (group == kTgObject && r->code == kToolIconCode) return current_icon;
    return r->code;
}

bool ToolboxModel::press(int group, int code, int* icon) {
    if (group == kTgObject && code > 200) {
        if (icon) *icon = code;
        code = kToolIconCode;
    }
    depressed_.erase(group);
    for (const auto& r : but_) {
        if (r.group == group && r.code == code) {
            depressed_[group] = r.pos;
            return true;
        }
    }
    return false;
}

void ToolboxModel::toggle() {
    if (objects_shown()) {
        for (int g : {kTgObject, kTgRoute, kTgControl, kTgWeight, kTgPoint}) move_behind(g);
        auto shape = depressed(kTgShape);
        if (shape && (*shape == kPosPoint || *shape == kPosEraser)) {
            move_behind(kTgRoute);
            move_behind(kTgFill);
        }
    } else {
        for (int g : {kTgShape, kTgFill, kTgWeight, kTgPoint}) move_behind(g);
    }
}

ToolPick ToolboxModel::pick(int pos, const ToolMarks& marks, int current_icon) {
    ToolPick p;
    const ToolRow* found = row_at(pos);
    if (!found) return p;
    ToolRow r = *found;  // moves below reorder the table
    switch (r.group) {
    case kTgControl:
        if (r.pos == 1) {
            depressed_[kTgControl] = kToolNone;
            toggle();
            p.redraw = true;
            p.goes_on = true;
        } else if (r.pos == 2) {
            depressed_[kTgControl] = kToolNone;
            p.close = true;
        } else if (r.pos == 4) {
            depressed_[kTgControl] = kToolNone;
            p.rotate = true;
        }
        // The grabber moves the window; nothing to pick.
        return p;
    case kTgShape:
        p.goes_on = true;
        p.redraw = true;
        if (r.code == kPointCode || r.code == kEraserCode) {
            move_behind(kTgFill);
            move_behind(kTgRoute);
            return p;
        }
        p.mark_changed = true;
        if (const ToolRow* at27 = row_at(27); at27 && at27->group == kTgPoint) move_behind(kTgPoint);
        move_behind(kTgRoute);
        if (r.code != 0) p.user_code = 18, p.user_param = r.code;
        return p;
    case kTgFill:
        p.mark_changed = true;
        p.goes_on = true;
        p.user_code = 19, p.user_param = r.code;
        return p;
    case kTgPoint:
        p.mark_changed = true;
        p.goes_on = true;
        return p;
    case kTgObject:
        p.mark_changed = true;
        if (r.pos == kPosPicture) {
            p.menu_cmd = 10892;
        } else if (r.pos == kPosIcon) {
            if (marks.objs) p.user_code = 16, p.user_param = current_icon;
            else p.menu_cmd = 10896;
        } else if (marks.objs) {
            p.user_code = 16, p.user_param = r.code;
        } else {
            p.goes_on = true;
        }
        return p;
    case kTgRoute:
        p.mark_changed = true;
        p.goes_on = true;
        if (!marks.links && marks.objs) p.menu_cmd = 10919;
        else if (marks.links) p.user_code = 17, p.user_param = r.code;
        return p;
    case kTgWeight:
        p.mark_changed = true;
        p.goes_on = true;
        if (marks.objs || marks.shapes || marks.links) p.user_code = 23, p.user_param = r.code;
        return p;
    }
    return p;
}

std::string ToolboxModel::title(const ToolRow& r) const {
    if (r.group == kTgControl && r.pos == 1) return objects_shown() ? "Toggle 1" : "Toggle 2";
    return r.short_name;
}

std::vector<ToolboxModel::Named> ToolboxModel::shape_kinds() const {
    std::vector<Named> out;
    for (const auto& r : but_)
        if (r.group == kTgShape && r.code != 0 && r.code != kPointCode && r.code != kEraserCode)
            out.push_back({r.code, r.short_name});
    return out;
}

std::vector<ToolboxModel::Named> ToolboxModel::fill_styles() const {
    std::vector<Named> out;
    for (const auto& r : but_)
        if (r.group == kTgFill && r.short_name.find("unused") == std::string::npos) out.push_back({r.code, r.short_name});
    return out;
}

Pt toolbox_cell_origin(int pos, int orient, bool pressed) {
    int i = pos - 1;
    int col = orient == 0 ? i % 2 : i / 2;
    int row = orient == 0 ? i / 2 : i % 2;
    int d = pressed ? 1 : 0;
    return {kToolCellW * col + d + 1, kToolCellH * row + d + 1};
}

int toolbox_position_at(int x, int y, int orient) {
    if (x < 0 || y < 0) return 0;
    int col = x / kToolCellW, row = y / kToolCellH;
    if (orient == 0) {
        if (col > 1 || row > 17) return 0;
        return row * 2 + col + 1;
    }
    if (row > 1 || col > 17) return 0;
    return col * 2 + row + 1;
}

Rc toolbox_window_rect(int x, int y, int orient) {
    int o = orient == 1 ? 1 : 0;
    return {x, y, x + 450 * o + 50 * (1 - o) + 2, y + 396 * (1 - o) + 44 * o + 2};
}

std::vector<int> toolbox_place_default() { return {0, 0, 1}; }

ToolboxPlace toolbox_place_from(const std::vector<int>& stored) {
    if (stored.size() != 3 || (stored[2] != 0 && stored[2] != 1)) return {};
    return {stored[0], stored[1], stored[2]};
}

ToolboxPlace toolbox_place_clamp(ToolboxPlace p, int w, int h) {
    Rc r = toolbox_window_rect(0, 0, p.orient);
    p.x = std::max(std::min(p.x, w - r.right), 0);
    p.y = std::max(std::min(p.y, h - r.bottom), 0);
    return p;
}

const char* toolbox_note(int group) {
    switch (group) {
    case kTgRoute: return "To create a Link, first mark two Objects.";
    case kTgShape: return "To create a Shape, drag mouse across Shape rectangle.";
    case kTgFill: return "To change Shape Style, first mark one or more Shapes.";
    case kTgPoint: return "To create Points, click or drag mouse";
    case kTgWeight: return "To change thickness, first mark the Shapes or Links";
    }
    return nullptr;
}

namespace {
int own_icon_ = 201;
int own_icon_get() { return own_icon_; }
void own_icon_set(int icon) { own_icon_ = icon; }
IconGetHook icon_get_ = own_icon_get;
IconSetHook icon_set_ = own_icon_set;
bool open_ = false;
}  // namespace

std::optional<ToolboxPlace>& toolbox_prev_pos() {
    static std::optional<ToolboxPlace> prev_pos_;
    return prev_pos_;
}

ToolboxModel& toolbox_model() {
    static ToolboxModel m;
    return m;
}

void toolbox_set_icon_hooks(IconGetHook get, IconSetHook set) {
    icon_get_ = get ? get : own_icon_get;
    icon_set_ = set ? set : own_icon_set;
}
int toolbox_icon_current() { return icon_get_(); }
void toolbox_icon_set(int icon) { icon_set_(icon); }
void toolbox_set_open(bool open) { open_ = open; }
bool toolbox_open() { return open_; }

std::optional<int> toolbox_current(int group) { return toolbox_model().current(group, open_, toolbox_icon_current()); }

bool toolbox_press(int group, int code) {
    int icon = 0;
    bool ok = toolbox_model().press(group, code, &icon);
    if (ok && icon) toolbox_icon_set(icon);
    return ok;
}

std::vector<ToolboxModel::Named> toolbox_shape_kinds() { return toolbox_model().shape_kinds(); }
std::vector<ToolboxModel::Named> toolbox_fill_styles() { return toolbox_model().fill_styles(); }

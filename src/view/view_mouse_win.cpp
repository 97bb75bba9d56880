// Mouse and key editing in the diagram window: marking, moving, resizing, connecting, creating
// objects, shapes and points, rubber-band marking, drag-scrolling with autoscroll at the edges,
// pop-up menus. Each edit is one undoable step.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "bars/sbar.h"
#include "bars/status.h"
#include "bars/tbar.h"
#include "bars/toolbox.h"
#include "base/commands_win.h"
#include "base/error.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/util_win.h"
#include "document/clip.h"
#include "document/doc_util.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"
#include "elements/link.h"
#include "elements/link_label.h"
#include "elements/obj.h"
#include "elements/shape.h"
#include "resources/ids.h"
#include "view/textbox_win.h"
#include "view/view_cmd.h"
#include "view/view_win.h"

namespace {

enum class Drag { None, Pending, Move, ResizeObj, ResizeShape, Band, Link, Shape, Points, Erase, Scroll, Label };

// Status-bar texts of the mouse context.
enum Hint { kHintNone = 6, kHintObject = 2, kHintLink = 3, kHintShapeDrag = 4, kHintSize = 9, kHintVoid = 10,
            kHintPoint = 11, kHintLabel = 12, kHintObjectLink = 15 };

struct MouseState {
    Drag drag = Drag::None;
    Pt down_dev, down_lp, last_dev, last_lp;
    Key key = 0, key2 = 0;
    uint32_t at = MarkedObjs::kFirst;  // the pressed object's place
    int handle = -1;
    int tool = 0;
    Rc start_rect;
    int start_size = 0;
    Pt applied;  // movement already applied to the records
    std::unique_ptr<UndoStep> step;
    int hint = kHintNone;
    Pt scroll_rest;  // pixels of drag-scroll not yet turned into origin units
    bool rim = false;  // pressed on an object's rim: a drag links, a click marks
};
MouseState g;
Pt popup_point_;  // the last right click, diagram units

int current_level() { return sbar_view_state().level; }

bool is_marked(const std::vector<Key>& v, Key k) { return std::find(v.begin(), v.end(), k) != v.end(); }

// Reach of a hit in diagram units: at least a few pixels whatever the zoom.
int reach(const ViewMapping& m, int units, int pixels) { return std::max(units, m.units(pixels)); }

// The band along an object's edge where a drag starts a link rather than a move.
bool in_link_rim(const ViewMapping& m, const Rc& r0, Pt p) {
    Rc r = normalised(r0);
    int w = r.right - r.left, h = r.top - r.bottom;
    int rim = std::min(std::max(m.units(6), std::min(w, h) / 8), std::min(w, h) / 3);
    return p.x - r.left < rim || r.right - p.x < rim || r.top - p.y < rim || p.y - r.bottom < rim;
}

// Shape > Show/Hide Points: hidden points are neither hit nor erased.
bool points_hidden() { return menu_checked(CMD_SHOW_POINTS); }

struct Hit {
    enum Kind { Void, ObjHandle, ShapeHandle, Object, ObjectRim, Label, Link, Shape, Point } kind = Void;
    Key a = 0, b = 0;
    int handle = -1;
    Rc rect;
    Pt point;  // a point's own coordinates
    uint32_t at = MarkedObjs::kFirst;  // an object's place in the document
};

// Marking by click on an object (the rules of click_marking), by the object itself: its key
// may repeat.
void click_mark_object(Key key, uint32_t at, bool toggle) {
    const bool was = view_obj_marked(key, at);
    if (toggle) {
        if (was) view_obj_unmark(key, at);
        else marked_obj_.push_back(key, at);
        return;
    }
    if (was) return;
    marked_obj_.clear();
    marked_obj_.push_back(key, at);
}

Hit hit_test(const ViewMapping& m, Pt lp) {
    int level = m.pos.level;
    const auto& boxes = view_painted_objects();
    int handle_reach = reach(m, 12, 4);
    Hit h;
    if (!marked_obj_.empty()) {
        // The marked objects' boxes in one pass over the level: thousands may be marked.
        const std::vector<uint32_t> places = view_marked_places();
        for (const ObjBox& b : boxes) {
            if (b.level != level || !std::binary_search(places.begin(), places.end(), b.at)) continue;
            int i = handle_at(b.rect, lp, handle_reach);
            if (i >= 0) return {Hit::ObjHandle, b.key, 0, i, b.rect, {}, b.at};
        }
    }
    for (Key k : marked_shape_)
        if (auto s = view_shape_get(k); s && s->level == level) {
            int i = handle_at(shape_rect(*s), lp, handle_reach);
            if (i >= 0) return {Hit::ShapeHandle, k, 0, i, shape_rect(*s)};
        }
    if (const ObjBox* b = object_box_at(boxes, level, lp))
        return {in_link_rim(m, b->rect, lp) ? Hit::ObjectRim : Hit::Object, b->key, 0, -1, b->rect, {}, b->at};
    Pt dp = m.to_device(lp);
    // A flat label is hit on its painted text; a tilted one in the 250 x 50 box around it.
    double sc = m.scale();
    int half_w = std::max(12, static_cast<int>(125 * sc)), half_h = std::max(6, static_cast<int>(25 * sc));
    for (const auto& l : link_label_each()) {
        int cy = l.label.y - static_cast<int>(60 * sc);
        bool on = l.box ? dp.x >= l.box->left - 2 && dp.x <= l.box->right + 2 && dp.y >= l.box->top - 2 &&
                              dp.y <= l.box->bottom + 2
                        : std::abs(l.label.x - dp.x) <= half_w && std::abs(cy - dp.y) <= half_h;
        if (on) {
            auto link = view_link_get(l.from, l.to);
            if (link && !link->label.empty()) return {Hit::Label, l.from, l.to};
        }
    }
    if (const LinkPath* l = link_at(view_painted_links(), lp, reach(m, 8, 4))) return {Hit::Link, l->from, l->to};
    if (auto k = shape_at(view_doc().shapes, level, lp, reach(m, 4, 3))) return {Hit::Shape, *k};
    int pi = points_hidden() ? -1 : point_at(view_doc().points, level, lp, reach(m, 6, 4));
    if (pi >= 0) {
        const auto& q = view_doc().points[static_cast<size_t>(pi)];
        return {Hit::Point, 0, 0, -1, {}, {q.x, q.y}};
    }
    return h;
}

int hint_of(const Hit& h, UINT keys) {
    switch (h.kind) {
    case Hit::ObjHandle: case Hit::ShapeHandle: return kHintSize;
    case Hit::Object: return kHintObject;
    case Hit::ObjectRim: return kHintObjectLink;
    case Hit::Label: return kHintLabel;
    case Hit::Link: return kHintLink;
    case Hit::Shape: return kHintShapeDrag;
    case Hit::Point: return kHintPoint;
    default: return kHintVoid;
    }
}

void set_hint(int hint) {
    if (g.hint == hint) return;
    g.hint = hint;
    status_update(1, hint);
}

void unmark_links_and_shapes() {
    marked_link_.clear();
    marked_shape_.clear();
}

void begin_step() {
    if (!g.step) g.step = std::make_unique<UndoStep>();
}

void end_step(const char* name) {
    if (g.step) {
        g.step->commit(name);
        g.step.reset();
    }
}

void cancel_step() { g.step.reset(); }

void start_autoscroll(HWND win) { SetTimer(win, kViewAutoscrollTimer, kViewAutoscrollMs, nullptr); }

bool drags_with_autoscroll() {
    switch (g.drag) {
    case Drag::Move: case Drag::ResizeObj: case Drag::ResizeShape: case Drag::Band: case Drag::Link:
    case Drag::Shape: case Drag::Points: case Drag::Erase: case Drag::Label:
        return true;
    default: return false;
    }
}

// Shape style word from the toolbox: fill style (group 2) and line weight (group 6).
int32_t new_shape_style() {
    int fill = view_tool(2, 1);
    int32_t style = ((fill - 1) << 8) | (fill > 1 ? 0x1 : 0);
    if (view_tool(6, 0) == 1) style |= 0x2;
    // The line style chosen in Shape Defaults.
    ShapeLineBits line = shape_line_style();
    return style | (4 * line.a + 8 * line.b);
}

void add_point(Pt lp) {
    int style = view_tool(3, 1);
    view_point_add(current_level(), lp.x, lp.y, style, static_cast<int32_t>(view_new_item_colour().colour));
    view_invalidate_rect(16, {lp.x, lp.y, lp.x, lp.y});
}

void erase_points(const ViewMapping& m, Pt lp) {
    if (points_hidden()) return;
    int r = reach(m, 6, 5);
    for (;;) {
        int i = point_at(view_doc().points, current_level(), lp, r);
        if (i < 0) break;
        PlotPoint q = view_doc().points[static_cast<size_t>(i)];
        view_point_remove(q.level, q.x, q.y);
        view_invalidate_rect(16, {q.x, q.y, q.x, q.y});
    }
}

// Applies the drag to the records for pointer position lp.
void drag_to(HWND win, const ViewMapping& m, Pt dev, Pt lp) {
    switch (g.drag) {
    case Drag::Pending: {
        if (std::abs(dev.x - g.down_dev.x) <= 3 && std::abs(dev.y - g.down_dev.y) <= 3) return;
        start_autoscroll(win);
        if (g.rim) {
            g.drag = Drag::Link;
            drag_to(win, m, dev, lp);
            return;
        }
        g.drag = Drag::Move;
        begin_step();
        [[fallthrough]];
    }
    case Drag::Move: {
        int dx = lp.x - g.down_lp.x - g.applied.x, dy = lp.y - g.down_lp.y - g.applied.y;
        if (dx || dy) {
            // At the edge of the coordinate range the items stay while the pointer goes on.
            Pt moved = view_move_marked(dx, dy, false);
            g.applied.x += moved.x;
            g.applied.y += moved.y;
        }
        break;
    }
    case Drag::ResizeObj: {
        auto o = view_obj_get(g.key);
        if (!o) break;
        int size = resized_object_size(o->shape, g.start_size, g.start_rect, g.handle, lp);
        if (size != o->size) {
            o->size = size;
            view_obj_put(*o);
            view_invalidate();
        }
        break;
    }
    case Drag::ResizeShape: {
        auto s = view_shape_get(g.key);
        if (!s) break;
        Rc r = resized_shape_rect(g.start_rect, g.handle, lp);
        if (r != Rc{s->left, s->top, s->right, s->bottom}) {
            s->left = r.left;
            s->top = r.top;
            s->right = r.right;
            s->bottom = r.bottom;
            view_shape_put(*s);
            view_invalidate();
        }
        break;
    }
    case Drag::Band: case Drag::Shape:
        view_set_overlay({g.drag == Drag::Band ? ViewOverlay::Band : ViewOverlay::Frame, g.down_lp, lp});
        break;
    case Drag::Link: {
        const ObjBox* b = box_of(view_painted_objects(), g.key, m.pos.level);
        Pt from = b ? Pt{(b->rect.left + b->rect.right) / 2, (b->rect.top + b->rect.bottom) / 2} : g.down_lp;
        view_set_overlay({ViewOverlay::Line, from, lp});
        break;
    }
    case Drag::Points: {
        int gap = reach(m, 10, 6);
        if (std::abs(lp.x - g.last_lp.x) >= gap || std::abs(lp.y - g.last_lp.y) >= gap) {
            add_point(lp);
            g.last_lp = lp;
        }
        break;
    }
    case Drag::Erase: erase_points(m, lp); break;
    case Drag::Scroll: {
        // Content follows the pointer: origin units are screen width / 640 pixels.
        int px = g.scroll_rest.x + dev.x - g.last_dev.x, py = g.scroll_rest.y + dev.y - g.last_dev.y;
        int ux = px * 640 / std::max(1, m.screen_w), uy = py * 640 / std::max(1, m.screen_w);
        g.scroll_rest = {px - ux * m.screen_w / 640, py - uy * m.screen_w / 640};
        g.last_dev = dev;
        if (ux || uy) {
            ViewState st = sbar_view_state();
            if (ux) sbar_cmd(kSbarX0, kSbThumbPos, st.x0 - ux);
            if (uy) sbar_cmd(kSbarY0, kSbThumbPos, st.y0 - uy);
            sbar_cmd(kSbarDrag, -ux, -uy);
        }
        return;
    }
    default: break;
    }
    g.last_dev = dev;
}

// The Handle tool of the shape set marks a region (a temporary shape of kind 25) that other
// tools read; it is no edit of the document.
bool handle_tool_chosen() {
    return toolbox_open() && !toolbox_model().objects_shown() && toolbox_current(1) == 0;
}

void mark_region(const Rc& band) {
    Document& d = view_doc();
    std::erase_if(d.shapes, [](const Shape& s) { return s.kind == kRegionShapeKind; });
    auto key = d.free_shape_key();
    if (!key) return;
    Shape s;
    s.key = *key;
    s.kind = kRegionShapeKind;
    s.level = current_level();
    s.left = band.left;
    s.top = band.top;
    s.right = band.right;
    s.bottom = band.bottom;
    d.shapes.push_back(s);
}

void finish_band(const ViewMapping& m, Pt lp, bool add) {
    view_set_overlay({});
    Rc band = rect_of(g.down_lp, lp);
    if (std::abs(g.last_dev.x - g.down_dev.x) <= 3 && std::abs(g.last_dev.y - g.down_dev.y) <= 3) {
        if (!add) view_unmark_all();
        view_invalidate();
        return;
    }
    auto objs = objects_in(view_painted_objects(), m.pos.level, band);
    auto shapes = shapes_in(view_doc().shapes, m.pos.level, band);
    if (!add) {
        view_unmark_all();
        marked_obj_.clear();
        marked_shape_.clear();
    }
    for (const ObjBox* b : objs)
        if (!view_obj_marked(b->key, b->at)) marked_obj_.push_back(b->key, b->at);
    for (Key k : shapes)
        if (!is_marked(marked_shape_, k)) marked_shape_.push_back(k);
    marked_shape_ = view_with_groups(marked_shape_);
    if (handle_tool_chosen()) mark_region(band);
    view_invalidate();
}

void finish_shape(Pt lp) {
    view_set_overlay({});
    Rc r = rect_of(g.down_lp, lp);
    if (r.right - r.left < 4 && r.top - r.bottom < 4) return;
    Shape s;
    s.kind = g.tool;
    s.level = current_level();
    s.colour_curve = view_new_item_colour().index & 0xFF;
    s.style = new_shape_style();
    // Lines keep the direction they were drawn in.
    s.left = g.down_lp.x;
    s.top = g.down_lp.y;
    s.right = lp.x;
    s.bottom = lp.y;
    UndoStep step;
    auto key = view_shape_put(s);
    if (!key) return;
    step.commit("Create Shape");
    // Left unmarked: picking the next tool would otherwise re-kind or restyle it.
    view_unmark_all();
    view_invalidate();
}

bool create_link(Key from, Key to) {
    if (from == to || view_link_get(from, to)) return false;
    int thick = view_tool(6, view_param_get(362));
    Link l = link_from_defaults(from, to, link_defaults_get(), thick == 1, view_new_item_colour().index);
    UndoStep step;
    if (!view_link_add(l)) return false;
    step.commit("Create Link");
    view_invalidate();
    // Link Defaults' "Always create Label": the new link's label is typed at once.
    if (tip_prefs_get().d) {
        view_unmark_all();
        marked_link_ = {{from, to}};
        if (view_inst_) UpdateWindow(view_inst_);  // the box sits where the label is painted
        view_open_textbox(2, from, to, false);
    }
    return true;
}

void finish_label(const ViewMapping& m, Pt lp) {
    auto pt = link_label_pt_get(g.key, g.key2);
    auto link = view_link_get(g.key, g.key2);
    if (!pt || !link) return;
    // The label goes to the position whose point lies nearest the pointer.
    int best = -1;
    double best_d = 0;
    for (int index = 0; index < 103; ++index) {
        int code = link_label_pos_code(index);
        Pt at = link_label_point(pt->anchor, code);
        double d = std::hypot(double(at.x - lp.x), double(at.y - lp.y));
        if (best < 0 || d < best_d) { best = code; best_d = d; }
    }
    LinkLook look = link_unpack(*link);
    if (best < 0 || look.label_pos == best) return;
    look.label_pos = best;
    Link changed = *link;
    link_pack(changed, look);
    UndoStep step;
    if (!view_link_put(g.key, g.key2, changed)) return;
    step.commit("Move Label");
    view_invalidate();
}

void end_drag(HWND win, Pt dev, Pt lp, UINT keys, bool completed) {
    KillTimer(win, kViewAutoscrollTimer);
    ViewMapping m = view_mapping();
    Drag d = g.drag;
    g.drag = Drag::None;
    switch (d) {
    case Drag::Move: end_step("Move Object"); break;
    case Drag::ResizeObj: end_step("Resize Object"); break;
    case Drag::ResizeShape: end_step("Resize Shape"); break;
    case Drag::Points: end_step("Plot Points"); break;
    case Drag::Erase: end_step("Erase Points"); break;
    case Drag::Band:
        if (completed) finish_band(m, lp, keys & MK_SHIFT);
        else view_set_overlay({});
        break;
    case Drag::Shape:
        if (completed) finish_shape(lp);
        else view_set_overlay({});
        break;
    case Drag::Link: {
        view_set_overlay({});
        if (!completed) break;
        auto to = object_at(view_painted_objects(), m.pos.level, lp);
        if (to && *to != g.key) create_link(g.key, *to);
        break;
    }
    case Drag::Label:
        if (completed) finish_label(m, lp);
        break;
    case Drag::Pending:
        if (completed && g.rim) {
            click_mark_object(g.key, g.at, false);
            unmark_links_and_shapes();
            view_invalidate();
        }
        break;
    default: cancel_step(); break;
    }
    cancel_step();
}

// A pending Same Size / Height / Width takes the clicked shape's measures for every marked
// shape (each keeps its left and top edge and its direction); a click elsewhere cancels it.
void finish_same_as(HWND win, const Hit& h) {
    int mode = same_as_->mode;
    same_as_.reset();
    if (GetCapture() == win) ReleaseCapture();
    if (h.kind != Hit::Shape && h.kind != Hit::ShapeHandle) return;
    auto model = view_shape_get(h.a);
    if (!model) return;
    int w = std::abs(model->right - model->left), ht = std::abs(model->top - model->bottom);
    static const char* const names[] = {"Same Size", "Same Height", "Same Width"};
    UndoStep step;
    bool any = false;
    for (Key k : marked_shape_) {
        auto s = view_shape_get(k);
        if (!s || k == h.a) continue;
        if (mode == 0 || mode == 2) s->right = s->left + (s->right >= s->left ? w : -w);
        if (mode == 0 || mode == 1) s->bottom = s->top + (s->bottom <= s->top ? -ht : ht);
        view_shape_put(*s);
        any = true;
    }
    if (any) step.commit(names[std::clamp(mode, 0, 2)]);
    view_invalidate();
}

}  // namespace

void view_mouse_down(HWND win, int x, int y, UINT keys) {
    SetFocus(win);
    if (g.drag != Drag::None) end_drag(win, {x, y}, g.last_lp, keys, false);
    // A click beside the text box ends it as Enter would, keeping what was typed; that is all
    // the click does.
    if (textbox_inst_.win) {
        g = MouseState{};
        textbox_hand_over();
        return;
    }
    ViewMapping m = view_mapping();
    Pt dev{x, y};
    Pt lp = m.to_logical(dev);
    g = MouseState{};
    g.down_dev = g.last_dev = dev;
    g.down_lp = g.last_lp = lp;
    Hit h = hit_test(m, lp);
    bool shift = keys & MK_SHIFT, ctrl = keys & MK_CONTROL;

    if (same_as_ && same_as_->kind == 3) {
        finish_same_as(win, h);
        return;
    }
    if (ctrl && h.kind != Hit::Void) {
        // Ctrl+click opens the item's properties.
        int kind = h.kind == Hit::Link || h.kind == Hit::Label ? 2 : h.kind == Hit::Shape ? 3 : h.kind == Hit::Point ? 4 : 1;
        if (kind == 1) obj_mark_one(h.a);
        else if (kind == 2) marked_link_ = {{h.a, h.b}};
        else if (kind == 3) marked_shape_ = {h.a};
        view_invalidate();
        if (kind == 4) view_open_properties(main_inst_, kind, h.point.x, h.point.y);
        else view_open_properties(main_inst_, kind, h.a, h.b);
        return;
    }
    // A slideshow runs the objects' actions.
    if (menu_checked(CMD_SLIDESHOW) && (h.kind == Hit::Object || h.kind == Hit::ObjectRim)) {
        view_obj_run_action(h.a);
        return;
    }
    switch (h.kind) {
    case Hit::ObjHandle: {
        auto o = view_obj_get(h.a);
        if (!o) return;
        g.drag = Drag::ResizeObj;
        g.key = h.a;
        g.handle = h.handle;
        g.start_rect = h.rect;
        g.start_size = o->size;
        begin_step();
        break;
    }
    case Hit::ShapeHandle: {
        auto s = view_shape_get(h.a);
        if (!s) return;
        g.drag = Drag::ResizeShape;
        g.key = h.a;
        g.handle = h.handle;
        g.start_rect = {s->left, s->top, s->right, s->bottom};
        begin_step();
        break;
    }
    case Hit::ObjectRim:
        if (!shift) {
            g.drag = Drag::Pending;
            g.rim = true;
            g.key = h.a;
            g.at = h.at;
            break;
        }
        [[fallthrough]];
    case Hit::Object: {
        bool was_marked = view_obj_marked(h.a, h.at);
        click_mark_object(h.a, h.at, shift);
        if (!shift && !was_marked) unmark_links_and_shapes();
        view_invalidate();
        if (!shift) {
            g.drag = Drag::Pending;
            g.key = h.a;
        }
        break;
    }
    case Hit::Shape: {
        bool was_marked = is_marked(marked_shape_, h.a);
        marked_shape_ = click_marking(marked_shape_, h.a, shift);
        // A grouped shape takes its group along, marked or unmarked.
        const std::vector<Key> group = view_with_groups({h.a});
        if (is_marked(marked_shape_, h.a)) marked_shape_ = view_with_groups(marked_shape_);
        else std::erase_if(marked_shape_, [&](Key k) { return is_marked(group, k); });
        if (!shift && !was_marked) {
            marked_obj_.clear();
            marked_link_.clear();
        }
        view_invalidate();
        if (!shift) g.drag = Drag::Pending;
        break;
    }
    case Hit::Label:
        marked_link_ = {{h.a, h.b}};
        g.drag = Drag::Label;
        g.key = h.a;
        g.key2 = h.b;
        view_invalidate();
        break;
    case Hit::Link: {
        MarkedLink ml{h.a, h.b};
        auto it = std::find(marked_link_.begin(), marked_link_.end(), ml);
        if (shift) {
            if (it != marked_link_.end()) marked_link_.erase(it);
            else marked_link_.push_back(ml);
        } else {
            marked_obj_.clear();
            marked_shape_.clear();
            marked_link_ = {ml};
        }
        view_invalidate();
        break;
    }
    case Hit::Point: case Hit::Void: {
        if (ctrl) {
            g.drag = Drag::Scroll;
            break;
        }
        int tool = view_tool(1, 0);
        if (tool == 16) {
            g.drag = Drag::Points;
            begin_step();
            add_point(lp);
        } else if (tool == 24) {
            g.drag = Drag::Erase;
            begin_step();
            erase_points(m, lp);
        } else if (tool != 0 && h.kind == Hit::Void) {
            g.drag = Drag::Shape;
            g.tool = tool;
        } else {
            g.drag = Drag::Band;
        }
        break;
    }
    }
    if (g.drag != Drag::None) {
        SetCapture(win);
        if (drags_with_autoscroll() && g.drag != Drag::Pending) start_autoscroll(win);
    }
}

void view_mouse_move(HWND win, int x, int y, UINT keys) {
    ViewMapping m = view_mapping();
    Pt dev{x, y};
    Pt lp = m.to_logical(dev);
    if (status_shows_position()) {
        g.hint = -1;  // the hint is shown afresh once the field shows hints again
        status_show(status_position_text(lp));
    }
    if (g.drag == Drag::None) {
        if (!status_shows_position()) set_hint(hint_of(hit_test(m, lp), keys));
        return;
    }
    drag_to(win, m, dev, lp);
    g.last_lp = lp;
}

void view_mouse_up(HWND win, int x, int y, UINT keys) {
    if (g.drag == Drag::None) return;
    ViewMapping m = view_mapping();
    Pt dev{x, y};
    Pt lp = m.to_logical(dev);
    if (g.drag != Drag::Pending && g.drag != Drag::Scroll) drag_to(win, m, dev, lp);
    end_drag(win, dev, lp, keys, true);
    if (GetCapture() == win) ReleaseCapture();
}

void view_mouse_capture_lost(HWND win) {
    // Another window took the mouse: the drag ends with what it has done so far.
    if (g.drag == Drag::None) return;
    end_drag(win, g.last_dev, g.last_lp, 0, false);
}

void view_mouse_timer(HWND win) {
    if (!drags_with_autoscroll()) {
        KillTimer(win, kViewAutoscrollTimer);
        return;
    }
    if (GetCapture() != win) {
        view_mouse_capture_lost(win);
        return;
    }
    POINT p;
    GetCursorPos(&p);
    ScreenToClient(win, &p);
    RECT c;
    GetClientRect(win, &c);
    Pt step = autoscroll_step({p.x, p.y}, c.right, c.bottom, 16);
    if (step.x) sbar_cmd(kSbarX0, step.x < 0 ? kSbLineUp : kSbLineDown, 0);
    if (step.y) sbar_cmd(kSbarY0, step.y < 0 ? kSbLineUp : kSbLineDown, 0);
    if (step.x || step.y) {
        UpdateWindow(win);
        ViewMapping m = view_mapping();
        Pt dev{p.x, p.y};
        drag_to(win, m, dev, m.to_logical(dev));
        g.last_lp = m.to_logical(dev);
    }
}

Pt view_popup_point() { return popup_point_; }

bool view_mouse_dragging() { return g.drag != Drag::None; }

bool view_mouse_set_cursor(HWND win) {
    LPCSTR id = IDC_ARROW;
    if (g.drag == Drag::Link || (g.drag == Drag::None && g.hint == kHintObjectLink)) id = IDC_CROSS;
    else if (g.drag == Drag::ResizeObj || g.drag == Drag::ResizeShape || (g.drag == Drag::None && g.hint == kHintSize))
        id = IDC_SIZEALL;
    else if (g.drag == Drag::Move) id = IDC_SIZEALL;
    else if (g.drag == Drag::Scroll) id = IDC_HAND;
    if (same_as_) {
        // The shape menu's pick cursor, while a same-as mode waits for its click.
        if (HCURSOR pick = LoadCursorA(app_inst_ ? app_inst_ : GetModuleHandleA(nullptr), MAKEINTRESOURCEA(11225))) {
            SetCursor(pick);
            return true;
        }
        id = IDC_UPARROW;
    }
    SetCursor(util_system_cursor(id));
    return true;
}

void view_mouse_dbl(HWND win, int x, int y, UINT keys) {
    ViewMapping m = view_mapping();
    Pt lp = m.to_logical({x, y});
    Hit h = hit_test(m, lp);
    if (h.kind == Hit::Object || h.kind == Hit::ObjectRim) {
        obj_mark_one(h.a);
        view_invalidate();
        view_open_textbox(1, h.a, 0, false);
        return;
    }
    if (h.kind == Hit::Link || h.kind == Hit::Label) {
        marked_link_ = {{h.a, h.b}};
        view_invalidate();
        view_open_textbox(2, h.a, h.b, false);
        return;
    }
    if (h.kind != Hit::Void) return;
    // A new object of the toolbox's kind, named in place.
    Obj o = view_obj_new(obj_defaults_get().text, lp.x, lp.y, m.pos.level);
    UndoStep step;
    auto key = view_obj_put(o);
    if (!key) return;
    step.commit("Create Object");
    view_unmark_all();
    obj_mark_one(*key);
    view_invalidate();
    UpdateWindow(win);
    create_obj_later_ = o.shape;
    if (!view_open_textbox(1, *key, 0, true)) create_obj_later_.reset();
}

namespace {

// Pop-up menu `menu_id` at client point `at`, its commands acting on `src`.
void show_popup(HWND win, int menu_id, PopupSource src, POINT at) {
    view_invalidate();
    popup_menu_inst_ = src;
    HMENU res = LoadMenuA(app_inst_ ? app_inst_ : GetModuleHandleA(nullptr), MAKEINTRESOURCEA(menu_id));
    if (!res) return;
    ClientToScreen(win, &at);
    HWND owner = main_inst_ ? main_inst_ : win;
    TrackPopupMenu(GetSubMenu(res, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, owner, nullptr);
    DestroyMenu(res);
}

}  // namespace

void view_mouse_right(HWND win, int x, int y, UINT keys) {
    ViewMapping m = view_mapping();
    Pt lp = m.to_logical({x, y});
    popup_point_ = lp;
    Hit h = hit_test(m, lp);
    int menu_id = IDM_POP_BACKGROUND;
    PopupSource src{lp.x, lp.y};
    switch (h.kind) {
    case Hit::Object: case Hit::ObjectRim: case Hit::ObjHandle:
        menu_id = IDM_POP_OBJECT;
        src = {h.a, 0};
        if (!view_obj_marked(h.a, h.at)) {
            view_unmark_all();
            marked_obj_.push_back(h.a, h.at);
        }
        break;
    case Hit::Shape: case Hit::ShapeHandle:
        menu_id = IDM_POP_SHAPE;
        src = {h.a, 0};
        if (!is_marked(marked_shape_, h.a)) {
            view_unmark_all();
            marked_shape_ = view_with_groups({h.a});
        }
        break;
    case Hit::Link: case Hit::Label:
        menu_id = IDM_POP_LINK;
        src = {h.a, h.b};
        marked_link_ = {{h.a, h.b}};
        break;
    case Hit::Point:
        menu_id = IDM_POP_POINT;
        src = {h.point.x, h.point.y};
        break;
    default: break;
    }
    show_popup(win, menu_id, src, {x, y});
}

void view_context_menu(HWND win, int screen_x, int screen_y) {
    if (screen_x != -1 || screen_y != -1) {
        POINT p{screen_x, screen_y};
        ScreenToClient(win, &p);
        view_mouse_right(win, p.x, p.y, 0);
        return;
    }
    // From the keyboard: the menu of the marked item, shown on it; without one, the
    // background's, in the middle of the window.
    const ViewMapping m = view_mapping();
    RECT c;
    GetClientRect(win, &c);
    Pt at = m.to_logical({c.right / 2, c.bottom / 2});
    int menu_id = IDM_POP_BACKGROUND;
    std::optional<PopupSource> src;
    const int level = m.pos.level;
    auto middle = [](const Rc& r) { return Pt{r.left / 2 + r.right / 2, r.top / 2 + r.bottom / 2}; };
    if (!marked_obj_.empty()) {
        menu_id = IDM_POP_OBJECT;
        src = PopupSource{marked_obj_.front(), 0};
        if (const ObjBox* b = box_of(view_painted_objects(), marked_obj_.front(), level)) at = middle(b->rect);
    } else if (!marked_shape_.empty()) {
        menu_id = IDM_POP_SHAPE;
        src = PopupSource{marked_shape_.front(), 0};
        if (auto sh = view_shape_get(marked_shape_.front())) at = middle(Rc{sh->left, sh->top, sh->right, sh->bottom});
    } else if (!marked_link_.empty()) {
        menu_id = IDM_POP_LINK;
        const MarkedLink l = marked_link_.front();
        src = PopupSource{l.from, l.to};
        for (const LinkPath& path : view_painted_links()) {
            if (path.from != l.from || path.to != l.to || path.pts.empty()) continue;
            const size_t n = path.pts.size();
            const Pt a = path.pts[(n - 1) / 2], b = path.pts[n / 2];
            at = {a.x / 2 + b.x / 2, a.y / 2 + b.y / 2};  // halfway along
        }
    }
    popup_point_ = at;
    if (!src) src = PopupSource{at.x, at.y};
    if (menu_checked(CMD_SLIDESHOW)) menu_id = IDM_POP_SLIDESHOW;
    // An item scrolled out of sight has its menu in the middle of the window.
    Pt d = m.to_device(at);
    POINT p{d.x, d.y};
    if (!PtInRect(&c, p)) p = {c.right / 2, c.bottom / 2};
    show_popup(win, menu_id, *src, p);
}

bool view_key(HWND win, UINT vk) {
    bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
    switch (vk) {
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: {
        bool horizontal = vk == VK_LEFT || vk == VK_RIGHT;
        bool back = vk == VK_LEFT || vk == VK_DOWN;
        if (!marked_obj_.empty() || !marked_shape_.empty()) {
            int step = shift ? 1 : ctrl ? 100 : 10;
            int d = back ? -step : step;
            Pt moved = view_move_marked(horizontal ? d : 0, horizontal ? 0 : d, true);
            if (!moved.x && !moved.y) MessageBeep(MB_OK);  // at the edge of the coordinate range
        } else {
            // Left and up show what lies left and above.
            bool toward_start = vk == VK_LEFT || vk == VK_UP;
            sbar_cmd(horizontal ? kSbarX0 : kSbarY0, toward_start ? kSbLineUp : kSbLineDown, 0);
        }
        return true;
    }
    case VK_DELETE:
        if (const Command* c = cmd_find(CMD_DELETE)) c->run();
        else view_delete_marked();
        return true;
    case VK_ESCAPE: view_escape(); return true;
    case VK_RETURN:
        if (marked_obj_.size() != 1) return false;
        view_obj_run_action(marked_obj_.front());
        return true;
    case VK_APPS: view_context_menu(win, -1, -1); return true;
    case VK_PRIOR: view_level_step(-1); return true;
    case VK_NEXT: view_level_step(1); return true;
    default: return false;
    }
}

void view_escape() {
    HWND win = view_inst_;
    if (g.drag != Drag::None && win) {
        // What the drag already did to the records is taken back; no step is left.
        if (g.drag == Drag::Move) {
            view_move_marked(-g.applied.x, -g.applied.y, false);
        } else if (g.drag == Drag::ResizeObj) {
            if (auto o = view_obj_get(g.key)) {
                o->size = g.start_size;
                view_obj_put(*o);
            }
        } else if (g.drag == Drag::ResizeShape) {
            if (auto sh = view_shape_get(g.key)) {
                sh->left = g.start_rect.left;
                sh->top = g.start_rect.top;
                sh->right = g.start_rect.right;
                sh->bottom = g.start_rect.bottom;
                view_shape_put(*sh);
            }
        }
        if (g.drag == Drag::Move || g.drag == Drag::ResizeObj || g.drag == Drag::ResizeShape) {
            cancel_step();
            g.drag = Drag::None;
            KillTimer(win, kViewAutoscrollTimer);
        } else {
            end_drag(win, g.last_dev, g.last_lp, 0, false);
        }
        view_set_overlay({});
        if (GetCapture() == win) ReleaseCapture();
    }
    g.drag = Drag::None;
    view_unmark_all();
    view_invalidate();
}

Pt view_move_marked(int dx, int dy, bool record) {
    if (!dx && !dy) return {};
    std::unique_ptr<UndoStep> step;
    if (record) step = std::make_unique<UndoStep>();
    Pt moved = view_move_items(view_marked_places(), marked_shape_, current_level(), dx, dy);
    if (!moved.x && !moved.y) return moved;
    if (step) step->commit(marked_obj_.empty() ? "Move Shape" : "Move Object");
    view_invalidate();
    return moved;
}

bool view_delete_marked() {
    if (!view_clip_delete("Delete")) return false;
    view_invalidate();
    return true;
}

bool view_connect_marked() {
    if (marked_obj_.size() != 2) {
        msg_note("To create a Link, first mark two Objects.");
        return false;
    }
    return create_link(marked_obj_[0], marked_obj_[1]);
}

void view_level_step(int step) {
    ViewState st = sbar_view_state();
    view_unmark_all();
    sbar_cmd(kSbarLevel, kSbSet, st.level + step);
    view_invalidate();
}

// The view's document operations (portable part). The current document lives here; every other
// subsystem reads and changes it only through these operations.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/canvas.h"
#include "document/document.h"
#include "document/outline.h"
#include "document/undo.h"
#include "document/view_io.h"

// The current document.
Document& view_doc();

// ---- Hooks set by other subsystems at start-up ----------------------------------------------

// Called whenever an edit marks the document changed (the shell sets it to file_mark_changed).
using ChangedHook = void (*)();
void view_on_changed(ChangedHook hook);
// Evaluates a formula (text after "=") for object `key`; nullopt when the calculator fails.
// Recompute first calls it with "Reset~" and key 0.
using EvalHook = std::optional<double> (*)(const std::string& text, Key key);
void view_set_eval_hook(EvalHook hook);
// Shows a note to the user ("First mark 2 or more Shapes" ...); tests capture it.
using NoteHook = void (*)(const std::string& text);
void view_set_note_hook(NoteHook hook);
void view_note(const std::string& text);
// The Recompute that follows an edit in Auto mode (the calculator's, honouring setting 209);
// unset = view_recompute.
using RecomputeHook = void (*)();
void view_set_recompute_hook(RecomputeHook hook);
// Asks the diagram window for a repaint; unset in native tests.
using RepaintHook = void (*)();
void view_set_repaint_hook(RepaintHook hook);
void view_repaint();

// Sets the changed mark and tells the shell; inside an open change, once when it closes, so a
// change of 20,000 records refreshes the bars once.
void view_mark_changed();
// Called by undo when the outermost change closes.
void view_changed_flush();

// While set, view_obj_value never evaluates formulas nor stores values (painting must be pure).
void view_set_painting(bool on);
bool view_painting();

// ---- Objects ---------------------------------------------------------------------------------

// The look and action a new object takes (object defaults, drawing colour, the toolbox's object
// tool); the bars install it at start-up. Unset: the default record with shape 161.
using NewObjHook = Obj (*)();
void view_set_new_obj_hook(NewObjHook hook);
// A new object `id` at (x, y) on `level` with that look; not stored yet.
Obj view_obj_new(const std::string& id, int32_t x, int32_t y, int32_t level);

// Key 0 gives the default record (empty texts, flags 1, other fields 0).
std::optional<Obj> view_obj_get(Key key);
// o.key 0 appends a new object with the first free key; another key replaces that object's
// record (or appends it under that key when absent). Gives the object's key, or nullopt when
// no key is left (the user is told; nothing is added). Marks changed unless nothing changed.
std::optional<Key> view_obj_put(const Obj& o);
std::optional<std::string> view_obj_id(Key key);
std::optional<std::string> view_obj_ext(Key key);

struct ObjRef {
    Key key;
    std::string id;
};
std::vector<ObjRef> view_obj_each();

struct ObjFound {
    Key key = 0;
    int32_t action = 0;
    std::string ext;
};
std::optional<ObjFound> view_obj_find_id(const std::string& id);

// The text stored with an object: hypertext of action 0/12, the plain copy of rich text (42).
std::optional<std::string> view_obj_richtext(Key key);

// Removes the object with its links, value, cluster, sequence entry, texts and attachments.
// The marked lists are left alone (callers walk them while removing); clear them afterwards.
bool view_obj_remove(Key key);

int32_t view_obj_cluster(Key key);
void view_obj_set_cluster(Key key, int32_t code);

struct BinInfo {
    std::string name;
    int32_t a = 0, b = 0;
};
// The attachment of `kind` without its data; ("", 0, 0) when absent.
BinInfo view_obj_bin(Key key, int32_t kind);
// Shape 169 keeps `shape_ext` as the kind-2 attachment; any other shape drops it.
void view_obj_set_bin(Key key, int32_t shape, const std::string& shape_ext);
// Replaces the attachment of `kind` (embedded pictures).
void view_obj_put_bin(const Attachment& b);

// The object's value: stored f_, else for action 0 or 34 a "=" formula (through the eval hook)
// or a plain number, which is then stored as f_. Storing never marks the document changed.
std::optional<double> view_obj_value(Key key);
// Drops every f_ and computes each object's value again in stored order.
void view_recompute();
// Recompute when the compute mode is Auto (setting 69 = 0); false otherwise.
bool view_auto_recompute();
// Removes the stored value of one object.
void view_clear_value(Key key);

// ---- Links -----------------------------------------------------------------------------------

std::optional<Link> view_link_get(Key from, Key to);
// Replaces the first old_from -> old_to link in place (its ends may change); false when none.
bool view_link_put(Key old_from, Key old_to, const Link& l);
// Appends a new link; false when an end is no object.
bool view_link_add(const Link& l);
// Removes the first from -> to link.
bool view_link_remove(Key from, Key to);
// Every link in stored order except temporary ones (route 16).
std::vector<Link> view_link_each();
// The other end of each link of `key`, in stored order.
std::vector<Key> view_link_from(Key key);
bool view_link_touching(Key key);

// ---- Shapes and points -----------------------------------------------------------------------

constexpr int32_t kRegionShapeKind = 25;  // the marked region (temporary)

// Key 0 is the marked region; nullopt when absent.
std::optional<Shape> view_shape_get(Key key);
// s.key 0 appends with the first free key; gives the key, nullopt when none is left.
std::optional<Key> view_shape_put(const Shape& s);
bool view_shape_remove(Key key);

void view_point_add(int32_t level, int32_t x, int32_t y, int32_t style, int32_t colour);
// Removes the first point at (level, x, y) and gives it.
std::optional<PlotPoint> view_point_remove(int32_t level, int32_t x, int32_t y);
// Removes the matching points: style 0 = any style; colour_filter 1 = only points of `current`.
// Gives the number removed.
size_t view_clear_points(int32_t style, int32_t colour_filter, int32_t current = 0);

// ---- Moving within the coordinate range -------------------------------------------------------

// Coordinates run from -kCoordMax to kCoordMax; a move stops at that edge instead of wrapping.
constexpr int32_t kCoordMax = 2147483647;
// The coordinates a move takes along.
struct CoordSpan {
    int64_t x_lo = INT64_MAX, x_hi = INT64_MIN, y_lo = INT64_MAX, y_hi = INT64_MIN;
    void add(int64_t x, int64_t y);
    void add(const Obj& o) { add(o.x, o.y); }
    void add(const Shape& s);
    void add(const PlotPoint& p) { add(p.x, p.y); }
    // As much of (dx, dy) as keeps every coordinate in range, never the other way.
    Pt room(int64_t dx, int64_t dy) const;
};
// Moves the objects at the listed places in the document and the listed shapes that lie on
// `level` by (dx, dy), together, as far as the range lets them go; gives the move made.
Pt view_move_items(const std::vector<uint32_t>& objs, const std::vector<Key>& shapes, int level, int dx, int dy);

// ---- Settings --------------------------------------------------------------------------------

int32_t view_param_get(int code);
// Unchanged: nothing. Else stores (dropping a default value) and marks changed; the status
// counts 341 and 342 never mark the document changed.
void view_param_set(int code, int32_t v);
// Same as one undoable step "Change Para".
void view_param_set_undoable(int code, int32_t v);
std::string view_text_param_get(int code);
// Cluster spacing of settings 213 and 214, in diagram units.
int view_cluster_vert_spacing();
int view_cluster_horz_spacing();
void view_text_param_set(int code, const std::string& t);

// ---- Marking ---------------------------------------------------------------------------------

// The marked objects as places in the document's objects, each once, in stored order: an
// entry of marked_obj_ whose place holds an object of its key names that object, any other
// entry the first object of its key.
std::vector<uint32_t> view_marked_places();
// Whether the object at `place`, of key `key`, is marked; unmarking it.
bool view_obj_marked(Key key, uint32_t place);
void view_obj_unmark(Key key, uint32_t place);

// Clears every marking (objects, links, shapes, settings) and drops the temporary region shapes.
void view_unmark_all();

// The ID of an object followed by its computed value, in the Compute dialog's decimal format
// (text setting 26): "Total = 1200"; "" when the object has no value or the value is its ID.
std::string view_obj_value_text(const Document& d, const Obj& o);

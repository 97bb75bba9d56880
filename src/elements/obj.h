// Objects seen from the object module: the geometry cache the painter fills and the view reads
// (hit tests, marking, link ends), the defaults of new objects, marking one object and the
// duplicate-ID check. Portable; the window side is in obj_win.h.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/canvas.h"
#include "document/document.h"
#include "elements/obj_tables.h"

// objrect_: one entry per painted object, appended by the painter, emptied before each full
// repaint. L, T, R, B are diagram units (T above B).
struct ObjRectEntry {
    Key key = 0;
    int level = 0;
    int l = 0, t = 0, r = 0, b = 0;
    int f1 = 0, f2 = 0;
    Rc device;     // device rectangle, or all zero
    int kind = 1;  // 0 when `device` holds the device rectangle
};
extern std::vector<ObjRectEntry> objrect_;

void obj_rect_cache_clear();
void obj_rect_append(const ObjRectEntry& e);

// The view window's device-to-logical conversion; nullopt when the window cannot convert.
// Installed by the window side; without it obj_rect uses the logical rectangle.
using ObjDpToLp = std::optional<Pt> (*)(Pt);
void obj_set_dp_to_lp(ObjDpToLp f);

// The object's rectangle (L, T, R, B): the device rectangle of its kind-0 entry converted back
// when possible, else the first entry's. Nullopt when the object was not painted.
std::optional<Rc> obj_rect(Key key);
std::optional<Rc> obj_rect_compute(Key key);
// Every cache entry, in painting order (hit tests, marking by area).
const std::vector<ObjRectEntry>& obj_rect_each();
// The first entry of key painted at level, or null.
const ObjRectEntry* obj_rect_find(Key key, int level);

// The outline position code used by link end codes 51 and 52.
int obj_outline_kind(int shape, int cluster);

// Where a link end with end-position code `position` meets object `key` drawn at `level`;
// p1 is this end's reference point, p2 the other end's. Never fails: without a rule or a cache
// entry the result is p1. The cluster code is read from the current document.
Pt obj_link_end_point(int position, int shape, Key key, int level, Pt p1, Pt p2);
// The same from a given cache entry and cluster code.
Pt obj_link_end_point_in(int position, int shape, int cluster, const ObjRectEntry* e, Pt p1, Pt p2);

struct ObjDefaults {
    std::string text = "Idea";
    int action = 0;
    int size = kDefaultObjSize;
    uint16_t flags = kDefaultObjFlags;
};
ObjDefaults obj_defaults_get();
void obj_defaults_set(const std::string& text, int action, int size, uint32_t flags);

// Makes key the only marked object.
void obj_mark_one(Key key);

// Whether renaming to new_id deserves the duplicate-ID note: warning on, new_id not the
// defaults' text, not the old id, and some object of doc already carries it.
bool obj_id_dup_should_warn(const std::string& new_id, const std::string& old_id, bool warn_on,
                            const Document& doc);

// Reals to whole numbers: nearest, halves away from zero; saturates instead of overflowing and
// gives 0 for a value that is not a number, so painting never stops on a wild value.
int obj_round(double v);

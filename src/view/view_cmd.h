// The view's user commands and document-wide edits that need no window: property changes of
// the marked items, grouping, cluster layout, sequence numbering, the chart level, level shifts,
// Promote and return points. Each edit is one undoable step.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/canvas.h"
#include "document/document.h"
#include "document/globals.h"

// Runs user command `code` with `param` when it is document logic; the reply is 0 when done and
// -1 when nothing was marked or the command was refused. nullopt: the code is the window's.
std::optional<int> view_user_command(int code, int param);

// Object, link, shape, cluster (code <> 0) or point count, as user command 1 gives them.
int view_count(int what);

// Single commands, also called directly.
int view_recolour(int index);                // 11: objects, links and shapes marked
int view_set_marked_property(int code, int value);  // 16-19, 23, 24, 50
int view_group_shapes(bool group);           // 31
// Grouped shapes of a level go together: `shapes` with every grouped shape of each level on
// which one of them is grouped (the record holds one group mark, so a level has one group).
std::vector<Key> view_with_groups(const std::vector<Key>& shapes);
int view_front_back(bool front, int kind);   // 10 front / 9 back; kind 1 objects, 3 shapes
int view_layout_clusters(Key key);           // 32: that object's cluster, or 0 for all
int view_sequence(bool show);                // 33
int view_chart_level();                      // 27
// Drops the marks of objects on `level`, of links touching one, and of anything gone.
void view_unmark_level(int level);
// The critical path draws its chart on level 2 of a document; the calculator installs it.
using ChartHook = void (*)(Document& doc);
void view_set_chart_hook(ChartHook hook);

// Where cluster layout puts member `index` of `count` around (cx, cy) for arrangement `code`.
Pt view_cluster_place(int code, int index, int count, Pt centre, int vert, int horz);

// The sequence order: keys in the order setting 318 and its companions give, at `level`.
std::vector<Key> view_sequence_order(int level);

// Levels a diagram uses.
constexpr int kLowestLevel = -250, kHighestLevel = 250;
// Setting kLevelSettings + L is level L's own (its figure pattern).
constexpr int kLevelSettings = 10000;
// One move of the Shift dialog (10421-10428) at the current level `level`: 10425 moves it up
// (toward smaller numbers), 10426 down, 10427 inserts an empty level below it. False when it was
// refused (a level that is not empty, a move or insert past the level range), which the user is
// told. Not an undo step by itself: the dialog makes each press one.
bool view_shift(int button, int step, int level);

// Promote: each line becomes a new object linked from object `key` (reading order, placed
// below and right of it). Key 0 with one line: a new object at `at` on `level`. A new object
// that would cover another moves down until it covers nothing. One undoable step; gives the
// new keys.
std::vector<Key> view_obj_from_text(Key key, const std::vector<std::string>& lines,
                                    Pt at = {}, int level = 1);

// Return points of jumps into sub-levels and other documents, newest first.
void view_gosub_push(Key key, const std::string& id, const std::string& document, int scroll_x, int scroll_y);
std::optional<Gosub> view_gosub_pop();
int view_gosub_depth();

// Clear Level: every object (with its links), shape and point of `level` goes, as one step.
// False when the level held nothing.
bool view_clear_level(int level);
// Object action 43: the object takes the drawing colour, and its own colour back the next time.
bool view_toggle_color(Key key);
// Object action 44: level `level` is hidden, or shown again.
void view_toggle_level(int level);
bool view_level_hidden(int level);
// Another document: every level shown, no colour remembered.
void view_levels_shown_reset();

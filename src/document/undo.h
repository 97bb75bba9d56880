// Undo and redo of document edits. An edit opens a change (view_edit), makes it and closes it
// under an action name (view_undo_record). A step keeps only what changed, so large documents
// keep their 100 steps; the newest step is kept whatever its size, older ones giving way. When
// there is no memory to open a change, the user is asked before anything changes.
#pragma once

#include <cstdint>
#include <string>

// Opens a change: the document's records are copied. A change opened while another is open
// joins it (the outermost close names the step). When the copy cannot be made, asks whether to
// go on without Undo (No the default, naming the step `name` when given); No throws
// VornDeclined with no change open.
void view_edit(int what = 7, const char* name = nullptr);
// Closes the open change as one step named `name`. No open change: nothing happens. A change
// that altered nothing leaves no step.
void view_undo_record(const std::string& name);
// Closes the open change of an edit that stopped half way (the guard below, when an error leaves
// the scope): what it changed stays, as a step "Edit".
void view_edit_cancel();
bool view_edit_open();

bool view_can_undo();
bool view_can_redo();
// The names the Edit menu shows ("" when there is nothing).
std::string view_undo_name();
std::string view_redo_name();
bool view_undo();
bool view_redo();
// Forgets what Redo would bring back (a step taken back for good).
void view_redo_clear();
// Forgets the history (a new or another document).
void view_undo_clear();
// Names the point of the history the document is at: the same value again after undoing and
// redoing back to it, a new one after every recorded step, clear or loss of history.
uint64_t view_undo_state();
// Takes back, for good, every step recorded since the history stood at `state`: a cancelled
// dialog or a command that ran out of memory leaves the document as it found it. False when
// the history no longer reaches back that far.
bool view_undo_back_to(uint64_t state);

// Opens a change for a scope; commit() names it, leaving the scope otherwise cancels it.
class UndoStep {
public:
    explicit UndoStep(const char* name = nullptr) { view_edit(7, name); }
    ~UndoStep() { if (!done_) view_edit_cancel(); }
    void commit(const std::string& name) { done_ = true; view_undo_record(name); }
    UndoStep(const UndoStep&) = delete;
    UndoStep& operator=(const UndoStep&) = delete;
private:
    bool done_ = false;
};

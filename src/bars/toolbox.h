// The toolbox's model (portable): the tool table with its two sets (objects and links, shapes
// and points) on one grid, the pressed tool of each group, what a pick does, and the grid's
// geometry.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/canvas.h"

// Tool groups.
enum ToolGroup : int {
    kTgControl = 0, kTgShape = 1, kTgFill = 2, kTgPoint = 3, kTgObject = 4, kTgRoute = 5, kTgWeight = 6
};

constexpr int kToolUnusedBitmap = 11054;
constexpr int kToolNone = 999;  // no button of the group is pressed
constexpr int kToolIconCode = 168;

struct ToolRow {
    int pos, bitmap, group, code;
    std::string short_name, tooltip;
};

// What marked items a pick can act on.
struct ToolMarks {
    bool objs = false, links = false, shapes = false;
};

// What a released pick asks the window side to do.
struct ToolPick {
    int user_code = 0, user_param = 0;  // user command to the diagram window (0: none)
    int menu_cmd = 0;                   // main-menu command (0: none)
    bool mark_changed = false;          // current tools are saved with the document
    bool redraw = false;
    bool close = false;
    bool rotate = false;
    bool goes_on = false;  // a release outside the window then places an object or explains
};

class ToolboxModel {
public:
    ToolboxModel();

    const std::vector<ToolRow>& rows() const { return but_; }
    // The row shown at a grid position: the first in table order; null when none.
    const ToolRow* row_at(int pos) const;
    // True while the objects-and-links set is shown.
    bool objects_shown() const;

    // Pressed position of a group, nullopt when the group has no record.
    std::optional<int> depressed(int group) const;
    // Makes the button at `pos` its group's pressed one; false for an empty or unused cell.
    bool press_position(int pos);
    // The code of the pressed tool of a group; group 1 gives 0 while the toolbox is closed or
    // shows objects; the Icon tool gives the current icon number.
    std::optional<int> current(int group, bool window_open, int current_icon) const;
    // Presses the tool of `group` with `code`; false (and the group left without a pressed
    // tool) when none has it. Group 4 with an icon number (above 200) presses Icon and sets
    // *icon.
    bool press(int group, int code, int* icon);

    // The effect of releasing the mouse on the button at `pos`.
    ToolPick pick(int pos, const ToolMarks& marks, int current_icon);
    void toggle();

    // Tooltip title of a row (Toggle shows which set is up).
    std::string title(const ToolRow& r) const;

    struct Named {
        int code;
        std::string name;
    };
    std::vector<Named> shape_kinds() const;
    std::vector<Named> fill_styles() const;

    // Moves every row of `group` behind all other rows, keeping their order.
    void move_behind(int group);

private:
    std::vector<ToolRow> but_;
    std::map<int, int> depressed_;  // group -> position
    const ToolRow* row_of(int group, int pos) const;
};

// Geometry of the grid: 36 cells of 25 x 22; orientation 0 vertical (2 columns), 1 horizontal.
constexpr int kToolCellW = 25, kToolCellH = 22;
Pt toolbox_cell_origin(int pos, int orient, bool pressed);
// Grid position under a client point, 0 outside the grid.
int toolbox_position_at(int x, int y, int orient);
// The window's rectangle for its place and orientation.
Rc toolbox_window_rect(int x, int y, int orient);

// Place and orientation ("Toolbox" = [X, Y, Orientation]); a value of another shape or with an
// unknown orientation gives the default [0, 0, 1].
struct ToolboxPlace {
    int x = 0, y = 0, orient = 1;
    bool operator==(const ToolboxPlace&) const = default;
};
ToolboxPlace toolbox_place_from(const std::vector<int>& stored);
std::vector<int> toolbox_place_default();
// Keeps the window inside a parent client area of w x h (the top left corner wins when the
// parent is smaller than the toolbox).
ToolboxPlace toolbox_place_clamp(ToolboxPlace p, int w, int h);

// prev_pos_: the remembered place, kept for the whole run once read.
std::optional<ToolboxPlace>& toolbox_prev_pos();

// The note shown after releasing a tool outside the toolbox with nothing to act on.
const char* toolbox_note(int group);

// The program's toolbox, and the current icon of the icon catalogue.
ToolboxModel& toolbox_model();
using IconGetHook = int (*)();
using IconSetHook = void (*)(int);
// The icon catalogue keeps the current icon; until it hooks in, the toolbox keeps it.
void toolbox_set_icon_hooks(IconGetHook get, IconSetHook set);
int toolbox_icon_current();
void toolbox_icon_set(int icon);
// True while the toolbox window is open (the window side sets it).
void toolbox_set_open(bool open);
bool toolbox_open();

// The operations the rest of the program uses.
std::optional<int> toolbox_current(int group);
bool toolbox_press(int group, int code);
std::vector<ToolboxModel::Named> toolbox_shape_kinds();
std::vector<ToolboxModel::Named> toolbox_fill_styles();

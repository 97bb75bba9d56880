// The toolbar's model (portable): the button table, the layouts and the bar's geometry. The
// palette it shows lives in base/palette.h.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "base/canvas.h"
#include "base/palette.h"

// ---- Buttons and layouts.

struct TbarButton {
    int no;
    int bitmap;
    int command;
    const char* label;
    const char* tooltip;
};
// The 20 buttons layouts can use, by number.
const std::vector<TbarButton>& tbar_buttons();
const TbarButton* tbar_button(int no);

// Orientation codes: 0 top, 1 left, 2 none.
enum TbarOrient : int { kTbarTop = 0, kTbarLeft = 1, kTbarNone = 2 };
constexpr int kTbarCmdLeft = 10983, kTbarCmdTop = 10984, kTbarCmdNone = 10985;
// Menu command of an orientation code and back; unknown codes count as top.
int tbar_orient_of_command(int command);
int tbar_command_of_orient(int orient);

struct TbarStyle {
    int no = 0;
    std::vector<int> buttons;
    int orientation = 0;
    std::string name;
};

// Default stored value of a user layout: [Orientation, 1, buttons...].
std::vector<int> tbar_user_layout_default();
// The user layout N (1-4) from its stored list; a list too short to hold an orientation and a
// button gives the default layout, so the layout numbers stay in order.
TbarStyle tbar_user_layout(int n, const std::vector<int>& stored);

class TbarModel {
public:
    static constexpr int kButton = 28;  // button size and bar thickness

    TbarModel();
    // Replaces the four user layouts from the stored lists of "Toolbar1".."Toolbar4".
    void load_user_layouts(const std::vector<std::vector<int>>& stored);
    const std::vector<TbarStyle>& styles() const { return styles_; }

    int style() const { return style_; }
    // Sets the current layout and lays out its buttons; an unknown number gives layout 1.
    void set_style(int no);

    // Shows `buttons` (in this order) without changing the layout: the Toolbar Editor's preview.
    void show_buttons(const std::vector<int>& buttons);
    // Layout `no` gets these buttons and this orientation; false for an unknown layout.
    bool replace_style(int no, const std::vector<int>& buttons, int orientation);

    // Button numbers as shown, position 0 first.
    const std::vector<int>& shown() const { return shown_; }
    // The bar's length in pixels (its height on the left, its width on top). The colour strip
    // always stays whole: buttons that would push it past the end are left out.
    void set_room(int length) { room_ = length; }
    // How many of the shown buttons the bar has room for, from position 0.
    int buttons_fitting() const;
    // Pixel offset where the colour strip begins, just after the buttons that fit.
    int strip_offset() const { return buttons_fitting() * kButton; }
    // The strip's length along the bar: 9 cells and the line closing the last.
    static constexpr int kStripLength = 9 * 12 + 1;

    // Geometry; `left` when the bar stands on the left.
    static Rc button_rect(int pos, bool left);
    // Cell 0-15 colours, 16-17 the current-colour swatch.
    Rc cell_rect(int cell, bool left) const;

    struct Hit {
        enum Kind { None, Button, Cell } kind = None;
        int index = -1;  // position or cell
        bool operator==(const Hit&) const = default;
    };
    Hit hit(int x, int y, bool left) const;

    // Window place in the main window's client area as x, y, width, height.
    static Rc place(int orient, int client_right, int client_bottom);

private:
    std::vector<TbarStyle> styles_;
    int style_ = 1;
    std::vector<int> shown_;
    int room_ = 1 << 30;
};

// The program's toolbar.
TbarModel& tbar_model();

// Palette index of a colour cell of the given half.
int tbar_cell_color_index(int half, int cell);
// Tooltip title and text of colour cell `cell` (0-15).
struct TipText {
    std::string title, text;
};
TipText tbar_cell_tip(int half, int cell);

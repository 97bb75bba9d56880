#include "bars/tbar.h"

#include <algorithm>
#include <array>

namespace {

const std::vector<TbarButton> but_ = {
    {0, 11186, 10879, "Close", "Close TextBox, TextWindows"},
    {1, 11174, 10831, "Save", "Save current file"},
    {2, 11118, 10844, "Undo", "Undo previous step"},
    {3, 11080, 10845, "Redo", "Redo an Undo"},
    {4, 11184, 10847, "Cut", "Cut texts, objects, shapes"},
    {5, 11185, 10848, "Copy", "Copy texts, objects, shapes"},
    {6, 11175, 10849, "Paste", "Paste texts, objects, shapes, bitmaps"},
    {7, 11177, 10828, "Home", "Goto Homefile"},
    {8, 11193, 10829, "Back", "Goto previous file"},
    {9, 11180, 10830, "Forward", "Goto next file"},
    {10, 11092, 10995, "Toolbox", "Toggle Toolbox"},
    {11, 11081, 10919, "Connect A-B", "Connect 2 marked objects"},
    {12, 11171, 10950, "Fit ", "Zoom to fit window"},
    {13, 11170, 10956, "Centralize", "Center (0,0) at current level"},
    {14, 11172, 10967, "Analyze", "Open Analyzer"},
    {15, 11187, 10968, "Checklists", "Checklists"},
    {16, 11179, 10969, "Questions", "Generate Questions"},
    {17, 11156, 10971, "Generator", "Generate Ideas"},
    {18, 11173, 11004, "Compute", "Re-compute expressions"},
    {19, 11178, 11006, "Help", "Help Contents"},
};

std::vector<TbarStyle> preset_styles() {
    return {
        {0, {1, 2, 4, 5, 6, 7, 8, 11, 12, 13}, kTbarLeft, "Standard Vert"},
        {1, {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 18, 19}, kTbarTop, "Standard Horz"},
        {2, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}, kTbarTop, "Extended Horz"},
        {3, {0, 1, 7, 8, 9, 10}, kTbarTop, "Viewing"},
    };
}

}  // namespace


const std::vector<TbarButton>& tbar_buttons() { return but_; }

const TbarButton* tbar_button(int no) {
    return no >= 0 && no < static_cast<int>(but_.size()) ? &but_[no] : nullptr;
}

int tbar_orient_of_command(int command) {
    switch (command) {
    case kTbarCmdLeft: return kTbarLeft;
    case kTbarCmdNone: return kTbarNone;
    }
    return kTbarTop;
}

int tbar_command_of_orient(int orient) {
    switch (orient) {
    case kTbarLeft: return kTbarCmdLeft;
    case kTbarNone: return kTbarCmdNone;
    }
    return kTbarCmdTop;
}

std::vector<int> tbar_user_layout_default() { return {0, 1, 1, 7, 8, 11, 12, 13}; }

TbarStyle tbar_user_layout(int n, const std::vector<int>& stored) {
    const std::vector<int>& v = stored.size() >= 2 ? stored : tbar_user_layout_default();
    TbarStyle s;
    s.no = n + 3;
    s.orientation = v[0] >= kTbarTop && v[0] <= kTbarNone ? v[0] : kTbarTop;
    s.buttons.assign(v.begin() + 2, v.end());
    s.name = "User defined " + std::to_string(n);
    return s;
}

TbarModel::TbarModel() : styles_(preset_styles()) {
    for (int n = 1; n <= 4; ++n) styles_.push_back(tbar_user_layout(n, tbar_user_layout_default()));
    set_style(1);
}

void TbarModel::load_user_layouts(const std::vector<std::vector<int>>& stored) {
    styles_.resize(4);
    for (int n = 1; n <= 4; ++n) {
        static const std::vector<int> none;
        styles_.push_back(tbar_user_layout(n, n - 1 < static_cast<int>(stored.size()) ? stored[n - 1] : none));
    }
    set_style(style_);
}

void TbarModel::set_style(int no) {
    if (no < 0 || no >= static_cast<int>(styles_.size())) no = 1;
    style_ = no;
    show_buttons(styles_[no].buttons);
}

void TbarModel::show_buttons(const std::vector<int>& buttons) {
    shown_.clear();
    for (int b : buttons)
        if (tbar_button(b)) shown_.push_back(b);
}

bool TbarModel::replace_style(int no, const std::vector<int>& buttons, int orientation) {
    if (no < 0 || no >= static_cast<int>(styles_.size())) return false;
    styles_[no].buttons = buttons;
    styles_[no].orientation = orientation >= kTbarTop && orientation <= kTbarNone ? orientation : kTbarTop;
    if (no == style_) set_style(no);
    return true;
}

int TbarModel::buttons_fitting() const {
    const int n = static_cast<int>(shown_.size());
    return std::clamp((room_ - kStripLength) / kButton, 0, n);
}

Rc TbarModel::button_rect(int pos, bool left) {
    int l = left ? 1 : 0;
    int x = (1 - l) * kButton * pos, y = l * kButton * pos;
    return {x, y, x + kButton, y + kButton};
}

Rc TbarModel::cell_rect(int cell, bool left) const {
    int off = strip_offset();
    if (left) {
        int r = cell / 2, c = cell % 2;
        return {14 * c, off + 12 * r, 14 * c + 14, off + 12 * r + 12};
    }
    int c = cell / 2, r = cell % 2;
    return {off + 12 * c, 14 * r, off + 12 * c + 12, 14 * r + 14};
}

TbarModel::Hit TbarModel::hit(int x, int y, bool left) const {
    if (x < 0 || y < 0) return {};
    int along = left ? y : x, across = left ? x : y;
    if (across >= kButton) return {};
    int off = strip_offset();
    if (along < off) return {Hit::Button, along / kButton};
    int cell;
    if (left) {
        if (x >= 28) return {};
        cell = 2 * ((y - off) / 12) + x / 14;
    } else {
        cell = 2 * ((x - off) / 12) + y / 14;
    }
    if (cell > 17) return {};
    return {Hit::Cell, cell};
}

Rc TbarModel::place(int orient, int client_right, int client_bottom) {
    switch (orient) {
    case kTbarLeft: return {1, 1, kButton, client_bottom};
    case kTbarTop: return {1, 1, client_right, kButton};
    }
    return {1, 1, 1, 1};
}

int tbar_cell_color_index(int half, int cell) { return (half == 2 ? 16 : 0) + cell; }

TipText tbar_cell_tip(int half, int cell) {
    std::string title = "Color " + std::to_string(tbar_cell_color_index(half, cell));
    return {title, "Palette " + std::to_string(half == 2 ? 2 : 1) + " : " + title};
}

TbarModel& tbar_model() {
    static TbarModel m;
    return m;
}

// POINT: plotted points. Their styles, how each style is painted, and Plot Points: an index J
// runs from 1 to N, two objects' formulas give X and Y, and every (X, Y) inside the ranges
// becomes a point record. Portable; the dialogs are in point_win.h.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/canvas.h"
#include "base/key.h"
#include "document/document.h"

// point_para_: the styles in list order.
struct PointStyle {
    int code;
    int size;  // pixels repainted around a point of this style
    const char* name;
};
const std::vector<PointStyle>& point_styles();
// The list position of a style code, -1 when none has it.
int point_style_pos(int code);
// The repaint margin of a style code (20 for unknown codes).
int point_style_size(int code);

// One point in its colour; `unit` is the diagram units of one pixel.
void point_paint(Canvas& c, const PlotPoint& q, int unit);
// "(X,Y)", shown beside each point while Show/Hide (X,Y) is on.
std::string point_xy_text(const PlotPoint& q);

// ---- Plot Points

// current_j_: the index the formulas read as J.
double point_current_j();
void point_set_current_j(int64_t j);

// The calculator, installed by the idea tools: a formula's value for an object (nullopt when it
// fails; the calculator shows its own message, once per pass, and a failure does not keep later
// formulas from being evaluated), and a batch that keeps its look-up tables while a plot runs.
// "Reset~" with key 0 starts a new pass.
struct PointCalc {
    std::optional<double> (*eval)(const std::string& text, Key key) = nullptr;
    void (*batch)(bool open) = nullptr;
};
void point_set_calc(const PointCalc& calc);
const PointCalc& point_calc();

// An entry of the variable lists: the ID cut or padded to 20 characters, then the key.
std::string point_variable_entry(std::string_view id, Key key);
std::optional<Key> point_variable_key(std::string_view entry);
// Entries of every object whose extension text is a formula, sorted as a list box sorts them.
std::vector<std::string> point_variables(const Document& d);

// The "Plot" setting: X and Y variable positions, N, X from, X to, Y from, Y to.
struct PlotSetting {
    int x_pos = 0, y_pos = 1, n = 10, x_from = -600, x_to = 600, y_from = -600, y_to = 600;
    std::vector<int> list() const { return {x_pos, y_pos, n, x_from, x_to, y_from, y_to}; }
    bool operator==(const PlotSetting&) const = default;
};
// A stored list of another length gives the defaults; values are kept as stored.
PlotSetting point_plot_setting(const std::vector<int>& stored);

// The most J one plot runs through: the points of a larger plot would not fit in memory.
constexpr int kPlotMaxN = 1000000;

// Points for J = 1 .. n of two evaluators; a J whose X or Y has no finite value, or falls
// outside the ranges (inclusive), gives no point. Values round halves away from zero.
// nullopt when the first evaluation (J = 1) of either fails, or when `go_on` (asked every
// kPlotProgressEvery J with the J reached) says stop: nothing is plotted.
struct PlotRange {
    int n = 10, x_from = -600, x_to = 600, y_from = -600, y_to = 600;
};
using PlotEval = std::function<std::optional<double>(int64_t j)>;
using PlotProgress = std::function<bool(int64_t j)>;
constexpr int kPlotProgressEvery = 1024;
std::optional<std::vector<Pt>> point_plot_values(const PlotRange& r, const PlotEval& x, const PlotEval& y,
                                                 const PlotProgress& go_on = {});

#include "elements/point.h"

#include <cmath>

#include "base/util.h"

namespace {

double current_j_ = 0;
PointCalc calc_;

}  // namespace

const std::vector<PointStyle>& point_styles() {
    static const std::vector<PointStyle> t = {
        {1, 5, "Dots(::)"}, {7, 2, "Dot (\xB7)"}, {2, 12, "Cross(+)"}, {3, 12, "Cross(x)"},
        {5, 12, "Square"},  {4, 12, "Circle(o)"}, {6, 11, "Triangle"},
    };
    return t;
}

int point_style_pos(int code) {
    const auto& t = point_styles();
    for (size_t i = 0; i < t.size(); ++i)
        if (t[i].code == code) return static_cast<int>(i);
    return -1;
}

int point_style_size(int code) {
    int pos = point_style_pos(code);
    return pos < 0 ? 20 : point_styles()[static_cast<size_t>(pos)].size;
}

void point_paint(Canvas& c, const PlotPoint& q, int unit) {
    const Colour col = static_cast<Colour>(q.colour) & 0xFFFFFF;
    const int u = unit < 1 ? 1 : unit;
    const int x = q.x, y = q.y;
    auto dot = [&](int cx, int cy, int half) { c.fill_rect({cx - half, cy + half, cx + half, cy - half}, col); };
    c.set_pen({0, 0, col});
    c.set_brush({1, col});
    const int r = 4 * u;  // half size of the outlined marks
    switch (q.style) {
    case 1:
        for (int dx : {-2, 2})
            for (int dy : {-2, 2}) dot(x + dx * u, y + dy * u, u / 2 + 1);
        break;
    case 2:
        c.line({x - 5 * u, y}, {x + 5 * u, y});
        c.line({x, y - 5 * u}, {x, y + 5 * u});
        break;
    case 3:
        c.line({x - r, y - r}, {x + r, y + r});
        c.line({x - r, y + r}, {x + r, y - r});
        break;
    case 4: c.ellipse({x - r, y + r, x + r, y - r}); break;
    case 5: c.rectangle({x - r, y + r, x + r, y - r}); break;
    case 6: c.polygon({{x, y + r}, {x + r, y - r}, {x - r, y - r}}); break;
    default: dot(x, y, u); break;
    }
}

std::string point_xy_text(const PlotPoint& q) {
    return "(" + std::to_string(q.x) + "," + std::to_string(q.y) + ")";
}

double point_current_j() { return current_j_; }
void point_set_current_j(int64_t j) { current_j_ = static_cast<double>(j); }

void point_set_calc(const PointCalc& calc) { calc_ = calc; }
const PointCalc& point_calc() { return calc_; }

std::string point_variable_entry(std::string_view id, Key key) {
    std::string s(id.substr(0, 20));
    s.resize(20, ' ');
    return s + std::to_string(key);
}

std::optional<Key> point_variable_key(std::string_view entry) {
    if (entry.size() <= 20) return std::nullopt;
    std::string_view digits = entry.substr(20);
    long v = 0;
    for (char ch : digits) {
        if (ch < '0' || ch > '9') return std::nullopt;
        v = v * 10 + (ch - '0');
        if (v > 65535) return std::nullopt;
    }
    if (v == 0) return std::nullopt;
    return static_cast<Key>(v);
}

std::vector<std::string> point_variables(const Document& d) {
    std::vector<std::string> out;
    for (const auto& o : d.objs)
        if (!o.ext.empty() && o.ext[0] == '=') out.push_back(point_variable_entry(o.id, o.key));
    return util_sort_strings(std::move(out));
}

PlotSetting point_plot_setting(const std::vector<int>& stored) {
    if (stored.size() != 7) return {};
    return {stored[0], stored[1], stored[2], stored[3], stored[4], stored[5], stored[6]};
}

std::optional<std::vector<Pt>> point_plot_values(const PlotRange& r, const PlotEval& x, const PlotEval& y,
                                                 const PlotProgress& go_on) {
    if (!x(1) || !y(1)) return std::nullopt;
    std::vector<Pt> out;
    // 64 bits, so that J = n = INT_MAX ends.
    for (int64_t j = 1; j <= r.n; ++j) {
        if (go_on && j % kPlotProgressEvery == 0 && !go_on(j)) return std::nullopt;
        auto vx = x(j);
        // NaN fails every comparison, so finiteness is tested first.
        if (!vx || !std::isfinite(*vx) || *vx < r.x_from || *vx > r.x_to) continue;
        auto vy = y(j);
        if (!vy || !std::isfinite(*vy) || *vy < r.y_from || *vy > r.y_to) continue;
        out.push_back({static_cast<int>(std::round(*vx)), static_cast<int>(std::round(*vy))});
    }
    return out;
}

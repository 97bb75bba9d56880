#include "elements/bg.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "base/pict.h"

namespace {

constexpr BgFillRow kFills[] = {
    {0, 0, "Plain"},           {1, 1, "Linear blend"},      {2, 2, "Rect blend"},
    {3, 3, "Roundrect blend"}, {4, 4, "Ellip. blend"},      {5, 5, "circular blend"},
    {6, 6, "Circular blend"},  {7, 7, "Repeating icon..."}, {8, 8, "Repeating pict..."},
};

constexpr BgFigureRow kFigures[] = {
    {0, 0, "None", 1},         {1, 7, "Tunnel", 1},        {2, 1, "Ellipses", 1},
    {3, 14, "Circles", 1},     {4, 2, "Rectangles", 1},    {5, 3, "Single Cross", 1},
    {6, 15, "Scale", 1},       {7, 6, "Dotted Grid", 1},   {8, 16, "Stars", 1},
    {9, 4, "World Map", 2},    {10, 17, "Invisible", 1},
};

// Coarse coastlines as (longitude, latitude); each becomes a 45-point outline.
struct LonLat {
    int lon, lat;
};
const std::vector<std::vector<LonLat>> kCoasts = {
    // North and Central America
    {{-165, 65}, {-140, 70}, {-95, 72}, {-80, 62}, {-65, 60}, {-55, 50}, {-70, 43}, {-80, 30}, {-82, 25},
     {-97, 26}, {-97, 18}, {-87, 15}, {-80, 8}, {-92, 14}, {-105, 20}, {-117, 32}, {-124, 40}, {-125, 48},
     {-135, 58}, {-150, 60}, {-165, 60}},
    // South America
    {{-80, 8}, {-60, 10}, {-50, 0}, {-35, -5}, {-40, -22}, {-48, -28}, {-58, -38}, {-65, -45}, {-68, -55},
     {-75, -50}, {-72, -30}, {-70, -18}, {-80, -5}},
    // Europe and Asia
    {{-10, 36}, {-9, 43}, {-2, 48}, {5, 53}, {10, 58}, {5, 62}, {20, 70}, {40, 68}, {60, 70}, {80, 73},
     {105, 78}, {140, 72}, {170, 70}, {180, 66}, {160, 60}, {140, 55}, {140, 40}, {122, 30}, {120, 22},
     {108, 20}, {105, 10}, {100, 2}, {98, 15}, {90, 22}, {80, 15}, {77, 8}, {72, 20}, {60, 25}, {50, 30},
     {56, 25}, {45, 13}, {35, 30}, {27, 36}, {22, 40}, {12, 44}, {15, 38}, {5, 43}, {-5, 36}},
    // Africa
    {{-17, 15}, {-17, 21}, {-10, 30}, {-5, 36}, {10, 37}, {20, 32}, {32, 31}, {35, 28}, {43, 12}, {51, 12},
     {40, -10}, {40, -15}, {35, -25}, {20, -35}, {15, -27}, {12, -15}, {9, -2}, {8, 5}, {-8, 5}, {-13, 8}},
    // Australia
    {{114, -22}, {122, -18}, {131, -12}, {137, -12}, {142, -11}, {146, -19}, {153, -27}, {150, -37},
     {140, -38}, {131, -31}, {115, -34}},
    // Greenland
    {{-55, 60}, {-45, 60}, {-20, 70}, {-18, 80}, {-40, 83}, {-65, 80}, {-60, 75}, {-55, 68}},
    // Antarctica
    {{-175, -70}, {-120, -68}, {-60, -64}, {0, -69}, {60, -66}, {120, -66}, {175, -70}},
    // Great Britain
    {{-5, 50}, {1, 51}, {0, 53}, {-2, 57}, {-5, 58}, {-6, 55}, {-3, 54}, {-5, 52}},
    // Japan
    {{130, 31}, {135, 34}, {140, 35}, {142, 40}, {141, 45}, {139, 42}, {135, 36}, {131, 34}},
    // Madagascar
    {{44, -25}, {47, -25}, {50, -16}, {49, -12}, {44, -17}},
    // Borneo
    {{109, 1}, {117, 7}, {119, 1}, {116, -4}, {110, -3}},
    // New Zealand
    {{166, -46}, {172, -41}, {174, -37}, {178, -38}, {174, -42}, {169, -47}},
};

constexpr int kOutlinePoints = 45;

Pt to_frame(double lon, double lat) { return {bg_round(-45 + lon * 7.4), bg_round(lat * 9.5)}; }

// Keeps the corners and spreads the remaining points along the edges by their length.
std::vector<Pt> outline(const std::vector<LonLat>& c) {
    size_t n = c.size();
    std::vector<double> len(n);
    double total = 0;
    for (size_t i = 0; i < n; ++i) {
        const LonLat &a = c[i], &b = c[(i + 1) % n];
        len[i] = std::hypot(b.lon - a.lon, b.lat - a.lat);
        total += len[i];
    }
    int extra = kOutlinePoints - static_cast<int>(n);
    std::vector<int> add(n, 0);
    int given = 0;
    for (size_t i = 0; i < n && total > 0; ++i) {
        add[i] = static_cast<int>(extra * len[i] / total);
        given += add[i];
    }
    for (int k = 0; given < extra; ++k, ++given) {
        size_t best = 0;
        for (size_t i = 1; i < n; ++i)
            if (len[i] / (add[i] + 1) > len[best] / (add[best] + 1)) best = i;
        ++add[best];
    }
    std::vector<Pt> out;
    for (size_t i = 0; i < n; ++i) {
        const LonLat &a = c[i], &b = c[(i + 1) % n];
        for (int k = 0; k <= add[i]; ++k) {
            double t = static_cast<double>(k) / (add[i] + 1);
            out.push_back(to_frame(a.lon + (b.lon - a.lon) * t, a.lat + (b.lat - a.lat) * t));
        }
    }
    return out;
}

int channel(Colour c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }

Pt lp(Canvas& c, int x, int y) { return c.dp_to_lp({x, y}); }

// One device pixel at logical point p: a fill covers logical rows and columns [a, a + n).
void pixel(Canvas& c, Pt p, Colour colour) {
    Pt d = c.lp_to_dp(p);
    Pt a = c.dp_to_lp(d), b = c.dp_to_lp({d.x + 1, d.y + 1});
    int w = std::max(1, std::abs(b.x - a.x)), h = std::max(1, std::abs(b.y - a.y));
    c.fill_rect({a.x, a.y, a.x + w, a.y + h}, colour);
}

Rc client_logical(Canvas& c, const Rc& d, int grow) {
    Pt a = lp(c, d.left - grow, d.top - grow), b = lp(c, d.right + grow, d.bottom + grow);
    return {a.x, a.y, b.x, b.y};
}

void clear(Canvas& c, const BgFillInput& in) { c.fill_rect(client_logical(c, in.client, 2), in.back); }

void linear_blend(Canvas& c, const BgFillInput& in) {
    Rc r = client_logical(c, in.client, 0);
    double y1 = std::max(r.top, r.bottom), y2 = std::min(r.top, r.bottom);
    double step = (y1 - y2) * 0.0333333;
    c.set_pen({0, 5, 0});
    for (int i = 0; i < 30; ++i) {
        double t = i * 0.0333333 + 0.002;
        c.set_brush({2, bg_mix(in.back, t, in.blend, 1.0 - t)});
        c.rectangle({r.left, bg_round(y1 - i * step), r.right, bg_round(y1 - (i + 1) * step - 15.0)});
    }
}

void shaped_blend(Canvas& c, const BgFillInput& in) {
    clear(c, in);
    c.set_pen({0, 5, 0});
    for (int i = 1; i <= 9; ++i) {
        double t = i * 0.1;
        c.set_brush({2, bg_mix(in.back, 1.0 - t, in.blend, t)});
        int a = 70 * i - 870, b = 650 - 50 * i;
        Rc box{a, b, -a, -b};
        switch (in.fill) {
        case 2: c.rectangle(box); break;
        case 3: c.round_rect(box, (box.top - box.bottom) / 7, (box.top - box.bottom) / 7); break;
        case 4: c.ellipse(box); break;
        case 5: {
            int x = (box.left + box.right) / 2, h = (box.top - box.bottom) / 2;
            c.ellipse({x - h, box.top, x + h, box.bottom});
            break;
        }
        default: {
            int y = (box.top + box.bottom) / 2, h = (box.right - box.left) / 2;
            c.ellipse({box.left, y - h, box.right, y + h});
            break;
        }
        }
    }
}

void tile(Canvas& c, const BgFillInput& in) {
    const Dib& d = *in.tile;
    // Columns one after the other, each from top to bottom.
    for (Pt o : bg_tile_origins(in.client.right, in.client.bottom, d.width, d.height)) {
        Pt a = lp(c, o.x, o.y), b = lp(c, o.x + d.width, o.y + d.height);
        c.draw_dib(d, {a.x, a.y, b.x, b.y}, kRopSrcCopy);
    }
}

}  // namespace

std::span<const BgFillRow> bg_fills() { return kFills; }
std::span<const BgFigureRow> bg_figures() { return kFigures; }

int bg_fill_code(int pos) {
    for (const auto& r : kFills)
        if (r.pos == pos) return r.code;
    return -1;
}
int bg_fill_pos(int code) {
    for (const auto& r : kFills)
        if (r.code == code) return r.pos;
    return -1;
}
int bg_figure_code(int pos) {
    for (const auto& r : kFigures)
        if (r.pos == pos) return r.code;
    return -1;
}
int bg_figure_pos(int code) {
    const BgFigureRow* r = bg_figure_by_code(code);
    return r ? r->pos : -1;
}
const BgFigureRow* bg_figure_by_code(int code) {
    for (const auto& r : kFigures)
        if (r.code == code) return &r;
    return nullptr;
}

int bg_round(double v) { return static_cast<int>(std::lround(v)); }

Colour bg_mix(Colour a, double ta, Colour b, double tb) {
    Colour out = 0;
    for (int shift : {0, 8, 16}) {
        int v = std::clamp(bg_round(channel(a, shift) * ta + channel(b, shift) * tb), 0, 255);
        out |= static_cast<Colour>(v) << shift;
    }
    return out;
}

const std::vector<std::vector<Pt>>& bg_world_map() {
    static const std::vector<std::vector<Pt>> map = [] {
        std::vector<std::vector<Pt>> m;
        for (const auto& c : kCoasts) m.push_back(outline(c));
        return m;
    }();
    return map;
}

std::vector<Pt> bg_tile_origins(int cw, int ch, int pw, int ph) {
    std::vector<Pt> out;
    if (pw <= 0 || ph <= 0 || cw <= 0 || ch <= 0) return out;
    for (int64_t x = 0;; x += pw) {
        for (int64_t y = 0;; y += ph) {
            out.push_back({static_cast<int>(x), static_cast<int>(y)});
            if (y >= ch) break;
        }
        if (x >= cw) break;
    }
    return out;
}

std::shared_ptr<const Dib> bg_tile_block(const std::shared_ptr<const Dib>& d, int min_side) {
    if (!d || d->empty() || d->height <= 0 || (d->width >= min_side && d->height >= min_side)) return d;
    auto img = image_from_dib(d->packed);
    if (!img || img->width != d->width || img->height != d->height) return d;
    const int w = img->width, h = img->height;
    int across = (min_side + w - 1) / w, down = (min_side + h - 1) / h;
    // A long thin picture (1 x 100,000) repeats only as far as a block of about a megapixel
    // along its short side: a full-size block would hold hundreds of megabytes.
    constexpr int64_t kMaxPixels = 1 << 20;
    const int64_t copy = int64_t{w} * h;
    if (copy * across * down > kMaxPixels) {
        const int most = static_cast<int>(std::max<int64_t>(1, kMaxPixels / copy));
        across = std::min(across, most);
        down = std::min(down, std::max(1, most / across));
        if (across == 1 && down == 1) return d;
    }
    Image block(across * w, down * h);
    for (int y = 0; y < block.height; ++y)
        for (int x = 0; x < block.width; ++x) block.at(x, y) = img->at(x % w, y % h);
    auto out = std::make_shared<Dib>();
    out->width = block.width;
    out->height = block.height;
    out->packed = image_to_dib24(block);
    return out;
}

void bg_paint(Canvas& c, const BgFillInput& in) {
    switch (in.fill) {
    case kBgPlain: clear(c, in); break;
    case kBgLinear: linear_blend(c, in); break;
    case 2: case 3: case 4: case 5: case 6: shaped_blend(c, in); break;
    case kBgIcon:
    case kBgPicture:
        // A bitmap that did not load, or has no size, leaves the plain colour.
        if (!in.tile || in.tile->empty() || in.tile->height <= 0) clear(c, in);
        else tile(c, in);
        break;
    default: break;
    }
}

void bg_paint_pattern(Canvas& c, int code, Colour colour, const std::function<int(int)>& random) {
    if (code == kBgNone) return;
    const BgFigureRow* row = bg_figure_by_code(code);
    if (!row) return;
    c.set_pen({0, 0, colour});
    c.set_brush({row->brush, colour});
    bg_figure_paint(c, code, colour, random);
}

void bg_figure_paint(Canvas& c, int code, Colour colour, const std::function<int(int)>& random) {
    auto boxes = [&](const Rc (&r)[4], bool ellipse) {
        for (const Rc& b : r) ellipse ? c.ellipse(b) : c.rectangle(b);
    };
    auto cross = [&] {
        c.line({4000, 0}, {-4000, 0});
        c.line({0, 3000}, {0, -3000});
    };
    constexpr Rc kNested[4] = {{-800, -600, 800, 600}, {-600, -450, 600, 450}, {-400, -300, 400, 300},
                               {-200, -150, 200, 150}};
    switch (code) {
    case 7:
        c.rectangle({-600, -450, 600, 450});
        c.line({-3600, 2700}, {-600, 450});
        c.line({3600, 2700}, {600, 450});
        c.line({3600, -2700}, {600, -450});
        c.line({-3600, -2700}, {-600, -450});
        break;
    case 1: boxes(kNested, true); break;
    case 14: {
        constexpr Rc kCircles[4] = {{-800, -800, 800, 800}, {-600, -600, 600, 600}, {-400, -400, 400, 400},
                                    {-200, -200, 200, 200}};
        boxes(kCircles, true);
        break;
    }
    case 2: boxes(kNested, false); break;
    case 3: cross(); break;
    case 15:
        cross();
        for (int x = -4000; x <= 4000; x += 200) c.line({x, 20}, {x, -20});
        for (int y = -3000; y <= 3000; y += 200) c.line({20, y}, {-20, y});
        break;
    case 4:
        for (const auto& p : bg_world_map()) c.polygon(p);
        break;
    case kBgStars: {
        auto rnd = random ? random : [](int n) { return std::rand() % n; };
        for (int i = 0; i < 50; ++i) {
            int x = 2 * rnd(500) - 500, y = 2 * rnd(400) - 400;
            for (Pt p : {Pt{x, y}, Pt{x + 1, y}, Pt{x, y + 1}, Pt{x + 1, y + 1}}) pixel(c, p, colour);
        }
        break;
    }
    case 6:
        for (int x = -1500; x <= 1500; x += 100)
            for (int y = -1000; y <= 1000; y += 100) pixel(c, {x, y}, colour);
        break;
    default: break;
    }
}

#include "elements/bg_transition.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

constexpr EffectRow kEffects[] = {
    {0, 0, "None"},          {1, 10, "Random Select"}, {2, 1, "Downwards"},     {3, 2, "Upwards"},
    {4, 3, "Towards Left"},  {5, 4, "Towards Right"},  {6, 15, "Contract"},     {7, 5, "Contract Vert"},
    {8, 6, "Contract Horz"}, {9, 16, "Expand"},        {10, 7, "Expand Vert"},  {11, 8, "Expand Horz"},
    {12, 9, "Random Dots"},  {13, 11, "Scroll Down"},  {14, 12, "Scroll Up"},   {15, 13, "Scroll Left"},
    {16, 14, "Scroll Right"},
};

bool effects_on_ = false;

int rnd(const std::function<int(int)>& random, int n) { return random ? random(n) : std::rand() % n; }

}  // namespace

std::span<const EffectRow> slideshow_effects() { return kEffects; }

int slideshow_effect_pos(int code) {
    for (const auto& r : kEffects)
        if (r.code == code) return r.pos;
    return -1;
}

bool slideshow_effects_on() { return effects_on_; }
void slideshow_effects_set(bool on) { effects_on_ = on; }

int slideshow_random_effect(const std::function<int(int)>& random) {
    constexpr int n = static_cast<int>(std::size(kEffects));
    for (;;) {
        int code = kEffects[std::clamp(rnd(random, n), 0, n - 1)].code;
        if (code != 0) return code;
    }
}

int transition_wait(int i, int n, double elapsed) {
    if (n <= 0) return 0;
    double wait = i * 100.0 / n - elapsed;
    return wait > 0 ? static_cast<int>(std::lround(wait)) : 0;
}

StripPlan transition_strips(int code, int w, int h) {
    StripPlan p;
    p.code = code, p.w = w, p.h = h;
    switch (code) {
    case 3: case 4: p.steps = w / 2; break;
    case 1: case 2: p.steps = h / 2; break;
    case 6: case 8: p.steps = w / 4; break;
    case 5: case 7: p.steps = h / 4; break;
    default: p.steps = -1; break;
    }
    return p;
}

std::vector<Rc> StripPlan::at(int i) const {
    auto v = [this](int p) { return Rc{2 * p, 0, 2 * p + 2, h}; };
    auto hz = [this](int p) { return Rc{0, 2 * p, w, 2 * p + 2}; };
    int n = steps;
    switch (code) {
    case 4: return {v(i)};
    case 3: return {v(n - i)};
    case 1: return {hz(i)};
    case 2: return {hz(n - i)};
    case 6: return {v(i), v(2 * n - i)};
    case 5: return {hz(i), hz(2 * n - i)};
    case 8: return {v(n - i), v(n + i)};
    case 7: return {hz(n - i), hz(n + i)};
    default: return {};
    }
}

int transition_dot_total(int w, int h) { return (w / 20) * (h / 20); }

std::vector<DotCell> transition_dot_order(int w, int h, const std::function<int(int)>& random) {
    struct Rec {
        DotCell cell;
        std::string key;
    };
    std::vector<Rec> recs;
    for (int i = 0; i <= w / 20; ++i)
        for (int j = 0; j <= h / 20; ++j) recs.push_back({{i, j}, std::to_string(rnd(random, 1000))});
    // Sorted as text; a stable sort gives equal keys their storing order, as taking "the first
    // stored record with that key" does.
    std::stable_sort(recs.begin(), recs.end(), [](const Rec& a, const Rec& b) { return a.key < b.key; });
    std::vector<DotCell> out;
    out.reserve(recs.size());
    for (const auto& r : recs) out.push_back(r.cell);
    return out;
}

Pt transition_scroll_step(int code) {
    switch (code) {
    case 11: return {0, 2};
    case 12: return {0, -2};
    case 13: return {-2, 0};
    case 14: return {2, 0};
    default: return {0, 0};
    }
}

std::vector<int> transition_expand_zooms(int z0) {
    std::vector<int> out;
    for (int z = z0; z <= 275; ++z) {
        if (z % 16 != 1) continue;
        out.push_back(z);
        if (z > 265) break;
    }
    return out;
}

std::vector<int> transition_contract_zooms(int z0) {
    std::vector<int> out;
    for (int z = z0; z >= 1; --z) {
        if (z % 8 != 1) continue;
        out.push_back(z);
        if (z < 8) break;
    }
    return out;
}

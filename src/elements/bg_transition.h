// Transitions played over the diagram when a show leaves a document, and the effect table and
// switch of the slideshow settings. Geometry is in client pixels, y downward.
#pragma once

#include <functional>
#include <span>
#include <string>
#include <vector>

#include "base/canvas.h"

struct EffectRow {
    int pos;
    int code;
    const char* name;
};
std::span<const EffectRow> slideshow_effects();
int slideshow_effect_pos(int code);  // -1 when not in the table

// The program-wide switch; off at start, never stored.
bool slideshow_effects_on();
void slideshow_effects_set(bool on);
// A random effect code other than None (Random Select may come back; the player draws again).
int slideshow_random_effect(const std::function<int(int)>& random = {});

// Hundredths of a second to wait before step i of n, with `elapsed` hundredths gone; 0 runs the
// step at once (also for n 0, a window smaller than one strip).
int transition_wait(int i, int n, double elapsed);

// The strips of effect 1-8 on a w x h client: at step i (0..steps) the rectangles to clear.
struct StripPlan {
    int steps = 0;
    std::vector<Rc> at(int i) const;
    int code = 0, w = 0, h = 0;
};
StripPlan transition_strips(int code, int w, int h);

// Random Dots: the 20 x 20 cells of a w x h client in the order they are cleared (keys drawn
// 0..999 and sorted as text; equal keys take their cells in storing order), and the step count.
struct DotCell {
    int i, j;
};
std::vector<DotCell> transition_dot_order(int w, int h, const std::function<int(int)>& random);
int transition_dot_total(int w, int h);

// Scroll effects 11-14: pixels per step.
Pt transition_scroll_step(int code);
// Zoom values the Expand (16) and Contract (15) effects show from zoom z0.
std::vector<int> transition_expand_zooms(int z0);
std::vector<int> transition_contract_zooms(int z0);

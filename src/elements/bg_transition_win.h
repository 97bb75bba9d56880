// Plays a transition over the diagram window.
#pragma once

#include <windows.h>

struct TransitionHooks {
    int (*zoom)() = nullptr;            // the view's zoom percent
    void (*set_zoom)(int z) = nullptr;  // sets it and redisplays
};
void bg_transition_set_hooks(const TransitionHooks& h);

// Effect 0, an unknown effect, or effects switched off: nothing. Otherwise plays the effect on
// `view` and returns when it is over (about one second, Random Dots about two).
void bg_transition(HWND view, int effect);

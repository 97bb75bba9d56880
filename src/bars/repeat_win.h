// Repeating a command while a mouse button is held on a control.
#pragma once

#include <windows.h>

#include <functional>

// Runs `step` at once and again after 60, 30, 15 and then every 10 ms while `held` stays true
// and `win` keeps the mouse capture. Window events are processed between steps, so the button's
// release (which clears `held`) is seen; a lost capture or a destroyed window also ends the loop,
// and a quit request is passed on. `step` returns false to stop early.
void hold_repeat(HWND win, const bool& held, const std::function<bool()>& step);

// TIP: the one tooltip window, shown 400 ms after a request while the mouse stays in its area.
#pragma once

#include <windows.h>

#include <string>

// Arms a tooltip for `screen_area`; nothing during the slideshow, with tooltips off or while
// suspended. A pending tooltip is replaced.
void tip_request(const RECT& screen_area, const std::string& title, const std::string& text);
void tip_hide();
void tip_suspend();
void tip_resume();
// Shown or pending (tests).
bool tip_visible();
bool tip_pending();

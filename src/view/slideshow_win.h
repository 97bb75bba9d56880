// The slideshow: the main window without bars over the whole screen, stepping through the
// document's objects with Next (F4) and running each one's action; Esc ends it.
#pragma once

#include <windows.h>

// Registers Start Slideshow, Full Screen Show and Next, and ends a show on Esc or closing.
void view_slideshow_register_commands();

bool slideshow_running();
// Starts a show; `effects_off` keeps transitions and sounds off until it ends (the switch is
// given back then).
void slideshow_start(bool effects_off);
// Ends a running show and puts the window, its bars and the effects switch back.
void slideshow_stop();
// The next object of the show: brought to the centre of the screen, its action run.
void slideshow_next_object();

// What each subsystem offers the main window at start-up and on resizing; the main window calls
// these in the start-up order.
#pragma once

#include "bars/bars_init_win.h"
#include "elements/elements_init_win.h"
#include "ideas/ideas_init_win.h"
#include "services/services_init_win.h"
#include "text/text_init_win.h"
#include "view/view_init_win.h"
#include "view/view_win.h"

#include "bars/help_context.h"

#include "base/error.h"

void help_context(int) { msg_note("Help is not available."); }

// Opening help at a context number. The help viewer is not part of the program yet, so this
// says so; the help subsystem replaces it.
#pragma once

void help_context(int n);

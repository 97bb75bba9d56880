// Opening help at a context number. The help viewer lives on a higher floor and registers
// itself here at start-up; until then this says help is not available.
#pragma once

void help_context(int n);
extern void (*help_context_hook_)(int n);

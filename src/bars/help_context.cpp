#include "bars/help_context.h"

#include "base/error.h"

void (*help_context_hook_)(int n) = nullptr;

void help_context(int n) {
    if (help_context_hook_) help_context_hook_(n);
    else msg_note("Help is not available.");
}

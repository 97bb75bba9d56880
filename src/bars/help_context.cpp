#include "bars/help_context.h"

#include "base/error.h"

void (*help_context_hook_)(int n) = nullptr;

void help_context(int n) {
    if (help_context_hook_) help_context_hook_(n);
    else msg_note("Help is not available.");
}

void (*help_keyword_hook_)(const std::string& key) = nullptr;

void help_keyword(const std::string& key) {
    if (help_keyword_hook_) help_keyword_hook_(key);
    else msg_note("Help is not available.");
}

// Opening help at a context number. The help viewer lives on a higher floor and registers
// itself here at start-up; until then this says help is not available.
#pragma once

#include <string>

void help_context(int n);
extern void (*help_context_hook_)(int n);
// A keyword's pop-up text, or the topic that lists the keyword.
void help_keyword(const std::string& key);
extern void (*help_keyword_hook_)(const std::string& key);

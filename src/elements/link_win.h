// The link module's window side: start-up registration and the program-directory data it reads.
#pragma once

#include <string>
#include <vector>

// Registers Font (10976) and installs the text box for the view.
void links_init();

// Relation words of "relate.l" in the program's directory, sorted; empty when unreadable.
std::vector<std::string> link_relation_words();

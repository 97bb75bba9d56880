// Which levels of a document are in use.
#pragma once

#include <utility>

#include "document/document.h"

// Lowest and highest level holding objects or shapes (settings 50 and 51); (1, 1) for an empty
// document.
std::pair<int, int> level_range(const Document& doc);
// The level a document shows when it is opened: level 1, or the nearest level in use when the
// document keeps its objects and shapes only above or only below it.
int level_on_open(const Document& doc);

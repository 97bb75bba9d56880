// The order in which a slideshow steps through the current document's objects.
#pragma once

#include <optional>
#include <vector>

#include "base/key.h"

// Objects with a stored sequence entry, by its number (equal numbers in stored order); without
// any, the order the Sequence Settings give at `level`.
std::vector<Key> slideshow_order(int level);

// The object after `last` in that order; the first when `last` is 0 or no longer in it;
// nullopt after the last one and for an empty order.
std::optional<Key> slideshow_next(int level, Key last);

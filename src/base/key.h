// The key of an object or a shape within its document; 0 means none.
#pragma once

#include <cstdint>

using Key = uint16_t;

// The view's document operations (portable part). The current document lives here; every other
// subsystem reads and changes it only through these operations.
#pragma once

#include "view/document.h"

// The current document.
Document& view_doc();

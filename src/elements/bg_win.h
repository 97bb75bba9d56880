// The background painter as the diagram window and the printer use it: reads the document's
// settings, the Print dialog's state and the icon or picture to tile.
#pragma once

#include "base/canvas.h"
#include "document/document.h"

// The fill of document d over a client of client_dp (device pixels).
void bg_paint_doc(Canvas& c, const Document& d, const Rc& client_dp);
// Level `level`'s figure pattern, in the mapping the level is drawn with.
void bg_paint_level(Canvas& c, const Document& d, int level);

// What the document keeps of the bars (zoom, drawing colour, the toolbox's tools) and the look of
// a new object: installed into the document at start-up.
#pragma once

// Sets the document's tools and new-object hooks to the bars' state.
void bars_install_document_hooks();

// libFuzzer target: the hypertext editor's text model under any edits keeps its fields whole
// and undoes back to where it started.
#include "text_body.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_text::run(data, size);
    return 0;
}

// libFuzzer target: the document loader must accept or refuse any bytes without crashing, and a
// document it accepts must save and load again to the same records.
#include <cstdlib>
#include <string>

#include "document/document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    Document d;
    LoadError err;
    if (!Document::from_text(text, d, err)) {
        if (err.message.empty()) std::abort();
        return 0;
    }
    Document back;
    if (!Document::from_text(d.to_text(), back, err)) std::abort();
    if (back.objs != d.objs || back.links != d.links || back.shapes != d.shapes ||
        back.params != d.params || back.text_params != d.text_params || back.unknown != d.unknown ||
        back.bins != d.bins || back.seq != d.seq || back.points != d.points)
        std::abort();
    // Lookups through the key index must agree with the records.
    for (const Obj& o : d.objs)
        if (!d.obj(o.key)) std::abort();
    return 0;
}

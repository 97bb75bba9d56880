// libFuzzer target: the record reader must accept or refuse any bytes without crashing, and what
// it accepts must survive a write and a second read unchanged.
#include <cstdlib>
#include <string>
#include <vector>

#include "base/record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<rec::Record> out;
    if (!rec::parse_all(text, out)) return 0;
    std::string again;
    for (const auto& r : out) rec::write(again, r);
    std::vector<rec::Record> back;
    if (!rec::parse_all(again, back) || back != out) std::abort();
    return 0;
}

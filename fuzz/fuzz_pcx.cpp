// libFuzzer target: the PCX reader on any bytes.
#include "pict_body.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_pict::run_pcx(data, size);
    return 0;
}

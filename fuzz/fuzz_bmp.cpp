// libFuzzer target: the BMP reader on any bytes.
#include "pict_body.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_pict::run_bmp(data, size);
    return 0;
}

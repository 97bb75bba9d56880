// libFuzzer target: any bytes from a server, in any cuts, parse to one answer or one refusal,
// and a Location in them never leads out of the archive.
#include "http_body.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_http::run(data, size);
    return 0;
}

// libFuzzer target: formulas, object texts and link labels of any bytes must compute or be
// refused without a crash or a hang, and leave only numbers as stored values.
#include "expression_body.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz_expr::run(data, size);
    return 0;
}

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../../fuzz/expression_body.h"

namespace fs = std::filesystem;

// Inputs the expression fuzzer found interesting are kept and replayed: none may crash, hang or
// store a value that does not read as a number.
TEST(IdeasFuzzCorpus, ExpressionInputsReplay) {
    fs::path dir = fs::path(VORN_SOURCE_DIR) / "tests/fuzz/expression";
    ASSERT_TRUE(fs::is_directory(dir));
    size_t n = 0;
    for (const auto& f : fs::directory_iterator(dir)) {
        std::ifstream in(f.path(), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        std::string data = ss.str();
        SCOPED_TRACE(f.path().filename().string());
        fuzz_expr::run(reinterpret_cast<const uint8_t*>(data.data()), data.size());
        ++n;
    }
    EXPECT_GE(n, 5u);
}

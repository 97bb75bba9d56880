#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../../fuzz/text_body.h"

namespace fs = std::filesystem;

// Edit sequences the text fuzzer kept are replayed: fields stay whole and undo gets back home.
TEST(TextFuzzCorpus, EditSequencesReplay) {
    fs::path dir = fs::path(VORN_SOURCE_DIR) / "tests/fuzz/text";
    ASSERT_TRUE(fs::is_directory(dir));
    size_t n = 0;
    for (const auto& f : fs::directory_iterator(dir)) {
        std::ifstream in(f.path(), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        std::string data = ss.str();
        SCOPED_TRACE(f.path().filename().string());
        fuzz_text::run(reinterpret_cast<const uint8_t*>(data.data()), data.size());
        ++n;
    }
    EXPECT_GE(n, 5u);
}

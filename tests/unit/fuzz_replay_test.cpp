// Inputs the fuzzers kept are replayed on every test run.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "../../fuzz/expression_body.h"
#include "../../fuzz/pict_body.h"
#include "../../fuzz/text_body.h"

namespace {

namespace fs = std::filesystem;

// Runs `body` on each file of tests/fuzz/<corpus>; at least five are expected.
void replay(const char* corpus, const std::function<void(const uint8_t*, size_t)>& body) {
    fs::path dir = fs::path(VORN_SOURCE_DIR) / "tests/fuzz" / corpus;
    ASSERT_TRUE(fs::is_directory(dir));
    size_t n = 0;
    for (const auto& f : fs::directory_iterator(dir)) {
        std::ifstream in(f.path(), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        const std::string data = ss.str();
        SCOPED_TRACE(f.path().filename().string());
        body(reinterpret_cast<const uint8_t*>(data.data()), data.size());
        ++n;
    }
    EXPECT_GE(n, 5u);
}

}  // namespace

// None may crash, hang or store a value that does not read as a number.
TEST(FuzzCorpus, ExpressionInputsReplay) { replay("expression", fuzz_expr::run); }

// Fields stay whole and undo gets back home.
TEST(FuzzCorpus, TextEditSequencesReplay) { replay("text", fuzz_text::run); }

// Kept bitmaps and PCX files are read or refused, never overrun, and survive a write.
TEST(FuzzCorpus, BmpInputsReplay) { replay("bmp", fuzz_pict::run_bmp); }
TEST(FuzzCorpus, PcxInputsReplay) { replay("pcx", fuzz_pict::run_pcx); }

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "document/document.h"

// Inputs the document fuzzer found interesting are kept and replayed: none may crash, a refusal
// must say why, and what loads must load again the same after a save.
TEST(ViewFuzzCorpus, KeptInputsLoadOrFailCleanly) {
    namespace fs = std::filesystem;
    fs::path dir = fs::path(VORN_SOURCE_DIR) / "tests/fuzz/document";
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir)) {
        std::ifstream in(e.path(), std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        Document d;
        LoadError err;
        if (Document::from_text(ss.str(), d, err)) {
            Document back;
            ASSERT_TRUE(Document::from_text(d.to_text(), back, err)) << e.path() << err.message;
            EXPECT_EQ(back.objs, d.objs) << e.path();
            EXPECT_EQ(back.unknown, d.unknown) << e.path();
            EXPECT_EQ(back.params, d.params) << e.path();
        } else {
            EXPECT_FALSE(err.message.empty()) << e.path();
        }
        ++n;
    }
    EXPECT_GE(n, 5);
}

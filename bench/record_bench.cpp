#include <benchmark/benchmark.h>

#include <string>

#include "base/record.h"

namespace {

// A document-like text of about 50 MB: objects, links and settings.
const std::string& big_text() {
    static std::string text = [] {
        std::string t;
        t.reserve(52 << 20);
        for (int k = 0; t.size() < (50u << 20); ++k) {
            int key = k % 65535 + 1;
            t += "j_(" + std::to_string(key) + ",\"Object number " + std::to_string(k) + "\"," +
                 std::to_string(k % 7) + "," + std::to_string(k * 3 % 2000) + ",-" +
                 std::to_string(k % 1500) + ",2,0,161,40,1,0,0,\"some hypertext \\\"quoted\\\" here\")\r\n";
            t += "b_(" + std::to_string(key) + "," + std::to_string(key % 500 + 1) +
                 ",0,513,65536,0,\"label\")\r\n";
        }
        return t;
    }();
    return text;
}

void BM_ReadRecords(benchmark::State& state) {
    const std::string& text = big_text();
    for (auto _ : state) {
        rec::Reader rd(text);
        rec::RecordView rv;
        size_t n = 0;
        while (rd.next(rv)) n += rv.arity();
        benchmark::DoNotOptimize(n);
        if (rd.failed()) state.SkipWithError("parse failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadRecords)->Unit(benchmark::kMillisecond);

void BM_WriteRecords(benchmark::State& state) {
    rec::Record j{"j_", {1, "Object number 1", 1, 100, -200, 2, 0, 161, 40, 1, 0, 0, "hypertext \"q\""}};
    for (auto _ : state) {
        std::string out;
        out.reserve(64 << 20);
        for (int k = 0; k < 500000; ++k) rec::write(out, j);
        benchmark::DoNotOptimize(out.data());
        state.SetBytesProcessed(state.bytes_processed() + static_cast<int64_t>(out.size()));
    }
}
BENCHMARK(BM_WriteRecords)->Unit(benchmark::kMillisecond);

}  // namespace

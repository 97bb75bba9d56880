// The hypertext editor on a 1 MB text with fields: typing in the middle, deleting, laying out
// the rows again (with and without word wrap) and moving the caret, as each keystroke does; and
// Replace All of 10,000 matches in 1 MB (goal: under 0.2 s).
#include <benchmark/benchmark.h>

#include <string>

#include "text/text_model.h"

namespace {

std::string big_text() {
    std::string t;
    t.reserve(1 << 20);
    for (int i = 0; t.size() < (1u << 20); ++i) {
        t += "Line " + std::to_string(i) + " of the text with a \x0b" "field\x0e" "15Goal\x0f and more words to wrap.\r\n";
    }
    return t;
}

std::array<int, 256> widths() {
    std::array<int, 256> w{};
    w.fill(7);
    return w;
}

void BM_TypeInTheMiddle(benchmark::State& st) {
    TextModel m(big_text());
    m.set_caret(m.size() / 2);
    for (auto _ : st) m.insert_text("x", true);
}
BENCHMARK(BM_TypeInTheMiddle);

void BM_DeleteInTheMiddle(benchmark::State& st) {
    TextModel m(big_text());
    for (auto _ : st) {
        st.PauseTiming();
        if (m.size() < (1u << 19)) m.set_text(big_text());
        m.set_caret(m.size() / 2);
        st.ResumeTiming();
        m.delete_forward();
    }
}
BENCHMARK(BM_DeleteInTheMiddle);

void BM_Layout(benchmark::State& st) {
    std::string t = big_text();
    auto w = widths();
    for (auto _ : st) benchmark::DoNotOptimize(layout_rows(t, w, static_cast<int>(st.range(0)), 56));
}
BENCHMARK(BM_Layout)->Arg(0)->Arg(400)->Unit(benchmark::kMillisecond);

void BM_CaretRightAtTheEnd(benchmark::State& st) {
    TextModel m(big_text());
    for (auto _ : st) benchmark::DoNotOptimize(m.next_stop(m.size() - 40));
}
BENCHMARK(BM_CaretRightAtTheEnd);

// 10,000 lines of about 105 bytes, each with one "the" as a whole word.
void BM_ReplaceAll(benchmark::State& st) {
    std::string t;
    for (int i = 0; i < 10000; ++i)
        t += "Line " + std::to_string(100000 + i) + " keeps the words apart, and some other words fill it up so that every line is about 105 bytes.\r\n";
    for (auto _ : st) {
        st.PauseTiming();
        TextModel m(t);
        st.ResumeTiming();
        benchmark::DoNotOptimize(m.replace_all("the", "THE", true, true));
    }
    st.counters["bytes"] = static_cast<double>(t.size());
}
BENCHMARK(BM_ReplaceAll)->Unit(benchmark::kMillisecond);

}  // namespace

// The spatial index of a 1,000,000-object level after an edit of one object: what the first
// repaint after an arrow key or an undo waits for.
#include <benchmark/benchmark.h>

#include <string>

#include "document/spatial.h"

namespace {

void BM_IndexAfterMovingOneOf1000000(benchmark::State& state) {
    Document d;
    d.objs.reserve(1000000);
    for (int i = 0; i < 1000000; ++i) {
        Obj o;
        o.key = static_cast<Key>(i % 65535 + 1);
        o.id = "Idea " + std::to_string(i);
        o.level = 1;
        o.x = (i % 1000) * 300;
        o.y = -(i / 1000) * 200;
        o.shape = 161;
        o.size = 15;
        d.objs.push_back(std::move(o));
        if (i < 65534) d.links.push_back(Link{static_cast<Key>(i + 1), static_cast<Key>(i + 2), 0, 0, 0, 0, ""});
    }
    d.touch_objs();
    LevelIndex ix;
    ix.objects(d, 1, 0, 0, 4000, -3000, 40, 700);
    int step = 4096;
    for (auto _ : state) {
        d.objs[0].x += step;  // in and out of its cell by turns
        step = -step;
        d.bump();
        benchmark::DoNotOptimize(ix.objects(d, 1, 0, 0, 4000, -3000, 40, 700).size());
    }
}
BENCHMARK(BM_IndexAfterMovingOneOf1000000)->Unit(benchmark::kMillisecond);

}  // namespace

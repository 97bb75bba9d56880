#include <benchmark/benchmark.h>

#include <string>

#include "document/view.h"

namespace {

// A generated document of about 20 MB: 60,000 objects with hypertext, as many links, shapes.
const std::string& doc_text() {
    static std::string text = [] {
        Document d;
        for (int k = 1; k <= 60000; ++k) {
            Obj o;
            o.key = static_cast<Key>(k);
            o.id = "Object number " + std::to_string(k);
            o.level = k % 7;
            o.x = k * 3 % 2000;
            o.y = -(k % 1500);
            o.shape = 161;
            o.size = 40;
            o.ext = "Some hypertext with \"quotes\" and a line\r\nbreak, number " + std::to_string(k);
            d.objs.push_back(std::move(o));
            d.links.push_back(Link{static_cast<Key>(k), static_cast<Key>(k % 500 + 1), 0, 513, 65536, 0, "label"});
            if (k % 10 == 0) d.shapes.push_back(Shape{static_cast<Key>(k / 10), 3, 1, 5, 2, 0, 10, 10, 0});
        }
        return d.to_text();
    }();
    return text;
}

void BM_LoadDocument(benchmark::State& state) {
    const std::string& text = doc_text();
    for (auto _ : state) {
        Document d;
        LoadError err;
        if (!Document::from_text(text, d, err)) state.SkipWithError(err.message.c_str());
        benchmark::DoNotOptimize(d.objs.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_LoadDocument)->Unit(benchmark::kMillisecond);

void BM_SaveDocument(benchmark::State& state) {
    Document d;
    LoadError err;
    Document::from_text(doc_text(), d, err);
    for (auto _ : state) {
        std::string out = d.to_text();
        benchmark::DoNotOptimize(out.data());
        state.SetBytesProcessed(state.bytes_processed() + static_cast<int64_t>(out.size()));
    }
}
BENCHMARK(BM_SaveDocument)->Unit(benchmark::kMillisecond);

// Opening an undoable change on a 5,000-object document and closing it after one move.
void BM_UndoStep5000(benchmark::State& state) {
    Document d;
    for (int k = 1; k <= 5000; ++k) {
        Obj o;
        o.key = static_cast<Key>(k);
        o.id = "Object " + std::to_string(k);
        o.ext = "text of the object";
        d.objs.push_back(std::move(o));
        d.links.push_back(Link{static_cast<Key>(k), static_cast<Key>(k % 100 + 1), 0, 0, 0, 0, "l"});
    }
    view_doc() = d;
    int x = 0;
    for (auto _ : state) {
        view_edit(7);
        Obj o = *view_obj_get(17);
        o.x = ++x;
        view_obj_put(o);
        view_undo_record("Move Object");
    }
    view_undo_clear();
}
BENCHMARK(BM_UndoStep5000)->Unit(benchmark::kMicrosecond);

}  // namespace

// Edits of many marked objects and their undo steps: cut, delete, paste and an arrow-key move
// of 20,000 objects, and moving one object of a 1,000,000-object document.
#include <benchmark/benchmark.h>

#include <string>

#include "document/clip.h"
#include "document/globals.h"
#include "document/view.h"

namespace {

// n objects on level 1 in a grid, each linked to the next; the first `marked` are marked.
void make_doc(int n, int marked) {
    Document d;
    d.objs.reserve(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        Obj o;
        o.key = static_cast<Key>(i % 65535 + 1);
        o.id = "Idea " + std::to_string(i);
        o.level = 1;
        o.x = (i % 200) * 300;
        o.y = -(i / 200) * 200;
        o.shape = 161;
        d.objs.push_back(std::move(o));
        if (i + 1 < n && i < 65534) d.links.push_back(Link{static_cast<Key>(i + 1), static_cast<Key>(i + 2), 0, 0, 0, 0, ""});
    }
    d.touch_objs();
    view_doc() = std::move(d);
    view_undo_clear();
    marked_obj_.clear();
    marked_link_.clear();
    marked_shape_.clear();
    for (int i = 0; i < marked; ++i) marked_obj_.push_back(static_cast<Key>(i + 1));
}

// As the arrow keys do: one step moving every marked object.
void move_marked(int dx) {
    UndoStep step;
    for (Key k : marked_obj_)
        if (auto o = view_obj_get(k)) {
            o->x += dx;
            view_obj_put(*o);
        }
    step.commit("Move Object");
}

void BM_CutDelete20000(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        make_doc(30000, 20000);
        state.ResumeTiming();
        std::string text = view_clip_text();
        view_clip_delete();
        benchmark::DoNotOptimize(text.data());
    }
}
BENCHMARK(BM_CutDelete20000)->Unit(benchmark::kMillisecond);

void BM_Paste20000(benchmark::State& state) {
    make_doc(20000, 20000);
    const std::string text = view_clip_text();
    for (auto _ : state) {
        state.PauseTiming();
        make_doc(20000, 0);
        state.ResumeTiming();
        auto keys = view_clip_paste(text, 1, 20, -20, nullptr);
        benchmark::DoNotOptimize(keys);
    }
}
BENCHMARK(BM_Paste20000)->Unit(benchmark::kMillisecond);

void BM_MoveAndUndo20000(benchmark::State& state) {
    make_doc(20000, 20000);
    const std::vector<Key> marked = marked_obj_;
    for (auto _ : state) {
        marked_obj_ = marked;  // undo unmarks
        move_marked(10);
        view_undo();
    }
}
BENCHMARK(BM_MoveAndUndo20000)->Unit(benchmark::kMillisecond);

std::string last_note;

void BM_MoveAndUndoIn1000000(benchmark::State& state) {
    make_doc(1000000, 1);
    view_set_note_hook([](const std::string& t) { last_note = t; });
    for (auto _ : state) {
        marked_obj_ = {1};  // undo unmarks
        move_marked(10);
        if (!view_undo()) {
            state.SkipWithError(("the move was not undone: " + last_note).c_str());
            break;
        }
    }
    view_set_note_hook(nullptr);
    view_doc() = Document();
    view_undo_clear();
}
BENCHMARK(BM_MoveAndUndoIn1000000)->Unit(benchmark::kMillisecond);

}  // namespace

// Painting a level of objects through the drawing layer, and finding link ends on them.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "elements/obj_paint.h"

namespace {

// Draws nothing and measures text at a fixed pitch: the cost left is the painter's own.
class FixedPitchCanvas : public NullCanvas {
public:
    void set_font(const Font& f) override { font_ = f; }
    Sz text_extent(std::string_view s) override { return {static_cast<int>(s.size()) * 20, 40}; }
    Font current_font() const override { return font_; }

private:
    Font font_;
};

std::vector<ObjDrawArgs> level(std::vector<std::string>& ids) {
    const int shapes[] = {161, 160, 162, 164, 166, 163, 172, 167, 185, 230, 170, 203, 224};
    ids.clear();
    for (int i = 0; i < 300; ++i) ids.push_back("Idea " + std::to_string(i));
    std::vector<ObjDrawArgs> objs;
    for (int i = 0; i < 5000; ++i) {
        ObjDrawArgs a;
        a.shape = shapes[i % 13];
        a.key = static_cast<Key>(i + 1);
        a.text = ids[i % 300];
        a.text_w = static_cast<int>(a.text.size()) * 20;
        a.x = (i % 70) * 150;
        a.y = (i / 70) * 120;
        a.colour = i % 32;
        objs.push_back(a);
    }
    return objs;
}

void BM_PaintLevel(benchmark::State& state) {
    std::vector<std::string> ids;
    auto objs = level(ids);
    FixedPitchCanvas c;
    ObjEnv env;
    env.param = [](int) { return 0; };
    auto dib = std::make_shared<const Dib>(Dib{28, 28, std::vector<uint8_t>(40)});
    env.icon_bitmap = [dib](int) { return dib; };
    env.value = [](Key) { return std::optional<double>(0.5); };
    env.now = [] { return ObjClock{1, 12, 0}; };
    for (auto _ : state) {
        obj_rect_cache_clear();
        for (const auto& a : objs) obj_draw(c, env, a);
        benchmark::DoNotOptimize(objrect_.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(objs.size()));
}
BENCHMARK(BM_PaintLevel)->Unit(benchmark::kMillisecond);

void BM_LinkEnds(benchmark::State& state) {
    obj_rect_cache_clear();
    for (int i = 0; i < 5000; ++i) {
        ObjRectEntry e;
        e.key = static_cast<Key>(i + 1);
        e.l = i * 10; e.t = 50; e.r = i * 10 + 100; e.b = -50; e.f1 = 1;
        obj_rect_append(e);
    }
    int i = 0;
    for (auto _ : state) {
        int pos[] = {10, 11, 12, 13, 53, 54};
        const ObjRectEntry& e = objrect_[static_cast<size_t>(i % 5000)];
        Pt p = obj_link_end_point_in(pos[i % 6], 161, 0, &e, {0, 0}, {i, 1000 - i});
        benchmark::DoNotOptimize(p);
        ++i;
    }
}
BENCHMARK(BM_LinkEnds);

}  // namespace

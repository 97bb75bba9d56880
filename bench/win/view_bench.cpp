// Speed of the diagram window under Wine or Windows: opening and first painting a document of
// 5,000 objects and 5,000 links, repainting such a level and over a repeating background
// picture, edits and repaints at size, and the memory an open document takes. Prints each figure
// against its budget; the exit code is 1 when one is over.
// Run: wine build/win-tests/win_bench.exe [profile|analyzer|memory|startup|edits]
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/wiring_win.h"
#include "bars/sbar.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "bench_util.h"
#include "document/globals.h"
#include "document/view.h"
#include "view/view_win.h"
#include "win/program_dir.h"

namespace {

using bench::Clock;

double ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

LRESULT CALLBACK parent_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

HWND g_view = nullptr;

void paint() {
    InvalidateRect(g_view, nullptr, FALSE);
    UpdateWindow(g_view);
}

// The whole level in view, as View > Zoom Fit does it; notes when not every object is painted.
void zoom_fit() {
    paint();
    view_send_user(36, 0);
    paint();
    const size_t n = view_doc().objs.size(), painted = view_painted_objects().size();
    if (painted != n) std::printf("[ note ] Zoom Fit painted %u of %u objects\n", unsigned(painted), unsigned(n));
}

// One level of n objects in a grid, each linked to the next.
Document big_level(int n) {
    Document d;
    d.set_param(1, 15);
    for (int i = 0; i < n; ++i) {
        Obj o;
        o.key = static_cast<Key>(i + 1);
        o.id = "Idea " + std::to_string(i);
        o.level = 1;
        o.x = (i % 100) * 300 - 15000;
        o.y = (i / 100) * 200 - 5000;
        o.shape = 161;
        o.size = 15;
        o.colour = i % 32;
        d.objs.push_back(o);
        Link l;
        l.from = static_cast<Key>(i + 1);
        l.to = static_cast<Key>((i + 1) % n + 1);
        d.links.push_back(l);
    }
    d.touch_objs();
    return d;
}


}  // namespace

bool big_document_benches(HWND view);  // big_bench.cpp
bool background_benches(HWND parent, HWND view);  // bg_bench.cpp
int analyzer_bench();                  // analyze_bench.cpp
int memory_case(int k);                // memory_bench.cpp
bool memory_benches();
int startup_bench(int rounds);         // startup_bench.cpp
int edit_bench();                      // edit_bench.cpp

// The diagram window the benches paint, in a top-level window of its own (made once).
HWND bench_view_window() {
    if (g_view) return g_view;
    WNDCLASSA wc{};
    wc.lpfnWndProc = parent_proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "viewbenchparent";
    RegisterClassA(&wc);
    HWND parent = CreateWindowA("viewbenchparent", "view bench", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 1024,
                                768, nullptr, nullptr, wc.hInstance, nullptr);
    main_inst_ = parent;
    g_view = view_create_window(parent);
    RECT pc;
    GetClientRect(parent, &pc);
    MoveWindow(g_view, 0, 0, pc.right, pc.bottom, FALSE);
    ShowWindow(parent, SW_SHOWNOACTIVATE);
    sbar_set_origin(1, 0, 0);
    return g_view;
}

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    // "win_bench profile" repaints the 5000-object level at 10 % for a while and measures
    // nothing else, for a profiler.
    const bool profile = mode == "profile";
    InitCommonControls();
    file_set_progdir(wt::program_dir());  // the program's data files are not beside the benchmarks
    // "win_bench analyzer" measures only the Analyzer, "win_bench memory" only the memory,
    // "win_bench startup" only the program's start-up (bench/startup runs it), "win_bench
    // edits" only the edits in the whole program.
    if (mode == "analyzer") return analyzer_bench();
    if (mode == "startup") return startup_bench(argc > 2 ? std::max(1, std::atoi(argv[2])) : 21);
    if (mode == "edits") return edit_bench();
    if (mode == "memory") return argc > 2 ? memory_case(std::atoi(argv[2])) : (memory_benches() ? 0 : 1);
    bench_view_window();
    HWND parent = GetParent(g_view);

    char dir[MAX_PATH] = {};
    GetTempPathA(sizeof dir, dir);
    std::string name = std::string(dir) + "vorn_view_bench.vrn";
    view_doc() = big_level(5000);
    std::string err;
    if (!view_save_file(name, &err)) {
        std::printf("cannot write %s: %s\n", name.c_str(), err.c_str());
        return 2;
    }
    view_load_file("", &err);
    sbar_cmd(kSbarZoom, kSbSet, 100);
    paint();

    bool ok = true;
    auto t0 = Clock::now();
    if (!view_load_file(name, &err)) {
        std::printf("cannot read %s: %s\n", name.c_str(), err.c_str());
        return 2;
    }
    view_after_load();
    paint();
    auto t1 = Clock::now();
    DeleteFileA(name.c_str());
    ok &= bench::within("open and first paint, 5000 objects + 5000 links", ms(t0, t1), 500);

    if (profile) {
        zoom_fit();
        // Processor time of this thread too: on a busy machine it varies far less than the clock.
        auto cpu = [] {
            FILETIME c, e, k, u;
            GetThreadTimes(GetCurrentThread(), &c, &e, &k, &u);
            auto v = [](FILETIME f) { return (static_cast<double>(f.dwHighDateTime) * 4294967296.0 + f.dwLowDateTime) / 1e4; };
            return v(k) + v(u);
        };
        const int rounds = 400;
        double c0 = cpu();
        auto t = Clock::now();
        for (int i = 0; i < rounds; ++i) paint();
        std::printf("repaint of the whole level: %.2f ms, %.2f ms of processor time\n", ms(t, Clock::now()) / rounds,
                    (cpu() - c0) / rounds);
        DestroyWindow(parent);
        return 0;
    }
    const int n = 20;
    struct Zoom { int percent; const char* what; };
    for (Zoom z : {Zoom{0, "repaint, whole level visible (Zoom Fit)"}, Zoom{100, "repaint, part of the level visible (zoom 100 %)"}}) {
        if (z.percent) sbar_cmd(kSbarZoom, kSbSet, z.percent);
        else zoom_fit();
        paint();
        auto a = Clock::now();
        for (int i = 0; i < n; ++i) paint();
        ok &= bench::within(z.what, ms(a, Clock::now()) / n, 30);
    }

    // Objects only, every one on screen.
    view_doc().links.clear();
    zoom_fit();
    auto a = Clock::now();
    for (int i = 0; i < n; ++i) paint();
    ok &= bench::within("repaint, 5000 objects without links (Zoom Fit)", ms(a, Clock::now()) / n, 30);

    // The same under a shaped blend and a level pattern.
    for (int fill : {1, 4}) {
        view_doc().set_param(7, fill);
        view_doc().set_param(10001, 6);
        paint();
        auto b = Clock::now();
        for (int i = 0; i < n; ++i) paint();
        ok &= bench::within(fill == 1 ? "repaint, 5000 objects on a linear blend and dotted grid (Zoom Fit)"
                               : "repaint, 5000 objects on an ellipse blend and dotted grid (Zoom Fit)",
                     ms(b, Clock::now()) / n, 30);
    }
    view_doc().set_param(7, 0);
    view_doc().set_param(10001, 0);

    ok &= background_benches(parent, g_view);
    ok &= big_document_benches(g_view);
    // The whole program, in a process of its own: its main window makes a diagram window of its own.
    ok &= bench::run_child("edits") == 0;
    ok &= bench::run_child("analyzer") == 0;
    ok &= memory_benches();

    DestroyWindow(parent);
    main_inst_ = nullptr;
    return ok ? 0 : 1;
}

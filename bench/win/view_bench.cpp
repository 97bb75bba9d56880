// Speed of the diagram window under Wine or Windows: opening and first painting a document of
// 5,000 objects and 5,000 links, repainting such a level, and repainting over a repeating
// background picture. Prints milliseconds; the exit
// code is 1 when a measure is over its budget. Run: wine build/win-tests/win_bench.exe
#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "app/wiring_win.h"
#include "bars/sbar.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "document/globals.h"
#include "document/view.h"
#include "view/view_win.h"
#include "win/program_dir.h"

namespace {

using Clock = std::chrono::steady_clock;

double ms(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double, std::milli>(b - a).count(); }

LRESULT CALLBACK parent_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

HWND g_view = nullptr;

void paint() {
    InvalidateRect(g_view, nullptr, FALSE);
    UpdateWindow(g_view);
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

bool budget(const char* what, double value, double limit) {
    bool ok = value <= limit;
    std::printf("[ %s ] %-58s %8.1f ms (budget %.0f ms)\n", ok ? "ok  " : "OVER", what, value, limit);
    return ok;
}

}  // namespace

bool big_document_benches(HWND view);  // big_bench.cpp
bool background_benches(HWND parent, HWND view);  // bg_bench.cpp
int analyzer_bench();                  // analyze_bench.cpp

int main(int argc, char** argv) {
    // "win_bench profile" repaints the 5000-object level at 10 % for a while and measures
    // nothing else, for a profiler.
    const bool profile = argc > 1 && std::string(argv[1]) == "profile";
    InitCommonControls();
    file_set_progdir(wt::program_dir());  // the program's data files are not beside the benchmarks
    // "win_bench analyzer" measures only the Analyzer.
    if (argc > 1 && std::string(argv[1]) == "analyzer") return analyzer_bench();
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

    char dir[MAX_PATH] = {};
    GetTempPathA(sizeof dir, dir);
    std::string name = std::string(dir) + "vorn_view_bench.vrn";
    view_doc() = big_level(5000);
    sbar_cmd(kSbarZoom, kSbSet, 10);  // saved with the document: the whole level in view
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
    ok &= budget("open and first paint, 5000 objects + 5000 links", ms(t0, t1), 500);
    if (view_painted_objects().size() != 5000u)
        std::printf("[ note ] %u objects painted, 5000 expected\n", static_cast<unsigned>(view_painted_objects().size()));

    if (profile) {
        sbar_cmd(kSbarZoom, kSbSet, 10);
        paint();
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
        std::printf("repaint at 10 %%: %.2f ms, %.2f ms of processor time\n", ms(t, Clock::now()) / rounds,
                    (cpu() - c0) / rounds);
        DestroyWindow(parent);
        return 0;
    }
    const int n = 20;
    struct Zoom { int percent; const char* what; };
    for (Zoom z : {Zoom{10, "repaint, whole level visible (zoom 10 %)"}, Zoom{100, "repaint, part of the level visible (zoom 100 %)"}}) {
        sbar_cmd(kSbarZoom, kSbSet, z.percent);
        paint();
        auto a = Clock::now();
        for (int i = 0; i < n; ++i) paint();
        ok &= budget(z.what, ms(a, Clock::now()) / n, 30);
    }

    // Objects only, every one on screen.
    view_doc().links.clear();
    sbar_cmd(kSbarZoom, kSbSet, 10);
    paint();
    auto a = Clock::now();
    for (int i = 0; i < n; ++i) paint();
    ok &= budget("repaint, 5000 objects without links (zoom 10 %)", ms(a, Clock::now()) / n, 30);

    // The same under a shaped blend and a level pattern.
    for (int fill : {1, 4}) {
        view_doc().set_param(7, fill);
        view_doc().set_param(10001, 6);
        paint();
        auto b = Clock::now();
        for (int i = 0; i < n; ++i) paint();
        ok &= budget(fill == 1 ? "repaint, 5000 objects on a linear blend and dotted grid (zoom 10 %)"
                               : "repaint, 5000 objects on an ellipse blend and dotted grid (zoom 10 %)",
                     ms(b, Clock::now()) / n, 30);
    }
    view_doc().set_param(7, 0);
    view_doc().set_param(10001, 0);

    ok &= background_benches(parent, g_view);
    ok &= big_document_benches(g_view);

    DestroyWindow(parent);
    main_inst_ = nullptr;
    return ok ? 0 : 1;
}

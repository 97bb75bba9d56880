// Memory an open document takes against the size of its file, for a document of each record
// kind. Each is opened by a process of its own ("win_bench memory N"): memory an earlier document
// left in the heap would hide the growth.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "bars/sbar.h"
#include "bench_util.h"
#include "document/globals.h"
#include "document/view.h"
#include "document/view_io.h"
#include "view/view_win.h"

HWND bench_view_window();  // view_bench.cpp

namespace {

constexpr double kBudget = 4;  // memory / file size

struct Case {
    const char* what;
    int mb;  // file size
    // The i-th record (without its line end).
    std::string (*line)(int i);
};

std::string f(const char* fmt, int a, int b = 0, int c = 0) {
    char buf[256];
    std::snprintf(buf, sizeof buf, fmt, a, b, c);
    return buf;
}

// The i-th object of a grid 200 wide, keys repeating past 65,535; `look` is shape, size, flags.
std::string object_at(int i, const char* look) {
    const std::string id = *look ? "Idea " + std::to_string(i) : "";
    return f("j_(%d,\"", i % 65535 + 1) + id + f("\",1,%d,%d,", i % 200 * 300 - 30000, 20000 - i / 200 * 200) +
           f("%d,0,", *look ? i % 32 : 0) + (*look ? look : "0,0,0") + ",0,0,\"\")";
}

std::string small_values(const char* name) {
    std::string s = name;
    s += "(";
    for (int k = 0; k < 40; ++k) s += k ? ",0" : "0";
    return s + ")";
}

const Case kCases[] = {
    {"objects with links", 8,
     [](int i) { return object_at(i, "161,15,1") + "\r\n" + f("b_(%d,%d,0,0,0,0,\"\")", i % 65535 + 1, (i + 1) % 65535 + 1); }},
    // Objects spread over the level as a user places them: a window shows some of them.
    {"objects, shortest records", 8, [](int i) { return object_at(i, ""); }},
    {"links, shortest records", 16,
     [](int i) {
         const int key = i % 65535 + 1;
         return i < 65535 ? object_at(i, "") : f("b_(%d,%d,0,0,0,0,\"\")", key, key % 65535 + 1);
     }},
    {"shapes", 8, [](int i) { return f("s_(%d,1,2,0,0,0,0,9,9)", i % 65535 + 1); }},
    {"settings", 8, [](int i) { return f("p_(%d,0)", i + 1000); }},
    {"text settings", 8, [](int i) { return f("q_(%d,\"\")", i + 1000); }},
    {"computed values", 8, [](int i) { return f("f_(%d,\"0\")", i % 65535 + 1); }},
    {"plotted points", 8, [](int) { return std::string("xy_(1,2,0,0,0)"); }},
    {"sequence entries", 8, [](int i) { return f("obj_seq_(%d,0,\"\")", i % 65535 + 1); }},
    {"clusters", 8, [](int i) { return f("c_(%d,1)", i % 65535 + 1); }},
    {"dropped texts", 8, [](int i) { return f("drop_text_(%d,\"\")", i % 65535 + 1); }},
    {"attachments", 8, [](int i) { return f("bin_(%d,1,\"\",0,0,\"\")", i % 65535 + 1); }},
    {"x_ records of small values", 8, [](int) { return small_values("x_"); }},
    {"unknown records of small values", 14, [](int) { return small_values("later_"); }},
    {"unknown records, shortest", 8, [](int) { return std::string("a()"); }},
    {"unknown records of small values, 40 MB", 40, [](int) { return small_values("later_"); }},
};
constexpr int kCaseCount = sizeof kCases / sizeof kCases[0];

// Private memory committed in the process: the heaps and what they hold.
double committed() {
    double n = 0;
    MEMORY_BASIC_INFORMATION mi;
    for (char* p = nullptr; VirtualQuery(p, &mi, sizeof mi) == sizeof mi; p = static_cast<char*>(mi.BaseAddress) + mi.RegionSize) {
        if (mi.State == MEM_COMMIT && mi.Type == MEM_PRIVATE) n += static_cast<double>(mi.RegionSize);
        if (static_cast<char*>(mi.BaseAddress) + mi.RegionSize < p) break;
    }
    return n;
}

void paint(HWND view) {
    InvalidateRect(view, nullptr, FALSE);
    UpdateWindow(view);
}

std::string temp_name(int k) {
    char dir[MAX_PATH] = {};
    GetTempPathA(sizeof dir, dir);
    return std::string(dir) + "vorn_memory_bench_" + std::to_string(k) + ".vrn";
}

}  // namespace

// One case in this process: 0 within the budget, 1 over, 2 when the file could not be made.
int memory_case(int k) {
    if (k < 0 || k >= kCaseCount) return 2;
    const Case& c = kCases[k];
    HWND view = bench_view_window();
    const std::string name = temp_name(k);
    double file_size = 0;
    {
        FILE* out = std::fopen(name.c_str(), "wb");
        if (!out) return 2;
        std::string chunk = "p_(350,20110)\r\n";
        const double want = static_cast<double>(c.mb) * (1 << 20);
        for (int i = 0; file_size + static_cast<double>(chunk.size()) < want; ++i) {
            chunk += c.line(i);
            chunk += "\r\n";
            if (chunk.size() > (1u << 16)) {
                file_size += static_cast<double>(std::fwrite(chunk.data(), 1, chunk.size(), out));
                chunk.clear();
            }
        }
        file_size += static_cast<double>(std::fwrite(chunk.data(), 1, chunk.size(), out));
        std::fclose(out);
    }
    sbar_cmd(kSbarZoom, kSbSet, 100);
    paint(view);
    const double before = committed();
    std::string err;
    bool opened = view_load_file(name, &err);
    if (opened) {
        view_after_load();
        sbar_cmd(kSbarZoom, kSbSet, 100);
        paint(view);
    }
    const double ratio = (committed() - before) / file_size;
    DeleteFileA(name.c_str());
    char what[128];
    std::snprintf(what, sizeof what, "memory / file size, %s (%d MB)", c.what, c.mb);
    if (!opened) {
        std::printf("[ OVER ] %-58s not opened: %s\n", what, err.c_str());
        return 1;
    }
    return bench::within(what, ratio, kBudget, "x") ? 0 : 1;
}

// Runs every case, each in a process of its own; false when one is over or failed.
bool memory_benches() {
    bool ok = true;
    for (int k = 0; k < kCaseCount; ++k) {
        DWORD code = bench::run_child("memory " + std::to_string(k));
        if (code == 2) std::printf("[ FAIL ] %s could not be measured\n", kCases[k].what);
        ok &= code == 0;
    }
    return ok;
}

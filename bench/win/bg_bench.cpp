// Repainting a full-screen diagram window whose background repeats a small picture or an icon:
// the cost must not grow as the picture shrinks.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "base/pict.h"
#include "document/view.h"

namespace {

using Clock = std::chrono::steady_clock;

bool within(const char* what, double value, double limit) {
    bool ok = value <= limit;
    std::printf("[ %s ] %-58s %8.1f ms (budget %.0f ms)\n", ok ? "ok  " : "OVER", what, value, limit);
    return ok;
}

bool write_bmp(const std::string& file, int side) {
    Image img(side, side);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) img.at(x, y) = (x + y) % 2 ? 0x3366CC : 0xEEDD22;
    std::vector<uint8_t> dib = image_to_dib24(img);
    std::vector<uint8_t> bytes = bmp_file_bytes(dib.data(), dib.size());
    FILE* f = std::fopen(file.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace

bool background_benches(HWND parent, HWND view) {
    RECT before;
    GetWindowRect(parent, &before);
    MoveWindow(parent, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), FALSE);
    RECT pc;
    GetClientRect(parent, &pc);
    MoveWindow(view, 0, 0, pc.right, pc.bottom, FALSE);
    auto paint = [view] {
        InvalidateRect(view, nullptr, FALSE);
        UpdateWindow(view);
    };
    char dir[MAX_PATH] = {};
    GetTempPathA(sizeof dir, dir);
    bool ok = true;
    const int n = 20;
    for (int side : {1, 8}) {
        std::string file = std::string(dir) + "vorn_bench_tile" + std::to_string(side) + ".bmp";
        if (!write_bmp(file, side)) {
            std::printf("cannot write %s\n", file.c_str());
            return false;
        }
        view_doc() = Document();
        view_doc().set_param(7, 8);
        view_doc().set_text_param(23, file);
        paint();
        auto t = Clock::now();
        for (int i = 0; i < n; ++i) paint();
        std::string what = "repaint, full screen, repeating " + std::to_string(side) + " x " + std::to_string(side) +
                           " picture (" + std::to_string(pc.right) + " x " + std::to_string(pc.bottom) + ")";
        ok &= within(what.c_str(), std::chrono::duration<double, std::milli>(Clock::now() - t).count() / n, 30);
        DeleteFileA(file.c_str());
    }
    view_doc() = Document();
    view_doc().set_param(7, 7);
    view_doc().set_param(210, 201);
    paint();
    auto t = Clock::now();
    for (int i = 0; i < n; ++i) paint();
    ok &= within("repaint, full screen, repeating icon",
                 std::chrono::duration<double, std::milli>(Clock::now() - t).count() / n, 30);
    view_doc() = Document();
    MoveWindow(parent, before.left, before.top, before.right - before.left, before.bottom - before.top, FALSE);
    GetClientRect(parent, &pc);
    MoveWindow(view, 0, 0, pc.right, pc.bottom, FALSE);
    return ok;
}

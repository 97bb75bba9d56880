// Repainting levels of a 1,000,000-object document and moving one of its objects, at 100 %;
// edits of many objects are measured in the whole program (edit_bench.cpp).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "bars/sbar.h"
#include "bench_util.h"
#include "base/commands_win.h"
#include "document/clip.h"
#include "document/globals.h"
#include "document/view.h"
#include "resources/ids.h"
#include "view/view_win.h"

namespace {

void paint(HWND view) {
    InvalidateRect(view, nullptr, FALSE);
    UpdateWindow(view);
}

void mark_first(int n) {
    marked_obj_.clear();
    marked_link_.clear();
    marked_shape_.clear();
    for (int i = 0; i < n; ++i) marked_obj_.push_back(static_cast<Key>(i + 1));
}

}  // namespace

// Runs the measures; false when one is over its budget.
bool big_document_benches(HWND view) {
    bool ok = true;
    view_doc_register_commands();
    // Documents shown at 100 %, as a user works: a repaint costs what is on screen.
    auto fresh = [&](int n) {
        view_doc() = bench::grid(n, 0);
        view_undo_clear();
        view_after_load();
        sbar_cmd(kSbarZoom, kSbSet, 100);
        paint(view);
    };

    fresh(1000000);
    const int n = 10;
    auto t = bench::Clock::now();
    for (int i = 0; i < n; ++i) paint(view);
    ok &= bench::within("repaint of a 1000000-object level", bench::ms_since(t) / n, 50);

    mark_first(1);
    t = bench::Clock::now();
    SendMessageA(view, WM_KEYDOWN, VK_RIGHT, 0);
    paint(view);
    bool undone = view_undo();
    paint(view);
    ok &= bench::within("move one object of 1000000, undo it", bench::ms_since(t), 500);
    if (!undone) {
        std::printf("[ FAIL ] the move was not undone\n");
        ok = false;
    }

    view_doc() = bench::grid(5000, 0);
    view_doc().objs[10].id.assign(10u << 20, 'W');
    view_doc().bump();
    view_after_load();
    sbar_cmd(kSbarZoom, kSbSet, 100);
    paint(view);
    t = bench::Clock::now();
    for (int i = 0; i < n; ++i) paint(view);
    ok &= bench::within("repaint of a level with a 10 MB object ID", bench::ms_since(t) / n, 30);

    view_doc() = Document();
    view_undo_clear();
    marked_obj_.clear();
    return ok;
}

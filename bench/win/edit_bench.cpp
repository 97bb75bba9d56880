// "win_bench edits": edits of 20,000 marked objects and 22,000 links in the whole program, at
// 100 % and with the whole diagram in view (Zoom Fit), and a million objects at Zoom Fit. Each
// command reaches the main window as WM_COMMAND and each key the focused window, as a user's
// would; every time includes the repaint.
#include <windows.h>

#include <string>

#include "app/vorn6_win.h"
#include "base/globals_win.h"
#include "base/settings.h"
#include "base/settings_win.h"
#include "bench_util.h"
#include "document/doc_util.h"
#include "document/globals.h"
#include "document/view.h"
#include "document/view_io.h"
#include "resources/ids.h"
#include "view/view_win.h"

namespace {

const char* const kBenchKey = "Software\\Quellmark\\VornBench";

// Paints what the last step left to paint, and handles what it posted.
void settle(HWND win) {
    for (int k = 0; k < 3; ++k) {
        RedrawWindow(win, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        bench::pump();
    }
}

void command(HWND win, int id) {
    SendMessageA(win, WM_COMMAND, id, 0);
    settle(win);
}

void key(HWND win, UINT vk) {
    HWND to = GetFocus();
    SendMessageA(to, WM_KEYDOWN, vk, 1);
    SendMessageA(to, WM_KEYUP, vk, 0xC0000001);
    settle(win);
}

// As opening a file does: nothing marked, no undo.
void open(HWND win, Document d) {
    view_use_document(std::move(d));
    view_after_load();
    file_clear_changed();
    settle(win);
}

}  // namespace

int edit_bench() {
    settings_use_registry(std::string(kBenchKey) + "\\IniStr");
    HWND win = vorn_create_main(GetModuleHandleA(nullptr), "", SW_SHOWNOACTIVATE);
    if (!win) return 2;
    MoveWindow(win, 0, 0, 1024, 768, TRUE);
    bool ok = true;
    struct Zoom {
        int command;
        const char* name;
        double budget;
    };
    for (Zoom z : {Zoom{CMD_ZOOM_100, "100 %", 100}, Zoom{CMD_ZOOM_FIT, "Zoom Fit", 200}}) {
        open(win, bench::grid(20000, 2000));
        command(win, z.command);
        SetFocus(view_inst_);
        auto step = [&](const char* what, auto&& act) {
            auto t = bench::Clock::now();
            act();
            const std::string line = std::string(what) + " (" + z.name + ")";
            ok &= bench::within(line.c_str(), bench::ms_since(t), z.budget);
        };
        step("Select All, 20000 objects and 22000 links", [&] { command(win, CMD_SELECT_ALL); });
        if (marked_obj_.size() != 20000u)
            std::printf("[ note ] %u objects marked, 20000 expected\n", static_cast<unsigned>(marked_obj_.size()));
        step("arrow-key move of them", [&] { key(win, VK_RIGHT); });
        step("Cut of them", [&] { command(win, CMD_CUT); });
        step("Paste of them", [&] { command(win, CMD_PASTE); });
        step("Delete of them", [&] { command(win, CMD_DELETE); });
        step("Undo of that Delete", [&] { command(win, CMD_UNDO); });
        // A copy pasted beside its originals steps aside until it covers none of them.
        command(win, CMD_SELECT_ALL);
        command(win, CMD_COPY);
        step("Paste of a copy of them beside them", [&] { command(win, CMD_PASTE); });
    }

    // Rows of 1,000: at Zoom Fit the whole level is in view, every object painted.
    open(win, bench::grid(1000000, 0, 1000));
    command(win, CMD_ZOOM_FIT);
    const int n = 5;
    auto t = bench::Clock::now();
    for (int i = 0; i < n; ++i) {
        InvalidateRect(view_inst_, nullptr, FALSE);
        UpdateWindow(view_inst_);
    }
    ok &= bench::within("repaint of 1000000 objects (Zoom Fit)", bench::ms_since(t) / n, 300);

    marked_obj_.clear();
    view_doc() = Document();
    view_undo_clear();
    file_clear_changed();
    DestroyWindow(win);
    bench::pump();
    settings_set_backend(nullptr);
    reg_delete_tree(HKEY_CURRENT_USER, kBenchKey);
    return ok ? 0 : 1;
}

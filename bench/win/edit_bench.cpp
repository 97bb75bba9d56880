// "win_bench edits": edits of 20,000 marked objects and 22,000 links in the whole program, at
// 100 % and with the whole diagram in view (Zoom Fit), a million objects of every figure at Zoom
// Fit, marked or not, the Find Objects and Find Links lists of large documents and a paste of
// more text lines than there are keys. Each command reaches the main window as WM_COMMAND and
// each key the focused window, as a user's would; every time includes the repaint.
#include <windows.h>

#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "app/vorn6_win.h"
#include "base/error.h"
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

void repaint() {
    InvalidateRect(view_inst_, nullptr, FALSE);
    UpdateWindow(view_inst_);
}

double repaint_ms(int n) {
    auto t = bench::Clock::now();
    for (int i = 0; i < n; ++i) repaint();
    return bench::ms_since(t) / n;
}

// Notes are counted, not shown: a box would wait for a click.
std::vector<std::string> notes;

// A modal list dialog is timed from the command until it waits for the user, then closed.
bench::Clock::time_point dialog_start;
double dialog_ms = -1;
void CALLBACK close_dialog(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    dialog_ms = bench::ms_since(dialog_start);
    if (HWND dlg = GetActiveWindow(); dlg && dlg != GetAncestor(view_inst_, GA_ROOT)) PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
}

bool find_lists(HWND win, int n) {
    bool ok = true;
    open(win, bench::grid(n, n == 20000 ? 2000 : 0));
    const std::string objs = "Find Objects on " + std::to_string(n) + " objects";
    auto t = bench::Clock::now();
    command(win, CMD_FIND_OBJECTS);
    ok &= bench::within(objs.c_str(), bench::ms_since(t), 500);
    if (HWND dlg = GetActiveWindow(); dlg && dlg != win) SendMessageA(dlg, WM_CLOSE, 0, 0);
    settle(win);
    const std::string links = "Find Links on " + std::to_string(n) + " objects and " +
                              std::to_string(view_doc().links.size()) + " links";
    dialog_ms = -1;
    SetTimer(nullptr, 0, 0, close_dialog);
    dialog_start = bench::Clock::now();
    command(win, CMD_FIND_LINKS);
    ok &= bench::within(links.c_str(), dialog_ms, 500);
    return ok;
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
    ok &= bench::within("repaint of 1000000 objects (Zoom Fit)", repaint_ms(n), 300);
    {
        // Every figure a text can stand in, in turn.
        Document d = bench::grid(1000000, 0, 1000);
        const int shapes[] = {160, 161, 170, 162, 164, 166, 163};
        for (size_t i = 0; i < d.objs.size(); ++i) d.objs[i].shape = shapes[i % std::size(shapes)];
        open(win, std::move(d));
    }
    command(win, CMD_ZOOM_FIT);
    ok &= bench::within("repaint of 1000000 objects of 7 figures (Zoom Fit)", repaint_ms(n), 300);
    command(win, CMD_SELECT_ALL);
    ok &= bench::within("repaint of them all marked (Zoom Fit)", repaint_ms(n), 300);

    ok &= find_lists(win, 20000);
    ok &= find_lists(win, 65535);

    {
        // More lines than keys: the paste is refused before anything is made.
        open(win, Document());
        std::string text;
        for (int i = 0; i < 100000; ++i) text += "A line of text to paste, number " + std::to_string(i) + "\r\n";
        if (OpenClipboard(win)) {
            EmptyClipboard();
            if (HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
                memcpy(GlobalLock(h), text.c_str(), text.size() + 1);
                GlobalUnlock(h);
                SetClipboardData(CF_TEXT, h);
            }
            CloseClipboard();
        }
        const MsgHooks old = msg_set_hooks({[](const std::string& t) { notes.push_back(t); }, nullptr, nullptr, nullptr});
        SetFocus(view_inst_);
        auto t = bench::Clock::now();
        command(win, CMD_PASTE);
        ok &= bench::within("Paste of 100000 text lines (more than there are keys)", bench::ms_since(t), 200);
        msg_set_hooks(old);
        if (notes.size() != 1 || !view_doc().objs.empty())
            std::printf("[ note ] %u notes, %u objects after the paste\n", static_cast<unsigned>(notes.size()),
                        static_cast<unsigned>(view_doc().objs.size()));
    }

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

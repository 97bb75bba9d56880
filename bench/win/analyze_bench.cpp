// "win_bench analyzer": the Analyzer over one object's text of 1 MB in one paragraph, in the whole
// program: from F5 to the text on screen, from choosing each long kind to its whole output on
// screen, and from a click on Stop during each long kind to the end of the run.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/vorn6_win.h"
#include "base/globals_win.h"
#include "base/settings.h"
#include "base/settings_win.h"
#include "document/doc_util.h"
#include "document/globals.h"
#include "document/view.h"
#include "resources/analyze_ids.h"
#include "resources/ids.h"
#include "bench_util.h"

namespace {

using bench::Clock;
using bench::ms_since;
using bench::pump;
using bench::within;

const char* const kBenchKey = "Software\\Quellmark\\VornBench";

void show(HWND dlg) {
    RedrawWindow(dlg, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    pump();
}

// A click on Stop posted 20 ms into a run, and when.
HWND stop_button_ = nullptr;
Clock::time_point stop_posted_;
bool stop_sent_ = false;
void CALLBACK press_stop(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    stop_posted_ = Clock::now();
    stop_sent_ = true;
    PostMessageA(stop_button_, BM_CLICK, 0, 0);
}

void choose(HWND dlg, const char* kind) {
    HWND kinds = GetDlgItem(dlg, IDC_AN_KINDS);
    LRESULT i = SendMessageA(kinds, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(kind));
    SendMessageA(kinds, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
    SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_AN_KINDS, LBN_SELCHANGE), reinterpret_cast<LPARAM>(kinds));
}

size_t output_size(HWND dlg) {
    return static_cast<size_t>(GetWindowTextLengthA(GetWindow(GetDlgItem(dlg, IDC_AN_OUTPUT), GW_CHILD)));
}

}  // namespace

int analyzer_bench() {
    settings_use_registry(std::string(kBenchKey) + "\\IniStr");
    HWND win = vorn_create_main(GetModuleHandleA(nullptr), "", SW_SHOWNOACTIVATE);
    if (!win) return 2;
    // One paragraph, as an object's text often is: the hardest case for an editor that wraps.
    const std::string sentences =
        "The committee reviewed the proposal carefully. Several members, however, wanted more "
        "detail about the timetable; others asked whether the budget (about $40,000) was enough - "
        "and Anna Lopez of Rome said so. ";
    std::string text;
    while (text.size() < (1u << 20)) text += sentences;
    Obj o;
    o.id = "Minutes";
    o.level = 1;
    o.ext = text;
    marked_obj_.assign(1, view_obj_put(o).value_or(0));
    pump();

    bool ok = true;
    auto t = Clock::now();
    SendMessageA(win, WM_COMMAND, CMD_ANALYZER, 0);
    HWND dlg = dlg_find_modeless(IDD_ANALYZE);
    if (!dlg) return 2;
    show(dlg);
    ok &= within("F5 on a 1 MB one-paragraph object, text shown", ms_since(t), 1000);

    for (const char* kind : {"Plain Text", "Abstract", "Syllables", "Sentences", "Clauses", "Chklist Words", "Statistics",
                             "Proper Nouns", "Numerics", "Index", "Spell Error"}) {
        t = Clock::now();
        choose(dlg, kind);
        show(dlg);
        double took = ms_since(t);
        if (output_size(dlg) == 0) std::printf("  (%s showed nothing)\n", kind);
        ok &= within((std::string(kind) + " of 1 MB, whole output shown").c_str(), took, 1000);
    }

    stop_button_ = GetDlgItem(dlg, IDCANCEL);
    for (const char* kind : {"Plain Text", "Syllables", "Sentences", "Clauses", "Abstract", "Proper Nouns", "Numerics",
                             "Chklist Words", "Statistics", "Index", "Spell Error"}) {
        stop_sent_ = false;
        SetTimer(nullptr, 0, 20, press_stop);
        t = Clock::now();
        choose(dlg, kind);
        std::string what = std::string("Stop during ") + kind + ", run ended";
        if (!stop_sent_) {
            std::printf("[ -    ] %-58s %8.1f ms (the run ended before Stop)\n", what.c_str(), ms_since(t));
            // The late click would close the window: it is taken off the queue unanswered.
            MSG m;
            while (!stop_sent_ && GetMessageA(&m, nullptr, 0, 0)) DispatchMessageA(&m);
            PeekMessageA(&m, stop_button_, BM_CLICK, BM_CLICK, PM_REMOVE);
            continue;
        }
        ok &= within(what.c_str(), ms_since(stop_posted_), 100);
        pump();
    }

    DestroyWindow(dlg);
    pump();

    // A megabyte of "1 1 1 ...", as many short words as a text can hold.
    std::string digits;
    while (digits.size() < (1u << 20)) digits += "1 ";
    o.ext = digits;
    view_obj_put(o);
    t = Clock::now();
    SendMessageA(win, WM_COMMAND, CMD_ANALYZER, 0);
    dlg = dlg_find_modeless(IDD_ANALYZE);
    if (!dlg) return 2;
    show(dlg);
    ok &= within("F5 on a 1 MB paragraph of \"1 1 1 ...\", text shown", ms_since(t), 1000);
    t = Clock::now();
    choose(dlg, "Sentences");
    choose(dlg, "Plain Text");
    show(dlg);
    ok &= within("Sentences, then Plain Text of it, output shown", ms_since(t), 1000);

    DestroyWindow(dlg);
    marked_obj_.clear();
    view_doc() = Document();
    file_clear_changed();
    DestroyWindow(win);
    pump();
    settings_set_backend(nullptr);
    reg_delete_tree(HKEY_CURRENT_USER, kBenchKey);
    return ok ? 0 : 1;
}

// TRAP: no exception may cross the system's code. A C++ exception cannot unwind through a window
// or dialog procedure's caller (user32 on Windows) and would end the program with the user's
// documents unsaved, so every procedure the system calls runs its body inside `trap_run`.
#pragma once

#include <windows.h>

#include <cstdint>

// The shell hands in the undo position and the step back to it, so memory that runs out part-way
// through an operation leaves the document as it was before it.
struct TrapHooks {
    uint64_t (*state)() = nullptr;
    bool (*back_to)(uint64_t state) = nullptr;
};
void trap_set_hooks(const TrapHooks& hooks);
// Called with each of the program's dialogs as it starts (WM_INITDIALOG), before its procedure:
// what every dialog gets is added there, without a hook on every window the thread makes.
void trap_set_dialog_start(void (*start)(HWND dlg));
void trap_dialog_started(HWND dlg);

uint64_t trap_mark();
// Inside a catch block: reports the exception being handled and takes the document back to `mark`
// when memory ran out. `later` reports it at the next message instead (a paint must not show a box).
void trap_report(uint64_t mark, bool later = false);

// Runs `f`; false when it threw, after the report.
template <class F> bool trap_run(F&& f, bool report_later = false) {
    const uint64_t mark = trap_mark();
    try {
        f();
        return true;
    } catch (...) {
        trap_report(mark, report_later);
        return false;
    }
}

// What a procedure whose body threw gives the system: the creation fails, a paint is taken as
// done, a dialog that could not start closes itself.
LRESULT trap_failed_result(HWND win, UINT msg, bool dialog);

// `trap_wnd<proc>`, `trap_dlg<proc>`, `trap_sub<proc>` and `trap_timer<proc>` go wherever the
// system is handed a procedure (RegisterClass, CreateDialogParam, DialogBoxParam, subclassing,
// SetTimer).
template <LRESULT(CALLBACK* P)(HWND, UINT, WPARAM, LPARAM)>
LRESULT CALLBACK trap_wnd(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT r = 0;
    if (trap_run([&] { r = P(win, msg, wp, lp); }, msg == WM_PAINT)) return r;
    return trap_failed_result(win, msg, false);
}

template <INT_PTR(CALLBACK* P)(HWND, UINT, WPARAM, LPARAM)>
INT_PTR CALLBACK trap_dlg(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_INITDIALOG) trap_dialog_started(win);
    INT_PTR r = FALSE;
    if (trap_run([&] { r = P(win, msg, wp, lp); }, msg == WM_PAINT)) return r;
    return trap_failed_result(win, msg, true);
}

template <LRESULT(CALLBACK* P)(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR)>
LRESULT CALLBACK trap_sub(HWND win, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR data) {
    LRESULT r = 0;
    if (trap_run([&] { r = P(win, msg, wp, lp, id, data); }, msg == WM_PAINT)) return r;
    return trap_failed_result(win, msg, false);
}

template <void(CALLBACK* P)(HWND, UINT, UINT_PTR, DWORD)>
void CALLBACK trap_timer(HWND win, UINT msg, UINT_PTR id, DWORD time) {
    trap_run([&] { P(win, msg, id, time); });
}

#include "base/trap_win.h"

#include <new>
#include <string>

#include "base/dlg_win.h"
#include "base/error.h"
#include "base/tip_win.h"

namespace {

TrapHooks hooks_;
void (*dialog_start_)(HWND) = nullptr;
std::string pending_;       // a report waiting for the next message
std::string last_deferred_;  // a paint that fails every time reports once

void CALLBACK report_pending(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    std::string text;
    text.swap(pending_);
    if (!text.empty()) msg_error(text);
}

std::string text_of_current(uint64_t mark) {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        const bool back = hooks_.back_to && hooks_.back_to(mark);
        return back ? "There is not enough memory for this command; the document is as it was before it."
                    : "There is not enough memory for this command.";
    } catch (const VornDeclined&) {
        return {};
    } catch (const VornError& e) {
        return dlg_error_text("%s", e.text, e.code);
    } catch (const std::exception& e) {
        return e.what();
    } catch (...) {
        return "This command stopped because of an unexpected error.";
    }
}

}  // namespace

void trap_set_hooks(const TrapHooks& hooks) { hooks_ = hooks; }

void trap_set_dialog_start(void (*start)(HWND)) { dialog_start_ = start; }

void trap_dialog_started(HWND dlg) {
    if (dialog_start_) trap_run([&] { dialog_start_(dlg); });
}

uint64_t trap_mark() { return hooks_.state ? hooks_.state() : 0; }

void trap_report(uint64_t mark, bool later) {
    std::string text;
    try {
        text = text_of_current(mark);
    } catch (...) {
        text = "There is not enough memory for this command.";
    }
    if (text.empty()) return;
    if (!later) {
        last_deferred_.clear();
        tip_hide();
        msg_error(text);
        return;
    }
    if (text == last_deferred_ || !pending_.empty()) return;
    last_deferred_ = pending_ = text;
    SetTimer(nullptr, 0, 0, trap_timer<report_pending>);
}

LRESULT trap_failed_result(HWND win, UINT msg, bool dialog) {
    switch (msg) {
    case WM_NCCREATE: return FALSE;
    case WM_CREATE: return -1;
    case WM_PAINT: ValidateRect(win, nullptr); return 0;
    case WM_INITDIALOG:
        if (dialog) PostMessageA(win, WM_COMMAND, IDCANCEL, 0);
        return FALSE;
    default: return 0;
    }
}

// DLG: helpers every dialog uses.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// On a dialog's creation: hides the tooltip, moves it to the rectangle remembered for `dlg_id`
// (kept on the work area; never for the Icon Browser 10552), records it as open (mode 1
// modeless, 0 modal). A modal dialog holds the program: the main window and the modeless
// dialogs take no input until it ends.
void dlg_on_create(HWND win, int dlg_id, int mode);
// On its destruction: remembers its rectangle and removes its open record; what a modal dialog
// held takes input again.
void dlg_on_destroy(HWND win, int dlg_id, int mode);

// A dialog's own state, so that no other dialog (a second one of its kind) can reach it: the
// state's address goes in as the lParam of DialogBoxParam or CreateDialogParam, WM_INITDIALOG
// keeps it and the procedure finds it again. Null before WM_INITDIALOG.
template <class T>
T* dlg_state(HWND win) {
    return reinterpret_cast<T*>(GetWindowLongPtrA(win, DWLP_USER));
}
template <class T>
T& dlg_keep_state(HWND win, LPARAM lp) {
    SetWindowLongPtrA(win, DWLP_USER, lp);
    return *reinterpret_cast<T*>(lp);
}
template <class T>
LPARAM dlg_state_param(T& state) {
    return reinterpret_cast<LPARAM>(&state);
}
// State made with the dialog (on WM_INITDIALOG) that goes with it (on WM_DESTROY).
template <class T>
T& dlg_make_state(HWND win) {
    return dlg_keep_state<T>(win, reinterpret_cast<LPARAM>(new T()));
}
template <class T>
void dlg_drop_state(HWND win) {
    delete dlg_state<T>(win);
    SetWindowLongPtrA(win, DWLP_USER, 0);
}

// The window a message box belongs to: the running modal dialog (the innermost), else the
// active window of the program, else the main window's last active pop-up. Closing the box then
// gives the input back to that window alone.
HWND dlg_box_owner();
// While it lives, a message box is showing over `owner`: every other window that reaches the
// document (the main window, the modeless dialogs) takes no input.
class DlgBoxHold {
public:
    DlgBoxHold();
    ~DlgBoxHold();
    DlgBoxHold(const DlgBoxHold&) = delete;
    DlgBoxHold& operator=(const DlgBoxHold&) = delete;
    HWND owner() const { return owner_; }

private:
    HWND owner_;
    std::vector<HWND> held_;
};
// True while a modal dialog or a box holds the program (the main window is disabled): input
// the main window or the diagram gets then came from no user.
bool dlg_program_held();
// Sent to every open modeless dialog once the document has been replaced (Open, New, Reload,
// Back/Forward, DDE, a download, a training card): the dialog either reads the new document and
// answers dlg_stay_open, or closes, putting back what it previewed. One that does not answer is
// closed.
constexpr UINT WM_VORN_REPLACED = WM_APP + 0x103;
void dlg_document_replaced();
// The answer of a dialog that read the new document and stays.
INT_PTR dlg_stay_open(HWND win);
// True while the open document must stay in place: a modal dialog or message box runs, the main
// window is disabled under another modal loop (a file dialog), or the in-place text box is open.
bool dlg_document_held();
// Runs `step` (which may replace the document: a finished download, a training card) now when
// nothing holds the document, else once nothing does; waiting steps run in the order they came.
void dlg_when_document_free(std::function<void()> step);
// How many steps wait.
size_t dlg_document_waiting();
// Error box with format(fmt, text); a non-zero err_no adds the number and its words (its
// "error.txt" line, else the system's text for it).
void dlg_error_msg(const std::string& fmt, const std::string& text, int err_no = 0);
// The text of that box.
std::string dlg_error_text(const std::string& fmt, const std::string& text, int err_no);
// "From", "From+Step", ... up to To; Step 0 gives From alone.
std::vector<std::string> dlg_num_strings(int from, int to, int step);
int dlg_lbox_sel(HWND win, int id);
int dlg_is_checked(HWND win, int id);
// Check box id (first..last) := bit (id - base) of bits.
void dlg_set_checks(HWND win, int first, unsigned bits, int base, int last);
std::string dlg_get_text(HWND win, int id);
void dlg_enable(HWND win, int id, int on);
// Fills `r` of `win` with palette colour `colour_index` (owner-drawn swatches).
void dlg_fill_rect(int colour_index, HWND win, HDC dc, const RECT& r);
void dlg_fixed_font(HWND win, int id);
// Right / bottom edge `mr` / `mb` pixels inside the dialog (0 leaves it); never narrower or
// lower than 80 pixels.
void dlg_stretch_control(HWND win, int id, int mr, int mb);
void dlg_align_right(HWND win, int id, int m);
void dlg_align_bottom(HWND win, int id, int m);
// Outer width := left of control + d (dialog units); outer height := top of control + d.
void dlg_fit_width(HWND win, int id, int d);
void dlg_fit_height(HWND win, int id, int d);
void dlg_set_height(HWND win, int h);
// Left at least 4, top at least 22.
void dlg_keep_on_screen(HWND win);
// Clipboard := the selected items of list `id` (all when none is selected), CR LF between.
void dlg_copy_lbox(HWND win, int id);

// The work area of the monitor (for clamping remembered rectangles).
RECT dlg_work_area();
// OK applies the dialog and closes it, unless `apply` refuses or throws (the error is reported);
// Cancel closes it. False for other commands.
bool dlg_ok_cancel(HWND win, WPARAM wp, bool (*apply)(HWND));

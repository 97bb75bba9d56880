// An exception in a window or dialog procedure cannot unwind through the system's code that called
// it: the program would end with the user's work unsaved. It is reported, and the procedure answers
// the system as a failure of that one message would.
#include <windows.h>

#include <gtest/gtest.h>

#include <new>

#include "base/error.h"
#include "base/trap_win.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"
#include "resources/bars_ids.h"
#include "win_test_util.h"

using namespace wt;

namespace {

bool fail_init_ = false;
bool open_after_click_ = false;

// Clicks OK (which throws) from inside the dialog's own modal loop, then closes the dialog.
INT_PTR CALLBACK throwing_dlg(HWND win, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG:
        if (fail_init_) throw VornError(0, "The list could not be read");
        SetTimer(win, 1, 10, nullptr);
        return TRUE;
    case WM_TIMER:
        KillTimer(win, 1);
        press(win, IDOK);
        open_after_click_ = IsWindow(win);
        EndDialog(win, 7);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wp) == IDOK) {
            UndoStep step;
            view_point_add(1, 10, 20, 1, 0);
            step.commit("Plot Points");
            throw std::bad_alloc();
        }
        if (LOWORD(wp) == IDCANCEL) EndDialog(win, IDCANCEL);
        return TRUE;
    }
    return FALSE;
}

bool fail_create_ = false;
int paints_ = 0;

LRESULT CALLBACK throwing_wnd(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CREATE && fail_create_) throw VornError(0, "No room for the window");
    if (msg == WM_PAINT) {
        ++paints_;
        throw VornError(0, "The picture could not be drawn");
    }
    if (msg == WM_LBUTTONDOWN) throw std::runtime_error("Clicked");
    return DefWindowProcA(win, msg, wp, lp);
}

const char* register_throwing() {
    static const char* cls = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = trap_wnd<throwing_wnd>;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "VornTrapTest";
        RegisterClassA(&wc);
        return "VornTrapTest";
    }();
    return cls;
}

class Trap : public MainWindowTest {
protected:
    Trap() : MainWindowTest("vorn-trap") {}
};

}  // namespace

TEST_F(Trap, MemoryRunningOutInADialogTakesTheDocumentBackAndKeepsTheDialog) {
    fail_init_ = false;
    open_after_click_ = false;
    INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ZOOM), win_, trap_dlg<throwing_dlg>, 0);
    EXPECT_EQ(r, 7);
    EXPECT_TRUE(open_after_click_);
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_EQ(Boxes::errors[0], "There is not enough memory for this command; the document is as it was before it.");
    EXPECT_TRUE(view_doc().points.empty());
    EXPECT_FALSE(view_can_undo());
}

TEST_F(Trap, ADialogThatCannotStartClosesItselfAndSaysWhy) {
    fail_init_ = true;
    INT_PTR r = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ZOOM), win_, trap_dlg<throwing_dlg>, 0);
    fail_init_ = false;
    EXPECT_EQ(r, IDCANCEL);
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_NE(Boxes::errors[0].find("The list could not be read"), std::string::npos) << Boxes::errors[0];
}

TEST_F(Trap, AWindowReportsItsErrorsAndAPaintThatFailsReportsOnceLater) {
    fail_create_ = true;
    EXPECT_EQ(CreateWindowA(register_throwing(), "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr), nullptr);
    fail_create_ = false;
    ASSERT_EQ(Boxes::errors.size(), 1u);
    EXPECT_NE(Boxes::errors[0].find("No room for the window"), std::string::npos) << Boxes::errors[0];

    HWND w = CreateWindowA(register_throwing(), "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(w, nullptr);
    PostMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    pump(30);
    ASSERT_EQ(Boxes::errors.size(), 2u);
    EXPECT_EQ(Boxes::errors[1], "Clicked");

    // A box inside a paint would paint again under it: the paint is taken as done and its error
    // shown once the paint is over, and only once while it keeps failing the same way.
    paints_ = 0;
    ShowWindow(w, SW_SHOWNA);
    for (int i = 0; i < 3; ++i) {
        const size_t before = Boxes::errors.size();
        InvalidateRect(w, nullptr, FALSE);
        UpdateWindow(w);
        EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));
        EXPECT_EQ(Boxes::errors.size(), before);
        pump(30);
    }
    EXPECT_GE(paints_, 3);
    ASSERT_EQ(Boxes::errors.size(), 3u);
    EXPECT_NE(Boxes::errors[2].find("The picture could not be drawn"), std::string::npos) << Boxes::errors[2];
    DestroyWindow(w);
}

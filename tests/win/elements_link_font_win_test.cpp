// The Font dialog: rows in their own fonts, "Change..." staged until OK, underline boxes.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/globals_win.h"
#include "document/view.h"
#include "elements/font_win.h"
#include "resources/links_ids.h"

namespace {

bool choose_bold_12(HWND, LOGFONTA* lf) {
    lf->lfHeight = -16;  // 12 points on a 96 dpi screen
    lf->lfWeight = 700;
    lf->lfItalic = 0;
    std::strcpy(lf->lfFaceName, "Courier New");
    return true;
}
bool choose_nothing(HWND, LOGFONTA*) { return false; }

std::string text_of(HWND dlg, int id) {
    char buf[128] = {};
    GetDlgItemTextA(dlg, id, buf, sizeof buf);
    return buf;
}

HWND open_modeless() {
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_FONT), nullptr, dlg_font_eh, 0);
}

int g_closed_by_timer = 0;
void CALLBACK close_font_dialog(HWND, UINT, UINT_PTR id, DWORD) {
    if (HWND d = FindWindowA("#32770", "Font")) {
        ++g_closed_by_timer;
        EndDialog(d, IDCANCEL);
    }
    KillTimer(nullptr, id);
}

class FontDialog : public ::testing::Test {
protected:
    void SetUp() override {
        view_doc() = Document();
        font_init_defaults();
    }
    void TearDown() override { font_set_chooser(nullptr); }
};

}  // namespace

TEST_F(FontDialog, ChangeIsStagedUntilOk) {
    view_param_set(65, 2);  // stored above 1: shows checked
    HWND d = open_modeless();
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(text_of(d, IDC_FONT_EDIT0), "Arial 10pt");
    EXPECT_EQ(text_of(d, IDC_FONT_EDIT0 + 3), "Arial 11pt");
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_FONT_UNDERLINE0), BST_UNCHECKED);
    EXPECT_EQ(IsDlgButtonChecked(d, IDC_FONT_UNDERLINE0 + 1), BST_CHECKED);

    font_set_chooser(&choose_nothing);
    SendMessageA(d, WM_COMMAND, IDC_FONT_CHANGE0, 0);
    EXPECT_EQ(text_of(d, IDC_FONT_EDIT0), "Arial 10pt");

    font_set_chooser(&choose_bold_12);
    SendMessageA(d, WM_COMMAND, IDC_FONT_CHANGE0, 0);
    EXPECT_EQ(text_of(d, IDC_FONT_EDIT0), "Courier New 12pt");
    // The edit shows the chosen font itself.
    LOGFONTA lf{};
    GetObjectA(reinterpret_cast<HFONT>(SendDlgItemMessageA(d, IDC_FONT_EDIT0, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    EXPECT_EQ(lf.lfWeight, 700);
    EXPECT_EQ(view_param_get(52), 0);  // nothing stored before OK

    CheckDlgButton(d, IDC_FONT_UNDERLINE0, BST_CHECKED);
    view_doc().changed = false;
    SendMessageA(d, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(view_param_get(52), 2);
    EXPECT_EQ(view_param_get(53), 300);
    EXPECT_EQ(view_text_param_get(2), "Courier New");
    EXPECT_EQ(view_param_get(55), 1);
    EXPECT_EQ(view_param_get(65), 1);
    EXPECT_TRUE(view_doc().changed);
    EXPECT_EQ(text_font(0, 1).weight, 700);
    EXPECT_EQ(text_font(0, 1).underline, 1);
    DestroyWindow(d);
}

TEST_F(FontDialog, CancelKeepsEverything) {
    HWND d = open_modeless();
    font_set_chooser(&choose_bold_12);
    SendMessageA(d, WM_COMMAND, IDC_FONT_CHANGE0 + 2, 0);
    SendMessageA(d, WM_COMMAND, IDCANCEL, 0);
    DestroyWindow(d);
    EXPECT_EQ(view_text_param_get(14), "Times New Roman");
    // A later OK does not pick up the cancelled choice.
    d = open_modeless();
    SendMessageA(d, WM_COMMAND, IDOK, 0);
    DestroyWindow(d);
    EXPECT_EQ(view_text_param_get(14), "Times New Roman");
}

TEST_F(FontDialog, NotWhileTheInsertTextDialogIsOpen) {
    HWND fake = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    modelessdlg_inst_.push_back({fake, 10397});
    g_closed_by_timer = 0;
    UINT_PTR t = SetTimer(nullptr, 0, 500, close_font_dialog);
    font_dialog(nullptr);
    KillTimer(nullptr, t);
    EXPECT_EQ(g_closed_by_timer, 0);
    modelessdlg_inst_.pop_back();
    DestroyWindow(fake);
}


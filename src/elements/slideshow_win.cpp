#include "elements/slideshow_win.h"

#include <commdlg.h>

#include <algorithm>
#include <string>

#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/globals_win.h"
#include "base/trap_win.h"
#include "base/util_win.h"
#include "document/view.h"
#include "elements/bg_transition.h"
#include "elements/bg_transition_win.h"
#include "elements/elements_dlg_win.h"
#include "resources/bg_ids.h"
#include "resources/ids.h"

namespace {

constexpr int kEffectSetting = 61;
constexpr int kSoundText = 24;

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

void init(HWND win) {
    HWND list = GetDlgItem(win, IDC_SLIDE_EFFECT);
    for (const auto& r : slideshow_effects()) SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(r.name));
    SendMessageA(list, CB_SETCURSEL, std::max(0, slideshow_effect_pos(view_param_get(kEffectSetting))), 0);
    SetDlgItemTextA(win, IDC_SLIDE_SOUND, view_text_param_get(kSoundText).c_str());
    CheckDlgButton(win, IDC_SLIDE_DISABLE, slideshow_effects_on() ? BST_UNCHECKED : BST_CHECKED);
    dlg_on_create(win, IDD_SLIDESHOW, 0);
}

int chosen_effect(HWND win) {
    int pos = static_cast<int>(SendDlgItemMessageA(win, IDC_SLIDE_EFFECT, CB_GETCURSEL, 0, 0));
    auto rows = slideshow_effects();
    return pos >= 0 && pos < static_cast<int>(rows.size()) ? rows[pos].code : 0;
}

void test_effect(HWND win) {
    bool was = slideshow_effects_on();
    slideshow_effects_set(true);
    int effect = chosen_effect(win);
    RECT r;
    GetWindowRect(win, &r);
    // Out of the way so the whole diagram shows the transition.
    SetWindowPos(win, nullptr, r.left - 500, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (view_inst_) UpdateWindow(view_inst_);
    bg_transition(view_inst_, effect);
    SetWindowPos(win, nullptr, r.left, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    slideshow_effects_set(was);
    view_repaint();
}

void test_sound(HWND win) {
    bool was = slideshow_effects_on();
    slideshow_effects_set(true);
    util_play_sound(dlg_get_text(win, IDC_SLIDE_SOUND));
    slideshow_effects_set(was);
}

void browse(HWND win) {
    char file[MAX_PATH] = "*.wav";
    std::string dir = dlg_get_text(win, IDC_SLIDE_SOUND);
    size_t slash = dir.find_last_of("\\/");
    dir = slash == std::string::npos ? std::string() : dir.substr(0, slash);
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = win;
    ofn.lpstrFilter = "Wave Files\0*.wav\0Other Files\0*.*\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
    ofn.lpstrTitle = "Select:";
    ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (GetOpenFileNameA(&ofn)) SetDlgItemTextA(win, IDC_SLIDE_SOUND, lower(file).c_str());
}

void run_settings() { slideshow_settings(main_inst_); }

const Command kCommands[] = {{CMD_SLIDESHOW_SETTINGS, run_settings}};

}  // namespace

INT_PTR CALLBACK dlg_slideshow_eh(HWND win, UINT msg, WPARAM wp, LPARAM) {
    switch (msg) {
    case WM_INITDIALOG: init(win); return TRUE;
    case WM_SIZE:
        dlg_stretch_control(win, IDC_SLIDE_OPENING_GROUP, 20, 0);
        dlg_stretch_control(win, IDC_SLIDE_SOUND, 32, 0);
        break;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case IDC_SLIDE_TEST_EFFECT: test_effect(win); return TRUE;
        case IDC_SLIDE_TEST_SOUND: test_sound(win); return TRUE;
        case IDC_SLIDE_BROWSE: browse(win); return TRUE;
        // The switch follows the box at once, also when the dialog is then cancelled.
        case IDC_SLIDE_DISABLE: slideshow_effects_set(!slideshow_effects_on()); return TRUE;
        case IDOK: {
            int effect = chosen_effect(win);
            std::string sound = dlg_get_text(win, IDC_SLIDE_SOUND);
            UndoStep step;
            view_param_set(kEffectSetting, effect);
            view_text_param_set(kSoundText, sound);
            step.commit("Change Para");
            if (elements_dlg_hooks_.tbar_refresh) elements_dlg_hooks_.tbar_refresh();
            EndDialog(win, IDOK);
            return TRUE;
        }
        case IDCANCEL: EndDialog(win, IDCANCEL); return TRUE;
        default: return FALSE;
        }
    case WM_DESTROY: dlg_on_destroy(win, IDD_SLIDESHOW, 0); break;
    default: break;
    }
    return FALSE;
}

void slideshow_settings(HWND parent) {
    DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SLIDESHOW), parent, trap_dlg<dlg_slideshow_eh>, 0);
}

void slideshow_init() { cmd_register_all(kCommands); }

#include "elements/bg_dialog_win.h"

#include <commdlg.h>

#include <algorithm>
#include <optional>
#include <string>

#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/palette.h"
#include "base/trap_win.h"
#include "document/view.h"
#include "elements/bg.h"
#include "elements/bg_dialog.h"
#include "elements/elements_dlg_win.h"
#include "elements/icon.h"
#include "elements/obj_win.h"
#include "resources/bg_ids.h"
#include "resources/ids.h"

namespace {

constexpr int kPopupBackground = 10804;
// A picture name is tried once the typing pauses this long (or the field is left), so no half
// typed name is loaded.
constexpr UINT_PTR kTryNameTimer = 1;
constexpr UINT kTryNameMs = 700;
const char* const kLights[] = {"Auto", "None", "Left-Top", "Right-Top", "Right-Bottom", "Left-Bottom"};

int (*level_hook_)() = nullptr;
HWND dlg_ = nullptr;
std::optional<BgPreview> preview_;
bool filling_ = false;  // set while the dialog fills its own controls

int current_level() { return level_hook_ ? level_hook_() : 1; }

void add_items(HWND win, int id, auto&& items, int sel) {
    HWND c = GetDlgItem(win, id);
    SendMessageA(c, CB_RESETCONTENT, 0, 0);
    for (const auto& s : items) SendMessageA(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(static_cast<const char*>(s)));
    SendMessageA(c, CB_SETCURSEL, sel, 0);
}

int selected(HWND win, int id) { return static_cast<int>(SendDlgItemMessageA(win, id, CB_GETCURSEL, 0, 0)); }

std::string text_of(HWND win, int id) {
    char buf[MAX_PATH + 1] = {};
    GetDlgItemTextA(win, id, buf, sizeof buf);
    return buf;
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

// The group caption and the figure list follow the level the view shows.
void follow_level(HWND win) {
    int level = current_level();
    std::string caption = bg_level_caption(level);
    if (text_of(win, IDC_BG_LEVEL_GROUP) != caption) SetDlgItemTextA(win, IDC_BG_LEVEL_GROUP, caption.c_str());
    int pos = std::max(0, bg_figure_pos(view_doc().shown_param(kBgLevelFigure + level)));
    if (selected(win, IDC_BG_FIGURE) != pos) SendDlgItemMessageA(win, IDC_BG_FIGURE, CB_SETCURSEL, pos, 0);
}

void init(HWND win) {
    dlg_ = win;
    preview_.emplace();
    filling_ = true;
    std::vector<const char*> fills, figures, numbers;
    for (const auto& r : bg_fills()) fills.push_back(r.name);
    for (const auto& r : bg_figures()) figures.push_back(r.name);
    static std::vector<std::string> number_texts, percent_texts = bg_percent_list();
    if (number_texts.empty())
        for (int i = 0; i < 32; ++i) number_texts.push_back(std::to_string(i));
    for (const auto& s : number_texts) numbers.push_back(s.c_str());
    std::vector<const char*> percents;
    for (const auto& s : percent_texts) percents.push_back(s.c_str());
    add_items(win, IDC_BG_FILL, fills, std::max(0, bg_fill_pos(view_param_get(kBgFillKind))));
    add_items(win, IDC_BG_BACK, numbers, view_param_get(kBgBack));
    add_items(win, IDC_BG_BLEND, numbers, view_param_get(kBgBlend));
    add_items(win, IDC_BG_PATTERN_COLOUR, numbers, view_param_get(kBgPattern));
    add_items(win, IDC_BG_FIGURE, figures, 0);
    add_items(win, IDC_BG_PERCENT, percents, view_param_get(kBgPercent));
    add_items(win, IDC_BG_LIGHT, kLights, view_param_get(kBgLight));
    SetDlgItemTextA(win, IDC_BG_PICTURE, view_text_param_get(kBgPictureText).c_str());
    CheckRadioButton(win, IDC_BG_OBJECTS_BEHIND, IDC_BG_SHAPES_BEHIND,
                     view_param_get(kBgDrawOrder) ? IDC_BG_SHAPES_BEHIND : IDC_BG_OBJECTS_BEHIND);
    follow_level(win);
    filling_ = false;
    dlg_on_create(win, IDD_BACKGROUND, 1);
}

void choose_fill(HWND win) {
    int code = bg_fill_code(selected(win, IDC_BG_FILL));
    if (code < 0) return;
    preview_->set(kBgFillKind, code);
    if (code == kBgIcon && icon_browse(win)) {
        if (auto icon = icon_current_get()) preview_->set(kBgIconNumber, *icon);
    }
}

void try_name(HWND win) {
    KillTimer(win, kTryNameTimer);
    std::string name = lower(text_of(win, IDC_BG_PICTURE));
    if (preview_ && name != view_doc().shown_text_param(kBgPictureText)) preview_->set_picture(name);
}

void browse(HWND win) {
    char file[MAX_PATH] = {};
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = win;
    ofn.lpstrFilter = "All Files (*.*)\0*.*\0";
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.lpstrTitle = "Picture file";
    ofn.Flags = OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    std::string name;
    const std::string dir = file_dir_of(text_of(win, IDC_BG_PICTURE));
    if (elements_dlg_hooks_.picture_browse) {
        if (!elements_dlg_hooks_.picture_browse(win, ".*", dir, &name)) return;
    } else {
        ofn.lpstrInitialDir = dir.c_str();
        if (!GetOpenFileNameA(&ofn)) return;
        name = file;
    }
    name = lower(name);
    std::string note = bg_check_browsed(name);
    if (!note.empty()) {
        view_note(note);
        return;
    }
    SetDlgItemTextA(win, IDC_BG_PICTURE, name.c_str());
    try_name(win);
}

void close(HWND win, bool keep) {
    KillTimer(win, kTryNameTimer);
    obj_hold_load_reports(false);
    if (preview_) keep ? preview_->commit() : preview_->cancel();
    preview_.reset();
    DestroyWindow(win);
    if (keep && view_inst_) SetFocus(view_inst_);
}

bool on_command(HWND win, int id, int code) {
    if (filling_) return false;
    if (code == CBN_SELCHANGE) {
        int sel = selected(win, id);
        switch (id) {
        case IDC_BG_FILL: choose_fill(win); return true;
        case IDC_BG_BACK: preview_->set(kBgBack, sel); return true;
        case IDC_BG_BLEND: preview_->set(kBgBlend, sel); return true;
        case IDC_BG_PATTERN_COLOUR: preview_->set(kBgPattern, sel); return true;
        case IDC_BG_FIGURE: {
            int fig = bg_figure_code(sel);
            if (fig >= 0) preview_->set(kBgLevelFigure + current_level(), fig);
            return true;
        }
        case IDC_BG_PERCENT: preview_->set(kBgPercent, sel); return true;
        case IDC_BG_LIGHT: preview_->set(kBgLight, sel); return true;
        default: return false;
        }
    }
    switch (id) {
    case IDC_BG_OBJECTS_BEHIND:
    case IDC_BG_SHAPES_BEHIND:
        if (code == BN_CLICKED) preview_->set(kBgDrawOrder, IsDlgButtonChecked(win, IDC_BG_SHAPES_BEHIND) == BST_CHECKED);
        return true;
    case IDC_BG_PICTURE:
        // No box may take the keys of someone typing a name.
        if (code == EN_SETFOCUS) {
            obj_hold_load_reports(true);
        } else if (code == EN_CHANGE) {
            SetTimer(win, kTryNameTimer, kTryNameMs, nullptr);
        } else if (code == EN_KILLFOCUS) {
            try_name(win);
            obj_hold_load_reports(false);
        }
        return true;
    case IDC_BG_BROWSE: browse(win); return true;
    case IDOK:
        try_name(win);
        if (bg_fill_code(selected(win, IDC_BG_FILL)) == kBgPicture && text_of(win, IDC_BG_PICTURE).empty()) {
            view_note("Picture file must be specified");
            return true;
        }
        close(win, true);
        return true;
    case IDCANCEL: close(win, false); return true;
    default: return false;
    }
}

void draw_swatch(const DRAWITEMSTRUCT& di) {
    if (di.itemID == static_cast<UINT>(-1)) return;
    HBRUSH b = CreateSolidBrush(tbar_color_or(static_cast<int>(di.itemID), 0));
    RECT r = di.rcItem;
    FillRect(di.hDC, &r, b);
    DeleteObject(b);
    if (di.itemState & ODS_FOCUS) DrawFocusRect(di.hDC, &r);
}

void run_background() { bg_dialog(); }
bool opened() { return true; }

const Command kCommands[] = {
    {CMD_BACKGROUND, run_background, opened},
    {kPopupBackground, run_background, opened},
};

}  // namespace

INT_PTR CALLBACK dlg_background_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: init(win); return TRUE;
    case WM_COMMAND: return on_command(win, LOWORD(wp), HIWORD(wp)) ? TRUE : FALSE;
    case WM_PAINT: follow_level(win); break;
    case WM_TIMER:
        if (wp == kTryNameTimer) try_name(win);
        return TRUE;
    case WM_DRAWITEM: draw_swatch(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp)); return TRUE;
    case WM_SIZE:
        dlg_stretch_control(win, IDC_BG_PICTURE, 88, 0);
        dlg_align_right(win, IDC_BG_BROWSE, 20);
        break;
    case WM_CLOSE: close(win, false); return TRUE;
    case WM_VORN_REPLACED:
        // What it shows belonged to the document it was opened for, and went with it.
        preview_.reset();
        DestroyWindow(win);
        return TRUE;
    case WM_DESTROY:
        obj_hold_load_reports(false);
        dlg_on_destroy(win, IDD_BACKGROUND, 1);
        if (preview_) preview_->cancel();
        preview_.reset();
        dlg_ = nullptr;
        break;
    default: break;
    }
    return FALSE;
}

void bg_dialog_set_level_hook(int (*current_level)()) { level_hook_ = current_level; }

void bg_dialog_follow_level() {
    if (dlg_) follow_level(dlg_);
}

void bg_dialog() {
    if (dlg_ || dlg_find_modeless(IDD_BACKGROUND)) return;
    CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_BACKGROUND), main_inst_, trap_dlg<dlg_background_eh>, 0);
    if (dlg_) ShowWindow(dlg_, SW_SHOW);
}

void bg_dialog_init() {
    cmd_register_all(kCommands);
}

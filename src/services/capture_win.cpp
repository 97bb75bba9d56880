// Capture Picture and the picture commands of the main menu (Insert Picture, TWAIN).
#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <utility>

#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/pict_win.h"
#include "base/settings_win.h"
#include "base/trap_win.h"
#include "bars/sbar.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"
#include "elements/draw_win.h"
#include "elements/elements_dlg_win.h"
#include "elements/obj_tables.h"
#include "resources/ids.h"
#include "resources/pict_ids.h"
#include "services/action_win.h"
#include "services/pictbrowse.h"
#include "services/pictbrowse_win.h"
#include "view/view_win.h"

namespace {

// Lets pending paints run, so closed dialogs and selection marks are gone from the screen.
void let_paint() {
    MSG m;
    for (int i = 0; i < 200 && PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (m.message == WM_QUIT) {
            PostQuitMessage(int(m.wParam));
            break;
        }
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    if (main_inst_) RedrawWindow(main_inst_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
}

// The screen's pixels of a rectangle in screen coordinates.
HGLOBAL grab_screen(const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return nullptr;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bmp || !bits) {
        DeleteDC(mem);
        ReleaseDC(nullptr, screen);
        vorn_raise(kPictErrMemory);
    }
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY | CAPTUREBLT);
    GdiFlush();
    Image img(w, h, 0);
    const auto* p = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < img.px.size(); ++i) img.px[i] = p[i] & 0xFFFFFF;
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return pict_from_dib(image_to_dib24(img));
}

std::string desktop_dir() {
    RegValue v = reg_get(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders",
                         "Desktop", "");
    if (v.found && !v.text.empty()) return v.text;
    // The value is gone on some systems: ask the shell itself.
    char path[MAX_PATH] = {};
    if (SHGetFolderPathA(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, 0, path) == S_OK) return path;
    return {};
}

bool dir_writable(const std::string& dir) {
    const std::string probe = gbrows_trim_slashes(dir) + "\\~vorn.tmp";
    HANDLE f = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    CloseHandle(f);
    return true;
}

// ---- The dialog.

bool region_marked() {
    auto s = view_shape_get(0);
    return s && (s->left != s->right || s->top != s->bottom);
}

// The current document's folder as its user wrote it; "" without one.
std::string doc_dir() { return file_dir_part(file_current_name()); }

void capture_filename(HWND win) {
    if (file_current_name().empty()) return;
    const std::string name = gbrows_capture_filename_for(file_current_name(), dlg_get_text(win, IDC_CAP_FORMAT));
    SetDlgItemTextA(win, IDC_CAP_NAME, name.c_str());
    dlg_enable(win, IDC_CAP_NAME, !dlg_is_checked(win, IDC_CAP_CLIPBOARD));
}

void fill_combo(HWND win, int id, const std::vector<std::string>& items, int sel) {
    HWND cb = GetDlgItem(win, id);
    for (const auto& s : items) SendMessageA(cb, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
    SendMessageA(cb, CB_SETCURSEL, WPARAM(sel), 0);
}

struct CaptureChoice {
    std::string name;
    int r = 0, b = 100, c = 48;
    bool gray = false, shadow = false;
    int source = IDC_CAP_WINDOW, dest = IDC_CAP_CLIPBOARD;
};

int combo_sel(HWND win, int id) { return int(SendDlgItemMessageA(win, id, CB_GETCURSEL, 0, 0)); }

INT_PTR CALLBACK dlg_capture_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        SetWindowLongPtrA(win, DWLP_USER, lp);
        dlg_on_create(win, IDD_CAPTURE, 0);
        fill_combo(win, IDC_CAP_FORMAT, gbrows_capture_formats(), 0);
        std::vector<std::string> red;
        for (int v = 100; v >= 5; --v) red.push_back(std::to_string(v));
        fill_combo(win, IDC_CAP_REDUCTION, red, 0);
        fill_combo(win, IDC_CAP_BRIGHTNESS, dlg_num_strings(-100, 100, 1), 100);
        fill_combo(win, IDC_CAP_CONTRAST, dlg_num_strings(-48, 48, 1), 48);
        CheckRadioButton(win, IDC_CAP_WINDOW, IDC_CAP_REGION, region_marked() ? IDC_CAP_REGION : IDC_CAP_WINDOW);
        CheckDlgButton(win, IDC_CAP_CLIPBOARD, BST_CHECKED);
        dlg_enable(win, IDC_CAP_FORMAT, 0);
        // Only the left column shows until ">>".
        dlg_fit_width(win, IDC_CAP_FROM, 123);
        capture_filename(win);
        return TRUE;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wp), code = HIWORD(wp);
        auto dest_changed = [&](int id2) {
            if (id2 == IDC_CAP_CLIPBOARD) dlg_enable(win, IDC_CAP_FORMAT, 0);
            if (id2 == IDC_CAP_DESKTOP || id2 == IDC_CAP_CURRENT) dlg_enable(win, IDC_CAP_FORMAT, 1);
            if (id2 != IDC_CAP_PREVIEW) capture_filename(win);
            dlg_enable(win, IDC_CAP_NAME, !dlg_is_checked(win, IDC_CAP_CLIPBOARD));
        };
        switch (id) {
        case IDC_CAP_CLIPBOARD:
        case IDC_CAP_DESKTOP:
        case IDC_CAP_CURRENT:
        case IDC_CAP_PREVIEW:
            if (code == BN_CLICKED) dest_changed(id);
            return TRUE;
        case IDC_CAP_FORMAT:
            if (code == CBN_SELCHANGE) capture_filename(win);
            return TRUE;
        case IDC_CAP_MORE:
            dlg_fit_width(win, IDC_CAP_CONTRAST, 100);
            return TRUE;
        case IDOK: {
            auto* ch = reinterpret_cast<CaptureChoice*>(GetWindowLongPtrA(win, DWLP_USER));
            ch->name = dlg_get_text(win, IDC_CAP_NAME);
            ch->r = std::max(0, combo_sel(win, IDC_CAP_REDUCTION));
            ch->b = std::max(0, combo_sel(win, IDC_CAP_BRIGHTNESS));
            ch->c = std::max(0, combo_sel(win, IDC_CAP_CONTRAST));
            ch->gray = dlg_is_checked(win, IDC_CAP_GRAY);
            ch->shadow = dlg_is_checked(win, IDC_CAP_SHADOW);
            ch->source = dlg_is_checked(win, IDC_CAP_REGION) ? IDC_CAP_REGION : IDC_CAP_WINDOW;
            for (int d : {IDC_CAP_CLIPBOARD, IDC_CAP_DESKTOP, IDC_CAP_CURRENT, IDC_CAP_PREVIEW})
                if (dlg_is_checked(win, d)) ch->dest = d;
            // Asked while the choices can still change; the preview file is the program's own.
            if (ch->dest == IDC_CAP_DESKTOP || ch->dest == IDC_CAP_CURRENT) {
                std::string target = gbrows_capture_path(ch->dest, ch->name, ch->dest == IDC_CAP_DESKTOP ? desktop_dir() : "",
                                                          doc_dir(), "");
                if (!ch->name.empty() && !target.empty() && !file_may_replace(target, "Capture Picture")) return TRUE;
            }
            EndDialog(win, IDOK);
            return TRUE;
        }
        case IDCANCEL:
            EndDialog(win, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    case WM_DESTROY:
        dlg_on_destroy(win, IDD_CAPTURE, 0);
        return FALSE;
    }
    return FALSE;
}

struct Owned {
    HGLOBAL h = nullptr;
    explicit Owned(HGLOBAL x) : h(x) {}
    ~Owned() {
        if (h) GlobalFree(h);
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
};

// ---- Commands.

HWND owner() { return main_inst_; }

void run_capture() { gbrows_capture_dialog(owner()); }

// The chosen picture file becomes a new picture object in the middle of the diagram window.
void run_insert_picture() {
    std::string start;
    if (std::string def; gbrows_default_file(&def)) start = file_dir_of(def);
    if (gbrows_path_components(start).empty())
        if (auto cur = file_current()) start = cur->dir;
    BrowseResult r = gbrows_browse(owner(), "", start);
    if (r.code != 1 || r.file.empty()) return;
    Pt at{0, 0};
    if (view_inst_) {
        ViewMapping m = view_mapping();
        at = m.to_logical({m.client_w / 2, m.client_h / 2});
    }
    Obj o = view_obj_new("Picture", at.x, at.y, sbar_view_state().level);
    o.shape = kShapePictureFile;
    UndoStep step;
    auto key = view_obj_put(o);
    if (!key) return;
    view_obj_set_bin(*key, kShapePictureFile, r.file);
    step.commit("Insert Picture");
    marked_obj_ = {*key};
    marked_link_.clear();
    marked_shape_.clear();
    view_invalidate();
}

void run_twain_acquire() {
    if (!twain_is_available()) {
        msg_error("No TWAIN device installed");
        return;
    }
    HGLOBAL pic = twain_acquire(owner());
    if (!pic) return;
    if (!OpenClipboard(owner())) {
        GlobalFree(pic);
        msg_note("The clipboard is in use by another program");
        return;
    }
    EmptyClipboard();
    const bool put = SetClipboardData(CF_DIB, pic) != nullptr;
    CloseClipboard();
    if (!put) {
        GlobalFree(pic);
        return;
    }
    task_menu_cmd(CMD_PASTE);
    view_invalidate();
}

void run_twain_source() {
    if (!twain_is_available()) {
        msg_error("No TWAIN device installed");
        return;
    }
    twain_select_source(owner());
}

bool browse_hook(HWND win, const std::string& filter, const std::string& start_dir, std::string* file) {
    std::string start = start_dir;
    if (std::string def; start.empty() && gbrows_default_file(&def)) start = file_dir_of(def);
    BrowseResult r = gbrows_browse(win, filter, start);
    if (r.code != 1) return false;
    *file = r.file;
    return true;
}

const Command kCommands[] = {
    {CMD_INSERT_PICTURE, run_insert_picture},
    {CMD_TWAIN_ACQUIRE, run_twain_acquire},
    {CMD_TWAIN_SOURCE, run_twain_source},
    {CMD_CAPTURE, run_capture},
};

}  // namespace

HGLOBAL gbrows_capture_grab(int source) {
    if (!main_inst_ || !view_inst_) return nullptr;
    if (source == IDC_CAP_REGION) {
        auto s = view_shape_get(0);
        if (!s) {
            msg_note("Mark region to be captured and try again");
            return nullptr;
        }
        Rc lr{std::min(s->left, s->right), std::min(s->top, s->bottom), std::max(s->left, s->right),
              std::max(s->top, s->bottom)};
        view_unmark_all();
        view_invalidate();
        let_paint();
        auto dr = draw_lp_to_dp_rect(lr);
        if (!dr) return nullptr;
        RECT r{std::min(dr->left, dr->right), std::min(dr->top, dr->bottom), std::max(dr->left, dr->right),
               std::max(dr->top, dr->bottom)};
        // Only what shows of the diagram window.
        RECT client;
        GetClientRect(view_inst_, &client);
        IntersectRect(&r, &r, &client);
        if (r.right - r.left < 1 || r.bottom - r.top < 1) {
            msg_note("The marked region has no area to capture");
            return nullptr;
        }
        MapWindowPoints(view_inst_, nullptr, reinterpret_cast<POINT*>(&r), 2);
        return grab_screen(r);
    }
    let_paint();
    RECT r;
    GetWindowRect(view_inst_, &r);
    InflateRect(&r, -2, -2);
    if (r.right - r.left < 1 || r.bottom - r.top < 1) {
        msg_note("The diagram window has no area to capture");
        return nullptr;
    }
    return grab_screen(r);
}

HGLOBAL gbrows_capture_adjust(int r, bool gray, bool shadow, int b, int c, HGLOBAL pic) {
    // The picture handed in is ours now: it comes back unchanged or is replaced.
    Owned p0(pic);
    const auto bytes = pict_dib(pic);
    const auto info = dib_info(bytes.data(), bytes.size());
    auto plan = gbrows_adjust_plan(r, b, c, gray, shadow, info->width, info->height);
    if (!plan) return std::exchange(p0.h, nullptr);
    Owned cur(pict_transform(p0.h, plan->adjust));
    if (plan->gray) {
        Owned next(pict_transform(cur.h, {pict_op_gray()}));
        std::swap(cur.h, next.h);
    }
    if (plan->shadow) {
        auto top = image_from_dib(pict_dib(cur.h));
        if (!top) vorn_raise(kPictErrNotPicture);
        Owned next(pict_transform(cur.h, gbrows_shadow_ops(std::make_shared<const Image>(std::move(*top)))));
        std::swap(cur.h, next.h);
    }
    return std::exchange(cur.h, nullptr);
}

bool gbrows_capture_store(int dest, const std::string& name, HGLOBAL pic) {
    if (dest == IDC_CAP_CLIPBOARD) {
        HGLOBAL copy = pict_from_dib(pict_dib(pic));
        if (!OpenClipboard(main_inst_)) {
            GlobalFree(copy);
            msg_note("The clipboard is in use by another program");
            return false;
        }
        EmptyClipboard();
        const bool ok = SetClipboardData(CF_DIB, copy) != nullptr;
        CloseClipboard();
        if (!ok) GlobalFree(copy);
        return ok;
    }
    const std::string folder = doc_dir();
    std::string prog = file_progdir_path();
    if (dest == IDC_CAP_PREVIEW && !dir_writable(prog)) {
        char tmp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, tmp);
        prog = tmp;
    }
    const std::string desktop = dest == IDC_CAP_DESKTOP ? desktop_dir() : std::string();
    if (dest == IDC_CAP_CURRENT && folder.empty()) {
        msg_note("There is no current document: the picture was not saved");
        return false;
    }
    if (dest == IDC_CAP_DESKTOP && desktop.empty()) {
        msg_note("The Desktop folder cannot be found: the picture was not saved");
        return false;
    }
    if (name.empty() && dest != IDC_CAP_PREVIEW) {
        msg_note("Type a file name for the picture");
        return false;
    }
    const std::string path = gbrows_capture_path(dest, name.empty() ? ".bmp" : name, desktop, folder, prog);
    pict_save(pic, path);
    if (dest == IDC_CAP_PREVIEW) action_do(39, 0, path);
    return true;
}

void gbrows_capture_dialog(HWND parent) {
    CaptureChoice ch;
    const INT_PTR rc = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_CAPTURE), parent, trap_dlg<dlg_capture_eh>,
                                       reinterpret_cast<LPARAM>(&ch));
    if (rc != IDOK) return;
    HGLOBAL pic = gbrows_capture_grab(ch.source);
    if (!pic) return;
    Owned done(gbrows_capture_adjust(ch.r, ch.gray, ch.shadow, ch.b, ch.c, pic));
    gbrows_capture_store(ch.dest, ch.name, done.h);
}

void pict_services_register() {
    cmd_register_all(kCommands);
    elements_dlg_hooks_.picture_browse = browse_hook;
}

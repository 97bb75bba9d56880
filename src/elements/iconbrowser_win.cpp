// The Icon Browser: pick the current icon by category and page, at random, and manage the user
// icons "iconN.bmp" beside the program.
#include <windows.h>

#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/trap_win.h"
#include "base/util.h"
#include "base/util_win.h"
#include "elements/elements_dlg_win.h"
#include "elements/icon_win.h"
#include "elements/iconbrowser.h"
#include "resources/dlgs_ids.h"

namespace {

constexpr UINT WM_ICON_REPORT = WM_APP + 0x41;  // reports met while painting, shown after it

uint16_t g_mask = 0;  // the category filter, kept between openings
struct Browser {
    int page = 0;
    std::vector<int> list;
    std::set<int> user;
    RECT prev_sel{0, 0, 28, 28};
    std::vector<std::string> reports;
    std::set<std::string> reported;
    WNDPROC grid_proc = nullptr;
};

std::string user_path(int n) { return file_progdir_path(icon_user_file_name(n)); }

void scan_user_icons(std::set<int>& out) {
    out.clear();
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA(file_progdir_path("*.bmp").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        if (auto n = icon_user_number(fd.cFileName)) out.insert(*n);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
}

// The bitmap and name an icon is shown with in the browser.
std::pair<std::shared_ptr<const Dib>, std::string> display_bitmap(Browser& b, HWND dlg, int n) {
    if (n < 1000) {
        if (auto res = icon_resource_of(n)) return {icon_resource_dib(*res), "standard icon"};
    }
    if (b.user.count(n)) {
        std::string path = user_path(n);
        unsigned long err = 0;
        if (auto d = icon_file_dib(path, err)) return {d, path};
        if (b.reported.insert(path).second) {
            b.reports.push_back(path);
            PostMessageA(dlg, WM_ICON_REPORT, 0, 0);
        }
    }
    return {icon_resource_dib(kIconPlaceholderBitmap), "Cannot find " + user_path(n)};
}

const uint8_t* dib_bits(const Dib& d, const BITMAPINFO** info) {
    if (d.empty() || d.packed.size() < sizeof(BITMAPINFOHEADER)) return nullptr;
    const auto* bi = reinterpret_cast<const BITMAPINFO*>(d.packed.data());
    const BITMAPINFOHEADER& h = bi->bmiHeader;
    size_t colours = h.biClrUsed ? h.biClrUsed : (h.biBitCount <= 8 ? (1u << h.biBitCount) : 0);
    size_t off = h.biSize + colours * sizeof(RGBQUAD) + (h.biCompression == BI_BITFIELDS ? 12 : 0);
    if (off >= d.packed.size()) return nullptr;
    *info = bi;
    return d.packed.data() + off;
}

void draw_dib(HDC dc, const Dib* d, int x, int y, int w, int h) {
    const BITMAPINFO* bi = nullptr;
    const uint8_t* bits = d ? dib_bits(*d, &bi) : nullptr;
    if (!bits) return;
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, x, y, w, h, 0, 0, d->width, d->height, bits, bi, DIB_RGB_COLORS, SRCCOPY);
}

void set_total(HWND win, const Browser& b) {
    SetDlgItemTextA(win, IDC_ICON_TOTAL, ("Total: " + std::to_string(b.list.size())).c_str());
}

void repaint(HWND win, int id) { InvalidateRect(GetDlgItem(win, id), nullptr, TRUE); }

void build_list(HWND win, Browser& b) {
    for (int k = 0; k < kIconCategoryCount; ++k)
        CheckDlgButton(win, IDC_ICON_CAT0 + k, (g_mask >> k) & 1 ? BST_CHECKED : BST_UNCHECKED);
    b.list = iconbr_list(icon_, kIconCatalogueRows, g_mask, b.user);
    set_total(win, b);
    int count = static_cast<int>(b.list.size());
    dlg_enable(win, IDC_ICON_PAGE2, iconbr_page2(count));
    b.page = iconbr_page_for(count, b.page);
    CheckRadioButton(win, IDC_ICON_PAGE1, IDC_ICON_PAGE2, b.page == 0 ? IDC_ICON_PAGE1 : IDC_ICON_PAGE2);
}

void paint_grid(HWND win, Browser& b, const DRAWITEMSTRUCT& di) {
    HDC dc = di.hDC;
    FillRect(dc, &di.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    int current = icon_current_get().value_or(0);
    for (int i = b.page * kIconsPerPage; i < static_cast<int>(b.list.size()); ++i) {
        auto cell = iconbr_cell(i, b.page);
        if (!cell) break;
        auto [x, y] = *cell;
        auto [bmp, name] = display_bitmap(b, win, b.list[i]);
        draw_dib(dc, bmp.get(), x, y, kIconCell, kIconCell);
        if (b.list[i] == current) {
            HPEN pen = CreatePen(PS_SOLID, 2, RGB(255, 0, 0));
            HGDIOBJ op = SelectObject(dc, pen), ob = SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
            Rectangle(dc, x + 1, y + 1, x + 27, y + 27);
            SelectObject(dc, op);
            SelectObject(dc, ob);
            DeleteObject(pen);
            b.prev_sel = {x, y, x + 27, y + 27};
        }
    }
    HGDIOBJ ob = SelectObject(dc, GetStockObject(HOLLOW_BRUSH)), op = SelectObject(dc, GetStockObject(BLACK_PEN));
    Rectangle(dc, di.rcItem.left, di.rcItem.top, di.rcItem.right, di.rcItem.bottom);
    SelectObject(dc, ob);
    SelectObject(dc, op);
}

// The clipboard's device-independent bitmap, or null.
std::shared_ptr<const Dib> clipboard_dib(HWND win) {
    if (!IsClipboardFormatAvailable(CF_DIB) || !OpenClipboard(win)) return nullptr;
    std::shared_ptr<const Dib> out;
    if (HANDLE h = GetClipboardData(CF_DIB)) {
        if (const char* p = static_cast<const char*>(GlobalLock(h))) {
            if (auto d = icon_read_packed_dib({p, GlobalSize(h)})) out = std::make_shared<const Dib>(std::move(*d));
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return out;
}

// The centre crop of the clipboard image into (x, y, 28 x 28).
void draw_clipboard_crop(HDC dc, const Dib& d, int x, int y) {
    const BITMAPINFO* bi = nullptr;
    const uint8_t* bits = dib_bits(d, &bi);
    if (!bits) return;
    auto [sx, sw] = iconbr_crop(d.width);
    auto [sy, sh] = iconbr_crop(d.height);
    // StretchDIBits counts source rows from the bottom of a bottom-up bitmap.
    int src_y = bi->bmiHeader.biHeight > 0 ? d.height - sy - sh : sy;
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchDIBits(dc, x, y, kIconCell, kIconCell, sx, src_y, sw, sh, bits, bi, DIB_RGB_COLORS, SRCCOPY);
}

void paint_current(HWND win, Browser& b, const DRAWITEMSTRUCT& di) {
    FillRect(di.hDC, &di.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    int current = icon_current_get().value_or(0);
    if (current > 0) {
        auto [bmp, name] = display_bitmap(b, win, current);
        draw_dib(di.hDC, bmp.get(), 0, 0, kIconCell, kIconCell);
        SetWindowTextA(win, ("Icon - " + name).c_str());
    } else if (auto clip = clipboard_dib(win)) {
        draw_clipboard_crop(di.hDC, *clip, 0, 0);
        SetWindowTextA(win, "Icon in Clipboard");
        SetDlgItemTextA(win, IDC_ICON_TOTAL, "Clipboard image");
    } else {
        SetWindowTextA(win, "Icon Browser");  // no longer the name of an icon just deleted
    }
}

void grid_click(HWND win, Browser& b, int x, int y) {
    auto i = iconbr_index_at(x, y, b.page, static_cast<int>(b.list.size()));
    if (!i) return;
    icon_current_set(b.list[*i]);
    repaint(win, IDC_ICON_GRID);
    repaint(win, IDC_ICON_CURRENT);
    set_total(win, b);
}

LRESULT CALLBACK grid_eh(HWND grid, UINT msg, WPARAM wp, LPARAM lp) {
    Browser* b = dlg_state<Browser>(GetParent(grid));
    if (msg == WM_LBUTTONDOWN && b) {
        grid_click(GetParent(grid), *b, static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
        return 0;
    }
    return CallWindowProcA(b && b->grid_proc ? b->grid_proc : DefWindowProcA, grid, msg, wp, lp);
}

// A 28 x 28 24-bit bitmap file of the clipboard image's centre crop.
bool write_crop_bmp(HWND win, const Dib& d, const std::string& path) {
    const int n = kIconCell, stride = (n * 3 + 3) & ~3;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), n, n, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    HDC screen = GetDC(win), mem = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bmp) {
        HGDIOBJ old = SelectObject(mem, bmp);
        draw_clipboard_crop(mem, d, 0, 0);
        GdiFlush();
        std::string file(14 + 40 + stride * n, '\0');
        BITMAPFILEHEADER fh{0x4D42, static_cast<DWORD>(file.size()), 0, 0, 54};
        memcpy(file.data(), &fh, 14);
        memcpy(file.data() + 14, &bi.bmiHeader, 40);
        memcpy(file.data() + 54, bits, stride * n);
        SelectObject(mem, old);
        DeleteObject(bmp);
        HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
            DWORD put = 0;
            ok = WriteFile(f, file.data(), static_cast<DWORD>(file.size()), &put, nullptr) && put == file.size();
            CloseHandle(f);
            if (!ok) DeleteFileA(path.c_str());
        }
    }
    DeleteDC(mem);
    ReleaseDC(win, screen);
    return ok;
}

void create_icon(HWND win, Browser& b) {
    auto clip = clipboard_dib(win);
    if (!clip) {
        msg_note("First Copy a small bitmap to the Windows Clipboard");
        return;
    }
    icon_current_set(0);
    repaint(win, IDC_ICON_CURRENT);
    UpdateWindow(GetDlgItem(win, IDC_ICON_CURRENT));
    auto n = iconbr_free_slot([](int k) { return file_exists(user_path(k)); });
    if (!n) {
        msg_note("Every user icon from icon1001.bmp to icon1128.bmp exists; delete one first");
    } else if (msg_ask_yes_no("Create new icon as icon" + std::to_string(*n) + ".bmp?", "Create Icon")) {
        std::string path = user_path(*n);
        if (write_crop_bmp(win, *clip, path)) {
            b.user.insert(*n);
            icon_cache_clear();
            msg_note(path + " created successfully");
        } else {
            dlg_error_msg("Saving %s", path, static_cast<int>(GetLastError()));
        }
    }
    g_mask = kIconUser;
    build_list(win, b);
    repaint(win, IDC_ICON_GRID);
}

void edit_icon(HWND win) {
    int n = icon_current_get().value_or(0);
    if (n <= 1000) {
        msg_error("Not a User Defined Icon");
        return;
    }
    std::string file = user_path(n);
    char windir[MAX_PATH] = {};
    GetWindowsDirectoryA(windir, MAX_PATH);
    std::string dir = windir;
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    for (std::string exe : {dir + "pbrush.exe", std::string("mspaint.exe")}) {
        std::string cmd = "\"" + exe + "\" \"" + file + "\"";
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
            util_close_process(pi);
            icon_cache_clear();
            return;
        }
    }
    msg_error("No bitmap editor could be started for " + file);
}

void delete_icon(HWND win, Browser& b) {
    int n = icon_current_get().value_or(0);
    if (n <= 1000) {
        msg_error("Not a User Defined Icon");
        return;
    }
    if (!msg_ask_yes_no("Delete icon" + std::to_string(n) + ".bmp?", "Delete Icon")) return;
    b.user.erase(n);
    std::string path = user_path(n);
    if (!DeleteFileA(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND)
        dlg_error_msg("Deleting %s", path, static_cast<int>(GetLastError()));
    icon_cache_clear();
    // A deleted icon can no longer be inserted: it leaves the grid and the current icon.
    icon_current_set(0);
    build_list(win, b);
    repaint(win, IDC_ICON_CURRENT);
    repaint(win, IDC_ICON_GRID);
}

void init(HWND win, Browser& b) {
    dlg_on_create(win, IDD_ICONS, 0);
    // Cells are whole pixels: the grid holds 9 x 8 cells and its frame, the box one cell.
    SetWindowPos(GetDlgItem(win, IDC_ICON_GRID), nullptr, 0, 0, kIconCols * kIconCell + 2, kIconRows * kIconCell + 2,
                 SWP_NOMOVE | SWP_NOZORDER);
    SetWindowPos(GetDlgItem(win, IDC_ICON_CURRENT), nullptr, 0, 0, kIconCell, kIconCell, SWP_NOMOVE | SWP_NOZORDER);
    b.grid_proc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(GetDlgItem(win, IDC_ICON_GRID), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(trap_wnd<grid_eh>)));
    build_list(win, b);
}

INT_PTR CALLBACK dlg_icon_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    Browser* b = msg == WM_INITDIALOG ? &dlg_keep_state<Browser>(win, lp) : dlg_state<Browser>(win);
    if (!b) return FALSE;
    switch (msg) {
    case WM_INITDIALOG: init(win, *b); return TRUE;
    case WM_DRAWITEM: {
        auto& di = *reinterpret_cast<DRAWITEMSTRUCT*>(lp);
        if (wp == IDC_ICON_GRID) paint_grid(win, *b, di);
        else if (wp == IDC_ICON_CURRENT) paint_current(win, *b, di);
        return TRUE;
    }
    case WM_ICON_REPORT: {
        auto reports = std::move(b->reports);
        b->reports.clear();
        for (const auto& p : reports) dlg_error_msg("Cannot open %s", p);
        return TRUE;
    }
    case WM_COMMAND: {
        int id = LOWORD(wp);
        if (id == IDC_ICON_RANDOM) {
            if (!b->list.empty()) icon_current_set(b->list[util_random_int(static_cast<int>(b->list.size()))]);
            repaint(win, IDC_ICON_CURRENT);
            repaint(win, IDC_ICON_GRID);
        } else if (id == IDC_ICON_RESET) {
            g_mask = 0;
            build_list(win, *b);
            repaint(win, IDC_ICON_GRID);
        } else if (id == IDC_ICON_PAGE1 || id == IDC_ICON_PAGE2) {
            b->page = iconbr_page_for(static_cast<int>(b->list.size()), id == IDC_ICON_PAGE2 ? 1 : 0);
            CheckRadioButton(win, IDC_ICON_PAGE1, IDC_ICON_PAGE2, b->page == 0 ? IDC_ICON_PAGE1 : IDC_ICON_PAGE2);
            repaint(win, IDC_ICON_GRID);
        } else if (id >= IDC_ICON_CAT0 && id < IDC_ICON_CAT0 + kIconCategoryCount) {
            g_mask = 0;
            for (int k = 0; k < kIconCategoryCount; ++k)
                if (IsDlgButtonChecked(win, IDC_ICON_CAT0 + k) == BST_CHECKED) g_mask |= static_cast<uint16_t>(1u << k);
            build_list(win, *b);
            repaint(win, IDC_ICON_GRID);
        } else if (id == IDC_ICON_ADVANCED) {
            dlg_fit_width(win, IDC_ICON_CREATE, 104);
            dlg_enable(win, IDC_ICON_ADVANCED, 0);
        } else if (id == IDC_ICON_CREATE) {
            create_icon(win, *b);
        } else if (id == IDC_ICON_EDIT) {
            edit_icon(win);
        } else if (id == IDC_ICON_DELETE) {
            delete_icon(win, *b);
        } else if (id == IDOK || id == IDCANCEL) {
            EndDialog(win, id);
        }
        return TRUE;
    }
    case WM_DESTROY:
        dlg_on_destroy(win, IDD_ICONS, 0);
        return FALSE;
    }
    return FALSE;
}

}  // namespace

bool icon_browse(HWND parent) {
    for (const DlgInst& d : modaldlg_inst_)
        if (d.dlg_id == IDD_ICONS) return false;  // already open
    Browser b;
    int old = icon_current_get().value_or(0);
    util_random_seed();
    scan_user_icons(b.user);
    INT_PTR r = DialogBoxParamA(app_inst_ ? app_inst_ : GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_ICONS), parent,
                                trap_dlg<dlg_icon_eh>, dlg_state_param(b));
    // Insert without an icon (after Create the clipboard image is shown) counts as Cancel.
    if (r != IDOK || icon_current_get().value_or(0) <= 0) {
        // Nor can the one current before, should it have been deleted.
        icon_current_set(icon_is_user(old) && !b.user.count(old) ? kInitialIcon : old);
        return false;
    }
    return true;
}

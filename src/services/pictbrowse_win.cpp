#include "services/pictbrowse_win.h"

#include <windowsx.h>
#include <commctrl.h>

#include <cstring>

#include <algorithm>
#include <list>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/menu_win.h"
#include "base/pict_win.h"
#include "base/trap_win.h"
#include "base/util.h"
#include "base/util_win.h"
#include "resources/pict_ids.h"
#include "services/pictbrowse.h"

namespace {

std::string default_file_ = "hint.bmp";

struct DirFile {
    std::string dir, file;
    int code = 0;
};
DirFile dir_file_;
int frame_pos_ = 0;
bool paste_after_ = false;

// One decoded thumbnail, or a file that would not decode (drawn crossed).
struct Thumb {
    int w = 0, h = 0;              // the picture's own size, for its proportions
    std::vector<uint8_t> packed;   // reduced to the cell
    HENHMETAFILE emf = nullptr;
    HICON icon = nullptr;
    ~Thumb() {
        if (emf) DeleteEnhMetaFile(emf);
        if (icon) DestroyIcon(icon);
    }
};

struct Browser {
    std::string tree_dir, list_dir;
    int curr_dir = 0;
    std::string pattern;
    int ext_index = 0;
    // Decoded thumbnails by path, newest last; a bounded few so a long folder stays cheap.
    std::map<std::string, std::shared_ptr<Thumb>> cache;
    std::list<std::string> order;
    // The buttons' distance from the bottom and the dialog's smallest size, from its template.
    int button_margin = -1;
    SIZE min_size{};
    // Files listed as the code page spells them that no A call can open (no short name either).
    std::set<std::string> unusable;
};
Browser* br_ = nullptr;

std::string ext_pattern_at(int index) {
    if (index <= 0) return "*.*";
    const auto& ext = gbrows_supported_ext();
    return index <= int(ext.size()) ? ext[size_t(index - 1)] : "*.*";
}

std::string list_text(HWND list, int i) {
    int n = int(SendMessageA(list, LB_GETTEXTLEN, WPARAM(i), 0));
    if (n <= 0) return {};
    std::string s(size_t(n) + 1, '\0');
    SendMessageA(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(s.data()));
    s.resize(size_t(n));
    return s;
}

// ---- Thumbnails.

HENHMETAFILE load_wmf(const std::string& path) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return nullptr;
    DWORD size = GetFileSize(f, nullptr);
    std::string bytes;
    if (size != INVALID_FILE_SIZE && size < (64u << 20)) {
        bytes.resize(size);
        DWORD got = 0;
        if (!ReadFile(f, bytes.data(), size, &got, nullptr) || got != size) bytes.clear();
    }
    CloseHandle(f);
    size_t skip = bytes.size() >= 22 && static_cast<unsigned char>(bytes[0]) == 0xD7 &&
                          static_cast<unsigned char>(bytes[1]) == 0xCD
                      ? 22
                      : 0;
    if (bytes.size() <= skip + 18) return nullptr;
    return SetWinMetaFileBits(UINT(bytes.size() - skip), reinterpret_cast<const BYTE*>(bytes.data() + skip), nullptr,
                              nullptr);
}

std::shared_ptr<Thumb> thumb_of(const std::string& path, int cell) {
    auto it = br_->cache.find(path);
    if (it != br_->cache.end()) return it->second;
    auto t = std::make_shared<Thumb>();
    const std::string low = gbrows_lower(path);
    if (low.size() > 4 && low.compare(low.size() - 4, 4, ".wmf") == 0) {
        t->emf = load_wmf(path);
    } else if (low.size() > 4 && low.compare(low.size() - 4, 4, ".ico") == 0) {
        t->icon = static_cast<HICON>(LoadImageA(nullptr, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
    } else {
        // Kept at the cell's size: a folder of large photos costs little memory.
        try {
            HGLOBAL h = pict_load(path);
            std::vector<uint8_t> dib;
            try {
                dib = pict_dib(h);
            } catch (...) {
                GlobalFree(h);
                throw;
            }
            GlobalFree(h);
            if (auto img = image_from_dib(dib)) {
                const int m = std::max(img->width, img->height);
                t->w = img->width;
                t->h = img->height;
                if (m > cell && cell > 0)
                    t->packed = image_to_dib24(pict_resize(*img, std::max(1, img->width * cell / m),
                                                           std::max(1, img->height * cell / m)));
                else
                    t->packed = std::move(dib);
            }
        } catch (const VornError&) {
        } catch (const std::bad_alloc&) {
        }
    }
    br_->cache[path] = t;
    br_->order.push_back(path);
    while (br_->order.size() > 96) {
        br_->cache.erase(br_->order.front());
        br_->order.pop_front();
    }
    return t;
}

}  // namespace

namespace {

// ---- Lists.

// A found file's name as the A calls reach it in `dir`: its own, else its short name; nullopt
// when neither works (the code page cannot spell it, or the path grows too long).
std::optional<std::string> usable_name(const std::string& dir, const WIN32_FIND_DATAW& fd) {
    for (const wchar_t* n : {fd.cFileName, fd.cAlternateFileName}) {
        auto a = n[0] ? util_ansi_exact(n) : std::nullopt;
        if (a && dir.size() + 1 + a->size() < MAX_PATH) return a;
    }
    return std::nullopt;
}

void fill_files(HWND win) {
    HWND list = GetDlgItem(win, IDC_GB_FILES);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    const std::string dir = gbrows_trim_slashes(br_->list_dir);
    br_->unusable.clear();
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(util_wide(dir + "\\" + ext_pattern_at(br_->ext_index)).c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
            auto name = usable_name(dir, fd);
            const std::string shown = gbrows_lower(name ? *name : util_ansi_shown(fd.cFileName));
            if (!gbrows_is_supported(shown)) continue;
            if (!name) br_->unusable.insert(shown);
            SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(shown.c_str()));
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    const int n = int(SendMessageA(list, LB_GETCOUNT, 0, 0));
    if (n > 0) SendMessageA(list, LB_SETCURSEL, 0, 0);
    // A pick past the new list's end would leave Insert doing nothing and no frame to show why.
    if (frame_pos_ >= n) frame_pos_ = 0;
    InvalidateRect(list, nullptr, TRUE);
    SetDlgItemTextA(win, IDC_GB_PATH, br_->list_dir.c_str());
    InvalidateRect(GetDlgItem(win, IDC_GB_STRIP), nullptr, TRUE);
    // Insert, Copy and Paste act on the file chosen; an empty list has none.
    for (int id : {IDOK, IDC_GB_COPY, IDC_GB_PASTE}) EnableWindow(GetDlgItem(win, id), n > 0);
}

// Drive list and directory tree for the tree directory; false when its drive cannot be entered.
bool fill_dirs(HWND win) {
    std::string d = gbrows_trim_slashes(br_->tree_dir);
    HWND drives = GetDlgItem(win, IDC_GB_DRIVES);
    std::string drive;
    if (d.size() >= 2 && d[1] == ':') {
        drive = gbrows_lower(d.substr(0, 2));
        if (!SetCurrentDirectoryA((drive + "\\").c_str())) return false;
    } else if (d.size() >= 2 && d[0] == '\\' && d[1] == '\\') {
        drive = "c:";
    } else if (!d.empty() && d[0] != '\\') {
        drive = gbrows_lower(d.substr(0, 1)) + ":";
    }
    SendMessageA(drives, CB_RESETCONTENT, 0, 0);
    if (!drive.empty() || (!d.empty() && d[0] != '\\')) {
        for (char c = 'a'; c <= 'z'; ++c) {
            char root[4] = {c, ':', '\\', 0};
            UINT type = GetDriveTypeA(root);
            if (type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR) continue;
            char name[3] = {c, ':', 0};
            int i = int(SendMessageA(drives, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name)));
            if (drive == name) SendMessageA(drives, CB_SETCURSEL, WPARAM(i), 0);
        }
    }

    HWND dirs = GetDlgItem(win, IDC_GB_DIRS);
    SendMessageA(dirs, WM_SETREDRAW, FALSE, 0);
    SendMessageA(dirs, LB_RESETCONTENT, 0, 0);
    const auto parts = gbrows_path_components(d);
    std::string reached;
    int depth = -1;
    for (size_t i = 0; i < parts.size(); ++i) {
        std::string next = i == 0 ? parts[0] : reached + "\\" + parts[i];
        std::string enter = next.size() == 2 && next[1] == ':' ? next + "\\" : next;
        if (!SetCurrentDirectoryA(enter.c_str())) break;
        reached = next;
        depth = int(i);
        SendMessageA(dirs, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(parts[i].c_str()));
    }
    if (depth >= 0) {
        br_->tree_dir = reached.size() == 2 ? reached + "\\" : reached;
        br_->curr_dir = depth;
        std::vector<std::string> subs;
        WIN32_FIND_DATAW fd;
        HANDLE h = FindFirstFileW(util_wide(gbrows_trim_slashes(reached) + "\\*.*").c_str(), &fd);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
                if (!wcscmp(fd.cFileName, L".") || !wcscmp(fd.cFileName, L"..")) continue;
                // A folder no A call can enter is not offered.
                if (auto name = usable_name(gbrows_trim_slashes(reached), fd)) subs.push_back(*name);
            } while (FindNextFileW(h, &fd));
            FindClose(h);
        }
        for (const auto& s : util_sort_strings(std::move(subs)))
            SendMessageA(dirs, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
        SendMessageA(dirs, LB_SETCURSEL, WPARAM(depth), 0);
    }
    SendMessageA(dirs, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(dirs, nullptr, TRUE);
    return true;
}

void refill(HWND win, const std::string& tree, const std::string& list) {
    br_->tree_dir = tree;
    br_->list_dir = list;
    if (!fill_dirs(win)) return;
    if (gbrows_trim_slashes(gbrows_lower(list)) == gbrows_trim_slashes(gbrows_lower(tree)) || list.empty())
        br_->list_dir = br_->tree_dir;
    fill_files(win);
}

std::string dir_for_entry(HWND win, int i) {
    HWND dirs = GetDlgItem(win, IDC_GB_DIRS);
    return gbrows_new_dir(br_->tree_dir, i, br_->curr_dir, list_text(dirs, i));
}

// ---- Painting.

void draw_dir_item(const DRAWITEMSTRUCT* di) {
    if (int(di->itemID) < 0) return;
    const bool sel = di->itemState & ODS_SELECTED;
    HDC dc = di->hDC;
    RECT r = di->rcItem;
    FillRect(dc, &r, GetSysColorBrush(sel ? COLOR_WINDOWTEXT : COLOR_WINDOW));
    const int i = int(di->itemID);
    const bool open = i <= br_->curr_dir;
    const int x = r.left + (open ? i : br_->curr_dir + 1) * 5 + 3;
    const int mid = (r.top + r.bottom) / 2;
    // Folder glyph: a tab and a body, the open one with a lighter front.
    HBRUSH yellow = CreateSolidBrush(RGB(230, 190, 60));
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(120, 90, 20));
    HGDIOBJ old_pen = SelectObject(dc, pen), old_brush = SelectObject(dc, yellow);
    Rectangle(dc, x, mid - 5, x + 7, mid - 2);
    Rectangle(dc, x, mid - 3, x + 15, mid + 6);
    if (open) {
        HBRUSH light = CreateSolidBrush(RGB(250, 225, 120));
        SelectObject(dc, light);
        POINT front[4] = {{x + 3, mid}, {x + 17, mid}, {x + 14, mid + 6}, {x, mid + 6}};
        Polygon(dc, front, 4);
        SelectObject(dc, yellow);
        DeleteObject(light);
    }
    SelectObject(dc, old_pen);
    SelectObject(dc, old_brush);
    DeleteObject(pen);
    DeleteObject(yellow);
    const std::string text = " " + list_text(di->hwndItem, i);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(sel ? COLOR_WINDOW : COLOR_WINDOWTEXT));
    RECT tr = r;
    tr.left = x + 20;
    DrawTextA(dc, text.c_str(), int(text.size()), &tr, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (di->itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

void draw_cell(HDC dc, const std::string& path, int slot, int cell) {
    auto t = thumb_of(path, cell);
    if (t->emf) {
        ENHMETAHEADER h{};
        GetEnhMetaFileHeader(t->emf, sizeof h, &h);
        const int w = h.rclBounds.right - h.rclBounds.left, ht = h.rclBounds.bottom - h.rclBounds.top;
        if (w > 0 && ht > 0) {
            CellRect c = gbrows_fit_in_cell(w, ht, cell, slot);
            RECT r{c.left, c.top, c.right, c.bottom};
            PlayEnhMetaFile(dc, t->emf, &r);
        }
        return;
    }
    if (t->icon) {
        DrawIconEx(dc, slot * cell, 0, t->icon, cell, cell, 0, nullptr, DI_NORMAL);
        return;
    }
    auto info = t->packed.empty() ? std::nullopt : dib_info(t->packed.data(), t->packed.size());
    if (!info || t->w <= 0 || t->h <= 0) {
        // A file that does not decode: a crossed cell, no message.
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(192, 0, 0));
        HGDIOBJ old = SelectObject(dc, pen);
        MoveToEx(dc, slot * cell + 6, 6, nullptr);
        LineTo(dc, slot * cell + cell - 6, cell - 6);
        MoveToEx(dc, slot * cell + cell - 6, 6, nullptr);
        LineTo(dc, slot * cell + 6, cell - 6);
        SelectObject(dc, old);
        DeleteObject(pen);
        return;
    }
    CellRect c = gbrows_fit_in_cell(t->w, t->h, cell, slot);
    const auto* bmi = reinterpret_cast<const BITMAPINFO*>(t->packed.data());
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
    StretchDIBits(dc, c.left, c.top, c.right - c.left, c.bottom - c.top, 0, 0, info->width, info->height,
                  t->packed.data() + info->header_size + info->table_bytes, bmi, DIB_RGB_COLORS, SRCCOPY);
}

void draw_strip(HWND win, const DRAWITEMSTRUCT* di) {
    HDC dc = di->hDC;
    RECT rc = di->rcItem;
    FillRect(dc, &rc, GetSysColorBrush(COLOR_BTNFACE));
    HWND files = GetDlgItem(win, IDC_GB_FILES);
    const int n = int(SendMessageA(files, LB_GETCOUNT, 0, 0));
    const int first = int(SendMessageA(files, LB_GETCURSEL, 0, 0));
    if (n <= 0 || first < 0) return;
    const StripLayout l = gbrows_strip_layout(rc.right - rc.left, rc.bottom - rc.top, n, first);
    const std::string dir = gbrows_trim_slashes(br_->list_dir);
    for (int i = 0; i < l.count; ++i) {
        const std::string path = gbrows_lower(dir + "\\" + list_text(files, first + i));
        // Clip each picture to its cell so a stray size never paints over a neighbour.
        HRGN clip = CreateRectRgn(i * l.cell, 0, i * l.cell + l.cell, l.cell);
        SelectClipRgn(dc, clip);
        draw_cell(dc, path, i, l.cell);
        SelectClipRgn(dc, nullptr);
        DeleteObject(clip);
        const bool picked = i == frame_pos_;
        HPEN pen = CreatePen(PS_SOLID, picked ? 2 : 1, picked ? RGB(255, 0, 0) : RGB(128, 128, 128));
        HGDIOBJ old_pen = SelectObject(dc, pen), old_brush = SelectObject(dc, GetStockObject(HOLLOW_BRUSH));
        Rectangle(dc, i * l.cell, 0, i * l.cell + l.cell, l.cell - 1);
        SelectObject(dc, old_pen);
        SelectObject(dc, old_brush);
        DeleteObject(pen);
    }
}

void repaint_frame(HWND strip, int slot) {
    RECT rc;
    GetClientRect(strip, &rc);
    const int s = rc.bottom - rc.top;
    RECT cell{slot * s, 0, slot * s + s, s};
    InvalidateRect(strip, &cell, FALSE);
    RECT inner{cell.left + 4, 4, cell.right - 4, s - 4};
    ValidateRect(strip, &inner);
}

// ---- Commands.

// The file at the selection plus the pick; empty when there is none.
std::string chosen_file(HWND win) {
    HWND files = GetDlgItem(win, IDC_GB_FILES);
    const int sel = int(SendMessageA(files, LB_GETCURSEL, 0, 0));
    const int n = int(SendMessageA(files, LB_GETCOUNT, 0, 0));
    const int index = sel + frame_pos_;
    if (sel < 0 || index >= n) return {};
    return list_text(files, index);
}

// The picture of a file on the clipboard: a metafile as itself, anything else as CF_DIB.
bool copy_to_clipboard(HWND win, const std::string& path) {
    const std::string low = gbrows_lower(path);
    HENHMETAFILE emf = nullptr;
    HGLOBAL dib = nullptr;
    if (low.size() > 4 && low.compare(low.size() - 4, 4, ".wmf") == 0) {
        emf = load_wmf(path);
        if (!emf) vorn_raise(kPictErrNotPicture, path);
    } else if (low.size() > 4 && low.compare(low.size() - 4, 4, ".ico") == 0) {
        HICON icon = static_cast<HICON>(LoadImageA(nullptr, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE));
        if (!icon) vorn_raise(kPictErrNotPicture, path);
        const int w = GetSystemMetrics(SM_CXICON), h = GetSystemMetrics(SM_CYICON);
        Image img(w, h, 0xFFFFFF);
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB};
        void* bits = nullptr;
        HDC mem = CreateCompatibleDC(nullptr);
        HBITMAP bmp = CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (bmp && bits) {
            HGDIOBJ old = SelectObject(mem, bmp);
            PatBlt(mem, 0, 0, w, h, WHITENESS);
            DrawIconEx(mem, 0, 0, icon, w, h, 0, nullptr, DI_NORMAL);
            GdiFlush();
            const auto* p = static_cast<const uint32_t*>(bits);
            for (size_t i = 0; i < img.px.size(); ++i) img.px[i] = p[i] & 0xFFFFFF;
            SelectObject(mem, old);
        }
        if (bmp) DeleteObject(bmp);
        DeleteDC(mem);
        DestroyIcon(icon);
        dib = pict_from_dib(image_to_dib24(img));
    } else {
        dib = pict_load(path);
    }
    bool ok = OpenClipboard(win) && EmptyClipboard();
    if (ok) ok = emf ? SetClipboardData(CF_ENHMETAFILE, emf) != nullptr : SetClipboardData(CF_DIB, dib) != nullptr;
    CloseClipboard();
    // What the clipboard took is its own now.
    if (!ok) {
        if (emf) DeleteEnhMetaFile(emf);
        if (dib) GlobalFree(dib);
    }
    return ok;
}

void on_choose(HWND win, int id) {
    const std::string file = chosen_file(win);
    if (file.empty()) return;
    if (br_->unusable.count(file)) {
        msg_note("Cannot use " + gbrows_trim_slashes(br_->list_dir) + "\\" + file +
                 ": its name has characters outside the code page, and there is no short name to use instead.");
        return;
    }
    dir_file_ = {dlg_get_text(win, IDC_GB_PATH), file, id == IDOK ? 1 : 0};
    if (id != IDOK) {
        const std::string path = gbrows_trim_slashes(dir_file_.dir) + "\\" + file;
        try {
            if (!copy_to_clipboard(win, path)) {
                msg_note("The clipboard is in use by another program");
                return;
            }
        } catch (const VornError& e) {
            dlg_error_msg("Loading %s", e.text.empty() ? path : e.text, e.code);
            return;
        }
        paste_after_ = id == IDC_GB_PASTE;
    }
    EndDialog(win, id);
}

constexpr int kButtons[] = {IDOK, IDC_GB_COPY, IDC_GB_PASTE, IDCANCEL};

// The strip grows with the dialog; the buttons stay below it at every size.
RECT button_rect(HWND win) {
    RECT b{};
    GetWindowRect(GetDlgItem(win, IDOK), &b);
    MapWindowPoints(nullptr, win, reinterpret_cast<POINT*>(&b), 2);
    return b;
}

void on_size(HWND win) {
    if (!br_ || br_->button_margin < 0) return;  // before the template's layout was measured
    const RECT b = button_rect(win);
    const int strip_margin = std::max(30, int(b.bottom - b.top) + br_->button_margin + 6);
    dlg_stretch_control(win, IDC_GB_PATH, 29, 0);
    dlg_stretch_control(win, IDC_GB_STRIP, 29, strip_margin);
    for (int id : kButtons) dlg_align_bottom(win, id, br_->button_margin);
    InvalidateRect(win, nullptr, TRUE);
}

LRESULT CALLBACK lbox_eh(HWND list, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    // Enter or Space opens the directory as a double click does.
    if (msg == WM_KEYDOWN && (wp == VK_RETURN || wp == VK_SPACE)) {
        SendMessageA(GetParent(list), WM_COMMAND, MAKEWPARAM(IDC_GB_DIRS, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
        return 0;
    }
    if (msg == WM_GETDLGCODE && lp) {
        const auto* m = reinterpret_cast<const MSG*>(lp);
        if (m->message == WM_KEYDOWN && m->wParam == VK_RETURN) return DLGC_WANTMESSAGE;
    }
    return DefSubclassProc(list, msg, wp, lp);
}

INT_PTR CALLBACK dlg_gbrows_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INITDIALOG: {
        RECT w, cl;
        GetWindowRect(win, &w);
        GetClientRect(win, &cl);
        br_->min_size = {w.right - w.left, w.bottom - w.top};
        br_->button_margin = std::max(0, int(cl.bottom - button_rect(win).bottom));
        on_size(win);
        dlg_on_create(win, IDD_GBROWS, 0);
        HWND ext = GetDlgItem(win, IDC_GB_EXT);
        SendMessageA(ext, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("*.*"));
        for (const auto& p : gbrows_supported_ext()) SendMessageA(ext, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(p.c_str()));
        SendMessageA(ext, CB_SETCURSEL, WPARAM(br_->ext_index), 0);
        SendDlgItemMessageA(win, IDC_GB_DIRS, LB_SETITEMHEIGHT, 0, 17);
        const std::string d = dir_file_.dir;
        refill(win, d, d);
        SetWindowSubclass(GetDlgItem(win, IDC_GB_DIRS), trap_sub<lbox_eh>, 1, 0);
        SetFocus(GetDlgItem(win, IDC_GB_DIRS));
        return FALSE;
    }
    case WM_SIZE:
        on_size(win);
        return TRUE;
    case WM_GETMINMAXINFO:
        if (br_ && br_->min_size.cx > 0) {
            auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
            mm->ptMinTrackSize = {br_->min_size.cx, br_->min_size.cy};
        }
        return TRUE;
    case WM_DRAWITEM: {
        const auto* di = reinterpret_cast<const DRAWITEMSTRUCT*>(lp);
        if (di->CtlID == IDC_GB_DIRS) draw_dir_item(di);
        else if (di->CtlID == IDC_GB_STRIP) draw_strip(win, di);
        else return FALSE;
        return TRUE;
    }
    case WM_COMMAND: {
        const int id = LOWORD(wp), code = HIWORD(wp);
        switch (id) {
        case IDC_GB_DRIVES:
            if (code == CBN_SELCHANGE) {
                char d[MAX_PATH] = {};
                HWND cb = GetDlgItem(win, IDC_GB_DRIVES);
                int i = int(SendMessageA(cb, CB_GETCURSEL, 0, 0));
                if (i >= 0 && SendMessageA(cb, CB_GETLBTEXTLEN, WPARAM(i), 0) < MAX_PATH)
                    SendMessageA(cb, CB_GETLBTEXT, WPARAM(i), reinterpret_cast<LPARAM>(d));
                refill(win, d, d);
            }
            return TRUE;
        case IDC_GB_DIRS: {
            const int i = int(SendDlgItemMessageA(win, IDC_GB_DIRS, LB_GETCURSEL, 0, 0));
            if (i < 0) return TRUE;
            if (code == LBN_SELCHANGE) {
                br_->list_dir = dir_for_entry(win, i);
                fill_files(win);
            } else if (code == LBN_DBLCLK) {
                const std::string n = dir_for_entry(win, i);
                refill(win, n, n);
            }
            return TRUE;
        }
        case IDC_GB_EXT:
            if (code == CBN_SELCHANGE) {
                br_->ext_index = std::max(0, int(SendDlgItemMessageA(win, IDC_GB_EXT, CB_GETCURSEL, 0, 0)));
                br_->list_dir = gbrows_trim_slashes(dlg_get_text(win, IDC_GB_PATH));
                fill_files(win);
            }
            return TRUE;
        case IDC_GB_FILES:
            if (code == LBN_SELCHANGE) {
                frame_pos_ = 0;
                InvalidateRect(GetDlgItem(win, IDC_GB_STRIP), nullptr, TRUE);
            } else if (code == LBN_DBLCLK) {
                on_choose(win, IDOK);
            }
            return TRUE;
        case IDC_GB_STRIP:
            if (code == BN_CLICKED) {
                HWND strip = GetDlgItem(win, IDC_GB_STRIP);
                POINT pt;
                GetCursorPos(&pt);
                ScreenToClient(strip, &pt);
                RECT rc;
                GetClientRect(strip, &rc);
                const int old = frame_pos_;
                frame_pos_ = gbrows_click_slot(pt.x, rc.bottom - rc.top);
                repaint_frame(strip, old);
                repaint_frame(strip, frame_pos_);
            }
            return TRUE;
        case IDOK:
        case IDC_GB_COPY:
        case IDC_GB_PASTE:
            on_choose(win, id);
            return TRUE;
        case IDCANCEL:
            EndDialog(win, IDCANCEL);
            return TRUE;
        }
        return FALSE;
    }
    case WM_DESTROY:
        RemoveWindowSubclass(GetDlgItem(win, IDC_GB_DIRS), trap_sub<lbox_eh>, 1);
        dlg_on_destroy(win, IDD_GBROWS, 0);
        return FALSE;
    }
    return FALSE;
}

}  // namespace

bool gbrows_default_file(std::string* file) {
    if (default_file_.empty()) return false;
    if (file) *file = default_file_;
    return true;
}

void gbrows_set_default_file(const std::string& file) { default_file_ = file; }

BrowseResult gbrows_browse(HWND owner, const std::string& filter, const std::string& start_dir) {
    Browser b;
    b.ext_index = gbrows_initial_ext_index(filter, default_file_);
    std::string start = gbrows_trim_slashes(start_dir);
    // Without a place to start (no document yet): the program's directory.
    if (gbrows_path_components(start).empty()) start = gbrows_trim_slashes(file_progdir_path());
    dir_file_ = {start, "", 0};
    paste_after_ = false;
    char keep[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, keep);
    Browser* outer = br_;
    br_ = &b;
    const INT_PTR rc = DialogBoxParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_GBROWS), owner, trap_dlg<dlg_gbrows_eh>, 0);
    br_ = outer;
    SetCurrentDirectoryA(keep);
    BrowseResult out;
    if (rc == IDCANCEL || rc <= 0) return out;
    out.file = gbrows_lower(gbrows_trim_slashes(dir_file_.dir) + "\\" + dir_file_.file);
    out.code = dir_file_.code;
    if (out.code == 1) default_file_ = out.file;
    if (paste_after_) {
        paste_after_ = false;
        task_menu_cmd(10849);  // Edit > Paste
    }
    return out;
}

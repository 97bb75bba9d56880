// Shared by the Windows tests: message pumping, recorded message boxes, clicks and pixels,
// screenshots, and a fixture holding the main window on a test registry key.
#pragma once

#include <windows.h>
#include <ddeml.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <string>
#include <vector>

#include "app/vorn6_win.h"
#include "bars/sbar.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/settings_win.h"
#include "document/doc_util.h"
#include "document/globals.h"
#include "resources/ids.h"
#include "win/program_dir.h"

namespace wt {

// Every registry key the tests write lies under this one, private to the run: parallel runs never
// meet and the user's own settings are never touched. The program the tests start is pointed at
// it through VORN_SETTINGS_KEY (set by main).
inline const std::string& test_root() {
    static const std::string r = "Software\\Quellmark\\VornTest\\Run" + std::to_string(GetCurrentProcessId());
    return r;
}

// Answers messages for `ms`. Waiting on input rather than sleeping keeps DDE broadcasts from
// other processes answered promptly.
inline void pump(DWORD ms) {
    DWORD end = GetTickCount() + ms;
    MSG m;
    do {
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) continue;
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    } while (static_cast<int>(end - GetTickCount()) > 0);
}

// GDI objects the process holds. Wine's GetGuiResources answers 0; there every slot of the
// process's handle table is asked instead (Wine takes a bare table index as a handle).
inline long gdi_objects() {
    if (DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)) return static_cast<long>(n);
    long n = 0;
    for (UINT_PTR idx = 1; idx < 0x10000; ++idx) n += GetObjectType(reinterpret_cast<HGDIOBJ>(idx)) != 0;
    return n;
}

inline BOOL CALLBACK count_one(HWND, LPARAM lp) {
    ++*reinterpret_cast<long*>(lp);
    return TRUE;
}
inline BOOL CALLBACK count_window(HWND w, LPARAM lp) {
    ++*reinterpret_cast<long*>(lp);
    EnumChildWindows(w, count_one, lp);  // every descendant, once
    return TRUE;
}
// Windows of this thread, children included (Wine's USER object count is 0 as well).
inline long thread_windows() {
    long n = 0;
    EnumThreadWindows(GetCurrentThreadId(), count_window, reinterpret_cast<LPARAM>(&n));
    return n;
}

// A key as the user presses it: down, then up, to the window that has the keyboard focus,
// through the program's routing (modeless dialogs, then the accelerator table) as its message
// loop does. Nothing having the focus fails the test.
inline void key(UINT vk) {
    static HACCEL accel = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDA_MAIN));
    HWND to = GetFocus();
    EXPECT_NE(to, nullptr) << "no window has the keyboard focus";
    if (!to) return;
    // F10 comes as a system key, as the system sends it.
    const bool sys = vk == VK_F10;
    MSG down{to, static_cast<UINT>(sys ? WM_SYSKEYDOWN : WM_KEYDOWN), vk, 1, GetTickCount(), {}};
    vorn_route_message(down, accel);
    pump(10);
    HWND now = GetFocus();
    MSG up{now ? now : to, static_cast<UINT>(sys ? WM_SYSKEYUP : WM_KEYUP), vk, static_cast<LPARAM>(0xC0000001u), GetTickCount(), {}};
    vorn_route_message(up, accel);
    pump(20);
}

// A key pressed while `held` (VK_CONTROL, VK_SHIFT ...) is down.
inline void key_with(UINT held, UINT vk) {
    BYTE keys[256];
    GetKeyboardState(keys);
    const BYTE was = keys[held];
    keys[held] = 0x80;
    SetKeyboardState(keys);
    key(vk);
    GetKeyboardState(keys);
    keys[held] = was;
    SetKeyboardState(keys);
}

// The pop-up menu that `act` opens: its first item's id and where it showed (first 0: none came).
struct MenuSeen {
    UINT first = 0;
    RECT rect{};
};
inline MenuSeen& menu_seen() {
    static MenuSeen m;
    return m;
}
inline char& menu_pick() {
    static char c = 0;
    return c;
}
inline void CALLBACK read_and_answer_menu(HWND, UINT, UINT_PTR, DWORD) {
    HWND m = FindWindowA("#32768", nullptr);
    if (!m || !IsWindowVisible(m)) return;
    // Still up after its letter: the menu did not take it.
    if (menu_seen().first) {
        EndMenu();
        return;
    }
    if (auto menu = reinterpret_cast<HMENU>(SendMessageA(m, 0x01E1 /* MN_GETHMENU */, 0, 0)))
        menu_seen().first = GetMenuItemID(menu, 0);
    GetWindowRect(m, &menu_seen().rect);
    if (!menu_pick()) {
        EndMenu();
        return;
    }
    // The letter as the user types it: down and up, which the menu turns into its character.
    const UINT scan = MapVirtualKeyA(static_cast<UINT>(menu_pick()), 0);
    PostMessageA(m, WM_KEYDOWN, static_cast<WPARAM>(menu_pick()), static_cast<LPARAM>(1 | scan << 16));
    PostMessageA(m, WM_KEYUP, static_cast<WPARAM>(menu_pick()), static_cast<LPARAM>(0xC0000001u | scan << 16));
}
// `pick` (an upper-case mnemonic letter) is typed into the menu; 0 closes it untouched.
inline MenuSeen popup_menu_of(const std::function<void()>& act, char pick = 0) {
    menu_seen() = {};
    menu_pick() = pick;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, read_and_answer_menu);
    act();
    pump(150);
    KillTimer(nullptr, timer);
    // A menu that would not take the letter must not hold the next test.
    if (FindWindowA("#32768", nullptr)) EndMenu();
    pump(20);
    return menu_seen();
}

// Ctrl+key pressed on `to` as the message loop sees it: the accelerator table first.
inline void ctrl_key(UINT vk, HWND to) {
    static HACCEL accel = LoadAcceleratorsA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDA_MAIN));
    BYTE keys[256];
    GetKeyboardState(keys);
    const BYTE was = keys[VK_CONTROL];
    keys[VK_CONTROL] = 0x80;
    SetKeyboardState(keys);
    MSG m{to, WM_KEYDOWN, vk, 1, GetTickCount(), {}};
    vorn_route_message(m, accel);
    keys[VK_CONTROL] = was;
    SetKeyboardState(keys);
    pump(20);
}

// A closed main window posts WM_QUIT; it must not end the next test's loops.
inline void drain_quit() {
    MSG m;
    while (PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {}
}

// Modal dialogs run message loops of their own: queued handlers run from a timer, each on the
// first visible dialog with its title (and, when given, a control of that id), in order.
struct DialogDriver {
    std::string title;
    int control;
    std::function<void(HWND)> act;
};
inline std::deque<DialogDriver>& dialog_drivers() {
    static std::deque<DialogDriver> q;
    return q;
}
inline UINT_PTR& dialog_timer_id() {
    static UINT_PTR id = 0;
    return id;
}
inline BOOL CALLBACK find_driven(HWND w, LPARAM lp) {
    auto* d = reinterpret_cast<std::pair<const DialogDriver*, HWND>*>(lp);
    char cls[16] = {}, title[256] = {};
    GetClassNameA(w, cls, sizeof cls);
    GetWindowTextA(w, title, sizeof title);
    if (lstrcmpA(cls, "#32770") || d->first->title != title || !IsWindowVisible(w) || !IsWindowEnabled(w)) return TRUE;
    if (d->first->control && !GetDlgItem(w, d->first->control)) return TRUE;
    d->second = w;
    return FALSE;
}
inline void CALLBACK dialog_timer(HWND, UINT, UINT_PTR, DWORD) {
    auto& q = dialog_drivers();
    if (q.empty()) {
        KillTimer(nullptr, dialog_timer_id());
        dialog_timer_id() = 0;
        return;
    }
    std::pair<const DialogDriver*, HWND> found{&q.front(), nullptr};
    EnumThreadWindows(GetCurrentThreadId(), find_driven, reinterpret_cast<LPARAM>(&found));
    if (!found.second) return;
    auto act = std::move(q.front().act);
    q.pop_front();
    act(found.second);
}
inline void when_dialog(const std::string& title, std::function<void(HWND)> act, int control = 0) {
    dialog_drivers().push_back({title, control, std::move(act)});
    if (!dialog_timer_id()) dialog_timer_id() = SetTimer(nullptr, 0, 50, dialog_timer);
}
// Handlers that never found their dialog are dropped (a failed test must not drive the next).
inline void forget_dialogs() {
    dialog_drivers().clear();
    if (dialog_timer_id()) KillTimer(nullptr, dialog_timer_id());
    dialog_timer_id() = 0;
}
// Presses a dialog's button as a click does.
inline void press(HWND dlg, int id) { SendMessageA(GetDlgItem(dlg, id), BM_CLICK, 0, 0); }
// Types `name` into a common file dialog and presses Open or Save.
inline void choose_file(HWND dlg, const std::string& name) {
    // The name box: edt1 in Wine's dialog, the edit inside cmb13 in Windows'.
    HWND box = GetDlgItem(dlg, 0x480);
    if (!box) {
        HWND combo = GetDlgItem(dlg, 0x47C);
        box = combo ? FindWindowExA(combo, nullptr, "Edit", nullptr) : nullptr;
        if (!box) box = combo;
    }
    SetWindowTextA(box, name.c_str());
    press(dlg, IDOK);
}

inline RECT rect_in(HWND child, HWND parent) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

inline void click(HWND win, int x, int y) {
    POINT s = {x, y};
    ClientToScreen(win, &s);
    SetCursorPos(s.x, s.y);
    SendMessageA(win, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(win, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

inline COLORREF pixel(HWND win, int x, int y) {
    UpdateWindow(win);
    HDC dc = GetDC(win);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(win, dc);
    return c;
}

// Saves a rectangle of the screen as a 24-bit BMP.
inline void save_screen_bmp(const RECT& r, const std::string& file) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return;
    HDC screen = GetDC(nullptr), mem = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    DWORD size = ((static_cast<DWORD>(w) * 3 + 3) & ~3u) * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh = {0x4D42, static_cast<DWORD>(sizeof fh + sizeof bi.bmiHeader + size), 0, 0,
                           static_cast<DWORD>(sizeof fh + sizeof bi.bmiHeader)};
    if (FILE* f = std::fopen(file.c_str(), "wb")) {
        std::fwrite(&fh, sizeof fh, 1, f);
        std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
        std::fwrite(bits, size, 1, f);
        std::fclose(f);
    }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
}

// Lets windows paint for `ms`, then saves the window's area of the screen.
inline void save_window_shot(HWND win, const std::string& file, DWORD ms = 300) {
    pump(ms);
    RECT r;
    GetWindowRect(win, &r);
    save_screen_bmp(r, file);
}

// With VORN_SHOTS set, saves the window as it looks on screen to that folder as `name`.bmp.
inline void shot(HWND win, const char* name) {
    if (const char* dir = std::getenv("VORN_SHOTS")) save_window_shot(win, std::string(dir) + "\\" + name + ".bmp", 100);
}

// A white 32-bit memory bitmap whose DC maps `units` diagram units to `pixels` pixels, y upward,
// with the diagram origin at pixel (ox, oy).
struct MemBitmap {
    int w, h;
    HDC dc = nullptr;
    HBITMAP bmp = nullptr, old = nullptr;
    uint32_t* bits = nullptr;

    MemBitmap(int w_, int h_, int ox, int oy, int pixels = 1, int units = 1) : w(w_), h(h_) {
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        dc = CreateCompatibleDC(nullptr);
        bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits), nullptr, 0);
        old = static_cast<HBITMAP>(SelectObject(dc, bmp));
        PatBlt(dc, 0, 0, w, h, WHITENESS);
        SetMapMode(dc, MM_ANISOTROPIC);
        SetWindowExtEx(dc, units, units, nullptr);
        SetViewportExtEx(dc, pixels, -pixels, nullptr);
        SetViewportOrgEx(dc, ox, oy, nullptr);
    }
    ~MemBitmap() {
        SelectObject(dc, old);
        DeleteObject(bmp);
        DeleteDC(dc);
    }
    MemBitmap(const MemBitmap&) = delete;
    MemBitmap& operator=(const MemBitmap&) = delete;

    // Read after GdiFlush once the drawing is done.
    COLORREF px(int x, int y) const {
        uint32_t p = bits[y * w + x];
        return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF);
    }
    COLORREF at(int x, int y) const {
        GdiFlush();
        return px(x, y);
    }
    bool ink(int x, int y) const { return x >= 0 && y >= 0 && x < w && y < h && px(x, y) != 0xFFFFFF; }
    // Any ink within r pixels of (x, y).
    bool ink_near(int x, int y, int r = 2) const {
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx)
                if (ink(x + dx, y + dy)) return true;
        return false;
    }
    // Pixels other than `c` in [x0, x1) x [y0, y1).
    int count_not(COLORREF c, int x0, int y0, int x1, int y1) const {
        GdiFlush();
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += px(x, y) != c;
        return n;
    }
    int ink_count() const { return count_not(0xFFFFFF, 0, 0, w, h); }
    int ink_on_border() const {
        return count_not(0xFFFFFF, 0, 0, w, 1) + count_not(0xFFFFFF, 0, h - 1, w, h) +
               count_not(0xFFFFFF, 0, 1, 1, h - 1) + count_not(0xFFFFFF, w - 1, 1, w, h - 1);
    }
    void save(const std::string& file) const {
        GdiFlush();
        BITMAPINFOHEADER ih{sizeof ih, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        DWORD size = static_cast<DWORD>(w * h * 4);
        BITMAPFILEHEADER fh{0x4D42, static_cast<DWORD>(sizeof fh + sizeof ih + size), 0, 0, sizeof fh + sizeof ih};
        if (FILE* f = std::fopen(file.c_str(), "wb")) {
            std::fwrite(&fh, sizeof fh, 1, f);
            std::fwrite(&ih, sizeof ih, 1, f);
            std::fwrite(bits, 1, size, f);
            std::fclose(f);
        }
    }
};

// An enhanced metafile that fills a w x h rectangle with `colour`; the caller deletes it.
inline HENHMETAFILE filled_metafile(COLORREF colour, int w = 100, int h = 100) {
    HDC m = CreateEnhMetaFileA(nullptr, nullptr, nullptr, nullptr);
    HBRUSH b = CreateSolidBrush(colour);
    RECT r{0, 0, w, h};
    FillRect(m, &r, b);
    DeleteObject(b);
    return CloseEnhMetaFile(m);
}

// A file's bytes as the disk holds them; empty when it cannot be read.
inline std::string file_bytes(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The bytes of such a metafile, as a document embeds them.
inline std::string filled_metafile_bytes(COLORREF colour) {
    HENHMETAFILE emf = filled_metafile(colour);
    std::string bytes(GetEnhMetaFileBits(emf, 0, nullptr), '\0');
    GetEnhMetaFileBits(emf, static_cast<UINT>(bytes.size()), reinterpret_cast<BYTE*>(bytes.data()));
    DeleteEnhMetaFile(emf);
    return bytes;
}

inline std::string text_of(HWND win) {
    char t[512] = {};
    GetWindowTextA(win, t, sizeof t);
    return t;
}

// While it lives, the free address space is taken but for a few separate 1 MB pieces: small
// allocations still succeed, larger ones fail for real.
struct AddressSpaceTaken {
    std::vector<void*> taken;
    AddressSpaceTaken() {
        for (SIZE_T chunk : {SIZE_T{64} << 20, SIZE_T{1} << 20, SIZE_T{64} << 10})
            while (void* p = VirtualAlloc(nullptr, chunk, MEM_RESERVE, PAGE_NOACCESS)) taken.push_back(p);
        int back = 0;
        for (auto it = taken.rbegin(); it != taken.rend() && back < 8; ++it) {
            MEMORY_BASIC_INFORMATION mi;
            if (VirtualQuery(*it, &mi, sizeof mi) && mi.RegionSize == (SIZE_T{1} << 20)) {
                VirtualFree(*it, 0, MEM_RELEASE);
                *it = nullptr;
                ++back;
            }
        }
    }
    ~AddressSpaceTaken() {
        for (void* p : taken)
            if (p) VirtualFree(p, 0, MEM_RELEASE);
    }
    AddressSpaceTaken(const AddressSpaceTaken&) = delete;
    AddressSpaceTaken& operator=(const AddressSpaceTaken&) = delete;
};

// A DDE client of the program's "Vorn" service, topic "System", as the shell or another program
// talks to it.
struct DdeClient {
    DWORD inst = 0;
    HSZ service = nullptr, topic = nullptr;
    HCONV conv = nullptr;
    static HDDEDATA CALLBACK cb(UINT, UINT, HCONV, HSZ, HSZ, HDDEDATA, ULONG_PTR, ULONG_PTR) { return nullptr; }
    bool connect() {
        if (DdeInitializeA(&inst, cb, APPCMD_CLIENTONLY, 0) != DMLERR_NO_ERROR) return false;
        service = DdeCreateStringHandleA(inst, "Vorn", CP_WINANSI);
        topic = DdeCreateStringHandleA(inst, "System", CP_WINANSI);
        conv = DdeConnect(inst, service, topic, nullptr);
        return conv != nullptr;
    }
    bool execute(const std::string& text) {
        DWORD result = 0;
        return DdeClientTransaction(reinterpret_cast<BYTE*>(const_cast<char*>(text.c_str())),
                                    static_cast<DWORD>(text.size() + 1), conv, nullptr, 0, XTYP_EXECUTE, 5000,
                                    &result) != nullptr;
    }
    ~DdeClient() {
        if (conv) DdeDisconnect(conv);
        if (service) DdeFreeStringHandle(inst, service);
        if (topic) DdeFreeStringHandle(inst, topic);
        if (inst) DdeUninitialize(inst);
    }
};

// Message boxes are recorded instead of shown; a question gets `answer`. Questions whose
// default button is No are recorded in `questions` too and counted in `default_no`.
struct Boxes {
    static inline std::vector<std::string> notes, errors, questions;
    static inline int answer = 2, default_no = 0;
    static void note(const std::string& t) { notes.push_back(t); }
    static void error(const std::string& t) { errors.push_back(t); }
    static int ask(const std::string& t, const std::string& title, bool) {
        questions.push_back(title + ": " + t);
        return answer;
    }
    static bool ask_no(const std::string& t, const std::string& title) {
        ++default_no;
        return ask(t, title, false) == 1;
    }
    static MsgHooks install() {
        notes.clear();
        errors.clear();
        questions.clear();
        answer = 2;
        default_no = 0;
        return msg_set_hooks({note, error, ask, ask_no});
    }
};

// Questions show as the real message boxes (notes and errors are still recorded): the test
// answers them with their buttons, through answer_box.
inline void use_real_questions() {
    vorn_install_message_boxes();
    MsgHooks real = msg_set_hooks({});
    msg_set_hooks({Boxes::note, Boxes::error, real.ask, real.ask_default_no});
}

// What a real message box showed.
struct BoxSeen {
    bool shown = false;
    std::string text;
    int default_button = 0;
};
// The next message box titled `title` that has the button `button` (IDYES, IDNO, ...) is answered
// with a click on it; its text and default button go to `seen`. Unlike RealBoxes it takes its turn
// among the when_dialog handlers and leaves modeless dialogs alone, so a question titled like the
// file dialog before it ("Save As") is never taken for that dialog, nor the other way round.
inline void answer_box(const std::string& title, int button, BoxSeen* seen = nullptr) {
    when_dialog(title, [button, seen](HWND box) {
        if (seen) {
            char t[2048] = {};
            GetDlgItemTextA(box, 0xFFFF, t, sizeof t);  // the box's text
            seen->shown = true;
            seen->text = t;
            seen->default_button = GetDlgCtrlID(GetFocus());  // the box gives its default button the focus
        }
        press(box, button);
    }, button);
}

// The program's own message boxes, shown for real while it lives and answered by their buttons
// in the order `answer` asked for; the recorder again after. A box nobody waits for is answered
// Cancel (or No, or OK) after three seconds and fails the test, so that it cannot hold it for ever.
struct RealBoxes {
    struct Reply {
        std::string title;
        int button;
    };
    static inline std::deque<Reply> replies;
    static inline std::vector<std::string> asked, unexpected;  // "title: text" of each box
    static inline int idle_ticks = 0;

    static std::string text(HWND box) {
        char t[2048] = {};
        GetDlgItemTextA(box, 0xFFFF, t, sizeof t);
        std::string s;
        for (char c : std::string(t))
            if (c != '\n') s += c;  // long paths are broken into lines
        return s;
    }
    static BOOL CALLBACK first_box(HWND w, LPARAM lp) {
        char cls[16] = {};
        GetClassNameA(w, cls, sizeof cls);
        if (lstrcmpA(cls, "#32770") || !IsWindowVisible(w) || !IsWindowEnabled(w)) return TRUE;
        *reinterpret_cast<HWND*>(lp) = w;
        return FALSE;
    }
    static void CALLBACK tick(HWND, UINT, UINT_PTR, DWORD) {
        HWND box = nullptr;
        EnumThreadWindows(GetCurrentThreadId(), first_box, reinterpret_cast<LPARAM>(&box));
        if (!box) return;
        const std::string title = text_of(box);
        if (!replies.empty() && replies.front().title == title) {
            const int button = replies.front().button;
            replies.pop_front();
            idle_ticks = 0;
            asked.push_back(title + ": " + text(box));
            press(box, button);
            return;
        }
        if (++idle_ticks < 60) return;
        idle_ticks = 0;
        unexpected.push_back(title + ": " + text(box));
        // A note has neither: its OK, or the box would hold the run for ever.
        press(box, GetDlgItem(box, IDCANCEL) ? IDCANCEL : GetDlgItem(box, IDNO) ? IDNO : IDOK);
    }

    MsgHooks recorder;
    UINT_PTR timer;
    RealBoxes() {
        replies.clear();
        asked.clear();
        unexpected.clear();
        recorder = msg_set_hooks({});
        vorn_install_message_boxes();
        timer = SetTimer(nullptr, 0, 50, tick);
    }
    ~RealBoxes() {
        KillTimer(nullptr, timer);
        msg_set_hooks(recorder);
        EXPECT_TRUE(replies.empty()) << "a box that was waited for never came: " << replies.front().title;
        EXPECT_TRUE(unexpected.empty()) << unexpected.front();
    }
    RealBoxes(const RealBoxes&) = delete;
    RealBoxes& operator=(const RealBoxes&) = delete;
};
// The next box (or file dialog) titled `title` is answered by its button `button`.
inline void answer(const std::string& title, int button) { RealBoxes::replies.push_back({title, button}); }

// The program's main window on a fresh test registry key, with a fresh temporary folder.
class MainWindowTest : public testing::Test {
protected:
    MainWindowTest(const char* dir_name, int show = SW_HIDE) : dir_name_(dir_name), show_(show) {}

    void SetUp() override {
        old_ = Boxes::install();
        reg_delete_tree(HKEY_CURRENT_USER, test_root() + "\\Main");
        settings_use_registry(test_root() + "\\Main\\IniStr");
        dir_ = std::filesystem::temp_directory_path() / dir_name_;
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        // Files the program makes beside itself by default are made in the test's folder.
        file_setting_set_text("CustDictionary", path("custdict.kba"));
        file_history().clear();  // documents opened by earlier tests are no "Back" for this one
        // Nor their return points, focused text window or level.
        gosub_.clear();
        focused_tw_ = {};
        sbar_set_origin(1, 0, 0);
        open_main();
    }
    // Hidden unless asked: without a window manager Wine waits long for visible windows to go.
    void open_main() {
        win_ = vorn_create_main(GetModuleHandleA(nullptr), "", show_);
        ASSERT_NE(win_, nullptr);
        if (show_ != SW_HIDE) MoveWindow(win_, 0, 0, 800, 600, TRUE);
        pump(50);
    }
    void TearDown() override {
        forget_dialogs();
        close_main();
        settings_set_backend(nullptr);
        reg_delete_tree(HKEY_CURRENT_USER, test_root() + "\\Main");
        msg_set_hooks(old_);
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    void close_main() {
        if (IsWindow(win_)) {
            file_clear_changed();
            SendMessageA(win_, WM_CLOSE, 0, 0);
        }
        pump(20);
        drain_quit();
    }
    std::string path(const char* n) const { return (dir_ / n).string(); }

    MsgHooks old_;
    HWND win_ = nullptr;
    std::filesystem::path dir_;

private:
    const char* dir_name_;
    int show_;
};

}  // namespace wt

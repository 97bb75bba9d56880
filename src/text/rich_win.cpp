#include "text/rich_win.h"

#include <commdlg.h>
#include <richedit.h>
#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <new>

#include "bars/status.h"
#include "bars/tbar_win.h"
#include "base/commands_win.h"
#include "base/dlg_win.h"
#include "base/error.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/menu_win.h"
#include "base/palette.h"
#include "base/shell_hooks_win.h"
#include "base/tip_win.h"
#include "base/trap_win.h"
#include "base/util.h"
#include "base/util_win.h"
#include "document/doc_util.h"
#include "document/globals.h"
#include "document/undo.h"
#include "document/view.h"
#include "document/view_io.h"
#include "elements/font.h"
#include "elements/font_win.h"
#include "resources/ids.h"
#include "resources/rich_ids.h"
#include "text/insert_win.h"
#include "text/rich.h"
#include "text/tw.h"
#include "text/tw_frame_win.h"
#include "view/textbox_win.h"
#include "view/view_cmd.h"
#include "view/view_win.h"

namespace {

constexpr const char* kClass = "vorn_rich";
std::string dll_class_;  // dll_ver_loaded_

struct RichWin {
    Key key = 0;
    int mode = 0;
    HWND edit = nullptr;
    WNDPROC edit_proc = nullptr;
    int32_t opened_geom = 0;  // where the window opened: closing it there stores no geometry
    uint64_t cost = 0;        // what its control was estimated to take
};
std::map<HWND, RichWin> wins_;

constexpr int kNative[][2] = {
    {CMD_UNDO, EM_UNDO}, {CMD_REDO, EM_REDO}, {CMD_CUT, WM_CUT}, {CMD_COPY, WM_COPY}, {CMD_PASTE, WM_PASTE}, {CMD_DELETE, WM_CLEAR},
};
constexpr int kStyle[][3] = {
    {IDM_RICH_PLAIN, 15, 0}, {IDM_RICH_BOLD, 1, 1}, {IDM_RICH_ITALIC, 2, 2}, {IDM_RICH_UNDERLINE, 4, 4}, {IDM_RICH_STRIKE, 8, 8},
};
constexpr int kAlign[][2] = {{CMD_PARA_LEFT, PFA_LEFT}, {CMD_PARA_CENTER, PFA_CENTER}, {CMD_PARA_RIGHT, PFA_RIGHT}};
constexpr int kPassPopup[][2] = {
    {IDM_RICH_CUT, CMD_CUT},    {IDM_RICH_COPY, CMD_COPY}, {IDM_RICH_PASTE, CMD_PASTE},
    {IDM_RICH_DELETE, CMD_DELETE}, {IDM_RICH_FIND, CMD_FIND_TEXT}, {IDM_RICH_INSERT, CMD_INSERT_TEXT},
};

RichWin* info(HWND win) {
    auto it = wins_.find(win);
    return it == wins_.end() ? nullptr : &it->second;
}

bool load_library() {
    if (!dll_class_.empty()) return true;
    if (LoadLibraryA("RICHED20.DLL")) dll_class_ = RICHEDIT_CLASSA;
    else if (LoadLibraryA("RICHED32.DLL")) dll_class_ = "RichEdit";
    else msg_note("riched32.dll not found");
    return !dll_class_.empty();
}

bool untitled(const std::string& name) { return util_lower(name).find("untitled.rtf") != std::string::npos; }

void pump_pending() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(m.wParam));
            return;
        }
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

// ---- Streams. The cookie carries the text, so no global tells the callback what it streams.

DWORD CALLBACK stream_in_cb(DWORD_PTR cookie, LPBYTE buf, LONG n, LONG* done) {
    auto* c = reinterpret_cast<RichChunks*>(cookie);
    *done = static_cast<LONG>(c->take(reinterpret_cast<char*>(buf), static_cast<size_t>(std::max(n, 0L))));
    return 0;
}

struct StreamSink {
    std::string text;
    bool short_of_memory = false;
};

// Memory that runs out stops the control's writer here and is raised again once the control has
// returned: the system's code between cannot pass an exception on, and half a text must never
// be taken for the whole.
DWORD CALLBACK stream_out_cb(DWORD_PTR cookie, LPBYTE buf, LONG n, LONG* done) {
    auto* sink = reinterpret_cast<StreamSink*>(cookie);
    try {
        sink->text.append(reinterpret_cast<const char*>(buf), static_cast<size_t>(std::max(n, 0L)));
    } catch (const std::bad_alloc&) {
        sink->short_of_memory = true;
        *done = 0;
        return 1;
    }
    *done = n;
    return 0;
}

// False when the control reports an error or takes nothing of a text that holds something.
bool stream_in(HWND edit, const std::string& rtf, WPARAM flags = SF_RTF) {
    RichChunks chunks(rtf);
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&chunks), 0, stream_in_cb};
    LRESULT n = SendMessageA(edit, EM_STREAMIN, flags, reinterpret_cast<LPARAM>(&es));
    return es.dwError == 0 && (n > 0 || rich_plain_text(rtf).empty());
}

std::string stream_out(HWND edit, WPARAM flags = SF_RTF) {
    StreamSink sink;
    EDITSTREAM es{reinterpret_cast<DWORD_PTR>(&sink), 0, stream_out_cb};
    SendMessageA(edit, EM_STREAMOUT, flags, reinterpret_cast<LPARAM>(&es));
    if (sink.short_of_memory) throw std::bad_alloc();
    if (es.dwError != 0) vorn_raise(static_cast<int>(es.dwError), "The text could not be taken from its window.");
    std::string out = std::move(sink.text);
    // The control's writer may end its text with a NUL byte; no file or object keeps one.
    while (!out.empty() && out.back() == '\0') out.pop_back();
    return out;
}

std::string plain_text(HWND edit) {
    GETTEXTLENGTHEX gl{GTL_USECRLF | GTL_NUMCHARS, CP_ACP};
    LRESULT n = SendMessageA(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&gl), 0);
    if (n <= 0) return {};
    std::string buf(static_cast<size_t>(n) + 1, '\0');
    GETTEXTEX gt{static_cast<DWORD>(buf.size()), GT_USECRLF, CP_ACP, nullptr, nullptr};
    LRESULT got = SendMessageA(edit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&gt), reinterpret_cast<LPARAM>(buf.data()));
    buf.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, n)));
    return buf;
}

std::string empty_rtf() { return rich_text_to_rtf("", view_text_param_get(13)); }

// The selection at full width, so long texts never overrun the buffer.
CHARRANGE selection(HWND edit) {
    CHARRANGE r{0, 0};
    SendMessageA(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&r));
    return r;
}

std::string selected_text(HWND edit) {
    CHARRANGE r = selection(edit);
    if (r.cpMax <= r.cpMin) return {};
    std::string buf(static_cast<size_t>(r.cpMax - r.cpMin) * 2 + 2, '\0');
    LRESULT n = SendMessageA(edit, EM_GETSELTEXT, 0, reinterpret_cast<LPARAM>(buf.data()));
    buf.resize(static_cast<size_t>(std::clamp<LRESULT>(n, 0, static_cast<LRESULT>(buf.size()) - 1)));
    return buf;
}

void replace_selection(HWND edit, const std::string& text) {
    SendMessageA(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

// The face and size that text streamed in starts from, with plain effects: RTF text that no code
// makes bold is plain in every reader, but Wine's control starts reading from its default format,
// which may be bold.
void set_base_font(HWND edit, const LOGFONTA& lf) {
    CHARFORMATA cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = 0xF800001Fu;
    cf.dwEffects = 0;
    HDC dc = GetDC(nullptr);
    int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    cf.yHeight = rich_twips_of_height(lf.lfHeight, dpi);
    cf.bCharSet = lf.lfCharSet;
    cf.bPitchAndFamily = lf.lfPitchAndFamily;
    lstrcpynA(cf.szFaceName, lf.lfFaceName, LF_FACESIZE);
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&cf));
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
}

// Saving a file window under `name`; false when nothing was written.
bool save_file(HWND win, const std::string& name) {
    RichWin* w = info(win);
    if (!w) return false;
    if (untitled(name)) {
        msg_note("Cannot save as untitled.rtf");
        return false;
    }
    if (!tw_write_file(name, stream_out(w->edit))) return false;
    SendMessageA(w->edit, EM_SETMODIFY, 0, 0);
    return true;
}

bool save_as(HWND win) {
    char buf[MAX_PATH] = "*.rtf";
    std::string dir;
    if (auto cur = file_current()) dir = cur->dir;
    OPENFILENAMEA of{};
    of.lStructSize = sizeof of;
    of.hwndOwner = main_inst_;
    of.lpstrFilter = "Richtext file\0*.rtf\0";
    of.lpstrFile = buf;
    of.nMaxFile = MAX_PATH;
    of.lpstrInitialDir = dir.empty() ? nullptr : dir.c_str();
    of.lpstrTitle = "Save as Filename:";
    of.lpstrDefExt = "rtf";
    of.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetSaveFileNameA(&of)) return false;
    std::string name = buf;
    if (!save_file(win, name)) return false;
    SetWindowTextA(win, name.c_str());
    return true;
}

void print(HWND win) {
    if (RichWin* w = info(win)) tw_print_file(stream_out(w->edit));
}

void recolor(HWND win, int index) {
    RichWin* w = info(win);
    if (!w) return;
    CHARFORMATA cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_COLOR;
    cf.crTextColor = tbar_color_or(index, 0);
    SendMessageA(w->edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    CHARRANGE r = selection(w->edit);
    r.cpMin = r.cpMax;
    SendMessageA(w->edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&r));
    SetFocus(w->edit);
}

void set_style(HWND edit, DWORD mask, DWORD effects) {
    CHARFORMATA cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = mask;
    cf.dwEffects = effects;
    SendMessageA(edit, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
}

void set_alignment(HWND edit, WORD align) {
    PARAFORMAT pf{};
    pf.cbSize = sizeof pf;
    pf.dwMask = PFM_ALIGNMENT;
    pf.wAlignment = align;
    SendMessageA(edit, EM_SETPARAFORMAT, 0, reinterpret_cast<LPARAM>(&pf));
}

// The selected lines become objects of the diagram.
void lines_to_objects(HWND win) {
    RichWin* w = info(win);
    if (!w || w->key == 0) return;
    std::string sel = selected_text(w->edit);
    if (sel.empty()) return;
    auto lines = rich_split_lines(sel);
    std::erase_if(lines, [](const std::string& s) { return s.empty(); });
    Key key = w->key;
    SendMessageA(w->edit, WM_CLEAR, 0, 0);
    view_obj_from_text(key, lines);
    task_menu_cmd(CMD_CLOSE_WINDOWS);
    file_mark_changed();
    view_invalidate();
}

void menu_state(HWND win) {
    RichWin* w = info(win);
    HMENU menu = main_inst_ ? GetMenu(main_inst_) : nullptr;
    if (!w || !menu) return;
    auto en = [&](int id, bool on) {
        EnableMenuItem(menu, static_cast<UINT>(id), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    };
    en(CMD_SAVE, w->key == 0);
    en(CMD_SAVE_AS, w->key == 0);
    ModifyMenuA(menu, CMD_UNDO, MF_BYCOMMAND | MF_STRING, CMD_UNDO, "Undo Text\tCtrl+Z");
    en(CMD_UNDO, SendMessageA(w->edit, EM_CANUNDO, 0, 0) != 0);
    en(CMD_REDO, SendMessageA(w->edit, EM_CANREDO, 0, 0) != 0);
    CHARRANGE r = selection(w->edit);
    en(CMD_CUT, r.cpMax > r.cpMin);
    en(CMD_COPY, r.cpMax > r.cpMin);
    en(CMD_PASTE, SendMessageA(w->edit, EM_CANPASTE, 0, 0) != 0);
    for (int id : {CMD_PARA_LEFT, CMD_PARA_CENTER, CMD_PARA_RIGHT}) en(id, true);
}

void show_status(HWND edit) {
    CHARRANGE r = selection(edit);
    LRESULT line = SendMessageA(edit, EM_EXLINEFROMCHAR, 0, r.cpMin);
    status_show("Line=" + std::to_string(line + 1) + "  Pos=" + std::to_string(r.cpMin));
}

void take_focus(HWND win) {
    if (textbox_inst_.win && IsWindow(textbox_inst_.win)) task_menu_cmd(CMD_CLOSE_WINDOWS);
    for (const auto& t : tw_inst_)
        if (IsWindow(t.win) && t.win != win) SendMessageA(t.win, WM_NCACTIVATE, FALSE, 0);
    focused_tw_ = {win, 7};
    SendMessageA(win, WM_NCACTIVATE, TRUE, 0);
}

void show_menu(HWND win, POINT screen) {
    HMENU res = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDM_POP_RICH));
    if (!res) return;
    int id = TrackPopupMenu(GetSubMenu(res, 0), TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD, screen.x, screen.y, 0,
                            win, nullptr);
    DestroyMenu(res);
    if (id) SendMessageA(win, WM_COMMAND, static_cast<WPARAM>(id), 0);
}

// Below the caret: its character's top, lowered by the height of the text there.
POINT caret_row_foot(HWND edit) {
    CHARRANGE r = selection(edit);
    POINTL at{};
    SendMessageA(edit, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&at), r.cpMax);
    CHARFORMATA cf{};
    cf.cbSize = sizeof cf;
    cf.dwMask = CFM_SIZE;
    SendMessageA(edit, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&cf));
    HDC dc = GetDC(edit);
    const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc) ReleaseDC(edit, dc);
    const int height = cf.yHeight > 0 ? MulDiv(cf.yHeight, dpi, 1440) : 16;
    return {at.x, at.y + height + height / 4};
}

LRESULT CALLBACK edit_eh(HWND edit, UINT msg, WPARAM wp, LPARAM lp) {
    HWND win = GetParent(edit);
    RichWin* w = info(win);
    WNDPROC proc = w ? w->edit_proc : nullptr;
    if (!proc) return DefWindowProcA(edit, msg, wp, lp);
    if (TwMenuKey k = tw_menu_key(msg, wp); k != TwMenuKey::none) {
        if (k == TwMenuKey::open) show_menu(win, tw_keyboard_menu_point(edit, caret_row_foot(edit)));
        return 0;
    }
    switch (msg) {
    case WM_LBUTTONDOWN: case WM_RBUTTONDOWN: case WM_MBUTTONDOWN:
        if (focused_tw_.win != win && w->mode != 11) {
            BringWindowToTop(win);
            SetFocus(edit);
            if (msg != WM_RBUTTONDOWN) return 0;
        }
        if (msg == WM_RBUTTONDOWN) {
            POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            ClientToScreen(edit, &p);
            show_menu(win, p);
            return 0;
        }
        {
            LRESULT r = CallWindowProcA(proc, edit, msg, wp, lp);
            show_status(edit);
            return r;
        }
    case WM_KEYDOWN: {
        if (w->mode != 11 && tw_close_key(win, wp)) return 0;
        LRESULT r = CallWindowProcA(proc, edit, msg, wp, lp);
        show_status(edit);
        return r;
    }
    case WM_CONTEXTMENU:
        // From the mouse only over the scroll bars, whose own menu that is.
        if (lp != -1) break;
        show_menu(win, tw_keyboard_menu_point(edit, caret_row_foot(edit)));
        return 0;
    case WM_LBUTTONUP: case WM_RBUTTONUP: case WM_KEYUP: tbar_refresh(); break;
    case WM_MOUSEMOVE: tip_hide(); break;
    case WM_SETFOCUS:
        if (w->mode != 11) focused_tw_ = {win, 7};
        break;
    case WM_NCDESTROY: {
        LRESULT r = CallWindowProcA(proc, edit, msg, wp, lp);
        w->edit_proc = nullptr;
        return r;
    }
    }
    return CallWindowProcA(proc, edit, msg, wp, lp);
}

struct CreateData {
    Key key;
    int mode;
    const std::string* rtf;
    uint64_t cost = 0;
    bool unreadable = false;  // the control took nothing of the text
};

bool on_create(HWND win, CreateData& cd) {
    RichWin& w = wins_[win];
    w.key = cd.key;
    w.mode = cd.mode;
    w.cost = cd.cost;
    tw_inst_.push_back({win, cd.key, 7});
    Obj o;
    if (cd.key)
        if (auto got = view_obj_get(cd.key)) o = *got;
    DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_GROUP | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE |
                  ES_AUTOVSCROLL | ES_NOHIDESEL | ES_SAVESEL;
    if (o.flags & 8) style |= ES_READONLY;
    if (!(o.flags & 1)) style |= ES_AUTOHSCROLL | WS_HSCROLL;
    RECT c;
    GetClientRect(win, &c);
    w.edit = CreateWindowExA(0, dll_class_.c_str(), "", style, 0, 0, c.right, c.bottom, win,
                             reinterpret_cast<HMENU>(IDC_RICH_EDIT), GetModuleHandleA(nullptr), nullptr);
    if (!w.edit) return false;
    w.edit_proc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(w.edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(trap_wnd<edit_eh>)));
    int bg = rich_background_index(view_param_get(359), o.colour, [](int code) { return view_param_get(code); });
    SendMessageA(w.edit, EM_SETBKGNDCOLOR, 0, bg < 0 ? 0xFFFFFF : tbar_color_or(bg, 0xFFFFFF));
    SendMessageA(w.edit, EM_SETEVENTMASK, 0, ENM_CHANGE);
    SendMessageA(w.edit, EM_EXLIMITTEXT, 0, 9437183);
    if (cd.mode != 11) focused_tw_ = {win, 7};
    if (cd.mode != 11) SetFocus(w.edit);
    set_base_font(w.edit, font_logfont(text_font(3, 1)));
    if (!stream_in(w.edit, *cd.rtf)) {
        cd.unreadable = true;
        return false;
    }
    SendMessageA(w.edit, EM_SETMODIFY, 0, 0);
    SendMessageA(w.edit, EM_EMPTYUNDOBUFFER, 0, 0);
    return true;
}

LRESULT CALLBACK win_rich_eh(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lp);
        return on_create(win, *static_cast<CreateData*>(cs->lpCreateParams)) ? 0 : -1;
    }
    case WM_SIZE:
        if (RichWin* w = info(win); w && w->edit) MoveWindow(w->edit, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return 0;
    case WM_SETFOCUS:
        if (RichWin* w = info(win); w && w->mode != 11) {
            take_focus(win);
            if (w->edit) SetFocus(w->edit);
        }
        return 0;
    case WM_MOUSEACTIVATE: case WM_NCLBUTTONDOWN:
        BringWindowToTop(win);
        if (RichWin* w = info(win); w && w->edit && GetFocus() != w->edit) SetFocus(w->edit);
        break;
    case WM_COMMAND:
        if (lp == 0) {
            rich_menu(win, LOWORD(wp));
            return 0;
        }
        break;
    case WM_VORN_USER:
        if (wp == 4) menu_state(win);
        else if (wp == 11) recolor(win, static_cast<int>(lp));
        else if (wp == 52) lines_to_objects(win);
        return 0;
    case WM_CLOSE: rich_close(win); return 0;
    case WM_DESTROY:
        std::erase_if(tw_inst_, [&](const TwInst& t) { return t.win == win; });
        if (focused_tw_.win == win) focused_tw_ = {};
        tbar_refresh();
        break;
    case WM_NCDESTROY: wins_.erase(win); break;
    }
    return DefWindowProcA(win, msg, wp, lp);
}

void register_class() {
    static bool done = false;
    if (done) return;
    WNDCLASSA wc{};
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = trap_wnd<win_rich_eh>;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = util_system_cursor(IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kClass;
    done = RegisterClassA(&wc) != 0;
}

// Whether the control may be given `rtf` besides what the open windows hold; a note says why not.
bool affordable(Key key, const std::string& title, const std::string& rtf, uint64_t* cost) {
    std::optional<Obj> o = key ? view_obj_get(key) : std::nullopt;
    RichCost c = rich_cost(rtf, o && (o->flags & 1));
    uint64_t in_use = 0;
    for (const auto& [w, r] : wins_) in_use += r.cost;
    *cost = c.bytes;
    if (c.bytes + in_use <= kRichCostBudget) return true;
    msg_error(rich_too_costly_text(o ? o->id : title, c, in_use));
    return false;
}

HWND create(Key key, const std::string& title, int mode, const RECT& r, const std::string& rtf) {
    if (!main_inst_ || !load_library()) return nullptr;
    register_class();
    CreateData cd{key, mode, &rtf};
    if (!affordable(key, title, rtf, &cd.cost)) return nullptr;
    DWORD style = mode == 11 ? WS_CHILD
                             : WS_CHILD | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX |
                                   WS_CLIPSIBLINGS | WS_VISIBLE;
    HWND win = CreateWindowExA(0, kClass, title.c_str(), style, r.left, r.top, r.right - r.left, r.bottom - r.top,
                               main_inst_, nullptr, GetModuleHandleA(nullptr), &cd);
    if (!win && cd.unreadable) dlg_error_msg("Loading %s", title);
    if (win && mode != 11) {
        if (RichWin* w = info(win)) {
            RECT at = tw_rect_in_main(win);
            w->opened_geom = tw_pack_geometry({at.left, at.top, at.right, at.bottom});
        }
        BringWindowToTop(win);
        if (RichWin* w = info(win)) SetFocus(w->edit);
    }
    return win;
}

// A conversion window on an object's text; null when the object is gone.
HWND conversion_window(Key key) {
    auto o = view_obj_get(key);
    if (!o) return nullptr;
    return create(key, "", 11, {0, 0, 400, 300}, o->ext.empty() ? empty_rtf() : o->ext);
}

void focus_back() {
    if (textbox_inst_.win && IsWindow(textbox_inst_.win)) {
        if (HWND e = GetDlgItem(textbox_inst_.win, 11017)) SetFocus(e);
    } else if (modaldlg_inst_.empty() && modelessdlg_inst_.empty() && focused_tw_.win && IsWindow(focused_tw_.win)) {
        SetFocus(focused_tw_.win);
    }
}

void set_drop_text(Key key, const std::string& text) {
    auto& dt = view_doc().drop_texts;
    for (auto& [k, t] : dt)
        if (k == key) {
            t = text;
            return;
        }
    dt.emplace_back(key, text);
}

// The window's text (when changed) and place go into its object as one step.
Obj store(const RichWin& w, Obj o, int32_t geom, bool modified) {
    const Key key = w.key;
    std::string plain;
    if (modified) {
        o.ext = stream_out(w.edit);
        plain = plain_text(w.edit);
    }
    o.geom = geom;
    file_mark_changed();
    view_unmark_all();
    marked_obj_ = {key};
    {
        UndoStep step;
        view_obj_put(o);
        if (modified) set_drop_text(key, plain);
        step.commit("Change RichText");
    }
    marked_obj_.clear();
    return o;
}

void open_new() { rich_open(0, file_progdir_path("untitled.rtf"), 0); }

bool open_rich_file(const std::string& name) { return rich_open(0, name, 0) != nullptr; }

}  // namespace

HWND rich_open(Key key, const std::string& given, int mode) {
    if (!main_inst_) return nullptr;
    if (mode != 11 && key != 0) {
        for (size_t k = 0; k < tw_inst_.size(); ++k) {
            TwInst t = tw_inst_[k];
            if (t.key != key || t.mode != 7 || !IsWindow(t.win)) continue;
            if (focused_tw_.win == t.win && GetFocus() && (GetFocus() == t.win || IsChild(t.win, GetFocus()))) return nullptr;
            tw_inst_.erase(tw_inst_.begin() + static_cast<long>(k));
            tw_inst_.push_back(t);
            ShowWindow(t.win, SW_RESTORE);
            InvalidateRect(t.win, nullptr, TRUE);
            BringWindowToTop(t.win);
            SetFocus(t.win);
            return t.win;
        }
    }
    // A file's window shows its name as the disk writes it, however it was named to the program.
    const std::string name = key == 0 ? util_disk_case(given) : given;
    if (key == 0) {
        // The control needs many times a file's size in memory: a file it cannot hold is refused
        // before it is read, never shown empty (where Save would overwrite it).
        WIN32_FILE_ATTRIBUTE_DATA fa{};
        if (!untitled(name) && GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &fa)) {
            uint64_t size = (static_cast<uint64_t>(fa.nFileSizeHigh) << 32) | fa.nFileSizeLow;
            if (size > kRichMaxFileBytes) {
                msg_error(rich_too_large_text(name, size));
                return nullptr;
            }
        }
        std::string rtf;
        bool missing = false;
        if (untitled(name) || !view_read_whole(name, rtf, &missing)) {
            if (!untitled(name) && !missing) {
                dlg_error_msg("Loading %s", name, static_cast<int>(GetLastError()));
                return nullptr;
            }
            rtf = empty_rtf();
        }
        return create(0, name, mode, {30, 50, 430, 300}, rtf);
    }
    auto o = view_obj_get(key);
    if (!o) return nullptr;
    if (mode == 11) return conversion_window(key);
    RECT r = tw_place_window(*o, 400, 250);
    return create(key, name.empty() ? o->id : name, mode, r, o->ext.empty() ? empty_rtf() : o->ext);
}

std::string rich_object_text(Key key) {
    HWND win = conversion_window(key);
    if (!win) return {};
    std::string text = plain_text(rich_control(win));
    DestroyWindow(win);
    focus_back();
    return text;
}

bool rich_object_to_clipboard(Key key) {
    HWND win = conversion_window(key);
    if (!win) return false;
    HWND edit = rich_control(win);
    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, WM_COPY, 0, 0);
    DestroyWindow(win);
    focus_back();
    return true;
}

HWND rich_control(HWND win) {
    RichWin* w = info(win);
    return w ? w->edit : nullptr;
}

bool rich_is_window(HWND win) { return info(win) != nullptr; }

bool rich_select_text(HWND win, const std::string& text) {
    HWND edit = rich_control(win);
    if (!edit || text.empty()) return false;
    FINDTEXTEXA ft{{0, -1}, text.c_str(), {0, 0}};
    if (SendMessageA(edit, EM_FINDTEXTEX, FR_DOWN | FR_MATCHCASE, reinterpret_cast<LPARAM>(&ft)) < 0) return false;
    SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&ft.chrgText));
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
    return true;
}

bool rich_read_only(HWND win) {
    HWND e = rich_control(win);
    return !e || (GetWindowLongA(e, GWL_STYLE) & ES_READONLY) != 0;
}

bool rich_close(HWND win) {
    RichWin* w = info(win);
    if (!w) {
        DestroyWindow(win);
        return true;
    }
    const Key key = w->key;
    const bool modified = SendMessageA(w->edit, EM_GETMODIFY, 0, 0) != 0;
    if (key == 0) {
        if (modified) {
            std::string name = tw_title(win);
            int a = msg_ask_yes_no_cancel("File " + name + " has been changed, save it?", "Save File");
            // Cancel, or a save that failed, keeps the window and its text.
            if (a == 3) return false;
            if (a == 1 && !(untitled(name) ? save_as(win) : save_file(win, name))) return false;
        }
        DestroyWindow(win);
        return true;
    }
    auto obj = view_obj_get(key);
    if (!obj) {  // the object is gone: nothing to store into
        DestroyWindow(win);
        return true;
    }
    RECT r = tw_rect_in_main(win);
    const int32_t geom = tw_pack_geometry({r.left, r.top, r.right, r.bottom});
    if (modified || (geom != obj->geom && geom != w->opened_geom)) {
        // What the user marked stays marked, so the keys go on acting on it.
        TwKeepMarks keep;
        tw_close_effect(win, store(*w, *obj, geom, modified));
    }
    DestroyWindow(win);
    return true;
}

void rich_store(HWND win) {
    RichWin* w = info(win);
    if (!w || w->key == 0 || !SendMessageA(w->edit, EM_GETMODIFY, 0, 0)) return;
    auto obj = view_obj_get(w->key);
    if (!obj) return;
    RECT r = tw_rect_in_main(win);
    const int32_t geom = tw_pack_geometry({r.left, r.top, r.right, r.bottom});
    {
        TwKeepMarks keep;
        store(*w, *obj, geom, true);
    }
    SendMessageA(w->edit, EM_SETMODIFY, FALSE, 0);
    w->opened_geom = geom;
}

bool rich_modified(HWND win) {
    RichWin* w = info(win);
    return w && SendMessageA(w->edit, EM_GETMODIFY, 0, 0) != 0;
}

int rich_menu(HWND win, int id) {
    RichWin* w = info(win);
    if (!w) return 1;
    HWND edit = w->edit;
    for (auto& p : kPassPopup)
        if (p[0] == id) {
            // Insert is the main window's own command.
            if (p[1] == CMD_INSERT_TEXT) {
                focused_tw_ = {win, 7};
                task_menu_cmd(CMD_INSERT_TEXT);
                return 0;
            }
            id = p[1];
        }
    for (auto& n : kNative)
        if (n[0] == id) {
            pump_pending();
            if (!IsWindow(edit)) return 0;
            SendMessageA(edit, static_cast<UINT>(n[1]), 0, 0);
            focused_tw_ = {win, 7};
            return 0;
        }
    for (auto& s : kStyle)
        if (s[0] == id) {
            set_style(edit, static_cast<DWORD>(s[1]), static_cast<DWORD>(s[2]));
            return 0;
        }
    for (auto& a : kAlign)
        if (a[0] == id) {
            set_alignment(edit, static_cast<WORD>(a[1]));
            return 0;
        }
    switch (id) {
    case CMD_NEW: task_menu_cmd(CMD_RICH_EDITOR); return 0;
    case CMD_SAVE:
        if (w->key != 0) return 1;
        // A new text has no name yet: Save asks for one.
        if (untitled(tw_title(win))) save_as(win);
        else save_file(win, tw_title(win));
        return 0;
    case CMD_SAVE_AS:
        if (w->key != 0) return 1;
        save_as(win);
        return 0;
    case CMD_SELECT_ALL: SendMessageA(edit, EM_SETSEL, 0, -1); return 0;
    case CMD_FIND_TEXT: rich_find_dialog(win); return 0;
    case CMD_FIND_NEXT: rich_find_next(win); return 0;
    case CMD_REPLACE_TEXT: msg_note("Function not available"); return 0;
    case CMD_UPPER_CASE: case CMD_LOWER_CASE: {
        CHARRANGE before = selection(edit);
        if (rich_read_only(win) || before.cpMax <= before.cpMin) return 0;
        // Through the selection's RTF, so that each run keeps its bold, italic and colour.
        std::string rtf = rich_rtf_change_case(stream_out(edit, SF_RTF | SFF_SELECTION), id == CMD_UPPER_CASE);
        stream_in(edit, rtf, SF_RTF | SFF_SELECTION);
        SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&before));
        return 0;
    }
    case CMD_SORT: {
        if (rich_read_only(win)) return 0;
        std::string sel = selected_text(edit);
        if (sel.empty()) return 0;
        CHARRANGE before = selection(edit);
        std::string out = rich_sort_lines(sel);
        replace_selection(edit, out);
        CHARRANGE after{before.cpMin, before.cpMin + static_cast<LONG>(out.size())};
        SendMessageA(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&after));
        return 0;
    }
    case CMD_INSERT_TEXT: task_menu_cmd(CMD_INSERT_TEXT); return 0;
    case IDM_RICH_RECOLOR: recolor(win, tbar_current_color().index); return 0;
    case IDM_RICH_FONT: rich_font_dialog(win); return 0;
    case IDM_RICH_PARAGRAPH: rich_para_dialog(win); return 0;
    case IDM_RICH_PRINT: print(win); return 0;
    default: return 1;
    }
}

int rich_forward_menu(int id) {
    HWND win = focused_tw_.kind == 7 ? focused_tw_.win : nullptr;
    if (!win || !IsWindow(win) || !info(win)) return 1;
    // Insert Text and Spell Check are dialogs of the main window.
    if (id == CMD_INSERT_TEXT || id == CMD_SPELL_CHECK) return 1;
    return rich_menu(win, id);
}

void rich_register() {
    cmd_register({CMD_RICH_EDITOR, open_new});
    shell_hooks_.rich_forward_menu = rich_forward_menu;
    shell_hooks_.open_rich_file = open_rich_file;
    shell_hooks_.rich_open = [](Key key, const std::string& name, int mode) { return rich_open(key, name, mode) != nullptr; };
}

#include "services/help_win.h"

#include <algorithm>
#include <vector>

#include "bars/help_context.h"
#include "base/commands_win.h"
#include "base/file.h"
#include "base/globals_win.h"
#include "base/settings.h"
#include "base/shell_hooks_win.h"
#include "base/tip_win.h"
#include "base/trap_win.h"
#include "base/util_win.h"
#include "resources/help_ids.h"
#include "resources/ids.h"
#include "services/about_win.h"
#include "services/action_win.h"
#include "services/help_whatsthis_win.h"

namespace {

constexpr char kViewerClass[] = "VornHelpViewer";
constexpr char kPopupClass[] = "VornHelpPopup";
constexpr char kTopicFile[] = "vornhelp.txt";

HelpBook book_;
bool loaded_ = false;
HWND viewer_ = nullptr;
HWND popup_ = nullptr;
HFONT ui_font_ = nullptr, title_font_ = nullptr;
enum class Mode { contents, index, search } mode_ = Mode::contents;
std::vector<int> history_;
size_t pos_ = 0;  // index into history_ of the topic shown
bool has_cards_ = false;  // the topic shown offers training cards
bool (*prev_dispatch_)(int) = nullptr;
MainNativeHook prev_native_ = nullptr;

void load() {
    if (loaded_) return;
    loaded_ = true;
    auto text = file_read_text(file_progdir_path(kTopicFile));
    if (text) book_ = help_parse(*text);
    if (!help_find(book_, 0)) {
        HelpTopic t;
        t.title = "Help";
        t.body = text ? "The help file " + std::string(kTopicFile) + " has no contents topic."
                      : "The help file " + file_progdir_path(kTopicFile) + " is missing. Install the program again to restore it.";
        book_.topics.insert(book_.topics.begin(), t);
    }
}

HWND item(int id) { return GetDlgItem(viewer_, id); }
void layout();

void add_item(const std::string& text, int topic) {
    HWND list = item(IDC_HELP_LIST);
    LRESULT i = SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (i >= 0) SendMessageA(list, LB_SETITEMDATA, static_cast<WPARAM>(i), topic);
}

std::string words() {
    char buf[256] = "";
    GetWindowTextA(item(IDC_HELP_WORDS), buf, sizeof buf);
    return buf;
}

void select_current() {
    HWND list = item(IDC_HELP_LIST);
    int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    int cur = help_current_topic();
    for (int i = 0; i < n; ++i)
        if (static_cast<int>(SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0)) == cur) {
            SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(i), 0);
            return;
        }
    SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

void fill_list() {
    HWND list = item(IDC_HELP_LIST);
    SendMessageA(list, WM_SETREDRAW, FALSE, 0);
    SendMessageA(list, LB_RESETCONTENT, 0, 0);
    if (mode_ == Mode::contents) {
        for (auto& t : book_.topics) add_item(t.title, t.id);
    } else if (mode_ == Mode::index) {
        for (auto& e : help_index(book_, words())) add_item(e.key, e.topic);
    } else {
        for (int id : help_search(book_, words())) add_item(help_find(book_, id)->title, id);
        if (SendMessageA(list, LB_GETCOUNT, 0, 0) == 0 && !words().empty()) add_item("(no topic holds these words)", -1);
    }
    SendMessageA(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    select_current();
    SetWindowTextA(item(IDC_HELP_SEE_LABEL), "See also:");
    for (int id : {IDC_HELP_CONTENTS, IDC_HELP_INDEX, IDC_HELP_SEARCH}) {
        bool on = id == IDC_HELP_CONTENTS + static_cast<int>(mode_);
        SendMessageA(item(id), BM_SETSTATE, on, 0);
    }
}

void show_in_window(const HelpTopic& t) {
    SetWindowTextA(item(IDC_HELP_TITLE), t.title.c_str());
    SetWindowTextA(item(IDC_HELP_TEXT), t.body.c_str());
    HWND see = item(IDC_HELP_SEE);
    SendMessageA(see, LB_RESETCONTENT, 0, 0);
    for (int s : t.see)
        if (auto* l = help_find(book_, s)) {
            LRESULT i = SendMessageA(see, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(l->title.c_str()));
            SendMessageA(see, LB_SETITEMDATA, static_cast<WPARAM>(i), l->id);
        }
    HWND cards = item(IDC_HELP_CARDS);
    SendMessageA(cards, LB_RESETCONTENT, 0, 0);
    for (const HelpCard& c : t.cards) {
        LRESULT i = SendMessageA(cards, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(c.label.c_str()));
        SendMessageA(cards, LB_SETITEMDATA, static_cast<WPARAM>(i), c.number);
    }
    has_cards_ = !t.cards.empty();
    layout();
    EnableWindow(item(IDC_HELP_BACK), pos_ > 0);
    EnableWindow(item(IDC_HELP_FORWARD), pos_ + 1 < history_.size());
    std::string caption = "Vorn Help - " + t.title;
    SetWindowTextA(viewer_, caption.c_str());
    select_current();
}

// Shows a topic and records it in the history.
void go(int n) {
    const HelpTopic* t = help_resolve(book_, n);
    if (!t) return;
    if (history_.empty() || history_[pos_] != t->id) {
        if (!history_.empty()) history_.resize(pos_ + 1);
        history_.push_back(t->id);
        pos_ = history_.size() - 1;
    }
    show_in_window(*t);
}

void step(int by) {
    if ((by < 0 && pos_ == 0) || (by > 0 && pos_ + 1 >= history_.size())) return;
    pos_ = static_cast<size_t>(static_cast<int>(pos_) + by);
    show_in_window(*help_resolve(book_, history_[pos_]));
}

void set_mode(Mode m) {
    mode_ = m;
    fill_list();
    if (m != Mode::contents) SetFocus(item(IDC_HELP_WORDS));
}

void layout() {
    if (!viewer_) return;
    RECT r;
    GetClientRect(viewer_, &r);
    int w = r.right, h = r.bottom, m = 6, bh = 26, lw = std::max(160, w / 3);
    int x = m;
    for (int id : {IDC_HELP_CONTENTS, IDC_HELP_INDEX, IDC_HELP_SEARCH, IDC_HELP_BACK, IDC_HELP_FORWARD}) {
        MoveWindow(item(id), x, m, 76, bh, TRUE);
        x += 80;
    }
    int top = m + bh + m;
    MoveWindow(item(IDC_HELP_WORDS), m, top, lw, 22, TRUE);
    MoveWindow(item(IDC_HELP_LIST), m, top + 26, lw, std::max(40, h - top - 26 - m), TRUE);
    int rx = m + lw + m, rw = std::max(100, w - rx - m), see_h = 84;
    MoveWindow(item(IDC_HELP_TITLE), rx, top, rw, 26, TRUE);
    MoveWindow(item(IDC_HELP_TEXT), rx, top + 28, rw, std::max(40, h - top - 28 - see_h - 22 - 2 * m), TRUE);
    // The training cards share the bottom row with the links when the topic has any.
    int sw = has_cards_ ? (rw - m) / 2 : rw, cx = rx + sw + m;
    MoveWindow(item(IDC_HELP_SEE_LABEL), rx, h - m - see_h - 20, sw, 18, TRUE);
    MoveWindow(item(IDC_HELP_SEE), rx, h - m - see_h, sw, see_h, TRUE);
    MoveWindow(item(IDC_HELP_CARDS_LABEL), cx, h - m - see_h - 20, rw - sw - m, 18, TRUE);
    MoveWindow(item(IDC_HELP_CARDS), cx, h - m - see_h, rw - sw - m, see_h, TRUE);
    ShowWindow(item(IDC_HELP_CARDS_LABEL), has_cards_ ? SW_SHOWNA : SW_HIDE);
    ShowWindow(item(IDC_HELP_CARDS), has_cards_ ? SW_SHOWNA : SW_HIDE);
}

HWND child(HWND parent, const char* cls, const char* text, DWORD style, int id, DWORD ex = 0) {
    HWND w = CreateWindowExA(ex, cls, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, parent,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(w, WM_SETFONT, reinterpret_cast<WPARAM>(id == IDC_HELP_TITLE ? title_font_ : ui_font_), FALSE);
    return w;
}

void create_children(HWND win) {
    NONCLIENTMETRICSA ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    if (!ui_font_) ui_font_ = CreateFontIndirectA(&ncm.lfMessageFont);
    if (!title_font_) {
        LOGFONTA lf = ncm.lfMessageFont;
        lf.lfHeight = lf.lfHeight * 3 / 2;
        lf.lfWeight = FW_BOLD;
        title_font_ = CreateFontIndirectA(&lf);
    }
    child(win, "BUTTON", "&Contents", WS_TABSTOP | BS_PUSHBUTTON, IDC_HELP_CONTENTS);
    child(win, "BUTTON", "&Index", WS_TABSTOP | BS_PUSHBUTTON, IDC_HELP_INDEX);
    child(win, "BUTTON", "&Search", WS_TABSTOP | BS_PUSHBUTTON, IDC_HELP_SEARCH);
    child(win, "BUTTON", "< &Back", WS_TABSTOP | BS_PUSHBUTTON, IDC_HELP_BACK);
    child(win, "BUTTON", "&Forward >", WS_TABSTOP | BS_PUSHBUTTON, IDC_HELP_FORWARD);
    child(win, "EDIT", "", WS_TABSTOP | ES_AUTOHSCROLL, IDC_HELP_WORDS, WS_EX_CLIENTEDGE);
    child(win, "LISTBOX", "", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, IDC_HELP_LIST, WS_EX_CLIENTEDGE);
    child(win, "STATIC", "", SS_LEFT | SS_NOPREFIX, IDC_HELP_TITLE);
    child(win, "EDIT", "", WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, IDC_HELP_TEXT,
          WS_EX_CLIENTEDGE);
    child(win, "STATIC", "See also:", SS_LEFT, IDC_HELP_SEE_LABEL);
    child(win, "LISTBOX", "", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, IDC_HELP_SEE, WS_EX_CLIENTEDGE);
    child(win, "STATIC", "Try it (double-click or Enter):", SS_LEFT, IDC_HELP_CARDS_LABEL);
    child(win, "LISTBOX", "", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_WANTKEYBOARDINPUT,
          IDC_HELP_CARDS, WS_EX_CLIENTEDGE);
}

int list_topic(int id) {
    HWND list = item(id);
    LRESULT i = SendMessageA(list, LB_GETCURSEL, 0, 0);
    if (i == LB_ERR) return -1;
    return static_cast<int>(SendMessageA(list, LB_GETITEMDATA, static_cast<WPARAM>(i), 0));
}

// A card goes to the main window as the help engine's training-card message.
void run_card() {
    int n = list_topic(IDC_HELP_CARDS);
    if (n <= 0 || !main_inst_) return;
    PostMessageA(main_inst_, WM_TCARD, HELP_TCARD_DATA, n);
    // What the card opens is shown in the main window.
    SetForegroundWindow(main_inst_);
}

void on_command(int id, int code) {
    switch (id) {
    case IDC_HELP_CONTENTS: set_mode(Mode::contents); break;
    case IDC_HELP_INDEX: set_mode(Mode::index); break;
    case IDC_HELP_SEARCH: set_mode(Mode::search); break;
    case IDC_HELP_BACK: step(-1); break;
    case IDC_HELP_FORWARD: step(1); break;
    case IDC_HELP_WORDS:
        if (code == EN_CHANGE && mode_ == Mode::contents) mode_ = Mode::index;
        if (code == EN_CHANGE) fill_list();
        break;
    case IDC_HELP_LIST:
    case IDC_HELP_SEE:
        if (code == LBN_SELCHANGE || code == LBN_DBLCLK)
            if (int t = list_topic(id); t >= 0) go(t);
        break;
    case IDC_HELP_CARDS:
        if (code == LBN_DBLCLK) run_card();
        break;
    }
}

LRESULT CALLBACK viewer_proc(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_CREATE:
        viewer_ = win;
        create_children(win);
        return 0;
    case WM_SIZE: layout(); return 0;
    case WM_GETMINMAXINFO: {
        auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
        mm->ptMinTrackSize = {460, 300};
        return 0;
    }
    case WM_COMMAND: on_command(LOWORD(wp), HIWORD(wp)); return 0;
    case WM_VKEYTOITEM:
        if (reinterpret_cast<HWND>(lp) == item(IDC_HELP_CARDS) && (LOWORD(wp) == VK_RETURN || LOWORD(wp) == VK_SPACE)) {
            run_card();
            return -2;
        }
        return -1;
    case WM_CTLCOLORSTATIC:
        // The topic text reads on white like a page, though it cannot be edited.
        if (reinterpret_cast<HWND>(lp) == item(IDC_HELP_TEXT)) {
            SetBkColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_WINDOW));
            SetTextColor(reinterpret_cast<HDC>(wp), GetSysColor(COLOR_WINDOWTEXT));
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
        }
        break;
    case WM_DESTROY:
        viewer_ = nullptr;
        history_.clear();
        pos_ = 0;
        return 0;
    }
    return DefWindowProcA(win, msg, wp, lp);
}

void register_classes() {
    static bool done = false;
    if (done) return;
    done = true;
    WNDCLASSA wc{};
    wc.lpfnWndProc = trap_wnd<viewer_proc>;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = util_system_cursor(IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.hIcon = LoadIconA(nullptr, IDI_QUESTION);
    wc.lpszClassName = kViewerClass;
    RegisterClassA(&wc);
}

void open_viewer() {
    load();
    register_classes();
    if (viewer_) {
        if (IsIconic(viewer_)) ShowWindow(viewer_, SW_RESTORE);
        SetForegroundWindow(viewer_);
        return;
    }
    // Owned by no window, so it stays open beside a modal dialog and the diagram alike.
    CreateWindowExA(0, kViewerClass, "Vorn Help", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT, 720, 520, nullptr,
                    nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!viewer_) return;
    mode_ = Mode::contents;
    fill_list();
    ShowWindow(viewer_, SW_SHOWNORMAL);
    UpdateWindow(viewer_);
}

// ---- Pop-up help of a control.

std::string popup_text_;

LRESULT CALLBACK popup_proc(HWND win, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(win, &ps);
        RECT r;
        GetClientRect(win, &r);
        InflateRect(&r, -8, -6);
        HGDIOBJ old = SelectObject(dc, ui_font_);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_INFOTEXT));
        DrawTextA(dc, popup_text_.c_str(), -1, &r, DT_WORDBREAK | DT_NOPREFIX);
        SelectObject(dc, old);
        EndPaint(win, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: DestroyWindow(win); return 0;
    case WM_ACTIVATE:
        if (LOWORD(wp) == WA_INACTIVE) PostMessageA(win, WM_CLOSE, 0, 0);
        return 0;
    case WM_DESTROY:
        if (popup_ == win) popup_ = nullptr;
        return 0;
    }
    return DefWindowProcA(win, msg, wp, lp);
}

void show_popup(HWND near_window, const HelpTopic& t) {
    if (popup_) DestroyWindow(popup_);
    static bool registered = false;
    if (!registered) {
        registered = true;
        WNDCLASSA wc{};
        wc.style = CS_DROPSHADOW;
        wc.lpfnWndProc = trap_wnd<popup_proc>;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = util_system_cursor(IDC_ARROW);
        wc.hbrBackground = GetSysColorBrush(COLOR_INFOBK);
        wc.lpszClassName = kPopupClass;
        RegisterClassA(&wc);
    }
    if (!ui_font_) {
        NONCLIENTMETRICSA ncm{};
        ncm.cbSize = sizeof ncm;
        SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
        ui_font_ = CreateFontIndirectA(&ncm.lfMessageFont);
    }
    popup_text_ = t.body.empty() ? t.title : t.body;
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, ui_font_);
    RECT calc{0, 0, 280, 0};
    DrawTextA(dc, popup_text_.c_str(), -1, &calc, DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    RECT ctl{};
    GetWindowRect(near_window, &ctl);
    int w = calc.right + 18, h = calc.bottom + 14;
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    int x = std::clamp(static_cast<int>(ctl.left), static_cast<int>(work.left), static_cast<int>(work.right) - w);
    int y = ctl.bottom + 4;
    if (y + h > work.bottom) y = std::max(static_cast<int>(work.top), static_cast<int>(ctl.top) - h - 4);
    popup_ = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, kPopupClass, "", WS_POPUP | WS_BORDER, x, y, w, h,
                             GetAncestor(near_window, GA_ROOT), nullptr, GetModuleHandleA(nullptr), nullptr);
    if (popup_) {
        ShowWindow(popup_, SW_SHOW);
        SetFocus(popup_);
    }
}

// ---- Hooks.

void context_hook(int n) { help_show(n); }

bool dispatch(int id) { return help_menu_action(id) || (prev_dispatch_ && prev_dispatch_(id)); }

void quit() {
    if (popup_) DestroyWindow(popup_);
    if (viewer_) DestroyWindow(viewer_);
}

bool main_native(HWND win, UINT msg, WPARAM wp, LPARAM lp, LRESULT* r) {
    if (msg == WM_HELP) {
        help_on_wm_help(reinterpret_cast<const HELPINFO*>(lp));
        *r = TRUE;
        return true;
    }
    return prev_native_ && prev_native_(win, msg, wp, lp, r);
}

void help_file(const std::string& file, const std::string& keyword) {
    if (!file.empty()) {
        // A help file of the user's own goes to the system's help program.
        if (keyword.empty() || !WinHelpA(main_inst_, file.c_str(), HELP_KEY, reinterpret_cast<ULONG_PTR>(keyword.c_str())))
            WinHelpA(main_inst_, file.c_str(), HELP_CONTENTS, 0);
        return;
    }
    if (keyword.empty()) help_show(0);
    else help_keyword_main(keyword);
}

void run_address(const std::string& target) { action_do_trusted(39, target); }

}  // namespace

void help_show(int n) {
    tip_hide();
    open_viewer();
    if (!viewer_) return;
    if (n == 0) {
        mode_ = Mode::contents;
        fill_list();
    }
    go(n);
}

void help_keyword_main(const std::string& key) {
    tip_hide();
    load();
    if (auto* t = help_by_keyword(book_, key)) {
        help_show(t->id);
        return;
    }
    open_viewer();
    if (!viewer_) return;
    SetWindowTextA(item(IDC_HELP_WORDS), key.c_str());
    set_mode(Mode::index);
    if (history_.empty()) go(0);
}

void help_keyword_sub(const std::string& key) {
    load();
    if (auto* t = help_popup_by_keyword(book_, key)) {
        HWND focus = GetFocus();
        show_popup(focus ? focus : main_inst_, *t);
        return;
    }
    help_keyword_main(key);
}

void help_on_wm_help(const HELPINFO* info) {
    if (!info) return;
    load();
    tip_hide();
    if (info->iContextType != HELPINFO_WINDOW) return;
    HWND ctl = static_cast<HWND>(info->hItemHandle);
    HWND root = ctl ? GetAncestor(ctl, GA_ROOT) : nullptr;
    if (!root || root == main_inst_) {
        help_show(0);
        return;
    }
    if (ctl != root)
        if (int topic = help_topic_of_control(info->iCtrlId))
            if (auto* t = help_find_popup(book_, topic)) {
                show_popup(ctl, *t);
                return;
            }
    char caption[256] = "";
    GetWindowTextA(root, caption, sizeof caption);
    const HelpTopic* t = help_by_window(book_, caption);
    help_show(t ? t->id : 0);
}

bool help_menu_action(int id) {
    switch (id) {
    case CMD_HELP_TOPICS: help_context(0); return true;
    case CMD_HELP_NEW: help_context(53); return true;
    case CMD_HELP_TUTORIAL: help_context(84); return true;
    case CMD_HELP_HOWTO: help_context(61); return true;
    case CMD_HELP_GLOSSARY: help_context(37); return true;
    case CMD_HELP_WEB: run_address(file_setting_get_text("VornWeb", "http://www.example.com/")); return true;
    case CMD_HELP_EMAIL: run_address("mailto:" + file_setting_get_text("VornEmail", "info@example.com")); return true;
    case CMD_ABOUT: about_window(main_inst_); return true;
    }
    return false;
}

void help_register() {
    help_context_hook_ = context_hook;
    help_keyword_hook_ = help_keyword_sub;
    // In the command table, so that the Help menu is enabled and F1 passes the accelerator.
    static const Command commands[] = {
        {CMD_HELP_TOPICS, [] { help_menu_action(CMD_HELP_TOPICS); }}, {CMD_HELP_NEW, [] { help_menu_action(CMD_HELP_NEW); }},
        {CMD_HELP_TUTORIAL, [] { help_menu_action(CMD_HELP_TUTORIAL); }}, {CMD_HELP_HOWTO, [] { help_menu_action(CMD_HELP_HOWTO); }},
        {CMD_HELP_GLOSSARY, [] { help_menu_action(CMD_HELP_GLOSSARY); }}, {CMD_HELP_WEB, [] { help_menu_action(CMD_HELP_WEB); }},
        {CMD_HELP_EMAIL, [] { help_menu_action(CMD_HELP_EMAIL); }},       {CMD_ABOUT, [] { help_menu_action(CMD_ABOUT); }},
    };
    cmd_register_all(commands);
    if (shell_hooks_.help_menu_dispatch != dispatch) {
        prev_dispatch_ = shell_hooks_.help_menu_dispatch;
        shell_hooks_.help_menu_dispatch = dispatch;
    }
    shell_chain_native(main_native, prev_native_);
    shell_hooks_.help_quit = quit;
    help_whatsthis_install();
    action_platform().help_file = help_file;
}

HWND help_viewer_window() { return viewer_; }
HWND help_popup_window() { return popup_; }
int help_current_topic() { return history_.empty() ? -1 : history_[pos_]; }
const HelpBook& help_book() {
    load();
    return book_;
}
